#include "config/key_function_rules.h"

#include <cstring>

namespace {

using namespace keyfn;

// The candidate functions share the index field: a key holds at most one of them.
constexpr KeyFunctionMask kCandidateFamily =
    kCommit | kAdjustFrequency | kDeleteCandidate | kCustomCandidate | kIndexMask;

KeyCombination ComboCode(const DmeConfigData* dme, int i) {
    KeyCombination c;
    std::memcpy(&c, &dme->combos[i].combination, sizeof c);
    return c;
}
KeyFunctionMask ComboMask(const DmeConfigData* dme, int i) {
    KeyFunctionMask m;
    std::memcpy(&m, &dme->combos[i].functions, sizeof m);
    return m;
}
bool IsFree(const DmeConfigData* dme, int i) {
    return ComboCode(dme, i) == 0 && ComboMask(dme, i) == 0;
}

void StoreRecord(DmeConfigData* dme, int i, KeyCombination code, KeyFunctionMask mask) {
    // The functions first: a reader between the two stores sees no key or the whole record.
    const KeyCombination none = 0;
    std::memcpy(&dme->combos[i].combination, &none, sizeof none);
    std::memcpy(&dme->combos[i].functions, &mask, sizeof mask);
    std::memcpy(&dme->combos[i].combination, &code, sizeof code);
}

// Stores a packed list of n records and the count; a shrinking count goes first, a
// growing one last, so that readers of [0, count) never see a half-moved record.
void StorePacked(DmeConfigData* dme, const KeyComboRecord* records, int n) {
    const int old = dme->comboCount;
    if (n < old) dme->comboCount = static_cast<uint8_t>(n);
    for (int i = 0; i < kMaxCombos; ++i) {
        const KeyCombination code = i < n ? records[i].combination : 0;
        const KeyFunctionMask mask = i < n ? records[i].functions : 0;
        if (ComboCode(dme, i) != code || ComboMask(dme, i) != mask) StoreRecord(dme, i, code, mask);
    }
    dme->comboCount = static_cast<uint8_t>(n);
}

int Collect(const DmeConfigData* dme, KeyComboRecord (&out)[kMaxCombos], KeyCombination skip) {
    int n = 0;
    for (int i = 0; i < kMaxCombos; ++i) {
        if (IsFree(dme, i) || ComboCode(dme, i) == skip) continue;
        out[n++] = {ComboCode(dme, i), ComboMask(dme, i)};
    }
    return n;
}

constexpr int kBasic = 1, kExtended = 2, kRunning = 3;

std::vector<KeyMenuItem> MakeItems() {
    std::vector<KeyMenuItem> v = {
        {32807, MenuEffect::Exclusive, kToggleIme, 0, kBasic},
        {33054, MenuEffect::Exclusive, kToggleEnglish, 0, kBasic},
        {32803, MenuEffect::Toggle, kPageUp, 0, 0},
        {32804, MenuEffect::Toggle, kPageDown, 0, 0},
        {32813, MenuEffect::Toggle, kFirstBackward, 0, 0},
        {32812, MenuEffect::Toggle, kFirstForward, 0, 0},
        {32808, MenuEffect::Toggle, kClearInput, 0, 0},
        {32809, MenuEffect::Toggle, kRepeatInput, 0, 0},
        {32810, MenuEffect::Toggle, kUndoInput, 0, 0},
        {32815, MenuEffect::Exclusive, kToggleInterface, 0, kExtended},
        {32885, MenuEffect::Exclusive, kToggleCandidateWindow, 0, kExtended},
        {32945, MenuEffect::Exclusive, kDeleteWordOnline, 0, kExtended},
        {32886, MenuEffect::Exclusive, kAddWordOnline, 0, kExtended},
        {32888, MenuEffect::Exclusive, kConvertSimplified, 0, kExtended},
        {32889, MenuEffect::Exclusive, kConvertTraditional, 0, kExtended},
        {32948, MenuEffect::Exclusive, kToggleSoftKeyboard, 0, kExtended},
        {33030, MenuEffect::Exclusive, kSchemeMainMixed, 0, kExtended},
        {33031, MenuEffect::Exclusive, kSchemeMainAuxiliary, 0, kExtended},
        {33028, MenuEffect::Exclusive, kRangeMainSecondary, 0, kExtended},
        {33029, MenuEffect::Exclusive, kRangeMainMixed, 0, kExtended},
        {32797, MenuEffect::Toggle, kDeleteBefore, 0, 0},
        {32798, MenuEffect::Toggle, kDeleteAfter, 0, 0},
        {32799, MenuEffect::Toggle, kCaretLeft, 0, 0},
        {32800, MenuEffect::Toggle, kCaretRight, 0, 0},
        {32801, MenuEffect::Toggle, kCaretHome, 0, 0},
        {32802, MenuEffect::Toggle, kCaretEnd, 0, 0},
        {32892, MenuEffect::Exclusive, kConfigReverseOutput, 0, kRunning},
        {33039, MenuEffect::Exclusive, kConfigReverseClipboard, 0, kRunning},
        {33063, MenuEffect::Exclusive, kConfigDictionary, 0, kRunning},
        {32890, MenuEffect::Exclusive, kConfigHome, 0, kRunning},
        {32891, MenuEffect::Exclusive, kConfigKeys, 0, kRunning},
        {32894, MenuEffect::Exclusive, kConfigHelp, 0, kRunning},
        {32921, MenuEffect::Exclusive, kConfigAbout, 0, kRunning},
        {32814, MenuEffect::Commit, kCommit, 0, 0},
        {32796, MenuEffect::Commit, kCommit, 11, 0},
    };
    for (int n = 1; n <= 10; ++n)
        v.push_back({static_cast<UINT>(32784 + n), MenuEffect::Commit, kCommit, n, 0});
    v.push_back({32795, MenuEffect::Commit, kCommit, 12, 0});
    v.push_back({33065, MenuEffect::Commit, kCommit, 13, 0});
    for (int n = 1; n <= 10; ++n) {
        const UINT id = n <= 7 ? 32895 + n : 32896 + n;
        v.push_back({id, MenuEffect::Frequency, kAdjustFrequency, n, 0});
    }
    for (int n = 1; n <= 10; ++n) {
        const UINT id = n == 1 ? 32907 : 32907 + n;
        v.push_back({id, MenuEffect::Delete, kDeleteCandidate, n, 0});
    }
    v.push_back({32922, MenuEffect::LoadDefaults, 0, 0, 0});
    v.push_back({32924, MenuEffect::ClearAll, 0, 0, 0});
    v.push_back({32923, MenuEffect::ClearCombos, 0, 0, 0});
    v.push_back({32816, MenuEffect::Clear, 0, 0, 0});
    v.push_back({32817, MenuEffect::Nothing, 0, 0, 0});
    return v;
}

KeyFunctionMask WithCandidate(KeyFunctionMask mask, KeyFunctionMask bit, int n) {
    return (mask & ~kCandidateFamily) | bit |
           ((static_cast<KeyFunctionMask>(n) << kIndexShift) & kIndexMask);
}

}  // namespace

KeyCombination ButtonKeyCode(const wchar_t* keyText, bool ctrl, bool alt, bool shift) {
    KeyCombination code = ParseKeyCombination(keyText);
    if (!IsStorableKeyCombination(code)) return keycombo::kNone;
    if (ctrl) code |= keycombo::kCtrl;
    if (alt) code |= keycombo::kAlt;
    if (shift) code |= keycombo::kShift;
    return code;
}

KeySlot FindKeySlot(const DmeConfigData* dme, KeyCombination code) {
    if (!dme || !IsStorableKeyCombination(code)) return {SlotKind::None, -1};
    const int vk = static_cast<int>(code & keycombo::kKeyMask);
    const bool single = !(code & (keycombo::kCtrl | keycombo::kAlt)) && (code & ~0x1FFLL) == 0 &&
                        vk < 255 && (plainKeyNames[vk][0] || shiftedKeyNames[vk][0]);
    if (single) return {(code & keycombo::kShift) ? SlotKind::Shifted : SlotKind::Plain, vk};
    int last = -1;
    for (int i = 0; i < kMaxCombos; ++i)
        if (!IsFree(dme, i) && ComboCode(dme, i) == code) last = i;
    return {SlotKind::Combination, last};
}

KeyFunctionMask SlotMask(const DmeConfigData* dme, const KeySlot& slot) {
    if (!dme || slot.index < 0) return 0;
    switch (slot.kind) {
        case SlotKind::Plain:
            return GetKeyFunction(&dme->keys, slot.index);
        case SlotKind::Shifted:
            return GetKeyFunction(&dme->keys, 256 + slot.index);
        case SlotKind::Combination:
            return slot.index < kMaxCombos ? ComboMask(dme, slot.index) : 0;
        default:
            return 0;
    }
}

void StoreSlotMask(DmeConfigData* dme, const KeySlot& slot, KeyFunctionMask mask) {
    if (!dme || slot.index < 0) return;
    switch (slot.kind) {
        case SlotKind::Plain:
            SetKeyFunction(&dme->keys, slot.index, mask);
            break;
        case SlotKind::Shifted:
            SetKeyFunction(&dme->keys, 256 + slot.index, mask);
            break;
        case SlotKind::Combination:
            if (slot.index < kMaxCombos)
                std::memcpy(&dme->combos[slot.index].functions, &mask, sizeof mask);
            break;
        default:
            break;
    }
}

int UsedComboRecords(const DmeConfigData* dme) {
    int n = 0;
    for (int i = 0; dme && i < kMaxCombos; ++i) n += !IsFree(dme, i);
    return n;
}

void PackComboRecords(DmeConfigData* dme) {
    if (!dme) return;
    KeyComboRecord records[kMaxCombos];
    const int n = Collect(dme, records, 0);
    StorePacked(dme, records, n);
}

int AllocateComboRecord(DmeConfigData* dme, KeyCombination code) {
    if (!dme) return -1;
    PackComboRecords(dme);
    const int n = UsedComboRecords(dme);
    if (n >= kMaxCombos) return -1;
    StoreRecord(dme, n, code, 0);
    dme->comboCount = static_cast<uint8_t>(n + 1);
    return n;
}

void FreeComboRecords(DmeConfigData* dme, KeyCombination code) {
    if (!dme) return;
    KeyComboRecord records[kMaxCombos];
    const int n = Collect(dme, records, code);
    StorePacked(dme, records, n);
}

const std::vector<KeyMenuItem>& KeyMenuItems() {
    static const std::vector<KeyMenuItem> items = MakeItems();
    return items;
}

const KeyMenuItem* FindKeyMenuItem(UINT id) {
    for (const KeyMenuItem& item : KeyMenuItems())
        if (item.id == id) return &item;
    return nullptr;
}

KeyFunctionMask ApplyMenuItem(KeyFunctionMask mask, const KeyMenuItem& item) {
    switch (item.effect) {
        case MenuEffect::Exclusive:
            return (mask & item.bit) ? mask & ~item.bit : item.bit;
        case MenuEffect::Toggle:
            return mask ^ item.bit;
        case MenuEffect::Commit:
        case MenuEffect::Frequency:
        case MenuEffect::Delete:
            // The same function again clears it; another candidate function replaces it.
            if (mask & item.bit) return mask & ~(item.bit | kIndexMask);
            return WithCandidate(mask, item.bit, item.n);
        case MenuEffect::Clear:
            return 0;
        default:
            return mask;
    }
}

std::vector<UINT> CheckedMenuItems(KeyFunctionMask mask) {
    std::vector<UINT> checked;
    bool familyDone[4] = {};
    const int n = KeyFunctionIndex(mask);
    for (const KeyMenuItem& item : KeyMenuItems()) {
        bool on = false;
        switch (item.effect) {
            case MenuEffect::Exclusive:
                on = (mask & item.bit) && !familyDone[item.family];
                if (on) familyDone[item.family] = true;
                break;
            case MenuEffect::Toggle:
                on = (mask & item.bit) != 0;
                break;
            case MenuEffect::Commit:
            case MenuEffect::Frequency:
            case MenuEffect::Delete:
                on = (mask & item.bit) && n == item.n;
                break;
            default:
                break;
        }
        if (on) checked.push_back(item.id);
    }
    return checked;
}

void ClearComboRecords(DmeConfigData* dme) {
    if (!dme) return;
    dme->comboCount = 0;
    std::memset(dme->combos, 0, sizeof dme->combos);
}

void ClearKeyTables(DmeConfigData* dme) {
    if (!dme) return;
    std::memset(&dme->keys, 0, sizeof dme->keys);
    ClearComboRecords(dme);
}

const std::vector<DefaultKey>& DefaultScheme() {
    static const std::vector<DefaultKey> keys = [] {
        std::vector<DefaultKey> v = {
            {VK_ESCAPE, kClearInput},  {VK_BACK, kDeleteBefore},
            {VK_DELETE, kDeleteAfter}, {VK_RETURN, WithKeyFunctionIndex(kCommit, 11)},
            {VK_SPACE, kCommit},
        };
        for (int n = 1; n <= 9; ++n) v.push_back({'0' + n, WithKeyFunctionIndex(kCommit, n)});
        v.push_back({'0', WithKeyFunctionIndex(kCommit, 10)});
        v.push_back({VK_LSHIFT, kToggleIme});
        v.push_back({VK_PRIOR, kPageUp});
        v.push_back({VK_OEM_MINUS, kPageUp});
        v.push_back({VK_NEXT, kPageDown});
        v.push_back({VK_OEM_PLUS, kPageDown});
        v.push_back({VK_HOME, kCaretHome});
        v.push_back({VK_END, kCaretEnd});
        v.push_back({VK_LEFT, kCaretLeft});
        v.push_back({VK_RIGHT, kCaretRight});
        v.push_back({VK_UP, kFirstForward});
        v.push_back({VK_DOWN, kFirstBackward});
        return v;
    }();
    return keys;
}

void LoadDefaultScheme(DmeConfigData* dme) {
    if (!dme) return;
    ClearKeyTables(dme);
    for (const DefaultKey& k : DefaultScheme()) SetKeyFunction(&dme->keys, k.vk, k.mask);
}
