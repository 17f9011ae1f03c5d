// The quality dialog and the About box in this process, driven by messages: no foreground needed.
#include <gtest/gtest.h>

#include "app/modMain.h"
#include "app/settings.h"
#include "forms/frmAbout.h"
#include "forms/frmConfig.h"
#include "resources/resource_ids.h"
#include "test_support.h"

#include <algorithm>
#include <fstream>

using testing_support::WaitUntil;

namespace {

// A fresh directory standing in for the program's directory, with its trailing backslash.
struct TempDir {
    TempDir() {
        static int count = 0;
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        path = std::wstring(base) + L"pikuto-dialogs-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++count) + L"\\";
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~TempDir() {
        DeleteFileW(Settings().c_str());
        RemoveDirectoryW(path.c_str());
    }
    std::wstring Settings() const { return path + kSettingsFile; }
    std::wstring path;
};

// The file's lines without line ends; empty when there is no file.
std::vector<std::string> Lines(const std::wstring& path) {
    std::vector<std::string> lines;
    std::ifstream file(path.c_str());
    for (std::string line; std::getline(file, line);)
        lines.push_back(line.substr(0, line.find_last_not_of("\r") + 1));
    return lines;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

RECT ChildRect(HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring Text(HWND hwnd) {
    wchar_t text[128] = {};
    GetWindowTextW(hwnd, text, 128);
    return text;
}

// Caption, styles, client size and centring shared by both dialogs.
void ExpectToolWindow(HWND hwnd, const wchar_t* caption, int width, int height) {
    EXPECT_EQ(Text(hwnd), caption);
    LONG style = GetWindowLongW(hwnd, GWL_STYLE), exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW) << "small caption, no taskbar button";
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    RECT client, frame;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, height);
    GetWindowRect(hwnd, &frame);
    EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

class QualityDialog : public ::testing::Test {
protected:
    void SetUp() override {
        strAppPath = dir.path;
        bytQuality = 100;
        bytHideDialog = 0;
    }
    void Open(FrmConfig& dialog) {
        ASSERT_TRUE(dialog.Load());
        dialog.Show();
    }
    void Key(FrmConfig& dialog, WPARAM key) { SendMessageW(dialog.hscQuality, WM_KEYDOWN, key, 0); }
    TempDir dir;
    FrmConfig form;
};

} // namespace

TEST_F(QualityDialog, LayoutStylesAndCaption) {
    Open(form);
    ExpectToolWindow(form.hWnd(), L"Pikuto - JPEG 形式の圧縮率指定", 231, 114);
    EXPECT_FALSE(GetWindowLongW(form.hWnd(), GWL_STYLE) & WS_SYSMENU) << "no caption buttons";
    const struct {
        HWND control;
        RECT rect;
        const wchar_t* text;
    } controls[] = {{form.cmdSave, {76, 87, 155, 106}, L"OK"},
                    {form.hscQuality, {15, 33, 217, 49}, L""},
                    {form.cheShow, {12, 66, 217, 82}, L"保存時にこのウィンドウを表示しない"}};
    for (const auto& c : controls) {
        RECT r = ChildRect(c.control);
        EXPECT_TRUE(EqualRect(&r, &c.rect)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        EXPECT_EQ(Text(c.control), c.text);
    }
}

TEST_F(QualityDialog, OpensFromTheSharedValuesClampingHandEditedOnes) {
    const struct {
        BYTE quality, show;
        int value, state;
    } cases[] = {{ReadSetting(dir.Settings(), L"Quality", 100), ReadSetting(dir.Settings(), L"Show", 0), 100, 0},
                 {37, 1, 37, 1},
                 {1, 2, 1, 2},
                 {0, 0, 1, 0},
                 {255, 200, 100, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "stored " << int{c.quality} << ", " << int{c.show});
        bytQuality = c.quality;
        bytHideDialog = c.show;
        FrmConfig dialog;
        Open(dialog);
        EXPECT_EQ(dialog.QualityValue(), c.value);
        EXPECT_EQ(dialog.lblQuality->caption, std::to_wstring(c.value));
        EXPECT_EQ(dialog.ShowState(), c.state);
        // The thumb sits where the value says: from the left arrow at 1 to the right arrow at 100.
        SCROLLBARINFO bar{};
        bar.cbSize = sizeof(bar);
        ASSERT_TRUE(GetScrollBarInfo(dialog.hscQuality, OBJID_CLIENT, &bar));
        const int width = bar.rcScrollBar.right - bar.rcScrollBar.left, arrow = bar.dxyLineButton;
        const int thumb = bar.xyThumbBottom - bar.xyThumbTop;
        EXPECT_NEAR(bar.xyThumbTop, arrow + (width - 2 * arrow - thumb) * (c.value - 1) / 99, 1);
        // Values the controls cannot take are not written back unless the user confirms.
        EXPECT_EQ(bytQuality, c.quality);
    }
}

TEST_F(QualityDialog, NumberFollowsEveryKeyboardAndProgramChange) {
    Open(form);
    for (int expected = 99; expected >= 1; --expected) {
        Key(form, expected % 2 ? VK_LEFT : VK_PRIOR); // arrow and page keys both move by 1
        ASSERT_EQ(form.QualityValue(), expected);
        ASSERT_EQ(form.lblQuality->caption, std::to_wstring(expected));
    }
    Key(form, VK_LEFT);
    EXPECT_EQ(form.lblQuality->caption, L"1") << "stays at the left end";
    for (int expected = 2; expected <= 100; ++expected) {
        Key(form, expected % 2 ? VK_RIGHT : VK_NEXT);
        ASSERT_EQ(form.lblQuality->caption, std::to_wstring(expected));
    }
    Key(form, VK_HOME);
    EXPECT_EQ(form.lblQuality->caption, L"1");
    Key(form, VK_END);
    EXPECT_EQ(form.lblQuality->caption, L"100");
}

TEST_F(QualityDialog, CheckBoxIsTickedOrUntickedByTheUserIndeterminateOnlyWhenLoaded) {
    bytHideDialog = 2;
    Open(form);
    for (int expected : {0, 1, 0, 1}) {
        SendMessageW(form.cheShow, BM_CLICK, 0, 0);
        EXPECT_EQ(form.ShowState(), expected);
    }
}

TEST_F(QualityDialog, OkWritesBothKeysInOneSectionAndReadsBack) {
    const struct {
        BYTE storedShow;
        int lefts, clicks;
        const char* quality;
        const char* show;
    } cases[] = {
        {0, 0, 0, "Quality=100", "Show=0"}, {0, 3, 1, "Quality=97", "Show=1"}, {2, 1, 0, "Quality=99", "Show=2"}};
    for (const auto& c : cases) {
        TempDir fresh;
        strAppPath = fresh.path;
        bytQuality = 100;
        bytHideDialog = c.storedShow;
        FrmConfig dialog;
        Open(dialog);
        for (int i = 0; i < c.lefts; ++i)
            Key(dialog, VK_LEFT);
        for (int i = 0; i < c.clicks; ++i)
            SendMessageW(dialog.cheShow, BM_CLICK, 0, 0);
        SendMessageW(dialog.cmdSave, BM_CLICK, 0, 0);
        EXPECT_EQ(dialog.hWnd(), nullptr) << "OK closes the dialog";
        std::vector<std::string> lines = Lines(fresh.Settings());
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[0], "[Pikuto]");
        std::sort(lines.begin() + 1, lines.end());
        EXPECT_EQ(lines[1], c.quality);
        EXPECT_EQ(lines[2], c.show);
        // What start-up reads back is what the dialog set for this run.
        EXPECT_EQ(ReadSetting(fresh.Settings(), L"Quality", 100), bytQuality);
        EXPECT_EQ(ReadSetting(fresh.Settings(), L"Show", 0), bytHideDialog);
        EXPECT_EQ(bytQuality, 100 - c.lefts);
    }
}

TEST_F(QualityDialog, OkInAFolderThatCannotBeWrittenKeepsTheNewValuesForTheRun) {
    strAppPath = dir.path + L"missing\\";
    Open(form);
    Key(form, VK_HOME);
    SendMessageW(form.cheShow, BM_CLICK, 0, 0);
    SendMessageW(form.cmdSave, BM_CLICK, 0, 0);
    EXPECT_FALSE(Exists(strAppPath + kSettingsFile));
    EXPECT_EQ(bytQuality, 1);
    EXPECT_EQ(bytHideDialog, 1);
    FrmConfig again;
    Open(again);
    EXPECT_EQ(again.lblQuality->caption, L"1");
    EXPECT_EQ(again.ShowState(), 1);
}

TEST_F(QualityDialog, CloseRequestFromOutsideStoresNothing) {
    Open(form);
    Key(form, VK_HOME);
    SendMessageW(form.cheShow, BM_CLICK, 0, 0);
    PostMessageW(form.hWnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return form.hWnd() == nullptr; }));
    EXPECT_EQ(bytQuality, 100);
    EXPECT_EQ(bytHideDialog, 0);
    EXPECT_FALSE(Exists(dir.Settings()));
}

TEST(AboutBox, LayoutCaptionAndCloseButtonOnly) {
    FrmAbout box;
    ASSERT_TRUE(box.Load());
    box.Show();
    ExpectToolWindow(box.hWnd(), L"Pikuto", 317, 189);
    EXPECT_TRUE(GetWindowLongW(box.hWnd(), GWL_STYLE) & WS_SYSMENU) << "the close button";
    EXPECT_EQ(GetWindow(box.hWnd(), GW_CHILD), nullptr) << "nothing takes the focus";
}

TEST(AboutBox, VersionLineShowsMajorMinorRevision) {
    EXPECT_EQ(VersionLine({2, 10, 0, 25}), L"Version: 2.10.25");
    FrmAbout box;
    ASSERT_TRUE(box.Load());
    EXPECT_EQ(box.lblVer->caption, L"Version: 1.0.1") << "from this module's version resource, 1.0.0.1";
}

TEST(AboutBox, LogoAndHandCursorAsLoadedFromTheResources) {
    auto logo = tk::Picture::FromResource(IDR_LOGO, L"GIF");
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->Size().cx, 300);
    EXPECT_EQ(logo->Size().cy, 150);
    HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HANDPOINT));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(hand, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 0u);
    EXPECT_EQ(info.hbmColor, nullptr) << "monochrome";
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof(mask), &mask);
    EXPECT_EQ(mask.bmWidth, 32);
    EXPECT_EQ(mask.bmHeight, 64) << "AND and XOR masks of 32 rows each";
    DeleteObject(info.hbmMask);
}

namespace {
struct ShellCall {
    HWND hwnd;
    std::wstring operation, file, directory;
    bool parameters;
    INT show;
};
std::vector<ShellCall> shellCalls;
} // namespace

TEST(AboutBox, LogoClickOpensTheWebPageAndLeavesTheBoxOpen) {
    AboutCalls saved = aboutCalls;
    shellCalls.clear();
    aboutCalls.ShellExecute = [](HWND hwnd, LPCWSTR op, LPCWSTR file, LPCWSTR params, LPCWSTR dir,
                                 INT show) -> HINSTANCE {
        shellCalls.push_back(
            {hwnd, op ? op : L"(null)", file ? file : L"", dir ? dir : L"(null)", params != nullptr, show});
        return reinterpret_cast<HINSTANCE>(2); // "file not found": the box must not care
    };
    FrmAbout box;
    ASSERT_TRUE(box.Load());
    box.Show();
    auto click = [&](int x, int y) {
        SendMessageW(box.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(box.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    };
    click(200, 160); // the notice line
    click(60, 176);  // the version line
    click(4, 100);   // beside the logo
    EXPECT_TRUE(shellCalls.empty());
    click(9, 4); // the logo's top-left corner
    aboutCalls = saved;
    ASSERT_EQ(shellCalls.size(), 1u);
    const ShellCall& call = shellCalls[0];
    EXPECT_EQ(call.hwnd, box.hWnd());
    EXPECT_EQ(call.operation, L"Open");
    EXPECT_EQ(call.file, L"https://pikuto.example.org/");
    EXPECT_FALSE(call.parameters);
    wchar_t self[MAX_PATH];
    std::wstring module(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    EXPECT_EQ(call.directory, module.substr(0, module.find_last_of(L'\\'))) << "no trailing backslash";
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
    EXPECT_TRUE(IsWindowVisible(box.hWnd()));
}
