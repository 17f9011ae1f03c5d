// Windows bitmap (BMP) files of the captured picture.
#pragma once

#include <windows.h>

#include "core/image.h"

#include <string>

// Writes the pixels as a 24-bit bottom-up BI_RGB file, replacing any file at path only once the
// new one is complete.
HRESULT SaveBitmapFile(const core::Pixels& pixels, const std::wstring& path);
