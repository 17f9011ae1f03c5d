// Shared by the capture and save tests: the stand-in browser, the recorded sound, pixel checks.
#include "test_capture_support.h"

#include "app/modMain.h"
#include "capture/capture.h"
#include "forms/frmMain.h"
#include "standin/pattern.h"
#include "test_support.h"
#include "tracking/tracking.h"

#include <sstream>

namespace capture_testing {

std::vector<Sound> CanvasFixture::sounds;

void CanvasFixture::SetUp() {
    saved_ = tk::calls;
    sounds.clear();
    tk::calls.PlaySound = [](LPCWSTR sound, HMODULE, DWORD flags) {
        sounds.push_back({sound, flags});
        return TRUE;
    };
    bytShutter = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    strMode = L"NO";
    hwndCanvas = hwndBrowser = hwndChatLog = nullptr;
    rctCanvas = {};
    quitWhenCameraWindowCloses = false;
    ASSERT_TRUE(frmMain.Load());
    KillTimer(frmMain.hWnd(), FrmMain::timCheckId);
    ASSERT_TRUE(b.Started());
}

void CanvasFixture::TearDown() {
    DestroyWindow(frmMain.hWnd());
    tk::calls = saved_;
}

namespace {

// Where the pattern shows on the screen and from which point of it.
RECT PatternArea(POINT& origin) {
    RECT area = WindowRect(hwndCanvas);
    origin = {0, 0};
    if (strMode == L"VM") {
        origin = {60, 7};
        area = {area.left + 60, area.top + 7, area.left + 60 + kCanvasWidth, area.top + 7 + kCanvasHeight};
    }
    return area;
}

// The stand-in paints in its own time and Wine shows a window's drawing on the screen a little
// later: wait for the canvas to be on the screen before a capture reads it from there.
void WaitForCanvasOnScreen() {
    POINT origin;
    RECT area = PatternArea(origin);
    HDC screen = GetDC(nullptr);
    HDC copy = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kCanvasWidth, kCanvasHeight);
    HGDIOBJ old = SelectObject(copy, bitmap);
    bool shown = testing_support::WaitUntil(
        [&] {
            BitBlt(copy, 0, 0, kCanvasWidth, kCanvasHeight, screen, area.left, area.top, SRCCOPY);
            return Mismatches(ReadPixels(copy), origin.x, origin.y).empty();
        },
        10000);
    SelectObject(copy, old);
    DeleteObject(bitmap);
    DeleteDC(copy);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(shown) << "the stand-in's canvas never showed on the screen at " << Text(area);
}

} // namespace

void CanvasFixture::Find(const std::wstring& kind) {
    ASSERT_TRUE(b.Send(L"build A " + kind));
    ASSERT_TRUE(FindTarget());
    ASSERT_EQ(hwndCanvas, b.Hwnd(L"A.canvas"));
    WaitForCanvasOnScreen();
}

void CanvasFixture::MoveCanvasTo(int x, int y) {
    RECT top = WindowRect(b.Hwnd(L"A")), canvas = WindowRect(hwndCanvas);
    ASSERT_TRUE(b.Send(L"move A " + std::to_wstring(top.left + x - canvas.left) + L" " +
                       std::to_wstring(top.top + y - canvas.top)));
    canvas = WindowRect(hwndCanvas);
    ASSERT_EQ(canvas.left, x);
    ASSERT_EQ(canvas.top, y);
    if (x >= 0 && y >= 0)
        WaitForCanvasOnScreen();
}

RECT WindowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

std::string Text(const RECT& r) {
    std::ostringstream text;
    text << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
    return text.str();
}

std::vector<COLORREF> ReadPixels(HDC dc) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kCanvasWidth, -kCanvasHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC copy = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(copy, dib);
    BitBlt(copy, 0, 0, kCanvasWidth, kCanvasHeight, dc, 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<COLORREF> pixels(size_t{kCanvasWidth} * kCanvasHeight);
    const auto* bgrx = static_cast<const DWORD*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = RGB(bgrx[i] >> 16 & 0xFF, bgrx[i] >> 8 & 0xFF, bgrx[i] & 0xFF);
    SelectObject(copy, old);
    DeleteDC(copy);
    DeleteObject(dib);
    return pixels;
}

std::string Mismatches(const std::vector<COLORREF>& pixels, int dx, int dy, SIZE skip) {
    int count = 0;
    std::ostringstream first;
    for (int y = 0; y < kCanvasHeight; ++y)
        for (int x = 0; x < kCanvasWidth; ++x) {
            if (x >= kCanvasWidth - skip.cx && y >= kCanvasHeight - skip.cy)
                continue;
            COLORREF want = StandinPatternPixel(x + dx, y + dy), got = pixels[size_t(y) * kCanvasWidth + x];
            if (got != want && count++ == 0)
                first << "at (" << x << ", " << y << ") 0x" << std::hex << got << " instead of 0x" << want << std::dec;
        }
    if (!count)
        return "";
    return first.str() + ", " + std::to_string(count) + " pixels differ";
}

int Unpainted(const std::vector<COLORREF>& pixels) {
    int count = 0;
    for (COLORREF c : pixels)
        count += c == kUnpainted;
    return count;
}

} // namespace capture_testing
