#include "ui/softkbd/soft_keyboard_paint.h"

#include "ui/image/gdi_handles.h"
#include "ui/image/skin_region.h"
#include "ui/skin/skin_scale.h"
#include "ui/softkbd/soft_keyboard_keys.h"
#include "ui/softkbd/soft_keyboard_layouts.h"

namespace {

constexpr COLORREF kShadow = 0x535353;
constexpr COLORREF kLight = 0xC8FFFF;
constexpr COLORREF kLatchShadow = 0x7B7B7B;
constexpr COLORREF kLabelColour = 0x3B291E;  // the candidate window's text
constexpr COLORREF kNameColour = 0x695547;   // its index numbers
constexpr wchar_t kLabelFace[] = L"Microsoft YaHei";
// Pixels at 96 DPI: label and name heights, and the room kept from a key's edge.
constexpr int32_t kLabelPixels = 13;
constexpr int32_t kNamePixels = 11;
constexpr int32_t kLabelInset = 3;

HFONT LabelFont(int32_t pixels, int32_t dpi) {
    return CreateFontW(-ScaleForDpi(pixels, dpi), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0,
                       0, CLEARTYPE_QUALITY, 0, kLabelFace);
}

bool KeyRect(int key, int32_t dpi, RECT* out) {
    RECT r;
    if (!SoftKeyRectOf(key, &r)) return false;
    *out = ScaleSoftKeyRect(r, dpi);
    return true;
}

void Frame(HDC dc, int key, COLORREF first, COLORREF second, int32_t dpi) {
    RECT r;
    if (KeyRect(key, dpi, &r)) DrawFrame(dc, r, first, second);
}

void DrawText1(HDC dc, wchar_t c, RECT* r, UINT format) {
    wchar_t text[2] = {c, 0};
    DrawTextW(dc, text, 1, r, DT_NOPREFIX | DT_SINGLELINE | format);
}

// The layout's two characters of a key: the shifted one at the top left, the other at the
// bottom right, both clear of the key's edge.
void DrawLabels(HDC dc, uint32_t layout, int32_t dpi) {
    zan::UniqueFont font(LabelFont(kLabelPixels, dpi));
    zan::UniqueFont names(LabelFont(kNamePixels, dpi));
    SetBkMode(dc, TRANSPARENT);
    const int32_t inset = ScaleForDpi(kLabelInset, dpi);
    for (int key = 0; key < kSoftKeyCount; ++key) {
        RECT r;
        if (!KeyRect(key, dpi, &r)) continue;
        InflateRect(&r, -inset, -inset);
        const SoftKeyLabel label =
            key < kSoftKeyLabels ? SoftKeyLabelOf(layout, key) : SoftKeyLabel{};
        if (!label.upper && !label.lower) {
            if (const wchar_t* name = SoftKeyName(key)) {
                zan::SelectedObject keep(dc, names.get());
                SetTextColor(dc, kNameColour);
                DrawTextW(dc, name, -1, &r, DT_NOPREFIX | DT_SINGLELINE | DT_CENTER | DT_VCENTER);
            }
            continue;
        }
        zan::SelectedObject keep(dc, font.get());
        SetTextColor(dc, kLabelColour);
        if (label.upper) DrawText1(dc, label.upper, &r, DT_LEFT | DT_TOP);
        if (label.lower) DrawText1(dc, label.lower, &r, DT_RIGHT | DT_BOTTOM);
    }
}

}  // namespace

void PaintSoftKeyboard(HDC dc, HBITMAP picture, uint32_t layout, const SoftKeyboardGesture& g,
                       int32_t dpi) {
    const SIZE size = SoftKeyboardSize(dpi);
    const RECT all{0, 0, size.cx, size.cy};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (picture) {
        zan::MemoryDC source(dc);
        if (source.get()) {
            HGDIOBJ old = SelectObject(source.get(), picture);
            if (size.cx == kSoftKeyboardWidth && size.cy == kSoftKeyboardHeight) {
                BitBlt(dc, 0, 0, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
            } else {
                SetStretchBltMode(dc, HALFTONE);
                SetBrushOrgEx(dc, 0, 0, nullptr);
                StretchBlt(dc, 0, 0, size.cx, size.cy, source.get(), 0, 0, kSoftKeyboardWidth,
                           kSoftKeyboardHeight, SRCCOPY);
            }
            SelectObject(source.get(), old);
        }
    }
    if (g.shiftLatch) Frame(dc, kSoftKeyShift, kLatchShadow, kLight, dpi);
    DrawLabels(dc, layout, dpi);
    if (g.hover >= 0 && g.hover != kSoftKeyShift) Frame(dc, g.hover, kLight, kShadow, dpi);
    if (g.hover == kSoftKeyShift && !g.shiftLatch) Frame(dc, kSoftKeyShift, kLight, kShadow, dpi);
    if (g.pressed >= 0) Frame(dc, g.pressed, kShadow, kLight, dpi);
}
