// Lookups of an engine over mapped tables, which keeps the lists of short prefixes between
// keystrokes, against the same lookups over private copies of the same bytes, which keep
// nothing, and against a plain re-implementation of the prefix list: every code of one to
// three keys, a sample of longer and wildcard codes, each list order, with and without
// merging; whole lists, every page forward and back, the result codes; again after a
// frequency change, after edits through a second mapping (as another process makes them)
// and after new user words. The range scan of a table search against the entry-by-entry
// search it stands for, over codes of every kind of code byte and each class filter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "core/table/code_table.h"
#include "core/table/table_edit.h"
#include "core/table/table_format.h"
#include "engine/candidate_pick.h"
#include "engine/candidates.h"
#include "engine/code_ranges.h"
#include "engine/effective_settings.h"
#include "engine/list_cache.h"
#include "engine/lookup.h"
#include "engine/marked_positions.h"
#include "engine/temp_words.h"
#include "learning_fixture.h"
#include "support/mapped_table.h"
#include "support/table_fixture.h"

namespace {

using testing_support::FixtureEntry;
using testing_support::MappedTable;

constexpr uint8_t kFirstDigit = 0x11, kLastDigit = 0x19;
constexpr uint8_t kWildcard = 0x0A;

std::string Utf8(unsigned c) {
    std::string s;
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
    return s;
}

// Keypad codes (a few with the 0 key), words from a small vocabulary so that one word has
// several codes, equal orders, and every class and mark the lookup tells apart.
std::vector<FixtureEntry> MakeEntries(int n) {
    std::mt19937 rng(2024);
    std::discrete_distribution<int> length({0, 0.3, 3, 8, 12, 12, 10, 8, 5, 3});
    std::uniform_int_distribution<int> digit(kFirstDigit, kLastDigit), chars(1, 3), vocab(0, 1500),
        order(0, 400), roll(0, 999);
    std::vector<FixtureEntry> out;
    for (int i = 0; i < n; ++i) {
        FixtureEntry e;
        int len = length(rng);
        for (int k = 0; k < len; ++k)
            e.code.push_back(static_cast<char>(k > 0 && roll(rng) < 30 ? 0x10 : digit(rng)));
        int wc = len == 1 ? 1 : chars(rng);
        for (int k = 0; k < wc; ++k) e.word += Utf8(0x4E00 + static_cast<unsigned>(vocab(rng)));
        int r = roll(rng);
        uint32_t cls = r < 900   ? uint32_t{kClassSystem}
                       : r < 940 ? uint32_t{kClassUser}
                       : r < 960 ? uint32_t{kClassSecondary}
                       : r < 980 ? uint32_t{kClassAuxCode}
                                 : 17u;
        e.flags = ComposeFlags(static_cast<uint32_t>(order(rng)), cls, roll(rng) < 10);
        if (i < n / 10) e.flags |= kFlagFirstLines;
        if (roll(rng) < 15) e.flags |= kFlagDeleted;
        out.push_back(std::move(e));
    }
    std::sort(out.begin(), out.end(), [](const FixtureEntry& a, const FixtureEntry& b) {
        return a.code != b.code ? a.code < b.code : a.word < b.word;
    });
    out.erase(std::unique(out.begin(), out.end(),
                          [](const FixtureEntry& a, const FixtureEntry& b) {
                              return a.code == b.code && a.word == b.word;
                          }),
              out.end());
    return out;
}

std::vector<learning_test::TempWord> TempWords() {
    std::vector<learning_test::TempWord> out;
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> digit(kFirstDigit, kLastDigit), len(1, 4), vocab(0, 1500);
    for (int i = 0; i < 60; ++i) {
        learning_test::TempWord w;
        for (int k = len(rng); k > 0; --k) w.code.push_back(static_cast<char>(digit(rng)));
        w.word = Utf8(0x4E00 + static_cast<unsigned>(vocab(rng))) + Utf8(0x4E00 + i);
        w.order = static_cast<uint32_t>(i);
        out.push_back(w);
    }
    return out;
}

struct Setting {
    const char* name;
    uint8_t showNextLength;
    uint32_t listOrder;
    uint32_t features;
};

// An engine over two tables and settings of its own.
class LookupEngine {
public:
    LookupEngine(MappedFile* main, MappedFile* temp) {
        config_.assign(kConfigFileSize + 2, 0);
        InitConfigImage(config_.data(), kConfigFileSize);
        configFile_.size = static_cast<int32_t>(config_.size());
        configFile_.view = config_.data();
        e = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
        e->configFile = &configFile_;
        e->mainTable = main;
        e->tempTable = temp;
        e->ime = FindImeConfig(&configFile_);
        e->dme = FindDmeConfig(&configFile_);
        e->page.pageEnd = -1;
        e->ime->options = kImeMainTable;
        for (int c = kFirstDigit; c <= kLastDigit; ++c)
            e->dme->keyClass[c] = kKeyCodeStart | kKeyCodeContinue;
        e->dme->keyClass[0x10] = kKeyCodeContinue;
        e->dme->wildcardChar = kWildcard;
    }
    ~LookupEngine() { std::free(e); }
    LookupEngine(const LookupEngine&) = delete;
    LookupEngine& operator=(const LookupEngine&) = delete;

    void Apply(const Setting& s, uint32_t inputOptions) {
        e->dme->showNextLength = s.showNextLength;
        e->dme->inputOptions = inputOptions;
        e->dme->autoCommitLength = 4;
        e->dme->showWordsLength = 0;
        e->dme->emptyTopLength = 0;
        e->dme->emptyClearLength = 0;
        e->ime->features = s.features;
        e->ime->listOptions = (5u << kListPageShift) | s.listOrder | kListFreqToTop;
    }
    // Types the code key by key; the result of the last key.
    int Type(const std::string& code) {
        Engine::ResetInput(e);
        int r = 0;
        for (size_t i = 0; i < code.size(); ++i) {
            e->input.code[i] = static_cast<wchar_t>(static_cast<uint8_t>(code[i]));
            e->input.codeLength = static_cast<uint32_t>(i + 1);
            e->input.caret = e->input.codeLength;
            e->input.code[i + 1] = 0;
            r = Engine::ProcessInput(e);
        }
        return r;
    }

    Engine* e;

private:
    std::vector<uint8_t> config_;
    MappedFile configFile_{};
};

// A candidate told by its table and offset, so that lists over different views compare.
struct Row {
    int table;  // 0 main, 1 temp, 2 neither
    uint32_t offset;
    uint8_t kind;
    uint32_t weight;
    wchar_t hint0, hint1;
    bool operator==(const Row&) const = default;
};

Row RowOf(const Engine* e, const Candidate& c) {
    auto inside = [&](const MappedFile* t) {
        return t && c.entry >= t->view && c.entry < t->view + t->size;
    };
    Row r{};
    r.table = inside(e->mainTable) ? 0 : inside(e->tempTable) ? 1 : 2;
    const MappedFile* t = r.table == 0 ? e->mainTable : r.table == 1 ? e->tempTable : nullptr;
    r.offset = t ? static_cast<uint32_t>(c.entry - t->view) : 0;
    r.kind = c.kind;
    r.weight = c.weight;
    r.hint0 = c.hint[0];
    r.hint1 = c.hint[1];
    return r;
}

// The whole list, its order completed as a reader past the first pages has it.
std::vector<Row> ListOf(Engine* e) {
    OrderCandidatesUpTo(e, e->candidateCount);
    std::vector<Row> out;
    for (int64_t i = 0; i < e->candidateCount; ++i) out.push_back(RowOf(e, e->candidates[i]));
    return out;
}

// The list stands in the order of the candidate comparison.
bool InOrder(const Engine* e) {
    for (int64_t i = 1; i < e->candidateCount; ++i)
        if (EngineRuntime::CompareCandidates(&e->candidates[i - 1], &e->candidates[i], e) > 0)
            return false;
    return true;
}

// Every page from the first to the last and back again: candidate index, text and hint of
// each row, as the candidate window reads them.
std::vector<std::wstring> Pages(Engine* e) {
    std::vector<std::wstring> out;
    auto take = [&]() {
        std::wstring page = std::to_wstring(e->page.pageStart) + L":";
        for (int64_t r = 0; r < e->page.rowCount; ++r) {
            const wchar_t* hint = e->candidates[e->page.rowCandidate[r]].hint;
            page += std::to_wstring(e->page.rowCandidate[r]) + L"=" +
                    std::wstring(e->page.rowText[r].text, e->page.rowText[r].length) + L"/" +
                    std::wstring(hint, wcsnlen(hint, 3)) + L";";
        }
        out.push_back(page);
    };
    take();
    while (EngineRuntime::PageDown(e)) take();
    while (e->page.pageStart > 0) {
        EngineRuntime::PrevPage(e);
        take();
    }
    return out;
}

// The prefix list as the lookup defines it, written out plainly: codes starting with the key
// in table order, deleted and filtered classes left out, 500 candidates and 2000 for marked
// ones, both tables, merged by word, then ordered.
std::vector<Row> ReferencePrefixList(const Engine* e, const std::string& key) {
    struct Item {
        const uint8_t* entry;
        int table;
        uint32_t weight;
    };
    std::vector<Item> items;
    const MappedFile* tables[] = {e->mainTable, e->tempTable};
    auto codeAt = [](const TableView& v, int32_t p) {
        const uint8_t* code = EntryCode(v.EntryAt(p));
        return std::string(reinterpret_cast<const char*>(code + 1), code[0]);
    };
    for (int t = 0; t < 2; ++t) {
        TableView v = MakeTableView(tables[t]);
        // First position whose code is not below the key, by plain bisection.
        int32_t lo = 0, hi = v.count;
        while (lo < hi) {
            int32_t mid = lo + (hi - lo) / 2;
            if (codeAt(v, mid) < key)
                lo = mid + 1;
            else
                hi = mid;
        }
        for (int32_t p = lo; p < v.count && codeAt(v, p).compare(0, key.size(), key) == 0; ++p) {
            if (static_cast<int64_t>(items.size()) >= kMarkedCandidateLimit) break;
            const uint8_t* entry = v.EntryAt(p);
            uint32_t flags = LoadU32(entry);
            uint32_t cls = EntryClassOf(flags);
            if ((flags & kFlagDeleted) || cls == kClassSecondary || cls == kClassAuxCode) continue;
            size_t limit = (flags & (kFlagPinned | kFlagFirstLines)) ? kMarkedCandidateLimit
                                                                     : kTableCandidateLimit;
            if (items.size() < limit)
                items.push_back({entry, t, EntryCode(entry)[0] == key.size() ? 127u : 31u});
        }
    }
    auto word = [](const uint8_t* entry) {
        const uint8_t* w = EntryWord(entry);
        return std::string(reinterpret_cast<const char*>(w + 1), w[0]);
    };
    if (e->ime->features & kFeatMergeSameWord) {
        std::vector<Item> kept;
        std::map<std::string, size_t> at;
        for (const Item& it : items) {
            auto [found, added] = at.emplace(word(it.entry), kept.size());
            if (added) {
                kept.push_back(it);
                continue;
            }
            Item& same = kept[found->second];
            if (it.weight > same.weight ||
                (it.weight == same.weight &&
                 (LoadU32(it.entry) & 0xFFFFF) > (LoadU32(same.entry) & 0xFFFFF)))
                same = it;
        }
        items = kept;
    }
    uint32_t list = e->ime->listOptions;
    auto chars = [&](const uint8_t* entry) {
        std::string w = word(entry);
        return std::count_if(w.begin(), w.end(), [](char ch) { return (ch & 0xC0) != 0x80; });
    };
    auto codeOf = [](const uint8_t* entry) {
        const uint8_t* c = EntryCode(entry);
        return std::string(reinterpret_cast<const char*>(c + 1), c[0]);
    };
    std::stable_sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        if (a.weight != b.weight) return a.weight > b.weight;
        if (list & kListSingleFirst) {
            if (chars(a.entry) != chars(b.entry)) return chars(a.entry) < chars(b.entry);
        } else if (list & kListByCode) {
            std::string ca = codeOf(a.entry), cb = codeOf(b.entry);
            if (ca != cb) return ca < cb;
        }
        uint32_t fa = LoadU32(a.entry) & 0x4000FFFF, fb = LoadU32(b.entry) & 0x4000FFFF;
        if (fa != fb) return fa > fb;
        return a.entry < b.entry;
    });
    std::vector<Row> out;
    for (const Item& it : items) {
        const uint8_t* code = EntryCode(it.entry);
        size_t typed = key.size();
        Row r{it.table,
              static_cast<uint32_t>(it.entry - tables[it.table]->view),
              static_cast<uint8_t>(it.table ? kKindTempEntry : kKindMainEntry),
              it.weight,
              0,
              0};
        if (typed < code[0]) r.hint0 = static_cast<wchar_t>(0xFF00 + code[1 + typed]);
        if (typed + 1 < code[0]) r.hint1 = static_cast<wchar_t>(0xFF00 + code[2 + typed]);
        out.push_back(r);
    }
    return out;
}

std::string Shown(const std::string& code) {
    std::string s;
    for (char c : code) {
        auto b = static_cast<uint8_t>(c);
        if (c == static_cast<char>(kWildcard))
            s += '?';
        else if (b >= 0x10 && b <= 0x19)
            s += char('0' + (b & 0xF));
        else if (b >= 0x20 && b < 0x7F)
            s += c;
        else
            s.append(1, '<').append(std::to_string(b)).append(1, '>');
    }
    return s;
}

// The codes compared: all of one to three keys, longer ones typed from the table, wildcards.
std::vector<std::string> Codes(const MappedFile* main) {
    std::vector<std::string> out;
    for (int a = kFirstDigit; a <= kLastDigit; ++a) {
        out.push_back(std::string(1, char(a)));
        for (int b = 0x10; b <= kLastDigit; ++b) {
            out.push_back(std::string{char(a), char(b)});
            for (int c = 0x10; c <= kLastDigit; ++c)
                out.push_back(std::string{char(a), char(b), char(c)});
        }
    }
    TableView v = MakeTableView(main);
    std::mt19937 rng(5);
    std::uniform_int_distribution<int32_t> pick(0, v.count - 1);
    for (int i = 0; i < 150; ++i) {
        const uint8_t* code = EntryCode(v.EntryAt(pick(rng)));
        std::string c(reinterpret_cast<const char*>(code + 1), code[0]);
        if (c.size() > 3) out.push_back(c + (i % 5 == 0 ? "\x11" : ""));
        if (c.size() >= 2 && i % 3 == 0) {
            std::string w = c;
            w[1 + static_cast<size_t>(i) % (c.size() - 1)] = static_cast<char>(kWildcard);
            out.push_back(w);
        }
    }
    out.push_back(std::string(1, char(kWildcard)));
    out.push_back(std::string{char(kWildcard), char(0x12)});
    return out;
}

class LookupDifferential : public ::testing::Test {
protected:
    void SetUp() override {
        ClearListCache();
        ClearMarkedPositions();
        std::vector<FixtureEntry> entries = MakeEntries(24000);
        mainFile_ = std::make_unique<MappedTable>(testing_support::MakeCodeTable(entries, 1));
        tempFile_ = std::make_unique<MappedTable>(learning_test::MakeTempTable(TempWords()));
        ASSERT_TRUE(mainFile_->get() && mainFile_->get()->IsMapped());
        ASSERT_TRUE(tempFile_->get() && tempFile_->get()->IsMapped());
        mapped_ = std::make_unique<LookupEngine>(mainFile_->get(), tempFile_->get());
        codes_ = Codes(mainFile_->get());
    }
    void TearDown() override {
        ClearListCache();
        ClearMarkedPositions();
    }

    // Private copies of the tables as they are now: an engine over them keeps nothing.
    void CopyTables() {
        for (int i = 0; i < 2; ++i) {
            MappedFile* from = i == 0 ? mainFile_->get() : tempFile_->get();
            copyBytes_[i].assign(from->view, from->view + from->size);
            copies_[i] = MappedFile{};
            copies_[i].size = from->size;
            copies_[i].view = copyBytes_[i].data();
        }
        copy_ = std::make_unique<LookupEngine>(&copies_[0], &copies_[1]);
    }

    // Types every code (each one twice: the second keystroke may be served from what the
    // first kept) on both engines and compares.
    void CompareAll(const Setting& s, uint32_t inputOptions,
                    const std::vector<std::string>& codes) {
        mapped_->Apply(s, inputOptions);
        copy_->Apply(s, inputOptions);
        for (int round = 0; round < 2; ++round) {
            for (const std::string& code : codes) {
                SCOPED_TRACE(std::string(s.name) + " code " + Shown(code) + " round " +
                             std::to_string(round));
                int a = mapped_->Type(code), b = copy_->Type(code);
                ASSERT_EQ(a, b);
                // Pages first: paging completes the order of a long list as it goes.
                if (round == 0 || code.size() <= 2) {
                    ASSERT_EQ(Pages(mapped_->e), Pages(copy_->e));
                }
                std::vector<Row> list = ListOf(mapped_->e);
                ASSERT_EQ(list, ListOf(copy_->e));
                ASSERT_TRUE(InOrder(mapped_->e));
                bool plain = code.find(static_cast<char>(kWildcard)) == std::string::npos;
                if (plain && s.showNextLength && code.size() >= s.showNextLength) {
                    ASSERT_EQ(list, ReferencePrefixList(mapped_->e, code));
                }
            }
        }
    }

    std::unique_ptr<MappedTable> mainFile_, tempFile_;
    std::unique_ptr<LookupEngine> mapped_, copy_;
    std::vector<uint8_t> copyBytes_[2];
    MappedFile copies_[2]{};
    std::vector<std::string> codes_;
};

// The settings of the keystroke benchmark and the other list orders.
const Setting kSettings[] = {
    {"exact codes", 0, kListSingleFirst, 0},
    {"longer codes from 3", 3, kListSingleFirst, 0},
    {"longer codes from 1", 1, kListSingleFirst, 0},
    {"longer codes from 1, merge", 1, kListSingleFirst, kFeatMergeSameWord},
    {"longer codes from 1, by code, merge", 1, kListByCode, kFeatMergeSameWord},
    {"longer codes from 2, table order", 2, 0, 0},
};

TEST_F(LookupDifferential, EverySettingGivesTheListsAndPagesOfAnUncachedLookup) {
    CopyTables();
    const size_t empty = ListCacheBytes();
    for (const Setting& s : kSettings) CompareAll(s, 0, codes_);
    // The short prefixes were served from kept lists, long ranges stepped by the marks.
    EXPECT_GT(ListCacheBytes(), empty);
    EXPECT_GT(MarkedPositionsBytes(), 0u);
    // Wildcards matching one-character words only, the first-key query, and longer codes on an
    // empty exact code.
    CompareAll(kSettings[0], kInputWildcardSingle | kInputWildcardFirstKey | kInputLongerOnEmpty,
               codes_);
}

TEST_F(LookupDifferential, FrequencyChangeIsSeenByTheNextKeystroke) {
    const Setting& s = kSettings[3];
    mapped_->Apply(s, 0);
    std::vector<std::string> shortCodes(codes_.begin(), codes_.begin() + 90);
    for (const std::string& code : shortCodes) mapped_->Type(code);  // kept lists
    // Lift the third candidate of the second page of each one-key list to the top.
    int changed = 0;
    for (int a = kFirstDigit; a <= kLastDigit; ++a) {
        mapped_->Type(std::string(1, char(a)));
        ASSERT_EQ(EngineRuntime::PageDown(mapped_->e), 1);
        changed += EngineRuntime::AdjustFrequency(mapped_->e, 3);
    }
    ASSERT_GT(changed, 0);
    CopyTables();
    CompareAll(s, 0, codes_);
}

TEST_F(LookupDifferential, EditsOfAnotherMappingAreSeenByTheNextKeystroke) {
    const Setting& s = kSettings[2];
    mapped_->Apply(s, 0);
    for (int i = 0; i < 90; ++i) mapped_->Type(codes_[static_cast<size_t>(i)]);
    // A second mapping of the same files, as another process has it.
    MappedFile* other = nullptr;
    ASSERT_GT(MappedFile::Open(&other, mainFile_->path().c_str()), 0);
    MappedFilePtr otherMain(other);
    TableView v = MakeTableView(otherMain.get());
    std::mt19937 rng(3);
    std::uniform_int_distribution<int32_t> pick(0, v.count - 1);
    for (int i = 0; i < 200; ++i) {
        uint8_t* entry = otherMain->view + v.OffsetAt(pick(rng));
        uint32_t f = LoadU32(entry);
        StoreU32(entry, (f & ~kOrderMask) | ((f + 977) & kOrderMask));
    }
    // Room below the heap for a new word, then the word itself.
    ASSERT_EQ(CodeTable::DeleteEntry(otherMain.get(), 5), 1);
    ASSERT_EQ(CodeTable::DeleteEntry(otherMain.get(), 5000), 1);
    std::string record =
        testing_support::EntryRecord(ComposeFlags(0xFFFF, kClassUser) | kFlagFirstLines, "\x13\x14",
                                     Utf8(0x9F00) + Utf8(0x9F01));
    ASSERT_EQ(
        CodeTable::AppendEntry(otherMain.get(), reinterpret_cast<const uint8_t*>(record.data())),
        1);
    ASSERT_EQ(otherMain->size, mainFile_->get()->size);
    CodeTable::Sort(otherMain.get());
    CodeTable::RebuildPrefixIndex(otherMain.get());
    CopyTables();
    CompareAll(s, 0, codes_);
}

TEST_F(LookupDifferential, NewUserWordsAreSeenByTheNextKeystroke) {
    const Setting& s = kSettings[3];
    mapped_->Apply(s, 0);
    for (int i = 0; i < 90; ++i) mapped_->Type(codes_[static_cast<size_t>(i)]);
    for (int i = 0; i < 20; ++i) {
        std::string record = testing_support::EntryRecord(
            static_cast<uint32_t>(i), std::string(1, char(kFirstDigit + i % 9)) + "\x15",
            Utf8(0x9E00 + static_cast<unsigned>(i)));
        ASSERT_EQ(CodeTable::InsertTemp(tempFile_->get(),
                                        reinterpret_cast<const uint8_t*>(record.data())),
                  1);
    }
    CopyTables();
    CompareAll(s, 0, codes_);
}

// The table search as it went entry by entry, matching with MatchEntry and adding with
// Engine::AddCandidate: the reference of the range scan.
void EntryByEntrySearch(Engine* e, const MappedFile* table, const uint8_t* key, bool prefix,
                        uint8_t kind) {
    PositionRange range =
        prefix ? CodeTable::GetPrefixRange(table, key) : CodeTable::GetCodeRange(table, key);
    TableView v = MakeTableView(table);
    for (int32_t pos = range.first; pos < range.end && pos < v.count; ++pos) {
        if (e->candidateCount >= kMarkedCandidateLimit) break;
        const uint8_t* entry = v.EntryAt(pos);
        if (!entry) continue;
        uint32_t w = MatchEntry(e, entry, key);
        if (!w) continue;
        int64_t limit = (LoadU32(entry) & (kFlagPinned | kFlagFirstLines)) ? kMarkedCandidateLimit
                                                                           : kTableCandidateLimit;
        if (e->candidateCount < limit) EngineRuntime::AddCandidate(e, entry, kind, w, key[0]);
    }
}

struct Added {
    const uint8_t* entry;
    uint8_t kind;
    uint32_t weight;
    std::wstring hint;
    bool operator==(const Added&) const = default;
};

// The candidates as added, with the hints a reader of the whole list has.
std::vector<Added> AddedOf(Engine* e) {
    GiveFirstHints(e);
    OrderCandidatesUpTo(e, e->candidateCount - 1);
    std::vector<Added> out;
    for (int64_t i = 0; i < e->candidateCount; ++i) {
        const Candidate& c = e->candidates[i];
        out.push_back({c.entry, c.kind, c.weight, std::wstring(c.hint, wcsnlen(c.hint, 3))});
    }
    return out;
}

// Codes of letters, keypad digits and multi-byte characters, so that hints come from every
// kind of code byte.
std::vector<FixtureEntry> MixedEntries() {
    const std::vector<std::string> units = {"\x11", "\x12", "\x15", "\x10",     "a",
                                            "b",    "z",    "1",    "\xC3\xA9", "\xE4\xB8\x80"};
    std::mt19937 rng(17);
    std::uniform_int_distribution<int> unit(0, static_cast<int>(units.size()) - 1), len(1, 5),
        roll(0, 999);
    std::vector<FixtureEntry> out;
    for (int i = 0; i < 4000; ++i) {
        FixtureEntry f;
        for (int k = len(rng); k > 0; --k) f.code += units[static_cast<size_t>(unit(rng))];
        f.word =
            Utf8(0x4E00 + static_cast<unsigned>(i % 700)) + (i % 3 ? Utf8(0x5E00 + i % 50) : "");
        int r = roll(rng);
        f.flags = ComposeFlags(static_cast<uint32_t>(r),
                               r < 850   ? kClassSystem
                               : r < 900 ? kClassSecondary
                               : r < 950 ? kClassAuxCode
                                         : 18u,
                               r % 97 == 0) |
                  (r < 100 ? kFlagFirstLines : 0) | (r % 61 == 0 ? kFlagDeleted : 0);
        out.push_back(f);
    }
    std::sort(out.begin(), out.end(), [](const FixtureEntry& a, const FixtureEntry& b) {
        return a.code != b.code ? a.code < b.code : a.word < b.word;
    });
    out.erase(std::unique(out.begin(), out.end(),
                          [](const FixtureEntry& a, const FixtureEntry& b) {
                              return a.code == b.code && a.word == b.word;
                          }),
              out.end());
    return out;
}

TEST_F(LookupDifferential, RangeScanAddsWhatTheEntryByEntrySearchAdds) {
    MappedTable mixed(testing_support::MakeCodeTable(MixedEntries(), 1));
    ASSERT_TRUE(mixed.get() && mixed.get()->IsMapped());
    struct Case {
        const char* name;
        uint32_t inputOptions;
        uint8_t showWordsLength;
        uint32_t imeOptions;
        uint32_t features;
        uint32_t state;
    };
    const Case cases[] = {
        {"exact", 0, 0, kImeMainTable, 0, 0},
        {"prefix", kInputPrefixSearch, 0, kImeMainTable, 0, 0},
        {"prefix, words from 3 keys", kInputPrefixSearch, 3, kImeMainTable, 0, 0},
        {"prefix, key roots", kInputPrefixSearch, 0, kImeMainTable, kFeatKeyRoots, 0},
        {"prefix, auxiliary codes", kInputPrefixSearch, 0, kImeMainTable | kImeAuxTable, 0, 0},
        {"exact, secondary entries", 0, 0, kImeMainTable | kImeSearchSecondary, 0, 0},
        {"prefix, secondary pass", kInputPrefixSearch, 0, kImeMainTable, 0, kStateSecondaryPass},
        {"prefix, auxiliary only", kInputPrefixSearch, 0, kImeAuxTable, 0, 0},
    };
    LookupEngine scan(mainFile_->get(), tempFile_->get()),
        reference(mainFile_->get(), tempFile_->get());
    for (LookupEngine* l : {&scan, &reference}) {
        l->e->ime->keyRoots[0x13].text[0] = L'K';
        l->e->ime->keyRoots['a'].text[0] = L'A';
    }
    std::vector<std::string> mixedCodes;
    for (const FixtureEntry& f : MixedEntries())
        for (size_t n = 1; n <= f.code.size(); ++n) mixedCodes.push_back(f.code.substr(0, n));
    std::sort(mixedCodes.begin(), mixedCodes.end());
    mixedCodes.erase(std::unique(mixedCodes.begin(), mixedCodes.end()), mixedCodes.end());
    for (const Case& c : cases) {
        for (LookupEngine* l : {&scan, &reference}) {
            l->Apply(kSettings[0], c.inputOptions);
            l->e->dme->showWordsLength = c.showWordsLength;
            l->e->ime->options = c.imeOptions;
            l->e->ime->features = c.features;
            l->e->state = c.state;
        }
        // The keypad tables (main, then temp behind it, as a lookup searches them) and the
        // mixed table on its own.
        struct Run {
            const std::vector<std::string>* codes;
            std::vector<std::pair<const MappedFile*, uint8_t>> tables;
        };
        const Run runs[] = {
            {&codes_, {{mainFile_->get(), kMainTableKind}, {tempFile_->get(), kTempTableKind}}},
            {&mixedCodes, {{mixed.get(), kMainTableKind}}},
        };
        for (const Run& run : runs) {
            for (const std::string& code : *run.codes) {
                if (code.find(static_cast<char>(kWildcard)) != std::string::npos) continue;
                SCOPED_TRACE(std::string(c.name) + " code " + Shown(code));
                uint8_t key[kKeyBufferBytes];
                key[0] = static_cast<uint8_t>(code.size());
                std::memcpy(key + 1, code.data(), code.size());
                key[1 + code.size()] = 0;
                bool prefix = (c.inputOptions & kInputPrefixSearch) != 0;
                scan.e->candidateCount = reference.e->candidateCount = 0;
                for (const auto& [table, kind] : run.tables) {
                    SearchTable(scan.e, table, key, prefix, kind);
                    EntryByEntrySearch(reference.e, table, key, prefix, kind);
                    ASSERT_EQ(AddedOf(scan.e), AddedOf(reference.e));
                }
            }
        }
    }
}

TEST_F(LookupDifferential, KeptListsOfLetterAndMultiByteCodesAreTheScannedLists) {
    std::vector<FixtureEntry> entries = MixedEntries();
    MappedTable mixed(testing_support::MakeCodeTable(entries, 1));
    ASSERT_TRUE(mixed.get() && mixed.get()->IsMapped());
    std::vector<uint8_t> bytes(mixed.get()->view, mixed.get()->view + mixed.get()->size);
    MappedFile copy{};
    copy.size = mixed.get()->size;
    copy.view = bytes.data();
    // Over the mapping lists are kept; over the private copy every lookup scans.
    LookupEngine kept(mixed.get(), nullptr), scanned(&copy, nullptr);
    // Typed codes of one and two units below 128: letters, keypad digits and '1'; after some
    // of them a multi-byte unit follows, whose hint is two bytes of UTF-8.
    std::vector<std::string> codes;
    for (const FixtureEntry& f : entries)
        for (size_t n = 1; n <= 2 && n <= f.code.size(); ++n) {
            std::string c = f.code.substr(0, n);
            if (std::all_of(c.begin(), c.end(), [](char ch) { return ch > 0; })) codes.push_back(c);
        }
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    const size_t empty = ListCacheBytes();
    const Setting keyRoots = {"longer codes from 1, key roots", 1, kListSingleFirst, kFeatKeyRoots};
    for (const Setting& s : {kSettings[2], kSettings[3], keyRoots}) {
        kept.Apply(s, 0);
        scanned.Apply(s, 0);
        for (int round = 0; round < 2; ++round)
            for (const std::string& code : codes) {
                SCOPED_TRACE(std::string(s.name) + " code " + Shown(code) + " round " +
                             std::to_string(round));
                ASSERT_EQ(kept.Type(code), scanned.Type(code));
                ASSERT_EQ(Pages(kept.e), Pages(scanned.e));
                ASSERT_EQ(ListOf(kept.e), ListOf(scanned.e));
            }
    }
    EXPECT_GT(ListCacheBytes(), empty);
}

}  // namespace
