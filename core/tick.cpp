// The tick's rules: dock when the canvas moved, show a hidden camera, hide behind other programs.
#include "core/tick.h"

#include <algorithm>

namespace core {

TickDecision DecideTick(const TickSnapshot& s) {
    TickDecision d;
    switch (s.front) {
    case Front::Browser:
        d.canvas = s.vm ? CanvasAt(s.canvasWindow, kVmDockingInset) : s.canvasWindow;
        // Only the top-left corner counts: a canvas that changes size in place needs no move.
        if (d.canvas.left != s.last.left || d.canvas.top != s.last.top) {
            d.placement = Placement::Dock;
            d.at = {AddClamped(d.canvas.left, kDockOffsetX), AddClamped(d.canvas.bottom, kDockOffsetY)};
        } else if (!s.cameraVisible) {
            d.placement = Placement::ShowInPlace;
        }
        break;
    case Front::Camera:
        // A minimised browser still counts as visible: the user just clicked the camera.
        if (!s.browserVisible)
            d.placement = Placement::Hide;
        break;
    case Front::Other:
        if (!s.ownWindow)
            d.placement = Placement::Hide;
        break;
    }
    return d;
}

Point FitDocking(Point at, Point size, const Rect& capture, const Rect& workArea) {
    if (IsEmpty(workArea))
        return at; // no monitor known: as wanted
    auto box = [&](Point p) { return Rect{p.x, p.y, AddClamped(p.x, size.x), AddClamped(p.y, size.y)}; };
    // Against the right and bottom edges first, so a work area smaller than the window keeps its top-left corner.
    auto into = [](int32_t v, int32_t low, int32_t high) { return std::max(low, std::min(v, high)); };
    const Point inside{into(at.x, workArea.left, AddClamped(workArea.right, -int64_t{size.x})),
                       into(at.y, workArea.top, AddClamped(workArea.bottom, -int64_t{size.y}))};
    if (!Intersects(box(inside), capture))
        return inside;
    const Point beside[] = {{AddClamped(capture.left, -int64_t{size.x}), inside.y},
                            {capture.right, inside.y},
                            {inside.x, AddClamped(capture.top, -int64_t{size.y})}};
    for (Point p : beside)
        if (Contains(workArea, box(p)))
            return p;
    return inside;
}

Placement DecideParking(const Rect& camera, bool cameraVisible) {
    return camera.left != 0 || camera.top != 0 || !cameraVisible ? Placement::Park : Placement::Nothing;
}

bool IsOwnCaption(std::wstring_view firstSix) {
    return firstSix == L"Pikuto";
}

} // namespace core
