// The tracking tick: gathers what the tick's decision needs, asks the core, and applies the answer:
// the camera window docked below the canvas (within reach on its monitor), shown or hidden with
// the browser, and the browser flashed when the chat log's line count changes.
#include "tracking/tracking.h"

#include "core/tick.h"
#include "state/shared_state.h"
#include "tracking/calls.h"

namespace tracking {
Calls calls;
}

namespace {

using tracking::calls;

// Ask the chat log well within one tick: a hung browser must not stop the tick.
constexpr UINT kLineCountTimeoutMs = 40;

core::Rect ToCore(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}
RECT FromCore(const core::Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// The program's own windows all have captions starting with "Pikuto": at most six characters are read.
bool IsOwnWindow(HWND hwnd) {
    wchar_t title[7] = {};
    int length = GetWindowTextW(hwnd, title, 7);
    return core::IsOwnCaption(std::wstring_view(title, length > 0 ? size_t(length) : 0));
}

// Reads only what the branch of the foreground window needs: a steady tick with the browser in
// front reads the foreground window, the canvas rectangle and the camera's visibility, nothing else.
core::TickSnapshot Snapshot(HWND camera) {
    core::TickSnapshot s;
    HWND front = calls.GetForegroundWindow();
    if (front == hwndBrowser) {
        s.front = core::Front::Browser;
        RECT canvas{};
        GetWindowRect(hwndCanvas, &canvas);
        s.canvasWindow = ToCore(canvas);
        s.vm = strMode == L"VM";
        s.last = ToCore(rctLast);
        s.cameraVisible = IsWindowVisible(camera) != FALSE;
    } else if (front == camera) {
        s.front = core::Front::Camera;
        s.browserVisible = IsWindowVisible(hwndBrowser) != FALSE;
    } else {
        s.front = core::Front::Other;
        s.ownWindow = IsOwnWindow(front);
    }
    return s;
}

// Where the docking move puts the camera window: within reach on the canvas's monitor, off the
// capture rectangle. Read only when docking, so a steady tick asks nothing of the monitors.
core::Point Reachable(HWND camera, const core::TickSnapshot& s, core::Point at) {
    const core::Rect capture = core::CaptureRect(s.canvasWindow, s.vm);
    const RECT r = FromCore(capture);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    RECT window{};
    if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor) || !GetWindowRect(camera, &window))
        return at;
    return core::FitDocking(at, {window.right - window.left, window.bottom - window.top}, capture,
                            ToCore(monitor.rcWork));
}

// The camera window never takes the activation: on Windows the foreground lock keeps the focus
// in the browser anyway, but Wine would hand the keyboard to the camera window.
void Apply(HWND camera, const core::TickSnapshot& s, const core::TickDecision& d) {
    if (s.front == core::Front::Browser)
        rctCanvas = FromCore(d.canvas);
    switch (d.placement) {
    case core::Placement::Dock: {
        const core::Point at = Reachable(camera, s, d.at);
        calls.SetWindowPos(camera, HWND_TOPMOST, at.x, at.y, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
        rctLast = rctCanvas;
        break;
    }
    case core::Placement::ShowInPlace:
        calls.SetWindowPos(camera, HWND_TOP, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
        break;
    case core::Placement::Hide:
        calls.SetWindowPos(camera, HWND_TOP, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_HIDEWINDOW);
        break;
    case core::Placement::Park:
    case core::Placement::Nothing:
        break;
    }
}

void WatchChatLog() {
    if (!hwndChatLog)
        return;
    DWORD_PTR count = 0;
    if (!calls.GetLineCount(hwndChatLog, kLineCountTimeoutMs, &count))
        return; // hung, gone or too slow: try again next tick
    intLineCount = static_cast<int32_t>(count);
    if (core::ShouldFlash(intLineCount, intLastLineCount)) {
        FlashBrowser();
        intLastLineCount = intLineCount;
    }
}

} // namespace

void TrackTarget(HWND camera) {
    if ((!hwndCanvas || !IsWindow(hwndCanvas)) && !FindTarget(camera))
        return;
    core::TickSnapshot snapshot = Snapshot(camera);
    Apply(camera, snapshot, core::DecideTick(snapshot));
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
