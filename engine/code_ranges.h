// Position ranges of a sorted code table: entries whose code equals a key or starts with it.
#pragma once
#include <cstdint>

#include "core/table/code_table.h"

namespace CodeTable {

// key: length byte + code bytes. Each returns [first, end) of the sorted offset array;
// an empty range for a missing table or key.
PositionRange GetCodeRange(const MappedFile* table, const uint8_t* key);
PositionRange GetPrefixRange(const MappedFile* table, const uint8_t* key);
// Codes that start with the first n bytes of key.
PositionRange GetPrefixRangeFrom(const MappedFile* table, const uint8_t* key, int n);

}  // namespace CodeTable

// True when the length-prefixed code starts with the length-prefixed key.
inline bool CodeStartsWith(const uint8_t* code, const uint8_t* key) {
    if (code[0] < key[0]) return false;
    for (unsigned i = 1; i <= key[0]; ++i)
        if (code[i] != key[i]) return false;
    return true;
}
