#include "textservice/imm/ime_windows.h"

#include "ui/candidate/candidate_window.h"

namespace {

void ShowCandidates(Engine* e, HWND focus, const RECT& caret) {
    CandidateHost host{};
    host.focus = focus;
    host.imm32 = true;
    if (!e->windows.candidateWindow) CreateCandidateWindow(e, host);
    ShowCandidateWindow(e, caret);
}

const ImeWindowOps kSkinned = {
    ShowCandidates,       HideCandidateWindow,    DestroyCandidateWindow,
    [](Engine*, bool) {}, DestroyCandidateWindow,
};
const ImeWindowOps* g_ops = &kSkinned;

}  // namespace

const ImeWindowOps& ImeWindows() { return *g_ops; }
void SetImeWindows(const ImeWindowOps* ops) { g_ops = ops ? ops : &kSkinned; }
