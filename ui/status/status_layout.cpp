#include "ui/status/status_layout.h"

#include <cstring>

#include "engine/ui_command.h"

namespace {

constexpr uint32_t kStateInputDisabled = 0x8;  // the keyboard is disabled for the document

struct ButtonOfSkin {
    SkinPoint StatusBarLayout::*position;
    int sizingSlot;
    int64_t id;
};

constexpr ButtonOfSkin kButtons[kStatusButtons] = {
    {&StatusBarLayout::modeButton, kSlotChineseMode, statusid::kMode},
    {&StatusBarLayout::logo, kSlotLogo, statusid::kLogo},
    {&StatusBarLayout::widthButton, kSlotFullWidth, statusid::kWidth},
    {&StatusBarLayout::punctuationButton, kSlotChinesePunct, statusid::kPunctuation},
    {&StatusBarLayout::softKeyboardButton, kSlotSoftKeyboard2, statusid::kSoftKeyboard},
    {&StatusBarLayout::scriptButton, kSlotSimplified, statusid::kScript},
    {&StatusBarLayout::menuButton, kSlotMenu, statusid::kMenu},
    {&StatusBarLayout::extension1Button, kSlotExtension1, statusid::kExtension1},
    {&StatusBarLayout::extension2Button, kSlotExtension2, statusid::kExtension2},
};

bool TableOpen(const MappedFile* f) { return f && f->view; }

}  // namespace

void LayoutStatusRegions(const SkinDescription& skin, const SkinImageSet& images,
                         SkinRegion (&regions)[kSkinRegionCount]) {
    for (SkinRegion& r : regions) {
        std::memset(&r, 0, sizeof r);
        r.x = r.y = -1;
        r.state = kRegionHidden;
    }
    for (int i = 0; i < kStatusButtons; ++i) {
        const ButtonOfSkin& b = kButtons[i];
        const SkinPoint at = skin.statusBar.*b.position;
        const SkinImage* picture = images.images[b.sizingSlot];
        SkinRegion& r = regions[i];
        r.id = b.id;
        r.x = at.x;
        r.y = at.y;
        r.flags = kRegionPicture;
        if (picture && SkinPointShown(at)) {
            r.width = picture->width;
            r.height = picture->height;
            r.state = kRegionNormal;
        }
    }
}

POINT PlaceStatusBar(WindowPoint stored, int32_t corner, int32_t w, int32_t h, const RECT& wa) {
    LONG x = stored.x, y = stored.y;
    if (x < 0 || y < 0) {
        // Measured from the work area's own left and top: a taskbar at the left or top, or a
        // second monitor, moves the corners with it.
        const LONG left = wa.left, right = wa.right - w,
                   middle = wa.left + (wa.right - wa.left - w) / 2;
        const LONG top = wa.top, bottom = wa.bottom - h;
        switch (corner) {
            case 1:
                x = left, y = top;
                break;
            case 2:
                x = middle, y = top;
                break;
            case 3:
                x = right, y = top;
                break;
            case 4:
                x = left, y = bottom;
                break;
            case 5:
                x = middle, y = bottom;
                break;
            default:
                x = right, y = bottom;
                break;
        }
    }
    if (x < wa.left) x = wa.left;
    if (y < wa.top) y = wa.top;
    if (x + w > wa.right) x = wa.right - w;
    if (y + h > wa.bottom) y = wa.bottom - h;
    return POINT{x, y};
}

StatusClick StatusButtonClick(const Engine* e, int64_t id) {
    const uint32_t state = e ? e->state : 0;
    auto command = [](uint32_t code) { return StatusClick{StatusClickKind::kCommand, code}; };
    switch (id) {
        case statusid::kWidth:
            return command((state & kStateFullWidthOutput) ? uicmd::kHalfWidth : uicmd::kFullWidth);
        case statusid::kPunctuation:
            return command((state & kStateEnglishPunct) ? uicmd::kChinesePunct
                                                        : uicmd::kEnglishPunct);
        case statusid::kMenu:
            return StatusClick{StatusClickKind::kFunctionMenu, 0};
        case statusid::kSoftKeyboard:
            return command(uicmd::kSoftKeyboard);
        case statusid::kMode:
            if (state & kStateInputDisabled) break;
            return command((state & (kStateEnglishMode | kStateImeClosed)) ? uicmd::kChineseInput
                                                                           : uicmd::kEnglishInput);
        case statusid::kScript:
            if (e && TableOpen(e->traditionalTable)) return command(uicmd::kTraditionalToggle);
            if (e && TableOpen(e->simplifiedTable)) return command(uicmd::kSimplifiedToggle);
            break;
        default:
            break;
    }
    return StatusClick{StatusClickKind::kNothing, 0};
}
