#include "installer/app/startup.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "core/base/registry.h"
#include "dialog/ui_port.h"
#include "installer/app/command_line.h"
#include "installer/app/product_values.h"
#include "installer/app/relaunch.h"
#include "installer/app/work_folder.h"
#include "installer/package/payload_defaults.h"

namespace {

constexpr wchar_t kBadEnvironment[] = L"错误的安装环境，可能程序已经损坏。";
constexpr wchar_t kBadInstallFile[] = L"错误的安装文件，请联系软件发布者获取正确版本。";
constexpr wchar_t kNeedsTsfText[] = L"无法在win8及其以上系统中安装不包含TSF框架的输入法。";
constexpr wchar_t kUninstallCaption[] = L"输入法卸载";
constexpr wchar_t kRepairCaption[] = L"输入法修复";
constexpr wchar_t kInstallCaption[] = L"输入法安装";

StartupOutcome Reregister(InstallerState* state, const ReregisterRequest& request,
                          const StartupContext& c) {
    wmemcpy(state->guidText, request.guidText, kGuidTextUnits);
    state->guid = request.guid;
    const uint32_t lang = ReadProductLangId(state->guidText);
    state->soft.languageId = lang ? lang : kDefaultLanguageId;
    if (request.useTsf)
        c.modes->reregisterInputMethod(state);
    else
        c.modes->reinstallImeLayout(state);
    return StartupOutcome::kReregistered;
}

StartupOutcome Uninstall(InstallerState* state, const StartupContext& c) {
    StartupOutcome outcome;
    bool selfDelete = false;
    if (ReadInstalledProduct(state)) {
        c.modes->uninstall(state);
        outcome = StartupOutcome::kUninstalled;
        selfDelete = true;
    } else {
        Ui().ShowMessage(nullptr, kBadEnvironment, kUninstallCaption, MB_OK | MB_ICONERROR);
        outcome = StartupOutcome::kBadInstallation;
    }
    RemoveWorkDirectory(*state);
    if (selfDelete) DeleteSelfOnExit();
    return outcome;
}

StartupOutcome Repair(InstallerState* state, const StartupContext& c) {
    if (!ReadInstallLocation(state->guidText, state->installLocation) ||
        !state->installLocation[0]) {
        Ui().ShowMessage(nullptr, kBadEnvironment, kRepairCaption, MB_OK | MB_ICONERROR);
        RemoveWorkDirectory(*state);
        return StartupOutcome::kBadInstallation;
    }
    int n = _snwprintf(state->payloadPath, kPathChars, L"%ls_backup_.dat", state->installLocation);
    if (n < 0 || n >= kPathChars) state->payloadPath[0] = 0;
    state->modulePath[0] = 0;
    StartupOutcome outcome;
    bool selfDelete = false;
    if (c.modes->extract(state)) {
        c.modes->repair(state);
        outcome = StartupOutcome::kRepaired;
        selfDelete = true;
    } else {
        Ui().ShowMessage(nullptr, kBadEnvironment, kRepairCaption, MB_OK | MB_ICONERROR);
        outcome = StartupOutcome::kBadRepairPayload;
    }
    RemoveWorkDirectory(*state);
    if (selfDelete) DeleteSelfOnExit();
    return outcome;
}

StartupOutcome Install(InstallerState* state, const StartupContext& c) {
    if (!c.modes->extract(state)) {
        RemoveWorkDirectory(*state);
        Ui().ShowMessage(nullptr, kBadInstallFile, kInstallCaption, MB_OK | MB_ICONERROR);
        return StartupOutcome::kBadPayload;
    }
    if (c.windows8OrLater && !(state->soft.installFlags & kPayloadHasTsf)) {
        RemoveWorkDirectory(*state);
        Ui().ShowMessage(nullptr, kNeedsTsfText, kInstallCaption, MB_OK | MB_ICONERROR);
        return StartupOutcome::kNeedsTsf;
    }
    if (state->soft.showLicenceAgreement && !c.modes->licence(state)) {
        RemoveWorkDirectory(*state);
        return StartupOutcome::kLicenceDeclined;
    }
    c.modes->wizard(state);
    RemoveWorkDirectory(*state);
    return StartupOutcome::kWizardRan;
}

}  // namespace

StartupOutcome RunInstaller(InstallerState* state, const wchar_t* commandLine,
                            const StartupContext& c) {
    ReregisterRequest request;
    switch (ParseReregisterCommandLine(commandLine, &request)) {
        case ReregisterParse::kRequested:
            return Reregister(state, request, c);
        case ReregisterParse::kBadGuid:
            return StartupOutcome::kBadReregisterGuid;
        case ReregisterParse::kAbsent:
            break;
    }
    // The command line is read before the work folder is touched: a bad one changes nothing.
    if (ParseInstallerCommandLine(state, commandLine) != CommandLineResult::kOk)
        return StartupOutcome::kBadCommandLine;
    if (!PrepareWorkDirectory(state)) return StartupOutcome::kNoWorkFolder;
    std::memset(&state->soft, 0, sizeof state->soft);
    switch (state->mode) {
        case kModeUninstall:
        case kModeRepair:
            if (!state->fromTemp) {
                RemoveWorkDirectory(*state);
                return RelaunchFromTemp(*state, commandLine) == RelaunchResult::kStarted
                           ? StartupOutcome::kRelaunched
                           : StartupOutcome::kRelaunchFailed;
            }
            return state->mode == kModeUninstall ? Uninstall(state, c) : Repair(state, c);
        case kModeCleanUp:
            RemoveWorkDirectory(*state);
            return StartupOutcome::kCleanedUp;
        default:
            return Install(state, c);
    }
}

bool IsWindows8OrLater() {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&v)) return true;
#pragma GCC diagnostic pop
    return v.dwMajorVersion > 6 || (v.dwMajorVersion == 6 && v.dwMinorVersion >= 2);
}
