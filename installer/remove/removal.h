// Removing an installation: its files, links and keys, the family's shared data when it is
// the last product, and the whole rollback of a failed install or repair.
#pragma once
#include <windows.h>

#include <string>

#include "installer/install/environment.h"
#include "installer/remove/folder_removal.h"

// The product being removed; empty folders fall back to the registered ones.
struct ProductToRemove {
    std::wstring guidText;
    std::wstring displayName;    // names the Start-menu folder
    std::wstring dataFolder;     // with a trailing '\'
    std::wstring installFolder;  // with a trailing '\'
    std::wstring imeName;        // when the product key does not name it (yet)
};

// Removes the install folder and the data folder (the registered ones, else the given
// ones) and the IME files of both system folders. A version folder's parent goes too when
// it is then empty, never otherwise. Busy files of the folders are scheduled for deletion at
// restart with delayIfBusy; busy IME files always are.
void RemoveImeFiles(InstallEnvironment& env, const wchar_t* guidText, const wchar_t* dataFolder,
                    const wchar_t* installFolder, bool delayIfBusy, RemovalOutcome& outcome,
                    const wchar_t* imeName = nullptr);

// Deletes the product's known links in the Programs folder's DisplayName folder and then
// that folder when it is empty. A name IsSafeFolderName refuses deletes nothing (false).
bool RemoveShortcuts(InstallEnvironment& env, const std::wstring& displayName);

// Deletes the uninstall entry and the product key of both views.
bool DeleteProductKeys(const wchar_t* guidText);

// The family's folder of shared data: the machine's application data + "ZantorIME3\".
std::wstring FamilyDataFolder(InstallEnvironment& env);

// True when no other product of the family is left: the family folder holds nothing but
// this product's folder, its restart marker and empty folders, and the family key of
// either view has no other product's key naming an existing folder.
bool IsLastProduct(InstallEnvironment& env, const wchar_t* guidText);

// The family folder and the family keys of both views, removed (only call when last).
void RemoveFamilyData(InstallEnvironment& env, RemovalOutcome& outcome);

// Undoes an install or repair: registration, links, files, keys, and the family's shared
// data when nothing else of it is left.
void RemoveInstallation(InstallEnvironment& env, const ProductToRemove& product,
                        RemovalOutcome& outcome);
