#include "textservice/imm/ime_ui_window.h"

#include <cstring>

#include "core/base/boundary_guard.h"
#include "core/settings/key_names.h"
#include "textservice/imm/ime_context_lock.h"
#include "textservice/imm/ime_input.h"
#include "textservice/imm/ime_key_path.h"
#include "textservice/imm/ime_messages.h"
#include "textservice/imm/ime_windows.h"
#include "textservice/keys/key_classify.h"

namespace {

// Whether a status window was opened in this process.
bool g_statusOpened = false;

// Messages answered without a context, and the IME messages that need none.
bool IsImeOwnMessage(UINT message) {
    switch (message) {
        case WM_IME_STARTCOMPOSITION:
        case WM_IME_COMPOSITION:
        case WM_IME_CONTROL:
        case WM_IME_COMPOSITIONFULL:
        case WM_IME_REQUEST:
            return true;
        default:
            return false;
    }
}

UINT HotkeyModifiers(const KeyCombination& combo) {
    UINT m = 0;
    if (combo & keycombo::kCtrl) m |= MOD_CONTROL;
    if (combo & keycombo::kShift) m |= MOD_SHIFT;
    if (combo & keycombo::kAlt) m |= MOD_ALT;
    return m;
}

void OnNotify(HWND hwnd, const ImeContextLock& lock, WPARAM code) {
    Engine* e = lock.engine();
    ImeSession* s = lock.session();
    const uint32_t options = e->ime ? e->ime->options : 0;
    switch (code) {
        case IMN_CLOSESTATUSWINDOW:
            ImeWindows().showStatus(e, hwnd, false);
            break;
        case IMN_OPENSTATUSWINDOW:
            if (options & kImeStatusHidden) {
                ImeWindows().showStatus(e, hwnd, false);
            } else {
                g_statusOpened = true;
                ImeWindows().showStatus(e, hwnd, true);
            }
            break;
        case IMN_CHANGECANDIDATE:
        case IMN_OPENCANDIDATE:
            s->uiWord |= kUiCandidateOpen;
            break;
        case IMN_CLOSECANDIDATE:
            if (e->candidateCount == 0 && e->input.compositionLength == 0)
                s->uiWord &= ~kUiCandidateOpen;
            break;
        case IMN_SETCONVERSIONMODE:
        case IMN_SETSENTENCEMODE:
        case IMN_SETOPENSTATUS:
            EngineFlagsFromConversion(lock);
            if (g_statusOpened) ImeWindows().showStatus(e, hwnd, !(options & kImeStatusHidden));
            break;
        case IMN_SETCANDIDATEPOS:
        case IMN_SETCOMPOSITIONWINDOW:
            if (s->composing) ShowImeWindows(lock);
            break;
        case IMN_SETCOMPOSITIONFONT:
            // Taken when the candidate window shows next.
            s->applicationFont = true;
            if (s->composing) ShowImeWindows(lock);
            break;
        case IMN_SETSTATUSWINDOWPOS:
        case kNotifyRefreshStatus:
            ImeWindows().showStatus(e, hwnd, !(options & kImeStatusHidden));
            break;
        case kNotifyPlaceCandidates:
            ImePlaceCandidates(lock);
            break;
        case kNotifyCandidatesClosed:
            s->uiWord |= kUiCandidateClosedByUser;
            break;
        case kNotifyHotkeys:
            RegisterImeHotkeys(hwnd, e);
            break;
        default:
            break;
    }
}

}  // namespace

void UnregisterImeHotkeys(HWND hwnd, Engine* e) {
    if (!e || !e->dme) return;
    const uint32_t count = ComboCount(e->dme);
    for (uint32_t i = 0; i < count; ++i)
        UnregisterHotKey(hwnd, kHotkeyIdBase + static_cast<int>(i));
}

void RegisterImeHotkeys(HWND hwnd, Engine* e) {
    if (!e || !e->dme) return;
    UnregisterImeHotkeys(hwnd, e);
    if (e->ime && (e->ime->options & kImeNoComboHotkeys)) return;
    // Closed: only the hotkeys that open it again.
    const bool closed = (e->state & kStateImeClosed) != 0;
    const uint32_t count = ComboCount(e->dme);
    for (uint32_t i = 0; i < count; ++i) {
        KeyFunctionMask functions;
        std::memcpy(&functions, &e->dme->combos[i].functions, sizeof functions);
        if (closed && !HotkeyWorksWhileClosed(functions)) continue;
        KeyCombination combo;
        std::memcpy(&combo, &e->dme->combos[i].combination, sizeof combo);
        RegisterHotKey(hwnd, kHotkeyIdBase + static_cast<int>(i), HotkeyModifiers(combo),
                       static_cast<UINT>(combo & keycombo::kKeyMask));
    }
}

LRESULT HandleImeUIMessage(HWND hwnd, HIMC himc, UINT message, WPARAM wParam, LPARAM lParam) {
    ImeContextLock lock(himc);
    if (!lock.ready()) {
        if (IsImeOwnMessage(message) || message == WM_IME_NOTIFY || message == WM_IME_SETCONTEXT ||
            message == WM_HOTKEY)
            return 0;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    Engine* e = lock.engine();
    switch (message) {
        case WM_CREATE:
            // The context is set later; the status bar comes with IMN_OPENSTATUSWINDOW.
            return 0;
        case WM_DESTROY:
            UnregisterImeHotkeys(hwnd, e);
            ImeWindows().destroyAll(e);
            return 0;
        case WM_IME_SETCONTEXT:
            if (wParam) {
                lock.session()->applicationDrawsCandidates = !(lParam & ISC_SHOWUICANDIDATEWINDOW);
                if (lock.session()->applicationDrawsCandidates) ImeWindows().hideCandidates(e);
                if (g_statusOpened) {
                    EngineFlagsFromConversion(lock);
                    ImeWindows().reloadSkin(e);
                    const uint32_t options = e->ime ? e->ime->options : 0;
                    ImeWindows().showStatus(e, hwnd, !(options & kImeStatusHidden));
                }
                RegisterImeHotkeys(hwnd, e);
                Engine::RefreshTables(e);
                Engine::AppendOutputText(e, L"\n");
            } else {
                ImeWindows().showStatus(e, hwnd, false);
                ImeEndCompositionOnFocusLoss(lock);
                UnregisterImeHotkeys(hwnd, e);
            }
            return 0;
        case WM_IME_NOTIFY:
            OnNotify(hwnd, lock, wParam);
            return 0;
        case WM_IME_ENDCOMPOSITION:
            ReleaseCapture();
            return 1;
        case WM_HOTKEY: {
            const WPARAM id = wParam;
            if (id < static_cast<WPARAM>(kHotkeyIdBase)) return 0;
            const uint32_t index = static_cast<uint32_t>(id - kHotkeyIdBase);
            if (index >= ComboCount(e->dme) || index >= static_cast<uint32_t>(kMaxCombos)) return 0;
            KeyFunctionMask action;
            std::memcpy(&action, &e->dme->combos[index].functions, sizeof action);
            if (action) ImeExecuteKeyFunction(lock, action);
            lock.session()->keys.lastScanCode = kNoScanCode;
            return 0;
        }
        default:
            if (IsImeOwnMessage(message)) return 0;
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK ImeUIWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return Guarded<LRESULT>(0, [&] {
        auto himc = reinterpret_cast<HIMC>(GetWindowLongPtrW(hwnd, IMMGWLP_IMC));
        return HandleImeUIMessage(hwnd, himc, message, wParam, lParam);
    });
}

bool RegisterImeUIClass(HINSTANCE module) {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(module, kImeUIClassName, &wc)) return true;
    wc.cbSize = sizeof wc;
    wc.style = CS_IME | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ImeUIWndProc;
    wc.cbWndExtra = kImeUIWindowExtra;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kImeUIClassName;
    return RegisterClassExW(&wc) != 0;
}
