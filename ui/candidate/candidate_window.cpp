#include "ui/candidate/candidate_window.h"

#include <windowsx.h>

#include "core/base/boundary_guard.h"
#include "engine/ui_command.h"
#include "ui/candidate/candidate_layout.h"
#include "ui/candidate/candidate_paint.h"
#include "ui/image/alpha_region.h"
#include "ui/image/gdi_handles.h"
#include "ui/skin/active_skin.h"
#include "ui/skin/skin_description.h"
#include "ui/windows/display_dpi.h"
#include "ui/windows/placement.h"
#include "ui/windows/skin_window_classes.h"
#include "ui/windows/skin_window_glue.h"
#include "ui/windows/ui_fonts.h"

namespace {

const CandidateWindowHooks kNoHooks{};
const CandidateWindowHooks* g_hooks = &kNoHooks;

constexpr UINT kHoverMilliseconds = 800;

struct DisplayContext {
    HDC dc;
    HFONT code;
    HFONT candidate;
};

SIZE MeasureOnDisplay(void* context, CandidateFont font, const wchar_t* text, int length) {
    auto* d = static_cast<DisplayContext*>(context);
    SIZE size{0, 0};
    if (!d->dc || length <= 0) return size;
    zan::SelectedObject keep(d->dc, font == kCodeFont ? d->code : d->candidate);
    GetTextExtentPoint32W(d->dc, text, length, &size);
    return size;
}

bool LayoutNow(Engine* e) {
    // The screen's DC measures as a "DISPLAY" one does, and is much cheaper to get.
    zan::WindowDC display(nullptr);
    DisplayContext d{display.get(), e->uiState->codeFont, e->uiState->candidateFont};
    CandidateMeasurer m{MeasureOnDisplay, &d};
    return LayoutCandidateWindow(e, m);
}

void Paint(Engine* e, HWND w) {
    UIState* s = e->uiState;
    if (!s->stretchedBackground) return;
    CanvasSurface surface(s->stretchedBackground->width, s->stretchedBackground->height);
    if (!PaintCandidateCanvas(e, &surface)) return;
    zan::WindowDC screen(nullptr);
    POINT at{s->candidate.x, s->candidate.y};
    SIZE size{surface.canvas()->width, surface.canvas()->height};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    // Position, size and pixels in one call: the window never shows a frame of one without
    // the others.
    LayeredCalls().update(w, screen.get(), &at, &size, surface.dc(), &origin, 0, &blend, ULW_ALPHA);
}

void Repaint(HWND w) {
    if (Engine* e = EngineOf(w); e && e->uiState) Paint(e, w);
}

POINT Placement(Engine* e) {
    UIState* s = e->uiState;
    RECT caret = s->caret;
    if (s->host.textService)
        OffsetRect(&caret, s->skin.embeddedH.embedOffset.x, s->skin.embeddedH.embedOffset.y);
    PlacementInput in{};
    in.imeOptions = e->ime ? e->ime->options : 0;
    in.caret = caret;
    if (e->windows.statusWindow) GetWindowRect(e->windows.statusWindow, &in.status);
    if (e->skin)
        in.remembered = POINT{e->skin->candidateWindowPos.x, e->skin->candidateWindowPos.y};
    in.width = s->candidate.width;
    in.height = s->candidate.height;
    POINT decide{caret.left, caret.top};
    if (in.imeOptions & kPlaceBesideStatus)
        decide = POINT{in.status.left, in.status.top};
    else if (in.imeOptions & kPlaceFixed)
        decide = in.remembered.x || in.remembered.y ? in.remembered
                                                    : POINT{s->candidate.x, s->candidate.y};
    in.workArea = WorkAreaAt(decide);
    return PlaceCandidate(in);
}

// The page row shown in the slot of a hit id.
int64_t SlotRow(Engine* e, int64_t id) {
    return CandidateIndexForSlot(e, static_cast<int>(id - kHitFirstCandidate));
}

// The engine candidate shown in the slot of a hit id, for the menu and the dictionary.
int64_t SlotCandidate(Engine* e, int64_t id) {
    int64_t row = SlotRow(e, id);
    return row >= 0 && row < kPageRows ? e->page.rowCandidate[row] : -1;
}

void OnMouseMove(HWND w, Engine* e, WPARAM keys, POINT pt) {
    UIState* s = e->uiState;
    CandidateWindowState& c = s->candidate;
    bool moved = c.pressX != pt.x || c.pressY != pt.y;
    if (keys == MK_LBUTTON && c.pressedId != -1 && moved) {
        POINT cursor;
        GetCursorPos(&cursor);
        RECT wa = WorkAreaAt(cursor);
        LONG x = cursor.x - c.pressX, y = cursor.y - c.pressY;
        if (x + c.width > wa.right) x = wa.right - c.width;
        if (y + c.height > wa.bottom) y = wa.bottom - c.height;
        if (x < wa.left) x = wa.left;
        if (y < wa.top) y = wa.top;
        SetWindowPos(w, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        c.x = x;
        c.y = y;
        if (e->skin) e->skin->candidateWindowPos = WindowPoint{x, y};
        e->windows.candidatePos = POINT{x, y};
        c.pressedId = 0;
        return;
    }
    TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, w, kHoverMilliseconds};
    TrackMouseEvent(&track);
    int64_t old = c.hoverId;
    ClearRegionState(s->candidateRegions, kSkinRegionCount, old);
    int64_t id = CandidateHitTest(e, pt.x, pt.y);
    if (id == kHitNone) {
        if (g_hooks->hideDictionarySoon) g_hooks->hideDictionarySoon(e);
        c.hoverId = 0;
    } else if (id == kHitOutside) {
        c.hoverId = -1;
        ReleaseCapture();
    } else {
        // An open dictionary follows the pointer; hovering opens it (WM_MOUSEHOVER).
        if (id >= kHitFirstCandidate && id < kHitFirstCandidate + kCandidateSlots &&
            e->windows.dictWindow && g_hooks->showDictionary)
            g_hooks->showDictionary(e, SlotCandidate(e, id));
        c.hoverId = id;
        SetRegionState(s->candidateRegions, kSkinRegionCount, id, kRegionHover);
    }
    if (c.hoverId != old) Paint(e, w);
}

void OnButtonUp(HWND w, Engine* e, POINT pt) {
    UIState* s = e->uiState;
    CandidateWindowState& c = s->candidate;
    int64_t id = CandidateHitTest(e, pt.x, pt.y);
    SkinRegion* r = s->candidateRegions;
    if (id == c.pressedId) {
        if (id >= kHitFirstCandidate && id < kHitFirstCandidate + kCandidateSlots) {
            SendUICommand(e, uicmd::kPickCandidate, uintptr_t(SlotRow(e, id) + 1), 0);
        } else if (id == kHitPageUp || id == kHitPageDown) {
            int region = id == kHitPageUp ? kPageUpRegion : kPageDownRegion;
            if (r[region].state != kRegionDisabled) {
                POINT before{c.x + r[region].x, c.y + r[region].y};
                SendUICommand(e, id == kHitPageUp ? uicmd::kPrevPage : uicmd::kNextPage, 0, 0);
                if (r[region].state != kRegionHidden && r[region].x >= 0) {
                    POINT cursor;
                    GetCursorPos(&cursor);
                    SetCursorPos(cursor.x + c.x + r[region].x - before.x,
                                 cursor.y + c.y + r[region].y - before.y);
                }
            }
        } else if (id == kHitWidth) {
            SendUICommand(
                e, (e->state & kStateFullWidthOutput) ? uicmd::kHalfWidth : uicmd::kFullWidth, 0,
                0);
        } else if (id == kHitPunctuation) {
            SendUICommand(
                e, (e->state & kStateEnglishPunct) ? uicmd::kChinesePunct : uicmd::kEnglishPunct, 0,
                0);
        } else if (id == kHitOutside) {
            ClearRegionState(r, kSkinRegionCount, c.hoverId);
            ReleaseCapture();
        }
        if (id > 0) {
            SetRegionState(r, kSkinRegionCount, id, kRegionHover);
            c.hoverId = id;
        }
        Paint(e, w);
    }
    c.pressX = c.pressY = 0;
    c.pressedId = -1;
    ReleaseCapture();
}

}  // namespace

void SetCandidateWindowHooks(const CandidateWindowHooks* hooks) {
    g_hooks = hooks ? hooks : &kNoHooks;
}

bool CreateCandidateWindow(Engine* e, const CandidateHost& host) {
    if (!e || !e->uiState || e->windows.candidateWindow) return e && e->windows.candidateWindow;
    UIState* s = e->uiState;
    if (!s->images.images[kSlotStatusBar]) return false;
    s->host = host;
    HWND w = CreateSkinWindow(e, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kCandidateClass, kCandidateTitle,
                              0, 0, 0, 0, host.owner);
    if (!w) return false;
    CreateUIFonts(e);
    s->candidate.hoverId = -1;
    s->candidate.pressedId = -1;
    InitCandidateRegions(s->candidateRegions);
    e->windows.candidateWindow = w;
    return true;
}

void RelayoutCandidateWindow(Engine* e) {
    if (!e || !e->uiState || !e->windows.candidateWindow) return;
    // The new size goes to the window with its pixels (UpdateCandidateWindow).
    LayoutNow(e);
    if (g_hooks->destroyDictionary) g_hooks->destroyDictionary(e);
}

void UpdateCandidateWindow(Engine* e) {
    if (!e || !e->uiState || !e->windows.candidateWindow) return;
    HWND w = e->windows.candidateWindow;
    UIState* s = e->uiState;
    if (!s->stretchedBackground) {
        HideCandidateWindow(e);
        return;
    }
    POINT at = Placement(e);
    s->candidate.x = at.x;
    s->candidate.y = at.y;
    e->windows.candidatePos = at;
    // The region follows the picture's alpha: the same picture at the same size gives the
    // same region, which the window already has. It is set without a redraw; the one layered
    // update below moves, sizes and paints the window together.
    CandidateWindowState& c = s->candidate;
    const SkinImage* bg = s->stretchedBackground;
    if (c.regionSource != c.background || c.regionWidth != bg->width ||
        c.regionHeight != bg->height) {
        const bool set = SetWindowRegion(w, CreateRegionFromAlpha(bg), false);
        c.regionSource = set ? c.background : nullptr;
        c.regionWidth = set ? bg->width : 0;
        c.regionHeight = set ? bg->height : 0;
    }
    // Wine keeps no layered picture for a hidden window: show it, then hand it the picture.
    if (!IsWindowVisible(w)) ShowWindow(w, SW_SHOWNOACTIVATE);
    Paint(e, w);
    RaiseImeEvent(e, EVENT_OBJECT_IME_SHOW);
    RaiseImeEvent(e, EVENT_OBJECT_IME_CHANGE);
}

void ShowCandidateWindow(Engine* e, const RECT& caret) {
    if (!e || !e->uiState) return;
    e->uiState->caret = caret;
    // The served window's DPI may have changed (another application, another monitor).
    if (FollowServedDpi(e) && e->windows.statusWindow)
        SendMessageW(e->windows.statusWindow, kSkinReloadedMessage, 0, 0);
    RelayoutCandidateWindow(e);
    UpdateCandidateWindow(e);
}

void MoveCandidateWindow(Engine* e, const RECT& caret) {
    if (!e || !e->uiState || !e->windows.candidateWindow) return;
    e->uiState->caret = caret;
    if (IsWindowVisible(e->windows.candidateWindow)) UpdateCandidateWindow(e);
}

void HideCandidateWindow(Engine* e) {
    if (!e || !e->windows.candidateWindow) return;
    // A hidden window hears no mouse-move that would let the capture go.
    if (GetCapture() == e->windows.candidateWindow) ReleaseCapture();
    ShowWindow(e->windows.candidateWindow, SW_HIDE);
    if (e->uiState) RaiseImeEvent(e, EVENT_OBJECT_IME_HIDE);
}

void DestroyCandidateWindow(Engine* e) {
    if (!e || !e->windows.candidateWindow) return;
    DestroyWindow(e->windows.candidateWindow);
    e->windows.candidateWindow = nullptr;
}

namespace {

LRESULT HandleMessage(HWND w, UINT message, WPARAM wp, LPARAM lp) {
    Engine* e = EngineOf(w);
    bool ready = e && e->uiState;
    POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    if (LRESULT result; LayeredWindowMessage(w, message, wp, lp, &result)) return result;
    switch (message) {
        case WM_MOUSEMOVE:
            if (ready) OnMouseMove(w, e, wp, pt);
            return 0;
        case WM_LBUTTONDOWN:
            if (ready) {
                CandidateWindowState& c = e->uiState->candidate;
                int64_t id = CandidateHitTest(e, pt.x, pt.y);
                c.pressX = pt.x;
                c.pressY = pt.y;
                c.pressedId = id;
                if (id > 0)
                    SetRegionState(e->uiState->candidateRegions, kSkinRegionCount, id,
                                   kRegionPressed);
                Repaint(w);
            }
            return 0;
        case WM_LBUTTONUP:
            if (ready) OnButtonUp(w, e, pt);
            return 0;
        case WM_RBUTTONDOWN:
            if (ready) {
                int64_t id = CandidateHitTest(e, pt.x, pt.y);
                POINT screen = pt;
                ClientToScreen(w, &screen);
                if (id >= kHitFirstCandidate && id < kHitFirstCandidate + kCandidateSlots) {
                    if (g_hooks->candidateMenu)
                        g_hooks->candidateMenu(e, SlotCandidate(e, id), screen);
                } else if (g_hooks->functionMenu) {
                    g_hooks->functionMenu(e, screen);
                }
                // The menu's own loop took the mouse; the pointer over the window takes it
                // again with its next WM_SETCURSOR.
                if (GetCapture() == w) ReleaseCapture();
            }
            return 0;
        case WM_MOUSEHOVER:
            if (ready && e->ime && !(e->ime->options & kImeNoHoverDictionary)) {
                int64_t id = CandidateHitTest(e, pt.x, pt.y);
                // The same slot-to-candidate mapping as selection and the menu.
                if (id >= kHitFirstCandidate && id < kHitFirstCandidate + kCandidateSlots &&
                    g_hooks->showDictionary)
                    g_hooks->showDictionary(e, SlotCandidate(e, id));
            }
            return 0;
        case WM_MOUSELEAVE:
            if (ready && g_hooks->hideDictionarySoon) g_hooks->hideDictionarySoon(e);
            ReleaseCapture();
            return 0;
        case WM_DESTROY:
            ShowWindow(w, SW_HIDE);
            if (ready) {
                RaiseImeEvent(e, EVENT_OBJECT_IME_HIDE);
                e->windows.candidateWindow = nullptr;
            }
            return 0;
        case kCandidateRelayoutMessage:
            if (ready) {
                // A new skin's picture may sit where the old one was freed: make the region
                // again rather than trust the address.
                e->uiState->candidate.regionSource = nullptr;
                CreateUIFonts(e);
                RelayoutCandidateWindow(e);
                UpdateCandidateWindow(e);
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcW(w, message, wp, lp);
}

}  // namespace

LRESULT CALLBACK CandidateWndProc(HWND w, UINT message, WPARAM wp, LPARAM lp) {
    return Guarded<LRESULT>(0, [&] { return HandleMessage(w, message, wp, lp); });
}
