// Folder creation, the input method's module path and the user's documents folder.
#pragma once
#include <windows.h>

constexpr int kPathChars = 260;

// Creates every missing level of path ("\"-separated, at most kPathChars - 1 characters).
// Returns the attributes of path when it is a directory afterwards, else 0. A longer path
// creates nothing and gives 0.
DWORD CreateDirectoryPath(const wchar_t* path);

// System folder + "\" + imeName + ".ime". False when the system folder cannot be read or
// the result does not fit.
bool GetImeModulePath(const wchar_t* imeName, wchar_t (&out)[kPathChars]);

// The user's documents folder (created when missing) with a trailing "\", looked up once
// per process. False (out empty) when it cannot be found.
bool GetDocumentsFolder(wchar_t (&out)[kPathChars]);
