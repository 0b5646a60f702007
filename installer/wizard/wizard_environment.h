// The install environment of the wizard's worker: the machine of a base environment, with
// the questions asked on the wizard's thread and the progress and log lines posted to it.
#pragma once
#include <windows.h>

#include "installer/install/environment.h"

// Posted to the wizard: wParam the position, lParam a std::wstring* line (or null) that the
// wizard frees.
constexpr UINT kWizardProgressMessage = WM_APP + 1;
// Posted: lParam a std::wstring* line shown for a moment, freed by the wizard.
constexpr UINT kWizardTransientMessage = WM_APP + 2;
// Sent: lParam a WizardQuestion* answered on the wizard's thread.
constexpr UINT kWizardAskMessage = WM_APP + 3;

struct WizardQuestion {
    const wchar_t* text;
    const wchar_t* caption;
    UINT type;
    int answer;
};

class WizardEnvironment final : public InstallEnvironment {
public:
    WizardEnvironment(InstallEnvironment& base, HWND wizard) : base_(base), wizard_(wizard) {}

    std::wstring SystemFolder() override { return base_.SystemFolder(); }
    std::wstring SystemWow64Folder() override { return base_.SystemWow64Folder(); }
    std::wstring CommonAppData() override { return base_.CommonAppData(); }
    std::wstring CommonPrograms() override { return base_.CommonPrograms(); }
    std::wstring ProgramFiles() override { return base_.ProgramFiles(); }
    std::wstring WindowsFolder() override { return base_.WindowsFolder(); }
    std::wstring FontsFolder() override { return base_.FontsFolder(); }
    std::wstring TempFolder() override { return base_.TempFolder(); }
    std::wstring DesktopFolder() override { return base_.DesktopFolder(); }
    std::wstring InternetCache() override { return base_.InternetCache(); }
    std::wstring DocumentsFolder() override { return base_.DocumentsFolder(); }
    std::wstring FamilyKey() override { return base_.FamilyKey(); }
    unsigned WindowsVersion() override { return base_.WindowsVersion(); }
    bool Launch(const wchar_t* file, const wchar_t* parameters, bool shown) override {
        return base_.Launch(file, parameters, shown);
    }
    bool ScheduleAtRestart(const wchar_t* from, const wchar_t* to) override {
        return base_.ScheduleAtRestart(from, to);
    }
    HRESULT CreateProfiles(ITfInputProcessorProfiles** out) override {
        return base_.CreateProfiles(out);
    }
    HRESULT CreateCategoryMgr(ITfCategoryMgr** out) override {
        return base_.CreateCategoryMgr(out);
    }
    void BroadcastLayoutChange() override { base_.BroadcastLayoutChange(); }

    // On the wizard's thread directly; from the worker through a sent message, so the box is
    // owned by the wizard and answered there.
    int Ask(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override;
    void Progress(int position, const wchar_t* line) override;
    void TransientLine(const wchar_t* line) override;

private:
    InstallEnvironment& base_;
    HWND wizard_;
};
