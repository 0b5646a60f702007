// Laid-out elements of a skinned window (buttons, texts, candidates) and their hit test.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr int kSkinRegionCount = 42;
constexpr int kRegionTextUnits = 256;

// SkinRegion::state
constexpr uint64_t kRegionNormal = 0;
constexpr uint64_t kRegionDisabled = 1;
constexpr uint64_t kRegionHover = 2;
constexpr uint64_t kRegionPressed = 3;
constexpr uint64_t kRegionHidden = 5;

// SkinRegion::flags
constexpr uint64_t kRegionDrawText = 0x1;
constexpr uint64_t kRegionDrawBitmap = 0x2;
constexpr uint64_t kRegionPicture = 0x8;

struct SkinRegion {
    int32_t x, y, width, height;  // negative x or y: absent
    uint64_t state;
    int64_t id;
    uint64_t flags;
    wchar_t text[kRegionTextUnits];
    uint64_t textLength;
    uint64_t textColour[4];  // COLORREF in the low 32 bits
    int64_t backColour[4];   // negative: none
    int64_t textOffsetX;
    HBITMAP bitmap[4];
};

// -1 on or outside the window's border, the id of the first region strictly holding the
// point (not disabled, not hidden), else 0.
int64_t SkinHitTest(const SkinRegion* regions, int count, int32_t width, int32_t height, int32_t x,
                    int32_t y);

// Every region of id not disabled or hidden: ClearRegionState sets it normal; SetRegionState
// sets state, and returns any other region in that state to normal.
void ClearRegionState(SkinRegion* regions, int count, int64_t id);
void SetRegionState(SkinRegion* regions, int count, int64_t id, uint64_t state);

// GDI drawing of one region: its state bitmap and/or its text.
void DrawRegionText(HDC dc, const SkinRegion* region);
// A one-pixel bevel: top and left in first, right and bottom in second.
void DrawFrame(HDC dc, const RECT& rect, COLORREF first, COLORREF second);
// The whole bitmap scaled into rect, white transparent.
void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, const RECT& rect);
