// Centring on a monitor, and fitting labels and check boxes to their text.
#include "core/layout.h"

#include <algorithm>

namespace core {

namespace {
// The offset that centres `size` in `room`, never negative; 64 bits, so no edge of the coordinate
// space wraps.
int32_t CentreOffset(int64_t room, int64_t size) {
    return static_cast<int32_t>(std::max<int64_t>(0, (room - size) / 2));
}
} // namespace

Point CentredOn(const Rect& monitor, int32_t width, int32_t height) {
    return {AddClamped(monitor.left, CentreOffset(int64_t{monitor.right} - monitor.left, width)),
            AddClamped(monitor.top, CentreOffset(int64_t{monitor.bottom} - monitor.top, height))};
}

Span FitLabel(Span designed, int32_t needed, Align align) {
    const int32_t extra = needed - designed.width;
    if (extra <= 0)
        return designed;
    const int32_t left = designed.left - (align == Align::Right ? extra : align == Align::Centre ? extra / 2 : 0);
    return {left, needed};
}

Span FitCheckBox(Span designed, int32_t needed, int32_t clientWidth, int32_t margin) {
    if (needed <= designed.width)
        return designed;
    // A right edge already past the margin stays where it was designed: the box never shrinks.
    const int32_t right = std::max(designed.left + designed.width, clientWidth - margin);
    const int32_t left = std::min(designed.left, std::max(margin, right - needed));
    return {left, right - left};
}

} // namespace core
