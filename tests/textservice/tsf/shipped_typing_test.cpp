// Typing into a document on the test host with an engine over the shipped data files: the
// composition shows the code with the caret and the Input attribute, Space commits the word
// and no attribute is left behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>

#include "core/settings/config_blocks.h"
#include "engine/ui_command.h"
#include "support/tsf_host/service_fixture.h"
#include "support/tsf_host/shipped_install.h"
#include "textservice/tsf/service_windows.h"
#include "textservice/window_classes.h"
#include "ui/windows/ui_state_block.h"

using namespace tsf_host;

namespace {

// The shipped files in an installation of its own GUID (so that parallel tests of the
// shipped GUID keep their registry key), the service creating its engine over them.
class ShippedTyping : public testing::Test {
protected:
    void SetUp() override {
        fixture_ = std::make_unique<ServiceFixture>();
        install_ = std::make_unique<ShippedInstall>();
        if (!install_->ok()) GTEST_SKIP() << "no shipped data (tools/make_data.sh makes it)";
        seams_ = ServiceSeams();
        seams_.createEngine = nullptr;
        seams_.destroyEngine = nullptr;
        SetServiceSeams(&seams_);
    }
    void TearDown() override {
        fixture_.reset();
        install_.reset();
    }
    // A new service and installation for the next case of a table.
    void Fresh() {
        TearDown();
        SetUp();
    }

    std::unique_ptr<ServiceFixture> fixture_;
    std::unique_ptr<ShippedInstall> install_;
    TextServiceSeams seams_{};
};

TEST_F(ShippedTyping, KeypadCodeThenSpaceCommitsTheWord) {
    ServiceFixture& f = *fixture_;
    ASSERT_EQ(f.Activate(), S_OK);
    ASSERT_NE(f.service->engine(), nullptr);
    // The shipped settings may start in English or with the status of the last session.
    f.service->engine()->state &= ~(kStateEnglishMode | kStateImeClosed);
    f.TypeKeypad("64486");
    EXPECT_EQ(f.host->CompositionCount(), 1);
    const std::wstring shown = f.host->Text();
    EXPECT_EQ(f.host->SelectionStart(), static_cast<LONG>(shown.size()));
    const std::vector<LONG> marks = f.host->AttributeAt();
    const TfGuidAtom input = f.Atom(AttributeKind::kInput);
    const uint32_t style = f.service->engine()->ime->options & kImeStyleMask;
    if (style & kImeStyleTsfEmbedFirst) {
        EXPECT_EQ(shown, L"你好");
        EXPECT_EQ(marks, std::vector<LONG>(shown.size(), static_cast<LONG>(input)));
    } else if (style & kImeStyleTsfEmbedCode) {
        EXPECT_EQ(shown, L"\uFF16\uFF14\uFF14\uFF18\uFF16");
        EXPECT_EQ(marks, std::vector<LONG>(shown.size(), static_cast<LONG>(input)));
    } else {
        // The code is in the candidate window; the document holds an unmarked space.
        EXPECT_EQ(shown, L" ");
        EXPECT_EQ(marks, std::vector<LONG>(1, 0));
    }
    std::printf("style %#x, composition of %zu characters\n", style, shown.size());
    EXPECT_TRUE(f.Tap(VK_SPACE));
    EXPECT_EQ(f.host->Text(), L"你好");
    EXPECT_EQ(f.host->CompositionCount(), 0);
    EXPECT_EQ(f.host->AttributeAt(), std::vector<LONG>(2, 0));
    f.service->Deactivate();
    EXPECT_EQ(f.host->AdvisedSinks(), 0);
}

}  // namespace

namespace {

// The library's own window slots: the skinned candidate window under the composition.
TEST_F(ShippedTyping, CandidateWindowFollowsTheCandidates) {
    ASSERT_TRUE(RegisterUIWindowClasses(GetModuleHandleW(nullptr)));
    InstallDefaultServiceWindowHooks();
    SetServiceHooks(nullptr);
    ServiceFixture& f = *fixture_;
    ASSERT_EQ(f.Activate(), S_OK);
    Engine* e = f.service->engine();
    // Without a language bar on the host's side of the seam the status window stands in.
    const HWND status = e->windows.statusWindow;
    if (!(e->ime->options & (kImeStatusHidden | kImeStatusEmbedded))) {
        EXPECT_NE(status, nullptr);
        EXPECT_TRUE(status && IsWindowVisible(status));
    }
    e->state &= ~(kStateEnglishMode | kStateImeClosed);
    f.TypeKeypad("64486");
    const HWND window = e->windows.candidateWindow;
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    RECT placed;
    GetWindowRect(window, &placed);
    // Below the composition, whose characters the host puts at y 200..220.
    EXPECT_GE(placed.top, 200);
    EXPECT_TRUE(f.Tap(VK_SPACE));
    EXPECT_EQ(f.host->Text(), L"你好");
    EXPECT_FALSE(IsWindowVisible(window));
    f.service->Deactivate();
    EXPECT_FALSE(IsWindow(window));
    if (status) {
        EXPECT_FALSE(IsWindow(status));
    }
    UnregisterUIWindowClasses(GetModuleHandleW(nullptr));
}

}  // namespace

namespace {

// The soft keyboard through the service's UI command: shown with a layout, destroyed when no
// document has the focus and shown again with the next one while it is on, gone with the
// engine's windows.
TEST_F(ShippedTyping, SoftKeyboardShownByCommandAndGoneWithTheDocument) {
    ASSERT_TRUE(RegisterUIWindowClasses(GetModuleHandleW(nullptr)));
    InstallDefaultServiceWindowHooks();
    SetServiceHooks(nullptr);
    ServiceFixture& f = *fixture_;
    ASSERT_EQ(f.Activate(), S_OK);
    Engine* e = f.service->engine();
    EXPECT_EQ(SendUICommand(e, uicmd::kSoftKeyboard, 1, 2), 1);
    const HWND keyboard = e->windows.softKeyboardWindow;
    ASSERT_NE(keyboard, nullptr);
    EXPECT_TRUE(IsWindowVisible(keyboard));
    EXPECT_TRUE(e->state & kStateSoftKeyboard);
    f.host->SetDocumentFocus(false);
    EXPECT_FALSE(IsWindow(keyboard));
    EXPECT_EQ(e->windows.softKeyboardWindow, nullptr);
    // Back in a document the keyboard, still on, is shown again.
    f.host->SetDocumentFocus(true);
    const HWND again = e->windows.softKeyboardWindow;
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(IsWindowVisible(again));
    EXPECT_EQ(SendUICommand(e, uicmd::kSoftKeyboard, 1, 3), 1);
    EXPECT_EQ(e->windows.softKeyboardWindow, again);
    // Switched off, it stays off across a document switch.
    EXPECT_EQ(SendUICommand(e, uicmd::kSoftKeyboard, 1, 0), 1);
    EXPECT_FALSE(IsWindow(again));
    f.host->SetDocumentFocus(false);
    f.host->SetDocumentFocus(true);
    EXPECT_EQ(e->windows.softKeyboardWindow, nullptr);
    f.service->Deactivate();
    EXPECT_FALSE(IsWindow(again));
    UnregisterUIWindowClasses(GetModuleHandleW(nullptr));
}

}  // namespace

namespace {

// A mode change shows the state tip through the library's slot; the next key closes it.
TEST_F(ShippedTyping, StateTipOnAModeChangeClosedByTheNextKey) {
    ASSERT_TRUE(RegisterUIWindowClasses(GetModuleHandleW(nullptr)));
    InstallDefaultServiceWindowHooks();
    SetServiceHooks(nullptr);
    ServiceFixture& f = *fixture_;
    ASSERT_EQ(f.Activate(), S_OK);
    Engine* e = f.service->engine();
    e->state &= ~(kStateEnglishMode | kStateImeClosed);
    EXPECT_EQ(SendUICommand(e, 0x2001, 0, 0), 1);
    const HWND tip = e->windows.tipWindow;
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(IsWindowVisible(tip));
    RECT placed;
    GetWindowRect(tip, &placed);
    // No caret in the host's view: near the work area's bottom-right corner.
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(placed.left, work.right - 74);
    EXPECT_EQ(placed.top, work.bottom - 64);
    SendUICommand(e, 0x2002, 0, 0);
    f.TypeKeypad("6");
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(e->windows.tipWindow, nullptr);
    f.service->Deactivate();
    UnregisterUIWindowClasses(GetModuleHandleW(nullptr));
}

}  // namespace

namespace {

// A skin chosen meanwhile (the settings, another process) is loaded when a document gets the
// focus: here a name with no package, which falls back to the built-in skin and is remembered.
TEST_F(ShippedTyping, DocumentFocusLoadsASkinChosenMeanwhile) {
    InstallDefaultServiceWindowHooks();
    SetServiceHooks(nullptr);
    ServiceFixture& f = *fixture_;
    ASSERT_EQ(f.Activate(), S_OK);
    Engine* e = f.service->engine();
    ASSERT_NE(e->uiState, nullptr);
    const wchar_t chosen[] = L"absent.col";
    std::wmemcpy(e->skin->skinName, chosen, sizeof chosen / sizeof chosen[0]);
    f.host->SetDocumentFocus(false);
    EXPECT_STRNE(e->uiState->fallbackName, chosen);
    f.host->SetDocumentFocus(true);
    EXPECT_STREQ(e->uiState->fallbackName, chosen);
    EXPECT_NE(e->uiState->skin.path[0], 0);
    f.service->Deactivate();
}

}  // namespace

namespace {

// Keys of a typed sequence: digits are keypad digits; ' ' Space, ',' comma, 'E' Escape.
int KeyOf(char k) {
    switch (k) {
        case ' ':
            return VK_SPACE;
        case ',':
            return VK_OEM_COMMA;
        case 'E':
            return VK_ESCAPE;
        default:
            return VK_NUMPAD0 + (k - '0');
    }
}

// What the keys left in the document as text: all of it but the open composition at its end.
std::wstring Committed(ServiceFixture& f) {
    const std::wstring text = f.host->Text();
    const std::wstring composing = f.host->CompositionText();
    if (f.host->CompositionCount() == 0 || composing.size() > text.size()) return text;
    return text.substr(0, text.size() - composing.size());
}

// Committed words are never taken back by what the same key writes or shows after them:
// punctuation after a code, the association list after a pick, a code typed in it.
TEST_F(ShippedTyping, CommittedTextSurvivesTheRestOfTheKey) {
    const struct {
        const char* keys;
        uint32_t optionsOn;
        const wchar_t* committed;
        int compositions;
    } cases[] = {
        {"64486,", 0, L"你好，", 0},
        {"64,64 ", 0, L"你，你", 0},
        {"64486 ", kImeAssociation, L"你好", 1},
        {"64486 E", kImeAssociation, L"你好", 0},
        {"64486 64", kImeAssociation, L"你好", 1},
        {"64486 64 ", kImeAssociation, L"你好你", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        Fresh();
        if (IsSkipped()) return;
        ServiceFixture& f = *fixture_;
        ASSERT_EQ(f.Activate(), S_OK);
        Engine* e = f.service->engine();
        e->state &= ~(kStateEnglishMode | kStateImeClosed | kStateEnglishPunct);
        ASSERT_TRUE(e->ime->options & kImeNonCodeKeyCommits) << "shipped settings changed";
        const uint32_t before = e->ime->options;
        e->ime->options |= c.optionsOn;
        for (const char* k = c.keys; *k; ++k) f.Tap(KeyOf(*k));
        EXPECT_EQ(Committed(f), c.committed);
        EXPECT_EQ(f.host->CompositionCount(), c.compositions);
        e->ime->options = before;
        f.service->Deactivate();
    }
}

}  // namespace
