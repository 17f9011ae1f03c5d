// The canvas capture: measure, look for windows above the browser that overlap, sound, copy.
#include "capture/capture.h"

#include "core/geometry.h"
#include "core/occlusion.h"
#include "state/shared_state.h"
#include "win32/calls.h"
#include "win32/handles.h"

#include <vector>

namespace {

core::Rect ToCore(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// The rectangles of the visible top-level windows above the browser, nearest first.
std::vector<core::Rect> VisibleWindowsAbove(HWND browser) {
    std::vector<core::Rect> above;
    for (HWND w = GetWindow(browser, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        if (!IsWindowVisible(w))
            continue;
        RECT rect{};
        GetWindowRect(w, &rect);
        above.push_back(ToCore(rect));
    }
    return above;
}

} // namespace

short CaptureCanvas(HDC hdcDest) {
    if (strMode == L"NO")
        return core::kNothingCaptured;
    // A canvas that went away after the click: nothing to copy, and no sound for nothing.
    if (!IsWindow(hwndCanvas))
        return core::kNothingCaptured;
    try {
        win32::WindowDc canvas(hwndCanvas);
        RECT window{};
        GetWindowRect(hwndCanvas, &window);
        const bool vm = strMode == L"VM";
        core::Rect capture = vm ? core::CanvasAt(ToCore(window), core::kVmCaptureInset) : ToCore(window);
        // A window at the very edge of the coordinate space has no whole drawing area inside it.
        if (capture.right - capture.left != core::kCanvasWidth || capture.bottom - capture.top != core::kCanvasHeight)
            return core::kNothingCaptured;
        rctCanvas = {capture.left, capture.top, capture.right, capture.bottom};
        core::CaptureResult result = core::OcclusionVerdict(capture, VisibleWindowsAbove(hwndBrowser));

        // A sound that cannot be played only means no sound.
        if (!bytShutter.empty())
            win32::calls.PlaySound(reinterpret_cast<LPCWSTR>(bytShutter.data()), nullptr,
                                   SND_ASYNC | SND_NODEFAULT | SND_MEMORY);

        const core::Point from = vm ? core::kVmCaptureInset : core::Point{};
        bool copied = canvas.get() && BitBlt(hdcDest, 0, 0, core::kCanvasWidth, core::kCanvasHeight, canvas.get(),
                                             from.x, from.y, SRCCOPY);
        if (!copied) {
            // Some systems (Wine among them) refuse to read another process's window DC; the
            // screen shows the same pixels at the canvas rectangle.
            win32::WindowDc screen(nullptr);
            copied = screen.get() && BitBlt(hdcDest, 0, 0, core::kCanvasWidth, core::kCanvasHeight, screen.get(),
                                            capture.left, capture.top, SRCCOPY);
        }
        // Never hand on a blank picture as if it were the canvas.
        return copied ? result : core::kNothingCaptured;
    } catch (...) {
        return core::kNothingCaptured;
    }
}
