#include "tablegen/commands.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/settings/config_blocks.h"
#include "core/table/table_format.h"
#include "support/table_invariants.h"
#include "support/test_files.h"
#include "tablegen/file_output.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

// Each test works in its own folder, which also serves as %TEMP% so that the builder's
// work files never meet those of other test programs running at the same time.
class Commands : public testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 2; ++i) {
            wchar_t old[MAX_PATH] = {};
            GetEnvironmentVariableW(kVars[i], old, MAX_PATH);
            saved_[i] = old;
            SetEnvironmentVariableW(kVars[i], dir_.path().c_str());
        }
    }
    void TearDown() override {
        for (int i = 0; i < 2; ++i)
            SetEnvironmentVariableW(kVars[i], saved_[i].empty() ? nullptr : saved_[i].c_str());
    }
    std::wstring Path(const wchar_t* name) const { return dir_ / name; }

    static constexpr const wchar_t* kVars[2] = {L"TMP", L"TEMP"};
    TempDir dir_;
    std::wstring saved_[2];
};

const char kBom[] = "\xEF\xBB\xBF";

int BuildMain(const wchar_t* text, const wchar_t* table) { return BuildMainTable(text, table); }

TableFileHeader HeaderOf(const std::vector<uint8_t>& bytes) {
    TableFileHeader h{};
    if (bytes.size() >= sizeof h) std::memcpy(&h, bytes.data(), sizeof h);
    return h;
}

TEST_F(Commands, BuildEachKindOfTable) {
    struct Case {
        int (*build)(const wchar_t*, const wchar_t*);
        const char* text;
        uint32_t kind;
        int32_t count;
    };
    const Case cases[] = {
        {BuildMain,
         "---config@码表分类=主码-系统码表\r\n你好\t６４４８６#序9000\r\n你\t６４#序8000\r\n"
         "你\t６４#序8000\r\n",
         kTableKindMain, 2},
        {BuildListTable, "中国\r\n中国人\r\n中国\r\n", kTableKindList, 2},
        {BuildKeyValueTable, "中\t３４６６４\r\n中\t３４６６４\r\n国\t４２６\r\n",
         kTableKindKeyValue, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::wstring text = Path(L"in.txt"), table = Path(L"out.tbl");
        ASSERT_TRUE(WriteFileBytes(text, std::string(kBom) + c.text));
        ASSERT_EQ(c.build(text.c_str(), table.c_str()), 1);
        std::vector<uint8_t> bytes = ReadFileBytes(table);
        EXPECT_EQ(HeaderOf(bytes).kind, c.kind);
        EXPECT_EQ(HeaderOf(bytes).count, c.count);
        EXPECT_EQ(testing_support::CheckTableInvariants(bytes), "");
        EXPECT_FALSE(FileExists(WorkFilePath(table)));
    }
}

TEST_F(Commands, FailedBuildKeepsThePreviousTable) {
    struct Case {
        int (*build)(const wchar_t*, const wchar_t*);
        const char* text;  // null: no text file
    };
    const Case cases[] = {
        {BuildMain, "// only a comment\r\nno tab here\r\n"},
        {BuildMain, nullptr},
        {BuildListTable, "// only a comment\r\n"},
        {BuildListTable, nullptr},
        {BuildKeyValueTable, "no tab here\r\n"},
        {BuildKeyValueTable, nullptr},
    };
    const std::string previous = "previous table";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(no file)");
        const std::wstring text = Path(L"in.txt"), table = Path(L"out.tbl");
        DeleteFileW(text.c_str());
        if (c.text) {
            ASSERT_TRUE(WriteFileBytes(text, std::string(kBom) + c.text));
        }
        ASSERT_TRUE(WriteFileBytes(table, previous));
        EXPECT_EQ(c.build(text.c_str(), table.c_str()), 0);
        std::vector<uint8_t> bytes = ReadFileBytes(table);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), previous);
        EXPECT_FALSE(FileExists(WorkFilePath(table)));
    }
}

TEST_F(Commands, MainTableCarriesTheGivenGuid) {
    const std::wstring text = Path(L"in.txt"), table = Path(L"main.dmg");
    ASSERT_TRUE(WriteFileBytes(text, std::string(kBom) + "你\t６４\r\n"));
    ASSERT_EQ(
        BuildMainTable(text.c_str(), table.c_str(), L"{D7812E39-FBD7-43A7-99C7-DE9322D54A0F}"), 1);
    std::vector<uint8_t> bytes = ReadFileBytes(table);
    const uint8_t expected[16] = {0x39, 0x2E, 0x81, 0xD7, 0xD7, 0xFB, 0xA7, 0x43,
                                  0x99, 0xC7, 0xDE, 0x93, 0x22, 0xD5, 0x4A, 0x0F};
    ASSERT_GE(bytes.size(), 28u);
    EXPECT_EQ(std::memcmp(bytes.data() + 12, expected, 16), 0);
    EXPECT_EQ(testing_support::CheckTableInvariants(bytes), "");

    // Without a GUID the field stays zero; a malformed one builds nothing.
    ASSERT_EQ(BuildMainTable(text.c_str(), table.c_str()), 1);
    bytes = ReadFileBytes(table);
    EXPECT_EQ(std::memcmp(bytes.data() + 12, std::vector<uint8_t>(16, 0).data(), 16), 0);
    const std::wstring other = Path(L"other.dmg");
    EXPECT_EQ(BuildMainTable(text.c_str(), other.c_str(), L"D7812E39"), 0);
    EXPECT_FALSE(FileExists(other));
}

TEST_F(Commands, SettingsFileFromText) {
    const std::wstring text = Path(L"settings.txt"), file = Path(L"config.dsc");
    const wchar_t* guid = L"{D7812E39-FBD7-43A7-99C7-DE9322D54A0F}";
    ASSERT_TRUE(WriteFileBytes(text, std::string(kBom) + "[-IME设置-]\r\n"
                                                         "编码窗口样式=TSF-嵌入首选\r\n"
                                                         "输入方案=主\r\n"
                                                         "候选列表显示个数=7\r\n"
                                                         "[-DME设置-]\r\n"
                                                         "空码清屏码长=3\r\n"
                                                         "[-按键功能-]\r\n"
                                                         "键Esc=清除输入\r\n"));
    ASSERT_EQ(BuildSettingsFile(text.c_str(), file.c_str(), guid), 1);
    std::vector<uint8_t> bytes = ReadFileBytes(file);
    ASSERT_EQ(bytes.size(), kConfigFileSize);
    MappedFile view{};
    view.view = bytes.data();
    view.size = static_cast<int32_t>(bytes.size());
    ImeConfigData* ime = FindImeConfig(&view);
    DmeConfigData* dme = FindDmeConfig(&view);
    SoftConfigData* soft = FindSoftConfig(&view);
    ASSERT_TRUE(ime && dme && soft && FindSkinConfig(&view));
    EXPECT_EQ(CandidatesPerPage(ime->listOptions), 7u);
    EXPECT_EQ(ime->options & (kImeMainTable | kImeAuxTable), kImeMainTable);
    // The style key counts only in a build with the TSF front end, set before the text.
    EXPECT_EQ(ime->options & kImeStyleMask, kImeStyleTsfEmbedFirst);
    EXPECT_EQ(dme->keys.plainKeys[VK_ESCAPE], 0x4u);
    EXPECT_EQ(dme->emptyClearLength, 3);  // through the input method's option codec
    EXPECT_EQ(dme->keyClass[0x16], kKeyCodeStart | kKeyCodeContinue);
    const uint8_t expected[16] = {0x39, 0x2E, 0x81, 0xD7, 0xD7, 0xFB, 0xA7, 0x43,
                                  0x99, 0xC7, 0xDE, 0x93, 0x22, 0xD5, 0x4A, 0x0F};
    EXPECT_EQ(std::memcmp(soft->guid, expected, 16), 0);
    EXPECT_EQ(soft->buildNumber, 215u);
    EXPECT_FALSE(FileExists(WorkFilePath(file)));
}

TEST_F(Commands, FailedSettingsFileKeepsThePreviousOne) {
    struct Case {
        bool textFile;
        const wchar_t* guid;
    };
    const Case cases[] = {
        {false, L"{D7812E39-FBD7-43A7-99C7-DE9322D54A0F}"},
        {true, L"D7812E39"},
    };
    const std::string previous = "previous settings";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing_support::Narrow(c.guid));
        const std::wstring text = Path(L"settings.txt"), file = Path(L"config.dsc");
        DeleteFileW(text.c_str());
        if (c.textFile) {
            ASSERT_TRUE(WriteFileBytes(text, std::string("[-IME设置-]\r\n")));
        }
        ASSERT_TRUE(WriteFileBytes(file, previous));
        EXPECT_EQ(BuildSettingsFile(text.c_str(), file.c_str(), c.guid), 0);
        std::vector<uint8_t> bytes = ReadFileBytes(file);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), previous);
        EXPECT_FALSE(FileExists(WorkFilePath(file)));
    }
}

TEST_F(Commands, TempTableReplacesAnOldFile) {
    const std::wstring table = Path(L"temp.dmg");
    ASSERT_TRUE(WriteFileBytes(table, std::string(300000, 'x')));
    ASSERT_EQ(BuildTempTable(table.c_str()), 1);
    std::vector<uint8_t> bytes = ReadFileBytes(table);
    EXPECT_EQ(bytes.size(), 200864u);
    EXPECT_EQ(HeaderOf(bytes).kind, kTableKindTemp);
}

}  // namespace
