#include "ui/dict/dict_look.h"

#include <algorithm>

#include "ui/skin/skin_scale.h"

namespace {

// A rich edit keeps a little room of its own around the text.
constexpr int32_t kEditSlack = 4;

const uint8_t* Pixel(const SkinImage* p, int32_t x, int32_t y) {
    return p->pixels + (size_t(y) * p->width + x) * 4;
}

COLORREF ColourOf(const uint8_t* px) { return RGB(px[2], px[1], px[0]); }

}  // namespace

DictLook DictLookOfSkin(const SkinTextStyle& t, const SkinImage* bg) {
    if (!bg || bg->width <= 0 || bg->height <= 0 || !bg->pixels) return kPlainDictLook;
    const int32_t middle = bg->height / 2;
    const uint8_t* centre = Pixel(bg, bg->width / 2, middle);
    if (centre[3] != 255) return kPlainDictLook;
    DictLook look = kPlainDictLook;
    look.ground = ColourOf(centre);
    for (int32_t x = 0; x < bg->width / 2; ++x) {
        const uint8_t* px = Pixel(bg, x, middle);
        if (px[3] >= 160) {
            look.frame = ColourOf(px);
            break;
        }
    }
    look.text = COLORREF(t.candidateColour) & 0xFFFFFF;
    look.link = COLORREF(t.codeColour) & 0xFFFFFF;
    return look;
}

int32_t DictWrapWidth(int32_t dpi) {
    return ScaleForDpi(kDictMaxWidth - 2 * kDictMargin - kEditSlack, dpi);
}

SIZE DictWindowSize(SIZE extent, int32_t dpi) {
    const LONG width = extent.cx + ScaleForDpi(2 * kDictMargin + kEditSlack, dpi);
    const LONG height = extent.cy + ScaleForDpi(kDictMargin + kDictLinkBand + kEditSlack, dpi);
    return SIZE{
        std::clamp<LONG>(width, ScaleForDpi(kDictMinWidth, dpi), ScaleForDpi(kDictMaxWidth, dpi)),
        std::clamp<LONG>(height, ScaleForDpi(kDictMinHeight, dpi),
                         ScaleForDpi(kDictMaxHeight, dpi))};
}
