#include "support/mapped_table.h"

#include <cstdio>

#include "core/table/table_format.h"

namespace testing_support {

MappedTable::MappedTable(const std::vector<uint8_t>& bytes) {
    path_ = dir_ / L"t.dmg";
    WriteFileBytes(path_, bytes);
    MappedFile::Open(&file_, path_.c_str());
}

MappedTable::~MappedTable() { Close(); }

void MappedTable::Close() {
    MappedFile::Close(file_);
    file_ = nullptr;
}

std::vector<uint8_t> MappedTable::Bytes() const {
    if (!file_ || !file_->view) return {};
    return std::vector<uint8_t>(file_->view, file_->view + file_->size);
}

namespace {
std::wstring GetEnv(const wchar_t* name) {
    wchar_t buf[32768];
    DWORD n = GetEnvironmentVariableW(name, buf, 32768);
    return n && n < 32768 ? std::wstring(buf, n) : std::wstring();
}
}  // namespace

PrivateTempFolder::PrivateTempFolder() : oldTmp_(GetEnv(L"TMP")), oldTemp_(GetEnv(L"TEMP")) {
    std::wstring p = dir_.path() + L"\\";
    SetEnvironmentVariableW(L"TMP", p.c_str());
    SetEnvironmentVariableW(L"TEMP", p.c_str());
}

PrivateTempFolder::~PrivateTempFolder() {
    SetEnvironmentVariableW(L"TMP", oldTmp_.empty() ? nullptr : oldTmp_.c_str());
    SetEnvironmentVariableW(L"TEMP", oldTemp_.empty() ? nullptr : oldTemp_.c_str());
}

std::string EntryRecord(uint32_t flags, const std::string& code, const std::string& word) {
    std::string r(4, '\0');
    StoreU32(r.data(), flags);
    r += char(code.size());
    r += code;
    r += char(word.size());
    r += word;
    return r;
}

std::vector<TableRow> ReadRows(const MappedFile* table) {
    std::vector<TableRow> rows;
    TableView v = MakeTableView(table);
    for (int32_t i = 0; i < v.count; ++i) {
        const uint8_t* e = v.EntryAt(i);
        if (!e) break;
        const uint8_t* c = EntryCode(e);
        const uint8_t* w = EntryWord(e);
        rows.push_back({LoadU32(e), std::string(reinterpret_cast<const char*>(c + 1), c[0]),
                        std::string(reinterpret_cast<const char*>(w + 1), w[0])});
    }
    return rows;
}

std::string RowText(const TableRow& r) {
    std::string out;
    char buf[16];
    for (unsigned char ch : r.code) {
        if (ch < 0x20 || ch >= 0x7F) {
            std::snprintf(buf, sizeof buf, "\\x%02X", ch);
            out += buf;
        } else {
            out += char(ch);
        }
    }
    std::snprintf(buf, sizeof buf, "%08X", r.flags);
    return out + "/" + r.word + "/" + buf;
}

void DropMapping(MappedFile* f) {
    UnmapViewOfFile(f->view);
    CloseHandle(f->mapping);
    CloseHandle(f->file);
    f->view = nullptr;
    f->mapping = nullptr;
    f->file = nullptr;
    f->size = 0;
}

}  // namespace testing_support
