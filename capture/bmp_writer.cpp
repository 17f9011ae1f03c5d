// Our own BMP writer: the platform's picture saving cannot be tested under Wine (a stub there).
#include "capture/bmp_writer.h"

#include "core/bmp.h"
#include "win32/atomic_file.h"

HRESULT SaveBitmapFile(const core::Pixels& pixels, const std::wstring& path) {
    std::vector<unsigned char> file;
    switch (core::EncodeBmp(pixels, file)) {
    case core::EncodeStatus::Ok:
        return WriteFileReplacing(path, file.data(), file.size());
    case core::EncodeStatus::BadSize:
        return E_INVALIDARG;
    case core::EncodeStatus::OutOfMemory:
        return E_OUTOFMEMORY;
    case core::EncodeStatus::Failed:
        break;
    }
    return E_FAIL;
}
