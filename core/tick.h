// The tracking tick's decision for one snapshot of the windows: where the camera window goes,
// and whether the browser's taskbar button flashes.
#pragma once

#include "core/geometry.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace core {

// Which window is in front, as the tick tells them apart.
enum class Front { Browser, Camera, Other };

// What the tick reads, field by field only on the branch that needs it.
struct TickSnapshot {
    Front front = Front::Other;
    // Browser in front: the canvas window's rectangle as read, the host, the rectangle at the
    // last docking move and whether the camera window is visible.
    Rect canvasWindow{};
    bool vm = false;
    Rect last{};
    bool cameraVisible = false;
    // Camera in front: whether the browser window is visible.
    bool browserVisible = false;
    // Other in front: whether its caption starts with "Pikuto" (one of the program's own windows).
    bool ownWindow = false;
};

enum class Placement { Nothing, Dock, ShowInPlace, Hide, Park };

struct TickDecision {
    Placement placement = Placement::Nothing;
    Point at{};    // Dock: the camera window's new top-left corner; Park: the screen origin
    Rect canvas{}; // Browser in front: the canvas rectangle (becomes rctCanvas, and rctLast on a Dock)
};

TickDecision DecideTick(const TickSnapshot& snapshot);

// Where a docking move puts the camera window of `size`, wanted at `at`: moved the shortest way
// into `workArea` (the work area of the monitor that holds the canvas); if it would then lie over
// the capture rectangle, just outside it where it fits: left of it, else right, else above. With
// room to spare that is `at` itself. Only where none of those fits does it stay over the canvas,
// reachable: the capture puts the program's own windows aside for the copy.
Point FitDocking(Point at, Point size, const Rect& capture, const Rect& workArea);

// No target found: the camera window goes to the screen origin, shown, unless it is already there.
Placement DecideParking(const Rect& camera, bool cameraVisible);

// The first six characters of a caption, as read into a 7-character buffer, name one of the
// program's own windows when they are exactly "Pikuto".
bool IsOwnCaption(std::wstring_view firstSix);

// A chat log that answered with `count` lines flashes the browser when the count changed since
// the last flash.
inline bool ShouldFlash(int32_t count, int32_t lastFlashedCount) {
    return count != lastFlashedCount;
}

} // namespace core
