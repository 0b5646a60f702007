// The dictionary window's text: which text of a candidate is looked up, and what dict.dms
// gives for it. Pure code over the engine's page and the mapped table.
#pragma once
#include <cstdint>

#include "core/record/engine.h"

constexpr int kDictKeyUnits = 128;   // 127 characters and the NUL
constexpr int kDictTextUnits = 512;  // 511 characters and the NUL
// Looked up when a key holds nothing but digits and signs.
inline constexpr wchar_t kDictFallbackKey[] = L"赞拓输入法";

// True for a command text: it starts with "run(", "help(", "set(", "convert(", "skbd(" or
// "config(", or holds "keyboard(" or "newkey(".
bool IsDictCommandText(const wchar_t* text, uint32_t length);

// The page row showing the engine candidate, -1 when none does.
int64_t DictPageRow(const Engine* engine, int64_t candidateIndex);

// The lookup key of a page row: its commit text when it has one that is not a command, else
// its display text; at most 127 characters, never half a pair. Empty for a bad row.
void DictLookupKey(const Engine* engine, int64_t row, wchar_t (&key)[kDictKeyUnits]);

// What the window shows for key: the short explanation (the first value of the key, up to
// its first "\r\n \r\n"), looked up as it is, then with every character of code 0-64, 91-96
// and 123-254 taken out (kDictFallbackKey when nothing is left); the key itself when
// neither is in the table. True when the table had an entry.
bool DictExplanation(const MappedFile* dictTable, const wchar_t* key,
                     wchar_t (&text)[kDictTextUnits]);
