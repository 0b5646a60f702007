// Reading the settings text back into the ime, dme and skin blocks.
#pragma once
#include <cstddef>
#include <string_view>

#include "core/settings/config_blocks.h"
#include "core/settings/option_codec.h"

// Applies a whole settings text (NUL-terminated): clears the key tables, word rules, symbol
// and key-root records, then sets what the text defines; options the text leaves out keep
// their values. codec may be null (input-option and interface-option pairs are dropped).
// 1, or 0 when the text or a block is missing or memory ran out.
int ImportSettingsText(const wchar_t* text, ImeConfigData* ime, DmeConfigData* dme,
                       SkinConfigData* skin, const OptionSectionCodec* codec);
int ImportSettingsText(std::wstring_view text, ImeConfigData* ime, DmeConfigData* dme,
                       SkinConfigData* skin, const OptionSectionCodec* codec);

// One pair of each section; unknown keys and unusable values change nothing.
void ParseImeOption(ImeConfigData* ime, std::wstring_view key, std::wstring_view value);
void ParseKeyFunctionLine(DmeConfigData* dme, std::wstring_view key, std::wstring_view value);
void ParseWordRuleLine(DmeConfigData* dme, std::wstring_view key, std::wstring_view value);
void ParseSymbolTableLine(ImeConfigData* ime, std::wstring_view key, std::wstring_view value);
void ParseKeyRootLine(ImeConfigData* ime, std::wstring_view key, std::wstring_view value);

// Parses "Pn=terms" into slot 0 of rules (zeroed first). n (2..30), or 0 when malformed.
int ParseWordRule(DmeConfigData* dme, std::wstring_view text);

constexpr int kMaxWordRuleText = 511;
