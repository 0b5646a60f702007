// The soft keyboard's picture: key rectangles, their virtual keys and the hit test.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr int kSoftKeyboardWidth = 440;
constexpr int kSoftKeyboardHeight = 169;
constexpr int kSoftKeyboardBitmap = 131;

constexpr int kSoftKeyCount = 60;   // keys 0-59
constexpr int kSoftKeyLabels = 58;  // keys 0-57 carry labels
constexpr int kSoftKeyBackspace = 13;
constexpr int kSoftKeyShift = 41;
constexpr int kSoftKeyLayoutMenu = 90;
constexpr int kSoftKeyClose = 91;
constexpr int kSoftKeyNone = -1;      // inside the picture, on no key
constexpr int kSoftKeyOutside = -2;   // outside the picture
constexpr int kSoftKeyInactive = -3;  // pressed on an inactive key: no action, no drag

struct SoftKeyRect {
    int index;
    RECT rect;
};
// Every key in index order: 0-59, then the layout-menu and close buttons.
extern const SoftKeyRect kSoftKeyRects[kSoftKeyCount + 2];

// The key under a point of the window: its index, kSoftKeyNone for a point on no key or on an
// inactive key (the picture's Ctrl and Alt keys), kSoftKeyOutside outside the picture.
int SoftKeyboardHitTest(POINT point);
// True when the point lies on one of the inactive keys.
bool SoftKeyInactiveAt(POINT point);
// The rectangle of a key index (0-59, 90, 91); false for others.
bool SoftKeyRectOf(int index, RECT* out);
// The virtual key a key types, 0 for keys that type nothing.
uint8_t SoftKeyVirtualKey(int index);

// The picture's geometry on a display of dpi: the window's size, a rectangle of the table in
// window pixels, and a window point back in the table's (96 DPI) pixels.
SIZE SoftKeyboardSize(int32_t dpi);
RECT ScaleSoftKeyRect(const RECT& rect, int32_t dpi);
POINT UnscaleSoftKeyPoint(POINT point, int32_t dpi);

// The name drawn on a key that types no character (Tab, Shift, Enter ...); null for others.
const wchar_t* SoftKeyName(int index);
