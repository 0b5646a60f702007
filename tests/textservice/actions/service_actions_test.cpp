#include "textservice/actions/service_actions.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/settings/config_blocks.h"
#include "core/table/table_format.h"
#include "engine/candidate_entry.h"
#include "engine/engine_fixture.h"
#include "engine/ui_command.h"
#include "recording_host.h"
#include "textservice/actions/soft_keyboard_command.h"
#include "textservice/actions/ui_command_handler.h"

using namespace actions_test;
using engine_test::TestEngine;

namespace {

struct SoftKeyboardCase {
    const char* name;
    bool shownBefore;
    uint32_t layoutBefore, lastBefore;
    uintptr_t show;
    int64_t layout;
    bool canSwitch;
    // After:
    int result;
    bool shown;
    uint32_t layoutAfter, lastAfter;
    const char* calls;
};

TEST(ToggleSoftKeyboard, ShowHideAndToggle) {
    const SoftKeyboardCase cases[] = {
        {"layout 5 shown", false, 0, 1, 22, 5, true, 1, true, 5, 5, "end, soft keyboard 5"},
        {"toggle opens the last layout", false, 0, 7, 0, 0, true, 1, true, 7, 7,
         "end, soft keyboard 7"},
        {"negative layout toggles a shown keyboard off", true, 3, 3, 1, -1, true, 1, false, 0, 3,
         "end, soft keyboard off"},
        {"layout 0 with a show value hides", true, 3, 3, 22, 0, true, 1, false, 0, 3,
         "end, soft keyboard off"},
        {"layout 0 with a show value keeps a hidden keyboard hidden", false, 0, 3, 22, 0, true, 1,
         false, 0, 3, "end, soft keyboard off"},
        {"layout 14 hides", true, 13, 13, 1, 14, true, 1, false, 0, 13, "end, soft keyboard off"},
        {"layout 22 hides", true, 2, 2, 513, 22, true, 1, false, 0, 2, "end, soft keyboard off"},
        {"no edit context: nothing", false, 0, 1, 22, 5, false, 0, false, 0, 1, ""},
    };
    for (const SoftKeyboardCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestEngine t;
        Engine* e = t.e;
        e->state = c.shownBefore ? kStateSoftKeyboard : 0;
        e->softKeyboardLayout = c.layoutBefore;
        SetLastSoftKeyboardLayout(c.lastBefore);
        RecordingHost host;
        host.canSwitchSoftKeyboard = c.canSwitch;
        EXPECT_EQ(ToggleSoftKeyboard(e, host, c.show, c.layout), c.result);
        EXPECT_EQ((e->state & kStateSoftKeyboard) != 0, c.shown);
        EXPECT_EQ(e->softKeyboardLayout, c.layoutAfter);
        EXPECT_EQ(LastSoftKeyboardLayout(), c.lastAfter);
        EXPECT_EQ(host.Calls(), c.calls);
    }
}

// The soft-keyboard switch key walks through the layouts and hides after the last.
TEST(ToggleSoftKeyboard, SwitchKeyStepsThroughLayouts) {
    TestEngine t;
    RecordingHost host;
    for (uint32_t layout = 1; layout <= kSoftKeyboardLayouts; ++layout) {
        HandleUICommand(t.e, &host, uicmd::kSoftKeyboard, 1, t.e->softKeyboardLayout + 1);
        EXPECT_EQ(t.e->softKeyboardLayout, layout);
    }
    HandleUICommand(t.e, &host, uicmd::kSoftKeyboard, 1, t.e->softKeyboardLayout + 1);
    EXPECT_EQ(t.e->state & kStateSoftKeyboard, 0u);
}

TEST(SoftKeyboardCommand, ArgumentToUICommand) {
    struct Case {
        const wchar_t* argument;
        uintptr_t layout;
    };
    const Case cases[] = {{L"3", 3}, {L" 13 ", 13}, {L"0", 0},  {L"14", 0},
                          {L"", 0},  {L"x", 0},     {L"2a", 0}, {nullptr, 0}};
    static uintptr_t gotFirst, gotSecond;
    static uint32_t gotCode;
    for (const Case& c : cases) {
        TestEngine t;
        t.e->uiCommand.handler = [](void*, uint32_t code, uintptr_t first, uintptr_t second) {
            gotCode = code;
            gotFirst = first;
            gotSecond = second;
            return 1;
        };
        gotCode = 0;
        EXPECT_EQ(SoftKeyboardCommand(t.e, c.argument), 1);
        EXPECT_EQ(gotCode, uicmd::kSoftKeyboard);
        EXPECT_NE(gotFirst, 0u);  // never a toggle: layout 0 always hides
        EXPECT_EQ(gotSecond, c.layout);
    }
    TestEngine t;
    EXPECT_EQ(SoftKeyboardCommand(t.e, L"3"), 0);  // no front end listens
}

// Moves the engine's settings blocks into pages that refuse writes until Release.
class ReadOnlySettings {
public:
    explicit ReadOnlySettings(Engine* e) : e_(e), size_(static_cast<size_t>(e->configFile->size)) {
        view_ = VirtualAlloc(nullptr, size_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        std::memcpy(view_, e->configFile->view, size_);
        saved_ = e->configFile->view;
        e->configFile->view = static_cast<uint8_t*>(view_);
        Find();
        DWORD old;
        VirtualProtect(view_, size_, PAGE_READONLY, &old);
    }
    void Release() {
        if (!view_) return;
        DWORD old;
        VirtualProtect(view_, size_, PAGE_READWRITE, &old);
        std::memcpy(saved_, view_, size_);
        e_->configFile->view = saved_;
        Find();
        VirtualFree(view_, 0, MEM_RELEASE);
        view_ = nullptr;
    }
    ~ReadOnlySettings() { Release(); }
    ReadOnlySettings(const ReadOnlySettings&) = delete;
    ReadOnlySettings& operator=(const ReadOnlySettings&) = delete;

private:
    void Find() {
        e_->ime = FindImeConfig(e_->configFile);
        e_->dme = FindDmeConfig(e_->configFile);
        e_->skin = FindSkinConfig(e_->configFile);
        e_->soft = FindSoftConfig(e_->configFile);
    }
    Engine* e_;
    size_t size_;
    void* view_ = nullptr;
    uint8_t* saved_ = nullptr;
};

uint32_t OrderOfWord(Engine* e, const char* word) {
    for (int64_t i = 0; i < e->candidateCount; ++i) {
        const uint8_t* entry = MainTableEntryOf(e, e->candidates[i]);
        if (!entry) continue;
        const uint8_t* w = EntryWord(entry);
        if (std::string(reinterpret_cast<const char*>(w + 1), w[0]) == word)
            return LoadU32(entry) & 0xFFFF;
    }
    return 0;
}

TEST(CandidateActions, FrequencyToTopUsesAPrivateCopyOfTheListOptions) {
    for (uint32_t rule : {0u, kListFreqGradual, kListFreqCount}) {
        SCOPED_TRACE(rule);
        TestEngine t;
        Engine* e = t.e;
        e->ime->listOptions = (5u << kListPageShift) | rule;
        t.Type(L"a");
        ASSERT_EQ(t.PageWords(), (std::vector<std::string>{"吖", "啊", "阿"}));
        RecordingHost host;
        host.composing = true;
        // The settings are read-only for the adjustment: other processes read the shared
        // word meanwhile, so a temporary write there would fault here.
        ReadOnlySettings settings(e);
        EXPECT_EQ(AdjustCandidateFrequency(e, host, 3), 1);
        settings.Release();
        EXPECT_EQ(e->ime->listOptions, (5u << kListPageShift) | rule);
        EXPECT_EQ(t.PageWords(), (std::vector<std::string>{"吖", "阿", "啊"}));
        EXPECT_EQ(host.Calls(), "lookup 2");  // shown again
    }
}

TEST(CandidateActions, DeleteMarksTheRowsEntry) {
    struct Case {
        const char* name;
        int selector;
        int result;
        std::vector<std::string> pageAfter;
    };
    const Case cases[] = {
        {"row 2", 2, 1, {"吖", "阿"}},
        {"highlighted row", 0, 1, {"啊", "阿"}},
        {"top selector is the highlighted row", 13, 1, {"啊", "阿"}},
        {"last row", 12, 1, {"吖", "啊"}},
        {"row past the page", 7, 0, {"吖", "啊", "阿"}},
        {"typed code is no row", 11, 0, {"吖", "啊", "阿"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestEngine t;
        t.Type(L"a");
        RecordingHost host;
        EXPECT_EQ(DeleteCandidate(t.e, host, c.selector), c.result);
        EXPECT_EQ(t.PageWords(), c.pageAfter);
    }
}

TEST(CandidateActions, NothingInTemporaryEnglish) {
    TestEngine t;
    Engine* e = t.e;
    e->dme->tempEnglishLead = 'a';
    t.Type(L"a");
    const std::vector<std::string> page = t.PageWords();
    const std::vector<uint8_t> before = t.SettingsBytes();
    RecordingHost host;
    EXPECT_EQ(DeleteCandidate(e, host, 1), 0);
    EXPECT_EQ(AdjustCandidateFrequency(e, host, 2), 0);
    EXPECT_EQ(t.PageWords(), page);
    EXPECT_EQ(OrderOfWord(e, "阿"), 100u);
    EXPECT_EQ(host.Calls(), "");
}

}  // namespace
