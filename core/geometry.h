// Screen rectangles and the fixed geometry of the applet's canvas, as plain data.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace core {

// Left, top, right and bottom in screen pixels, as the Windows RECT holds them.
struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
    int32_t x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

inline constexpr int32_t kCanvasWidth = 710;
inline constexpr int32_t kCanvasHeight = 380;

// Where the camera window's top-left corner goes for a canvas rectangle.
inline constexpr int32_t kDockOffsetX = -53;
inline constexpr int32_t kDockOffsetY = 77;

// Under the Microsoft VM the drawing area sits inside the "MSAWT_Comp_Class" window. The tick
// docks against (60, 70) inside it, the capture copies from (60, 7): the two differ on purpose.
inline constexpr Point kVmDockingInset{60, 70};
inline constexpr Point kVmCaptureInset{60, 7};

// a + b clamped into the 32-bit range: a window at the edge of the coordinate space must not
// wrap to the other side.
constexpr int32_t AddClamped(int32_t a, int64_t b) {
    int64_t sum = int64_t{a} + b;
    return static_cast<int32_t>(
        std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// The 710 x 380 rectangle at `inset` inside the canvas window's rectangle.
constexpr Rect CanvasAt(const Rect& window, Point inset) {
    int32_t left = AddClamped(window.left, inset.x), top = AddClamped(window.top, inset.y);
    return {left, top, AddClamped(left, kCanvasWidth), AddClamped(top, kCanvasHeight)};
}

// True when the rectangle has no area (IntersectRect's notion of empty).
constexpr bool IsEmpty(const Rect& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

// True when the two rectangles share at least one pixel.
constexpr bool Intersects(const Rect& a, const Rect& b) {
    Rect common{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
    return !IsEmpty(a) && !IsEmpty(b) && !IsEmpty(common);
}

// True when every pixel of `inner` lies in `outer`.
constexpr bool Contains(const Rect& outer, const Rect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The rectangle the capture copies from the canvas window's rectangle: under the VM its drawing area.
constexpr Rect CaptureRect(const Rect& canvasWindow, bool vm) {
    return vm ? CanvasAt(canvasWindow, kVmCaptureInset) : canvasWindow;
}

} // namespace core
