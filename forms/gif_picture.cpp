// Decodes a GIF resource once through the system's picture loader and draws it into a bitmap.
#include "forms/gif_picture.h"

#include <ole2.h>
#include <olectl.h>
#include <shlwapi.h>

#include "win32/app_info.h"

win32::GdiObject<HBITMAP> LoadGifBitmap(int id) {
    const std::vector<BYTE> bytes = win32::LoadResData(id, L"GIF");
    win32::ComPtr<IStream> stream(SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size())));
    win32::ComPtr<IPicture> picture;
    if (!stream ||
        FAILED(OleLoadPicture(stream.get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture, picture.putVoid())))
        return {};
    win32::WindowDc screen(nullptr);
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    // The loader gave the size in 0.01 mm at the screen's resolution: back to its pixels.
    const int cx = MulDiv(width, GetDeviceCaps(screen.get(), LOGPIXELSX), 2540);
    const int cy = MulDiv(height, GetDeviceCaps(screen.get(), LOGPIXELSY), 2540);
    win32::GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), cx, cy));
    win32::MemoryDc dc(CreateCompatibleDC(screen.get()));
    if (!bitmap || !dc)
        return {};
    win32::SelectedObject selected(dc.get(), bitmap.get());
    if (FAILED(picture->Render(dc.get(), 0, 0, cx, cy, 0, height, width, -height, nullptr)))
        return {};
    return bitmap;
}
