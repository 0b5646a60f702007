// What the key-function editor decides: the key buttons and their key texts, the slot a key
// edits (plain or shifted table, or a combination record), the function menu's effect on a
// mask and its checked items, the combination records and the default scheme.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/settings/config_blocks.h"
#include "core/settings/key_names.h"

// One key button: its control id, label, key text and place in dialog units.
struct KeyButton {
    int id;
    const wchar_t* label;
    const wchar_t* keyText;
    short x, y, width;
};
constexpr int kKeyButtonCount = 99;
constexpr short kKeyButtonHeight = 16;
extern const KeyButton kKeyButtons[kKeyButtonCount];
// The key text of a button id; null for ids that are not key buttons.
const wchar_t* GetKeyName(int id);
// True for the buttons of the modifier keys themselves (disabled while a modifier box is
// checked).
bool IsModifierKeyButton(const KeyButton& button);

// The code of a key text with the modifier boxes.
KeyCombination ButtonKeyCode(const wchar_t* keyText, bool ctrl, bool alt, bool shift);

enum class SlotKind { None, Plain, Shifted, Combination };
struct KeySlot {
    SlotKind kind;
    int index;  // virtual key of a table, or combination record (-1: no record yet)
};
KeySlot FindKeySlot(const DmeConfigData* dme, KeyCombination code);
// The slot's mask (0 for none or a combination without a record).
KeyFunctionMask SlotMask(const DmeConfigData* dme, const KeySlot& slot);
void StoreSlotMask(DmeConfigData* dme, const KeySlot& slot, KeyFunctionMask mask);

// Combination records in use, counted from the records (the stored count is not trusted).
int UsedComboRecords(const DmeConfigData* dme);
// Packs the used records to the front and stores their number as the count: the input
// method reads records [0, count). Writes only what changes.
void PackComboRecords(DmeConfigData* dme);
// A new record for code (mask 0) behind the used ones; -1 when all 64 are used.
int AllocateComboRecord(DmeConfigData* dme, KeyCombination code);
// Frees every record of code; the rest stay packed.
void FreeComboRecords(DmeConfigData* dme, KeyCombination code);

enum class MenuEffect {
    Exclusive,     // set: clear only that bit; else the mask becomes that bit alone
    Toggle,        // flip the bit
    Commit,        // commit candidate n
    Frequency,     // adjust the frequency of candidate n
    Delete,        // delete candidate n
    Clear,         // mask 0
    Nothing,       // "取消"
    LoadDefaults,  // whole tables: the default scheme
    ClearAll,      // whole tables: everything
    ClearCombos,   // whole tables: the combination records
};
struct KeyMenuItem {
    UINT id;
    MenuEffect effect;
    KeyFunctionMask bit;
    int n;
    int family;  // exclusive family (at most one of it is checked); 0 for none
};
// Every item of the function menu, in its order.
const std::vector<KeyMenuItem>& KeyMenuItems();
const KeyMenuItem* FindKeyMenuItem(UINT id);
// The mask after choosing item (whole-table items leave it as it is).
KeyFunctionMask ApplyMenuItem(KeyFunctionMask mask, const KeyMenuItem& item);
// The items checked for a mask.
std::vector<UINT> CheckedMenuItems(KeyFunctionMask mask);

// Whole tables.
void ClearKeyTables(DmeConfigData* dme);     // both tables and the combinations
void ClearComboRecords(DmeConfigData* dme);  // the combinations only
void LoadDefaultScheme(DmeConfigData* dme);  // cleared, then the default keys
struct DefaultKey {
    int vk;
    KeyFunctionMask mask;
};
const std::vector<DefaultKey>& DefaultScheme();

// Fill colour of a key button: bound keys are highlighted.
constexpr COLORREF kBoundKeyColour = 0x8080FF;
constexpr COLORREF kKeyFrameColour = 0x808080;
constexpr COLORREF kDisabledKeyTextColour = 0xB4B4B4;
