// Fuzzes one encoder (PIKUTO_FUZZ_FORMAT 0 JPEG, 1 PNG, 2 BMP) with the size, options and pixels
// taken from the input. A picture of the right size must encode and read back (PNG and BMP
// exactly, JPEG at its size); any other must be refused as BadSize.
#include "core/bmp.h"
#include "core/codecs.h"
#include "tests/native/read_back.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr int kFormat = PIKUTO_FUZZ_FORMAT;
    if (size < 5)
        return 0;
    // Bytes 0, 1: width and height from -2 to 61; 2: quality or filters; 3: colours; 4: option
    // bits (PNG: 4 the fixed strategy), whether the pixels are few colours (1) or grey (8), and
    // whether the pixel count is one off; the rest: the pixels, repeated as needed.
    const uint8_t mode = data[4], *from = data + 5;
    const size_t n = size - 5;
    core::Pixels p{data[0] % 64 - 2, data[1] % 64 - 2, {}};
    const bool goodSize = p.width > 0 && p.height > 0 && mode % 16 != 15;
    size_t count = p.width > 0 && p.height > 0 ? size_t(p.width * p.height) : data[3] % 8;
    if (mode % 16 == 15)
        count = mode & 0x80 && count ? count - 1 : count + 1;
    for (size_t i = 0; i < count; ++i) {
        uint32_t v = 0;
        for (size_t k = 0; n && k < 4; ++k)
            v = v << 8 | from[(4 * i + k) % n];
        // Few colours (palettes of every bit depth), greys data[3] levels apart (so every grey
        // bit depth occurs), or any; noise in the X byte either way.
        const uint32_t rgb = mode & 8   ? (v % (data[3] + 1u)) * 255 / std::max(1u, uint32_t(data[3])) * 0x010101u
                             : mode & 1 ? (v % (data[3] + 1u)) * 0x9E3779B1u >> 8
                                        : v;
        p.bgrx.push_back((rgb & 0xFFFFFF) | (v & 0xFF000000));
    }
    std::vector<unsigned char> file;
    core::EncodeStatus status =
        kFormat == 0 ? core::EncodeJpeg(p, {int8_t(data[2]), bool(mode & 2), bool(mode & 4)}, file)
        : kFormat == 1
            ? core::EncodePng(p, {bool(mode & 4), data[2], (mode >> 4) - 3, bool(mode & 2), data[2] >> 2}, file)
            : core::EncodeBmp(p, file);
    if (status != (goodSize ? core::EncodeStatus::Ok : core::EncodeStatus::BadSize))
        std::abort();
    if (status == core::EncodeStatus::Ok) {
        core::Pixels read = kFormat == 0   ? read_back::Jpeg(file)
                            : kFormat == 1 ? read_back::Png(file)
                                           : read_back::Bmp(file);
        if (kFormat == 0 ? read.width != p.width || read.height != p.height : !read_back::Same(read, p))
            std::abort();
    }
    return 0;
}
