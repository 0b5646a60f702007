// Both front ends typed one key at a time over an installation of the shipped data: the text
// service on the test host and the IMM32 exports on an input context of Wine's imm32, each
// with an application that handles the keys the input method lets through. What each shows
// is read the same way: the committed text and the open composition.
#pragma once
#include <windows.h>

#include <string>

#include "core/record/engine.h"
#include "support/tsf_host/service_fixture.h"
#include "support/tsf_host/shipped_install.h"

namespace tsf_host {

// What a document shows after a key (composing: a composition with text is shown).
struct TypedState {
    std::wstring committed;
    std::wstring composition;
    bool composing = false;
    bool operator==(const TypedState& o) const {
        return committed == o.committed && composition == o.composition && composing == o.composing;
    }
};

// The character an application types for a key that reaches it (US layout), 0 for none.
wchar_t ApplicationChar(int vk, bool shift);

// One front end, typed through the test keyboard both share (its Shift state is the
// keyboard's). Keys the service synthesises come back to the front end that sent them.
class FrontEndTypist {
public:
    virtual ~FrontEndTypist() = default;
    virtual bool ok() const = 0;
    virtual Engine* engine() const = 0;
    // A key press (or release) as the application's window gets it.
    virtual void Key(int vk, bool up) = 0;
    virtual TypedState State() const = 0;
    // Back to the state after construction: an empty document, no composition, the input
    // mode, key path and last output of the start, Shift up.
    virtual void Reset() = 0;
    // A key pressed and released, then the synthesised keys it caused.
    void Tap(int vk);
    void Press(int vk) { Key(vk, false); }
    void Release(int vk) { Key(vk, true); }
    // The synthesised keys of the keyboard, delivered (bounded: a replay never loops).
    void DeliverSynthesisedKeys();

    testing_support::FakeKeyboard* keyboard = nullptr;

protected:
    // The engine's part of Reset.
    void ResetEngine(uint32_t state);
};

// The text service of a fixture on the test host over install's data.
class TextServiceTypist final : public FrontEndTypist {
public:
    TextServiceTypist(ServiceFixture& fixture, ShippedInstall& install);
    ~TextServiceTypist() override;
    TextServiceTypist(const TextServiceTypist&) = delete;
    TextServiceTypist& operator=(const TextServiceTypist&) = delete;

    bool ok() const override { return ok_; }
    Engine* engine() const override;
    void Key(int vk, bool up) override;
    TypedState State() const override;
    void Reset() override;

private:
    ServiceFixture& f_;
    uint32_t startState_ = 0;
    LONG startOpen_ = 0, startConversion_ = 0;
    const TextServiceSeams* previous_;
    TextServiceSeams seams_;
    bool ok_ = false;
};

// An input context of the IMM32 exports on a window of the test over install's data.
class Imm32Typist final : public FrontEndTypist {
public:
    explicit Imm32Typist(ShippedInstall& install);
    ~Imm32Typist() override;
    Imm32Typist(const Imm32Typist&) = delete;
    Imm32Typist& operator=(const Imm32Typist&) = delete;

    bool ok() const override { return engine_ != nullptr; }
    Engine* engine() const override { return engine_; }
    void Key(int vk, bool up) override;
    TypedState State() const override;
    void Reset() override;
    HIMC context() const { return himc_; }

private:
    uint32_t startState_ = 0;
    DWORD startConversion_ = 0, startSentence_ = 0;
    BOOL startOpen_ = FALSE;
    HWND hwnd_ = nullptr;
    HIMC himc_ = nullptr;
    Engine* engine_ = nullptr;
};

}  // namespace tsf_host
