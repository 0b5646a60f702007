#include "core/table/code_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/tabletools/list_table_builder.h"
#include "support/exact_buffer.h"
#include "support/table_fixture.h"
#include "support/test_files.h"

using namespace testing_support;

namespace {

// A table file opened as a mapping for the duration of a test.
class TableFile {
public:
    explicit TableFile(const std::vector<uint8_t>& bytes) {
        path_ = dir_ / L"t.dmg";
        WriteFileBytes(path_, bytes);
        MappedFile* f = nullptr;
        MappedFile::Open(&f, path_.c_str());
        file_.reset(f);
    }
    MappedFile* get() const { return file_.get(); }

private:
    TempDir dir_;
    std::wstring path_;
    MappedFilePtr file_;
};

std::string Lp(const std::string& s) { return std::string(1, char(s.size())) + s; }
const uint8_t* U(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST(Compare, LengthPrefixedOrder) {
    struct Case {
        std::string a, b;
        int sign;
    };
    const Case cases[] = {
        {"a", "a", 0}, {"a", "ab", -1},     {"ab", "a", 1},  {"ab", "b", -1},
        {"", "a", -1}, {"\x80", "\x7f", 1}, {"ba", "ab", 1},
    };
    for (const auto& c : cases) {
        std::string a = Lp(c.a), b = Lp(c.b);
        int r = CompareLengthPrefixed(U(a), U(b));
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
    }
    std::string x = Lp("ab") + Lp("w1"), y = Lp("ab") + Lp("w2"), z = Lp("ab") + Lp("w1");
    EXPECT_LT(CompareCodeAndWord(U(x), U(y)), 0);
    EXPECT_EQ(CompareCodeAndWord(U(x), U(z)), 0);
}

TEST(CodeTableSearch, EmptyTable) {
    TableFile t(MakeCodeTable({}));
    std::string code = Lp("a"), key = Lp("a") + Lp("w");
    EXPECT_EQ(CodeTable::FindEntry(t.get(), U(key)), 0);
    EXPECT_EQ(CodeTable::FindCode(t.get(), U(code)), 0);
    auto b = CodeTable::PrefixBounds(t.get(), U(code), 1);
    EXPECT_EQ(b.first, 0);
    EXPECT_EQ(b.end, 0);
}

TEST(CodeTableSearch, HitsMissesAndPrefixBounds) {
    TableFile t(MakeCodeTable({{"ab", "x"}, {"a", "y"}, {"abc", "z"}, {"zz", "q"}, {"ab", "w"}}));
    // Sorted: a/y, ab/w, ab/x, abc/z, zz/q
    struct Case {
        std::string code;
        int64_t result;
    };
    const Case cases[] = {
        {"a", 1},    {"abc", 4},  {"zz", 5}, {"0", 0} /* miss at 0 */,
        {"abd", -4}, {"zzz", -5}, {"b", -4},
    };
    for (const auto& c : cases) {
        std::string code = Lp(c.code);
        int64_t r = CodeTable::FindCode(t.get(), U(code));
        if (c.result > 0 && c.code == "ab") continue;
        EXPECT_EQ(r, c.result) << c.code;
    }
    std::string ab = Lp("ab");
    int64_t r = CodeTable::FindCode(t.get(), U(ab));
    EXPECT_TRUE(r == 2 || r == 3);

    std::string key = Lp("ab") + Lp("x");
    EXPECT_EQ(CodeTable::FindEntry(t.get(), U(key)), 3);
    std::string missing = Lp("ab") + Lp("v");
    EXPECT_EQ(CodeTable::FindEntry(t.get(), U(missing)), -1);

    struct Bounds {
        std::string code;
        int bytes;
        int32_t first, end;
    };
    const Bounds bounds[] = {
        {"a", 1, 0, 4}, {"ab", 2, 1, 4},   {"zz", 2, 4, 5}, {"z", 1, 4, 5},
        {"b", 1, 4, 4}, {"\xe4", 1, 0, 5},  // outside the key bytes: the whole table
    };
    for (const auto& b : bounds) {
        std::string code = Lp(b.code);
        auto got = CodeTable::PrefixBounds(t.get(), U(code), b.bytes);
        EXPECT_EQ(got.first, b.first) << b.code;
        EXPECT_EQ(got.end, b.end) << b.code;
    }
    // An exact search inside prefix bounds; an empty range still yields its position.
    std::string abc = Lp("abc");
    EXPECT_EQ(CodeTable::FindCode(t.get(), U(abc), nullptr, {1, 4}), 4);
    std::string zz = Lp("zz");
    EXPECT_EQ(CodeTable::FindCode(t.get(), U(zz), nullptr, {2, 2}), -2);
}

TEST(CodeTableSearch, MissingTable) {
    std::string code = Lp("a");
    EXPECT_EQ(CodeTable::FindCode(nullptr, U(code)), -1);
    EXPECT_EQ(CodeTable::FindEntry(nullptr, U(code)), -1);
}

TEST(CodeTableSearch, DamagedTablesNeverReadOutsideTheView) {
    auto good = MakeCodeTable({{"a", "w1"}, {"b", "w2"}, {"c", "w3"}});
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int64_t findB;  // expected FindCode("b")
    };
    std::vector<Case> cases;
    cases.push_back(
        {"truncated header", std::vector<uint8_t>(good.begin(), good.begin() + 1000), -1});
    {
        auto b = good;
        int32_t huge = 0x7FFFFFFF;
        std::memcpy(&b[4], &huge, 4);
        cases.push_back({"count too large", b, 2});  // clamped to the array before the heap
    }
    {
        auto b = good;
        uint32_t past = static_cast<uint32_t>(b.size()) + 100;
        std::memcpy(&b[kOffsetArrayStart + 4], &past, 4);  // entry b points past the end
        cases.push_back({"offset past end", b, -1});
    }
    {
        auto b = good;
        uint32_t nearEnd = static_cast<uint32_t>(b.size()) - 3;
        std::memcpy(&b[kOffsetArrayStart + 4], &nearEnd, 4);  // entry reaches past the end
        cases.push_back({"entry past end", b, -1});
    }
    {
        auto b = good;
        uint32_t inHeader = 200;
        std::memcpy(&b[kOffsetArrayStart + 4], &inHeader, 4);
        cases.push_back({"offset into header", b, -1});
    }
    {
        auto b = good;
        uint32_t heap = 0xFFFFFFF0;
        std::memcpy(&b[0], &heap, 4);
        cases.push_back({"heap start past end", b, 2});
    }
    {
        auto b = good;
        int32_t neg = -5;
        std::memcpy(&b[4], &neg, 4);
        cases.push_back({"negative count", b, 0});
    }
    for (const auto& c : cases) {
        TableFile t(c.bytes);
        std::string code = Lp("b");
        int64_t r = CodeTable::FindCode(t.get(), U(code));
        if (c.findB == -1) {
            EXPECT_LE(r, 0) << c.what;
        } else {
            EXPECT_EQ(r, c.findB) << c.what;
        }
        auto bounds = CodeTable::PrefixBounds(t.get(), U(code), 1);
        TableView v = MakeTableView(t.get());
        EXPECT_LE(bounds.end, v.count) << c.what;
        for (int32_t i = 0; i < v.count; ++i) {
            const uint8_t* e = v.EntryAt(i);
            if (e) {
                EXPECT_LE(e + EntrySize(e), t.get()->view + t.get()->size) << c.what;
            }
        }
    }
}

// A list or key/value entry has no word behind its text: searching such a table by code and
// word would read past the entry. The table ends on the last readable byte, so a read past
// it faults.
TEST(CodeTableSearch, FindEntryRefusesTablesWithoutWords) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / L"list.txt", std::string("alpha\r\nbeta\r\nzulu\r\n")));
    ASSERT_EQ(BuildWordTableFile((dir / L"list.txt").c_str(), (dir / L"list.dmg").c_str(), nullptr,
                                 nullptr),
              1);
    const std::vector<uint8_t> built = ReadFileBytes(dir / L"list.dmg");
    std::vector<uint8_t> keyValue = MakeKeyValueTable({{"a", "b"}, {"zulu", "x"}});
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        uint32_t kind;  // 0 keeps the stored kind
        int64_t expected;
    };
    const Case cases[] = {
        {"built list table", built, 0, -1},
        {"kind with low nibble 5", built, 0x15, -1},
        {"key/value table", keyValue, 0, -1},
        {"same bytes read as a main table", MakeCodeTable({{"zulu", "w"}}), 0, 1},
        {"temporary table", MakeCodeTable({{"zulu", "w"}}, kTableKindTemp), 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = c.bytes;
        if (c.kind) std::memcpy(&bytes[8], &c.kind, 4);
        ExactBuffer view(bytes.data(), bytes.size());
        MappedFile f{};
        f.size = static_cast<int32_t>(bytes.size());
        f.view = static_cast<uint8_t*>(view.data());
        const std::string key = Lp("zulu") + Lp("w");
        EXPECT_EQ(CodeTable::FindEntry(&f, U(key)), c.expected);
        EXPECT_GE(CodeTable::FindCode(&f, U(Lp("zulu"))), 1) << "codes alone stay searchable";
    }
}

TEST(FindByKey, RepeatedKeysEarliestStoredFirst) {
    TableFile t(MakeKeyValueTable({{"\xe4\xb8\x81", "1"},  // 丁
                                   {"a", "x"},
                                   {"\xe4\xb8\x81", "2"},
                                   {"b", "y"},
                                   {"\xe4\xb8\x81", "3"}}));
    KeyMatchList* list = nullptr;
    ASSERT_EQ(CodeTable::FindByKey(t.get(), L"\u4e01", &list), 3);
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(KeyValueValue(list->entries[i]))),
                  std::to_string(i + 1));
    }
    FreeKeyMatchList(list);
    EXPECT_EQ(CodeTable::FindByKey(t.get(), L"a", &list), 1);
    FreeKeyMatchList(list);
    EXPECT_EQ(CodeTable::FindByKey(t.get(), L"c", &list), 0);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(CodeTable::FindByKey(t.get(), L"", &list), 0);
    // A key that cannot fit the key buffer fails cleanly.
    std::wstring longKey(200, L'\u4e01');
    EXPECT_EQ(CodeTable::FindByKey(t.get(), longKey.c_str(), &list), 0);
    EXPECT_EQ(list, nullptr);
}

TEST(EncodeWordByRules, BuildsCodesFromCharacterTable) {
    // 你 ni = ６４, 好 hao = ４８６ (full-width digits), 𠀀 has two codes (first stored wins).
    TableFile t(MakeKeyValueTable({{"\xe4\xbd\xa0", "\xef\xbc\x96\xef\xbc\x94"},
                                   {"\xe5\xa5\xbd", "\xef\xbc\x94\xef\xbc\x98\xef\xbc\x96"},
                                   {"\xf0\xa0\x80\x80", "\xef\xbc\x91"},
                                   {"\xf0\xa0\x80\x80", "\xef\xbc\x92"}}));
    auto term = [](int ch, int k) { return static_cast<uint16_t>((ch << 8) | k); };
    struct Case {
        std::vector<uint16_t> rule;
        std::wstring word;
        std::wstring code;
        int result;
    };
    const Case cases[] = {
        {{term(1, 1), term(1, 2), term(2, 1), term(2, 2), 0}, L"你好", L"６４４８", 1},
        {{term(1, 0), term(2, 0), 0}, L"你好", L"６４４８６", 1},
        {{term(2, 0), 0}, L"你", L"６４", 1},  // past the end: the last character
        {{term(1, 3), 0}, L"你", L"", 0},      // the code has no third letter
        {{term(1, 0), term(2, 1), 0}, L"\U00020000你", L"１６", 1},
        {{term(1, 0), 0}, L"丁", L"", 0},  // no entry for the character
        {{0}, L"你好", L"", 0},
        {{0x8000 | term(0, 1), 0}, L"你好", L"４", 1},  // from the back: the last character
    };
    for (const auto& c : cases) {
        wchar_t out[kRuleCodeUnits];
        EXPECT_EQ(EncodeWordByRules(t.get(), c.rule.data(), c.word.c_str(), out), c.result);
        EXPECT_EQ(std::wstring(out), c.code);
    }
}

}  // namespace
