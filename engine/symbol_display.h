// How key bytes are shown: the key-display records of the settings and the keypad forms.
#pragma once
#include <cstdint>

struct Engine;

// Display character of c through the key-display records (ImeConfigData.keyRoots).
wchar_t MapSymbolChar(const Engine* engine, wchar_t c);
// Key byte of a code character: below 128 unchanged, U+FF0A..U+FF19 as 0x0A..0x19, else 0.
uint8_t CharToKeyIndex(wchar_t c);

// Nesting depth of book-title marks: one for the whole module.
int& BookTitleDepth();
// Clears the toggle of every paired-symbol record and the book-title depth.
void ResetSymbolRecords(Engine* engine);
