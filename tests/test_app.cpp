// Settings read at start-up and the program directory rule.
#include <gtest/gtest.h>

#include "app/modMain.h"
#include "app/settings.h"
#include "forms/toolkit.h"

#include <fstream>

namespace {

std::wstring TempIni() {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + L"pikuto-settings-test.ini";
}

struct Loaded {
    int quality, show;
};

// Writes `content` (nullptr: no file at all) and reads both settings as start-up does.
Loaded LoadFrom(const char* content) {
    std::wstring path = TempIni();
    DeleteFileW(path.c_str());
    if (content) {
        std::ofstream(path.c_str(), std::ios::binary) << content;
    }
    Loaded loaded{ReadSetting(path, L"Quality", 100), ReadSetting(path, L"Show", 0)};
    DeleteFileW(path.c_str());
    return loaded;
}

} // namespace

TEST(Settings, DefaultsWhenFileOrKeysAreMissing) {
    EXPECT_EQ(LoadFrom(nullptr).quality, 100);
    EXPECT_EQ(LoadFrom(nullptr).show, 0);
    Loaded onlyShow = LoadFrom("[Pikuto]\r\nShow=1\r\n");
    EXPECT_EQ(onlyShow.quality, 100);
    EXPECT_EQ(onlyShow.show, 1);
    // Keys in another section do not count.
    EXPECT_EQ(LoadFrom("[Other]\r\nQuality=5\r\n").quality, 100);
}

TEST(Settings, HandEditedValuesAreClampedNeverWrapped) {
    struct Case {
        const char* value;
        int expected;
    } cases[] = {
        {"37", 37},           {"-5", 0},       {"256", 255},   {"300", 255},
        {"4294967337", 255},  // 2^32 + 41: a wrapping reader would give 41
        {"99999999999999999999999", 255},
        {"0x1F", 0},          {"abc", 0},      {"12abc", 12},  {"+42", 42},
        {"  17  ", 17},       {"-0", 0},       {"", 100},      {"0", 0},
    };
    for (const Case& c : cases) {
        std::string file = std::string("junk line\r\n[Pikuto]\r\nQuality=") + c.value + "\r\n=\r\nnoise\r\n";
        EXPECT_EQ(LoadFrom(file.c_str()).quality, c.expected) << "Quality=" << c.value;
    }
}

TEST(Settings, WrittenValuesReadBack) {
    std::wstring path = TempIni();
    DeleteFileW(path.c_str());
    ASSERT_TRUE(WriteSetting(path, L"Quality", 55));
    ASSERT_TRUE(WriteSetting(path, L"Show", 1));
    EXPECT_EQ(ReadSetting(path, L"Quality", 100), 55);
    EXPECT_EQ(ReadSetting(path, L"Show", 0), 1);
    DeleteFileW(path.c_str());
}

TEST(AppPath, TrailingBackslashOnlyOnce) {
    struct Case {
        const wchar_t* module;
        const wchar_t* appPath;
    } cases[] = {
        {L"C:\\Pikuto.exe", L"C:\\"},
        {L"C:\\Tools\\Pikuto\\Pikuto.exe", L"C:\\Tools\\Pikuto\\"},
        {L"\\\\server\\share\\Pikuto.exe", L"\\\\server\\share\\"},
        {L"D:\\写真\\Pikuto.exe", L"D:\\写真\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WithTrailingBackslash(tk::DirectoryOfModulePath(c.module)), c.appPath);
}
