#include "ui/skin/skin_picture_budget.h"

namespace {

bool AdmitSkinPicture(void* context, int32_t width, int32_t height) {
    auto* budget = static_cast<SkinPictureBudget*>(context);
    if (width <= 0 || height <= 0 || width > kMaxSkinPictureSide || height > kMaxSkinPictureSide)
        return false;
    const int64_t pixels = int64_t(width) * height;
    if (pixels > kMaxSkinPicturePixels) return false;
    if (pixels > budget->pixelsLeft) {
        budget->pixelsLeft = 0;
        return false;
    }
    budget->pixelsLeft -= pixels;
    return true;
}

}  // namespace

SkinImage* DecodeSkinPicture(SkinPictureBudget* budget, const uint8_t* data, size_t size) {
    if (!budget || budget->pixelsLeft <= 0) return nullptr;
    return DecodePngFromMemoryChecked(data, size, AdmitSkinPicture, budget);
}
