// The popup menus of the skinned windows as item tables: the function, candidate,
// soft-keyboard and status menus.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

constexpr int kMenuTextUnits = 64;

// MenuItem::flags besides MF_POPUP and MF_SEPARATOR: an item not offered to immersive hosts.
constexpr uint64_t kMenuDesktopOnly = 0x10000000;

// MenuItem::state of one showing.
constexpr uint64_t kMenuStateNormal = 0;
constexpr uint64_t kMenuStateDisabled = MF_GRAYED | MF_DISABLED;
constexpr uint64_t kMenuStateChecked = MF_CHECKED;
constexpr uint64_t kMenuStateHidden = 512;

// Command ids of the items.
namespace menuid {
constexpr uint32_t kCancel = 0;
constexpr uint32_t kSettings = 1;
constexpr uint32_t kAddUserWord = 2;
constexpr uint32_t kEmbedStatusBar = 3;
constexpr uint32_t kStatusBarWindow = 4;
constexpr uint32_t kScheme = 5;
constexpr uint32_t kSchemeMixed = 6;
constexpr uint32_t kSchemeMain = 7;
constexpr uint32_t kSchemeAuxiliary = 8;
constexpr uint32_t kSearch = 9;
constexpr uint32_t kSearchAlways = 10;
constexpr uint32_t kSearchNever = 11;
constexpr uint32_t kSearchOnEmpty = 12;
constexpr uint32_t kOutput = 13;
constexpr uint32_t kFullWidth = 14;
constexpr uint32_t kHalfWidth = 15;
constexpr uint32_t kSimplified = 16;
constexpr uint32_t kTraditional = 17;
constexpr uint32_t kEnglishPunct = 18;
constexpr uint32_t kChinesePunct = 19;
constexpr uint32_t kSoftKeyboard = 20;
constexpr uint32_t kFirstLayout = 21;  // 21-33: layouts 1-13
constexpr uint32_t kLastLayout = 33;
constexpr uint32_t kSoftKeyboardOff = 34;
constexpr uint32_t kHelp = 35;
constexpr uint32_t kAbout = 36;
constexpr uint32_t kHelpHome = 38;
constexpr uint32_t kKeyboardMap = 39;
constexpr uint32_t kCheckUpdate = 40;
constexpr uint32_t kKeyboardOnOff = 42;
constexpr uint32_t kChineseInput = 43;
constexpr uint32_t kEnglishInput = 44;
constexpr uint32_t kMoveUp = 46;
constexpr uint32_t kMoveDown = 47;
constexpr uint32_t kMoveFirst = 48;
constexpr uint32_t kMoveLast = 49;
constexpr uint32_t kPin = 50;
constexpr uint32_t kDelete = 51;
constexpr uint32_t kMoveToClass = 52;
constexpr uint32_t kSkins = 54;
constexpr uint32_t kFirstSkin = 55;  // 55 + i: skin i of the library
}  // namespace menuid

// One item of a menu as shown once: the table's item with its state for this showing.
struct MenuItem {
    wchar_t text[kMenuTextUnits];  // "-" for a separator
    uint64_t id;
    uint64_t flags;  // MF_POPUP, MF_SEPARATOR, kMenuDesktopOnly
    std::vector<MenuItem> submenu;
    uint64_t state;
};

using MenuItems = std::vector<MenuItem>;

// Fresh copies of the tables, every state normal.
MenuItems FunctionMenuItems();
MenuItems CandidateMenuItems();
MenuItems SoftKeyboardMenuItems();
MenuItems StatusMenuItems();

// The item with id in items or their submenus (the first one), or null. Ids 0 (separators
// and "取消(&C)") are never found.
MenuItem* FindMenuItem(MenuItems& items, uint64_t id);
// Sets an item's text, cut to the item and terminated.
void SetMenuItemText(MenuItem& item, const wchar_t* text);
