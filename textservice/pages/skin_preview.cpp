#include "textservice/pages/skin_preview.h"

#include "ui/image/image_file.h"
#include "ui/image/skin_image.h"

std::vector<uint32_t> PaintSkinPreview(const SkinImage* picture, int width, int height) {
    if (width <= 0 || height <= 0) return {};
    std::vector<uint32_t> out(static_cast<size_t>(width) * height, 0xFFFFFF);
    if (!picture || !picture->pixels || picture->width <= 0 || picture->height <= 0) return out;
    const int left = (width - picture->width) / 2, top = (height - picture->height) / 2;
    for (int y = 0; y < picture->height; ++y) {
        const int ty = top + y;
        if (ty < 0 || ty >= height) continue;
        for (int x = 0; x < picture->width; ++x) {
            const int tx = left + x;
            if (tx < 0 || tx >= width) continue;
            const uint8_t* p = picture->pixels + (static_cast<size_t>(y) * picture->width + x) * 4;
            // As the preview is drawn elsewhere: alpha 0 keeps the stored colour, so a
            // picture without an alpha channel shows.
            uint8_t bgr[3];
            BlendPixelOnWhite(p, bgr);
            out[static_cast<size_t>(ty) * width + tx] =
                uint32_t(bgr[2]) << 16 | uint32_t(bgr[1]) << 8 | bgr[0];
        }
    }
    return out;
}
