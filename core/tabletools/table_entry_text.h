// Table entries made from their text form: a code part with tags and a word.
#pragma once
#include <cstdint>

// (code text, out, capacity) -> bytes written with the length byte, 0 when the code cannot be
// stored whole. The contract of EncodeLengthPrefixedUtf8.
using CodeEncoder = int (*)(const wchar_t* code, uint8_t* out, int capacity);

// Room for an entry record: flags, two length bytes and at most 250 bytes each.
constexpr int kEntryTextBytes = 4 + 2 * (1 + 250);

namespace TableEntry {

// Builds a TableEntry record (flags, code length, code, word length, word) from a code part
// and a word. The tags behind the code are searched in this order, each cutting the code
// part at its '#' in place: "#序" n (order, taken as u16), "#类" n (class n + 15 for n 1-16,
// 16 for n <= 0, 31 above 16), "#用" (class 2), "#次" (class 3), "#辅" (class 4), "#固"
// (pinned), "#删" (deleted). The code goes through encoder (null: keypad characters
// U+FF0A-U+FF19 as the bytes 0x0A-0x19, then UTF-8), the word as UTF-8; each must be 1 to
// 250 bytes, measured whole. Returns the record (free() it), or null when there is none.
uint8_t* FromText(wchar_t* codePart, const wchar_t* word, CodeEncoder encoder);

}  // namespace TableEntry
