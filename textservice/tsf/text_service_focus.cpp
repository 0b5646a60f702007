// Document and thread focus, the open/close compartment and the text edit sink: where the
// focus or the selection moves, an open code ends.
#include "core/base/boundary_guard.h"
#include "engine/symbol_display.h"
#include "textservice/tsf/service_hooks.h"
#include "textservice/tsf/text_service.h"

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

STDMETHODIMP CTextService::OnSetFocus(ITfDocumentMgr* focus, ITfDocumentMgr* previous) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!engine_) return S_OK;
        // The document losing the focus keeps none of an open code.
        ITfContext* old = editSinkContext_.get();
        if (focus != previous && old && compositions_.Has(old)) EndCurrentComposition(old);
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
        // Paired quotes and book-title nesting start again.
        ResetSymbolRecords(engine_);
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
