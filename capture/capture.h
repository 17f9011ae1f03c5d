// Copying the applet's canvas from the screen, with the shutter sound and the overlap test.
#pragma once

#include <windows.h>

// 0 nothing captured, 1 captured with no overlap, 2 captured while another window lay over the canvas.
short CaptureCanvas(HDC hdcDest);
