#include "ui/softkbd/soft_keyboard_paint.h"

#include "ui/image/gdi_handles.h"
#include "ui/image/skin_region.h"
#include "ui/softkbd/soft_keyboard_keys.h"
#include "ui/softkbd/soft_keyboard_layouts.h"

namespace {

constexpr COLORREF kShadow = 0x535353;
constexpr COLORREF kLight = 0xC8FFFF;
constexpr COLORREF kLatchShadow = 0x7B7B7B;
constexpr COLORREF kLabelColour = 30;

void Frame(HDC dc, int key, COLORREF first, COLORREF second) {
    RECT r;
    if (SoftKeyRectOf(key, &r)) DrawFrame(dc, r, first, second);
}

void DrawLabels(HDC dc, uint32_t layout) {
    zan::UniqueFont font(
        CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Calibri"));
    HGDIOBJ old = font ? SelectObject(dc, font.get()) : nullptr;
    SetTextColor(dc, kLabelColour);
    SetBkMode(dc, TRANSPARENT);
    for (int key = 0; key < kSoftKeyLabels; ++key) {
        const SoftKeyLabel label = SoftKeyLabelOf(layout, key);
        RECT r;
        if (!SoftKeyRectOf(key, &r)) continue;
        r.right -= 1;
        r.bottom -= 1;
        if (label.upper) {
            wchar_t text[2] = {label.upper, 0};
            DrawTextW(dc, text, 1, &r, DT_NOPREFIX | DT_SINGLELINE | DT_RIGHT);
        }
        if (label.lower) {
            wchar_t text[2] = {label.lower, 0};
            DrawTextW(dc, text, 1, &r, DT_NOPREFIX | DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
        }
    }
    if (old) SelectObject(dc, old);
}

}  // namespace

void PaintSoftKeyboard(HDC dc, HBITMAP picture, uint32_t layout, const SoftKeyboardGesture& g) {
    const RECT all{0, 0, kSoftKeyboardWidth, kSoftKeyboardHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (picture) {
        zan::MemoryDC source(dc);
        if (source.get()) {
            HGDIOBJ old = SelectObject(source.get(), picture);
            BitBlt(dc, 0, 0, kSoftKeyboardWidth, kSoftKeyboardHeight, source.get(), 0, 0, SRCCOPY);
            SelectObject(source.get(), old);
        }
    }
    if (g.shiftLatch) Frame(dc, kSoftKeyShift, kLatchShadow, kLight);
    DrawLabels(dc, layout);
    if (g.hover >= 0 && g.hover != kSoftKeyShift) Frame(dc, g.hover, kLight, kShadow);
    if (g.hover == kSoftKeyShift && !g.shiftLatch) Frame(dc, kSoftKeyShift, kLight, kShadow);
    if (g.pressed >= 0) Frame(dc, g.pressed, kShadow, kLight);
}
