// Where the state tip and the candidate window go: the focus window's caret and the
// composition's rectangle.
#include "textservice/tsf/service_hooks.h"
#include "textservice/tsf/service_placement.h"
#include "textservice/tsf/text_service.h"

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
