#include "ui/menus/menu_prepare.h"

#include <cstring>
#include <cwchar>

#include "core/settings/config_blocks.h"
#include "ui/skin/active_skin.h"
#include "ui/windows/ui_state_block.h"

namespace {

constexpr uint32_t kMainClass = 0;
constexpr uint32_t kSystemClass = 1;
constexpr uint32_t kUserClass = 2;
constexpr uint32_t kSecondaryClass = 3;
constexpr uint32_t kAuxiliaryClass = 4;
constexpr uint32_t kPinnedFlag = 0x40000000;

void SetState(MenuItems& items, uint64_t id, uint64_t state) {
    if (MenuItem* m = FindMenuItem(items, id)) m->state = state;
}

void Check(MenuItems& items, uint64_t id) { SetState(items, id, kMenuStateChecked); }

void SetText(MenuItems& items, uint64_t id, const wchar_t* text) {
    if (MenuItem* m = FindMenuItem(items, id)) SetMenuItemText(*m, text);
}

// Formats into an item's text, bounded to the item.
template <class... Args>
void FormatText(MenuItems& items, uint64_t id, const wchar_t* format, Args... args) {
    MenuItem* m = FindMenuItem(items, id);
    if (!m) return;
    if (std::swprintf(m->text, kMenuTextUnits, format, args...) < 0) {
        m->text[kMenuTextUnits - 1] = 0;  // cut: swprintf wrote what fitted
    }
}

void DisableAll(MenuItems& items) {
    for (MenuItem& m : items)
        if (!(m.flags & MF_SEPARATOR) && m.id != menuid::kCancel) m.state = kMenuStateDisabled;
}

uint32_t Options(const Engine* e) { return e && e->ime ? e->ime->options : 0; }

void PrepareOutputItems(const Engine* e, const MenuContext& c, MenuItems& items) {
    const uint32_t options = Options(e);
    Check(items, (e->state & kStateFullWidthOutput) ? menuid::kFullWidth : menuid::kHalfWidth);
    Check(items, (e->state & kStateEnglishPunct) ? menuid::kEnglishPunct : menuid::kChinesePunct);
    if (!c.traditionalTable)
        SetState(items, menuid::kTraditional, kMenuStateDisabled);
    else if (options & kImeTraditionalOutput)
        Check(items, menuid::kTraditional);
    if (!c.simplifiedTable)
        SetState(items, menuid::kSimplified, kMenuStateDisabled);
    else if (options & kImeSimplifiedOutput)
        Check(items, menuid::kSimplified);
    if (!c.traditionalTable && !c.simplifiedTable) {
        // The separator before the two script items.
        MenuItem* output = FindMenuItem(items, menuid::kOutput);
        if (!output) return;
        for (size_t i = 0; i + 1 < output->submenu.size(); ++i)
            if (output->submenu[i + 1].id == menuid::kTraditional &&
                (output->submenu[i].flags & MF_SEPARATOR))
                output->submenu[i].state = kMenuStateHidden;
    }
}

void PrepareSchemeItems(const Engine* e, MenuItems& items) {
    const uint32_t options = Options(e);
    wchar_t main[kClassAliasUnits], auxiliary[kClassAliasUnits], secondary[kClassAliasUnits];
    ClassAlias(e, kMainClass, main);
    ClassAlias(e, kAuxiliaryClass, auxiliary);
    ClassAlias(e, kSecondaryClass, secondary);
    if (auxiliary[0]) {
        FormatText(items, menuid::kSchemeMixed, L"%ls+%ls", main, auxiliary);
        SetText(items, menuid::kSchemeMain, main);
        SetText(items, menuid::kSchemeAuxiliary, auxiliary);
        if (!(options & kImeMainTable))
            Check(items, menuid::kSchemeAuxiliary);
        else if (options & kImeAuxTable)
            Check(items, menuid::kSchemeMixed);
        else
            Check(items, menuid::kSchemeMain);
    } else {
        SetState(items, menuid::kScheme, kMenuStateHidden);
        SetState(items, menuid::kSearch, kMenuStateHidden);
    }
    if (secondary[0]) {
        FormatText(items, menuid::kSearchAlways, L"检索 %ls", secondary);
        FormatText(items, menuid::kSearchNever, L"不检索 %ls", secondary);
        FormatText(items, menuid::kSearchOnEmpty, L"候选为空时检索 %ls", secondary);
        Check(items, (options & kImeSearchSecondary)    ? menuid::kSearchAlways
                     : (options & kImeSecondaryOnEmpty) ? menuid::kSearchOnEmpty
                                                        : menuid::kSearchNever);
    } else if (MenuItem* search = FindMenuItem(items, menuid::kSearch)) {
        if (search->state != kMenuStateHidden) search->state = kMenuStateDisabled;
    }
}

void TickLayout(const Engine* e, MenuItems& items) {
    const uint32_t layout = e->softKeyboardLayout;  // 0 while hidden
    if (layout >= 1 && layout <= menuid::kLastLayout - menuid::kFirstLayout + 1)
        Check(items, menuid::kFirstLayout + layout - 1);
}

void DisableDesktopOnly(MenuItems& items) {
    for (MenuItem& m : items) {
        if (m.flags & kMenuDesktopOnly) m.state = kMenuStateDisabled;
        DisableDesktopOnly(m.submenu);
    }
}

}  // namespace

MenuContext MenuContextOf(const Engine* e) {
    MenuContext c{};
    if (!e) return c;
    if (const UIState* ui = e->uiState) {
        c.immersive = ui->host.immersive;
        c.textService = ui->host.textService;
    }
    HWND status = e->windows.statusWindow;
    c.statusBar = status && IsWindow(status);
    c.statusBarVisible = c.statusBar && IsWindowVisible(status);
    c.traditionalTable = e->traditionalTable && e->traditionalTable->view;
    c.simplifiedTable = e->simplifiedTable && e->simplifiedTable->view;
    return c;
}

void PrepareFunctionMenu(const Engine* e, const MenuContext& c, MenuItems& items) {
    PrepareOutputItems(e, c, items);
    PrepareSchemeItems(e, items);
    wchar_t user[kClassAliasUnits];
    ClassAlias(e, kUserClass, user);
    if (!e->soft || !e->soft->updateUrl[0])
        SetState(items, menuid::kCheckUpdate, kMenuStateDisabled);
    if (!user[0]) SetState(items, menuid::kAddUserWord, kMenuStateDisabled);
    if (!c.textService)
        SetState(items, menuid::kEmbedStatusBar, kMenuStateDisabled);
    else if (!(Options(e) & kImeStatusEmbedded))
        SetText(items, menuid::kEmbedStatusBar, L"嵌入状态栏(&R)");
    if (!c.statusBar)
        SetState(items, menuid::kStatusBarWindow, kMenuStateDisabled);
    else if (!c.statusBarVisible)
        SetText(items, menuid::kStatusBarWindow, L"显示状态栏窗口(&X)");
    TickLayout(e, items);
    if (c.immersive) DisableDesktopOnly(items);
}

void PrepareCandidateMenu(const Engine* e, int64_t index, MenuItems& items) {
    if (!e || index < 0 || index >= e->candidateCount ||
        e->candidates[index].kind != kKindMainEntry || !e->candidates[index].entry) {
        DisableAll(items);
        return;
    }
    uint32_t flags;
    std::memcpy(&flags, e->candidates[index].entry, sizeof flags);
    if (flags & kPinnedFlag) Check(items, menuid::kPin);
    wchar_t secondary[kClassAliasUnits];
    ClassAlias(e, kSecondaryClass, secondary);
    const uint32_t tableClass = (flags >> 24) & 0x3F;
    if (!secondary[0] || (tableClass != kSecondaryClass && tableClass != kSystemClass)) {
        SetState(items, menuid::kMoveToClass, kMenuStateHidden);
        return;
    }
    FormatText(items, menuid::kMoveToClass, L"归入%ls", secondary);
    if (tableClass == kSecondaryClass) Check(items, menuid::kMoveToClass);
}

void PrepareSoftKeyboardMenu(const Engine* e, const MenuContext& c, MenuItems& items) {
    TickLayout(e, items);
    if (c.immersive) DisableDesktopOnly(items);
}

void PrepareStatusMenu(const Engine* e, MenuItems& items) {
    if (e->state & kStateImeClosed) SetText(items, menuid::kKeyboardOnOff, L"打开键盘输入");
    Check(items, (e->state & kStateEnglishMode) ? menuid::kEnglishInput : menuid::kChineseInput);
    Check(items, (e->state & kStateFullWidthOutput) ? menuid::kFullWidth : menuid::kHalfWidth);
    Check(items, (e->state & kStateEnglishPunct) ? menuid::kEnglishPunct : menuid::kChinesePunct);
}

MenuItems SkinMenuItems(const SkinLibrary& library, const wchar_t* skinName) {
    MenuItems items;
    const int count = library.count < kSkinLibrarySize ? library.count : kSkinLibrarySize;
    for (int i = 0; i < count; ++i) {
        const SkinDescription& d = library.descriptions[i];
        MenuItem m{};
        SetMenuItemText(m, d.info.name);
        m.id = menuid::kFirstSkin + static_cast<uint64_t>(i);
        const wchar_t* file = SkinFileName(d.path);
        if (skinName && skinName[0] && file && _wcsicmp(file, skinName) == 0)
            m.state = kMenuStateChecked;
        items.push_back(std::move(m));
    }
    return items;
}
