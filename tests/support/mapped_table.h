// Code tables written to a scratch file and mapped, and readers of their entries.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/base/mapped_file.h"
#include "support/test_files.h"

namespace testing_support {

// A table file in a scratch folder, opened with MappedFile::Open for the test's duration.
class MappedTable {
public:
    explicit MappedTable(const std::vector<uint8_t>& bytes);
    ~MappedTable();
    MappedTable(const MappedTable&) = delete;
    MappedTable& operator=(const MappedTable&) = delete;

    MappedFile* get() const { return file_; }
    const std::wstring& path() const { return path_; }
    // The bytes at the view now (empty when the table is closed).
    std::vector<uint8_t> Bytes() const;
    // Closes the mapping so that the file on disk can be read whole.
    void Close();

private:
    TempDir dir_;
    std::wstring path_;
    MappedFile* file_ = nullptr;
};

// Points TMP and TEMP at a private scratch folder for its lifetime, so that work files of
// tests running in parallel never meet.
class PrivateTempFolder {
public:
    PrivateTempFolder();
    ~PrivateTempFolder();
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;
    // The folder TMP and TEMP name (without the trailing "\" they carry).
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    std::wstring oldTmp_, oldTemp_;
};

// Unmaps and closes the file as a failed remap leaves it: no view, mapping or file handle,
// size 0 (the path stays). For the replaceable resizes of growth-failure tests.
void DropMapping(MappedFile* file);

// A TableEntry record: flags, code length, code, word length, word.
std::string EntryRecord(uint32_t flags, const std::string& code, const std::string& word);

struct TableRow {
    uint32_t flags;
    std::string code;
    std::string word;
    bool operator==(const TableRow&) const = default;
};
// Entries of a main table in offset-array order; stops at the first damaged entry.
std::vector<TableRow> ReadRows(const MappedFile* table);
std::string RowText(const TableRow& r);

}  // namespace testing_support
