// Timing of a full-size export; run by hand with --gtest_also_run_disabled_tests.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/base/text_file.h"
#include "core/table/table_edit.h"
#include "core/table/table_format.h"
#include "core/tabletools/table_exporter.h"
#include "core/tabletools/table_importer.h"
#include "support/table_on_disk.h"
#include "support/test_files.h"

using namespace testing_support;

namespace {

// A main table of n entries with distinct 7-key keypad codes, written in sorted order.
std::vector<uint8_t> MakeLargeTable(uint32_t n) {
    const std::string words[] = {"中国", "你好", "输入法", "码表", "词条导入"};
    std::vector<uint8_t> out(FreshHeapStart(n), 0);
    out.reserve(out.size() + static_cast<size_t>(n) * 24);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&out[at], &v, 4); };
    put32(0, FreshHeapStart(n));
    put32(4, n);
    put32(8, kTableKindMain);
    for (uint32_t i = 0; i < n; ++i) {
        char code[7];
        for (int d = 6, v = static_cast<int>(i); d >= 0; --d, v /= 9) code[d] = char(0x11 + v % 9);
        const std::string& w = words[i % 5];
        const uint32_t pos = static_cast<uint32_t>(out.size());
        put32(kOffsetArrayStart + 4 * i, pos);
        uint32_t flags = ComposeFlags(1024 + i % 7, i % 3 == 0 ? 2 : 1);
        out.insert(out.end(), reinterpret_cast<uint8_t*>(&flags),
                   reinterpret_cast<uint8_t*>(&flags) + 4);
        out.push_back(7);
        out.insert(out.end(), code, code + 7);
        out.push_back(static_cast<uint8_t>(w.size()));
        out.insert(out.end(), w.begin(), w.end());
    }
    return out;
}

TEST(TableExportTiming, DISABLED_MainTableOf600000Entries) {
    TableOnDisk t(MakeLargeTable(600000));
    ASSERT_EQ(CodeTable::RebuildPrefixIndex(t.get()), 1);
    for (int32_t selection : {0, 2}) {
        CodeTableExporter* x =
            CodeTableExporter::Create(nullptr, nullptr, selection, nullptr, nullptr);
        std::wstring out = t.dir() / L"export.txt";
        auto start = std::chrono::steady_clock::now();
        int32_t n = CodeTableExporter::Export(x, t.get(), out.c_str());
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
        CodeTableExporter::Destroy(x);
        std::printf("selection %d: %d entries exported in %lld ms\n", selection, n,
                    static_cast<long long>(ms));
        EXPECT_GT(n, 0);
    }
}

long long ImportMs(MappedFile* table, const std::wstring& path, int32_t* added) {
    wchar_t* text = nullptr;
    size_t length = 0;
    EXPECT_EQ(ReadTextFile(path.c_str(), &text, &length), 0);
    auto start = std::chrono::steady_clock::now();
    CodeTableImporter* x = CodeTableImporter::Create();
    x->table = table;
    x->text = text;
    x->textLength = length;
    CodeTableImporter::ReadDirectives(x);
    CodeTableImporter::ImportAll(x);
    *added = CodeTableImporter::Commit(x);
    CodeTableImporter::Destroy(x);
    std::free(text);
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

TEST(TableExportTiming, DISABLED_ImportOf600000Lines) {
    TableOnDisk t(MakeLargeTable(600000));
    ASSERT_EQ(CodeTable::RebuildPrefixIndex(t.get()), 1);
    std::wstring path = t.dir() / L"export.txt";
    CodeTableExporter* x = CodeTableExporter::Create(nullptr, nullptr, 0, nullptr, nullptr);
    ASSERT_EQ(CodeTableExporter::Export(x, t.get(), path.c_str()), 600000);
    CodeTableExporter::Destroy(x);
    int32_t added = -1;
    long long ms = ImportMs(t.get(), path, &added);
    std::printf("re-import into the same table: %d added in %lld ms\n", added, ms);
    TableOnDisk empty(MakeLargeTable(0));
    ms = ImportMs(empty.get(), path, &added);
    std::printf("import into an empty table: %d added in %lld ms\n", added, ms);
}

}  // namespace
