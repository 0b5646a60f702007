// What the dictionary window shows and where: the lookup key of a candidate, the text found in
// dict.dms or its fallbacks, the window's place beside the candidate window and the request
// of its link.
#pragma once
#include <windows.h>

#include <string>

#include "core/record/engine.h"

constexpr size_t kDictKeyChars = 127;
constexpr size_t kDictTextChars = 511;
constexpr wchar_t kDictFallbackKey[] = L"赞拓输入法";

// The key of candidate (an index into the engine's candidates): the page text of its row when
// the row's second (commit) text is empty or a command, else the second text; at most 127
// characters. Empty when the candidate is on no row of the page.
std::wstring DictLookupKey(const Engine* engine, int64_t candidate);

// The key without the characters 0-64, 91-96 and 123-254 (ASCII letters and everything from
// 255 up are kept).
std::wstring StripDictKey(const std::wstring& key);

// The short explanation of key: the first value found for the key, else for the stripped key,
// else (when nothing remains) for the fallback key; cut at the first "\r\n \r\n" and at 511
// characters. Not found: the key itself.
std::wstring DictionaryText(const MappedFile* dict, const std::wstring& key);

// The top-left of a window of size for a candidate window at `candidate` (screen) whose word
// starts at `word` (window pixels): beside or below it, or 5 pixels before it when there is
// no room after. Halves and fifths are measured across the work area from its own left and
// top edges. The window is then kept inside the work area where it fits.
POINT PlaceDictWindow(bool rows, const RECT& candidate, POINT word, const RECT& workArea,
                      SIZE size = SIZE{130, 160});

// Parameters that start the configuration program's dictionary on key; the word is quoted so
// that blanks arrive whole.
std::wstring DictLinkParameters(const wchar_t* guidText, const std::wstring& key);
