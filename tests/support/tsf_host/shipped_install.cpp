#include "support/tsf_host/shipped_install.h"

#include <cwchar>

#include "support/shipped_data.h"

namespace tsf_host {

namespace {

std::wstring installedGuid;

int InstalledGuidText(wchar_t* out, int chars) {
    if (static_cast<int>(installedGuid.size()) >= chars) return 0;
    std::wcscpy(out, installedGuid.c_str());
    return static_cast<int>(installedGuid.size());
}

}  // namespace

ShippedInstall::ShippedInstall() {
    if (!testing_support::InstallShippedData(
            ime, {L"config.dsc", L"main.dmg", L"temp.dmg", L"sysl.dmg", L"engl.dmg", L"danzi.dmi",
                  L"dict.dms", L"traditional.dms", L"simplified.dms"}))
        return;
    installedGuid = ime.guidText;
    platform_ = Platform();
    platform_.loadGuidText = InstalledGuidText;
    SetPlatform(&platform_);
    ok_ = true;
}

void ShippedInstall::Use() {
    if (!ok_) return;
    installedGuid = ime.guidText;
    const EnginePlatform current = Platform();
    platform_ = current;
    platform_.loadGuidText = InstalledGuidText;
    SetPlatform(&platform_);
}

ShippedInstall::~ShippedInstall() {
    if (ok_) SetPlatform(nullptr);
}

}  // namespace tsf_host
