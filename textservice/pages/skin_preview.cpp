#include "textservice/pages/skin_preview.h"

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
            const unsigned a = p[3];
            auto mix = [a](unsigned c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            out[static_cast<size_t>(ty) * width + tx] =
                mix(p[2]) << 16 | mix(p[1]) << 8 | mix(p[0]);
        }
    }
    return out;
}
