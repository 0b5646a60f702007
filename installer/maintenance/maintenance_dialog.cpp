#include "installer/maintenance/maintenance_dialog.h"

#include <commctrl.h>

#include <memory>

#include "dialog/control_text.h"
#include "dialog/dialog.h"
#include "installer/install/field_text.h"
#include "installer/maintenance/maintenance.h"
#include "installer/maintenance/maintenance_ids.h"
#include "installer/wizard/wizard_environment.h"
#include "installer/wizard/worker_log.h"

namespace {

constexpr wchar_t kRepairText[] = L"修复(&R)";
constexpr wchar_t kUninstallText[] = L"卸载(&U)";
constexpr wchar_t kFinishText[] = L"完成(&O)";
constexpr wchar_t kNoPayloadText[] = L"安装数据文件不存在或者已经损坏,修复程序无法运行.";
constexpr wchar_t kNoPayloadCaption[] = L"无法执行的操作";

class MaintenanceDialog final : public Dialog {
public:
    MaintenanceDialog(MaintenanceKind kind, InstallerState* state, InstallEnvironment& env,
                      std::wstring runningProgram)
        : Dialog(kind == MaintenanceKind::kRepair ? IDD_REPAIR : IDD_UNINSTALL),
          kind_(kind),
          state_(state),
          base_(env),
          runningProgram_(std::move(runningProgram)) {}

protected:
    bool OnInitDialog() override {
        const int iconId = kind_ == MaintenanceKind::kRepair ? IDI_REPAIR : IDI_UNINSTALL;
        icon_ = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId), IMAGE_ICON, 48, 48, 0));
        SetWindowIcons(hwnd(), nullptr, iconId);
        name_ = Field(state_->soft.productName);
        SetWindowTextW(hwnd(), MaintenanceTitle(kind_, name_).c_str());
        environment_ = std::make_unique<WizardEnvironment>(base_, hwnd());
        SendDlgItemMessageW(hwnd(), IDC_MAINTENANCE_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        if (kind_ == MaintenanceKind::kUninstall) {
            SetItemText(hwnd(), IDOK, kUninstallText);
        } else if (RepairPayloadReadable(state_->installLocation)) {
            SetItemText(hwnd(), IDOK, kRepairText);
        } else {
            SetItemText(hwnd(), IDOK, kFinishText);
            base_.Ask(hwnd(), kNoPayloadText, kNoPayloadCaption, MB_OK | MB_ICONERROR);
        }
        return true;
    }

    bool OnCommand(int id, int code, HWND) override {
        if (id != IDOK || code != BN_CLICKED) return false;
        const std::wstring button = ItemText(hwnd(), IDOK);
        if (button == kFinishText) {
            End(IDOK);
        } else if (button == kRepairText || button == kUninstallText) {
            Start();
        }
        return true;
    }

    bool OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (workerLog_.Handle(hwnd(), base_, message, wp, lp)) return true;
        switch (message) {
            case WM_DRAWITEM: {
                const auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lp);
                if (item.CtlID != IDC_MAINTENANCE_HEADER) return false;
                DrawStageHeader(item.hDC, item.rcItem, icon_,
                                MaintenanceHeaderText(kind_, stage_, name_));
                result = TRUE;
                return true;
            }
        }
        return false;
    }

    void OnWorkerFinished() override {
        SetStage(MaintenanceStage::kDone);
        ShowItem(hwnd(), IDC_MAINTENANCE_PROGRESS, false);
        SetItemText(hwnd(), IDOK, kFinishText);
        EnableItem(hwnd(), IDOK, true);
        SetFocus(Item(IDOK));
    }

    void OnDestroy() override {
        if (icon_) DestroyIcon(icon_);
        icon_ = nullptr;
    }

private:
    void SetStage(MaintenanceStage stage) {
        stage_ = stage;
        InvalidateRect(Item(IDC_MAINTENANCE_HEADER), nullptr, TRUE);
    }

    void Start() {
        const bool repair = kind_ == MaintenanceKind::kRepair;
        BackupFiles saved;
        const BackupStatus status = BackupUserData(
            base_, hwnd(),
            repair ? L"是否备份用户词后执行修复操作？" : L"是否备份用户词后执行卸载操作？",
            state_->guidText, &saved);
        // Never the only copy of the user's words without asking.
        if (AfterBackup(status) == BackupVerdict::kAsk &&
            base_.Ask(hwnd(),
                      repair
                          ? L"无法备份用户词，继续修复将删除这些用户词。\r\n\r\n是否仍然继续修复?"
                          : L"无法备份用户词，继续卸载将删除这些用户词。\r\n\r\n是否仍然继续卸载?",
                      MaintenanceTitle(kind_, name_).c_str(),
                      MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES) {
            return;
        }
        ShowItem(hwnd(), IDC_MAINTENANCE_PROGRESS, true);
        EnableItem(hwnd(), IDOK, false);
        SetStage(MaintenanceStage::kWorking);
        InstallEnvironment* env = environment_.get();
        bool started;
        if (repair) {
            request_ = RepairRequest{};
            request_.guidText = state_->guidText;
            request_.soft = &state_->soft;
            request_.ime = &state_->ime;
            request_.unpackDir = state_->unpackDir;
            request_.runningProgram = runningProgram_;
            request_.wordFile = saved.wordFile;
            request_.window = hwnd();
            started = worker().Start(
                hwnd(), [this, env](HWND) { succeeded_ = RunRepair(*env, request_, outcome_); });
        } else {
            std::wstring guid = state_->guidText;
            started = worker().Start(hwnd(), [this, env, guid](HWND) {
                succeeded_ = RunUninstall(*env, guid.c_str(), outcome_);
            });
        }
        if (!started) OnWorkerFinished();
    }

    MaintenanceKind kind_;
    InstallerState* state_;
    InstallEnvironment& base_;
    std::wstring runningProgram_;
    std::unique_ptr<WizardEnvironment> environment_;
    RepairRequest request_;
    MaintenanceOutcome outcome_;
    std::wstring name_;
    WorkerLog workerLog_{IDC_MAINTENANCE_LOG, IDC_MAINTENANCE_PROGRESS};
    HICON icon_ = nullptr;
    MaintenanceStage stage_ = MaintenanceStage::kReady;
    bool succeeded_ = false;
};

}  // namespace

StageHeaderText MaintenanceHeaderText(MaintenanceKind kind, MaintenanceStage stage,
                                      const std::wstring& displayName) {
    StageHeaderText t;
    const bool repair = kind == MaintenanceKind::kRepair;
    t.title = L"欢迎使用 " + displayName + (repair ? L" 修复程序" : L" 卸载程序");
    switch (stage) {
        case MaintenanceStage::kReady:
            t.line = repair ? L"单击“修复”按钮，以将软件恢复到初始状态。"
                            : L"单击“卸载”按钮，从计算机中移除 " + displayName + L" .";
            break;
        case MaintenanceStage::kWorking:
            t.line = (repair ? L"正在修复 " : L"正在卸载 ") + displayName + L" ，请稍候。";
            break;
        case MaintenanceStage::kDone:
            t.line = repair ? L"单击“完成”按钮，退出修复程序。" : L"请单击“完成”按钮退出卸载程序。";
            break;
    }
    return t;
}

std::wstring MaintenanceTitle(MaintenanceKind kind, const std::wstring& displayName) {
    return displayName + (kind == MaintenanceKind::kRepair ? L" - 修复程序" : L" - 卸载程序");
}

void RunRepairDialog(HWND owner, InstallerState* state, InstallEnvironment& env,
                     const std::wstring& runningProgram) {
    MaintenanceDialog dialog(MaintenanceKind::kRepair, state, env, runningProgram);
    dialog.RunModal(owner);
}

void RunUninstallDialog(HWND owner, InstallerState* state, InstallEnvironment& env) {
    MaintenanceDialog dialog(MaintenanceKind::kUninstall, state, env, {});
    dialog.RunModal(owner);
}
