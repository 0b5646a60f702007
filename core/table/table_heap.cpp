#include "core/table/table_heap.h"

bool ReadTableLayout(const MappedFile* table, TableLayout* out) {
    *out = TableLayout{};
    if (!table || !table->view || table->size < static_cast<int32_t>(kOffsetArrayStart))
        return false;
    TableLayout t;
    t.view = table->view;
    t.fileSize = static_cast<uint32_t>(table->size);
    t.heapStart = LoadU32(t.view + 0);
    t.count = LoadI32(t.view + 4);
    t.kind = LoadU32(t.view + 8);
    if (t.count < 0) return false;
    uint64_t arrayEnd = kOffsetArrayStart + 4ull * static_cast<uint64_t>(t.count);
    if (arrayEnd > t.heapStart || t.heapStart > t.fileSize) return false;
    *out = t;
    return true;
}

uint32_t HeapEntrySize(const uint8_t* view, uint32_t end, uint32_t off, uint32_t kind) {
    if (off >= end) return 0;
    const uint8_t* e = view + off;
    uint32_t left = end - off;
    if (kind == kTableKindKeyValue) {
        if (left < 6) return 0;
        uint32_t l = LoadU32(e);
        uint32_t keyLen = e[4];
        if (l < keyLen + 3 || l > left - 4) return 0;
        if (e[5 + keyLen] != 0 || e[4 + l - 1] != 0) return 0;
        return 4 + l;
    }
    if ((kind & 0xF) == kTableKindList) {
        if (left < 5 || e[4] == 0 || 5u + e[4] > left) return 0;
        return 5u + e[4];
    }
    if (left < 6) return 0;
    uint32_t codeLen = e[4];
    if (codeLen == 0 || 5u + codeLen >= left) return 0;
    uint32_t wordLen = e[5 + codeLen];
    if (wordLen == 0 || 6u + codeLen + wordLen > left) return 0;
    return 6u + codeLen + wordLen;
}
