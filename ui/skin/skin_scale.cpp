#include "ui/skin/skin_scale.h"

#include <algorithm>
#include <cmath>

namespace {

bool Unscaled(int32_t dpi) { return UsableDpi(dpi) == kBaseDpi; }

void ScalePoint(SkinPoint& p, int32_t dpi) {
    p.x = ScaleForDpi(p.x, dpi);
    p.y = ScaleForDpi(p.y, dpi);
}

// A band of whole source pixels [start, end] covers [start * k, (end + 1) * k) after scaling.
void ScaleBand(SkinPoint& band, int32_t dpi) {
    if (band.x < 0 || band.y < band.x) return;  // refused as it is
    const int64_t start = int64_t(band.x) * dpi / kBaseDpi;
    const int64_t end = (int64_t(band.y) + 1) * dpi / kBaseDpi - 1;
    band.x = int32_t(start);
    band.y = int32_t(std::max(start, end));
}

void ScaleLayout(CandidateLayout& L, int32_t dpi) {
    for (SkinPoint* p : {&L.pageDownButton, &L.pageUpButton, &L.punctuationButton, &L.widthButton,
                         &L.extension1Button, &L.extension2Button, &L.codeOrigin,
                         &L.candidateOrigin, &L.embedOffset})
        ScalePoint(*p, dpi);
    ScaleBand(L.stretchX, dpi);
    ScaleBand(L.stretchY, dpi);
    for (int32_t* v : {&L.indexGap, &L.hintGap, &L.candidateGap, &L.lineGap, &L.rightMargin,
                       &L.bottomMargin, &L.minWidth, &L.minHeight})
        *v = ScaleForDpi(*v, dpi);
    for (int32_t& f : L.textFrame) f = ScaleForDpi(f, dpi);
}

uint8_t ToByte(double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

int32_t UsableDpi(int32_t dpi) {
    return dpi < kMinScaledDpi || dpi > kMaxScaledDpi ? kBaseDpi : dpi;
}

int32_t ScaleForDpi(int32_t v, int32_t dpi) {
    dpi = UsableDpi(dpi);
    if (dpi == kBaseDpi) return v;
    const int64_t product = int64_t(v) * dpi;
    const int64_t half = kBaseDpi / 2;
    const int64_t r = product >= 0 ? (product + half) / kBaseDpi : -((-product + half) / kBaseDpi);
    return int32_t(std::clamp<int64_t>(r, INT32_MIN, INT32_MAX));
}

SkinImage* ScaleSkinImage(const SkinImage* source, int32_t dpi) {
    if (!source || source->width <= 0 || source->height <= 0) return nullptr;
    dpi = UsableDpi(dpi);
    const int32_t w = std::max(1, ScaleForDpi(source->width, dpi));
    const int32_t h = std::max(1, ScaleForDpi(source->height, dpi));
    SkinImage* out = CreateSkinImage(w, h);
    if (!out) return nullptr;
    const int32_t sw = source->width, sh = source->height;
    const bool whole = dpi % kBaseDpi == 0;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* d = out->pixels + (size_t(y) * w + x) * 4;
            if (whole) {
                // A whole multiple repeats each pixel: a 1-pixel border stays one colour.
                const uint8_t* s =
                    source->pixels + (size_t(y * sh / h) * sw + size_t(x * sw / w)) * 4;
                std::copy(s, s + 4, d);
                continue;
            }
            // Bilinear between the four nearest source pixels, weighted by their alpha so that
            // transparent pixels lend no colour.
            const double fx = std::clamp((x + 0.5) * sw / w - 0.5, 0.0, double(sw - 1));
            const double fy = std::clamp((y + 0.5) * sh / h - 0.5, 0.0, double(sh - 1));
            const int32_t x0 = int32_t(fx), y0 = int32_t(fy);
            const int32_t x1 = std::min(x0 + 1, sw - 1), y1 = std::min(y0 + 1, sh - 1);
            const double ax = fx - x0, ay = fy - y0;
            const int32_t xs[4] = {x0, x1, x0, x1}, ys[4] = {y0, y0, y1, y1};
            const double weight[4] = {(1 - ax) * (1 - ay), ax * (1 - ay), (1 - ax) * ay, ax * ay};
            double colour[3] = {0, 0, 0}, alpha = 0;
            for (int k = 0; k < 4; ++k) {
                const uint8_t* s = source->pixels + (size_t(ys[k]) * sw + xs[k]) * 4;
                const double a = weight[k] * s[3];
                for (int c = 0; c < 3; ++c) colour[c] += a * s[c];
                alpha += a;
            }
            for (int c = 0; c < 3; ++c) d[c] = alpha > 0 ? ToByte(colour[c] / alpha) : 0;
            d[3] = ToByte(alpha);
        }
    }
    return out;
}

void ScaleSkinDescription(SkinDescription* d, int32_t dpi) {
    if (!d || Unscaled(dpi)) return;
    SkinTextStyle& t = d->text;
    t.codeFontSize =
        std::clamp(ScaleForDpi(t.codeFontSize, dpi), -kMaxSkinFontSize * 5, kMaxSkinFontSize * 5);
    t.candidateFontSize = std::clamp(ScaleForDpi(t.candidateFontSize, dpi), -kMaxSkinFontSize * 5,
                                     kMaxSkinFontSize * 5);
    StatusBarLayout& s = d->statusBar;
    for (SkinPoint* p :
         {&s.modeButton, &s.punctuationButton, &s.widthButton, &s.softKeyboardButton, &s.menuButton,
          &s.logo, &s.extension1Button, &s.extension2Button, &s.scriptButton})
        ScalePoint(*p, dpi);
    for (CandidateLayout* L : {&d->mergedH, &d->mergedV, &d->embeddedH, &d->embeddedV})
        ScaleLayout(*L, dpi);
}

bool ScaleSkin(SkinDescription* d, SkinImageSet* set, int32_t dpi) {
    if (Unscaled(dpi)) return false;
    if (set) {
        int64_t pixels = 0;
        for (const SkinImage* image : set->images)
            if (image)
                pixels += int64_t(std::max(1, ScaleForDpi(image->width, dpi))) *
                          std::max(1, ScaleForDpi(image->height, dpi));
        if (pixels > kScaledSkinPixelBudget) return false;
    }
    ScaleSkinDescription(d, dpi);
    if (!set) return true;
    for (SkinImage*& image : set->images) {
        if (!image) continue;
        if (SkinImage* scaled = ScaleSkinImage(image, dpi)) {
            FreeSkinImage(image);
            image = scaled;
        }
    }
    return true;
}
