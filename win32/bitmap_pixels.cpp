// GetDIBits into plain pixels.
#include "win32/bitmap_pixels.h"

#include "win32/handles.h"

namespace win32 {

HRESULT ReadBitmapPixels(HBITMAP bitmap, core::Pixels& pixels) {
    BITMAP info{};
    if (!bitmap || GetObjectW(bitmap, sizeof info, &info) != sizeof info)
        return E_INVALIDARG;
    long height = info.bmHeight < 0 ? -static_cast<long>(info.bmHeight) : info.bmHeight;
    if (info.bmWidth <= 0 || height <= 0 || static_cast<long long>(info.bmWidth) * height > core::kMaxPixels)
        return E_INVALIDARG;
    pixels.width = info.bmWidth;
    pixels.height = int(height);
    pixels.bgrx.assign(size_t(pixels.width) * size_t(pixels.height), 0);

    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = pixels.width;
    request.bmiHeader.biHeight = -pixels.height; // top-down
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc)
        return E_OUTOFMEMORY;
    int copied = GetDIBits(dc.get(), bitmap, 0, UINT(pixels.height), pixels.bgrx.data(), &request, DIB_RGB_COLORS);
    return copied == pixels.height ? S_OK : E_FAIL;
}

} // namespace win32
