#include "ui/windows/placement.h"

#include <gtest/gtest.h>

namespace {

PlacementInput Input(uint32_t options, RECT work, RECT caret, RECT status = {0, 0, 0, 0},
                     POINT remembered = {0, 0}) {
    PlacementInput in{};
    in.imeOptions = options;
    in.workArea = work;
    in.caret = caret;
    in.status = status;
    in.remembered = remembered;
    in.width = 200;
    in.height = 50;
    return in;
}

TEST(Placement, Table) {
    const RECT screen{0, 0, 1280, 1000};
    const RECT leftBar{60, 0, 1280, 1000};     // taskbar at the left
    const RECT second{1280, 100, 2560, 1100};  // a second monitor to the right, lower
    struct Case {
        const char* name;
        PlacementInput in;
        POINT expected;
    } cases[] = {
        {"below the caret", Input(0, screen, {100, 100, 102, 120}), {100, 122}},
        {"above the caret near the bottom", Input(0, screen, {100, 960, 102, 980}), {100, 910}},
        {"pulled in from the right edge", Input(0, screen, {1200, 100, 1202, 120}), {1080, 122}},
        {"kept right of a left taskbar", Input(0, leftBar, {10, 100, 12, 120}), {60, 122}},
        {"second monitor's top", Input(0, second, {1300, 50, 1302, 60}), {1300, 100}},
        {"fixed without a remembered point: bottom right",
         Input(kPlaceFixed, screen, {}, {0, 900, 100, 930}),
         {1080, 950}},
        {"fixed, status at the far right: bottom left",
         Input(kPlaceFixed, leftBar, {}, {1100, 900, 1200, 930}),
         {60, 950}},
        {"fixed at a remembered point", Input(kPlaceFixed, screen, {}, {}, {300, 400}), {300, 400}},
        {"fixed, remembered point pulled inside",
         Input(kPlaceFixed, screen, {}, {}, {1250, 990}),
         {1080, 950}},
        {"fixed on the second monitor: kept at its left and top",
         Input(kPlaceFixed, second, {}, {}, {1000, 50}),
         {1280, 100}},
        {"beside the status bar",
         Input(kPlaceBesideStatus, screen, {}, {100, 100, 200, 130}),
         {205, 100}},
        {"beside the status bar, far right",
         Input(kPlaceBesideStatus, screen, {}, {1100, 100, 1200, 130}),
         {895, 100}},
        {"beside the status bar in the lower half",
         Input(kPlaceBesideStatus, screen, {}, {100, 800, 200, 830}),
         {205, 780}},
    };
    for (const Case& c : cases) {
        POINT p = PlaceCandidate(c.in);
        EXPECT_EQ(p.x, c.expected.x) << c.name;
        EXPECT_EQ(p.y, c.expected.y) << c.name;
    }
}

}  // namespace
