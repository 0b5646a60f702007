// Sorting the offset array and rebuilding the prefix index.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "core/table/table_edit.h"
#include "core/table/table_heap.h"

namespace CodeTable {
namespace {

// Entry comparison of the offset array's order for the table's kind.
struct EntryOrder {
    const uint8_t* view;
    uint32_t kind;
    CodeComparator cmp;

    bool operator()(uint32_t a, uint32_t b) const {
        const uint8_t* x = view + a;
        const uint8_t* y = view + b;
        // The code (list text, length-prefixed key) follows the first four bytes.
        int r = cmp(x + 4, y + 4);
        if (r != 0 || !IsCodeTableKind(kind)) return r < 0;
        return CompareLengthPrefixed(EntryWord(x), EntryWord(y)) < 0;
    }
};

// Position of the first entry whose code is not below code.
int32_t LowerBound(MappedFile* table, const TableView& v, const uint8_t* code, CodeComparator cmp) {
    int64_t r = FindCode(table, code, cmp);
    if (r <= 0) return static_cast<int32_t>(-r);
    int32_t pos = static_cast<int32_t>(r - 1);
    while (pos > 0) {
        const uint8_t* e = v.EntryAt(pos - 1);
        if (!e || cmp(EntryCode(e), code) != 0) break;
        --pos;
    }
    return pos;
}

}  // namespace

int Sort(MappedFile* table, CodeComparator cmp) {
    TableLayout t;
    if (!ReadTableLayout(table, &t)) return 0;
    if (t.count < 2) {
        MappedFile::Flush(table);
        return 1;
    }
    std::unique_ptr<uint32_t[]> offsets(new (std::nothrow) uint32_t[t.count]);
    if (!offsets) return 0;
    for (int32_t i = 0; i < t.count; ++i) {
        offsets[i] = t.OffsetAt(i);
        if (!EntrySizeAt(t, offsets[i])) return 0;
    }
    EntryOrder order{t.view, t.kind, cmp ? cmp : CompareLengthPrefixed};
    std::stable_sort(offsets.get(), offsets.get() + t.count, order);
    std::memcpy(t.view + kOffsetArrayStart, offsets.get(), 4u * static_cast<uint32_t>(t.count));
    NoteTableChange(table);
    MappedFile::Flush(table);
    return 1;
}

int RebuildPrefixIndex(MappedFile* table, CodeComparator cmp) {
    TableLayout t;
    if (!ReadTableLayout(table, &t)) return 0;
    std::unique_ptr<int32_t[]> cells(new (std::nothrow)
                                         int32_t[kPrefixIndexDim * kPrefixIndexDim]());
    if (!cells) return 0;
    if (IsCodeTableKind(t.kind) && t.count > 0) {
        if (!cmp) cmp = CompareLengthPrefixed;
        TableView v = MakeTableView(table);
        // 0xF0 sorts behind every byte of an ASCII or keypad code, so (a, 0xF0) falls
        // behind every code that starts with a.
        for (unsigned a = 0; a < kPrefixIndexDim; ++a) {
            if (!IsPrefixKeyByte(a)) continue;
            int32_t* row = &cells[a * kPrefixIndexDim];
            const uint8_t before[3] = {2, uint8_t(a - 1), 0xF0};
            const uint8_t after[3] = {2, uint8_t(a), 0xF0};
            row[0] = LowerBound(table, v, before, cmp);
            row[1] = LowerBound(table, v, after, cmp);
            for (unsigned b = 0; b + 1 < kPrefixIndexDim; ++b) {
                if (!IsPrefixKeyByte(b)) continue;
                const uint8_t first[4] = {3, uint8_t(a), uint8_t(b - 1), 0xF0};
                const uint8_t last[4] = {3, uint8_t(a), uint8_t(b), 0xF0};
                row[b] = LowerBound(table, v, first, cmp);
                row[b + 1] = LowerBound(table, v, last, cmp);
            }
        }
    }
    std::memcpy(t.view + offsetof(TableFileHeader, prefixIndex), cells.get(),
                sizeof(TableFileHeader::prefixIndex));
    NoteTableChange(table);
    return 1;
}

}  // namespace CodeTable
