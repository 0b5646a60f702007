#include "tablegen/key_value_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/table/code_table.h"
#include "core/table/table_format.h"
#include "support/table_invariants.h"
#include "support/test_files.h"
#include "tablegen/temp_table.h"

namespace {

using testing_support::TempDir;

struct ParseCase {
    std::wstring text;
    std::vector<std::pair<std::string, std::string>> items;
    int rejected;
};

TEST(KeyValueText, ParsesLinesEscapesAndRejects) {
    const ParseCase cases[] = {
        {L"中\t５４６\r\n国\t４２６", {{"中", "５４６"}, {"国", "４２６"}}, 0},
        {L"\r\n\r\na\tb\n\n\rc\td\r", {{"a", "b"}, {"c", "d"}}, 0},
        {L"// comment\r\n///x\ty", {{"//x", "y"}}, 0},
        {L"k\tl1\\rl2\\tt\\ss\\\\b\\q", {{"k", "l1\r\nl2\tt s\\b\\q"}}, 0},
        {L"notab\r\n\tvalue\r\nkey\t\r\nok\tv", {{"ok", "v"}}, 3},
        {L"k\ta\tb", {{"k", "a\tb"}}, 0},
        {L"\xD800x\tv\r\nk\t\xDC00", {}, 2},
        {std::wstring(L"k\tv\0ignored\tv", 15), {{"k", "v"}}, 0},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(testing_support::Narrow(c.text));
        KeyValueParse parsed = ParseKeyValueText(c.text.c_str(), c.text.size());
        ASSERT_EQ(parsed.items.size(), c.items.size());
        for (size_t i = 0; i < c.items.size(); ++i) {
            EXPECT_EQ(parsed.items[i].key, c.items[i].first);
            EXPECT_EQ(parsed.items[i].value, c.items[i].second);
        }
        EXPECT_EQ(parsed.rejected, c.rejected);
    }
}

TEST(KeyValueText, KeyLengthLimit) {
    std::wstring ok(85, L'字');  // 255 bytes
    std::wstring text = ok + L"\tv\r\n" + ok + L"字\tv";
    KeyValueParse parsed = ParseKeyValueText(text.c_str(), text.size());
    ASSERT_EQ(parsed.items.size(), 1u);
    EXPECT_EQ(parsed.items[0].key.size(), 255u);
    EXPECT_EQ(parsed.rejected, 1);
}

// Key of the entry at a position of the offset array.
std::string KeyAt(const std::vector<uint8_t>& bytes, int pos) {
    const uint8_t* e = bytes.data() + LoadU32(bytes.data() + kOffsetArrayStart + 4 * pos);
    return std::string(reinterpret_cast<const char*>(e + 5), e[4]);
}

TEST(KeyValueTable, LayoutSortedKeysAndEqualKeysInStoredOrder) {
    std::vector<KeyValueItem> items = {{"丁", "first"}, {"b", "x"},      {"丁", "second"},
                                       {"a", "yy"},     {"丁", "third"}, {"ab", "z"}};
    std::vector<uint8_t> bytes = MakeKeyValueTableBytes(items);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(testing_support::CheckTableInvariants(bytes), "");
    TableFileHeader h;
    std::memcpy(&h, bytes.data(), sizeof h);
    EXPECT_EQ(h.kind, kTableKindKeyValue);
    EXPECT_EQ(h.count, 6);
    EXPECT_EQ(h.heapStart, FreshHeapStart(6));
    EXPECT_EQ(h.version, kTableVersion);
    EXPECT_STREQ(h.nameTag, "STRMB");
    EXPECT_EQ(h.yesNo[0], 'Y');
    EXPECT_EQ(h.yesNo[1], 'N');
    EXPECT_EQ(h.builderMark, 0);
    for (int a = 0; a < kPrefixIndexDim; ++a)
        for (int b = 0; b < kPrefixIndexDim; ++b) ASSERT_EQ(h.prefixIndex[a][b], 0);
    size_t expected = FreshHeapStart(6);
    for (const KeyValueItem& it : items) expected += 4 + it.key.size() + it.value.size() + 3;
    EXPECT_EQ(bytes.size(), expected);

    const char* sorted[] = {"a", "ab", "b", "丁", "丁", "丁"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(KeyAt(bytes, i), sorted[i]);
    // The first entry: L, key length, key, NUL, value, NUL.
    const uint8_t* e = bytes.data() + h.heapStart;
    EXPECT_EQ(LoadU32(e), 3u + 5u + 3u);
    EXPECT_EQ(e[4], 3);
    EXPECT_EQ(e[8], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(e + 9)), "first");

    TempDir dir;
    ASSERT_TRUE(testing_support::WriteFileBytes(dir / L"t.dms", bytes));
    MappedFile* table = nullptr;
    ASSERT_GT(MappedFile::Open(&table, (dir / L"t.dms").c_str()), 0);
    KeyMatchList* list = nullptr;
    ASSERT_EQ(CodeTable::FindByKey(table, L"丁", &list), 3);
    const char* values[] = {"first", "second", "third"};
    for (int i = 0; i < 3; ++i)
        EXPECT_STREQ(reinterpret_cast<const char*>(KeyValueValue(list->entries[i])), values[i]);
    FreeKeyMatchList(list);
    MappedFile::Close(table);
}

TEST(TempTable, EmptyFixedSlots) {
    std::vector<uint8_t> bytes = MakeEmptyTempTableBytes();
    ASSERT_EQ(bytes.size(), 200864u);
    TableFileHeader h;
    std::memcpy(&h, bytes.data(), sizeof h);
    EXPECT_EQ(h.heapStart, 67744u);
    EXPECT_EQ(h.count, 0);
    EXPECT_EQ(h.kind, kTableKindTemp);
    EXPECT_EQ(h.version, kTableVersion);
    EXPECT_STREQ(h.nameTag, "TMPMB");
    EXPECT_EQ(h.yesNo[0], 0);
    EXPECT_EQ(h.modeLetters[0], 0);
    for (int i = 0; i < 512; ++i)
        ASSERT_EQ(LoadU32(bytes.data() + kOffsetArrayStart + 4 * i), 67744u + 260u * i) << i;
    EXPECT_EQ(LoadU32(bytes.data() + kOffsetArrayStart + 4 * 512), 0u);
    for (size_t i = kTempHeapStart; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0) << i;
}

}  // namespace
