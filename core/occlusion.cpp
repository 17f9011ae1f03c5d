// The overlap verdict over the rectangles of the windows above the browser.
#include "core/occlusion.h"

#include <algorithm>

namespace core {

CaptureResult OcclusionVerdict(const Rect& capture, std::span<const Rect> visibleAbove) {
    bool covered =
        std::any_of(visibleAbove.begin(), visibleAbove.end(), [&](const Rect& r) { return Intersects(capture, r); });
    return covered ? kCapturedOverlapped : kCaptured;
}

} // namespace core
