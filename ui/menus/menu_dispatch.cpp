#include "ui/menus/menu_dispatch.h"

#include <windows.h>

#include <cwchar>

#include "core/settings/config_blocks.h"
#include "engine/ui_command.h"
#include "ui/menus/menu_items.h"
#include "ui/skin/active_skin.h"
#include "ui/windows/ui_state_block.h"

namespace {

// Show value of the soft-keyboard commands: nonzero, so that layout 0 always hides.
constexpr uintptr_t kSoftKeyboardShow = 22;

struct CommandOfItem {
    uint32_t id;
    uint32_t code;
    uintptr_t second;
};

constexpr CommandOfItem kCommands[] = {
    {menuid::kSettings, uicmd::kSettings, 0},
    {menuid::kAddUserWord, uicmd::kAddUserWord, 0},
    {menuid::kEmbedStatusBar, uicmd::kStatusEmbedToggle, 0},
    {menuid::kSchemeMixed, uicmd::kInputScheme, 0},
    {menuid::kSchemeMain, uicmd::kInputScheme, 1},
    {menuid::kSchemeAuxiliary, uicmd::kInputScheme, 2},
    {menuid::kSearchAlways, uicmd::kSecondarySearch, 0},
    {menuid::kSearchNever, uicmd::kSecondarySearch, 1},
    {menuid::kSearchOnEmpty, uicmd::kSecondarySearch, 2},
    {menuid::kFullWidth, uicmd::kFullWidth, 0},
    {menuid::kHalfWidth, uicmd::kHalfWidth, 0},
    {menuid::kSimplified, uicmd::kSimplifiedToggle, 0},
    {menuid::kTraditional, uicmd::kTraditionalToggle, 0},
    {menuid::kEnglishPunct, uicmd::kEnglishPunct, 0},
    {menuid::kChinesePunct, uicmd::kChinesePunct, 0},
    {menuid::kAbout, uicmd::kAbout, 0},
    {menuid::kHelpHome, uicmd::kHelpHome, 0},
    {menuid::kKeyboardMap, uicmd::kKeyboardMap, 0},
    {menuid::kCheckUpdate, uicmd::kCheckUpdate, 0},
    {menuid::kKeyboardOnOff, uicmd::kKeyboardOnOff, 0},
    {menuid::kChineseInput, uicmd::kChineseInput, 0},
    {menuid::kEnglishInput, uicmd::kEnglishInput, 0},
};

// Candidate-menu items and their entry operations.
constexpr uint32_t kEntryOperations[][2] = {
    {menuid::kMoveUp, 1},   {menuid::kMoveDown, 2}, {menuid::kMoveFirst, 3},
    {menuid::kMoveLast, 4}, {menuid::kPin, 5},      {menuid::kMoveToClass, 6},
    {menuid::kDelete, 7},
};

int ToggleStatusBar(Engine* e) {
    HWND status = e->windows.statusWindow;
    if (!status || !IsWindow(status)) return 0;
    ShowWindow(status, IsWindowVisible(status) ? SW_HIDE : SW_SHOWNOACTIVATE);
    return 1;
}

int ChooseSkin(Engine* e, uint64_t index) {
    UIState* ui = e->uiState;
    if (!ui || !e->skin || index >= static_cast<uint64_t>(ui->library.count) ||
        index >= kSkinLibrarySize)
        return 0;
    const wchar_t* file = SkinFileName(ui->library.descriptions[index].path);
    if (!file || !file[0]) return 0;
    wchar_t* name = e->skin->skinName;
    if (_wcsicmp(file, name) == 0) return 0;  // in use already
    const size_t n = wcsnlen(file, kSkinNameUnits - 1);
    wmemcpy(name, file, n);
    name[n] = 0;
    e->skin->statusWindowPos = {-1, -1};
    ReloadSkin(e);
    return 1;
}

}  // namespace

int HandleMenuCommand(Engine* e, uint64_t id, int64_t pageRow) {
    if (!e) return 0;
    for (const CommandOfItem& c : kCommands)
        if (c.id == id) return SendUICommand(e, c.code, 0, c.second) ? 1 : 0;
    if (id >= menuid::kFirstLayout && id <= menuid::kLastLayout)
        return SendUICommand(e, uicmd::kSoftKeyboard, kSoftKeyboardShow,
                             static_cast<uintptr_t>(id - menuid::kFirstLayout + 1))
                   ? 1
                   : 0;
    if (id == menuid::kSoftKeyboardOff)
        return SendUICommand(e, uicmd::kSoftKeyboard, kSoftKeyboardShow, 0) ? 1 : 0;
    for (const auto& op : kEntryOperations) {
        if (op[0] != id) continue;
        if (pageRow < 0) return 0;
        return SendUICommand(e, uicmd::kCandidateMenu, static_cast<uintptr_t>(pageRow), op[1]) ? 1
                                                                                               : 0;
    }
    if (id == menuid::kStatusBarWindow) return ToggleStatusBar(e);
    if (id >= menuid::kFirstSkin) return ChooseSkin(e, id - menuid::kFirstSkin);
    return 0;
}
