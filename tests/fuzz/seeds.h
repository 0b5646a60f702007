// Seed inputs made by the project's own code: tables built from texts, a settings file, the
// exported texts of both.
#pragma once
#include <string>

#include "core/base/mapped_file.h"
#include "fuzz/fuzz_target.h"

namespace fuzz {

// Texts the seeds start from.
std::wstring DefinitionText();        // a main table's definition text with directives and tags
std::wstring KeypadDefinitionText();  // codes of keypad keys, as the shipped main table has
std::wstring ListText();              // association or English texts, one per line
std::wstring KeyValueText();          // key TAB value lines
std::wstring SettingsText();          // every section of the settings text

// Files built from them (bytes of the file). Empty when the build failed.
Bytes BuildMainTable(FuzzContext& context, const std::wstring& definition);
Bytes BuildListTable(FuzzContext& context, const std::wstring& list);
Bytes BuildKeyValueTable(const std::wstring& text);
Bytes BuildTempTable(FuzzContext& context, const std::wstring& definition);
Bytes BuildConfig(const std::wstring& settings);
// The settings text that the writer makes of a settings file.
Bytes ExportSettings(FuzzContext& context, const Bytes& config);
// The table text that the exporter makes of a table (selection as the exporter takes it).
Bytes ExportTable(FuzzContext& context, const Bytes& table, int selection);

// A table image as a private memory copy over data (no file behind it).
struct MemoryTable {
    MemoryTable(uint8_t* data, size_t size);
    MappedFile* get() { return &file; }
    MappedFile file;
};

}  // namespace fuzz
