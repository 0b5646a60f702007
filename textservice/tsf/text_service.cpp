#include "textservice/tsf/text_service.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "core/base/boundary_guard.h"
#include "engine/commands/command_pick.h"
#include "engine/commands/command_run.h"
#include "engine/platform.h"
#include "textservice/keys/key_classify.h"
#include "textservice/langbar/service_lang_bar.h"
#include "textservice/object_count.h"
#include "textservice/tsf/candidate_list.h"
#include "textservice/tsf/edit_sessions.h"
#include "textservice/tsf/service_action_host.h"
#include "textservice/tsf/service_hooks.h"
#include "textservice/tsf/service_placement.h"
#include "textservice/tsf/service_windows.h"

const GUID kFullWidthKeyGuid = {
    0xD6783545, 0x19AA, 0x4180, {0x88, 0x18, 0x2B, 0xCA, 0xCD, 0xCE, 0xC4, 0x11}};
const GUID kPunctuationKeyGuid = {
    0x93CB16E7, 0x163C, 0x4D9B, {0x8E, 0x51, 0xE4, 0xA5, 0xF0, 0x70, 0xC1, 0x61}};

namespace {

// The first hotkey GUID; the others follow it in its first field.
constexpr GUID kFirstHotkeyGuid = {
    0x764C734C, 0xC30F, 0x49F2, {0xBD, 0xE2, 0xC5, 0x3C, 0x34, 0xAB, 0x05, 0xCD}};

struct HotkeyGuidTable {
    GUID guids[kHotkeyGuids];
    HotkeyGuidTable() {
        for (int i = 0; i < kHotkeyGuids; ++i) {
            guids[i] = kFirstHotkeyGuid;
            guids[i].Data1 += static_cast<unsigned long>(i);
        }
    }
};
const HotkeyGuidTable hotkeyGuids;

// The state last announced by the tip, per process.
int lastKeyboardState = -1;

const wchar_t* const kStateLabels[] = {L"中", L"英", L"A", L"禁", L"关"};

Engine* NewEngine() {
    const TextServiceSeams& s = ServiceSeams();
    return s.createEngine ? s.createEngine() : Engine::Create();
}

void FreeEngine(Engine* e) {
    if (!e) return;
    const TextServiceSeams& s = ServiceSeams();
    if (s.destroyEngine)
        s.destroyEngine(e);
    else
        Engine::Destroy(e);
}

uint32_t WindowsVersion(const Engine* e) {
    const TextServiceSeams& s = ServiceSeams();
    if (s.windowsVersion) return s.windowsVersion(e);
    return (e->osVersion.dwMajorVersion << 8) | (e->osVersion.dwMinorVersion & 0xFF);
}

int LaunchConfig(Engine* e, const wchar_t* request) {
    const TextServiceSeams& s = ServiceSeams();
    return s.launchConfig ? s.launchConfig(e, request) : LaunchConfigProgram(e, request);
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

DWORD SessionFlags() { return TF_ES_READWRITE | ServiceSeams().sessionFlags; }

// Modifiers of a configured hotkey.
UINT HotkeyModifiers(KeyCombination c) {
    UINT m = 0;
    if ((c & keycombo::kLeftCtrl) == keycombo::kLeftCtrl)
        m |= TF_MOD_LCONTROL;
    else if ((c & keycombo::kRightCtrl) == keycombo::kRightCtrl)
        m |= TF_MOD_RCONTROL;
    else if (c & keycombo::kCtrl)
        m |= TF_MOD_CONTROL;
    if ((c & keycombo::kLeftShift) == keycombo::kLeftShift)
        m |= TF_MOD_LSHIFT;
    else if ((c & keycombo::kRightShift) == keycombo::kRightShift)
        m |= TF_MOD_RSHIFT;
    else if (c & keycombo::kShift)
        m |= TF_MOD_SHIFT;
    if ((c & keycombo::kLeftAlt) == keycombo::kLeftAlt)
        m |= TF_MOD_LALT;
    else if ((c & keycombo::kRightAlt) == keycombo::kRightAlt)
        m |= TF_MOD_RALT;
    else if (c & keycombo::kAlt)
        m |= TF_MOD_ALT;
    return m;
}

// Configured hotkeys that have a GUID: the count byte, bounded by the GUID table and the
// record list.
int HotkeyCount(const DmeConfigData* dme) {
    int n = dme->comboCount;
    if (n > kHotkeyGuids) n = kHotkeyGuids;
    if (n > kMaxCombos) n = kMaxCombos;
    return n;
}

KeyCombination ComboAt(const DmeConfigData* dme, int i) {
    KeyCombination c;
    std::memcpy(&c, &dme->combos[i].combination, sizeof c);
    return c;
}

KeyFunctionMask ComboFunctions(const DmeConfigData* dme, int i) {
    KeyFunctionMask m;
    std::memcpy(&m, &dme->combos[i].functions, sizeof m);
    return m;
}

}  // namespace

const GUID& HotkeyGuid(int index) {
    return hotkeyGuids.guids[index >= 0 && index < kHotkeyGuids ? index : 0];
}

HRESULT STDMETHODCALLTYPE CTextService::CreateInstance(IUnknown* outer, REFIID riid, void** out) {
    return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        InstallDefaultServiceWindowHooks();
        InstallDefaultServiceLanguageBarHooks();
        InstallDefaultCandidateListHooks();
        CTextService* service = new (std::nothrow) CTextService();
        if (!service) return E_OUTOFMEMORY;
        // The construction reference goes either way: a failed query destroys the object.
        HRESULT hr = service->QueryInterface(riid, out);
        service->Release();
        return hr;
    });
}

CTextService::CTextService() { ObjectCountIncrement(); }

CTextService::~CTextService() {
    // A host that releases without deactivating still gets everything back.
    GuardedVoid([&] {
        if (engine_ || threadMgr_) Deactivate();
    });
    ObjectCountDecrement();
}

STDMETHODIMP CTextService::QueryInterface(REFIID riid, void** out) {
    return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfTextInputProcessor) ||
            IsEqualIID(riid, IID_ITfTextInputProcessorEx))
            *out = static_cast<ITfTextInputProcessorEx*>(this);
        else if (IsEqualIID(riid, IID_ITfThreadMgrEventSink))
            *out = static_cast<ITfThreadMgrEventSink*>(this);
        else if (IsEqualIID(riid, IID_ITfTextEditSink))
            *out = static_cast<ITfTextEditSink*>(this);
        else if (IsEqualIID(riid, IID_ITfKeyEventSink))
            *out = static_cast<ITfKeyEventSink*>(this);
        else if (IsEqualIID(riid, IID_ITfCompositionSink))
            *out = static_cast<ITfCompositionSink*>(this);
        else if (IsEqualIID(riid, IID_ITfDisplayAttributeProvider))
            *out = static_cast<ITfDisplayAttributeProvider*>(this);
        else if (IsEqualIID(riid, IID_ITfActiveLanguageProfileNotifySink))
            *out = static_cast<ITfActiveLanguageProfileNotifySink*>(this);
        else if (IsEqualIID(riid, IID_ITfThreadFocusSink))
            *out = static_cast<ITfThreadFocusSink*>(this);
        else if (IsEqualIID(riid, IID_ITfCompartmentEventSink))
            *out = static_cast<ITfCompartmentEventSink*>(this);
        else if (IsEqualIID(riid, IID_ITfFunction) || IsEqualIID(riid, IID_ITfFnConfigure))
            *out = static_cast<ITfFnConfigure*>(this);
        // Reconversion is not offered: the service has nothing to reconvert with.
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    });
}

STDMETHODIMP_(ULONG) CTextService::AddRef() { return ++refs_; }

STDMETHODIMP_(ULONG) CTextService::Release() {
    const ULONG n = --refs_;
    if (n == 0) GuardedVoid([&] { delete this; });
    return n;
}

// ---- activation ----

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

    engine_ = NewEngine();
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
            FreeEngine(engine_);
            engine_ = nullptr;
        }
        testedDown_ = eatenDown_ = eatenUp_ = skipNextKey_ = false;
        keys_ = KeyPathState{};
        return S_OK;
    });
}

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

void CTextService::ShowStateTip(const wchar_t* text) {
    const TextServiceHooks& hooks = ServiceHooks();
    if (!engine_ || !hooks.showStateTip) return;
    // The caret of the focused document's window, when the view names the window.
    bool caretKnown = false;
    POINT caret = {};
    ComPtr<ITfDocumentMgr> focus;
    ComPtr<ITfContext> top;
    ComPtr<ITfContextView> view;
    HWND window = nullptr;
    if (threadMgr_ && SUCCEEDED(threadMgr_->GetFocus(focus.put())) && focus &&
        SUCCEEDED(focus->GetTop(top.put())) && top && SUCCEEDED(top->GetActiveView(view.put())) &&
        view && SUCCEEDED(view->GetWnd(&window)) && window) {
        focusWindow_ = window;
        caretKnown = GetCaretPos(&caret) && ClientToScreen(window, &caret);
    }
    RECT workArea = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    hooks.showStateTip(this, PlaceStateTip(caretKnown, caret, workArea), text);
}

void CTextService::RefreshLanguageBar() {
    const TextServiceHooks& hooks = ServiceHooks();
    if (hooks.refreshLanguageBar)
        hooks.refreshLanguageBar(this);
    else
        UpdateKeyboardState();
    if (engine_ && engine_->windows.candidateWindow) PlaceCandidateWindow();
}

void CTextService::PlaceCandidateWindow() {
    const TextServiceHooks& hooks = ServiceHooks();
    if (!engine_ || !hooks.placeCandidateWindow) return;
    CandidatePlacementInput in = {};
    in.composition = compositionRect;
    in.immersive = immersive_;
    in.windowTop = focusWindowRect.top;
    if (focusWindow_ && IsWindow(focusWindow_)) {
        in.hasFocusWindow = true;
        GetClientRect(focusWindow_, &in.client);
        if (!GetCaretPos(&in.caret)) in.caret = {};
        ClientToScreen(focusWindow_, &in.clientOrigin);
    }
    hooks.placeCandidateWindow(engine_, PlaceCandidateAnchor(in));
}

// ---- preserved keys ----

int CTextService::PreserveHotkeys() {
    if (!engine_ || !engine_->dme) return 1;
    if (!threadMgr_) return 0;
    ComPtr<ITfKeystrokeMgr> keystrokes;
    if (FAILED(threadMgr_->QueryInterface(IID_ITfKeystrokeMgr, keystrokes.put_void()))) return 0;
    UnpreserveHotkeys();
    const uint32_t options = engine_->ime ? engine_->ime->options : 0;
    if ((options & kImeNoComboHotkeys) || KeyboardIsDisabled() || !KeyboardIsOpen()) return 1;
    auto preserve = [&](const GUID& guid, UINT vk, UINT modifiers) {
        TF_PRESERVEDKEY key = {vk, modifiers};
        if (SUCCEEDED(keystrokes->PreserveKey(clientId_, guid, &key, L"---", 3)) &&
            preservedCount_ < kHotkeyGuids + 2)
            preserved_[preservedCount_++] = {guid, key};
    };
    const DmeConfigData* dme = engine_->dme;
    const int n = HotkeyCount(dme);
    for (int i = 0; i < n; ++i) {
        const KeyCombination c = ComboAt(dme, i);
        if (!IsStorableKeyCombination(c)) continue;
        preserve(HotkeyGuid(i), static_cast<UINT>(c & keycombo::kKeyMask), HotkeyModifiers(c));
    }
    preserve(kFullWidthKeyGuid, VK_SPACE, TF_MOD_SHIFT);
    preserve(kPunctuationKeyGuid, VK_OEM_PERIOD, TF_MOD_CONTROL);
    return 1;
}

void CTextService::UnpreserveHotkeys() {
    if (preservedCount_ == 0) return;
    ComPtr<ITfKeystrokeMgr> keystrokes;
    if (threadMgr_) threadMgr_->QueryInterface(IID_ITfKeystrokeMgr, keystrokes.put_void());
    for (int i = 0; i < preservedCount_; ++i)
        if (keystrokes) keystrokes->UnpreserveKey(preserved_[i].guid, &preserved_[i].key);
    preservedCount_ = 0;
}

// ---- focus ----

void CTextService::AdviseTextEditSink(ITfDocumentMgr* documentMgr) {
    UnadviseTextEditSink();
    if (!documentMgr) return;
    ComPtr<ITfContext> top;
    if (FAILED(documentMgr->GetTop(top.put())) || !top) return;
    ComPtr<ITfSource> source;
    if (FAILED(top->QueryInterface(IID_ITfSource, source.put_void()))) return;
    DWORD cookie = TF_INVALID_COOKIE;
    if (FAILED(
            source->AdviseSink(IID_ITfTextEditSink, static_cast<ITfTextEditSink*>(this), &cookie)))
        return;
    editSinkContext_ = std::move(top);
    editSinkCookie_ = cookie;
}

void CTextService::UnadviseTextEditSink() {
    if (editSinkContext_ && editSinkCookie_ != TF_INVALID_COOKIE) {
        ComPtr<ITfSource> source;
        if (SUCCEEDED(editSinkContext_->QueryInterface(IID_ITfSource, source.put_void())))
            source->UnadviseSink(editSinkCookie_);
    }
    editSinkCookie_ = TF_INVALID_COOKIE;
    editSinkContext_.reset();
}

STDMETHODIMP CTextService::OnInitDocumentMgr(ITfDocumentMgr*) { return S_OK; }
STDMETHODIMP CTextService::OnUninitDocumentMgr(ITfDocumentMgr*) { return S_OK; }
STDMETHODIMP CTextService::OnPushContext(ITfContext*) { return S_OK; }
STDMETHODIMP CTextService::OnPopContext(ITfContext*) { return S_OK; }
STDMETHODIMP CTextService::OnActivated(REFCLSID, REFGUID, BOOL) { return S_OK; }

STDMETHODIMP CTextService::OnSetFocus(ITfDocumentMgr* focus, ITfDocumentMgr*) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!engine_) return S_OK;
        Engine::RefreshTables(engine_);
        Engine::AppendOutputText(engine_, L"\n");
        PreserveHotkeys();
        if (focus)
            AdviseTextEditSink(focus);
        else
            UnadviseTextEditSink();
        const TextServiceHooks& hooks = ServiceHooks();
        if (hooks.documentFocus) hooks.documentFocus(this, focus != nullptr);
        // The windows go as on thread focus.
        if (hooks.threadFocus) hooks.threadFocus(this, focus != nullptr);
        return S_OK;
    });
}

STDMETHODIMP CTextService::OnSetThreadFocus() {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!engine_) return S_OK;
        UpdateKeyboardState();
        const TextServiceHooks& hooks = ServiceHooks();
        if (hooks.threadFocus) hooks.threadFocus(this, true);
        return S_OK;
    });
}

STDMETHODIMP CTextService::OnKillThreadFocus() {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!engine_) return S_OK;
        const TextServiceHooks& hooks = ServiceHooks();
        if (hooks.threadFocus) hooks.threadFocus(this, false);
        EndCurrentComposition(editSinkContext_.get());
        return S_OK;
    });
}

STDMETHODIMP CTextService::OnChange(REFGUID guid) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!engine_ || !IsEqualGUID(guid, GUID_COMPARTMENT_KEYBOARD_OPENCLOSE)) return S_OK;
        engine_->state &= ~kStateEnglishMode;
        RefreshLanguageBar();
        PreserveHotkeys();
        if (ImeConfigData* ime = engine_->ime) {
            for (SymbolRecord& r : ime->symbols)
                if (r.kind == kSymbolPair) r.slots[kSymbolPairToggle] = 0;
        }
        return S_OK;
    });
}

STDMETHODIMP CTextService::OnEndEdit(ITfContext* context, TfEditCookie ec, ITfEditRecord* record) {
    return Guarded<HRESULT>(S_OK, [&]() -> HRESULT {
        if (!record || !context) return S_OK;
        BOOL changed = FALSE;
        if (FAILED(record->GetSelectionStatus(&changed)) || !changed) return S_OK;
        ITfComposition* composition = compositions_.Get(context);
        if (!composition) return S_OK;
        TF_SELECTION sel = {};
        ULONG fetched = 0;
        if (FAILED(context->GetSelection(ec, TF_DEFAULT_SELECTION, 1, &sel, &fetched)) ||
            fetched == 0 || !sel.range)
            return S_OK;
        ComPtr<ITfRange> selection = ComPtr<ITfRange>::Attach(sel.range);
        ComPtr<ITfRange> range;
        if (FAILED(composition->GetRange(range.put())) || !range) return S_OK;
        LONG start = 0, end = 0;
        if (FAILED(selection->CompareStart(ec, range.get(), TF_ANCHOR_START, &start)) ||
            FAILED(selection->CompareEnd(ec, range.get(), TF_ANCHOR_END, &end)))
            return S_OK;
        if (start < 0 || end > 0) EndCurrentComposition(context);
        return S_OK;
    });
}

// ---- key sink ----

bool CTextService::ClassifyKeyFor(ITfContext* context, WPARAM wParam, LPARAM lParam) {
    if (!engine_) return false;
    if (KeyboardIsDisabled() || !context || context != editSinkContext_.get()) return false;
    if (!compositions_.Has(context)) {
        if (ITfContext* other = compositions_.ContextAt(0)) EndCurrentComposition(other);
    }
    const KeyVerdict v = ClassifyKey(
        engine_, keys_,
        {static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam), compositions_.Has(context)});
    if (v.code == KeyVerdictCode::kNotEatenEndComposition) EndCurrentComposition(context);
    return v.eaten();
}

void CTextService::CapsLockNotEaten(ITfContext* context) {
    if (engine_ && engine_->ime && (engine_->ime->features & kFeatCapsEnglishPunct)) {
        EndCurrentComposition(context);
        if (Platform().keyState(VK_CAPITAL) & 1)
            engine_->state |= kStateEnglishPunct;
        else
            engine_->state &= ~kStateEnglishPunct;
    }
    RefreshLanguageBar();
}

STDMETHODIMP CTextService::OnSetFocus(BOOL foreground) {
    return Guarded<HRESULT>(S_OK, [&]() -> HRESULT {
        const TextServiceHooks& hooks = ServiceHooks();
        if (!foreground && candidateElement && engine_ && hooks.hideCandidateWindow)
            hooks.hideCandidateWindow(engine_);
        return S_OK;
    });
}

STDMETHODIMP CTextService::OnTestKeyDown(ITfContext* context, WPARAM wParam, LPARAM lParam,
                                         BOOL* eaten) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!eaten) return E_INVALIDARG;
        *eaten = FALSE;
        wchar_t line[129];
        std::swprintf(line, 129, L"OnTestKeyDown() lParam = %x \r\n",
                      static_cast<unsigned>(lParam));
        OutputDebugStringW(line);
        if (skipNextKey_) {
            testedDown_ = eatenDown_ = skipNextKey_ = false;
            return S_OK;
        }
        eatenDown_ = ClassifyKeyFor(context, wParam, lParam);
        if (eatenDown_) {
            testedDown_ = true;
            *eaten = TRUE;
            return S_OK;
        }
        testedDown_ = false;
        if (wParam == VK_CAPITAL) CapsLockNotEaten(context);
        return S_OK;
    });
}

STDMETHODIMP CTextService::OnKeyDown(ITfContext* context, WPARAM wParam, LPARAM lParam,
                                     BOOL* eaten) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!eaten) return E_INVALIDARG;
        *eaten = FALSE;
        if (skipNextKey_) {
            skipNextKey_ = false;
            return S_OK;
        }
        bool taken = testedDown_ ? eatenDown_ : ClassifyKeyFor(context, wParam, lParam);
        lastKeyResult_ = KeyStepResult::kHandled;
        if (taken) {
            *eaten = TRUE;
            RequestKeyEditSession(context);
        }
        testedDown_ = false;
        FinishKeyDown(keys_);
        if (wParam == VK_CAPITAL) {
            if (taken && lastKeyResult_ == KeyStepResult::kHandled) {
                // Put the toggle back: the key did its function, not Caps Lock's.
                skipNextKey_ = true;
                Platform().keyEvent(VK_CAPITAL, KEYEVENTF_KEYUP);
                Platform().keyEvent(VK_CAPITAL, 0);
            } else if (!taken) {
                CapsLockNotEaten(context);
            }
        }
        return S_OK;
    });
}

STDMETHODIMP CTextService::OnTestKeyUp(ITfContext* context, WPARAM wParam, LPARAM lParam,
                                       BOOL* eaten) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!eaten) return E_INVALIDARG;
        eatenUp_ = ClassifyKeyFor(context, wParam, lParam);
        *eaten = eatenUp_ ? TRUE : FALSE;
        return S_OK;
    });
}

STDMETHODIMP CTextService::OnKeyUp(ITfContext* context, WPARAM wParam, LPARAM lParam, BOOL* eaten) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!eaten) return E_INVALIDARG;
        const bool taken = eatenUp_ || ClassifyKeyFor(context, wParam, lParam);
        eatenUp_ = false;
        *eaten = taken ? TRUE : FALSE;
        if (taken) RequestKeyEditSession(context);
        return S_OK;
    });
}

STDMETHODIMP CTextService::OnPreservedKey(ITfContext* context, REFGUID guid, BOOL* eaten) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!eaten) return E_INVALIDARG;
        *eaten = FALSE;
        if (!engine_) return S_OK;
        if (IsEqualGUID(guid, kFullWidthKeyGuid)) {
            UICommandHandler(this, (engine_->state & kStateFullWidthOutput) ? 0x2002 : 0x2001, 0,
                             0);
        } else if (IsEqualGUID(guid, kPunctuationKeyGuid)) {
            UICommandHandler(this, (engine_->state & kStateEnglishPunct) ? 0x2004 : 0x2003, 0, 0);
        } else if (const DmeConfigData* dme = engine_->dme) {
            const int n = HotkeyCount(dme);
            for (int i = 0; i < n; ++i) {
                if (!IsEqualGUID(guid, HotkeyGuid(i))) continue;
                engine_->input.keyChar = L"";
                engine_->input.keyAction = ComboFunctions(dme, i);
                engine_->input.keyVk = 0;
                RequestKeyEditSession(context);
                *eaten = TRUE;
                break;
            }
        }
        keys_.lastScanCode = kNoScanCode;
        return S_OK;
    });
}

// ---- sessions ----

HRESULT CTextService::RequestKeyEditSession(ITfContext* context) {
    if (!engine_) return E_FAIL;
    const TextServiceHooks& hooks = ServiceHooks();
    if (hooks.hideTip) hooks.hideTip(engine_);
    if (!engine_->input.keyChar) return E_FAIL;
    ITfContext* target = context ? context : editSinkContext_.get();
    if (!target) return E_FAIL;
    return RequestSession(target, clientId_,
                          new (std::nothrow) CKeyHandlerEditSession(target, this), SessionFlags());
}

void CTextService::EndCurrentComposition(ITfContext* context) {
    if (!context || !engine_) return;
    engine_->ClearInput();
    engine_->input.keyChar = nullptr;
    RequestSession(context, clientId_, new (std::nothrow) CEndCompositionEditSession(context, this),
                   SessionFlags());
}

bool CTextService::DocumentShowsCode() const {
    const uint32_t options = engine_ && engine_->ime ? engine_->ime->options : 0;
    return (options & (kImeStyleTsfEmbedCode | kImeStyleTsfEmbedFirst)) || activationFlags_;
}

HRESULT CTextService::HandleKeyInSession(TfEditCookie ec, ITfContext* context) {
    if (!engine_) return E_FAIL;
    currentEc_ = ec;
    DocumentActions actions;
    KeyStep step({engine_, &keys_, &actions, compositions_.Has(context), DocumentShowsCode(), this,
                  &ServiceDispatchKeyFunction});
    const KeyStepResult result = step.Run();
    ApplyDocumentActions(ec, context, actions);
    AfterCommands(step.commandBits());
    currentEc_ = 0;
    lastKeyResult_ = result;
    return result == KeyStepResult::kNotHandled ? S_FALSE : S_OK;
}

HRESULT CTextService::RunInSession(std::function<void(KeyStep&)> work) {
    ITfContext* context = editSinkContext_.get();
    if (!engine_ || !context) return E_FAIL;
    return RequestSession(context, clientId_,
                          new (std::nothrow) CStepEditSession(context, this, std::move(work)),
                          SessionFlags());
}

void CTextService::RunStepsInSession(TfEditCookie ec, ITfContext* context,
                                     const std::function<void(KeyStep&)>& work) {
    if (!engine_) return;
    currentEc_ = ec;
    DocumentActions actions;
    KeyStep step({engine_, &keys_, &actions, compositions_.Has(context), DocumentShowsCode(), this,
                  &ServiceDispatchKeyFunction});
    work(step);
    ApplyDocumentActions(ec, context, actions);
    AfterCommands(step.commandBits());
    currentEc_ = 0;
}

// After a picked command: the conversion compartment follows the engine's modes.
void CTextService::AfterCommands(uint32_t ran) {
    if (ran & kRunBitConvert) {
        uint32_t mode =
            GetConversionState() & ~(TF_CONVERSIONMODE_NOCONVERSION | TF_CONVERSIONMODE_SYMBOL |
                                     TF_CONVERSIONMODE_FULLSHAPE);
        if (engine_->state & (kStateEnglishMode | kStateTempEnglish))
            mode |= TF_CONVERSIONMODE_NOCONVERSION;
        if (!(engine_->state & kStateEnglishPunct)) mode |= TF_CONVERSIONMODE_SYMBOL;
        if (engine_->state & kStateFullWidthOutput) mode |= TF_CONVERSIONMODE_FULLSHAPE;
        SetConversionState(mode);
    }
    if (ran & (kRunBitConvert | kRunBitSet)) RefreshLanguageBar();
}

void CTextService::ApplyDocumentActions(TfEditCookie ec, ITfContext* context,
                                        const DocumentActions& actions) {
    const TextServiceHooks& hooks = ServiceHooks();
    for (int i = 0; i < actions.count; ++i) {
        const DocumentAction& a = actions.items[i];
        switch (a.kind) {
            case DocumentActionKind::kUpdateComposition: {
                if (!compositions_.Has(context)) compositions_.Start(ec, context, this);
                ITfComposition* composition = compositions_.Get(context);
                if (!composition) {
                    // A document that refuses the composition shows nothing: the code must
                    // not grow on unseen under the following keys.
                    if (engine_) {
                        engine_->ClearInput();
                        engine_->input.keyChar = nullptr;
                        if (hooks.hideCandidateWindow) hooks.hideCandidateWindow(engine_);
                    }
                    break;
                }
                SetCompositionText(ec, context, composition, a.text, static_cast<LONG>(a.length),
                                   static_cast<LONG>(a.caret));
                if (a.mark == CompositionMark::kNone) {
                    ClearCompositionAttribute(ec, context, composition);
                } else {
                    const AttributeKind kind = a.mark == CompositionMark::kConverted
                                                   ? AttributeKind::kConverted
                                                   : AttributeKind::kInput;
                    SetCompositionAttribute(ec, context, composition, attributeAtom(kind));
                }
                break;
            }
            case DocumentActionKind::kClearComposition:
                if (ITfComposition* composition = compositions_.Get(context))
                    SetCompositionText(ec, context, composition, L"", 0, 0);
                break;
            case DocumentActionKind::kCommitText:
                WriteAtSelection(ec, context, compositions_.Get(context), a.text,
                                 static_cast<LONG>(a.length));
                break;
            case DocumentActionKind::kEndComposition:
                FinishComposition(ec, context);
                break;
            case DocumentActionKind::kUpdateCandidates:
                if (compositions_.Has(context) && hooks.updateCandidateList)
                    hooks.updateCandidateList(this, ec, context);
                break;
            case DocumentActionKind::kHideCandidates:
                if (engine_ && hooks.hideCandidateWindow) hooks.hideCandidateWindow(engine_);
                break;
        }
    }
}

void CTextService::FinishComposition(TfEditCookie ec, ITfContext* context) {
    compositions_.End(ec, compositions_.Find(context));
    const TextServiceHooks& hooks = ServiceHooks();
    if (hooks.endCandidateList) hooks.endCandidateList(this);
    if (engine_) engine_->candidateCount = 0;
}

STDMETHODIMP CTextService::OnCompositionTerminated(TfEditCookie ec, ITfComposition* composition) {
    return Guarded<HRESULT>(S_OK, [&]() -> HRESULT {
        const int slot = compositions_.FindComposition(composition);
        if (engine_ && (engine_->state & kStateAssociation) && slot >= 0) {
            EndCurrentComposition(compositions_.ContextAt(slot));
        } else {
            if (engine_) {
                engine_->ClearInput();
                engine_->input.keyChar = nullptr;
            }
            if (slot >= 0) {
                ITfContext* context = compositions_.ContextAt(slot);
                SetCompositionText(ec, context, composition, L"", 0, 0);
                compositions_.End(ec, slot);
            }
        }
        const TextServiceHooks& hooks = ServiceHooks();
        if (hooks.endCandidateList) hooks.endCandidateList(this);
        if (engine_) engine_->candidateCount = 0;
        return S_OK;
    });
}

void CTextService::MeasureComposition(TfEditCookie ec, ITfContextView* view, ITfRange* range) {
    if (!view || !range || !engine_) return;
    RECT text = {};
    BOOL clipped = FALSE;
    if (FAILED(view->GetTextExt(ec, range, &text, &clipped))) return;
    RECT window = {};
    if (focusWindow_) {
        POINT a = {text.left, text.top}, b = {text.right, text.bottom};
        ScreenToClient(focusWindow_, &a);
        ScreenToClient(focusWindow_, &b);
        text = {a.x, a.y, b.x, b.y};
        GetWindowRect(focusWindow_, &window);
    }
    auto within = [](LONG a, LONG b, LONG tolerance) {
        return a - b <= tolerance && b - a <= tolerance;
    };
    const bool textMoved =
        !(within(text.left, compositionRect.left, 5) && within(text.top, compositionRect.top, 5) &&
          within(text.bottom, compositionRect.bottom, 10));
    if (window.left == focusWindowRect.left && window.top == focusWindowRect.top) {
        if (!textMoved) return;
        compositionRect = text;
    } else {
        focusWindowRect = window;
        if (textMoved) compositionRect = text;
    }
    PlaceCandidateWindow();
}

// ---- UI commands, display attributes, configuration ----

int CTextService::UICommandHandler(void* owner, uint32_t code, uintptr_t first, uintptr_t second) {
    return Guarded<int>(0, [&]() -> int {
        return ServiceUICommand(static_cast<CTextService*>(owner), code, first, second);
    });
}

STDMETHODIMP CTextService::EnumDisplayAttributeInfo(IEnumTfDisplayAttributeInfo** out) {
    return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
        if (!out) return E_INVALIDARG;
        *out = CreateDisplayAttributeEnumerator();
        return *out ? S_OK : E_OUTOFMEMORY;
    });
}

STDMETHODIMP CTextService::GetDisplayAttributeInfo(REFGUID guid, ITfDisplayAttributeInfo** out) {
    return Guarded<HRESULT>(E_UNEXPECTED,
                            [&]() -> HRESULT { return GetDisplayAttributeInfoFor(guid, out); });
}

STDMETHODIMP CTextService::GetDisplayName(BSTR* out) {
    return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        Engine* e = engine_ ? engine_ : NewEngine();
        const wchar_t* name = e && e->soft ? e->soft->productName : L"";
        wchar_t text[kSoftShortUnits + 1] = {};
        for (int i = 0; i < kSoftShortUnits && name[i]; ++i) text[i] = name[i];
        if (e != engine_) FreeEngine(e);
        *out = SysAllocString(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    });
}

STDMETHODIMP CTextService::Show(HWND, LANGID, REFGUID) {
    return Guarded<HRESULT>(S_OK, [&]() -> HRESULT {
        if (engine_) return S_OK;
        // A service that is not active borrows an engine for the launch only.
        Engine* e = NewEngine();
        if (!e) return S_OK;
        LaunchConfig(e, L"");
        FreeEngine(e);
        return S_OK;
    });
}
