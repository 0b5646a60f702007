#include "core/table/code_table.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "core/base/text_convert.h"

int CompareLengthPrefixed(const uint8_t* a, const uint8_t* b) {
    unsigned la = a[0], lb = b[0];
    int r = std::memcmp(a + 1, b + 1, la < lb ? la : lb);
    if (r) return r;
    return la == lb ? 0 : (la < lb ? -1 : 1);
}

int CompareCodeAndWord(const uint8_t* a, const uint8_t* b) {
    int r = CompareLengthPrefixed(a, b);
    if (r) return r;
    return CompareLengthPrefixed(a + 1 + a[0], b + 1 + b[0]);
}

void FreeKeyMatchList(KeyMatchList* list) {
    if (!list) return;
    std::free(list->entries);
    std::free(list);
}

namespace CodeTable {
namespace {

// Binary search over [lo, hi]; a damaged entry ends the search as not found.
int64_t Search(const TableView& v, int32_t lo, int32_t hi, const uint8_t* key, CodeComparator cmp) {
    int64_t insert = lo;
    while (lo <= hi) {
        int32_t mid = lo + (hi - lo) / 2;
        const uint8_t* e = v.EntryAt(mid);
        if (!e) return -insert;
        int r = cmp(EntryCode(e), key);
        if (r == 0) return static_cast<int64_t>(mid) + 1;
        if (r > 0) {
            hi = mid - 1;
            insert = mid;
        } else {
            lo = mid + 1;
            insert = static_cast<int64_t>(mid) + 1;
        }
    }
    return -insert;
}

}  // namespace

int64_t FindEntry(const MappedFile* table, const uint8_t* key, CodeComparator cmp) {
    TableView v = MakeTableView(table);
    // The comparator reads a word behind each code: a table whose entries have none is no
    // table to search this way.
    if (!v.valid() || !key || !v.HoldsCodeEntries()) return -1;
    if (v.count == 0) return 0;
    return Search(v, 0, v.count - 1, key, cmp ? cmp : CompareCodeAndWord);
}

int64_t FindCode(const MappedFile* table, const uint8_t* code, CodeComparator cmp,
                 PositionRange bounds) {
    TableView v = MakeTableView(table);
    if (!v.valid() || !code) return -1;
    if (v.count == 0) return 0;
    int32_t last = v.count - 1;
    int32_t lo = std::clamp<int32_t>(bounds.first, 0, last);
    int32_t hi = std::clamp<int32_t>(bounds.end > 0 ? bounds.end - 1 : 0, 0, last);
    return Search(v, lo, hi, code, cmp ? cmp : CompareLengthPrefixed);
}

PositionRange PrefixBounds(const MappedFile* table, const uint8_t* code, int bytes) {
    TableView v = MakeTableView(table);
    if (!v.valid()) return {0, 0};
    if (!code || code[0] == 0 || bytes <= 0) return {0, v.count};
    unsigned a = code[1];
    if (!IsPrefixKeyByte(a)) return {0, v.count};
    if (bytes == 1 || code[0] < 2) return {v.IndexCell(a, 0), v.IndexCell(a, 1)};
    unsigned b = code[2];
    if (!IsPrefixKeyByte(b)) return {v.IndexCell(a, 0), v.IndexCell(a, 1)};
    return {v.IndexCell(a, b), v.IndexCell(a, b + 1)};
}

namespace {
constexpr int kKeyBytes = 250;

// Key bytes of a key/value entry against a NUL-terminated key.
int CompareKey(const uint8_t* entry, const uint8_t* key) {
    return std::strcmp(reinterpret_cast<const char*>(KeyValueKey(entry)),
                       reinterpret_cast<const char*>(key));
}
}  // namespace

int32_t FindByKey(const MappedFile* table, const wchar_t* text, KeyMatchList** out) {
    if (!out) return 0;
    *out = nullptr;
    TableView v = MakeTableView(table);
    if (!v.valid() || !text || !text[0] || v.count == 0) return 0;
    uint8_t key[kKeyBytes + 1];
    int n = Utf16ToUtf8(text, kKeyBytes, reinterpret_cast<char*>(key), kKeyBytes);
    // A key that does not fit whole can never match.
    if (n <= 0 || n >= kKeyBytes || wcsnlen(text, kKeyBytes + 1) > kKeyBytes) return 0;
    key[n] = 0;
    if (v.kind != kTableKindKeyValue) return 0;

    int32_t lo = 0, hi = v.count - 1, hit = -1;
    while (lo <= hi) {
        int32_t mid = lo + (hi - lo) / 2;
        const uint8_t* e = v.EntryAt(mid);
        if (!e) return 0;
        int r = CompareKey(e, key);
        if (r == 0) {
            hit = mid;
            break;
        }
        if (r > 0)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    if (hit < 0) return 0;
    int32_t first = hit, last = hit;
    while (first > 0) {
        const uint8_t* e = v.EntryAt(first - 1);
        if (!e || CompareKey(e, key) != 0) break;
        --first;
    }
    while (last + 1 < v.count) {
        const uint8_t* e = v.EntryAt(last + 1);
        if (!e || CompareKey(e, key) != 0) break;
        ++last;
    }
    int32_t count = last - first + 1;
    auto* list = static_cast<KeyMatchList*>(std::calloc(1, sizeof(KeyMatchList)));
    if (!list) return 0;
    list->entries = static_cast<const uint8_t**>(std::calloc(count, sizeof(uint8_t*)));
    if (!list->entries) {
        std::free(list);
        return 0;
    }
    for (int32_t i = 0; i < count; ++i) list->entries[i] = v.EntryAt(first + i);
    std::sort(list->entries, list->entries + count);
    list->count = count;
    list->capacity = count;
    *out = list;
    return count;
}

}  // namespace CodeTable

namespace {

// Start of the p-th character (1-based) of word, a pair counting once; the last character
// when the word is shorter. Returns its unit count via len.
const wchar_t* NthChar(const wchar_t* word, int p, int* len) {
    const wchar_t* last = nullptr;
    int lastLen = 0;
    int index = 0;
    for (const wchar_t* s = word; *s;) {
        int n = CharUnitsAt(s, 2);
        ++index;
        last = s;
        lastLen = n;
        if (index == p) break;
        s += n;
    }
    *len = lastLen;
    return last;
}

}  // namespace

int EncodeWordByRules(const MappedFile* keyValueTable, const uint16_t* rule, const wchar_t* word,
                      wchar_t* out) {
    if (!out) return 0;
    out[0] = 0;
    if (!rule || !word || !word[0]) return 0;
    int outLen = 0;
    for (int t = 0; rule[t] != 0 && t < 64; ++t) {
        uint16_t term = rule[t];
        int p;
        if (term & 0x8000) {
            p = 1 << 30;  // counted from the back: the word's last character
        } else {
            p = term >> 8;
            if (p < 1) p = 1;
        }
        int k = term & 0x7F;
        int charLen = 0;
        const wchar_t* ch = NthChar(word, p, &charLen);
        if (!ch) continue;
        wchar_t key[3] = {ch[0], charLen == 2 ? ch[1] : L'\0', 0};
        KeyMatchList* list = nullptr;
        if (CodeTable::FindByKey(keyValueTable, key, &list) <= 0 || !list) continue;
        const uint8_t* e = list->entries[0];
        wchar_t code[65];
        int valueBytes = static_cast<int>(LoadU32(e)) - 3 - e[4];
        int units =
            Utf8ToUtf16(reinterpret_cast<const char*>(KeyValueValue(e)), valueBytes, code, 64);
        FreeKeyMatchList(list);
        if (units <= 0) continue;
        code[units] = 0;
        if (k == 0) {
            for (int i = 0; i < units && outLen < kRuleCodeUnits - 1; ++i) out[outLen++] = code[i];
        } else if (k <= units && outLen < kRuleCodeUnits - 1) {
            out[outLen++] = code[k - 1];
        }
    }
    out[outLen] = 0;
    return outLen > 0 ? 1 : 0;
}
