// The quality dialog and the About box: layout and stored values in this process, real keyboard and
// mouse input inside their modal loops over the camera window, and the real program driven from outside.
#include <gtest/gtest.h>

#include "app/modMain.h"
#include "app/settings.h"
#include "forms/frmAbout.h"
#include "forms/frmConfig.h"
#include "forms/frmMain.h"
#include "resources/resource_ids.h"
#include "test_support.h"

#include <cwchar>
#include <set>
#include <tuple>

using namespace testing_support;

namespace {

// Caption, styles, client size and centring shared by both dialogs; only the About box has a close button.
void ExpectToolWindow(HWND hwnd, const wchar_t* caption, LONG width, LONG height, bool closeButton) {
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE), exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
    RECT client, frame;
    wchar_t text[64] = {};
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &frame);
    GetWindowTextW(hwnd, text, 64);
    EXPECT_STREQ(text, caption);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              WS_CAPTION | (closeButton ? WS_SYSMENU : 0));
    EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST), WS_EX_TOOLWINDOW | WS_EX_TOPMOST) << "no taskbar button";
    EXPECT_TRUE(client.right == width && client.bottom == height &&
                std::abs(frame.left + frame.right - GetSystemMetrics(SM_CXSCREEN)) <= 2 &&
                std::abs(frame.top + frame.bottom - GetSystemMetrics(SM_CYSCREEN)) <= 2);
}

void Tap(BYTE vk, BYTE modifier = 0) {
    if (modifier)
        keybd_event(modifier, 0, 0, 0);
    keybd_event(vk, 0, 0, 0);
    keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
    if (modifier)
        keybd_event(modifier, 0, KEYEVENTF_KEYUP, 0);
}

// Each press and release carries its own position: Wine's desktop process feeds pointer moves from the
// X server, sometimes late, and one of those between a move and a press would land the press elsewhere.
void MouseAt(POINT screen, DWORD flags = 0) {
    // In 1/65536 of the screen, rounded up so that the position lands on the pixel.
    const LONG width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags, (screen.x * 65536 + width - 1) / width,
                (screen.y * 65536 + height - 1) / height, 0, 0);
}

// What the loops take from this thread's queue: the last pointer move, the camera window's timer ticks.
POINT lastMove;
int cameraTicks;
LRESULT CALLBACK SeeQueue(int code, WPARAM wParam, LPARAM lParam) {
    const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        lastMove = msg.message == WM_MOUSEMOVE ? msg.pt : lastMove;
        cameraTicks += msg.message == WM_TIMER && msg.hwnd == frmMain.hWnd() && msg.wParam == FrmMain::timCheckId;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Steps run inside a modal loop: each waits for its condition (first), then acts (second).
using Step = std::pair<std::function<bool()>, std::function<void()>>;
std::vector<Step> script;
size_t next;
DWORD since;

// Runs on a thread timer, so whichever loop is dispatching (a form's modal loop, the scroll bar's drag
// loop) runs the steps. A step not done in time fails the test and closes the dialog, so it never hangs.
void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
    if (next < script.size() && script[next].first()) {
        script[next++].second();
        since = GetTickCount();
    } else if (next < script.size() && GetTickCount() - since > kStepMs) {
        ADD_FAILURE() << "step " << next << " did not finish in time";
        next = script.size() + 1;
        MouseAt({}, MOUSEEVENTF_LEFTUP);
        PostMessageW(FindProcessWindow(GetCurrentProcessId(), L"Pikuto.Config"), WM_CLOSE, 0, 0);
    }
}

std::wstring shellCalls; // the logo click's shell calls, one line each

} // namespace

TEST(QualityDialog, LayoutOpeningStateAndOkWithoutChanges) {
    // Stored quality and Show as start-up leaves them, the value and state shown, and whether the folder
    // can be written: no file, 37 with Show 2, and hand-edited values the controls cannot take, shown
    // clamped; one of those where the file cannot be written, so the clamped value must still hold.
    using Case = std::tuple<BYTE, BYTE, int, int, bool>;
    for (auto [quality, show, value, state, writable] : {Case{100, 0, 100, 0, true}, Case{37, 2, 37, 2, true},
                                                         Case{0, 0, 1, 0, false}, Case{255, 200, 100, 1, true}}) {
        SCOPED_TRACE(testing::Message() << "stored " << int{quality} << ", " << int{show});
        TempDir dir;
        strAppPath = writable ? dir.path : dir.path + L"missing\\";
        bytQuality = quality;
        bytHideDialog = show;
        FrmConfig form;
        ASSERT_TRUE(form.Load());
        form.Show();
        ExpectToolWindow(form.hWnd(), L"Pikuto - JPEG 形式の圧縮率指定", 231, 114, false);
        EXPECT_TRUE(form.QualityValue() == value && form.lblQuality->caption == std::to_wstring(value) &&
                    form.ShowState() == state);
        // The thumb sits where the value says: from the left arrow at 1 to the right arrow at 100.
        SCROLLBARINFO bar{};
        bar.cbSize = sizeof(bar);
        GetScrollBarInfo(form.hscQuality, OBJID_CLIENT, &bar);
        const int arrow = bar.dxyLineButton, travel = bar.rcScrollBar.right - bar.rcScrollBar.left - 2 * arrow -
                                                      (bar.xyThumbBottom - bar.xyThumbTop);
        EXPECT_NEAR(bar.xyThumbTop, arrow + travel * (value - 1) / 99, 1);

        SendMessageW(form.cmdSave, BM_CLICK, 0, 0);
        EXPECT_TRUE(form.hWnd() == nullptr && bytQuality == value && bytHideDialog == state);
        const std::string file =
            "[Pikuto]\r\nQuality=" + std::to_string(value) + "\r\nShow=" + std::to_string(state) + "\r\n";
        EXPECT_EQ(ReadBytes(strAppPath + kSettingsFile), writable ? file : "");
    }
}

// Real keyboard and mouse input inside the dialog's own modal loop, opened over the camera window, which
// takes no input while its timer keeps firing.
TEST(QualityDialog, RealInputShowsEveryNumberAndEnterStores) {
    TempDir dir;
    strAppPath = dir.path;
    bytQuality = 100;
    bytHideDialog = 2;
    quitWhenCameraWindowCloses = false;
    ASSERT_TRUE(frmMain.Load());
    frmMain.Show();
    FrmConfig form;
    auto shows = [&](int n) { return [&, n] { return form.lblQuality->caption == std::to_wstring(n); }; };
    auto key = [](BYTE vk) { return [vk] { Tap(vk); }; };
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof(bar);
    POINT at{};
    // Presses or clicks halfway down the scroll bar: on the left arrow (0), in the trough halfway between
    // the thumb and the right arrow (1), or on the thumb (2).
    const DWORD click = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP;
    auto press = [&](int where, DWORD buttons) {
        GetScrollBarInfo(form.hscQuality, OBJID_CLIENT, &bar);
        const LONG left = bar.rcScrollBar.left, arrow = bar.dxyLineButton;
        const LONG twice[] = {arrow, bar.xyThumbBottom + bar.rcScrollBar.right - left - arrow,
                              bar.xyThumbTop + bar.xyThumbBottom};
        at = {left + twice[where] / 2, (bar.rcScrollBar.top + bar.rcScrollBar.bottom) / 2};
        MouseAt(at, buttons);
    };
    // The controls exist only once ShowModal has loaded the dialog; the focus starts on OK.
    auto opened = [&] {
        return GetForegroundWindow() == form.hWnd() && GetFocus() == form.cmdSave && !IsWindowEnabled(frmMain.hWnd());
    };
    script = {{opened, key(VK_TAB)}, {[&] { return GetFocus() == form.hscQuality; }, [] {}}};
    // Every number down to 1 and back up to 100 by the keys (arrow and page keys both move by 1), then by
    // clicks on the left arrow and in the trough.
    for (bool mouse : {false, true}) {
        for (int n = 99; n >= 1; --n)
            script.push_back({shows(n + 1), [=] { mouse ? press(0, click) : Tap(n % 2 ? VK_LEFT : VK_PRIOR); }});
        for (int n = 2; n <= 100; ++n)
            script.push_back({shows(n - 1), [=] { mouse ? press(1, click) : Tap(n % 2 ? VK_RIGHT : VK_NEXT); }});
    }
    // Then the thumb, dragged one pixel at a time to the left end and back to the right end; each move
    // only once the drag loop has taken the one before.
    std::set<std::wstring> seen;
    LONG direction = -1;
    script.push_back({shows(100), [&] { press(2, MOUSEEVENTF_LEFTDOWN); }});
    script.push_back({[&] {
                          if (GetCapture() == form.hscQuality && lastMove.x == at.x) {
                              seen.insert(form.lblQuality->caption);
                              direction = at.x + direction < bar.rcScrollBar.left ? 1 : direction;
                              at.x += direction;
                          }
                          // The next pixel, or the same again: not taken yet, or a late move from the X server
                          // overtook it (see MouseAt).
                          MouseAt(at);
                          return at.x > bar.rcScrollBar.right;
                      },
                      [&] { MouseAt(at, MOUSEEVENTF_LEFTUP); }});
    // The user unticks the box stored as 2 (indeterminate) and ticks it again. Esc is not OK's key and
    // closes nothing; Enter presses OK wherever the focus is.
    script.push_back({[&] { return GetCapture() != form.hscQuality && shows(100)(); }, key(VK_TAB)});
    script.push_back({[&] { return GetFocus() == form.cheShow; }, key(VK_SPACE)});
    script.push_back({[&] { return form.ShowState() == 0; }, key(VK_ESCAPE)});
    script.push_back({[] { return true; }, key(VK_SPACE)});
    script.push_back({[&] { return form.ShowState() == 1; }, key(VK_RETURN)});

    next = 0;
    since = GetTickCount();
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, SeeQueue, nullptr, GetCurrentThreadId());
    UINT_PTR timer = SetTimer(nullptr, 0, 10, ScriptTick);
    form.ShowModal();
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(seen.size(), 100u) << "numbers shown while dragging";
    EXPECT_TRUE(form.hWnd() == nullptr && bytQuality == 100 && bytHideDialog == 1 && IsWindowEnabled(frmMain.hWnd()));
    EXPECT_EQ(ReadBytes(dir.path + kSettingsFile), "[Pikuto]\r\nQuality=100\r\nShow=1\r\n");
    EXPECT_GT(cameraTicks, 10) << "the camera window's timer stopped while the dialog was open";
    DestroyWindow(frmMain.hWnd());
}

TEST(AboutBox, LayoutVersionLogoCursorAndLink) {
    EXPECT_EQ(VersionLine({2, 10, 0, 25}), L"Version: 2.10.25");
    const auto logo = tk::Picture::FromResource(IDR_LOGO, L"GIF");
    EXPECT_TRUE(logo && logo->Size().cx == 300 && logo->Size().cy == 150);
    const HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HANDPOINT));
    ICONINFO info{};
    BITMAP mask{};
    ASSERT_TRUE(GetIconInfo(hand, &info) && GetObjectW(info.hbmMask, sizeof(mask), &mask));
    DeleteObject(info.hbmMask);
    // Monochrome: no colour bitmap, one mask holding the AND and XOR halves of 32 rows each; hot spot 5, 0.
    EXPECT_TRUE(!info.fIcon && !info.hbmColor && mask.bmWidth == 32 && mask.bmHeight == 64 && info.xHotspot == 5 &&
                info.yHotspot == 0);

    FrmAbout box;
    ASSERT_TRUE(box.Load());
    box.Show();
    ExpectToolWindow(box.hWnd(), L"Pikuto", 317, 189, true);
    EXPECT_EQ(GetWindow(box.hWnd(), GW_CHILD), nullptr) << "nothing takes the focus";
    EXPECT_EQ(box.lblVer->caption, L"Version: 1.0.1") << "from this module's version resource, 1.0.0.1";
    // The hand over the logo only. Pointed again on every wait: Wine may echo an earlier position.
    auto pointAt = [&](POINT at, HCURSOR cursor) {
        ClientToScreen(box.hWnd(), &at);
        return WaitUntil([&] { return SetCursorPos(at.x, at.y) && GetCursor() == cursor; }, 5000);
    };
    EXPECT_TRUE(pointAt({150, 80}, hand) && pointAt({150, 178}, LoadCursorW(nullptr, IDC_ARROW)));

    // Clicks on the version line and beside the logo do nothing; one on the logo's corner calls the shell
    // (never opening a browser here) and leaves the box open.
    aboutCalls.ShellExecute = [](HWND hwnd, LPCWSTR op, LPCWSTR file, LPCWSTR params, LPCWSTR dir, INT show) {
        wchar_t call[2 * MAX_PATH];
        std::swprintf(call, 2 * MAX_PATH, L"%p %ls %ls %ls %ls %d\n", static_cast<void*>(hwnd), op, file,
                      params ? params : L"(none)", dir, show);
        shellCalls += call;
        return reinterpret_cast<HINSTANCE>(2); // "file not found": the box must not care
    };
    for (LPARAM at : {MAKELPARAM(60, 176), MAKELPARAM(4, 100), MAKELPARAM(9, 4)}) {
        SendMessageW(box.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(box.hWnd(), WM_LBUTTONUP, 0, at);
    }
    wchar_t self[MAX_PATH], expected[2 * MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    *std::wcsrchr(self, L'\\') = L'\0'; // the program's directory, without a trailing backslash
    std::swprintf(expected, 2 * MAX_PATH, L"%p Open https://pikuto.example.org/ (none) %ls 1\n",
                  static_cast<void*>(box.hWnd()), self);
    EXPECT_EQ(shellCalls, expected);
    EXPECT_TRUE(IsWindowVisible(box.hWnd()));
}

// The real program: the first start finds no file and OK writes it; the next start reads it back, and
// Alt+F4 stores nothing. The About box opens from the menu too.
TEST(Program, SettingsWrittenByOkAreReadBackAtTheNextStart) {
    TempDir dir;
    ASSERT_TRUE(CopyFileW(BuildFile(L"Pikuto.exe").c_str(), (dir.path + L"Pikuto.exe").c_str(), FALSE));
    auto driver = [](const std::wstring& arguments) {
        ChildProcess run(L"\"" + BuildFile(L"PikutoDriver.exe") + L"\" " + arguments);
        DWORD code = 1;
        return run.WaitForExit(kStepMs, &code) && code == 0;
    };
    for (int start = 0; start < 2; ++start) {
        ChildProcess pikuto(L"\"" + dir.path + L"Pikuto.exe\"", dir.path.c_str());
        ASSERT_TRUE(WaitUntil([&] { return FindProcessWindow(pikuto.Id(), L"Pikuto.Camera") != nullptr; }));
        ASSERT_TRUE(driver(L"menu config") && driver(L"wait \"Pikuto - JPEG\" 10000"));
        const HWND dialog = FindProcessWindow(pikuto.Id(), L"Pikuto.Config");
        const HWND quality = GetDlgItem(dialog, FrmConfig::hscQualityId),
                   show = GetDlgItem(dialog, FrmConfig::cheShowId);
        EXPECT_EQ(SendMessageW(quality, SBM_GETPOS, 0, 0), start ? 96 : 100);
        EXPECT_EQ(SendMessageW(show, BM_GETCHECK, 0, 0), start ? BST_CHECKED : BST_UNCHECKED);
        SendMessageW(quality, SBM_SETPOS, start ? 92 : 96, TRUE);
        SendMessageW(show, BM_CLICK, 0, 0);
        if (start == 0)
            SendMessageW(GetDlgItem(dialog, FrmConfig::cmdSaveId), BM_CLICK, 0, 0);
        else if (WaitUntil([&] { return GetForegroundWindow() == dialog; }))
            Tap(VK_F4, VK_MENU);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
        EXPECT_EQ(ReadBytes(dir.path + kSettingsFile), "[Pikuto]\r\nQuality=96\r\nShow=1\r\n");
        EXPECT_TRUE(driver(L"menu about") && driver(L"wait Pikuto 10000") && driver(L"close Pikuto"));
        EXPECT_TRUE(driver(L"menu exit") && pikuto.WaitForExit(10000));
    }
}
