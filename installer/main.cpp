// The installer's entry point: initialisation, then start-up over the program's handlers.
#include <windows.h>
#include <commctrl.h>
#include <imm.h>
#include <objbase.h>

#include <memory>

#include "core/base/boundary_guard.h"
#include "installer/app/prompt_log_ui.h"
#include "installer/app/startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, 0xFF};
    InitCommonControlsEx(&icc);
    // No input method attaches to the installer's own windows.
    ImmDisableIME(0);
    if (FAILED(CoInitialize(nullptr))) return 0;
    GuardedVoid([] {
        // Runs under test write their message boxes to a file instead.
        wchar_t log[MAX_PATH];
        const DWORD n = GetEnvironmentVariableW(kPromptLogVariable, log, MAX_PATH);
        std::unique_ptr<PromptLogUi> logUi;
        if (n > 0 && n < MAX_PATH) {
            logUi = std::make_unique<PromptLogUi>(log);
            SetUiPort(logUi.get());
        }
        auto state = std::make_unique<InstallerState>();
        ClearInstallerState(state.get());
        const StartupContext context{&DefaultInstallerModes(), IsWindows8OrLater()};
        RunInstaller(state.get(), GetCommandLineW(), context);
        SetUiPort(nullptr);
    });
    CoUninitialize();
    return 0;
}
