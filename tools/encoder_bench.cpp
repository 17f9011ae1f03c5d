// The encoder benchmark: every picture of tools/bench_corpus.h through the component's codecs and
// through the native references (optipng -o2, cjpeg), side by side in one run. Prints Markdown
// tables: bytes, ratios, PSNR, times. Usage: encoder_bench [folder for the files, default
// bench-files]; optipng and cjpeg are looked for on the PATH, and their columns stay empty
// without them.
#include "core/codecs.h"
#include "tools/bench_corpus.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

using namespace core;
using Bytes = std::vector<unsigned char>;
namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 5; // timed runs of each side, taken in turn so that both see the same load

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void WritePpm(const fs::path& path, const Pixels& p) {
    std::string head = "P6\n" + std::to_string(p.width) + " " + std::to_string(p.height) + "\n255\n";
    Bytes bytes(head.begin(), head.end());
    for (uint32_t v : p.bgrx)
        bytes.insert(bytes.end(), {static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 8),
                                   static_cast<unsigned char>(v)});
    WriteFile(path, bytes);
}

// Runs a reference tool; false when it is missing or fails.
bool Run(const std::string& command) {
    return std::system((command + " >" + (fs::exists("/dev/null") ? "/dev/null" : "NUL") + " 2>&1").c_str()) == 0;
}

Pixels DecodePng(const Bytes& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return {};
    image.format = PNG_FORMAT_BGRA;
    Pixels p{int(image.width), int(image.height), std::vector<uint32_t>(size_t(image.width) * image.height)};
    return png_image_finish_read(&image, nullptr, p.bgrx.data(), 0, nullptr) ? p : Pixels{};
}

Pixels DecodeJpeg(const Bytes& file, int* components) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error); // exits on a broken file: fine for a tool
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    *components = cinfo.num_components;
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    Pixels p{int(cinfo.output_width), int(cinfo.output_height), {}};
    p.bgrx.resize(size_t(p.width) * size_t(p.height));
    while (cinfo.output_scanline < cinfo.output_height) {
        auto row = reinterpret_cast<JSAMPROW>(p.bgrx.data() + size_t(cinfo.output_scanline) * size_t(p.width));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return p;
}

bool SamePixels(const Pixels& a, const Pixels& b) {
    if (a.width != b.width || a.height != b.height || a.bgrx.size() != b.bgrx.size())
        return false;
    for (size_t i = 0; i < a.bgrx.size(); ++i)
        if ((a.bgrx[i] ^ b.bgrx[i]) & 0xFFFFFF)
            return false;
    return true;
}

double Psnr(const Pixels& a, const Pixels& b) {
    double sum = 0;
    for (size_t i = 0; i < a.bgrx.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            const double d = double(a.bgrx[i] >> shift & 255) - double(b.bgrx[i] >> shift & 255);
            sum += d * d;
        }
    const double mse = sum / double(a.bgrx.size() * 3);
    return mse == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mse);
}

size_t CountColours(const Pixels& p) {
    std::vector<uint32_t> all = p.bgrx;
    for (uint32_t& v : all)
        v &= 0xFFFFFF;
    std::sort(all.begin(), all.end());
    return size_t(std::unique(all.begin(), all.end()) - all.begin());
}

bool IsGrey(const Pixels& p) {
    return std::all_of(p.bgrx.begin(), p.bgrx.end(),
                       [](uint32_t v) { return (v & 0xFFFFFF) == (v & 0xFF) * 0x010101u; });
}

// The file's form from its header: "palette 4", "grey 8", "RGB".
std::string PngForm(const Bytes& file) {
    if (file.size() < 26)
        return "?";
    const int depth = file[24], type = file[25];
    return (type == 3 ? "palette " : type == 0 ? "grey " : "RGB ") + std::to_string(depth);
}

// Median milliseconds of each function over kRounds runs, taken in turn.
std::vector<double> TimeInTurn(const std::vector<std::function<void()>>& runs) {
    std::vector<std::vector<double>> times(runs.size());
    for (int round = 0; round < kRounds; ++round)
        for (size_t i = 0; i < runs.size(); ++i) {
            const auto start = std::chrono::steady_clock::now();
            runs[i]();
            times[i].push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    std::vector<double> medians;
    for (auto& t : times) {
        std::sort(t.begin(), t.end());
        medians.push_back(t[t.size() / 2]);
    }
    return medians;
}

struct GeoMean {
    double logs = 0;
    int n = 0;
    void Add(double ratio) { logs += std::log(ratio), ++n; }
    double Value() const { return n ? std::exp(logs / n) : NAN; }
};

std::string Ratio(double r) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", r);
    return std::isnan(r) ? "-" : text;
}

bool BenchPng(const std::vector<corpus::Picture>& pictures, const fs::path& dir) {
    std::printf("### PNG\n\n");
    std::printf("| picture | colours | form chosen | bytes, fixed strategy | bytes, chosen | bytes, optipng -o2 "
                "| chosen / optipng | ms, fixed | ms, chosen | time chosen / fixed | lossless |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|\n");
    GeoMean toOptipng, toFixed, time;
    int atOrBelow = 0, compared = 0;
    bool allExact = true;
    for (const auto& picture : pictures) {
        const std::string stem = (dir / picture.name).string();
        Bytes fixed, chosen;
        const std::vector<double> ms = TimeInTurn({[&] { EncodePng(picture.pixels, {.fixed = true}, fixed); },
                                                   [&] { EncodePng(picture.pixels, {}, chosen); }});
        const bool exact =
            SamePixels(DecodePng(fixed), picture.pixels) && SamePixels(DecodePng(chosen), picture.pixels);
        allExact = allExact && exact;
        WriteFile(stem + ".png", fixed);
        WriteFile(stem + ".chosen.png", chosen);
        double optipng = NAN;
        if (Run("optipng -quiet -o2 -clobber -out \"" + stem + ".optipng.png\" \"" + stem + ".png\"")) {
            optipng = double(ReadFile(stem + ".optipng.png").size());
            toOptipng.Add(double(chosen.size()) / optipng);
            atOrBelow += double(chosen.size()) <= optipng;
            ++compared;
        }
        toFixed.Add(double(chosen.size()) / double(fixed.size()));
        time.Add(ms[1] / ms[0]);
        std::printf("| %s | %zu | %s | %zu | %zu | %s | %s | %.1f | %.1f | %.2f | %s |\n", picture.name,
                    CountColours(picture.pixels), PngForm(chosen).c_str(), fixed.size(), chosen.size(),
                    std::isnan(optipng) ? "-" : std::to_string(size_t(optipng)).c_str(),
                    Ratio(double(chosen.size()) / optipng).c_str(), ms[0], ms[1], ms[1] / ms[0], exact ? "yes" : "NO");
    }
    std::printf("\nGeometric means over %d pictures: chosen / optipng -o2 %s (%d of %d at or below 1), chosen / "
                "fixed %s, time chosen / fixed %s.\n\n",
                toFixed.n, Ratio(toOptipng.Value()).c_str(), atOrBelow, compared, Ratio(toFixed.Value()).c_str(),
                Ratio(time.Value()).c_str());
    return allExact;
}

bool BenchJpeg(const std::vector<corpus::Picture>& pictures, const fs::path& dir) {
    std::printf("### JPEG\n\n");
    std::printf("Colour pictures against `cjpeg -quality q -sample 1x1 -optimize`; grey ones (every pixel R = G = "
                "B, written with one channel) against `cjpeg -grayscale -quality q -optimize`, and against the "
                "three-channel file cjpeg makes of them.\n\n");
    std::printf(
        "| picture | q | channels | bytes | bytes, cjpeg | same bytes | bytes, cjpeg 3 channels | PSNR dB | ms |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    int colourFiles = 0, colourSame = 0, greyFiles = 0, greySame = 0;
    GeoMean greyToColour;
    for (const auto& picture : pictures) {
        const std::string stem = (dir / picture.name).string();
        WritePpm(stem + ".ppm", picture.pixels);
        const bool grey = IsGrey(picture.pixels);
        for (int quality : {100, 90, 75, 50}) {
            Bytes ours;
            const double ms = TimeInTurn({[&] { EncodeJpeg(picture.pixels, {quality}, ours); }})[0];
            int components = 0;
            const double psnr = Psnr(DecodeJpeg(ours, &components), picture.pixels);
            const std::string q = std::to_string(quality), out = stem + ".q" + q;
            std::string reference = "-", same = "-", colour = "-";
            if (Run("cjpeg -quality " + q + " -sample 1x1 -optimize -outfile \"" + out + ".cjpeg.jpg\" \"" + stem +
                    ".ppm\"")) {
                const Bytes three = ReadFile(out + ".cjpeg.jpg");
                colour = std::to_string(three.size());
                if (grey)
                    greyToColour.Add(double(ours.size()) / double(three.size()));
                Bytes match = three;
                if (grey && Run("cjpeg -grayscale -quality " + q + " -optimize -outfile \"" + out +
                                ".cjpeg-grey.jpg\" \"" + stem + ".ppm\""))
                    match = ReadFile(out + ".cjpeg-grey.jpg");
                reference = std::to_string(match.size());
                same = match == ours ? "yes" : "NO";
                (grey ? greyFiles : colourFiles) += 1;
                (grey ? greySame : colourSame) += match == ours;
            }
            std::printf("| %s | %d | %d | %zu | %s | %s | %s | %.2f | %.1f |\n", picture.name, quality, components,
                        ours.size(), reference.c_str(), same.c_str(), colour.c_str(), psnr, ms);
        }
    }
    std::printf("\nSame bytes as cjpeg: %d of %d colour files, %d of %d grey files; grey files / cjpeg's "
                "three-channel files: %s (geometric mean).\n\n",
                colourSame, colourFiles, greySame, greyFiles, Ratio(greyToColour.Value()).c_str());
    return colourSame == colourFiles && greySame == greyFiles;
}

} // namespace

int main(int argc, char** argv) {
    const fs::path dir = argc > 1 ? argv[1] : "bench-files";
    fs::create_directories(dir);
    const std::vector<corpus::Picture> pictures = corpus::MakeCorpus();
    std::printf("%zu pictures of %d x %d from tools/bench_corpus.h; files in %s. Times: median of %d runs, the "
                "two strategies taken in turn.\n\n",
                pictures.size(), corpus::kWidth, corpus::kHeight, dir.string().c_str(), kRounds);
    const bool pngExact = BenchPng(pictures, dir);
    const bool jpegSame = BenchJpeg(pictures, dir);
    if (!pngExact)
        std::printf("A PNG file did not decode to its picture.\n");
    return pngExact && jpegSame ? 0 : 1;
}
