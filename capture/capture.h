// Copying the applet's canvas from the screen, with the shutter sound, the overlap test and the
// on-view test.
#pragma once

#include <windows.h>

// 0 nothing captured, 1 captured, 2 captured while another window lay over the canvas, 3 captured
// while part of the canvas was not on view, 4 both. The program's own windows over the canvas
// step aside for the copy and never count. `afterQuestion`: a question box has just closed, so
// the copy waits (bounded) until the canvas has been painted again.
short CaptureCanvas(HDC hdcDest, bool afterQuestion);
