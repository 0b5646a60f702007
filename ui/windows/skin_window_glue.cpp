#include "ui/windows/skin_window_glue.h"

#include "ui/windows/ui_state_block.h"

HMODULE SkinWindowModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&SkinWindowModule), &module);
    return module;
}

Engine* EngineOf(HWND w) { return reinterpret_cast<Engine*>(GetWindowLongPtrW(w, GWLP_USERDATA)); }

HWND CreateSkinWindow(Engine* e, DWORD exStyle, const wchar_t* className, const wchar_t* title,
                      int x, int y, int width, int height, HWND owner) {
    HWND w = CreateWindowExW(exStyle, className, title, WS_POPUP | WS_DISABLED, x, y, width, height,
                             owner, nullptr, SkinWindowModule(), nullptr);
    if (w) SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(e));
    return w;
}

void RaiseImeEvent(Engine* e, DWORD event) {
    if (!e || !e->uiState) return;
    const CandidateHost& h = e->uiState->host;
    if (h.immersive && h.focus) NotifyWinEvent(event, h.focus, OBJID_CLIENT, CHILDID_SELF);
}

POINT ClientPoint(LPARAM lp) {
    return {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

bool LayeredWindowMessage(HWND w, UINT message, WPARAM wp, LPARAM lp, LRESULT* result) {
    switch (message) {
        case WM_CREATE:
            SetWindowLongPtrW(w, GWL_EXSTYLE, GetWindowLongPtrW(w, GWL_EXSTYLE) | WS_EX_LAYERED);
            *result = 0;
            return true;
        case WM_SETCURSOR:
            SetCapture(w);
            *result = DefWindowProcW(w, message, wp, lp);
            return true;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(w, &ps);
            EndPaint(w, &ps);
            *result = 0;
            return true;
        }
        default:
            return false;
    }
}

namespace {

const LayeredWindowCalls kSystemCalls{UpdateLayeredWindow};
const LayeredWindowCalls* g_layered = &kSystemCalls;

}  // namespace

const LayeredWindowCalls& LayeredCalls() { return *g_layered; }

void SetLayeredWindowCalls(const LayeredWindowCalls* calls) {
    g_layered = calls ? calls : &kSystemCalls;
}
