#include "core/settings/settings_text.h"

namespace {

struct SectionName {
    const wchar_t* name;
    int id;
};

constexpr SectionName kSections[] = {
    {L"[-生成器选项-]", kSectionBuilder},
    {kSectionKeyFunctionsName, kSectionKeyFunctions},
    {kSectionImeName, kSectionIme},
    {kSectionDmeName, kSectionDme},
    {kSectionSkinName, kSectionSkin},
    {kSectionWordRulesName, kSectionWordRules},
    {kSectionSymbolsName, kSectionSymbols},
    {kSectionKeyRootsName, kSectionKeyRoots},
    {L"[-其他安装文件-]", kSectionOtherFiles},
    {L"[-软件选项-]", kSectionSoftware},
};

}  // namespace

int SettingsSectionIdOf(std::wstring_view line) {
    for (const SectionName& s : kSections)
        if (line == s.name) return s.id;
    return kSectionUnknown;
}

int SettingsKeyRecord(std::wstring_view key) {
    if (key.empty()) return -1;
    const wchar_t c = key[0];
    if (c >= L'０' && c <= L'９') return c - 0xFF00;
    switch (c) {
        case L'＋':
        case L'－':
        case L'＊':
        case L'／':
        case L'．':
            return c - 0xFF00;
        default:
            break;
    }
    return c < 128 ? c : -1;
}
