// The resources compiled into Pikuto.exe: the shutter sound's container, the two GIF pictures,
// the icon group, the hand cursor and the version record.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "resources/resource_ids.h"
#include "test_support.h"

namespace {

struct Bytes {
    const uint8_t* p = nullptr;
    DWORD size = 0;
    uint32_t U(size_t at, size_t width = 4) const {
        uint32_t v = 0;
        if (at + width <= size)
            std::memcpy(&v, p + at, width);
        return v;
    }
    std::string Text(size_t at, size_t n) const { return at + n <= size ? std::string((const char*)p + at, n) : ""; }
};

class Resources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module = LoadLibraryExW(testing_support::BuildFile(L"Pikuto.exe").c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
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
    EXPECT_EQ(w.Text(0, 4) + w.Text(8, 8) + w.Text(38, 4) + w.Text(50, 4), "RIFFWAVEfmt factdata");
    // (offset, width, value): RIFF size, fmt size, PCM, mono, 44,100 Hz, 88,200 bytes/s, block
    // align 2, 16 bits, extra size 0, fact size, samples, data size, the two trailing zero bytes.
    const uint32_t fields[][3] = {{4, 4, 52970},  {16, 4, 18},    {20, 2, 1},   {22, 2, 1}, {24, 4, 44100},
                                  {28, 4, 88200}, {32, 2, 2},     {34, 2, 16},  {36, 2, 0}, {42, 4, 4},
                                  {46, 4, 26460}, {54, 4, 52920}, {52978, 2, 0}};
    for (const auto& f : fields)
        EXPECT_EQ(w.U(f[0], f[1]), f[2]) << "at " << f[0];
    int peak = 0; // audible, yet far from clipping
    for (size_t at = 58; at < 58 + 52920; at += 2)
        peak = std::max(peak, std::abs(int(int16_t(w.U(at, 2)))));
    EXPECT_TRUE(peak > 3000 && peak < 26000) << peak;
}

// One image of the stated size in a GIF89a with a global palette, and no transparent colour.
void CheckGif(Bytes g, uint32_t width, uint32_t height, int colours) {
    EXPECT_EQ(g.Text(0, 6), "GIF89a");
    EXPECT_EQ(g.U(6, 2) | g.U(8, 2) << 16, width | height << 16);
    ASSERT_TRUE(g.p[10] & 0x80) << "no global colour table";
    EXPECT_EQ(2 << (g.p[10] & 7), colours);
    int images = 0;
    size_t at = 13 + 3 * (2u << (g.p[10] & 7));
    while (at < g.size && g.p[at] != 0x3B) {
        if (g.p[at] == 0x2C) {
            ++images;
            at += 11; // image descriptor and LZW minimum code size
        } else {
            ASSERT_EQ(g.p[at], 0x21) << "unknown block at " << at;
            EXPECT_FALSE(g.p[at + 1] == 0xF9 && (g.p[at + 3] & 1)) << "transparent colour";
            at += 2;
        }
        while (at < g.size && g.p[at] != 0) // data sub-blocks
            at += g.p[at] + 1;
        ++at;
    }
    EXPECT_EQ(images, 1);
    EXPECT_EQ(at + 1, g.size) << "trailer missing or not last";
}

TEST_F(Resources, PicturesIconAndCursor) {
    CheckGif(Find(L"GIF", IDR_CAMERA), 24, 17, 64);
    CheckGif(Find(L"GIF", IDR_LOGO), 300, 150, 256);

    Bytes group = Find(RT_GROUP_ICON, IDI_PIKUTO);
    ASSERT_EQ(group.size, 6u + 3 * 14);
    for (uint32_t i = 0, side = 16; i < 3; ++i, side += 16) {
        // Width, height, colour count 0 (256 colours), one plane of 8 bits, in a BMP-format frame.
        EXPECT_EQ(group.U(6 + 14 * i), side | side << 8) << side;
        EXPECT_EQ(group.U(10 + 14 * i), 1u | 8u << 16) << side;
        Bytes frame = Find(RT_ICON, group.U(18 + 14 * i, 2));
        EXPECT_EQ(frame.U(0) | frame.U(4) << 8, 40u | side << 8) << side;
    }
    Bytes cursors = Find(RT_GROUP_CURSOR, IDC_HANDPOINT);
    EXPECT_EQ(cursors.U(6), 32u | 64u << 16) << "32 wide, image and mask stacked";
    EXPECT_EQ(cursors.U(10), 1u | 1u << 16) << "one plane, 1 bit";
    Bytes cur = Find(RT_CURSOR, cursors.U(18, 2));
    EXPECT_EQ(cur.U(0), 5u) << "hot spot (5, 0)";
    // The hot spot is a drawn pixel (AND bit clear); the image's top row is the last row stored.
    ASSERT_EQ(cur.size, 4u + 40 + 8 + 2 * 128);
    EXPECT_FALSE(cur.p[4 + 40 + 8 + 128 + 31 * 4] & (0x80 >> 5));
}

TEST_F(Resources, VersionRecordSays1001AndNamesTheProduct) {
    std::wstring path = testing_support::BuildFile(L"Pikuto.exe");
    std::string info(GetFileVersionInfoSizeW(path.c_str(), nullptr), '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, DWORD(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    wchar_t* name = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    ASSERT_TRUE(
        VerQueryValueW(info.data(), L"\\StringFileInfo\\041104B0\\ProductName", reinterpret_cast<void**>(&name), &len));
    EXPECT_STREQ(name, L"Pikuto");
}

} // namespace
