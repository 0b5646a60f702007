// Replacing and clearing a mapped table in place while input methods read it: what the new
// table looks like, what is refused, and a second process typing through the engine over the
// same file all the while.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/base/mapped_file.h"
#include "core/record/engine.h"
#include "core/table/code_table.h"
#include "core/table/table_format.h"
#include "core/table/table_replace.h"
#include "support/keys/keypad_engine.h"
#include "support/mapped_table.h"
#include "support/table_fixture.h"
#include "support/test_files.h"

namespace {

using namespace testing_support;

std::string Utf8(uint32_t cp) {
    std::string s;
    s.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    s.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    s.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    return s;
}

// n entries with keypad codes of two to five digits; seed varies codes and words.
std::vector<FixtureEntry> KeypadEntries(int n, uint32_t seed) {
    std::vector<FixtureEntry> out;
    uint32_t x = seed * 2654435761u + 1;
    for (int i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        std::string digits;
        const int len = 2 + static_cast<int>((x >> 8) % 4);
        for (int d = 0; d < len; ++d)
            digits.push_back(static_cast<char>('2' + ((x >> (d * 3)) % 8)));
        std::string word = Utf8(0x4E00 + (x >> 12) % 5000) + Utf8(0x4E00 + (i % 5000));
        out.push_back({KeypadCode(digits.c_str()), word, ComposeFlags(100 + i % 900, 1)});
    }
    return out;
}

std::vector<uint8_t> Stamped(std::vector<uint8_t> table, uint8_t mark) {
    std::memset(&table[offsetof(TableFileHeader, guid)], mark, 16);
    std::memset(&table[offsetof(TableFileHeader, nameTag)], 'a' + mark % 26, 8);
    return table;
}

std::string Key(const FixtureEntry& e) {
    std::string k;
    k.push_back(static_cast<char>(e.code.size()));
    k += e.code;
    k.push_back(static_cast<char>(e.word.size()));
    k += e.word;
    return k;
}

TEST(ReplaceInPlace, NewTableSmallerEqualOrLargerKeepsHeaderAndNeverShrinks) {
    struct Case {
        int oldEntries, newEntries;
    };
    const Case cases[] = {{400, 100}, {250, 250}, {100, 900}, {300, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.oldEntries << " -> " << c.newEntries);
        const std::vector<FixtureEntry> oldEntries = KeypadEntries(c.oldEntries, 1);
        const std::vector<FixtureEntry> newEntries = KeypadEntries(c.newEntries, 7);
        MappedTable target(Stamped(MakeCodeTable(oldEntries), 3));
        const std::vector<uint8_t> fresh = Stamped(MakeCodeTable(newEntries), 9);
        MappedTable source(fresh);
        const std::vector<uint8_t> before = target.Bytes();

        ASSERT_EQ(ReplaceTableInPlace(target.get(), source.get()), TableWriteResult::kDone);
        const std::vector<uint8_t> after = target.Bytes();
        EXPECT_EQ(after.size(), std::max(before.size(), fresh.size()));
        // Kind, GUID, version and tags are the target's own.
        EXPECT_EQ(std::memcmp(&after[8], &before[8], 156 - 8), 0);
        TableView v = MakeTableView(target.get());
        EXPECT_EQ(v.count, static_cast<int32_t>(newEntries.size()));
        EXPECT_EQ(LoadU32(&after[0]), LoadU32(&fresh[0]) + (after.size() - fresh.size()));
        // The prefix index is the new table's; every entry is found by code and word.
        EXPECT_EQ(std::memcmp(&after[156], &fresh[156], 65536), 0);
        for (const FixtureEntry& e : newEntries) {
            const std::string k = Key(e);
            ASSERT_GT(
                CodeTable::FindEntry(target.get(), reinterpret_cast<const uint8_t*>(k.data())), 0)
                << e.word;
        }
        for (int32_t i = 0; i < v.count; ++i) ASSERT_NE(v.EntryAt(i), nullptr) << i;
    }
}

TEST(ReplaceInPlace, ADamagedNewTableOrAPrivateCopyLeavesTheTargetAsItWas) {
    MappedTable target(MakeCodeTable(KeypadEntries(50, 2)));
    const std::vector<uint8_t> before = target.Bytes();
    struct Case {
        const char* what;
        void (*damage)(std::vector<uint8_t>&);
    };
    const Case cases[] = {
        {"offset into the header",
         [](std::vector<uint8_t>& t) { StoreU32(&t[kOffsetArrayStart], 20); }},
        {"offset past the end",
         [](std::vector<uint8_t>& t) { StoreU32(&t[kOffsetArrayStart + 4], 0x7FFFFF00); }},
        {"count past the heap", [](std::vector<uint8_t>& t) { StoreU32(&t[4], 100000); }},
        {"heap past the end", [](std::vector<uint8_t>& t) { StoreU32(&t[0], 0x7FFFFFF0); }},
        {"entry running out",
         [](std::vector<uint8_t>& t) {
             uint32_t last = 0;  // the entry nearest the end
             for (int32_t i = 0; i < LoadI32(&t[4]); ++i)
                 last = std::max(last, LoadU32(&t[kOffsetArrayStart + 4 * i]));
             t[last + 4] = 250;
         }},
        {"too short", [](std::vector<uint8_t>& t) { t.resize(1000); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> fresh = MakeCodeTable(KeypadEntries(20, 5));
        c.damage(fresh);
        MappedTable source(fresh);
        EXPECT_EQ(ReplaceTableInPlace(target.get(), source.get()), TableWriteResult::kBadSource);
        EXPECT_EQ(target.Bytes(), before);
    }
    // A private copy would lose the change.
    std::vector<uint8_t> copy = MakeCodeTable(KeypadEntries(10, 3));
    copy.push_back(0);
    copy.push_back(0);
    MappedFile memory{};
    memory.size = static_cast<int32_t>(copy.size());
    memory.view = copy.data();
    MappedTable source(MakeCodeTable(KeypadEntries(5, 4)));
    EXPECT_EQ(ReplaceTableInPlace(&memory, source.get()), TableWriteResult::kNotWritable);
    EXPECT_EQ(ReplaceTableInPlace(nullptr, source.get()), TableWriteResult::kNoTable);
}

TEST(ClearInPlace, CodeAndListTablesEmptyWithHeapAtTheEnd) {
    for (uint32_t kind : {1u, 5u}) {
        MappedTable t(MakeCodeTable(KeypadEntries(30, kind), kind));
        const std::vector<uint8_t> before = t.Bytes();
        ASSERT_EQ(ClearTableInPlace(t.get()), TableWriteResult::kDone);
        const std::vector<uint8_t> after = t.Bytes();
        ASSERT_EQ(after.size(), before.size());
        EXPECT_EQ(LoadI32(&after[4]), 0);
        EXPECT_EQ(LoadU32(&after[0]), after.size());
        EXPECT_EQ(LoadU32(&after[8]), kind);
        EXPECT_EQ(std::memcmp(&after[12], &before[12], 144), 0);
        for (size_t i = 156; i < 156 + 65536; ++i) ASSERT_EQ(after[i], 0) << i;
    }
}

TEST(ClearInPlace, TemporaryTableSlotsOnlyWhenTheFileHoldsThemAll) {
    std::vector<uint8_t> temp(kTempTableSize, 0);
    StoreU32(&temp[0], kTempHeapStart);
    StoreU32(&temp[4], 5);
    StoreU32(&temp[8], kTableKindTemp);
    for (int i = 0; i < kTempSlots; ++i)  // slots in reverse order, as words were promoted
        StoreU32(&temp[kOffsetArrayStart + 4 * i], kTempHeapStart + kTempSlotSize * (511 - i));
    {
        MappedTable t(temp);
        ASSERT_EQ(ClearTempTableInPlace(t.get()), TableWriteResult::kDone);
        const std::vector<uint8_t> after = t.Bytes();
        EXPECT_EQ(LoadI32(&after[4]), 0);
        for (int i = 0; i < kTempSlots; ++i)
            ASSERT_EQ(LoadU32(&after[kOffsetArrayStart + 4 * i]),
                      kTempHeapStart + static_cast<uint32_t>(kTempSlotSize * i));
    }
    // A short or damaged temp.dmg: nothing is written past its end, nothing at all.
    for (size_t size : {size_t{70000}, size_t{kTempTableSize - 1}, size_t{100}}) {
        std::vector<uint8_t> shortTable(temp.begin(), temp.begin() + static_cast<long>(size));
        MappedTable t(shortTable);
        EXPECT_EQ(ClearTempTableInPlace(t.get()), TableWriteResult::kWrongSize) << size;
        EXPECT_EQ(t.Bytes(), shortTable);
    }
}

// ---- a second process typing over the table while it is replaced and cleared ----

constexpr wchar_t kReaderTableVariable[] = L"ZAN_LIVE_READER_TABLE";
constexpr wchar_t kReaderStopVariable[] = L"ZAN_LIVE_READER_STOP";

std::wstring Variable(const wchar_t* name) {
    wchar_t v[MAX_PATH] = {};
    return GetEnvironmentVariableW(name, v, MAX_PATH) ? v : L"";
}

// Run only as the child of the test below.
TEST(LiveTableReader, TypesThroughTheEngineUntilTold) {
    const std::wstring path = Variable(kReaderTableVariable);
    if (path.empty()) GTEST_SKIP() << "run by LiveTableWrite";
    const std::wstring stop = Variable(kReaderStopVariable);
    MappedFile* table = nullptr;
    ASSERT_GT(MappedFile::Open(&table, path.c_str()), 0);
    KeypadEngine k;
    k.e->mainTable = table;
    const char* codes[] = {"2", "23", "234", "2345", "64", "7777", "98", "55", "345", "8"};
    int64_t lookups = 0, rows = 0;
    DWORD start = GetTickCount();
    while (!FileExists(stop) && GetTickCount() - start < 60000) {
        for (const char* code : codes) {
            Engine::ResetInput(k.e);
            for (const char* d = code; *d; ++d) {
                InputState& in = k.e->input;
                in.code[in.caret++] = static_cast<wchar_t>(0x10 + (*d - '0'));
                in.codeLength = in.caret;
                in.code[in.codeLength] = 0;
                Engine::ProcessInput(k.e);
                rows += k.e->page.rowCount;
                ++lookups;
            }
        }
        if (lookups > 0 && !FileExists(stop + L".ready")) WriteFileBytes(stop + L".ready", "1");
        // Pick up a grown file as the input method does on focus.
        if (lookups % 400 == 0) Engine::RefreshTables(k.e);
    }
    Engine::ResetInput(k.e);
    k.e->mainTable = nullptr;
    MappedFile::Close(table);
    EXPECT_GT(lookups, 0);
    std::printf("reader: %lld lookups, %lld rows\n", static_cast<long long>(lookups),
                static_cast<long long>(rows));
}

TEST(LiveTableWrite, AReaderProcessNeverFaultsDuringReplaceAndClear) {
    TempDir dir;
    const std::wstring path = dir / L"main.dmg";
    const std::wstring stop = dir / L"stop";
    const std::vector<uint8_t> small = MakeCodeTable(KeypadEntries(2000, 11));
    const std::vector<uint8_t> large = MakeCodeTable(KeypadEntries(12000, 12));
    ASSERT_TRUE(WriteFileBytes(path, small));
    TempDir work;
    ASSERT_TRUE(WriteFileBytes(work / L"small.dmg", small));
    ASSERT_TRUE(WriteFileBytes(work / L"large.dmg", large));

    SetEnvironmentVariableW(kReaderTableVariable, path.c_str());
    SetEnvironmentVariableW(kReaderStopVariable, stop.c_str());
    std::wstring cmd = L"\"" + SelfPath() + L"\" --gtest_filter=LiveTableReader.* --gtest_brief=1";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
    SetEnvironmentVariableW(kReaderTableVariable, nullptr);
    for (int i = 0; i < 400 && !FileExists(stop + L".ready"); ++i) Sleep(50);
    ASSERT_TRUE(FileExists(stop + L".ready")) << "the reader did not start";

    MappedFile* target = nullptr;
    ASSERT_GT(MappedFile::Open(&target, path.c_str()), 0);
    MappedFile* sources[2] = {};
    ASSERT_GT(MappedFile::Open(&sources[0], (work / L"small.dmg").c_str()), 0);
    ASSERT_GT(MappedFile::Open(&sources[1], (work / L"large.dmg").c_str()), 0);
    int rounds = 0;
    for (; rounds < 300; ++rounds) {
        ASSERT_EQ(ReplaceTableInPlace(target, sources[rounds % 2]), TableWriteResult::kDone);
        Sleep(2);
        if (rounds % 5 == 4) {
            ASSERT_EQ(ClearTableInPlace(target), TableWriteResult::kDone);
        }
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
    }
    WriteFileBytes(stop, std::string("stop"));
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(rounds, 300) << "the reader ended early";
    EXPECT_EQ(code, 0u) << "the reader process failed or faulted";
    MappedFile::Close(sources[0]);
    MappedFile::Close(sources[1]);
    MappedFile::Close(target);
}

}  // namespace
