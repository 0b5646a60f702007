// Preparing the menus for one showing: texts, ticks, disabled and hidden items from the
// engine's state and settings.
#pragma once
#include <cstdint>

#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "ui/menus/class_alias.h"
#include "ui/menus/menu_items.h"
#include "ui/skin/skin_description.h"

// What the menus need to know about the windows and the front end.
struct MenuContext {
    bool immersive;    // an immersive host: desktop-only items are disabled
    bool textService;  // the record belongs to the text service
    bool statusBar;    // a status bar window exists
    bool statusBarVisible;
    bool traditionalTable;  // traditional.dms is open
    bool simplifiedTable;   // simplified.dms is open
};

// The context of the engine record's windows and tables.
MenuContext MenuContextOf(const Engine* engine);

void PrepareFunctionMenu(const Engine* engine, const MenuContext& context, MenuItems& items);
// candidateIndex: index into the engine's candidates; any other value disables every item.
void PrepareCandidateMenu(const Engine* engine, int64_t candidateIndex, MenuItems& items);
void PrepareSoftKeyboardMenu(const Engine* engine, const MenuContext& context, MenuItems& items);
void PrepareStatusMenu(const Engine* engine, MenuItems& items);

// The skins submenu over a skin library: item i has id 55 + i and the skin's name; ticked is
// the skin whose file name equals skinName (case-insensitive).
MenuItems SkinMenuItems(const SkinLibrary& library, const wchar_t* skinName);
