// Where the dictionary window opens, its child and what a press means.
#include "ui/dict/dict_geometry.h"

#include <gtest/gtest.h>

namespace {

TEST(DictGeometry, PlacementBesideTheCandidateWindow) {
    const RECT work{0, 0, 1000, 800};
    struct Case {
        const char* name;
        bool horizontal;
        RECT candidate;
        POINT word;
        POINT at;
    } cases[] = {
        {"horizontal, upper half: below", true, {100, 100, 400, 140}, {30, 12}, {120, 145}},
        {"horizontal, lower half: above", true, {100, 500, 400, 540}, {30, 12}, {120, 335}},
        {"horizontal, bottom on the middle: above",
         true,
         {100, 360, 400, 400},
         {30, 12},
         {120, 195}},
        {"rows, left part: right of it", false, {100, 100, 300, 400}, {20, 50}, {305, 140}},
        {"rows, right edge past four fifths: left of it",
         false,
         {700, 100, 900, 400},
         {20, 50},
         {565, 140}},
    };
    for (const Case& c : cases) {
        POINT p = PlaceDictWindow({c.horizontal, c.candidate, c.word, work});
        EXPECT_EQ(p.x, c.at.x) << c.name;
        EXPECT_EQ(p.y, c.at.y) << c.name;
    }
}

TEST(DictGeometry, ChildLinkAndPressAreas) {
    RECT child = DictChildRect(kDictWidth, kDictHeight);
    EXPECT_EQ(child.left, 8);
    EXPECT_EQ(child.top, 8);
    EXPECT_EQ(child.right - child.left, kDictWidth - 16);
    EXPECT_EQ(child.bottom - child.top, kDictHeight - 38);
    RECT link = DictLinkRect(kDictWidth, kDictHeight);
    EXPECT_EQ(link.bottom, kDictHeight - 5);
    EXPECT_EQ(link.bottom - link.top, 15);

    struct Case {
        POINT p;
        int area;
    } cases[] = {
        {{10, 10}, kDictAreaBody},   {{10, 139}, kDictAreaBody},  {{10, 140}, kDictAreaLink},
        {{109, 150}, kDictAreaLink}, {{110, 140}, kDictAreaGrip}, {{129, 159}, kDictAreaGrip},
        {{120, 100}, kDictAreaBody},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DictAreaAt(kDictWidth, kDictHeight, c.p), c.area) << c.p.x << "," << c.p.y;
}

}  // namespace
