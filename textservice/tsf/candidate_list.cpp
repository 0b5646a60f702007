#include "textservice/tsf/candidate_list.h"

#include <imm.h>
#include <oleauto.h>

#include <mutex>
#include <new>

#include "core/base/boundary_guard.h"
#include "core/settings/config_blocks.h"
#include "textservice/object_count.h"
#include "textservice/tsf/edit_sessions.h"
#include "textservice/tsf/text_service.h"
#include "ui/candidate/candidate_window.h"

namespace {

constexpr DWORD kAllUpdatedFlags = TF_CLUIE_DOCUMENTMGR | TF_CLUIE_COUNT | TF_CLUIE_SELECTION |
                                   TF_CLUIE_STRING | TF_CLUIE_PAGEINDEX | TF_CLUIE_CURRENTPAGE;
constexpr int64_t kMaxRowIndex = 10;

void NotifyImeWindow(HWND window, WPARAM code, LPARAM value) {
    HIMC context = ImmGetContext(window);
    if (!context) return;
    ImmReleaseContext(window, context);
    SendMessageW(window, WM_IME_NOTIFY, code, value);
}

void (*g_notify)(HWND, WPARAM, LPARAM) = NotifyImeWindow;

HRESULT NewBstr(const wchar_t* text, UINT length, BSTR* out) {
    *out = SysAllocStringLen(text, length);
    return *out ? S_OK : E_OUTOFMEMORY;
}

CCandidateList* ListOf(IUnknown* home) {
    return home ? static_cast<CCandidateList*>(static_cast<ITfTextLayoutSink*>(home)) : nullptr;
}

}  // namespace

void SetCandidateNotifySeam(void (*notify)(HWND, WPARAM, LPARAM)) {
    g_notify = notify ? notify : NotifyImeWindow;
}

CCandidateList::CCandidateList(CTextService* service) : service_(service) {
    ObjectCountIncrement();
}

CCandidateList::~CCandidateList() { ObjectCountDecrement(); }

Engine* CCandidateList::engine() const { return service_ ? service_->engine() : nullptr; }

ComPtr<ITfUIElementMgr> CCandidateList::ElementMgr() const {
    ComPtr<ITfUIElementMgr> mgr;
    if (service_ && service_->threadMgr())
        service_->threadMgr()->QueryInterface(IID_ITfUIElementMgr, mgr.put_void());
    return mgr;
}

void CCandidateList::NotifyCandidates(WPARAM code) const {
    if (service_ && service_->focusWindow()) g_notify(service_->focusWindow(), code, 1);
}

HRESULT CCandidateList::StartCandidateList(TfClientId clientId, ITfContextView* view,
                                           ITfContext* context, TfEditCookie ec, ITfRange* range) {
    EndShown();
    if (!service_) return E_FAIL;
    clientId_ = clientId;
    ownWindow_ = TRUE;
    if (ComPtr<ITfUIElementMgr> mgr = ElementMgr(); mgr && elementId_ == kNoElementId) {
        BOOL show = TRUE;
        DWORD id = kNoElementId;
        // A failed offer leaves show TRUE: the host draws nothing, the own window does.
        if (FAILED(mgr->BeginUIElement(this, &show, &id))) {
            show = TRUE;
            id = kNoElementId;
        }
        if (show) {
            if (id != kNoElementId) mgr->EndUIElement(id);
            elementId_ = kNoElementId;
        } else {
            elementId_ = id;
            ownWindow_ = FALSE;
            mgr->UpdateUIElement(id);
        }
    }
    if (ownWindow_) {
        context_ = ComPtr<ITfContext>::Copy(context);
        range_ = ComPtr<ITfRange>::Copy(range);
        ComPtr<ITfSource> source;
        if (!context || FAILED(context->QueryInterface(IID_ITfSource, source.put_void())) ||
            !source ||
            FAILED(source->AdviseSink(IID_ITfTextLayoutSink, static_cast<ITfTextLayoutSink*>(this),
                                      &layoutCookie_))) {
            layoutCookie_ = kNoLayoutCookie;
            EndShown();
            return E_FAIL;
        }
        layoutContext_ = context_;
        service_->SetFocusWindow(nullptr);
        service_->compositionRect = {};
        service_->focusWindowRect = {};
        HWND window = nullptr;
        if (view) view->GetWnd(&window);
        if (!window && service_->immersive()) window = GetFocus();
        service_->SetFocusWindow(window);
        if (window) GetWindowRect(window, &service_->focusWindowRect);
        RECT text = {};
        BOOL clipped = FALSE;
        if (view && range && SUCCEEDED(view->GetTextExt(ec, range, &text, &clipped))) {
            if (window) {
                POINT a{text.left, text.top}, b{text.right, text.bottom};
                ScreenToClient(window, &a);
                ScreenToClient(window, &b);
                text = {a.x, a.y, b.x, b.y};
            }
            service_->compositionRect = text;
        }
    } else {
        context_ = ComPtr<ITfContext>::Copy(context);
    }
    NotifyCandidates(IMN_OPENCANDIDATE);
    NotifyCandidates(IMN_CHANGECANDIDATE);
    notifiedOpen_ = service_->focusWindow() != nullptr;
    return S_OK;
}

void CCandidateList::EndCandidateList() {
    EndShown();
    service_ = nullptr;  // the framework may keep the element longer than the service lives
}

void CCandidateList::EndShown() {
    if (ownWindow_) {
        if (Engine* e = engine()) {
            if (e->windows.dictWindow) DestroyWindow(e->windows.dictWindow);
            DestroyCandidateWindow(e);
        }
    } else if (elementId_ != kNoElementId) {
        if (ComPtr<ITfUIElementMgr> mgr = ElementMgr()) mgr->EndUIElement(elementId_);
    }
    elementId_ = kNoElementId;
    // Every window told of the candidates hears that they close, whichever path showed them.
    if (notifiedOpen_) NotifyCandidates(IMN_CLOSECANDIDATE);
    notifiedOpen_ = false;
    range_.reset();
    if (layoutContext_ && layoutCookie_ != kNoLayoutCookie) {
        ComPtr<ITfSource> source;
        if (SUCCEEDED(layoutContext_->QueryInterface(IID_ITfSource, source.put_void())) && source)
            source->UnadviseSink(layoutCookie_);
    }
    layoutCookie_ = kNoLayoutCookie;
    layoutContext_.reset();
    context_.reset();
}

bool CCandidateList::UpdateForHost() {
    if (ownWindow_ || elementId_ == kNoElementId) return false;
    if (ComPtr<ITfUIElementMgr> mgr = ElementMgr()) mgr->UpdateUIElement(elementId_);
    return true;
}

STDMETHODIMP CCandidateList::QueryInterface(REFIID riid, void** out) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfTextLayoutSink))
            *out = static_cast<ITfTextLayoutSink*>(this);
        else if (IsEqualIID(riid, IID_ITfUIElement) ||
                 IsEqualIID(riid, IID_ITfCandidateListUIElement) ||
                 IsEqualIID(riid, IID_ITfCandidateListUIElementBehavior))
            *out = static_cast<ITfCandidateListUIElementBehavior*>(this);
        else if (IsEqualIID(riid, IID_ITfIntegratableCandidateListUIElement))
            *out = static_cast<ITfIntegratableCandidateListUIElement*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    });
}

STDMETHODIMP_(ULONG) CCandidateList::AddRef() { return ++refs_; }

STDMETHODIMP_(ULONG) CCandidateList::Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP CCandidateList::OnLayoutChange(ITfContext* context, TfLayoutCode code,
                                            ITfContextView* view) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!context || context != context_.get()) return S_OK;
        if (code == TF_LC_CHANGE) {
            if (service_ && range_ && service_->HasComposition(context)) {
                CEditSessionBase* session = new (std::nothrow)
                    CGetTextExtentEditSession(context, service_, view, range_.get());
                if (session) RequestSession(context, clientId_, session, TF_ES_READ);
            }
        } else if (code == TF_LC_DESTROY) {
            // The view is gone: the service lets go of this element too, so that the next
            // candidates get a new one and its window is ended with it.
            AddRef();
            if (service_ && service_->candidateElement == static_cast<ITfTextLayoutSink*>(this))
                EndServiceCandidateList(service_);
            else
                EndCandidateList();
            Release();
        }
        return S_OK;
    });
}

STDMETHODIMP CCandidateList::GetDescription(BSTR* out) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        Engine* e = engine();
        if (!e) return E_FAIL;
        const wchar_t* name = e->soft ? e->soft->productName : L"";
        UINT n = 0;
        while (n < kSoftShortUnits && name[n]) ++n;
        return NewBstr(name, n, out);
    });
}

STDMETHODIMP CCandidateList::GetGUID(GUID* out) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!out) return E_INVALIDARG;
        Engine* e = engine();
        if (!e) return E_FAIL;
        *out = e->guid;
        return S_OK;
    });
}

STDMETHODIMP CCandidateList::Show(BOOL) { return S_OK; }

STDMETHODIMP CCandidateList::IsShown(BOOL* out) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!out) return E_INVALIDARG;
        Engine* e = engine();
        HWND own = e ? e->windows.candidateWindow : nullptr;
        *out = ownWindow_ && own && IsWindowVisible(own) ? TRUE : FALSE;
        return S_OK;
    });
}

STDMETHODIMP CCandidateList::GetUpdatedFlags(DWORD* out) {
    if (!out) return E_INVALIDARG;
    *out = kAllUpdatedFlags;
    return S_OK;
}

STDMETHODIMP CCandidateList::GetDocumentMgr(ITfDocumentMgr** out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    return S_OK;
}

STDMETHODIMP CCandidateList::GetCount(UINT* out) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!out) return E_INVALIDARG;
        Engine* e = engine();
        if (!e) return E_FAIL;
        *out = static_cast<UINT>(e->candidateCount > 0 ? e->candidateCount : 0);
        return S_OK;
    });
}

STDMETHODIMP CCandidateList::GetSelection(UINT* out) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!out) return E_INVALIDARG;
        Engine* e = engine();
        if (!e) return E_FAIL;
        const int64_t index = e->page.pageStart + e->page.highlight;
        *out = static_cast<UINT>(index > 0 ? index : 0);
        return S_OK;
    });
}

STDMETHODIMP CCandidateList::GetString(UINT index, BSTR* out) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        Engine* e = engine();
        if (!e) return E_FAIL;
        const CandidatePage& p = e->page;
        const int64_t row = static_cast<int64_t>(index) - p.pageStart;
        if (row < 0 || row >= p.rowCount || row > kMaxRowIndex || row >= kPageRows)
            return NewBstr(L"", 0, out);
        const PageRow& text = p.rowText[row];
        const UINT length = text.length < kRowTextUnits ? text.length : kRowTextUnits - 1;
        return NewBstr(text.text, length, out);
    });
}

STDMETHODIMP CCandidateList::GetPageIndex(UINT* index, UINT size, UINT* pageCount) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!pageCount) return E_INVALIDARG;
        Engine* e = engine();
        if (!e) return E_FAIL;
        const int64_t pageSize = e->page.pageSize;
        const int64_t count = e->candidateCount;
        if (count <= 0 || pageSize <= 0) {
            *pageCount = 0;
            if (index)
                for (UINT i = 0; i < size; ++i) index[i] = 0;
            return S_OK;
        }
        *pageCount = static_cast<UINT>((count - 1) / pageSize + 1);
        if (index)
            for (UINT i = 0; i < size; ++i) index[i] = static_cast<UINT>(i * pageSize);
        return S_OK;
    });
}

STDMETHODIMP CCandidateList::SetPageIndex(UINT*, UINT) { return E_NOTIMPL; }

STDMETHODIMP CCandidateList::GetCurrentPage(UINT* out) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!out) return E_INVALIDARG;
        Engine* e = engine();
        if (!e) return E_FAIL;
        const int64_t pageSize = e->page.pageSize;
        *out = pageSize > 0 ? static_cast<UINT>(e->page.pageStart / pageSize) : 0;
        return S_OK;
    });
}

STDMETHODIMP CCandidateList::SetSelection(UINT) { return S_OK; }
STDMETHODIMP CCandidateList::Finalize() { return S_OK; }
STDMETHODIMP CCandidateList::Abort() { return S_OK; }

STDMETHODIMP CCandidateList::SetIntegrationStyle(GUID style) {
    return IsEqualGUID(style, GUID_INTEGRATIONSTYLE_SEARCHBOX) ? S_OK : E_NOTIMPL;
}

STDMETHODIMP CCandidateList::GetSelectionStyle(TfIntegratableCandidateListSelectionStyle* out) {
    if (!out) return E_INVALIDARG;
    *out = STYLE_ACTIVE_SELECTION;
    return S_OK;
}

STDMETHODIMP CCandidateList::OnKeyDown(WPARAM, LPARAM, BOOL* eaten) {
    if (!eaten) return E_INVALIDARG;
    *eaten = TRUE;
    return S_OK;
}

STDMETHODIMP CCandidateList::ShowCandidateNumbers(BOOL* show) {
    if (!show) return E_INVALIDARG;
    *show = TRUE;
    return S_OK;
}

STDMETHODIMP CCandidateList::FinalizeExactCompositionString() { return E_NOTIMPL; }

CCandidateList* UpdateServiceCandidateList(CTextService* service, TfEditCookie ec,
                                           ITfContext* context) {
    CCandidateList* list = ListOf(service->candidateElement);
    if (list) {
        if (context) list->SetContext(context);
        return list;
    }
    if (!context || !service->HasComposition(context)) return nullptr;
    ComPtr<ITfContextView> view;
    if (FAILED(context->GetActiveView(view.put())) || !view) return nullptr;
    ComPtr<ITfRange> range;
    if (ITfComposition* composition = service->compositions().Get(context))
        composition->GetRange(range.put());
    list = new (std::nothrow) CCandidateList(service);
    if (!list) return nullptr;
    if (FAILED(
            list->StartCandidateList(service->clientId(), view.get(), context, ec, range.get()))) {
        list->Release();
        return nullptr;
    }
    service->candidateElement = static_cast<ITfTextLayoutSink*>(list);
    return list;
}

void EndServiceCandidateList(CTextService* service) {
    CCandidateList* list = ListOf(service->candidateElement);
    if (!list) return;
    service->candidateElement = nullptr;
    list->EndCandidateList();
    list->Release();
}

namespace {

void (*g_ownWindow)(CTextService*, TfEditCookie, ITfContext*) = nullptr;

void UpdateHook(CTextService* service, TfEditCookie ec, ITfContext* context) {
    GuardedVoid([&] {
        CCandidateList* list = UpdateServiceCandidateList(service, ec, context);
        if (list && list->UpdateForHost()) return;
        if (g_ownWindow) g_ownWindow(service, ec, context);
    });
}

void EndHook(CTextService* service) {
    GuardedVoid([&] { EndServiceCandidateList(service); });
}

}  // namespace

void InstallCandidateListHooks(TextServiceHooks& table) {
    if (table.updateCandidateList != UpdateHook) g_ownWindow = table.updateCandidateList;
    table.updateCandidateList = UpdateHook;
    table.endCandidateList = EndHook;
}

void InstallDefaultCandidateListHooks() {
    static std::once_flag once;
    std::call_once(once, [] { InstallCandidateListHooks(DefaultServiceHooks()); });
}
