#include "installer/remove/removal.h"

#include <shlobj.h>

#include <cwchar>

#include "core/base/handles.h"
#include "core/base/registry.h"
#include "installer/install/field_text.h"
#include "installer/install/product_registry.h"
#include "installer/install/shortcuts.h"
#include "installer/register/clsid_keys.h"
#include "installer/register/keyboard_layout.h"
#include "installer/register/registration.h"
#include "installer/register/tip_categories.h"
#include "textservice/com_ptr.h"

namespace {

// The parent of a folder ("C:\a\b\" gives "C:\a\"), or empty.
std::wstring ParentOf(const std::wstring& folder) {
    std::wstring f = folder;
    while (!f.empty() && f.back() == L'\\') f.pop_back();
    size_t at = f.find_last_of(L'\\');
    return at == std::wstring::npos ? std::wstring() : f.substr(0, at + 1);
}

// A version folder's name: digits, one point, digits ("215.3").
bool IsVersionFolder(const std::wstring& folder) {
    std::wstring f = folder;
    while (!f.empty() && f.back() == L'\\') f.pop_back();
    std::wstring name = f.substr(f.find_last_of(L'\\') + 1);
    size_t point = name.find(L'.');
    if (point == 0 || point == std::wstring::npos || point + 1 == name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (i != point && !iswdigit(name[i])) return false;
    }
    return true;
}

void RemoveProductFolder(InstallEnvironment& env, const std::wstring& folder, bool delayIfBusy,
                         RemovalOutcome& outcome) {
    if (folder.empty()) return;
    RemoveFolderTree(env, folder, delayIfBusy, outcome);
    if (IsVersionFolder(folder)) {
        std::wstring parent = ParentOf(folder);
        if (IsRemovableFolder(parent)) RemoveFolderIfEmpty(parent);
    }
}

bool HasOtherProductKey(const std::wstring& familyKey, REGSAM view, const wchar_t* guidText) {
    zan::UniqueKey family;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, familyKey.c_str(), 0, KEY_READ | view, family.put()) !=
        ERROR_SUCCESS) {
        return false;
    }
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD chars = 256;
        if (RegEnumKeyExW(family.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return false;
        }
        if (guidText && _wcsicmp(name, guidText) == 0) continue;
        // A key whose folders are gone names no installed product.
        for (const wchar_t* value : {L"InstallLocation", L"DataLocation"}) {
            wchar_t folder[MAX_PATH];
            DWORD bytes = sizeof folder;
            if (RegGetValueW(family.get(), name, value, RRF_RT_REG_SZ, nullptr, folder, &bytes) ==
                    ERROR_SUCCESS &&
                folder[0] && GetFileAttributesW(folder) != INVALID_FILE_ATTRIBUTES) {
                return true;
            }
        }
    }
}

bool IsEmptyFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return true;
    bool empty = true;
    do {
        std::wstring n = fd.cFileName;
        if (n != L"." && n != L"..") empty = false;
    } while (empty && FindNextFileW(find, &fd));
    FindClose(find);
    return empty;
}

}  // namespace

void RemoveImeFiles(InstallEnvironment& env, const wchar_t* guidText, const wchar_t* dataFolder,
                    const wchar_t* installFolder, bool delayIfBusy, RemovalOutcome& outcome,
                    const wchar_t* imeName) {
    ProductValues registered;
    ReadProductValues(guidText, registered);
    if (registered.imeName.empty() && imeName) registered.imeName = imeName;
    std::wstring install = registered.installLocation.empty()
                               ? WithBackslash(installFolder ? installFolder : L"")
                               : registered.installLocation;
    std::wstring data = registered.dataLocation.empty()
                            ? WithBackslash(dataFolder ? dataFolder : L"")
                            : WithBackslash(registered.dataLocation);
    RemoveProductFolder(env, install, delayIfBusy, outcome);
    ClearVirtualStoreCopies(env);
    RemoveProductFolder(env, data, delayIfBusy, outcome);
    if (!registered.imeName.empty()) {
        DeleteOrSchedule(env, ImeFilePath32(env, registered.imeName.c_str()), outcome);
        DeleteOrSchedule(env, ImeFilePath64(env, registered.imeName.c_str()), outcome);
    }
}

bool RemoveShortcuts(InstallEnvironment& env, const std::wstring& displayName) {
    std::wstring folder = ProductLinkFolder(env, displayName);
    if (folder.empty()) return false;
    for (const ProductLink& l : kProductLinks) {
        std::wstring path = ProductLinkPath(folder, l, displayName);
        if (!path.empty()) DeleteFileW(path.c_str());
    }
    bool gone = RemoveFolderIfEmpty(folder);
    SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW | SHCNF_FLUSH, folder.c_str(), nullptr);
    std::wstring programs = env.CommonPrograms();
    SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW | SHCNF_FLUSH, programs.c_str(), nullptr);
    return gone;
}

bool DeleteProductKeys(const wchar_t* guidText) {
    if (!IsGuidText(guidText)) return false;
    std::wstring uninstall = std::wstring(kUninstallKey) + L"\\" + guidText;
    std::wstring product = std::wstring(kFamilyKey) + L"\\" + guidText;
    bool a = DeleteRegistryTree(HKEY_LOCAL_MACHINE, uninstall.c_str(), KEY_WOW64_64KEY);
    bool b = DeleteRegistryTree(HKEY_LOCAL_MACHINE, product.c_str(), KEY_WOW64_64KEY);
    bool c = DeleteRegistryTree(HKEY_LOCAL_MACHINE, product.c_str(), KEY_WOW64_32KEY);
    return a && b && c;
}

std::wstring FamilyDataFolder(InstallEnvironment& env) {
    std::wstring appData = env.CommonAppData();
    return appData.empty() ? std::wstring() : appData + L"ZantorIME3\\";
}

bool IsLastProduct(InstallEnvironment& env, const wchar_t* guidText) {
    std::wstring familyKey = env.FamilyKey();
    if (HasOtherProductKey(familyKey, KEY_WOW64_64KEY, guidText) ||
        HasOtherProductKey(familyKey, KEY_WOW64_32KEY, guidText)) {
        return false;
    }
    std::wstring family = FamilyDataFolder(env);
    if (family.empty()) return false;
    std::wstring ours = guidText ? guidText : L"";
    std::wstring marker = ours + L".lock";
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((family + L"*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return true;
    bool last = true;
    do {
        std::wstring n = fd.cFileName;
        if (n == L"." || n == L"..") continue;
        if (!ours.empty() &&
            (_wcsicmp(n.c_str(), ours.c_str()) == 0 || _wcsicmp(n.c_str(), marker.c_str()) == 0)) {
            continue;
        }
        bool isDir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isDir && IsEmptyFolder(family + n)) continue;
        last = false;
    } while (last && FindNextFileW(find, &fd));
    FindClose(find);
    return last;
}

void RemoveFamilyData(InstallEnvironment& env, RemovalOutcome& outcome) {
    std::wstring family = FamilyDataFolder(env);
    if (!family.empty()) RemoveFolderTree(env, family, true, outcome);
    std::wstring familyKey = env.FamilyKey();
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, familyKey.c_str(), KEY_WOW64_64KEY);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, familyKey.c_str(), KEY_WOW64_32KEY);
}

void RemoveInstallation(InstallEnvironment& env, const ProductToRemove& product,
                        RemovalOutcome& outcome) {
    const wchar_t* guidText = product.guidText.c_str();
    CLSID clsid;
    bool haveClsid = IsGuidText(guidText) && SUCCEEDED(CLSIDFromString(guidText, &clsid));
    if (haveClsid) {
        ProductValues registered;
        ReadProductValues(guidText, registered);
        RemoveLanguageProfile(env, guidText);
        if (registered.imeName.empty()) registered.imeName = product.imeName;
        UnregisterKeyboardLayout(env, registered.imeName.c_str(), true, &clsid);
        ComPtr<ITfInputProcessorProfiles> profiles;
        if (SUCCEEDED(env.CreateProfiles(profiles.put())) && profiles) profiles->Unregister(clsid);
        UnregisterTipCategories(env, clsid, clsid);
        RemoveClsidKeys(guidText);
    }
    RemoveShortcuts(env, product.displayName);
    RemoveImeFiles(env, guidText, product.dataFolder.c_str(), product.installFolder.c_str(), false,
                   outcome, product.imeName.c_str());
    DeleteProductKeys(guidText);
    if (IsLastProduct(env, guidText)) RemoveFamilyData(env, outcome);
}
