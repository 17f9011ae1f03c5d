// Sizes, times and stroke colour error of the encoder's JPEG and PNG settings on drawings.
// Build: cmake --build <dir> --target encoder_bench; run under Wine; prints Markdown tables.
#include "core/codecs.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>
#include <png.h>

using namespace core;

namespace {

constexpr int kWidth = 710;
constexpr int kHeight = 380;

// Colours a drawing chat offers: black, red, blue, green, orange, purple, pink, brown.
constexpr std::uint32_t kInks[] = {0x000000, 0xE02020, 0x2040E0, 0x20A040, 0xF09020, 0x8030B0, 0xF070A0, 0x805030};

struct Rng {
    std::uint32_t state = 12345;
    double Next() {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / double(1 << 24);
    }
};

std::uint32_t Blend(std::uint32_t under, std::uint32_t ink, double alpha) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        double a = (under >> shift) & 0xFF, b = (ink >> shift) & 0xFF;
        out |= std::uint32_t(std::lround(a + (b - a) * alpha)) << shift;
    }
    return out;
}

// One pen stroke, a wandering polyline of round-capped segments, as a drawing applet draws it.
void DrawStroke(Pixels& picture, Rng& rng, bool antialiased) {
    std::uint32_t ink = kInks[int(rng.Next() * 8) % 8];
    double width = 1 + std::floor(rng.Next() * 3); // 1 to 3 pixels
    double x = 20 + rng.Next() * (kWidth - 40), y = 20 + rng.Next() * (kHeight - 40);
    double heading = rng.Next() * 6.283;
    for (int segment = 0; segment < 40; ++segment) {
        heading += (rng.Next() - 0.5) * 0.9;
        double nx = std::clamp(x + std::cos(heading) * 6, 2.0, kWidth - 3.0);
        double ny = std::clamp(y + std::sin(heading) * 6, 2.0, kHeight - 3.0);
        int x0 = int(std::min(x, nx) - width - 1), x1 = int(std::max(x, nx) + width + 1);
        int y0 = int(std::min(y, ny) - width - 1), y1 = int(std::max(y, ny) + width + 1);
        double dx = nx - x, dy = ny - y, length2 = dx * dx + dy * dy;
        for (int py = std::max(0, y0); py <= std::min(kHeight - 1, y1); ++py) {
            for (int px = std::max(0, x0); px <= std::min(kWidth - 1, x1); ++px) {
                double t = length2 > 0 ? std::clamp(((px - x) * dx + (py - y) * dy) / length2, 0.0, 1.0) : 0;
                double ex = px - (x + t * dx), ey = py - (y + t * dy);
                double distance = std::sqrt(ex * ex + ey * ey);
                double cover = antialiased ? std::clamp(width / 2 + 0.5 - distance, 0.0, 1.0)
                                           : (distance <= width / 2 ? 1.0 : 0.0);
                if (cover <= 0)
                    continue;
                std::uint32_t& p = picture.bgrx[size_t(py) * kWidth + size_t(px)];
                // Overlapping segments of one stroke must not darken each other.
                std::uint32_t blended = Blend(0xFFFFFF, ink, cover);
                if (cover >= 1 || p == 0xFFFFFF)
                    p = cover >= 1 ? ink : blended;
            }
        }
        x = nx;
        y = ny;
    }
}

Pixels MakeDrawing(bool antialiased) {
    Pixels picture;
    picture.width = kWidth;
    picture.height = kHeight;
    picture.bgrx.assign(size_t(kWidth) * kHeight, 0xFFFFFF);
    Rng rng;
    for (int i = 0; i < 60; ++i)
        DrawStroke(picture, rng, antialiased);
    return picture;
}

size_t CountColours(const Pixels& picture) {
    std::vector<std::uint32_t> all = picture.bgrx;
    std::sort(all.begin(), all.end());
    return size_t(std::unique(all.begin(), all.end()) - all.begin());
}

Pixels DecodeJpeg(const std::vector<unsigned char>& file) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error); // exits on a broken file: fine for a tool
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    Pixels picture;
    picture.width = int(cinfo.output_width);
    picture.height = int(cinfo.output_height);
    picture.bgrx.resize(size_t(picture.width) * size_t(picture.height));
    while (cinfo.output_scanline < cinfo.output_height) {
        auto* row = reinterpret_cast<JSAMPLE*>(picture.bgrx.data() + size_t(cinfo.output_scanline) * picture.width);
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return picture;
}

struct StrokeError {
    double meanRgb; // mean absolute channel error over stroke pixels
    double meanHue; // mean chroma (Cb, Cr) error over stroke pixels: colour bleeding
    int maxChannel; // worst single channel error anywhere
};

StrokeError CompareStrokes(const Pixels& original, const Pixels& decoded) {
    double rgb = 0, chroma = 0;
    long count = 0;
    int worst = 0;
    for (size_t i = 0; i < original.bgrx.size(); ++i) {
        std::uint32_t a = original.bgrx[i] & 0xFFFFFF, b = decoded.bgrx[i] & 0xFFFFFF;
        int diff[3];
        for (int c = 0; c < 3; ++c) {
            diff[c] = int((a >> (8 * c)) & 0xFF) - int((b >> (8 * c)) & 0xFF);
            worst = std::max(worst, std::abs(diff[c]));
        }
        if (a == 0xFFFFFF)
            continue;
        ++count;
        rgb += (std::abs(diff[0]) + std::abs(diff[1]) + std::abs(diff[2])) / 3.0;
        double db = diff[0], dg = diff[1], dr = diff[2];
        double cb = -0.168736 * dr - 0.331264 * dg + 0.5 * db;
        double cr = 0.5 * dr - 0.418688 * dg - 0.081312 * db;
        chroma += (std::abs(cb) + std::abs(cr)) / 2;
    }
    return {rgb / double(count), chroma / double(count), worst};
}

template <typename F> double MedianMilliseconds(F&& run) {
    std::vector<double> times;
    for (int i = 0; i < 7; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void BenchJpeg(const char* name, const Pixels& picture) {
    std::printf("\n### JPEG, %s drawing\n\n", name);
    std::printf(
        "| quality | chroma | Huffman | bytes | ms | stroke error (RGB) | stroke colour error (CbCr) | max |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    for (int quality : {100, 90, 75}) {
        for (bool subsample : {false, true}) {
            for (bool optimize : {true, false}) {
                JpegOptions options{quality, subsample, optimize};
                std::vector<unsigned char> file;
                double ms = MedianMilliseconds([&] { EncodeJpeg(picture, options, file); });
                StrokeError error = CompareStrokes(picture, DecodeJpeg(file));
                std::printf("| %d | %s | %s | %zu | %.1f | %.2f | %.2f | %d |\n", quality,
                            subsample ? "4:2:0" : "4:4:4", optimize ? "optimised" : "standard", file.size(), ms,
                            error.meanRgb, error.meanHue, error.maxChannel);
            }
        }
    }
}

void BenchPng(const char* name, const Pixels& picture) {
    std::printf("\n### PNG, %s drawing (%zu colours)\n\n", name, CountColours(picture));
    std::printf("| palette | filter | zlib level | bytes | ms |\n|---|---|---|---|---|\n");
    struct Filter {
        const char* name;
        int mask;
    };
    const Filter filters[] = {{"none", PNG_FILTER_NONE},
                              {"sub", PNG_FILTER_SUB},
                              {"paeth", PNG_FILTER_PAETH},
                              {"adaptive (all)", PNG_ALL_FILTERS}};
    for (bool palette : {true, false}) {
        if (palette && CountColours(picture) > 256)
            continue;
        for (const Filter& filter : filters) {
            for (int level : {6, 9}) {
                PngOptions options{filter.mask, level, palette};
                std::vector<unsigned char> file;
                double ms = MedianMilliseconds([&] { EncodePng(picture, options, file); });
                std::printf("| %s | %s | %d | %zu | %.1f |\n", palette ? "yes" : "no (RGB)", filter.name, level,
                            file.size(), ms);
            }
        }
    }
}

} // namespace

int main() {
    Pixels aliased = MakeDrawing(false);
    Pixels smooth = MakeDrawing(true);
    std::printf("Drawings %d x %d, 60 pen strokes of 1 to 3 pixels in 8 colours on white.\n", kWidth, kHeight);
    BenchJpeg("hard-edged", aliased);
    BenchJpeg("anti-aliased", smooth);
    BenchPng("hard-edged", aliased);
    BenchPng("anti-aliased", smooth);
    return 0;
}
