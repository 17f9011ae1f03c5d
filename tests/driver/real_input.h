// Real keyboard and mouse input, as the user gives it, for the tests that drive the windows.
#pragma once

#include <windows.h>

namespace real_input {

inline void Tap(BYTE vk, BYTE modifier = 0) {
    if (modifier)
        keybd_event(modifier, 0, 0, 0);
    keybd_event(vk, 0, 0, 0);
    keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
    if (modifier)
        keybd_event(modifier, 0, KEYEVENTF_KEYUP, 0);
}

// Moves the pointer to a screen point, with the buttons in `flags` (MOUSEEVENTF_LEFTDOWN, ...) there.
// Each press and release carries its own position: Wine's desktop process feeds pointer moves from
// the X server, sometimes late, and one of those between a move and a press would land the press
// elsewhere.
inline void MouseAt(POINT screen, DWORD flags = 0) {
    // In 1/65536 of the screen, rounded up so that the position lands on the pixel.
    const LONG width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags, (screen.x * 65536 + width - 1) / width,
                (screen.y * 65536 + height - 1) / height, 0, 0);
}

} // namespace real_input
