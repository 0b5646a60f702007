// The keyboard's open and conversion compartments, and the keyboard state shown for them.
#include "engine/platform.h"
#include "textservice/tsf/service_hooks.h"
#include "textservice/tsf/text_service.h"

namespace {

// The state last announced by the tip, per process.
int lastKeyboardState = -1;

const wchar_t* const kStateLabels[] = {L"中", L"英", L"A", L"禁", L"关"};

LONG ReadI4(ITfCompartment* c) {
    if (!c) return 0;
    VARIANT v;
    VariantInit(&v);
    if (FAILED(c->GetValue(&v))) return 0;
    const LONG r = v.vt == VT_I4 ? v.lVal : 0;
    VariantClear(&v);
    return r;
}

void WriteI4(ITfCompartment* c, TfClientId client, LONG value) {
    if (!c) return;
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    c->SetValue(client, &v);
}

}  // namespace

// ---- compartments ----

ComPtr<ITfCompartment> CTextService::GlobalCompartment(REFGUID guid) const {
    ComPtr<ITfCompartment> c;
    if (!threadMgr_) return c;
    ComPtr<ITfCompartmentMgr> mgr;
    if (FAILED(threadMgr_->GetGlobalCompartment(mgr.put())) || !mgr) return c;
    mgr->GetCompartment(guid, c.put());
    return c;
}

bool CTextService::KeyboardIsOpen() const {
    return ReadI4(GlobalCompartment(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE).get()) != 0;
}

void CTextService::SetKeyboardOpenState(bool open) {
    WriteI4(GlobalCompartment(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE).get(), clientId_, open ? 1 : 0);
}

uint32_t CTextService::GetConversionState() const {
    return static_cast<uint32_t>(
        ReadI4(GlobalCompartment(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION).get()));
}

void CTextService::SetConversionState(uint32_t mode) {
    WriteI4(GlobalCompartment(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION).get(), clientId_,
            static_cast<LONG>(mode));
}

bool CTextService::KeyboardIsDisabled() const {
    if (!threadMgr_) return false;
    ComPtr<ITfDocumentMgr> focus;
    if (FAILED(threadMgr_->GetFocus(focus.put())) || !focus) return false;
    ComPtr<ITfContext> top;
    if (FAILED(focus->GetTop(top.put())) || !top) return false;
    ComPtr<ITfCompartmentMgr> mgr;
    if (FAILED(top->QueryInterface(IID_ITfCompartmentMgr, mgr.put_void()))) return false;
    for (const GUID* g : {&GUID_COMPARTMENT_KEYBOARD_DISABLED, &GUID_COMPARTMENT_EMPTYCONTEXT}) {
        ComPtr<ITfCompartment> c;
        if (SUCCEEDED(mgr->GetCompartment(*g, c.put())) && ReadI4(c.get()) != 0) return true;
    }
    return false;
}

void CTextService::UpdateKeyboardState() {
    if (!engine_) return;
    engine_->state &= ~(kStateKeyboardDisabled | kStateImeClosed);
    KeyboardState s;
    if (KeyboardIsDisabled()) {
        s = KeyboardState::kDisabled;
        engine_->state |= kStateKeyboardDisabled;
    } else if (KeyboardIsOpen()) {
        if (Platform().keyState(VK_CAPITAL) & 1)
            s = KeyboardState::kCapsLock;
        else
            s = (engine_->state & kStateEnglishMode) ? KeyboardState::kEnglish
                                                     : KeyboardState::kChinese;
    } else {
        s = KeyboardState::kClosed;
        engine_->state |= kStateImeClosed;
    }
    const int value = static_cast<int>(s);
    if (value != lastKeyboardState && immersive_) ShowStateTip(kStateLabels[value]);
    lastKeyboardState = value;
}

void CTextService::RefreshLanguageBar() {
    const TextServiceHooks& hooks = ServiceHooks();
    if (hooks.refreshLanguageBar)
        hooks.refreshLanguageBar(this);
    else
        UpdateKeyboardState();
    if (engine_ && engine_->windows.candidateWindow) PlaceCandidateWindow();
}
