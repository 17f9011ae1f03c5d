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
    // The surface's DC, with the bitmap in it.
    HDC hDC();
    // A picture object over the surface's own bitmap, not a copy: the encoder component reads its
    // pixels once. GDI reads only a bitmap that no DC holds, so the bitmap leaves the surface's DC
    // until the next hDC() or Cls(). The picture does not own the bitmap; the caller releases it.
    HRESULT Image(IPictureDisp** picture);
    // The surface's pixels, top-down.
    HRESULT Pixels(core::Pixels& pixels) const;

private:
    int width_, height_;
    COLORREF backColor_;
    win32::MemoryDc dc_;
    win32::GdiObject<HBITMAP> bitmap_;
    const std::uint32_t* bits_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr; // the DC's own bitmap while ours is in it, else null
    void Select();
    void Unselect();
};
