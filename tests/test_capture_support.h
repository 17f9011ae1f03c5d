// Shared by the capture and save command tests: the stand-in browser with its canvas found, the
// recorded shutter sound, and pixels compared with the stand-in's pattern.
#pragma once

#include <gtest/gtest.h>

#include "capture/capture.h"
#include "core/geometry.h"
#include "standin/pattern.h"
#include "standin/standin_client.h"
#include "state/shared_state.h"
#include "test_support.h"
#include "tracking/tracking.h"
#include "win32/calls.h"
#include "win32/handles.h"

using core::kCanvasHeight;
using core::kCanvasWidth;

// What Cls leaves where a capture drew nothing: a colour the pattern never has.
inline constexpr COLORREF kUnpainted = RGB(0x80, 0x40, 0x20);

inline RECT WindowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

// How many of the 710 x 380 pixels at `at` of a DC differ from the stand-in's pattern taken from
// (dx, dy) of the canvas; a bottom-right corner of `skip` pixels is not compared.
inline int Mismatches(HDC dc, int dx, int dy, SIZE skip = {0, 0}, POINT at = {0, 0}) {
    win32::GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, kCanvasWidth, kCanvasHeight));
    win32::MemoryDc copy(CreateCompatibleDC(dc)); // released first, so the bitmap is free to go
    SelectObject(copy.get(), bitmap.get());
    BitBlt(copy.get(), 0, 0, kCanvasWidth, kCanvasHeight, dc, at.x, at.y, SRCCOPY);
    int count = 0;
    for (int y = 0; y < kCanvasHeight; ++y)
        for (int x = 0; x < kCanvasWidth; ++x)
            count += (x < kCanvasWidth - skip.cx || y < kCanvasHeight - skip.cy) &&
                     GetPixel(copy.get(), x, y) != StandinPatternPixel(x + dx, y + dy);
    return count;
}

using Events = std::vector<std::string>;

// A stand-in for the camera window (the tests decide when the finder runs), the stand-in browser
// running, and the shutter sound recorded instead of played: "sound" when it is the shutter sound
// from memory, played asynchronously and never replaced by the default sound.
class CanvasFixture : public ::testing::Test {
protected:
    void SetUp() override {
        events.clear();
        win32::calls.PlaySound = [](LPCWSTR sound, HMODULE, DWORD flags) -> BOOL {
            const bool shutter = sound == reinterpret_cast<LPCWSTR>(bytShutter.data());
            events.push_back(shutter && flags == (SND_ASYNC | SND_NODEFAULT | SND_MEMORY) ? "sound" : "other sound");
            return TRUE;
        };
        bytShutter = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
        hwndCanvas = hwndBrowser = hwndChatLog = nullptr;
        // Hidden until a finder that finds nothing parks it at the origin, topmost.
        camera = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_BORDER, 0, 0, 50, 22, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_TRUE(camera && b.Started());
    }
    void TearDown() override {
        DestroyWindow(camera);
        win32::calls = saved;
    }
    // Builds tree "A" of this kind and has the finder find it.
    void Find(const std::wstring& kind) {
        ASSERT_TRUE(b.Send(L"build A " + kind));
        ASSERT_TRUE(FindTarget(camera));
        WaitForCanvasOnScreen();
    }
    // A window "W" of the stand-in's over this screen rectangle, with the stand-in's window options.
    HWND Window(const RECT& r, const std::wstring& options = L"") {
        return reinterpret_cast<HWND>(b.Send(L"window W " + std::to_wstring(r.left) + L" " + std::to_wstring(r.top) +
                                             L" " + std::to_wstring(r.right - r.left) + L" " +
                                             std::to_wstring(r.bottom - r.top) + L" " + options));
    }
    // The stand-in paints in its own time and Wine shows a window's drawing on the screen a little
    // later: a capture that reads the screen must wait until the canvas is there.
    void WaitForCanvasOnScreen() {
        const RECT r = WindowRect(hwndCanvas);
        const int dx = strMode == L"VM" ? 60 : 0, dy = strMode == L"VM" ? 7 : 0;
        win32::WindowDc screen(nullptr);
        EXPECT_TRUE(testing_support::WaitUntil([&] {
            return !Mismatches(screen.get(), dx, dy, {}, {r.left + dx, r.top + dy});
        })) << "the stand-in's canvas never showed on the screen";
    }

    HWND camera = nullptr;
    StandinBrowser b;
    win32::Calls saved = win32::calls;
    static inline Events events; // what happened, in order
};
