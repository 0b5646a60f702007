// Menu helpers: an owned menu handle, item state and text, and popup tracking through the
// dialog port (so tests choose the command).
#pragma once
#include <windows.h>

#include <string>

// An owned menu (DestroyMenu at the end).
class UniqueMenu {
public:
    UniqueMenu() = default;
    explicit UniqueMenu(HMENU menu) : menu_(menu) {}
    ~UniqueMenu() { Reset(); }
    UniqueMenu(UniqueMenu&& other) noexcept : menu_(other.Release()) {}
    UniqueMenu& operator=(UniqueMenu&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueMenu(const UniqueMenu&) = delete;
    UniqueMenu& operator=(const UniqueMenu&) = delete;
    HMENU get() const { return menu_; }
    explicit operator bool() const { return menu_ != nullptr; }
    HMENU Release() {
        HMENU m = menu_;
        menu_ = nullptr;
        return m;
    }
    void Reset(HMENU menu = nullptr) {
        if (menu_) DestroyMenu(menu_);
        menu_ = menu;
    }

private:
    HMENU menu_ = nullptr;
};

// Menu resource id of module (null: this program).
UniqueMenu LoadMenuResource(HINSTANCE module, int id);
// The position-th submenu (not owned; null when none).
HMENU SubMenu(HMENU menu, int position);

void SetMenuItemEnabled(HMENU menu, UINT command, bool enabled);
void SetMenuItemChecked(HMENU menu, UINT command, bool checked);
bool IsMenuItemEnabled(HMENU menu, UINT command);
bool IsMenuItemChecked(HMENU menu, UINT command);
// Text of the item with this command (empty when missing).
std::wstring MenuItemText(HMENU menu, UINT command);

// Shows menu at a screen point for owner and returns the chosen command (0: none); the
// command is not sent.
UINT TrackPopupCommand(HMENU menu, HWND owner, POINT screen);
