#include "engine/commands/set_command.h"

#include <cwchar>
#include <string_view>

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
