// PNG files of plain pixels through libpng: an exact palette when the picture has at most 256
// colours (1, 2, 4 or 8 bits an index), else 8-bit RGB.
//
// libpng reports errors with longjmp. The function that calls setjmp holds only plain data, so
// no C++ destructor is ever skipped; the rows and the file's bytes live in its caller.
#include "core/codecs.h"

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <new>

#include <png.h>

namespace core {

static_assert(PngOptions{}.filters == PNG_FILTER_NONE, "the default filter is meant to be none");

namespace {

// Rows ready for libpng (palette indices packed to the bit depth, or RGB), and the palette.
struct PngRows {
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    size_t stride = 0;
    std::vector<unsigned char> data;
    std::vector<png_color> palette;
};

struct PngSink {
    std::vector<unsigned char> bytes;
    bool outOfMemory = false;
};

void PngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void PngWarning(png_structp, png_const_charp) {}

void PngWrite(png_structp png, png_bytep data, size_t length) {
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    // The exception ends inside this function: none may cross libpng's frames.
    try {
        sink->bytes.insert(sink->bytes.end(), data, data + length);
    } catch (const std::bad_alloc&) {
        sink->outOfMemory = true;
    }
    if (sink->outOfMemory)
        png_error(png, "out of memory");
}

void PngFlush(png_structp) {}

EncodeStatus CompressPng(const Pixels& pixels, const PngOptions& options, const PngRows& rows, PngSink& sink) {
    // Only memory can fail the two structures.
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png)
        return EncodeStatus::OutOfMemory;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return EncodeStatus::OutOfMemory;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return sink.outOfMemory ? EncodeStatus::OutOfMemory : EncodeStatus::Failed;
    }
    png_set_write_fn(png, &sink, PngWrite, PngFlush);
    // libpng's default limit of a million pixels a side would refuse pictures ValidSize passes.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_IHDR(png, info, png_uint_32(pixels.width), png_uint_32(pixels.height), rows.bitDepth, rows.colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (rows.colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, rows.palette.data(), int(rows.palette.size()));
    // Only the mask's filter bits: libpng fails the whole file for 5, 6 or 7, which it reads as a
    // filter number.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, options.filters & PNG_ALL_FILTERS);
    png_set_compression_level(png, std::clamp(options.level, 0, 9));
    png_write_info(png, info);
    for (int y = 0; y < pixels.height; ++y) {
        // libpng's row type is not const, but writing only reads it.
        auto row = const_cast<png_bytep>(rows.data.data() + size_t(y) * rows.stride);
        png_write_row(png, row);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return EncodeStatus::Ok;
}

// Sorted distinct colours (without the X byte), or an empty vector when there are more than 256.
std::vector<uint32_t> FindPalette(const Pixels& pixels) {
    std::vector<uint32_t> colours;
    uint32_t last = 0xFFFFFFFF; // no 24-bit colour has this value
    for (uint32_t p : pixels.bgrx) {
        p &= 0xFFFFFF;
        if (p == last)
            continue;
        last = p;
        auto at = std::lower_bound(colours.begin(), colours.end(), p);
        if (at != colours.end() && *at == p)
            continue;
        if (colours.size() == 256)
            return {};
        colours.insert(at, p);
    }
    return colours;
}

void PrepareRows(const Pixels& pixels, const PngOptions& options, PngRows& rows) {
    size_t width = size_t(pixels.width);
    std::vector<uint32_t> colours;
    if (options.palette)
        colours = FindPalette(pixels);
    if (colours.empty()) {
        rows.colorType = PNG_COLOR_TYPE_RGB;
        rows.bitDepth = 8;
        rows.stride = width * 3;
        rows.data.resize(rows.stride * size_t(pixels.height));
        unsigned char* to = rows.data.data();
        for (uint32_t p : pixels.bgrx) {
            *to++ = static_cast<unsigned char>(p >> 16);
            *to++ = static_cast<unsigned char>(p >> 8);
            *to++ = static_cast<unsigned char>(p);
        }
        return;
    }
    rows.colorType = PNG_COLOR_TYPE_PALETTE;
    size_t n = colours.size();
    rows.bitDepth = n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
    for (uint32_t c : colours)
        rows.palette.push_back(png_color{png_byte(c >> 16), png_byte(c >> 8), png_byte(c)});
    int perByte = 8 / rows.bitDepth;
    rows.stride = (width + size_t(perByte) - 1) / size_t(perByte);
    rows.data.assign(rows.stride * size_t(pixels.height), 0);
    uint32_t last = 0xFFFFFFFF;
    unsigned index = 0;
    for (size_t y = 0; y < size_t(pixels.height); ++y) {
        unsigned char* row = rows.data.data() + y * rows.stride;
        for (size_t x = 0; x < width; ++x) {
            uint32_t p = pixels.bgrx[y * width + x] & 0xFFFFFF;
            if (p != last) {
                last = p;
                index = unsigned(std::lower_bound(colours.begin(), colours.end(), p) - colours.begin());
            }
            // Leftmost pixel in the high bits, as PNG packs them.
            int shift = 8 - rows.bitDepth * int(x % size_t(perByte) + 1);
            row[x / size_t(perByte)] |= static_cast<unsigned char>(index << shift);
        }
    }
}

} // namespace

EncodeStatus EncodePng(const Pixels& pixels, const PngOptions& options, std::vector<unsigned char>& file) {
    if (!ValidSize(pixels))
        return EncodeStatus::BadSize;
    PngRows rows;
    PngSink sink;
    try {
        PrepareRows(pixels, options, rows);
    } catch (const std::bad_alloc&) {
        return EncodeStatus::OutOfMemory;
    }
    EncodeStatus status = CompressPng(pixels, options, rows, sink);
    if (status == EncodeStatus::Ok)
        file.swap(sink.bytes);
    return status;
}

} // namespace core
