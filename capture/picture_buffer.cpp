// The picture box: a top-down 32-bit DIB section selected into its own memory DC.
#include "capture/picture_buffer.h"

#include <olectl.h>

#include <utility>

namespace {
HBITMAP CreateDib(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}
} // namespace

PictureBuffer::PictureBuffer(int width, int height, COLORREF backColor)
    : width_(width), height_(height), backColor_(backColor), dc_(CreateCompatibleDC(nullptr)) {
    void* bits = nullptr;
    bitmap_.reset(CreateDib(width, height, &bits));
    if (dc_ && bitmap_) {
        bits_ = static_cast<const std::uint32_t*>(bits);
        Select();
    }
}

PictureBuffer::~PictureBuffer() {
    // The bitmap goes back out of the DC before either is deleted.
    Unselect();
}

void PictureBuffer::Select() {
    if (bits_ && !oldBitmap_)
        oldBitmap_ = SelectObject(dc_.get(), bitmap_.get());
}

void PictureBuffer::Unselect() {
    if (oldBitmap_)
        SelectObject(dc_.get(), std::exchange(oldBitmap_, nullptr));
}

HDC PictureBuffer::hDC() {
    Select();
    return dc_.get();
}

void PictureBuffer::Cls() {
    if (!bits_)
        return;
    win32::GdiObject<HBRUSH> brush(CreateSolidBrush(backColor_));
    RECT all{0, 0, width_, height_};
    FillRect(hDC(), &all, brush.get());
}

HRESULT PictureBuffer::Pixels(core::Pixels& pixels) const {
    if (!bits_)
        return E_FAIL;
    GdiFlush(); // drawing into a DIB section may still be queued
    pixels.width = width_;
    pixels.height = height_;
    pixels.bgrx.assign(bits_, bits_ + size_t(width_) * size_t(height_));
    return S_OK;
}

HRESULT PictureBuffer::Image(IPictureDisp** picture) {
    if (!picture)
        return E_POINTER;
    *picture = nullptr;
    if (!bits_)
        return E_FAIL;
    GdiFlush();
    Unselect();
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap_.get();
    return OleCreatePictureIndirect(&desc, IID_IPictureDisp, FALSE, reinterpret_cast<void**>(picture));
}
