#include "ui/menus/popup_menus.h"

#include "ui/menus/menu_build.h"
#include "ui/menus/menu_dispatch.h"
#include "ui/menus/menu_prepare.h"
#include "ui/skin/active_skin.h"
#include "ui/windows/ui_state_block.h"

namespace {

uint64_t TrackWithPopupMenu(HMENU menu, HWND owner, POINT at) {
    const BOOL chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTBUTTON, at.x,
                                       at.y, 0, owner, nullptr);
    return chosen > 0 ? static_cast<uint64_t>(chosen) : 0;
}

MenuTracker g_tracker = TrackWithPopupMenu;

uint64_t Track(Engine* e, const MenuItems& items, const MenuItems& skins, HWND owner, POINT at,
               int64_t pageRow) {
    MenuHandle menu = BuildPopupMenu(items, skins);
    if (!menu) return 0;
    const uint64_t id = g_tracker(menu.get(), owner, at);
    menu.reset();
    if (id) HandleMenuCommand(e, id, pageRow);
    return id;
}

// The skins submenu; the library is filled on first use.
MenuItems Skins(Engine* e) {
    UIState* ui = e->uiState;
    if (!ui) return {};
    if (ui->library.count <= 0) LoadSkinLibrary(e, &ui->library);
    return SkinMenuItems(ui->library, e->skin ? e->skin->skinName : nullptr);
}

int64_t PageRowOf(const Engine* e, int64_t candidateIndex) {
    for (int64_t r = 0; r < e->page.rowCount && r < kPageRows; ++r)
        if (e->page.rowCandidate[r] == candidateIndex) return r;
    return -1;
}

}  // namespace

void SetMenuTracker(MenuTracker tracker) { g_tracker = tracker ? tracker : TrackWithPopupMenu; }

uint64_t ShowFunctionMenu(Engine* e, HWND owner, POINT at) {
    if (!e) return 0;
    MenuItems items = FunctionMenuItems();
    PrepareFunctionMenu(e, MenuContextOf(e), items);
    return Track(e, items, Skins(e), owner, at, -1);
}

uint64_t ShowCandidateMenu(Engine* e, int64_t candidateIndex, HWND owner, POINT at) {
    if (!e) return 0;
    MenuItems items = CandidateMenuItems();
    PrepareCandidateMenu(e, candidateIndex, items);
    return Track(e, items, {}, owner, at, PageRowOf(e, candidateIndex));
}

uint64_t ShowSoftKeyboardMenu(Engine* e, HWND owner, POINT at) {
    if (!e) return 0;
    MenuItems items = SoftKeyboardMenuItems();
    PrepareSoftKeyboardMenu(e, MenuContextOf(e), items);
    return Track(e, items, {}, owner, at, -1);
}

uint64_t ShowStatusMenu(Engine* e, HWND owner, POINT at) {
    if (!e) return 0;
    MenuItems items = StatusMenuItems();
    PrepareStatusMenu(e, items);
    return Track(e, items, {}, owner, at, -1);
}
