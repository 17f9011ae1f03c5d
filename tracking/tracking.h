// Finding the applet's windows and following them, once per timer tick.
#pragma once

#include <windows.h>

// Searches the browsers for the applet; sets strMode, hwndCanvas, hwndBrowser, hwndChatLog.
// False when nothing was found: the camera window is then parked at the screen origin.
bool FindTarget(HWND camera);
BOOL CALLBACK EnumTopWindowsProc(HWND hwnd, LPARAM lParam);
BOOL CALLBACK EnumBrowserChildProc(HWND hwnd, LPARAM lParam);

// One tick: keeps the camera window docked, shown or hidden, and watches the chat log.
void TrackTarget(HWND camera);
void FlashBrowser();
