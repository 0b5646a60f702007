#include "installer/wizard/install_checks.h"

#include <cstring>
#include <cwchar>

#include "core/base/handles.h"
#include "core/base/mapped_file.h"
#include "installer/install/field_text.h"
#include "installer/install/product_registry.h"

namespace {

constexpr wchar_t kCaption[] = L"输入法安装";

void FindIn(const std::wstring& familyKey, REGSAM view, const wchar_t* valueName,
            const std::wstring& wanted, std::vector<std::wstring>& out) {
    zan::UniqueKey family;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, familyKey.c_str(), 0, KEY_READ | view, family.put()) !=
        ERROR_SUCCESS) {
        return;
    }
    wchar_t name[129];
    for (DWORD i = 0;; ++i) {
        DWORD chars = 129;
        if (RegEnumKeyExW(family.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return;
        }
        wchar_t value[261];
        DWORD bytes = sizeof value;
        if (RegGetValueW(family.get(), name, valueName, RRF_RT_REG_SZ, nullptr, value, &bytes) !=
            ERROR_SUCCESS) {
            continue;
        }
        if (_wcsicmp(value, wanted.c_str()) != 0) continue;
        bool known = false;
        for (const auto& g : out) known = known || _wcsicmp(g.c_str(), name) == 0;
        if (!known) out.emplace_back(name);
    }
}

bool AnotherProduct(const std::vector<std::wstring>& found, const wchar_t* guidText) {
    for (const auto& g : found) {
        if (_wcsicmp(g.c_str(), guidText) != 0) return true;
    }
    return false;
}

int Refuse(InstallEnvironment& env, HWND owner, const wchar_t* text) {
    return env.Ask(owner, text, kCaption, MB_OK | MB_ICONERROR);
}

}  // namespace

std::vector<std::wstring> FindInstalledInputMethods(InstallEnvironment& env,
                                                    const wchar_t* valueName,
                                                    const std::wstring& wanted) {
    std::vector<std::wstring> found;
    const std::wstring family = env.FamilyKey();
    FindIn(family, KEY_WOW64_64KEY, valueName, wanted, found);
    FindIn(family, KEY_WOW64_32KEY, valueName, wanted, found);
    return found;
}

std::wstring DefaultInstallFolder(InstallEnvironment& env, const wchar_t* guidText,
                                  const SoftConfigData& soft) {
    ProductValues installed;
    if (ReadProductValues(guidText, installed)) {
        // ReadProductValues appends the '\'; the raw value must have had one or be a folder.
        std::wstring f = installed.installLocation;
        if (f.size() > 1) {
            f.pop_back();
            size_t at = f.find_last_of(L'\\');
            if (at != std::wstring::npos) return f.substr(0, at + 1);
        }
    }
    return WithBackslash(env.ProgramFiles()) + Field(soft.folderName) + L"\\";
}

std::wstring ChosenFolderWithProduct(const std::wstring& chosen, const SoftConfigData& soft) {
    return WithBackslash(chosen) + Field(soft.folderName) + L"\\";
}

std::wstring PendingRestartMarker(InstallEnvironment& env, const wchar_t* guidText) {
    std::wstring appData = env.CommonAppData();
    if (appData.empty()) return {};
    return appData + L"ZantorIME3\\" + guidText + L".lock";
}

bool ReadInstalledVersion(const wchar_t* guidText, uint32_t* major, uint32_t* minor) {
    *major = *minor = 0;
    ProductValues installed;
    if (!ReadProductValues(guidText, installed) || installed.imeName.empty() ||
        installed.installLocation.empty() ||
        GetFileAttributesW((installed.installLocation + L"installer.exe").c_str()) ==
            INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    std::wstring config = WithBackslash(installed.dataLocation) + L"config.dsc";
    MappedFile* raw = nullptr;
    if (installed.dataLocation.empty() || MappedFile::LoadToMemory(&raw, config.c_str()) <= 0 ||
        !raw) {
        return true;
    }
    MappedFilePtr file(raw);
    // The block is taken only when it holds the whole record.
    if (const SoftConfigData* soft = FindSoftConfig(file.get())) {
        std::memcpy(major, &soft->buildNumber, 4);
        std::memcpy(minor, &soft->dataVersionNumber, 4);
    }
    return true;
}

UpgradeKind CompareVersions(uint32_t installedMajor, uint32_t installedMinor,
                            uint32_t packageMinor) {
    int64_t diff = static_cast<int64_t>(kPackageMajorVersion) - installedMajor;
    if (diff == 0) diff = static_cast<int64_t>(packageMinor) - installedMinor;
    if (diff > 0) return UpgradeKind::kOlderInstalled;
    if (diff == 0) return UpgradeKind::kSameInstalled;
    return UpgradeKind::kNewerInstalled;
}

InstallCheckResult CheckInstall(InstallEnvironment& env, HWND owner, const wchar_t* guidText,
                                const SoftConfigData& soft, const std::wstring& folder) {
    InstallCheckResult r;
    std::wstring marker = PendingRestartMarker(env, guidText);
    if (!marker.empty() && GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) {
        Refuse(env, owner, L"安装程序无法继续，您必须在重新启动计算机后才能执行此操作。");
        r.verdict = InstallCheck::kRestartPending;
        return r;
    }
    if (AnotherProduct(FindInstalledInputMethods(env, L"DisplayName", Field(soft.productName)),
                       guidText)) {
        Refuse(env, owner, L"安装程序无法继续，原因是您的电脑中已经安装了相同名称的输入法。");
        r.verdict = InstallCheck::kSameNameInstalled;
        return r;
    }
    if (folder.empty()) {
        Refuse(env, owner, L"请指定正确的安装目录。");
        r.verdict = InstallCheck::kNoFolder;
        return r;
    }
    std::wstring versionFolder = InstallFolderFor(folder, soft);
    if (AnotherProduct(FindInstalledInputMethods(env, L"InstallLocation", versionFolder),
                       guidText)) {
        Refuse(env, owner, L"安装程序无法继续，因为当前选择的安装目录被其它输入法占用。");
        r.verdict = InstallCheck::kFolderOfAnother;
        return r;
    }
    uint32_t major, minor, packageMinor;
    std::memcpy(&packageMinor, &soft.dataVersionNumber, 4);
    if (!ReadInstalledVersion(guidText, &major, &minor)) return r;
    r.upgrade = CompareVersions(major, minor, packageMinor);
    std::wstring name = Field(soft.productName);
    int answer = IDNO;
    switch (r.upgrade) {
        case UpgradeKind::kOlderInstalled:
            answer = env.Ask(owner,
                             L"检测到您已经安装了本软件的早期版本。\r\n\r\n是否卸载早期程序, "
                             L"并继续安装?",
                             name.c_str(), MB_YESNO | MB_ICONEXCLAMATION);
            break;
        case UpgradeKind::kSameInstalled:
            answer =
                env.Ask(owner, L"检测到您已经安装了本软件相同版本的程序。\r\n\r\n是否继续覆盖安装?",
                        name.c_str(), MB_YESNO | MB_ICONEXCLAMATION);
            break;
        default:
            env.Ask(owner,
                    L"检测到您已经安装了本软件较新版本，程序不允许降级覆盖安装。\r\n\r\n"
                    L"如果必须安装本程序，请手动卸载已安装版本后重试。",
                    name.c_str(), MB_OK | MB_ICONEXCLAMATION);
            r.verdict = InstallCheck::kNewerInstalled;
            return r;
    }
    if (answer != IDYES) r.verdict = InstallCheck::kUpgradeDeclined;
    return r;
}
