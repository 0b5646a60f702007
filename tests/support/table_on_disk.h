// A table image written to a scratch folder and mapped for the length of a test.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/base/mapped_file.h"
#include "support/test_files.h"

namespace testing_support {

class TableOnDisk {
public:
    explicit TableOnDisk(const std::vector<uint8_t>& bytes, const wchar_t* name = L"t.dmg");
    MappedFile* get() const { return file_.get(); }
    const std::wstring& path() const { return path_; }
    const TempDir& dir() const { return dir_; }
    // Bytes of the file as mapped now.
    std::vector<uint8_t> Bytes() const;
    // Closes and maps the file again.
    bool Reopen();

private:
    TempDir dir_;
    std::wstring path_;
    MappedFilePtr file_;
};

// A kind-5 list table of the given texts (weights given), sorted by text.
std::vector<uint8_t> MakeListTable(const std::vector<std::pair<std::string, uint32_t>>& texts);

}  // namespace testing_support
