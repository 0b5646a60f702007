// Checks of the shipped tables built from the lexicon packages (tools/make_data.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/base/mapped_file.h"
#include "core/base/text_convert.h"
#include "core/table/code_table.h"
#include "core/table/table_format.h"
#include "shipped_data.h"
#include "support/table_invariants.h"
#include "support/test_files.h"
#include "tablegen/temp_table.h"

namespace {

using shipped::DataDir;

struct Table {
    MappedFile* file = nullptr;
    explicit Table(const wchar_t* name) {
        std::wstring path = DataDir() + L"/" + name;
        MappedFile::Open(&file, path.c_str());
    }
    ~Table() { MappedFile::Close(file); }
    TableView view() const { return MakeTableView(file); }
};

std::string Utf8(const wchar_t* text) {
    char buf[512];
    int n = Utf16ToUtf8(text, 250, buf, sizeof buf);
    return n > 0 ? std::string(buf, n) : std::string();
}

// Length-prefixed code bytes of a code written with full-width digits.
std::vector<uint8_t> CodeBytes(const wchar_t* fullWidth) {
    std::vector<uint8_t> code(1, 0);
    for (const wchar_t* p = fullWidth; *p; ++p) code.push_back(static_cast<uint8_t>(*p - 0xFF00));
    code[0] = static_cast<uint8_t>(code.size() - 1);
    return code;
}

// Words under exactly this code, by falling order (equal orders in table order).
std::vector<std::string> Candidates(const Table& t, const wchar_t* fullWidth) {
    std::vector<uint8_t> code = CodeBytes(fullWidth);
    int64_t hit = CodeTable::FindCode(t.file, code.data(), CompareLengthPrefixed,
                                      CodeTable::PrefixBounds(t.file, code.data(), 2));
    std::vector<std::string> words;
    if (hit <= 0) return words;
    TableView v = t.view();
    auto same = [&](int32_t pos) {
        const uint8_t* e = v.EntryAt(pos);
        return e && CompareLengthPrefixed(EntryCode(e), code.data()) == 0;
    };
    int32_t first = static_cast<int32_t>(hit - 1), last = first;
    while (first > 0 && same(first - 1)) --first;
    while (last + 1 < v.count && same(last + 1)) ++last;
    std::vector<std::pair<uint32_t, int32_t>> ranked;
    for (int32_t pos = first; pos <= last; ++pos)
        ranked.push_back({LoadU32(v.EntryAt(pos)) & kOrderMask, pos});
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& r : ranked) {
        const uint8_t* w = EntryWord(v.EntryAt(r.second));
        words.emplace_back(reinterpret_cast<const char*>(w + 1), w[0]);
    }
    return words;
}

std::vector<std::string> Values(const Table& t, const wchar_t* key) {
    std::vector<std::string> values;
    KeyMatchList* list = nullptr;
    if (CodeTable::FindByKey(t.file, key, &list) > 0) {
        for (int32_t i = 0; i < list->count; ++i)
            values.emplace_back(reinterpret_cast<const char*>(KeyValueValue(list->entries[i])));
    }
    FreeKeyMatchList(list);
    return values;
}

bool ListHas(const Table& t, const wchar_t* text) {
    std::vector<uint8_t> key(1, 0);
    std::string bytes = Utf8(text);
    key.insert(key.end(), bytes.begin(), bytes.end());
    key[0] = static_cast<uint8_t>(bytes.size());
    return CodeTable::FindCode(t.file, key.data()) > 0;
}

class ShippedTables : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testing_support::FileExists(DataDir() + L"/main.dmg"))
            << "no tables in " << testing_support::Narrow(DataDir())
            << ": run tools/make_data.sh (tools/test.sh does)";
    }
};

TEST_F(ShippedTables, HeadersAndKinds) {
    struct Expect {
        const wchar_t* name;
        uint32_t kind;
        const char* tag;
    };
    const Expect tables[] = {
        {L"main.dmg", kTableKindMain, "SYSMB"},
        {L"temp.dmg", kTableKindTemp, "TMPMB"},
        {L"sysl.dmg", kTableKindList, "lxmb"},
        {L"engl.dmg", kTableKindList, "lxmb"},
        {L"danzi.dmi", kTableKindKeyValue, "STRMB"},
        {L"dict.dms", kTableKindKeyValue, "STRMB"},
        {L"traditional.dms", kTableKindKeyValue, "STRMB"},
        {L"simplified.dms", kTableKindKeyValue, "STRMB"},
    };
    for (const Expect& e : tables) {
        SCOPED_TRACE(testing_support::Narrow(e.name));
        Table t(e.name);
        ASSERT_NE(t.file, nullptr);
        ASSERT_GE(t.file->size, static_cast<int32_t>(sizeof(TableFileHeader)));
        TableFileHeader h;
        std::memcpy(&h, t.file->view, sizeof h);
        EXPECT_EQ(h.kind, e.kind);
        EXPECT_EQ(h.version, kTableVersion);
        EXPECT_STREQ(h.nameTag, e.tag);
        if (e.kind == kTableKindTemp)
            EXPECT_EQ(h.count, 0);
        else
            EXPECT_GT(h.count, 0);
    }
}

TEST_F(ShippedTables, PackedTablesKeepTheFormatInvariants) {
    for (const wchar_t* name : {L"main.dmg", L"sysl.dmg", L"engl.dmg", L"danzi.dmi", L"dict.dms",
                                L"traditional.dms", L"simplified.dms"}) {
        Table t(name);
        ASSERT_NE(t.file, nullptr) << testing_support::Narrow(name);
        EXPECT_EQ(testing_support::CheckTableInvariants(t.file), "")
            << testing_support::Narrow(name);
    }
}

TEST_F(ShippedTables, MainTableCarriesTheInputMethodGuid) {
    std::vector<uint8_t> bytes = testing_support::ReadFileBytes(DataDir() + L"/main.dmg");
    ASSERT_GE(bytes.size(), 28u);
    EXPECT_EQ(std::memcmp(bytes.data() + 12, shipped::kGuidBytes, 16), 0);
}

TEST_F(ShippedTables, TempTableIsTheEmptyTable) {
    EXPECT_EQ(testing_support::ReadFileBytes(DataDir() + L"/temp.dmg"), MakeEmptyTempTableBytes());
}

TEST_F(ShippedTables, MainTableSize) {
    Table t(L"main.dmg");
    TableView v = t.view();
    ASSERT_TRUE(v.valid());
    // Every reading under its full code, syllable initials only where they save keys.
    EXPECT_GT(v.count, 400000);
    std::unordered_set<std::string> words;
    for (int32_t pos = 0; pos < v.count; ++pos) {
        const uint8_t* e = v.EntryAt(pos);
        ASSERT_NE(e, nullptr) << pos;
        const uint8_t* code = EntryCode(e);
        for (int i = 1; i <= code[0]; ++i) ASSERT_TRUE(code[i] >= 0x11 && code[i] <= 0x19) << pos;
        ASSERT_EQ(EntryClassOf(LoadU32(e)), kClassSystem) << pos;
        const uint8_t* w = EntryWord(e);
        words.emplace(reinterpret_cast<const char*>(w + 1), w[0]);
    }
    EXPECT_GE(words.size(), 250000u);
}

TEST_F(ShippedTables, OtherTableSizes) {
    const std::pair<const wchar_t*, int32_t> minimums[] = {
        {L"danzi.dmi", 20000}, {L"dict.dms", 250000},       {L"sysl.dmg", 100000},
        {L"engl.dmg", 50000},  {L"traditional.dms", 10000}, {L"simplified.dms", 2000},
    };
    for (const auto& [name, minimum] : minimums) {
        Table t(name);
        EXPECT_GT(t.view().count, minimum) << testing_support::Narrow(name);
    }
}

TEST_F(ShippedTables, CommonWordsRankAmongTheFirst) {
    struct Case {
        const wchar_t* code;
        const wchar_t* word;
        size_t within;  // 1: first
    };
    const Case cases[] = {
        // phrases under their full codes
        {L"６４４８６", L"你好", 1},
        {L"３４６６４４２６", L"中国", 1},
        {L"３６６９６", L"我们", 3},
        {L"８９４５４６４", L"北京", 1},
        {L"３４９３４９", L"谢谢", 3},
        {L"９４８６６８６", L"电脑", 1},
        {L"３４８６３８４", L"现在", 1},
        {L"４２６５４８", L"国家", 1},
        {L"３４９１４４", L"这是", 1},
        {L"３４６６４４２８１９６６４６４６６４４９４２６", L"中华人民共和国", 1},
        // characters
        {L"９９", L"的", 1},
        {L"３６", L"我", 1},
        {L"１４４", L"是", 1},
        {L"６４", L"你", 1},
        {L"２８", L"他", 3},
        {L"３４６６４", L"中", 3},
        {L"４２６", L"国", 3},
        {L"８２", L"不", 1},
        // syllable initials of words of two to four syllables
        {L"３６", L"我们", 3},
        {L"２４", L"通过", 3},
        {L"３３", L"现在", 1},
        {L"８５", L"北京", 3},
    };
    Table t(L"main.dmg");
    ASSERT_NE(t.file, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing_support::Narrow(c.code) + " " + testing_support::Narrow(c.word));
        std::vector<std::string> words = Candidates(t, c.code);
        ASSERT_FALSE(words.empty());
        auto it = std::find(words.begin(), words.end(), Utf8(c.word));
        ASSERT_NE(it, words.end());
        EXPECT_LT(static_cast<size_t>(it - words.begin()), c.within) << "first: " << words[0];
    }
}

TEST_F(ShippedTables, WordsStayOffThePageOfAReadingTheyRarelyHave) {
    // The lexicon lists these words under every reading of their characters at one weight;
    // under the codes of readings they do not have they stay off the first page.
    struct Case {
        const wchar_t* code;
        const wchar_t* word;
    };
    const Case cases[] = {
        {L"３４６４３９", L"行业"},    // xing ye, read hang ye
        {L"８４８６３４", L"便宜"},    // bian yi, read pian yi
        {L"８４８６４９８", L"长大"},  // chang da, read zhang da
        {L"４２８６３６２", L"还有"},  // huan you, read hai you
        {L"３４６６４９４", L"中的"},  // zhong di, read zhong de
    };
    Table t(L"main.dmg");
    ASSERT_NE(t.file, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing_support::Narrow(c.code) + " " + testing_support::Narrow(c.word));
        std::vector<std::string> words = Candidates(t, c.code);
        auto it = std::find(words.begin(), words.end(), Utf8(c.word));
        if (it != words.end()) {
            EXPECT_GE(it - words.begin(), 5);
        }
    }
}

TEST_F(ShippedTables, KeyValueLookups) {
    struct Case {
        const wchar_t* table;
        const wchar_t* key;
        const wchar_t* value;  // first value, or the start of it
    };
    const Case cases[] = {
        {L"danzi.dmi", L"中", L"３４６６４"}, {L"danzi.dmi", L"好", L"４８６"},
        {L"danzi.dmi", L"的", L"９９"},       {L"dict.dms", L"你好", L"nǐ hǎo"},
        {L"dict.dms", L"中国", L"zhōng guó"}, {L"dict.dms", L"绿", L"lǜ"},
        {L"traditional.dms", L"国", L"國"},   {L"traditional.dms", L"发", L"發"},
        {L"simplified.dms", L"國", L"国"},    {L"simplified.dms", L"發", L"发"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing_support::Narrow(c.table) + " " + testing_support::Narrow(c.key));
        Table t(c.table);
        std::vector<std::string> values = Values(t, c.key);
        ASSERT_FALSE(values.empty());
        EXPECT_EQ(values[0].rfind(Utf8(c.value), 0), 0u) << values[0];
    }
    // A character keeps every form, in the conversion dictionary's order.
    Table trad(L"traditional.dms");
    std::vector<std::string> forms = Values(trad, L"发");
    EXPECT_NE(std::find(forms.begin(), forms.end(), Utf8(L"髮")), forms.end());
}

TEST_F(ShippedTables, ListTablesHoldCommonTexts) {
    Table assoc(L"sysl.dmg");
    for (const wchar_t* text : {L"中国", L"我们", L"中华人民共和国", L"你好"})
        EXPECT_TRUE(ListHas(assoc, text)) << testing_support::Narrow(text);
    Table english(L"engl.dmg");
    for (const wchar_t* text : {L"the", L"hello", L"keyboard", L"American"})
        EXPECT_TRUE(ListHas(english, text)) << testing_support::Narrow(text);
}

}  // namespace
