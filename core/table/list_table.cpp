#include "core/table/list_table.h"

#include <cstring>

#include "core/base/text_convert.h"
#include "core/table/table_edit.h"

namespace {

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

int CutUtf8Text(const wchar_t* text, int units, int maxBytes, uint8_t* out, int* unitsTaken) {
    if (unitsTaken) *unitsTaken = 0;
    if (!text || units <= 0) return 0;
    int bytes = 0;
    int taken = 0;
    bool cut = false;
    for (int i = 0; i < units && text[i];) {
        unsigned u = static_cast<uint16_t>(text[i]);
        uint32_t cp = u;
        int width = 1;
        if (IsHighSurrogate(u)) {
            if (i + 1 >= units || !IsLowSurrogate(text[i + 1])) return -1;
            cp = CodePointOfPair(u, text[i + 1]);
            width = 2;
        } else if (IsLowSurrogate(u)) {
            return -1;
        }
        i += width;
        // Past the cut the rest is only checked for broken pairs.
        if (cut) continue;
        uint8_t buf[4];
        int n = EncodeCodePoint(cp, buf);
        if (bytes + n > maxBytes) {
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
    // A list table sorts by its texts alone.
    return CodeTable::Sort(table);
}
