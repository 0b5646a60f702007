#include "textservice/tsf/service_windows.h"

#include <mutex>

#include "textservice/boundary_guard.h"
#include "textservice/tsf/text_service.h"
#include "ui/candidate/candidate_window.h"
#include "ui/softkbd/soft_keyboard_window.h"
#include "ui/tips/tip_window.h"
#include "ui/windows/engine_windows.h"

namespace {

// The composition's rectangle on the screen from the context's view; the caret box (41 by
// 21) of the focus window when the view cannot tell.
bool CompositionRect(CTextService* service, TfEditCookie ec, ITfContext* context, RECT* out) {
    ITfComposition* composition = service->compositions().Get(context);
    ComPtr<ITfContextView> view;
    if (SUCCEEDED(context->GetActiveView(view.put())) && view) {
        HWND window = nullptr;
        if (SUCCEEDED(view->GetWnd(&window)) && window) service->SetFocusWindow(window);
        ComPtr<ITfRange> range;
        BOOL clipped = FALSE;
        if (composition && SUCCEEDED(composition->GetRange(range.put())) && range &&
            SUCCEEDED(view->GetTextExt(ec, range.get(), out, &clipped)) &&
            (out->right > out->left || out->bottom > out->top))
            return true;
    }
    HWND window = service->focusWindow();
    POINT caret = {};
    if (!window || !GetCaretPos(&caret)) return false;
    ClientToScreen(window, &caret);
    *out = {caret.x, caret.y, caret.x + 41, caret.y + 21};
    return true;
}

void UpdateCandidates(CTextService* service, TfEditCookie ec, ITfContext* context) {
    Engine* e = service->engine();
    if (!e) return;
    RECT rect = service->compositionRect;
    if (context) {
        if (!CompositionRect(service, ec, context, &rect)) return;
        service->compositionRect = rect;
    }
    if (!e->windows.candidateWindow) {
        const CandidateHost host = {service->focusWindow(), service->focusWindow(), false,
                                    service->immersive(), true};
        if (!CreateCandidateWindow(e, host)) return;
    }
    ShowCandidateWindow(e, rect);
}

void HideCandidates(Engine* e) {
    if (e && e->windows.candidateWindow) HideCandidateWindow(e);
}

void DestroyWindows(Engine* e) {
    if (e) DestroyEngineWindows(e);
}

void DocumentFocus(CTextService* service, bool hasDocument) {
    if (!hasDocument) HideCandidates(service->engine());
}

}  // namespace

void InstallServiceWindowHooks(TextServiceHooks& table) {
    table.updateCandidateList = [](CTextService* s, TfEditCookie ec, ITfContext* c) {
        GuardedVoid([&] { UpdateCandidates(s, ec, c); });
    };
    table.hideCandidateWindow = [](Engine* e) { GuardedVoid([&] { HideCandidates(e); }); };
    table.destroyWindows = [](Engine* e) { GuardedVoid([&] { DestroyWindows(e); }); };
    table.documentFocus = [](CTextService* s, bool has) {
        GuardedVoid([&] { DocumentFocus(s, has); });
    };
    // The engine's layout number is already set; the window shows and repaints its labels.
    table.showSoftKeyboard = [](CTextService* s, uint32_t) {
        GuardedVoid([&] {
            if (s->engine()) CreateSoftKeyboardWindow(s->engine(), s->focusWindow());
        });
    };
    table.hideSoftKeyboard = [](CTextService* s) {
        GuardedVoid([&] { DestroySoftKeyboardWindow(s->engine()); });
    };
    table.hideTip = [](Engine* e) { GuardedVoid([&] { DestroyTipWindow(e); }); };
}

void InstallDefaultServiceWindowHooks() {
    static std::once_flag once;
    std::call_once(once, [] { InstallServiceWindowHooks(DefaultServiceHooks()); });
}
