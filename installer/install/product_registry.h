// The product's registry values: the product key of both registry views, the Add/Remove
// Programs entry, and reading them back.
#pragma once
#include <windows.h>

#include <string>

#include "core/settings/config_blocks.h"

constexpr wchar_t kFamilyKey[] = L"Software\\ZantorIME3";
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Values of the product key.
struct ProductValues {
    std::wstring installLocation;  // with a trailing '\'
    std::wstring dataLocation;
    std::wstring imeName;
    std::wstring displayName;
    std::wstring displayVersion;
    std::wstring updateUrl;
    std::wstring languageName;
    std::wstring uninstallCommand;
    uint32_t languageId = kDefaultLanguageId;  // 2052 when 0 or missing
};

// The product key of guidText (64-bit view); false when the key is missing.
bool ReadProductValues(const wchar_t* guidText, ProductValues& out);
// The soft block's product fields from those values.
void FillSoftFromProduct(const ProductValues& v, SoftConfigData& soft);

// Writes the product key in both registry views: the two folders and the soft block's names,
// version, update address, uninstall command and language id. Strings keep their
// terminating zero. True when every value of both keys was written.
bool WriteProductRegistry(const wchar_t* guidText, const wchar_t* dataFolder,
                          const wchar_t* installFolder, const SoftConfigData& soft);

// The command line that uninstalls: the quoted installer.exe of installFolder, "/n", the GUID
// and "/u".
std::wstring UninstallCommandLine(const wchar_t* installFolder, const wchar_t* guidText);
// InstallSource from the work copy of the program: the text after "file=" up to the first
// ']' when it holds one, else the whole text.
std::wstring InstallSourceOf(const std::wstring& workProgram);

// Writes the Add/Remove Programs entry of guidText. True when every value was written.
bool WriteUninstallInfo(const wchar_t* guidText, const wchar_t* owner, const wchar_t* organisation,
                        const wchar_t* installFolder, const wchar_t* source,
                        const SoftConfigData& soft);

// RegisteredOwner and RegisteredOrganization of the machine (empty when missing).
void ReadRegisteredOwner(std::wstring& owner, std::wstring& organisation);
