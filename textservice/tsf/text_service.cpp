// The text service as a COM object: creation, its interfaces, UI commands, display
// attributes and the configure function.
#include "textservice/tsf/text_service.h"

#include <new>

#include "core/base/boundary_guard.h"
#include "engine/commands/command_run.h"
#include "textservice/langbar/service_lang_bar.h"
#include "textservice/object_count.h"
#include "textservice/tsf/candidate_list.h"
#include "textservice/tsf/service_action_host.h"
#include "textservice/tsf/service_engine.h"
#include "textservice/tsf/service_hooks.h"
#include "textservice/tsf/service_windows.h"

namespace {

int LaunchConfig(Engine* e, const wchar_t* request, HWND owner) {
    const TextServiceSeams& s = ServiceSeams();
    return s.launchConfig ? s.launchConfig(e, request, owner)
                          : LaunchConfigProgram(e, request, owner);
}

}  // namespace

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
        Engine* e = engine_ ? engine_ : NewServiceEngine();
        const wchar_t* name = e && e->soft ? e->soft->productName : L"";
        wchar_t text[kSoftShortUnits + 1] = {};
        for (int i = 0; i < kSoftShortUnits && name[i]; ++i) text[i] = name[i];
        if (e != engine_) FreeServiceEngine(e);
        *out = SysAllocString(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    });
}

STDMETHODIMP CTextService::Show(HWND parent, LANGID, REFGUID) {
    return Guarded<HRESULT>(S_OK, [&]() -> HRESULT {
        if (engine_) return S_OK;
        // A service that is not active borrows an engine for the launch only.
        Engine* e = NewServiceEngine();
        if (!e) return S_OK;
        LaunchConfig(e, L"", parent);
        FreeServiceEngine(e);
        return S_OK;
    });
}
