// The candidate-list UI element: the page of candidates offered to hosts that draw candidate
// lists themselves; when the host declines, the service's own candidate window shows them.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/record/engine.h"
#include "textservice/com_ptr.h"
#include "textservice/tsf/service_hooks.h"
#include "textservice/tsf/tsf_compat.h"

class CTextService;

constexpr DWORD kNoElementId = 0xFFFFFFFF;
constexpr DWORD kNoLayoutCookie = 0xFFFFFFFF;

class CCandidateList final : public ITfTextLayoutSink,
                             public ITfCandidateListUIElementBehavior,
                             public ITfIntegratableCandidateListUIElement {
public:
    // The service is kept without a reference; EndCandidateList lets go of it.
    explicit CCandidateList(CTextService* service);
    ~CCandidateList();
    CCandidateList(const CCandidateList&) = delete;
    CCandidateList& operator=(const CCandidateList&) = delete;

    // Offers the element to the framework; when the host asks the service to show its own
    // window (or the offer fails), advises the layout sink on context and measures range.
    HRESULT StartCandidateList(TfClientId clientId, ITfContextView* view, ITfContext* context,
                               TfEditCookie ec, ITfRange* range);
    // Ends the element or the own window; the service is forgotten: getters then fail.
    void EndCandidateList();
    // The candidates changed: the host redraws (UpdateUIElement). False with the own window.
    bool UpdateForHost();
    bool ownWindow() const { return ownWindow_ != FALSE; }
    DWORD elementId() const { return elementId_; }
    ITfContext* context() const { return context_.get(); }
    void SetContext(ITfContext* context) { context_ = ComPtr<ITfContext>::Copy(context); }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // ITfTextLayoutSink
    STDMETHODIMP OnLayoutChange(ITfContext* context, TfLayoutCode code,
                                ITfContextView* view) override;
    // ITfUIElement
    STDMETHODIMP GetDescription(BSTR* out) override;
    STDMETHODIMP GetGUID(GUID* out) override;
    STDMETHODIMP Show(BOOL show) override;
    STDMETHODIMP IsShown(BOOL* out) override;
    // ITfCandidateListUIElement
    STDMETHODIMP GetUpdatedFlags(DWORD* out) override;
    STDMETHODIMP GetDocumentMgr(ITfDocumentMgr** out) override;
    STDMETHODIMP GetCount(UINT* out) override;
    STDMETHODIMP GetSelection(UINT* out) override;
    STDMETHODIMP GetString(UINT index, BSTR* out) override;
    STDMETHODIMP GetPageIndex(UINT* index, UINT size, UINT* pageCount) override;
    STDMETHODIMP SetPageIndex(UINT* index, UINT pageCount) override;
    STDMETHODIMP GetCurrentPage(UINT* out) override;
    // ITfCandidateListUIElementBehavior
    STDMETHODIMP SetSelection(UINT index) override;
    STDMETHODIMP Finalize() override;
    STDMETHODIMP Abort() override;
    // ITfIntegratableCandidateListUIElement
    STDMETHODIMP SetIntegrationStyle(GUID style) override;
    STDMETHODIMP GetSelectionStyle(TfIntegratableCandidateListSelectionStyle* out) override;
    STDMETHODIMP OnKeyDown(WPARAM wParam, LPARAM lParam, BOOL* eaten) override;
    STDMETHODIMP ShowCandidateNumbers(BOOL* show) override;
    STDMETHODIMP FinalizeExactCompositionString() override;

private:
    // Ends what is shown (element or own window) and the layout sink; the service stays.
    void EndShown();
    Engine* engine() const;
    ComPtr<ITfUIElementMgr> ElementMgr() const;
    void NotifyCandidates(WPARAM code) const;

    ULONG refs_ = 1;
    DWORD elementId_ = kNoElementId;
    BOOL ownWindow_ = TRUE;
    CTextService* service_;
    TfClientId clientId_ = 0;
    ComPtr<ITfRange> range_;
    ComPtr<ITfContext> context_;
    ComPtr<ITfContext> layoutContext_;  // the context the layout sink is advised on
    DWORD layoutCookie_ = kNoLayoutCookie;
    bool notifiedOpen_ = false;
};

// The text service's element slots, for the service's hooks: create or refresh the element
// after a candidate change (ownWindow then tells whether the own window shows them), and end it.
// Null when no element could be made.
CCandidateList* UpdateServiceCandidateList(CTextService* service, TfEditCookie ec,
                                           ITfContext* context);
void EndServiceCandidateList(CTextService* service);

// How the element tells IMM32-aware windows about candidates; tests replace it (null restores
// the default: WM_IME_NOTIFY to a window that has an input context).
void SetCandidateNotifySeam(void (*notify)(HWND window, WPARAM code, LPARAM value));

// Puts the element in front of the candidate slots of table: the element is offered first,
// the slot's former own-window routine runs when the host declines.
void InstallCandidateListHooks(TextServiceHooks& table);
// Once per process: the same for the library's own table (after its window slots).
void InstallDefaultCandidateListHooks();
