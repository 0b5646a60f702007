#include "engine/listed_entries.h"

#include <algorithm>
#include <new>

#include "core/table/table_format.h"

namespace {

struct Wanted {
    uint32_t offset;
    int64_t index;
};

}  // namespace

int64_t MarkListedEntries(const MappedFile* table, const uint8_t* const* entries, int64_t count,
                          bool* listed) {
    if (!listed || count <= 0) return 0;
    std::fill(listed, listed + count, false);
    const TableView v = MakeTableView(table);
    if (!v.valid() || !entries) return 0;
    Wanted* wanted = new (std::nothrow) Wanted[count];
    if (!wanted) return 0;
    const uintptr_t base = reinterpret_cast<uintptr_t>(v.base);
    int64_t n = 0;
    for (int64_t i = 0; i < count; ++i) {
        const uintptr_t at = reinterpret_cast<uintptr_t>(entries[i]);
        if (!entries[i] || at < base || at - base >= v.size) continue;
        wanted[n++] = {static_cast<uint32_t>(at - base), i};
    }
    std::sort(wanted, wanted + n,
              [](const Wanted& a, const Wanted& b) { return a.offset < b.offset; });
    int64_t found = 0;
    for (int32_t pos = 0; n > 0 && pos < v.count; ++pos) {
        const uint32_t off = v.OffsetAt(pos);
        const Wanted* hit = std::lower_bound(
            wanted, wanted + n, off, [](const Wanted& w, uint32_t o) { return w.offset < o; });
        if (hit == wanted + n || hit->offset != off || !v.EntryAtOffset(off)) continue;
        for (; hit != wanted + n && hit->offset == off; ++hit) {
            if (!listed[hit->index]) ++found;
            listed[hit->index] = true;
        }
    }
    delete[] wanted;
    return found;
}

bool IsListedEntry(const MappedFile* table, const uint8_t* entry) {
    bool listed = false;
    return MarkListedEntries(table, &entry, 1, &listed) == 1;
}
