// Bounded conversions between UTF-16 and the UTF-8 used inside tables.
#pragma once
#include <cstdint>

// Full count of UTF-8 bytes; writes what fits in capacity and NUL-terminates when room is
// left. Stops at NUL or after unitLimit units. -1 on a high surrogate without its low half.
// A null destination only counts.
int Utf16ToUtf8(const wchar_t* src, int unitLimit, char* dst, int capacity);
// Unit count written; stops at NUL or after byteCount bytes; a pair only when both units
// fit; NUL-terminates when room is left. -1 on an invalid lead byte.
int Utf8ToUtf16(const char* src, int byteCount, wchar_t* dst, int capacity);
// Length byte + UTF-8 to UTF-16: at most 250 units decoded, NUL-terminated. Returns units.
int DecodeLengthPrefixedUtf8(const uint8_t* src, wchar_t* dst, int capacity);
// UTF-16 to length byte + UTF-8: at most 250 units; 0 when the result exceeds 250 bytes,
// does not fit the capacity, or the text has a broken surrogate. Returns the total bytes
// (length byte included); a null destination only counts.
int EncodeLengthPrefixedUtf8(const wchar_t* src, uint8_t* dst, int capacity);
// Characters (a pair counts once) up to NUL or unitLimit; -1 on a broken pair.
int Utf16CharCount(const wchar_t* text, int unitLimit);

constexpr int kMaxLengthPrefixedBytes = 250;

// ---- UTF-16 surrogates ----

constexpr bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
constexpr bool IsSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }
// Code point of a high and a low half.
constexpr uint32_t CodePointOfPair(uint32_t high, uint32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}
// The halves of a code point from U+10000 to U+10FFFF.
constexpr wchar_t HighSurrogateOf(uint32_t cp) {
    return static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
}
constexpr wchar_t LowSurrogateOf(uint32_t cp) {
    return static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
}
// Units of the character at text[0], of which unitsLeft (at least 1) may be read: 2 for a
// whole pair, else 1. Text that ends in NUL may pass 2 anywhere.
constexpr int CharUnitsAt(const wchar_t* text, int unitsLeft) {
    return unitsLeft > 1 && IsHighSurrogate(text[0]) && IsLowSurrogate(text[1]) ? 2 : 1;
}
// The first units of text, one less when they would end on a high half.
constexpr int UnitsWithoutCutPair(const wchar_t* text, int units) {
    return units > 0 && IsHighSurrogate(text[units - 1]) ? units - 1 : units;
}
