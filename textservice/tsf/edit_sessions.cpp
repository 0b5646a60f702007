#include "textservice/tsf/edit_sessions.h"

#include "core/base/boundary_guard.h"
#include "textservice/tsf/text_service.h"

CEditSessionBase::CEditSessionBase(ITfContext* context, CTextService* service)
    : context_(ComPtr<ITfContext>::Copy(context)), service_(service) {
    if (service_) service_->AddRef();
}

CEditSessionBase::~CEditSessionBase() {
    if (service_) service_->Release();
}

STDMETHODIMP CEditSessionBase::QueryInterface(REFIID riid, void** out) {
    return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfEditSession)) {
            *out = static_cast<ITfEditSession*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    });
}

STDMETHODIMP_(ULONG) CEditSessionBase::AddRef() { return ++refs_; }

STDMETHODIMP_(ULONG) CEditSessionBase::Release() {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
}

STDMETHODIMP CEditSessionBase::DoEditSession(TfEditCookie ec) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!service_ || !context_) return E_FAIL;
        return Run(ec);
    });
}

HRESULT CKeyHandlerEditSession::Run(TfEditCookie ec) {
    return service()->HandleKeyInSession(ec, context(), key_);
}

HRESULT CEndCompositionEditSession::Run(TfEditCookie ec) {
    service()->DropComposition(ec, context());
    return S_OK;
}

CStepEditSession::CStepEditSession(ITfContext* context, CTextService* service,
                                   std::function<void(KeyStep&)> work)
    : CEditSessionBase(context, service), work_(std::move(work)) {}

HRESULT CStepEditSession::Run(TfEditCookie ec) {
    service()->RunStepsInSession(ec, context(), work_);
    return S_OK;
}

CGetTextExtentEditSession::CGetTextExtentEditSession(ITfContext* context, CTextService* service,
                                                     ITfContextView* view, ITfRange* range)
    : CEditSessionBase(context, service),
      view_(ComPtr<ITfContextView>::Copy(view)),
      range_(ComPtr<ITfRange>::Copy(range)) {}

HRESULT CGetTextExtentEditSession::Run(TfEditCookie ec) {
    service()->MeasureComposition(ec, view_.get(), range_.get());
    return S_OK;
}

HRESULT RequestSession(ITfContext* context, TfClientId client, CEditSessionBase* session,
                       DWORD flags) {
    if (!session) return E_OUTOFMEMORY;
    if (!context) {
        session->Release();
        return E_INVALIDARG;
    }
    HRESULT sessionResult = E_FAIL;
    const HRESULT hr = context->RequestEditSession(client, session, flags, &sessionResult);
    session->Release();
    if (FAILED(hr)) return hr;
    return sessionResult;
}
