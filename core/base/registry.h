// Registry string reads of the input method's product values; writes for tools and tests.
// Every access uses the 64-bit view.
#pragma once
#include <windows.h>

#include "core/base/path_util.h"

constexpr wchar_t kImeRegistryFormat[] = L"Software\\ZantorIME3\\%s\\";
constexpr int kImeRegistryPathChars = 128;
constexpr int kImeNameChars = 64;

// REG_SZ value of root\keyPath read into out (chars characters, always terminated).
// False when the key or value is missing, not a string, does not fit, or chars is 0.
bool ReadRegistryStringFrom(HKEY root, const wchar_t* keyPath, const wchar_t* valueName,
                            wchar_t* out, DWORD chars);
// The same under HKEY_LOCAL_MACHINE.
bool ReadRegistryString(const wchar_t* keyPath, const wchar_t* valueName, wchar_t* out,
                        DWORD chars);
// Empties out, then reads the value under "Software\ZantorIME3\{guid}\" of HKLM.
bool ReadImeRegistryValue(const wchar_t* guidText, const wchar_t* valueName, wchar_t* out,
                          DWORD chars);
bool ReadDataLocation(const wchar_t* guidText, wchar_t (&out)[kPathChars]);
// Appends "\" when missing (an empty value stays empty); false when the value leaves no
// room for it.
bool ReadInstallLocation(const wchar_t* guidText, wchar_t (&out)[kPathChars]);
bool ReadInstallLocationFrom(HKEY root, const wchar_t* keyPath, wchar_t (&out)[kPathChars]);
bool ReadDisplayName(const wchar_t* guidText, wchar_t* out, DWORD chars);
bool ReadImeName(const wchar_t* guidText, wchar_t (&out)[kImeNameChars]);

// Creates root\keyPath when needed and sets a REG_SZ value.
bool WriteRegistryString(HKEY root, const wchar_t* keyPath, const wchar_t* valueName,
                         const wchar_t* value);
// Deletes root\keyPath with its subkeys; true when it is gone.
bool DeleteRegistryTree(HKEY root, const wchar_t* keyPath);
// The same in one registry view (KEY_WOW64_64KEY or KEY_WOW64_32KEY).
bool DeleteRegistryTree(HKEY root, const wchar_t* keyPath, REGSAM view);
