#include "core/table/table_format.h"

#include <windows.h>

TableView MakeTableView(const MappedFile* table) {
    TableView v;
    if (!table || !table->view || table->size < static_cast<int32_t>(kOffsetArrayStart)) return v;
    v.base = table->view;
    v.size = static_cast<uint32_t>(table->size);
    const auto* h = reinterpret_cast<const TableFileHeader*>(table->view);
    v.kind = LoadU32(&h->kind);
    uint32_t heap = LoadU32(&h->heapStart);
    int32_t count = LoadI32(&h->count);
    if (heap > v.size) heap = v.size;
    if (heap < kOffsetArrayStart) heap = kOffsetArrayStart;
    if (count < 0) count = 0;
    // The offset array lies between the header and the heap.
    uint32_t room = (heap - kOffsetArrayStart) / 4;
    if (static_cast<uint32_t>(count) > room) count = static_cast<int32_t>(room);
    v.count = count;
    v.heapStart = heap;
    return v;
}

const uint8_t* TableView::EntryAtOffset(uint32_t off) const {
    // An entry is never inside the header or the offset array.
    if (off < kOffsetArrayStart + 4u * static_cast<uint32_t>(count) || off >= size) return nullptr;
    const uint8_t* e = base + off;
    uint32_t left = size - off;
    if (kind == kTableKindKeyValue) {
        if (left < 6) return nullptr;
        uint32_t l = LoadU32(e);
        uint32_t keyLen = e[4];
        if (l < keyLen + 3 || l > left - 4) return nullptr;
        // Key and value must both be NUL-terminated inside the entry.
        if (e[5 + keyLen] != 0 || e[4 + l - 1] != 0) return nullptr;
        return e;
    }
    if ((kind & 0xF) == kTableKindList) {
        if (left < 5 || ListEntrySize(e) > left) return nullptr;
        return e;
    }
    if (left < 6) return nullptr;
    uint32_t codeLen = e[4];
    if (5u + codeLen >= left) return nullptr;
    if (6u + codeLen + e[5 + codeLen] > left) return nullptr;
    return e;
}

const uint8_t* TableView::EntryAt(int32_t pos) const {
    if (!base || pos < 0 || pos >= count) return nullptr;
    return EntryAtOffset(OffsetAt(pos));
}

int32_t TableView::IndexCell(int a, int b) const {
    if (!base || a < 0 || a >= kPrefixIndexDim || b < 0 || b >= kPrefixIndexDim) return 0;
    const auto* h = reinterpret_cast<const TableFileHeader*>(base);
    int32_t v = LoadI32(&h->prefixIndex[a][b]);
    if (v < 0) return 0;
    return v > count ? count : v;
}

namespace {

void Raise(uint8_t* view, int32_t size, bool layout) {
    if (!view || size < static_cast<int32_t>(kOffsetArrayStart)) return;
    auto* h = reinterpret_cast<TableFileHeader*>(view);
    // Aligned in every view (mappings and copies start on a page or heap boundary).
    if (layout) InterlockedIncrement(reinterpret_cast<volatile LONG*>(&h->layoutCount));
    InterlockedIncrement(reinterpret_cast<volatile LONG*>(&h->changeCount));
}

uint32_t Count(const MappedFile* table, const uint32_t TableFileHeader::*field) {
    if (!table || !table->view || table->size < static_cast<int32_t>(kOffsetArrayStart)) return 0;
    const auto* h = reinterpret_cast<const TableFileHeader*>(table->view);
    return *static_cast<const volatile uint32_t*>(&(h->*field));
}

}  // namespace

void NoteTableChange(uint8_t* view, int32_t size) { Raise(view, size, true); }

void NoteOrderChange(MappedFile* table) {
    if (table) Raise(table->view, table->size, false);
}

void NoteTableChange(MappedFile* table) {
    if (table) NoteTableChange(table->view, table->size);
}

uint32_t TableChangeCount(const MappedFile* table) {
    return Count(table, &TableFileHeader::changeCount);
}

uint32_t TableLayoutCount(const MappedFile* table) {
    return Count(table, &TableFileHeader::layoutCount);
}
