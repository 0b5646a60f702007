#include "support/shipped_data.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/base/text_convert.h"
#include "core/settings/config_blocks.h"
#include "support/test_files.h"

#ifndef ZAN_SHIPPED_DATA_DIR
#define ZAN_SHIPPED_DATA_DIR ""
#endif

namespace testing_support {

std::wstring ShippedDataDir() {
    const char* env = std::getenv("ZAN_DATA_DIR");
    std::string dir = env && *env ? env : ZAN_SHIPPED_DATA_DIR;
    if (!dir.empty() && dir[0] == '/') dir = "Z:" + dir;
    std::wstring wide(dir.size() + 1, L'\0');
    const int n = Utf8ToUtf16(dir.c_str(), static_cast<int>(dir.size()), wide.data(),
                              static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return wide;
}

std::wstring ShippedDataFile(const wchar_t* name) { return ShippedDataDir() + L"\\" + name; }

bool InstallShippedData(InstalledIme& ime, std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* name : names)
        if (!CopyFileW(ShippedDataFile(name).c_str(), ime.Path(name).c_str(), FALSE)) return false;
    std::vector<uint8_t> main = ReadFileBytes(ime.Path(L"main.dmg"));
    std::vector<uint8_t> config = ReadFileBytes(ime.Path(L"config.dsc"));
    if (main.size() < 64 || config.size() < kConfigFileSize) return false;
    std::memcpy(&main[12], &ime.guid, 16);
    std::memcpy(&config[kSoftBlockOffset + offsetof(SoftConfigData, guid)], &ime.guid, 16);
    return WriteFileBytes(ime.Path(L"main.dmg"), main) &&
           WriteFileBytes(ime.Path(L"config.dsc"), config);
}

}  // namespace testing_support
