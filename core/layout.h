// Where the program's dialogs and their controls go: plain arithmetic over rectangles and widths.
#pragma once

#include "core/geometry.h"

#include <cstdint>

namespace core {

// The top-left corner that centres a window of this size on a monitor's rectangle, rounding towards
// the top-left as centring on the screen always has. A window larger than the monitor keeps its
// top-left corner, and so its caption, on it.
Point CentredOn(const Rect& monitor, int32_t width, int32_t height);

// A control's horizontal extent in its dialog's client area.
struct Span {
    int32_t left = 0, width = 0;
    friend bool operator==(const Span&, const Span&) = default;
};

// Where a label goes so that its text (`needed` pixels) shows whole: as designed when it fits;
// otherwise widened away from the side its text keeps to, so that the text stays where it was meant.
enum class Align { Left, Centre, Right };
Span FitLabel(Span designed, int32_t needed, Align align);

// Where a check box goes so that its glyph, gap and caption (`needed` pixels) show whole: as
// designed when they fit; otherwise widened to `margin` from the client area's right edge and, if
// still short, started further left, but no nearer than `margin` to the left edge.
Span FitCheckBox(Span designed, int32_t needed, int32_t clientWidth, int32_t margin = 4);

} // namespace core
