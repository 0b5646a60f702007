#include "ui/softkbd/soft_keyboard_keys.h"

#include "ui/skin/skin_scale.h"

// The table below is also read by the build's picture script: one key a line, as
// "{index, {left, top, right, bottom}},".
// clang-format off
const SoftKeyRect kSoftKeyRects[kSoftKeyCount + 2] = {
    {0, {3, 22, 30, 49}},
    {1, {32, 22, 59, 49}},
    {2, {61, 22, 88, 49}},
    {3, {90, 22, 117, 49}},
    {4, {119, 22, 146, 49}},
    {5, {148, 22, 175, 49}},
    {6, {177, 22, 204, 49}},
    {7, {206, 22, 233, 49}},
    {8, {235, 22, 262, 49}},
    {9, {264, 22, 291, 49}},
    {10, {293, 22, 320, 49}},
    {11, {322, 22, 349, 49}},
    {12, {351, 22, 378, 49}},
    {13, {380, 22, 435, 49}},
    {14, {3, 51, 44, 78}},
    {15, {46, 51, 73, 78}},
    {16, {75, 51, 102, 78}},
    {17, {104, 51, 131, 78}},
    {18, {133, 51, 160, 78}},
    {19, {161, 51, 189, 78}},
    {20, {191, 51, 218, 78}},
    {21, {220, 51, 247, 78}},
    {22, {249, 51, 276, 78}},
    {23, {277, 51, 305, 78}},
    {24, {307, 51, 334, 78}},
    {25, {336, 51, 363, 78}},
    {26, {365, 51, 393, 78}},
    {27, {394, 51, 435, 78}},
    {28, {3, 80, 58, 107}},
    {29, {60, 80, 87, 107}},
    {30, {89, 80, 116, 107}},
    {31, {118, 80, 145, 107}},
    {32, {146, 80, 174, 107}},
    {33, {175, 80, 203, 107}},
    {34, {205, 80, 232, 107}},
    {35, {234, 80, 261, 107}},
    {36, {262, 80, 290, 107}},
    {37, {291, 80, 319, 107}},
    {38, {321, 80, 348, 107}},
    {39, {349, 80, 377, 107}},
    {40, {380, 80, 435, 107}},
    {41, {3, 109, 72, 136}},
    {42, {73, 109, 101, 136}},
    {43, {103, 109, 130, 136}},
    {44, {132, 109, 159, 136}},
    {45, {161, 109, 187, 136}},
    {46, {190, 109, 216, 136}},
    {47, {219, 109, 246, 136}},
    {48, {248, 109, 275, 136}},
    {49, {277, 109, 304, 136}},
    {50, {306, 109, 333, 136}},
    {51, {335, 109, 362, 136}},
    {52, {3, 138, 30, 165}},
    {53, {32, 138, 59, 165}},
    {54, {61, 138, 88, 165}},
    {55, {91, 138, 258, 165}},
    {56, {261, 138, 288, 165}},
    {57, {290, 138, 317, 165}},
    {58, {319, 138, 346, 165}},
    {59, {348, 138, 375, 165}},
    {90, {2, 2, 20, 19}},
    {91, {413, 2, 432, 19}},
};
// clang-format on

namespace {

const uint8_t kVirtualKeys[kSoftKeyCount] = {
    VK_OEM_3,
    '1',
    '2',
    '3',
    '4',
    '5',
    '6',
    '7',
    '8',
    '9',
    '0',
    VK_OEM_MINUS,
    VK_OEM_PLUS,
    VK_BACK,
    VK_TAB,
    'Q',
    'W',
    'E',
    'R',
    'T',
    'Y',
    'U',
    'I',
    'O',
    'P',
    VK_OEM_4,
    VK_OEM_6,
    VK_OEM_5,
    VK_CAPITAL,
    'A',
    'S',
    'D',
    'F',
    'G',
    'H',
    'J',
    'K',
    'L',
    VK_OEM_1,
    VK_OEM_7,
    VK_RETURN,
    VK_LSHIFT,
    'Z',
    'X',
    'C',
    'V',
    'B',
    'N',
    'M',
    VK_OEM_COMMA,
    VK_OEM_PERIOD,
    VK_OEM_2,
    0,
    VK_ESCAPE,
    0,
    VK_SPACE,
    0,
    VK_INSERT,
    VK_DELETE,
    0,
};

bool Inactive(int index) { return index == 52 || index == 54 || index == 56 || index == 59; }

bool Inside(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

}  // namespace

int SoftKeyboardHitTest(POINT p) {
    if (p.x < 0 || p.y < 0 || p.x >= kSoftKeyboardWidth || p.y >= kSoftKeyboardHeight)
        return kSoftKeyOutside;
    for (const SoftKeyRect& k : kSoftKeyRects)
        if (Inside(k.rect, p)) return Inactive(k.index) ? kSoftKeyNone : k.index;
    return kSoftKeyNone;
}

bool SoftKeyInactiveAt(POINT p) {
    for (const SoftKeyRect& k : kSoftKeyRects)
        if (Inactive(k.index) && Inside(k.rect, p)) return true;
    return false;
}

bool SoftKeyRectOf(int index, RECT* out) {
    for (const SoftKeyRect& k : kSoftKeyRects)
        if (k.index == index) {
            if (out) *out = k.rect;
            return true;
        }
    return false;
}

uint8_t SoftKeyVirtualKey(int index) {
    return index >= 0 && index < kSoftKeyCount ? kVirtualKeys[index] : 0;
}

SIZE SoftKeyboardSize(int32_t dpi) {
    return SIZE{ScaleForDpi(kSoftKeyboardWidth, dpi), ScaleForDpi(kSoftKeyboardHeight, dpi)};
}

RECT ScaleSoftKeyRect(const RECT& r, int32_t dpi) {
    return RECT{ScaleForDpi(r.left, dpi), ScaleForDpi(r.top, dpi), ScaleForDpi(r.right, dpi),
                ScaleForDpi(r.bottom, dpi)};
}

POINT UnscaleSoftKeyPoint(POINT p, int32_t dpi) {
    dpi = UsableDpi(dpi);
    // The table pixel u whose scaled span [ScaleForDpi(u), ScaleForDpi(u + 1)) holds v, so
    // that a point in a scaled rectangle is in the rectangle.
    auto back = [dpi](LONG v) {
        if (v < 0) return LONG(-1);
        const int64_t twice = 2 * int64_t(dpi);
        return LONG(((2 * int64_t(v) + 1) * kBaseDpi + twice - 1) / twice - 1);
    };
    return POINT{back(p.x), back(p.y)};
}

const wchar_t* SoftKeyName(int index) {
    switch (index) {
        case 13:
            return L"Back";
        case 14:
            return L"Tab";
        case 28:
            return L"Caps";
        case 40:
            return L"Enter";
        case kSoftKeyShift:
            return L"Shift";
        case 52:
        case 59:
            return L"Ctrl";
        case 53:
            return L"Esc";
        case 54:
        case 56:
            return L"Alt";
        case 57:
            return L"Ins";
        case 58:
            return L"Del";
        default:
            return nullptr;
    }
}
