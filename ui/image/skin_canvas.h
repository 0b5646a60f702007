// Pixel work on a 32-bit B, G, R, A drawing surface: blending pictures, the border-keeping
// resize and the alpha passes of layered painting. Pure code over memory.
#pragma once
#include <cstdint>

#include "ui/image/skin_image.h"
#include "ui/image/skin_region.h"

struct SkinCanvas {
    int32_t width;
    int32_t height;
    uint8_t* pixels;  // width * height * 4, top-down
};

// Pictures of one button: normal, "_1", "_2", "_3".
using SkinImageGroup = SkinImage* const*;
constexpr int kGroupStates = 4;

// The picture a region state shows: 1 the "_3" picture, 2 "_1", 3 "_2", else the normal one;
// a missing state picture falls back to the normal one.
const SkinImage* PictureForState(SkinImageGroup group, uint64_t state);

// Blends one picture at (x, y); nothing when it does not fit wholly inside the canvas.
void BlitImage(int32_t x, int32_t y, const SkinImage* picture, SkinCanvas* canvas);
// Blends the picture of the region's state at the region's position (not when hidden or
// placed at a negative coordinate).
void PaintImageRegion(const SkinRegion* region, SkinImageGroup group, SkinCanvas* canvas);

// Copies the background premultiplied, every alpha set to the 255 marker. Sizes must match.
bool CopyBackgroundPremultiplied(const SkinImage* background, SkinCanvas* canvas);
// Candidate window: GDI-touched pixels (alpha 0) become opaque, untouched ones (255) take
// the background's alpha with its colour premultiplied again.
void CandidateAlphaPass(const SkinImage* background, SkinCanvas* canvas);
// Status bar: alpha 0 becomes 255; 255 or anything below the background's alpha becomes it.
void StatusAlphaPass(const SkinImage* background, SkinCanvas* canvas);

// True when 0 <= start <= end < size.
bool StretchBandFits(int32_t start, int32_t end, int32_t size);
// Tiles the bands to reach newWidth x newHeight. An axis whose band does not fit the picture,
// or whose new size is smaller, keeps its source size. Null on no memory.
SkinImage* StretchSkinImage(const SkinImage* source, int32_t newWidth, int32_t newHeight,
                            int32_t sx0, int32_t sx1, int32_t sy0, int32_t sy1);
