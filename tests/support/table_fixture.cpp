#include "support/table_fixture.h"

#include <algorithm>
#include <cstring>

#include "core/base/mapped_file.h"
#include "core/table/table_edit.h"
#include "core/table/table_format.h"

namespace testing_support {
namespace {
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) { std::memcpy(&v[at], &x, 4); }
bool CodeLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return uint8_t(x) < uint8_t(y); });
}
}  // namespace

std::vector<uint8_t> MakeCodeTable(std::vector<FixtureEntry> entries, uint32_t kind) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const FixtureEntry& a, const FixtureEntry& b) {
                         if (a.code != b.code) return CodeLess(a.code, b.code);
                         return CodeLess(a.word, b.word);
                     });
    uint32_t n = static_cast<uint32_t>(entries.size());
    uint32_t heap = FreshHeapStart(n);
    std::vector<uint8_t> out(heap, 0);
    Put32(out, 0, heap);
    Put32(out, 4, n);
    Put32(out, 8, kind);
    uint32_t pos = heap;
    for (uint32_t i = 0; i < n; ++i) {
        const auto& e = entries[i];
        Put32(out, kOffsetArrayStart + 4 * i, pos);
        out.resize(out.size() + 6 + e.code.size() + e.word.size());
        Put32(out, pos, e.flags);
        out[pos + 4] = static_cast<uint8_t>(e.code.size());
        std::memcpy(&out[pos + 5], e.code.data(), e.code.size());
        out[pos + 5 + e.code.size()] = static_cast<uint8_t>(e.word.size());
        std::memcpy(&out[pos + 6 + e.code.size()], e.word.data(), e.word.size());
        pos += 6 + static_cast<uint32_t>(e.code.size() + e.word.size());
    }
    // Prefix index: the entries are sorted by code, so the codes of each prefix form one run.
    auto lower = [&](const std::string& prefix) {
        return static_cast<uint32_t>(
            std::lower_bound(entries.begin(), entries.end(), prefix,
                             [](const FixtureEntry& e, const std::string& p) {
                                 return CodeLess(e.code.substr(0, p.size()), p);
                             }) -
            entries.begin());
    };
    auto upper = [&](const std::string& prefix) {
        return static_cast<uint32_t>(
            std::upper_bound(entries.begin(), entries.end(), prefix,
                             [](const std::string& p, const FixtureEntry& e) {
                                 return CodeLess(p, e.code.substr(0, p.size()));
                             }) -
            entries.begin());
    };
    for (unsigned a = 0; a < 128; ++a) {
        if (!IsPrefixKeyByte(a)) continue;
        std::string pa(1, char(a));
        Put32(out, 156 + 4 * (a * 128 + 0), lower(pa));
        Put32(out, 156 + 4 * (a * 128 + 1), upper(pa));
    }
    for (unsigned a = 0; a < 128; ++a) {
        if (!IsPrefixKeyByte(a)) continue;
        for (unsigned b = 0; b < 128; ++b) {
            if (!IsPrefixKeyByte(b)) continue;
            std::string p{char(a), char(b)};
            Put32(out, 156 + 4 * (a * 128 + b), lower(p));
            Put32(out, 156 + 4 * (a * 128 + b + 1), upper(p));
        }
    }
    return out;
}

std::vector<uint8_t> MakeKeyValueTable(const std::vector<std::pair<std::string, std::string>>& kv) {
    uint32_t n = static_cast<uint32_t>(kv.size());
    uint32_t heap = FreshHeapStart(n);
    std::vector<uint8_t> out(heap, 0);
    Put32(out, 0, heap);
    Put32(out, 4, n);
    Put32(out, 8, kTableKindKeyValue);
    std::vector<std::pair<std::string, uint32_t>> offs;
    for (const auto& [k, v] : kv) {
        uint32_t pos = static_cast<uint32_t>(out.size());
        uint32_t l = static_cast<uint32_t>(k.size() + v.size() + 3);
        out.resize(out.size() + 4 + l);
        Put32(out, pos, l);
        out[pos + 4] = static_cast<uint8_t>(k.size());
        std::memcpy(&out[pos + 5], k.data(), k.size());
        std::memcpy(&out[pos + 6 + k.size()], v.data(), v.size());
        offs.push_back({k, pos});
    }
    std::stable_sort(offs.begin(), offs.end(),
                     [](const auto& a, const auto& b) { return CodeLess(a.first, b.first); });
    for (uint32_t i = 0; i < n; ++i) Put32(out, kOffsetArrayStart + 4 * i, offs[i].second);
    return out;
}

int32_t UserWordsIn(const std::wstring& table) {
    MappedFile* raw = nullptr;
    if (MappedFile::LoadToMemory(&raw, table.c_str()) <= 0 || !raw) return -1;
    MappedFilePtr t(raw);
    int32_t counters[kCategoryCounters] = {};
    CountEntriesByCategory(t.get(), counters);
    return counters[2];
}

}  // namespace testing_support
