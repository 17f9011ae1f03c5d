// The quality dialog and the About box, opened as the program opens them over the camera window and
// worked from a helper thread by real keyboard and mouse input; and the real program, driven from outside.
#include <gtest/gtest.h>

#include "driver/dialog_driver.h"
#include "driver/real_input.h"
#include "forms/calls.h"
#include "forms/frmAbout.h"
#include "forms/frmConfig.h"
#include "forms/frmMain.h"
#include "resources/resource_ids.h"
#include "state/settings.h"
#include "state/shared_state.h"
#include "test_support.h"
#include "win32/handles.h"

#include <atomic>
#include <cwchar>
#include <set>

using namespace testing_support;
using namespace real_input;
namespace drv = dialog_driver;

namespace {

constexpr wchar_t kQualityCaption[] = L"Pikuto - JPEG 形式の圧縮率指定";
constexpr DWORD kClick = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP;

template <typename T> T Sized() { // a Win32 record that states its own size
    T record{};
    record.cbSize = sizeof(T);
    return record;
}

std::wstring Text(HWND hwnd) {
    wchar_t text[64] = {};
    GetWindowTextW(hwnd, text, 64);
    return text;
}

int Ink(HDC dc, RECT box) { // pixels of the labels' dark blue
    int ink = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            ink += GetPixel(dc, x, y) == RGB(46, 64, 109);
    return ink;
}

// The dialog with this caption, once it is in front and the camera window takes no input; checked for
// what both dialogs share: on top and centred, no taskbar button, the caption bar's buttons, the
// background, and labels whose dark blue text shows whole. Returns it with its labels' texts.
std::pair<HWND, std::wstring> Opened(const wchar_t* caption, bool closeButton, COLORREF background) {
    const HWND dialog = drv::WaitForCaption(caption, kStepMs, GetCurrentProcessId());
    if (!drv::Poll([&] { return GetForegroundWindow() == dialog && !IsWindowEnabled(frmMain.hWnd()); }, kStepMs))
        return {};
    RECT frame, sheetBox{0, 0, 400, 30};
    GetWindowRect(dialog, &frame);
    EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              closeButton ? WS_SYSMENU : 0);
    EXPECT_EQ(GetWindowLongW(dialog, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_APPWINDOW),
              WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    EXPECT_LE(std::abs(frame.left + frame.right - GetSystemMetrics(SM_CXSCREEN)) +
                  std::abs(frame.top + frame.bottom - GetSystemMetrics(SM_CYSCREEN)),
              4)
        << "centred";
    win32::WindowDc dc(dialog);
    win32::GdiObject<HBITMAP> paper(CreateCompatibleBitmap(dc.get(), sheetBox.right, sheetBox.bottom));
    win32::MemoryDc sheet(CreateCompatibleDC(dc.get()));
    SelectObject(sheet.get(), paper.get());
    SetTextColor(sheet.get(), RGB(46, 64, 109));
    EXPECT_EQ(GetPixel(dc.get(), 1, 1), background);
    std::wstring texts;
    // As much ink inside each label and the check box as its text has when drawn on a sheet of its own.
    for (HWND label = nullptr; (label = FindWindowExW(dialog, label, nullptr, nullptr)) != nullptr;) {
        if (GetDlgCtrlID(label) == IDOK || GetDlgCtrlID(label) == IDC_HSCQUALITY)
            continue; // in colours of their own
        RECT box;
        GetWindowRect(label, &box);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
        FillRect(sheet.get(), &sheetBox, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SelectObject(sheet.get(), reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
        DrawTextW(sheet.get(), Text(label).c_str(), -1, &sheetBox, DT_NOPREFIX);
        EXPECT_GE(Ink(dc.get(), box), Ink(sheet.get(), sheetBox)) << Text(label).size() << " characters";
        texts += L"|" + Text(label);
    }
    return {dialog, texts};
}

// Seen in this thread's queue: the last pointer move, the camera window's timer ticks.
std::atomic<LONG> lastMoveX;
std::atomic<int> ticks;
LRESULT CALLBACK SeeQueue(int code, WPARAM wParam, LPARAM lParam) {
    const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg.message == WM_MOUSEMOVE)
        lastMoveX = msg.pt.x;
    ticks += code == HC_ACTION && wParam == PM_REMOVE && msg.message == WM_TIMER && msg.hwnd == frmMain.hWnd();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

GUITHREADINFO Gui() { // of the thread that runs the dialogs
    auto gui = Sized<GUITHREADINFO>();
    GetGUIThreadInfo(GetWindowThreadProcessId(frmMain.hWnd(), nullptr), &gui);
    return gui;
}

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        quitWhenCameraWindowCloses = false;
        strAppPath = dir.path;
        ASSERT_TRUE(frmMain.Load());
        ShowWindow(frmMain.hWnd(), SW_SHOW);
        hook = SetWindowsHookExW(WH_GETMESSAGE, SeeQueue, nullptr, GetCurrentThreadId());
    }
    void TearDown() override {
        EXPECT_TRUE(IsWindowEnabled(frmMain.hWnd()));
        UnhookWindowsHookEx(hook);
        DestroyWindow(frmMain.hWnd());
        forms::calls = {};
    }
    TempDir dir;
    HHOOK hook = nullptr;
};

} // namespace

// Real keyboard and mouse input: every number by keys, arrow, trough and drag; the check box; Esc does
// nothing and Enter presses OK. The camera window's timer keeps firing meanwhile.
TEST_F(Dialogs, QualityShowsEveryNumberEscDoesNothingAndEnterStores) {
    bytQuality = 37;
    bytHideDialog = 2;
    std::set<std::wstring> dragged;
    const DWORD start = GetTickCount();
    ticks = 0;
    EXPECT_TRUE(WhileModal(ShowQualityDialog, [&] {
        const auto [dialog, texts] = Opened(kQualityCaption, false, RGB(255, 255, 255));
        const HWND bar = GetDlgItem(dialog, IDC_HSCQUALITY), box = GetDlgItem(dialog, IDC_CHESHOW);
        EXPECT_EQ(texts, L"|圧縮率:|37|低容量|高画質|保存時にこのウィンドウを表示しない");
        auto shows = [&](int n) {
            return drv::Poll([&] { return Text(GetDlgItem(dialog, IDC_LBLQUALITY)) == std::to_wstring(n); }, kStepMs);
        };
        auto focus = [&](HWND control) { return drv::Poll([&] { return Gui().hwndFocus == control; }, kStepMs); };
        auto ticked = [&](LRESULT state) {
            return drv::Poll([&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == state; }, kStepMs);
        };
        // Halfway down the scroll bar: on the left arrow (0), in the trough halfway between the thumb and
        // the right arrow (1), or on the thumb (2).
        auto info = Sized<SCROLLBARINFO>();
        POINT at{};
        auto press = [&](int where, DWORD buttons) {
            SendMessageW(bar, SBM_GETSCROLLBARINFO, 0, reinterpret_cast<LPARAM>(&info)); // from the dialog's thread
            const LONG left = info.rcScrollBar.left, arrow = info.dxyLineButton;
            const LONG twice[] = {arrow, info.xyThumbBottom + info.rcScrollBar.right - left - arrow,
                                  info.xyThumbTop + info.xyThumbBottom};
            MouseAt(at = {left + twice[where] / 2, (info.rcScrollBar.top + info.rcScrollBar.bottom) / 2}, buttons);
        };
        // The stored 37 and the indeterminate box shown; the focus starts on OK. Every number down to 1 and
        // back up to 100 by the keys (arrow and page keys both move by 1), Home and End; then by clicks on
        // the left arrow and in the trough.
        bool ok = shows(37) && ticked(BST_INDETERMINATE) && focus(GetDlgItem(dialog, IDOK)) &&
                  (Tap(VK_TAB), focus(bar)) && (Tap(VK_END), shows(100));
        for (int mouse = 0; mouse < 2 && ok; ++mouse) {
            for (int n = 99; n >= 1 && ok; --n)
                ok = (mouse ? press(0, kClick) : Tap(n % 2 ? VK_LEFT : VK_PRIOR), shows(n));
            for (int n = 2; n <= 100 && ok; ++n)
                ok = (mouse ? press(1, kClick) : Tap(n % 2 ? VK_RIGHT : VK_NEXT), shows(n));
            ok = ok && (mouse || ((Tap(VK_HOME), shows(1)) && (Tap(VK_END), shows(100))));
        }
        // The thumb dragged a pixel at a time to the left end and back to the right end; each move once
        // the drag loop has taken the one before (a late move from the X server may overtake it: sent again).
        press(2, MOUSEEVENTF_LEFTDOWN);
        for (LONG step = -1; ok && at.x <= info.rcScrollBar.right; at.x += step) {
            ok = drv::Poll([&] { return MouseAt(at), Gui().hwndCapture == bar && lastMoveX == at.x; }, kStepMs);
            dragged.insert(Text(GetDlgItem(dialog, IDC_LBLQUALITY)));
            step = at.x + step < info.rcScrollBar.left ? 1 : step;
        }
        MouseAt(at, MOUSEEVENTF_LEFTUP);
        // The indeterminate box is unticked and ticked by Space; Esc closes nothing, and Enter presses OK
        // wherever the focus is.
        return ok && shows(100) && (Tap(VK_TAB), focus(box)) && (Tap(VK_SPACE), ticked(BST_UNCHECKED)) &&
               (Tap(VK_ESCAPE), Tap(VK_SPACE), ticked(BST_CHECKED)) && (Tap(VK_RETURN), true);
    }));
    EXPECT_EQ(dragged.size(), 100u) << "numbers shown while dragging";
    EXPECT_TRUE(bytQuality == 100 && bytHideDialog == 1);
    EXPECT_EQ(ReadBytes(dir.path + kSettingsFile), "[Pikuto]\r\nQuality=100\r\nShow=1\r\n");
    EXPECT_GT(ticks * 200, static_cast<int>(GetTickCount() - start)) << "the camera window's timer slowed or stopped";
}

// Hand-edited values the controls cannot take, shown clamped; OK holds them though the file cannot be written.
// A Japanese UI font, whose 12-pixel full-width glyphs leave the check box 15 pixels short, shows its caption whole.
TEST_F(Dialogs, QualityShowsHandEditedValuesClampedAndOkHoldsThemWhenTheFileCannotBeWritten) {
    strAppPath = dir.path + L"missing\\";
    bytQuality = 255;
    bytHideDialog = 200;
    auto saved = Sized<NONCLIENTMETRICSW>();
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(saved), &saved, 0);
    auto japanese = saved;
    lstrcpyW(japanese.lfMessageFont.lfFaceName, L"IPAGothic");
    SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof(japanese), &japanese, 0);
    EXPECT_TRUE(WhileModal(ShowQualityDialog, [] {
        const auto [dialog, texts] = Opened(kQualityCaption, false, RGB(255, 255, 255));
        return texts == L"|圧縮率:|100|低容量|高画質|保存時にこのウィンドウを表示しない" &&
               SendDlgItemMessageW(dialog, IDC_HSCQUALITY, SBM_GETPOS, 0, 0) == 100 &&
               SendDlgItemMessageW(dialog, IDC_CHESHOW, BM_GETCHECK, 0, 0) == BST_CHECKED &&
               drv::PressButton(dialog, IDOK);
    }));
    SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof(saved), &saved, 0);
    EXPECT_TRUE(bytQuality == 100 && bytHideDialog == 1 && dir.Files().empty());
}

TEST_F(Dialogs, AboutShowsTheVersionAndOnlyTheLogoOpensTheWebPage) {
    static std::wstring opened;
    forms::calls.ShellExecute = [](HWND hwnd, LPCWSTR op, LPCWSTR file, LPCWSTR params, LPCWSTR dir, INT show) {
        opened += (hwnd == FindWindowW(L"#32770", L"Pikuto") && !params ? L"" : L"wrong window or parameters: ") +
                  std::wstring(op) + L" " + file + L" " + dir + L" " + std::to_wstring(show) + L"\n";
        return reinterpret_cast<HINSTANCE>(2); // "file not found": the box must not care
    };
    const HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HANDPOINT)),
                  arrow = LoadCursorW(nullptr, IDC_ARROW);
    EXPECT_TRUE(WhileModal(ShowAboutBox, [&] {
        const auto [box, texts] = Opened(L"Pikuto", true, GetSysColor(COLOR_WINDOW));
        EXPECT_EQ(texts, L"||Copyright © 2024 The Pikuto Developers|Version: 1.0.1|JPEG: libjpeg © IJG");
        // The hand over the logo only (the pointer moved again while waiting, as Wine may echo an earlier
        // position). Clicks on the version line and beside the logo do nothing; one on the logo's corner
        // opens the page and leaves the box open, until Alt+F4.
        auto point = [&](POINT at, HCURSOR cursor, DWORD buttons) {
            auto shown = Sized<CURSORINFO>();
            ClientToScreen(box, &at);
            return drv::Poll([&] { return MouseAt(at), GetCursorInfo(&shown) && shown.hCursor == cursor; }, kStepMs) &&
                   (MouseAt(at, buttons), true);
        };
        return box && point({150, 80}, hand, 0) && point({60, 176}, arrow, kClick) && point({4, 100}, arrow, kClick) &&
               point({9, 4}, hand, kClick) && drv::Poll([] { return !opened.empty(); }, kStepMs) &&
               (Sleep(300), IsWindowVisible(box)) &&
               (Tap(VK_F4, VK_MENU), drv::Poll([&] { return !IsWindow(box); }, kStepMs));
    }));
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    *std::wcsrchr(self, L'\\') = L'\0'; // the program's directory, without a trailing backslash
    EXPECT_EQ(opened, L"Open https://pikuto.example.org/ " + std::wstring(self) + L" 1\n");
}

// The real program: the first start finds no file and OK writes it, and a second start meanwhile ends at
// once; the next start reads the file back, Alt+F4 stores nothing, and a close request ends the program.
// The About box opens from the menu too.
TEST(Program, SettingsWrittenByOkAreReadBackAtTheNextStart) {
    TempDir dir;
    const std::wstring pikuto = L"\"" + dir.path + L"Pikuto.exe\"";
    ASSERT_TRUE(CopyFileW(BuildFile(L"Pikuto.exe").c_str(), (dir.path + L"Pikuto.exe").c_str(), FALSE));
    auto driver = [](const std::wstring& arguments) {
        ChildProcess run(L"\"" + BuildFile(L"PikutoDriver.exe") + L"\" " + arguments);
        DWORD code = 1;
        return run.WaitForExit(kStepMs, &code) && code == 0;
    };
    for (int start = 0; start < 2; ++start) {
        ChildProcess first(pikuto, dir.path.c_str());
        HWND camera = nullptr;
        DWORD code = 1;
        ASSERT_TRUE(WaitUntil([&] { return (camera = FindProcessWindow(first.Id(), L"Pikuto.Camera")) != nullptr; }));
        if (start == 0) {
            ChildProcess second(pikuto, dir.path.c_str());
            EXPECT_TRUE(second.WaitForExit(kStepMs, &code) && code == 0 &&
                        !FindProcessWindow(second.Id(), L"Pikuto.Camera"));
        }
        ASSERT_TRUE(driver(L"menu config") && driver(L"wait \"Pikuto - JPEG\" 10000"));
        const HWND dialog = FindWindowW(L"#32770", kQualityCaption);
        const HWND quality = GetDlgItem(dialog, IDC_HSCQUALITY), show = GetDlgItem(dialog, IDC_CHESHOW);
        EXPECT_EQ(SendMessageW(quality, SBM_GETPOS, 0, 0), start ? 96 : 100);
        EXPECT_EQ(SendMessageW(show, BM_GETCHECK, 0, 0), start ? BST_CHECKED : BST_UNCHECKED);
        SendMessageW(quality, SBM_SETPOS, start ? 92 : 96, TRUE);
        SendMessageW(show, BM_CLICK, 0, 0);
        if (start == 0)
            SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        else if (WaitUntil([&] { return GetForegroundWindow() == dialog; }))
            Tap(VK_F4, VK_MENU);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
        EXPECT_EQ(ReadBytes(dir.path + kSettingsFile), "[Pikuto]\r\nQuality=96\r\nShow=1\r\n");
        EXPECT_TRUE(driver(L"menu about") && driver(L"wait Pikuto 10000") && driver(L"close Pikuto"));
        EXPECT_TRUE((start ? PostMessageW(camera, WM_CLOSE, 0, 0) : driver(L"menu exit")) &&
                    first.WaitForExit(10000, &code) && code == 0);
    }
}
