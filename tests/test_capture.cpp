// The canvas capture against the stand-in browser: the pixels and rectangle under both Java hosts,
// the overlap walk, our own windows put aside, the canvas off view, the mode gate, the copy
// fallbacks and a canvas that went away.
#include "capture/picture_buffer.h"
#include "test_capture_support.h"

class Capture : public CanvasFixture {
protected:
    short Take() {
        picture.Cls();
        return CaptureCanvas(picture.hDC(), false);
    }
    PictureBuffer picture{kCanvasWidth, kCanvasHeight, kUnpainted};
};

// A VM canvas window of this process, painted with the stand-in's pattern.
static LRESULT CALLBACK PatternCanvasProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
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

// Under the Plug-in the canvas window is the picture. Wine gives no pixels through another
// process's window DC: these come from the screen fallback.
TEST_F(Capture, PluginCanvasParkedCameraModeNoAndVanishedCanvas) {
    ASSERT_FALSE(FindTarget(camera)); // nothing there yet: parks the camera window at the origin, topmost
    Find(L"ie-sun");
    RECT window = WindowRect(hwndCanvas);
    ASSERT_EQ(Take(), 1);
    EXPECT_TRUE(EqualRect(&rctCanvas, &window));
    EXPECT_EQ(Mismatches(picture.hDC(), 0, 0), 0);
    EXPECT_EQ(events, Events{"sound"});

    // No copy possible at all: never a blank picture reported as captured.
    HDC gone = CreateCompatibleDC(nullptr);
    DeleteDC(gone);
    EXPECT_EQ(CaptureCanvas(gone, false), 0);

    // The camera window over the canvas (the browser moved, no tick yet) is no overlap: it steps
    // aside for the copy, never shows in the picture, and comes back.
    SetWindowPos(camera, nullptr, window.left + 20, window.top + 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(camera, SW_HIDE); // shown again, so Wine stacks it above the browser on the screen too
    ShowWindow(camera, SW_SHOWNA);
    win32::WindowDc screen(nullptr);
    EXPECT_TRUE(testing_support::WaitUntil(
        [&] { return GetRValue(GetPixel(screen.get(), window.left + 45, window.top + 21)) % 255 != 0; }));
    EXPECT_EQ(Take(), 1);
    EXPECT_EQ(Mismatches(picture.hDC(), 0, 0), 0);
    EXPECT_TRUE(IsWindowVisible(camera));

    // Part of the canvas off view: scrolled out of the page (a window over it as well), the browser
    // off the screen or minimised.
    const std::pair<const wchar_t*, short> views[] = {
        {L"move A.control 20 -50", 3}, {L"window W 100 100 60 60", 4}, {L"destroy W", 3},
        {L"move A.control 20 20", 1},  {L"move A -300 100", 3},        {L"minimize A", 3}};
    for (const auto& [command, result] : views) {
        ASSERT_TRUE(b.Send(command));
        EXPECT_EQ(Take(), result) << command;
    }

    // Mode "NO", or a canvas gone since the click: nothing captured, no sound, nothing drawn.
    strMode = L"NO";
    EXPECT_EQ(Take(), 0);
    EXPECT_EQ(GetPixel(picture.hDC(), 355, 190), kUnpainted);
    strMode = L"SUN";
    ASSERT_TRUE(b.Send(L"destroy A.canvas"));
    EXPECT_EQ(Take(), 0);
    EXPECT_EQ(GetPixel(picture.hDC(), 355, 190), kUnpainted);
    EXPECT_EQ(events, Events(9, "sound"));
}

// The VM's canvas window is wider than its drawing area: the rectangle is narrowed, the pixels come
// from (60, 7), and the walk over the windows above the browser counts only visible windows over
// the drawing area, not those the system keeps off the screen (a cloaked one stands in for them).
TEST_F(Capture, VmCanvasIsNarrowedToItsDrawingArea) {
    win32::calls.IsCloaked = [](HWND w) -> BOOL {
        wchar_t title[9] = {};
        return GetWindowTextW(w, title, 9) && std::wstring(title) == L"cloaked";
    };
    Find(L"ie-vm");
    ASSERT_EQ(Take(), 1) << "nothing above the browser";
    const RECT a = rctCanvas;
    const std::tuple<RECT, const wchar_t*, short> cases[] = {
        {{a.left + 100, a.top + 100, a.left + 300, a.top + 300}, L"hidden", 1},
        {{a.left + 100, a.top + 100, a.left + 300, a.top + 300}, L"title=cloaked", 1},
        {{a.left - 200, a.top, a.left, a.bottom}, L"", 1}, // over the VM's left margin
        {{a.left + 100, a.top + 100, a.left + 300, a.top + 300}, L"", 2},
        // Another program's topmost window over the bottom-right corner; the copy is still made.
        {{a.right - 40, a.bottom - 30, a.right + 160, a.bottom + 70}, L"topmost", 2},
    };
    for (const auto& [r, options, result] : cases) {
        RECT placed = WindowRect(Window(r, options));
        EXPECT_TRUE(EqualRect(&placed, &r)) << r.left << ", " << r.top << " is not where the case needs it";
        EXPECT_EQ(Take(), result) << r.left << ", " << r.top;
        b.Send(L"destroy W");
        WaitForCanvasOnScreen();
    }
    EXPECT_EQ(Mismatches(picture.hDC(), 60, 7, {40, 30}), 0);
    EXPECT_EQ(events, Events(6, "sound")) << "every capture sounds, overlap or not";

    // The copy from the window's own DC, the way Windows reads any window (Wine only this
    // process's), also takes the drawing area from (60, 7). At (100, 200) that area is (160, 207)
    // to (870, 587).
    WNDCLASSW type{0, PatternCanvasProc, 0, 0, GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr, L"VM"};
    RegisterClassW(&type);
    hwndCanvas = hwndBrowser = CreateWindowExW(WS_EX_TOOLWINDOW, type.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 100,
                                               200, 790, 400, nullptr, nullptr, type.hInstance, nullptr);
    UpdateWindow(hwndCanvas);
    const RECT example{160, 207, 870, 587};
    EXPECT_EQ(Take(), 1);
    EXPECT_TRUE(EqualRect(&rctCanvas, &example));
    EXPECT_EQ(Mismatches(picture.hDC(), 60, 7), 0);
    // Any other canvas window is copied from its top-left corner, whatever its size.
    strMode = L"SUN";
    SetWindowPos(hwndCanvas, nullptr, 0, 0, 712, 382, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(Take() == 1 && Mismatches(picture.hDC(), 0, 0) == 0);
    ShowWindow(hwndCanvas, SW_HIDE);
    EXPECT_EQ(Take(), 3) << "a canvas hidden with its page (a tab in the background) is not on view";
    DestroyWindow(hwndCanvas);
}
