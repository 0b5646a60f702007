#include "ui/status/status_window.h"

#include <commctrl.h>
#include <psapi.h>
#include <windowsx.h>

#include <cstdlib>
#include <cwchar>

#include "core/base/boundary_guard.h"
#include "engine/ui_command.h"
#include "ui/candidate/candidate_paint.h"
#include "ui/image/gdi_handles.h"
#include "ui/menus/popup_menus.h"
#include "ui/skin/active_skin.h"
#include "ui/status/status_layout.h"
#include "ui/status/status_paint.h"
#include "ui/status/status_text.h"
#include "ui/windows/display_dpi.h"
#include "ui/windows/placement.h"
#include "ui/windows/skin_window_classes.h"
#include "ui/windows/skin_window_glue.h"
#include "ui/windows/ui_state_block.h"

namespace {

constexpr uint32_t kStateInputDisabled = 0x8;  // the keyboard is disabled for the document
constexpr DWORD kHoverMilliseconds = 1000;
constexpr int kTipWidth = 500;

// Window extra bytes of the bar: hovered id, pressed id, press point.
constexpr int kHoverSlot = 0;
constexpr int kPressedSlot = 4;
constexpr int kPressPointSlot = 8;

bool RealCapsLock() { return (GetKeyState(VK_CAPITAL) & 1) != 0; }
bool (*g_capsLock)() = RealCapsLock;

LONG Slot(HWND w, int slot) { return GetWindowLongW(w, slot); }
void SetSlot(HWND w, int slot, LONG value) { SetWindowLongW(w, slot, value); }

const SkinImage* BarPicture(const Engine* e) {
    return e && e->uiState ? e->uiState->images.images[kSlotStatusBar] : nullptr;
}

// The window after host in Z order belongs to the management console.
bool NeighbourIsConsole(HWND host) {
    HWND next = host ? GetWindow(host, GW_HWNDNEXT) : nullptr;
    if (!next) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(next, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return false;
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameExW(process, nullptr, path, MAX_PATH);
    CloseHandle(process);
    constexpr wchar_t kConsole[] = L"\\mmc.exe";
    const size_t m = wcslen(kConsole);
    return n >= m && _wcsicmp(path + n - m, kConsole) == 0;
}

TOOLINFOW ToolOf(HWND bar, wchar_t* text) {
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = bar;
    tool.hinst = SkinWindowModule();
    GetClientRect(bar, &tool.rect);
    tool.lpszText = text;
    return tool;
}

// The tooltip and its one tool, made once with the bar.
void CreateTooltip(UIState* s, HWND bar) {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES};
    InitCommonControlsEx(&init);
    HWND tip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, bar, nullptr, SkinWindowModule(), nullptr);
    if (!tip) return;
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
    SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    wchar_t empty[] = L"";
    s->statusTool = ToolOf(bar, empty);
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&s->statusTool));
    s->statusTooltip = tip;
}

// The tool's text and rectangle follow the bar; the tool itself stays the one added.
void RefreshTooltip(Engine* e, HWND bar) {
    UIState* s = e->uiState;
    if (!s->statusTooltip) return;
    wchar_t text[kStatusTextUnits];
    BuildStatusText(e, g_capsLock(), text, kStatusTextUnits);
    TOOLINFOW tool = ToolOf(bar, text);
    SendMessageW(s->statusTooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(s->statusTooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    s->statusTool.rect = tool.rect;
}

void Paint(Engine* e, HWND w) {
    const SkinImage* bar = BarPicture(e);
    if (!bar) return;
    CanvasSurface surface(bar->width, bar->height);
    if (!surface.ok()) return;
    if (!PaintStatusCanvas(e, g_capsLock(), Slot(w, kHoverSlot), surface.canvas())) return;
    zan::WindowDC screen(nullptr);
    POINT at = e->windows.statusPos;
    SIZE size{bar->width, bar->height};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(w, screen.get(), &at, &size, surface.dc(), &origin, 0, &blend, ULW_ALPHA);
}

int64_t HitTest(Engine* e, POINT pt) {
    const SkinImage* bar = BarPicture(e);
    if (!bar) return -1;
    return SkinHitTest(e->uiState->statusRegions, kSkinRegionCount, bar->width, bar->height, pt.x,
                       pt.y);
}

void SetHover(HWND w, Engine* e, int64_t id) {
    SkinRegion* r = e->uiState->statusRegions;
    const LONG old = Slot(w, kHoverSlot);
    if (old > 0) ClearRegionState(r, kSkinRegionCount, old);
    if (id > 0) SetRegionState(r, kSkinRegionCount, id, kRegionHover);
    SetSlot(w, kHoverSlot, static_cast<LONG>(id > 0 ? id : -1));
    if (old != Slot(w, kHoverSlot)) Paint(e, w);
}

void Drag(HWND w, Engine* e, POINT press) {
    const SkinImage* bar = BarPicture(e);
    POINT cursor;
    GetCursorPos(&cursor);
    const RECT wa = WorkAreaAt(cursor);
    LONG x = cursor.x - press.x, y = cursor.y - press.y;
    if (x + bar->width > wa.right) x = wa.right - bar->width;
    if (y + bar->height > wa.bottom) y = wa.bottom - bar->height;
    if (x < wa.left) x = wa.left;
    if (y < wa.top) y = wa.top;
    SetWindowPos(w, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    e->windows.statusPos = POINT{x, y};
    if (e->skin) e->skin->statusWindowPos = WindowPoint{x, y};
}

void OnMouseMove(HWND w, Engine* e, WPARAM keys, POINT pt) {
    const LONG packed = Slot(w, kPressPointSlot);
    const POINT press{GET_X_LPARAM(packed), GET_Y_LPARAM(packed)};
    if ((keys & MK_LBUTTON) && Slot(w, kPressedSlot) != -1 &&
        (press.x != pt.x || press.y != pt.y)) {
        Drag(w, e, press);
        SetSlot(w, kPressedSlot, 0);  // a drag is no click
        return;
    }
    TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, w, kHoverMilliseconds};
    TrackMouseEvent(&track);
    const int64_t id = HitTest(e, pt);
    if (id == -1) ReleaseCapture();
    SetHover(w, e, id);
}

void OnButtonDown(HWND w, Engine* e, POINT pt) {
    const int64_t id = HitTest(e, pt);
    SetSlot(w, kPressedSlot, static_cast<LONG>(id));
    SetSlot(w, kPressPointSlot, MAKELONG(pt.x, pt.y));
    if (id > 0) SetRegionState(e->uiState->statusRegions, kSkinRegionCount, id, kRegionPressed);
    Paint(e, w);
}

void OnButtonUp(HWND w, Engine* e, POINT pt) {
    const int64_t id = HitTest(e, pt);
    const LONG pressed = Slot(w, kPressedSlot);
    SetSlot(w, kPressedSlot, -1);
    SetSlot(w, kPressPointSlot, 0);
    ReleaseCapture();
    if (id > 0) SetRegionState(e->uiState->statusRegions, kSkinRegionCount, id, kRegionHover);
    if (id <= 0 || id != pressed) {
        Paint(e, w);
        return;
    }
    const StatusClick click = StatusButtonClick(e, id);
    if (click.kind == StatusClickKind::kCommand) {
        SendUICommand(e, click.code, 0, 0);
    } else if (click.kind == StatusClickKind::kFunctionMenu) {
        POINT at = pt;
        ClientToScreen(w, &at);
        ShowFunctionMenu(e, w, at);
    }
    if (IsWindow(w) && e->windows.statusWindow == w) Paint(e, w);
}

void OnRightButton(HWND w, Engine* e, POINT pt) {
    POINT at = pt;
    ClientToScreen(w, &at);
    if (HitTest(e, pt) == statusid::kSoftKeyboard)
        ShowSoftKeyboardMenu(e, w, at);
    else
        ShowFunctionMenu(e, w, at);
    if (!IsWindow(w) || e->windows.statusWindow != w) return;
    SetHover(w, e, -1);
    Paint(e, w);
}

}  // namespace

void SetStatusCapsLockSeam(bool (*capsLock)()) { g_capsLock = capsLock ? capsLock : RealCapsLock; }

bool CreateStatusBarWindow(Engine* e, HWND host) {
    if (!e || !e->uiState) return false;
    if (e->windows.statusWindow) return true;
    if (!BarPicture(e) || NeighbourIsConsole(host)) return false;
    HWND w = CreateSkinWindow(e, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kStatusClass, kStatusTitle, 0, 0,
                              0, 0, host);
    if (!w) return false;
    SetSlot(w, kHoverSlot, -1);
    SetSlot(w, kPressedSlot, -1);
    e->windows.statusWindow = w;
    LayoutStatusWindow(e);
    CreateTooltip(e->uiState, w);
    return true;
}

bool EnsureStatusWindow(Engine* e, HWND host) {
    if (!e) return false;
    if (!e->uiState) {
        e->uiState = static_cast<UIState*>(calloc(1, sizeof(UIState)));
        if (!e->uiState) return false;
    }
    return CreateStatusBarWindow(e, host);
}

void LayoutStatusWindow(Engine* e) {
    if (!e || !e->uiState) return;
    UIState* s = e->uiState;
    FollowServedDpi(e);
    LayoutStatusRegions(s->skin, s->images, s->statusRegions);
    const SkinImage* bar = BarPicture(e);
    if (!bar) return;
    WindowPoint stored = e->skin ? e->skin->statusWindowPos : WindowPoint{-1, -1};
    RECT wa{};
    if (stored.x < 0 || stored.y < 0)
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
    else
        wa = WorkAreaAt(POINT{stored.x, stored.y});
    const POINT at =
        PlaceStatusBar(stored, s->skin.statusBar.defaultCorner, bar->width, bar->height, wa);
    if (e->skin) e->skin->statusWindowPos = WindowPoint{at.x, at.y};
    e->windows.statusPos = at;
    if (HWND w = e->windows.statusWindow) {
        SetSlot(w, kHoverSlot, -1);
        SetSlot(w, kPressedSlot, -1);
    }
}

void UpdateStatusWindow(Engine* e) {
    if (!e || !e->uiState || !e->windows.statusWindow) return;
    HWND w = e->windows.statusWindow;
    const SkinImage* bar = BarPicture(e);
    if (!bar) return;
    SetWindowPos(w, HWND_TOPMOST, e->windows.statusPos.x, e->windows.statusPos.y, bar->width,
                 bar->height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    RefreshTooltip(e, w);
    Paint(e, w);
}

void HideStatusWindow(Engine* e) {
    if (e && e->windows.statusWindow) ShowWindow(e->windows.statusWindow, SW_HIDE);
}

void DestroyStatusWindow(Engine* e) {
    if (e && e->windows.statusWindow) DestroyWindow(e->windows.statusWindow);
}

namespace {

LRESULT HandleMessage(HWND w, UINT message, WPARAM wp, LPARAM lp) {
    Engine* e = EngineOf(w);
    const bool ready = e && e->uiState && BarPicture(e);
    const POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    if (LRESULT result; LayeredWindowMessage(w, message, wp, lp, &result)) return result;
    switch (message) {
        case WM_MOUSEMOVE:
            if (ready) OnMouseMove(w, e, wp, pt);
            return 0;
        case WM_LBUTTONDOWN:
            if (ready) OnButtonDown(w, e, pt);
            return 0;
        case WM_LBUTTONUP:
            if (ready) OnButtonUp(w, e, pt);
            return 0;
        case WM_RBUTTONDOWN:
            if (ready) OnRightButton(w, e, pt);
            return 0;
        case WM_MOUSEHOVER:
            return 0;
        case WM_MOUSELEAVE:
            ReleaseCapture();
            if (ready && e->uiState->statusTooltip)
                SendMessageW(e->uiState->statusTooltip, TTM_TRACKACTIVATE, FALSE,
                             reinterpret_cast<LPARAM>(&e->uiState->statusTool));
            return 0;
        case kSkinReloadedMessage:
            if (ready && !(e->state & kStateInputDisabled)) {
                LayoutStatusWindow(e);
                if (IsWindowVisible(w)) UpdateStatusWindow(e);
            }
            return 0;
        case WM_DESTROY:
            ShowWindow(w, SW_HIDE);
            if (e && e->windows.statusWindow == w) {
                e->windows.statusWindow = nullptr;
                if (e->uiState) e->uiState->statusTooltip = nullptr;  // owned: goes with the bar
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcW(w, message, wp, lp);
}

}  // namespace

LRESULT CALLBACK StatusWndProc(HWND w, UINT message, WPARAM wp, LPARAM lp) {
    return Guarded<LRESULT>(0, [&] { return HandleMessage(w, message, wp, lp); });
}
