// Whether the input method takes a key: the key-function tables of the settings, modifier
// taps, the soft keyboard and the engine's state decide. One classification serves the text
// service (OnTestKeyDown/OnKeyDown/...) and the IMM32 front end (ImeProcessKey).
#pragma once
#include <cstdint>

#include "core/record/engine.h"
#include "textservice/keys/key_path_state.h"

struct KeyQuery {
    uint32_t virtualKey;
    uint32_t lParam;  // bit 31 set: the key goes up; bits 16-27 the scan code
    // The document (TSF) or the input context (IMM32) is composing.
    bool composing;
};

enum class KeyVerdictCode : uint8_t {
    kNotEaten,
    kEaten,
    // Not eaten, and the open composition (code or association candidates) ends without
    // output before the application gets the key: TSF ends the composition, IMM32 clears the
    // input.
    kNotEatenEndComposition,
};

struct KeyVerdict {
    KeyVerdictCode code;
    bool eaten() const { return code == KeyVerdictCode::kEaten; }
};

// The soft keyboard as the engine keeps it: the layout shown (1 the PC layout, 2-13 symbol
// layouts), 0 while it is off.
uint32_t ShownSoftKeyboardLayout(const Engine* engine);
// Character the shown layout gives a virtual key (its shifted form when shifted), 0 when none.
wchar_t ShownSoftKeyboardChar(const Engine* engine, uint32_t virtualKey, bool shifted);

// Classifies one key event. An eaten key leaves its action word, key code and text in
// engine->input (keyAction, keyVk, keyChar) for the key step. A key-down that is not eaten
// hands its character on as output text (Engine::AppendOutputText) once per key, however
// often the host tests it. Without an engine or its settings nothing is eaten.
// Reads the keyboard through the engine's platform table (keyState, tickCount).
KeyVerdict ClassifyKey(Engine* engine, KeyPathState& state, const KeyQuery& query);

// The key-down just classified has been handled (the front end's OnKeyDown / ImeToAsciiEx):
// a later test of the same key counts as a new key.
inline void FinishKeyDown(KeyPathState& state) { state.downPending = false; }

// The held key and its press time are kept per process, like the keyboard they describe.
void ForgetHeldKey();

// Whether a configured hotkey stays registered while the input method is closed: one that
// opens it again must, or the key that closed it could not open it.
bool HotkeyWorksWhileClosed(KeyFunctionMask functions);

// True when text is a key's character (not null, not empty, not a key name).
bool KeyHasText(const wchar_t* text);
