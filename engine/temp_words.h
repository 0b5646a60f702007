// The temporary-word table temp.dmg: 512 fixed slots, the first `count` offsets sorted by
// code then word, the free slots listed behind them; an entry's order is its age rank
// (0 the oldest).
#pragma once
#include <cstdint>

#include "core/base/mapped_file.h"
#include "core/table/code_table.h"

// Largest entry the table takes: 6 + code length + word length.
constexpr int kMaxTempEntryBytes = 250;

namespace CodeTable {

// Stores entry (flags, code, word) in a free slot with the next age rank, or over the oldest
// entry when all 512 are used; keeps the top flag byte, clears bits 16-23, sorts the used
// offsets with cmp (null: CompareLengthPrefixed) then word, and flushes. 1 inserted;
// 0 refused: an entry above 250 bytes or with an empty code or word, or a table that is
// missing, a private copy or damaged (nothing is changed then).
int InsertTemp(MappedFile* table, const uint8_t* entry, CodeComparator cmp = nullptr);

// Frees the slot at position (0-based among the used ones): the offsets behind close up,
// the freed slot is zeroed and goes right behind them, and younger entries lose one age rank. 1
// done; 0 for a position outside [0, count) or a missing, private or damaged table.
int RemoveAt(MappedFile* table, int32_t position);

}  // namespace CodeTable
