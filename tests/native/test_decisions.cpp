// The core's decisions, case by case: the tick and docking, the overlap and on-view verdicts, the
// settings text, and the save command's order of steps and fresh names.
#include "core/occlusion.h"
#include "core/save_flow.h"
#include "core/settings_text.h"
#include "core/tick.h"

#include <gtest/gtest.h>

#include <deque>

using namespace core;

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();

// clang-format off
TEST(Tick, PlacementFollowsTheWindowInFrontAndParking) {
    const Rect w{100, 200, 810, 580}, vm{160, 270, 870, 650}, high{kMax - 10, kMax - 10, kMax, kMax},
               low{kMin + 10, kMin, kMin + 20, kMin + 20};
    using enum Placement;
    const auto B = Front::Browser;
    struct { TickSnapshot s; Placement placement; Point at; Rect canvas; } cases[] = {
        // Browser: dock 53 left of and 77 below the canvas whenever its top-left corner moved.
        {{B, w, false, {}, true}, Dock, {47, 657}, w}, {{B, w, false, {100, 0, 0, 0}, true}, Dock, {47, 657}, w},
        {{B, w, false, {0, 200, 0, 0}, true}, Dock, {47, 657}, w},
        // Under the VM the canvas sits at (60, 70) inside: the dock lands at (L + 7, T + 527).
        {{B, w, true, {}, true}, Dock, {107, 727}, vm},
        // Same corner: a canvas that only changed size needs no move; a hidden camera shows.
        {{B, w, false, {100, 200, 1, 1}, true}, Nothing, {}, w},
        {{B, w, false, {100, 200, 1, 1}, false}, ShowInPlace, {}, w},
        {{B, w, true, {160, 270, 0, 0}, true}, Nothing, {}, vm},
        // At the edges of the coordinate space every sum clamps instead of wrapping.
        {{B, high, true}, Dock, {kMax - 53, kMax}, {kMax, kMax, kMax, kMax}},
        {{B, low, false}, Dock, {kMin, kMin + 97}, low},
        // Camera in front: hide only when the browser is not visible. Another window: unless it is our own.
        {{.front = Front::Camera, .browserVisible = false}, Hide, {}, {}},
        {{.front = Front::Camera, .browserVisible = true}, Nothing, {}, {}},
        {{.front = Front::Other, .ownWindow = false}, Hide, {}, {}},
        {{.front = Front::Other, .ownWindow = true}, Nothing, {}, {}}};
    for (const auto& c : cases) {
        const TickDecision d = DecideTick(c.s);
        EXPECT_TRUE(d.placement == c.placement && d.at == c.at && d.canvas == c.canvas) << &c - cases;
    }
    // Parking only when not already shown at the origin.
    EXPECT_EQ(DecideParking({0, 0, 40, 30}, true), Nothing);
    EXPECT_EQ(DecideParking({0, 0, 40, 30}, false), Park);
    EXPECT_EQ(DecideParking({1, 0, 41, 30}, true), Park);
    EXPECT_EQ(DecideParking({0, -1, 40, 29}, true), Park);
}

// Near an edge the camera window moves into the canvas monitor's work area, and off the capture
// rectangle: left of it, else right, else above.
TEST(Tick, DockingStaysInTheWorkAreaAndOffTheCanvas) {
    const Rect screen{0, 0, 1280, 1024}, narrow{0, 0, 760, 1024}, small{0, 0, 760, 400};
    struct { Rect capture, work; Point at, placed; } cases[] = {
        {{100, 100, 810, 480}, screen, {47, 557}, {47, 557}},                      // room to spare: as wanted
        {{-20, 100, 690, 480}, screen, {-73, 557}, {0, 557}},                      // left edge
        {{300, 800, 1010, 1180}, screen, {247, 1257}, {247, 1002}},                // bottom edge
        {{300, -500, 1010, -120}, screen, {247, -43}, {247, 0}},                   // top edge
        {{1300, 100, 2010, 480}, screen, {1247, 557}, {1230, 557}},                // right edge
        {{20, 800, 730, 1180}, screen, {-33, 1257}, {730, 1002}},                  // bottom-left corner: right of it
        {{100, 800, 810, 1180}, screen, {200, 1257}, {50, 1002}},                  // room on the left
        {{20, 800, 730, 1180}, narrow, {-33, 1257}, {0, 778}},                     // nor on the right: above
        {{20, 10, 730, 390}, small, {-33, 467}, {0, 378}},                         // nowhere: reachable at least
        {{1300, 600, 2010, 980}, {1280, 0, 2560, 984}, {1247, 1057}, {2010, 962}}, // second monitor, taskbar
        {{20, 800, 730, 1180}, {}, {-33, 1257}, {-33, 1257}}};                     // no work area known
    for (const auto& c : cases)
        EXPECT_EQ(FitDocking(c.at, {50, 22}, c.capture, c.work), c.placed) << &c - cases;
}

TEST(Occlusion, OnlyASharedPixelCountsAndOnViewOnlyInsideEveryAncestorTheBrowserAndTheMonitors) {
    const Rect canvas{0, 0, 710, 380};
    struct { Rect capture; std::vector<Rect> above; CaptureResult result; bool onView = true; } verdicts[] = {
        {canvas, {}, kCaptured},
        {canvas, {{710, 0, 900, 380}, {0, 380, 710, 500}, {-50, -50, 0, 0}}, kCaptured}, // touching edges
        {canvas, {{100, 100, 100, 300}, {300, 300, 200, 200}}, kCaptured},               // empty, inverted
        {canvas, {{710, 0, 900, 380}, {709, 379, 800, 400}}, kCapturedOverlapped},       // one pixel, last
        {canvas, {{-100, -100, 1000, 1000}}, kCapturedOverlapped},
        {{10, 10, 10, 10}, {{-100, -100, 1000, 1000}}, kCaptured},                       // an empty capture
        {canvas, {}, kCapturedOffView, false}, {canvas, {{709, 379, 800, 400}}, kCapturedOverlappedOffView, false}};
    for (const auto& c : verdicts)
        EXPECT_EQ(OcclusionVerdict(c.capture, c.above, c.onView), c.result) << &c - verdicts;

    const Rect capture{100, 100, 810, 480}, page{50, 50, 900, 600}, browser{0, 0, 1000, 800}, screen{0, 0, 1280, 1024};
    struct { std::vector<Rect> ancestors, monitors; Rect browser; bool hidden, onView; } views[] = {
        {{page, browser}, {screen}, browser, false, true},
        {{}, {screen}, capture, false, true},                             // the canvas window is the browser itself
        {{{50, 50, 809, 600}, browser}, {screen}, browser, false, false}, // scrolled a pixel out of the page
        {{page, {0, 0, 1000, 479}}, {screen}, browser, false, false},
        {{page}, {screen}, {101, 0, 1000, 800}, false, false},
        {{page, browser}, {screen}, browser, true, false}, {{page, browser}, {}, browser, false, false},
        // Two monitors together cover it, or leave a corner bare; mirrored ones overlap.
        {{page}, {{0, 0, 500, 1024}, {500, 0, 1280, 1024}}, browser, false, true},
        {{page}, {{0, 0, 500, 1024}, {500, 0, 1280, 400}}, browser, false, false},
        {{page}, {{-1280, 0, 0, 1024}, {0, 200, 1280, 1224}}, browser, false, false},
        {{page}, {screen, screen}, browser, false, true}};
    for (const auto& c : views)
        EXPECT_EQ(WhollyOnView(capture, {c.ancestors, c.browser, c.monitors, c.hidden}), c.onView) << &c - views;
}

TEST(Settings, ValuesNarrowToBytesWithoutWrappingAndShowAsTheQualityDialogShowsThem) {
    // Signs, spaces, digits and byte edges are compared with the C library by the fuzz target and its
    // corpus; here what lies outside its alphabet.
    struct { std::wstring_view text; uint8_t value; } values[] = {
        {L"", 77}, {L"0x1F", 0}, {L"12abc", 12}, {L"abc", 0}, {L"255", 255}, {L"\u30005", 0}};
    EXPECT_EQ(ParseSettingValue(std::nullopt, 77), 77);
    for (const auto& c : values)
        EXPECT_EQ(ParseSettingValue(c.text, 77), c.value) << std::wstring(c.text);
    // Stored byte: quality shown, show state, whether the quality dialog is skipped.
    struct { uint8_t stored; int quality, showState; bool skips; } shown[] = {
        {0, 1, 0, false}, {1, 1, 1, true}, {2, 2, 2, true}, {7, 7, 1, true}, {100, 100, 1, true}, {101, 100, 1, true},
        {255, 100, 1, true}};
    for (const auto& c : shown)
        EXPECT_TRUE(QualityForDisplay(c.stored) == c.quality && ShowStateForDisplay(c.stored) == c.showState &&
                    SkipsQualityDialog(c.stored) == c.skips) << int(c.stored);
}
// clang-format on

// The version line is read in the About box; fresh names are formatted here alone.
TEST(SaveCommand, FreshNames) {
    EXPECT_EQ(FreshFileName({2024, 1, 2, 3, 4, 5}), L"pikuto_20240102_030405");
    EXPECT_EQ(FreshFileName({1999, 12, 31, 23, 59, 59}), L"pikuto_19991231_235959");
}

// One save command over scripted steps; the log names each step called, in order.
struct Script {
    std::deque<CaptureResult> captures;
    std::deque<Answer> answers;
    std::wstring path;
    FileType type = FileType::None;
    bool skipped = false, written = true, dialogFails = false;
};

std::string SaveLog(Script s) {
    std::string log;
    auto next = [](auto& queue) { // a step the script did not expect throws: a failure
        auto value = queue.at(0);
        queue.pop_front();
        return value;
    };
    RunSaveCommand({
        [&](bool again) { return log += again ? "recapture " : "capture ", next(s.captures); },
        [&](Question q) { return log += q == Question::Overlap ? "overlap " : "offview ", next(s.answers); },
        [&](std::wstring& path, FileType& type) {
            return log += "choose ", path = s.path, type = s.type, !s.dialogFails;
        },
        [&] { return log += "skipped? ", s.skipped; },
        [&] { log += "quality "; },
        [&](FileType type, const std::wstring& path) {
            return log += "write" + std::to_string(int(type)) + (path == s.path ? " " : "(path?) "), s.written;
        },
        [&](SaveMessage m) { log += m == SaveMessage::CannotSave ? "cannot-save" : "writer-failed"; },
    });
    return log;
}

// clang-format off
TEST(SaveCommand, StepsFollowTheOutcomes) {
    using enum Answer;
    using enum FileType;
    const std::wstring f = L"C:\\d\\a.x";
    const CaptureResult over = kCapturedOverlapped, off = kCapturedOffView, both = kCapturedOverlappedOffView;
    struct { Script script; const char* log; } cases[] = {
        {{{kNothingCaptured}}, "capture cannot-save"},
        {{{over, kNothingCaptured}, {Retry}}, "capture overlap recapture cannot-save"},
        {{{over, kCaptured}, {Retry}, f, Png}, "capture overlap recapture choose write2 "},
        {{{over, over}, {Retry, Abort}}, "capture overlap recapture overlap "},
        {{{over}, {Closed}, f, Png}, "capture overlap "},
        {{{over}, {Ignore}, f, Bmp}, "capture overlap choose write3 "},
        // Off view: asked after the overlap question, and only when that one was ignored.
        {{{off}, {Ignore}, f, Png}, "capture offview choose write2 "},
        {{{off, kCaptured}, {Retry}, f, Png}, "capture offview recapture choose write2 "},
        {{{off}, {Abort}, f, Png}, "capture offview "}, {{{both}, {Abort}, f, Png}, "capture overlap "},
        {{{both}, {Ignore, Ignore}, f, Png}, "capture overlap offview choose write2 "},
        {{{both, off}, {Ignore, Retry, Closed}}, "capture overlap offview recapture offview "},
        {{{both, kCaptured}, {Retry}, f, Png}, "capture overlap recapture choose write2 "},
        {{{kCaptured}, {}, L"", Jpeg}, "capture choose "},                              // cancelled
        {{{kCaptured}, {}, L"", Png, false, true, true}, "capture choose cannot-save"}, // dialog failed
        {{{kCaptured}, {}, f, Jpeg, false}, "capture choose skipped? quality write1 "},
        {{{kCaptured}, {}, f, Jpeg, true}, "capture choose skipped? write1 "},
        {{{kCaptured}, {}, f, Png}, "capture choose write2 "}, {{{kCaptured}, {}, f, None}, "capture choose "},
        {{{kCaptured}, {}, f, FileType(9)}, "capture choose "},
        {{{kCaptured}, {}, f, Bmp, false, false}, "capture choose write3 writer-failed"},
        {{{kCaptured}, {}, f, Jpeg, true, false}, "capture choose skipped? write1 writer-failed"}};
    for (const auto& c : cases)
        EXPECT_EQ(SaveLog(c.script), c.log) << &c - cases;
}
// clang-format on

} // namespace
