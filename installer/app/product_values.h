// The values of an installed product's key that start-up reads.
#pragma once
#include <cstdint>

#include "installer/app/installer_state.h"

// The REG_DWORD "LANGID" of the product key; 0 when absent.
uint32_t ReadProductLangId(const wchar_t* guidText);

// InstallLocation ('\' appended), DataLocation, IMEName, DisplayName, DisplayVersion,
// URLUpdateInfo, LanguageName and UnstallCommand of guidText into the state and its soft
// copy, and the language id (2052 when 0). True when InstallLocation, DataLocation,
// DisplayName, DisplayVersion and LanguageName are all there.
bool ReadInstalledProduct(InstallerState* state);
