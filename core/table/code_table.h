// Searches over a mapped code table. Positions are 0-based indexes into the offset array;
// searches return position + 1 when found and -(insertion position) when not.
#pragma once
#include <cstdint>

#include "core/base/mapped_file.h"
#include "core/table/table_format.h"

// a and b point at a length byte followed by that many bytes.
int CompareLengthPrefixed(const uint8_t* a, const uint8_t* b);
// a and b point at a code length byte followed by code, word length byte and word.
int CompareCodeAndWord(const uint8_t* a, const uint8_t* b);

using CodeComparator = int (*)(const uint8_t* entryCode, const uint8_t* key);

struct PositionRange {
    int32_t first;
    int32_t end;
};

// Matches of CodeTable::FindByKey: pointers into the view, earliest stored first.
struct KeyMatchList {
    int32_t count;
    int32_t capacity;
    const uint8_t** entries;
};
void FreeKeyMatchList(KeyMatchList* list);

namespace CodeTable {

// key is a code-and-word record (code length byte, code, word length byte, word). -1 when
// the view is missing or the table's kind has no words (list and key/value tables).
int64_t FindEntry(const MappedFile* table, const uint8_t* key,
                  CodeComparator cmp = CompareCodeAndWord);
// code is length-prefixed; the comparator sees each entry's code only.
int64_t FindCode(const MappedFile* table, const uint8_t* code,
                 CodeComparator cmp = CompareLengthPrefixed, PositionRange bounds = {0, INT32_MAX});
// Entries of a key/value table whose key equals text; 0 and no list when none.
int32_t FindByKey(const MappedFile* table, const wchar_t* text, KeyMatchList** out);

// Prefix-index bounds for one or two leading code bytes; the whole table for codes
// that start outside the key bytes.
PositionRange PrefixBounds(const MappedFile* table, const uint8_t* code, int bytes);

}  // namespace CodeTable

// Code of a word from a word-construction rule (u16 terms ending with 0) and danzi.dmi.
// out holds 128 units. 1 on a non-empty code, 0 otherwise.
int EncodeWordByRules(const MappedFile* keyValueTable, const uint16_t* rule, const wchar_t* word,
                      wchar_t* out);
constexpr int kRuleCodeUnits = 128;
