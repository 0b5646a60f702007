#include "ui/dict/dict_window.h"

#include <richedit.h>
#include <shellapi.h>

#include <algorithm>
#include <new>

#include "core/base/boundary_guard.h"
#include "ui/candidate/candidate_layout.h"
#include "ui/dict/dict_look.h"
#include "ui/dict/dict_text.h"
#include "ui/image/gdi_handles.h"
#include "ui/image/skin_region.h"
#include "ui/skin/skin_scale.h"
#include "ui/windows/placement.h"
#include "ui/windows/skin_window_classes.h"
#include "ui/windows/skin_window_glue.h"
#include "ui/windows/ui_state_block.h"

namespace {

constexpr UINT_PTR kHideTimer = 1;
constexpr UINT kHideDelay = 500;
constexpr int kAreaBody = 0, kAreaLink = 21, kAreaGrip = 22;
constexpr int kGrip = 20;  // the resize grip and the link band, pixels at 96 DPI
constexpr wchar_t kLinkText[] = L"查看详细解释...";
constexpr wchar_t kPlainFace[] = L"宋体";

void ShellLaunch(const wchar_t* file, const wchar_t* parameters, const wchar_t* verb, int show) {
    ShellExecuteW(nullptr, verb, file, parameters, nullptr, show);
}
DictLaunch g_launch = ShellLaunch;

// The state of one dictionary window, held by the window (each engine record has its own).
struct DictState {
    int64_t shown = -1;
    std::wstring key;
    POINT press{};
    POINT pressScreen{};
    SIZE pressSize{};
    int area = kAreaBody;
    bool pressed = false;
    HWND edit = nullptr;
    int32_t dpi = kBaseDpi;
    DictLook look = kPlainDictLook;
    zan::UniqueFont textFont, linkFont;
    wchar_t face[kSkinFontNameUnits] = {};
};

DictState* StateOf(HWND w) {
    return w ? reinterpret_cast<DictState*>(GetWindowLongPtrW(w, 0)) : nullptr;
}

int32_t Scaled(const DictState* d, int32_t v) { return ScaleForDpi(v, d ? d->dpi : kBaseDpi); }

// The size the user gave the window, kept in the engine's window state so that it outlives
// the window; false before any.
bool StoredSize(const Engine* e, SIZE* out) {
    if (!e || !e->uiState || e->uiState->dictSize.cx <= 0 || e->uiState->dictSize.cy <= 0)
        return false;
    *out = e->uiState->dictSize;
    return true;
}

HFONT MakeFont(const wchar_t* face, int32_t pixels) {
    return CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
}

// The skin's colours, its code font's face and the display's DPI, taken as the window is made.
void TakeLook(const Engine* e, DictState* d) {
    const UIState* s = e->uiState;
    d->dpi = UsableDpi(s ? s->dpi : kBaseDpi);
    d->look = s ? DictLookOfSkin(s->skin.text, s->images.images[kSlotEmbeddedV]) : kPlainDictLook;
    const wchar_t* face =
        s && s->skin.text.codeFontName[0] ? s->skin.text.codeFontName : kPlainFace;
    wcsncpy_s(d->face, face, _TRUNCATE);
    d->textFont.reset(MakeFont(d->face, Scaled(d, kDictTextPixels)));
    d->linkFont.reset(MakeFont(d->face, Scaled(d, kDictLinkPixels)));
}

// The extent of text wrapped as the window wraps it.
SIZE MeasureText(const DictState* d, const std::wstring& text) {
    zan::WindowDC screen(nullptr);
    RECT r{0, 0, DictWrapWidth(d->dpi), 0};
    if (screen.get() && d->textFont) {
        zan::SelectedObject keep(screen.get(), d->textFont.get());
        DrawTextW(screen.get(), text.c_str(), int(text.size()), &r,
                  DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    }
    return SIZE{r.right - r.left, r.bottom - r.top};
}

bool Immersive(const Engine* e) { return e && e->uiState && e->uiState->host.immersive; }

void PlaceChild(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    if (DictState* d = StateOf(w); d && d->edit) {
        const int32_t m = Scaled(d, kDictMargin);
        MoveWindow(d->edit, m, m, r.right - 2 * m, r.bottom - m - Scaled(d, kDictLinkBand), TRUE);
    }
}

// The whole text in the window's font and colour.
void FormatText(const DictState* d) {
    HWND edit = d->edit;
    if (!edit) return;
    SendMessageW(edit, EM_SETSEL, 0, -1);
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    format.dwMask |= CFM_COLOR | CFM_SIZE | CFM_FACE;
    format.dwEffects &= ~CFE_AUTOCOLOR;
    format.crTextColor = d->look.text;
    // The edit turns twips into pixels by the screen's DPI: the same pixels as measured.
    zan::WindowDC screen(nullptr);
    const int screenDpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : kBaseDpi;
    format.yHeight = LONG(Scaled(d, kDictTextPixels)) * 1440 / std::max(screenDpi, 1);
    wcscpy_s(format.szFaceName, d->face);
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
}

void Paint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    const DictState* d = StateOf(w);
    const DictLook look = d ? d->look : kPlainDictLook;
    RECT r;
    GetClientRect(w, &r);
    zan::UniqueBrush ground(CreateSolidBrush(look.ground));
    FillRect(dc, &r, ground ? ground.get() : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawFrame(dc, r, look.frame, look.frame);
    const int32_t inset = Scaled(d, 5), band = Scaled(d, kGrip);
    RECT link{r.left + inset, r.bottom - band, r.right - band, r.bottom - inset};
    HGDIOBJ old = d && d->linkFont ? SelectObject(dc, d->linkFont.get()) : nullptr;
    SetTextColor(dc, look.link);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, kLinkText, -1, &link, DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER);
    if (old) SelectObject(dc, old);
    zan::UniquePen pen(CreatePen(PS_SOLID, 1, look.frame));
    HGDIOBJ oldPen = SelectObject(dc, pen.get());
    const int32_t step = Scaled(d, 5);
    for (int i = 0; i < 4; ++i) {
        MoveToEx(dc, r.right, r.bottom - band + step * i, nullptr);
        LineTo(dc, r.right - band + step * i, r.bottom);
    }
    SelectObject(dc, oldPen);
    EndPaint(w, &ps);
}

int AreaAt(HWND w, POINT p) {
    RECT r;
    GetClientRect(w, &r);
    const int32_t band = Scaled(StateOf(w), kGrip);
    if (p.y < r.bottom - band) return kAreaBody;
    return p.x >= r.right - band ? kAreaGrip : kAreaLink;
}

void OnMouseMove(HWND w, DictState* d, WPARAM wp, LPARAM lp) {
    const POINT p = ClientPoint(lp);
    if ((wp & MK_LBUTTON) && d->pressed) {
        POINT cursor = p;
        ClientToScreen(w, &cursor);
        RECT now;
        GetWindowRect(w, &now);
        if (d->area == kAreaBody) {
            const RECT work = WorkAreaAt(cursor);
            const LONG width = now.right - now.left, height = now.bottom - now.top;
            LONG x = cursor.x - d->press.x, y = cursor.y - d->press.y;
            x = std::max(work.left, std::min(x, work.right - width));
            y = std::max(work.top, std::min(y, work.bottom - height));
            SetWindowPos(w, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        } else if (d->area == kAreaGrip) {
            const LONG width =
                std::max<LONG>(Scaled(d, 40), d->pressSize.cx + cursor.x - d->pressScreen.x);
            const LONG height =
                std::max<LONG>(Scaled(d, 60), d->pressSize.cy + cursor.y - d->pressScreen.y);
            SetWindowPos(w, nullptr, 0, 0, width, height,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            PlaceChild(w);
            InvalidateRect(w, nullptr, TRUE);
        }
        return;
    }
    RECT client;
    GetClientRect(w, &client);
    const bool inside = PtInRect(&client, p) != 0;
    if (inside) {
        KillTimer(w, kHideTimer);
        const int area = AreaAt(w, p);
        SetCursor(LoadCursorW(nullptr, area == kAreaGrip   ? IDC_SIZENWSE
                                       : area == kAreaLink ? IDC_HAND
                                                           : IDC_ARROW));
    } else {
        SetTimer(w, kHideTimer, kHideDelay, nullptr);
        ReleaseCapture();
    }
}

void OnButtonUp(HWND w, DictState* d, LPARAM lp) {
    const bool wasPressed = d->pressed;
    d->pressed = false;
    Engine* e = EngineOf(w);
    if (!wasPressed || !e) return;
    if (d->area == kAreaLink && AreaAt(w, ClientPoint(lp)) == kAreaLink) {
        RECT client;
        GetClientRect(w, &client);
        const POINT p = ClientPoint(lp);
        if (!PtInRect(&client, p)) return;
        const std::wstring file = std::wstring(e->installLocation) + L"config.exe";
        const std::wstring parameters = DictLinkParameters(e->guidText, d->key);
        g_launch(file.c_str(), parameters.c_str(), L"open", SW_SHOW);
    } else if (d->area == kAreaGrip) {
        RECT now;
        GetWindowRect(w, &now);
        if (e->uiState) e->uiState->dictSize = {now.right - now.left, now.bottom - now.top};
    }
}

LRESULT HandleMessage(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    DictState* d = StateOf(w);
    if (!d && m != WM_PAINT) return DefWindowProcW(w, m, wp, lp);
    switch (m) {
        case WM_PAINT:
            Paint(w);
            return 0;
        case WM_SETCURSOR:
            if (GetCapture() != w) SetCapture(w);
            return TRUE;
        case WM_MOUSELEAVE:
            ReleaseCapture();
            return 0;
        case WM_LBUTTONDOWN: {
            d->press = ClientPoint(lp);
            d->pressScreen = d->press;
            ClientToScreen(w, &d->pressScreen);
            RECT now;
            GetWindowRect(w, &now);
            d->pressSize = {now.right - now.left, now.bottom - now.top};
            d->area = AreaAt(w, d->press);
            d->pressed = true;
            if (GetCapture() != w) SetCapture(w);
            return 0;
        }
        case WM_MOUSEMOVE:
            OnMouseMove(w, d, wp, lp);
            return 0;
        case WM_LBUTTONUP:
            OnButtonUp(w, d, lp);
            return 0;
        case WM_TIMER:
            if (wp == kHideTimer) {
                KillTimer(w, kHideTimer);
                DestroyWindow(w);
            }
            return 0;
        case WM_DESTROY:
            ShowWindow(w, SW_HIDE);
            if (Engine* e = EngineOf(w)) {
                RaiseImeEvent(e, EVENT_OBJECT_IME_HIDE);
                if (e->windows.dictWindow == w) e->windows.dictWindow = nullptr;
            }
            d->shown = -1;
            d->edit = nullptr;
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(w, 0, 0);
            delete d;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(w, m, wp, lp);
}

// Where the candidate's word lies in the candidate window (its region of the page slot).
void WordPosition(const Engine* e, int64_t candidate, POINT* out) {
    if (!e->uiState) return;
    for (int slot = 0; slot < kPageRows; ++slot) {
        const int64_t row = CandidateIndexForSlot(e, slot);
        if (row < 0 || row >= kPageRows || e->page.rowCandidate[row] != candidate) continue;
        for (const SkinRegion& r : e->uiState->candidateRegions)
            if (r.id == kHitFirstCandidate + slot && r.x >= 0 && r.y >= 0) {
                *out = {r.x, r.y};
                return;
            }
    }
}

bool CreateDictWindow(Engine* e) {
    static HMODULE richEdit = LoadLibraryW(L"Riched20.dll");
    HWND owner = Immersive(e) ? e->uiState->host.focus : nullptr;
    SIZE size{kDictMinWidth, kDictMinHeight};
    StoredSize(e, &size);
    HWND w = CreateSkinWindow(e, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kDictClass, kDictTitle, 0, 0,
                              size.cx, size.cy, owner);
    if (!w) return false;
    auto* d = new (std::nothrow) DictState;
    if (!d) {
        DestroyWindow(w);
        return false;
    }
    SetWindowLongPtrW(w, 0, reinterpret_cast<LONG_PTR>(d));
    e->windows.dictWindow = w;
    TakeLook(e, d);
    HWND edit = richEdit ? CreateWindowExW(0, L"RichEdit20W", L"",
                                           WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 8, 8,
                                           size.cx - 16, size.cy - 38, w, nullptr,
                                           SkinWindowModule(), nullptr)
                         : nullptr;
    if (edit && d->textFont)
        SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(d->textFont.get()), 0);
    if (edit) SendMessageW(edit, EM_SETBKGNDCOLOR, 0, d->look.ground);
    d->edit = edit;
    return true;
}

}  // namespace

LRESULT CALLBACK DictWndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return Guarded<LRESULT>(0, [&] { return HandleMessage(w, m, wp, lp); });
}

void SetDictLaunch(DictLaunch launch) { g_launch = launch ? launch : ShellLaunch; }

void ShowDictWindow(Engine* e, int64_t candidate) {
    // Nothing to explain without the dictionary table.
    if (!e || !e->dictTable || !e->dictTable->view) return;
    HWND w = e->windows.dictWindow;
    if (w && StateOf(w) && StateOf(w)->shown == candidate) return;
    if (w) KillTimer(w, kHideTimer);
    RECT cand{};
    if (e->windows.candidateWindow) GetWindowRect(e->windows.candidateWindow, &cand);
    const RECT work = WorkAreaAt({cand.left, cand.top});
    const uint32_t skinOptions = e->skin ? e->skin->options : 0;
    const bool rows = !(skinOptions & (kSkinHorizontal | kSkinVerticalLeft));
    POINT word{0, 0};
    WordPosition(e, candidate, &word);
    if (!w) {
        if (!CreateDictWindow(e)) return;
        w = e->windows.dictWindow;
    }
    DictState* d = StateOf(w);
    if (!d) return;
    d->key = DictLookupKey(e, candidate);
    const std::wstring text = DictionaryText(e->dictTable, d->key);
    // As large as its text needs, unless the user sized it.
    SIZE size;
    if (!StoredSize(e, &size)) size = DictWindowSize(MeasureText(d, text), d->dpi);
    const POINT at = PlaceDictWindow(rows, cand, word, work, size);
    SetWindowPos(w, HWND_TOPMOST, at.x, at.y, size.cx, size.cy, SWP_NOACTIVATE);
    ShowWindow(w, SW_SHOWNOACTIVATE);
    PlaceChild(w);
    RaiseImeEvent(e, EVENT_OBJECT_IME_SHOW);
    RaiseImeEvent(e, EVENT_OBJECT_IME_CHANGE);
    d->shown = candidate;
    if (d->edit) SetWindowTextW(d->edit, text.c_str());
    FormatText(d);
}

void HideDictWindowSoon(Engine* e) {
    if (e && e->windows.dictWindow)
        SetTimer(e->windows.dictWindow, kHideTimer, kHideDelay, nullptr);
}

void DestroyDictWindow(Engine* e) {
    if (e && e->windows.dictWindow) DestroyWindow(e->windows.dictWindow);
}

std::wstring DictWindowKey(Engine* e) {
    const DictState* d = e ? StateOf(e->windows.dictWindow) : nullptr;
    return d ? d->key : std::wstring();
}

std::wstring DictWindowText(Engine* e) {
    const DictState* d = e ? StateOf(e->windows.dictWindow) : nullptr;
    HWND edit = d ? d->edit : nullptr;
    if (!edit) return {};
    const int n = GetWindowTextLengthW(edit);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(edit, text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}
