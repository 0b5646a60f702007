#include "ui/dict/dict_window.h"

#include <richedit.h>
#include <shellapi.h>

#include <algorithm>

#include "core/base/boundary_guard.h"
#include "ui/candidate/candidate_layout.h"
#include "ui/dict/dict_text.h"
#include "ui/image/gdi_handles.h"
#include "ui/image/skin_region.h"
#include "ui/windows/placement.h"
#include "ui/windows/skin_window_classes.h"
#include "ui/windows/skin_window_glue.h"
#include "ui/windows/ui_state_block.h"

namespace {

constexpr int kWidth = 130, kHeight = 160;
constexpr UINT_PTR kHideTimer = 1;
constexpr UINT kHideDelay = 500;
constexpr int kAreaBody = 0, kAreaLink = 21, kAreaGrip = 22;
constexpr COLORREF kFrame = 0xA0A0A0;
constexpr COLORREF kLinkColour = 0xFF0000;
constexpr wchar_t kLinkText[] = L"查看详细解释...";

void ShellLaunch(const wchar_t* file, const wchar_t* parameters, const wchar_t* verb, int show) {
    ShellExecuteW(nullptr, verb, file, parameters, nullptr, show);
}
DictLaunch g_launch = ShellLaunch;

// The one dictionary window's state (process-wide, as the window is one at a time).
int64_t g_shown = -1;
std::wstring g_key;
POINT g_press{};
POINT g_pressScreen{};
SIZE g_pressSize{};
int g_area = kAreaBody;
bool g_pressed = false;
SIZE g_size{kWidth, kHeight};
HWND g_edit = nullptr;
zan::UniqueFont g_editFont, g_linkFont;

HFONT SongFont() {
    return CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"宋体");
}

bool Immersive(const Engine* e) { return e && e->uiState && e->uiState->host.immersive; }

void PlaceChild(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    if (g_edit) MoveWindow(g_edit, 8, 8, r.right - 16, r.bottom - 38, TRUE);
}

void FormatText() {
    if (!g_edit) return;
    SendMessageW(g_edit, EM_SETSEL, 0, -1);
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(g_edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    format.dwMask |= CFM_COLOR | CFM_SIZE | CFM_OFFSET | CFM_FACE;
    format.dwEffects &= ~CFE_AUTOCOLOR;
    format.yHeight = 196;
    format.yOffset = 60;
    wcscpy_s(format.szFaceName, L"宋体");
    SendMessageW(g_edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(g_edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
}

void FillText(Engine* e, int64_t candidate) {
    g_key = DictLookupKey(e, candidate);
    const std::wstring text = DictionaryText(e->dictTable, g_key);
    if (g_edit) SetWindowTextW(g_edit, text.c_str());
    FormatText();
}

void Paint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawFrame(dc, r, kFrame, kFrame);
    RECT link{r.left + 5, r.bottom - 5 - 15, r.right - 5, r.bottom - 5};
    HGDIOBJ old = g_linkFont ? SelectObject(dc, g_linkFont.get()) : nullptr;
    SetTextColor(dc, kLinkColour);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, kLinkText, -1, &link, DT_END_ELLIPSIS | DT_WORDBREAK);
    if (old) SelectObject(dc, old);
    zan::UniquePen pen(CreatePen(PS_SOLID, 1, kFrame));
    HGDIOBJ oldPen = SelectObject(dc, pen.get());
    for (int i = 0; i < 4; ++i) {
        MoveToEx(dc, r.right, r.bottom - 20 + 5 * i, nullptr);
        LineTo(dc, r.right - 20 + 5 * i, r.bottom);
    }
    SelectObject(dc, oldPen);
    EndPaint(w, &ps);
}

int AreaAt(HWND w, POINT p) {
    RECT r;
    GetClientRect(w, &r);
    if (p.y < r.bottom - 20) return kAreaBody;
    return p.x >= r.right - 20 ? kAreaGrip : kAreaLink;
}

void OnMouseMove(HWND w, WPARAM wp, LPARAM lp) {
    const POINT p = ClientPoint(lp);
    if ((wp & MK_LBUTTON) && g_pressed) {
        POINT cursor = p;
        ClientToScreen(w, &cursor);
        RECT now;
        GetWindowRect(w, &now);
        if (g_area == kAreaBody) {
            const RECT work = WorkAreaAt(cursor);
            const LONG width = now.right - now.left, height = now.bottom - now.top;
            LONG x = cursor.x - g_press.x, y = cursor.y - g_press.y;
            x = std::max(work.left, std::min(x, work.right - width));
            y = std::max(work.top, std::min(y, work.bottom - height));
            SetWindowPos(w, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        } else if (g_area == kAreaGrip) {
            const LONG width = std::max<LONG>(40, g_pressSize.cx + cursor.x - g_pressScreen.x);
            const LONG height = std::max<LONG>(60, g_pressSize.cy + cursor.y - g_pressScreen.y);
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

void OnButtonUp(HWND w, LPARAM lp) {
    const bool wasPressed = g_pressed;
    g_pressed = false;
    Engine* e = EngineOf(w);
    if (!wasPressed || !e) return;
    if (g_area == kAreaLink && AreaAt(w, ClientPoint(lp)) == kAreaLink) {
        RECT client;
        GetClientRect(w, &client);
        const POINT p = ClientPoint(lp);
        if (!PtInRect(&client, p)) return;
        const std::wstring file = std::wstring(e->installLocation) + L"config.exe";
        const std::wstring parameters = DictLinkParameters(e->guidText, g_key);
        g_launch(file.c_str(), parameters.c_str(), L"open", SW_SHOW);
    } else if (g_area == kAreaGrip) {
        RECT now;
        GetWindowRect(w, &now);
        g_size = {now.right - now.left, now.bottom - now.top};
    }
}

LRESULT HandleMessage(HWND w, UINT m, WPARAM wp, LPARAM lp) {
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
            g_press = ClientPoint(lp);
            g_pressScreen = g_press;
            ClientToScreen(w, &g_pressScreen);
            RECT now;
            GetWindowRect(w, &now);
            g_pressSize = {now.right - now.left, now.bottom - now.top};
            g_area = AreaAt(w, g_press);
            g_pressed = true;
            if (GetCapture() != w) SetCapture(w);
            return 0;
        }
        case WM_MOUSEMOVE:
            OnMouseMove(w, wp, lp);
            return 0;
        case WM_LBUTTONUP:
            OnButtonUp(w, lp);
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
            g_shown = -1;
            g_edit = nullptr;
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
    if (!g_editFont) g_editFont.reset(SongFont());
    if (!g_linkFont) g_linkFont.reset(SongFont());
    HWND owner = Immersive(e) ? e->uiState->host.focus : nullptr;
    HWND w = CreateSkinWindow(e, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kDictClass, kDictTitle, 0, 0,
                              kWidth, kHeight, owner);
    if (!w) return false;
    e->windows.dictWindow = w;
    g_edit = richEdit
                 ? CreateWindowExW(
                       0, L"RichEdit20W", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY,
                       8, 8, kWidth - 16, kHeight - 38, w, nullptr, SkinWindowModule(), nullptr)
                 : nullptr;
    if (g_edit && g_editFont)
        SendMessageW(g_edit, WM_SETFONT, reinterpret_cast<WPARAM>(g_editFont.get()), 0);
    return true;
}

}  // namespace

LRESULT CALLBACK DictWndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return Guarded<LRESULT>(0, [&] { return HandleMessage(w, m, wp, lp); });
}

void SetDictLaunch(DictLaunch launch) { g_launch = launch ? launch : ShellLaunch; }

void ShowDictWindow(Engine* e, int64_t candidate) {
    if (!e) return;
    HWND w = e->windows.dictWindow;
    if (w && g_shown == candidate) return;
    if (w) KillTimer(w, kHideTimer);
    RECT cand{};
    if (e->windows.candidateWindow) GetWindowRect(e->windows.candidateWindow, &cand);
    const RECT work = WorkAreaAt({cand.left, cand.top});
    const uint32_t skinOptions = e->skin ? e->skin->options : 0;
    const bool rows = !(skinOptions & (kSkinHorizontal | kSkinVerticalLeft));
    POINT word{0, 0};
    WordPosition(e, candidate, &word);
    const POINT at = PlaceDictWindow(rows, cand, word, work);
    if (!w) {
        if (!CreateDictWindow(e)) return;
        w = e->windows.dictWindow;
    }
    SetWindowPos(w, HWND_TOPMOST, at.x, at.y, g_size.cx, g_size.cy, SWP_NOACTIVATE);
    ShowWindow(w, SW_SHOWNOACTIVATE);
    PlaceChild(w);
    RaiseImeEvent(e, EVENT_OBJECT_IME_SHOW);
    RaiseImeEvent(e, EVENT_OBJECT_IME_CHANGE);
    g_shown = candidate;
    FillText(e, candidate);
}

void HideDictWindowSoon(Engine* e) {
    if (e && e->windows.dictWindow)
        SetTimer(e->windows.dictWindow, kHideTimer, kHideDelay, nullptr);
}

void DestroyDictWindow(Engine* e) {
    if (e && e->windows.dictWindow) DestroyWindow(e->windows.dictWindow);
}

const std::wstring& DictWindowKey() { return g_key; }

std::wstring DictWindowText(Engine* e) {
    if (!e || !e->windows.dictWindow || !g_edit) return {};
    const int n = GetWindowTextLengthW(g_edit);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(g_edit, text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}
