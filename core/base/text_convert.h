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
