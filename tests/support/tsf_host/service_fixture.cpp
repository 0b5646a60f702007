#include "support/tsf_host/service_fixture.h"

#include <stdexcept>

#include "support/keys/key_driver.h"

namespace tsf_host {

ServiceFixture* ServiceFixture::current = nullptr;

ServiceFixture::ServiceFixture()
    : engine(std::make_unique<testing_support::KeypadEngine>()), host(std::make_unique<Host>()) {
    current = this;
    seams_.createEngine = []() -> Engine* {
        ServiceFixture* f = current;
        if (!f || f->engineFails) return nullptr;
        ++f->enginesMade;
        return f->engine->e;
    };
    seams_.destroyEngine = [](Engine*) {
        if (current) ++current->enginesFreed;
    };
    seams_.createCategoryMgr = [](ITfCategoryMgr** out) -> HRESULT {
        *out = current ? current->host->NewCategoryMgr() : nullptr;
        return *out ? S_OK : E_FAIL;
    };
    seams_.windowsVersion = [](const Engine*) -> uint32_t {
        return current ? current->version : 0;
    };
    seams_.launchConfig = [](Engine*, const wchar_t*, HWND owner) -> int {
        if (current) {
            ++current->configLaunches;
            current->configOwner = owner;
        }
        return 1;
    };
    SetServiceSeams(&seams_);
    hooks_.addLanguageBarButtons = [](CTextService*) -> int {
        if (!current) return 1;
        ++current->languageBarAsked;
        if (current->languageBarResult < 0) throw std::runtime_error("language bar");
        return current->languageBarResult;
    };
    hooks_.threadFocus = [](CTextService*, bool gained) {
        if (current) ++(gained ? current->focusGained : current->focusLost);
    };
    hooks_.placeCandidateWindow = [](Engine*, const RECT& caret) {
        if (current) current->candidatePlaces.push_back(caret);
    };
    hooks_.showStateTip = [](CTextService*, POINT at, const wchar_t* text) {
        if (current) current->tips.emplace_back(at, text);
    };
    SetServiceHooks(&hooks_);
    ForgetHeldKey();
    void* out = nullptr;
    CTextService::CreateInstance(nullptr, IID_ITfTextInputProcessorEx, &out);
    service = static_cast<CTextService*>(static_cast<ITfTextInputProcessorEx*>(out));
}

ServiceFixture::~ServiceFixture() {
    if (service) {
        service->Deactivate();
        service->Release();
    }
    host.reset();
    SetServiceHooks(nullptr);
    SetServiceSeams(nullptr);
    current = nullptr;
}

HRESULT ServiceFixture::Activate(DWORD flags) {
    return service->ActivateEx(host->threadMgr(), 7, flags);
}

bool ServiceFixture::Press(int vk) {
    const LPARAM lParam = static_cast<LPARAM>((testing_support::ScanCodeOf(vk) << 16) | 1);
    return host->KeyDown(static_cast<WPARAM>(vk), lParam);
}

bool ServiceFixture::Release(int vk) {
    const LPARAM lParam =
        static_cast<LPARAM>((testing_support::ScanCodeOf(vk) << 16) | 0xC0000001u);
    return host->KeyUp(static_cast<WPARAM>(vk), lParam);
}

bool ServiceFixture::Tap(int vk) {
    const bool eaten = Press(vk);
    Release(vk);
    return eaten;
}

void ServiceFixture::TypeKeypad(const char* digits) {
    for (; *digits; ++digits) Tap(VK_NUMPAD0 + (*digits - '0'));
}

}  // namespace tsf_host
