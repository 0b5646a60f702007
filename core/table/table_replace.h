// Whole-table writes on a live mapped table: replacing its entries by those of another table
// in place, and emptying it. Input methods in other processes read the same mapping without a
// lock, so each write first shows them an empty table (count 0), then changes heap start,
// index, offsets and heap, and stores the new count last; a reader never sees a count that
// reaches entries not yet written.
#pragma once
#include <cstdint>

#include "core/base/mapped_file.h"

enum class TableWriteResult : int32_t {
    kDone = 0,
    kNoTable,      // no target, or its view is too short for a table header
    kNotWritable,  // the target is a private memory copy: the change would be lost
    kBadSource,    // the new table's header, offsets or entries do not hold
    kGrowFailed,   // the target could not be grown (nothing was changed)
    kWrongSize,    // temp.dmg shorter than its 512 slots
};

// Copies the entries of fresh (a sorted table with its index) into target in place: the new
// heap ends at the end of target and every offset is moved by the size difference, so a
// target never shrinks; one shorter than fresh is grown first. Kind, GUID, version and the
// other header fields of target stay. The new table is checked whole before anything of
// target is touched.
TableWriteResult ReplaceTableInPlace(MappedFile* target, const MappedFile* fresh);

// Empties a code or list table: count 0, heap start at the end of the file, index zeroed.
TableWriteResult ClearTableInPlace(MappedFile* table);

// Empties the temporary-word table: count 0 and the 512 slots in their first order. Refuses
// a view shorter than the slots.
TableWriteResult ClearTempTableInPlace(MappedFile* table);
