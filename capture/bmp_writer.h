// Windows bitmap (BMP) files of a bitmap or of a picture object holding one.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>

// Writes the bitmap (not selected into any DC) as a 24-bit bottom-up BI_RGB file, replacing
// any file at path only once the new one is complete.
HRESULT SaveBitmapFile(HBITMAP bitmap, const std::wstring& path);

// The same for a picture object (IPicture or IPictureDisp) of type PICTYPE_BITMAP.
HRESULT SaveBitmapFile(IUnknown* picture, const std::wstring& path);
