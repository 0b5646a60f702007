// What the key path of one front end keeps between keys, and where the two front ends
// differ. The text service keeps one per activation, the IMM32 front end one per input
// context; both hand it with the engine record to the classification and the key step.
#pragma once
#include <cstdint>

#include "core/settings/key_functions.h"

// Engine state bits the key path reads besides the engine's own (core/record/engine_runtime.h).
constexpr uint32_t kStateKeyboardDisabled = 0x8;
constexpr uint32_t kStateSoftKeyboard = 0x20;

// Key text of keys without a character: a text that begins with this names the key.
constexpr wchar_t kNoTextMarker = L'\u952E';

// Keys eaten in every state: open/close and English switches, scheme and search-range
// switches, the configuration pages, online word adding, clipboard lookup, the window
// toggles, simplified output, the soft-keyboard switch and dictionary lookup.
constexpr KeyFunctionMask kAlwaysEatenFunctions = 0xC7BF03C00003;
// Keys eaten while composing outside the association state.
constexpr KeyFunctionMask kComposingFunctions = 0xFF0E4;
// Keys eaten while composing in the association state (clear, paging, highlight moves).
constexpr KeyFunctionMask kAssociationFunctions = 0xC0064;
// A modifier released within this many milliseconds of its press is a tap.
constexpr uint64_t kTapMilliseconds = 500;

// Tap codes: key codes of modifier taps, looked up in the plain table.
constexpr uint32_t kTapLeftShift = 0xA0;
constexpr uint32_t kTapRightShift = 0xA1;
constexpr uint32_t kTapShift = 0x10;
constexpr uint32_t kTapLeftCtrl = 0xA2;
constexpr uint32_t kTapRightCtrl = 0xA3;
constexpr uint32_t kTapCtrl = 0x11;
constexpr uint32_t kTapLeftAlt = 0xA4;
constexpr uint32_t kTapRightAlt = 0xA5;
constexpr uint32_t kTapAlt = 0x12;

enum class FrontEnd : uint8_t {
    kTextService,  // TSF: the document holds a composition; modifier taps need the others up
    kImm32,        // IMM32: composition string and messages; taps ignore the other modifiers
};

// No scan code kept.
constexpr uint32_t kNoScanCode = 0xFFFFFFFF;

// A key saved while a backspace replay puts earlier output right; handled after the replay.
struct SavedKey {
    bool present;
    uint32_t keyCode;
    KeyFunctionMask action;
    const wchar_t* text;
};

struct KeyPathState {
    FrontEnd frontEnd = FrontEnd::kTextService;
    // lParam & 0x0FFF0000 of the last key pressed; kNoScanCode when none.
    uint32_t lastScanCode = kNoScanCode;
    // Remembered punctuation of the last output (cleared by the next key whose text differs):
    // typed again, the character after a digit becomes its converted form, and a converted
    // smart symbol goes back to the character typed.
    wchar_t afterDigitChar = 0;
    wchar_t smartRepeatChar = 0;
    // Characters of InputState::outputText that repeat and undo input act on; 0: none.
    uint32_t savedCommitCount = 0;
    SavedKey savedKey = {};
    // The key-down most recently classified, so that a second test of the same key (hosts
    // test keys themselves) does not hand its output on twice. Cleared when the key is done.
    bool downPending = false;
    uint32_t pendingVk = 0;
    uint32_t pendingLParam = 0;
};
