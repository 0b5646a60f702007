#include "core/table/list_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/base/handles.h"
#include "core/table/table_format.h"
#include "core/tabletools/list_table_builder.h"
#include "support/table_invariants.h"
#include "support/test_files.h"

using namespace testing_support;

namespace {

// A list text as the configuration program reads it: UTF-16LE with its byte-order mark,
// so that tests can hold any unit, broken surrogates included.
bool WriteList(const std::wstring& path, const std::wstring& text) {
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>((static_cast<uint16_t>(c) >> 8) & 0xFF));
    }
    return WriteFileBytes(path, bytes);
}

uint32_t Get32(const std::vector<uint8_t>& v, size_t at) {
    uint32_t x;
    std::memcpy(&x, &v[at], 4);
    return x;
}

struct StoredText {
    std::string text;  // UTF-8
    uint32_t weight;
    bool operator==(const StoredText&) const = default;
};

// Entries in offset-array order.
std::vector<StoredText> ReadEntries(const std::vector<uint8_t>& file) {
    std::vector<StoredText> out;
    if (file.size() < kOffsetArrayStart) return out;
    uint32_t count = Get32(file, 4);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t off = Get32(file, kOffsetArrayStart + 4 * i);
        if (off + 5 > file.size() || off + 5 + file[off + 4] > file.size()) {
            ADD_FAILURE() << "entry " << i << " outside the file";
            break;
        }
        out.push_back({std::string(reinterpret_cast<const char*>(&file[off + 5]), file[off + 4]),
                       Get32(file, off)});
    }
    return out;
}

// The layout of a freshly built list table: fixed header fields and nothing else in the
// header, the offset array and a zero spare slot, a heap packed in list order up to the
// file's end, and offsets that cover every entry once, sorted by text.
void ExpectFreshListTable(const std::vector<uint8_t>& file) {
    EXPECT_EQ(CheckTableInvariants(file), "");
    ASSERT_GE(file.size(), FreshHeapStart(0));
    const uint32_t count = Get32(file, 4);
    const uint32_t heap = Get32(file, 0);
    EXPECT_EQ(heap, FreshHeapStart(count));
    EXPECT_EQ(Get32(file, 8), kTableKindList);
    EXPECT_EQ(file[28] | (file[29] << 8), kTableVersion);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[30]), 32),
              std::string("lxmb") + std::string(28, '\0'));
    EXPECT_EQ(file[62], 'Y');
    EXPECT_EQ(file[63], 'N');
    size_t nonzero = 0;
    for (size_t i = 12; i < 28; ++i) nonzero += file[i] != 0;
    for (size_t i = 64; i < kOffsetArrayStart; ++i) nonzero += file[i] != 0;
    EXPECT_EQ(nonzero, 0u) << "header bytes outside the fixed fields";
    ASSERT_LE(heap, file.size());
    EXPECT_EQ(Get32(file, kOffsetArrayStart + 4 * count), 0u) << "spare slot";

    std::vector<uint32_t> heapOrder;
    for (size_t at = heap; at < file.size();) {
        ASSERT_LE(at + 5, file.size());
        heapOrder.push_back(static_cast<uint32_t>(at));
        at += 5 + file[at + 4];
        ASSERT_LE(at, file.size()) << "heap does not end at the file's end";
    }
    ASSERT_EQ(heapOrder.size(), count);
    std::vector<uint32_t> offsets;
    for (uint32_t i = 0; i < count; ++i) offsets.push_back(Get32(file, kOffsetArrayStart + 4 * i));
    std::vector<uint32_t> sortedOffsets = offsets;
    std::sort(sortedOffsets.begin(), sortedOffsets.end());
    EXPECT_EQ(sortedOffsets, heapOrder) << "offsets must name every entry once";
    auto text = [&](uint32_t off) {
        return std::string(reinterpret_cast<const char*>(&file[off + 5]), file[off + 4]);
    };
    for (uint32_t i = 1; i < count; ++i) {
        std::string a = text(offsets[i - 1]), b = text(offsets[i]);
        EXPECT_TRUE(
            std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                         [](char x, char y) { return uint8_t(x) < uint8_t(y); }))
            << "position " << i;
    }
}

std::string U8(const std::wstring& w) { return Narrow(w); }

struct BuildCase {
    const char* name;
    std::wstring list;
    std::vector<StoredText> expected;  // sorted by text
    bool firstHasHash;
};

TEST(BuildWordTableFile, ListsToEntries) {
    const std::vector<BuildCase> cases = {
        {"first-character weights",
         L"ab\r\na\r\nb\r\n",
         {{"a", 32766}, {"ab", 32767}, {"b", 32767}},
         false},
        {"repeat keeps first occurrence",
         L"x1\nx2\nx1\nx3\n",
         {{"x1", 32767}, {"x2", 32766}, {"x3", 32765}},
         false},
        {"line ends and blank lines",
         L"p\r\r\n\n\nq\rr\n\r",
         {{"p", 32767}, {"q", 32767}, {"r", 32767}},
         false},
        {"no final line end", L"t", {{"t", 32767}}, false},
        {"comments and the three-slash escape",
         L"//note\n///x\n/y\n//\n",
         {{"//x", 32767}, {"/y", 32766}},
         false},
        {"a lone slash pair is a comment", L"//\n/\n", {{"/", 32767}}, false},
        {"hash in the first text", L"//comment#\na#b\nc\n", {{"a#b", 32767}, {"c", 32767}}, true},
        {"hash only in a later text", L"a\nb#c\n", {{"a", 32767}, {"b#c", 32767}}, false},
        {"hash and spaces are ordinary characters",
         L"a b\t#1\n a\n",
         {{" a", 32767}, {"a b\t#1", 32767}},
         true},
        {"bytewise order, not UTF-16 order",
         L"\xFF5E\n\xD83D\xDE00\nB\nb\n\x4E2D\n",
         {{"B", 32767},
          {"b", 32767},
          {U8(L"\x4E2D"), 32767},
          {U8(L"\xFF5E"), 32767},
          {U8(L"\xD83D\xDE00"), 32767}},
         false},
        {"broken surrogates skipped",
         L"a\xD800z\nb\xDC00\n\xD83D\nc\xD83D\xDE00\n",
         {{U8(L"c\xD83D\xDE00"), 32767}},
         false},
        {"NUL ends a line", std::wstring(L"m\0n\n", 4), {{"m", 32767}, {"n", 32767}}, false},
        {"weights per first unit",
         L"\x4E2D"
         L"a\n\x4E2D"
         L"b\n\x4E2D"
         L"c\nz\n",
         {{"z", 32767},
          {U8(L"\x4E2D"
              L"a"),
           32767},
          {U8(L"\x4E2D"
              L"b"),
           32766},
          {U8(L"\x4E2D"
              L"c"),
           32765}},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        ASSERT_TRUE(WriteList(dir / L"in.txt", c.list));
        bool hash = !c.firstHasHash;
        ASSERT_EQ(BuildWordTableFile((dir / L"in.txt").c_str(), (dir / L"out.dmg").c_str(), nullptr,
                                     &hash),
                  1);
        EXPECT_EQ(hash, c.firstHasHash);
        std::vector<uint8_t> file = ReadFileBytes(dir / L"out.dmg");
        ExpectFreshListTable(file);
        EXPECT_EQ(ReadEntries(file), c.expected);
    }
}

TEST(BuildWordTableFile, ReadsUtf8Lists) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / L"in.txt",
                               std::string("\xEF\xBB\xBF\xE4\xB8\xAD\xE6\x96\x87\r\nab\r\n")));
    ASSERT_EQ(
        BuildWordTableFile((dir / L"in.txt").c_str(), (dir / L"out.dmg").c_str(), nullptr, nullptr),
        1);
    EXPECT_EQ(ReadEntries(ReadFileBytes(dir / L"out.dmg")),
              (std::vector<StoredText>{{"ab", 32767}, {"\xE4\xB8\xAD\xE6\x96\x87", 32767}}));
}

TEST(BuildWordTableFile, NothingToBuildWritesNoFile) {
    const std::vector<std::pair<const char*, std::wstring>> cases = {
        {"empty", L""},
        {"only line ends", L"\r\n\r\n"},
        {"only comments", L"//a\n//b#\n"},
        {"only broken texts", L"\xDC00x\n"},
    };
    for (const auto& [name, list] : cases) {
        SCOPED_TRACE(name);
        TempDir dir;
        ASSERT_TRUE(WriteList(dir / L"in.txt", list));
        bool hash = true;
        EXPECT_EQ(BuildWordTableFile((dir / L"in.txt").c_str(), (dir / L"out.dmg").c_str(), nullptr,
                                     &hash),
                  0);
        EXPECT_FALSE(hash);
        EXPECT_FALSE(FileExists(dir / L"out.dmg"));
    }
    TempDir dir;
    EXPECT_EQ(BuildWordTableFile((dir / L"missing.txt").c_str(), (dir / L"out.dmg").c_str(),
                                 nullptr, nullptr),
              0);
    EXPECT_FALSE(FileExists(dir / L"out.dmg"));
}

TEST(CutListText, WholeCharactersWithin250Bytes) {
    struct Case {
        const char* name;
        std::wstring text;
        int bytes;
        int units;
    };
    const std::vector<Case> cases = {
        {"90 CJK characters keep 83", std::wstring(90, L'\x4E2D'), 249, 83},
        {"250 ASCII fit", std::wstring(250, L'a'), 250, 250},
        {"251 ASCII cut to 250", std::wstring(251, L'a'), 250, 250},
        {"a 3-byte character that would end at 251", std::wstring(248, L'a') + L"\x4E2D", 248, 248},
        {"a pair that ends at 250", std::wstring(246, L'a') + L"\xD83D\xDE00", 250, 248},
        {"a pair that would end at 251", std::wstring(247, L'a') + L"\xD83D\xDE00" + L"b", 247,
         247},
        {"2-byte characters", std::wstring(130, L'\x00E9'), 250, 125},
        {"broken pair past the cut", std::wstring(300, L'a') + L"\xD800", -1, 0},
        {"low half alone", L"\xDC00", -1, 0},
        {"high half at the end", L"ab\xD800", -1, 0},
        {"empty", L"", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        uint8_t out[kListTextMaxBytes];
        int units = -5;
        EXPECT_EQ(CutListText(c.text.c_str(), static_cast<int>(c.text.size()), out, &units),
                  c.bytes);
        if (c.bytes >= 0) {
            EXPECT_EQ(units, c.units);
            EXPECT_EQ(std::string(reinterpret_cast<char*>(out), c.bytes),
                      U8(c.text.substr(0, c.units)));
        }
    }
}

TEST(CutUtf8Text, OtherLimits) {
    struct Case {
        std::wstring text;
        int maxBytes, bytes, units;
    };
    const std::vector<Case> cases = {
        {std::wstring(43, L'\x4E2D'), 128, 126, 42},
        {std::wstring(128, L'a'), 128, 128, 128},
        {L"a\xD83D\xDE00", 4, 1, 1},
        {L"abc", 0, 0, 0},
    };
    for (const auto& c : cases) {
        uint8_t out[256];
        int units = -1;
        EXPECT_EQ(
            CutUtf8Text(c.text.c_str(), static_cast<int>(c.text.size()), c.maxBytes, out, &units),
            c.bytes);
        EXPECT_EQ(units, c.units);
    }
}

TEST(BuildWordTableFile, LongTextsAreCutAndSizedByTheirStoredBytes) {
    TempDir dir;
    const std::wstring cjk(90, L'\x4E2D');
    // Two texts equal in their first 250 bytes are one entry once cut.
    const std::wstring longA = std::wstring(260, L'q') + L"A";
    const std::wstring longB = std::wstring(260, L'q') + L"B";
    const std::wstring pair = std::wstring(247, L'p') + L"\xD83D\xDE00";
    ASSERT_TRUE(
        WriteList(dir / L"in.txt", cjk + L"\n" + longA + L"\n" + longB + L"\n" + pair + L"\n"));
    ASSERT_EQ(
        BuildWordTableFile((dir / L"in.txt").c_str(), (dir / L"out.dmg").c_str(), nullptr, nullptr),
        1);
    std::vector<uint8_t> file = ReadFileBytes(dir / L"out.dmg");
    ExpectFreshListTable(file);
    EXPECT_EQ(file.size(), FreshHeapStart(3) + (5 + 249) + (5 + 250) + (5 + 247));
    EXPECT_EQ(ReadEntries(file), (std::vector<StoredText>{{std::string(247, 'p'), 32767},
                                                          {std::string(250, 'q'), 32767},
                                                          {U8(cjk.substr(0, 83)), 32767}}));
}

TEST(BuildWordTableFile, WeightsStopAtOne) {
    TempDir dir;
    std::wstring list;
    const int n = 32770;
    for (int i = 0; i < n; ++i) {
        wchar_t line[16];
        swprintf(line, 16, L"a%05d\n", i);
        list += line;
    }
    ASSERT_TRUE(WriteList(dir / L"in.txt", list));
    ASSERT_EQ(
        BuildWordTableFile((dir / L"in.txt").c_str(), (dir / L"out.dmg").c_str(), nullptr, nullptr),
        1);
    std::vector<StoredText> entries = ReadEntries(ReadFileBytes(dir / L"out.dmg"));
    ASSERT_EQ(entries.size(), static_cast<size_t>(n));
    // The texts sort in list order here, so position i is the i-th text.
    EXPECT_EQ(entries[0].weight, 32767u);
    EXPECT_EQ(entries[32765].weight, 2u);
    EXPECT_EQ(entries[32766].weight, 1u);
    EXPECT_EQ(entries[32767].weight, 1u);
    EXPECT_EQ(entries[n - 1].weight, 1u);
}

std::vector<std::vector<int32_t>> g_progress;
void RecordProgress(const wchar_t* text, int32_t done, int32_t total) {
    EXPECT_EQ(text, nullptr);
    g_progress.push_back({done, total});
}

TEST(BuildWordTableFile, ReportsReadPercentThenWrittenEntries) {
    TempDir dir;
    std::wstring list;
    for (int i = 0; i < 300; ++i) list += L"w" + std::to_wstring(i) + L"\n";
    ASSERT_TRUE(WriteList(dir / L"in.txt", list));
    g_progress.clear();
    ASSERT_EQ(BuildWordTableFile((dir / L"in.txt").c_str(), (dir / L"out.dmg").c_str(),
                                 RecordProgress, nullptr),
              1);
    std::vector<std::vector<int32_t>> reading, writing;
    for (const auto& p : g_progress)
        (p[1] == 100 && writing.empty() ? reading : writing).push_back(p);
    ASSERT_FALSE(reading.empty());
    for (size_t i = 1; i < reading.size(); ++i) EXPECT_GT(reading[i][0], reading[i - 1][0]);
    EXPECT_EQ(reading.back()[0], 100);
    ASSERT_EQ(writing.size(), 300u);
    for (size_t i = 0; i < writing.size(); ++i)
        EXPECT_EQ(writing[i], (std::vector<int32_t>{int32_t(i + 1), 300}));
}

std::wstring WorkFilePath() {
    wchar_t path[kPathChars];
    MakeTempFilePath(kListWorkFileName, path);
    return path;
}

// A fixture of a built list table for rebuild tests.
std::vector<uint8_t> BuildBytes(const TempDir& dir, const std::wstring& list, const wchar_t* name) {
    std::wstring in = dir / (std::wstring(name) + L".txt"),
                 out = dir / (std::wstring(name) + L".dmg");
    EXPECT_TRUE(WriteList(in, list));
    EXPECT_EQ(BuildWordTableFile(in.c_str(), out.c_str(), nullptr, nullptr), 1);
    return ReadFileBytes(out);
}

std::wstring ManyTexts(int n) {
    std::wstring list;
    for (int i = 0; i < n; ++i) list += L"old" + std::to_wstring(i) + L"\n";
    return list;
}

// The edit counts of a rebuilt target, zeroed in the bytes so that they compare with a fresh
// table's.
std::pair<uint32_t, uint32_t> TakeEditCounts(std::vector<uint8_t>& file) {
    if (file.size() < 144) return {0xFFFFFFFF, 0xFFFFFFFF};
    const std::pair<uint32_t, uint32_t> counts = {LoadU32(&file[136]), LoadU32(&file[140])};
    std::fill(file.begin() + 136, file.begin() + 144, 0);
    return counts;
}

TEST(RebuildListTableFromText, GrowsAShorterTargetToTheNewTable) {
    TempDir dir;
    const std::wstring list = ManyTexts(50) + L"new#1\n";
    std::vector<uint8_t> expected = BuildBytes(dir, list, L"reference");
    ASSERT_TRUE(WriteFileBytes(dir / L"sysl.dmg", BuildBytes(dir, L"a\n", L"small")));
    ASSERT_TRUE(WriteList(dir / L"in.txt", list));
    bool hash = true;
    ASSERT_EQ(RebuildListTableFromText((dir / L"sysl.dmg").c_str(), (dir / L"in.txt").c_str(),
                                       &hash, nullptr),
              1);
    EXPECT_FALSE(hash);
    std::vector<uint8_t> now = ReadFileBytes(dir / L"sysl.dmg");
    EXPECT_EQ(TakeEditCounts(now), std::make_pair(1u, 1u)) << "one edit more than before";
    EXPECT_EQ(now, expected);
    EXPECT_EQ(CheckTableInvariants(ReadFileBytes(dir / L"sysl.dmg")), "");
    EXPECT_FALSE(FileExists(WorkFilePath()));
}

TEST(RebuildListTableFromText, LongerTargetKeepsItsLengthAndTail) {
    TempDir dir;
    std::vector<uint8_t> old = BuildBytes(dir, ManyTexts(400), L"old");
    std::vector<uint8_t> expected = BuildBytes(dir, L"x#y\nb\na\n", L"reference");
    ASSERT_LT(expected.size(), old.size());
    ASSERT_TRUE(WriteFileBytes(dir / L"engl.dmg", old));
    ASSERT_TRUE(WriteList(dir / L"in.txt", L"x#y\nb\na\n"));
    bool hash = false;
    ASSERT_EQ(RebuildListTableFromText((dir / L"engl.dmg").c_str(), (dir / L"in.txt").c_str(),
                                       &hash, nullptr),
              1);
    EXPECT_TRUE(hash);
    std::vector<uint8_t> now = ReadFileBytes(dir / L"engl.dmg");
    ASSERT_EQ(now.size(), old.size());
    EXPECT_EQ(TakeEditCounts(now), std::make_pair(1u, 1u));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), now.begin()));
    EXPECT_TRUE(
        std::equal(old.begin() + expected.size(), old.end(), now.begin() + expected.size()));
    EXPECT_EQ(ReadEntries(now), ReadEntries(expected));
    EXPECT_FALSE(FileExists(WorkFilePath()));
}

TEST(RebuildListTableFromText, GrowsUnderAnotherMappingOfTheTarget) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / L"sysl.dmg", BuildBytes(dir, L"z\n", L"old")));
    // The input method keeps the table mapped while the configuration program rebuilds it.
    MappedFile* reader = nullptr;
    ASSERT_GT(MappedFile::Open(&reader, (dir / L"sysl.dmg").c_str()), 0);
    MappedFilePtr owner(reader);
    ASSERT_TRUE(reader->IsMapped());
    ASSERT_TRUE(WriteList(dir / L"in.txt", ManyTexts(200)));
    ASSERT_EQ(RebuildListTableFromText((dir / L"sysl.dmg").c_str(), (dir / L"in.txt").c_str(),
                                       nullptr, nullptr),
              1);
    // The old view sees the new header but no entry beyond its own length, and a change.
    EXPECT_EQ(LoadI32(reader->view + 4), 200);
    EXPECT_EQ(TableChangeCount(reader), 1u);
    EXPECT_LT(MakeTableView(reader).count, 200);
    ASSERT_GT(MappedFile::Reopen(reader), 0);
    TableView v = MakeTableView(reader);
    ASSERT_EQ(v.count, 200);
    const uint8_t* first = v.EntryAt(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(first + 5), first[4]), "old0");
}

TEST(RebuildListTableFromText, FailuresLeaveTheTargetUntouched) {
    TempDir dir;
    const std::vector<uint8_t> old = BuildBytes(dir, ManyTexts(3), L"old");
    ASSERT_TRUE(WriteList(dir / L"good.txt", ManyTexts(100)));
    ASSERT_TRUE(WriteList(dir / L"comments.txt", L"//only\n"));

    // No text to build from.
    ASSERT_TRUE(WriteFileBytes(dir / L"t1.dmg", old));
    EXPECT_EQ(RebuildListTableFromText((dir / L"t1.dmg").c_str(), (dir / L"comments.txt").c_str(),
                                       nullptr, nullptr),
              0);
    EXPECT_EQ(ReadFileBytes(dir / L"t1.dmg"), old);
    EXPECT_EQ(RebuildListTableFromText((dir / L"t1.dmg").c_str(), (dir / L"missing.txt").c_str(),
                                       nullptr, nullptr),
              0);
    EXPECT_EQ(ReadFileBytes(dir / L"t1.dmg"), old);

    // A target that opens only as a private copy would take the table and lose it.
    ASSERT_TRUE(WriteFileBytes(dir / L"t2.dmg", old));
    {
        zan::UniqueHandle lock(CreateFileW((dir / L"t2.dmg").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(lock);
        EXPECT_EQ(RebuildListTableFromText((dir / L"t2.dmg").c_str(), (dir / L"good.txt").c_str(),
                                           nullptr, nullptr),
                  0);
    }
    EXPECT_EQ(ReadFileBytes(dir / L"t2.dmg"), old);

    // No target at all.
    EXPECT_EQ(RebuildListTableFromText((dir / L"none.dmg").c_str(), (dir / L"good.txt").c_str(),
                                       nullptr, nullptr),
              0);
    EXPECT_FALSE(FileExists(dir / L"none.dmg"));
    EXPECT_FALSE(FileExists(WorkFilePath()));
}

// A hand-made list table: entries stored in the given order, offsets as given.
std::vector<uint8_t> RawListTable(const std::vector<std::string>& texts,
                                  std::vector<uint32_t> order, uint32_t kind = kTableKindList) {
    const uint32_t n = static_cast<uint32_t>(order.size());
    std::vector<uint8_t> file(FreshHeapStart(n), 0);
    auto put = [&](size_t at, uint32_t x) { std::memcpy(&file[at], &x, 4); };
    put(0, FreshHeapStart(n));
    put(4, n);
    put(8, kind);
    std::vector<uint32_t> offsets;
    for (const auto& t : texts) {
        offsets.push_back(static_cast<uint32_t>(file.size()));
        file.insert(file.end(), {7, 0, 0, 0, static_cast<uint8_t>(t.size())});
        file.insert(file.end(), t.begin(), t.end());
    }
    for (uint32_t i = 0; i < n; ++i)
        put(kOffsetArrayStart + 4 * i, order[i] < offsets.size() ? offsets[order[i]] : order[i]);
    return file;
}

std::vector<std::string> TextsInOrder(const MappedFile* f) {
    TableView v = MakeTableView(f);
    std::vector<std::string> texts;
    for (int i = 0; i < v.count; ++i) {
        const uint8_t* e = v.EntryAt(i);
        texts.push_back(e ? std::string(reinterpret_cast<const char*>(e + 5), e[4]) : "<none>");
    }
    return texts;
}

TEST(ListTableSort, SortsByTextOnly) {
    TempDir dir;
    // The bytes behind a text are the next entry, never a second key.
    ASSERT_TRUE(WriteFileBytes(dir / L"t.dmg",
                               RawListTable({"b", "ab", "a", "c", "a\x01"}, {3, 4, 0, 2, 1})));
    MappedFile* f = nullptr;
    ASSERT_GT(MappedFile::Open(&f, (dir / L"t.dmg").c_str()), 0);
    MappedFilePtr owner(f);
    ASSERT_EQ(ListTableSort(f), 1);
    EXPECT_EQ(TextsInOrder(f), (std::vector<std::string>{"a", "a\x01", "ab", "b", "c"}));
    EXPECT_EQ(CheckTableInvariants(f), "");
}

TEST(ListTableSort, DamagedOffsetLeavesTheArray) {
    TempDir dir;
    const std::vector<uint8_t> damaged = RawListTable({"b", "a"}, {0, 0x7FFFFFF0, 1});
    ASSERT_TRUE(WriteFileBytes(dir / L"t.dmg", damaged));
    MappedFile* f = nullptr;
    ASSERT_GT(MappedFile::Open(&f, (dir / L"t.dmg").c_str()), 0);
    EXPECT_EQ(ListTableSort(f), 0);
    MappedFile::Close(f);
    EXPECT_EQ(ReadFileBytes(dir / L"t.dmg"), damaged);
}

TEST(ListTableSort, RefusesOtherKindsAndMissingViews) {
    TempDir dir;
    const std::vector<uint8_t> main = RawListTable({"b", "a"}, {0, 1}, kTableKindMain);
    ASSERT_TRUE(WriteFileBytes(dir / L"m.dmg", main));
    MappedFile* f = nullptr;
    ASSERT_GT(MappedFile::Open(&f, (dir / L"m.dmg").c_str()), 0);
    EXPECT_EQ(ListTableSort(f), 0);
    MappedFile::Close(f);
    EXPECT_EQ(ReadFileBytes(dir / L"m.dmg"), main);
    EXPECT_EQ(ListTableSort(nullptr), 0);
}

}  // namespace
