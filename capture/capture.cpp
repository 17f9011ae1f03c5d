// The canvas capture: measure, put the program's own windows aside, look for other windows over
// the canvas and for parts of it off view, sound, copy.
#include "capture/capture.h"

#include "capture/picture_buffer.h"
#include "core/geometry.h"
#include "core/occlusion.h"
#include "state/shared_state.h"
#include "win32/calls.h"
#include "win32/handles.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace {

using core::kCanvasHeight;
using core::kCanvasWidth;

// How long a copy may wait for the canvas to be painted again, and how often it looks.
constexpr DWORD kRepaintWaitMs = 500, kRepaintStepMs = 40;

core::Rect ToCore(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// False when the window's rectangle cannot be read (it went away): `out` is then left alone.
bool ReadWindowRect(HWND hwnd, core::Rect& out) {
    RECT rect{};
    if (!GetWindowRect(hwnd, &rect))
        return false;
    out = ToCore(rect);
    return true;
}

bool IsOwnWindow(HWND hwnd) {
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    return process == GetCurrentProcessId();
}

struct WalkAbove {
    HWND browser;
    std::vector<HWND> above;
    bool met = false;
};

BOOL CALLBACK CollectAbove(HWND hwnd, LPARAM param) {
    auto* walk = reinterpret_cast<WalkAbove*>(param);
    walk->met = hwnd == walk->browser;
    if (!walk->met)
        walk->above.push_back(hwnd);
    return !walk->met;
}

// The top-level windows above the browser, topmost first. Listed in one go, so a window that goes
// away meanwhile cannot cut the walk short, as a chain of GetWindow calls would.
std::vector<HWND> WindowsAbove(HWND browser) {
    WalkAbove walk{browser, {}};
    EnumWindows(CollectAbove, reinterpret_cast<LPARAM>(&walk));
    // A browser that was not met (it went away) has nothing above it.
    return walk.met ? walk.above : std::vector<HWND>{};
}

// The program's own windows over the canvas (the camera window, its tooltip) leave the screen for
// the copy, without taking the activation, and come back after it.
class OwnWindowsAside {
public:
    OwnWindowsAside() = default;
    OwnWindowsAside(const OwnWindowsAside&) = delete;
    OwnWindowsAside& operator=(const OwnWindowsAside&) = delete;
    ~OwnWindowsAside() {
        for (HWND hwnd : hidden_)
            SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, kFlags | SWP_SHOWWINDOW);
    }
    void Hide(HWND hwnd) {
        if (SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, kFlags | SWP_HIDEWINDOW))
            hidden_.push_back(hwnd);
    }
    bool Any() const { return !hidden_.empty(); }

private:
    static constexpr UINT kFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    std::vector<HWND> hidden_;
};

// The client areas of the canvas window's ancestors up to the browser's top-level window, on the
// screen. One that cannot be read counts as empty: nothing of the canvas shows through it.
std::vector<core::Rect> AncestorClients(HWND canvas, HWND browser) {
    std::vector<core::Rect> clients;
    const HWND desktop = GetDesktopWindow();
    for (HWND w = GetAncestor(canvas, GA_PARENT); w && w != desktop; w = GetAncestor(w, GA_PARENT)) {
        RECT client{};
        POINT corners[2] = {};
        if (GetClientRect(w, &client)) {
            corners[1] = {client.right, client.bottom};
            if (!ClientToScreen(w, &corners[0]) || !ClientToScreen(w, &corners[1]))
                corners[1] = corners[0];
        }
        // A mirrored (right-to-left) window maps its left edge to the right.
        clients.push_back({std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
                           std::max(corners[0].x, corners[1].x), std::max(corners[0].y, corners[1].y)});
        if (w == browser)
            break;
    }
    return clients;
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM monitors) {
    reinterpret_cast<std::vector<core::Rect>*>(monitors)->push_back(ToCore(*rect));
    return TRUE;
}

// Whether the screen shows every pixel of the capture rectangle as the browser paints it.
bool CaptureOnView(const core::Rect& capture) {
    const std::vector<core::Rect> ancestors = AncestorClients(hwndCanvas, hwndBrowser);
    std::vector<core::Rect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    core::Rect browser{};
    ReadWindowRect(hwndBrowser, browser);
    // A canvas hidden with its page (a tab in the background) shows nothing either.
    const bool hidden = IsIconic(hwndBrowser) || !IsWindowVisible(hwndCanvas);
    return core::WhollyOnView(capture, {ancestors, browser, monitors, hidden});
}

using Copy = std::function<bool(HDC to)>;

// Where a window of ours has just left the canvas, the browser has yet to paint it again: once it
// answers, have it paint now, then copy until two successive copies agree, for about
// kRepaintWaitMs at most. The last copy is the picture.
bool CopyRepainted(HDC dest, const Copy& copy) {
    const DWORD start = GetTickCount();
    // A busy or hung browser would hold RedrawWindow's painting for as long as it is: ask it to
    // paint at once only when it answers in time.
    DWORD_PTR ignored = 0;
    const bool answers =
        SendMessageTimeoutW(hwndCanvas, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kRepaintWaitMs, &ignored) != 0;
    RedrawWindow(hwndCanvas, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | (answers ? RDW_UPDATENOW : 0));
    PictureBuffer first(kCanvasWidth, kCanvasHeight, 0), second(kCanvasWidth, kCanvasHeight, 0);
    PictureBuffer *last = &first, *next = &second;
    core::Pixels lastPixels, nextPixels;
    if (!copy(last->hDC()) || FAILED(last->Pixels(lastPixels)))
        return copy(dest);
    do {
        Sleep(kRepaintStepMs);
        if (!copy(next->hDC()) || FAILED(next->Pixels(nextPixels)))
            break;
        std::swap(last, next);
        lastPixels.bgrx.swap(nextPixels.bgrx);
    } while (lastPixels.bgrx != nextPixels.bgrx && GetTickCount() - start < kRepaintWaitMs);
    return BitBlt(dest, 0, 0, kCanvasWidth, kCanvasHeight, last->hDC(), 0, 0, SRCCOPY) != FALSE;
}

} // namespace

short CaptureCanvas(HDC hdcDest, bool afterQuestion) {
    if (strMode == L"NO")
        return core::kNothingCaptured;
    // A canvas that went away after the click: nothing to copy, and no sound for nothing.
    if (!IsWindow(hwndCanvas))
        return core::kNothingCaptured;
    try {
        win32::WindowDc canvas(hwndCanvas);
        RECT window{};
        GetWindowRect(hwndCanvas, &window);
        const bool vm = strMode == L"VM";
        const core::Rect capture = core::CaptureRect(ToCore(window), vm);
        // A VM window at the very edge of the coordinate space has no whole drawing area inside it.
        // Any other canvas window is copied from its top-left corner, whatever its size.
        if (vm && (capture.right - capture.left != kCanvasWidth || capture.bottom - capture.top != kCanvasHeight))
            return core::kNothingCaptured;
        rctCanvas = {capture.left, capture.top, capture.right, capture.bottom};

        // Our own windows step aside first; only the others can lie over the canvas.
        OwnWindowsAside aside;
        std::vector<core::Rect> above;
        for (HWND w : WindowsAbove(hwndBrowser)) {
            core::Rect rect;
            if (!IsWindowVisible(w) || win32::calls.IsCloaked(w) || !ReadWindowRect(w, rect))
                continue;
            if (!IsOwnWindow(w))
                above.push_back(rect);
            else if (core::Intersects(capture, rect))
                aside.Hide(w);
        }
        const core::CaptureResult result = core::OcclusionVerdict(capture, above, CaptureOnView(capture));

        // A sound that cannot be played only means no sound.
        if (!bytShutter.empty())
            win32::calls.PlaySound(reinterpret_cast<LPCWSTR>(bytShutter.data()), nullptr,
                                   SND_ASYNC | SND_NODEFAULT | SND_MEMORY);

        const core::Point from = vm ? core::kVmCaptureInset : core::Point{};
        const Copy copy = [&](HDC to) {
            if (canvas.get() && BitBlt(to, 0, 0, kCanvasWidth, kCanvasHeight, canvas.get(), from.x, from.y, SRCCOPY))
                return true;
            // Some systems (Wine among them) refuse to read another process's window DC; the
            // screen shows the same pixels at the capture rectangle.
            win32::WindowDc screen(nullptr);
            return screen.get() && BitBlt(to, 0, 0, kCanvasWidth, kCanvasHeight, screen.get(), capture.left,
                                          capture.top, SRCCOPY) != FALSE;
        };
        const bool copied = afterQuestion || aside.Any() ? CopyRepainted(hdcDest, copy) : copy(hdcDest);
        // Never hand on a blank picture as if it were the canvas.
        return copied ? result : core::kNothingCaptured;
    } catch (...) {
        return core::kNothingCaptured;
    }
}
