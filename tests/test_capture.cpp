// The canvas capture against the stand-in browser: the pixels and rectangle under both Java hosts,
// the overlap test, the mode gate, the screen fallback and a canvas that went away.
#include <gtest/gtest.h>

#include "app/modMain.h"
#include "capture/capture.h"
#include "test_capture_support.h"
#include "forms/frmMain.h"
#include "standin/pattern.h"
#include "standin/standin_client.h"
#include "test_support.h"
#include "tracking/tracking.h"

using namespace capture_testing;

namespace {

class Capture : public CanvasFixture {
protected:
    short Take() {
        picture.Cls();
        return CaptureCanvas(picture.hDC());
    }
    tk::PictureBox picture{kCanvasWidth, kCanvasHeight, kUnpainted};
};

// A VM canvas window of this process, painted with the stand-in's pattern.
LRESULT CALLBACK PatternCanvasProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 790; ++x)
            SetPixelV(dc, x, y, StandinPatternPixel(x, y));
    EndPaint(hwnd, &paint);
    return 0;
}

} // namespace

TEST_F(Capture, PluginCanvasIsCopiedWholeWithTheShutterSound) {
    Find(L"ie-sun");
    RECT window = WindowRect(hwndCanvas);
    ASSERT_EQ(Take(), 1);
    EXPECT_TRUE(EqualRect(&rctCanvas, &window));
    EXPECT_EQ(Mismatches(ReadPixels(picture.hDC()), 0, 0), "");
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].sound, reinterpret_cast<LPCWSTR>(bytShutter.data()));
    EXPECT_EQ(sounds[0].flags, DWORD{SND_ASYNC | SND_NODEFAULT | SND_MEMORY});
}

TEST_F(Capture, VmCanvasIsNarrowedToItsDrawingArea) {
    Find(L"ie-vm");
    MoveCanvasTo(100, 200);
    ASSERT_EQ(Take(), 1);
    EXPECT_EQ(Text(rctCanvas), Text({160, 207, 870, 587}));
    EXPECT_EQ(Mismatches(ReadPixels(picture.hDC()), 60, 7), "");
}

// The copy from the canvas window's own DC, the way Windows reads any window (Wine only this
// process's), takes the VM's drawing area from (60, 7) too.
TEST_F(Capture, WindowDcCopyTakesTheVmDrawingArea) {
    WNDCLASSW type{};
    type.lpfnWndProc = PatternCanvasProc;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"PikutoTestCanvas";
    RegisterClassW(&type);
    HWND canvas = CreateWindowExW(WS_EX_TOOLWINDOW, type.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 100, 200, 790, 400,
                                  nullptr, nullptr, type.hInstance, nullptr);
    ASSERT_NE(canvas, nullptr);
    UpdateWindow(canvas);
    strMode = L"VM";
    hwndCanvas = hwndBrowser = canvas;
    EXPECT_EQ(Take(), 1);
    EXPECT_EQ(Text(rctCanvas), Text({160, 207, 870, 587}));
    EXPECT_EQ(Mismatches(ReadPixels(picture.hDC()), 60, 7), "");
    DestroyWindow(canvas);
}

// The walk over the windows above the browser, from the VM, where the capture rectangle is
// narrower than the canvas window: only what lies over the drawing area counts.
TEST_F(Capture, OnlyVisibleWindowsOverTheDrawingAreaCountAsOverlap) {
    Find(L"ie-vm");
    ASSERT_EQ(Take(), 1) << "nothing above the browser";
    const RECT area = rctCanvas;
    ASSERT_EQ(WindowRect(hwndCanvas).left, area.left - 60);
    auto with = [&](const RECT& r, const std::wstring& options) {
        std::wstring command = L"window W " + std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
                               std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top) + L" " +
                               options;
        HWND w = reinterpret_cast<HWND>(b.Send(command));
        EXPECT_EQ(Text(WindowRect(w)), Text(r)) << "the window is not where the case needs it";
        short result = Take();
        b.Send(L"destroy W");
        return result;
    };
    EXPECT_EQ(with({area.left + 100, area.top + 100, area.left + 300, area.top + 300}, L"hidden"), 1);
    EXPECT_EQ(with({area.right, area.top, area.right + 200, area.top + 100}, L""), 1) << "touching the right edge";
    EXPECT_EQ(with({area.left, area.top - 50, area.left + 200, area.top}, L""), 1) << "touching the top edge";
    EXPECT_EQ(with({area.left - 200, area.top, area.left, area.bottom}, L""), 1) << "over the VM's left margin";
    EXPECT_EQ(with({area.left + 100, area.top + 100, area.left + 300, area.top + 300}, L""), 2);

    // A topmost window of another program over the bottom-right corner: an overlap, and the copy is still made.
    RECT corner{area.right - 40, area.bottom - 30, area.right + 60, area.bottom + 70};
    ASSERT_TRUE(
        b.Send(L"window T " + std::to_wstring(corner.left) + L" " + std::to_wstring(corner.top) + L" 100 100 topmost"));
    EXPECT_EQ(Take(), 2);
    EXPECT_EQ(Mismatches(ReadPixels(picture.hDC()), 60, 7, {40, 30}), "");
    EXPECT_EQ(sounds.size(), 7u) << "every capture sounds, overlap or not";
}

// The camera window is a window like any other: parked at the origin over the canvas it overlaps,
// docked below the canvas it never does.
TEST_F(Capture, ParkedCameraWindowOverlapsDockedDoesNot) {
    ASSERT_FALSE(FindTarget()); // nothing there yet: parks the camera window at the origin, topmost
    Find(L"ie-sun");
    MoveCanvasTo(-20, -10);
    ASSERT_TRUE(IsWindowVisible(frmMain.hWnd()));
    EXPECT_EQ(Take(), 2);
    SetWindowPos(frmMain.hWnd(), HWND_TOPMOST, rctCanvas.left - 53, rctCanvas.bottom + 77, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(Take(), 1);
}

TEST_F(Capture, ModeNoTouchesNothing) {
    Find(L"ie-sun");
    strMode = L"NO";
    rctCanvas = {1, 2, 3, 4};
    EXPECT_EQ(Take(), 0);
    EXPECT_TRUE(sounds.empty());
    EXPECT_EQ(Text(rctCanvas), Text({1, 2, 3, 4}));
    EXPECT_EQ(Unpainted(ReadPixels(picture.hDC())), kCanvasWidth * kCanvasHeight);
}

TEST_F(Capture, VanishedCanvasGivesNothingAndNoSound) {
    Find(L"ie-sun");
    ASSERT_TRUE(b.Send(L"destroy A.canvas"));
    EXPECT_EQ(Take(), 0);
    EXPECT_TRUE(sounds.empty());
    EXPECT_EQ(Unpainted(ReadPixels(picture.hDC())), kCanvasWidth * kCanvasHeight);
}

// Wine gives no pixels through another process's window DC: what the capture returns came from the
// screen. With no copy possible at all the result is 0, never a blank picture reported as captured.
TEST_F(Capture, ScreenFallbackAndNoCopyAtAll) {
    Find(L"ie-sun");
    {
        HDC canvas = GetDC(hwndCanvas);
        picture.Cls();
        BOOL direct = BitBlt(picture.hDC(), 0, 0, kCanvasWidth, kCanvasHeight, canvas, 0, 0, SRCCOPY);
        ReleaseDC(hwndCanvas, canvas);
        if (direct && Mismatches(ReadPixels(picture.hDC()), 0, 0).empty())
            GTEST_SKIP() << "this system copies from another process's window DC: no fallback to test";
    }
    EXPECT_EQ(Take(), 1);
    EXPECT_EQ(Mismatches(ReadPixels(picture.hDC()), 0, 0), "");

    HDC gone = CreateCompatibleDC(nullptr);
    DeleteDC(gone);
    EXPECT_EQ(CaptureCanvas(gone), 0);
}
