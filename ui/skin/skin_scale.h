// Display scaling of a loaded skin: its metrics, font sizes and pictures made for a DPI other
// than 96. Pure code over the description and the picture set.
#pragma once
#include <cstdint>

#include "ui/skin/skin_description.h"

constexpr int32_t kBaseDpi = 96;
// DPIs outside this range are taken as 96: no display reports them, and larger ones would
// scale a skin's metrics beyond what a window may be.
constexpr int32_t kMinScaledDpi = 48;
constexpr int32_t kMaxScaledDpi = 480;

// The DPI to scale for: 0 and anything outside the range are 96.
int32_t UsableDpi(int32_t dpi);
// v at dpi (96-based), rounded half away from zero; a negative value stays negative.
int32_t ScaleForDpi(int32_t v, int32_t dpi);

// The picture resampled to its size at dpi (edges of opaque parts kept sharp at whole
// multiples); null on no memory.
SkinImage* ScaleSkinImage(const SkinImage* source, int32_t dpi);
// Scales the description's coordinates, gaps, margins, minimum sizes, text frames, stretch
// bands and font sizes for dpi. Nothing changes at 96.
void ScaleSkinDescription(SkinDescription* description, int32_t dpi);
// The most pixels the scaled pictures of one skin may take, as many as one package may decode.
constexpr int64_t kScaledSkinPixelBudget = int64_t(16) * 1024 * 1024;

// Scales the description and replaces every picture of the set by its scaled copy; false,
// with nothing changed, at 96 or when the scaled pictures would pass the budget (the skin is
// then shown at its own size). A picture that cannot be scaled (no memory) is kept as it is.
bool ScaleSkin(SkinDescription* description, SkinImageSet* set, int32_t dpi);
