#include "core/tabletools/table_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> out;
    size_t pos = 0;
    TextLine line;
    while (NextTextLine(text.c_str(), text.size(), &pos, &line)) {
        out.push_back(text.substr(line.start, line.length));
    }
    return out;
}

TEST(TableTextLines, EndAtCrLfAndRunsOfThem) {
    EXPECT_EQ(Lines(L"a\r\nb\rc\nd"), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(Lines(L"\r\n\r\n a \n\n\r\rb\r\n"), (std::vector<std::wstring>{L" a ", L"b"}));
    EXPECT_TRUE(Lines(L"").empty());
    EXPECT_TRUE(Lines(L"\r\n\n\r").empty());
}

TEST(TableTextLines, CountsLineEnds) {
    // Room for every CR and every LF; the reader's count takes CR LF as one end.
    const std::wstring text = L"a\r\nb\nc\rd";
    EXPECT_EQ(CountLineEnds(text.c_str(), text.size()), 5u);
    EXPECT_EQ(CountTextLines(text.c_str(), text.size()), 4u);
    EXPECT_EQ(CountTextLines(L"x", 1), 1u);
    EXPECT_EQ(CountTextLines(L"x\n\n", 3), 3u);
}

TEST(TableTextLines, Classifies) {
    struct Case {
        const wchar_t* line;
        TableLineKind kind;
        size_t dataStart;
    } cases[] = {
        {L"//comment", TableLineKind::kComment, 0},
        {L"//", TableLineKind::kComment, 0},
        {L"///", TableLineKind::kData, 1},
        {L"///x\ty", TableLineKind::kData, 1},
        {L"/x\ty", TableLineKind::kData, 0},
        {L"---config@a=b", TableLineKind::kDirective, 0},
        {L"---config@", TableLineKind::kData, 0},  // not longer than 10 units
        {L"---config", TableLineKind::kData, 0},
        {L"w\tc", TableLineKind::kData, 0},
    };
    for (const auto& c : cases) {
        size_t start = 99;
        std::wstring s = c.line;
        EXPECT_EQ(ClassifyTableLine(s.c_str(), s.size(), &start), c.kind) << s.c_str();
        EXPECT_EQ(start, c.dataStart) << s.c_str();
    }
}

TEST(TableTextDirectives, FoundAnywhereUpToTheLineEnd) {
    const std::wstring text = L"x\t---config@k1=v1\r\n---config@k2\n---config@=v3";
    size_t pos = 0;
    TableDirective d;
    std::vector<std::pair<std::wstring, std::wstring>> got;
    while (NextTableDirective(text.c_str(), text.size(), &pos, &d)) {
        got.push_back({std::wstring(d.key, d.keyLength),
                       d.value ? std::wstring(d.value, d.valueLength) : L"<none>"});
    }
    EXPECT_EQ(got, (std::vector<std::pair<std::wstring, std::wstring>>{
                       {L"k1", L"v1"}, {L"k2", L"<none>"}, {L"", L"v3"}}));
}

TEST(TableTextDecimal, ParsesLeadingNumber) {
    struct Case {
        const wchar_t* text;
        int32_t value;
    } cases[] = {
        {L"100", 100},
        {L"-5", -5},
        {L"+7x", 7},
        {L" 12", 12},
        {L"abc", 0},
        {L"", 0},
        {L"99999999999", INT32_MAX},
        {L"-99999999999", INT32_MIN},
        {L"3#序1", 3},
    };
    for (const auto& c : cases) {
        std::wstring s = c.text;
        EXPECT_EQ(ParseTableDecimal(s.c_str(), s.size()), c.value) << s.c_str();
    }
}

struct TagCase {
    const wchar_t* codePart;
    const TableTag* order;
    bool hashEscapes;
    const wchar_t* code;
    std::vector<TableTag> found;
    int32_t orderValue;
    int32_t category;
};

TEST(TableTextTags, SearchedInOrderEachCuttingTheCode) {
    const TagCase cases[] = {
        {L"ab", kBuilderTagOrder, true, L"ab", {}, 0, 0},
        {L"ab#类3#序100",
         kBuilderTagOrder,
         true,
         L"ab",
         {TableTag::kOrder, TableTag::kCategory},
         100,
         3},
        // The order tag is found first and cuts the category tag away.
        {L"ab#序100#类3", kBuilderTagOrder, true, L"ab", {TableTag::kOrder}, 100, 0},
        {L"ab#删", kBuilderTagOrder, true, L"ab", {TableTag::kDelete}, 0, 0},
        {L"ab#固#用", kBuilderTagOrder, true, L"ab", {TableTag::kUser, TableTag::kPinned}, 0, 0},
        {L"a#次", kBuilderTagOrder, true, L"a", {TableTag::kSecondary}, 0, 0},
        {L"a#辅", kBuilderTagOrder, true, L"a", {TableTag::kAux}, 0, 0},
        // A '#' behind another '#' starts no tag in the builder's text.
        {L"a##用", kBuilderTagOrder, true, L"a##用", {}, 0, 0},
        {L"a##用#用", kBuilderTagOrder, true, L"a##用", {TableTag::kUser}, 0, 0},
        {L"a##用", kImporterTagOrder, false, L"a#", {TableTag::kUser}, 0, 0},
        // The importer searches the delete tag last, so an order tag left of it cuts it away.
        {L"a#删#序5", kImporterTagOrder, false, L"a", {TableTag::kOrder, TableTag::kDelete}, 5, 0},
        {L"a#序5#删", kImporterTagOrder, false, L"a", {TableTag::kOrder}, 5, 0},
        {L"#用", kBuilderTagOrder, true, L"", {TableTag::kUser}, 0, 0},
        {L"a#序-3", kBuilderTagOrder, true, L"a", {TableTag::kOrder}, -3, 0},
    };
    for (const auto& c : cases) {
        std::wstring s = c.codePart;
        TableTags tags;
        size_t n =
            ParseTableTags(s.data(), s.size(), c.order, kTableTagCount, c.hashEscapes, &tags);
        EXPECT_EQ(std::wstring(s.c_str(), n), c.code) << c.codePart;
        EXPECT_EQ(s.c_str(), std::wstring(c.code)) << c.codePart;  // cut with a NUL
        for (int t = 0; t < kTableTagCount; ++t) {
            bool want = false;
            for (auto f : c.found) want |= static_cast<int>(f) == t;
            EXPECT_EQ(tags.found[t], want) << c.codePart << " tag " << t;
        }
        if (tags.has(TableTag::kOrder)) {
            EXPECT_EQ(tags.order, c.orderValue) << c.codePart;
        }
        if (tags.has(TableTag::kCategory)) {
            EXPECT_EQ(tags.category, c.category) << c.codePart;
        }
    }
}

TEST(TableTextEscapes, UnescapesInPlace) {
    struct Case {
        const wchar_t* in;
        bool spaceEscape;
        const wchar_t* out;
    } cases[] = {
        {L"plain", true, L"plain"},
        {L"a\\\\b", true, L"a\\b"},
        {L"a\\rb", true, L"a\r\nb"},
        {L"a\\tb", true, L"a\tb"},
        {L"a\\sb", true, L"a b"},
        {L"a\\sb", false, L"a\\sb"},
        {L"a\\xb", true, L"a\\xb"},
        {L"end\\", true, L"end\\"},
        {L"\\\\r", true, L"\\r"},  // the escaped backslash is not the start of another escape
        {L"", true, L""},
    };
    for (const auto& c : cases) {
        std::wstring s = c.in;
        size_t n = UnescapeTableWord(s.data(), s.size(), c.spaceEscape);
        EXPECT_EQ(std::wstring(s.c_str(), n), c.out) << c.in;
        EXPECT_EQ(std::wstring(s.c_str()), c.out) << c.in;
    }
}

TEST(TableTextEncoding, MeasuresWholeTextAndMapsKeypadCharacters) {
    uint8_t buf[16] = {};
    const std::wstring digits = L"\xFF11\xFF12\xFF0A\xFF19\xFF10";
    ASSERT_EQ(EncodeTableText(digits.c_str(), digits.size(), true, buf, sizeof buf), 5);
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 5),
              (std::vector<uint8_t>{0x11, 0x12, 0x0A, 0x19, 0x10}));
    EXPECT_EQ(EncodeTableText(digits.c_str(), digits.size(), false, nullptr, 0), 15);
    // U+FF09 and U+FF1A are outside the keypad range.
    EXPECT_EQ(EncodeTableText(L"\xFF09\xFF1A", 2, true, nullptr, 0), 6);

    // Too small: the full count comes back and nothing is written.
    uint8_t small[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(EncodeTableText(L"\x4E2D\x6587", 2, true, small, 4), 6);
    EXPECT_EQ(small[0], 0xEE);

    EXPECT_EQ(EncodeTableText(L"\xD83D\xDE00", 2, true, buf, sizeof buf), 4);
    EXPECT_EQ(EncodeTableText(L"\xD83D", 1, true, buf, sizeof buf), -1);
    EXPECT_EQ(EncodeTableText(L"\xDE00x", 2, true, buf, sizeof buf), -1);

    std::wstring longText(1000, L'\x4E2D');
    EXPECT_EQ(EncodeTableText(longText.c_str(), longText.size(), true, nullptr, 0), 3000);
}

TEST(TableTextEncoding, KeypadCodeFailsRatherThanCuts) {
    uint8_t buf[300];
    ASSERT_EQ(EncodeKeypadCode(L"\xFF11\xFF12", buf, sizeof buf), 3);
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 3), (std::vector<uint8_t>{2, 0x11, 0x12}));
    EXPECT_EQ(EncodeKeypadCode(L"", buf, sizeof buf), 1);
    EXPECT_EQ(EncodeKeypadCode(L"ab", nullptr, 0), 3);
    EXPECT_EQ(EncodeKeypadCode(L"ab", buf, 2), 0);
    std::wstring cjk83(83, L'\x4E2D');  // 249 bytes
    EXPECT_EQ(EncodeKeypadCode(cjk83.c_str(), buf, sizeof buf), 250);
    std::wstring cjk84(84, L'\x4E2D');  // 252 bytes
    EXPECT_EQ(EncodeKeypadCode(cjk84.c_str(), buf, sizeof buf), 0);
    std::wstring keys250(250, L'\xFF11');
    EXPECT_EQ(EncodeKeypadCode(keys250.c_str(), buf, sizeof buf), 251);
    std::wstring keys251(251, L'\xFF11');
    EXPECT_EQ(EncodeKeypadCode(keys251.c_str(), buf, sizeof buf), 0);
    EXPECT_EQ(EncodeKeypadCode(L"\xD83D", buf, sizeof buf), 0);
}

}  // namespace
