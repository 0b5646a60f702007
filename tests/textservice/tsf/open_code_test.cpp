// The text service on the test host while a code is open: keys it passes on to the
// application (Tab, Shift with the caret keys, Ctrl shortcuts, F3) and the focus leaving the
// document end the code first, and none of it stays in the document.
#include <gtest/gtest.h>

#include <vector>

#include "core/settings/key_functions.h"
#include "support/tsf_host/service_fixture.h"

using namespace tsf_host;

namespace {

struct Key {
    int vk;
    int modifier;  // held around the key: VK_SHIFT, VK_CONTROL or 0
};

struct Case {
    const char* name;
    bool traditional;  // the composition shows a placeholder space instead of the code
    std::vector<Key> keys;
};

TEST(OpenCode, KeysPassedOnEndTheCodeWithoutALeftOver) {
    const Case cases[] = {
        {"Tab", false, {{VK_TAB, 0}}},
        {"Shift+Up", false, {{VK_UP, VK_SHIFT}}},
        {"Shift+Page Up", false, {{VK_PRIOR, VK_SHIFT}}},
        {"Shift+Home", false, {{VK_HOME, VK_SHIFT}}},
        {"Ctrl+V", false, {{'V', VK_CONTROL}}},
        {"F3", false, {{VK_F3, 0}}},
        {"Tab, traditional style", true, {{VK_TAB, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceFixture f;
        if (c.traditional) f.engine->e->ime->options &= ~kImeStyleMask;
        f.host->SetText(L"ab", 2);
        ASSERT_EQ(f.Activate(), S_OK);
        f.TypeKeypad("64");
        ASSERT_EQ(f.host->CompositionCount(), 1);
        for (const Key& k : c.keys) {
            if (k.modifier) f.keyboard.Press(k.modifier, true);
            EXPECT_FALSE(f.Tap(k.vk));
            if (k.modifier) f.keyboard.Press(k.modifier, false);
        }
        EXPECT_EQ(f.host->CompositionCount(), 0);
        EXPECT_EQ(f.host->Text(), L"ab");
        EXPECT_EQ(f.engine->e->input.codeLength, 0u);
        // The next code starts afresh and commits after the user's text.
        f.TypeKeypad("64486");
        f.Tap(VK_SPACE);
        EXPECT_EQ(f.host->Text(), L"ab你好");
    }
}

// Page Up on the first page of a one-digit code has nothing to turn to: the code stays open.
// Shift+keypad 9 with NumLock on reaches the input method as Page Up with Shift still down (a
// key of no function): the code ends before the application gets it. Neither leaves a digit
// of the code in the document, and Escape afterwards commits nothing either.
TEST(OpenCode, PageUpOnTheFirstPageLeavesNoDigitBehind) {
    const struct {
        const char* name;
        bool shift;
        bool eaten;
    } cases[] = {
        {"Page Up", false, true},
        {"Page Up with Shift down", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceFixture f;
        SetKeyFunction(&f.engine->e->dme->keys, VK_PRIOR, keyfn::kPageUp);
        f.host->SetText(L"ab", 2);
        ASSERT_EQ(f.Activate(), S_OK);
        f.Tap(VK_RETURN);
        f.TypeKeypad("6");
        ASSERT_EQ(f.engine->e->candidateCount, 1);
        if (c.shift) f.keyboard.Press(VK_SHIFT, true);
        EXPECT_EQ(f.Tap(VK_PRIOR), c.eaten);
        if (c.shift) f.keyboard.Press(VK_SHIFT, false);
        EXPECT_EQ(f.host->CompositionCount(), c.eaten ? 1 : 0);
        EXPECT_EQ(f.engine->e->input.codeLength, c.eaten ? 1u : 0u);
        if (c.eaten) {
            EXPECT_EQ(f.engine->e->page.pageStart, 0);
            EXPECT_EQ(f.engine->e->page.rowCount, 1);
        }
        f.Tap(VK_ESCAPE);
        EXPECT_EQ(f.host->Text(), L"ab");
        EXPECT_EQ(f.host->CompositionCount(), 0);
        f.TypeKeypad("64486");
        f.Tap(VK_SPACE);
        EXPECT_EQ(f.host->Text(), L"ab你好");
    }
}

TEST(OpenCode, ModifiersAndLockKeysLeaveTheCodeOpen) {
    for (int vk : {VK_SHIFT, VK_CONTROL, VK_CAPITAL, VK_NUMLOCK}) {
        SCOPED_TRACE(vk);
        ServiceFixture f;
        ASSERT_EQ(f.Activate(), S_OK);
        f.TypeKeypad("64");
        f.Tap(vk);
        EXPECT_EQ(f.host->CompositionCount(), 1);
        EXPECT_EQ(f.engine->e->input.codeLength, 2u);
    }
}

TEST(OpenCode, FocusLeavingTheDocumentEndsTheCode) {
    ServiceFixture f;
    f.host->SetText(L"ab", 2);
    ASSERT_EQ(f.Activate(), S_OK);
    f.TypeKeypad("64");
    f.host->SetDocumentFocus(false);
    EXPECT_EQ(f.host->CompositionCount(), 0);
    EXPECT_EQ(f.host->Text(), L"ab");
    f.host->SetDocumentFocus(true);
    f.TypeKeypad("64486");
    f.Tap(VK_SPACE);
    EXPECT_EQ(f.host->Text(), L"ab你好");
}

}  // namespace
