// A text service over the test host: an in-memory keypad engine behind the service's engine
// seam, the host's category manager, a controllable Windows version and the test keyboard.
#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/keys/key_driver.h"
#include "support/tsf_host/tsf_host.h"
#include "textservice/tsf/service_hooks.h"
#include "textservice/tsf/text_service.h"

namespace tsf_host {

class ServiceFixture {
public:
    ServiceFixture();
    ~ServiceFixture();
    ServiceFixture(const ServiceFixture&) = delete;
    ServiceFixture& operator=(const ServiceFixture&) = delete;

    HRESULT Activate(DWORD flags = 0);
    // A key pressed and released as the framework delivers it; whether the press was eaten.
    bool Tap(int vk);
    bool Press(int vk);
    bool Release(int vk);
    void TypeKeypad(const char* digits);
    TfGuidAtom Atom(AttributeKind kind) const { return service->attributeAtom(kind); }
    // The hooks table in force while the fixture lives.
    TextServiceHooks& hooks() { return hooks_; }

    testing_support::FakeKeyboard keyboard;
    std::unique_ptr<testing_support::KeypadEngine> engine;
    std::unique_ptr<Host> host;
    CTextService* service = nullptr;  // one reference

    // Seam state.
    static ServiceFixture* current;
    uint32_t version = 0xA00;
    bool engineFails = false;
    int enginesMade = 0;
    int enginesFreed = 0;
    int configLaunches = 0;
    HWND configOwner = nullptr;  // owner window of the last launch
    int languageBarResult = 1;   // -1: the language bar throws
    int languageBarAsked = 0;
    // Thread-focus slot calls: gained, lost.
    int focusGained = 0;
    int focusLost = 0;
    // Caret rectangles handed to the candidate window slot; state tips shown.
    std::vector<RECT> candidatePlaces;
    std::vector<std::pair<POINT, std::wstring>> tips;

private:
    TextServiceSeams seams_ = {};
    TextServiceHooks hooks_ = {};
};

}  // namespace tsf_host
