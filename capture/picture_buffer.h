// The off-screen picture box the canvas is copied into: a persistent 32-bit drawing surface.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include "core/image.h"
#include "win32/handles.h"

class PictureBuffer {
public:
    PictureBuffer(int width, int height, COLORREF backColor);
    PictureBuffer(const PictureBuffer&) = delete;
    PictureBuffer& operator=(const PictureBuffer&) = delete;
    ~PictureBuffer();

    void Cls(); // fill with the background colour
    HDC hDC() const { return dc_.get(); }
    // A picture object holding a copy of the surface's bitmap; the caller releases it.
    HRESULT Image(IPictureDisp** picture) const;
    // The surface's pixels, top-down.
    HRESULT Pixels(core::Pixels& pixels) const;

private:
    int width_, height_;
    COLORREF backColor_;
    win32::MemoryDc dc_;
    win32::GdiObject<HBITMAP> bitmap_;
    const std::uint32_t* bits_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};
