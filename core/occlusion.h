// Whether another window lay over the canvas when it was copied.
#pragma once

#include "core/geometry.h"

#include <span>

namespace core {

// The capture's result: 0 nothing captured, 1 captured, 2 captured while a window lay over it.
enum CaptureResult : short { kNothingCaptured = 0, kCaptured = 1, kCapturedOverlapped = 2 };

// kCapturedOverlapped when any of the visible windows above the browser shares a pixel with the
// capture rectangle, else kCaptured.
CaptureResult OcclusionVerdict(const Rect& capture, std::span<const Rect> visibleAbove);

} // namespace core
