// Candidate-menu entry edits: the group moves on flags words, and the engine operations
// over a mapped main.dmg (row checks, private copies, stale pointers, info, web lookup and
// the delete confirmation).
#include "engine/candidate_entry_menu.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/table/table_edit.h"
#include "engine/candidate_entry.h"
#include "engine/candidate_page.h"
#include "engine/platform.h"
#include "engine_fixture.h"
#include "learning_fixture.h"
#include "support/table_invariants.h"

using learning_test::LearningEngine;
using testing_support::CheckTableInvariants;
using testing_support::FixtureEntry;

namespace {

constexpr uint32_t kC1 = 0x01000000;  // class 1
constexpr uint32_t kC3 = 0x03000000;  // class 3
constexpr uint32_t kPin = kFlagPinned;

// ---- group moves over plain flags words ----

struct Row {
    uint32_t flags;
    uint32_t weight = 127;
    bool editable = true;
};

struct MoveCase {
    const char* name;
    std::vector<Row> rows;
    int j;
    int op;
    int result;
    std::vector<uint32_t> after;
};

const MoveCase kMoves[] = {
    {"up: the first row has nothing above",
     {{kC1 | 5}, {kC1 | 3}},
     0,
     kEntryUp,
     0,
     {kC1 | 5, kC1 | 3}},
    {"down: the last row has nothing below",
     {{kC1 | 5}, {kC1 | 3}},
     1,
     kEntryDown,
     0,
     {kC1 | 5, kC1 | 3}},
    {"up: a pinned row above is another group",
     {{kC1 | kPin | 5}, {kC1 | 3}},
     1,
     kEntryUp,
     0,
     {kC1 | kPin | 5, kC1 | 3}},
    {"up: another weight above is another group",
     {{kC1 | 5, 31}, {kC1 | 3}},
     1,
     kEntryUp,
     0,
     {kC1 | 5, kC1 | 3}},
    {"up: a row without a main entry ends the group",
     {{kC1 | 5, 127, false}, {kC1 | 3}},
     1,
     kEntryUp,
     0,
     {kC1 | 5, kC1 | 3}},
    {"up: orders and bits 16-19 trade places, class and bit 20 stay",
     {{kC3 | 0x100000 | 0x20005}, {kC1 | 3}},
     1,
     kEntryUp,
     1,
     {kC3 | 0x100000 | 3, kC1 | 0x20005}},
    {"up: equal orders raise the row by one",
     {{kC1 | 7}, {kC3 | 7}},
     1,
     kEntryUp,
     1,
     {kC1 | 7, kC3 | 8}},
    {"up: equal at the ceiling lowers the one above",
     {{kC1 | 0xFFFF}, {kC1 | 0xFFFF}},
     1,
     kEntryUp,
     1,
     {kC1 | 0xFFFE, kC1 | 0xFFFF}},
    {"down: orders trade places", {{kC1 | 9}, {kC1 | 4}}, 0, kEntryDown, 1, {kC1 | 4, kC1 | 9}},
    {"down: equal orders lower the row by one",
     {{kC1 | 7}, {kC1 | 7}},
     0,
     kEntryDown,
     1,
     {kC1 | 6, kC1 | 7}},
    {"down: equal at 0 raises the one below, the class never borrows",
     {{kC1 | 0}, {kC1 | 0}},
     0,
     kEntryDown,
     1,
     {kC1 | 0, kC1 | 1}},
    {"top: the row takes the first place, the others move down one",
     {{kC1 | 40}, {kC1 | 30}, {kC1 | 20}, {kC3 | 0x100000 | 10}, {kC1 | 5, 31}},
     3,
     kEntryTop,
     1,
     {kC1 | 30, kC1 | 20, kC1 | 10, kC3 | 0x100000 | 40, kC1 | 5}},
    {"top: the walk stops at the pinned group",
     {{kC1 | kPin | 90}, {kC1 | 30}, {kC1 | 20}},
     2,
     kEntryTop,
     1,
     {kC1 | kPin | 90, kC1 | 20, kC1 | 30}},
    {"top: already first", {{kC1 | 30}, {kC1 | 20}}, 0, kEntryTop, 0, {kC1 | 30, kC1 | 20}},
    {"top: equal to the first raises the row by one",
     {{kC1 | 8}, {kC1 | 8}, {kC1 | 8}},
     2,
     kEntryTop,
     1,
     {kC1 | 8, kC1 | 8, kC1 | 9}},
    {"top: equal at the ceiling lowers the others",
     {{kC1 | 0xFFFF}, {kC1 | 0xFFFF}},
     1,
     kEntryTop,
     1,
     {kC1 | 0xFFFE, kC1 | 0xFFFF}},
    {"bottom: the row takes the last place, the others move up one",
     {{kC1 | 50, 31}, {kC1 | 40}, {kC1 | 30}, {kC1 | 20}, {kC1 | 10}},
     1,
     kEntryBottom,
     1,
     {kC1 | 50, kC1 | 10, kC1 | 40, kC1 | 30, kC1 | 20}},
    {"bottom: already last", {{kC1 | 30}, {kC1 | 20}}, 1, kEntryBottom, 0, {kC1 | 30, kC1 | 20}},
    {"bottom: equal to the last lowers the row by one",
     {{kC1 | 8}, {kC1 | 8}},
     0,
     kEntryBottom,
     1,
     {kC1 | 7, kC1 | 8}},
    {"pin", {{kC1 | 8}}, 0, kEntryPin, 1, {kC1 | kPin | 8}},
    {"unpin", {{kC1 | kPin | 8}}, 0, kEntryPin, 1, {kC1 | 8}},
    {"secondary to main", {{kC3 | kPin | 8}}, 0, kEntrySwitchTable, 1, {kC1 | kPin | 8}},
    {"main to secondary", {{kC1 | 8}}, 0, kEntrySwitchTable, 1, {kC3 | 8}},
    {"user word to secondary", {{0x02000008}}, 0, kEntrySwitchTable, 1, {kC3 | 8}},
    {"category to secondary", {{0x1F000008}}, 0, kEntrySwitchTable, 1, {kC3 | 8}},
    {"delete", {{kC1 | 8}}, 0, kEntryDelete, 1, {kFlagDeleted | kC1 | 8}},
    {"delete twice changes nothing",
     {{kFlagDeleted | kC1 | 8}},
     0,
     kEntryDelete,
     0,
     {kFlagDeleted | kC1 | 8}},
    {"a row without a main entry is never edited",
     {{kC1 | 8, 127, false}},
     0,
     kEntryPin,
     0,
     {kC1 | 8}},
    {"unknown operation", {{kC1 | 8}}, 0, 10, 0, {kC1 | 8}},
};

TEST(EntryMoves, RulesOnFlagsWords) {
    for (const MoveCase& c : kMoves) {
        SCOPED_TRACE(c.name);
        // Flags words at odd addresses, as they lie in a table.
        std::vector<uint8_t> bytes(1 + 4 * c.rows.size());
        std::vector<EntrySlot> slots;
        for (size_t i = 0; i < c.rows.size(); ++i) {
            StoreU32(&bytes[1 + 4 * i], c.rows[i].flags);
            slots.push_back({c.rows[i].editable ? &bytes[1 + 4 * i] : nullptr, c.rows[i].weight});
        }
        EXPECT_EQ(ApplyEntryOperation(slots.data(), static_cast<int64_t>(slots.size()), c.j, c.op),
                  c.result);
        std::vector<uint32_t> after;
        for (size_t i = 0; i < c.rows.size(); ++i) after.push_back(LoadU32(&bytes[1 + 4 * i]));
        EXPECT_EQ(after, c.after);
    }
}

TEST(EntryMoves, RefusesSlotsOutOfRange) {
    uint8_t flags[4];
    StoreU32(flags, kC1 | 8);
    EntrySlot slot{flags, 127};
    for (int64_t j : {-1, 1, 5}) EXPECT_EQ(ApplyEntryOperation(&slot, 1, j, kEntryPin), 0);
    EXPECT_EQ(ApplyEntryOperation(nullptr, 1, 0, kEntryPin), 0);
    EXPECT_EQ(LoadU32(flags), kC1 | 8);
}

// ---- the engine operations over a mapped main.dmg ----

std::vector<FixtureEntry> Words() {
    return {
        {"a", "阿", kC1 | 100}, {"a", "啊", kC1 | 300},   {"a", "吖", kC1 | kPin | 50},
        {"a", "呵", kC1 | 100}, {"ab", "阿爸", kC1 | 10}, {"\x0B\x0C", "加", kC1 | 3},
    };
}

struct Captured {
    int boxes = 0;
    HWND owner = nullptr;
    std::wstring text, caption;
    uint32_t type = 0;
    int answer = IDNO;
    int opens = 0;
    std::wstring address, verb, parameters;
    int show = 0;
};
Captured g;

EnginePlatform FakeShell() {
    EnginePlatform p = Win32Platform();
    p.messageBox = [](HWND owner, const wchar_t* text, const wchar_t* caption, uint32_t type) {
        ++g.boxes;
        g.owner = owner;
        g.text = text;
        g.caption = caption;
        g.type = type;
        return g.answer;
    };
    p.shellExecute = [](HWND, const wchar_t* file, const wchar_t* parameters, const wchar_t* verb,
                        int show) {
        ++g.opens;
        g.address = file;
        g.verb = verb ? verb : L"";
        g.parameters = parameters ? parameters : L"<null>";
        g.show = show;
        return 1;
    };
    return p;
}

class EntryOperations : public ::testing::Test {
protected:
    void SetUp() override {
        g = Captured{};
        SetPlatform(&fake_);
        for (int c = 'a'; c <= 'z'; ++c) t.e->dme->keyClass[c] = kKeyCodeStart | kKeyCodeContinue;
    }
    void TearDown() override { SetPlatform(nullptr); }

    // Types a fresh code and runs the lookup.
    void Lookup(const std::wstring& code) {
        Engine::ResetInput(t.e);
        InputState& in = t.e->input;
        for (wchar_t ch : code) {
            in.code[in.codeLength++] = ch;
            in.caret = in.codeLength;
            in.code[in.codeLength] = 0;
            Engine::ProcessInput(t.e);
        }
    }
    std::vector<std::string> Page() const {
        std::vector<std::string> out;
        for (int64_t r = 0; r < t.e->page.rowCount; ++r)
            out.push_back(testing_support::Narrow(
                std::wstring(t.e->page.rowText[r].text, t.e->page.rowText[r].length)));
        return out;
    }
    uint32_t FlagsOf(const std::string& code, const std::string& word) const {
        const uint8_t* e = LearningEngine::Find(t.e->mainTable, code, word);
        return e ? LoadU32(e) : 0xDEADBEEF;
    }
    void ExpectTableSound() { EXPECT_EQ(CheckTableInvariants(t.e->mainTable), ""); }

    EnginePlatform fake_ = FakeShell();
    LearningEngine t{Words()};
};

TEST_F(EntryOperations, EditsReachTheTableAndTheNextLookup) {
    using Words = std::vector<std::string>;
    Lookup(L"a");
    ASSERT_EQ(Page(), (Words{"吖", "啊", "呵", "阿"}));
    // 呵 and 阿 share order 100: up one lifts 阿 above it.
    EXPECT_EQ(Engine::EntryOperation(t.e, nullptr, 3, kEntryUp), 1);
    EXPECT_EQ(FlagsOf("a", "阿"), kC1 | 101);
    ExpectTableSound();
    Lookup(L"a");
    EXPECT_EQ(Page(), (Words{"吖", "啊", "阿", "呵"}));
    // To the top of the unpinned group; the pinned row stays first.
    EXPECT_EQ(Engine::EntryOperation(t.e, nullptr, 3, kEntryTop), 1);
    EXPECT_EQ(FlagsOf("a", "呵"), kC1 | 300);
    EXPECT_EQ(FlagsOf("a", "啊"), kC1 | 101);
    EXPECT_EQ(FlagsOf("a", "阿"), kC1 | 100);
    Lookup(L"a");
    EXPECT_EQ(Page(), (Words{"吖", "呵", "啊", "阿"}));
    // Deleting hides the entry from the next lookup.
    EXPECT_EQ(Engine::EntryOperation(t.e, nullptr, 1, kEntryDelete), 1);
    ExpectTableSound();
    Lookup(L"a");
    EXPECT_EQ(Page(), (Words{"吖", "啊", "阿"}));
    // Pinning puts 阿 into the pinned group, above 吖 by its order.
    EXPECT_EQ(Engine::EntryOperation(t.e, nullptr, 2, kEntryPin), 1);
    Lookup(L"a");
    EXPECT_EQ(Page(), (Words{"阿", "吖", "啊"}));
    ExpectTableSound();
    // The file on disk holds the edits.
    t.main_.Close();
    testing_support::MappedTable reread(testing_support::ReadFileBytes(t.main_.path()));
    const uint8_t* e = LearningEngine::Find(reread.get(), "a", "呵");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(LoadU32(e), kFlagDeleted | kC1 | 300);
}

TEST_F(EntryOperations, RowsAndCandidatesOutOfRangeChangeNothing) {
    Lookup(L"a");
    ASSERT_EQ(t.e->page.rowCount, 4);
    const auto before = t.main_.Bytes();
    struct Case {
        const char* name;
        int row;
        int64_t rowCandidate;  // stored at the row when the row is on the page
        int op;
    };
    const Case cases[] = {
        {"negative row", -1, 0, kEntryDelete},
        {"row past the page", 4, 0, kEntryDelete},
        {"row past the buffer", kPageRows, 0, kEntryDelete},
        {"candidate index negative", 0, -1, kEntryDelete},
        {"candidate index past the count", 0, 4, kEntryDelete},
        {"candidate index past the buffer", 0, kMaxCandidates + 5, kEntryPin},
        {"operation 0", 0, 0, 0},
        {"operation past the menu", 0, 0, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Lookup(L"a");
        if (c.row >= 0 && c.row < kPageRows) t.e->page.rowCandidate[c.row] = c.rowCandidate;
        EXPECT_EQ(Engine::EntryOperation(t.e, nullptr, c.row, c.op), 0);
        EXPECT_EQ(t.main_.Bytes(), before);
    }
    EXPECT_EQ(Engine::EntryOperation(nullptr, nullptr, 0, kEntryDelete), 0);
    EXPECT_EQ(g.boxes + g.opens, 0);
}

// A pointer in [from, to) that reads as a whole entry inside the view but starts none.
const uint8_t* MisplacedEntry(const Engine* e, uint32_t from, uint32_t to) {
    const TableView v = MakeTableView(e->mainTable);
    for (uint32_t off = from; off < to; ++off) {
        bool listed = false;
        for (int32_t i = 0; i < v.count; ++i) listed = listed || v.OffsetAt(i) == off;
        const Candidate c{v.base + off, kKindMainEntry, 127, {}};
        if (!listed && MainTableEntryOf(e, c)) return v.base + off;
    }
    return nullptr;
}

TEST_F(EntryOperations, PointersThatNoLongerNameAListedEntryAreNotWritten) {
    Lookup(L"a");
    const auto before = t.main_.Bytes();
    const int64_t j = t.e->page.rowCandidate[1];
    const TableView v = MakeTableView(t.e->mainTable);
    std::vector<uint8_t> elsewhere(64, 0);
    const uint8_t* inHeap = MisplacedEntry(t.e, v.heapStart + 1, v.size);
    const uint8_t* inArray = MisplacedEntry(t.e, kOffsetArrayStart, v.heapStart);
    ASSERT_NE(inHeap, nullptr);
    ASSERT_NE(inArray, nullptr);
    const uint8_t* stale[] = {
        inHeap,            // inside an entry, as after another process compacted the heap
        inArray,           // the offset array
        elsewhere.data(),  // outside the view, as after a remap
    };
    for (const uint8_t* p : stale) {
        t.e->candidates[j].entry = p;
        for (int op = kEntryUp; op <= kEntryDelete; ++op)
            EXPECT_EQ(Engine::EntryOperation(t.e, nullptr, 1, op), 0) << op;
        EXPECT_EQ(Engine::EntryOperation(t.e, nullptr, 1, kEntryInfo), 0);
    }
    EXPECT_EQ(t.main_.Bytes(), before);
    EXPECT_EQ(g.boxes, 0);
}

TEST(EntryOperationsCopy, PrivateCopyIsNeverEdited) {
    engine_test::TestEngine t;
    ASSERT_TRUE(t.e->mainTable->IsMemoryCopy());
    t.Type(L"a");
    ASSERT_GT(t.e->page.rowCount, 1);
    const std::vector<uint8_t> before(t.e->mainTable->view,
                                      t.e->mainTable->view + t.e->mainTable->size);
    for (int op = kEntryUp; op <= kEntryDelete; ++op)
        EXPECT_EQ(Engine::EntryOperation(t.e, nullptr, 1, op), 0) << op;
    EXPECT_EQ(
        std::vector<uint8_t>(t.e->mainTable->view, t.e->mainTable->view + t.e->mainTable->size),
        before);
    t.e->input.committedKind = kKindMainEntry;
    t.e->input.committedEntry = t.e->candidates[0].entry;
    EXPECT_EQ(ConfirmDeleteEntry(t.e, nullptr), 1);
    EXPECT_EQ(
        std::vector<uint8_t>(t.e->mainTable->view, t.e->mainTable->view + t.e->mainTable->size),
        before);
}

TEST_F(EntryOperations, InformationBox) {
    struct Case {
        const char* name;
        uint32_t flags;
        uint32_t state;
        const wchar_t* text;
    };
    const Case cases[] = {
        {"main pass, class 1", kC1 | 100, 0,
         L"当前检索码表: 主码表  (可使用“码表切换键”切换至次显码表)\r\n是否固顶词条: 否\r\n"
         L"分类: 主码表\r\n"},
        {"secondary pass, pinned class 3", kC3 | kPin | 100, kStateSecondaryPass,
         L"当前检索码表: 次显码表  (可使用“码表切换键”切换至主码表)\r\n是否固顶词条: 是\r\n"
         L"分类: 次显码表\r\n"},
        {"user word", 0x02000064, 0, nullptr},
        {"auxiliary", 0x04000064, 0, nullptr},
        {"category", 0x10000064, 0, nullptr},
    };
    const wchar_t* classLines[] = {L"分类: 用户码表\r\n", L"分类: 辅助码表\r\n",
                                   L"分类: 其它类型的码表\r\n"};
    int k = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Lookup(L"a");
        const int64_t j = t.e->page.rowCandidate[2];
        uint8_t* entry = const_cast<uint8_t*>(t.e->candidates[j].entry);
        const uint32_t old = LoadU32(entry);
        StoreU32(entry, c.flags);
        t.e->state |= c.state;
        const HWND owner = reinterpret_cast<HWND>(0x1234);
        EXPECT_EQ(Engine::EntryOperation(t.e, owner, 2, kEntryInfo), 0);
        EXPECT_EQ(g.owner, owner);
        EXPECT_EQ(g.caption, L"词条信息 - 呵");
        EXPECT_EQ(g.type, static_cast<uint32_t>(MB_ICONINFORMATION));
        if (c.text)
            EXPECT_EQ(g.text, c.text);
        else
            EXPECT_TRUE(g.text.ends_with(classLines[k++]));
        StoreU32(entry, old);
        t.e->state &= ~c.state;
    }
    EXPECT_EQ(g.boxes, 5);
}

TEST_F(EntryOperations, WebLookupOpensTheEncodedWord) {
    Lookup(L"ab");
    ASSERT_EQ(Page(), (std::vector<std::string>{"阿爸"}));
    const auto before = t.main_.Bytes();
    EXPECT_EQ(Engine::EntryOperation(t.e, nullptr, 0, kEntryWebLookup), 0);
    EXPECT_EQ(g.opens, 1);
    EXPECT_EQ(g.address, std::wstring(kDictPageAddress) + L"%E9%98%BF%E7%88%B8");
    EXPECT_TRUE(g.address.find(L"/dic/index.php?c=") != std::wstring::npos);
    EXPECT_EQ(g.verb, L"open");
    EXPECT_EQ(g.parameters, L"<null>");
    EXPECT_EQ(g.show, SW_SHOWNORMAL);
    EXPECT_EQ(t.main_.Bytes(), before);
}

TEST_F(EntryOperations, ConfirmationDeletesAndRestoresTheLastCommit) {
    ASSERT_EQ(t.Commit(false, "\x0B\x0C", "加"), 1);
    ASSERT_EQ(t.e->input.committedKind, kKindMainEntry);
    const HWND owner = reinterpret_cast<HWND>(0x55);

    g.answer = IDNO;
    EXPECT_EQ(ConfirmDeleteEntry(t.e, owner), 1);
    EXPECT_EQ(g.text, L"编码: ＋，\r\n词条: 加\r\n\r\n是否删除这个词条?");
    EXPECT_EQ(g.caption, L"操作提示");
    EXPECT_EQ(g.type, static_cast<uint32_t>(MB_ICONQUESTION | MB_YESNO));
    EXPECT_EQ(g.owner, owner);
    EXPECT_EQ(FlagsOf("\x0B\x0C", "加"), kC1 | 3);

    g.answer = IDYES;
    EXPECT_EQ(ConfirmDeleteEntry(t.e, owner), 1);
    EXPECT_EQ(FlagsOf("\x0B\x0C", "加"), kFlagDeleted | kC1 | 3);
    ExpectTableSound();

    EXPECT_EQ(ConfirmDeleteEntry(t.e, owner), 1);
    EXPECT_EQ(g.text, L"编码: ＋，\r\n词条: 加\r\n\r\n该词条已被删除，是否取消删除?");
    EXPECT_EQ(FlagsOf("\x0B\x0C", "加"), kC1 | 3);
    EXPECT_EQ(g.boxes, 3);
}

TEST_F(EntryOperations, ConfirmationAsksNothingWithoutAListedMainEntry) {
    ASSERT_EQ(t.Commit(false, "a", "阿"), 1);
    const uint8_t* entry = t.e->input.committedEntry;
    std::vector<uint8_t> elsewhere(64, 0);
    struct Case {
        const char* name;
        uint32_t kind;
        const uint8_t* entry;
    };
    const Case cases[] = {
        {"temporary word", kKindTempEntry, entry},
        {"no entry", kKindMainEntry, nullptr},
        {"inside an entry", kKindMainEntry,
         MisplacedEntry(t.e, MakeTableView(t.e->mainTable).heapStart + 1, t.e->mainTable->size)},
        {"inside the offset array", kKindMainEntry,
         MisplacedEntry(t.e, kOffsetArrayStart, MakeTableView(t.e->mainTable).heapStart)},
        {"outside the view", kKindMainEntry, elsewhere.data()},
    };
    const auto before = t.main_.Bytes();
    g.answer = IDYES;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        t.e->input.committedKind = c.kind;
        t.e->input.committedEntry = c.entry;
        EXPECT_EQ(ConfirmDeleteEntry(t.e, nullptr), 1);
    }
    EXPECT_EQ(g.boxes, 0);
    EXPECT_EQ(t.main_.Bytes(), before);
    EXPECT_EQ(ConfirmDeleteEntry(nullptr, nullptr), 1);
}

TEST_F(EntryOperations, ConfirmationAfterTheHeapMovedNamesTheEntryThere) {
    // The committed entry's bytes move when an entry before it is removed for good; the
    // kept pointer then lies inside another entry or at another one's start.
    ASSERT_EQ(t.Commit(false, "ab", "阿爸"), 1);
    const TableView v = MakeTableView(t.e->mainTable);
    int32_t first = -1;
    uint32_t lowest = UINT32_MAX;
    for (int32_t i = 0; i < v.count; ++i)
        if (v.OffsetAt(i) < lowest) lowest = v.OffsetAt(i), first = i;
    ASSERT_EQ(CodeTable::DeleteEntry(t.e->mainTable, first), 1);
    CodeTable::RebuildPrefixIndex(t.e->mainTable);
    g.answer = IDYES;
    EXPECT_EQ(ConfirmDeleteEntry(t.e, nullptr), 1);
    if (g.boxes) {
        // Only ever a whole listed entry, the one the box named.
        const std::string shown = testing_support::Narrow(g.text);
        int deleted = 0;
        for (const auto& r : testing_support::ReadRows(t.e->mainTable)) {
            if (!(r.flags & kFlagDeleted)) continue;
            ++deleted;
            EXPECT_NE(shown.find("词条: " + r.word + "\r\n"), std::string::npos) << shown;
        }
        EXPECT_EQ(deleted, 1);
    }
    ExpectTableSound();
}

}  // namespace
