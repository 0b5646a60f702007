#include <windows.h>
#include <objbase.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

#include "core/base/mapped_file.h"
#include "core/base/text_file.h"
#include "core/table/table_format.h"
#include "core/tabletools/list_table_builder.h"
#include "core/tabletools/table_builder.h"
#include "tablegen/commands.h"
#include "tablegen/console.h"
#include "tablegen/file_output.h"

namespace {

struct BuildReport {
    int32_t rejected = 0;
};

// Messages of the builder go to the console; entry progress is not shown.
void OnBuilderProgress(void* context, const wchar_t* text, int32_t, int32_t) {
    if (!text) return;
    auto* report = static_cast<BuildReport*>(context);
    if (std::wcsncmp(text, L"格式错误的词条定义", 9) == 0) {
        if (++report->rejected <= 20) PrintErrorLine(text);
    } else {
        PrintLine(text);
    }
}

const wchar_t* BuilderErrorText(BuilderError e) {
    switch (e) {
        case kBuilderNoRecordFile:
            return L"the record file cannot be created";
        case kBuilderOutOfMemory:
            return L"out of memory";
        case kBuilderNoOutputFile:
            return L"the table file cannot be created";
        case kBuilderNotMapped:
            return L"the written table cannot be mapped";
        default:
            return L"no data lines";
    }
}

struct BuilderCloser {
    void operator()(CodeTableBuilder* b) const { CodeTableBuilder::Destroy(b); }
};

// The input method's GUID in the main table's header, which the engine opener checks.
bool StampGuid(const wchar_t* path, const GUID& guid) {
    MappedFile* raw = nullptr;
    MappedFile::Open(&raw, path);
    MappedFilePtr table(raw);
    if (!table || !table->IsMapped() || table->size < static_cast<int32_t>(sizeof(TableFileHeader)))
        return false;
    static_assert(sizeof(GUID) == sizeof(TableFileHeader::guid));
    std::memcpy(table->view + offsetof(TableFileHeader, guid), &guid, sizeof guid);
    return MappedFile::Flush(table.get());
}

}  // namespace

int BuildMainTable(const wchar_t* textPath, const wchar_t* outPath, const wchar_t* guidText) {
    GUID guid{};
    if (guidText && IIDFromString(guidText, &guid) != S_OK) {
        PrintErrorLine(std::wstring(L"not a GUID: ") + guidText);
        return 0;
    }
    const std::wstring work = WorkFilePath(outPath);
    if (work.size() >= kPathChars) {
        PrintErrorLine(std::wstring(L"path too long: ") + outPath);
        return 0;
    }
    wchar_t* text = nullptr;
    if (ReadTextFile(textPath, &text) != 0) {
        PrintErrorLine(std::wstring(L"cannot read ") + textPath);
        return 0;
    }
    std::unique_ptr<CodeTableBuilder, BuilderCloser> b(CodeTableBuilder::Create());
    if (!b) free(text);
    if (!b || !CodeTableBuilder::AddText(b.get(), text)) {  // AddText owns text from here on
        PrintErrorLine(L"out of memory");
        return 0;
    }
    BuildReport report;
    b->progress = OnBuilderProgress;
    b->progressContext = &report;
    std::wcscpy(b->outputPath, work.c_str());
    const int32_t lines = CodeTableBuilder::ParseLines(b.get());
    if (lines <= 0 || !CodeTableBuilder::WriteTable(b.get())) {
        PrintErrorLine(std::wstring(L"cannot build ") + outPath + L": " +
                       BuilderErrorText(b->error));
        DeleteFileW(work.c_str());
        return 0;
    }
    const int32_t entries = b->writtenCount;
    b.reset();
    if (guidText && !StampGuid(work.c_str(), guid)) {
        PrintErrorLine(std::wstring(L"cannot write the GUID into ") + outPath);
        DeleteFileW(work.c_str());
        return 0;
    }
    if (!CommitWorkFile(outPath)) {
        PrintErrorLine(std::wstring(L"cannot write ") + outPath);
        DeleteFileW(work.c_str());
        return 0;
    }
    if (report.rejected > 0) PrintErrorLine(std::to_wstring(report.rejected) + L" lines left out");
    PrintLine(std::wstring(outPath) + L": " + std::to_wstring(entries) + L" entries from " +
              std::to_wstring(lines) + L" data lines");
    return 1;
}

int BuildListTable(const wchar_t* textPath, const wchar_t* outPath) {
    const std::wstring work = WorkFilePath(outPath);
    if (!BuildWordTableFile(textPath, work.c_str(), nullptr, nullptr)) {
        PrintErrorLine(std::wstring(L"cannot build ") + outPath + L" from " + textPath);
        DeleteFileW(work.c_str());
        return 0;
    }
    if (!CommitWorkFile(outPath)) {
        PrintErrorLine(std::wstring(L"cannot write ") + outPath);
        DeleteFileW(work.c_str());
        return 0;
    }
    MappedFile* table = nullptr;
    MappedFile::Open(&table, outPath);
    MappedFilePtr owner(table);
    const TableView v = MakeTableView(table);
    PrintLine(std::wstring(outPath) + L": " + std::to_wstring(v.valid() ? v.count : 0) +
              L" entries, " + std::to_wstring(v.valid() ? v.size : 0) + L" bytes");
    return 1;
}
