// Reads a built popup menu back through GetMenuItemInfoW.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace menu_test {

struct ShownItem {
    std::wstring text;
    UINT id = 0;
    bool checked = false, grayed = false, separator = false, popup = false;
    std::vector<ShownItem> sub;
};

inline std::vector<ShownItem> Inspect(HMENU menu) {
    std::vector<ShownItem> out;
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE;
        info.dwTypeData = text;
        info.cch = 127;
        ShownItem s;
        if (GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) {
            s.text = text;
            s.id = info.wID;
            s.checked = (info.fState & MFS_CHECKED) != 0;
            s.grayed = (info.fState & MFS_GRAYED) != 0;
            s.separator = (info.fType & MFT_SEPARATOR) != 0;
            s.popup = info.hSubMenu != nullptr;
            if (info.hSubMenu) s.sub = Inspect(info.hSubMenu);
        }
        out.push_back(std::move(s));
    }
    return out;
}

// The item with id (submenus searched too), or null.
inline const ShownItem* ById(const std::vector<ShownItem>& items, UINT id) {
    for (const ShownItem& s : items) {
        if (!s.popup && !s.separator && s.id == id) return &s;
        if (const ShownItem* f = ById(s.sub, id)) return f;
    }
    return nullptr;
}

// The popup item whose text is text, or null.
inline const ShownItem* PopupByText(const std::vector<ShownItem>& items, const std::wstring& text) {
    for (const ShownItem& s : items)
        if (s.popup && s.text == text) return &s;
    return nullptr;
}

}  // namespace menu_test
