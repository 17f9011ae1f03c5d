// The encoders' files read back with the system's libraries: PNG and BMP exact, JPEG close; and
// the sizes every encoder refuses.
#include "core/bmp.h"
#include "core/codecs.h"
#include "read_back.h"

#include <gtest/gtest.h>

using namespace core;

namespace {

using File = std::vector<unsigned char>;

// Exactly `colours` colours in runs of three pixels, or for 0 a smooth gradient; garbage in the
// X bytes, which every encoder must ignore.
Pixels Picture(int colours, int w = 37, int h = 23) {
    Pixels p{w, h, {}};
    for (uint32_t i = 0, x = 0, y = 0; i < uint32_t(w * h); x = ++i % w, y = i / w) {
        uint32_t rgb =
            colours ? (i / 3 % colours) * 0x9E3779B1u >> 8 : x * 255 / w << 16 | y * 255 / h << 8 | (x + y) % 256;
        p.bgrx.push_back(rgb | (i * 37 % 256) << 24);
    }
    return p;
}

// Reads the file back and checks its IHDR colour type (3 palette, 2 RGB) and bit depth.
void ExpectPngRoundTrip(const Pixels& pixels, const PngOptions& options, int colourType, int bitDepth) {
    File file;
    ASSERT_EQ(EncodePng(pixels, options, file), EncodeStatus::Ok);
    EXPECT_EQ(file.at(25), colourType);
    EXPECT_EQ(file.at(24), bitDepth);
    EXPECT_TRUE(read_back::Same(read_back::Png(file), pixels));
}

TEST(Png, LosslessInTheSmallestFormThatHoldsTheColours) {
    struct Case {
        int colours, colourType, bitDepth;
    } cases[] = {{1, 3, 1},  {2, 3, 1},  {3, 3, 2},   {4, 3, 2},   {5, 3, 4},   {9, 3, 4},
                 {16, 3, 4}, {17, 3, 8}, {200, 3, 8}, {256, 3, 8}, {257, 2, 8}, {0, 2, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colours);
        ExpectPngRoundTrip(c.colours ? Picture(c.colours) : Picture(0, 64, 48), {}, c.colourType, c.bitDepth);
    }
    // Options change the file, never the pixels: no palette; all filters at a level past 9; a
    // filter number where a mask belongs, at a level below 0.
    ExpectPngRoundTrip(Picture(2), {.palette = false}, 2, 8);
    ExpectPngRoundTrip(Picture(0, 64, 48), {0xF8, 42}, 2, 8);
    ExpectPngRoundTrip(Picture(9), {7, -3}, 3, 4);
}

TEST(Jpeg, ErrorFollowsTheQualityAndTheChromaSampling) {
    // The canvas, with one-pixel coloured strokes as in a drawing; at 100 its file outgrows the
    // first 64 KB of output.
    Pixels pixels = Picture(0, 710, 380);
    for (size_t i = 0; i < pixels.bgrx.size(); ++i)
        if (i % 710 % 23 == 0 || i / 710 % 17 == 0)
            pixels.bgrx[i] = (i % 710 + i / 710) % 2 ? 0xE02020 : 0x2040E0;
    auto encode = [&](JpegOptions options) {
        File file;
        EXPECT_EQ(EncodeJpeg(pixels, options, file), EncodeStatus::Ok);
        return file;
    };
    auto error = [&](const File& file) { // mean over all channels
        Pixels read = read_back::Jpeg(file);
        EXPECT_TRUE(read.width == pixels.width && read.height == pixels.height);
        double sum = 0;
        for (size_t i = 0; i < read.bgrx.size() * 3; ++i)
            sum += std::abs(int(read.bgrx[i / 3] >> i % 3 * 8 & 255) - int(pixels.bgrx[i / 3] >> i % 3 * 8 & 255));
        return sum / double(read.bgrx.size() * 3);
    };
    const File q100 = encode({}), q50 = encode({50}), q1 = encode({1}), subsampled = encode({100, true}),
               standardTables = encode({100, false, false});
    const double e100 = error(q100), e50 = error(q50), eSubsampled = error(subsampled);
    EXPECT_TRUE(e100 < 0.8 && e50 > 10 * e100 && e50 < 16) << e100 << ", " << e50;
    EXPECT_GT(eSubsampled, 10 * e100) << "4:2:0 turns thin coloured strokes grey";
    EXPECT_TRUE(q100.size() > q50.size() && q50.size() > q1.size());
    EXPECT_TRUE(error(standardTables) == e100 && standardTables.size() > q100.size());
    EXPECT_TRUE(encode({250}) == q100 && encode({-7}) == q1) << "quality clamped into 1..100";
}

TEST(Bmp, RowsBottomUpAndPaddedToFourBytes) {
    for (int w : {1, 2, 3, 4, 5, 37})
        for (int h : {1, 3}) {
            Pixels pixels = Picture(0, w, h);
            File file;
            ASSERT_EQ(EncodeBmp(pixels, file), EncodeStatus::Ok);
            EXPECT_TRUE(read_back::Same(read_back::Bmp(file), pixels)) << w << " x " << h;
        }
}

// Zero and negative sides, a pixel count one off, a count that wraps a 32-bit size_t to 0, just
// over kMaxPixels; then sides libjpeg (over 65500) and, by default, libpng (over a million) refuse.
TEST(Encoders, RefuseBadSizesAndNothingElse) {
    constexpr auto Ok = EncodeStatus::Ok, Bad = EncodeStatus::BadSize;
    struct Case {
        int width, height, count; // count: the pixels in the vector
        EncodeStatus jpeg, png, bmp;
    } cases[] = {{0, 4, 0, Bad, Bad, Bad},           {4, 0, 0, Bad, Bad, Bad},
                 {-4, -4, 16, Bad, Bad, Bad},        {-4, 4, 0, Bad, Bad, Bad},
                 {4, 4, 15, Bad, Bad, Bad},          {4, 4, 17, Bad, Bad, Bad},
                 {65536, 65536, 0, Bad, Bad, Bad},   {8192, 8193, 8192 * 8193, Bad, Bad, Bad},
                 {65501, 1, 65501, Bad, Ok, Ok},     {1, 65501, 65501, Bad, Ok, Ok},
                 {1000001, 1, 1000001, Bad, Ok, Ok}, {1, 1000001, 1000001, Bad, Ok, Ok}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const Pixels pixels{c.width, c.height, std::vector<uint32_t>(size_t(c.count), 0xFFFFFF)};
        File file;
        EXPECT_EQ(EncodeJpeg(pixels, {}, file), c.jpeg);
        EXPECT_EQ(EncodePng(pixels, {}, file), c.png);
        EXPECT_EQ(EncodeBmp(pixels, file), c.bmp);
    }
}

} // namespace
