#include "dialog/menus.h"

#include "dialog/ui_port.h"

UniqueMenu LoadMenuResource(HINSTANCE module, int id) {
    return UniqueMenu(LoadMenuW(module ? module : GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)));
}

HMENU SubMenu(HMENU menu, int position) { return menu ? GetSubMenu(menu, position) : nullptr; }

void SetMenuItemEnabled(HMENU menu, UINT command, bool enabled) {
    EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void SetMenuItemChecked(HMENU menu, UINT command, bool checked) {
    CheckMenuItem(menu, command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool IsMenuItemEnabled(HMENU menu, UINT command) {
    UINT state = GetMenuState(menu, command, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

bool IsMenuItemChecked(HMENU menu, UINT command) {
    UINT state = GetMenuState(menu, command, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & MF_CHECKED);
}

std::wstring MenuItemText(HMENU menu, UINT command) {
    int length = GetMenuStringW(menu, command, nullptr, 0, MF_BYCOMMAND);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int n = GetMenuStringW(menu, command, text.data(), length + 1, MF_BYCOMMAND);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

UINT TrackPopupCommand(HMENU menu, HWND owner, POINT screen) {
    if (!menu) return 0;
    // The owner must be foreground for the menu to close when the user clicks elsewhere.
    if (owner) SetForegroundWindow(owner);
    UINT command = Ui().TrackMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x,
                                  screen.y, owner);
    if (owner) PostMessageW(owner, WM_NULL, 0, 0);
    return command;
}
