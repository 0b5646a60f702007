// Path of the input method module in the system folder.
#pragma once
#include <windows.h>

#include "core/mapped_file.h"

// System folder + "\" (when missing) + imeName + ".ime". False when the system folder
// cannot be read, the name is null or empty, or the path would not fit.
bool GetImeModulePath(const wchar_t* imeName, wchar_t (&out)[kMaxPathUnits]);
