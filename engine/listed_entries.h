// Checking kept entry pointers against a table as it is now: the table may have been
// remapped or compacted (by this process or another) since the pointers were taken.
#pragma once
#include <cstdint>

#include "core/base/mapped_file.h"

// listed[i] becomes true when entries[i] points at the start of a whole entry that the
// table's offset array lists; null pointers and pointers outside the view stay false.
// Returns how many are listed; 0 (all false) when the table or a buffer is missing or the
// work space cannot be allocated.
int64_t MarkListedEntries(const MappedFile* table, const uint8_t* const* entries, int64_t count,
                          bool* listed);
// The same for one pointer.
bool IsListedEntry(const MappedFile* table, const uint8_t* entry);
