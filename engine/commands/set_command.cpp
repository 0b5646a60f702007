#include "engine/commands/set_command.h"

#include <cwchar>
#include <string>
#include <string_view>

#include "core/record/engine.h"
#include "core/settings/option_codec.h"
#include "core/settings/settings_import.h"
#include "core/settings/settings_text.h"

namespace {

// Reads one part at *pos up to the separator end; quoted parts end at the closing quote,
// which the separator must follow. The separator is consumed.
bool ReadPart(const wchar_t* text, size_t* pos, wchar_t end, TextPart* part) {
    size_t i = *pos;
    size_t from, to;
    if (text[i] == L'"') {
        from = ++i;
        while (text[i] && text[i] != L'"') ++i;
        if (text[i] != L'"') return false;
        to = i++;
        if (text[i] != end) return false;
    } else {
        from = i;
        while (text[i] && text[i] != end) ++i;
        if (text[i] != end) return false;
        to = i;
    }
    if (to == from) return false;
    *part = {text + from, to - from};
    *pos = i + 1;
    return true;
}

std::wstring_view View(TextPart p) { return p.text ? std::wstring_view(p.text, p.length) : L""; }

// Keys a set( command may not change: the front-end choice and the debug switch.
bool IsRefusedKey(std::wstring_view key) { return key == L"输入法框架" || key == L"使用调试模式"; }

int ApplyCodecLine(const OptionSectionCodec* codec, void* block, TextPart key, TextPart value,
                   int kind) {
    if (!codec || !codec->read || !block) return 0;
    const std::wstring k(View(key)), v(View(value));
    codec->read(block, k.c_str(), v.c_str(), kind);
    return 1;
}

}  // namespace

int GetSettingsSectionId(const wchar_t* header, size_t length) {
    return header ? SettingsSectionIdOf(std::wstring_view(header, length)) : 0;
}

int GetSettingsSectionId(const wchar_t* header) {
    return header ? GetSettingsSectionId(header, std::wcslen(header)) : 0;
}

int ParseSetCommand(const wchar_t* text, TextPart* section, TextPart* key, TextPart* value) {
    TextPart parts[3] = {};
    int id = 0;
    size_t pos = 4;
    if (text && std::wcsncmp(text, L"set(", 4) == 0 && ReadPart(text, &pos, L',', &parts[0]) &&
        ReadPart(text, &pos, L'=', &parts[1]) && ReadPart(text, &pos, L')', &parts[2]))
        id = GetSettingsSectionId(parts[0].text, parts[0].length);
    if (!id) parts[0] = parts[1] = parts[2] = TextPart{};
    if (section) *section = parts[0];
    if (key) *key = parts[1];
    if (value) *value = parts[2];
    return id;
}

int ApplySettingLine(int section, TextPart key, TextPart value, ImeConfigData* ime,
                     DmeConfigData* dme, SkinConfigData* skin, const OptionSectionCodec* codec) {
    const std::wstring_view k = View(key), v = View(value);
    switch (section) {
        case kSectionKeyFunctions:
            if (!dme) return 0;
            ParseKeyFunctionLine(dme, k, v);
            return 1;
        case kSectionIme:
            if (!ime) return 0;
            ParseImeOption(ime, k, v);
            return 1;
        case kSectionDme:
            return ApplyCodecLine(codec, dme, key, value, kOptionSectionInput);
        case kSectionSkin:
            return ApplyCodecLine(codec, skin, key, value, kOptionSectionInterface);
        case kSectionWordRules:
            if (!dme) return 0;
            ParseWordRuleLine(dme, k, v);
            return 1;
        case kSectionSymbols:
            if (!ime) return 0;
            ParseSymbolTableLine(ime, k, v);
            return 1;
        case kSectionKeyRoots:
            if (!ime) return 0;
            ParseKeyRootLine(ime, k, v);
            return 1;
        default:
            return 0;
    }
}

int ApplySetCommandLine(Engine* engine, const wchar_t* line, const OptionSectionCodec* codec) {
    if (!engine) return 0;
    TextPart section, key, value;
    const int id = ParseSetCommand(line, &section, &key, &value);
    if (!id || IsRefusedKey(View(key))) return 0;
    return ApplySettingLine(id, key, value, engine->ime, engine->dme, engine->skin, codec);
}
