#include "ui/menus/menu_items.h"

#include <cwchar>

namespace {

constexpr uint64_t D = kMenuDesktopOnly;

MenuItem Item(const wchar_t* text, uint64_t id, uint64_t flags = 0) {
    MenuItem m{};
    SetMenuItemText(m, text);
    m.id = id;
    m.flags = flags;
    return m;
}

MenuItem Separator() { return Item(L"-", 0, MF_SEPARATOR); }

MenuItem Popup(const wchar_t* text, uint64_t id, MenuItems submenu) {
    MenuItem m = Item(text, id, MF_POPUP);
    m.submenu = std::move(submenu);
    return m;
}

MenuItems SoftKeyboardLayouts() {
    return {
        Item(L"&1   PC 键盘", 21, D),    Item(L"&2   希腊字母", 22, D),
        Item(L"&3   俄文字母", 23, D),   Item(L"&4   注音符号", 24, D),
        Item(L"&5   拼音符号", 25, D),   Item(L"&6   日文平假名", 26, D),
        Item(L"&7   日文片假名", 27, D), Item(L"&8   标点符号", 28, D),
        Item(L"&9   数字序号", 29, D),   Item(L"&10  数学符号", 30, D),
        Item(L"&11  制表符号", 31, D),   Item(L"&12  单位符号", 32, D),
        Item(L"&13  特殊符号", 33, D),   Separator(),
        Item(L"&C 关闭软键盘", 34),
    };
}

}  // namespace

void SetMenuItemText(MenuItem& item, const wchar_t* text) {
    size_t n = 0;
    for (; text && text[n] && n < kMenuTextUnits - 1; ++n) item.text[n] = text[n];
    item.text[n] = 0;
}

MenuItems FunctionMenuItems() {
    return {
        Item(L"属性设置(&S)", 1, D),
        Item(L"添加用户词(&M)", 2, D),
        Separator(),
        Popup(L"输入方案(&P)", 5, {Item(L"主+辅", 6), Item(L"主", 7), Item(L"辅", 8)}),
        Popup(L"码表检索(&R)", 9,
              {Item(L"检索次", 10), Item(L"不检索次", 11), Item(L"候选为空时检索次", 12)}),
        Popup(L"上屏选项(&O)", 13,
              {Item(L"全角", 14), Item(L"半角", 15), Separator(), Item(L"中文标点(&Z)", 19),
               Item(L"英文标点(&Y)", 18), Separator(), Item(L"繁体输出(&F)", 17),
               Item(L"简体输出(&J)", 16)}),
        Popup(L"软键盘(&K)", 20, SoftKeyboardLayouts()),
        Separator(),
        Popup(L"帮助(&H)", 35,
              {Item(L"首页(&I)", 38, D), Item(L"键位图(&T)", 39, D),
               Item(L"检查更新(&U)\t...", 40, D), Separator(), Item(L"关于本程序(&A)", 36, D)}),
        Popup(L"皮肤(&F)", 54, {}),
        Separator(),
        Item(L"还原状态栏(&R)", 3, D),
        Item(L"关闭状态栏窗口(&X)", 4, D),
        Separator(),
        Item(L"取消(&C)", 0),
    };
}

MenuItems CandidateMenuItems() {
    return {
        Item(L"前移一位(&U)", 46),
        Item(L"移至首位(&P)", 48),
        Item(L"后移一位(&D)", 47),
        Item(L"移至末尾(&E)", 49),
        Separator(),
        Item(L"固顶词条(&F)", 50),
        Item(L"归入***(S)", 52),
        Separator(),
        Item(L"删除词条(&R)", 51),
        Separator(),
        Item(L"取消(&C)", 0),
    };
}

MenuItems SoftKeyboardMenuItems() { return SoftKeyboardLayouts(); }

MenuItems StatusMenuItems() {
    return {
        Item(L"中文输入", 43),     Item(L"英文输入", 44), Separator(),
        Item(L"中文标点", 19),     Item(L"英文标点", 18), Separator(),
        Item(L"全角符号", 14),     Item(L"半角符号", 15), Separator(),
        Item(L"关闭键盘输入", 42), Separator(),           Item(L"取消(&C)", 0),
    };
}

MenuItem* FindMenuItem(MenuItems& items, uint64_t id) {
    if (id == 0) return nullptr;
    for (MenuItem& m : items) {
        if (m.id == id) return &m;
        if (MenuItem* s = FindMenuItem(m.submenu, id)) return s;
    }
    return nullptr;
}
