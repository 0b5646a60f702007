// Appending and deleting single entries of a main code table.
#include "core/table/table_edit.h"

#include <cstring>

#include "core/table/table_heap.h"

namespace CodeTable {
namespace {

ResizeFunction g_resize = nullptr;

// Largest TableEntry: flags, two length bytes and two texts of 255 bytes.
constexpr uint32_t kMaxEntryBytes = 6 + 255 + 255;

int32_t Grow(MappedFile* table, int64_t newSize) {
    return CodeTable::GrowTableFile(table, newSize, g_resize);
}

bool CheckedRecord(const uint8_t* entry, uint32_t* size) {
    if (!entry) return false;
    uint32_t codeLen = entry[4];
    if (codeLen == 0) return false;
    uint32_t wordLen = entry[5 + codeLen];
    if (wordLen == 0) return false;
    *size = 6 + codeLen + wordLen;
    return true;
}

// Position of the offset that points at off, searched from both ends at once; -1 if none.
int32_t FindOffset(const TableLayout& t, uint32_t off) {
    for (int32_t lo = 0, hi = t.count - 1; lo <= hi; ++lo, --hi) {
        if (t.OffsetAt(lo) == off) return lo;
        if (t.OffsetAt(hi) == off) return hi;
    }
    return -1;
}

}  // namespace

void SetResizeFunctionForTesting(ResizeFunction fn) { g_resize = fn; }

int32_t GrowTableFile(MappedFile* table, int64_t newSize, ResizeFunction resize) {
    const int32_t oldSize = table->size;
    int32_t r = (resize ? resize : MappedFile::Resize)(table, newSize);
    if (r > 0) return r;
    if (!table->view && MappedFile::Reopen(table) > 0 && table->IsMapped() &&
        table->size != oldSize)
        MappedFile::Resize(table, oldSize);
    return 0;
}

int AppendEntry(MappedFile* table, const uint8_t* entry) {
    if (!table || table->IsMemoryCopy()) return 0;
    TableLayout t;
    if (!ReadTableLayout(table, &t) || !IsCodeTableKind(t.kind) || !IsPackedKind(t.kind)) return 0;
    uint32_t s = 0;
    if (!CheckedRecord(entry, &s)) return 0;
    // The record may lie inside this view, which a growth unmaps.
    uint8_t record[kMaxEntryBytes];
    std::memcpy(record, entry, s);

    const int32_t n = t.count;
    const uint32_t h = t.heapStart;
    const uint32_t f = t.fileSize;
    const int64_t gap = static_cast<int64_t>(h) - (kOffsetArrayStart + 4ll * (n + 1));
    uint32_t newOffset;

    if (static_cast<int64_t>(s) + 4 < gap) {
        // Room below the heap: the entry becomes the new lowest one.
        newOffset = h - s;
        std::memcpy(t.view + newOffset, record, s);
        StoreHeapStart(t.view, newOffset);
    } else if (gap < 5 && h < f) {
        // The new offset slot reaches the lowest entry: move that entry to the end of the
        // file and store the new one behind it.
        int32_t lowest = FindOffset(t, h);
        uint32_t lowSize = lowest < 0 ? 0 : EntrySizeAt(t, h);
        if (!lowSize) return 0;
        if (Grow(table, static_cast<int64_t>(f) + lowSize + s) <= 0) return 0;
        if (!ReadTableLayout(table, &t)) return 0;
        std::memcpy(t.view + f, t.view + h, lowSize);
        std::memcpy(t.view + f + lowSize, record, s);
        t.SetOffsetAt(lowest, f);
        StoreHeapStart(t.view, h + lowSize);
        newOffset = f + lowSize;
    } else {
        // Grow by the entry alone. An empty heap starts where the entry goes, clear of the
        // new offset slot.
        uint32_t at = f;
        if (h == f) {
            uint32_t slotEnd = kOffsetArrayStart + 4u * static_cast<uint32_t>(n + 1);
            if (at < slotEnd) at = slotEnd;
        }
        if (Grow(table, static_cast<int64_t>(at) + s) <= 0) return 0;
        if (!ReadTableLayout(table, &t)) return 0;
        std::memcpy(t.view + at, record, s);
        if (h == f) StoreHeapStart(t.view, at);
        newOffset = at;
    }
    t.SetOffsetAt(n, newOffset);
    StoreCount(t.view, n + 1);
    NoteTableChange(table);
    return 1;
}

int DeleteEntry(MappedFile* table, int32_t position) {
    if (!table || table->IsMemoryCopy()) return 0;
    TableLayout t;
    if (!ReadTableLayout(table, &t) || !IsPackedKind(t.kind)) return 0;
    if (position < 0 || position >= t.count) return 0;
    const uint32_t o = t.OffsetAt(position);
    const uint32_t s = EntrySizeAt(t, o);
    if (!s) return 0;
    const uint32_t h = t.heapStart;
    // Every offset below o must lie in the heap, or the shift would aim it at garbage.
    for (int32_t i = 0; i < t.count; ++i) {
        uint32_t off = t.OffsetAt(i);
        if (off < h) return 0;
    }
    const int32_t count = t.count;
    HideEntries(t.view);
    std::memmove(t.view + h + s, t.view + h, o - h);
    for (int32_t i = 0; i < count; ++i) {
        uint32_t off = t.OffsetAt(i);
        if (off < o) t.SetOffsetAt(i, off + s);
    }
    std::memmove(t.view + kOffsetArrayStart + 4u * position,
                 t.view + kOffsetArrayStart + 4u * (position + 1),
                 4u * static_cast<uint32_t>(count - position - 1));
    t.SetOffsetAt(count - 1, 0);
    StoreHeapStart(t.view, h + s);
    ShowEntries(t.view, count - 1);
    NoteTableChange(table);
    return 1;
}

}  // namespace CodeTable
