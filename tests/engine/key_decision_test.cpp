// Key decision, code editing, candidate picks and the backspace replay.
#include "engine/key_decision.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/candidate_pick.h"
#include "engine/code_edit.h"
#include "engine/platform.h"
#include "engine_fixture.h"

using engine_test::TestEngine;

namespace {

using Prepare = std::function<void(TestEngine&)>;
const Prepare kNone = [](TestEngine&) {};

// Puts code and caret in place without a lookup.
void SetCode(Engine* e, const std::wstring& code, int caret = -1) {
    InputState& in = e->input;
    wcscpy(in.code, code.c_str());
    in.codeLength = static_cast<uint32_t>(code.size());
    in.caret = caret < 0 ? in.codeLength : static_cast<uint32_t>(caret);
}

void SetRows(Engine* e, const std::vector<std::wstring>& rows) {
    e->page.rowCount = static_cast<int64_t>(rows.size());
    e->page.pageSize = 5;
    e->candidateCount = static_cast<int64_t>(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        wcscpy(e->page.rowText[i].text, rows[i].c_str());
        e->page.rowText[i].length = static_cast<uint32_t>(rows[i].size());
        e->page.rowCandidate[i] = static_cast<int64_t>(i) + 100;
    }
}

TEST(ClassifyInputChar, Table) {
    const Prepare tempLead = [](TestEngine& t) { t.e->dme->tempEnglishLead = '`'; };
    const Prepare codeEndQ = [](TestEngine& t) {
        t.e->dme->keyClass['q'] = kKeyCodeEnd | kKeyCodeContinue;
    };
    struct Case {
        const char* name;
        Prepare setup;
        std::wstring typed;  // typed and looked up before the character
        wchar_t ch;
        int expected;
        int64_t candidatesAfter;        // -1: not checked
        int64_t candidatesBefore = -1;  // set after typing; -1: as the lookup left them
    } cases[] = {
        {"letter starts a code", kNone, L"", L'a', kCharInsert, -1},
        {"unflagged key starts nothing", kNone, L"", L'1', kCharNotTaken, -1},
        {"association list with a key function",
         [](TestEngine& t) {
             t.e->state |= kStateAssociation;
             t.e->input.keyAction = keyfn::kCommit;
         },
         L"", L'a', kCharCommitFirst, -1},
        {"commit lead with longer codes",
         [](TestEngine& t) { t.e->dme->keyClass['z'] = kKeyCommitLead; }, L"", L'z', kCharInsert,
         -1},
        {"commit lead without longer codes",
         [](TestEngine& t) { t.e->dme->keyClass['x'] = kKeyCommitLead; }, L"", L'x', kCharNotTaken,
         -1},
        {"temporary-English lead starts", tempLead, L"", L'`', kCharInsert, -1},
        {"extra lead starts", [](TestEngine& t) { t.e->dme->extraLead = '!'; }, L"", L'!',
         kCharInsert, -1},
        {"secondary lead while secondary entries are off",
         [](TestEngine& t) { t.e->dme->secondaryLead = '#'; }, L"", L'#', kCharInsert, -1},
        {"secondary lead while they are searched",
         [](TestEngine& t) {
             t.e->dme->secondaryLead = '#';
             t.e->ime->options |= kImeSearchSecondary;
         },
         L"", L'#', kCharNotTaken, -1},
        {"auxiliary lead with the auxiliary scheme on",
         [](TestEngine& t) {
             t.e->dme->auxiliaryLead = '%';
             t.e->ime->options |= kImeAuxTable;
         },
         L"", L'%', kCharNotTaken, -1},
        {"wildcard alone with first-key lookup",
         [](TestEngine& t) {
             t.e->dme->wildcardChar = '?';
             t.e->dme->inputOptions = 0x8;
         },
         L"", L'?', kCharInsert, -1},
        {"wildcard alone without it", [](TestEngine& t) { t.e->dme->wildcardChar = '?'; }, L"",
         L'?', kCharNotTaken, -1},
        {"continuation with longer codes", kNone, L"a", L'b', kCharInsert, -1},
        {"continuation that no code takes", kNone, L"zz", L'q', kCharCommitFirst, -1},
        {"key that neither starts nor continues", kNone, L"a", L'1', kCharNotTaken, -1},
        {"start-only key after a code",
         [](TestEngine& t) { t.e->dme->keyClass['k'] = kKeyCodeStart; }, L"a", L'k',
         kCharCommitFirst, -1},
        {"code-end key with one candidate", codeEndQ, L"zz", L'q', kCharCodeEnd, -1},
        {"code-end key with several candidates", codeEndQ, L"a", L'q', kCharNotTaken, -1},
        {"code-end key without candidates", codeEndQ, L"zzz", L'q', kCharCommitFirst, -1},
        {"wildcard inside a code", [](TestEngine& t) { t.e->dme->wildcardChar = '?'; }, L"a", L'?',
         kCharInsert, -1},
        {"temporary English: digit after digit", tempLead, L"`1", L'2', kCharInsert, -1},
        {"temporary English: space without candidates", tempLead, L"`ab", L' ', kCharInsert, -1},
        {"temporary English: space with candidates", tempLead, L"`ab", L' ', kCharCommitFirst, -1,
         2},
        {"temporary English: another character", tempLead, L"`ab", L';', kCharCommitFirst, -1},
        {"temporary English: lead again alone", tempLead, L"`", L'`', kCharNotTaken, -1},
        {"temporary English: lead again after letters", tempLead, L"`ab", L'`', kCharLeadAgain, 0,
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestEngine t;
        c.setup(t);
        t.Type(c.typed);
        if (c.candidatesBefore >= 0) t.e->candidateCount = c.candidatesBefore;
        const std::vector<uint8_t> before = t.SettingsBytes();
        EXPECT_EQ(Engine::ClassifyInputChar(t.e, c.ch), c.expected);
        EXPECT_TRUE(before == t.SettingsBytes()) << "settings bytes changed";
        if (c.candidatesAfter >= 0) {
            EXPECT_EQ(t.e->candidateCount, c.candidatesAfter);
        }
    }
}

TEST(ClassifyInputChar, LeadAgainAloneWithCandidates) {
    TestEngine t;
    t.e->dme->tempEnglishLead = '`';
    SetCode(t.e, L"`");
    t.e->candidateCount = 3;
    EXPECT_EQ(Engine::ClassifyInputChar(t.e, L'`'), kCharLeadAgain);
    EXPECT_EQ(t.e->candidateCount, 3);
}

TEST(ClassifySelectKey, Table) {
    struct Case {
        const char* name;
        const wchar_t* keyChar;
        std::wstring code;
        uint32_t state;
        bool english;
        int expected;
        KeyFunctionMask action;  // keyAction afterwards
    } cases[] = {
        {"letter", L"a", L"", 0, false, kSelectInsert, 0},
        {"capital", L"Q", L"ab", 0, false, kSelectInsert, 0},
        {"point with a code", L".", L"ab", 0, false, kSelectInsert, 0},
        {"at sign with a code", L"@", L"ab", 0, false, kSelectInsert, 0},
        {"point without a code", L".", L"", 0, false, kSelectNotTaken, 0},
        {"space in temporary English", L" ", L"`ab", kStateTempEnglish, false, kSelectAct,
         keyfn::kCommit},
        {"space, code shorter than the first row", L" ", L"ab", 0, false, kSelectAct,
         keyfn::kCommit},
        {"space, code as long as the first row", L" ", L"hello", 0, false, kSelectNotTaken, 0},
        {"digit without engl.dmg", L"3", L"ab", 0, false, kSelectInsert, 0},
        {"digit within the page", L"3", L"ab", 0, true, kSelectAct, 3 * 256 + keyfn::kCommit},
        {"digit beyond the page", L"7", L"ab", 0, true, kSelectNotTaken, 0},
        {"zero is row 10, beyond the page", L"0", L"ab", 0, true, kSelectNotTaken, 0},
        {"key name", L"键Enter", L"ab", 0, true, kSelectNotTaken, 0},
        {"no character", nullptr, L"ab", 0, true, kSelectNotTaken, 0},
        {"other punctuation", L";", L"ab", 0, true, kSelectNotTaken, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestEngine t;
        SetCode(t.e, c.code);
        SetRows(t.e, {L"hello", L"help"});
        t.e->state = c.state;
        if (c.english) t.e->englishTable = t.e->mainTable;
        t.e->input.keyChar = c.keyChar;
        t.e->input.keyVk = 0x41;
        EXPECT_EQ(Engine::ClassifySelectKey(t.e), c.expected);
        EXPECT_EQ(t.e->input.keyAction, c.action);
        if (c.expected == kSelectAct && c.action == keyfn::kCommit) {
            EXPECT_EQ(t.e->input.keyVk, 0u);
            EXPECT_EQ(t.e->input.keyChar, nullptr);
        }
    }
    TestEngine t;
    SetCode(t.e, L"ab");
    t.e->englishTable = t.e->mainTable;
    t.e->page.pageSize = 10;
    t.e->input.keyChar = L"0";
    EXPECT_EQ(Engine::ClassifySelectKey(t.e), kSelectAct);
    EXPECT_EQ(t.e->input.keyAction, 10 * 256 + keyfn::kCommit);
}

TEST(IsKeyEaten, Table) {
    struct Case {
        const char* name;
        uint32_t state;
        bool english;
        std::wstring code;
        uint32_t pickedLength;
        KeyInput key;
        bool eaten;
    } cases[] = {
        {"character without a code", 0, false, L"", 0, {0, L"a"}, true},
        {"key name without a code", 0, false, L"", 0, {0, L"键Enter"}, false},
        {"no text, no function", 0, false, L"", 0, {0, nullptr}, false},
        {"page down with a code", 0, false, L"ab", 0, {keyfn::kPageDown, L"键PgDn"}, true},
        {"caret left with a code", 0, false, L"ab", 0, {keyfn::kCaretLeft, nullptr}, true},
        {"page down without a code", 0, false, L"", 0, {keyfn::kPageDown, L"键PgDn"}, false},
        {"repeat with a picked text", 0, false, L"", 3, {keyfn::kRepeatInput, L"a"}, true},
        {"undo without a picked text", 0, false, L"", 0, {keyfn::kUndoInput, L"a"}, false},
        {"English, full width",
         kStateEnglishMode | kStateFullWidthOutput | kStateEnglishPunct,
         false,
         L"",
         0,
         {0, L"a"},
         true},
        {"English, Chinese punctuation", kStateEnglishMode, false, L"", 0, {0, L","}, true},
        {"English, plain, without engl.dmg",
         kStateEnglishMode | kStateEnglishPunct,
         false,
         L"",
         0,
         {0, L"a"},
         false},
        {"English, plain, with engl.dmg",
         kStateEnglishMode | kStateEnglishPunct,
         true,
         L"",
         0,
         {0, L"a"},
         true},
        {"English, key name with engl.dmg and a code",
         kStateEnglishMode | kStateEnglishPunct,
         true,
         L"ab",
         0,
         {keyfn::kClearInput, L"键Esc"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestEngine t;
        t.e->state = c.state;
        if (c.english) t.e->englishTable = t.e->mainTable;
        SetCode(t.e, c.code);
        t.e->input.pickedLength = c.pickedLength;
        EXPECT_EQ(Engine::IsKeyEaten(t.e, c.key), c.eaten);
    }
}

TEST(CodeEdit, InsertAtTheCaretUpTo128) {
    TestEngine t;
    SetCode(t.e, L"ac", 1);
    t.e->input.keyChar = L"b";
    Engine::InsertKeyChar(t.e);
    EXPECT_STREQ(t.e->input.code, L"abc");
    EXPECT_EQ(t.e->input.caret, 2u);
    EXPECT_EQ(t.e->input.codeLength, 3u);

    t.e->input.keyChar = L"";
    Engine::InsertKeyChar(t.e);
    t.e->input.keyChar = nullptr;
    Engine::InsertKeyChar(t.e);
    EXPECT_EQ(t.e->input.codeLength, 3u);

    SetCode(t.e, std::wstring(128, L'a'), 5);
    t.e->input.keyChar = L"z";
    Engine::InsertKeyChar(t.e);
    EXPECT_EQ(t.e->input.codeLength, 128u);
    EXPECT_EQ(std::wstring(t.e->input.code), std::wstring(128, L'a'));

    // A damaged length never moves memory past the code.
    t.e->input.codeLength = 500;
    t.e->input.caret = 700;
    Engine::InsertKeyChar(t.e);
    EXPECT_EQ(t.e->input.codeLength, 128u);
    EXPECT_EQ(t.e->input.caret, 128u);
}

TEST(CodeEdit, KeysTable) {
    struct Case {
        const char* name;
        std::wstring code;
        int caret;
        uint32_t vk;
        std::wstring after;
        uint32_t caretAfter;
        bool looksUp;
    } cases[] = {
        {"backspace", L"abc", 3, VK_BACK, L"ab", 2, true},
        {"backspace inside", L"abc", 1, VK_BACK, L"bc", 0, true},
        {"backspace at 0 still looks up", L"abc", 0, VK_BACK, L"abc", 0, true},
        {"delete", L"abc", 1, VK_DELETE, L"ac", 1, true},
        {"delete at the end", L"abc", 3, VK_DELETE, L"abc", 3, true},
        {"home", L"abc", 2, VK_HOME, L"abc", 0, true},
        {"end", L"abc", 1, VK_END, L"abc", 3, true},
        {"left", L"abc", 2, VK_LEFT, L"abc", 1, true},
        {"left at 0", L"abc", 0, VK_LEFT, L"abc", 0, true},
        {"right", L"abc", 1, VK_RIGHT, L"abc", 2, true},
        {"right at the end", L"abc", 3, VK_RIGHT, L"abc", 3, true},
        {"other key", L"abc", 1, VK_UP, L"abc", 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestEngine t;
        SetCode(t.e, c.code, c.caret);
        t.e->candidateCount = 77;  // a lookup replaces it
        const int r = Engine::EditCode(t.e, c.vk);
        EXPECT_EQ(std::wstring(t.e->input.code), c.after);
        EXPECT_EQ(t.e->input.codeLength, c.after.size());
        EXPECT_EQ(t.e->input.caret, c.caretAfter);
        if (c.looksUp) {
            EXPECT_NE(t.e->candidateCount, 77);
        } else {
            EXPECT_EQ(r, 0);
            EXPECT_EQ(t.e->candidateCount, 77);
        }
    }
}

TEST(SelectCandidate, RowsAndSelectors) {
    struct Case {
        int selector;
        int64_t highlight;
        int64_t result;
        const wchar_t* picked;
    } cases[] = {
        {1, 0, 100, L"one"},
        {3, 0, 102, L"three"},
        {12, 0, 102, L"three"},
        {0, 1, 101, L"two"},
        {13, 2, 102, L"three"},
        {5, 0, kSelectNotOnPage, L""},
        {4, 0, kSelectNotOnPage, L""},
        {14, 0, kSelectNotOnPage, L""},
        {-1, 0, kSelectNotOnPage, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selector);
        TestEngine t;
        SetCode(t.e, L"ab");
        SetRows(t.e, {L"one", L"two", L"three"});
        t.e->page.highlight = c.highlight;
        EXPECT_EQ(Engine::SelectCandidate(t.e, c.selector), c.result);
        EXPECT_STREQ(t.e->input.pickedText, c.picked);
    }
}

TEST(SelectCandidate, CommitTextAndCommandActionOfAnEarlierPick) {
    TestEngine t;
    SetCode(t.e, L"ab");
    SetRows(t.e, {L"shown", L"plain"});
    wcscpy(t.e->page.rowCommit[0].text, L"committed");
    t.e->page.rowCommit[0].length = 9;
    t.e->input.pickedAction = 0x2005;  // left by an earlier command row
    EXPECT_EQ(Engine::SelectCandidate(t.e, 1), 100);
    EXPECT_STREQ(t.e->input.pickedText, L"committed");
    EXPECT_EQ(t.e->input.pickedLength, 9u);
    EXPECT_EQ(t.e->input.pickedAction, 0u);
    EXPECT_EQ(Engine::SelectCandidate(t.e, 2), 101);
    EXPECT_STREQ(t.e->input.pickedText, L"plain");
}

TEST(SelectCandidate, RealPageAfterTyping) {
    TestEngine t;
    t.Type(L"a");
    ASSERT_GT(t.e->page.rowCount, 1);
    const std::vector<std::string> words = t.PageWords();
    EXPECT_EQ(Engine::SelectCandidate(t.e, 2), t.e->page.rowCandidate[1]);
    EXPECT_EQ(testing_support::Narrow(t.e->input.pickedText), words[1]);
}

TEST(SelectCandidate, TypedCodeTable) {
    struct Case {
        const char* name;
        std::wstring code;
        uint32_t state;
        uint8_t lead;
        std::wstring picked;
    } cases[] = {
        {"plain", L"ab", 0, 0, L"ab"},
        {"keypad keys shown as characters", std::wstring(L"\x0b\x10"), 0, 0, L"+0"},
        {"full width", L"a~ b", kStateFullWidthOutput, 0, L"ａ～\u3000ｂ"},
        {"full width keeps what has no full-width form", L"\x7f\x80\x00e9", kStateFullWidthOutput,
         0, L"\x7f\x80\x00e9"},
        {"temporary-English lead dropped", L"`ab", kStateTempEnglish, '`', L"ab"},
        {"temporary English is never full width", L"`ab", kStateTempEnglish | kStateFullWidthOutput,
         '`', L"ab"},
        {"lead alone gives an empty pick", L"`", kStateTempEnglish, '`', L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestEngine t;
        SetCode(t.e, c.code);
        t.e->state = c.state;
        t.e->dme->tempEnglishLead = c.lead;
        SetRows(t.e, {L"one"});
        EXPECT_EQ(Engine::SelectCandidate(t.e, kSelectTypedCode), 0);
        EXPECT_EQ(std::wstring(t.e->input.pickedText), c.picked);
        EXPECT_EQ(t.e->input.pickedLength, c.picked.size());
        EXPECT_EQ(t.e->input.pickedAction, kPickedTypedCode);
    }
    // Selector 0 without candidates picks the typed code; action 16 keeps the earlier pick.
    TestEngine t;
    SetCode(t.e, L"xy");
    EXPECT_EQ(Engine::SelectCandidate(t.e, 0), 0);
    EXPECT_STREQ(t.e->input.pickedText, L"xy");
    t.e->input.pickedAction = kPickedKeep;
    SetCode(t.e, L"zz");
    EXPECT_EQ(Engine::SelectCandidate(t.e, kSelectTypedCode), 0);
    EXPECT_STREQ(t.e->input.pickedText, L"xy");
}

TEST(SelectCandidate, EnglishKeepsTypedCapitals) {
    struct Case {
        std::wstring code;
        uint32_t state;
        std::wstring row, picked;
    } cases[] = {
        {L"hEl", kStateEnglishMode, L"hello", L"hEllo"},
        {L"`HeLLo", kStateTempEnglish, L"hello", L"HeLLo"},
        {L"HEL", 0, L"hello", L"hello"},  // not in English input
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing_support::Narrow(c.code));
        TestEngine t;
        t.e->dme->tempEnglishLead = '`';
        SetCode(t.e, c.code);
        t.e->state = c.state;
        SetRows(t.e, {c.row});
        EXPECT_EQ(Engine::SelectCandidate(t.e, 1), 100);
        EXPECT_EQ(std::wstring(t.e->input.pickedText), c.picked);
    }
}

std::vector<std::pair<uint8_t, uint32_t>> g_keys;

TEST(ReplayBackspaces, SendsBackspacesThenTheMarker) {
    EnginePlatform fake = Win32Platform();
    fake.keyEvent = [](uint8_t vk, uint32_t flags) { g_keys.emplace_back(vk, flags); };
    SetPlatform(&fake);
    TestEngine t;
    for (int n : {0, 1, 3}) {
        SCOPED_TRACE(n);
        g_keys.clear();
        t.e->replayActive = 0;
        EXPECT_EQ(Engine::ReplayBackspaces(t.e, n), 0);
        EXPECT_EQ(t.e->replayActive, 1u);
        std::vector<std::pair<uint8_t, uint32_t>> expected;
        for (int i = 0; i < n; ++i) {
            expected.emplace_back(VK_BACK, 0);
            expected.emplace_back(VK_BACK, KEYEVENTF_KEYUP);
        }
        expected.emplace_back(kReplayMarkerKey, 0);
        expected.emplace_back(kReplayMarkerKey, KEYEVENTF_KEYUP);
        EXPECT_EQ(g_keys, expected);
    }
    SetPlatform(nullptr);
}

}  // namespace
