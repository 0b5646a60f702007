// An engine record with a small status-bar skin: a 120 x 24 bar and 10 x 10 buttons whose
// normal pictures carry their slot number in the blue channel.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "ui/status/status_layout.h"
#include "ui/status/status_paint.h"
#include "ui/ui_engine_fixture.h"

namespace status_test {

class StatusSkin : public testing_support::UiEngine {
public:
    StatusSkin() {
        SkinImageSet& set = e->uiState->images;
        set.images[kSlotStatusBar] = Filled(120, 24, 0x10, 0x10, 0x10);
        StatusBarLayout& bar = e->uiState->skin.statusBar;
        bar = StatusBarLayout{};
        const struct {
            SkinPoint StatusBarLayout::*at;
            int x;
        } positions[] = {
            {&StatusBarLayout::logo, 2},
            {&StatusBarLayout::modeButton, 14},
            {&StatusBarLayout::punctuationButton, 26},
            {&StatusBarLayout::widthButton, 38},
            {&StatusBarLayout::softKeyboardButton, 50},
            {&StatusBarLayout::menuButton, 62},
            {&StatusBarLayout::scriptButton, 74},
            {&StatusBarLayout::extension1Button, -1},
            {&StatusBarLayout::extension2Button, 98},
        };
        for (const auto& p : positions) bar.*p.at = SkinPoint{p.x, 2};
        // Each group's normal picture in a colour of its own (blue channel = slot).
        for (int slot :
             {kSlotLogo, kSlotEnglishMode, kSlotChineseMode, kSlotCapsLock, kSlotEnglishPunct,
              kSlotChinesePunct, kSlotFullWidth, kSlotHalfWidth, kSlotSoftKeyboard2,
              kSlotSoftKeyboard, kSlotMenu, kSlotSimplified, kSlotTraditional, kSlotExtension1})
            set.images[slot] = Filled(10, 10, uint8_t(slot), 0x80, 0x40);
        set.images[kSlotLogo + 1] = Filled(10, 10, 0xEE, 0x80, 0x40);  // flag_1.png
        LayoutStatusRegions(e->uiState->skin, set, e->uiState->statusRegions);
    }
    static SkinImage* Filled(int w, int h, uint8_t b, uint8_t g, uint8_t r) {
        SkinImage* image = CreateSkinImage(w, h);
        for (int i = 0; i < w * h; ++i) {
            uint8_t* p = image->pixels + i * 4;
            p[0] = b, p[1] = g, p[2] = r, p[3] = 255;
        }
        return image;
    }
    // Blue channel of the painted canvas at the centre of the button at x.
    uint8_t BlueAt(int x, bool capsLock = false, int64_t hover = -1) {
        std::vector<uint8_t> pixels(120 * 24 * 4);
        SkinCanvas canvas{120, 24, pixels.data()};
        EXPECT_TRUE(PaintStatusCanvas(e, capsLock, hover, &canvas));
        return pixels[(7 * 120 + x + 5) * 4];
    }
};

}  // namespace status_test
