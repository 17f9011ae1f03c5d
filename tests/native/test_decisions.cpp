// The core's decisions, case by case: the tick and docking, the overlap and on-view verdicts, the
// settings text, the version line, and the save command's order of steps and fresh names.
#include "core/occlusion.h"
#include "core/save_flow.h"
#include "core/settings_text.h"
#include "core/tick.h"
#include "core/version_text.h"

#include <gtest/gtest.h>

#include <deque>

using namespace core;

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();

TEST(Tick, PlacementFollowsTheWindowInFront) {
    const Rect window{100, 200, 810, 580}, high{kMax - 10, kMax - 10, kMax, kMax},
        low{kMin + 10, kMin, kMin + 20, kMin + 20};
    struct Case {
        TickSnapshot s;
        Placement placement;
        Point at;
        Rect canvas;
    } cases[] = {// Browser: dock 53 left of and 77 below the canvas whenever its top-left corner moved.
                 {{Front::Browser, window, false, {}, true}, Placement::Dock, {47, 657}, window},
                 {{Front::Browser, window, false, {100, 0, 0, 0}, true}, Placement::Dock, {47, 657}, window},
                 {{Front::Browser, window, false, {0, 200, 0, 0}, true}, Placement::Dock, {47, 657}, window},
                 // Under the VM the canvas sits at (60, 70) inside: the dock lands at (L + 7, T + 527).
                 {{Front::Browser, window, true, {}, true}, Placement::Dock, {107, 727}, {160, 270, 870, 650}},
                 // Same corner: a canvas that only changed size needs no move; a hidden camera shows.
                 {{Front::Browser, window, false, {100, 200, 1, 1}, true}, Placement::Nothing, {}, window},
                 {{Front::Browser, window, false, {100, 200, 1, 1}, false}, Placement::ShowInPlace, {}, window},
                 {{Front::Browser, window, true, {160, 270, 0, 0}, true}, Placement::Nothing, {}, {160, 270, 870, 650}},
                 // At the edges of the coordinate space every sum clamps instead of wrapping.
                 {{Front::Browser, high, true}, Placement::Dock, {kMax - 53, kMax}, {kMax, kMax, kMax, kMax}},
                 {{Front::Browser, low, false}, Placement::Dock, {kMin, kMin + 97}, low},
                 // Camera in front: hide only when the browser is not visible.
                 {{.front = Front::Camera, .browserVisible = false}, Placement::Hide, {}, {}},
                 {{.front = Front::Camera, .browserVisible = true}, Placement::Nothing, {}, {}},
                 // Another window: hide unless it is one of the program's own.
                 {{.front = Front::Other, .ownWindow = false}, Placement::Hide, {}, {}},
                 {{.front = Front::Other, .ownWindow = true}, Placement::Nothing, {}, {}}};
    for (const Case& c : cases) {
        TickDecision d = DecideTick(c.s);
        EXPECT_EQ(d.placement, c.placement) << &c - cases;
        EXPECT_EQ(d.at, c.at) << &c - cases;
        EXPECT_EQ(d.canvas, c.canvas) << &c - cases;
    }
}

TEST(Tick, ParkingOnlyWhenNotAlreadyShownAtTheOrigin) {
    EXPECT_EQ(DecideParking({0, 0, 40, 30}, true), Placement::Nothing);
    EXPECT_EQ(DecideParking({0, 0, 40, 30}, false), Placement::Park);
    EXPECT_EQ(DecideParking({1, 0, 41, 30}, true), Placement::Park);
    EXPECT_EQ(DecideParking({0, -1, 40, 29}, true), Placement::Park);
}

// Near an edge the camera window moves into the canvas monitor's work area, and off the capture
// rectangle: left of it, else right, else above.
TEST(Tick, DockingStaysInTheWorkAreaAndOffTheCanvas) {
    const Rect screen{0, 0, 1280, 1024}, narrow{0, 0, 760, 1024}, small{0, 0, 760, 400};
    struct Case {
        Rect capture, work;
        Point at, placed;
    } cases[] = {
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
        {{20, 800, 730, 1180}, {}, {-33, 1257}, {-33, 1257}},                      // no work area known
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitDocking(c.at, {50, 22}, c.capture, c.work), c.placed) << &c - cases;
}

TEST(Occlusion, OnlyASharedPixelCounts) {
    const Rect canvas{0, 0, 710, 380};
    struct Case {
        Rect capture;
        std::vector<Rect> above;
        CaptureResult result;
        bool onView = true;
    } cases[] = {
        {canvas, {}, kCaptured},
        {canvas, {{710, 0, 900, 380}, {0, 380, 710, 500}, {-50, -50, 0, 0}}, kCaptured}, // touching edges
        {canvas, {{100, 100, 100, 300}, {300, 300, 200, 200}}, kCaptured},               // empty, inverted
        {canvas, {{710, 0, 900, 380}, {709, 379, 800, 400}}, kCapturedOverlapped},       // one pixel, last
        {canvas, {{-100, -100, 1000, 1000}}, kCapturedOverlapped},
        {{10, 10, 10, 10}, {{-100, -100, 1000, 1000}}, kCaptured}, // an empty capture
        {canvas, {}, kCapturedOffView, false},
        {canvas, {{709, 379, 800, 400}}, kCapturedOverlappedOffView, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OcclusionVerdict(c.capture, c.above, c.onView), c.result) << &c - cases;
}

TEST(Occlusion, OnViewOnlyInsideEveryAncestorTheBrowserAndTheMonitors) {
    const Rect capture{100, 100, 810, 480}, page{50, 50, 900, 600}, browser{0, 0, 1000, 800}, screen{0, 0, 1280, 1024};
    struct Case {
        std::vector<Rect> ancestors, monitors;
        Rect browser;
        bool hidden, onView;
    } cases[] = {
        {{page, browser}, {screen}, browser, false, true},
        {{}, {screen}, capture, false, true},                             // the canvas window is the browser itself
        {{{50, 50, 809, 600}, browser}, {screen}, browser, false, false}, // scrolled a pixel out of the page
        {{page, {0, 0, 1000, 479}}, {screen}, browser, false, false},
        {{page}, {screen}, {101, 0, 1000, 800}, false, false},
        {{page, browser}, {screen}, browser, true, false},
        {{page, browser}, {}, browser, false, false},
        // Two monitors together cover it, or leave a corner bare; mirrored ones overlap.
        {{page}, {{0, 0, 500, 1024}, {500, 0, 1280, 1024}}, browser, false, true},
        {{page}, {{0, 0, 500, 1024}, {500, 0, 1280, 400}}, browser, false, false},
        {{page}, {{-1280, 0, 0, 1024}, {0, 200, 1280, 1224}}, browser, false, false},
        {{page}, {screen, screen}, browser, false, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WhollyOnView(capture, {c.ancestors, c.browser, c.monitors, c.hidden}), c.onView) << &c - cases;
}

TEST(Settings, ValuesNarrowToBytesWithoutWrapping) {
    struct Case {
        std::wstring_view text;
        uint8_t value;
    } cases[] = {{L"", 77},     {L"-5", 0},     {L"300", 255}, {L"99999999999", 255}, {L"4294967296", 255},
                 {L"0x1F", 0},  {L"12abc", 12}, {L"  42", 42}, {L"\t\r\n9", 9},       {L"+7", 7},
                 {L"255", 255}, {L"256", 255},  {L"0", 0},     {L"abc", 0},           {L" ", 0},
                 {L"-", 0},     {L"+-3", 0},    {L"- 3", 0},   {L"1 2", 1},           {L"\u30005", 0}};
    EXPECT_EQ(ParseSettingValue(std::nullopt, 77), 77);
    for (const Case& c : cases)
        EXPECT_EQ(ParseSettingValue(c.text, 77), c.value) << std::wstring(c.text);
}

TEST(Settings, StoredBytesAsTheQualityDialogShowsThem) {
    struct Case {
        uint8_t stored;
        int quality, showState;
        bool skips;
    } cases[] = {{0, 1, 0, false},    {1, 1, 1, true},     {2, 2, 2, true},    {7, 7, 1, true},
                 {100, 100, 1, true}, {101, 100, 1, true}, {255, 100, 1, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(QualityForDisplay(c.stored), c.quality) << int(c.stored);
        EXPECT_EQ(ShowStateForDisplay(c.stored), c.showState) << int(c.stored);
        EXPECT_EQ(SkipsQualityDialog(c.stored), c.skips) << int(c.stored);
    }
}

TEST(Version, MajorMinorAndRevisionWithoutTheBuild) {
    EXPECT_EQ(VersionLine({1, 0, 0, 1}), L"Version: 1.0.1");
    EXPECT_EQ(VersionLine({4294967295u, 10, 9, 0}), L"Version: 4294967295.10.0");
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

TEST(SaveCommand, StepsFollowTheOutcomes) {
    using enum Answer;
    const std::wstring f = L"C:\\d\\a.x";
    const CaptureResult both = kCapturedOverlappedOffView;
    struct Case {
        Script script;
        const char* log;
    } cases[] = {
        {{{kNothingCaptured}}, "capture cannot-save"},
        {{{kCapturedOverlapped, kNothingCaptured}, {Retry}}, "capture overlap recapture cannot-save"},
        {{{kCapturedOverlapped, kCaptured}, {Retry}, f, FileType::Png}, "capture overlap recapture choose write2 "},
        {{{kCapturedOverlapped, kCapturedOverlapped}, {Retry, Abort}}, "capture overlap recapture overlap "},
        {{{kCapturedOverlapped}, {Closed}, f, FileType::Png}, "capture overlap "},
        {{{kCapturedOverlapped}, {Ignore}, f, FileType::Bmp}, "capture overlap choose write3 "},
        // Off view: asked after the overlap question, and only when that one was ignored.
        {{{kCapturedOffView}, {Ignore}, f, FileType::Png}, "capture offview choose write2 "},
        {{{kCapturedOffView, kCaptured}, {Retry}, f, FileType::Png}, "capture offview recapture choose write2 "},
        {{{kCapturedOffView}, {Abort}, f, FileType::Png}, "capture offview "},
        {{{both}, {Ignore, Ignore}, f, FileType::Png}, "capture overlap offview choose write2 "},
        {{{both, kCapturedOffView}, {Ignore, Retry, Closed}}, "capture overlap offview recapture offview "},
        {{{both, kCaptured}, {Retry}, f, FileType::Png}, "capture overlap recapture choose write2 "},
        {{{both}, {Abort}, f, FileType::Png}, "capture overlap "},
        {{{kCaptured}, {}, L"", FileType::Jpeg}, "capture choose "},                              // cancelled
        {{{kCaptured}, {}, L"", FileType::Png, false, true, true}, "capture choose cannot-save"}, // dialog failed
        {{{kCaptured}, {}, f, FileType::Jpeg, false}, "capture choose skipped? quality write1 "},
        {{{kCaptured}, {}, f, FileType::Jpeg, true}, "capture choose skipped? write1 "},
        {{{kCaptured}, {}, f, FileType::Png}, "capture choose write2 "},
        {{{kCaptured}, {}, f, FileType::None}, "capture choose "},
        {{{kCaptured}, {}, f, FileType(9)}, "capture choose "},
        {{{kCaptured}, {}, f, FileType::Bmp, false, false}, "capture choose write3 writer-failed"},
        {{{kCaptured}, {}, f, FileType::Jpeg, true, false}, "capture choose skipped? write1 writer-failed"}};
    for (const Case& c : cases)
        EXPECT_EQ(SaveLog(c.script), c.log) << &c - cases;
}

TEST(SaveCommand, FreshNamesFromTheClock) {
    EXPECT_EQ(FreshFileName({2024, 1, 2, 3, 4, 5}), L"pikuto_20240102_030405");
    EXPECT_EQ(FreshFileName({1999, 12, 31, 23, 59, 59}), L"pikuto_19991231_235959");
}

} // namespace
