// The quality dialog and the About box under real keyboard and mouse input, inside their own
// modal loops, and the real program opened and driven from outside.
#include <gtest/gtest.h>

#include "app/modMain.h"
#include "app/settings.h"
#include "forms/frmAbout.h"
#include "forms/frmConfig.h"
#include "forms/frmMain.h"
#include "resources/resource_ids.h"
#include "test_support.h"

#include <fstream>
#include <set>

using testing_support::BuildFile;
using testing_support::ChildProcess;
using testing_support::FindProcessWindow;
using testing_support::WaitUntil;

namespace {

// ---- Input as the user gives it ----

void Send(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void Tap(WORD vk) {
    Send({KeyInput(vk, false), KeyInput(vk, true)});
}

void Chord(WORD modifier, WORD vk) {
    Send({KeyInput(modifier, false), KeyInput(vk, false), KeyInput(vk, true), KeyInput(modifier, true)});
}

INPUT MouseInput(DWORD flags, POINT screen = {}) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    // Absolute positions are in 1/65536 of the screen, rounded up so that they land on the pixel.
    input.mi.dx = (screen.x * 65536 + GetSystemMetrics(SM_CXSCREEN) - 1) / GetSystemMetrics(SM_CXSCREEN);
    input.mi.dy = (screen.y * 65536 + GetSystemMetrics(SM_CYSCREEN) - 1) / GetSystemMetrics(SM_CYSCREEN);
    return input;
}

// Each press and release carries its own position. Wine's desktop process feeds pointer moves from
// the X server, sometimes late, and one of those between a move and a press would land the press
// elsewhere.
void MouseAt(DWORD flags, POINT screen) {
    Send({MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags, screen)});
}

void ClickAt(POINT screen) {
    MouseAt(MOUSEEVENTF_LEFTDOWN, screen);
    MouseAt(MOUSEEVENTF_LEFTUP, screen);
}

// ---- Steps run inside a modal loop ----

// A step returns true when done; false runs it again on the next tick.
using Step = std::function<bool()>;
struct Script {
    std::vector<Step> steps;
    size_t next = 0;
    DWORD start = 0, timeoutMs = 0;
    bool busy = false, timedOut = false;
};
Script* script;

// Runs on a thread timer, so whichever loop is dispatching (a form's modal loop, the scroll bar's
// drag loop) runs the steps. Past the deadline the test fails and the dialogs are closed, so a
// stuck step never hangs the run.
void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
    if (!script || script->busy || script->timedOut)
        return;
    script->busy = true;
    if (GetTickCount() - script->start > script->timeoutMs) {
        script->timedOut = true;
        ADD_FAILURE() << "step " << script->next << " did not finish in time";
        Send({MouseInput(MOUSEEVENTF_LEFTUP)});
        for (const wchar_t* cls : {L"Pikuto.Config", L"Pikuto.About"})
            if (HWND open = FindProcessWindow(GetCurrentProcessId(), cls))
                PostMessageW(open, WM_CLOSE, 0, 0);
    } else if (script->next < script->steps.size() && script->steps[script->next]()) {
        ++script->next;
    }
    script->busy = false;
}

// Runs `modal`, which returns once its dialog is closed, with the steps running inside its loop.
void RunScript(const std::function<void()>& modal, std::vector<Step> steps, DWORD timeoutMs = 60000) {
    Script run{std::move(steps), 0, GetTickCount(), timeoutMs};
    script = &run;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, ScriptTick);
    modal();
    KillTimer(nullptr, timer);
    script = nullptr;
    EXPECT_EQ(run.next, run.steps.size()) << "the dialog closed before the last step";
}

Step Do(std::function<void()> action) {
    return [action] {
        action();
        return true;
    };
}

// ---- Files ----

struct TempDir {
    TempDir() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        path = std::wstring(base) + L"pikuto-dialogs-desktop-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~TempDir() {
        for (const wchar_t* name : {kSettingsFile, L"Pikuto.exe"})
            DeleteFileW((path + name).c_str());
        RemoveDirectoryW(path.c_str());
    }
    std::wstring path;
};

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Contents(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class QualityDialogInput : public ::testing::Test {
protected:
    void SetUp() override {
        strAppPath = dir.path;
        bytQuality = 100;
        bytHideDialog = 0;
    }
    Step WaitFor(int value) {
        return [this, value] {
            return form.QualityValue() == value && form.lblQuality->caption == std::to_wstring(value);
        };
    }
    SCROLLBARINFO Bar() const {
        SCROLLBARINFO bar{};
        bar.cbSize = sizeof(bar);
        GetScrollBarInfo(form.hscQuality, OBJID_CLIENT, &bar);
        return bar;
    }
    TempDir dir;
    FrmConfig form;
};

} // namespace

TEST_F(QualityDialogInput, FocusStartsOnOkTabWalksTheControlsAndEnterPressesOk) {
    // The controls exist only once the dialog is loaded, inside ShowModal.
    auto focusOn = [&](HWND FrmConfig::*control) -> Step {
        return [&, control] { return GetFocus() == form.*control; };
    };
    RunScript([&] { form.ShowModal(); },
              {[&] { return GetForegroundWindow() == form.hWnd() && GetFocus() == form.cmdSave; },
               Do([] { Tap(VK_TAB); }), focusOn(&FrmConfig::hscQuality), Do([] { Tap(VK_LEFT); }), WaitFor(99),
               Do([] { Tap(VK_TAB); }), focusOn(&FrmConfig::cheShow), Do([] { Tap(VK_SPACE); }),
               [&] { return form.ShowState() == BST_CHECKED; },
               // Esc is not OK's key and closes nothing.
               Do([] { Tap(VK_ESCAPE); }), Do([] { Tap(VK_TAB); }), focusOn(&FrmConfig::cmdSave),
               Do([] { Tap(VK_TAB); }), focusOn(&FrmConfig::hscQuality), Do([] { Tap(VK_RETURN); })});
    EXPECT_EQ(form.hWnd(), nullptr);
    EXPECT_EQ(bytQuality, 99);
    EXPECT_EQ(bytHideDialog, 1);
    EXPECT_EQ(ReadSetting(dir.path + kSettingsFile, L"Quality", 0), 99);
}

TEST_F(QualityDialogInput, AltF4ClosesStoringNothing) {
    RunScript([&] { form.ShowModal(); }, {[&] { return GetFocus() == form.cmdSave; }, Do([] { Tap(VK_TAB); }),
                                          Do([] { Tap(VK_HOME); }), WaitFor(1), Do([] { Chord(VK_MENU, VK_F4); })});
    EXPECT_EQ(form.hWnd(), nullptr);
    EXPECT_EQ(bytQuality, 100);
    EXPECT_EQ(bytHideDialog, 0);
    EXPECT_FALSE(Exists(dir.path + kSettingsFile));
}

TEST_F(QualityDialogInput, EveryArrowAndTroughClickMovesByOneAndShowsTheNumber) {
    std::vector<Step> steps{[&] { return IsWindowVisible(form.hWnd()) != FALSE; }};
    for (int value = 99; value >= 1; --value) {
        steps.push_back(Do([&] {
            SCROLLBARINFO bar = Bar();
            ClickAt({bar.rcScrollBar.left + bar.dxyLineButton / 2, (bar.rcScrollBar.top + bar.rcScrollBar.bottom) / 2});
        }));
        steps.push_back(WaitFor(value));
    }
    for (int value = 2; value <= 100; ++value) {
        // Halfway between the thumb and the right arrow.
        steps.push_back(Do([&] {
            SCROLLBARINFO bar = Bar();
            ClickAt({bar.rcScrollBar.left +
                         (bar.xyThumbBottom + bar.rcScrollBar.right - bar.rcScrollBar.left - bar.dxyLineButton) / 2,
                     (bar.rcScrollBar.top + bar.rcScrollBar.bottom) / 2});
        }));
        steps.push_back(WaitFor(value));
    }
    steps.push_back(Do([&] { PostMessageW(form.hWnd(), WM_CLOSE, 0, 0); }));
    RunScript([&] { form.ShowModal(); }, std::move(steps));
}

namespace {
POINT lastMouseMove;
// Sees the drag loop take each pointer move from the queue.
LRESULT CALLBACK SeeMouseMoves(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_MOUSEMOVE)
        lastMouseMove = msg->pt;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
} // namespace

TEST_F(QualityDialogInput, DraggingTheThumbShowsEveryNumberOnTheWay) {
    std::set<std::wstring> shown;
    bool mismatch = false;
    int pressedAt = 0, target = 0, left = 0, right = 0, y = 0, direction = -1;
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, SeeMouseMoves, nullptr, GetCurrentThreadId());
    RunScript([&] { form.ShowModal(); },
              {[&] { return IsWindowVisible(form.hWnd()) != FALSE; }, Do([&] {
                   SCROLLBARINFO bar = Bar();
                   pressedAt = bar.rcScrollBar.left + (bar.xyThumbTop + bar.xyThumbBottom) / 2;
                   y = (bar.rcScrollBar.top + bar.rcScrollBar.bottom) / 2;
                   left = bar.rcScrollBar.left;
                   right = bar.rcScrollBar.right;
                   MouseAt(MOUSEEVENTF_LEFTDOWN, {pressedAt, y});
               }),
               [&] { return GetCapture() == form.hscQuality; },
               // One pixel at a time to the left end and back to the right end, the button held down;
               // each move only once the drag loop has taken the one before. A move that a late one
               // from the X server overtook (see MouseAt) is made again.
               [&] {
                   if (target && lastMouseMove.x != target) {
                       MouseAt(0, {target, y});
                       return false;
                   }
                   if (target) {
                       shown.insert(form.lblQuality->caption);
                       mismatch |= form.lblQuality->caption != std::to_wstring(form.QualityValue());
                   }
                   int next = target ? target + direction : pressedAt - 1;
                   if (next < left)
                       next = target + (direction = 1);
                   if (next > right)
                       return true;
                   MouseAt(0, {target = next, y});
                   return false;
               },
               Do([&] {
                   MouseAt(MOUSEEVENTF_LEFTUP, {target, y});
               }),
               [&] { return GetCapture() != form.hscQuality; }, WaitFor(100),
               Do([&] { PostMessageW(form.hWnd(), WM_CLOSE, 0, 0); })});
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(mismatch) << "the number lagged behind the thumb";
    for (int value = 1; value <= 100; ++value)
        EXPECT_TRUE(shown.count(std::to_wstring(value))) << value << " was never shown while dragging";
}

TEST(AboutBoxInput, HandCursorOverTheLogoOnly) {
    FrmAbout box;
    ASSERT_TRUE(box.Load());
    box.Show();
    HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HANDPOINT));
    auto pointAt = [&](int x, int y) {
        POINT pt{x, y};
        ClientToScreen(box.hWnd(), &pt);
        SetCursorPos(pt.x, pt.y);
    };
    // Pointed again on every wait: Wine may echo an earlier pointer position from the X server.
    EXPECT_TRUE(WaitUntil([&] { return pointAt(150, 80), GetCursor() == hand; }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return pointAt(150, 178), GetCursor() == LoadCursorW(nullptr, IDC_ARROW); }, 5000));
}

namespace {
int ticks;
LRESULT CALLBACK CountCameraTicks(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_TIMER && msg->hwnd == frmMain.hWnd() &&
        msg->wParam == FrmMain::timCheckId)
        ++ticks;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
} // namespace

// Both menu items open their dialog modally: the camera window takes no input meanwhile, and its
// timer keeps firing.
TEST(CameraWindowMenu, DialogsAreModalAndTheTimerKeepsFiring) {
    quitWhenCameraWindowCloses = false;
    ASSERT_TRUE(frmMain.Load());
    frmMain.Show();
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, CountCameraTicks, nullptr, GetCurrentThreadId());
    const struct {
        void (FrmMain::*click)();
        const wchar_t* cls;
    } items[] = {{&FrmMain::mnuConfig_Click, L"Pikuto.Config"}, {&FrmMain::mnuAbout_Click, L"Pikuto.About"}};
    for (const auto& item : items) {
        SCOPED_TRACE(testing::Message() << item.cls);
        HWND dialog = nullptr;
        int ticksAtOpen = 0;
        RunScript([&] { (frmMain.*item.click)(); },
                  {[&] { return (dialog = FindProcessWindow(GetCurrentProcessId(), item.cls)) != nullptr; },
                   [&] {
                       EXPECT_FALSE(IsWindowEnabled(frmMain.hWnd()));
                       ticksAtOpen = ticks;
                       return true;
                   },
                   [&] { return ticks >= ticksAtOpen + 3; }, Do([&] { PostMessageW(dialog, WM_CLOSE, 0, 0); })});
        EXPECT_TRUE(IsWindowEnabled(frmMain.hWnd()));
    }
    UnhookWindowsHookEx(hook);
    DestroyWindow(frmMain.hWnd());
}

// The real program: the driver opens the dialog, OK writes the file, and the next start reads it back.
TEST(Program, SettingsWrittenByOkAreReadBackAtTheNextStart) {
    TempDir dir;
    ASSERT_TRUE(CopyFileW(BuildFile(L"Pikuto.exe").c_str(), (dir.path + L"Pikuto.exe").c_str(), FALSE));
    auto driver = [](const std::wstring& arguments) {
        ChildProcess run(L"\"" + BuildFile(L"PikutoDriver.exe") + L"\" " + arguments);
        DWORD code = 99;
        return run.WaitForExit(15000, &code) ? code : 99;
    };
    struct Opened {
        HWND camera, dialog, quality, show, ok;
    };
    auto openDialog = [&](ChildProcess& pikuto) {
        Opened o{};
        WaitUntil([&] { return (o.camera = FindProcessWindow(pikuto.Id(), L"Pikuto.Camera")) != nullptr; });
        EXPECT_EQ(driver(L"menu config"), 0u);
        EXPECT_EQ(driver(L"wait \"Pikuto - JPEG\" 10000"), 0u);
        o.dialog = FindProcessWindow(pikuto.Id(), L"Pikuto.Config");
        o.quality = GetDlgItem(o.dialog, FrmConfig::hscQualityId);
        o.show = GetDlgItem(o.dialog, FrmConfig::cheShowId);
        o.ok = GetDlgItem(o.dialog, FrmConfig::cmdSaveId);
        EXPECT_FALSE(IsWindowEnabled(o.camera)) << "the camera window takes no input meanwhile";
        return o;
    };
    {
        ChildProcess pikuto(L"\"" + dir.path + L"Pikuto.exe\"", dir.path.c_str());
        Opened o = openDialog(pikuto);
        ASSERT_NE(o.quality, nullptr);
        EXPECT_EQ(SendMessageW(o.quality, SBM_GETPOS, 0, 0), 100) << "no file: quality 100";
        for (int i = 0; i < 4; ++i)
            PostMessageW(o.quality, WM_KEYDOWN, VK_LEFT, 0);
        EXPECT_TRUE(WaitUntil([&] { return SendMessageW(o.quality, SBM_GETPOS, 0, 0) == 96; }));
        SendMessageW(o.show, BM_CLICK, 0, 0);
        SendMessageW(o.ok, BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(o.dialog) && IsWindowEnabled(o.camera); }));
        EXPECT_EQ(Contents(dir.path + kSettingsFile), "[Pikuto]\r\nQuality=96\r\nShow=1\r\n");
        EXPECT_EQ(driver(L"menu exit"), 0u);
        EXPECT_TRUE(pikuto.WaitForExit(10000));
    }
    ChildProcess pikuto(L"\"" + dir.path + L"Pikuto.exe\"", dir.path.c_str());
    Opened o = openDialog(pikuto);
    ASSERT_NE(o.quality, nullptr);
    EXPECT_EQ(SendMessageW(o.quality, SBM_GETPOS, 0, 0), 96);
    EXPECT_EQ(SendMessageW(o.show, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(driver(L"close \"Pikuto - JPEG\""), 0u);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(o.dialog); }));
    EXPECT_EQ(driver(L"menu about"), 0u);
    EXPECT_EQ(driver(L"wait Pikuto 10000"), 0u);
    EXPECT_NE(FindProcessWindow(pikuto.Id(), L"Pikuto.About"), nullptr);
    EXPECT_EQ(driver(L"menu exit"), 0u);
    EXPECT_TRUE(pikuto.WaitForExit(10000));
}
