// The camera window, in this process through the toolkit's seam, and the real program.
#include <gtest/gtest.h>

#include "app/modMain.h"
#include "forms/frmMain.h"
#include "test_support.h"

#include <vector>

using namespace testing_support;

namespace {

struct Recorder {
    std::vector<std::pair<UINT_PTR, UINT>> timersSet;
    std::vector<UINT_PTR> timersKilled;
    int soundStops = 0;
    int ends = 0;
    struct MenuItemSeen {
        std::wstring caption;
        bool separator, grayed;
    };
    std::vector<MenuItemSeen> menu;
    UINT menuFlags = 0;
};
Recorder* recorder;

class CameraWindow : public ::testing::Test {
protected:
    void SetUp() override {
        saved = tk::calls;
        recorder = &seen;
        tk::calls.SetTimer = [](HWND hwnd, UINT_PTR id, UINT interval) -> UINT_PTR {
            recorder->timersSet.push_back({id, interval});
            (void)hwnd;
            return id;
        };
        tk::calls.KillTimer = [](HWND, UINT_PTR id) -> BOOL {
            recorder->timersKilled.push_back(id);
            return TRUE;
        };
        tk::calls.PlaySound = [](LPCWSTR sound, HMODULE module, DWORD flags) -> BOOL {
            if (!sound && !module && flags == 0)
                ++recorder->soundStops;
            return TRUE;
        };
        tk::calls.EndProcess = [] { ++recorder->ends; };
        tk::calls.TrackPopupMenu = [](HMENU menu, UINT flags, int, int, HWND) -> BOOL {
            recorder->menuFlags = flags;
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                wchar_t text[64] = {};
                MENUITEMINFOW info{};
                info.cbSize = sizeof(info);
                info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
                info.dwTypeData = text;
                info.cch = 64;
                GetMenuItemInfoW(menu, i, TRUE, &info);
                recorder->menu.push_back(
                    {text, (info.fType & MFT_SEPARATOR) != 0, (info.fState & MFS_GRAYED) != 0});
            }
            return TRUE;
        };
        quitWhenCameraWindowCloses = false;
        hwndCanvas = nullptr;
        ASSERT_TRUE(frmMain.Load());
        frmMain.Show();
    }
    void TearDown() override {
        if (frmMain.hWnd())
            DestroyWindow(frmMain.hWnd());
        tk::calls = saved;
        hwndCanvas = nullptr;
    }
    tk::Calls saved;
    Recorder seen;
};

} // namespace

TEST_F(CameraWindow, GeometryStylesAndBackground) {
    HWND hwnd = frmMain.hWnd();
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    LONG exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_BORDER);
    EXPECT_EQ(style & WS_DLGFRAME, 0) << "no caption bar";
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW) << "no taskbar button";
    EXPECT_EQ(exStyle & (WS_EX_APPWINDOW | WS_EX_TOPMOST), 0);
    EXPECT_EQ(GetMenu(hwnd), nullptr) << "the menu is never a menu bar";
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), nullptr);

    RECT window, client;
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);
    EXPECT_EQ(window.right - window.left, 50);
    EXPECT_EQ(window.bottom - window.top, 22);
    EXPECT_EQ(client.right, 48);
    EXPECT_EQ(client.bottom, 20);

    // White around the camera picture, and the picture itself drawn in the middle.
    UpdateWindow(hwnd);
    HDC dc = GetDC(hwnd);
    EXPECT_EQ(GetPixel(dc, 2, 2), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 45, 17), RGB(255, 255, 255));
    bool pictureDrawn = false;
    for (int x = 12; x < 36 && !pictureDrawn; ++x)
        pictureDrawn = GetPixel(dc, x, 10) != RGB(255, 255, 255);
    ReleaseDC(hwnd, dc);
    EXPECT_TRUE(pictureDrawn);
    EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(CameraWindow, TimerRunsFromLoadToUnload) {
    ASSERT_EQ(seen.timersSet.size(), 1u);
    EXPECT_EQ(seen.timersSet[0].second, 100u);
    EXPECT_TRUE(seen.timersKilled.empty());
    SendMessageW(frmMain.hWnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(frmMain.hWnd(), nullptr);
    ASSERT_EQ(seen.timersKilled.size(), 1u);
    EXPECT_EQ(seen.timersKilled[0], seen.timersSet[0].first);
}

TEST_F(CameraWindow, CloseStopsTheSoundExitDoesNot) {
    SendMessageW(frmMain.hWnd(), WM_COMMAND, FrmMain::mnuExitId, 0);
    EXPECT_EQ(seen.ends, 1);
    EXPECT_EQ(seen.soundStops, 0) << "Exit runs no unload handler";
    EXPECT_NE(frmMain.hWnd(), nullptr);

    SendMessageW(frmMain.hWnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(seen.soundStops, 1);
    EXPECT_EQ(frmMain.hWnd(), nullptr);
}

TEST_F(CameraWindow, PopupMenuEntriesAndSaveEnabledOnlyWithCanvas) {
    frmMain.lblCover_MouseDown(2, 0, 5, 5);
    EXPECT_EQ(seen.menuFlags, static_cast<UINT>(TPM_RIGHTBUTTON | TPM_LEFTALIGN));
    ASSERT_EQ(seen.menu.size(), 6u);
    const wchar_t* captions[] = {L"保存", L"", L"設定", L"情報", L"", L"終了"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(seen.menu[i].separator, i == 1 || i == 4) << i;
        if (!seen.menu[i].separator) {
            EXPECT_EQ(seen.menu[i].caption, captions[i]) << i;
        }
    }
    EXPECT_TRUE(seen.menu[0].grayed);
    EXPECT_FALSE(seen.menu[2].grayed || seen.menu[3].grayed || seen.menu[5].grayed);

    seen.menu.clear();
    hwndCanvas = frmMain.hWnd(); // any live window stands for a known canvas
    frmMain.lblCover_MouseDown(2, 0, 40, 1);
    ASSERT_EQ(seen.menu.size(), 6u);
    EXPECT_FALSE(seen.menu[0].grayed);
}

// ---- The real program ----

namespace {
std::wstring PikutoCommand() { return L"\"" + BuildFile(L"Pikuto.exe") + L"\""; }
} // namespace

TEST(Program, SecondInstanceEndsSilentlyFirstKeepsRunning) {
    ChildProcess first(PikutoCommand());
    ASSERT_TRUE(first.Started());
    HWND camera = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (camera = FindProcessWindow(first.Id(), L"Pikuto.Camera")) != nullptr; }));

    ChildProcess second(PikutoCommand());
    ASSERT_TRUE(second.Started());
    DWORD exitCode = 99;
    ASSERT_TRUE(second.WaitForExit(20000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(IsWindow(camera));
    EXPECT_EQ(FindProcessWindow(second.Id(), L"Pikuto.Camera"), nullptr);

    // Exit from the menu ends the process at once.
    PostMessageW(camera, WM_COMMAND, FrmMain::mnuExitId, 0);
    EXPECT_TRUE(first.WaitForExit(20000));
}

TEST(Program, CloseRequestFromOutsideEndsIt) {
    ChildProcess program(PikutoCommand());
    HWND camera = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (camera = FindProcessWindow(program.Id(), L"Pikuto.Camera")) != nullptr; }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(camera) != FALSE; }));
    PostMessageW(camera, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    EXPECT_TRUE(program.WaitForExit(20000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}
