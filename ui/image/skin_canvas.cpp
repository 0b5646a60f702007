#include "ui/image/skin_canvas.h"

#include <algorithm>
#include <cstring>

const SkinImage* PictureForState(SkinImageGroup group, uint64_t state) {
    if (!group) return nullptr;
    const SkinImage* picked = nullptr;
    switch (state) {
        case kRegionDisabled:
            picked = group[3];
            break;
        case kRegionHover:
            picked = group[1];
            break;
        case kRegionPressed:
            picked = group[2];
            break;
        default:
            break;
    }
    return picked ? picked : group[0];
}

void BlitImage(int32_t x, int32_t y, const SkinImage* p, SkinCanvas* canvas) {
    if (!p || !canvas || !canvas->pixels || p->height <= 0 || p->width <= 0) return;
    if (x < 0 || y < 0) return;
    if (int64_t(x) + p->width > canvas->width || int64_t(y) + p->height > canvas->height) return;
    for (int32_t row = 0; row < p->height; ++row) {
        const uint8_t* s = p->pixels + size_t(row) * p->width * 4;
        uint8_t* d = canvas->pixels + (size_t(y + row) * canvas->width + x) * 4;
        for (int32_t col = 0; col < p->width; ++col, s += 4, d += 4) {
            unsigned a = s[3];
            if (a == 0) continue;
            for (int c = 0; c < 3; ++c)
                d[c] = static_cast<uint8_t>(std::min(255u, (s[c] * a + d[c] * (255 - a)) / 255));
            // Covering what is already there: a partly transparent edge never thins the canvas.
            unsigned out = a + d[3] * (255 - a) / 255;
            d[3] = static_cast<uint8_t>(std::min(254u, out));
        }
    }
}

void PaintImageRegion(const SkinRegion* region, SkinImageGroup group, SkinCanvas* canvas) {
    if (!region || region->state == kRegionHidden || region->x < 0 || region->y < 0) return;
    // The fit is tested with the picture actually drawn.
    BlitImage(region->x, region->y, PictureForState(group, region->state), canvas);
}

bool CopyBackgroundPremultiplied(const SkinImage* bg, SkinCanvas* canvas) {
    if (!bg || !canvas || !canvas->pixels || bg->width != canvas->width ||
        bg->height != canvas->height)
        return false;
    size_t n = size_t(bg->width) * bg->height;
    const uint8_t* s = bg->pixels;
    uint8_t* d = canvas->pixels;
    for (size_t i = 0; i < n; ++i, s += 4, d += 4) {
        unsigned a = s[3];
        d[0] = static_cast<uint8_t>(s[0] * a / 255);
        d[1] = static_cast<uint8_t>(s[1] * a / 255);
        d[2] = static_cast<uint8_t>(s[2] * a / 255);
        d[3] = 255;
    }
    return true;
}

namespace {

bool SameSize(const SkinImage* bg, const SkinCanvas* canvas) {
    return bg && canvas && canvas->pixels && bg->width == canvas->width &&
           bg->height == canvas->height;
}

}  // namespace

void CandidateAlphaPass(const SkinImage* bg, SkinCanvas* canvas) {
    if (!SameSize(bg, canvas)) return;
    size_t n = size_t(bg->width) * bg->height;
    const uint8_t* s = bg->pixels;
    uint8_t* d = canvas->pixels;
    for (size_t i = 0; i < n; ++i, s += 4, d += 4) {
        if (d[3] == 0) {
            d[3] = 255;
        } else if (d[3] == 255) {
            unsigned a = s[3];
            d[0] = static_cast<uint8_t>(s[0] * a / 255);
            d[1] = static_cast<uint8_t>(s[1] * a / 255);
            d[2] = static_cast<uint8_t>(s[2] * a / 255);
            d[3] = static_cast<uint8_t>(a);
        }
    }
}

void StatusAlphaPass(const SkinImage* bg, SkinCanvas* canvas) {
    if (!SameSize(bg, canvas)) return;
    size_t n = size_t(bg->width) * bg->height;
    const uint8_t* s = bg->pixels;
    uint8_t* d = canvas->pixels;
    for (size_t i = 0; i < n; ++i, s += 4, d += 4) {
        if (d[3] == 0)
            d[3] = 255;
        else if (d[3] == 255 || d[3] < s[3])
            d[3] = s[3];
    }
}

bool StretchBandFits(int32_t start, int32_t end, int32_t size) {
    return start >= 0 && start <= end && end < size;
}

namespace {

// Source index of output index i on one axis (band start..end, grown by extra).
int32_t SourceIndex(int32_t i, int32_t start, int32_t end, int32_t extra) {
    if (i < start) return i;
    if (i > end + extra) return i - extra;
    return start + (i - start) % (end - start + 1);
}

}  // namespace

SkinImage* StretchSkinImage(const SkinImage* src, int32_t newWidth, int32_t newHeight, int32_t sx0,
                            int32_t sx1, int32_t sy0, int32_t sy1) {
    if (!src || !src->pixels) return nullptr;
    int32_t w = src->width, h = src->height;
    int32_t W = (StretchBandFits(sx0, sx1, w) && newWidth > w) ? newWidth : w;
    int32_t H = (StretchBandFits(sy0, sy1, h) && newHeight > h) ? newHeight : h;
    SkinImage* out = CreateSkinImage(W, H);
    if (!out) return nullptr;
    for (int32_t i = 0; i < H; ++i) {
        int32_t sy = H == h ? i : SourceIndex(i, sy0, sy1, H - h);
        const uint8_t* srow = src->pixels + size_t(sy) * w * 4;
        uint8_t* drow = out->pixels + size_t(i) * W * 4;
        if (W == w) {
            std::memcpy(drow, srow, size_t(w) * 4);
            continue;
        }
        // Left of the band, the band repeated, right of the band: runs of whole pixels.
        const int32_t period = sx1 - sx0 + 1, bandEnd = sx1 + (W - w);
        std::memcpy(drow, srow, size_t(sx0) * 4);
        for (int32_t j = sx0; j <= bandEnd; j += period) {
            int32_t run = std::min(period, bandEnd - j + 1);
            std::memcpy(drow + size_t(j) * 4, srow + size_t(sx0) * 4, size_t(run) * 4);
        }
        std::memcpy(drow + size_t(bandEnd + 1) * 4, srow + size_t(sx1 + 1) * 4,
                    size_t(w - sx1 - 1) * 4);
    }
    return out;
}
