// JPEG and PNG encoding of 32-bit pixels, and reading a bitmap's pixels through GDI.
//
// Both libraries report errors with longjmp. The functions that call setjmp hold only plain
// data, so no C++ destructor is ever skipped, and all buffers they grow are malloc'd and owned
// by a plain struct that the caller frees.
#include "image_codecs.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

static_assert(PngOptions{}.filters == PNG_FILTER_NONE, "the default filter is meant to be none");

namespace {

// Largest picture accepted: far above any canvas, far below where sizes could overflow.
constexpr long long kMaxPixels = 64LL * 1024 * 1024;

struct HdcHolder {
    HDC dc;
    ~HdcHolder() {
        if (dc)
            DeleteDC(dc);
    }
};

// A growing output buffer both libraries write into.
struct OutBuffer {
    unsigned char* data = nullptr;
    size_t size = 0;
    size_t capacity = 0;
};

bool Grow(OutBuffer& out, size_t need) {
    if (need <= out.capacity)
        return true;
    size_t capacity = std::max(need, out.capacity * 2 + 65536);
    auto* data = static_cast<unsigned char*>(std::realloc(out.data, capacity));
    if (!data)
        return false;
    out.data = data;
    out.capacity = capacity;
    return true;
}

HRESULT MoveToVector(OutBuffer& out, std::vector<unsigned char>& file) {
    HRESULT hr = S_OK;
    try {
        file.assign(out.data, out.data + out.size);
    } catch (...) {
        hr = E_OUTOFMEMORY;
    }
    std::free(out.data);
    out = OutBuffer{};
    return hr;
}

// ---- JPEG ----

struct JpegErrorTrap {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void JpegErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrorTrap*>(cinfo->err)->jump, 1);
}
void JpegQuietMessage(j_common_ptr) {}

constexpr size_t kJpegChunk = 65536;

struct JpegDestination {
    jpeg_destination_mgr pub;
    OutBuffer* out;
};

void JpegInitDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    if (!Grow(*dest->out, kJpegChunk))
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    dest->pub.next_output_byte = dest->out->data;
    dest->pub.free_in_buffer = dest->out->capacity;
}

boolean JpegEmptyOutput(j_compress_ptr cinfo) {
    // Called when the whole buffer is full.
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    OutBuffer& out = *dest->out;
    out.size = out.capacity;
    if (!Grow(out, out.capacity + kJpegChunk))
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    dest->pub.next_output_byte = out.data + out.size;
    dest->pub.free_in_buffer = out.capacity - out.size;
    return TRUE;
}

void JpegTermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    dest->out->size = dest->out->capacity - dest->pub.free_in_buffer;
}

bool CompressJpeg(const Pixels& pixels, const JpegOptions& options, OutBuffer& out) {
    jpeg_compress_struct cinfo;
    JpegErrorTrap trap;
    JpegDestination dest;
    cinfo.err = jpeg_std_error(&trap.pub);
    trap.pub.error_exit = JpegErrorExit;
    trap.pub.output_message = JpegQuietMessage;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    dest.pub.init_destination = JpegInitDestination;
    dest.pub.empty_output_buffer = JpegEmptyOutput;
    dest.pub.term_destination = JpegTermDestination;
    dest.out = &out;
    cinfo.dest = &dest.pub;

    cinfo.image_width = static_cast<JDIMENSION>(pixels.width);
    cinfo.image_height = static_cast<JDIMENSION>(pixels.height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, std::clamp(options.quality, 1, 100), TRUE);
    cinfo.optimize_coding = options.optimizeHuffman ? TRUE : FALSE;
    int chroma = options.subsample420 ? 2 : 1;
    cinfo.comp_info[0].h_samp_factor = chroma;
    cinfo.comp_info[0].v_samp_factor = chroma;
    cinfo.comp_info[1].h_samp_factor = cinfo.comp_info[1].v_samp_factor = 1;
    cinfo.comp_info[2].h_samp_factor = cinfo.comp_info[2].v_samp_factor = 1;

    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg's row type is not const, but it only reads the rows.
        auto* row = reinterpret_cast<JSAMPLE*>(
            const_cast<std::uint32_t*>(pixels.bgrx.data() + size_t(cinfo.next_scanline) * size_t(pixels.width)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// ---- PNG ----

void PngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void PngWarning(png_structp, png_const_charp) {}

void PngWrite(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<OutBuffer*>(png_get_io_ptr(png));
    if (length > SIZE_MAX - out->size || !Grow(*out, out->size + length))
        png_error(png, "out of memory");
    std::memcpy(out->data + out->size, data, length);
    out->size += length;
}

void PngFlush(png_structp) {}

// Rows ready for libpng (palette indices packed to the bit depth, or RGB), and the palette.
struct PngRows {
    int colorType;
    int bitDepth;
    size_t stride;
    std::vector<unsigned char> data;
    std::vector<png_color> palette;
};

bool CompressPng(const Pixels& pixels, const PngOptions& options, const PngRows& rows, OutBuffer& out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, png_uint_32(pixels.width), png_uint_32(pixels.height), rows.bitDepth, rows.colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (rows.colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, rows.palette.data(), int(rows.palette.size()));
    png_set_filter(png, PNG_FILTER_TYPE_BASE, options.filters);
    png_set_compression_level(png, std::clamp(options.level, 0, 9));
    png_write_info(png, info);
    for (int y = 0; y < pixels.height; ++y) {
        // libpng's row type is not const, but writing only reads it.
        auto row = const_cast<png_bytep>(rows.data.data() + size_t(y) * rows.stride);
        png_write_row(png, row);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Sorted distinct colours (without the X byte), or an empty vector when there are more than 256.
std::vector<std::uint32_t> FindPalette(const Pixels& pixels) {
    std::vector<std::uint32_t> colours;
    std::uint32_t last = 0xFFFFFFFF; // no 24-bit colour has this value
    for (std::uint32_t p : pixels.bgrx) {
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
    std::vector<std::uint32_t> colours;
    if (options.palette)
        colours = FindPalette(pixels);
    if (colours.empty()) {
        rows.colorType = PNG_COLOR_TYPE_RGB;
        rows.bitDepth = 8;
        rows.stride = width * 3;
        rows.data.resize(rows.stride * size_t(pixels.height));
        unsigned char* to = rows.data.data();
        for (std::uint32_t p : pixels.bgrx) {
            *to++ = static_cast<unsigned char>(p >> 16);
            *to++ = static_cast<unsigned char>(p >> 8);
            *to++ = static_cast<unsigned char>(p);
        }
        return;
    }
    rows.colorType = PNG_COLOR_TYPE_PALETTE;
    size_t n = colours.size();
    rows.bitDepth = n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
    for (std::uint32_t c : colours)
        rows.palette.push_back(png_color{png_byte(c >> 16), png_byte(c >> 8), png_byte(c)});
    int perByte = 8 / rows.bitDepth;
    rows.stride = (width + size_t(perByte) - 1) / size_t(perByte);
    rows.data.assign(rows.stride * size_t(pixels.height), 0);
    std::uint32_t last = 0xFFFFFFFF;
    unsigned index = 0;
    for (size_t y = 0; y < size_t(pixels.height); ++y) {
        unsigned char* row = rows.data.data() + y * rows.stride;
        for (size_t x = 0; x < width; ++x) {
            std::uint32_t p = pixels.bgrx[y * width + x] & 0xFFFFFF;
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

bool ValidSize(const Pixels& pixels) {
    return pixels.width > 0 && pixels.height > 0 &&
           static_cast<long long>(pixels.width) * pixels.height <= kMaxPixels &&
           pixels.bgrx.size() == size_t(pixels.width) * size_t(pixels.height);
}

} // namespace

HRESULT ReadBitmapPixels(HBITMAP bitmap, Pixels& pixels) {
    BITMAP info{};
    if (!bitmap || GetObjectW(bitmap, sizeof info, &info) != sizeof info)
        return E_INVALIDARG;
    long height = info.bmHeight < 0 ? -static_cast<long>(info.bmHeight) : info.bmHeight;
    if (info.bmWidth <= 0 || height <= 0 || static_cast<long long>(info.bmWidth) * height > kMaxPixels)
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
    HdcHolder dc{CreateCompatibleDC(nullptr)};
    if (!dc.dc)
        return E_OUTOFMEMORY;
    int copied = GetDIBits(dc.dc, bitmap, 0, UINT(pixels.height), pixels.bgrx.data(), &request, DIB_RGB_COLORS);
    return copied == pixels.height ? S_OK : E_FAIL;
}

HRESULT EncodeJpeg(const Pixels& pixels, const JpegOptions& options, std::vector<unsigned char>& file) {
    if (!ValidSize(pixels))
        return E_INVALIDARG;
    OutBuffer out;
    if (!CompressJpeg(pixels, options, out)) {
        std::free(out.data);
        return E_FAIL;
    }
    return MoveToVector(out, file);
}

HRESULT EncodePng(const Pixels& pixels, const PngOptions& options, std::vector<unsigned char>& file) {
    if (!ValidSize(pixels))
        return E_INVALIDARG;
    PngRows rows;
    PrepareRows(pixels, options, rows);
    OutBuffer out;
    if (!CompressPng(pixels, options, rows, out)) {
        std::free(out.data);
        return E_FAIL;
    }
    return MoveToVector(out, file);
}
