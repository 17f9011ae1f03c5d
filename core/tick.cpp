// The tick's rules: dock when the canvas moved, show a hidden camera, hide behind other programs.
#include "core/tick.h"

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

Placement DecideParking(const Rect& camera, bool cameraVisible) {
    return camera.left != 0 || camera.top != 0 || !cameraVisible ? Placement::Park : Placement::Nothing;
}

bool IsOwnCaption(std::wstring_view firstSix) {
    return firstSix == L"Pikuto";
}

} // namespace core
