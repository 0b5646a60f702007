// Edits of main-table entry flags from the candidate list: moves within a group of
// candidates, pin, table switch and delete.
#pragma once
#include <cstdint>

// One candidate as the edits see it: its entry's flags word (unaligned, inside main.dmg;
// null when the candidate has no main-table entry that may be written) and its weight.
struct EntrySlot {
    uint8_t* flags;
    uint32_t weight;
};

// Operation codes of the candidate menu.
enum EntryOperationCode : int {
    kEntryUp = 1,
    kEntryDown = 2,
    kEntryTop = 3,
    kEntryBottom = 4,
    kEntryPin = 5,
    kEntrySwitchTable = 6,
    kEntryDelete = 7,
    kEntryInfo = 8,
    kEntryWebLookup = 9,
};

// The bits that travel with the order when entries trade places: order and bits 16-19.
constexpr uint32_t kMovedBits = 0x000FFFFF;

// Applies operations 1..7 to slots[j]; moves act on the group of j: the run of neighbouring
// slots with flags, j's weight and j's pinned bit. Returns 1 when a flags word changed.
int ApplyEntryOperation(EntrySlot* slots, int64_t count, int64_t j, int operation);
