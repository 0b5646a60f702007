#include "textservice/actions/ui_command_handler.h"

#include <gtest/gtest.h>

#include <cwchar>

#include "core/settings/config_blocks.h"
#include "engine/engine_fixture.h"
#include "engine/ui_command.h"
#include "recording_host.h"
#include "support/test_files.h"
#include "textservice/actions/service_actions.h"

using namespace actions_test;
using engine_test::TestEngine;

namespace {

constexpr FrontEnd kTsf = FrontEnd::kTextService;
constexpr FrontEnd kImm = FrontEnd::kImm32;
constexpr uint32_t kMain = kImeMainTable;
constexpr uint32_t kAux = kImeAuxTable;
constexpr uint32_t kNone = 0xFFFFFFFF;  // conversion compartment not written

struct CommandCase {
    const char* name;
    FrontEnd kind;
    uint32_t code;
    uintptr_t first, second;
    uint32_t stateBefore, optionsBefore;
    uint32_t startState;
    // After:
    int result;
    uint32_t state, options;
    uint32_t conversion;  // kNone: not written
    const wchar_t* tip;
    const wchar_t* parameters;  // launched command line, null: nothing launched
    KeyFunctionMask keyAction;  // action word the key handler ran with (with "key handler")
    const char* calls;
};

std::string Narrow(const std::wstring& s) { return testing_support::Narrow(s); }

TEST(UICommandHandler, CodesToStateSettingsAndCalls) {
    const uint32_t P = kStateEnglishPunct, F = kStateFullWidthOutput, E = kStateEnglishMode,
                   C = kStateImeClosed;
    const CommandCase cases[] = {
        // Function-menu codes launch the configuration program.
        {"settings", kTsf, uicmd::kSettings, 0, 0, 0, kMain, 0, 1, 0, kMain, kNone, L"", L"/n {G} ",
         0, ""},
        {"about", kTsf, uicmd::kAbout, 0, 0, 0, kMain, 0, 1, 0, kMain, kNone, L"",
         L"/n {G} /do about", 0, ""},
        {"help home", kImm, uicmd::kHelpHome, 0, 0, 0, kMain, 0, 1, 0, kMain, kNone, L"",
         L"/n {G} /do help", 0, ""},
        {"add user word", kTsf, uicmd::kAddUserWord, 0, 0, 0, kMain, 0, 1, 0, kMain, kNone, L"",
         L"/n {G} /do tianjiayonghuci", 0, ""},
        {"check update", kTsf, uicmd::kCheckUpdate, 0, 0, 0, kMain, 0, 1, 0, kMain, kNone, L"",
         L"/n {G} /do update", 0, ""},
        {"keyboard map", kTsf, uicmd::kKeyboardMap, 0, 0, 0, kMain, 0, 1, 0, kMain, kNone, L"",
         L"/showurl 'mk:@MSITStore:C:\\ime\\main.chm::/keyboardmap.html' /showurlCX 600 "
         L"/showurlCY 500",
         0, ""},
        // Key-handler codes.
        {"pick row 3", kTsf, uicmd::kPickCandidate, 3, 0, 0, kMain, 0, 1, 0, kMain, kNone, L"",
         nullptr, 0x380, "key handler"},
        {"next page", kImm, uicmd::kNextPage, 0, 0, 0, kMain, 0, 1, 0, kMain, kNone, L"", nullptr,
         0x40, "key handler"},
        {"previous page", kTsf, uicmd::kPrevPage, 0, 0, 0, kMain, 0, 1, 0, kMain, kNone, L"",
         nullptr, 0x20, "key handler"},
        {"candidate menu row 2 operation 5", kTsf, uicmd::kCandidateMenu, 2, 5, 0, kMain, 0, 1, 0,
         kMain, kNone, L"", nullptr, 0x100000050002, "key handler"},
        {"scheme 0: main and auxiliary", kTsf, uicmd::kInputScheme, 0, 0, 0, kMain, 0, 1, 0,
         kMain | kAux, kNone, L"", nullptr, ~KeyFunctionMask{0}, "key handler"},
        {"scheme 1: main only", kTsf, uicmd::kInputScheme, 0, 1, 0, kMain | kAux, 0, 1, 0, kMain,
         kNone, L"", nullptr, ~KeyFunctionMask{0}, "key handler"},
        {"scheme 2: auxiliary only", kImm, uicmd::kInputScheme, 0, 2, 0, kMain, 0, 1, 0, kAux,
         kNone, L"", nullptr, ~KeyFunctionMask{0}, "key handler"},
        {"secondary always", kTsf, uicmd::kSecondarySearch, 0, 0, 0, kMain | kImeSecondaryOnEmpty,
         0, 1, 0, kMain | kImeSearchSecondary, kNone, L"", nullptr, ~KeyFunctionMask{0},
         "key handler"},
        {"secondary never", kTsf, uicmd::kSecondarySearch, 0, 1, 0, kMain | kImeSearchSecondary, 0,
         1, 0, kMain, kNone, L"", nullptr, ~KeyFunctionMask{0}, "key handler"},
        {"secondary on an empty code", kTsf, uicmd::kSecondarySearch, 0, 7, 0,
         kMain | kImeSearchSecondary, 0, 1, 0, kMain | kImeSecondaryOnEmpty, kNone, L"", nullptr,
         ~KeyFunctionMask{0}, "key handler"},
        // Input modes.
        {"tsf Chinese input from English", kTsf, uicmd::kChineseInput, 0, 0, E | P, kMain, 0, 1, P,
         kMain, 0x400 - 0x400, L"", nullptr, 0, "refresh, keyboard state"},
        {"tsf Chinese input, Chinese punctuation at start", kTsf, uicmd::kChineseInput, 0, 0, E | P,
         kMain, kStartStateChinesePunct, 1, 0, kMain, kConversionSymbol, L"", nullptr, 0,
         "refresh, keyboard state"},
        {"tsf English input opens a closed keyboard", kTsf, uicmd::kEnglishInput, 0, 0, C, kMain, 0,
         1, E | P, kMain, kConversionNoConversion, L"", nullptr, 0,
         "open 1, refresh, keyboard state"},
        {"imm Chinese input", kImm, uicmd::kChineseInput, 0, 0, E | C | P, kMain,
         kStartStateChinesePunct, 1, 0, kMain, kConversionSymbol, L"", nullptr, 0, ""},
        {"imm English input clears the input", kImm, uicmd::kEnglishInput, 0, 0, C, kMain, 0, 1,
         E | P, kMain, kConversionNoConversion, L"", nullptr, 0, "commit"},
        // Width, punctuation and script.
        {"tsf full width", kTsf, uicmd::kFullWidth, 0, 0, P, kMain | kImeTraditionalOutput, 0, 1,
         P | F, kMain, kConversionFullShape, L"全", nullptr, 0, "refresh"},
        {"imm full width: no tip", kImm, uicmd::kFullWidth, 0, 0, P, kMain, 0, 1, P | F, kMain,
         kConversionFullShape, L"", nullptr, 0, ""},
        // The width and punctuation switches write their own bit; the others stay as read.
        {"tsf half width", kTsf, uicmd::kHalfWidth, 0, 0, F, kMain, 0, 1, 0, kMain, 0, L"半",
         nullptr, 0, "refresh"},
        {"tsf English punctuation", kTsf, uicmd::kEnglishPunct, 0, 0, 0, kMain, 0, 1, P, kMain, 0,
         L".,", nullptr, 0, "refresh"},
        {"tsf Chinese punctuation", kTsf, uicmd::kChinesePunct, 0, 0, P, kMain, 0, 1, 0, kMain,
         kConversionSymbol, L"。，", nullptr, 0, "refresh"},
        {"tsf traditional on clears simplified", kTsf, uicmd::kTraditionalToggle, 0, 0, P,
         kMain | kImeSimplifiedOutput, 0, 1, P, kMain | kImeTraditionalOutput, kNone, L"", nullptr,
         0, ""},
        {"tsf traditional off", kTsf, uicmd::kTraditionalToggle, 0, 0, P,
         kMain | kImeTraditionalOutput, 0, 1, P, kMain, kNone, L"", nullptr, 0, ""},
        {"tsf simplified toggles alone", kTsf, uicmd::kSimplifiedToggle, 0, 0, P, kMain, 0, 1, P,
         kMain | kImeSimplifiedOutput, kNone, L"", nullptr, 0, ""},
        {"imm simplified sets the conversion status", kImm, uicmd::kSimplifiedToggle, 0, 0, P,
         kMain, 0, 1, P, kMain | kImeSimplifiedOutput, 0, L"", nullptr, 0, ""},
        // Status-bar embedding.
        {"tsf embedding on", kTsf, uicmd::kStatusEmbedToggle, 0, 0, 0, kMain, 0, 1, 0,
         kMain | kImeStatusEmbedded, kNone, L"", nullptr, 0, "langbar"},
        {"imm embedding: nothing", kImm, uicmd::kStatusEmbedToggle, 0, 0, 0, kMain, 0, 1, 0, kMain,
         kNone, L"", nullptr, 0, ""},
        // Soft keyboard.
        {"soft keyboard layout 3", kTsf, uicmd::kSoftKeyboard, 22, 3, 0, kMain, 0, 1,
         kStateSoftKeyboard, kMain, kNone, L"", nullptr, 0, "end, soft keyboard 3"},
        {"soft keyboard off", kTsf, uicmd::kSoftKeyboard, 22, 0, kStateSoftKeyboard, kMain, 0, 1, 0,
         kMain, kNone, L"", nullptr, 0, "end, soft keyboard off"},
        // Answered, nothing done; unknown codes.
        {"keyboard on/off item", kTsf, uicmd::kKeyboardOnOff, 0, 0, 0, kMain, 0, 1, 0, kMain, kNone,
         L"", nullptr, 0, ""},
        {"tsf unknown code", kTsf, 262, 0, 0, 0, kMain, 0, 0, 0, kMain, kNone, L"", nullptr, 0, ""},
        {"imm unknown code", kImm, 0x7777, 0, 0, 0, kMain, 0, 1, 0, kMain, kNone, L"", nullptr, 0,
         ""},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestEngine t;
        RecordingPlatform platform;
        Engine* e = t.e;
        wcscpy(e->guidText, L"{G}");
        wcscpy(e->installLocation, L"C:\\ime\\");
        e->state = c.stateBefore;
        e->ime->options = c.optionsBefore;
        e->ime->startState = c.startState;
        SetLastSoftKeyboardLayout(1);
        RecordingHost host(c.kind);
        host.conversion = 0;
        host.open = !(c.stateBefore & kStateImeClosed);
        EXPECT_EQ(HandleUICommand(e, &host, c.code, c.first, c.second), c.result);
        EXPECT_EQ(e->state & ~kStateUiCommand, c.state);
        EXPECT_EQ(e->ime->options, c.options);
        if (c.conversion == kNone) {
            EXPECT_EQ(host.conversionWrites, 0);
        } else {
            EXPECT_EQ(host.conversionWrites, 1);
            EXPECT_EQ(host.conversion, c.conversion);
        }
        EXPECT_EQ(Narrow(host.tip), Narrow(c.tip));
        if (c.parameters) {
            EXPECT_EQ(platform.record.launches, 1);
            EXPECT_EQ(Narrow(platform.record.launchedParameters), Narrow(c.parameters));
            EXPECT_EQ(Narrow(platform.record.launchedFile), "C:\\ime\\config.exe");
        } else {
            EXPECT_EQ(platform.record.launches, 0);
        }
        EXPECT_EQ(host.Calls(), c.calls);
        if (c.keyAction) {
            EXPECT_EQ(e->input.keyAction, c.keyAction);
            ASSERT_NE(e->input.keyChar, nullptr);
            EXPECT_EQ(e->input.keyChar[0], L'\0');
            EXPECT_EQ(e->input.keyVk, 0u);
        }
    }
}

// The IMM32 handler marks the engine while it runs; the text service's does not.
class MarkProbe : public RecordingHost {
public:
    MarkProbe(FrontEnd kind, Engine* e) : RecordingHost(kind), e_(e) {}
    void RunKeyHandler() override { marked = (e_->state & kStateUiCommand) != 0; }
    bool marked = false;

private:
    Engine* e_;
};

TEST(UICommandHandler, ImmMarksTheEngineWhileItRuns) {
    for (FrontEnd kind : {kTsf, kImm}) {
        TestEngine t;
        MarkProbe host(kind, t.e);
        HandleUICommand(t.e, &host, uicmd::kNextPage, 0, 0);
        EXPECT_EQ(host.marked, kind == kImm);
        EXPECT_EQ(t.e->state & kStateUiCommand, 0u);
    }
}

TEST(UICommandHandler, WithoutEngineOrHost) {
    RecordingHost host;
    EXPECT_EQ(HandleUICommand(nullptr, nullptr, uicmd::kStatusEmbedToggle, 0, 0), 1);
    EXPECT_EQ(HandleUICommand(nullptr, &host, uicmd::kStatusEmbedToggle, 0, 0), 1);
    EXPECT_EQ(HandleUICommand(nullptr, &host, uicmd::kNextPage, 0, 0), 0);
    TestEngine t;
    EXPECT_EQ(HandleUICommand(t.e, nullptr, uicmd::kFullWidth, 0, 0), 0);
    EXPECT_EQ(t.e->state, 0u);
}

TEST(UICommandHandler, MenuCommandsAreTheFunctionMenuCodesOnly) {
    TestEngine t;
    RecordingPlatform platform;
    const uint32_t menuCodes[] = {uicmd::kSettings, uicmd::kKeyboardMap, uicmd::kAbout,
                                  uicmd::kHelpHome, uicmd::kAddUserWord, uicmd::kCheckUpdate};
    for (uint32_t code : menuCodes) EXPECT_EQ(HandleMenuCommand(t.e, code), 1) << code;
    EXPECT_EQ(platform.record.launches, 6);
    for (uint32_t code : {0u, 2u, 6u, 7u, uicmd::kNextPage, uicmd::kFullWidth})
        EXPECT_EQ(HandleMenuCommand(t.e, code), 0) << code;
    EXPECT_EQ(platform.record.launches, 6);
}

// Through the engine's target, as the windows send them.
TEST(UICommandHandler, SendUICommandReachesTheOwner) {
    TestEngine t;
    RecordingHost host;
    t.e->uiCommand.owner = &host;
    t.e->uiCommand.handler = [](void* owner, uint32_t code, uintptr_t first, uintptr_t second) {
        RecordingHost* h = static_cast<RecordingHost*>(owner);
        return code == uicmd::kNextPage && first == 0 && second == 0 ? (h->RunKeyHandler(), 1) : 0;
    };
    EXPECT_EQ(SendUICommand(t.e, uicmd::kNextPage, 0, 0), 1);
    EXPECT_EQ(host.Calls(), "key handler");
    t.e->uiCommand.handler = nullptr;
    EXPECT_EQ(SendUICommand(t.e, uicmd::kNextPage, 0, 0), 0);
}

}  // namespace
