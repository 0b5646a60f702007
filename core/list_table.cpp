#include "core/list_table.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/code_table.h"

namespace {

inline bool IsHigh(unsigned u) { return u >= 0xD800 && u <= 0xDBFF; }
inline bool IsLow(unsigned u) { return u >= 0xDC00 && u <= 0xDFFF; }

// UTF-8 of one code point into buf; returns its byte count.
int EncodeCodePoint(uint32_t cp, uint8_t* buf) {
    if (cp < 0x80) {
        buf[0] = static_cast<uint8_t>(cp);
        return 1;
    }
    if (cp < 0x800) {
        buf[0] = static_cast<uint8_t>(0xC0 | (cp >> 6));
        buf[1] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        buf[0] = static_cast<uint8_t>(0xE0 | (cp >> 12));
        buf[1] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
        buf[2] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        return 3;
    }
    buf[0] = static_cast<uint8_t>(0xF0 | (cp >> 18));
    buf[1] = static_cast<uint8_t>(0x80 | ((cp >> 12) & 0x3F));
    buf[2] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
    buf[3] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
    return 4;
}

}  // namespace

int CutListText(const wchar_t* text, int units, uint8_t* out, int* unitsTaken) {
    if (unitsTaken) *unitsTaken = 0;
    if (!text || units <= 0) return 0;
    int bytes = 0;
    int taken = 0;
    bool cut = false;
    for (int i = 0; i < units && text[i];) {
        unsigned u = static_cast<uint16_t>(text[i]);
        uint32_t cp = u;
        int width = 1;
        if (IsHigh(u)) {
            if (i + 1 >= units || !IsLow(static_cast<uint16_t>(text[i + 1]))) return -1;
            cp = 0x10000 + ((u - 0xD800) << 10) + (static_cast<uint16_t>(text[i + 1]) - 0xDC00);
            width = 2;
        } else if (IsLow(u)) {
            return -1;
        }
        i += width;
        // Past the cut the rest is only checked for broken pairs.
        if (cut) continue;
        uint8_t buf[4];
        int n = EncodeCodePoint(cp, buf);
        if (bytes + n > kListTextMaxBytes) {
            cut = true;
            continue;
        }
        if (out) std::memcpy(out + bytes, buf, n);
        bytes += n;
        taken += width;
    }
    if (unitsTaken) *unitsTaken = taken;
    return bytes;
}

int ListTableSort(MappedFile* table) {
    if (!table || table->IsMemoryCopy()) return 0;
    TableView v = MakeTableView(table);
    if (!v.valid() || (v.kind & 0xF) != kTableKindList) return 0;
    const int32_t n = v.count;
    if (n > 1) {
        auto* offsets = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(n) * 4));
        if (!offsets) return 0;
        for (int32_t i = 0; i < n; ++i) offsets[i] = v.OffsetAt(i);
        // Texts only: a list entry has no second key. Offsets to no whole entry go last, in
        // offset order, so the order stays strict.
        std::sort(offsets, offsets + n, [&v](uint32_t a, uint32_t b) {
            const uint8_t* ea = v.EntryAtOffset(a);
            const uint8_t* eb = v.EntryAtOffset(b);
            if (!ea || !eb) {
                if (ea) return true;
                if (eb) return false;
                return a < b;
            }
            int r = CompareLengthPrefixed(ea + 4, eb + 4);
            return r != 0 ? r < 0 : a < b;
        });
        std::memcpy(table->view + kOffsetArrayStart, offsets, static_cast<size_t>(n) * 4);
        std::free(offsets);
    }
    MappedFile::Flush(table);
    return 1;
}
