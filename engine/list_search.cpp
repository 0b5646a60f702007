#include "engine/list_search.h"

#include <cstring>

#include "core/table/table_format.h"

namespace {

// A key with room for the appended "#" and the bound byte.
struct KeyBuffer {
    uint8_t bytes[1 + kListKeyBytes + 2];
};

// First position in [0, count) whose text is not below probe. Texts outside the view
// count as above every probe; the matches are checked one by one afterwards.
int32_t LowerBound(const TableView& v, const uint8_t* probe) {
    int32_t lo = 0, hi = v.count;
    while (lo < hi) {
        int32_t mid = lo + (hi - lo) / 2;
        const uint8_t* e = v.EntryAt(mid);
        if (e && CompareLengthPrefixed(e + 4, probe) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

bool CopyKey(const uint8_t* key, KeyBuffer* out) {
    if (!key || key[0] > kListKeyBytes) return false;
    std::memcpy(out->bytes, key, 1u + key[0]);
    return true;
}

}  // namespace

uint32_t MatchListEntry(const uint8_t* key, const uint8_t* text, uint32_t flags) {
    if (!key || !text) return 0;
    const unsigned keyLen = key[0], textLen = text[0];
    if (textLen < keyLen) return 0;
    if (textLen == keyLen && !(flags & kListSearchExact)) return 0;
    if (std::memcmp(key + 1, text + 1, keyLen) != 0) return 0;
    if (!(flags & kListSearchWeightByLength)) return 1;
    const int weight = 250 - static_cast<int>(textLen - keyLen);
    return weight < 1 ? 1u : static_cast<uint32_t>(weight);
}

PositionRange FindListRange(const MappedFile* table, const uint8_t* key) {
    TableView v = MakeTableView(table);
    if (!v.valid() || (v.kind & 0xF) != kTableKindList || !key || key[0] > kListKeyBytes + 1)
        return {0, 0};
    // Every text that starts with key lies between key itself and key + 0xFE (a byte no
    // UTF-8 text holds).
    KeyBuffer upper;
    std::memcpy(upper.bytes, key, 1u + key[0]);
    upper.bytes[1 + key[0]] = 0xFE;
    upper.bytes[0] = static_cast<uint8_t>(key[0] + 1);
    int32_t first = LowerBound(v, key);
    int32_t end = LowerBound(v, upper.bytes);
    if (end < first) end = first;
    return {first, end};
}

int32_t ForEachListMatch(const MappedFile* table, const uint8_t* key, uint32_t flags,
                         ListMatchSink sink, void* context) {
    if (!sink) return 0;
    PositionRange r = FindListRange(table, key);
    TableView v = MakeTableView(table);
    int32_t handed = 0;
    for (int32_t pos = r.first; pos < r.end; ++pos) {
        const uint8_t* e = v.EntryAt(pos);
        if (!e) continue;
        uint32_t weight = MatchListEntry(key, e + 4, flags);
        if (!weight) continue;
        if (!sink(context, e, weight)) break;
        ++handed;
    }
    return handed;
}

int32_t SearchListKey(const MappedFile* table, const uint8_t* searchKey, uint32_t flags,
                      ListMatchSink sink, void* context) {
    KeyBuffer key;
    if (!CopyKey(searchKey, &key) || key.bytes[0] == 0) return 0;
    const unsigned len = key.bytes[0];
    if (flags & kListSearchAppendHash) {
        key.bytes[1 + len] = '#';
        key.bytes[0] = static_cast<uint8_t>(len + 1);
        return ForEachListMatch(table, key.bytes, flags, sink, context);
    }
    if (flags & kListSearchEnglish) {
        KeyBuffer upper = key;
        bool differs = false;
        for (unsigned i = 1; i <= len; ++i) {
            uint8_t& lo = key.bytes[i];
            uint8_t& up = upper.bytes[i];
            if (lo >= 'A' && lo <= 'Z') lo = static_cast<uint8_t>(lo + 32);
            if (up >= 'a' && up <= 'z') up = static_cast<uint8_t>(up - 32);
            differs = differs || lo != up;
        }
        int32_t n = ForEachListMatch(table, key.bytes, flags, sink, context);
        // A key without letters reads the same in both cases: one search only.
        if (differs) n += ForEachListMatch(table, upper.bytes, flags, sink, context);
        return n;
    }
    return ForEachListMatch(table, key.bytes, flags, sink, context);
}
