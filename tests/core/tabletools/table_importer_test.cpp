#include "core/tabletools/table_importer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "core/base/text_file.h"
#include "core/table/table_format.h"
#include "core/tabletools/table_exporter.h"
#include "support/mapped_table.h"
#include "support/table_fixture.h"
#include "support/table_invariants.h"
#include "support/table_on_disk.h"
#include "support/test_files.h"

using namespace testing_support;

namespace {

uint32_t Flags(uint32_t cls, uint32_t order, uint32_t extra = 0) {
    return ComposeFlags(order, cls) | extra;
}

// The code-construction data of the word lines: first code letter of each character.
struct WordData {
    WordRule rules[kWordRuleSlots] = {};
    std::vector<uint8_t> danzi = MakeKeyValueTable({
        {"你", "１２"},
        {"好", "３４"},
        {"丙", "５"},
        {"丁", "６#辅"},  // a whole code that reads as a class tag
    });
    WordData() {
        rules[1].terms[0] = 1 << 8;  // one character: its whole code
        rules[2].terms[0] = (1 << 8) | 1;
        rules[2].terms[1] = (2 << 8) | 1;
        for (int p = 1; p <= 30; ++p) rules[30].terms[p - 1] = static_cast<uint16_t>(p << 8 | 1);
    }
};

struct ImportRun {
    int32_t accepted = 0;
    int32_t added = 0;
    ImportStatus status = ImportStatus::kOk;
    int32_t reportLines = 0;
    std::wstring report;
};

// Runs the whole import sequence over text into the table, the way the code-table manager
// does: report file, importer, directives, lines, commit.
ImportRun Import(MappedFile* table, const std::wstring& text, int32_t target,
                 const WordData* words = nullptr) {
    ImportRun run;
    TempDir dir;
    std::wstring reportPath = dir / L"未能添加的词条.txt";
    TableOnDisk danzi(words ? words->danzi : MakeKeyValueTable({}), L"danzi.dmi");
    {
        UniqueFile report(_wfopen(reportPath.c_str(), L"wb"));
        std::fwrite("\xFF\xFE", 1, 2, report.get());
        CodeTableImporter* x = CodeTableImporter::Create();
        EXPECT_NE(x, nullptr);
        x->rules = words ? words->rules : nullptr;
        x->keyValueTable = danzi.get();
        x->report.stream = report.get();
        x->targetClass = target;
        x->table = table;
        std::wstring owned = text;  // edited in place
        x->text = owned.data();
        x->textLength = owned.size();
        CodeTableImporter::ReadDirectives(x);
        run.accepted = CodeTableImporter::ImportAll(x);
        run.added = CodeTableImporter::Commit(x);
        run.status = x->status;
        run.reportLines = x->report.lines;
        CodeTableImporter::Destroy(x);
    }
    auto bytes = ReadFileBytes(reportPath);
    EXPECT_GE(bytes.size(), 2u);
    if (bytes.size() > 2)
        run.report.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2),
                          (bytes.size() - 2) / 2);
    return run;
}

// Flags of the entry with this code and word, or -1 when the table has none.
int64_t FlagsOf(const MappedFile* table, const std::string& code, const std::string& word) {
    std::string key = std::string(1, char(code.size())) + code + char(word.size()) + word;
    int64_t r = CodeTable::FindEntry(table, reinterpret_cast<const uint8_t*>(key.data()));
    if (r <= 0) return -1;
    TableView v = MakeTableView(table);
    return LoadU32(v.EntryAt(static_cast<int32_t>(r - 1)));
}

enum class Existing { kNone, kLive, kDeleted };

std::vector<uint8_t> TableWith(Existing state) {
    if (state == Existing::kNone) return MakeCodeTable({{"zz", "其他", Flags(1, 3)}});
    uint32_t extra = state == Existing::kDeleted ? kFlagDeleted : 0;
    return MakeCodeTable({
        {"zz", "其他", Flags(1, 3)},
        {"ab", "词", Flags(1, 5, extra)},
        {"\x11\x13", "你好", Flags(1, 5, extra)},
    });
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}
std::wstring Repeat(const std::wstring& s, int n) {
    std::wstring out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST(CodeTableImporter, OutcomesOfEveryKindOfLine) {
    const int64_t kAbsent = -1;
    const uint32_t live = Flags(1, 5), deleted = Flags(1, 5, kFlagDeleted);
    struct Case {
        const char* name;
        std::wstring text;
        int32_t target;
        Existing existing;
        std::wstring report;
        std::string code, word;  // the entry looked at afterwards
        int64_t flags;
        int32_t accepted;
    };
    const std::wstring cjk84 = Repeat(L"字", 84), cjk83 = Repeat(L"字", 83);
    const Case cases[] = {
        // Entry lines.
        {"new entry", L"新\tab", 0, Existing::kNone, L"", "ab", "新", Flags(1, 1024), 1},
        {"present", L"词\tab", 0, Existing::kLive,
         L"词 ----------已存在于系统码表，未做任何操作\r\n", "ab", "词", live, 0},
        {"present and deleted", L"词\tab", 0, Existing::kDeleted,
         L"词 ----------存在于系统码表，已取消删除标志\r\n", "ab", "词", live, 0},
        {"delete tag on a live entry", L"词\tab#删", 0, Existing::kLive,
         L"词 ----------存在于系统码表，并已设置删除标准\r\n", "ab", "词", deleted, 0},
        {"delete tag on a deleted entry", L"词\tab#删", 0, Existing::kDeleted,
         L"词 ----------已存在于系统码表，未做任何操作\r\n", "ab", "词", deleted, 0},
        {"new deleted entry", L"新\tab#删", 0, Existing::kNone, L"", "ab", "新",
         Flags(1, 1024, kFlagDeleted), 1},
        {"class tag against the target", L"新\tab#用", 3, Existing::kNone,
         L"新 ----------与所选分类不匹配的词条类别\r\n", "ab", "新", kAbsent, 0},
        {"target class given", L"新\tab", 3, Existing::kNone, L"", "ab", "新", Flags(3, 1024), 1},
        {"category then order", L"新\tab#类3#序7", 0, Existing::kNone, L"", "ab", "新",
         Flags(18, 7), 1},
        {"order then category", L"新\tab#序7#类3", 0, Existing::kNone, L"", "ab", "新", Flags(1, 7),
         1},
        {"tag right of a found tag is lost", L"新\tab#类0#固", 0, Existing::kNone, L"", "ab", "新",
         Flags(16, 1024), 1},
        {"category clamped", L"新\tab#固#类0", 0, Existing::kNone, L"", "ab", "新",
         Flags(16, 1024, kFlagPinned), 1},
        {"category above 16", L"新\tab#类40", 31, Existing::kNone, L"", "ab", "新", Flags(31, 1024),
         1},
        {"order taken as u16", L"新\tab#序70000", 0, Existing::kNone, L"", "ab", "新",
         Flags(1, 70000 & 0xFFFF), 1},
        {"no code", L"新\t#序5", 0, Existing::kNone, L"新 ----------无法创建词条\r\n", "", "新",
         kAbsent, 0},
        {"code of 251 bytes", L"新\t" + std::wstring(251, L'q'), 0, Existing::kNone,
         L"新 ----------无法创建词条\r\n", std::string(250, 'q'), "新", kAbsent, 0},
        {"word of 252 bytes", cjk84 + L"\tab", 0, Existing::kNone,
         cjk84 + L" ----------无法创建词条\r\n", "ab", Repeat("字", 83), kAbsent, 0},
        {"word of 249 bytes", cjk83 + L"\tab", 0, Existing::kNone, L"", "ab", Repeat("字", 83),
         Flags(1, 1024), 1},
        {"escapes", L"a\\rb\\tc\\\\d\\s\tab", 0, Existing::kNone, L"", "ab", "a\r\nb\tc\\d\\s",
         Flags(1, 1024), 1},
        {"keypad characters", L"新\t１２", 0, Existing::kNone, L"", "\x11\x12", "新",
         Flags(1, 1024), 1},
        {"repeated line", L"新\tab\r\n新\tab#序9", 0, Existing::kNone,
         L"新 ----------重复的词条定义\r\n", "ab", "新", Flags(1, 1024), 1},
        {"comment", L"//新\tab", 0, Existing::kNone, L"", "ab", "//新", kAbsent, 0},
        {"three slashes", L"///新\tab", 0, Existing::kNone, L"", "ab", "//新", Flags(1, 1024), 1},
        // Directives.
        {"directive class", L"---config@码表分类=主码-用户码表\r\n新\tab", 0, Existing::kNone, L"",
         "ab", "新", Flags(2, 1024), 1},
        {"directive class against the target", L"---config@码表分类=主码-用户码表\r\n新\tab", 3,
         Existing::kNone, L"新 ----------与所选分类不匹配的词条类别\r\n", "ab", "新", kAbsent, 0},
        {"category directive", L"新\tab\n---config@码表分类=主码-0", 0, Existing::kNone, L"", "ab",
         "新", Flags(16, 1024), 1},
        {"directive order", L"---config@全局排序数值=77\r\n新\tab\r\n乙\tab#序3", 0,
         Existing::kNone, L"", "ab", "新", Flags(1, 77), 2},
        {"negative directive order", L"---config@全局排序数值=-5\r\n新\tab", 0, Existing::kNone,
         L"", "ab", "新", Flags(1, 1), 1},
        {"huge directive order", L"---config@全局排序数值=99999\r\n新\tab", 0, Existing::kNone, L"",
         "ab", "新", Flags(1, 0xFFFF), 1},
        {"class tag beside the directive", L"---config@码表分类=主码-用户码表\r\n新\tab#辅", 0,
         Existing::kNone, L"", "ab", "新", Flags(4, 1024), 1},
        {"class tag beside the directive and the target",
         L"---config@码表分类=主码-用户码表\r\n新\tab#辅", 2, Existing::kNone,
         L"新 ----------与所选分类不匹配的词条类别\r\n", "ab", "新", kAbsent, 0},
        {"last directive wins",
         L"---config@码表分类=辅码码表\n---config@码表分类=主码-次显码表\n新\tab", 0,
         Existing::kNone, L"", "ab", "新", Flags(3, 1024), 1},
        // Word lines.
        {"word line", L"你好", 0, Existing::kNone, L"", "\x11\x13", "你好", Flags(1, 1024), 1},
        {"word line present", L"你好", 0, Existing::kLive, L"你好 ----------已存在于系统码表\r\n",
         "\x11\x13", "你好", live, 0},
        {"word line present and deleted", L"你好", 0, Existing::kDeleted,
         L"你好 ----------存在于系统码表，已取消删除标志\r\n", "\x11\x13", "你好", live, 0},
        {"word line repeated", L"你好\n你好", 0, Existing::kNone, L"你好 ----------重复的定义\r\n",
         "\x11\x13", "你好", Flags(1, 1024), 1},
        {"word line of 31 characters", Repeat(L"你", 31), 0, Existing::kNone,
         Repeat(L"你", 31) + L" ----------自动构词长度不能大于30\r\n", "", "", kAbsent, 0},
        {"word line of 30 characters", Repeat(L"你", 30), 0, Existing::kNone, L"",
         Repeat("\x11", 30), Repeat("你", 30), Flags(1, 1024), 1},
        {"word line without codes", L"甲乙", 0, Existing::kNone,
         L"甲乙 ----------无法依据构词规则生成目标编码\r\n", "", "甲乙", kAbsent, 0},
        {"word line without a rule", L"你好丙", 0, Existing::kNone,
         L"你好丙 ----------无法依据构词规则生成目标编码\r\n", "", "", kAbsent, 0},
        {"word line takes the directive class", L"---config@码表分类=主码-用户码表\n你好", 2,
         Existing::kNone, L"", "\x11\x13", "你好", Flags(2, 1024), 1},
        {"word line against the target", L"---config@码表分类=主码-用户码表\n你好", 3,
         Existing::kNone, L"你好 ----------与所选分类不匹配的词条类别\r\n", "\x11\x13", "你好",
         kAbsent, 0},
        {"word line whose code carries a class tag", L"---config@码表分类=主码-用户码表\n丁", 0,
         Existing::kNone, L"", "\x16", "丁", Flags(4, 1024), 1},
        {"word line whose code carries a class tag, with the target",
         L"---config@码表分类=主码-用户码表\n丁", 2, Existing::kNone,
         L"丁 ----------与所选分类不匹配的词条类别\r\n", "\x16", "丁", kAbsent, 0},
        {"word line with a broken pair", std::wstring(L"你\xD800"), 0, Existing::kNone,
         std::wstring(L"你\xD800") + L" ----------无法创建词条\r\n", "", "", kAbsent, 0},
    };
    WordData words;
    for (const auto& c : cases) {
        TableOnDisk t(TableWith(c.existing));
        ImportRun run = Import(t.get(), c.text, c.target, &words);
        EXPECT_EQ(run.status, ImportStatus::kOk) << c.name;
        EXPECT_EQ(run.report, c.report) << c.name;
        EXPECT_EQ(run.reportLines, c.report.empty() ? 0 : 1) << c.name;
        EXPECT_EQ(run.accepted, c.accepted) << c.name;
        EXPECT_EQ(run.added, c.accepted) << c.name;
        if (!c.code.empty()) {
            EXPECT_EQ(FlagsOf(t.get(), c.code, c.word), c.flags) << c.name;
        }
        EXPECT_EQ(CheckTableInvariants(t.get()), "") << c.name;
    }
}

// Every entry kind the text form carries: classes, pins, deletions, escapes, keypad codes.
std::vector<FixtureEntry> RoundTripEntries() {
    std::string keypad;
    for (int b = 0x0A; b <= 0x19; ++b) keypad += char(b);
    return {
        {"ab", "啊", Flags(1, 100)},
        {"ab", "爸", Flags(1, 0, kFlagPinned)},
        {"\x11\x12", "你好", Flags(2, 1024)},
        {keypad, "键", Flags(2, 9)},
        {"\x0a\x0d", "行", Flags(2, 9)},
        {"a", "//x", Flags(2, 5)},
        {"b", "a\r\nb\tc\\d", Flags(3, 7, kFlagDeleted)},
        {"c", "类", Flags(18, 1)},
        {"c", "类十六", Flags(31, 2)},
        {"d", "辅", Flags(4, 0)},
        {std::string(255, 'q'), Repeat("字", 83), Flags(1, 3)},
    };
}

std::wstring ExportText(MappedFile* table, int32_t selection) {
    TempDir dir;
    std::wstring path = dir / L"e.txt";
    CodeTableExporter* x = CodeTableExporter::Create(nullptr, nullptr, selection, nullptr, nullptr);
    EXPECT_GT(CodeTableExporter::Export(x, table, path.c_str()), 0);
    CodeTableExporter::Destroy(x);
    wchar_t* text = nullptr;
    size_t length = 0;
    EXPECT_EQ(ReadTextFile(path.c_str(), &text, &length), 0);
    std::wstring out(text ? text : L"", length);
    std::free(text);
    return out;
}

TEST(CodeTableImporter, ReimportingAnExportChangesNothing) {
    struct Case {
        const char* name;
        int32_t selection, target;
        int32_t lines;
    };
    // The 255-byte code is too long for the importer's 250-byte limit: it is refused whole.
    const Case cases[] = {
        {"every class", 0, 0, 11},
        {"user class into the user class", 2, 2, 4},
        {"category 16 into itself", 31, 31, 1},
    };
    for (const auto& c : cases) {
        auto original = MakeCodeTable(RoundTripEntries());
        TableOnDisk t(original);
        std::wstring text = ExportText(t.get(), c.selection);
        ImportRun run = Import(t.get(), text, c.target);
        EXPECT_EQ(run.status, ImportStatus::kOk) << c.name;
        EXPECT_EQ(run.accepted, 0) << c.name;
        EXPECT_EQ(run.added, 0) << c.name;
        EXPECT_EQ(run.reportLines, c.lines) << c.name;
        EXPECT_EQ(run.report.find(L"与所选分类不匹配"), std::wstring::npos) << c.name;
        EXPECT_TRUE(t.Bytes() == original) << c.name;
    }
}

TEST(CodeTableImporter, ExportedEntriesComeBackIntoAnEmptyTable) {
    TableOnDisk source(MakeCodeTable(RoundTripEntries()));
    std::wstring text = ExportText(source.get(), 0);
    TableOnDisk target(MakeCodeTable({}));
    ImportRun run = Import(target.get(), text, 0);
    // Every entry but the one whose code exceeds the importer's limit.
    EXPECT_EQ(run.added, 10);
    EXPECT_EQ(run.report, Repeat(L"字", 83) + L" ----------无法创建词条\r\n");
    for (const auto& e : RoundTripEntries()) {
        if (e.code.size() > 250) continue;
        uint32_t expect = e.flags;
        if ((expect & kOrderMask) == 0) expect |= kImportDefaultOrder;
        EXPECT_EQ(FlagsOf(target.get(), e.code, e.word), expect) << e.word;
    }
    EXPECT_EQ(CheckTableInvariants(target.get()), "");
}

TEST(CodeTableImporter, CommitGrowsOnlyWhenTheGapIsTooSmall) {
    // A fresh table has no gap: the heap moves to the new end of the file.
    TableOnDisk fresh(MakeCodeTable({{"a", "甲", Flags(1, 1)}, {"c", "丙", Flags(1, 1)}}));
    const int32_t before = fresh.get()->size;
    ImportRun run = Import(fresh.get(), L"乙\tb\n丁\td\n戊\t0", 0);
    EXPECT_EQ(run.added, 3);
    EXPECT_GT(fresh.get()->size, before);
    EXPECT_EQ(CheckTableInvariants(fresh.get()), "");
    for (auto [code, word] :
         {std::pair{"a", "甲"}, {"b", "乙"}, {"c", "丙"}, {"d", "丁"}, {"0", "戊"}})
        EXPECT_NE(FlagsOf(fresh.get(), code, word), -1) << word;

    // The file stays as it is when the gap before the heap has room.
    auto roomy = MakeCodeTable({{"a", "甲", Flags(1, 1)}});
    const uint32_t pad = 200;
    roomy.insert(roomy.begin() + FreshHeapStart(1), pad, 0);
    uint32_t heap = FreshHeapStart(1) + pad, off = heap;
    std::memcpy(&roomy[0], &heap, 4);
    std::memcpy(&roomy[kOffsetArrayStart], &off, 4);
    TableOnDisk t(roomy);
    ImportRun second = Import(t.get(), L"乙\tb", 0);
    EXPECT_EQ(second.added, 1);
    EXPECT_EQ(t.get()->size, static_cast<int32_t>(roomy.size()));
    EXPECT_EQ(CheckTableInvariants(t.get()), "");
    EXPECT_TRUE(t.Reopen());
    EXPECT_EQ(FlagsOf(t.get(), "b", "乙"), Flags(1, 1024));
}

// Failures of the file system: the view is gone after a failed growth, the file may have been
// extended before the mapping failed.
int32_t FailBeforeGrowing(MappedFile* f, int64_t) {
    DropMapping(f);
    return 0;
}
int32_t FailAfterGrowing(MappedFile* f, int64_t size) {
    MappedFile::Resize(f, size);
    DropMapping(f);
    return 0;
}

TEST(CodeTableImporter, AFailedGrowthAddsNothingAndLeavesTheTableAsItWas) {
    for (ImportResizeFunction fail : {FailBeforeGrowing, FailAfterGrowing}) {
        auto original = MakeCodeTable({{"ab", "词", Flags(1, 5)}});
        TableOnDisk t(original);
        SetImportResizeForTesting(fail);
        ImportRun run = Import(t.get(), L"新\tab\n乙\tb", 0);
        SetImportResizeForTesting(nullptr);
        EXPECT_EQ(run.accepted, 2);
        EXPECT_EQ(run.added, 0);
        EXPECT_EQ(run.status, ImportStatus::kGrowFailed);
        ASSERT_NE(t.get()->view, nullptr);
        EXPECT_TRUE(t.get()->IsMapped());
        EXPECT_TRUE(t.Bytes() == original);
    }
}

TEST(CodeTableImporter, RefusesTargetsItCannotWrite) {
    TempDir dir;
    std::wstring path = dir / L"main.dmg";
    auto original = MakeCodeTable({{"ab", "词", Flags(1, 5, kFlagDeleted)}});
    WriteFileBytes(path, original);
    MappedFile* copy = nullptr;
    ASSERT_GT(MappedFile::LoadToMemory(&copy, path.c_str()), 0);
    MappedFilePtr owner(copy);
    TableOnDisk list(MakeListTable({{"中国", 7}}));
    struct Case {
        const char* name;
        MappedFile* table;
        ImportStatus status;
    };
    const Case cases[] = {
        {"private memory copy", copy, ImportStatus::kTableNotWritable},
        {"list table", list.get(), ImportStatus::kNoTable},
        {"no table", nullptr, ImportStatus::kNoTable},
    };
    for (const auto& c : cases) {
        ImportRun run = Import(c.table, L"词\tab\n新\tab", 0);
        EXPECT_EQ(run.accepted, -1) << c.name;
        EXPECT_EQ(run.added, 0) << c.name;
        EXPECT_EQ(run.status, c.status) << c.name;
        EXPECT_EQ(run.reportLines, 0) << c.name;
    }
    // Neither the copy nor the file changed.
    EXPECT_EQ(std::memcmp(copy->view, original.data(), original.size()), 0);
    EXPECT_TRUE(ReadFileBytes(path) == original);
    EXPECT_TRUE(list.Bytes() == MakeListTable({{"中国", 7}}));
}

TEST(CodeTableImporter, StopsBeforeTheCommitLeaveFlagChangesOnly) {
    auto original = MakeCodeTable({{"ab", "词", Flags(1, 5, kFlagDeleted)}});
    TableOnDisk t(original);
    CodeTableImporter* x = CodeTableImporter::Create();
    ASSERT_NE(x, nullptr);
    std::wstring text = L"词\tab\n新\tab";
    x->table = t.get();
    x->text = text.data();
    x->textLength = text.size();
    EXPECT_EQ(CodeTableImporter::ImportAll(x), 1);
    CodeTableImporter::Destroy(x);  // no commit: the new entry is freed, not added
    EXPECT_EQ(FlagsOf(t.get(), "ab", "词"), Flags(1, 5));
    EXPECT_EQ(FlagsOf(t.get(), "ab", "新"), -1);
    EXPECT_EQ(MakeTableView(t.get()).count, 1);
}

TEST(CodeTableImporter, TheTextEndsAtItsLength) {
    // The units behind the given length are no part of the text, and are left alone.
    struct Case {
        std::wstring buffer;
        size_t length;
        std::string code, word;
    };
    const Case cases[] = {
        {L"新\tab甲乙", 4, "ab", "新"},
        {L"甲\tcd\r\n新\tab#用", 10, "ab", "新"},
    };
    for (const auto& c : cases) {
        TableOnDisk t(MakeCodeTable({}));
        CodeTableImporter* x = CodeTableImporter::Create();
        ASSERT_NE(x, nullptr);
        std::wstring buffer = c.buffer;
        x->table = t.get();
        x->text = buffer.data();
        x->textLength = c.length;
        EXPECT_GE(CodeTableImporter::ImportAll(x), 1);
        EXPECT_GE(CodeTableImporter::Commit(x), 1);
        CodeTableImporter::Destroy(x);
        EXPECT_EQ(FlagsOf(t.get(), c.code, c.word), Flags(1, 1024)) << Narrow(c.buffer);
        EXPECT_EQ(buffer.substr(c.length), c.buffer.substr(c.length));
    }
}

int g_lines = 0;
int32_t g_lastDone = 0;
void CountProgress(const wchar_t*, int32_t done, int32_t) {
    ++g_lines;
    g_lastDone = done;
}

TEST(CodeTableImporter, ReportsProgressPerLineAndPerAddedEntry) {
    TableOnDisk t(MakeCodeTable({}));
    CodeTableImporter* x = CodeTableImporter::Create();
    ASSERT_NE(x, nullptr);
    std::wstring text = L"//c\r\n甲\ta\r\n\r\n乙\tb";
    x->table = t.get();
    x->text = text.data();
    x->textLength = text.size();
    x->progress = CountProgress;
    EXPECT_EQ(CodeTableImporter::ImportAll(x), 2);
    EXPECT_EQ(g_lines, 3);      // empty lines are no lines
    EXPECT_EQ(g_lastDone, 12);  // where the last line starts
    g_lines = 0;
    EXPECT_EQ(CodeTableImporter::Commit(x), 2);
    EXPECT_EQ(g_lines, 2);
    EXPECT_EQ(g_lastDone, 2);
    CodeTableImporter::Destroy(x);
}

TEST(TableEntryFromText, TagsAndLimits) {
    struct Case {
        std::wstring codePart, word;
        std::string code;  // "" when no entry
        uint32_t flags;
    };
    const Case cases[] = {
        {L"ab", L"词", "ab", 0},
        {L"ab#删#固", L"词", "ab", kFlagPinned | kFlagDeleted},
        {L"ab#固#删", L"词", "ab", kFlagPinned},  // a tag right of one found earlier is lost
        {L"ab#辅#用", L"词", "ab", Flags(4, 0)},  // of two class tags the one searched last wins
        {L"ab##序5", L"词", "ab#", Flags(0, 5)},  // a doubled '#' is no escape
        {L"ab#类-3", L"词", "ab", Flags(16, 0)},
        {L"ab#序-1", L"词", "ab", Flags(0, 0xFFFF)},
        {L"＊９", L"词", "\x0a\x19", 0},
        {L"#固", L"词", "", 0},
        {L"ab", L"", "", 0},
        {std::wstring(250, L'x'), L"词", std::string(250, 'x'), 0},
        {std::wstring(251, L'x'), L"词", "", 0},
    };
    for (const auto& c : cases) {
        std::wstring codePart = c.codePart;
        uint8_t* e = TableEntry::FromText(codePart.data(), c.word.c_str(), nullptr);
        if (c.code.empty()) {
            EXPECT_EQ(e, nullptr) << Narrow(c.codePart);
            std::free(e);
            continue;
        }
        ASSERT_NE(e, nullptr) << Narrow(c.codePart);
        EXPECT_EQ(LoadU32(e), c.flags) << Narrow(c.codePart);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(e + 5), e[4]), c.code) << Narrow(c.codePart);
        std::free(e);
    }
}

}  // namespace
