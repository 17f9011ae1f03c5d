// The tracking tick: keeps the camera window docked below the canvas, shown or hidden with the
// browser, and flashes the browser when the chat log's line count changes.
#include "tracking/tracking.h"

#include "app/modMain.h"
#include "forms/frmMain.h"
#include "tracking/track_calls.h"

#include <cwchar>

namespace trk {
Calls calls;
}

namespace {

using trk::calls;

// Ask the chat log well within one tick: a hung browser must not stop the tick.
constexpr UINT kLineCountTimeoutMs = 40;

// The camera window never takes the activation: on Windows the foreground lock keeps the focus
// in the browser anyway, but Wine would hand the keyboard to the camera window.
void DockBelow(HWND camera, const RECT& canvas) {
    calls.SetWindowPos(camera, HWND_TOPMOST, canvas.left - 53, canvas.bottom + 77, 0, 0,
                       SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
}
void ShowInPlace(HWND camera) {
    calls.SetWindowPos(camera, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
}
void Hide(HWND camera) {
    calls.SetWindowPos(camera, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_HIDEWINDOW);
}

// Under the VM the drawing area sits inside the canvas window; docking measures from there.
RECT VmDockingRect(const RECT& window) {
    LONG left = window.left + 60, top = window.top + 70;
    return {left, top, left + 710, top + 380};
}

// The program's own windows all have captions starting with "Pikuto".
bool IsOwnWindow(HWND hwnd) {
    wchar_t title[7] = {};
    GetWindowTextW(hwnd, title, 7);
    static constexpr wchar_t kOwn[7] = L"Pikuto";
    return std::wmemcmp(title, kOwn, 7) == 0;
}

void FollowForeground(HWND camera) {
    HWND front = calls.GetForegroundWindow();
    if (front == hwndBrowser) {
        GetWindowRect(hwndCanvas, &rctCanvas);
        if (strMode == L"VM")
            rctCanvas = VmDockingRect(rctCanvas);
        if (rctCanvas.left != rctLast.left || rctCanvas.top != rctLast.top) {
            DockBelow(camera, rctCanvas);
            rctLast = rctCanvas;
        } else if (!IsWindowVisible(camera)) {
            ShowInPlace(camera);
        }
    } else if (front == camera) {
        if (!IsWindowVisible(hwndBrowser))
            Hide(camera);
    } else if (!IsOwnWindow(front)) {
        Hide(camera);
    }
}

void WatchChatLog() {
    if (!hwndChatLog)
        return;
    DWORD_PTR count = 0;
    if (!calls.SendMessageTimeout(hwndChatLog, EM_GETLINECOUNT, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                  kLineCountTimeoutMs, &count))
        return; // hung, gone or too slow: try again next tick
    intLineCount = static_cast<int32_t>(count);
    if (intLineCount != intLastLineCount) {
        FlashBrowser();
        intLastLineCount = intLineCount;
    }
}

} // namespace

void TrackTarget() {
    if ((!hwndCanvas || !IsWindow(hwndCanvas)) && !FindTarget())
        return;
    FollowForeground(frmMain.hWnd());
    WatchChatLog();
}

void FlashBrowser() {
    FLASHWINFO info{};
    info.cbSize = sizeof(info);
    info.hwnd = hwndBrowser;
    info.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;
    info.uCount = 2;
    info.dwTimeout = 0;
    calls.FlashWindowEx(&info);
}
