// Decoding of the length-prefixed codes and words of table entries for text output.
#pragma once
#include <cstdint>

// Units a decoded code or word can need: 255 bytes give at most 255 units.
constexpr int kDecodedTextUnits = 256;

// (length-prefixed bytes, out, capacity in units) -> units written, NUL-terminated.
using CodeDecoder = int (*)(const uint8_t* code, wchar_t* out, int capacity);

// UTF-8 of all the bytes behind the length byte into out, NUL-terminated. A byte that starts
// no valid UTF-8 sequence (or is NUL) becomes U+FFFD. With keypadForms, the bytes 0x0A-0x19
// become the full-width U+FF0A-U+FF19 they stand for. Stops early only when out is full.
int DecodeTableBytes(const uint8_t* lengthPrefixed, wchar_t* out, int capacity, bool keypadForms);

// Default code decoder of the exporter: keypad bytes as full-width characters.
int DecodeTableCode(const uint8_t* code, wchar_t* out, int capacity);
// Word decoder: plain UTF-8.
int DecodeTableWord(const uint8_t* word, wchar_t* out, int capacity);
