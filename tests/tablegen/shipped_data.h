// Where the tests of the shipped data find it.
#pragma once
#include <string>

#include "support/shipped_data.h"

namespace shipped {

// The data folder.
inline std::wstring DataDir() { return testing_support::ShippedDataDir(); }

// The input method's GUID (the DLL's string resource 1) and its bytes as stored in memory.
inline constexpr wchar_t kGuidText[] = L"{D7812E39-FBD7-43A7-99C7-DE9322D54A0F}";
inline constexpr unsigned char kGuidBytes[16] = {0x39, 0x2E, 0x81, 0xD7, 0xD7, 0xFB, 0xA7, 0x43,
                                                 0x99, 0xC7, 0xDE, 0x93, 0x22, 0xD5, 0x4A, 0x0F};

}  // namespace shipped
