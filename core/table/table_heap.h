// Checked reading of a table's heap for the code-table writers.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstring>

#include "core/base/mapped_file.h"
#include "core/table/table_format.h"

// Header numbers of a table that a writer may trust.
struct TableLayout {
    uint8_t* view = nullptr;
    uint32_t fileSize = 0;
    uint32_t heapStart = 0;
    uint32_t kind = 0;
    int32_t count = 0;

    uint32_t ArrayEnd() const { return kOffsetArrayStart + 4u * static_cast<uint32_t>(count); }
    uint32_t OffsetAt(int32_t pos) const { return LoadU32(view + kOffsetArrayStart + 4u * pos); }
    void SetOffsetAt(int32_t pos, uint32_t off) {
        StoreU32(view + kOffsetArrayStart + 4u * pos, off);
    }
};

// Reads heap start, count and kind and checks them against the view: count >= 0, the offset
// array ends at or before heap start, heap start at or before the end of the file. False
// for a missing view or a damaged header.
bool ReadTableLayout(const MappedFile* table, TableLayout* out);

inline bool IsCodeTableKind(uint32_t kind) {
    return kind != kTableKindKeyValue && (kind & 0xF) != kTableKindList;
}

// Tables whose heap the writers may repack: not the temporary-word table, whose entries
// live in fixed slots.
inline bool IsPackedKind(uint32_t kind) { return kind != kTableKindTemp; }

// Size of the entry of the given kind at off when it lies wholly inside [off, end) and its
// lengths are sound; else 0.
uint32_t HeapEntrySize(const uint8_t* view, uint32_t end, uint32_t off, uint32_t kind);

// Size of the entry an offset points at, when it lies wholly inside the heap; else 0.
inline uint32_t EntrySizeAt(const TableLayout& t, uint32_t off) {
    if (off < t.heapStart || off >= t.fileSize) return 0;
    return HeapEntrySize(t.view, t.fileSize, off, t.kind);
}

// Writes a new header count or heap start.
inline void StoreCount(uint8_t* view, int32_t count) { std::memcpy(view + 4, &count, 4); }
inline void StoreHeapStart(uint8_t* view, uint32_t heap) { StoreU32(view + 0, heap); }

// Around a rewrite of live entries: readers in other processes see an empty table from the
// hide on, and the new count only after every byte it makes reachable.
inline void HideEntries(uint8_t* view) {
    StoreCount(view, 0);
    std::atomic_thread_fence(std::memory_order_seq_cst);
}
inline void ShowEntries(uint8_t* view, int32_t count) {
    std::atomic_thread_fence(std::memory_order_seq_cst);
    StoreCount(view, count);
}
