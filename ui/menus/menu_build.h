// Turning prepared menu items into a popup menu.
#pragma once
#include <windows.h>

#include "ui/menus/menu_handle.h"
#include "ui/menus/menu_items.h"

// Appends items to a new popup menu: hidden items are skipped, a popup item becomes its
// submenu (the skins item takes skins, and is left out when skins is empty), other items
// carry their flags, their state bits (checked, disabled) and their id.
MenuHandle BuildPopupMenu(const MenuItems& items, const MenuItems& skins = {});
