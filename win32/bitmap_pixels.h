// A bitmap's pixels read through GDI, for the writers of the program and of the component.
#pragma once

#include <windows.h>

#include "core/image.h"

namespace win32 {

// Reads a bitmap that is not selected into any DC as 32-bit top-down pixels.
HRESULT ReadBitmapPixels(HBITMAP bitmap, core::Pixels& pixels);

} // namespace win32
