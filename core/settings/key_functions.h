// Key-function masks and the per-key tables that hold them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

// Set of functions bound to one key. Bits 8-11 hold the candidate index n shared by the
// commit, frequency, delete and custom candidate groups.
using KeyFunctionMask = uint64_t;

namespace keyfn {
constexpr KeyFunctionMask kToggleIme = 0x1;
constexpr KeyFunctionMask kToggleEnglish = 0x2;
constexpr KeyFunctionMask kClearInput = 0x4;
constexpr KeyFunctionMask kRepeatInput = 0x8;
constexpr KeyFunctionMask kUndoInput = 0x10;
constexpr KeyFunctionMask kPageUp = 0x20;
constexpr KeyFunctionMask kPageDown = 0x40;
constexpr KeyFunctionMask kCommit =
    0x80;  // with the index: 0 first, 1..10, 11 English, 12 last, 13 top
constexpr KeyFunctionMask kIndexMask = 0xF00;
constexpr int kIndexShift = 8;
constexpr KeyFunctionMask kCaretLeft = 0x1000;
constexpr KeyFunctionMask kCaretRight = 0x2000;
constexpr KeyFunctionMask kCaretHome = 0x4000;
constexpr KeyFunctionMask kCaretEnd = 0x8000;
constexpr KeyFunctionMask kDeleteBefore = 0x10000;
constexpr KeyFunctionMask kDeleteAfter = 0x20000;
constexpr KeyFunctionMask kFirstForward = 0x40000;
constexpr KeyFunctionMask kFirstBackward = 0x80000;
constexpr KeyFunctionMask kAdjustFrequency = 0x100000;  // with the index 1..10
constexpr KeyFunctionMask kDeleteCandidate = 0x200000;  // with the index 1..10
constexpr KeyFunctionMask kSchemeMainMixed = 0x400000;
constexpr KeyFunctionMask kSchemeMainAuxiliary = 0x800000;
constexpr KeyFunctionMask kRangeMainMixed = 0x1000000;
constexpr KeyFunctionMask kRangeMainSecondary = 0x2000000;
constexpr KeyFunctionMask kConfigHome = 0x100000000;
constexpr KeyFunctionMask kConfigHelp = 0x200000000;
constexpr KeyFunctionMask kConfigAbout = 0x400000000;
constexpr KeyFunctionMask kConfigKeys = 0x800000000;
constexpr KeyFunctionMask kConfigReverseOutput = 0x1000000000;
constexpr KeyFunctionMask kAddWordOnline = 0x2000000000;
constexpr KeyFunctionMask kConfigReverseClipboard = 0x8000000000;
constexpr KeyFunctionMask kToggleInterface = 0x10000000000;
constexpr KeyFunctionMask kToggleCandidateWindow = 0x20000000000;
constexpr KeyFunctionMask kConvertSimplified = 0x40000000000;
constexpr KeyFunctionMask kConvertTraditional = 0x80000000000;
constexpr KeyFunctionMask kDeleteWordOnline = 0x200000000000;
constexpr KeyFunctionMask kToggleSoftKeyboard = 0x400000000000;
constexpr KeyFunctionMask kConfigDictionary = 0x800000000000;
constexpr KeyFunctionMask kCustom1 = 0x1000000000000000;
constexpr KeyFunctionMask kCustom2 = 0x2000000000000000;
constexpr KeyFunctionMask kCustom3 = 0x4000000000000000;
constexpr KeyFunctionMask kCustomCandidate = 0x8000000000000000;  // with the index 1..10
}  // namespace keyfn

constexpr int KeyFunctionIndex(KeyFunctionMask mask) {
    return static_cast<int>((mask & keyfn::kIndexMask) >> keyfn::kIndexShift);
}
constexpr KeyFunctionMask WithKeyFunctionIndex(KeyFunctionMask mask, int n) {
    return (mask & ~keyfn::kIndexMask) |
           ((static_cast<KeyFunctionMask>(n) << keyfn::kIndexShift) & keyfn::kIndexMask);
}

// Masks per virtual key, without and with Shift, as laid out in the dme settings block
// (plain entries 160-165 are the taps of the left/right Shift, Ctrl and Alt keys).
struct KeyFunctionTables {
    uint64_t plainKeys[256];
    uint64_t shiftedKeys[256];
};
static_assert(offsetof(KeyFunctionTables, plainKeys) == 0);
static_assert(offsetof(KeyFunctionTables, shiftedKeys) == 2048);
static_assert(sizeof(KeyFunctionTables) == 4096);

// keyCode: virtual key, plus 256 for the shifted table. Tables may sit unaligned in a view.
inline KeyFunctionMask GetKeyFunction(const KeyFunctionTables* tables, int keyCode) {
    if (!tables || keyCode < 0 || keyCode >= 512) return 0;
    KeyFunctionMask mask;
    std::memcpy(&mask, reinterpret_cast<const char*>(tables) + keyCode * 8, sizeof mask);
    return mask;
}
inline void SetKeyFunction(KeyFunctionTables* tables, int keyCode, KeyFunctionMask mask) {
    if (!tables || keyCode < 0 || keyCode >= 512) return;
    std::memcpy(reinterpret_cast<char*>(tables) + keyCode * 8, &mask, sizeof mask);
}
