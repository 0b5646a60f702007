// The repair and the uninstall dialogs: a header, the log and the progress of the sequence
// that runs on the dialog's worker, and one button that starts it and then closes.
#pragma once
#include <windows.h>

#include <string>

#include "installer/app/installer_state.h"
#include "installer/install/environment.h"
#include "installer/wizard/stage_header.h"

enum class MaintenanceKind { kRepair, kUninstall };

// 0 ready, 1 working, 2 done.
enum class MaintenanceStage { kReady = 0, kWorking = 1, kDone = 2 };

// The header's lines for a stage, the product's display name filled in.
StageHeaderText MaintenanceHeaderText(MaintenanceKind kind, MaintenanceStage stage,
                                      const std::wstring& displayName);
// The window title: DisplayName + " - 修复程序" or " - 卸载程序".
std::wstring MaintenanceTitle(MaintenanceKind kind, const std::wstring& displayName);

// The repair of state's product from its unpacked kept payload; runningProgram is the
// program copy to put back as installer.exe.
void RunRepairDialog(HWND owner, InstallerState* state, InstallEnvironment& env,
                     const std::wstring& runningProgram);
// The uninstall of state's product.
void RunUninstallDialog(HWND owner, InstallerState* state, InstallEnvironment& env);
