// Where the service anchors the candidate window under a composition and puts the state tip.
#include "textservice/tsf/service_placement.h"

#include <gtest/gtest.h>

namespace {

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ServicePlacement, CandidateAnchorUnderTheComposition) {
    // A focus window whose client area (400 by 300) starts at (1000, 500) on the screen, the
    // window's own top at 470; the caret at (30, 40) in the client area.
    const RECT client = {0, 0, 400, 300};
    const POINT caret = {30, 40};
    const POINT origin = {1000, 500};
    const struct {
        const char* name;
        RECT composition;
        bool window;
        bool immersive;
        LONG windowTop;
        RECT expected;
    } cases[] = {
        {"inside the client area: 2 below the composition's top",
         {50, 60, 90, 80},
         true,
         false,
         470,
         {1050, 562, 1090, 582}},
        {"top-left left of the client area: the caret box",
         {-5, 60, 90, 80},
         true,
         false,
         470,
         {1030, 542, 1071, 563}},
        {"top-left above the client area: the caret box",
         {50, -1, 90, 19},
         true,
         false,
         470,
         {1030, 542, 1071, 563}},
        {"top-left on the right edge is outside",
         {400, 60, 440, 80},
         true,
         false,
         470,
         {1030, 542, 1071, 563}},
        {"top-left on the bottom edge is outside",
         {50, 300, 90, 320},
         true,
         false,
         470,
         {1030, 542, 1071, 563}},
        {"top-left on the client origin is inside",
         {0, 0, 20, 20},
         true,
         false,
         470,
         {1000, 502, 1020, 522}},
        {"immersive: the composition even outside",
         {-5, 60, 90, 80},
         true,
         true,
         470,
         {995, 562, 1090, 582}},
        {"without a window: as given, no caret box",
         {-5, -50, 5, -30},
         false,
         false,
         -1000,
         {-5, -48, 5, -28}},
        {"anchor above the window's top: 20 below that top",
         {50, -40, 90, -20},
         true,
         true,
         470,
         {1050, 490, 1090, 510}},
        {"anchor on the window's top stays",
         {50, -32, 90, -12},
         true,
         true,
         470,
         {1050, 470, 1090, 490}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CandidatePlacementInput in = {};
        in.composition = c.composition;
        in.hasFocusWindow = c.window;
        in.immersive = c.immersive;
        if (c.window) {
            in.client = client;
            in.caret = caret;
            in.clientOrigin = origin;
        }
        in.windowTop = c.windowTop;
        const RECT got = PlaceCandidateAnchor(in);
        EXPECT_TRUE(Same(got, c.expected))
            << got.left << "," << got.top << "," << got.right << "," << got.bottom;
    }
}

TEST(ServicePlacement, StateTipNearTheCaretInsideTheWorkArea) {
    const RECT work = {0, 0, 1280, 1000};
    const struct {
        const char* name;
        bool caretKnown;
        POINT caret;
        RECT work;
        POINT expected;
    } cases[] = {
        {"below and right of the caret", true, {100, 200}, work, {110, 232}},
        {"no caret: near the bottom-right corner", false, {0, 0}, work, {1206, 936}},
        {"caret near the bottom: 66 up", true, {100, 940}, work, {110, 906}},
        {"caret at the right edge: 74 from the right", true, {1250, 200}, work, {1206, 232}},
        {"bottom exactly reached stays", true, {100, 936}, work, {110, 968}},
        {"a tiny work area: never negative", false, {0, 0}, {0, 0, 50, 50}, {0, 0}},
        {"caret left of the screen", true, {-30, 10}, work, {0, 42}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const POINT got = PlaceStateTip(c.caretKnown, c.caret, c.work);
        EXPECT_EQ(got.x, c.expected.x);
        EXPECT_EQ(got.y, c.expected.y);
    }
}

}  // namespace
