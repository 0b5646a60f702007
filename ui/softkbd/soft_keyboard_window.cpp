#include "ui/softkbd/soft_keyboard_window.h"

#include "core/base/boundary_guard.h"
#include "engine/ui_command.h"
#include "ui/image/gdi_handles.h"
#include "ui/menus/popup_menus.h"
#include "ui/softkbd/soft_keyboard_keys.h"
#include "ui/softkbd/soft_keyboard_paint.h"
#include "ui/windows/display_dpi.h"
#include "ui/windows/placement.h"
#include "ui/windows/skin_window_classes.h"
#include "ui/windows/skin_window_glue.h"
#include "ui/windows/ui_state_block.h"

namespace {

constexpr wchar_t kTitle[] = L"skbd";
constexpr uintptr_t kSoftKeyboardOff = 22;

// One soft keyboard per process: its mouse state and its position (0,0: not placed yet).
SoftKeyboardGesture g_gesture;
POINT g_position{0, 0};
int32_t g_dpi = 96;  // of the window it serves, taken as it is made
zan::UniqueBitmap g_picture;

// The key under a window point: the key table is in 96 DPI pixels.
int KeyAt(POINT p) { return SoftKeyboardHitTest(UnscaleSoftKeyPoint(p, g_dpi)); }

HBITMAP Picture() {
    if (!g_picture)
        g_picture.reset(static_cast<HBITMAP>(LoadImageW(SkinWindowModule(),
                                                        MAKEINTRESOURCEW(kSoftKeyboardBitmap),
                                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    return g_picture.get();
}

void Paint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    Engine* e = EngineOf(w);
    zan::MemoryDC memory(dc);
    const SIZE size = SoftKeyboardSize(g_dpi);
    zan::UniqueBitmap canvas(CreateCompatibleBitmap(dc, size.cx, size.cy));
    if (memory.get() && canvas) {
        HGDIOBJ old = SelectObject(memory.get(), canvas.get());
        PaintSoftKeyboard(memory.get(), Picture(), e ? e->softKeyboardLayout : 0, g_gesture, g_dpi);
        BitBlt(dc, 0, 0, size.cx, size.cy, memory.get(), 0, 0, SRCCOPY);
        SelectObject(memory.get(), old);
    }
    EndPaint(w, &ps);
}

void RepaintKey(HWND w, int key) {
    RECT r;
    if (!SoftKeyRectOf(key, &r)) return;
    r = ScaleSoftKeyRect(r, g_dpi);
    InvalidateRect(w, &r, FALSE);
}

void OnMouseMove(HWND w, WPARAM wp, LPARAM lp) {
    const POINT p = ClientPoint(lp);
    if ((wp & MK_LBUTTON) && g_gesture.pressed == kSoftKeyNone) {
        POINT screen = p;
        ClientToScreen(w, &screen);
        const POINT to =
            ClampSoftKeyboard({screen.x - g_gesture.press.x, screen.y - g_gesture.press.y},
                              WorkAreaAt(screen), SoftKeyboardSize(g_dpi));
        SetWindowPos(w, nullptr, to.x, to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        g_position = to;
        g_gesture.moved = true;
        return;
    }
    const int key = KeyAt(p);
    const int hover = key >= 0 ? key : -1;
    if (hover != g_gesture.hover) {
        RepaintKey(w, g_gesture.hover);
        RepaintKey(w, hover);
        g_gesture.hover = hover;
    }
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    if (hover < 0 && g_gesture.pressed < 0 && !(wp & MK_LBUTTON)) ReleaseCapture();
}

void OnButtonUp(HWND w, LPARAM lp) {
    Engine* e = EngineOf(w);
    const int released = KeyAt(ClientPoint(lp));
    const SoftKeyAction action = SoftKeyReleaseAction(g_gesture, released);
    const int pressed = g_gesture.pressed;
    g_gesture.pressed = -1;
    RepaintKey(w, pressed);
    switch (action) {
        case SoftKeyAction::kClose:
            SendUICommand(e, uicmd::kSoftKeyboard, kSoftKeyboardOff, 0);
            break;
        case SoftKeyAction::kLayoutMenu: {
            POINT at = ClientPoint(lp);
            ClientToScreen(w, &at);
            ShowSoftKeyboardMenu(e, w, at);
            break;
        }
        case SoftKeyAction::kToggleShift:
            g_gesture.shiftLatch = !g_gesture.shiftLatch;
            RepaintKey(w, kSoftKeyShift);
            break;
        case SoftKeyAction::kType:
            TypeSoftKey(released, g_gesture.shiftLatch);
            break;
        case SoftKeyAction::kNone:
            break;
    }
}

LRESULT HandleMessage(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
        case WM_PAINT:
            Paint(w);
            return 0;
        case WM_SETCURSOR:
            if (GetCapture() != w) {
                g_gesture.hover = g_gesture.pressed = -1;
                InvalidateRect(w, nullptr, FALSE);
                SetCapture(w);
            }
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            return TRUE;
        case WM_MOUSEMOVE:
            OnMouseMove(w, wp, lp);
            return 0;
        case WM_LBUTTONDOWN: {
            const POINT p = ClientPoint(lp);
            g_gesture.press = p;
            g_gesture.moved = false;
            const int key = KeyAt(p);
            g_gesture.pressed = key >= 0 ? key
                                : SoftKeyInactiveAt(UnscaleSoftKeyPoint(p, g_dpi))
                                    ? kSoftKeyInactive
                                    : kSoftKeyNone;
            RepaintKey(w, g_gesture.pressed);
            if (GetCapture() != w) SetCapture(w);
            return 0;
        }
        case WM_LBUTTONUP:
            OnButtonUp(w, lp);
            return 0;
        case WM_RBUTTONUP: {
            POINT at = ClientPoint(lp);
            ClientToScreen(w, &at);
            ShowSoftKeyboardMenu(EngineOf(w), w, at);
            return 0;
        }
        case WM_SHOWWINDOW:
            if (!wp && GetCapture() == w) ReleaseCapture();
            break;
        case WM_DESTROY:
            if (Engine* e = EngineOf(w)) {
                ShowWindow(w, SW_HIDE);
                RaiseImeEvent(e, EVENT_OBJECT_IME_HIDE);
                if (e->windows.softKeyboardWindow == w) e->windows.softKeyboardWindow = nullptr;
            }
            g_gesture = SoftKeyboardGesture{g_gesture.hover, -1, {}, false, g_gesture.shiftLatch};
            return 0;
        default:
            break;
    }
    return DefWindowProcW(w, m, wp, lp);
}

bool StatusRect(const Engine* e, RECT* out) {
    return e->windows.statusWindow && IsWindowVisible(e->windows.statusWindow) &&
           GetWindowRect(e->windows.statusWindow, out);
}

}  // namespace

LRESULT CALLBACK SoftKeyboardWndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return Guarded<LRESULT>(0, [&] { return HandleMessage(w, m, wp, lp); });
}

bool CreateSoftKeyboardWindow(Engine* e, HWND owner) {
    if (!e) return false;
    HWND w = e->windows.softKeyboardWindow;
    if (!w) g_dpi = DpiOfWindow(owner);
    const SIZE size = SoftKeyboardSize(g_dpi);
    if (g_position.x == 0 && g_position.y == 0) {
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        RECT status{};
        const bool hasStatus = StatusRect(e, &status);
        g_position = FirstSoftKeyboardPlacement(work, hasStatus, status, size);
    }
    if (!w) {
        w = CreateSkinWindow(e, WS_EX_TOOLWINDOW, kSoftKeyboardClass, kTitle, g_position.x,
                             g_position.y, size.cx, size.cy, owner);
        if (!w) return false;
        e->windows.softKeyboardWindow = w;
    }
    ShowWindow(w, SW_SHOWNOACTIVATE);
    InvalidateRect(w, nullptr, FALSE);
    UpdateWindow(w);
    return true;
}

void DestroySoftKeyboardWindow(Engine* e) {
    if (!e || !e->windows.softKeyboardWindow) return;
    HWND w = e->windows.softKeyboardWindow;
    ShowWindow(w, SW_HIDE);
    DestroyWindow(w);
    e->windows.softKeyboardWindow = nullptr;
}
