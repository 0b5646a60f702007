// Timings of the table page and the viewer over the shipped main.dmg (ZAN_DATA_DIR): the
// viewer's filter pass, the import of 100,000 lines, the export of the whole table and the
// replace in place. Run by hand with --gtest_also_run_disabled_tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/table_viewer_rules.h"
#include "core/base/text_convert.h"
#include "core/base/text_file.h"
#include "core/table/table_replace.h"
#include "core/tabletools/table_builder.h"
#include "core/tabletools/table_exporter.h"
#include "core/tabletools/table_importer.h"
#include "support/mapped_table.h"
#include "support/shipped_data.h"
#include "support/test_files.h"

namespace {

using namespace testing_support;
using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p99 = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    std::printf("%s: median %.1f ms, p99 %.1f ms (%zu runs)\n", what, median, p99, ms.size());
}

TEST(TableBench, DISABLED_ShippedMainTable) {
    const std::vector<uint8_t> bytes = ReadFileBytes(ShippedDataFile(L"main.dmg"));
    if (bytes.empty()) GTEST_SKIP() << "no shipped main.dmg";
    PrivateTempFolder temp;
    MappedTable main(bytes);
    const TableView v = MakeTableView(main.get());
    std::printf("main.dmg: %d entries, %zu bytes\n", v.count, bytes.size());

    std::vector<double> all, byCode, byWord;
    ViewerFilter f;
    for (int i = 0; i < 30; ++i) {
        auto t = Clock::now();
        EXPECT_GT(FilterPositions(main.get(), f).size(), 0u);
        all.push_back(Ms(t));
    }
    Report("viewer load, no filter", all);
    ViewerFilter code;
    code.code = ViewerCode(v, v.EntryAt(v.count / 3));
    ViewerFilter word;
    word.word = L"中";
    word.fuzzy = true;
    for (int i = 0; i < 30; ++i) {
        auto t = Clock::now();
        EXPECT_GT(FilterPositions(main.get(), code).size(), 0u);
        byCode.push_back(Ms(t));
        t = Clock::now();
        FilterPositions(main.get(), word);
        byWord.push_back(Ms(t));
    }
    Report("viewer filter, exact code", byCode);
    Report("viewer filter, word containing 中", byWord);

    // Export of the whole table.
    TempDir dir;
    const std::wstring exported = dir / L"all.txt";
    auto t = Clock::now();
    CodeTableExporter* x = CodeTableExporter::Create(nullptr, nullptr, 0, nullptr, nullptr);
    const int32_t written = CodeTableExporter::Export(x, main.get(), exported.c_str());
    CodeTableExporter::Destroy(x);
    std::printf("export of the whole table: %d entries in %.0f ms\n", written, Ms(t));

    // Import of 100,000 new lines.
    std::wstring lines;
    for (int i = 0; i < 100000; ++i) {
        lines += L"测" + std::to_wstring(i) + L"\tzz" + std::to_wstring(i) + L"\r\n";
    }
    const std::string utf8 = Narrow(lines);
    ASSERT_TRUE(WriteFileBytes(dir / L"new.txt", "\xEF\xBB\xBF" + utf8));
    wchar_t* text = nullptr;
    size_t length = 0;
    ASSERT_EQ(ReadTextFile((dir / L"new.txt").c_str(), &text, &length), 0);
    t = Clock::now();
    CodeTableImporter* im = CodeTableImporter::Create();
    im->table = main.get();
    im->text = text;
    im->textLength = length;
    CodeTableImporter::ReadDirectives(im);
    CodeTableImporter::ImportAll(im);
    const int32_t added = CodeTableImporter::Commit(im);
    CodeTableImporter::Destroy(im);
    std::free(text);
    std::printf("import of 100,000 lines: %d added in %.0f ms\n", added, Ms(t));

    // Replace in place from the exported text: the build into %TEMP%, then the copy.
    ASSERT_EQ(ReadTextFile(exported.c_str(), &text, &length), 0);
    t = Clock::now();
    CodeTableBuilder* b = CodeTableBuilder::Create();
    CodeTableBuilder::AddText(b, text);
    const std::wstring work = dir / L"work.dmg";
    wcsncpy(b->outputPath, work.c_str(), kPathChars - 1);
    CodeTableBuilder::ParseLines(b);
    ASSERT_EQ(CodeTableBuilder::WriteTable(b), 1);
    CodeTableBuilder::Destroy(b);
    const double build = Ms(t);
    MappedFile* fresh = nullptr;
    ASSERT_GT(MappedFile::Open(&fresh, work.c_str()), 0);
    t = Clock::now();
    EXPECT_EQ(ReplaceTableInPlace(main.get(), fresh), TableWriteResult::kDone);
    std::printf("replace: build %.0f ms, copy in place %.0f ms\n", build, Ms(t));
    MappedFile::Close(fresh);
}

}  // namespace
