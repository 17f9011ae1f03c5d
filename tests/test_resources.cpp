// Checks the resources compiled into Pikuto.exe: the shutter sound's container, the two GIF
// pictures, the icon group, the hand cursor and the version record.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "resources/resource_ids.h"

namespace {

struct Bytes {
    const uint8_t* p = nullptr;
    DWORD size = 0;
    template <typename T> T Get(size_t at) const {
        T v{};
        if (at + sizeof v <= size)
            std::memcpy(&v, p + at, sizeof v);
        return v;
    }
    uint16_t U16(size_t at) const { return Get<uint16_t>(at); }
    uint32_t U32(size_t at) const { return Get<uint32_t>(at); }
    std::string Tag(size_t at) const {
        return at + 4 <= size ? std::string(reinterpret_cast<const char*>(p + at), 4) : "";
    }
};

// The program lies in the build tree's top directory, one level above this test.
std::wstring ProgramPath() {
    wchar_t self[MAX_PATH];
    std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    return path.substr(0, path.find_last_of(L"\\/")) + L"\\..\\Pikuto.exe";
}

class Resources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module =
            LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    static void TearDownTestSuite() { FreeLibrary(module); }
    void SetUp() override { ASSERT_NE(module, nullptr) << "cannot open Pikuto.exe"; }

    static Bytes Find(LPCWSTR type, UINT id, WORD lang = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)) {
        HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id), lang);
        HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        return loaded ? Bytes{static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(module, found)}
                      : Bytes{};
    }
    static inline HMODULE module = nullptr;
};

TEST_F(Resources, ShutterSoundIsACompleteWaveImageFollowedByTwoZeroBytes) {
    Bytes w = Find(L"WAVE", IDR_SHUTTER, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_EQ(w.size, 52980u);
    EXPECT_EQ(w.Tag(0) + w.Tag(8) + w.Tag(12) + w.Tag(38) + w.Tag(50), "RIFFWAVEfmt factdata");
    const struct {
        const char* name;
        size_t at, bytes;
        uint32_t value;
    } fields[] = {{"RIFF size", 4, 4, 52970}, {"fmt size", 16, 4, 18},   {"format tag", 20, 2, 1},
                  {"channels", 22, 2, 1},     {"rate", 24, 4, 44100},    {"bytes/s", 28, 4, 88200},
                  {"block align", 32, 2, 2},  {"bits", 34, 2, 16},       {"extra size", 36, 2, 0},
                  {"fact size", 42, 4, 4},    {"samples", 46, 4, 26460}, {"data size", 54, 4, 52920}};
    for (const auto& f : fields)
        EXPECT_EQ(f.bytes == 2 ? w.U16(f.at) : w.U32(f.at), f.value) << f.name;
    EXPECT_EQ(w.U16(52978), 0u);
    // Audible, yet far from clipping.
    int peak = 0;
    for (size_t at = 58; at < 58 + 52920; at += 2)
        peak = std::max(peak, std::abs(static_cast<int16_t>(w.U16(at))));
    EXPECT_GT(peak, 3000);
    EXPECT_LT(peak, 26000);
}

// Walks the GIF's blocks: one image of the stated size, no transparent colour, the trailer last.
void CheckGif(Bytes g, int width, int height, int colours) {
    ASSERT_GT(g.size, 13u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(g.p), 6), "GIF89a");
    EXPECT_EQ(g.U16(6), width);
    EXPECT_EQ(g.U16(8), height);
    ASSERT_TRUE(g.p[10] & 0x80) << "no global colour table";
    EXPECT_EQ(2 << (g.p[10] & 7), colours);
    int images = 0;
    size_t at = 13 + 3 * (2u << (g.p[10] & 7));
    while (at < g.size && g.p[at] != 0x3B) {
        if (g.p[at] == 0x2C) {
            ++images;
            EXPECT_EQ(g.U16(at + 5), width);
            EXPECT_EQ(g.U16(at + 7), height);
            EXPECT_FALSE(g.p[at + 9] & 0x80) << "local colour table";
            at += 11; // descriptor and LZW minimum code size
        } else {
            ASSERT_EQ(g.p[at], 0x21) << "unknown block at " << at;
            if (g.p[at + 1] == 0xF9) {
                EXPECT_FALSE(g.p[at + 3] & 1) << "transparent colour";
            }
            at += 2;
        }
        while (at < g.size && g.p[at] != 0) // data sub-blocks
            at += g.p[at] + 1;
        ++at;
    }
    EXPECT_EQ(images, 1);
    EXPECT_EQ(at + 1, g.size) << "trailer missing or not last";
}

TEST_F(Resources, PicturesAreSingleFrameOpaqueGifsOfTheirSizes) {
    CheckGif(Find(L"GIF", IDR_CAMERA), 24, 17, 64);
    CheckGif(Find(L"GIF", IDR_LOGO), 300, 150, 256);
}

TEST_F(Resources, IconImagesAndCursorHaveTheirSizesDepthsAndHotSpot) {
    Bytes group = Find(RT_GROUP_ICON, IDI_PIKUTO);
    ASSERT_EQ(group.size, 6u + 3 * 14);
    const uint32_t sides[] = {16, 32, 48};
    for (int i = 0; i < 3; ++i) {
        const size_t e = 6 + 14 * i;
        const uint32_t side = sides[i];
        // Width, height, colour count 0 (256 colours), then one plane of 8 bits.
        EXPECT_EQ(group.U32(e), side | side << 8u) << side;
        EXPECT_EQ(group.U32(e + 4), 1u | 8u << 16) << side;
        Bytes frame = Find(RT_ICON, group.U16(e + 12));
        EXPECT_EQ(frame.U32(4), side);
        EXPECT_EQ(frame.U32(12), 1u | 8u << 16) << "a BMP-format 8-bit frame";
    }
    Bytes cursors = Find(RT_GROUP_CURSOR, IDC_HANDPOINT);
    ASSERT_EQ(cursors.U16(4), 1u);
    EXPECT_EQ(cursors.U32(6), 32u | 64u << 16) << "32 wide, image and mask stacked";
    EXPECT_EQ(cursors.U32(10), 1u | 1u << 16) << "one plane, 1 bit";
    Bytes cur = Find(RT_CURSOR, cursors.U16(18));
    EXPECT_EQ(cur.U32(0), 5u) << "hot spot (5, 0)";
    // The hot spot is a drawn pixel (AND bit clear); the image's top row is the last row stored.
    ASSERT_EQ(cur.size, 4u + 40 + 8 + 2 * 128);
    EXPECT_FALSE(cur.p[4 + 40 + 8 + 128 + 31 * 4] & (0x80 >> 5));
}

TEST_F(Resources, VersionRecordSays1001AndNamesTheProduct) {
    std::wstring path = ProgramPath();
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::string info(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    wchar_t* name = nullptr;
    ASSERT_TRUE(
        VerQueryValueW(info.data(), L"\\StringFileInfo\\041104B0\\ProductName", reinterpret_cast<void**>(&name), &len));
    EXPECT_STREQ(name, L"Pikuto");
}

} // namespace
