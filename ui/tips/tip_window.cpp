#include "ui/tips/tip_window.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "core/base/boundary_guard.h"
#include "ui/image/gdi_handles.h"
#include "ui/image/skin_region.h"
#include "ui/windows/placement.h"
#include "ui/windows/skin_window_classes.h"
#include "ui/windows/skin_window_glue.h"
#include "ui/windows/ui_state_block.h"

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 500;
constexpr COLORREF kFrame = 0x808080;

// The one tip of the process.
std::wstring g_text;
int g_kind = 1;
int g_ticks = 0;
SIZE g_size{};
POINT g_press{};
zan::UniqueFont g_font;

bool AutoHides() { return g_kind >= 0; }

void Paint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawFrame(dc, r, kFrame, kFrame);
    HGDIOBJ old = g_font ? SelectObject(dc, g_font.get()) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, g_text.c_str(), static_cast<int>(g_text.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    if (old) SelectObject(dc, old);
    EndPaint(w, &ps);
}

void OnMouseMove(HWND w, WPARAM wp, LPARAM lp) {
    const POINT p = ClientPoint(lp);
    if (wp & MK_LBUTTON) {
        POINT cursor = p;
        ClientToScreen(w, &cursor);
        const RECT work = WorkAreaAt(cursor);
        LONG x = cursor.x - g_press.x, y = cursor.y - g_press.y;
        x = std::max(work.left, std::min(x, work.right - g_size.cx));
        y = std::max(work.top, std::min(y, work.bottom - g_size.cy));
        SetWindowPos(w, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
    RECT client;
    GetClientRect(w, &client);
    if (PtInRect(&client, p)) {
        KillTimer(w, kTickTimer);  // the tip stays while the mouse is on it
    } else {
        if (AutoHides()) SetTimer(w, kTickTimer, kTickMs, nullptr);
        ReleaseCapture();
    }
}

LRESULT HandleMessage(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
        case WM_CREATE:
            if (AutoHides()) SetTimer(w, kTickTimer, kTickMs, nullptr);
            return 0;
        case WM_TIMER:
            if (wp == kTickTimer && ++g_ticks >= kTipHideTicks) {
                KillTimer(w, kTickTimer);
                ShowWindow(w, SW_HIDE);
                RaiseImeEvent(EngineOf(w), EVENT_OBJECT_IME_HIDE);
                DestroyWindow(w);
            }
            return 0;
        case WM_PAINT:
            Paint(w);
            return 0;
        case WM_SETCURSOR:
            if (GetCapture() != w) SetCapture(w);
            return TRUE;
        case WM_MOUSEMOVE:
            OnMouseMove(w, wp, lp);
            return 0;
        case WM_LBUTTONDOWN:
            g_press = ClientPoint(lp);
            return 0;
        case WM_DESTROY:
            if (Engine* e = EngineOf(w))
                if (e->windows.tipWindow == w) e->windows.tipWindow = nullptr;
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
    g_ticks = 0;
    g_kind = kind;
    g_text = text ? text : L"";
    if (g_text.size() > kTipTextChars) g_text.resize(kTipTextChars);
    HWND w = e->windows.tipWindow;
    if (!w) {
        HWND owner = e->uiState ? e->uiState->host.focus : nullptr;
        w = CreateSkinWindow(e, WS_EX_TOOLWINDOW, kTipClass, kTipTitle, x, y, 0, 0, owner);
        if (!w) return false;
        e->windows.tipWindow = w;
    } else if (AutoHides()) {
        SetTimer(w, kTickTimer, kTickMs, nullptr);
    } else {
        KillTimer(w, kTickTimer);
    }
    g_font.reset(CreateFontW(TipFontHeight(kind), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0,
                             0, 0, 0, L"宋体"));
    SIZE extent{0, 0};
    if (HDC dc = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr)) {
        HGDIOBJ old = g_font ? SelectObject(dc, g_font.get()) : nullptr;
        GetTextExtentPoint32W(dc, g_text.c_str(), static_cast<int>(g_text.size()), &extent);
        if (old) SelectObject(dc, old);
        DeleteDC(dc);
    }
    g_size = {extent.cx + 20, extent.cy + 10};
    SetWindowPos(w, HWND_TOPMOST, x, y, g_size.cx, g_size.cy, SWP_NOACTIVATE);
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

int TipTicks() { return g_ticks; }
