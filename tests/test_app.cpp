// Settings read at start-up and the program directory rule.
#include <gtest/gtest.h>

#include "standin/standin_client.h"
#include "state/settings.h"
#include "state/shared_state.h"
#include "test_support.h"
#include "win32/app_info.h"

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

// How a value is narrowed is tested natively; here, that the file's own text reaches it.
TEST(Settings, HandEditedValuesReachTheParserWhole) {
    EXPECT_EQ(LoadFrom("junk\r\n[Pikuto]\r\nQuality=4294967337\r\n=\r\nnoise\r\n").quality, 255) << "never wrapped";
    EXPECT_EQ(LoadFrom("[Pikuto]\r\nQuality=  17  \r\nShow=\r\n").quality, 17);
    EXPECT_EQ(LoadFrom("[Pikuto]\r\nQuality=\r\nShow=2\r\n").quality, 100) << "empty is missing";
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
        EXPECT_EQ(WithTrailingBackslash(win32::DirectoryOfModulePath(c.module)), c.appPath);
}

// Started while the browser is in front, the program leaves it there, and the camera window docks
// below the canvas on the first ticks.
TEST(Program, StartsBehindTheBrowserInFrontAndDocksAtOnce) {
    using namespace testing_support;
    StandinBrowser browser(L"\"build A ie-sun\" \"raise A\"");
    HWND front = browser.Hwnd(L"A");
    ASSERT_TRUE(front && WaitUntil([&] { return GetForegroundWindow() == front; }));
    ChildProcess pikuto(L"\"" + BuildFile(L"Pikuto.exe") + L"\"");
    RECT canvas{}, camera{};
    GetWindowRect(browser.Hwnd(L"A.canvas"), &canvas);
    EXPECT_TRUE(WaitUntil([&] {
        GetWindowRect(FindProcessWindow(pikuto.Id(), L"Pikuto.Camera"), &camera);
        return camera.left == canvas.left - 53 && camera.top == canvas.bottom + 77;
    }));
    EXPECT_EQ(GetForegroundWindow(), front);
}
