// Placeholder until the finder and the tick land: the camera window stays where it is.
#include "tracking/tracking.h"

bool FindTarget() { return false; }
BOOL CALLBACK EnumTopWindowsProc(HWND, LPARAM) { return TRUE; }
BOOL CALLBACK EnumBrowserChildProc(HWND, LPARAM) { return TRUE; }
void TrackTarget() {}
void FlashBrowser() {}
