#include "ui/menus/popup_menus.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/settings/config_blocks.h"
#include "engine/ui_command.h"
#include "menu_readback.h"
#include "support/sent_commands.h"
#include "ui/menus/menu_build.h"
#include "ui/menus/menu_dispatch.h"
#include "ui/menus/menu_prepare.h"
#include "ui/ui_engine_fixture.h"

using namespace menu_test;
using testing_support::UiEngine;

namespace {

void SetAlias(SoftConfigData& soft, int cls, const wchar_t* text) {
    wcsncpy(soft.classAliases[cls], text, kClassAliasUnits);
}

class MenuEngine : public UiEngine {
public:
    MenuEngine() { e->soft = soft.get(); }
    void Aliases() {
        SetAlias(*soft, 0, L"主码");
        SetAlias(*soft, 2, L"用户");
        SetAlias(*soft, 3, L"次显");
        SetAlias(*soft, 4, L"辅码");
    }
    std::unique_ptr<SoftConfigData> soft = std::make_unique<SoftConfigData>();
};

std::vector<ShownItem> Built(const MenuItems& items, const MenuItems& skins = {}) {
    MenuHandle menu = BuildPopupMenu(items, skins);
    EXPECT_TRUE(menu);
    return Inspect(menu.get());
}

struct Expect {
    UINT id;
    const wchar_t* text;  // null: not checked
    bool checked, grayed;
};

struct FunctionMenuCase {
    const char* name;
    bool aliases;
    uint32_t state, options;
    uint32_t softKeyboardLayout;
    MenuContext context;
    bool updateUrl;
    // After:
    int topItems;
    bool schemeShown;
    int outputItems;  // items of "上屏选项(&O)"
    std::vector<Expect> items;
    std::vector<UINT> absent;
};

TEST(FunctionMenu, BuiltForEngineStates) {
    const uint32_t main = kImeMainTable, aux = kImeAuxTable;
    const FunctionMenuCase cases[] = {
        {"plain desktop record, nothing optional",
         false,
         0,
         main,
         0,
         MenuContext{},
         false,
         12,
         false,
         7,
         {{14, L"全角", false, false},
          {15, L"半角", true, false},
          {19, L"中文标点(&Z)", true, false},
          {17, L"繁体输出(&F)", false, true},
          {16, L"简体输出(&J)", false, true},
          {2, L"添加用户词(&M)", false, true},
          {40, L"检查更新(&U)\t...", false, true},
          {3, L"还原状态栏(&R)", false, true},
          {4, L"关闭状态栏窗口(&X)", false, true},
          {1, L"属性设置(&S)", false, false},
          {21, L"&1   PC 键盘", false, false}},
         {6, 10}},
        {"aliases, mixed scheme, secondary always",
         true,
         kStateFullWidthOutput | kStateEnglishPunct,
         main | aux | kImeSearchSecondary,
         0,
         MenuContext{},
         true,
         14,
         true,
         7,
         {{6, L"主码+辅码", true, false},
          {7, L"主码", false, false},
          {8, L"辅码", false, false},
          {10, L"检索 次显", true, false},
          {11, L"不检索 次显", false, false},
          {12, L"候选为空时检索 次显", false, false},
          {14, L"全角", true, false},
          {18, L"英文标点(&Y)", true, false},
          {2, L"添加用户词(&M)", false, false},
          {40, L"检查更新(&U)\t...", false, false}},
         {}},
        {"auxiliary scheme, secondary on an empty code",
         true,
         0,
         aux | kImeSecondaryOnEmpty,
         0,
         MenuContext{},
         false,
         14,
         true,
         7,
         {{8, L"辅码", true, false}, {6, nullptr, false, false}, {12, nullptr, true, false}},
         {}},
        {"main scheme, secondary never",
         true,
         0,
         main,
         0,
         MenuContext{},
         false,
         14,
         true,
         7,
         {{7, L"主码", true, false}, {11, nullptr, true, false}},
         {}},
        {"text service, status bar not embedded, bar shown",
         false,
         0,
         main,
         0,
         MenuContext{false, true, true, true, false, false},
         false,
         12,
         false,
         7,
         {{3, L"嵌入状态栏(&R)", false, false}, {4, L"关闭状态栏窗口(&X)", false, false}},
         {}},
        {"text service, embedded, bar hidden",
         false,
         0,
         main | kImeStatusEmbedded,
         0,
         MenuContext{false, true, true, false, false, false},
         false,
         12,
         false,
         7,
         {{3, L"还原状态栏(&R)", false, false}, {4, L"显示状态栏窗口(&X)", false, false}},
         {}},
        {"both script tables, traditional on",
         false,
         0,
         main | kImeTraditionalOutput,
         0,
         MenuContext{false, false, false, false, true, true},
         false,
         12,
         false,
         8,
         {{17, nullptr, true, false}, {16, nullptr, false, false}},
         {}},
        {"only the simplified table, simplified on",
         false,
         0,
         main | kImeSimplifiedOutput,
         0,
         MenuContext{false, false, false, false, false, true},
         false,
         12,
         false,
         8,
         {{17, nullptr, false, true}, {16, nullptr, true, false}},
         {}},
        {"soft keyboard layout 3 ticked",
         false,
         0,
         main,
         3,
         MenuContext{},
         false,
         12,
         false,
         7,
         {{23, nullptr, true, false}, {21, nullptr, false, false}},
         {}},
        {"immersive: desktop items present but disabled",
         true,
         0,
         main,
         0,
         MenuContext{true, true, false, false, false, false},
         true,
         14,
         true,
         7,
         {{1, L"属性设置(&S)", false, true},
          {2, nullptr, false, true},
          {21, nullptr, false, true},
          {34, nullptr, false, false},
          {38, nullptr, false, true},
          {36, nullptr, false, true},
          {3, nullptr, false, true},
          {14, nullptr, false, false}},
         {}},
    };
    for (const FunctionMenuCase& c : cases) {
        SCOPED_TRACE(c.name);
        MenuEngine t;
        if (c.aliases) t.Aliases();
        if (c.updateUrl) wcscpy(t.soft->updateUrl, L"http://example.invalid/?v=%s");
        t.e->state = c.state;
        t.e->ime->options = c.options;
        t.e->softKeyboardLayout = c.softKeyboardLayout;
        MenuItems items = FunctionMenuItems();
        PrepareFunctionMenu(t.e, c.context, items);
        const std::vector<ShownItem> shown = Built(items);
        EXPECT_EQ(static_cast<int>(shown.size()), c.topItems);
        EXPECT_EQ(PopupByText(shown, L"输入方案(&P)") != nullptr, c.schemeShown);
        EXPECT_EQ(PopupByText(shown, L"码表检索(&R)") != nullptr, c.schemeShown);
        const ShownItem* output = PopupByText(shown, L"上屏选项(&O)");
        ASSERT_NE(output, nullptr);
        EXPECT_EQ(static_cast<int>(output->sub.size()), c.outputItems);
        const ShownItem* soft = PopupByText(shown, L"软键盘(&K)");
        ASSERT_NE(soft, nullptr);
        EXPECT_EQ(soft->sub.size(), 15u);
        EXPECT_EQ(PopupByText(shown, L"皮肤(&F)"), nullptr);  // no skin library
        for (const Expect& x : c.items) {
            SCOPED_TRACE(x.id);
            const ShownItem* s = ById(shown, x.id);
            ASSERT_NE(s, nullptr);
            if (x.text) {
                EXPECT_EQ(s->text, x.text);
            }
            EXPECT_EQ(s->checked, x.checked);
            EXPECT_EQ(s->grayed, x.grayed);
        }
        for (UINT id : c.absent) EXPECT_EQ(ById(shown, id), nullptr) << id;
    }
}

TEST(FunctionMenu, SecondaryAliasMissingDisablesTheSearchMenu) {
    MenuEngine t;
    SetAlias(*t.soft, 4, L"辅码");
    MenuItems items = FunctionMenuItems();
    PrepareFunctionMenu(t.e, MenuContext{}, items);
    const ShownItem* search = PopupByText(Built(items), L"码表检索(&R)");
    ASSERT_NE(search, nullptr);
    EXPECT_TRUE(search->grayed);
}

// Aliases fill their 32-unit fields without a terminator: the texts stay bounded.
TEST(FunctionMenu, AliasTextsAreBounded) {
    MenuEngine t;
    for (int cls : {0, 3, 4}) wmemset(t.soft->classAliases[cls], L'码', kClassAliasUnits);
    t.e->ime->options = kImeMainTable | kImeAuxTable;
    MenuItems items = FunctionMenuItems();
    PrepareFunctionMenu(t.e, MenuContext{}, items);
    const std::wstring alias(kClassAliasUnits - 1, L'码');
    const std::vector<ShownItem> shown = Built(items);
    EXPECT_EQ(ById(shown, 7)->text, alias);
    EXPECT_EQ(ById(shown, 6)->text, alias + L"+" + alias);
    EXPECT_EQ(ById(shown, 12)->text, L"候选为空时检索 " + alias);
}

TEST(SkinMenu, TicksTheSkinWhoseFileNameIsTheChosenOne) {
    SkinLibrary* library = static_cast<SkinLibrary*>(std::calloc(1, sizeof(SkinLibrary)));
    const wchar_t* paths[] = {L"C:\\ime\\colourful\\blue.col", L"C:\\ime\\colourful\\Dark.col",
                              L"C:\\ime\\colourful\\dark.col.old", L"fromResource"};
    const wchar_t* names[] = {L"蓝", L"暗", L"旧", L"内置"};
    library->count = 4;
    for (int i = 0; i < 4; ++i) {
        wcscpy(library->descriptions[i].path, paths[i]);
        wcscpy(library->descriptions[i].info.name, names[i]);
    }
    struct Case {
        const wchar_t* skinName;
        int ticked;  // -1: none
    };
    for (const Case& c : {Case{L"dark.col", 1}, Case{L"blue.col", 0}, Case{L"", -1},
                          Case{L"dark", -1}, Case{L"colourful", -1}}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.skinName)));
        const MenuItems skins = SkinMenuItems(*library, c.skinName);
        ASSERT_EQ(skins.size(), 4u);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(skins[i].id, 55u + i);
            EXPECT_EQ(skins[i].state == kMenuStateChecked, i == c.ticked) << i;
        }
        MenuItems items = FunctionMenuItems();
        const ShownItem* popup = PopupByText(Built(items, skins), L"皮肤(&F)");
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(popup->sub.size(), 4u);
        EXPECT_EQ(popup->sub[3].text, L"内置");
    }
    std::free(library);
}

TEST(CandidateMenu, ByCandidateKindFlagsAndClass) {
    struct Case {
        const char* name;
        uint8_t kind;
        uint32_t flags;
        bool alias;
        bool allDisabled, pinned;
        const wchar_t* classText;  // null: hidden
        bool classChecked;
    };
    const Case cases[] = {
        {"command candidate", kKindTextEntry, 0, true, true, false, L"归入***(S)", false},
        {"secondary entry, pinned", kKindMainEntry, 0x43000000, true, false, true, L"归入次显",
         true},
        {"system entry", kKindMainEntry, 0x01000000, true, false, false, L"归入次显", false},
        {"user entry", kKindMainEntry, 0x02000000, true, false, false, nullptr, false},
        {"no secondary alias", kKindMainEntry, 0x03000000, false, false, false, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MenuEngine t;
        if (c.alias) t.Aliases();
        uint8_t entry[16] = {};
        std::memcpy(entry, &c.flags, 4);
        t.Page({L"词"});
        t.e->candidates[0].kind = c.kind;
        t.e->candidates[0].entry = entry;
        MenuItems items = CandidateMenuItems();
        PrepareCandidateMenu(t.e, 0, items);
        const std::vector<ShownItem> shown = Built(items);
        for (UINT id : {46u, 47u, 48u, 49u, 50u, 51u})
            EXPECT_EQ(ById(shown, id)->grayed, c.allDisabled) << id;
        EXPECT_EQ(ById(shown, 50)->checked, c.pinned);
        const ShownItem* moveTo = ById(shown, 52);
        if (c.classText) {
            ASSERT_NE(moveTo, nullptr);
            EXPECT_EQ(moveTo->text, c.classText);
            EXPECT_EQ(moveTo->checked, c.classChecked);
        } else {
            EXPECT_EQ(moveTo, nullptr);
        }
        EXPECT_EQ(shown.back().text, L"取消(&C)");
        EXPECT_FALSE(shown.back().grayed);
    }
}

TEST(StatusMenu, TicksTheModes) {
    struct Case {
        uint32_t state;
        UINT ticked[3];
        const wchar_t* keyboardText;
    };
    const Case cases[] = {
        {0, {43, 15, 19}, L"关闭键盘输入"},
        {kStateEnglishMode | kStateFullWidthOutput | kStateEnglishPunct,
         {44, 14, 18},
         L"关闭键盘输入"},
        {kStateImeClosed, {43, 15, 19}, L"打开键盘输入"},
    };
    for (const Case& c : cases) {
        MenuEngine t;
        t.e->state = c.state;
        MenuItems items = StatusMenuItems();
        PrepareStatusMenu(t.e, items);
        const std::vector<ShownItem> shown = Built(items);
        EXPECT_EQ(shown.size(), 12u);
        for (UINT id : {43u, 44u, 14u, 15u, 18u, 19u}) {
            const bool ticked = id == c.ticked[0] || id == c.ticked[1] || id == c.ticked[2];
            EXPECT_EQ(ById(shown, id)->checked, ticked) << id;
        }
        EXPECT_EQ(ById(shown, 42)->text, c.keyboardText);
    }
}

using testing_support::g_sent;
using testing_support::RecordCommand;

TEST(MenuDispatch, ItemsToUICommands) {
    struct Case {
        uint64_t id;
        int64_t row;
        uint32_t code;
        uintptr_t first, second;
    };
    const Case cases[] = {
        {1, -1, uicmd::kSettings, 0, 0},           {2, -1, uicmd::kAddUserWord, 0, 0},
        {3, -1, uicmd::kStatusEmbedToggle, 0, 0},  {6, -1, uicmd::kInputScheme, 0, 0},
        {7, -1, uicmd::kInputScheme, 0, 1},        {8, -1, uicmd::kInputScheme, 0, 2},
        {10, -1, uicmd::kSecondarySearch, 0, 0},   {11, -1, uicmd::kSecondarySearch, 0, 1},
        {12, -1, uicmd::kSecondarySearch, 0, 2},   {14, -1, uicmd::kFullWidth, 0, 0},
        {15, -1, uicmd::kHalfWidth, 0, 0},         {16, -1, uicmd::kSimplifiedToggle, 0, 0},
        {17, -1, uicmd::kTraditionalToggle, 0, 0}, {18, -1, uicmd::kEnglishPunct, 0, 0},
        {19, -1, uicmd::kChinesePunct, 0, 0},      {21, -1, uicmd::kSoftKeyboard, 22, 1},
        {29, -1, uicmd::kSoftKeyboard, 22, 9},     {33, -1, uicmd::kSoftKeyboard, 22, 13},
        {34, -1, uicmd::kSoftKeyboard, 22, 0},     {36, -1, uicmd::kAbout, 0, 0},
        {38, -1, uicmd::kHelpHome, 0, 0},          {39, -1, uicmd::kKeyboardMap, 0, 0},
        {40, -1, uicmd::kCheckUpdate, 0, 0},       {42, -1, uicmd::kKeyboardOnOff, 0, 0},
        {43, -1, uicmd::kChineseInput, 0, 0},      {44, -1, uicmd::kEnglishInput, 0, 0},
        {46, 2, uicmd::kCandidateMenu, 2, 1},      {47, 2, uicmd::kCandidateMenu, 2, 2},
        {48, 0, uicmd::kCandidateMenu, 0, 3},      {49, 0, uicmd::kCandidateMenu, 0, 4},
        {50, 4, uicmd::kCandidateMenu, 4, 5},      {52, 4, uicmd::kCandidateMenu, 4, 6},
        {51, 1, uicmd::kCandidateMenu, 1, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        MenuEngine t;
        t.e->uiCommand = {RecordCommand, nullptr};
        g_sent.clear();
        EXPECT_EQ(HandleMenuCommand(t.e, c.id, c.row), 1);
        ASSERT_EQ(g_sent.size(), 1u);
        EXPECT_EQ(g_sent[0].code, c.code);
        EXPECT_EQ(g_sent[0].first, c.first);
        EXPECT_EQ(g_sent[0].second, c.second);
    }
    MenuEngine t;
    t.e->uiCommand = {RecordCommand, nullptr};
    g_sent.clear();
    for (uint64_t id : {0u, 5u, 9u, 13u, 20u, 35u, 37u, 41u, 45u, 53u, 54u})
        EXPECT_EQ(HandleMenuCommand(t.e, id, 0), 0) << id;
    EXPECT_EQ(HandleMenuCommand(t.e, 46, -1), 0);  // no candidate row
    EXPECT_TRUE(g_sent.empty());
}

TEST(MenuDispatch, StatusBarShownAndHidden) {
    MenuEngine t;
    EXPECT_EQ(HandleMenuCommand(t.e, 4, -1), 0);  // no status bar
    HWND bar = CreateWindowExW(0, L"STATIC", L"status", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(bar, nullptr);
    t.e->windows.statusWindow = bar;
    EXPECT_EQ(HandleMenuCommand(t.e, 4, -1), 1);
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_EQ(HandleMenuCommand(t.e, 4, -1), 1);
    EXPECT_FALSE(IsWindowVisible(bar));
    DestroyWindow(bar);
}

TEST(MenuDispatch, SkinInUseIsNotReloaded) {
    MenuEngine t;
    SkinLibrary& library = t.e->uiState->library;
    library.count = 2;
    wcscpy(library.descriptions[0].path, L"C:\\ime\\colourful\\blue.col");
    wcscpy(library.descriptions[1].path, L"C:\\ime\\colourful\\dark.col");
    wcscpy(t.e->skin->skinName, L"Blue.col");
    t.e->skin->statusWindowPos = {100, 200};
    EXPECT_EQ(HandleMenuCommand(t.e, 55, -1), 0);
    EXPECT_EQ(std::wstring(t.e->skin->skinName), L"Blue.col");
    EXPECT_EQ(t.e->skin->statusWindowPos.x, 100);
    EXPECT_EQ(HandleMenuCommand(t.e, 56, -1), 1);
    EXPECT_EQ(std::wstring(t.e->skin->skinName), L"dark.col");
    EXPECT_EQ(t.e->skin->statusWindowPos.x, -1);
    EXPECT_EQ(t.e->skin->statusWindowPos.y, -1);
    EXPECT_EQ(HandleMenuCommand(t.e, 57, -1), 0);  // past the library
}

// The menus are tracked through the seam; the choice is carried out after the menu is gone.
std::vector<ShownItem> g_tracked;
uint64_t g_choice;
uint64_t FakeTrack(HMENU menu, HWND, POINT) {
    g_tracked = Inspect(menu);
    return g_choice;
}

TEST(PopupMenus, TrackedThroughTheSeamAndDispatched) {
    SetMenuTracker(FakeTrack);
    MenuEngine t;
    t.e->uiCommand = {RecordCommand, nullptr};
    struct Case {
        const char* name;
        uint64_t (*show)(Engine*);
        uint64_t choice;
        size_t items;
        uint32_t code;
    };
    const Case cases[] = {
        {"status menu",
         [](Engine* e) {
             return ShowStatusMenu(e, nullptr, {0, 0});
         },
         44, 12, uicmd::kEnglishInput},
        {"soft-keyboard menu",
         [](Engine* e) {
             return ShowSoftKeyboardMenu(e, nullptr, {0, 0});
         },
         34, 15, uicmd::kSoftKeyboard},
        {"function menu",
         [](Engine* e) {
             return ShowFunctionMenu(e, nullptr, {0, 0});
         },
         14, 13, uicmd::kFullWidth},  // the built-in skin fills "皮肤(&F)"
        {"cancelled",
         [](Engine* e) {
             return ShowStatusMenu(e, nullptr, {0, 0});
         },
         0, 12, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_sent.clear();
        g_choice = c.choice;
        EXPECT_EQ(c.show(t.e), c.choice);
        EXPECT_EQ(g_tracked.size(), c.items);
        if (c.code) {
            ASSERT_EQ(g_sent.size(), 1u);
            EXPECT_EQ(g_sent[0].code, c.code);
        } else {
            EXPECT_TRUE(g_sent.empty());
        }
    }
    // The candidate menu hands on the page row of its candidate.
    t.Page({L"甲", L"乙", L"丙"});
    g_sent.clear();
    g_choice = 51;
    ShowCandidateMenu(t.e, 2, nullptr, {0, 0});
    ASSERT_EQ(g_sent.size(), 1u);
    EXPECT_EQ(g_sent[0].first, 2u);
    EXPECT_EQ(g_sent[0].second, 7u);
    SetMenuTracker(nullptr);
}

}  // namespace
