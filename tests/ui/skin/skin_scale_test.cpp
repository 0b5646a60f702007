#include "ui/skin/skin_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ui/skin/skin_loader.h"
#include "ui/status/status_layout.h"
#include "ui/ui_engine_fixture.h"
#include "ui/windows/display_dpi.h"

namespace {

using testing_support::UiEngine;

TEST(SkinScale, NumbersRoundHalfAwayFromZeroAndKeepTheirSign) {
    const struct {
        int32_t v, dpi, want;
    } cases[] = {
        {10, 96, 10},
        {10, 144, 15},
        {7, 144, 11},
        {1, 144, 2},
        {22, 192, 44},
        {-1, 144, -2},
        {-1, 192, -2},
        {-7, 144, -11},
        {0, 144, 0},
        {5, 120, 6},
        // No usable DPI: as at 96.
        {5, 0, 5},
        {5, -144, 5},
        {5, 100000, 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScaleForDpi(c.v, c.dpi), c.want) << c.v << " at " << c.dpi;
}

TEST(SkinScale, PicturesGrowAndWholeMultiplesRepeatPixels) {
    SkinImage* source = CreateSkinImage(3, 2);
    for (int i = 0; i < 6; ++i) {
        source->pixels[i * 4 + 0] = uint8_t(40 * i);
        source->pixels[i * 4 + 3] = i == 5 ? 0 : 255;
    }
    SkinImage* twice = ScaleSkinImage(source, 192);
    ASSERT_NE(twice, nullptr);
    EXPECT_EQ(twice->width, 6);
    EXPECT_EQ(twice->height, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(std::memcmp(twice->pixels + (y * 6 + x) * 4,
                                  source->pixels + ((y / 2) * 3 + x / 2) * 4, 4),
                      0)
                << x << "," << y;
    SkinImage* half = ScaleSkinImage(source, 144);
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(half->width, 5);
    EXPECT_EQ(half->height, 3);
    // The corner pixel is the source's corner; a transparent neighbour lends it no colour.
    EXPECT_EQ(half->pixels[0], 0);
    EXPECT_EQ(half->pixels[3], 255);
    const uint8_t* last = half->pixels + (3 * 5 - 1) * 4;
    EXPECT_EQ(last[3], 0);
    EXPECT_EQ(ScaleSkinImage(nullptr, 144), nullptr);
    FreeSkinImage(source);
    FreeSkinImage(twice);
    FreeSkinImage(half);
}

TEST(SkinScale, BandsCoverTheScaledPixelsOfTheirSource) {
    SkinDescription d{};
    d.mergedH.stretchX = {16, 27};
    d.mergedH.stretchY = {44, 44};
    d.mergedV.stretchX = {-1, 3};  // refused: stays refused
    d.embeddedH.stretchX = {5, 2};
    ScaleSkinDescription(&d, 144);
    EXPECT_EQ(d.mergedH.stretchX.x, 24);
    EXPECT_EQ(d.mergedH.stretchX.y, 41);  // 28 * 1.5 - 1
    EXPECT_EQ(d.mergedH.stretchY.x, 66);
    EXPECT_EQ(d.mergedH.stretchY.y, 66);
    EXPECT_EQ(d.mergedV.stretchX.x, -1);
    EXPECT_EQ(d.embeddedH.stretchX.x, 5);
    EXPECT_EQ(d.embeddedH.stretchX.y, 2);
}

// The built-in skin, as the record holds it, scaled for dpi.
void LoadBuiltIn(UiEngine& t, int32_t dpi) {
    UIState* s = t.e->uiState;
    ASSERT_TRUE(LoadBuiltInSkin(&s->skin, &s->images));
    ScaleSkin(&s->skin, &s->images, dpi);
}

TEST(SkinScale, NothingChangesAt96) {
    UiEngine scaled, plain;
    LoadBuiltIn(plain, 0);
    UIState* s = scaled.e->uiState;
    ASSERT_TRUE(LoadBuiltInSkin(&s->skin, &s->images));
    std::vector<const SkinImage*> before(std::begin(s->images.images), std::end(s->images.images));
    ScaleSkin(&s->skin, &s->images, 96);
    EXPECT_EQ(std::memcmp(&s->skin, &plain.e->uiState->skin, sizeof s->skin), 0);
    for (int i = 0; i < kSkinImageSlots; ++i) EXPECT_EQ(s->images.images[i], before[i]) << i;
}

// Text as wide as its font size per character and twice as high: sizes follow the skin's
// (scaled) font sizes as a real font's do, without rounding of their own.
SIZE MeasureByFontSize(void* context, CandidateFont font, const wchar_t*, int length) {
    const SkinTextStyle& t = static_cast<UIState*>(context)->skin.text;
    const int size = std::abs(font == kCodeFont ? t.codeFontSize : t.candidateFontSize);
    return SIZE{length * size, 2 * size};
}

struct Painted {
    int32_t width, height;
};

Painted Layout(int32_t dpi, uint32_t options, bool code) {
    UiEngine t;
    LoadBuiltIn(t, dpi);
    t.e->skin->options = options;
    t.Page({L"你好", L"拟好", L"你", L"尼", L"泥"});
    if (code) {
        t.e->uiState->host.imm32 = true;
        t.Composition(L"nihao");
    }
    CandidateMeasurer m{MeasureByFontSize, t.e->uiState};
    if (!LayoutCandidateWindow(t.e, m)) return {0, 0};
    return {t.e->uiState->candidate.width, t.e->uiState->candidate.height};
}

// Each scaled gap is within half a pixel of its exact value: a window is within two pixels,
// and half a pixel more for each candidate laid side by side.
TEST(SkinScale, CandidateWindowGrowsWithTheDisplay) {
    constexpr double kPerCandidate = 0.5 * 5;
    const struct {
        const char* name;
        uint32_t options;
        bool code;
    } layouts[] = {
        {"rows as shipped", kSkinShowIndex, false},
        {"rows with the code", kSkinShowIndex | kSkinShowButtons, true},
        {"in line", kSkinShowIndex | kSkinHorizontal, false},
        {"in line with the code", kSkinShowIndex | kSkinHorizontal | kSkinShowButtons, true},
        {"columns", kSkinShowIndex | kSkinVerticalLeft, false},
    };
    for (const auto& l : layouts) {
        const Painted base = Layout(96, l.options, l.code);
        ASSERT_GT(base.width, 0) << l.name;
        for (const auto& [dpi, factor] : {std::pair{144, 1.5}, std::pair{192, 2.0}}) {
            const Painted p = Layout(dpi, l.options, l.code);
            const bool inLine = (l.options & kSkinHorizontal) != 0;
            EXPECT_NEAR(p.width, base.width * factor, 2 + (inLine ? kPerCandidate : 0))
                << l.name << " at " << dpi;
            EXPECT_NEAR(p.height, base.height * factor, 2 + (inLine ? 0 : kPerCandidate))
                << l.name << " at " << dpi;
        }
    }
}

TEST(SkinScale, StatusBarAndItsButtonsGrowWithTheDisplay) {
    UiEngine base, big;
    LoadBuiltIn(base, 96);
    LoadBuiltIn(big, 192);
    const SkinImage* bar = base.e->uiState->images.images[kSlotStatusBar];
    const SkinImage* bigBar = big.e->uiState->images.images[kSlotStatusBar];
    EXPECT_EQ(bigBar->width, bar->width * 2);
    EXPECT_EQ(bigBar->height, bar->height * 2);
    UIState *a = base.e->uiState, *b = big.e->uiState;
    LayoutStatusRegions(a->skin, a->images, a->statusRegions);
    LayoutStatusRegions(b->skin, b->images, b->statusRegions);
    for (int i = 0; i < kStatusButtons; ++i) {
        const SkinRegion &r = a->statusRegions[i], &q = b->statusRegions[i];
        EXPECT_EQ(q.state, r.state) << i;
        if (r.state == kRegionHidden) continue;
        EXPECT_EQ(q.x, r.x * 2) << i;
        EXPECT_EQ(q.y, r.y * 2) << i;
        EXPECT_EQ(q.width, r.width * 2) << i;
        EXPECT_EQ(q.height, r.height * 2) << i;
    }
}

// A package whose pictures, scaled, would pass the budget stays at its own size, wholly: its
// metrics too, so that they still fit its pictures.
TEST(SkinScale, PicturesOverTheBudgetLeaveTheSkinUnscaled) {
    UiEngine t;
    UIState* s = t.e->uiState;
    ASSERT_TRUE(LoadBuiltInSkin(&s->skin, &s->images));
    FreeSkinImage(s->images.images[kSlotLogo]);
    s->images.images[kSlotLogo] = CreateSkinImage(2048, 2048);
    ASSERT_NE(s->images.images[kSlotLogo], nullptr);
    const SkinDescription before = s->skin;
    EXPECT_TRUE(ScaleSkin(&s->skin, &s->images, 120)) << "4 M pixels at 125% fit";
    EXPECT_NE(std::memcmp(&s->skin, &before, sizeof before), 0);
    UiEngine big;
    UIState* b = big.e->uiState;
    ASSERT_TRUE(LoadBuiltInSkin(&b->skin, &b->images));
    FreeSkinImage(b->images.images[kSlotLogo]);
    b->images.images[kSlotLogo] = CreateSkinImage(2048, 2048);
    const SkinDescription unscaled = b->skin;
    EXPECT_FALSE(ScaleSkin(&b->skin, &b->images, 192)) << "16 M pixels at 200% do not";
    EXPECT_EQ(std::memcmp(&b->skin, &unscaled, sizeof unscaled), 0);
    EXPECT_EQ(b->images.images[kSlotLogo]->width, 2048);
    EXPECT_FALSE(ScaleSkin(&b->skin, &b->images, 96));
}

// A record's DPI loads the skin again for it: scaling never compounds, and back at 96 the
// skin is as loaded.
TEST(SkinScale, RecordFollowsItsDpiWithoutCompounding) {
    UiEngine t, plain;
    LoadBuiltIn(plain, 96);
    const SkinImage* bar96 = plain.e->uiState->images.images[kSlotStatusBar];
    const struct {
        int32_t dpi;
        bool changed;
        double factor;
    } steps[] = {{96, false, 1}, {144, true, 1.5}, {144, false, 1.5},
                 {192, true, 2}, {0, true, 1},     {96, false, 1}};
    ASSERT_TRUE(UseDpi(t.e, 144));  // first load through the record
    ASSERT_TRUE(UseDpi(t.e, 96));
    for (const auto& s : steps) {
        EXPECT_EQ(UseDpi(t.e, s.dpi), s.changed) << s.dpi;
        const SkinImage* bar = t.e->uiState->images.images[kSlotStatusBar];
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->width, std::lround(bar96->width * s.factor)) << s.dpi;
        EXPECT_EQ(t.e->uiState->skin.text.candidateFontSize,
                  std::lround(plain.e->uiState->skin.text.candidateFontSize * s.factor))
            << s.dpi;
    }
}

}  // namespace
