// The Start-menu links of a product: their names, creating them, and the names' check.
#pragma once
#include <windows.h>

#include <string>

#include "installer/install/environment.h"

// One link of the product's Start-menu folder.
struct ProductLink {
    uint32_t flag;             // soft installFlags bit that asks for it
    const wchar_t* name;       // "%s设置%s.lnk" ... filled with the folder and DisplayName
    const wchar_t* target;     // file of the install folder, or the 64-bit IME file ("")
    const wchar_t* arguments;  // filled with the GUID text; null: none
    const wchar_t* description;
    int icon;  // index in the target; -1: none; the keys link takes it from the IME file
};
extern const ProductLink kProductLinks[6];

// A DisplayName that may name a folder of the Programs folder: not empty, short enough,
// without '\', '/', ':' or "..", not only dots and blanks.
bool IsSafeFolderName(const std::wstring& name);

// The product's Start-menu folder: the common Programs folder + DisplayName + '\'; empty
// for a name that IsSafeFolderName refuses.
std::wstring ProductLinkFolder(InstallEnvironment& env, const std::wstring& displayName);

// The file name of a link of that folder ("%s设置%s.lnk" filled with folder and name).
std::wstring ProductLinkPath(const std::wstring& folder, const ProductLink& link,
                             const std::wstring& displayName);

// Creates the folder and one link per flag asked for; then starts the install folder's
// program of postInstall (split at its first " /") when given. True when every asked link
// was saved.
bool CreateShortcuts(InstallEnvironment& env, const wchar_t* guidText, uint32_t flags,
                     const std::wstring& displayName, const std::wstring& installFolder,
                     const std::wstring& imeFile64, const std::wstring& postInstall);
