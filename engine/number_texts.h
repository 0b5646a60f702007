// Texts offered for a typed number: numerals, an RMB amount, dates, digit renderings.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int kNumberTextCount = 11;
constexpr int kNumberTextUnits = 256;  // per text, terminator included
// Built-in text entries hold at most this many UTF-8 bytes after their length byte.
constexpr int kNumberEntryMaxBytes = 255;

// Indexes into NumberTexts::text, in the order they are offered.
enum NumberTextIndex {
    kNumeralText,
    kAmountText,
    kChineseDateText,
    kArabicDateText,
    kLowerDigitsText,
    kCapitalDigitsText,
    kGroupedText,
    kCircledDigitsText,
    kRomanDigitsText,
    kParenthesisedDigitsText,
    kDottedDigitsText,
};

// An empty text is not offered.
struct NumberTexts {
    wchar_t text[kNumberTextCount][kNumberTextUnits];
};

// number: length ASCII digits and points. A text that would not fit its buffer is empty.
void ConvertNumber(const char* number, size_t length, NumberTexts* out);

// The ASCII skeleton of an integer of at most 12 digits (leading zeros included): digits,
// "s" "b" "q" "w" "y" for 十 百 千 万 亿, "l" for 零. False when it has more digits.
bool IntegerSkeleton(const char* digits, size_t length, char* out, size_t capacity);

// UTF-8 of text into a built-in entry {u32 flags, u8 length, bytes}: 1 when it fits
// kNumberEntryMaxBytes, 0 (entry emptied) when the text is empty or longer.
int FillNumberEntry(const wchar_t* text, uint8_t* entry, size_t entryBytes);
