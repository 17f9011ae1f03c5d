// The program's own save path against the bare encode-and-write of the same picture: from the
// Save As dialog's return to the file written (WritePicture, through the registered encoder
// component for JPEG and PNG), and core::Encode* plus the atomic writer, taken in turn so that both
// see the same load. Runs under Wine or Windows with PikutoEncoder.dll registered; prints a table.
#include "capture/bmp_writer.h"
#include "capture/save_command.h"
#include "core/bmp.h"
#include "core/codecs.h"
#include "state/shared_state.h"
#include "tools/bench_corpus.h"
#include "win32/atomic_file.h"

#include <ole2.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRounds = 7;

double Milliseconds(const std::function<bool()>& run) {
    auto start = std::chrono::steady_clock::now();
    if (!run())
        std::fprintf(stderr, "a save failed\n");
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool Bare(const core::Pixels& pixels, core::FileType type, const std::wstring& path) {
    std::vector<unsigned char> file;
    core::EncodeStatus status = type == core::FileType::Jpeg  ? core::EncodeJpeg(pixels, {bytQuality}, file)
                                : type == core::FileType::Png ? core::EncodePng(pixels, {}, file)
                                                              : core::EncodeBmp(pixels, file);
    return status == core::EncodeStatus::Ok && SUCCEEDED(WriteFileReplacing(path, file.data(), file.size()));
}

} // namespace

int wmain() {
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    bytQuality = 100;
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring in = std::wstring(folder) + L"pikuto-bench-in",
                       bare = std::wstring(folder) + L"pikuto-bench-bare";
    std::printf("| picture | type | in the program, ms | bare encode and write, ms | ratio |\n|---|---|---|---|---|\n");
    double logSum[4] = {};
    int count = 0;
    for (const auto& picture : corpus::MakeCorpus()) {
        PictureBuffer picBuffer(picture.pixels.width, picture.pixels.height, RGB(255, 255, 255));
        BITMAPINFO info{
            {sizeof(BITMAPINFOHEADER), picture.pixels.width, -picture.pixels.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        SetDIBitsToDevice(picBuffer.hDC(), 0, 0, picture.pixels.width, picture.pixels.height, 0, 0, 0,
                          picture.pixels.height, picture.pixels.bgrx.data(), &info, DIB_RGB_COLORS);
        ++count;
        for (core::FileType type : {core::FileType::Jpeg, core::FileType::Png, core::FileType::Bmp}) {
            std::vector<double> program, direct;
            for (int round = 0; round < kRounds; ++round) {
                program.push_back(Milliseconds([&] { return WritePicture(picBuffer, type, in); }));
                direct.push_back(Milliseconds([&] { return Bare(picture.pixels, type, bare); }));
            }
            const double ratio = Median(program) / Median(direct);
            logSum[int(type)] += std::log(ratio);
            static const char* const names[] = {"", "JPEG", "PNG", "BMP"};
            std::printf("| %s | %s | %.1f | %.1f | %.2f |\n", picture.name, names[int(type)], Median(program),
                        Median(direct), ratio);
        }
    }
    std::printf("\nGeometric mean of the ratios: JPEG %.2f, PNG %.2f, BMP %.2f\n", std::exp(logSum[1] / count),
                std::exp(logSum[2] / count), std::exp(logSum[3] / count));
    DeleteFileW(in.c_str());
    DeleteFileW(bare.c_str());
    OleUninitialize();
    return 0;
}
