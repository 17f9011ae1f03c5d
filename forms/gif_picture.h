// The GIF pictures compiled into the program, as bitmaps a static control can show.
#pragma once

#include <windows.h>

#include "win32/handles.h"

// The picture of resource `id` (type "GIF") at its own size; empty when it cannot be read.
win32::GdiObject<HBITMAP> LoadGifBitmap(int id);
