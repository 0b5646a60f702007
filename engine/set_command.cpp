#include "engine/set_command.h"

#include <cwchar>

namespace {

constexpr const wchar_t* kSections[] = {
    L"[-生成器选项-]",   nullptr,          L"[-按键功能-]",           L"[-IME设置-]",
    L"[-DME设置-]",      L"[-SKIN设置-]",  L"[-构词规则定义-]",       L"[-非编码符号转义定义表-]",
    L"[-键位字根表-]",   L"[-其他安装文件-]", L"[-软件选项-]",
};

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
    if (!header) return 0;
    for (int i = 0; i < static_cast<int>(sizeof kSections / sizeof kSections[0]); ++i) {
        const wchar_t* s = kSections[i];
        if (s && std::wcslen(s) == length && std::wmemcmp(s, header, length) == 0) return i + 1;
    }
    return 0;
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
