// An engine record over real mappings of main.dmg and temp.dmg (scratch copies), settings
// in memory, and candidates placed by hand: for the commit and learning tests.
#pragma once
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "core/table/code_table.h"
#include "core/table/table_format.h"
#include "support/mapped_table.h"
#include "support/table_fixture.h"
#include "support/test_files.h"

namespace learning_test {

using testing_support::FixtureEntry;
using testing_support::MappedTable;

struct TempWord {
    std::string code;
    std::string word;
    uint32_t order;
    uint32_t topByte = 0;
};

// A slotted temp.dmg: words in slots 0.., the used offsets sorted by code then word.
inline std::vector<uint8_t> MakeTempTable(const std::vector<TempWord>& words) {
    std::vector<uint8_t> t(kTempTableSize, 0);
    StoreU32(&t[0], kTempHeapStart);
    StoreU32(&t[4], static_cast<uint32_t>(words.size()));
    StoreU32(&t[8], kTableKindTemp);
    std::memcpy(&t[30], "TMPMB", 5);
    std::vector<uint32_t> used;
    for (size_t i = 0; i < words.size(); ++i) {
        const uint32_t off = kTempHeapStart + kTempSlotSize * static_cast<uint32_t>(i);
        const std::string rec = testing_support::EntryRecord(
            (words[i].topByte << 24) | words[i].order, words[i].code, words[i].word);
        std::memcpy(&t[off], rec.data(), rec.size());
        used.push_back(off);
    }
    std::stable_sort(used.begin(), used.end(), [&](uint32_t a, uint32_t b) {
        auto key = [&](uint32_t o) {
            const uint8_t* e = &t[o];
            return std::make_pair(
                std::string(reinterpret_cast<const char*>(e + 5), e[4]),
                std::string(reinterpret_cast<const char*>(EntryWord(e) + 1), EntryWord(e)[0]));
        };
        auto ka = key(a), kb = key(b);
        auto less = [](const std::string& x, const std::string& y) {
            return std::lexicographical_compare(
                x.begin(), x.end(), y.begin(), y.end(),
                [](char p, char q) { return uint8_t(p) < uint8_t(q); });
        };
        if (ka.first != kb.first) return less(ka.first, kb.first);
        return less(ka.second, kb.second);
    });
    for (int i = 0; i < kTempSlots; ++i) {
        const uint32_t off = i < static_cast<int>(used.size())
                                 ? used[i]
                                 : kTempHeapStart + kTempSlotSize * static_cast<uint32_t>(i);
        StoreU32(&t[kOffsetArrayStart + 4 * i], off);
    }
    return t;
}

struct TempRow {
    std::string code;
    std::string word;
    uint32_t flags;
    bool operator==(const TempRow&) const = default;
};

// Used entries of temp.dmg in offset-array order.
inline std::vector<TempRow> TempRows(const MappedFile* f) {
    std::vector<TempRow> rows;
    if (!f || !f->view) return rows;
    const int32_t n = LoadI32(f->view + 4);
    for (int32_t i = 0; i < n && i < kTempSlots; ++i) {
        const uint8_t* e = f->view + LoadU32(f->view + kOffsetArrayStart + 4 * i);
        rows.push_back(
            {std::string(reinterpret_cast<const char*>(e + 5), e[4]),
             std::string(reinterpret_cast<const char*>(EntryWord(e) + 1), EntryWord(e)[0]),
             LoadU32(e)});
    }
    return rows;
}

// Problems of the slot layout: every slot listed once, the used offsets sorted.
inline std::string CheckTempLayout(const MappedFile* f) {
    if (!f || !f->view || f->size < kTempTableSize) return "no table";
    std::vector<bool> seen(kTempSlots);
    for (int i = 0; i < kTempSlots; ++i) {
        const uint32_t off = LoadU32(f->view + kOffsetArrayStart + 4 * i);
        const uint32_t slot = (off - kTempHeapStart) / kTempSlotSize;
        if (off < kTempHeapStart || (off - kTempHeapStart) % kTempSlotSize || slot >= kTempSlots ||
            seen[slot])
            return "offset " + std::to_string(i) + " is not a free slot of its own";
        seen[slot] = true;
    }
    auto rows = TempRows(f);
    for (size_t i = 1; i < rows.size(); ++i) {
        const auto& a = rows[i - 1];
        const auto& b = rows[i];
        if (std::make_pair(a.code, a.word) >= std::make_pair(b.code, b.word))
            return "used offsets unsorted at " + std::to_string(i);
    }
    return "";
}

class LearningEngine {
public:
    explicit LearningEngine(std::vector<FixtureEntry> mainEntries,
                            std::vector<TempWord> tempWords = {})
        : main_(testing_support::MakeCodeTable(std::move(mainEntries), 1)),
          temp_(MakeTempTable(tempWords)) {
        config_.assign(kConfigFileSize + 2, 0);
        InitConfigImage(config_.data(), kConfigFileSize);
        std::memset(&configFile_, 0, sizeof configFile_);
        configFile_.size = static_cast<int32_t>(config_.size());
        configFile_.view = config_.data();
        e = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
        e->configFile = &configFile_;
        e->mainTable = main_.get();
        e->tempTable = temp_.get();
        e->ime = FindImeConfig(&configFile_);
        e->dme = FindDmeConfig(&configFile_);
        e->page.pageEnd = -1;
        e->ime->options = kImeMainTable;
        e->ime->listOptions = 5u << kListPageShift;
    }
    ~LearningEngine() {
        std::free(e);
        if (charTable_) std::free(charTable_->view), delete charTable_;
    }
    LearningEngine(const LearningEngine&) = delete;
    LearningEngine& operator=(const LearningEngine&) = delete;

    // A danzi.dmi of character -> code pairs, held in memory.
    void SetCharTable(const std::vector<std::pair<std::string, std::string>>& kv) {
        auto bytes = testing_support::MakeKeyValueTable(kv);
        charTable_ = new MappedFile{};
        charTable_->size = static_cast<int32_t>(bytes.size());
        charTable_->view = static_cast<uint8_t*>(std::malloc(bytes.size()));
        std::memcpy(charTable_->view, bytes.data(), bytes.size());
        e->charTable = charTable_;
    }

    // Entry of a table whose code and word are given, or null.
    static const uint8_t* Find(const MappedFile* f, const std::string& code,
                               const std::string& word) {
        std::string key;
        key += char(code.size());
        key += code;
        key += char(word.size());
        key += word;
        const int64_t at = CodeTable::FindEntry(f, reinterpret_cast<const uint8_t*>(key.data()));
        if (at <= 0) return nullptr;
        return MakeTableView(f).EntryAt(static_cast<int32_t>(at - 1));
    }

    // Shows one page of candidates, one per row: main-table (kind 33) or temp (kind 34) words.
    struct Shown {
        bool temp;
        std::string code;
        std::string word;
        uint32_t weight = 127;
    };
    void Show(const std::vector<Shown>& rows) {
        e->candidateCount = 0;
        for (const Shown& s : rows) {
            Candidate& c = e->candidates[e->candidateCount];
            c.entry = Find(s.temp ? e->tempTable : e->mainTable, s.code, s.word);
            c.kind = s.temp ? kKindTempEntry : kKindMainEntry;
            c.weight = s.weight;
            e->page.rowCandidate[e->candidateCount] = e->candidateCount;
            ++e->candidateCount;
        }
        e->page.pageStart = 0;
        e->page.pageEnd = e->candidateCount - 1;
        e->page.rowCount = e->candidateCount;
        e->page.highlight = 0;
    }

    // Shows the one word and commits it.
    int Commit(bool temp, const std::string& code, const std::string& word) {
        Show({{temp, code, word}});
        return Engine::CommitCandidate(e, 1);
    }

    std::wstring HistoryText(uint32_t i) const {
        const RecentOutput& r = e->ime->recentOutputs[i];
        return std::wstring(r.text, wcsnlen(r.text, kRecentTextUnits));
    }
    std::wstring Slot(uint32_t i, int k) const {
        const wchar_t* s = e->ime->recentOutputs[i].codes[k - 1];
        return std::wstring(s, wcsnlen(s, kRecentCodeUnits));
    }
    void SetRule(int chars, std::vector<uint16_t> terms) {
        WordRule& r = e->dme->wordRules[chars];
        std::memset(&r, 0, sizeof r);
        for (size_t i = 0; i < terms.size(); ++i) r.terms[i] = terms[i];
    }

    Engine* e;
    MappedTable main_;
    MappedTable temp_;

private:
    std::vector<uint8_t> config_;
    MappedFile configFile_;
    MappedFile* charTable_ = nullptr;
};

// Rule term "L<character>B<position>".
constexpr uint16_t Term(int character, int position) {
    return static_cast<uint16_t>(character << 8 | position);
}

}  // namespace learning_test
