#include "ui/tips/tip_window.h"

#include <algorithm>
#include <cwchar>
#include <new>
#include <string>

#include "core/base/boundary_guard.h"
#include "ui/image/gdi_handles.h"
#include "ui/image/skin_region.h"
#include "ui/menus/popup_menus.h"
#include "ui/skin/skin_scale.h"
#include "ui/windows/placement.h"
#include "ui/windows/skin_window_classes.h"
#include "ui/windows/skin_window_glue.h"
#include "ui/windows/ui_state_block.h"

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 500;
constexpr COLORREF kFrame = 0x808080;

void OpenStatusMenu(Engine* e, HWND owner, POINT at) { ShowStatusMenu(e, owner, at); }
TipStatusMenu g_statusMenu = OpenStatusMenu;

// The state of one tip window, held by the window (each engine record has its own).
struct TipState {
    std::wstring text;
    int kind = 1;
    int ticks = 0;
    SIZE size{};
    POINT press{};
    zan::UniqueFont font;

    bool AutoHides() const { return kind >= 0; }
};

TipState* StateOf(HWND w) {
    return w ? reinterpret_cast<TipState*>(GetWindowLongPtrW(w, 0)) : nullptr;
}

void Paint(HWND w, const TipState& t) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawFrame(dc, r, kFrame, kFrame);
    HGDIOBJ old = t.font ? SelectObject(dc, t.font.get()) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, t.text.c_str(), static_cast<int>(t.text.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    if (old) SelectObject(dc, old);
    EndPaint(w, &ps);
}

void OnMouseMove(HWND w, TipState& t, WPARAM wp, LPARAM lp) {
    const POINT p = ClientPoint(lp);
    if (wp & MK_LBUTTON) {
        POINT cursor = p;
        ClientToScreen(w, &cursor);
        const RECT work = WorkAreaAt(cursor);
        LONG x = cursor.x - t.press.x, y = cursor.y - t.press.y;
        x = std::max(work.left, std::min(x, work.right - t.size.cx));
        y = std::max(work.top, std::min(y, work.bottom - t.size.cy));
        SetWindowPos(w, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
    RECT client;
    GetClientRect(w, &client);
    if (PtInRect(&client, p)) {
        KillTimer(w, kTickTimer);  // the tip stays while the mouse is on it
    } else {
        if (t.AutoHides()) SetTimer(w, kTickTimer, kTickMs, nullptr);
        ReleaseCapture();
    }
}

LRESULT HandleMessage(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    TipState* t = StateOf(w);
    if (!t) return DefWindowProcW(w, m, wp, lp);
    switch (m) {
        case WM_TIMER:
            if (wp == kTickTimer && ++t->ticks >= kTipHideTicks) {
                KillTimer(w, kTickTimer);
                ShowWindow(w, SW_HIDE);
                RaiseImeEvent(EngineOf(w), EVENT_OBJECT_IME_HIDE);
                DestroyWindow(w);
            }
            return 0;
        case WM_PAINT:
            Paint(w, *t);
            return 0;
        case WM_SETCURSOR:
            if (GetCapture() != w) SetCapture(w);
            return TRUE;
        case WM_MOUSEMOVE:
            OnMouseMove(w, *t, wp, lp);
            return 0;
        case WM_LBUTTONDOWN:
            t->press = ClientPoint(lp);
            return 0;
        case WM_RBUTTONDOWN:
            if (Engine* e = EngineOf(w)) {
                POINT at = ClientPoint(lp);
                ClientToScreen(w, &at);
                ReleaseCapture();
                g_statusMenu(e, w, at);
            }
            return 0;
        case WM_DESTROY:
            if (Engine* e = EngineOf(w))
                if (e->windows.tipWindow == w) e->windows.tipWindow = nullptr;
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(w, 0, 0);
            delete t;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(w, m, wp, lp);
}

}  // namespace

LRESULT CALLBACK TipWndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return Guarded<LRESULT>(0, [&] { return HandleMessage(w, m, wp, lp); });
}

int TipFontHeight(int kind) { return kind == 1 ? -14 : kind == 2 ? -12 : -20; }

bool ShowTipWindow(Engine* e, int x, int y, int kind, const wchar_t* text) {
    if (!e) return false;
    HWND w = e->windows.tipWindow;
    if (!w || !StateOf(w)) {
        HWND owner = e->uiState ? e->uiState->host.focus : nullptr;
        w = CreateSkinWindow(e, WS_EX_TOOLWINDOW, kTipClass, kTipTitle, x, y, 0, 0, owner);
        if (!w) return false;
        auto* fresh = new (std::nothrow) TipState;
        if (!fresh) {
            DestroyWindow(w);
            return false;
        }
        SetWindowLongPtrW(w, 0, reinterpret_cast<LONG_PTR>(fresh));
        e->windows.tipWindow = w;
    }
    TipState& t = *StateOf(w);
    t.ticks = 0;
    t.kind = kind;
    t.text = text ? text : L"";
    if (t.text.size() > kTipTextChars) t.text.resize(kTipTextChars);
    if (t.AutoHides())
        SetTimer(w, kTickTimer, kTickMs, nullptr);
    else
        KillTimer(w, kTickTimer);
    // Sizes are for 96 DPI: scaled for the display the record's windows are on.
    const int32_t dpi = e->uiState ? e->uiState->dpi : kBaseDpi;
    t.font.reset(CreateFontW(ScaleForDpi(TipFontHeight(kind), dpi), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                             DEFAULT_CHARSET, 0, 0, 0, 0, L"宋体"));
    SIZE extent{0, 0};
    if (HDC dc = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr)) {
        HGDIOBJ old = t.font ? SelectObject(dc, t.font.get()) : nullptr;
        GetTextExtentPoint32W(dc, t.text.c_str(), static_cast<int>(t.text.size()), &extent);
        if (old) SelectObject(dc, old);
        DeleteDC(dc);
    }
    t.size = {extent.cx + ScaleForDpi(20, dpi), extent.cy + ScaleForDpi(10, dpi)};
    SetWindowPos(w, HWND_TOPMOST, x, y, t.size.cx, t.size.cy, SWP_NOACTIVATE);
    ShowWindow(w, SW_SHOWNOACTIVATE);
    InvalidateRect(w, nullptr, TRUE);
    UpdateWindow(w);
    RaiseImeEvent(e, EVENT_OBJECT_IME_SHOW);
    RaiseImeEvent(e, EVENT_OBJECT_IME_CHANGE);
    return true;
}

void DestroyTipWindow(Engine* e) {
    if (e && e->windows.tipWindow) DestroyWindow(e->windows.tipWindow);
}

int TipTicks(Engine* e) {
    const TipState* t = e ? StateOf(e->windows.tipWindow) : nullptr;
    return t ? t->ticks : 0;
}

void SetTipStatusMenu(TipStatusMenu menu) { g_statusMenu = menu ? menu : OpenStatusMenu; }
