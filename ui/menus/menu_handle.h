// Owner of a menu handle.
#pragma once
#include <windows.h>

#include <utility>

class MenuHandle {
public:
    MenuHandle() = default;
    explicit MenuHandle(HMENU menu) : menu_(menu) {}
    ~MenuHandle() { reset(); }
    MenuHandle(MenuHandle&& o) noexcept : menu_(std::exchange(o.menu_, nullptr)) {}
    MenuHandle& operator=(MenuHandle&& o) noexcept {
        if (this != &o) {
            reset();
            menu_ = std::exchange(o.menu_, nullptr);
        }
        return *this;
    }
    MenuHandle(const MenuHandle&) = delete;
    MenuHandle& operator=(const MenuHandle&) = delete;

    HMENU get() const { return menu_; }
    explicit operator bool() const { return menu_ != nullptr; }
    // Hands the menu over (to a parent menu that now destroys it).
    HMENU release() { return std::exchange(menu_, nullptr); }
    void reset() {
        if (HMENU m = std::exchange(menu_, nullptr)) DestroyMenu(m);
    }

private:
    HMENU menu_ = nullptr;
};
