// Test-only check of the invariants every code-table edit must keep.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/base/mapped_file.h"
#include "core/table/code_table.h"

namespace testing_support {

// Checks a packed table (main code table, list table or key/value table):
// - heap start lies between the end of the offset array and the end of the file;
// - the heap is packed: whole entries from heap start to the end of the file, no gaps;
// - every offset points at one of those entries, and every entry has exactly one offset;
// - the offset array is sorted (code then word; text for list tables; key for key/value);
// - the prefix index equals a brute-force recomputation (all zero for list and key/value).
// codeCmp orders codes of main tables (null: CompareLengthPrefixed); indexCmp is the one the
// prefix index was built with (null: the same as codeCmp).
// Returns "" when everything holds, else a description of the first thing that broke.
std::string CheckTableInvariants(const uint8_t* view, size_t size, CodeComparator codeCmp = nullptr,
                                 CodeComparator indexCmp = nullptr);
std::string CheckTableInvariants(const MappedFile* table, CodeComparator codeCmp = nullptr,
                                 CodeComparator indexCmp = nullptr);
std::string CheckTableInvariants(const std::vector<uint8_t>& bytes,
                                 CodeComparator codeCmp = nullptr,
                                 CodeComparator indexCmp = nullptr);

}  // namespace testing_support
