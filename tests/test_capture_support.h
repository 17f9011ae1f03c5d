// Shared by the capture and save tests: the stand-in browser with its canvas found, the recorded
// shutter sound, and pixel checks against the stand-in's pattern.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "forms/toolkit.h"
#include "standin/standin_client.h"

#include <string>
#include <vector>

namespace capture_testing {

// What Cls leaves where a capture drew nothing: a colour the pattern never has.
inline constexpr COLORREF kUnpainted = RGB(0x80, 0x40, 0x20);

struct Sound {
    LPCWSTR sound;
    DWORD flags;
};

// The camera window loaded (its timer stopped: the tests decide when the finder runs), the
// stand-in running, the shutter sound recorded instead of played.
class CanvasFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Builds tree "A" of this kind and has the finder find it.
    void Find(const std::wstring& kind);
    // Moves tree "A" so that the canvas window's top-left corner is at this screen point.
    void MoveCanvasTo(int x, int y);

    StandinBrowser b;
    static std::vector<Sound> sounds;

private:
    tk::Calls saved_;
};

RECT WindowRect(HWND hwnd);
std::string Text(const RECT& r);

// The 710 x 380 pixels of a DC as COLORREFs, row by row from the top.
std::vector<COLORREF> ReadPixels(HDC dc);
// "" when the pixels equal the stand-in's pattern taken from (dx, dy) of the canvas, else the
// first difference and the count; a bottom-right corner of `skip` pixels is not compared.
std::string Mismatches(const std::vector<COLORREF>& pixels, int dx, int dy, SIZE skip = {0, 0});
int Unpainted(const std::vector<COLORREF>& pixels);

} // namespace capture_testing
