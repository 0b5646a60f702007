#include "installer/maintenance/maintenance.h"

#include <objbase.h>

#include <cstring>

#include "core/base/handles.h"
#include "installer/install/field_text.h"
#include "installer/install/install_sequence.h"
#include "installer/install/product_registry.h"
#include "installer/install/shortcuts.h"
#include "installer/register/registration.h"
#include "installer/remove/removal.h"

namespace {

struct ComScope {
    bool ok = SUCCEEDED(CoInitialize(nullptr));
    ~ComScope() {
        if (ok) CoUninitialize();
    }
};

}  // namespace

std::wstring RepairPayloadPath(const std::wstring& installFolder) {
    return installFolder.empty() ? std::wstring() : WithBackslash(installFolder) + L"_backup_.dat";
}

bool RepairPayloadReadable(const std::wstring& installFolder) {
    std::wstring path = RepairPayloadPath(installFolder);
    if (path.empty()) return false;
    zan::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

BackupVerdict AfterBackup(BackupStatus status) {
    return status == BackupStatus::kWordsNotSaved ? BackupVerdict::kAsk : BackupVerdict::kProceed;
}

bool RunRepair(InstallEnvironment& env, const RepairRequest& request, MaintenanceOutcome& outcome) {
    outcome = MaintenanceOutcome{};
    const wchar_t* guid = request.guidText.c_str();
    const SoftConfigData& soft = *request.soft;
    ProductValues registered;
    ReadProductValues(guid, registered);
    outcome.installFolder = registered.installLocation;
    outcome.dataFolder = WithBackslash(registered.dataLocation);
    const std::wstring& installFolder = outcome.installFolder;
    const std::wstring& dataFolder = outcome.dataFolder;
    ComScope com;

    env.Progress(0, L"请稍候修复完成....\r\n");
    UnregisterInputMethod(env, guid, registered.uninstallCommand.c_str(), installFolder.c_str());
    env.Progress(10, L"  1.备份用户数据....");

    bool ok = !installFolder.empty() && !registered.dataLocation.empty() && com.ok;
    env.Progress(20, L"  2.修复文件系统....");
    if (ok) {
        InstallRequest files;
        files.guidText = request.guidText;
        files.soft = request.soft;
        files.ime = request.ime;
        files.unpackDir = request.unpackDir;
        // The work folder holds no program in this mode: the running copy is the one to keep.
        files.workProgram = request.runningProgram;
        files.window = request.window;
        ok = InstallFileSystem(env, files, installFolder, dataFolder, outcome.rebootNeeded);
    }
    if (!ok) env.Progress(20, L"\r\n无法安装IME文件, 请注意安全类软件可能误杀IME文件.\r\n");
    if (ok) {
        env.Progress(40, L"  3.修复软件运行环境...");
        ok = WriteProductRegistry(guid, dataFolder.c_str(), installFolder.c_str(), soft) &&
             RegisterInputMethod(env, guid, dataFolder.c_str(), soft, *request.ime) == kRegistered;
    }
    if (!ok) {
        env.Progress(100, L"修复程序发生错误！");
        ProductToRemove product{request.guidText, Field(soft.productName), dataFolder,
                                installFolder, Field(soft.imeName)};
        RemoveInstallation(env, product, outcome.removal);
        return false;
    }
    env.Progress(70, L"  4.修复开始菜单及桌面快捷方式...");
    uint32_t flags;
    std::memcpy(&flags, &soft.installFlags, 4);
    std::wstring imeName = Field(soft.imeName);
    CreateShortcuts(env, guid, flags, Field(soft.productName), installFolder,
                    ImeFilePath64(env, imeName.c_str()), Field(soft.postInstallCommand));
    // The reinstalled table holds none of the user's words: the saved ones go back in.
    if (!request.wordFile.empty() &&
        GetFileAttributesW(request.wordFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
        RestoreUserWords(dataFolder.c_str(), request.wordFile.c_str());
    }
    env.Progress(85, L"  5.清除安装程序创建的临时文件...");
    Sleep(100);
    env.Progress(100, L"  6.修复完成。\r\n");
    if (outcome.rebootNeeded) {
        env.Progress(
            100, L"  * 部分文件需要在重新启动计算机后才能成功修复, 建议立即重新启动计算机.\r\n");
    }
    return true;
}

bool RunUninstall(InstallEnvironment& env, const wchar_t* guidText, MaintenanceOutcome& outcome) {
    outcome = MaintenanceOutcome{};
    ProductValues registered;
    ReadProductValues(guidText, registered);
    outcome.installFolder = registered.installLocation;
    outcome.dataFolder = registered.dataLocation;
    ComScope com;

    env.Progress(0, L"请稍候卸载完成...\r\n");
    env.Progress(5, L"  1.卸载输入接口...");
    env.Progress(5, L"  * 备份用户词库....");
    BackupUserData(env, nullptr, L"", guidText, nullptr);
    env.Progress(10, L"  2.删除语言栏项目...");
    UnregisterInputMethod(env, guidText, registered.uninstallCommand.c_str(),
                          registered.installLocation.c_str());
    env.Progress(40, L"  3.删除文件系统...");
    // The tables are mapped by every program that has the input method loaded: what is
    // still held goes at the next restart.
    RemoveImeFiles(env, guidText, nullptr, nullptr, true, outcome.removal);
    env.Progress(60, L"  4.删除快捷方式...");
    RemoveShortcuts(env, registered.displayName);
    env.Progress(70, L"  5.卸载字体...");
    if (IsLastProduct(env, guidText)) {
        outcome.wasLastProduct = true;
        env.Progress(80, L"      执行完整卸载...");
        RemoveFamilyData(env, outcome.removal);
    }
    env.Progress(90, L"  6.卸载软件信息...");
    DeleteProductKeys(guidText);
    outcome.rebootNeeded = outcome.removal.rebootNeeded;
    env.Progress(100, L"  7.卸载完成。\r\n");
    if (outcome.rebootNeeded) env.Progress(100, L"  * 部分文件需要在重新启动计算机后删除.\r\n");
    return true;
}
