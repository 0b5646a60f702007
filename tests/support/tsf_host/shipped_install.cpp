#include "support/tsf_host/shipped_install.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "core/base/text_convert.h"
#include "core/settings/config_blocks.h"
#include "support/test_files.h"

#ifndef ZAN_SHIPPED_DATA_DIR
#define ZAN_SHIPPED_DATA_DIR ""
#endif

namespace tsf_host {

namespace {

std::wstring installedGuid;

int InstalledGuidText(wchar_t* out, int chars) {
    if (static_cast<int>(installedGuid.size()) >= chars) return 0;
    std::wcscpy(out, installedGuid.c_str());
    return static_cast<int>(installedGuid.size());
}

}  // namespace

std::wstring ShippedDataFile(const wchar_t* name) {
    const char* env = std::getenv("ZAN_DATA_DIR");
    std::string dir = env && *env ? env : ZAN_SHIPPED_DATA_DIR;
    if (!dir.empty() && dir[0] == '/') dir = "Z:" + dir;
    std::wstring wide(dir.size() + 1, L'\0');
    const int n = Utf8ToUtf16(dir.c_str(), static_cast<int>(dir.size()), wide.data(),
                              static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return wide + L"\\" + name;
}

ShippedInstall::ShippedInstall() {
    for (const wchar_t* name : {L"config.dsc", L"main.dmg", L"temp.dmg", L"sysl.dmg", L"engl.dmg",
                                L"danzi.dmi", L"dict.dms", L"traditional.dms", L"simplified.dms"})
        if (!CopyFileW(ShippedDataFile(name).c_str(), ime.Path(name).c_str(), FALSE)) return;
    std::vector<uint8_t> main = testing_support::ReadFileBytes(ime.Path(L"main.dmg"));
    std::vector<uint8_t> config = testing_support::ReadFileBytes(ime.Path(L"config.dsc"));
    if (main.size() < 64 || config.size() < kConfigFileSize) return;
    std::memcpy(&main[12], &ime.guid, 16);
    std::memcpy(&config[kSoftBlockOffset + offsetof(SoftConfigData, guid)], &ime.guid, 16);
    if (!testing_support::WriteFileBytes(ime.Path(L"main.dmg"), main) ||
        !testing_support::WriteFileBytes(ime.Path(L"config.dsc"), config))
        return;
    installedGuid = ime.guidText;
    platform_ = Platform();
    platform_.loadGuidText = InstalledGuidText;
    SetPlatform(&platform_);
    ok_ = true;
}

ShippedInstall::~ShippedInstall() {
    if (ok_) SetPlatform(nullptr);
}

}  // namespace tsf_host
