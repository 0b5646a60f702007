// Text forms of key-function masks and key combinations.
#pragma once
#include <cstdint>
#include <string_view>

#include "core/settings/key_functions.h"

// Virtual key in bits 0-7 plus modifier bits; -1 means no key.
using KeyCombination = int64_t;

namespace keycombo {
constexpr KeyCombination kNone = -1;
constexpr KeyCombination kKeyMask = 0xFF;
constexpr KeyCombination kShift = 0x100;
constexpr KeyCombination kAlt = 0x200;
constexpr KeyCombination kCtrl = 0x400;
constexpr KeyCombination kLeftShift = 0x1100;
constexpr KeyCombination kLeftAlt = 0x2200;
constexpr KeyCombination kLeftCtrl = 0x4400;
constexpr KeyCombination kRightShift = 0x10100;
constexpr KeyCombination kRightAlt = 0x20200;
constexpr KeyCombination kRightCtrl = 0x40400;
}  // namespace keycombo

constexpr int kMaxKeyNameLength = 11;
constexpr int kMaxKeyFunctionText = 256;
constexpr int kMaxKeyCombinationText = 64;

// Names indexed by virtual key; an empty name means the key has none. One-character names
// 0x0A-0x19 are the keypad keys, written as U+FF0A-U+FF19.
struct KeyNameTable {
    wchar_t names[256][kMaxKeyNameLength + 1];
    constexpr const wchar_t* operator[](int vk) const { return names[vk & 0xFF]; }
};
extern const KeyNameTable plainKeyNames;
extern const KeyNameTable shiftedKeyNames;

// The returned texts live in one buffer per function that the next call overwrites.
const wchar_t* FormatKeyFunctionNames(KeyFunctionMask mask);
KeyFunctionMask ParseKeyFunctionNames(std::wstring_view text);
KeyFunctionMask ParseKeyFunctionNames(const wchar_t* text);

// Keys without a name of their own are written "键VK" and two hex digits; key 0 and -1
// give an empty text.
const wchar_t* FormatKeyCombination(KeyCombination code);
KeyCombination ParseKeyCombination(std::wstring_view text);
KeyCombination ParseKeyCombination(const wchar_t* text);

// A single key of the plain or shifted per-key table (chosen by the Shift bit).
bool IsNamedKey(KeyCombination code);
// A parsed code worth storing: not -1 and with a virtual key.
constexpr bool IsStorableKeyCombination(KeyCombination code) {
    return code >= 0 && (code & keycombo::kKeyMask) != 0;
}
