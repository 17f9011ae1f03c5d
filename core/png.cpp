// PNG files of plain pixels. By default each picture gets the smallest of several exact forms
// (palette, greyscale, RGB) and row filters, measured, with its image data compressed by
// core/deflate.cpp and the file's four chunks written here: libpng compresses only with zlib, so
// it could not carry that stream. The fixed strategy (one form, one filter mask, one zlib level)
// still goes through libpng.
//
// libpng reports errors with longjmp. The function that calls setjmp holds only plain data, so
// no C++ destructor is ever skipped; the rows and the file's bytes live in its caller.
#include "core/codecs.h"
#include "core/deflate.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

#include <png.h>
#include <zlib.h>

namespace core {

static_assert(PngOptions{}.filters == PNG_FILTER_NONE, "the fixed strategy's filter is meant to be none");

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

// ---- The per-picture search ----

// The picture in one exact form, unfiltered: rows of samples packed as PNG packs them.
struct Form {
    int colourType = 2; // 0 grey, 2 RGB, 3 palette
    int bitDepth = 8;
    size_t stride = 0;     // bytes a row
    size_t pixelBytes = 3; // how far back the filters look: a whole pixel, at least a byte
    std::vector<unsigned char> data;
    std::vector<uint32_t> palette; // 0xRRGGBB, by index
};

template <typename Sample> Form Packed(const Pixels& pixels, int colourType, int bitDepth, Sample sample) {
    Form f;
    f.colourType = colourType;
    f.bitDepth = bitDepth;
    f.pixelBytes = 1;
    const size_t width = size_t(pixels.width), perByte = size_t(8 / bitDepth);
    f.stride = (width + perByte - 1) / perByte;
    f.data.assign(f.stride * size_t(pixels.height), 0);
    for (size_t y = 0; y < size_t(pixels.height); ++y) {
        unsigned char* row = f.data.data() + y * f.stride;
        const uint32_t* from = pixels.bgrx.data() + y * width;
        for (size_t x = 0; x < width; ++x) // leftmost pixel in the high bits
            row[x / perByte] |=
                static_cast<unsigned char>(sample(from[x] & 0xFFFFFF) << (8 - bitDepth * int(x % perByte + 1)));
    }
    return f;
}

int DepthFor(size_t values) {
    return values <= 2 ? 1 : values <= 4 ? 2 : values <= 16 ? 4 : 8;
}

// The exact forms worth trying: a palette when the picture has at most 256 colours (in the
// fewest bits, the commonest colour first, so that a blank row is all zero bytes like the filter
// byte before it), greyscale when every pixel is grey (in the fewest bits its levels allow), and
// RGB only when there is no palette, which never loses to it.
std::vector<Form> Forms(const Pixels& pixels, bool palette) {
    std::vector<Form> forms;
    const std::vector<uint32_t> colours = palette ? FindPalette(pixels) : std::vector<uint32_t>{};
    if (!colours.empty()) {
        std::vector<uint32_t> uses(colours.size());
        uint32_t last = 0xFFFFFFFF;
        size_t at = 0;
        for (uint32_t p : pixels.bgrx) {
            if ((p & 0xFFFFFF) != last) {
                last = p & 0xFFFFFF;
                at = size_t(std::lower_bound(colours.begin(), colours.end(), last) - colours.begin());
            }
            ++uses[at];
        }
        std::vector<unsigned> order(colours.size()), index(colours.size());
        for (unsigned i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](unsigned a, unsigned b) { return uses[a] > uses[b]; });
        for (unsigned i = 0; i < order.size(); ++i)
            index[order[i]] = i;
        last = 0xFFFFFFFF;
        unsigned cached = 0;
        Form f = Packed(pixels, PNG_COLOR_TYPE_PALETTE, DepthFor(colours.size()), [&](uint32_t c) {
            if (c != last) {
                last = c;
                cached = index[size_t(std::lower_bound(colours.begin(), colours.end(), c) - colours.begin())];
            }
            return cached;
        });
        for (unsigned i : order)
            f.palette.push_back(colours[i]);
        forms.push_back(std::move(f));
    }
    bool grey = true, by17 = true, by85 = true, by255 = true;
    for (uint32_t p : pixels.bgrx) {
        const uint32_t level = p & 0xFF;
        grey = grey && (p & 0xFFFFFF) == level * 0x010101u;
        by17 = by17 && level % 17 == 0;
        by85 = by85 && level % 85 == 0;
        by255 = by255 && level % 255 == 0;
    }
    if (grey) {
        const int depth = by255 ? 1 : by85 ? 2 : by17 ? 4 : 8;
        const uint32_t step = 255u / ((1u << depth) - 1);
        forms.push_back(Packed(pixels, PNG_COLOR_TYPE_GRAY, depth, [&](uint32_t c) { return (c & 0xFF) / step; }));
    }
    if (forms.empty()) {
        Form f;
        f.stride = size_t(pixels.width) * 3;
        f.data.resize(f.stride * size_t(pixels.height));
        unsigned char* to = f.data.data();
        for (uint32_t p : pixels.bgrx) {
            *to++ = static_cast<unsigned char>(p >> 16);
            *to++ = static_cast<unsigned char>(p >> 8);
            *to++ = static_cast<unsigned char>(p);
        }
        forms.push_back(std::move(f));
    }
    return forms;
}

// Row filters: 0 none, 1 sub, 2 up, 3 average, 4 Paeth; kAdaptive takes, row by row,
// the one whose bytes read as signed numbers sum smallest, which is libpng's own choice.
constexpr int kAdaptive = 5;

void FilterRow(int type, const unsigned char* row, const unsigned char* above, size_t n, size_t bpp,
               unsigned char* out) {
    // One loop a filter, the first pixel (nothing to its left) apart: this runs over every row
    // five times for the row-by-row choice.
    const size_t first = std::min(bpp, n);
    switch (type) {
    case 0:
        std::memcpy(out, row, n);
        break;
    case 1:
        std::memcpy(out, row, first);
        for (size_t i = first; i < n; ++i)
            out[i] = static_cast<unsigned char>(row[i] - row[i - bpp]);
        break;
    case 2:
        for (size_t i = 0; i < n; ++i)
            out[i] = static_cast<unsigned char>(row[i] - above[i]);
        break;
    case 3:
        for (size_t i = 0; i < first; ++i)
            out[i] = static_cast<unsigned char>(row[i] - above[i] / 2);
        for (size_t i = first; i < n; ++i)
            out[i] = static_cast<unsigned char>(row[i] - (row[i - bpp] + above[i]) / 2);
        break;
    default: // Paeth: of left, above and upper left, the one nearest to left + above - upper left
        for (size_t i = 0; i < first; ++i)
            out[i] = static_cast<unsigned char>(row[i] - above[i]);
        for (size_t i = first; i < n; ++i) {
            const int a = row[i - bpp], b = above[i], c = above[i - bpp];
            const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
            out[i] = static_cast<unsigned char>(row[i] - (pa <= pb && pa <= pc ? a : pb <= pc ? b : c));
        }
    }
}

// The filtered rows, each after its filter type byte: every row, or for an estimate only the
// first of each four bands of eight rows.
std::vector<unsigned char> FilterRows(const Form& form, int filter, bool sample) {
    const size_t height = form.data.size() / std::max<size_t>(form.stride, 1), n = form.stride;
    const std::vector<unsigned char> zeros(n);
    std::array<std::vector<unsigned char>, 5> trial;
    if (filter == kAdaptive)
        for (auto& t : trial)
            t.resize(n);
    std::vector<unsigned char> out;
    out.reserve((n + 1) * (sample ? (height + 3) / 4 : height));
    for (size_t y = 0; y < height; ++y) {
        if (sample && y / 8 % 4 != 0)
            continue;
        const unsigned char* row = form.data.data() + y * n;
        const unsigned char* above = y ? row - n : zeros.data();
        int type = filter;
        if (filter == kAdaptive) {
            uint64_t least = UINT64_MAX;
            for (int t = 0; t < 5; ++t) {
                FilterRow(t, row, above, n, form.pixelBytes, trial[size_t(t)].data());
                uint64_t sum = 0;
                for (unsigned char v : trial[size_t(t)])
                    sum += v < 128 ? v : 256 - v;
                if (sum < least)
                    least = sum, type = t;
            }
        }
        out.push_back(static_cast<unsigned char>(type));
        out.resize(out.size() + n);
        FilterRow(type, row, above, n, form.pixelBytes, out.data() + out.size() - n);
    }
    return out;
}

// zlib's own stream at `level` with `strategy`, memory level 8 and a 32 KB window, as optipng's
// trials make it.
std::vector<unsigned char> ZlibStream(const std::vector<unsigned char>& data, int level, int strategy) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, 15, 8, strategy) != Z_OK)
        throw std::bad_alloc();
    std::vector<unsigned char> out(deflateBound(&z, uLong(data.size())));
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    size_t given = 0;
    int result = Z_OK;
    while (result == Z_OK) {
        const size_t n = std::min<size_t>(data.size() - given, 1u << 30);
        z.next_in = const_cast<Bytef*>(data.data() + given); // zlib only reads it
        z.avail_in = uInt(n);
        given += n;
        result = deflate(&z, given == data.size() ? Z_FINISH : Z_NO_FLUSH);
    }
    out.resize(z.total_out);
    deflateEnd(&z);
    if (result != Z_STREAM_END)
        throw std::bad_alloc(); // with a buffer of deflateBound's size only memory can fail
    return out;
}

void PutChunk(std::vector<unsigned char>& file, const char* type, const unsigned char* data, size_t n) {
    const unsigned char length[4] = {static_cast<unsigned char>(n >> 24), static_cast<unsigned char>(n >> 16),
                                     static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n)};
    file.insert(file.end(), length, length + 4);
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data, data + n);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    if (n) // crc32 of a null buffer restarts
        crc = crc32(crc, data, uInt(n));
    for (int shift = 24; shift >= 0; shift -= 8)
        file.push_back(static_cast<unsigned char>(crc >> shift));
}

void PutUint32(unsigned char* to, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        to[i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

std::vector<unsigned char> PngFile(const Pixels& pixels, const Form& form, const std::vector<unsigned char>& idat) {
    static constexpr unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> file(signature, signature + 8);
    file.reserve(idat.size() + 3 * form.palette.size() + 100);
    unsigned char header[13] = {};
    PutUint32(header, uint32_t(pixels.width));
    PutUint32(header + 4, uint32_t(pixels.height));
    header[8] = static_cast<unsigned char>(form.bitDepth);
    header[9] = static_cast<unsigned char>(form.colourType); // compression, filter, interlace: 0
    PutChunk(file, "IHDR", header, sizeof header);
    if (!form.palette.empty()) {
        std::vector<unsigned char> plte;
        for (uint32_t c : form.palette)
            plte.insert(plte.end(), {static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 8),
                                     static_cast<unsigned char>(c)});
        PutChunk(file, "PLTE", plte.data(), plte.size());
    }
    constexpr size_t kChunk = size_t(1) << 30; // a chunk holds at most 2^31 - 1 bytes
    for (size_t at = 0; at < idat.size(); at += kChunk)
        PutChunk(file, "IDAT", idat.data() + at, std::min(idat.size() - at, kChunk));
    PutChunk(file, "IEND", nullptr, 0);
    return file;
}

// Ranks the forms and filters by zlib's fast level 2 on a quarter of the rows, then compresses the
// best in full with core/deflate.cpp and with those of optipng's zlib trials that can win on such
// data: level 9 on very repetitive unfiltered rows, run-length and Huffman-only (which cost little)
// on filtered ones; the smallest stream is written. The fast level underrates the long matches that
// unfiltered drawings are made of, so "none" stays a finalist unless it is clearly behind; the four
// fixed filters are ranked only where the row-by-row choice beats none. A small picture (64 KB of
// rows or less) also tries the fixed strategy's own stream, so that even there, where a byte or two
// decides, nothing comes out larger than before.
std::vector<unsigned char> ChoosePng(const Pixels& pixels, const PngOptions& options) {
    std::vector<Form> forms = Forms(pixels, options.palette);
    const int tried = options.tryFilters & 0x3F ? options.tryFilters & 0x3F : 1;
    struct Trial {
        size_t form;
        int filter;
        size_t estimate;
        size_t sampled; // bytes the estimate compressed
    };
    std::vector<Trial> trials;
    auto rank = [&](size_t f, int filter) {
        if (!(tried >> filter & 1))
            return;
        const std::vector<unsigned char> sample = FilterRows(forms[f], filter, true);
        trials.push_back(
            {f, filter, ZlibStream(sample, 2, Z_DEFAULT_STRATEGY).size() + 3 * forms[f].palette.size(), sample.size()});
    };
    for (size_t f = 0; f < forms.size(); ++f) {
        const size_t before = trials.size();
        rank(f, 0);
        rank(f, kAdaptive);
        const bool noneWins = trials.size() == before + 2 && trials[before].estimate < trials[before + 1].estimate;
        for (int filter = 1; filter < kAdaptive && !noneWins; ++filter)
            rank(f, filter);
    }
    const Trial top = *std::min_element(trials.begin(), trials.end(),
                                        [](const Trial& a, const Trial& b) { return a.estimate < b.estimate; });
    std::vector<Trial> finalists = {top};
    for (const Trial& unfiltered : trials)
        if (unfiltered.form == top.form && unfiltered.filter == 0 && top.filter != 0 &&
            unfiltered.estimate <= top.estimate + top.estimate / 6)
            finalists.push_back(unfiltered);

    struct Candidate {
        size_t form;
        std::vector<unsigned char> stream;
        size_t Bytes(const std::vector<Form>& forms) const { return stream.size() + 3 * forms[form].palette.size(); }
    };
    std::vector<Candidate> candidates;
    for (const Trial& finalist : finalists) {
        const std::vector<unsigned char> filtered = FilterRows(forms[finalist.form], finalist.filter, false);
        // Deep searches pay where matches are long; data that packs less than 4 to 1 (smooth or
        // noisy pictures, filtered) is mostly literals and short matches.
        const size_t packs = finalist.sampled / std::max<size_t>(finalist.estimate, 1);
        candidates.push_back({finalist.form, {}});
        ZlibCompress(filtered.data(), filtered.size(),
                     packs < 2   ? DeflateEffort{8, 2, 1}
                     : packs < 4 ? DeflateEffort{16, 4, 2}
                                 : DeflateEffort{},
                     candidates.back().stream);
        // Rows that pack more than 16 to 1 repeat so much that the trees, cut at their depth,
        // miss matches zlib's long chains find (dithering, screenshots); elsewhere zlib's level 9
        // lost on every picture measured, and costs as much as the whole fixed strategy.
        if (finalist.filter == 0 && packs >= 16)
            candidates.push_back({finalist.form, ZlibStream(filtered, 9, Z_DEFAULT_STRATEGY)});
        else if (finalist.filter != 0)
            for (int strategy : {Z_RLE, Z_HUFFMAN_ONLY})
                candidates.push_back({finalist.form, ZlibStream(filtered, 9, strategy)});
    }
    if (tried == 0x3F && forms[0].data.size() <= 65536) {
        PngRows rows;
        PrepareRows(pixels, PngOptions{.fixed = true, .palette = options.palette}, rows);
        Form fixed;
        fixed.colourType = rows.colorType;
        fixed.bitDepth = rows.bitDepth;
        fixed.stride = rows.stride;
        fixed.data = std::move(rows.data);
        for (const png_color& c : rows.palette)
            fixed.palette.push_back(uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue);
        forms.push_back(std::move(fixed));
        candidates.push_back({forms.size() - 1, ZlibStream(FilterRows(forms.back(), 0, false), 9, Z_DEFAULT_STRATEGY)});
    }
    const Candidate& best =
        *std::min_element(candidates.begin(), candidates.end(),
                          [&](const Candidate& a, const Candidate& b) { return a.Bytes(forms) < b.Bytes(forms); });
    return PngFile(pixels, forms[best.form], best.stream);
}

} // namespace

EncodeStatus EncodePng(const Pixels& pixels, const PngOptions& options, std::vector<unsigned char>& file) {
    if (!ValidSize(pixels))
        return EncodeStatus::BadSize;
    if (!options.fixed) {
        try {
            file = ChoosePng(pixels, options);
            return EncodeStatus::Ok;
        } catch (const std::bad_alloc&) {
            return EncodeStatus::OutOfMemory;
        }
    }
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
