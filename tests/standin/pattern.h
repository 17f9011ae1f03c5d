// The stand-in canvas's test pattern: a pure function of the canvas's client coordinates.
// Eight colours with components 0x00 or 0xFF only, so they come out exact at any colour depth;
// stripes of 32 pixels across, 32 down and a diagonal band, so a copy taken from the wrong
// origin (for instance (0, 0) instead of (60, 7)) differs from it.
#pragma once

#include <windows.h>

inline COLORREF StandinPatternPixel(int x, int y) {
    return RGB(((x >> 4) & 1) ? 0xFF : 0, ((y >> 4) & 1) ? 0xFF : 0, (((x + 2 * y) / 24) & 1) ? 0xFF : 0);
}
