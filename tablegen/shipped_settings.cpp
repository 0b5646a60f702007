#include "tablegen/shipped_settings.h"

#include <cstring>

namespace {

// Full-width keypad keys U+FF10..U+FF19 as stored in one-byte settings fields.
constexpr uint8_t kKeypad0 = 0x10;
constexpr uint8_t kKeypad1 = 0x11;
constexpr uint8_t kKeypad9 = 0x19;

constexpr wchar_t kShippedSkin[] = L"default.col";

constexpr uint32_t kShippedBuildNumber = 215;
constexpr uint32_t kShippedDataVersion = 62;

struct ClassName {
    int cls;
    const wchar_t* alias;
    uint32_t permissions;
};
constexpr ClassName kClassNames[] = {
    {0, L"主码", kClassInUse},
    {1, L"系统码表", kClassInUse},
    {2, L"用户码表", kClassInUse | kClassWritable},
    {3, L"次显码表", kClassInUse},
    {4, L"辅码码表", kClassInUse},
};

}  // namespace

void SetShippedBuildFields(ImeConfigData* ime) {
    ime->features |= kFeatHasTsf | kFeatHasAssociation | kFeatHasTempWords;
    ime->visibleItems = kVisibleShipped;
}

void SetShippedFields(DmeConfigData* dme, SkinConfigData* skin, SoftConfigData* soft,
                      const GUID& guid) {
    // Keypad digits 1-9 start a code; 0-9 and '-' continue one.
    for (int c = kKeypad1; c <= kKeypad9; ++c) dme->keyClass[c] |= kKeyCodeStart;
    for (int c = kKeypad0; c <= kKeypad9; ++c) dme->keyClass[c] |= kKeyCodeContinue;
    dme->keyClass['-'] |= kKeyCodeContinue;

    // The options and the chosen skin come from the settings text; the skin last loaded is
    // the shipped one.
    WriteFieldText(skin->currentSkin, kShippedSkin);
    skin->statusWindowPos = {-1, -1};

    soft->languageId = kDefaultLanguageId;
    static_assert(sizeof soft->guid == sizeof guid);
    std::memcpy(soft->guid, &guid, sizeof guid);
    WriteFieldText(soft->productName, L"赞拓输入法");
    WriteFieldText(soft->languageName, L"赞拓数字键盘输入法");
    WriteFieldText(soft->imeName, L"zanTSF");
    WriteFieldText(soft->folderName, L"赞拓输入法");
    WriteFieldText(soft->versionText, L"3.0.215.62");
    WriteFieldText(soft->publisher, L"赞拓");
    // No update address and no help file come with the data: no shortcuts for them.
    soft->installFlags =
        kInstallSettingsLink | kInstallKeysLink | kInstallUninstallLink | kInstallRepairLink;
    for (const ClassName& c : kClassNames) {
        WriteFieldText(soft->classAliases[c.cls], c.alias);
        soft->classPermissions[c.cls] = c.permissions;
    }
    soft->buildNumber = kShippedBuildNumber;
    soft->dataVersionNumber = kShippedDataVersion;
}
