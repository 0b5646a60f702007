// The table tools: the definition-text builder, the importer, the exporter and the
// list-table builder.
#include <cstdlib>
#include <cstring>

#include "core/base/mapped_file.h"
#include "core/table/code_table.h"
#include "core/table/table_format.h"
#include "core/tabletools/list_table_builder.h"
#include "core/tabletools/table_builder.h"
#include "core/tabletools/table_exporter.h"
#include "core/tabletools/table_importer.h"
#include "engine/list_search.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/seeds.h"

namespace fuzz {
namespace {

wchar_t* MallocText(const uint8_t* data, size_t size) {
    const size_t units = size / 2;
    auto* p = static_cast<wchar_t*>(std::malloc((units + 1) * sizeof(wchar_t)));
    if (!p) Fail("no memory for a text");
    std::memcpy(p, data, units * sizeof(wchar_t));
    p[units] = 0;
    return p;
}

// Searches a table file just written by a tool.
void SearchFile(const std::wstring& path) {
    MappedFile* f = nullptr;
    if (MappedFile::Open(&f, path.c_str()) <= 0 || !f) return;
    const TableView v = MakeTableView(f);
    for (int32_t i = 0; i < v.count && i < 64; ++i) {
        const uint8_t* e = v.EntryAt(i);
        Check(e != nullptr, "a written table lists an offset outside its entries");
        CodeTable::FindCode(f, e + 4);
        if (v.HoldsCodeEntries()) CodeTable::FindEntry(f, e + 4);
    }
    MappedFile::Close(f);
}

std::vector<Bytes> DefinitionSeeds(FuzzContext&) {
    return {Utf16Bytes(DefinitionText()), Utf16Bytes(KeypadDefinitionText())};
}

void RunDefinition(const uint8_t* data, size_t size, FuzzContext& c) {
    const std::wstring out = c.scratch + L"\\built.dmg";
    CodeTableBuilder* b = CodeTableBuilder::Create();
    if (!b) Fail("no builder");
    CodeTableBuilder::AddText(b, MallocText(data, size));
    _snwprintf(b->outputPath, kPathChars, L"%ls", out.c_str());
    if (CodeTableBuilder::ParseLines(b) > 0 && CodeTableBuilder::WriteTable(b)) {
        ++c.deep;
        SearchFile(out);
    }
    CodeTableBuilder::Destroy(b);
    DeleteFileW(out.c_str());
}

std::vector<Bytes> ImportSeeds(FuzzContext& c) {
    std::vector<Bytes> s;
    const Bytes main = BuildMainTable(c, DefinitionText());
    for (int selection : {0, 2, 100, -1}) {
        Bytes text = ExportTable(c, main, selection);
        if (text.size() > 3)
            s.push_back(Utf16Bytes(Widen(std::string(text.begin() + 3, text.end()))));
    }
    s.push_back(Utf16Bytes(DefinitionText()));
    s.push_back(Utf16Bytes(L"中国人\r\n大家好\r\n你好\r\n" + KeypadDefinitionText()));
    return s;
}

void RunImport(const uint8_t* data, size_t size, FuzzContext& c) {
    static Bytes target;
    static Bytes keyValue;
    if (target.empty()) {
        target = BuildMainTable(c, KeypadDefinitionText());
        keyValue = BuildKeyValueTable(KeyValueText());
    }
    const std::wstring path = c.scratch + L"\\import.dmg";
    WriteWholeFile(path, target.data(), target.size());
    MappedFile* table = nullptr;
    if (MappedFile::Open(&table, path.c_str()) <= 0 || !table)
        Fail("the import target does not open");
    Bytes kv = keyValue;
    MemoryTable kvTable(kv.data(), kv.size());
    WordRule rules[32] = {};
    const uint16_t rule2[] = {0x0101, 0x0102, 0x0201, 0x0202, 0};
    for (int n = 2; n < 32; ++n) std::memcpy(rules[n].terms, rule2, sizeof rule2);
    GuardedText text(data, size);
    for (int32_t targetClass : {0, 2}) {
        CodeTableImporter* x = CodeTableImporter::Create();
        if (!x) Fail("no importer");
        x->rules = rules;
        x->keyValueTable = kvTable.get();
        x->targetClass = targetClass;
        x->text = text.text();
        x->textLength = text.units();
        x->table = table;
        CodeTableImporter::ReadDirectives(x);
        if (CodeTableImporter::ImportAll(x) >= 0 && CodeTableImporter::Commit(x) > 0) ++c.deep;
        CodeTableImporter::Destroy(x);
    }
    MappedFile::Close(table);
    SearchFile(path);
}

std::vector<Bytes> ExportSeeds(FuzzContext& c) {
    return {BuildMainTable(c, DefinitionText()), BuildListTable(c, ListText()),
            BuildTempTable(c, KeypadDefinitionText())};
}

void RunExport(const uint8_t* data, size_t size, FuzzContext& c) {
    MemoryTable m(const_cast<uint8_t*>(data), size);
    const std::wstring path = c.scratch + L"\\export.txt";
    static const uint32_t permissions[32] = {1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                             1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    static wchar_t aliases[32][kExportAliasUnits] = {L"主码", L"系统", L"用户", L"次显", L"辅码"};
    for (int selection : {0, 2, 18, 100, -1}) {
        CodeTableExporter* x =
            CodeTableExporter::Create(nullptr, nullptr, selection, permissions, aliases);
        if (!x) Fail("no exporter");
        if (CodeTableExporter::Export(x, m.get(), path.c_str()) > 0) ++c.deep;
        CodeTableExporter::Destroy(x);
    }
    DeleteFileW(path.c_str());
}

std::vector<Bytes> ListSeeds(FuzzContext&) {
    Bytes bom{0xFF, 0xFE};
    Bytes text = Utf16Bytes(ListText());
    bom.insert(bom.end(), text.begin(), text.end());
    return {bom};
}

void RunListBuild(const uint8_t* data, size_t size, FuzzContext& c) {
    const std::wstring text = c.scratch + L"\\list.txt";
    const std::wstring out = c.scratch + L"\\list.dmg";
    WriteWholeFile(text, data, size);
    bool hash = false;
    if (BuildWordTableFile(text.c_str(), out.c_str(), nullptr, &hash)) {
        ++c.deep;
        SearchFile(out);
        MappedFile* f = nullptr;
        if (MappedFile::Open(&f, out.c_str()) > 0 && f) {
            const uint8_t key[] = {2, 0xE4, 0xB8};
            ForEachListMatch(
                f, key, kListSearchAssociation,
                [](void*, const uint8_t*, uint32_t) { return true; }, nullptr);
            MappedFile::Close(f);
        }
    }
    DeleteFileW(out.c_str());
}

const bool registered =
    RegisterTarget({"definition-build",
                    InputShape::kText16,
                    400,
                    DefinitionSeeds,
                    RunDefinition,
                    {},
                    false}) &&
    RegisterTarget({"table-import", InputShape::kText16, 300, ImportSeeds, RunImport, {}, false}) &&
    RegisterTarget({"table-export",
                    InputShape::kBinary,
                    600,
                    ExportSeeds,
                    RunExport,
                    {{0, 160}, {65692, 65692 + 4 * 64}},
                    false}) &&
    RegisterTarget({"list-build", InputShape::kText16, 400, ListSeeds, RunListBuild, {}, false});

}  // namespace
}  // namespace fuzz
