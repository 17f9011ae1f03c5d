// The canvas capture: measure, look for windows above the browser that overlap, sound, copy.
#include "capture/capture.h"

#include "app/modMain.h"
#include "forms/toolkit.h"

#include <cstdint>
#include <limits>

namespace {

// Releases the window DC on every path.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_)
            ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

bool FitsInt32(int64_t value) {
    return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

// The drawing area inside an "MSAWT_Comp_Class" window: false on a signed 32-bit overflow.
bool NarrowToVmDrawingArea(RECT& rect) {
    int64_t left = int64_t{rect.left} + 60;
    int64_t top = int64_t{rect.top} + 7;
    int64_t right = left + kCanvasWidth;
    int64_t bottom = top + kCanvasHeight;
    if (!FitsInt32(left) || !FitsInt32(top) || !FitsInt32(right) || !FitsInt32(bottom))
        return false;
    rect = {static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right), static_cast<LONG>(bottom)};
    return true;
}

// 2 when a visible top-level window above the browser overlaps the rectangle, else 1.
short OcclusionResult(HWND browser, const RECT& capture) {
    HWND w = browser;
    while ((w = GetWindow(w, GW_HWNDPREV)) != nullptr) {
        if (!IsWindowVisible(w))
            continue;
        RECT rect, scratch;
        GetWindowRect(w, &rect);
        if (IntersectRect(&scratch, &capture, &rect))
            return 2;
    }
    return 1;
}

} // namespace

short CaptureCanvas(HDC hdcDest) {
    if (strMode == L"NO")
        return 0;
    // A canvas that went away after the click: nothing to copy, and no sound for nothing.
    if (!IsWindow(hwndCanvas))
        return 0;
    try {
        WindowDc canvas(hwndCanvas);
        GetWindowRect(hwndCanvas, &rctCanvas);
        const bool vm = strMode == L"VM";
        if (vm && !NarrowToVmDrawingArea(rctCanvas))
            return 0;
        short result = OcclusionResult(hwndBrowser, rctCanvas);

        // A sound that cannot be played only means no sound.
        if (!bytShutter.empty())
            tk::calls.PlaySound(reinterpret_cast<LPCWSTR>(bytShutter.data()), nullptr,
                                SND_ASYNC | SND_NODEFAULT | SND_MEMORY);

        const int xSrc = vm ? 60 : 0, ySrc = vm ? 7 : 0;
        bool copied = canvas.get() &&
                      BitBlt(hdcDest, 0, 0, kCanvasWidth, kCanvasHeight, canvas.get(), xSrc, ySrc, SRCCOPY);
        if (!copied) {
            // Some systems (Wine among them) refuse to read another process's window DC; the
            // screen shows the same pixels at the canvas rectangle.
            WindowDc screen(nullptr);
            copied = screen.get() && BitBlt(hdcDest, 0, 0, kCanvasWidth, kCanvasHeight, screen.get(), rctCanvas.left,
                                            rctCanvas.top, SRCCOPY);
        }
        // Never hand on a blank picture as if it were the canvas.
        return copied ? result : 0;
    } catch (...) {
        return 0;
    }
}
