// In-place maintenance of a mapped code table: sort, prefix index, append, delete and
// category removal. Every edit keeps the offset array pointing at whole entries of a heap
// packed from heap start to the end of the file.
//
// Writers that change entries refuse a private memory copy (the edit would be lost) and
// return 0; Sort and RebuildPrefixIndex only restore order and index, so they also tidy a
// memory copy. Growth goes through MappedFile::Resize, which moves the view: pointers into a
// table are invalid after any call that may grow it.
#pragma once
#include <cstdint>

#include "core/base/mapped_file.h"
#include "core/table/code_table.h"

namespace CodeTable {

// Sorts the offset array and flushes the view. Main tables: code by cmp (null:
// CompareLengthPrefixed), then word bytewise; list tables: text only; key/value tables: key
// only. Entries that compare equal keep their order. 0 when the table is missing or an
// offset does not point at a whole entry (the array is then left as it was).
int Sort(MappedFile* table, CodeComparator cmp = nullptr);

// Recomputes the whole prefix index with cmp (null: CompareLengthPrefixed). List and
// key/value tables get an all-zero index. 0 when the table is missing.
int RebuildPrefixIndex(MappedFile* table, CodeComparator cmp = nullptr);

// Stores a copy of entry (flags, code length, code, word length, word; both lengths 1-255;
// it may point into the same table) and adds its offset at the end of the offset array.
// The caller sorts and rebuilds the index afterwards. 1 on success; 0 when the table is
// missing, a memory copy, not a code table (list, key/value and the slotted temporary-word
// tables are refused), damaged, or cannot be grown. After 0 check
// table->view: when a failed growth could not be undone the table is left empty and must
// be treated as closed.
int AppendEntry(MappedFile* table, const uint8_t* entry);

// Removes the entry at position for good, closing its hole in the heap; the order of the
// offset array stays. The caller rebuilds the index afterwards. 0 for a missing table, a
// memory copy, the slotted temporary-word table, a position outside [0, count) or a damaged
// entry.
int DeleteEntry(MappedFile* table, int32_t position);

// Removes every entry whose class (low five bits) has its bit set in classMask, then sorts
// with cmp and rebuilds the index. The file size never changes. 0 when the table is missing,
// a memory copy, not a main code table, damaged, or the work file "_zantor.tempdmg" in %TEMP%
// cannot be created (nothing changed then).
int RemoveCategories(MappedFile* table, uint32_t classMask, CodeComparator cmp = nullptr);

// Growth used by AppendEntry; tests replace it to simulate a failing file system. Null
// restores MappedFile::Resize.
using ResizeFunction = int32_t (*)(MappedFile*, int64_t);
void SetResizeFunctionForTesting(ResizeFunction fn);

// Grows the table's file to newSize through resize (MappedFile::Resize when null). A growth
// that fails after the old view is gone is undone where possible: the file is mapped again
// and cut back to its old length, so that no stray bytes stay behind the heap to read as
// entries. Returns the new size, or 0 (the table may then be unmapped).
int32_t GrowTableFile(MappedFile* table, int64_t newSize, ResizeFunction resize);

}  // namespace CodeTable

struct Engine;

constexpr int kCategoryCounters = 64;
// Adds one to counters[class] (flags bits 24-29) for every entry of a main table. Returns
// the number of entries counted; damaged entries are skipped.
int32_t CountEntriesByCategory(const MappedFile* table, int32_t counters[kCategoryCounters]);
// The same over the engine's main table; 0 without an engine or table.
int32_t CountEntriesByCategory(const Engine* engine, int32_t counters[kCategoryCounters]);

// Name of RemoveCategories' work file in %TEMP%.
constexpr const wchar_t* kCategoryWorkFileName = L"_zantor.tempdmg";
