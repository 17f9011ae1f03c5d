// Our own BMP writer: the platform's picture saving cannot be tested under Wine (a stub there).
#include "capture/bmp_writer.h"

#include "capture/picture_bitmap.h"

#include "capture/atomic_file.h"

#include <olectl.h>

#include <cstring>
#include <vector>

namespace {

struct HdcHolder {
    HDC dc;
    ~HdcHolder() {
        if (dc)
            DeleteDC(dc);
    }
};

} // namespace

HRESULT SaveBitmapFile(HBITMAP bitmap, const std::wstring& path) {
    BITMAP info{};
    if (!bitmap || GetObjectW(bitmap, sizeof info, &info) != sizeof info)
        return E_INVALIDARG;
    long long width = info.bmWidth;
    long long height = info.bmHeight < 0 ? -static_cast<long long>(info.bmHeight) : info.bmHeight;
    long long stride = (width * 3 + 3) / 4 * 4;
    if (width <= 0 || height <= 0 || stride * height > 0x7FFFFFFF - 1024)
        return E_INVALIDARG;

    BITMAPFILEHEADER file{};
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = LONG(width);
    header.bmiHeader.biHeight = LONG(height); // positive: bottom-up, as BMP readers expect
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 24;
    header.bmiHeader.biCompression = BI_RGB;
    header.bmiHeader.biSizeImage = DWORD(stride * height);
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header.bmiHeader;
    file.bfSize = file.bfOffBits + header.bmiHeader.biSizeImage;

    std::vector<unsigned char> bytes(file.bfSize);
    HdcHolder dc{CreateCompatibleDC(nullptr)};
    if (!dc.dc)
        return E_OUTOFMEMORY;
    if (GetDIBits(dc.dc, bitmap, 0, UINT(height), bytes.data() + file.bfOffBits, &header, DIB_RGB_COLORS) !=
        int(height))
        return E_FAIL;
    // GetDIBits may fill in fields such as the resolution; the file records what it returned.
    std::memcpy(bytes.data(), &file, sizeof file);
    std::memcpy(bytes.data() + sizeof file, &header.bmiHeader, sizeof header.bmiHeader);
    return WriteFileReplacing(path, bytes.data(), bytes.size());
}

HRESULT SaveBitmapFile(IUnknown* picture, const std::wstring& path) {
    HBITMAP bitmap = nullptr;
    HRESULT hr = BitmapOfPicture(picture, bitmap);
    return FAILED(hr) ? hr : SaveBitmapFile(bitmap, path);
}
