#include "core/tabletools/table_exporter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/base/text_file.h"
#include "core/settings/config_blocks.h"
#include "core/table/code_table.h"
#include "core/table/table_format.h"
#include "core/tabletools/table_builder.h"
#include "support/table_fixture.h"
#include "support/table_on_disk.h"
#include "support/test_files.h"

using namespace testing_support;

namespace {

uint32_t Flags(uint32_t cls, uint32_t order, uint32_t extra = 0) {
    return ComposeFlags(order, cls) | extra;
}

// One entry of every kind the exporter tells apart.
std::vector<FixtureEntry> SampleEntries() {
    return {
        {"ab", "啊", Flags(1, 100)},
        {"ab", "爸", Flags(1, 0, kFlagPinned)},
        {"\x11\x12", "你好", Flags(2, 1024)},
        {"a", "//x", Flags(2, 5)},
        {"b", "a\r\nb\tc\\d\ne", Flags(3, 7, kFlagDeleted)},
        {"c", "类", Flags(18, 1)},
        {"d", "辅", Flags(4, 0)},
        {"e", "五", Flags(5, 3)},
        {"f", "高", Flags(40, 2)},
    };
}

struct Settings {
    uint32_t permissions[32] = {};
    wchar_t aliases[32][32] = {};
    Settings() {
        for (int c : {0, 1, 2, 3, 4, 16, 17, 18}) permissions[c] = 1;
        const wchar_t* names[] = {L"主码", L"系统", L"用户", L"次显", L"辅码"};
        for (int c = 0; c < 5; ++c) wcscpy(aliases[c], names[c]);
        wcscpy(aliases[16], L"分类一");
        wcscpy(aliases[18], L"分类三");
    }
};

std::string Export(const std::vector<uint8_t>& table, int32_t selection, const Settings* s,
                   int32_t* count = nullptr) {
    TableOnDisk t(table);
    CodeTableExporter* x = CodeTableExporter::Create(
        nullptr, nullptr, selection, s ? s->permissions : nullptr, s ? s->aliases : nullptr);
    std::wstring out = t.dir() / L"export.txt";
    int32_t n = CodeTableExporter::Export(x, t.get(), out.c_str());
    CodeTableExporter::Destroy(x);
    if (count) *count = n;
    auto bytes = ReadFileBytes(out);
    return std::string(bytes.begin(), bytes.end());
}

TEST(CodeTableExporter, EachSelectionAgainstGoldenText) {
    const std::string bom = "\xEF\xBB\xBF";
    struct Case {
        const char* name;
        int32_t selection;
        bool withSettings;
        int32_t count;
        std::string text;
    };
    const Case cases[] = {
        {"every class, with settings", 0, true, 8,
         bom + "---config@主码别名=主码\r\n"
               "---config@主码-系统码表别名=系统\r\n"
               "---config@主码-用户码表别名=用户\r\n"
               "---config@主码-次显码表别名=次显\r\n"
               "---config@主码-分类码表别名1=分类一\r\n"
               "---config@主码-分类码表别名2=\r\n"
               "---config@主码-分类码表别名3=分类三\r\n"
               "---config@辅码别名=辅码\r\n"
               "爸\tab#固\r\n"
               "啊\tab#序100\r\n"
               "你好\t１２#用#序1024\r\n"
               "///x\ta#用#序5\r\n"
               "a\\rb\\tc\\\\d\\re\tb#删#次#序7\r\n"
               "辅\td#辅\r\n"
               "类\tc#类3#序1\r\n"
               "高\tf#序2\r\n"},
        {"every class, no settings", 0, false, 9,
         bom + "爸\tab#固\r\n"
               "啊\tab#序100\r\n"
               "你好\t１２#用#序1024\r\n"
               "///x\ta#用#序5\r\n"
               "a\\rb\\tc\\\\d\\re\tb#删#次#序7\r\n"
               "辅\td#辅\r\n"
               "五\te#序3\r\n"
               "类\tc#类3#序1\r\n"
               "高\tf#序2\r\n"},
        {"user class", 2, true, 2,
         bom + "---config@码表分类=主码-用户码表\r\n"
               "---config@码表别名=用户\r\n"
               "你好\t１２#序1024\r\n"
               "///x\ta#序5\r\n"},
        {"system class, no aliases", 1, false, 2,
         bom + "---config@码表分类=主码-系统码表\r\n"
               "爸\tab#固\r\n"
               "啊\tab#序100\r\n"},
        {"secondary class", 3, false, 1,
         bom + "---config@码表分类=主码-次显码表\r\n"
               "a\\rb\\tc\\\\d\\re\tb#删#序7\r\n"},
        {"auxiliary class", 4, true, 1,
         bom + "---config@码表分类=辅码码表\r\n"
               "---config@码表别名=辅码\r\n"
               "辅\td\r\n"},
        {"category 3", 18, true, 1,
         bom + "---config@码表分类=主码-3\r\n"
               "---config@码表别名=分类三\r\n"
               "类\tc#序1\r\n"},
        {"class 5", 5, false, 1,
         bom + "---config@码表分类=主码--10\r\n"
               "五\te#序3\r\n"},
        {"pinned", 100, true, 1, bom + "爸\tab\r\n"},
        {"plain", -1, true, 9,
         bom + "爸\tab#固\r\n"
               "啊\tab\r\n"
               "你好\t１２\r\n"
               "///x\ta\r\n"
               "a\\rb\\tc\\\\d\\re\tb#删\r\n"
               "辅\td\r\n"
               "五\te\r\n"
               "类\tc\r\n"
               "高\tf\r\n"},
    };
    Settings settings;
    auto table = MakeCodeTable(SampleEntries());
    for (const auto& c : cases) {
        int32_t n = -1;
        std::string text = Export(table, c.selection, c.withSettings ? &settings : nullptr, &n);
        EXPECT_EQ(n, c.count) << c.name;
        EXPECT_EQ(text, c.text) << c.name;
    }
}

TEST(CodeTableExporter, TakesPermissionsAndAliasesStraightFromTheSettingsBlock) {
    std::vector<uint8_t> image(kConfigFileSize);
    ASSERT_EQ(InitConfigImage(image.data(), static_cast<int64_t>(image.size())), 1);
    auto* soft = reinterpret_cast<SoftConfigData*>(
        FindConfigBlock(image.data(), static_cast<int64_t>(image.size()), kSoftBlockName));
    ASSERT_NE(soft, nullptr);
    soft->classPermissions[2] = kClassWritable | kClassInUse;
    // An alias that fills its slot without a NUL is read within the slot.
    for (int i = 0; i < kClassAliasUnits; ++i) soft->classAliases[2][i] = L'用';
    TableOnDisk t(MakeCodeTable(SampleEntries()));
    CodeTableExporter* x =
        CodeTableExporter::Create(nullptr, nullptr, 2, soft->classPermissions, soft->classAliases);
    std::wstring out = t.dir() / L"s.txt";
    EXPECT_EQ(CodeTableExporter::Export(x, t.get(), out.c_str()), 2);
    CodeTableExporter::Destroy(x);
    auto bytes = ReadFileBytes(out);
    std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.substr(0, text.find("你好")),
              "\xEF\xBB\xBF---config@码表分类=主码-用户码表\r\n---config@码表别名=" +
                  Narrow(std::wstring(kClassAliasUnits, L'用')) + "\r\n");
}

TEST(CodeTableExporter, OrderIsClassCodePinnedOrderThenPlace) {
    // Same class and code: pinned first, then higher orders, then the earlier stored entry.
    auto table = MakeCodeTable({
        {"k", "丙", Flags(1, 5)},
        {"k", "乙", Flags(1, 9)},
        {"k", "甲", Flags(1, 5)},
        {"k", "丁", Flags(1, 1, kFlagPinned)},
        {"j", "戊", Flags(2, 1)},
        {"l", "己", Flags(1, 1)},
    });
    // Heap order follows the fixture's sort by word bytes: 丁 丙 乙 甲 (U+4E01 4E19 4E59 7532).
    std::string text = Export(table, -1, nullptr);
    EXPECT_EQ(text,
              "\xEF\xBB\xBF"
              "丁\tk#固\r\n"
              "乙\tk\r\n"
              "丙\tk\r\n"
              "甲\tk\r\n"
              "己\tl\r\n"
              "戊\tj\r\n");
}

TEST(CodeTableExporter, NeverCutsLongWordsCodesOrKeypadBytes) {
    std::string word;
    for (int i = 0; i < 85; ++i) word += "字";  // 255 bytes
    std::string code(255, 'q');
    std::string keypad;
    for (int b = 0x0A; b <= 0x19; ++b) keypad += char(b);
    std::string widthDigits;
    for (int b = 0x0A; b <= 0x19; ++b) {
        wchar_t w = wchar_t(0xFF00 + b);
        widthDigits += Narrow(std::wstring(1, w));
    }
    auto table = MakeCodeTable({{code, word, Flags(1, 0)}, {keypad, "键", Flags(1, 0)}});
    std::string text = Export(table, -1, nullptr);
    const std::string expect =
        "\xEF\xBB\xBF"
        "键\t" +
        widthDigits + "\r\n" + word + "\t" + code + "\r\n";
    EXPECT_EQ(text, expect);
    // No raw line end can come out of a code.
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
}

TEST(CodeTableExporter, ListTablesGiveTheirTextsWithoutHeadersOrFilter) {
    Settings settings;
    // Weights in the class bits must not filter list entries.
    auto table = MakeListTable({{"中国", 0x05000010}, {"//注", 7}, {"a#b", 0x7FFF}});
    int32_t n = 0;
    std::string text = Export(table, 0, &settings, &n);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(text,
              "\xEF\xBB\xBF"
              "///注\r\n"
              "a#b\r\n"
              "中国\r\n");
}

TEST(CodeTableExporter, NothingSelectedOrNoFileGivesZero) {
    auto table = MakeCodeTable(SampleEntries());
    TableOnDisk t(table);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int32_t selection;
        std::wstring path;
    };
    const Case cases[] = {
        {"class without entries", table, 20, t.dir() / L"a.txt"},
        {"empty table", MakeCodeTable({}), 0, t.dir() / L"b.txt"},
        {"key/value table", MakeKeyValueTable({{"丁", "１２"}}), 0, t.dir() / L"c.txt"},
        {"folder missing", table, 0, t.dir() / L"none\\d.txt"},
    };
    for (const auto& c : cases) {
        TableOnDisk src(c.bytes);
        CodeTableExporter* x =
            CodeTableExporter::Create(nullptr, nullptr, c.selection, nullptr, nullptr);
        EXPECT_EQ(CodeTableExporter::Export(x, src.get(), c.path.c_str()), 0) << c.name;
        EXPECT_FALSE(FileExists(c.path)) << c.name;
        CodeTableExporter::Destroy(x);
    }
    CodeTableExporter* x = CodeTableExporter::Create(nullptr, nullptr, 0, nullptr, nullptr);
    EXPECT_EQ(CodeTableExporter::Export(x, nullptr, (t.dir() / L"e.txt").c_str()), 0);
    CodeTableExporter::Destroy(x);
}

TEST(CodeTableExporter, DamagedOffsetsAreSkipped) {
    auto table = MakeCodeTable({{"a", "甲", Flags(1, 0)}, {"b", "乙", Flags(1, 0)}});
    // The second offset points past the end of the file.
    uint32_t bad = static_cast<uint32_t>(table.size() + 10);
    std::memcpy(&table[kOffsetArrayStart + 4], &bad, 4);
    int32_t n = 0;
    EXPECT_EQ(Export(table, -1, nullptr, &n),
              "\xEF\xBB\xBF"
              "甲\ta\r\n");
    EXPECT_EQ(n, 1);
}

TEST(CodeTableExporter, TheBuilderReadsAnExportBackIntoTheSameEntries) {
    std::string keypad;
    for (int b = 0x0A; b <= 0x19; ++b) keypad += char(b);
    const std::vector<FixtureEntry> entries = {
        {"ab", "啊", Flags(1, 100)},           {"ab", "爸", Flags(1, 7, kFlagPinned)},
        {keypad, "键", Flags(2, 9)},           {"a", "//x", Flags(2, 5)},
        {"b", "a\r\nb\tc\\d\\s", Flags(3, 7)}, {"c", "类", Flags(31, 1)},
        {"d", "辅", Flags(4, 2, kFlagPinned)},
    };
    TableOnDisk t(MakeCodeTable(entries));
    std::wstring textPath = t.dir() / L"e.txt", built = t.dir() / L"built.dmg";
    CodeTableExporter* x = CodeTableExporter::Create(nullptr, nullptr, 0, nullptr, nullptr);
    ASSERT_EQ(CodeTableExporter::Export(x, t.get(), textPath.c_str()), 7);
    CodeTableExporter::Destroy(x);

    wchar_t* text = nullptr;
    ASSERT_EQ(ReadTextFile(textPath.c_str(), &text), 0);
    CodeTableBuilder* b = CodeTableBuilder::Create();
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(CodeTableBuilder::AddText(b, text), 1);
    wcscpy(b->outputPath, built.c_str());
    EXPECT_EQ(CodeTableBuilder::ParseLines(b), 7);
    EXPECT_EQ(CodeTableBuilder::WriteTable(b), 1);
    CodeTableBuilder::Destroy(b);

    TableOnDisk rebuilt(ReadFileBytes(built));
    EXPECT_EQ(MakeTableView(rebuilt.get()).count, 7);
    for (const auto& e : entries) {
        std::string key =
            std::string(1, char(e.code.size())) + e.code + char(e.word.size()) + e.word;
        int64_t r =
            CodeTable::FindEntry(rebuilt.get(), reinterpret_cast<const uint8_t*>(key.data()));
        ASSERT_GT(r, 0) << e.word;
        const uint8_t* found = MakeTableView(rebuilt.get()).EntryAt(static_cast<int32_t>(r - 1));
        EXPECT_EQ(LoadU32(found) & ~kFlagFirstLines, e.flags) << e.word;
    }
}

int g_progressCalls = 0;
int32_t g_progressTotal = 0;
void CountProgress(const wchar_t*, int32_t done, int32_t total) {
    ++g_progressCalls;
    EXPECT_EQ(done, g_progressCalls);
    g_progressTotal = total;
}

TEST(CodeTableExporter, ReportsProgressPerEntryAndUsesTheDecoderHook) {
    auto table = MakeCodeTable(SampleEntries());
    TableOnDisk t(table);
    auto upper = [](const uint8_t* code, wchar_t* out, int capacity) -> int {
        int n = 0;
        for (; n < code[0] && n < capacity - 1; ++n) out[n] = wchar_t(L'A' + (code[1 + n] & 15));
        out[n] = 0;
        return n;
    };
    CodeTableExporter* x = CodeTableExporter::Create(upper, CountProgress, 4, nullptr, nullptr);
    std::wstring out = t.dir() / L"p.txt";
    EXPECT_EQ(CodeTableExporter::Export(x, t.get(), out.c_str()), 1);
    CodeTableExporter::Destroy(x);
    EXPECT_EQ(g_progressCalls, 1);
    EXPECT_EQ(g_progressTotal, 1);
    auto bytes = ReadFileBytes(out);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "\xEF\xBB\xBF"
              "---config@码表分类=辅码码表\r\n"
              "辅\tE\r\n");  // 'd' & 15 = 4
}

}  // namespace
