// Whether the copied canvas is what the user sees: no other window over it, and all of it on view.
#pragma once

#include "core/geometry.h"

#include <span>

namespace core {

// The capture's result: 0 nothing captured, 1 captured, 2 captured while a window lay over it,
// 3 captured while part of it was not on view, 4 both.
enum CaptureResult : short {
    kNothingCaptured = 0,
    kCaptured = 1,
    kCapturedOverlapped = 2,
    kCapturedOffView = 3,
    kCapturedOverlappedOffView = 4
};

constexpr bool Overlapped(CaptureResult r) {
    return r == kCapturedOverlapped || r == kCapturedOverlappedOffView;
}
constexpr bool OffView(CaptureResult r) {
    return r == kCapturedOffView || r == kCapturedOverlappedOffView;
}

// What the screen shows of the capture rectangle's surroundings, in screen coordinates.
struct View {
    std::span<const Rect> ancestorClients; // the canvas window's ancestors up to the browser's top-level window
    Rect browserWindow{};
    std::span<const Rect> monitors;
    bool hidden = false; // the browser minimised, or the canvas hidden with its page
};

// True when every pixel of the capture rectangle is on the screen inside the browser's page:
// inside each ancestor's client area and the browser window, covered by the monitors together,
// and not hidden.
bool WhollyOnView(const Rect& capture, const View& view);

// The result for a capture: overlapped when any of the visible windows above the browser (the
// program's own left out) shares a pixel with the capture rectangle; off view unless `onView`.
CaptureResult OcclusionVerdict(const Rect& capture, std::span<const Rect> visibleAbove, bool onView = true);

} // namespace core
