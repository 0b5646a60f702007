#include "textservice/imm/ime_windows.h"

#include "ui/candidate/candidate_window.h"
#include "ui/skin/active_skin.h"
#include "ui/softkbd/soft_keyboard_window.h"
#include "ui/status/status_window.h"
#include "ui/windows/engine_ui_hooks.h"
#include "ui/windows/ui_fonts.h"

namespace {

void ShowCandidates(Engine* e, HWND focus, const RECT& caret, const LOGFONTW* font) {
    CandidateHost host{};
    host.focus = focus;
    host.imm32 = true;
    if (!e->windows.candidateWindow) CreateCandidateWindow(e, host);
    // Creating the window or a new skin made the skin's font again.
    if (font && e->windows.candidateWindow) SetCandidateFont(e, *font);
    ShowCandidateWindow(e, caret);
}

void ShowStatus(Engine* e, HWND owner, bool show) {
    if (!show) {
        HideStatusWindow(e);
        return;
    }
    if (!EnsureStatusWindow(e, owner)) return;
    LayoutStatusWindow(e);
    UpdateStatusWindow(e);
}

void ShowSoftKeyboard(Engine* e, HWND owner) { CreateSoftKeyboardWindow(e, owner); }

void ReloadActiveSkin(Engine* e) {
    if (!e->uiState) e->uiState = CreateUIState();
    if (e->uiState) ReloadSkin(e);
}

void DestroyAll(Engine* e) {
    DestroyCandidateWindow(e);
    DestroyStatusWindow(e);
    DestroySoftKeyboardWindow(e);
}

const ImeWindowOps kSkinned = {
    ShowCandidates, HideCandidateWindow, DestroyCandidateWindow,
    ShowStatus,     ShowSoftKeyboard,    DestroySoftKeyboardWindow,
    DestroyAll,     ReloadActiveSkin,
};
const ImeWindowOps* g_ops = &kSkinned;

}  // namespace

const ImeWindowOps& ImeWindows() { return *g_ops; }
void SetImeWindows(const ImeWindowOps* ops) { g_ops = ops ? ops : &kSkinned; }
