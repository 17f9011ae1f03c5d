// The camera window in this process, pressed with the real mouse: the popup menu and its entries, the
// save command, closing; a save command that arrives while another waits in its Save As dialog; the tooltip.
#include <gtest/gtest.h>

#include "capture/save_command.h"
#include "driver/real_input.h"
#include "forms/calls.h"
#include "forms/frmMain.h"
#include "resources/resource_ids.h"
#include "state/shared_state.h"
#include "test_support.h"
#include "win32/calls.h"
#include "win32/handles.h"
#include "win32/message_box.h"

#include <commctrl.h>

#include <set>

using namespace testing_support;

namespace {

std::wstring seen; // what the seams and the dialog hook saw, a line each
int choice;        // the popup menu's entry the user picks, by position; -1 none
int buttons;       // button presses and releases taken from this thread's queue

LRESULT CALLBACK CountButtons(int code, WPARAM wParam, LPARAM lParam) {
    buttons += code == HC_ACTION && wParam >= WM_LBUTTONDOWN && wParam <= WM_MBUTTONDBLCLK;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Notes each dialog of the program as it comes up, and closes it as Alt+F4 would.
LRESULT CALLBACK CloseDialogs(int code, WPARAM wParam, LPARAM lParam) {
    wchar_t caption[64] = {};
    if (code == HCBT_ACTIVATE && GetWindowTextW(reinterpret_cast<HWND>(wParam), caption, 64)) {
        seen += caption + std::wstring(L"\n");
        PostMessageW(reinterpret_cast<HWND>(wParam), WM_CLOSE, 0, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class CameraWindow : public ::testing::Test {
protected:
    void SetUp() override {
        forms::calls.TrackPopupMenu = [](HMENU menu, UINT flags, int, int, HWND owner) -> BOOL {
            seen += L"menu" + std::to_wstring(flags);
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                wchar_t text[16] = {};
                GetMenuStringW(menu, i, text, 16, MF_BYPOSITION);
                const UINT state = GetMenuState(menu, i, MF_BYPOSITION);
                seen +=
                    state & MF_SEPARATOR ? L" -" : L" " + std::wstring(text) + (state & MF_GRAYED ? L"(grey)" : L"");
            }
            seen += L"\n";
            if (choice >= 0) // as the real menu does: the command arrives once the menu has closed
                PostMessageW(owner, WM_COMMAND, GetMenuItemID(menu, choice), 0);
            return TRUE;
        };
        forms::calls.EndProcess = [] { seen += L"end\n"; };
        win32::calls.PlaySound = [](LPCWSTR sound, HMODULE, DWORD flags) -> BOOL {
            seen += sound || flags ? L"sound\n" : L"sound stopped\n";
            return TRUE;
        };
        win32::calls.MessageBox = [](HWND, LPCWSTR text, LPCWSTR, UINT) {
            return seen += text + std::wstring(L"\n"), IDOK;
        };
        capture::calls.ShowSaveDialog = [](HWND, const std::wstring&) { return seen += L"save as\n", SaveAsChoice{}; };
        quitWhenCameraWindowCloses = false;
        // A canvas of the applet's size in a browser of its own, away from the camera window.
        hwndBrowser = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300, 300, 710, 380, nullptr, nullptr,
                                      nullptr, nullptr);
        strMode = L"SUN";
        ASSERT_TRUE(frmMain.Load());
        ShowWindow(frmMain.hWnd(), SW_SHOWNOACTIVATE);
        KillTimer(frmMain.hWnd(), FrmMain::timCheckId); // the tick would look for the applet and forget the canvas
        hook = SetWindowsHookExW(WH_CBT, CloseDialogs, nullptr, GetCurrentThreadId());
    }
    void TearDown() override {
        UnhookWindowsHookEx(hook);
        DestroyWindow(frmMain.hWnd());
        DestroyWindow(hwndBrowser);
        forms::calls = {};
        win32::calls = {};
        capture::calls = saved;
    }
    const capture::Calls saved = capture::calls;
    HHOOK hook = nullptr;
};

} // namespace

TEST_F(CameraWindow, EveryButtonActsOnPressAndEachMenuEntryDoesItsJob) {
    // The camera picture, in its many colours, in the middle of the white window.
    POINT picture{24, 10}, margin{3, 17};
    win32::WindowDc dc(frmMain.hWnd());
    std::set<COLORREF> colours;
    EXPECT_TRUE(WaitUntil([&] {
        for (int x = 12; x < 36; ++x)
            colours.insert(GetPixel(dc.get(), x, picture.y));
        return colours.size() > 4 && GetPixel(dc.get(), margin.x, margin.y) == RGB(255, 255, 255);
    }));
    ClientToScreen(frmMain.hWnd(), &picture);
    ClientToScreen(frmMain.hWnd(), &margin);
    const std::wstring grey = L"menu2 保存(grey) - 設定 情報 - 終了\n";
    // (button down; the release is the same flag doubled), where, canvas known, entry chosen, and what
    // is done before the button is released.
    const std::tuple<DWORD, POINT, bool, int, std::wstring> presses[] = {
        {MOUSEEVENTF_RIGHTDOWN, margin, false, -1, grey},
        {MOUSEEVENTF_LEFTDOWN, picture, false, -1, L""},
        {MOUSEEVENTF_MIDDLEDOWN, margin, false, -1, L""},
        {MOUSEEVENTF_LEFTDOWN, picture, true, -1, L"save as\n"},
        {MOUSEEVENTF_MIDDLEDOWN, margin, true, -1, L"save as\n"},
        {MOUSEEVENTF_RIGHTDOWN, picture, true, 0, L"menu2 保存 - 設定 情報 - 終了\nsave as\n"},
        {MOUSEEVENTF_RIGHTDOWN, margin, false, 2, grey + L"Pikuto - JPEG 形式の圧縮率指定\n"},
        {MOUSEEVENTF_RIGHTDOWN, margin, false, 3, grey + L"Pikuto\n"},
        {MOUSEEVENTF_RIGHTDOWN, margin, false, 5, grey + L"end\n"}, // at once: no sound stopped, as a close does
    };
    HHOOK mouse = SetWindowsHookExW(WH_MOUSE, CountButtons, nullptr, GetCurrentThreadId());
    buttons = 0;
    for (const auto& [down, at, canvasKnown, choose, done] : presses) {
        seen.clear();
        hwndCanvas = canvasKnown ? hwndBrowser : nullptr;
        choice = choose;
        // Pressed, handled (Wine may hand on the press late), and only then released.
        real_input::MouseAt(at, down);
        EXPECT_TRUE(WaitUntil([&] { return buttons % 2 && seen == done; }, kStepMs))
            << "button " << down << ", entry " << choose << ": " << seen.size();
        real_input::MouseAt(at, down * 2);
        WaitUntil([] { return buttons % 2 == 0; }, kStepMs);
    }
    UnhookWindowsHookEx(mouse);
    // Log-off and any other close stop a shutter sound that may still be playing; the close ends the window.
    seen.clear();
    SendMessageW(frmMain.hWnd(), WM_ENDSESSION, TRUE, 0);
    SendMessageW(frmMain.hWnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(seen == L"sound stopped\nsound stopped\n" && !frmMain.hWnd());
}

TEST_F(CameraWindow, ASaveArrivingWhileTheSaveAsDialogIsOpenDoesNotStartAnother) {
    hwndCanvas = hwndBrowser;
    seen.clear();
    capture::calls.ShowSaveDialog = [](HWND camera, const std::wstring&) {
        seen += L"save as\n";
        if (seen == L"save as\n") { // a press and a menu command, queued when the dialog opened
            SendMessageW(camera, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            SendMessageW(camera, WM_COMMAND, IDM_SAVE, 0);
        }
        return SaveAsChoice{};
    };
    frmMain.mnuSave_Click();
    EXPECT_EQ(seen, L"save as\n");
    frmMain.mnuSave_Click(); // once the first has ended, the next one runs
    EXPECT_EQ(seen, L"save as\nsave as\n");
}

// The pointer resting on the camera brings up the tooltip with the browser left in front; a dialog hides it.
TEST_F(CameraWindow, TooltipLeavesTheForegroundAloneAndGoesWhileADialogIsOpen) {
    HWND tip = nullptr;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) != nullptr;)
        tip = GetWindow(w, GW_OWNER) == frmMain.hWnd() ? w : tip;
    wchar_t text[40] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = frmMain.hWnd();
    tool.uId = reinterpret_cast<UINT_PTR>(frmMain.hWnd());
    tool.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 40, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, L"クリックで保存、右クリックでメニュー");
    ASSERT_TRUE(SetForegroundWindow(hwndBrowser));
    real_input::MouseAt({30, 12});
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(tip); }, kStepMs));
    EXPECT_EQ(GetForegroundWindow(), hwndBrowser);
    win32::ModalScope dialog; // what every dialog of the program does to the camera window
    EXPECT_FALSE(IsWindowVisible(tip));
}
