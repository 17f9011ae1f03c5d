// Where the dialogs open and where the labels and the check box go, case by case.
#include "core/layout.h"

#include <gtest/gtest.h>

using namespace core;

TEST(Layout, DialogsCentredOnTheCameraWindowsMonitor) {
    const struct {
        Rect monitor;
        Point at;
    } cases[] = {
        {{0, 0, 1280, 1024}, {521, 440}},                    // one screen: (width - 237) / 2 rounded down, as always
        {{1280, 0, 3200, 1080}, {2121, 468}},                // a second monitor to the right
        {{-1920, -200, 0, 880}, {-1079, 268}},               // one left of and above the primary
        {{0, 0, 200, 100}, {0, 0}},                          // too small: the caption stays on it
        {{-2147483647 - 1, 0, 0, 1080}, {-1073741943, 468}}, // no sum wraps
    };
    for (const auto& c : cases)
        EXPECT_EQ(CentredOn(c.monitor, 237, 143), c.at) << c.monitor.left;
}

TEST(Layout, CheckBoxWidenedThenMovedLeftOnlyWhenItsCaptionDoesNotFit) {
    const struct {
        int32_t needed;
        Span box;
    } cases[] = {
        {190, {12, 205}}, {205, {12, 205}}, // fits: as designed
        {206, {12, 215}},                   // to 4 pixels from the right edge of the 231-pixel client area
        {220, {7, 220}},                    // still short: further left
        {240, {4, 223}},                    // never nearer than 4 pixels to the left edge
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitCheckBox({12, 205}, c.needed, 231), c.box) << c.needed;
    EXPECT_EQ(FitCheckBox({12, 225}, 240, 231), (Span{4, 233})) << "never narrower than designed";
}

TEST(Layout, LabelWidenedAwayFromTheSideItsTextKeepsTo) {
    EXPECT_EQ(FitLabel({15, 38}, 30, Align::Left), (Span{15, 38})); // fits: as designed
    EXPECT_EQ(FitLabel({15, 38}, 42, Align::Left), (Span{15, 42}));
    EXPECT_EQ(FitLabel({100, 30}, 36, Align::Centre), (Span{97, 36}));
    EXPECT_EQ(FitLabel({183, 122}, 130, Align::Right), (Span{175, 130}));
}
