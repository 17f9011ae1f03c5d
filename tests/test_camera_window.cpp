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
    int soundStops = 0, ends = 0;
    std::vector<std::wstring> menu; // captions, "-" for separators, " (grey)" when disabled
    UINT menuFlags = 0;
};
Recorder* recorder;

class CameraWindow : public ::testing::Test {
protected:
    void SetUp() override {
        saved = tk::calls;
        recorder = &seen;
        tk::calls.SetTimer = [](HWND, UINT_PTR id, UINT interval) -> UINT_PTR {
            recorder->timersSet.push_back({id, interval});
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
            recorder->menu.clear();
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                wchar_t text[64] = {};
                GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
                UINT state = GetMenuState(menu, i, MF_BYPOSITION);
                recorder->menu.push_back(
                    state & MF_SEPARATOR ? L"-" : std::wstring(text) + (state & MF_GRAYED ? L" (grey)" : L""));
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
    LONG style = GetWindowLongW(hwnd, GWL_STYLE), exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_BORDER | WS_DLGFRAME | WS_SYSMENU | WS_THICKFRAME), WS_POPUP | WS_BORDER);
    // A tool window has no taskbar button; topmost comes only from the tick's placements.
    EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_TOPMOST), WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetMenu(hwnd), nullptr) << "the menu is never a menu bar";
    RECT window, client;
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    const RECT frame{0, 0, 50, 22}, inside{0, 0, 48, 20};
    EXPECT_TRUE(EqualRect(&window, &frame));
    EXPECT_TRUE(EqualRect(&client, &inside));

    // White around the camera picture, and the picture itself drawn in the middle.
    UpdateWindow(hwnd);
    HDC dc = GetDC(hwnd);
    EXPECT_EQ(GetPixel(dc, 2, 2), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 45, 17), RGB(255, 255, 255));
    int drawn = 0;
    for (int x = 12; x < 36; ++x)
        drawn += GetPixel(dc, x, 10) != RGB(255, 255, 255);
    ReleaseDC(hwnd, dc);
    EXPECT_GT(drawn, 0);
}

TEST_F(CameraWindow, ExitEndsAtOnceCloseStopsTheSoundAndTheTimer) {
    ASSERT_EQ(seen.timersSet.size(), 1u);
    EXPECT_EQ(seen.timersSet[0].second, 100u);
    SendMessageW(frmMain.hWnd(), WM_COMMAND, FrmMain::mnuExitId, 0);
    EXPECT_EQ(seen.ends, 1);
    EXPECT_EQ(seen.soundStops, 0) << "Exit runs no unload handler";
    EXPECT_TRUE(seen.timersKilled.empty());

    SendMessageW(frmMain.hWnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(seen.soundStops, 1);
    EXPECT_EQ(frmMain.hWnd(), nullptr);
    EXPECT_EQ(seen.timersKilled, std::vector<UINT_PTR>{seen.timersSet[0].first});
}

TEST_F(CameraWindow, PopupMenuEntriesAndSaveEnabledOnlyWithCanvas) {
    frmMain.lblCover_MouseDown(2, 0, 5, 5);
    EXPECT_EQ(seen.menuFlags, static_cast<UINT>(TPM_RIGHTBUTTON | TPM_LEFTALIGN));
    EXPECT_EQ(seen.menu, (std::vector<std::wstring>{L"保存 (grey)", L"-", L"設定", L"情報", L"-", L"終了"}));
    hwndCanvas = frmMain.hWnd(); // any live window stands for a known canvas
    frmMain.lblCover_MouseDown(2, 0, 40, 1);
    EXPECT_EQ(seen.menu, (std::vector<std::wstring>{L"保存", L"-", L"設定", L"情報", L"-", L"終了"}));
}

// ---- The real program ----

namespace {
std::wstring PikutoCommand() {
    return L"\"" + BuildFile(L"Pikuto.exe") + L"\"";
}
} // namespace

TEST(Program, SecondInstanceEndsSilentlyExitAndCloseEndTheFirst) {
    for (UINT ending : {UINT{WM_COMMAND}, UINT{WM_CLOSE}}) {
        ChildProcess first(PikutoCommand());
        HWND camera = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (camera = FindProcessWindow(first.Id(), L"Pikuto.Camera")) != nullptr; }));
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(camera) != FALSE; }));
        if (ending == WM_COMMAND) {
            ChildProcess second(PikutoCommand());
            DWORD exitCode = 99;
            ASSERT_TRUE(second.WaitForExit(20000, &exitCode));
            EXPECT_EQ(exitCode, 0u);
            EXPECT_EQ(FindProcessWindow(second.Id(), L"Pikuto.Camera"), nullptr);
            EXPECT_TRUE(first.Running() && IsWindow(camera));
        }
        // Exit from the menu, or a close request from outside, ends the process.
        PostMessageW(camera, ending, ending == WM_COMMAND ? WPARAM{FrmMain::mnuExitId} : 0, 0);
        DWORD exitCode = 99;
        EXPECT_TRUE(first.WaitForExit(20000, &exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
}
