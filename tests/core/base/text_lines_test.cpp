#include "core/base/text_lines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/test_files.h"

using namespace testing_support;

namespace {

std::string AsString(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

// Runs body against a fresh "wb" stream and returns the bytes written.
template <typename F>
std::vector<uint8_t> Written(F body) {
    TempDir dir;
    std::wstring path = dir / L"out.txt";
    {
        UniqueFile f(_wfopen(path.c_str(), L"wb"));
        EXPECT_TRUE(f);
        body(f.get());
    }
    return ReadFileBytes(path);
}

TEST(WriteTextLine, FormatsWideTextAsUtf8) {
    auto bytes = Written([](FILE* f) {
        EXPECT_EQ(WriteTextLine(f, L"---config@码表别名=%ls\r\n", L"用户"), 1);
        EXPECT_EQ(WriteTextLine(f, L"#序%d|%ls|", 1024, L"\U0001F600"), 1);
    });
    EXPECT_EQ(AsString(bytes), "---config@码表别名=用户\r\n#序1024|\xF0\x9F\x98\x80|");
}

TEST(WriteTextLine, CutsAtTheLineLimitButNeverInsideAPair) {
    const std::wstring pair = L"\U0001F600";
    const std::wstring a = L"a";
    auto as = [](size_t n) { return std::wstring(n, L'a'); };
    struct Case {
        std::wstring text, expect;
    };
    const Case cases[] = {
        // Around the writer's short-line buffer.
        {as(509), as(509)},
        {as(510), as(510)},
        {as(511), as(511)},
        {as(512), as(512)},
        {as(510) + pair, as(510) + pair},
        {as(509) + pair + a, as(509) + pair + a},
        // At the line limit.
        {as(kMaxTextLineUnits), as(kMaxTextLineUnits)},
        {as(kMaxTextLineUnits + 100), as(kMaxTextLineUnits)},
        // The last unit that fits is the high half of a pair: the pair goes as a whole.
        {as(kMaxTextLineUnits - 1) + pair, as(kMaxTextLineUnits - 1)},
    };
    for (const auto& c : cases) {
        auto bytes =
            Written([&](FILE* f) { EXPECT_EQ(WriteTextLine(f, L"%ls", c.text.c_str()), 1); });
        EXPECT_TRUE(AsString(bytes) == Narrow(c.expect)) << c.text.size();
    }
}

TEST(WriteTextString, WritesLongTextsWholeAndMendsBrokenPairs) {
    std::wstring text(100000, L'中');
    text[32767] = 0xD83D;  // a pair across the writer's piece boundary
    text[32768] = 0xDE00;
    auto bytes = Written([&](FILE* f) { EXPECT_EQ(WriteTextString(f, text.c_str()), 1); });
    EXPECT_EQ(bytes.size(), 99998u * 3 + 4);
    EXPECT_EQ(AsString(bytes).substr(32767 * 3, 4), "\xF0\x9F\x98\x80");

    auto broken = Written([](FILE* f) {
        WriteTextString(f,
                        L"a\xD800"
                        L"b\xDC00");
    });
    EXPECT_EQ(AsString(broken),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    EXPECT_EQ(WriteTextString(nullptr, L"x"), 0);
}

TEST(AppendReportLine, WritesUtf16AndCountsEveryLine) {
    ImportReport report{nullptr, 0};
    auto bytes = Written([&](FILE* f) {
        report.stream = f;
        EXPECT_EQ(AppendReportLine(&report, L"%ls ----------重复的词条定义\r\n", L"词"), 1);
        EXPECT_EQ(AppendReportLine(&report, L"%ls\r\n", std::wstring(1000, L'长').c_str()), 1);
        report.stream = nullptr;
        // Without a stream the line still counts as refused.
        EXPECT_EQ(AppendReportLine(&report, L"%ls\r\n", L"x"), 0);
    });
    EXPECT_EQ(report.lines, 3);
    std::wstring expect = L"词 ----------重复的词条定义\r\n" + std::wstring(1000, L'长') + L"\r\n";
    ASSERT_EQ(bytes.size(), expect.size() * 2);
    EXPECT_EQ(std::memcmp(bytes.data(), expect.data(), bytes.size()), 0);
}

}  // namespace
