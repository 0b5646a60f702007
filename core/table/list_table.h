// List tables (kind 5): sorted texts with a weight each, as in sysl.dmg and engl.dmg.
#pragma once
#include <cstdint>

#include "core/base/mapped_file.h"
#include "core/table/table_format.h"

// Stored text of a ListEntry: whole characters within 250 bytes of UTF-8.
constexpr int kListTextMaxBytes = 250;
// Weight of the first text starting with a given UTF-16 unit; later ones count down to 1.
constexpr uint32_t kListFirstWeight = 0x7FFF;

// Cuts text (units long, or up to NUL) to whole characters within maxBytes of UTF-8.
// Writes the bytes into out (room for maxBytes) when given and the units taken into
// unitsTaken when given. Returns the byte count, 0 for an empty text, -1 when the text
// holds a broken surrogate anywhere.
int CutUtf8Text(const wchar_t* text, int units, int maxBytes, uint8_t* out, int* unitsTaken);
// The stored text of a list entry: CutUtf8Text within 250 bytes. A text with a broken
// surrogate (-1) is never stored.
inline int CutListText(const wchar_t* text, int units, uint8_t* out, int* unitsTaken) {
    return CutUtf8Text(text, units, kListTextMaxBytes, out, unitsTaken);
}

// Sorts the offset array of a list table by text (bytewise, a shorter equal prefix first)
// and flushes the view. 1 on success; 0 for a missing view, a table that is not a list
// table, a private memory copy, or an offset that points at no whole entry (the array is
// then left as it was).
int ListTableSort(MappedFile* table);
