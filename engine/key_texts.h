// Fixed texts of virtual keys, plain and shifted: what a key types or its "键" name.
#pragma once
#include <cstdint>

constexpr uint32_t kKeyTextShifted = 0x100;
constexpr uint32_t kMarkerKey = 0x07;

// The key's text in the plain layer, or in the shifted one when code has bit 0x100. Empty
// (never null) for keys without a text and for codes above 254 without that bit.
const wchar_t* GetKeyText(uint32_t code);
// Text of the marker key 0x07 in the layer of the current Shift state.
const wchar_t* GetMarkerKeyText();
