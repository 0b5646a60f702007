// Writing a code table, or one class of it, as a table text.
#pragma once
#include <cstdint>
#include <cstdio>

#include "core/base/mapped_file.h"
#include "core/table/table_progress.h"
#include "core/tabletools/table_text_decode.h"

constexpr int kExportClasses = 32;
constexpr int kExportAliasUnits = 32;

// Selections besides the class numbers 1-31.
constexpr int32_t kExportAllClasses = 0;
constexpr int32_t kExportPinned = 100;
// Any negative selection: every entry, no permission filter, no class or order tags.
constexpr int32_t kExportPlain = -1;

struct CodeTableExporter {
    CodeDecoder decodeCode;  // never null after Create
    TableProgressHook progress;
    int32_t selection;
    const uint32_t* permissions;                  // 32 words, bit 0 = editable; or null
    const wchar_t (*aliases)[kExportAliasUnits];  // 32 slots; or null

    // While exporting.
    FILE* out;
    const MappedFile* table;
    int32_t selected;
    int32_t index;
    bool writeFailed;

    // decodeCode null: DecodeTableCode. Null when out of memory.
    static CodeTableExporter* Create(CodeDecoder decodeCode, TableProgressHook progress,
                                     int32_t selection, const uint32_t* permissions,
                                     const wchar_t (*aliases)[kExportAliasUnits]);
    static void Destroy(CodeTableExporter* exporter);

    // Writes the selected entries of the table to path as UTF-8 with a byte-order mark.
    // A list table (kind 5) has no classes: every text is written, one per line, without
    // header lines. Other kinds than main, temporary and list tables are not exported.
    // Returns the number of entries written; 0 when nothing was selected, the table cannot
    // be read, the file cannot be created or a write failed (the caller deletes the file).
    static int32_t Export(CodeTableExporter* exporter, const MappedFile* table,
                          const wchar_t* path);

    // Export order of two entries of a code table: class, code, pinned and order (highest
    // first), place in the file.
    static int64_t CompareEntries(const void* newEntry, const void* nodeEntry);
    // List tables: text, place in the file.
    static int64_t CompareListEntries(const void* newEntry, const void* nodeEntry);

    // Assembles the line of one entry (CR LF included) into line; returns its units.
    // Words and codes are never cut.
    static int FormatEntryLine(const CodeTableExporter* exporter, uint32_t kind,
                               const uint8_t* entry, wchar_t* line, int capacity);
    static void WriteEntry(CodeTableExporter* exporter, uint32_t kind, const uint8_t* entry);
};

// Room FormatEntryLine needs for any entry: an escaped word of 255 characters (two units
// each, one more for a leading "//"), the code, the tags and CR LF.
constexpr int kExportLineUnits = 1024;
