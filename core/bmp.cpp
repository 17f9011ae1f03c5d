// BMP files written field by field, so the bytes are the same on every platform and compiler.
#include "core/bmp.h"

#include <cstddef>
#include <new>

namespace core {

namespace {

constexpr size_t kFileHeaderSize = 14, kInfoHeaderSize = 40, kHeadersSize = kFileHeaderSize + kInfoHeaderSize;

// Readers take a file of up to 2 GB; ValidSize keeps every picture far below that (3 bytes a
// pixel plus at most 3 bytes of padding a row), so no size it passes needs a check of its own.
static_assert(kHeadersSize + 6 * kMaxPixels <= 0x7FFFFFFF - 1024, "a BMP file must stay below 2 GB");

void Put16(unsigned char* at, uint32_t value) {
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void Put32(unsigned char* at, uint32_t value) {
    Put16(at, value);
    Put16(at + 2, value >> 16);
}

} // namespace

EncodeStatus EncodeBmp(const Pixels& pixels, std::vector<unsigned char>& file) {
    if (!ValidSize(pixels))
        return EncodeStatus::BadSize;
    const size_t width = size_t(pixels.width), height = size_t(pixels.height);
    const size_t stride = (width * 3 + 3) / 4 * 4;
    const size_t imageSize = stride * height;
    std::vector<unsigned char> bytes;
    try {
        bytes.assign(kHeadersSize + imageSize, 0); // the zeros are also the row padding
    } catch (const std::bad_alloc&) {
        return EncodeStatus::OutOfMemory;
    }
    unsigned char* h = bytes.data();
    // BITMAPFILEHEADER: "BM", file size, two reserved words, offset of the pixels.
    h[0] = 'B';
    h[1] = 'M';
    Put32(h + 2, uint32_t(bytes.size()));
    Put16(h + 6, 0);
    Put16(h + 8, 0);
    Put32(h + 10, uint32_t(kHeadersSize));
    // BITMAPINFOHEADER: a positive height makes the rows bottom-up, as BMP readers expect; one
    // plane of 24 bits, BI_RGB; the image size as GetDIBits filled it in before; no resolution and
    // no colour table.
    Put32(h + 14, uint32_t(kInfoHeaderSize));
    Put32(h + 18, uint32_t(width));
    Put32(h + 22, uint32_t(height));
    Put16(h + 26, 1);
    Put16(h + 28, 24);
    Put32(h + 30, 0);
    Put32(h + 34, uint32_t(imageSize));
    Put32(h + 38, 0);
    Put32(h + 42, 0);
    Put32(h + 46, 0);
    Put32(h + 50, 0);
    for (size_t y = 0; y < height; ++y) {
        const uint32_t* from = pixels.bgrx.data() + y * width;
        unsigned char* to = h + kHeadersSize + (height - 1 - y) * stride;
        for (size_t x = 0; x < width; ++x, to += 3) {
            to[0] = static_cast<unsigned char>(from[x]);
            to[1] = static_cast<unsigned char>(from[x] >> 8);
            to[2] = static_cast<unsigned char>(from[x] >> 16);
        }
    }
    file.swap(bytes);
    return EncodeStatus::Ok;
}

} // namespace core
