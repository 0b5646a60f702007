// Timing run of a main-table build from 600,000 generated lines. Disabled in normal runs;
// start it with --gtest_also_run_disabled_tests. It prints the time and asserts no time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "core/base/mapped_file.h"
#include "core/table/table_format.h"
#include "core/tabletools/table_builder.h"
#include "support/mapped_table.h"
#include "support/table_invariants.h"
#include "support/test_files.h"

namespace {

using testing_support::PrivateTempFolder;
using testing_support::TempDir;

// Lines like the shipped table's: a word of 1-4 CJK characters, a keypad code of 1-12
// full-width digits; every 50th line repeats an earlier one.
std::wstring GenerateText(int lines) {
    std::wstring text;
    text.reserve(static_cast<size_t>(lines) * 16);
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    std::wstring last;
    for (int i = 0; i < lines; ++i) {
        if (i % 50 == 49) {
            text += last;
            continue;
        }
        std::wstring line;
        int chars = 1 + next() % 4;
        for (int k = 0; k < chars; ++k) line += static_cast<wchar_t>(0x4E00 + next() % 20000);
        line += L'\t';
        int digits = 1 + next() % 12;
        for (int k = 0; k < digits; ++k) line += static_cast<wchar_t>(0xFF11 + next() % 9);
        line += L"\r\n";
        text += line;
        last = line;
    }
    return text;
}

TEST(BuilderTiming, DISABLED_MainTableOf600000Lines) {
    PrivateTempFolder temp;
    const TempDir& dir = temp.dir();
    const int kLines = 600000;
    std::wstring text = GenerateText(kLines);
    auto* copy = static_cast<wchar_t*>(std::malloc((text.size() + 1) * sizeof(wchar_t)));
    ASSERT_NE(copy, nullptr);
    std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(wchar_t));

    auto start = std::chrono::steady_clock::now();
    CodeTableBuilder* b = CodeTableBuilder::Create();
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(CodeTableBuilder::AddText(b, copy), 1);
    std::wstring out = dir / L"main.dmg";
    wcscpy(b->outputPath, out.c_str());
    int32_t parsed = CodeTableBuilder::ParseLines(b);
    auto parsedAt = std::chrono::steady_clock::now();
    ASSERT_EQ(CodeTableBuilder::WriteTable(b), 1);
    auto done = std::chrono::steady_clock::now();
    int32_t unique = b->uniqueCount;
    CodeTableBuilder::Destroy(b);

    auto ms = [](auto a, auto z) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(z - a).count();
    };
    std::printf(
        "build of %d lines: %d records, %d unique; parse+tree %lld ms, write+sort+index "
        "%lld ms, total %lld ms\n",
        kLines, parsed, unique, static_cast<long long>(ms(start, parsedAt)),
        static_cast<long long>(ms(parsedAt, done)), static_cast<long long>(ms(start, done)));

    MappedFile* t = nullptr;
    ASSERT_GT(MappedFile::Open(&t, out.c_str()), 0);
    MappedFilePtr table(t);
    EXPECT_EQ(testing_support::CheckTableInvariants(table.get()), "");
}

}  // namespace
