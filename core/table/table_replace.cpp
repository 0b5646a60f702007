#include "core/table/table_replace.h"

#include <cstring>

#include "core/table/table_edit.h"
#include "core/table/table_format.h"
#include "core/table/table_heap.h"

namespace {

constexpr uint32_t kCountAt = offsetof(TableFileHeader, count);
constexpr uint32_t kHeapAt = offsetof(TableFileHeader, heapStart);
constexpr uint32_t kIndexAt = offsetof(TableFileHeader, prefixIndex);
constexpr uint32_t kIndexBytes = sizeof(TableFileHeader::prefixIndex);
// The header's first page: what a reader looks at before any entry.
constexpr SIZE_T kHeaderPage = 4096;

int32_t UsableSize(const MappedFile* f) { return f->IsMemoryCopy() ? f->size - 2 : f->size; }

// Readers see an empty table from here on; the store reaches the view before any other.
void HideAndFlush(MappedFile* t) {
    HideEntries(t->view);
    FlushViewOfFile(t->view, kHeaderPage);
}

// The new count goes in after every byte it makes reachable.
void ShowAndFlush(MappedFile* t, int32_t count) {
    ShowEntries(t->view, count);
    MappedFile::Flush(t);
}

// Every offset of the source points at a whole entry inside its heap.
bool SourceHolds(const MappedFile* fresh, int32_t* count, uint32_t* heapStart) {
    if (!fresh || !fresh->view || UsableSize(fresh) < static_cast<int32_t>(FreshHeapStart(0)))
        return false;
    const int32_t rawCount = LoadI32(fresh->view + kCountAt);
    const uint32_t rawHeap = LoadU32(fresh->view + kHeapAt);
    TableView v = MakeTableView(fresh);
    v.size = static_cast<uint32_t>(UsableSize(fresh));
    if (rawCount < 0 || rawHeap > v.size || v.count != rawCount || v.heapStart != rawHeap)
        return false;
    for (int32_t i = 0; i < v.count; ++i) {
        const uint32_t off = v.OffsetAt(i);
        if (off < v.heapStart || !v.EntryAtOffset(off)) return false;
    }
    *count = v.count;
    *heapStart = v.heapStart;
    return true;
}

}  // namespace

TableWriteResult ReplaceTableInPlace(MappedFile* target, const MappedFile* fresh) {
    if (!target || !target->view || target->size < static_cast<int32_t>(kOffsetArrayStart))
        return TableWriteResult::kNoTable;
    if (!target->IsMapped()) return TableWriteResult::kNotWritable;
    int32_t count = 0;
    uint32_t freshHeap = 0;
    if (!SourceHolds(fresh, &count, &freshHeap)) return TableWriteResult::kBadSource;
    const int32_t newSize = UsableSize(fresh);
    if (target->size < newSize) {
        if (CodeTable::GrowTableFile(target, newSize, nullptr) < newSize || !target->IsMapped())
            return TableWriteResult::kGrowFailed;
    }
    const uint32_t shift = static_cast<uint32_t>(target->size - newSize);
    uint8_t* dst = target->view;
    const uint8_t* src = fresh->view;

    HideAndFlush(target);
    StoreU32(dst + kHeapAt, freshHeap + shift);
    std::memcpy(dst + kIndexAt, src + kIndexAt, kIndexBytes);
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t at = kOffsetArrayStart + 4u * static_cast<uint32_t>(i);
        StoreU32(dst + at, LoadU32(src + at) + shift);
    }
    std::memcpy(dst + freshHeap + shift, src + freshHeap,
                static_cast<size_t>(static_cast<uint32_t>(newSize) - freshHeap));
    ShowAndFlush(target, count);
    return TableWriteResult::kDone;
}

TableWriteResult ClearTableInPlace(MappedFile* table) {
    if (!table || !table->view || table->size < static_cast<int32_t>(kOffsetArrayStart))
        return TableWriteResult::kNoTable;
    if (!table->IsMapped()) return TableWriteResult::kNotWritable;
    HideAndFlush(table);
    StoreU32(table->view + kHeapAt, static_cast<uint32_t>(table->size));
    std::memset(table->view + kIndexAt, 0, kIndexBytes);
    ShowAndFlush(table, 0);
    return TableWriteResult::kDone;
}

TableWriteResult ClearTempTableInPlace(MappedFile* table) {
    if (!table || !table->view) return TableWriteResult::kNoTable;
    if (table->size < kTempTableSize) return TableWriteResult::kWrongSize;
    if (!table->IsMapped()) return TableWriteResult::kNotWritable;
    HideAndFlush(table);
    for (int i = 0; i < kTempSlots; ++i)
        StoreU32(table->view + kOffsetArrayStart + 4u * static_cast<uint32_t>(i),
                 kTempHeapStart + static_cast<uint32_t>(kTempSlotSize * i));
    ShowAndFlush(table, 0);
    return TableWriteResult::kDone;
}
