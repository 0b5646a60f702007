// The 13 symbol layouts of the soft keyboard, in the order of the layout menu.
#pragma once
#include <cstdint>

constexpr int kSoftKeyboardLayoutCount = 13;

// The two labels of a key: `lower` drawn at the bottom right, `upper` at the top right;
// 0 for none.
struct SoftKeyLabel {
    wchar_t lower;
    wchar_t upper;
};

// The label of key (0-57) in layout (1-13); both 0 for other keys and layouts.
SoftKeyLabel SoftKeyLabelOf(uint32_t layout, int key);
// The character layout (1-13) gives the key that types virtualKey: its upper label when
// shifted, else its lower one; 0 when no key of the picture types it or the label is empty.
wchar_t SoftKeyboardCharOf(uint32_t layout, uint32_t virtualKey, bool shifted);
