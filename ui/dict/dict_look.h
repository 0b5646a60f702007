// How the dictionary window looks: its colours taken from the active skin and a size that
// fits its text, both for the display's DPI. Pure code.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/skin/skin_description.h"

struct DictLook {
    COLORREF ground;  // window and text background
    COLORREF frame;   // one-pixel frame and resize grip
    COLORREF text;
    COLORREF link;
};

// The look without a skin picture: white, grey frame, black text, blue link.
constexpr DictLook kPlainDictLook{0xFFFFFF, 0xA0A0A0, 0x000000, 0xFF0000};

// The skin's look: the ground from the middle of its candidate picture, the frame from the
// first opaque pixel of the picture's middle row, the candidate colour for the text and the
// code colour for the link. Without a picture (or an opaque middle) the plain look.
DictLook DictLookOfSkin(const SkinTextStyle& text, const SkinImage* background);

// Metrics at 96 DPI: the text's margin on every side, the link band under it and the limits
// of the window's size.
constexpr int32_t kDictMargin = 8;
constexpr int32_t kDictLinkBand = 30;
constexpr int32_t kDictMinWidth = 130, kDictMaxWidth = 260;
constexpr int32_t kDictMinHeight = 70, kDictMaxHeight = 400;
// Font heights (pixels at 96 DPI) of the text and the link.
constexpr int32_t kDictTextPixels = 15;
constexpr int32_t kDictLinkPixels = 13;

// The width text is wrapped to: the widest window less its margins.
int32_t DictWrapWidth(int32_t dpi);
// The window's size for text measured (wrapped at DictWrapWidth) as extent, kept within the
// limits.
SIZE DictWindowSize(SIZE extent, int32_t dpi);
