// Reads the encoders' files back: PNG and JPEG with the system's libpng and libjpeg, BMP by hand.
// A file that does not read gives an empty picture (JPEG: libjpeg's own error handler ends the
// process, a failure for a test and a crash for a fuzzer alike).
#pragma once

#include "core/image.h"

#include <algorithm>
#include <cstdio>

#include <jpeglib.h>
#include <png.h>

namespace read_back {

inline core::Pixels Png(const std::vector<unsigned char>& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return {};
    image.format = PNG_FORMAT_BGRA;
    core::Pixels p{int(image.width), int(image.height), std::vector<uint32_t>(size_t(image.width) * image.height)};
    return png_image_finish_read(&image, nullptr, p.bgrx.data(), 0, nullptr) ? p : core::Pixels{};
}

inline core::Pixels Jpeg(const std::vector<unsigned char>& file) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    core::Pixels p{int(cinfo.output_width), int(cinfo.output_height), {}};
    p.bgrx.resize(size_t(p.width) * size_t(p.height));
    while (cinfo.output_scanline < cinfo.output_height) {
        auto row = reinterpret_cast<JSAMPROW>(p.bgrx.data() + size_t(cinfo.output_scanline) * size_t(p.width));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    const bool trailing = cinfo.src->bytes_in_buffer != 0; // bytes after the end-of-image marker
    jpeg_destroy_decompress(&cinfo);
    return trailing ? core::Pixels{} : p;
}

// Every header field as Windows' readers expect it; the reserved fields and the row padding zero.
inline core::Pixels Bmp(const std::vector<unsigned char>& f) {
    auto u32 = [&](size_t at) {
        return uint32_t(f[at] | f[at + 1] << 8 | f[at + 2] << 16 | uint32_t(f[at + 3]) << 24);
    };
    if (f.size() < 54 || f[0] != 'B' || f[1] != 'M')
        return {};
    const size_t width = u32(18), height = u32(22), stride = (width * 3 + 3) / 4 * 4;
    if (u32(2) != f.size() || u32(6) || u32(10) != 54 || u32(14) != 40 || width - 1 >= 1u << 30 ||
        height - 1 >= 1u << 30 || u32(26) != (24 << 16 | 1) || u32(30) || u32(34) != stride * height || u32(38) ||
        u32(42) || u32(46) || u32(50) || f.size() != 54 + stride * height)
        return {};
    core::Pixels p{int(width), int(height), std::vector<uint32_t>(width * height)};
    for (size_t y = 0; y < height; ++y) {
        const unsigned char* row = f.data() + 54 + (height - 1 - y) * stride; // bottom-up
        if (std::any_of(row + width * 3, row + stride, [](unsigned char pad) { return pad != 0; }))
            return {};
        for (size_t x = 0; x < width; ++x)
            p.bgrx[y * width + x] = uint32_t(row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16);
    }
    return p;
}

// The pixels read back are those written, the X bytes aside.
inline bool Same(core::Pixels read, core::Pixels written) {
    for (core::Pixels* p : {&read, &written})
        for (uint32_t& v : p->bgrx)
            v &= 0xFFFFFF;
    return read.width == written.width && read.height == written.height && read.bgrx == written.bgrx;
}

} // namespace read_back
