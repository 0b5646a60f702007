// The candidate window's paint sequence into an in-memory canvas, checked pixel by pixel.
#include "ui/candidate/candidate_paint.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "ui/ui_engine_fixture.h"

namespace {

using testing_support::UiEngine;
using Pixel = std::array<int, 4>;

Pixel At(CanvasSurface& s, int x, int y) {
    const uint8_t* p = s.canvas()->pixels + (size_t(y) * s.canvas()->width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

struct Painted {
    UiEngine t;
    explicit Painted(uint8_t bgAlpha = 128) {
        t.SimpleSkin();
        for (int slot : {kSlotEmbeddedH}) {
            SkinImage* bg = t.e->uiState->images.images[slot];
            for (int i = 0; i < bg->width * bg->height; ++i) {
                uint8_t* p = bg->pixels + i * 4;
                p[0] = 100, p[1] = 150, p[2] = 200, p[3] = bgAlpha;
            }
        }
        CandidateLayout& L = t.e->uiState->skin.embeddedH;
        const int32_t frame[4] = {3, 3, 3, 3};
        std::memcpy(L.textFrame, frame, sizeof frame);
        L.pageDownButton = {14, 2};
        SkinTextStyle& s = t.e->uiState->skin.text;
        s.firstCandidateBackground = RGB(0, 0, 255);
        s.hoverBackground = RGB(0, 255, 0);
        s.candidateColour = RGB(255, 255, 255);
        s.firstCandidateColour = RGB(255, 255, 255);
        t.e->uiState->images.images[kSlotPageDown] = UiEngine::Solid(4, 4, 255);
        std::fill_n(t.e->uiState->images.images[kSlotPageDown]->pixels, 4, uint8_t(0));
        for (int i = 0; i < 16; ++i)
            t.e->uiState->images.images[kSlotPageDown]->pixels[i * 4 + 2] = 255;
        t.e->skin->options = kSkinShowIndex | kSkinHorizontal | kSkinShowButtons;
        t.Page({L"ab", L"c"});
        t.e->candidateCount = 30;  // not the last page: the page-down button is enabled
    }
};

TEST(CandidatePaint, BackgroundHighlightHoverAndButtons) {
    Painted p;
    ASSERT_TRUE(LayoutCandidateWindow(p.t.e, p.t.measurer));
    p.t.e->uiState->candidateRegions[kWordRegion + 1].state = kRegionHover;
    const SkinImage* bg = p.t.e->uiState->stretchedBackground;
    CanvasSurface surface(bg->width, bg->height);
    ASSERT_TRUE(surface.ok());
    ASSERT_TRUE(PaintCandidateCanvas(p.t.e, &surface));

    RECT first = GetCandidateRect(p.t.e, 0), second = GetCandidateRect(p.t.e, 1);
    // Untouched background: premultiplied colour with its own alpha.
    EXPECT_EQ(At(surface, bg->width - 2, bg->height - 2), (Pixel{50, 75, 100, 128}));
    // The highlight's frame corner holds no text: the fill, made opaque.
    EXPECT_EQ(At(surface, first.left, first.top), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(At(surface, second.left, second.top), (Pixel{0, 255, 0, 255}));
    // The page-down picture (red, opaque) blended over the canvas.
    const SkinRegion& down = p.t.e->uiState->candidateRegions[kPageDownRegion];
    ASSERT_EQ(down.state, kRegionNormal);
    EXPECT_EQ(At(surface, down.x + 1, down.y + 1), (Pixel{0, 0, 255, 254}));
    // Text was drawn in the first word (any pixel that is not the fill).
    const SkinRegion& word = p.t.e->uiState->candidateRegions[kWordRegion];
    int inked = 0;
    for (int y = word.y; y < word.y + word.height; ++y)
        for (int x = word.x; x < word.x + word.width; ++x)
            if (At(surface, x, y) != (Pixel{255, 0, 0, 255})) ++inked;
    EXPECT_GT(inked, 0);
}

TEST(CandidatePaint, NegativeColoursLeaveTheBackground) {
    Painted p(255);
    p.t.e->uiState->skin.text.firstCandidateBackground = -1;
    ASSERT_TRUE(LayoutCandidateWindow(p.t.e, p.t.measurer));
    const SkinImage* bg = p.t.e->uiState->stretchedBackground;
    CanvasSurface surface(bg->width, bg->height);
    ASSERT_TRUE(PaintCandidateCanvas(p.t.e, &surface));
    RECT first = GetCandidateRect(p.t.e, 0);
    EXPECT_EQ(At(surface, first.left, first.top), (Pixel{100, 150, 200, 255}));
}

TEST(CandidatePaint, NothingWithoutALayout) {
    Painted p;
    CanvasSurface surface(20, 20);
    EXPECT_FALSE(PaintCandidateCanvas(p.t.e, &surface));
}

}  // namespace

namespace {

// Geometry from an untrusted skin.ini never makes the layout or the paint leave the pictures.
TEST(CandidatePaint, HostileGeometryStaysInsideThePictures) {
    struct Case {
        const char* name;
        std::function<void(CandidateLayout&)> set;
    } cases[] = {
        {"huge minimum size",
         [](CandidateLayout& L) { L.minWidth = 100000, L.minHeight = 100000; }},
        {"negative margins",
         [](CandidateLayout& L) { L.rightMargin = -1000, L.bottomMargin = -1000; }},
        {"negative origins",
         [](CandidateLayout& L) {
             L.candidateOrigin = {-500, -500}, L.codeOrigin = {-9, -9};
         }},
        {"reversed bands",
         [](CandidateLayout& L) {
             L.stretchX = {15, 3}, L.stretchY = {9, 2};
         }},
        {"bands past the picture",
         [](CandidateLayout& L) {
             L.stretchX = {5, 400}, L.stretchY = {-3, 4};
         }},
        {"huge text frame",
         [](CandidateLayout& L) {
             for (int32_t& f : L.textFrame) f = 1 << 30;
         }},
        {"buttons far away",
         [](CandidateLayout& L) {
             L.pageDownButton = {1 << 30, 1 << 30};
             L.pageUpButton = {3, 1 << 29};
         }},
        {"huge gaps",
         [](CandidateLayout& L) { L.indexGap = L.hintGap = L.candidateGap = L.lineGap = 1 << 30; }},
        {"huge negative gaps",
         [](CandidateLayout& L) { L.indexGap = L.candidateGap = -(1 << 30); }},
    };
    for (const Case& c : cases) {
        Painted p;
        p.t.Page({L"a", L"b", L"c", L"d", L"e", L"f", L"g", L"h", L"i", L"j"});
        c.set(p.t.e->uiState->skin.embeddedH);
        p.t.e->uiState->images.images[kSlotPageUp] = UiEngine::Solid(30, 30, 255);
        if (!LayoutCandidateWindow(p.t.e, p.t.measurer)) continue;  // refusing is fine
        const SkinImage* bg = p.t.e->uiState->stretchedBackground;
        ASSERT_NE(bg, nullptr) << c.name;
        CanvasSurface surface(bg->width, bg->height);
        ASSERT_TRUE(surface.ok()) << c.name;
        EXPECT_TRUE(PaintCandidateCanvas(p.t.e, &surface)) << c.name;
        for (int i = kPageUpRegion; i < kSkinRegionCount; ++i) {
            const SkinRegion& r = p.t.e->uiState->candidateRegions[i];
            if (r.state == kRegionHidden) continue;
            EXPECT_GE(r.x, 0) << c.name;
            EXPECT_GE(r.y, 0) << c.name;
        }
    }
}

}  // namespace
