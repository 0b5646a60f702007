#include "textservice/tsf/service_windows.h"

#include <mutex>

#include "core/base/boundary_guard.h"
#include "textservice/tsf/service_placement.h"
#include "textservice/tsf/text_service.h"
#include "ui/candidate/candidate_window.h"
#include "ui/skin/active_skin.h"
#include "ui/softkbd/soft_keyboard_window.h"
#include "ui/tips/tip_window.h"
#include "ui/windows/engine_ui_hooks.h"
#include "ui/windows/engine_windows.h"

namespace {

// The composition's rectangle in client coordinates of the focus window, which the context's
// view names; the window's rectangle is kept. Without an extent the caret box of the focus
// window stands for it.
bool MeasureComposition(CTextService* service, TfEditCookie ec, ITfContext* context) {
    ITfComposition* composition = service->compositions().Get(context);
    ComPtr<ITfContextView> view;
    RECT text = {};
    bool measured = false;
    if (SUCCEEDED(context->GetActiveView(view.put())) && view) {
        HWND window = nullptr;
        if (SUCCEEDED(view->GetWnd(&window)) && window) service->SetFocusWindow(window);
        ComPtr<ITfRange> range;
        BOOL clipped = FALSE;
        measured = composition && SUCCEEDED(composition->GetRange(range.put())) && range &&
                   SUCCEEDED(view->GetTextExt(ec, range.get(), &text, &clipped)) &&
                   (text.right > text.left || text.bottom > text.top);
    }
    HWND window = service->focusWindow();
    if (window && !IsWindow(window)) window = nullptr;
    if (window) GetWindowRect(window, &service->focusWindowRect);
    if (measured) {
        POINT a = {text.left, text.top}, b = {text.right, text.bottom};
        if (window) {
            ScreenToClient(window, &a);
            ScreenToClient(window, &b);
        }
        service->compositionRect = {a.x, a.y, b.x, b.y};
        return true;
    }
    POINT caret = {};
    if (!window || !GetCaretPos(&caret)) return false;
    service->compositionRect = {caret.x, caret.y, caret.x + kCaretBoxWidth,
                                caret.y + kCaretBoxHeight};
    return true;
}

// The own candidate window after a candidate change (no host-drawn list).
void UpdateCandidates(CTextService* service, TfEditCookie ec, ITfContext* context) {
    Engine* e = service->engine();
    if (!e || !context) return;
    // The element measured the composition when it started (and measures again on layout
    // changes); without one the view or the caret tells.
    if (!service->candidateElement) MeasureComposition(service, ec, context);
    if (!e->windows.candidateWindow) {
        if (!e->uiState) e->uiState = CreateUIState();
        if (!e->uiState) return;
        const CandidateHost host = {service->focusWindow(), service->focusWindow(), false,
                                    service->immersive(), true};
        if (!CreateCandidateWindow(e, host)) return;
    }
    service->PlaceCandidateWindow();
}

void PlaceCandidates(Engine* e, const RECT& caret) {
    if (!e || !e->uiState) return;
    if (!e->windows.candidateWindow) {
        e->uiState->caret = caret;
        return;
    }
    // Placed afresh: laid out for the page and shown, or hidden with nothing to show.
    e->uiState->candidate.x = e->uiState->candidate.y = 0;
    ShowCandidateWindow(e, caret);
}

void HideCandidates(Engine* e) {
    if (e && e->windows.candidateWindow) HideCandidateWindow(e);
}

void DestroyWindows(Engine* e) {
    if (e) DestroyEngineWindows(e);
}

// The soft keyboard of the engine's layout record (set before), owned by the document's
// window; the window shows and repaints its labels.
void ShowSoftKeyboard(CTextService* service) {
    Engine* e = service->engine();
    if (!e) return;
    if (!e->uiState) e->uiState = CreateUIState();
    HWND owner = service->focusWindow();
    CreateSoftKeyboardWindow(e, owner && IsWindow(owner) ? owner : nullptr);
}

void DocumentFocus(CTextService* service, bool hasDocument) {
    Engine* e = service->engine();
    if (!e) return;
    if (!hasDocument) {
        HideCandidates(e);
        if (e->windows.softKeyboardWindow) DestroySoftKeyboardWindow(e);
        return;
    }
    if (e->windows.candidateWindow) service->PlaceCandidateWindow();
    // A skin chosen elsewhere (the settings, another process) is loaded here.
    if (!e->uiState) e->uiState = CreateUIState();
    if (e->uiState) ReloadSkin(e);
    // The soft keyboard is still on: its keys still type its layout, so it is seen again.
    if ((e->state & kStateSoftKeyboard) && !e->windows.softKeyboardWindow)
        ShowSoftKeyboard(service);
}

void HideSoftKeyboard(CTextService* service) {
    if (Engine* e = service->engine(); e && e->windows.softKeyboardWindow)
        DestroySoftKeyboardWindow(e);
}

// A state tip (one short label) in the tip's default kind: the large font, hidden by its timer.
void ShowStateTip(CTextService* service, POINT at, const wchar_t* text) {
    Engine* e = service->engine();
    if (!e || !text) return;
    if (!e->uiState) e->uiState = CreateUIState();
    if (e->uiState) ShowTipWindow(e, at.x, at.y, 0, text);
}

}  // namespace

void InstallServiceWindowHooks(TextServiceHooks& table) {
    table.updateCandidateList = [](CTextService* s, TfEditCookie ec, ITfContext* c) {
        GuardedVoid([&] { UpdateCandidates(s, ec, c); });
    };
    table.placeCandidateWindow = [](Engine* e, const RECT& caret) {
        GuardedVoid([&] { PlaceCandidates(e, caret); });
    };
    table.hideCandidateWindow = [](Engine* e) { GuardedVoid([&] { HideCandidates(e); }); };
    table.destroyWindows = [](Engine* e) { GuardedVoid([&] { DestroyWindows(e); }); };
    table.showSoftKeyboard = [](CTextService* s, uint32_t) {
        GuardedVoid([&] { ShowSoftKeyboard(s); });
    };
    table.hideSoftKeyboard = [](CTextService* s) { GuardedVoid([&] { HideSoftKeyboard(s); }); };
    table.showStateTip = [](CTextService* s, POINT at, const wchar_t* text) {
        GuardedVoid([&] { ShowStateTip(s, at, text); });
    };
    table.hideTip = [](Engine* e) {
        GuardedVoid([&] {
            if (e) DestroyTipWindow(e);
        });
    };
    table.documentFocus = [](CTextService* s, bool has) {
        GuardedVoid([&] { DocumentFocus(s, has); });
    };
}

void InstallDefaultServiceWindowHooks() {
    static std::once_flag once;
    std::call_once(once, [] { InstallServiceWindowHooks(DefaultServiceHooks()); });
}
