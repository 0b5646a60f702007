#include "engine/code_ranges.h"

#include <cstring>

namespace CodeTable {
namespace {

// First position in [lo, hi) whose entry fails pred; a damaged entry counts as failing.
template <typename Pred>
int32_t Partition(const TableView& v, int32_t lo, int32_t hi, Pred pred) {
    while (lo < hi) {
        int32_t mid = lo + (hi - lo) / 2;
        const uint8_t* e = v.EntryAt(mid);
        if (e && pred(EntryCode(e)))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// The search window: the prefix-index cells of a main table, else the whole array.
PositionRange Window(const MappedFile* table, const TableView& v, const uint8_t* key, bool* exact) {
    *exact = false;
    if (v.kind == kTableKindMain && key[0] >= 1 && key[1] < 128 && IsPrefixKeyByte(key[1])) {
        int bytes = key[0] >= 2 ? 2 : 1;
        if (bytes == 2 && !IsPrefixKeyByte(key[2])) bytes = 1;
        PositionRange r = PrefixBounds(table, key, bytes);
        if (r.end < r.first) r.end = r.first;
        *exact = bytes == key[0];
        return r;
    }
    return {0, v.count};
}

bool Less(const uint8_t* code, const uint8_t* key) { return CompareLengthPrefixed(code, key) < 0; }

PositionRange Range(const MappedFile* table, const uint8_t* key, bool prefix) {
    TableView v = MakeTableView(table);
    if (!v.valid() || !key || key[0] == 0 || v.count == 0) return {0, 0};
    bool exact = false;
    PositionRange w = Window(table, v, key, &exact);
    if (prefix && exact) return w;
    int32_t first = Partition(v, w.first, w.end, [&](const uint8_t* c) { return Less(c, key); });
    int32_t end;
    if (prefix)
        end = Partition(v, first, w.end, [&](const uint8_t* c) { return CodeStartsWith(c, key); });
    else
        end = Partition(v, first, w.end,
                        [&](const uint8_t* c) { return CompareLengthPrefixed(c, key) == 0; });
    return {first, end};
}

}  // namespace

PositionRange GetCodeRange(const MappedFile* table, const uint8_t* key) {
    return Range(table, key, false);
}

PositionRange GetPrefixRange(const MappedFile* table, const uint8_t* key) {
    return Range(table, key, true);
}

PositionRange GetPrefixRangeFrom(const MappedFile* table, const uint8_t* key, int n) {
    if (!key || n <= 0) return {0, 0};
    if (n > key[0]) n = key[0];
    uint8_t head[256];
    head[0] = static_cast<uint8_t>(n);
    std::memcpy(head + 1, key + 1, n);
    return Range(table, head, true);
}

}  // namespace CodeTable
