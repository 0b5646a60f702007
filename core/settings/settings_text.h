// Names shared by the settings text reader and writer.
#pragma once
#include <string_view>

enum SettingsSectionId : int {
    kSectionUnknown = 0,
    kSectionBuilder = 1,
    kSectionKeyFunctions = 3,
    kSectionIme = 4,
    kSectionDme = 5,
    kSectionSkin = 6,
    kSectionWordRules = 7,
    kSectionSymbols = 8,
    kSectionKeyRoots = 9,
    kSectionOtherFiles = 10,
    kSectionSoftware = 11,
};

inline constexpr wchar_t kSectionImeName[] = L"[-IME设置-]";
inline constexpr wchar_t kSectionDmeName[] = L"[-DME设置-]";
inline constexpr wchar_t kSectionSkinName[] = L"[-SKIN设置-]";
inline constexpr wchar_t kSectionSymbolsName[] = L"[-非编码符号转义定义表-]";
inline constexpr wchar_t kSectionKeyRootsName[] = L"[-键位字根表-]";
inline constexpr wchar_t kSectionKeyFunctionsName[] = L"[-按键功能-]";
inline constexpr wchar_t kSectionWordRulesName[] = L"[-构词规则定义-]";

inline constexpr wchar_t kSmartPunctKey[] = L"智能标点表";
inline constexpr wchar_t kCaretLeftPunctKey[] = L"光标左移的标点表";
inline constexpr wchar_t kUseKeyRootsKey[] = L"使用键位字根表";

// Id of a section line (compared whole); 0 for any other text.
int SettingsSectionIdOf(std::wstring_view line);

// Record index of a one-character key of the symbol and key-root tables: full-width keypad
// characters select records 0x0A-0x19, other characters below 128 their own; -1 otherwise.
int SettingsKeyRecord(std::wstring_view key);
// The key character written for record i: U+FF00 + i below 32, else i itself.
constexpr wchar_t SettingsKeyChar(int i) { return static_cast<wchar_t>(i < 32 ? 0xFF00 + i : i); }
