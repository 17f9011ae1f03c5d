// The encoders' files read back with the system's libraries: PNG exact, JPEG close (BMP by its
// fuzz corpus); and the sizes every encoder refuses.
#include "core/bmp.h"
#include "core/codecs.h"
#include "read_back.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace core;

namespace {

using File = std::vector<unsigned char>;

// Runs of three pixels in exactly `colours` colours, or `-levels` grey levels i * 255 / (levels - 1),
// or for 0 a smooth gradient; garbage in the X bytes, which every encoder must ignore.
Pixels Picture(int colours, int w = 37, int h = 23) {
    Pixels p{w, h, {}};
    for (uint32_t i = 0, x = 0, y = 0; i < uint32_t(w * h); x = ++i % w, y = i / w) {
        const uint32_t levels = uint32_t(-colours),
                       rgb = colours < 0 ? (i / 3 * 7 % levels) * 255 / (levels - 1) * 0x010101u
                             : colours   ? (i / 3 % uint32_t(colours)) * 0x9E3779B1u >> 8
                                         : x * 255 / w << 16 | y * 255 / h << 8 | (x + y) % 256;
        p.bgrx.push_back(rgb | (i * 37 % 256) << 24);
    }
    return p;
}

// Every chunk's CRC right and IEND last, which libpng does not check once it has the pixels.
bool ChunksIntact(const File& f) {
    for (size_t at = 8; at + 12 <= f.size();) {
        const size_t n = size_t(f[at]) << 24 | size_t(f[at + 1]) << 16 | size_t(f[at + 2]) << 8 | f[at + 3];
        if (at + 12 + n > f.size())
            return false;
        uLong crc = crc32(crc32(0, f.data() + at + 4, 4), f.data() + at + 8, uInt(n));
        for (int i = 0; i < 4; ++i)
            if (f[at + 8 + n + size_t(i)] != static_cast<unsigned char>(crc >> (24 - 8 * i)))
                return false;
        if (std::equal(f.begin() + long(at) + 4, f.begin() + long(at) + 8, "IEND"))
            return at + 12 + n == f.size();
        at += 12 + n;
    }
    return false;
}

// Reads the file back and checks its IHDR colour type (3 palette, 2 RGB, 0 grey) and bit depth.
void ExpectPngRoundTrip(const Pixels& pixels, const PngOptions& options, int colourType, int bitDepth) {
    SCOPED_TRACE(std::to_string(pixels.width) + " x " + std::to_string(pixels.height) + ", type " +
                 std::to_string(colourType) + ", depth " + std::to_string(bitDepth));
    File file;
    ASSERT_EQ(EncodePng(pixels, options, file), EncodeStatus::Ok);
    EXPECT_TRUE(ChunksIntact(file) && file.at(25) == colourType && file.at(24) == bitDepth);
    EXPECT_TRUE(read_back::Same(read_back::Png(file), pixels));
}

// Every form in every filter the search may pick: palettes of each depth, greys of each depth
// with the palette ruled out, RGB, and a picture whose rows span several of the compressor's
// segments and many 32 KB windows. Then the fixed strategy as before, the smallest palette or RGB
// whatever the options say: no palette; all filters at a level past 9; a filter number where a
// mask belongs, at a level below 0.
TEST(Png, LosslessInEveryFormAndFilterAndTheFixedStrategyKeepsItsForms) {
    // clang-format off
    struct { Pixels pixels; bool palette; int colourType, bitDepth; } cases[] = {
        {Picture(2), true, 3, 1}, {Picture(4), true, 3, 2}, {Picture(16), true, 3, 4}, {Picture(17), true, 3, 8},
        {Picture(256), true, 3, 8}, {Picture(-2), false, 0, 1}, {Picture(-4), false, 0, 2}, {Picture(-16), false, 0, 4},
        {Picture(-5), false, 0, 8}, {Picture(257), true, 2, 8}, {Picture(9), false, 2, 8},
        {Picture(0, 330, 300), true, 2, 8}};
    for (const auto& c : cases)
        for (int filter = 0; filter < 6; ++filter)
            ExpectPngRoundTrip(c.pixels, {.palette = c.palette, .tryFilters = 1 << filter}, c.colourType, c.bitDepth);
    struct { int colours, colourType, bitDepth; } fixed[] = {{1, 3, 1}, {3, 3, 2}, {5, 3, 4}, {17, 3, 8}, {256, 3, 8},
                                                             {257, 2, 8}};
    // clang-format on
    for (const auto& c : fixed)
        ExpectPngRoundTrip(Picture(c.colours), {.fixed = true}, c.colourType, c.bitDepth);
    ExpectPngRoundTrip(Picture(0, 64, 48), {.fixed = true}, 2, 8);
    ExpectPngRoundTrip(Picture(2), {.fixed = true, .palette = false}, 2, 8);
    ExpectPngRoundTrip(Picture(0, 64, 48), {true, 0xF8, 42}, 2, 8);
    ExpectPngRoundTrip(Picture(9), {true, 7, -3}, 3, 4);
}

// The mean error over all channels of the file read back, and its channel count (from SOF0).
std::pair<double, int> JpegError(const File& file, const Pixels& pixels) {
    const Pixels read = read_back::Jpeg(file);
    EXPECT_TRUE(read.width == pixels.width && read.height == pixels.height);
    double sum = 0;
    for (size_t i = 0; i < read.bgrx.size() * 3; ++i)
        sum += std::abs(int(read.bgrx[i / 3] >> i % 3 * 8 & 255) - int(pixels.bgrx[i / 3] >> i % 3 * 8 & 255));
    size_t sof = 0;
    while (sof + 9 < file.size() && !(file[sof] == 0xFF && file[sof + 1] == 0xC0))
        ++sof;
    return {sum / double(std::max<size_t>(1, read.bgrx.size() * 3)), sof + 9 < file.size() ? file[sof + 9] : 0};
}

// The canvas with one-pixel coloured strokes as in a drawing (at 100 its file outgrows the first
// 64 KB of output); then every pixel grey: one channel, read back close; one pixel off grey in red
// or in green: three.
TEST(Jpeg, ErrorFollowsTheQualityAndTheChromaSamplingAndGreyIsOneChannel) {
    Pixels pixels = Picture(0, 710, 380);
    for (size_t i = 0; i < pixels.bgrx.size(); ++i)
        if (i % 710 % 23 == 0 || i / 710 % 17 == 0)
            pixels.bgrx[i] = (i % 710 + i / 710) % 2 ? 0xE02020 : 0x2040E0;
    auto encode = [&](JpegOptions options) {
        File file;
        EXPECT_EQ(EncodeJpeg(pixels, options, file), EncodeStatus::Ok);
        return file;
    };
    const File q100 = encode({}), q50 = encode({50}), q1 = encode({1}), standardTables = encode({100, false, false});
    const double e100 = JpegError(q100, pixels).first, e50 = JpegError(q50, pixels).first;
    EXPECT_TRUE(e100 < 0.8 && e50 > 10 * e100 && e50 < 16) << e100 << ", " << e50;
    EXPECT_GT(JpegError(encode({100, true}), pixels).first, 10 * e100) << "4:2:0 turns thin coloured strokes grey";
    EXPECT_TRUE(q100.size() > q50.size() && q50.size() > q1.size());
    EXPECT_TRUE(JpegError(standardTables, pixels).first == e100 && standardTables.size() > q100.size());
    EXPECT_TRUE(encode({250}) == q100 && encode({-7}) == q1) << "quality clamped into 1..100";

    pixels = Picture(-256, 64, 48);
    const auto [error, channels] = JpegError(encode({}), pixels);
    EXPECT_TRUE(error < 0.5 && channels == 1) << error; // 0.09 at quality 100; a pixel astray makes it 4
    for (uint32_t channel : {0x010000u, 0x000100u}) {
        pixels.bgrx[1000] ^= channel;
        EXPECT_EQ(JpegError(encode({90}), pixels).second, 3);
        pixels.bgrx[1000] ^= channel;
    }
}

// Sizes beyond the fuzz targets' reach (they try zero and negative sides and a count one off): a
// count that wraps a 32-bit size_t to 0, just over kMaxPixels; then sides libjpeg (over 65500) and,
// by default, libpng (over a million) refuse.
TEST(Encoders, RefuseBadSizesAndNothingElse) {
    constexpr auto Ok = EncodeStatus::Ok, Bad = EncodeStatus::BadSize;
    // clang-format off
    struct { int width, height, count; EncodeStatus jpeg, png, bmp; } cases[] = { // count: the pixels in the vector
        {65536, 65536, 0, Bad, Bad, Bad}, {8192, 8193, 8192 * 8193, Bad, Bad, Bad}, {65501, 1, 65501, Bad, Ok, Ok},
        {1, 65501, 65501, Bad, Ok, Ok},
        {1000001, 1, 1000001, Bad, Ok, Ok}, {1, 1000001, 1000001, Bad, Ok, Ok}};
    // clang-format on
    for (const auto& c : cases) {
        const Pixels pixels{c.width, c.height, std::vector<uint32_t>(size_t(c.count), 0xFFFFFF)};
        File file;
        EXPECT_TRUE(EncodeJpeg(pixels, {}, file) == c.jpeg && EncodePng(pixels, {}, file) == c.png &&
                    EncodeBmp(pixels, file) == c.bmp)
            << c.width << " x " << c.height;
    }
}

} // namespace
