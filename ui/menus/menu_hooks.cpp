#include "ui/menus/menu_hooks.h"

#include "ui/menus/popup_menus.h"

namespace {

void CandidateMenuAt(Engine* e, int64_t candidateIndex, POINT screen) {
    if (e) ShowCandidateMenu(e, candidateIndex, e->windows.candidateWindow, screen);
}

void FunctionMenuAt(Engine* e, POINT screen) {
    if (e) ShowFunctionMenu(e, e->windows.candidateWindow, screen);
}

}  // namespace

void FillMenuHooks(CandidateWindowHooks& hooks) {
    hooks.candidateMenu = CandidateMenuAt;
    hooks.functionMenu = FunctionMenuAt;
}
