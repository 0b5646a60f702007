// Which keys the input method takes: tables, layers, modifiers, taps, states, replays.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/keys/key_driver.h"

using namespace testing_support;

namespace {

uint32_t DownParam(int vk) { return (ScanCodeOf(vk) << 16) | 1; }

struct ClassifyCase {
    const char* name;
    std::function<void(KeyDriver&)> before;  // settings, state and earlier events
    int vk;
    bool composing;
    KeyVerdictCode verdict;
    uint32_t keyCode;  // checked when eaten
    KeyFunctionMask action;
};

TEST(ClassifyKey, Table) {
    auto none = [](KeyDriver&) {};
    const ClassifyCase cases[] = {
        {"keypad digit starts a code", none, VK_NUMPAD6, false, KeyVerdictCode::kEaten, VK_NUMPAD6,
         0},
        {"letter without a key class passes", none, 'Q', false, KeyVerdictCode::kNotEaten, 0, 0},
        {"Ctrl held", [](KeyDriver& d) { d.keyboard.Press(VK_CONTROL, true); }, VK_NUMPAD6, false,
         KeyVerdictCode::kNotEaten, 0, 0},
        {"Alt held, even for a bound key",
         [](KeyDriver& d) {
             d.keyboard.Press(VK_MENU, true);
             SetKeyFunction(&d.engine.e->dme->keys, VK_F2, keyfn::kConfigHome);
         },
         VK_F2, false, KeyVerdictCode::kNotEaten, 0, 0},
        {"closed keyboard", [](KeyDriver& d) { d.engine.e->state |= kStateImeClosed; }, VK_NUMPAD6,
         false, KeyVerdictCode::kNotEaten, 0, 0},
        {"configuration key with the keyboard closed",
         [](KeyDriver& d) {
             d.engine.e->state |= kStateImeClosed;
             SetKeyFunction(&d.engine.e->dme->keys, VK_F2, keyfn::kConfigHome);
         },
         VK_F2, false, KeyVerdictCode::kEaten, VK_F2, keyfn::kConfigHome},
        {"Caps Lock on: a letter uses the shifted table",
         [](KeyDriver& d) {
             d.keyboard.SetCapsLock(true);
             SetKeyFunction(&d.engine.e->dme->keys, 0x100 + 'A', keyfn::kToggleEnglish);
         },
         'A', false, KeyVerdictCode::kEaten, 0x100 + 'A', keyfn::kToggleEnglish},
        {"Caps Lock on: Shift and a digit still use the shifted table",
         [](KeyDriver& d) {
             d.keyboard.SetCapsLock(true);
             d.keyboard.Press(VK_SHIFT, true);
             SetKeyFunction(&d.engine.e->dme->keys, 0x100 + '1', keyfn::kToggleEnglish);
         },
         '1', false, KeyVerdictCode::kEaten, 0x100 + '1', keyfn::kToggleEnglish},
        {"Caps Lock on: Shift and a letter use the plain table",
         [](KeyDriver& d) {
             d.keyboard.SetCapsLock(true);
             d.keyboard.Press(VK_SHIFT, true);
             SetKeyFunction(&d.engine.e->dme->keys, 'A', keyfn::kToggleEnglish);
         },
         'A', false, KeyVerdictCode::kEaten, 'A', keyfn::kToggleEnglish},
        {"Shift and a letter use the shifted table",
         [](KeyDriver& d) {
             d.keyboard.Press(VK_SHIFT, true);
             SetKeyFunction(&d.engine.e->dme->keys, 0x100 + 'A', keyfn::kToggleEnglish);
         },
         'A', false, KeyVerdictCode::kEaten, 0x100 + 'A', keyfn::kToggleEnglish},
        {"commit key while composing", none, VK_SPACE, true, KeyVerdictCode::kEaten, VK_SPACE,
         keyfn::kCommit},
        {"space outside a composition passes", none, VK_SPACE, false, KeyVerdictCode::kNotEaten, 0,
         0},
        {"space in full width is taken",
         [](KeyDriver& d) { d.engine.e->state |= kStateFullWidthOutput; }, VK_SPACE, false,
         KeyVerdictCode::kEaten, VK_SPACE, keyfn::kCommit},
        // Keys the application gets while a code is open: the code ends before it moves the
        // caret or selection, edits or changes the focus.
        {"function key while composing without a code function ends the code", none, VK_F5, true,
         KeyVerdictCode::kNotEatenEndComposition, 0, 0},
        {"Tab while composing ends the code", none, VK_TAB, true,
         KeyVerdictCode::kNotEatenEndComposition, 0, 0},
        {"Shift and Page Up while composing end the code",
         [](KeyDriver& d) { d.keyboard.Press(VK_SHIFT, true); }, VK_PRIOR, true,
         KeyVerdictCode::kNotEatenEndComposition, 0, 0},
        {"a Ctrl shortcut while composing ends the code",
         [](KeyDriver& d) { d.keyboard.Press(VK_CONTROL, true); }, 'V', true,
         KeyVerdictCode::kNotEatenEndComposition, 0, 0},
        {"Caps Lock while composing leaves the code", none, VK_CAPITAL, true,
         KeyVerdictCode::kNotEaten, 0, 0},
        {"Shift itself while composing leaves the code", none, VK_SHIFT, true,
         KeyVerdictCode::kNotEaten, 0, 0},
        {"Tab outside a composition passes", none, VK_TAB, false, KeyVerdictCode::kNotEaten, 0, 0},
        {"association: a plain key ends the candidates",
         [](KeyDriver& d) { d.engine.e->state |= kStateAssociation; }, VK_RETURN, true,
         KeyVerdictCode::kNotEatenEndComposition, 0, 0},
        {"association: a commit key stays",
         [](KeyDriver& d) { d.engine.e->state |= kStateAssociation; }, VK_SPACE, true,
         KeyVerdictCode::kEaten, VK_SPACE, keyfn::kCommit},
        {"repeat input without a saved commit",
         [](KeyDriver& d) { SetKeyFunction(&d.engine.e->dme->keys, VK_F3, keyfn::kRepeatInput); },
         VK_F3, false, KeyVerdictCode::kNotEaten, 0, 0},
        {"repeat input with a saved commit",
         [](KeyDriver& d) {
             SetKeyFunction(&d.engine.e->dme->keys, VK_F3, keyfn::kRepeatInput);
             d.Tap('Q');  // passes through and is saved
         },
         VK_F3, false, KeyVerdictCode::kEaten, VK_F3, keyfn::kRepeatInput},
        {"capital letter starts temporary English",
         [](KeyDriver& d) {
             d.engine.e->ime->options |= kImeCapitalStartsEnglish;
             d.keyboard.Press(VK_SHIFT, true);
         },
         'Q', false, KeyVerdictCode::kEaten, 0x100 + 'Q', 0},
        {"Chinese punctuation of a symbol record",
         [](KeyDriver& d) {
             SymbolRecord& r = d.engine.e->ime->symbols['.'];
             r.kind = kSymbolText;
             r.slots[0] = L'。';
         },
         VK_OEM_PERIOD, false, KeyVerdictCode::kEaten, VK_OEM_PERIOD, 0},
        {"English punctuation leaves the symbol",
         [](KeyDriver& d) {
             SymbolRecord& r = d.engine.e->ime->symbols['.'];
             r.kind = kSymbolText;
             r.slots[0] = L'。';
             d.engine.e->state |= kStateEnglishPunct;
         },
         VK_OEM_PERIOD, false, KeyVerdictCode::kNotEaten, 0, 0},
    };
    for (const ClassifyCase& c : cases) {
        SCOPED_TRACE(c.name);
        KeyDriver d;
        c.before(d);
        const KeyVerdict v = ClassifyKey(
            d.engine.e, d.state, {static_cast<uint32_t>(c.vk), DownParam(c.vk), c.composing});
        EXPECT_EQ(v.code, c.verdict);
        if (v.eaten()) {
            EXPECT_EQ(d.engine.e->input.keyVk, c.keyCode);
            EXPECT_EQ(d.engine.e->input.keyAction, c.action);
            EXPECT_NE(d.engine.e->input.keyChar, nullptr);
        }
    }
}

struct TapCase {
    const char* name;
    FrontEnd frontEnd;
    int vk;
    uint32_t scan;  // lParam scan bits >> 16, extended bit included
    uint64_t heldMs;
    bool ctrlHeld;
    bool letterBetween;
    uint32_t tableKey;  // plain-table entry that gets a function
    bool eaten;
    uint32_t keyCode;
};

TEST(ClassifyKey, ModifierTaps) {
    const TapCase cases[] = {
        {"left Shift tap", FrontEnd::kTextService, VK_SHIFT, 0x2A, 100, false, false, 0xA0, true,
         0xA0},
        {"held 500 ms", FrontEnd::kTextService, VK_SHIFT, 0x2A, 500, false, false, 0xA0, false, 0},
        {"held 499 ms", FrontEnd::kTextService, VK_SHIFT, 0x2A, 499, false, false, 0xA0, true,
         0xA0},
        {"either Shift entry", FrontEnd::kTextService, VK_SHIFT, 0x2A, 100, false, false, 0x10,
         true, 0x10},
        {"no entry", FrontEnd::kTextService, VK_SHIFT, 0x2A, 100, false, false, 0, false, 0},
        {"right Shift with the extended bit", FrontEnd::kTextService, VK_SHIFT, 0x136, 100, false,
         false, 0xA1, true, 0xA1},
        {"a letter between", FrontEnd::kTextService, VK_SHIFT, 0x2A, 100, false, true, 0xA0, false,
         0},
        {"Ctrl held under the text service", FrontEnd::kTextService, VK_SHIFT, 0x2A, 100, true,
         false, 0xA0, false, 0},
        {"Ctrl held under IMM32", FrontEnd::kImm32, VK_SHIFT, 0x2A, 100, true, false, 0xA0, true,
         0xA0},
        {"right Ctrl tap", FrontEnd::kTextService, VK_CONTROL, 0x11D, 100, false, false, 0xA3, true,
         0xA3},
    };
    for (const TapCase& c : cases) {
        SCOPED_TRACE(c.name);
        KeyDriver d(c.frontEnd);
        if (c.tableKey) SetKeyFunction(&d.engine.e->dme->keys, c.tableKey, keyfn::kToggleEnglish);
        d.keyboard.Press(c.vk, true);
        d.Down(c.vk, c.scan);
        if (c.letterBetween) d.Tap('Q');
        d.keyboard.Advance(c.heldMs);
        d.keyboard.Press(c.vk, false);
        if (c.ctrlHeld) d.keyboard.Press(VK_CONTROL, true);
        const uint32_t lParam = (c.scan << 16) | 0xC0000001u;
        const KeyVerdict v =
            ClassifyKey(d.engine.e, d.state, {static_cast<uint32_t>(c.vk), lParam, false});
        EXPECT_EQ(v.eaten(), c.eaten);
        if (c.eaten) {
            EXPECT_EQ(d.engine.e->input.keyVk, c.keyCode);
        }
    }
}

TEST(ClassifyKey, KeyUpWithoutScanCodeForgetsTheLastPress) {
    KeyDriver d;
    d.Down(VK_NUMPAD6);
    EXPECT_FALSE(ClassifyKey(d.engine.e, d.state, {VK_NUMPAD6, 0xC0000001u, true}).eaten());
    EXPECT_EQ(d.state.lastScanCode, kNoScanCode);
}

TEST(ClassifyKey, OutputOfAPassedKeyIsRecordedOncePerKey) {
    KeyDriver d;
    ImeConfigData* ime = d.engine.e->ime;
    const uint32_t lParam = DownParam('Q');
    // The host tests the key itself and the framework tests it again.
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(ClassifyKey(d.engine.e, d.state, {'Q', lParam, false}).eaten());
    EXPECT_EQ(ime->lastOutputCount, 1u);
    EXPECT_EQ(d.engine.e->input.outputText[0], L'q');
    FinishKeyDown(d.state);
    EXPECT_FALSE(ClassifyKey(d.engine.e, d.state, {'Q', lParam, false}).eaten());
    EXPECT_EQ(ime->lastOutputCount, 2u);
}

TEST(ClassifyKey, PassedEnterIsALineBreakAndOtherFunctionKeysClearTheSavedCommit) {
    KeyDriver d;
    d.Tap(VK_RETURN);
    EXPECT_EQ(std::wstring(d.engine.e->input.pickedText), L"\r\n");
    EXPECT_EQ(d.state.savedCommitCount, 1u);
    d.Tap(VK_F5);
    EXPECT_EQ(d.engine.e->input.pickedLength, 0u);
    EXPECT_EQ(d.state.savedCommitCount, 0u);
}

TEST(ClassifyKey, BackspaceReplayPassesBackspaceAndEatsTheMarker) {
    KeyDriver d;
    Engine* e = d.engine.e;
    e->replayActive = 1;
    EXPECT_FALSE(d.Down(VK_BACK));
    EXPECT_EQ(e->replayActive, 1u);
    const KeyVerdict down = ClassifyKey(e, d.state, {7, 1, false});
    EXPECT_TRUE(down.eaten());
    EXPECT_EQ(e->input.keyAction, keyfn::kRepeatInput);
    EXPECT_EQ(e->input.keyVk, 7u);
    EXPECT_TRUE(ClassifyKey(e, d.state, {7, 0xC0000001u, false}).eaten());
    EXPECT_EQ(e->replayActive, 0u);
    EXPECT_EQ(e->input.keyAction, 0u);
    // Any other key ends a replay.
    e->replayActive = 1;
    d.Down(VK_NUMPAD6);
    EXPECT_EQ(e->replayActive, 0u);
}

struct SoftKeyboardCase {
    const char* name;
    uint32_t layout;  // as the soft keyboard's layout menu leaves it in the engine
    bool shown;
    int vk;
    bool shift;
    bool eaten;
    const wchar_t* committed;
};

// The layout chosen on the soft keyboard decides the key in both front ends, and an eaten
// key types that layout's character.
TEST(ClassifyKey, SoftKeyboardLayoutTypesItsCharacter) {
    const SoftKeyboardCase cases[] = {
        {"Greek layout: Q types alpha", 2, true, 'Q', false, true, L"α"},
        {"Greek layout: Shift Q types capital alpha", 2, true, 'Q', true, true, L"Α"},
        {"Greek layout: a digit without a character passes", 2, true, '1', false, false, L""},
        {"Greek layout: a keypad digit is no soft key and passes", 2, true, VK_NUMPAD6, false,
         false, L""},
        {"numerals layout: 1 types yi", 12, true, '1', false, true, L"一"},
        {"numerals layout: Shift 1 types the capital form", 12, true, '1', true, true, L"壹"},
        {"pinyin layout: Shift gives no character", 5, true, 'Q', true, false, L""},
        {"PC layout keeps the key rules: Q passes", 1, true, 'Q', false, false, L""},
        {"PC layout keeps the key rules: a keypad digit composes", 1, true, VK_NUMPAD6, false, true,
         L""},
        {"keyboard off: a left-over layout counts for nothing", 2, false, 'Q', false, false, L""},
    };
    for (FrontEnd frontEnd : {FrontEnd::kTextService, FrontEnd::kImm32}) {
        for (const SoftKeyboardCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) +
                         (frontEnd == FrontEnd::kImm32 ? " (IMM32)" : " (text service)"));
            KeyDriver d(frontEnd);
            if (c.shown) d.engine.e->state |= kStateSoftKeyboard;
            d.engine.e->softKeyboardLayout = c.layout;
            if (c.shift) d.keyboard.Press(VK_SHIFT, true);
            EXPECT_EQ(d.Tap(c.vk), c.eaten);
            EXPECT_EQ(d.document.committed, c.committed);
        }
    }
}

TEST(ClassifyKey, SoftKeyboardCharacterEndsTheComposition) {
    for (FrontEnd frontEnd : {FrontEnd::kTextService, FrontEnd::kImm32}) {
        KeyDriver d(frontEnd);
        d.TypeKeypad("64");
        ASSERT_TRUE(d.document.composing);
        d.engine.e->state |= kStateSoftKeyboard;
        d.engine.e->softKeyboardLayout = 2;
        EXPECT_TRUE(d.Tap('Q'));
        EXPECT_FALSE(d.document.composing);
        ASSERT_FALSE(d.document.committed.empty());
        EXPECT_EQ(d.document.committed.back(), L'α');
    }
}

TEST(ClassifyKey, NoSettingsNoKey) {
    FakeKeyboard keyboard;
    KeyPathState state;
    EXPECT_FALSE(ClassifyKey(nullptr, state, {VK_NUMPAD6, 1, false}).eaten());
    static Engine bare{};
    EXPECT_FALSE(ClassifyKey(&bare, state, {VK_NUMPAD6, 1, false}).eaten());
}

}  // namespace
