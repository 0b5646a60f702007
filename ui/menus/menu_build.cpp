#include "ui/menus/menu_build.h"

namespace {

constexpr UINT kStateBits = MF_DEFAULT | MF_CHECKED | MF_GRAYED | MF_DISABLED;

bool AppendItems(HMENU menu, const MenuItems& items, const MenuItems& skins) {
    for (const MenuItem& m : items) {
        if (m.state == kMenuStateHidden) continue;
        const UINT state = static_cast<UINT>(m.state) & kStateBits;
        if (m.flags & MF_POPUP) {
            const MenuItems& children = m.id == menuid::kSkins ? skins : m.submenu;
            if (m.id == menuid::kSkins && children.empty()) continue;
            MenuHandle sub(CreatePopupMenu());
            if (!sub || !AppendItems(sub.get(), children, skins)) return false;
            if (!AppendMenuW(menu, MF_POPUP | MF_STRING | state,
                             reinterpret_cast<UINT_PTR>(sub.get()), m.text))
                return false;
            sub.release();  // the parent owns it now
        } else if (m.flags & MF_SEPARATOR) {
            if (!AppendMenuW(menu, MF_SEPARATOR, 0, nullptr)) return false;
        } else {
            const UINT flags = MF_STRING | state;
            if (!AppendMenuW(menu, flags, static_cast<UINT_PTR>(m.id), m.text)) return false;
        }
    }
    return true;
}

}  // namespace

MenuHandle BuildPopupMenu(const MenuItems& items, const MenuItems& skins) {
    MenuHandle menu(CreatePopupMenu());
    if (!menu || !AppendItems(menu.get(), items, skins)) return MenuHandle();
    return menu;
}
