// Drives keys through the classification and the key step the way a front end does, and
// keeps the document actions of every key.
#pragma once
#include <string>
#include <vector>

#include "support/keys/keypad_engine.h"
#include "textservice/keys/key_classify.h"
#include "textservice/keys/key_step.h"

namespace testing_support {

// Key functions the driver's dispatcher runs: commit of a row, clear input, page down.
int DriverDispatch(KeyStep& step, KeyFunctionMask action);

// The document as the actions leave it: committed text and the open composition.
struct ModelDocument {
    std::wstring committed;
    std::wstring composition;
    bool composing = false;
    void Apply(const DocumentActions& actions);
};

class KeyDriver {
public:
    explicit KeyDriver(FrontEnd frontEnd = FrontEnd::kTextService);
    ~KeyDriver();

    // Press and release; returns whether the press was eaten.
    bool Tap(int vk, uint32_t scan = 0);
    bool Down(int vk, uint32_t scan = 0);
    bool Up(int vk, uint32_t scan = 0);
    // Keypad digits.
    void TypeKeypad(const char* digits);

    FakeKeyboard keyboard;
    KeypadEngine engine;
    KeyPathState state;
    ModelDocument document;
    DocumentActions last;  // actions of the last eaten key-down
    KeyStepResult lastResult = KeyStepResult::kHandled;
    // What the driver's steps run their key functions with.
    KeyFunctionDispatcher dispatcher = DriverDispatch;
};

// Scan code of a virtual key for the test keys (letters, digits, keypad, Space ...).
uint32_t ScanCodeOf(int vk);

}  // namespace testing_support
