// Where the tests of the shipped data find it.
#pragma once
#include <cstdlib>
#include <string>

#include "core/base/text_convert.h"

namespace shipped {

// The data folder: ZAN_DATA_DIR, else the build's output folder; a Unix path is reached
// through Wine's Z: drive.
inline std::wstring DataDir() {
    const char* env = std::getenv("ZAN_DATA_DIR");
    std::string dir = env && *env ? env : ZAN_SHIPPED_DATA_DIR;
    if (!dir.empty() && dir[0] == '/') dir = "Z:" + dir;
    std::wstring wide(dir.size() + 1, L'\0');
    int n = Utf8ToUtf16(dir.c_str(), static_cast<int>(dir.size()), wide.data(),
                        static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return wide;
}

// The input method's GUID (the DLL's string resource 1) and its bytes as stored in memory.
inline constexpr wchar_t kGuidText[] = L"{D7812E39-FBD7-43A7-99C7-DE9322D54A0F}";
inline constexpr unsigned char kGuidBytes[16] = {0x39, 0x2E, 0x81, 0xD7, 0xD7, 0xFB, 0xA7, 0x43,
                                                 0x99, 0xC7, 0xDE, 0x93, 0x22, 0xD5, 0x4A, 0x0F};

}  // namespace shipped
