#include "installer/install/install_sequence.h"

#include <objbase.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "core/base/path_util.h"
#include "installer/install/account_access.h"
#include "installer/install/field_text.h"
#include "installer/install/file_install.h"
#include "installer/install/pending_operations.h"
#include "installer/install/product_registry.h"
#include "installer/install/shortcuts.h"
#include "installer/register/registration.h"
#include "installer/remove/removal.h"

namespace {

bool DirectoryExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates a folder with its missing parents; remembers the ones it made so that a rollback
// can take them away again when they are empty.
bool MakeFolder(const std::wstring& folder, std::vector<std::wstring>& created) {
    std::wstring f = folder;
    while (f.size() > 3 && f.back() == L'\\') f.pop_back();
    std::vector<std::wstring> missing;
    for (std::wstring p = f; !p.empty() && !DirectoryExists(p);) {
        missing.push_back(p);
        size_t at = p.find_last_of(L'\\');
        if (at == std::wstring::npos || at < 3) break;
        p = p.substr(0, at);
    }
    if (!CreateDirectoryPath(f.c_str())) return false;
    created.insert(created.end(), missing.begin(), missing.end());  // deepest first
    return true;
}

void Log(InstallEnvironment& env, int position, const wchar_t* line) {
    env.Progress(position, line);
}

}  // namespace

std::wstring PackageVersionText(const SoftConfigData& soft) {
    uint32_t minor;
    std::memcpy(&minor, &soft.dataVersionNumber, 4);
    return std::to_wstring(kPackageMajorVersion) + L"." + std::to_wstring(minor);
}

std::wstring BuildProductPath(const std::wstring& path, const std::wstring& part1,
                              const std::wstring& part2) {
    std::wstring out = WithBackslash(path) + L"ZantorIME3\\";
    if (path.empty()) out = L"ZantorIME3\\";
    if (!part1.empty()) out += part1 + L"\\";
    if (!part2.empty()) out += part2 + L"\\";
    return out;
}

std::wstring InstallFolderFor(const std::wstring& chosen, const SoftConfigData& soft) {
    return WithBackslash(chosen) + PackageVersionText(soft) + L"\\";
}

std::wstring DataFolderFor(InstallEnvironment& env, const std::wstring& guidText,
                           const SoftConfigData& soft) {
    std::wstring appData = env.CommonAppData();
    if (appData.empty()) return {};
    return BuildProductPath(appData, guidText, PackageVersionText(soft));
}

bool InstallFileSystem(InstallEnvironment& env, const InstallRequest& request,
                       const std::wstring& installFolder, const std::wstring& dataFolder,
                       bool& rebootNeeded) {
    FileInstaller files{env};
    files.owner = request.window;
    const SoftConfigData& soft = *request.soft;
    std::wstring imeName = Field(soft.imeName);
    std::wstring ime64 = ImeFilePath64(env, imeName.c_str());
    // A 64-bit system without its 32-bit subsystem (no SysWOW64 folder) runs no 32-bit
    // program: the 32-bit file is left out, not refused.
    const bool has32 = DirectoryExists(env.SystemWow64Folder());
    std::wstring ime32 = has32 ? ImeFilePath32(env, imeName.c_str()) : std::wstring();
    const std::wstring& unpack = request.unpackDir;
    bool ok = !ime64.empty();

    const struct {
        const wchar_t* source;
        const std::wstring& target;
    } imeFiles[] = {{L"\\zanIME.ime", ime64}, {L"\\zanIME(x86).ime", ime32}};
    for (const auto& f : imeFiles) {
        std::wstring source = unpack + f.source;
        if (ok && f.target.empty()) DeleteFileW(source.c_str());  // not copied elsewhere
        if (!ok || f.target.empty()) continue;
        ok = files.InstallSystemFile(source, f.target, false) != FileInstallResult::kFailed;
        if (ok) DeleteFileW(source.c_str());
    }
    RemovalOutcome ignored;
    if (ok && DirectoryExists(unpack + L"\\$windows$")) {
        ok = files.CopyDirectoryTree(unpack + L"\\$windows$", env.WindowsFolder(), false, false);
        RemoveFolderTree(env, unpack + L"\\$windows$\\", false, ignored);
    }
    if (ok && DirectoryExists(unpack + L"\\$fonts$")) {
        InstallFonts(env, unpack + L"\\$fonts$");
        RemoveFolderTree(env, unpack + L"\\$fonts$\\", false, ignored);
    }
    if (ok) {
        ok = CreateDirectoryPath(dataFolder.c_str()) != 0;
        if (ok) GrantAccountAccess(dataFolder.c_str(), AccessKind::kData);
    }
    if (ok && DirectoryExists(unpack + L"\\$dataFiles$")) {
        ok = files.CopyDirectoryTree(unpack + L"\\$dataFiles$", dataFolder, false, true);
        RemoveFolderTree(env, unpack + L"\\$dataFiles$\\", false, ignored);
    }
    if (ok) {
        ok = CreateDirectoryPath(installFolder.c_str()) != 0;
        if (ok) GrantAccountAccess(installFolder.c_str(), AccessKind::kCode);
    }
    if (ok) ok = files.CopyDirectoryTree(unpack, installFolder, true, false);
    if (ok && !request.workProgram.empty()) {
        ok = files.InstallSystemFile(request.workProgram, installFolder + L"installer.exe", true) !=
             FileInstallResult::kFailed;
        if (ok) DeleteFileW(request.workProgram.c_str());
    }
    rebootNeeded = rebootNeeded || files.rebootNeeded;
    return ok;
}

bool RunInstall(InstallEnvironment& env, const InstallRequest& request, InstallOutcome& outcome) {
    outcome = InstallOutcome{};
    const SoftConfigData& soft = *request.soft;
    const std::wstring& guid = request.guidText;
    std::vector<std::wstring> created;

    // 1-2: the chosen folder and the product's data parent.
    MakeFolder(request.chosenFolder, created);
    GrantAccountAccess(request.chosenFolder.c_str(), AccessKind::kCode);
    std::wstring installFolder = InstallFolderFor(request.chosenFolder, soft);
    std::wstring dataFolder = DataFolderFor(env, guid, soft);
    std::wstring dataParent = BuildProductPath(env.CommonAppData(), guid, L"");
    if (!env.CommonAppData().empty()) {
        MakeFolder(dataParent, created);
        GrantAccountAccess(dataParent.c_str(), AccessKind::kData);
    }
    outcome.installFolder = installFolder;
    outcome.dataFolder = dataFolder;

    auto undoFolders = [&]() {
        for (const std::wstring& f : created) RemoveFolderIfEmpty(f);
    };

    Log(env, 0, L"请稍候安装完成....\r\n");
    if (FAILED(CoInitialize(nullptr))) {
        Log(env, 0, L"COM初始化错误，操作无法继续");
        undoFolders();
        return false;
    }
    struct ComScope {
        ~ComScope() { CoUninitialize(); }
    } com;

    // 4: the installed version goes first, its user words saved.
    if (request.upgrade == UpgradeKind::kOlderInstalled ||
        request.upgrade == UpgradeKind::kSameInstalled) {
        Log(env, 5, L"  *.备份用户词库, 并卸载旧版安装信息....");
        outcome.backup = BackupUserData(env, nullptr, nullptr, guid.c_str(), &outcome.backupFiles);
        if (outcome.backup == BackupStatus::kWordsNotSaved &&
            env.Ask(
                request.window,
                L"无法备份已安装版本的用户词，继续安装将删除这些用户词。\r\n\r\n是否仍然继续安装?",
                Field(soft.productName).c_str(),
                MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES) {
            Log(env, 100, L"安装已取消，已安装的版本未被改动。");
            undoFolders();
            return false;
        }
        ProductValues old;
        ReadProductValues(guid.c_str(), old);
        UnregisterInputMethod(env, guid.c_str(), old.uninstallCommand.c_str(),
                              old.installLocation.c_str());
        RemovalOutcome removed;
        RemoveImeFiles(env, guid.c_str(), nullptr, nullptr,
                       request.upgrade == UpgradeKind::kOlderInstalled, removed);
        outcome.rebootNeeded = removed.rebootNeeded;
        RemoveShortcuts(env, old.displayName);
        DeleteProductKeys(guid.c_str());
    }

    // Deletions an earlier removal left for the restart would take the new files away.
    std::wstring imeName = Field(soft.imeName);
    CancelOurPendingDeletions(
        {ImeFilePath64(env, imeName.c_str()), ImeFilePath32(env, imeName.c_str())},
        {installFolder, dataFolder});

    bool ok = true;
    Log(env, 10, L"  1.创建文件系统....");
    if (!InstallFileSystem(env, request, installFolder, dataFolder, outcome.rebootNeeded)) {
        Log(env, 10, L"\r\n无法安装IME文件, 请注意安全类软件可能误杀IME文件.\r\n");
        ok = false;
    }
    if (ok) {
        Log(env, 25, L"  2.设置软件运行环境...");
        WriteProductRegistry(guid.c_str(), dataFolder.c_str(), installFolder.c_str(), soft);
        if (RegisterInputMethod(env, guid.c_str(), dataFolder.c_str(), soft, *request.ime) !=
            kRegistered) {
            Log(env, 25, L"\r\n无法安装语言服务, 在win8及以上系统安装纯IME输入法会导致该错误.\r\n");
            ok = false;
        }
    }
    if (!ok) {
        Log(env, 100, L"安装程序发生错误, 您可以尝试重新启动计算机后安装.");
        ProductToRemove product{guid, Field(soft.productName), dataFolder, installFolder, imeName};
        RemovalOutcome removed;
        RemoveInstallation(env, product, removed);
        undoFolders();
        return false;
    }

    Log(env, 40, L"  3.写入卸载信息...");
    WriteUninstallInfo(guid.c_str(), request.owner.c_str(), request.organisation.c_str(),
                       installFolder.c_str(), request.workProgram.c_str(), soft);

    Log(env, 70, L"  4.创建开始菜单及桌面快捷方式...");
    uint32_t flags;
    std::memcpy(&flags, &soft.installFlags, 4);
    CreateShortcuts(env, guid.c_str(), flags, Field(soft.productName), installFolder,
                    ImeFilePath64(env, imeName.c_str()), Field(soft.postInstallCommand));

    Log(env, 55, L"  5.备份安装数据...");
    if (!request.payloadPath.empty()) {
        FileInstaller files{env};
        files.owner = request.window;
        if (files.InstallSystemFile(request.payloadPath, installFolder + L"_backup_.dat", true) !=
            FileInstallResult::kFailed) {
            DeleteFileW(request.payloadPath.c_str());
        }
        outcome.rebootNeeded = outcome.rebootNeeded || files.rebootNeeded;
    }

    Log(env, 85, L"  7.清除安装程序创建的临时文件...");
    Log(env, 100, L"  8.安装完成。\r\n");
    if (!outcome.backupFiles.wordFile.empty() &&
        GetFileAttributesW(outcome.backupFiles.wordFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
        RestoreUserWords(dataFolder.c_str(), outcome.backupFiles.wordFile.c_str());
    }
    if (outcome.rebootNeeded) Log(env, 100, L"  * 建议立即重新启动计算机以使安装生效.\r\n");
    return true;
}
