// The key-function editor's decisions: the key buttons and their texts, the slot a key edits,
// the function menu's effect on a mask for every family and its checked items, the
// combination records and the default scheme; and the menu resource against the table.
#include "config/key_function_rules.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "config/editor_ids.h"
#include "core/settings/key_names.h"
#include "dialog/menus.h"
#include "support/test_files.h"

namespace {

using namespace keyfn;
using testing_support::Narrow;

std::unique_ptr<DmeConfigData> EmptyDme() {
    auto dme = std::make_unique<DmeConfigData>();
    std::memset(dme.get(), 0, sizeof *dme);
    return dme;
}

TEST(KeyButtons, EveryButtonNamesAKeyOfItsOwn) {
    std::set<int> ids;
    std::set<KeyCombination> codes;
    for (const KeyButton& b : kKeyButtons) {
        SCOPED_TRACE(Narrow(b.label));
        EXPECT_TRUE(ids.insert(b.id).second);
        EXPECT_EQ(GetKeyName(b.id), b.keyText);
        const KeyCombination code = ParseKeyCombination(b.keyText);
        EXPECT_TRUE(IsStorableKeyCombination(code));
        EXPECT_EQ(code & ~keycombo::kKeyMask, 0) << "a plain key";
        EXPECT_TRUE(IsNamedKey(code)) << "a key of the plain table";
        EXPECT_TRUE(codes.insert(code).second) << "two buttons for one key";
        EXPECT_LE(b.x + b.width, 347);
        EXPECT_LE(b.y + kKeyButtonHeight, 199);
    }
    EXPECT_EQ(GetKeyName(IDC_KEY_FIRST - 1), nullptr);
    EXPECT_EQ(GetKeyName(IDC_KEY_FIRST + kKeyButtonCount), nullptr);
    EXPECT_EQ(GetKeyName(IDC_KEYS_CTRL), nullptr);
    // The six modifier keys are the ones disabled under a checked box.
    int modifiers = 0;
    for (const KeyButton& b : kKeyButtons) modifiers += IsModifierKeyButton(b);
    EXPECT_EQ(modifiers, 6);
}

TEST(KeyButtons, KeyTextsOfNamedAndKeypadKeys) {
    const struct {
        const wchar_t* label;
        const wchar_t* text;
        int vk;
    } cases[] = {
        {L"ESC", L"键Esc", VK_ESCAPE},
        {L"F12", L"键F12", VK_F12},
        {L"Space", L" ", VK_SPACE},
        {L"L-Shfit", L"键左Shift", VK_LSHIFT},
        {L"R-Ctrl", L"键右Ctrl", VK_RCONTROL},
        {L"PrintSc", L"键PrtSc", VK_SNAPSHOT},
        {L"↑", L"键上箭头", VK_UP},
        {L"A", L"a", 'A'},
        {L"+", L"\uFF0B", VK_ADD},
        {L"Backspace", L"键Backspace", VK_BACK},
    };
    for (const auto& c : cases) {
        const KeyButton* b =
            std::find_if(std::begin(kKeyButtons), std::end(kKeyButtons), [&](const KeyButton& k) {
                return std::wstring(k.label) == c.label && std::wstring(k.keyText) == c.text;
            });
        ASSERT_NE(b, std::end(kKeyButtons)) << Narrow(c.label);
        EXPECT_EQ(ParseKeyCombination(b->keyText), c.vk) << Narrow(c.label);
    }
    // Keypad digits are the full-width digits.
    for (wchar_t d = L'０'; d <= L'９'; ++d) {
        const wchar_t text[2] = {d, 0};
        EXPECT_NE(std::find_if(std::begin(kKeyButtons), std::end(kKeyButtons),
                               [&](const KeyButton& k) { return std::wstring(k.keyText) == text; }),
                  std::end(kKeyButtons));
    }
}

TEST(KeySlots, SingleKeysUseTheTablesAndOthersACombinationRecord) {
    auto dme = EmptyDme();
    dme->combos[3] = {static_cast<KeyCombination>('A' | keycombo::kCtrl), 0x20};
    dme->combos[5] = {static_cast<KeyCombination>('A' | keycombo::kCtrl), 0x40};  // the last one
    dme->comboCount = 6;
    const struct {
        const wchar_t* text;
        bool ctrl, alt, shift;
        SlotKind kind;
        int index;
    } cases[] = {
        {L"a", false, false, false, SlotKind::Plain, 'A'},
        {L"a", false, false, true, SlotKind::Shifted, 'A'},
        {L"a", true, false, false, SlotKind::Combination, 5},
        {L"a", false, true, false, SlotKind::Combination, -1},
        {L"键F5", true, true, true, SlotKind::Combination, -1},
        {L"键Esc", false, false, true, SlotKind::Shifted, VK_ESCAPE},
        {L"\uFF11", false, false, false, SlotKind::Plain, VK_NUMPAD1},
        {L"", false, false, false, SlotKind::None, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        const KeySlot slot = FindKeySlot(dme.get(), ButtonKeyCode(c.text, c.ctrl, c.alt, c.shift));
        EXPECT_EQ(slot.kind, c.kind);
        EXPECT_EQ(slot.index, c.index);
    }
    EXPECT_EQ(SlotMask(dme.get(), {SlotKind::Combination, 5}), 0x40u);
    StoreSlotMask(dme.get(), {SlotKind::Shifted, 'A'}, 0x8);
    EXPECT_EQ(dme->keys.shiftedKeys['A'], 0x8u);
    EXPECT_EQ(dme->keys.plainKeys['A'], 0u);
}

KeyFunctionMask Apply(KeyFunctionMask mask, UINT id) {
    const KeyMenuItem* item = FindKeyMenuItem(id);
    EXPECT_NE(item, nullptr) << id;
    return item ? ApplyMenuItem(mask, *item) : mask;
}

// One table over every family: the mask before, the item chosen, the mask after.
TEST(KeyMenu, EachItemChangesTheMaskByItsFamily) {
    const struct {
        KeyFunctionMask before;
        UINT item;
        KeyFunctionMask after;
    } cases[] = {
        // exclusive: set clears only that bit, else the bit alone
        {kPageUp | kClearInput, 32807, kToggleIme},
        {kToggleIme | kPageUp, 32807, kPageUp},
        {kToggleIme, 33054, kToggleEnglish},
        {kCommit, 32815, kToggleInterface},
        {kToggleSoftKeyboard, 32948, 0},
        {0, 33028, kRangeMainSecondary},
        {0, 33029, kRangeMainMixed},
        {kCommit, 32921, kConfigAbout},
        {0, 33063, kConfigDictionary},
        // toggle
        {kCommit, 32803, kCommit | kPageUp},
        {kCommit | kPageUp, 32803, kCommit},
        {0, 32813, kFirstBackward},
        {0, 32812, kFirstForward},
        {kDeleteBefore, 32797, 0},
        {0, 32802, kCaretEnd},
        // commit: n in bits 8-11; the same function again clears it
        {0, 32814, kCommit},
        {0, 32796, 0xB80},
        {kPageUp, 32786, kPageUp | 0x280},
        {0, 32794, 0xA80},
        {0, 32795, 0xC80},
        {0, 33065, 0xD80},
        {0x280, 32787, 0},
        {0x80 | kPageDown, 32814, kPageDown},
        // frequency and delete
        {0, 32897, kAdjustFrequency | 0x200},
        {0, 32906, kAdjustFrequency | 0xA00},
        {kAdjustFrequency | 0x300, 32896, 0},
        {0, 32907, kDeleteCandidate | 0x100},
        {0, 32917, kDeleteCandidate | 0xA00},
        {kDeleteCandidate | 0x500, 32910, 0},
        // the candidate functions replace each other instead of sharing n
        {kCommit, 32897, kAdjustFrequency | 0x200},
        {kCommit | kPageUp, 32909, kDeleteCandidate | 0x200 | kPageUp},
        {kAdjustFrequency | 0x200, 32814, kCommit},
        {kDeleteCandidate | 0x400, 32788, 0x480},
        {kCustomCandidate | 0x300, 32786, 0x280},
        // clear and cancel; whole-table items leave the slot alone
        {kCommit | kPageUp, 32816, 0},
        {kCommit | kPageUp, 32817, kCommit | kPageUp},
        {kPageUp, 32922, kPageUp},
        {kPageUp, 32924, kPageUp},
        {kPageUp, 32923, kPageUp},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Apply(c.before, c.item), c.after)
            << std::hex << "before 0x" << c.before << " item " << std::dec << c.item;
    }
    EXPECT_EQ(FindKeyMenuItem(12345), nullptr);
}

// What the input method reads from a mask the menu made: at most one candidate function,
// with its own index.
TEST(KeyMenu, ACandidateFunctionAddedToACommitKeyIsWhatTheEngineReads) {
    KeyFunctionMask space = kCommit;  // Space commits the first candidate
    space = Apply(space, 32897);      // 候选调频 第2候选
    EXPECT_STREQ(FormatKeyFunctionNames(space), L"第2候选调频,");
    space = Apply(space, 32814);
    EXPECT_STREQ(FormatKeyFunctionNames(space), L"首选上屏,");
    space = Apply(space | kPageUp, 32912);
    EXPECT_EQ(ParseKeyFunctionNames(FormatKeyFunctionNames(space)), space);
    EXPECT_EQ(space, kPageUp | kDeleteCandidate | 0x500);
}

TEST(KeyMenu, CheckedItemsFollowTheMask) {
    const struct {
        KeyFunctionMask mask;
        std::vector<UINT> checked;
    } cases[] = {
        {0, {}},
        {kCommit, {32814}},
        {0xB80 | kPageUp, {32803, 32796}},
        {kAdjustFrequency | 0x800, {32904}},
        {kDeleteCandidate | 0x100, {32907}},
        {kToggleIme | kToggleEnglish, {32807}},  // one of each exclusive family, first wins
        {kConfigHelp | kConfigHome | kToggleInterface, {32815, 32890}},
        {kCaretLeft | kCaretRight | kDeleteAfter, {32798, 32799, 32800}},
        {kCommit | 0xF00, {}},  // an index without an item
    };
    for (const auto& c : cases) {
        std::vector<UINT> got = CheckedMenuItems(c.mask);
        std::sort(got.begin(), got.end());
        std::vector<UINT> want = c.checked;
        std::sort(want.begin(), want.end());
        EXPECT_EQ(got, want) << std::hex << c.mask;
    }
}

TEST(KeyMenu, TheMenuResourceHoldsEveryItemOfTheTable) {
    UniqueMenu menu = LoadMenuResource(nullptr, IDM_KEY_FUNCTIONS);
    ASSERT_TRUE(menu);
    HMENU popup = SubMenu(menu.get(), 0);
    ASSERT_NE(popup, nullptr);
    for (const KeyMenuItem& item : KeyMenuItems())
        EXPECT_FALSE(MenuItemText(popup, item.id).empty()) << item.id;
    EXPECT_EQ(MenuItemText(popup, 32815), L"显示|关闭状态条(&S)");
    EXPECT_EQ(MenuItemText(popup, 32904), L"第(&8)候选");
}

TEST(ComboRecords, CountComesFromTheRecordsAndRecordsStayPacked) {
    auto dme = EmptyDme();
    // A count out of step with the records (a hand edit): 2 stored, 3 in use with a hole.
    dme->combos[0] = {0x441, 0x20};
    dme->combos[2] = {0x442, 0x40};
    dme->combos[5] = {0x443, 0};  // a code without functions is still in use
    dme->comboCount = 2;
    EXPECT_EQ(UsedComboRecords(dme.get()), 3);
    PackComboRecords(dme.get());
    EXPECT_EQ(dme->comboCount, 3);
    EXPECT_EQ(dme->combos[1].combination, 0x442);
    EXPECT_EQ(dme->combos[2].combination, 0x443);
    EXPECT_EQ(dme->combos[5].combination, 0);

    EXPECT_EQ(AllocateComboRecord(dme.get(), 0x444), 3);
    EXPECT_EQ(dme->comboCount, 4);
    FreeComboRecords(dme.get(), 0x442);
    EXPECT_EQ(dme->comboCount, 3);
    EXPECT_EQ(dme->combos[1].combination, 0x443);
    EXPECT_EQ(dme->combos[2].combination, 0x444);
    EXPECT_EQ(dme->combos[3].combination, 0);

    // Full means no free record, whatever the stored count says.
    for (int i = 0; i < kMaxCombos; ++i) dme->combos[i] = {0x500 + i, 1};
    dme->comboCount = 0;
    EXPECT_EQ(AllocateComboRecord(dme.get(), 0x441), -1);
    EXPECT_EQ(dme->comboCount, kMaxCombos);
    dme->comboCount = 250;  // past the records
    EXPECT_EQ(AllocateComboRecord(dme.get(), 0x441), -1);
    EXPECT_EQ(dme->comboCount, kMaxCombos);
    FreeComboRecords(dme.get(), 0x500);
    EXPECT_EQ(dme->comboCount, kMaxCombos - 1);
    EXPECT_EQ(AllocateComboRecord(dme.get(), 0x441), kMaxCombos - 1);
    // Freeing a code of several records frees them all.
    auto twice = EmptyDme();
    twice->combos[0] = {0x441, 1};
    twice->combos[1] = {0x442, 1};
    twice->combos[2] = {0x441, 2};
    twice->comboCount = 3;
    FreeComboRecords(twice.get(), 0x441);
    EXPECT_EQ(twice->comboCount, 1);
    EXPECT_EQ(twice->combos[0].combination, 0x442);
    EXPECT_EQ(UsedComboRecords(twice.get()), 1);
}

TEST(DefaultScheme, IsTheStandardKeypadScheme) {
    auto dme = EmptyDme();
    dme->keys.shiftedKeys['A'] = 1;
    dme->combos[0] = {0x441, 1};
    dme->comboCount = 1;
    LoadDefaultScheme(dme.get());
    const struct {
        int vk;
        KeyFunctionMask mask;
    } keys[] = {
        {VK_ESCAPE, 0x4},  {VK_BACK, 0x10000}, {VK_DELETE, 0x20000}, {VK_RETURN, 0xB80},
        {VK_SPACE, 0x80},  {'1', 0x180},       {'5', 0x580},         {'9', 0x980},
        {'0', 0xA80},      {0xA0, 0x1},        {VK_PRIOR, 0x20},     {0xBD, 0x20},
        {VK_NEXT, 0x40},   {0xBB, 0x40},       {VK_HOME, 0x4000},    {VK_END, 0x8000},
        {VK_LEFT, 0x1000}, {VK_RIGHT, 0x2000}, {VK_UP, 0x40000},     {VK_DOWN, 0x80000},
    };
    for (const auto& k : keys) EXPECT_EQ(dme->keys.plainKeys[k.vk], k.mask) << k.vk;
    for (int n = 1; n <= 9; ++n) EXPECT_EQ(dme->keys.plainKeys['0' + n], 0x80u + 0x100u * n);
    int bound = 0;
    for (int vk = 0; vk < 256; ++vk) bound += dme->keys.plainKeys[vk] != 0;
    EXPECT_EQ(bound, static_cast<int>(std::size(keys)) + 6);  // with '2'-'4', '6'-'8'

    for (int vk = 0; vk < 256; ++vk) EXPECT_EQ(dme->keys.shiftedKeys[vk], 0u);
    EXPECT_EQ(dme->comboCount, 0);
    EXPECT_EQ(UsedComboRecords(dme.get()), 0);

    ClearKeyTables(dme.get());
    for (int vk = 0; vk < 256; ++vk) EXPECT_EQ(dme->keys.plainKeys[vk], 0u);
}

}  // namespace
