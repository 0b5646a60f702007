// The shipped data files of the build (ZAN_DATA_DIR, else the build's out/data; a Unix path
// is reached through Wine's Z: drive), and copies of them installed under a test GUID.
#pragma once
#include <initializer_list>
#include <string>

#include "support/installed_ime.h"

namespace testing_support {

std::wstring ShippedDataDir();
std::wstring ShippedDataFile(const wchar_t* name);

// Copies the named shipped files into the installation's data folder, main.dmg's and
// config.dsc's GUID stamped with the installation's. False when a file is missing.
bool InstallShippedData(InstalledIme& ime, std::initializer_list<const wchar_t*> names);

}  // namespace testing_support
