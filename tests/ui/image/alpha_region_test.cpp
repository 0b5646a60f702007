#include "ui/image/alpha_region.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/image/gdi_handles.h"
#include "ui/image/skin_region.h"

namespace {

struct AlphaPicture {
    std::vector<uint8_t> bytes;
    SkinImage image;
    AlphaPicture(int w, int h) : bytes(size_t(w) * h * 4), image{w, h, nullptr} {
        image.pixels = bytes.data();
    }
    void Opaque(int x, int y, uint8_t a = 255) { bytes[(size_t(y) * image.width + x) * 4 + 3] = a; }
};

TEST(AlphaRegion, RegionMatchesNonZeroAlpha) {
    AlphaPicture p(6, 4);
    p.Opaque(1, 0);
    p.Opaque(2, 0, 1);  // any non-zero alpha counts
    p.Opaque(4, 0);
    p.Opaque(0, 3);
    p.Opaque(5, 3);
    zan::UniqueRegion region(CreateRegionFromAlpha(&p.image));
    ASSERT_TRUE(region);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(PtInRegion(region.get(), x, y) != 0,
                      p.bytes[(size_t(y) * 6 + x) * 4 + 3] != 0)
                << x << "," << y;
}

TEST(AlphaRegion, TransparentPictureGivesAnEmptyRegion) {
    AlphaPicture p(5, 5);
    zan::UniqueRegion region(CreateRegionFromAlpha(&p.image));
    ASSERT_TRUE(region);
    RECT box;
    EXPECT_EQ(GetRgnBox(region.get(), &box), NULLREGION);
    EXPECT_EQ(CreateRegionFromAlpha(nullptr), nullptr);
}

TEST(AlphaRegion, ManyRowsAreBuiltInBatches) {
    AlphaPicture p(3, 5000);  // one rectangle per row: two batches of 4000
    for (int y = 0; y < 5000; ++y) p.Opaque(y % 3, y);
    zan::UniqueRegion region(CreateRegionFromAlpha(&p.image));
    ASSERT_TRUE(region);
    EXPECT_TRUE(PtInRegion(region.get(), 0, 0));
    EXPECT_TRUE(PtInRegion(region.get(), 4999 % 3, 4999));
    EXPECT_FALSE(PtInRegion(region.get(), (4999 + 1) % 3, 4999));
    RECT box;
    GetRgnBox(region.get(), &box);
    EXPECT_EQ(box.bottom, 5000);
}

// A checkered alpha has one run per pixel: hundreds of thousands of rectangles take seconds
// and can kill the X connection under Wine. Past the run limit the window takes the
// picture's rectangle; a shape just under it keeps its holes.
TEST(AlphaRegion, ShapesOfTooManyRunsFallBackToTheRectangle) {
    AlphaPicture checkered(500, 500);
    for (int y = 0; y < 500; ++y)
        for (int x = (y & 1); x < 500; x += 2) checkered.Opaque(x, y);
    zan::UniqueRegion region(CreateRegionFromAlpha(&checkered.image));
    ASSERT_TRUE(region);
    RECT box;
    EXPECT_EQ(GetRgnBox(region.get(), &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 500);
    EXPECT_EQ(box.bottom, 500);
    EXPECT_TRUE(PtInRegion(region.get(), 1, 0));  // a transparent pixel of the picture

    const int rows = int(kMaxRegionRects / 2);  // two runs per row: just under the limit
    AlphaPicture twoRuns(5, rows);
    for (int y = 0; y < rows; ++y) twoRuns.Opaque(0, y), twoRuns.Opaque(2, y);
    zan::UniqueRegion shaped(CreateRegionFromAlpha(&twoRuns.image));
    ASSERT_TRUE(shaped);
    EXPECT_EQ(GetRgnBox(shaped.get(), &box), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(shaped.get(), 1, rows - 1));
    EXPECT_TRUE(PtInRegion(shaped.get(), 2, rows - 1));
}

TEST(SkinHitTest, BordersStatesAndOrder) {
    SkinRegion regions[3] = {};
    auto set = [&](int i, int32_t x, int32_t y, int32_t w, int32_t h, uint64_t state, int64_t id) {
        regions[i].x = x, regions[i].y = y, regions[i].width = w, regions[i].height = h;
        regions[i].state = state, regions[i].id = id;
    };
    set(0, 10, 10, 10, 10, kRegionNormal, 7);
    set(1, 10, 10, 30, 30, kRegionNormal, 8);
    set(2, 50, 10, 10, 10, kRegionDisabled, 9);
    struct Case {
        const char* name;
        int32_t x, y;
        int64_t id;
    } cases[] = {
        {"inside the first", 15, 15, 7},   {"on the first's border", 20, 15, 8},
        {"only in the second", 30, 30, 8}, {"disabled is never hit", 55, 15, 0},
        {"on the window edge", 0, 15, -1}, {"past the window", 100, 15, -1},
        {"nothing there", 70, 70, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SkinHitTest(regions, 3, 100, 100, c.x, c.y), c.id) << c.name;
}

TEST(SkinRegionState, SetAndClearKeepDisabledAndHidden) {
    SkinRegion r[4] = {};
    r[0].id = 3;
    r[1].id = 3;
    r[1].state = kRegionDisabled;
    r[2].id = 4;
    r[2].state = kRegionPressed;
    r[3].id = 3;
    r[3].state = kRegionHidden;
    SetRegionState(r, 4, 3, kRegionPressed);
    EXPECT_EQ(r[0].state, kRegionPressed);
    EXPECT_EQ(r[1].state, kRegionDisabled);
    EXPECT_EQ(r[2].state, kRegionNormal);  // the old pressed region lets go
    EXPECT_EQ(r[3].state, kRegionHidden);
    ClearRegionState(r, 4, 3);
    EXPECT_EQ(r[0].state, kRegionNormal);
    EXPECT_EQ(r[1].state, kRegionDisabled);
}

}  // namespace

// A region the window accepted is the window's (Wine deletes the handle itself once it has
// taken the region, so only the window's region is checked); one it refused is deleted here,
// not leaked.
TEST(AlphaRegion, RegionHandedToAWindowIsDeletedOnlyWhenRefused) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 40, 30, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    HRGN accepted = CreateRectRgn(2, 3, 12, 9);
    EXPECT_TRUE(SetWindowRegion(window, accepted));
    zan::UniqueRegion probe(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(window, probe.get()), ERROR);
    RECT box{};
    GetRgnBox(probe.get(), &box);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.bottom, 9);
    DestroyWindow(window);

    HRGN refused = CreateRectRgn(0, 0, 5, 5);
    EXPECT_FALSE(SetWindowRegion(window, refused));  // the window is gone
    EXPECT_EQ(GetObjectType(refused), 0u);
    EXPECT_FALSE(SetWindowRegion(nullptr, nullptr));
}
