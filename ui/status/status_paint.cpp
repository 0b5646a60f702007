#include "ui/status/status_paint.h"

#include "ui/status/status_layout.h"
#include "ui/windows/ui_state_block.h"

namespace {

constexpr uint32_t kStateInputDisabled = 0x8;  // the keyboard is disabled for the document

bool TableOpen(const MappedFile* f) { return f && f->view; }

// Picture group of a button for the engine's state; -1 for none.
int GroupOf(const Engine* e, bool capsLock, int64_t id) {
    const uint32_t state = e->state;
    const uint32_t options = e->ime ? e->ime->options : 0;
    switch (id) {
        case statusid::kMode:
            if (state & (kStateInputDisabled | kStateImeClosed)) return kSlotEnglishMode;
            if (capsLock) return kSlotCapsLock;
            return (state & kStateEnglishMode) ? kSlotEnglishMode : kSlotChineseMode;
        case statusid::kWidth:
            return (state & kStateFullWidthOutput) ? kSlotFullWidth : kSlotHalfWidth;
        case statusid::kPunctuation:
            return (state & kStateEnglishPunct) ? kSlotEnglishPunct : kSlotChinesePunct;
        case statusid::kSoftKeyboard:
            return e->softKeyboardLayout ? kSlotSoftKeyboard2 : kSlotSoftKeyboard;
        case statusid::kScript:
            if (TableOpen(e->traditionalTable))
                return (options & kImeTraditionalOutput) ? kSlotTraditional : kSlotSimplified;
            if (TableOpen(e->simplifiedTable))
                return (options & kImeSimplifiedOutput) ? kSlotSimplified : kSlotTraditional;
            return -1;
        case statusid::kMenu:
            return kSlotMenu;
        case statusid::kExtension1:
            return kSlotExtension1;
        case statusid::kExtension2:
            return kSlotExtension2;
        default:
            return -1;
    }
}

}  // namespace

bool PaintStatusCanvas(const Engine* e, bool capsLock, int64_t hoverId, SkinCanvas* canvas) {
    if (!e || !e->uiState || !canvas) return false;
    const UIState* s = e->uiState;
    SkinImage* const* images = s->images.images;
    const SkinImage* bar = images[kSlotStatusBar];
    if (!CopyBackgroundPremultiplied(bar, canvas)) return false;
    for (int i = 0; i < kStatusButtons; ++i) {
        const SkinRegion& r = s->statusRegions[i];
        if (r.state == kRegionHidden || r.x < 0 || r.y < 0) continue;
        if (r.id == statusid::kLogo) {
            const SkinImage* hovered = images[kSlotLogo + 1];
            BlitImage(r.x, r.y, hoverId == statusid::kLogo && hovered ? hovered : images[kSlotLogo],
                      canvas);
            continue;
        }
        const int group = GroupOf(e, capsLock, r.id);
        if (group >= 0) PaintImageRegion(&r, &images[group], canvas);
    }
    StatusAlphaPass(bar, canvas);
    return true;
}
