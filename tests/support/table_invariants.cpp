#include "support/table_invariants.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/table/table_format.h"

namespace testing_support {
namespace {

std::string Hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

// Size of the entry at off for the table's shape, or 0 when it does not fit inside size.
uint32_t HeapEntrySize(const uint8_t* view, uint32_t size, uint32_t off, uint32_t kind,
                       std::string* why) {
    uint32_t left = size - off;
    const uint8_t* e = view + off;
    if (kind == kTableKindKeyValue) {
        if (left < 6) return *why = "key/value entry header runs past the end", 0;
        uint32_t l = LoadU32(e);
        uint32_t keyLen = e[4];
        if (l < keyLen + 3) return *why = "key/value length " + std::to_string(l) + " too short", 0;
        if (l > left - 4) return *why = "key/value entry runs past the end", 0;
        if (e[5 + keyLen] != 0) return *why = "key/value key not NUL-terminated", 0;
        if (e[4 + l - 1] != 0) return *why = "key/value value not NUL-terminated", 0;
        return 4 + l;
    }
    if ((kind & 0xF) == kTableKindList) {
        if (left < 5) return *why = "list entry header runs past the end", 0;
        if (e[4] == 0) return *why = "list entry with empty text", 0;
        if (5u + e[4] > left) return *why = "list entry runs past the end", 0;
        return 5u + e[4];
    }
    if (left < 6) return *why = "entry header runs past the end", 0;
    uint32_t codeLen = e[4];
    if (codeLen == 0) return *why = "entry with empty code", 0;
    if (5u + codeLen >= left) return *why = "entry code runs past the end", 0;
    uint32_t wordLen = e[5 + codeLen];
    if (wordLen == 0) return *why = "entry with empty word", 0;
    if (6u + codeLen + wordLen > left) return *why = "entry word runs past the end", 0;
    return 6u + codeLen + wordLen;
}

int Sign(int r) { return (r > 0) - (r < 0); }

}  // namespace

std::string CheckTableInvariants(const uint8_t* view, size_t size, CodeComparator codeCmp,
                                 CodeComparator indexCmp) {
    if (!view) return "no view";
    if (size < kOffsetArrayStart) return "file shorter than the header";
    if (size > 0x7FFFFFFF) return "file larger than 2 GB";
    const uint32_t fileSize = static_cast<uint32_t>(size);
    const uint32_t heap = LoadU32(view + 0);
    const int32_t count = LoadI32(view + 4);
    const uint32_t kind = LoadU32(view + 8);
    const bool isList = (kind & 0xF) == kTableKindList;
    const bool isKeyValue = kind == kTableKindKeyValue;
    const CodeComparator cmp = codeCmp ? codeCmp : CompareLengthPrefixed;
    const CodeComparator icmp = indexCmp ? indexCmp : cmp;

    if (count < 0) return "negative count " + std::to_string(count);
    const uint64_t arrayEnd = kOffsetArrayStart + 4ull * static_cast<uint64_t>(count);
    if (arrayEnd > fileSize)
        return "offset array of " + std::to_string(count) + " runs past the end";
    if (heap < arrayEnd)
        return "heap start " + Hex(heap) + " below the end of the offset array " +
               Hex(static_cast<uint32_t>(arrayEnd));
    if (heap > fileSize) return "heap start " + Hex(heap) + " past the end of the file";

    // Walk the heap.
    std::vector<uint32_t> starts;
    for (uint32_t off = heap; off < fileSize;) {
        std::string why;
        uint32_t n = HeapEntrySize(view, fileSize, off, kind, &why);
        if (n == 0) return "heap entry at " + Hex(off) + ": " + why;
        starts.push_back(off);
        off += n;
    }
    if (starts.size() != static_cast<size_t>(count))
        return "heap holds " + std::to_string(starts.size()) + " entries, count is " +
               std::to_string(count);

    // Offsets: a permutation of the heap's entry starts.
    std::vector<uint8_t> seen(starts.size(), 0);
    std::vector<const uint8_t*> entries(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        uint32_t off = LoadU32(view + kOffsetArrayStart + 4u * i);
        auto it = std::lower_bound(starts.begin(), starts.end(), off);
        if (it == starts.end() || *it != off)
            return "offset at position " + std::to_string(i) + " (" + Hex(off) +
                   ") is not the start of a heap entry";
        size_t k = static_cast<size_t>(it - starts.begin());
        if (seen[k]) return "heap entry at " + Hex(off) + " has two offsets";
        seen[k] = 1;
        entries[i] = view + off;
    }

    // Sort order.
    auto less = [&](const uint8_t* a, const uint8_t* b) -> int {
        if (isKeyValue)
            return Sign(std::strcmp(reinterpret_cast<const char*>(KeyValueKey(a)),
                                    reinterpret_cast<const char*>(KeyValueKey(b))));
        if (isList) return Sign(CompareLengthPrefixed(a + 4, b + 4));
        int r = Sign(cmp(EntryCode(a), EntryCode(b)));
        if (r) return r;
        return Sign(CompareLengthPrefixed(EntryWord(a), EntryWord(b)));
    };
    for (int32_t i = 1; i < count; ++i) {
        if (less(entries[i - 1], entries[i]) > 0)
            return "positions " + std::to_string(i - 1) + " and " + std::to_string(i) +
                   " out of order";
    }

    // Prefix index.
    const auto* h = reinterpret_cast<const TableFileHeader*>(view);
    std::vector<int32_t> expect(kPrefixIndexDim * kPrefixIndexDim, 0);
    if (!isList && !isKeyValue) {
        // Number of entries whose code sorts below the given key.
        auto below = [&](std::initializer_list<uint8_t> bytes) {
            uint8_t key[4] = {static_cast<uint8_t>(bytes.size())};
            std::copy(bytes.begin(), bytes.end(), key + 1);
            auto it = std::partition_point(entries.begin(), entries.end(), [&](const uint8_t* e) {
                return icmp(EntryCode(e), key) < 0;
            });
            return static_cast<int32_t>(it - entries.begin());
        };
        for (unsigned a = 0; a < kPrefixIndexDim; ++a) {
            if (!IsPrefixKeyByte(a)) continue;
            int32_t* row = &expect[a * kPrefixIndexDim];
            row[0] = below({uint8_t(a - 1), 0xF0});
            row[1] = below({uint8_t(a), 0xF0});
            for (unsigned b = 0; b + 1 < kPrefixIndexDim; ++b) {
                if (!IsPrefixKeyByte(b)) continue;
                row[b] = below({uint8_t(a), uint8_t(b - 1), 0xF0});
                row[b + 1] = below({uint8_t(a), uint8_t(b), 0xF0});
            }
        }
    }
    for (int a = 0; a < kPrefixIndexDim; ++a) {
        for (int b = 0; b < kPrefixIndexDim; ++b) {
            int32_t got = LoadI32(&h->prefixIndex[a][b]);
            int32_t want = expect[a * kPrefixIndexDim + b];
            if (got != want)
                return "prefix cell [" + std::to_string(a) + "][" + std::to_string(b) + "] is " +
                       std::to_string(got) + ", expected " + std::to_string(want);
        }
    }
    return "";
}

std::string CheckTableInvariants(const MappedFile* table, CodeComparator codeCmp,
                                 CodeComparator indexCmp) {
    if (!table || !table->view) return "no table";
    return CheckTableInvariants(table->view, static_cast<size_t>(table->size), codeCmp, indexCmp);
}

std::string CheckTableInvariants(const std::vector<uint8_t>& bytes, CodeComparator codeCmp,
                                 CodeComparator indexCmp) {
    return CheckTableInvariants(bytes.data(), bytes.size(), codeCmp, indexCmp);
}

}  // namespace testing_support
