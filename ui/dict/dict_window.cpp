#include "ui/dict/dict_window.h"

#include <richedit.h>
#include <shellapi.h>
#include <windowsx.h>

#include <cwchar>

#include "ui/candidate/candidate_layout.h"
#include "ui/dict/dict_geometry.h"
#include "ui/dict/dict_paint.h"
#include "ui/dict/dict_text.h"
#include "ui/image/gdi_handles.h"
#include "ui/windows/placement.h"
#include "ui/windows/skin_window_classes.h"

namespace {

int64_t g_shown = -1;  // the engine candidate shown, process-wide

void ShellLaunch(const wchar_t* file, const wchar_t* parameters) {
    ShellExecuteW(nullptr, L"open", file, parameters, nullptr, SW_SHOW);
}
DictLaunchFunction g_launch = ShellLaunch;

Engine* EngineOf(HWND w) { return reinterpret_cast<Engine*>(GetWindowLongPtrW(w, GWLP_USERDATA)); }

// The rich-edit library stays loaded once it was needed.
bool RichEditLoaded() {
    static HMODULE library = LoadLibraryW(L"Riched20.dll");
    return library != nullptr;
}

HFONT MakeFont() {
    return CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, L"宋体");
}
// Made once for the process, with the window classes' lifetime.
HFONT ChildFont() {
    static zan::UniqueFont font(MakeFont());
    return font.get();
}
HFONT LinkFont() {
    static zan::UniqueFont font(MakeFont());
    return font.get();
}

HWND ChildOf(HWND w) { return w ? GetWindow(w, GW_CHILD) : nullptr; }

void MoveChild(HWND w, int32_t width, int32_t height) {
    RECT r = DictChildRect(width, height);
    if (HWND child = ChildOf(w))
        MoveWindow(child, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

bool Immersive(const Engine* e) {
    const UIState* s = e->uiState;
    return s->host.immersive &&
           e->osVersion.dwMajorVersion * 100 + e->osVersion.dwMinorVersion >= 602;
}

// The candidate word's top-left inside the candidate window.
POINT WordPoint(const Engine* e, int64_t row) {
    for (int slot = 0; slot < kCandidateSlots; ++slot) {
        if (CandidateIndexForSlot(e, slot) == row) {
            const SkinRegion& r = e->uiState->candidateRegions[kWordRegion + slot];
            return POINT{r.x, r.y};
        }
    }
    return POINT{0, 0};
}

HWND Create(Engine* e, POINT at) {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&DictWndProc), &module);
    HWND owner = Immersive(e) ? e->uiState->host.focus : nullptr;
    HWND w = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kDictClass, kDictTitle,
                             WS_POPUP | WS_DISABLED, at.x, at.y, kDictWidth, kDictHeight, owner,
                             nullptr, module, nullptr);
    if (!w) return nullptr;
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(e));
    if (RichEditLoaded()) {
        RECT r = DictChildRect(kDictWidth, kDictHeight);
        HWND child = CreateWindowExW(
            0, L"RichEdit20W", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, r.left,
            r.top, r.right - r.left, r.bottom - r.top, w, nullptr, module, nullptr);
        if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(ChildFont()), FALSE);
    }
    DictWindowState& d = e->uiState->dict;
    d.width = kDictWidth;
    d.height = kDictHeight;
    d.pressArea = -1;
    e->windows.dictWindow = w;
    return w;
}

void RaiseImeEvent(Engine* e, DWORD event) {
    if (Immersive(e) && e->uiState->host.focus)
        NotifyWinEvent(event, e->uiState->host.focus, OBJID_CLIENT, CHILDID_SELF);
}

void FormatChild(HWND child) {
    SendMessageW(child, EM_SETSEL, 0, -1);
    CHARFORMAT2W f{};
    f.cbSize = sizeof f;
    SendMessageW(child, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
    f.dwMask |= CFM_COLOR | CFM_SIZE | CFM_OFFSET | CFM_FACE;
    f.dwEffects &= ~CFE_AUTOCOLOR;
    f.yHeight = 196;
    f.yOffset = 60;
    wcscpy(f.szFaceName, L"宋体");
    SendMessageW(child, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
    SendMessageW(child, EM_SETSEL, static_cast<WPARAM>(-1), 0);
}

void OnMouseMove(HWND w, Engine* e, WPARAM keys, POINT pt) {
    DictWindowState& d = e->uiState->dict;
    if ((keys & MK_LBUTTON) && d.pressArea != -1) {
        POINT cursor;
        GetCursorPos(&cursor);
        if (d.pressArea == kDictAreaBody) {
            RECT wa = WorkAreaAt(cursor);
            LONG x = cursor.x - d.press.x, y = cursor.y - d.press.y;
            if (x + d.width > wa.right) x = wa.right - d.width;
            if (y + d.height > wa.bottom) y = wa.bottom - d.height;
            if (x < wa.left) x = wa.left;
            if (y < wa.top) y = wa.top;
            SetWindowPos(w, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        } else if (d.pressArea == kDictAreaGrip) {
            const int32_t width = d.pressWidth + (cursor.x - d.pressScreen.x);
            const int32_t height = d.pressHeight + (cursor.y - d.pressScreen.y);
            if (width > 20 && height > 40) {
                SetWindowPos(w, HWND_TOPMOST, 0, 0, width, height, SWP_NOMOVE | SWP_NOACTIVATE);
                MoveChild(w, width, height);
                d.resizedWidth = width;
                d.resizedHeight = height;
            }
        }
        return;
    }
    RECT client;
    GetClientRect(w, &client);
    if (PtInRect(&client, pt)) {
        KillTimer(w, kDictHideTimer);
    } else {
        SetTimer(w, kDictHideTimer, kDictHideMilliseconds, nullptr);
        ReleaseCapture();
    }
}

LPCWSTR CursorAt(const Engine* e, POINT pt) {
    const DictWindowState& d = e->uiState->dict;
    switch (DictAreaAt(d.width, d.height, pt)) {
        case kDictAreaGrip:
            return IDC_SIZENWSE;
        case kDictAreaLink:
            return IDC_HAND;
        default:
            return IDC_ARROW;
    }
}

void OnButtonUp(HWND w, Engine* e, POINT pt) {
    DictWindowState& d = e->uiState->dict;
    const int pressed = d.pressArea;
    d.pressArea = -1;
    if (pressed == kDictAreaLink && DictAreaAt(d.width, d.height, pt) == kDictAreaLink) {
        wchar_t file[MAX_PATH], parameters[512];
        if (DictConfigLaunch(e, d.key, file, parameters)) g_launch(file, parameters);
    } else if (pressed == kDictAreaGrip && d.resizedWidth > 0) {
        d.width = d.resizedWidth;
        d.height = d.resizedHeight;
        InvalidateRect(w, nullptr, TRUE);
    }
}

}  // namespace

int64_t ShownDictCandidate() { return g_shown; }

void SetDictLaunchForTesting(DictLaunchFunction launch) {
    g_launch = launch ? launch : ShellLaunch;
}

bool DictConfigLaunch(const Engine* e, const wchar_t* key, wchar_t (&file)[MAX_PATH],
                      wchar_t (&parameters)[512]) {
    file[0] = parameters[0] = 0;
    if (!e || !key) return false;
    int n = _snwprintf(file, MAX_PATH, L"%lsconfig.exe", e->installLocation);
    if (n < 0 || n >= MAX_PATH) {
        file[0] = 0;
        return false;
    }
    n = _snwprintf(parameters, 512, L"/n %ls /dict '%ls'", e->guidText, key);
    if (n < 0 || n >= 512) {
        file[0] = parameters[0] = 0;
        return false;
    }
    return true;
}

void FillDictionaryText(Engine* e, int64_t row) {
    if (!e || !e->uiState) return;
    DictWindowState& d = e->uiState->dict;
    DictLookupKey(e, row, d.key);
    wchar_t text[kDictTextUnits];
    DictExplanation(e->dictTable, d.key, text);
    HWND child = ChildOf(e->windows.dictWindow);
    if (!child) return;
    SetWindowTextW(child, text);
    FormatChild(child);
}

void ShowDictWindow(Engine* e, int64_t candidateIndex) {
    if (!e || !e->dictTable || !e->uiState) return;
    const int64_t row = DictPageRow(e, candidateIndex);
    if (row < 0) return;
    HWND w = e->windows.dictWindow;
    if (w && g_shown == candidateIndex) return;
    if (w) KillTimer(w, kDictHideTimer);

    const CandidateWindowState& c = e->uiState->candidate;
    DictPlacementInput in{};
    in.horizontal = (EffectiveCandidateOptions(e) & (kSkinHorizontal | kSkinVerticalLeft)) != 0;
    in.candidate = RECT{c.x, c.y, c.x + c.width, c.y + c.height};
    in.word = WordPoint(e, row);
    in.workArea = WorkAreaAt(POINT{c.x, c.y});
    const POINT at = PlaceDictWindow(in);

    if (!w && !(w = Create(e, at))) return;
    DictWindowState& d = e->uiState->dict;
    d.width = kDictWidth;
    d.height = kDictHeight;
    SetWindowPos(w, HWND_TOPMOST, at.x, at.y, kDictWidth, kDictHeight,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    MoveChild(w, kDictWidth, kDictHeight);
    RaiseImeEvent(e, EVENT_OBJECT_IME_SHOW);
    RaiseImeEvent(e, EVENT_OBJECT_IME_CHANGE);
    g_shown = candidateIndex;
    FillDictionaryText(e, row);
}

void HideDictWindowSoon(Engine* e) {
    if (e && e->windows.dictWindow)
        SetTimer(e->windows.dictWindow, kDictHideTimer, kDictHideMilliseconds, nullptr);
}

void DestroyDictWindow(Engine* e) {
    if (e && e->windows.dictWindow) DestroyWindow(e->windows.dictWindow);
}

void FillDictionaryHooks(CandidateWindowHooks& hooks) {
    hooks.showDictionary = ShowDictWindow;
    hooks.hideDictionarySoon = HideDictWindowSoon;
    hooks.destroyDictionary = DestroyDictWindow;
}

LRESULT CALLBACK DictWndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    Engine* e = EngineOf(w);
    if (!e || !e->uiState) return DefWindowProcW(w, m, wp, lp);
    DictWindowState& d = e->uiState->dict;
    const POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    switch (m) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(w, &ps);
            PaintDictWindow(dc, d.width, d.height, LinkFont());
            EndPaint(w, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_SETCURSOR: {
            SetCapture(w);
            POINT cursor;
            GetCursorPos(&cursor);
            ScreenToClient(w, &cursor);
            SetCursor(LoadCursorW(nullptr, CursorAt(e, cursor)));
            return TRUE;
        }
        case WM_MOUSELEAVE:
            ReleaseCapture();
            return 0;
        case WM_LBUTTONDOWN: {
            d.press = pt;
            GetCursorPos(&d.pressScreen);
            d.pressArea = DictAreaAt(d.width, d.height, pt);
            d.pressWidth = d.width;
            d.pressHeight = d.height;
            d.resizedWidth = d.resizedHeight = 0;
            return 0;
        }
        case WM_MOUSEMOVE:
            OnMouseMove(w, e, wp, pt);
            return 0;
        case WM_LBUTTONUP:
            OnButtonUp(w, e, pt);
            return 0;
        case WM_TIMER:
            if (wp == kDictHideTimer) {
                KillTimer(w, kDictHideTimer);
                DestroyWindow(w);
            }
            return 0;
        case WM_DESTROY:
            ShowWindow(w, SW_HIDE);
            if (e->windows.dictWindow == w) e->windows.dictWindow = nullptr;
            g_shown = -1;
            return 0;
        default:
            return DefWindowProcW(w, m, wp, lp);
    }
}
