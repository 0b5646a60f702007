#include "textservice/actions/key_dispatch.h"

#include <gtest/gtest.h>

#include <cwchar>

#include "core/settings/config_blocks.h"
#include "engine/engine_fixture.h"
#include "recording_host.h"
#include "support/test_files.h"
#include "textservice/actions/service_actions.h"

using namespace actions_test;
using engine_test::TestEngine;
using namespace keyfn;

namespace {

constexpr FrontEnd kTsf = FrontEnd::kTextService;
constexpr FrontEnd kImm = FrontEnd::kImm32;
constexpr uint32_t kMain = kImeMainTable;
constexpr uint32_t kAux = kImeAuxTable;
constexpr uint32_t P = kStateEnglishPunct, E = kStateEnglishMode, C = kStateImeClosed,
                   S = kStateSoftKeyboard;

struct DispatchCase {
    const char* name;
    FrontEnd kind;
    KeyFunctionMask action;
    bool composing, capsLock;
    uint32_t stateBefore, optionsBefore;
    // After:
    int result;
    uint32_t state, options;
    const wchar_t* tip;
    const wchar_t* parameters;  // launched, null: nothing
    int keyEvents;              // synthesised key events
    const char* calls;
};

TEST(DispatchKeyFunction, ActionBitsToStateAndCalls) {
    const DispatchCase cases[] = {
        {"nothing bound", kTsf, 0, true, false, 0, kMain, 0, 0, kMain, L"", nullptr, 0, ""},
        {"refresh while composing", kTsf, kRefreshAction, true, false, 0, kMain, 1, 0, kMain, L"",
         nullptr, 0, "lookup 0"},
        {"refresh while idle", kTsf, kRefreshAction, false, false, 0, kMain, 1, 0, kMain, L"",
         nullptr, 0, "refresh"},
        {"clear input while composing", kTsf, kClearInput, true, false, 0, kMain, 1, 0, kMain, L"",
         nullptr, 0, "commit"},
        {"clear input hides the soft keyboard", kTsf, kClearInput, false, false, S, kMain, 1, 0,
         kMain, L"", nullptr, 0, "end, soft keyboard off"},
        {"clear input idle: nothing to do", kTsf, kClearInput, false, false, 0, kMain, 0, 0, kMain,
         L"", nullptr, 0, ""},
        {"open/close closes", kTsf, kToggleIme, false, false, 0, kMain, 1, C | P, kMain, L"",
         nullptr, 0, "open 0, refresh"},
        {"open/close opens from English", kTsf, kToggleIme, false, false, E | P, kMain, 1, P, kMain,
         L"", nullptr, 0, "open 1, refresh"},
        {"open/close with Caps Lock on turns it off first", kTsf, kToggleIme, false, true, 0, kMain,
         1, C | P, kMain, L"", nullptr, 2, "skip, open 0, refresh"},
        {"open/close commits what is typed", kTsf, kToggleIme, true, false, 0, kMain, 1, C | P,
         kMain, L"", nullptr, 0, "commit, open 0, refresh"},
        {"open/close commits the code as English", kTsf, kToggleIme, true, false, 0,
         kMain | kImeCommitCodeOnSwitch, 1, C | P, kMain | kImeCommitCodeOnSwitch, L"", nullptr, 0,
         "select 11, open 0, refresh"},
        {"English switch to English", kTsf, kToggleEnglish, false, false, 0, kMain, 1, E | P, kMain,
         L"", nullptr, 0, "refresh, keyboard state"},
        {"English switch back to Chinese", kTsf, kToggleEnglish, false, false, E | P, kMain, 1, P,
         kMain, L"", nullptr, 0, "refresh, keyboard state"},
        {"secondary range on", kTsf, kRangeMainSecondary, false, false, 0, kMain, 1,
         kStateSecondaryPass, kMain, L"次", nullptr, 0, "refresh"},
        {"secondary range off while composing", kTsf, kRangeMainSecondary, true, false,
         kStateSecondaryPass, kMain, 1, 0, kMain, L"常", nullptr, 0, "lookup 0"},
        {"search the secondary table too", kTsf, kRangeMainMixed, false, false, 0, kMain, 1, 0,
         kMain | kImeSearchSecondary, L"+次", nullptr, 0, "refresh"},
        {"main to auxiliary", kTsf, kSchemeMainAuxiliary, false, false, 0, kMain, 1, 0, kAux, L"辅",
         nullptr, 0, "refresh"},
        {"auxiliary to main", kTsf, kSchemeMainAuxiliary, false, false, 0, kAux, 1, 0, kMain, L"主",
         nullptr, 0, "refresh"},
        {"main to mixed", kTsf, kSchemeMainMixed, false, false, 0, kMain, 1, 0, kMain | kAux, L"混",
         nullptr, 0, "refresh"},
        {"mixed to main", kTsf, kSchemeMainMixed, false, false, 0, kMain | kAux, 1, 0, kMain, L"主",
         nullptr, 0, "refresh"},
        {"soft-keyboard switch opens layout 1", kTsf, kToggleSoftKeyboard, false, false, 0, kMain,
         1, S, kMain, L"", nullptr, 0, "end, soft keyboard 1"},
        {"simplified output on", kTsf, kConvertSimplified, false, false, 0, kMain, 1, 0,
         kMain | kImeSimplifiedOutput, L"简", nullptr, 0, "refresh"},
        {"imm simplified output: no tip", kImm, kConvertSimplified, false, false, 0, kMain, 1, 0,
         kMain | kImeSimplifiedOutput, L"", nullptr, 0, "refresh"},
        {"traditional output on", kTsf, kConvertTraditional, false, false, 0,
         kMain | kImeSimplifiedOutput, 1, 0, kMain | kImeTraditionalOutput, L"繁", nullptr, 0,
         "refresh"},
        {"traditional output off", kTsf, kConvertTraditional, false, false, 0,
         kMain | kImeTraditionalOutput, 1, 0, kMain, L"简", nullptr, 0, "refresh"},
        {"interface hidden", kTsf, kToggleInterface, false, false, 0, kMain, 1, 0,
         kMain | kImeStatusHidden, L"", nullptr, 0, "interface"},
        {"candidate window shown again", kTsf, kToggleCandidateWindow, false, false, 0,
         kMain | kImeCandidateHidden, 1, 0, kMain, L"", nullptr, 0, "candidate window"},
        {"settings page ends the composition", kTsf, kConfigHome, true, false, 0, kMain, 1, 0,
         kMain, L"", L"/n {G} ", 0, "end"},
        {"imm settings page keeps the input", kImm, kConfigHome, true, false, 0, kMain, 1, 0, kMain,
         L"", L"/n {G} ", 0, ""},
        {"about", kTsf, kConfigAbout, false, false, 0, kMain, 1, 0, kMain, L"", L"/n {G} /do 关于",
         0, "end"},
        {"key settings", kTsf, kConfigKeys, false, false, 0, kMain, 1, 0, kMain, L"",
         L"/n {G} /do 按键设置", 0, "end"},
        {"output lookup", kTsf, kConfigReverseOutput, false, false, 0, kMain, 1, 0, kMain, L"",
         L"/n {G} /do 输出反查", 0, "end"},
        {"clipboard lookup", kTsf, kConfigReverseClipboard, false, false, 0, kMain, 1, 0, kMain,
         L"", L"/n {G} /do 剪贴板反查", 0, "end"},
        {"dictionary", kTsf, kConfigDictionary, false, false, 0, kMain, 1, 0, kMain, L"",
         L"/n {G} /do dict ", 0, "end"},
        {"online word adding", kTsf, kAddWordOnline, false, false, 0, kMain, 1, 0, kMain, L"",
         L"/n {G} /do 在线加词", 0, "end"},
        {"help home", kTsf, kConfigHelp, false, false, 0, kMain, 1, 0, kMain, L"",
         L"/n {G} /do 帮助首页", 0, "end"},
        {"home wins over help", kTsf, kConfigHome | kConfigHelp, false, false, 0, kMain, 1, 0,
         kMain, L"", L"/n {G} ", 0, "end"},
        {"repeat input", kTsf, kRepeatInput, false, false, 0, kMain, 1, 0, kMain, L"", nullptr, 0,
         "repeat"},
        {"undo input: one Backspace per character", kTsf, kUndoInput, false, false, 0, kMain, 1, 0,
         kMain, L"", nullptr, 8, "forget"},
        {"online word delete asks", kTsf, kDeleteWordOnline, false, false, 0, kMain, 1, 0, kMain,
         L"", nullptr, 0, ""},
        {"page function while idle: not done", kTsf, kPageDown, false, false, 0, kMain, 0, 0, kMain,
         L"", nullptr, 0, ""},
        {"commit row 2", kTsf, WithKeyFunctionIndex(kCommit, 2), true, false, 0, kMain, 1, 0, kMain,
         L"", nullptr, 0, "select 2"},
        {"next page", kTsf, kPageDown, true, false, 0, kMain, 1, 0, kMain, L"", nullptr, 0, "page"},
        {"previous page", kImm, kPageUp, true, false, 0, kMain, 1, 0, kMain, L"", nullptr, 0,
         "page"},
        {"caret left", kTsf, kCaretLeft, true, false, 0, kMain, 1, 0, kMain, L"", nullptr, 0,
         "lookup 0"},
        {"delete before the caret", kTsf, kDeleteBefore, true, false, 0, kMain, 1, 0, kMain, L"",
         nullptr, 0, "lookup 0"},
        {"highlight down", kTsf, kFirstBackward, true, false, 0, kMain, 1, 0, kMain, L"", nullptr,
         0, "page"},
        {"custom word not executed", kTsf, kCustom1, true, false, 0, kMain, 0, 0, kMain, L"",
         nullptr, 0, ""},
    };
    for (const DispatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestEngine t;
        RecordingPlatform platform;
        platform.record.capsLock = c.capsLock;
        Engine* e = t.e;
        wcscpy(e->guidText, L"{G}");
        e->state = c.stateBefore;
        e->ime->options = c.optionsBefore;
        SetLastSoftKeyboardLayout(1);
        RecordingHost host(c.kind);
        host.composing = c.composing;
        host.open = !(c.stateBefore & C);
        host.lastCommit = L"你好世界";
        EXPECT_EQ(DispatchKeyFunction(e, host, c.action), c.result);
        EXPECT_EQ(e->state, c.state);
        EXPECT_EQ(e->ime->options, c.options);
        EXPECT_EQ(testing_support::Narrow(host.tip), testing_support::Narrow(c.tip));
        if (c.parameters) {
            EXPECT_EQ(platform.record.launches, 1);
            EXPECT_EQ(testing_support::Narrow(platform.record.launchedParameters),
                      testing_support::Narrow(c.parameters));
        } else {
            EXPECT_EQ(platform.record.launches, 0);
        }
        EXPECT_EQ(static_cast<int>(platform.record.keys.size()), c.keyEvents);
        EXPECT_EQ(host.Calls(), c.calls);
    }
}

TEST(DispatchKeyFunction, SynthesisedKeys) {
    {
        SCOPED_TRACE("Caps Lock pressed once, down then up");
        TestEngine t;
        RecordingPlatform platform;
        platform.record.capsLock = true;
        RecordingHost host;
        DispatchKeyFunction(t.e, host, kToggleEnglish);
        const std::vector<std::pair<uint8_t, uint32_t>> expected = {{VK_CAPITAL, 0},
                                                                    {VK_CAPITAL, KEYEVENTF_KEYUP}};
        EXPECT_EQ(platform.record.keys, expected);
        EXPECT_EQ(host.log.front(), "skip");
    }
    {
        SCOPED_TRACE("undo of 4 characters sends 4 Backspace presses and forgets the commit");
        TestEngine t;
        RecordingPlatform platform;
        RecordingHost host;
        host.lastCommit = L"一二三四";
        DispatchKeyFunction(t.e, host, kUndoInput);
        ASSERT_EQ(platform.record.keys.size(), 8u);
        for (size_t i = 0; i < 8; ++i) {
            EXPECT_EQ(platform.record.keys[i].first, VK_BACK);
            EXPECT_EQ(platform.record.keys[i].second, i % 2 ? KEYEVENTF_KEYUP : 0u);
        }
        EXPECT_TRUE(host.lastCommit.empty());
    }
    {
        SCOPED_TRACE("repeat writes the saved text");
        TestEngine t;
        RecordingPlatform platform;
        RecordingHost host;
        host.lastCommit = L"再来";
        DispatchKeyFunction(t.e, host, kRepeatInput);
        EXPECT_EQ(testing_support::Narrow(host.output), "再来");
        host.lastCommit.clear();
        host.log.clear();
        DispatchKeyFunction(t.e, host, kRepeatInput);
        EXPECT_EQ(host.Calls(), "");
    }
}

// Paging and caret functions act on the engine's real candidate list.
TEST(DispatchKeyFunction, PagingAndEditingOverCandidates) {
    TestEngine t;
    Engine* e = t.e;
    e->ime->listOptions = 2u << kListPageShift;
    t.Type(L"a");
    ASSERT_EQ(e->candidateCount, 3);
    RecordingHost host;
    host.composing = true;
    DispatchKeyFunction(e, host, kFirstBackward);
    EXPECT_EQ(e->page.highlight, 1);
    DispatchKeyFunction(e, host, kPageDown);
    EXPECT_EQ(e->page.pageStart, 2);
    EXPECT_EQ(e->page.highlight, 0);
    DispatchKeyFunction(e, host, kPageUp);
    EXPECT_EQ(e->page.pageStart, 0);
    EXPECT_EQ(e->page.highlight, 0);
    DispatchKeyFunction(e, host, kDeleteBefore);
    EXPECT_EQ(e->input.codeLength, 0u);
}

}  // namespace
