// How much picture one skin package may make the loader decode. Sizes are taken from each
// picture's header before it is decoded, so a broken or hostile package is refused quickly
// and never takes much memory; real skins use a few hundred pixels a side.
#pragma once
#include <cstddef>
#include <cstdint>

#include "ui/image/skin_image.h"

constexpr int32_t kMaxSkinPictureSide = 2048;
constexpr int64_t kMaxSkinPicturePixels = int64_t(2048) * 2048;
constexpr int64_t kSkinPackagePixelBudget = int64_t(16) * 1024 * 1024;

struct SkinPictureBudget {
    int64_t pixelsLeft = kSkinPackagePixelBudget;
};

// Decodes one picture of a package and charges its pixels to the budget when decoding starts
// (a picture broken halfway has cost the work). A picture over the single-picture bounds is
// refused alone; the first one that does not fit what is left spends the budget, so no later
// picture of the package is decoded. Refused pictures are null, as broken ones are.
SkinImage* DecodeSkinPicture(SkinPictureBudget* budget, const uint8_t* data, size_t size);
