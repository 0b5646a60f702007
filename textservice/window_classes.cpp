#include "textservice/window_classes.h"

#include "ui/candidate/candidate_window.h"
#include "ui/dict/dict_window.h"
#include "ui/menus/menu_hooks.h"
#include "ui/windows/skin_window_classes.h"

namespace {

// The candidate window's seams as the library fills them: its right-click menus and the
// dictionary window.
const CandidateWindowHooks& LibraryCandidateHooks() {
    static const CandidateWindowHooks hooks = [] {
        CandidateWindowHooks h{};
        FillMenuHooks(h);
        h.showDictionary = ShowDictWindow;
        h.hideDictionarySoon = HideDictWindowSoon;
        h.destroyDictionary = DestroyDictWindow;
        return h;
    }();
    return hooks;
}

}  // namespace

int RegisterUIWindowClasses(HINSTANCE module) {
    if (!RegisterSkinWindowClasses(module)) return 0;
    SetCandidateWindowHooks(&LibraryCandidateHooks());
    return 1;
}

void UnregisterUIWindowClasses(HINSTANCE module) {
    SetCandidateWindowHooks(nullptr);
    UnregisterSkinWindowClasses(module);
}
