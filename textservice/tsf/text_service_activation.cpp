// The text service's activation: its engine, start modes and sinks; and their end.
#include <new>

#include "core/base/boundary_guard.h"
#include "textservice/actions/deferred_prompt.h"
#include "textservice/tsf/edit_sessions.h"
#include "textservice/tsf/service_engine.h"
#include "textservice/tsf/service_hooks.h"
#include "textservice/tsf/text_service.h"

namespace {

uint32_t WindowsVersion(const Engine* e) {
    const TextServiceSeams& s = ServiceSeams();
    if (s.windowsVersion) return s.windowsVersion(e);
    return (e->osVersion.dwMajorVersion << 8) | (e->osVersion.dwMinorVersion & 0xFF);
}

ComPtr<ITfCategoryMgr> CategoryManager() {
    ComPtr<ITfCategoryMgr> mgr;
    const TextServiceSeams& s = ServiceSeams();
    if (s.createCategoryMgr) {
        s.createCategoryMgr(mgr.put());
    } else {
        CoCreateInstance(CLSID_TF_CategoryMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ITfCategoryMgr,
                         mgr.put_void());
    }
    return mgr;
}

}  // namespace

Engine* NewServiceEngine() {
    const TextServiceSeams& s = ServiceSeams();
    return s.createEngine ? s.createEngine() : Engine::Create();
}

void FreeServiceEngine(Engine* e) {
    if (!e) return;
    ForgetDeferredPrompts(e);
    const TextServiceSeams& s = ServiceSeams();
    if (s.destroyEngine)
        s.destroyEngine(e);
    else
        Engine::Destroy(e);
}

STDMETHODIMP CTextService::Activate(ITfThreadMgr* threadMgr, TfClientId clientId) {
    return ActivateEx(threadMgr, clientId, 0);
}

STDMETHODIMP CTextService::ActivateEx(ITfThreadMgr* threadMgr, TfClientId clientId, DWORD flags) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        // A step that throws fails like one that reports failure: everything is undone.
        const HRESULT hr = Guarded<HRESULT>(
            E_FAIL, [&]() -> HRESULT { return ActivateSteps(threadMgr, clientId, flags); });
        if (SUCCEEDED(hr)) return S_OK;
        Deactivate();
        return E_FAIL;
    });
}

HRESULT CTextService::ActivateSteps(ITfThreadMgr* threadMgr, TfClientId clientId, DWORD flags) {
    if (!threadMgr) return E_INVALIDARG;
    if (engine_ || threadMgr_) Deactivate();
    threadMgr_ = ComPtr<ITfThreadMgr>::Copy(threadMgr);
    clientId_ = clientId;

    engine_ = NewServiceEngine();
    if (!engine_ || !engine_->ime) return E_FAIL;
    engine_->uiCommand = {&CTextService::UICommandHandler, this};

    const ImeConfigData* ime = engine_->ime;
    const bool custom = (ime->features & kFeatCustomStartState) != 0;
    uint32_t mode = custom ? ime->startState : GetConversionState();
    const uint32_t version = WindowsVersion(engine_);
    if (version < 0x602) {
        SetKeyboardOpenState(true);
        if (custom && (ime->startState & kStartStateClosed))
            mode = (mode & ~TF_CONVERSIONMODE_NATIVE) | TF_CONVERSIONMODE_NOCONVERSION;
        else
            mode = (mode & ~TF_CONVERSIONMODE_NOCONVERSION) | TF_CONVERSIONMODE_NATIVE;
    } else {
        SetKeyboardOpenState(!(ime->startState & kStartStateClosed));
        mode = (mode & ~TF_CONVERSIONMODE_NOCONVERSION) | TF_CONVERSIONMODE_NATIVE;
    }
    SetConversionState(mode);
    engine_->state = 0;
    if (mode & TF_CONVERSIONMODE_NOCONVERSION) engine_->state |= kStateEnglishMode;
    if (mode & TF_CONVERSIONMODE_FULLSHAPE) engine_->state |= kStateFullWidthOutput;
    if (!(mode & TF_CONVERSIONMODE_SYMBOL)) engine_->state |= kStateEnglishPunct;
    engine_->input.keyVk = 0;
    engine_->input.keyAction = 0;
    engine_->input.keyChar = nullptr;
    engine_->replayActive = 0;

    const DWORD kept = TF_TMAE_SECUREMODE | TF_TMAE_UIELEMENTENABLEDONLY | TF_TMAE_COMLESS |
                       TF_TMAE_WOW16 | TF_TMAE_CONSOLE | TF_TMF_IMMERSIVEMODE;
    activationFlags_ = (flags & kept) ? flags : 0;
    immersive_ = flags == TF_TMF_IMMERSIVEMODE;

    ComPtr<ITfSource> source;
    if (FAILED(threadMgr->QueryInterface(IID_ITfSource, source.put_void()))) return E_FAIL;
    if (FAILED(source->AdviseSink(IID_ITfThreadMgrEventSink,
                                  static_cast<ITfThreadMgrEventSink*>(this),
                                  &threadMgrEventCookie_))) {
        threadMgrEventCookie_ = TF_INVALID_COOKIE;
        return E_FAIL;
    }

    ComPtr<ITfDocumentMgr> focus;
    if (SUCCEEDED(threadMgr->GetFocus(focus.put())) && focus) AdviseTextEditSink(focus.get());

    ComPtr<ITfKeystrokeMgr> keystrokes;
    if (FAILED(threadMgr->QueryInterface(IID_ITfKeystrokeMgr, keystrokes.put_void())))
        return E_FAIL;
    if (FAILED(keystrokes->AdviseKeyEventSink(clientId, static_cast<ITfKeyEventSink*>(this), TRUE)))
        return E_FAIL;
    keySinkAdvised_ = true;

    if (FAILED(source->AdviseSink(IID_ITfActiveLanguageProfileNotifySink,
                                  static_cast<ITfActiveLanguageProfileNotifySink*>(this),
                                  &profileCookie_))) {
        profileCookie_ = TF_INVALID_COOKIE;
        return E_FAIL;
    }

    RegisterAttributeAtoms(CategoryManager().get(), atoms_);

    if (FAILED(source->AdviseSink(IID_ITfThreadFocusSink, static_cast<ITfThreadFocusSink*>(this),
                                  &threadFocusCookie_))) {
        threadFocusCookie_ = TF_INVALID_COOKIE;
        return E_FAIL;
    }

    ComPtr<ITfCompartment> openClose = GlobalCompartment(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE);
    if (!openClose ||
        FAILED(openClose->QueryInterface(IID_ITfSource, compartmentSource_.put_void())) ||
        FAILED(compartmentSource_->AdviseSink(IID_ITfCompartmentEventSink,
                                              static_cast<ITfCompartmentEventSink*>(this),
                                              &compartmentCookie_))) {
        compartmentCookie_ = TF_INVALID_COOKIE;
        compartmentSource_.reset();
        return E_FAIL;
    }

    if (!PreserveHotkeys()) return E_FAIL;
    UpdateKeyboardState();
    const TextServiceHooks& hooks = ServiceHooks();
    if (hooks.addLanguageBarButtons && !hooks.addLanguageBarButtons(this)) return E_FAIL;
    return S_OK;
}

STDMETHODIMP CTextService::Deactivate() {
    return Guarded<HRESULT>(S_OK, [&]() -> HRESULT {
        const TextServiceHooks& hooks = ServiceHooks();
        if (engine_) {
            ImeConfigData* ime = engine_->ime;
            if (ime && (ime->features & kFeatCustomStartState) &&
                (ime->features & kFeatSaveStartState))
                ime->startState = GetConversionState();
            if (hooks.destroyWindows) hooks.destroyWindows(engine_);
        }
        EndOpenCompositions();
        if (hooks.endCandidateList) hooks.endCandidateList(this);

        UnadviseTextEditSink();
        ComPtr<ITfSource> source;
        if (threadMgr_) threadMgr_->QueryInterface(IID_ITfSource, source.put_void());
        if (source && profileCookie_ != TF_INVALID_COOKIE) source->UnadviseSink(profileCookie_);
        profileCookie_ = TF_INVALID_COOKIE;
        if (compartmentSource_ && compartmentCookie_ != TF_INVALID_COOKIE)
            compartmentSource_->UnadviseSink(compartmentCookie_);
        compartmentCookie_ = TF_INVALID_COOKIE;
        compartmentSource_.reset();
        if (source && threadFocusCookie_ != TF_INVALID_COOKIE)
            source->UnadviseSink(threadFocusCookie_);
        threadFocusCookie_ = TF_INVALID_COOKIE;
        if (source && threadMgrEventCookie_ != TF_INVALID_COOKIE)
            source->UnadviseSink(threadMgrEventCookie_);
        threadMgrEventCookie_ = TF_INVALID_COOKIE;

        UnpreserveHotkeys();
        if (keySinkAdvised_ && threadMgr_) {
            ComPtr<ITfKeystrokeMgr> keystrokes;
            if (SUCCEEDED(threadMgr_->QueryInterface(IID_ITfKeystrokeMgr, keystrokes.put_void())))
                keystrokes->UnadviseKeyEventSink(clientId_);
        }
        keySinkAdvised_ = false;

        if (hooks.removeLanguageBarButtons) hooks.removeLanguageBarButtons(this);

        compositions_.ForgetAll();
        threadMgr_.reset();
        clientId_ = 0;
        if (engine_) {
            engine_->uiCommand = {};
            FreeServiceEngine(engine_);
            engine_ = nullptr;
        }
        testedDown_ = eatenDown_ = eatenUp_ = skipNextKey_ = false;
        keys_ = KeyPathState{};
        return S_OK;
    });
}

// Ends the compositions still open, each in a session of its own that runs now; one the
// host refuses to run now is forgotten.
void CTextService::EndOpenCompositions() {
    if (!engine_) return;
    for (int slot = 0; slot < CompositionTable::kSlots; ++slot) {
        ComPtr<ITfContext> context = ComPtr<ITfContext>::Copy(compositions_.ContextAt(slot));
        if (!context) continue;
        RequestSession(context.get(), clientId_,
                       new (std::nothrow) CEndCompositionEditSession(context.get(), this),
                       TF_ES_READWRITE | TF_ES_SYNC);
    }
}
