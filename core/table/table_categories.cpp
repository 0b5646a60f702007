// Removing and counting the entries of classes of a main code table.
#include <windows.h>

#include <cstring>

#include "core/record/engine.h"
#include "core/table/table_edit.h"
#include "core/table/table_heap.h"

namespace {

// The table's whole heap walks as entries from heap start to the end of the file, one for
// each offset.
bool HeapIsWhole(const TableLayout& t) {
    int32_t entries = 0;
    for (uint32_t off = t.heapStart; off < t.fileSize; ++entries) {
        uint32_t s = HeapEntrySize(t.view, t.fileSize, off, t.kind);
        if (!s) return false;
        off += s;
    }
    return entries == t.count;
}

// The work file lives only while the operation runs.
struct WorkFile {
    wchar_t path[kPathChars] = {};
    MappedFile* file = nullptr;
    ~WorkFile() {
        MappedFile::Close(file);
        if (path[0]) DeleteFileW(path);
    }
};

}  // namespace

namespace CodeTable {

int RemoveCategories(MappedFile* table, uint32_t classMask, CodeComparator cmp) {
    if (!table || table->IsMemoryCopy()) return 0;
    TableLayout t;
    if (!ReadTableLayout(table, &t) || !IsCodeTableKind(t.kind) || !IsPackedKind(t.kind) ||
        !HeapIsWhole(t))
        return 0;

    WorkFile work;
    if (MakeTempFilePath(kCategoryWorkFileName, work.path) <= 0) return 0;
    if (MappedFile::Create(&work.file, work.path, t.fileSize) <= 0) return 0;
    uint8_t* tmp = work.file->view;
    std::memcpy(tmp, t.view, FreshHeapStart(0));
    StoreCount(tmp, 0);

    // Survivors are packed from heap start in heap order, their offsets recorded in order.
    int32_t kept = 0;
    uint32_t next = t.heapStart;
    for (uint32_t off = t.heapStart; off < t.fileSize;) {
        uint32_t s = HeapEntrySize(t.view, t.fileSize, off, t.kind);
        uint32_t cls = (LoadU32(t.view + off) >> kClassShift) & 0x1F;
        if (!(classMask & (1u << cls))) {
            std::memcpy(tmp + next, t.view + off, s);
            StoreU32(tmp + kOffsetArrayStart + 4u * kept, next);
            ++kept;
            next += s;
        }
        off += s;
    }

    if (kept == t.count) return 1;
    const uint32_t keptBytes = next - t.heapStart;
    const uint32_t newHeap = t.fileSize - keptBytes;
    HideEntries(t.view);
    std::memcpy(t.view + newHeap, tmp + t.heapStart, keptBytes);
    for (int32_t i = 0; i < kept; ++i) {
        uint32_t off = LoadU32(tmp + kOffsetArrayStart + 4u * i);
        t.SetOffsetAt(i, off - t.heapStart + newHeap);
    }
    StoreHeapStart(t.view, newHeap);
    ShowEntries(t.view, kept);
    if (kept == 0) {
        // An empty table has an all-zero index.
        RebuildPrefixIndex(table, cmp);
        MappedFile::Flush(table);
        return 1;
    }
    Sort(table, cmp);
    RebuildPrefixIndex(table, cmp);
    return 1;
}

}  // namespace CodeTable

int32_t CountEntriesByCategory(const MappedFile* table, int32_t counters[kCategoryCounters]) {
    if (!counters) return 0;
    TableView v = MakeTableView(table);
    if (!v.valid() || !IsCodeTableKind(v.kind)) return 0;
    int32_t counted = 0;
    for (int32_t i = 0; i < v.count; ++i) {
        const uint8_t* e = v.EntryAt(i);
        if (!e) continue;
        ++counters[EntryClassOf(LoadU32(e))];
        ++counted;
    }
    return counted;
}

int32_t CountEntriesByCategory(const Engine* engine, int32_t counters[kCategoryCounters]) {
    return engine ? CountEntriesByCategory(engine->mainTable, counters) : 0;
}
