#include "engine/association.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>

#include "core/tabletools/list_table_builder.h"
#include "engine/list_search.h"
#include "engine/lookup.h"
#include "engine_fixture.h"

using namespace engine_test;
using testing_support::Narrow;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

// A list table built from UTF-8 lines, held in memory like a private copy.
class ListImage {
public:
    explicit ListImage(const std::vector<std::string>& lines) {
        TempDir dir;
        std::string text = "\xEF\xBB\xBF";
        for (const auto& l : lines) text += l + "\n";
        WriteFileBytes(dir / L"in.txt", text);
        EXPECT_EQ(BuildWordTableFile((dir / L"in.txt").c_str(), (dir / L"t.dmg").c_str(), nullptr,
                                     nullptr),
                  1);
        bytes_ = ReadFileBytes(dir / L"t.dmg");
        std::memset(&file_, 0, sizeof file_);
        file_.size = static_cast<int32_t>(bytes_.size());
        file_.view = bytes_.data();
    }
    MappedFile* get() { return &file_; }

private:
    std::vector<uint8_t> bytes_;
    MappedFile file_;
};

void SetPicked(Engine* e, const std::wstring& text) {
    std::wcsncpy(e->input.pickedText, text.c_str(), kPickedUnits - 1);
    e->input.pickedLength = static_cast<uint32_t>(text.size());
    std::string u8 = Narrow(text);
    e->input.searchKey.length = static_cast<uint8_t>(u8.size());
    std::memcpy(e->input.searchKey.bytes, u8.data(), u8.size());
}

std::vector<std::string> CandidateTexts(const Engine* e) {
    std::vector<std::string> out;
    for (int64_t i = 0; i < e->candidateCount; ++i) {
        const uint8_t* entry = e->candidates[i].entry;
        out.push_back(std::string(reinterpret_cast<const char*>(entry + 5), entry[4]));
    }
    return out;
}

const char kZhongGuo[] = "\xE4\xB8\xAD\xE5\x9B\xBD";                 // 中国
const char kZhongGuoRen[] = "\xE4\xB8\xAD\xE5\x9B\xBD\xE4\xBA\xBA";  // 中国人
const char kRen[] = "\xE4\xBA\xBA";                                  // 人
const char kZhongWen[] = "\xE4\xB8\xAD\xE6\x96\x87";                 // 中文

TEST(ClearInputAndAssociate, WhenAssociationRuns) {
    struct Case {
        const char* name;
        bool option, picked, english, table, hashForm;
        std::vector<std::string> texts;
    };
    const std::string hashEntry = std::string(kZhongGuo) + "#" + kRen;
    const std::vector<Case> cases = {
        {"after a commit",
         true,
         true,
         false,
         true,
         false,
         {kZhongGuo + std::string("#") + kRen, kZhongGuoRen}},
        {"hash form", true, true, false, true, true, {hashEntry}},
        {"association switched off", false, true, false, true, false, {}},
        {"nothing picked", true, false, false, true, false, {}},
        {"English mode", true, true, true, true, false, {}},
        {"no sysl.dmg", true, true, false, false, false, {}},
    };
    ListImage sysl({kZhongGuo, kZhongGuoRen, kZhongWen, hashEntry});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestEngine t;
        Engine* e = t.e;
        if (c.option) e->ime->options |= kImeAssociation;
        if (c.hashForm) e->ime->features |= kFeatAssocHashForm;
        if (c.table) e->associationTable = sysl.get();
        if (c.english) e->state |= kStateEnglishMode;
        SetPicked(e, L"\x4E2D\x56FD");
        if (!c.picked) e->input.pickedLength = 0;
        e->input.code[0] = L'z';
        e->input.codeLength = 1;
        int64_t n = Engine::ClearInputAndAssociate(e);
        EXPECT_EQ(n, static_cast<int64_t>(c.texts.size()));
        EXPECT_EQ(CandidateTexts(e), c.texts);
        EXPECT_EQ(e->input.codeLength, 0u);
        EXPECT_EQ(e->input.pickedLength, 0u);
        for (int64_t i = 0; i < e->candidateCount; ++i) {
            EXPECT_EQ(e->candidates[i].kind, kKindListEntry);
            EXPECT_EQ(e->candidates[i].weight, 1u);
        }
    }
}

TEST(ClearInputAndAssociate, PageShowsTheContinuation) {
    const std::string plain = std::string(kZhongGuoRen) + "\xE6\xB0\x91";  // 中国人民
    const std::string hashed = std::string(kZhongGuo) + "#" + kRen;
    for (bool hashForm : {false, true}) {
        SCOPED_TRACE(hashForm);
        ListImage sysl({hashForm ? hashed : plain});
        TestEngine t;
        Engine* e = t.e;
        e->ime->options |= kImeAssociation;
        if (hashForm) e->ime->features |= kFeatAssocHashForm;
        e->associationTable = sysl.get();
        SetPicked(e, L"\x4E2D\x56FD");
        ASSERT_EQ(Engine::ClearInputAndAssociate(e), 1);
        e->state |= kStateAssociation;
        Engine::FinishCandidates(e);
        EXPECT_EQ(t.PageWords(),
                  (std::vector<std::string>{hashForm ? kRen : "\xE4\xBA\xBA\xE6\xB0\x91"}));
    }
}

TEST(ClearInputAndAssociate, NothingContinuesTheText) {
    ListImage sysl({kZhongWen});
    TestEngine t;
    t.e->ime->options |= kImeAssociation;
    t.e->associationTable = sysl.get();
    SetPicked(t.e, L"\x4E2D\x56FD");
    EXPECT_EQ(Engine::ClearInputAndAssociate(t.e), 0);
    EXPECT_EQ(t.e->candidateCount, 0);
}

TEST(LookupTempEnglish, CompletesBothCasesShorterFirst) {
    ListImage engl({"ab", "abc", "ABLE", "About", "b", "AB", "abacus"});
    struct Case {
        const char* name;
        uint32_t state;
        const wchar_t* keys;
    };
    const std::vector<Case> cases = {
        {"English mode", kStateEnglishMode, L"ab"},
        {"temporary English after its lead", kStateTempEnglish, L"`ab"},
        {"typed in upper case", kStateEnglishMode, L"AB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestEngine t;
        Engine* e = t.e;
        e->englishTable = engl.get();
        e->dme->tempEnglishLead = '`';
        e->ime->listOptions = 10u << kListPageShift;
        e->state |= c.state;
        EXPECT_EQ(t.Type(c.keys), kLookupShown);
        EXPECT_EQ(e->candidateCount, 5);
        EXPECT_EQ(e->input.searchKey.length, 0);
        std::vector<std::string> words = t.PageWords();
        ASSERT_EQ(words.size(), 5u);
        // Exact words first (either case), then the longer completions by length.
        std::vector<std::string> exact(words.begin(), words.begin() + 2);
        std::sort(exact.begin(), exact.end());
        EXPECT_EQ(exact, (std::vector<std::string>{"AB", "ab"}));
        EXPECT_EQ(words[2], "abc");
        EXPECT_EQ(words[3], "ABLE");
        EXPECT_EQ(words[4], "abacus");
    }
}

TEST(LookupTempEnglish, NoTableNoLeadNoKey) {
    ListImage engl({"ab"});
    TestEngine t;
    Engine* e = t.e;
    e->englishTable = engl.get();
    e->dme->tempEnglishLead = '`';
    e->state |= kStateTempEnglish;
    // The lead alone leaves an empty key: nothing is searched.
    t.Type(L"`");
    EXPECT_EQ(e->candidateCount, 0);
}

TEST(SearchListTable, StopsAt2500) {
    std::vector<std::string> lines;
    for (int i = 0; i < 2600; ++i) {
        char buf[16];
        snprintf(buf, sizeof buf, "w%04d", i);
        lines.push_back(buf);
    }
    ListImage engl(lines);
    TestEngine t;
    t.e->englishTable = engl.get();
    const uint8_t key[] = {1, 'w'};
    EXPECT_EQ(SearchListTable(t.e, key, kListSearchTempEnglish), 2500);
    EXPECT_EQ(t.e->candidateCount, 2500);
    EXPECT_EQ(CandidateTexts(t.e).back(), "w2499");
    // sysl.dmg is not open: the association search adds nothing.
    EXPECT_EQ(SearchListTable(t.e, key, kListSearchAssociation), 0);
}

}  // namespace
