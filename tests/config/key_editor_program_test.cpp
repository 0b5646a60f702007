// The key-function editor of the real config.exe: a function chosen for a key from the menu
// is in the live settings another process reads, and a combination opened and left empty
// leaves no record behind.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "config/editor_ids.h"
#include "config/key_function_rules.h"
#include "core/record/engine.h"
#include "core/settings/key_names.h"
#include "program_fixture.h"

namespace {

using namespace testing_support;

int ButtonOf(const wchar_t* keyText) {
    for (const KeyButton& b : kKeyButtons)
        if (std::wstring(b.keyText) == keyText) return b.id;
    return 0;
}

// The open popup menu of the program (the menu tracking window).
HWND WaitForMenu() {
    for (int i = 0; i < 100; ++i) {
        HWND m = FindWindowW(L"#32768", nullptr);
        if (m && IsWindowVisible(m)) {
            PumpMessagesFor(300);  // the menu's own loop takes the keys once it runs
            return m;
        }
        PumpMessagesFor(50);
    }
    return nullptr;
}

void Keys(HWND menu, std::initializer_list<UINT> keys) {
    for (UINT vk : keys) {
        PostMessageW(menu, WM_KEYDOWN, vk, 0);
        PumpMessagesFor(150);
    }
}

template <class F>
bool WaitFor(F done) {
    for (int i = 0; i < 100; ++i) {
        if (done()) return true;
        PumpMessagesFor(50);
    }
    return false;
}

TEST(KeyEditorProgram, AFunctionChosenForAKeyIsWhatAnotherProcessReads) {
    Installation inst;
    inst.ime.EditConfig([](uint8_t* v) {
        LoadDefaultScheme(reinterpret_cast<DmeConfigData*>(v + kDmeBlockOffset));
    });
    Engine* other = Engine::CreateForConfig(inst.ime.guidText);
    ASSERT_NE(other, nullptr);
    Program p(L"/n " + std::wstring(inst.ime.guidText) + L" /do anjianshezhi");
    HWND d = WaitForDialog(inst.Title(L"按键功能定义 - %ls").c_str());
    ASSERT_NE(d, nullptr);
    PumpMessagesFor(500);

    // F2: 基本功能 > 输入法打开/关闭.
    ClickDialogItem(d, ButtonOf(L"键F2"));
    HWND menu = WaitForMenu();
    ASSERT_NE(menu, nullptr);
    Keys(menu, {VK_DOWN, VK_RIGHT, VK_RETURN});
    EXPECT_TRUE(WaitFor([&] { return GetKeyFunction(&other->dme->keys, VK_F2) != 0; }));
    EXPECT_STREQ(FormatKeyFunctionNames(GetKeyFunction(&other->dme->keys, VK_F2)),
                 L"输入法打开/关闭,");
    EXPECT_EQ(GetKeyFunction(&other->dme->keys, VK_SPACE), keyfn::kCommit);  // the rest kept
    EXPECT_TRUE(SaveScreenshotIfAsked(d, L"config-key-editor.png"));         // bound keys in red

    // Ctrl+A opened and cancelled: no record stays.
    PostMessageW(GetDlgItem(d, IDC_KEYS_CTRL), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(GetDlgItem(d, ButtonOf(L"键左Ctrl"))); }));
    ClickDialogItem(d, ButtonOf(L"a"));
    menu = WaitForMenu();
    ASSERT_NE(menu, nullptr);
    Keys(menu, {VK_ESCAPE});
    PumpMessagesFor(500);
    EXPECT_EQ(other->dme->comboCount, 0);
    EXPECT_EQ(UsedComboRecords(other->dme), 0);
    // Bound, it is one record of Ctrl+A.
    ClickDialogItem(d, ButtonOf(L"a"));
    menu = WaitForMenu();
    ASSERT_NE(menu, nullptr);
    Keys(menu, {VK_DOWN, VK_RIGHT, VK_RETURN});
    EXPECT_TRUE(WaitFor([&] { return other->dme->comboCount == 1; }));
    EXPECT_EQ(other->dme->combos[0].combination, 'A' | keycombo::kCtrl);
    EXPECT_EQ(other->dme->combos[0].functions, keyfn::kToggleIme);

    ClickDialogItem(d, IDCANCEL);
    EXPECT_TRUE(WaitForWindowGone(d));
    EXPECT_TRUE(p.Ended());
    Engine::DestroyForConfig(other);
}

}  // namespace
