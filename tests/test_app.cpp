// The program: the camera window and its dialogs in this process, worked by real keyboard and mouse
// input; and the real program started beside the stand-in browser and driven from outside.
#include <gtest/gtest.h>

#include "capture/save_command.h"
#include "driver/dialog_driver.h"
#include "forms/calls.h"
#include "forms/frmAbout.h"
#include "forms/frmConfig.h"
#include "forms/frmMain.h"
#include "resources/resource_ids.h"
#include "standin/standin_client.h"
#include "state/settings.h"
#include "state/shared_state.h"
#include "test_support.h"
#include "win32/app_info.h"
#include "win32/calls.h"
#include "win32/handles.h"
#include "win32/message_box.h"

#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <set>

using namespace testing_support;
using namespace dialog_driver;

namespace {

constexpr wchar_t kQualityCaption[] = L"Pikuto - JPEG 形式の圧縮率指定";
constexpr COLORREF kWhite = RGB(255, 255, 255), kInk = RGB(46, 64, 109); // the labels' dark blue

int Ink(HDC dc, RECT box) {
    int ink = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            ink += GetPixel(dc, x, y) == kInk;
    return ink;
}

// The dialog with this caption, once it is in front and the camera window takes no input; checked for
// what both dialogs share: on top and centred, no taskbar button, the caption bar's buttons, the
// background, and labels that show their text whole. Returns it with the texts of its labels and check box.
std::pair<HWND, std::wstring> Opened(const wchar_t* caption, bool closeButton, COLORREF background) {
    const HWND dialog = WaitForCaption(caption, kStepMs, GetCurrentProcessId());
    EXPECT_TRUE(Poll([&] { return GetForegroundWindow() == dialog && !IsWindowEnabled(frmMain.hWnd()); }, kStepMs));
    RECT frame;
    GetWindowRect(dialog, &frame);
    const LONG style = GetWindowLongW(dialog, GWL_STYLE), exStyle = GetWindowLongW(dialog, GWL_EXSTYLE);
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), closeButton ? WS_SYSMENU : 0);
    EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_APPWINDOW), WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_LE(std::abs(frame.left + frame.right - width) + std::abs(frame.top + frame.bottom - height), 4) << "centred";
    // As much dark blue ink inside each label and the check box as its text has when drawn on a sheet of its
    // own (OK and the scroll bar have colours of their own).
    win32::WindowDc dc(dialog);
    win32::MemoryDc sheet(CreateCompatibleDC(dc.get()));
    win32::GdiObject<HBITMAP> paper(CreateCompatibleBitmap(dc.get(), 400, 30));
    SelectObject(sheet.get(), paper.get());
    SetTextColor(sheet.get(), kInk);
    EXPECT_EQ(GetPixel(dc.get(), 1, 1), background);
    std::wstring texts;
    for (HWND label = nullptr; (label = FindWindowExW(dialog, label, nullptr, nullptr)) != nullptr;) {
        if (GetDlgCtrlID(label) == IDOK || GetDlgCtrlID(label) == IDC_HSCQUALITY)
            continue;
        RECT box, sheetBox{0, 0, 400, 30};
        GetWindowRect(label, &box);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
        PatBlt(sheet.get(), 0, 0, 400, 30, WHITENESS);
        SelectObject(sheet.get(), reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
        DrawTextW(sheet.get(), Text(label).c_str(), -1, &sheetBox, DT_NOPREFIX);
        EXPECT_GE(Ink(dc.get(), box), Ink(sheet.get(), sheetBox)) << Text(label).size() << " characters";
        texts += L"|" + Text(label);
    }
    return {dialog, texts};
}

std::wstring seen; // what the seams and the dialog hook saw, a line each
int choice;        // the popup menu's entry the user picks, by position; -1 none

// Notes each dialog of the program as it comes up, and closes it as Alt+F4 would.
LRESULT CALLBACK CloseDialogs(int code, WPARAM wParam, LPARAM lParam) {
    wchar_t caption[64] = {};
    if (code == HCBT_ACTIVATE && GetWindowTextW(reinterpret_cast<HWND>(wParam), caption, 64)) {
        seen += caption + std::wstring(L"\n");
        PostMessageW(reinterpret_cast<HWND>(wParam), WM_CLOSE, 0, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The camera window, shown; the seams note what it and its dialogs do (each test runs in a process of
// its own).
class Forms : public ::testing::Test {
protected:
    void SetUp() override {
        forms::calls.TrackPopupMenu = [](HMENU menu, UINT flags, int, int, HWND owner) -> BOOL {
            seen += L"menu" + std::to_wstring(flags) +
                    (GetMenuState(menu, 0, MF_BYPOSITION) & MF_GRAYED ? L" grey\n" : L"\n");
            // As the real menu does: the command arrives once the menu has closed.
            return choice < 0 || PostMessageW(owner, WM_COMMAND, GetMenuItemID(menu, choice), 0);
        };
        forms::calls.EndProcess = [] { seen += L"end\n"; };
        win32::calls.PlaySound = [](LPCWSTR sound, HMODULE, DWORD flags) -> BOOL {
            return seen += sound || flags ? L"sound\n" : L"sound stopped\n", TRUE;
        };
        // A press and a menu command arriving while the Save As dialog is open start no other save.
        capture::calls.ShowSaveDialog = [](HWND camera, const std::wstring&) {
            if ((seen += L"save as\n").find(L"save as") == seen.rfind(L"save as")) {
                SendMessageW(camera, WM_LBUTTONDOWN, MK_LBUTTON, 0);
                SendMessageW(camera, WM_COMMAND, IDM_SAVE, 0);
            }
            return SaveAsChoice{};
        };
        quitWhenCameraWindowCloses = false;
        ASSERT_TRUE(frmMain.Load());
        ShowWindow(frmMain.hWnd(), SW_SHOW);
    }
    void TearDown() override {
        EXPECT_TRUE(!frmMain.hWnd() || IsWindowEnabled(frmMain.hWnd()));
        DestroyWindow(frmMain.hWnd());
        DestroyWindow(hwndBrowser);
        hwndBrowser = hwndCanvas = nullptr;
    }
};

} // namespace

// The camera window: its picture, whole and opaque. Every button acts on the press, a real one over the
// picture too; left and middle save once the canvas is known; right opens the menu, its save entry grey
// without a canvas, and each entry does its job. The pointer resting on it brings up its tooltip, the
// browser left in front, and a dialog hides the tooltip. Log-off and any other close stop a shutter sound
// that may still be playing; the close ends the window.
TEST_F(Forms, CameraWindowPressesMenuTooltipAndClose) {
    // A canvas in a browser of its own, away from the camera window, whose tick would look for the
    // applet and forget the canvas.
    hwndBrowser = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300, 300, 710, 380, 0, 0, 0, 0);
    strMode = L"SUN";
    KillTimer(frmMain.hWnd(), FrmMain::timCheckId);
    const HHOOK hook = SetWindowsHookExW(WH_CBT, CloseDialogs, nullptr, GetCurrentThreadId());
    // The picture in its many colours, from its white top-left corner to its grey bottom-right one (a
    // transparent colour would show black).
    win32::WindowDc dc(frmMain.hWnd());
    std::set<COLORREF> colours;
    EXPECT_TRUE(WaitUntil([&] {
        for (int x = 12; x < 36; ++x)
            colours.insert(GetPixel(dc.get(), x, 10));
        return colours.size() > 4 && GetPixel(dc.get(), 12, 2) == kWhite && GetPixel(dc.get(), 35, 18) != kWhite;
    }));
    // The press, the canvas known, the entry chosen, and what is done before any release.
    const std::tuple<UINT, bool, int, std::wstring> presses[] = {
        {WM_RBUTTONDOWN, false, -1, L"menu2 grey\n"},
        {WM_LBUTTONDOWN, false, -1, L""},
        {WM_MBUTTONDOWN, false, -1, L""},
        {WM_MBUTTONDOWN, true, -1, L"save as\n"},
        {WM_RBUTTONDOWN, true, 0, L"menu2\nsave as\n"},
        {WM_RBUTTONDOWN, false, 2, L"menu2 grey\n" + std::wstring(kQualityCaption) + L"\n"},
        {WM_RBUTTONDOWN, false, 3, L"menu2 grey\nPikuto\n"},
        {WM_RBUTTONDOWN, false, 5, L"menu2 grey\nend\n"}, // at once: no sound stopped, as a close does
    };
    for (const auto& [press, canvasKnown, choose, done] : presses) {
        seen.clear();
        hwndCanvas = canvasKnown ? hwndBrowser : nullptr;
        choice = choose;
        SendMessageW(frmMain.hWnd(), press, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return seen == done; }, kStepMs)) << press << ", " << choose;
    }
    // A real left press over the picture, the canvas known: the window takes it (the picture lets it through)
    // and saves before the release.
    seen.clear();
    hwndCanvas = hwndBrowser;
    MouseAt({25, 11}, MOUSEEVENTF_LEFTDOWN); // client (24, 10): the window at the origin, its border 1 pixel
    EXPECT_TRUE(WaitUntil([&] { return seen == L"save as\n"; }, kStepMs));
    MouseAt({25, 11}, MOUSEEVENTF_LEFTUP);
    UnhookWindowsHookEx(hook);
    HWND tip = nullptr;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) != nullptr;)
        tip = GetWindow(w, GW_OWNER) == frmMain.hWnd() ? w : tip;
    ASSERT_TRUE(SetForegroundWindow(hwndBrowser));
    MouseAt({30, 12});
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(tip); }, kStepMs) && GetForegroundWindow() == hwndBrowser &&
                Text(tip) == L"クリックで保存、右クリックでメニュー");
    win32::ModalScope dialog; // what every dialog of the program does to the camera window, until it ends
    EXPECT_FALSE(IsWindowVisible(tip));
    seen.clear();
    SendMessageW(frmMain.hWnd(), WM_ENDSESSION, TRUE, 0);
    SendMessageW(frmMain.hWnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(seen == L"sound stopped\nsound stopped\n" && !frmMain.hWnd());
}

// The quality dialog, in a Japanese UI font whose full-width glyphs need more room than the design's: a
// hand-edited quality shown as 100, the widest number, and the box indeterminate.
// The number follows the thumb while it is dragged (the scroll bar's request, sent); the arrow and page
// keys move it by 1 (as clicks on an arrow or in the trough do: the same requests), Home and End to the
// ends. Space unticks the indeterminate box, then ticks it; Esc does nothing and Enter presses OK, whose
// choices hold though the folder cannot be written.
// The About box: the logo shown, opaque; the version from the module's own record. The hand over the
// logo only; clicks on the version line and beside the logo do nothing, nor does a press on the logo
// released beside it; a click on its corner opens the page and leaves the box open, until Alt+F4.
TEST_F(Forms, QualityDialogAndAboutBoxByRealInput) {
    strAppPath = TempDir().path + L"missing\\"; // a folder gone
    bytQuality = 255;
    bytHideDialog = 2;
    NONCLIENTMETRICSW saved{}, japanese{};
    saved.cbSize = sizeof(saved);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(saved), &saved, 0);
    lstrcpyW((japanese = saved).lfMessageFont.lfFaceName, L"IPAGothic");
    SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof(japanese), &japanese, 0);
    EXPECT_TRUE(WhileModal(ShowQualityDialog, [] {
        const auto [dialog, texts] = Opened(kQualityCaption, false, kWhite);
        EXPECT_EQ(texts, L"|圧縮率:|100|低容量|高画質|保存時にこのウィンドウを表示しない");
        auto shows = [&](int n, LRESULT state) {
            return Text(GetDlgItem(dialog, IDC_LBLQUALITY)) == std::to_wstring(n) &&
                   SendDlgItemMessageW(dialog, IDC_CHESHOW, BM_GETCHECK, 0, 0) == state;
        };
        // The camera window's tick goes on meanwhile: hidden, the camera is parked at the screen origin, shown.
        ShowWindow(frmMain.hWnd(), SW_HIDE);
        bool ok = shows(100, BST_INDETERMINATE) && Poll([] { return IsWindowVisible(frmMain.hWnd()); }, kStepMs);
        SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 5), LPARAM(GetDlgItem(dialog, IDC_HSCQUALITY)));
        // Each key, then the number and the box's state it leaves.
        const std::tuple<BYTE, int, LRESULT> steps[] = {
            {VK_TAB, 5, BST_INDETERMINATE},   {VK_LEFT, 4, BST_INDETERMINATE},  {VK_PRIOR, 3, BST_INDETERMINATE},
            {VK_RIGHT, 4, BST_INDETERMINATE}, {VK_NEXT, 5, BST_INDETERMINATE},  {VK_HOME, 1, BST_INDETERMINATE},
            {VK_END, 100, BST_INDETERMINATE}, {VK_TAB, 100, BST_INDETERMINATE}, {VK_SPACE, 100, BST_UNCHECKED},
            {VK_ESCAPE, 100, BST_UNCHECKED},  {VK_SPACE, 100, BST_CHECKED}};
        for (const auto& [key, n, state] : steps)
            ok = ok && (Tap(key), Poll([&] { return shows(n, state); }, kStepMs));
        return ok && (Tap(VK_RETURN), true);
    }));
    SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof(saved), &saved, 0);
    EXPECT_TRUE(bytQuality == 100 && bytHideDialog == 1);
    forms::calls.ShellExecute = [](HWND hwnd, LPCWSTR op, LPCWSTR file, LPCWSTR params, LPCWSTR dir, INT show) {
        seen += (hwnd == FindWindowW(L"#32770", L"Pikuto") && !params ? L"" : L"wrong window or parameters: ") +
                std::wstring(op) + L" " + file + L" " + dir + L" " + std::to_wstring(show) + L"\n";
        return reinterpret_cast<HINSTANCE>(2); // "file not found": the box must not care
    };
    EXPECT_TRUE(WhileModal(ShowAboutBox, [] {
        const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
        const auto [box, texts] = Opened(L"Pikuto", true, GetSysColor(COLOR_WINDOW));
        EXPECT_EQ(texts, L"||Copyright © 2024 The Pikuto Developers|Version: 1.0.1|JPEG: libjpeg © IJG");
        EXPECT_TRUE(SendDlgItemMessageW(box, IDC_IMGLOGO, STM_GETIMAGE, IMAGE_BITMAP, 0) &&
                    GetPixel(win32::WindowDc(box).get(), 8, 3) == kWhite);
        // Pressed once the cursor shows (the pointer moved again meanwhile: Wine may echo an earlier position),
        // and released there or at `up`.
        auto click = [&](POINT at, HCURSOR cursor, POINT up = {}) {
            CURSORINFO shown{};
            shown.cbSize = sizeof(shown);
            ClientToScreen(box, &at);
            up = up.x ? (ClientToScreen(box, &up), up) : at;
            return Poll([&] { return MouseAt(at), GetCursorInfo(&shown) && shown.hCursor == cursor; }, kStepMs) &&
                   (MouseAt(at, MOUSEEVENTF_LEFTDOWN), MouseAt(up, MOUSEEVENTF_LEFTUP), true);
        };
        const HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HANDPOINT));
        return click({60, 176}, arrow) && click({4, 100}, arrow) && click({9, 4}, hand, {4, 100}) &&
               click({9, 4}, hand) && Poll([] { return !seen.empty(); }, kStepMs) &&
               (Sleep(300), IsWindowVisible(box)) && (PressAltF4(box) && Poll([&] { return !IsWindow(box); }, kStepMs));
    }));
    // The program's directory, without a trailing backslash.
    EXPECT_EQ(seen, L"Open https://pikuto.example.org/ " + BuildFile(L"tests") + L" 1\n");
}

// The program copied into a folder of its own and started while the browser is in front leaves the
// browser there; a second start ends at once. The first start finds no settings file, and OK in the
// quality dialog writes it. The next start reads a hand-edited file (a value far longer than any written,
// each key its own), and Alt+F4 stores nothing. The menu's exit and a close request end it.
TEST(Program, StartsBehindTheBrowserAndKeepsItsSettingsBesideItself) {
    // Its folder when it lies at a drive's root: the root (not the drive's current folder), one backslash.
    EXPECT_EQ(win32::DirectoryOfModulePath(L"C:\\Pikuto.exe"), L"C:\\");
    EXPECT_EQ(WithTrailingBackslash(L"C:\\"), L"C:\\");
    TempDir dir;
    const std::wstring pikuto = L"\"" + dir.path + L"Pikuto.exe\"", settings = dir.path + kSettingsFile;
    ASSERT_TRUE(CopyFileW(BuildFile(L"Pikuto.exe").c_str(), (dir.path + L"Pikuto.exe").c_str(), FALSE));
    StandinBrowser browser(L"\"build A ie-sun\" \"raise A\"");
    const HWND front = browser.Hwnd(L"A");
    ASSERT_TRUE(front && WaitUntil([&] { return GetForegroundWindow() == front; }));
    const std::string handEdited = "[Other]\r\nQuality=5\r\n[Pikuto]\r\nQuality=00000000000000000097\r\nShow=0\r\n";
    for (int start = 0; start < 2; ++start) {
        ChildProcess first(pikuto, dir.path.c_str());
        HWND camera = nullptr, dialog = nullptr;
        DWORD code = 1;
        ASSERT_TRUE(WaitUntil([&] { return (camera = FindProcessWindow(first.Id(), L"Pikuto.Camera")) != nullptr; }));
        ChildProcess second(pikuto, dir.path.c_str());
        EXPECT_TRUE(second.WaitForExit(kStepMs, &code) && code == 0 &&
                    !FindProcessWindow(second.Id(), L"Pikuto.Camera"));
        EXPECT_TRUE(start || GetForegroundWindow() == front); // the first long started by now
        ASSERT_TRUE(PostMessageW(camera, WM_COMMAND, IDM_CONFIG, 0) &&
                    (dialog = WaitForCaption(kQualityCaption, kStepMs)));
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_HSCQUALITY, SBM_GETPOS, 0, 0), start ? 97 : 100);
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_CHESHOW, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        EXPECT_TRUE(start ? (SendDlgItemMessageW(dialog, IDC_CHESHOW, BM_CLICK, 0, 0), PressAltF4(dialog))
                          : PressButton(dialog, IDOK));
        EXPECT_TRUE(Poll([&] { return !IsWindow(dialog); }, kStepMs));
        EXPECT_EQ(ReadBytes(settings), start ? handEdited : "[Pikuto]\r\nQuality=100\r\nShow=0\r\n");
        std::ofstream(settings.c_str(), std::ios::binary) << handEdited;
        EXPECT_TRUE(PostMessageW(camera, start ? WM_CLOSE : WM_COMMAND, start ? 0 : IDM_EXIT, 0) &&
                    first.WaitForExit(10000, &code) && code == 0);
    }
}
