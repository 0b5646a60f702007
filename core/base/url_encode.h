// Percent-encoding of text for addresses handed to a browser or the shell.
#pragma once

constexpr int kUrlEncodeChars = 512;

// Units below 0x80 are copied as they are (spaces and reserved characters included); every
// other character is written as its UTF-8 bytes, each "%XX" (a surrogate pair is one
// character; a lone surrogate is written as U+FFFD). A character whose escapes do not all
// fit before the last unit is left out with everything after it. Always NUL-terminated;
// returns the units written.
int UrlEncodeText(const wchar_t* text, wchar_t* out, int capacity);
inline int UrlEncodeText(const wchar_t* text, wchar_t (&out)[kUrlEncodeChars]) {
    return UrlEncodeText(text, out, kUrlEncodeChars);
}
