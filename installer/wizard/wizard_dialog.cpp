#include "installer/wizard/wizard_dialog.h"

#include <commctrl.h>

#include <cwchar>
#include <memory>
#include <string>

#include "dialog/control_text.h"
#include "dialog/dialog.h"
#include "installer/install/field_text.h"
#include "installer/install/install_sequence.h"
#include "installer/install/product_registry.h"
#include "installer/remove/folder_removal.h"
#include "installer/wizard/folder_chooser.h"
#include "installer/wizard/install_checks.h"
#include "installer/wizard/licence_dialog.h"
#include "installer/wizard/stage_header.h"
#include "installer/wizard/wizard_environment.h"
#include "installer/wizard/wizard_ids.h"
#include "installer/wizard/worker_log.h"

namespace {

constexpr wchar_t kInstallText[] = L"安装(&S)";
constexpr wchar_t kFinishText[] = L"完成(&O)";
constexpr wchar_t kViewLicenceText[] = L"查看许可协议(L)";

class InstallWizard final : public Dialog {
public:
    InstallWizard(InstallerState* state, InstallEnvironment& env)
        : Dialog(IDD_INSTALL_WIZARD), state_(state), base_(env) {}

protected:
    bool OnInitDialog() override {
        icon_ = static_cast<HICON>(LoadImageW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_INSTALL), IMAGE_ICON, 48, 48, 0));
        SetWindowIcons(hwnd(), nullptr, IDI_INSTALL);
        name_ = Field(state_->soft.productName);
        SetWindowTextW(hwnd(), (name_ + L" 安装向导").c_str());
        environment_ = std::make_unique<WizardEnvironment>(base_, hwnd());
        const std::wstring folder = DefaultInstallFolder(base_, state_->guidText, state_->soft);
        SetItemText(hwnd(), IDC_WIZARD_FOLDER, folder.c_str());
        if (state_->soft.showLicenceAgreement) {
            // Accepted before the wizard.
            for (int id : {IDC_WIZARD_VIEW_LICENCE, IDC_WIZARD_ACCEPT, IDC_WIZARD_DECLINE})
                ShowItem(hwnd(), id, false);
            SetItemChecked(hwnd(), IDC_WIZARD_ACCEPT, true);
        } else {
            SetItemChecked(hwnd(), IDC_WIZARD_DECLINE, true);
            EnableItem(hwnd(), IDOK, false);
        }
        SetItemText(hwnd(), IDOK, kInstallText);
        SendDlgItemMessageW(hwnd(), IDC_WIZARD_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        return true;
    }

    bool OnCommand(int id, int code, HWND) override {
        if (code != BN_CLICKED) return false;
        switch (id) {
            case IDOK:
                OnInstall();
                return true;
            case IDC_WIZARD_BROWSE:
                OnBrowse();
                return true;
            case IDC_WIZARD_VIEW_LICENCE: {
                const bool accepted = RunLicenceDialog(hwnd(), state_);
                SetLicenceAccepted(accepted);
                return true;
            }
            case IDC_WIZARD_ACCEPT:
                EnableItem(hwnd(), IDOK, true);
                return true;
            case IDC_WIZARD_DECLINE:
                EnableItem(hwnd(), IDOK, false);
                return true;
        }
        return false;
    }

    bool OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (workerLog_.Handle(hwnd(), base_, message, wp, lp)) return true;
        switch (message) {
            case WM_DRAWITEM:
                result = DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
                return true;
            case WM_SETCURSOR:
                if (reinterpret_cast<HWND>(wp) != Item(IDC_WIZARD_VIEW_LICENCE)) return false;
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                result = TRUE;
                return true;
            case WM_PAINT:
                return IsIconic(hwnd()) && PaintMinimised();
            case WM_QUERYDRAGICON:
                result = reinterpret_cast<LRESULT>(icon_);
                return true;
        }
        return false;
    }

    void OnWorkerFinished() override {
        stage_ = succeeded_ ? WizardStage::kFinished : WizardStage::kFailed;
        if (succeeded_) {
            CopyBounded(state_->installLocation, outcome_.installFolder);
            CopyBounded(state_->dataLocation, outcome_.dataFolder);
        }
        SetItemText(hwnd(), IDOK, kFinishText);
        EnableItem(hwnd(), IDOK, true);
        ShowItem(hwnd(), IDC_WIZARD_PROGRESS, false);
        EnableItem(hwnd(), IDC_WIZARD_LOG, true);
        InvalidateRect(Item(IDC_WIZARD_HEADER), nullptr, TRUE);
        SetFocus(Item(IDOK));
    }

    void OnDestroy() override {
        if (icon_) DestroyIcon(icon_);
        icon_ = nullptr;
    }

private:
    static void CopyBounded(wchar_t (&out)[kPathChars], const std::wstring& text) {
        wcsncpy(out, text.c_str(), kPathChars - 1);
        out[kPathChars - 1] = 0;
    }

    void SetLicenceAccepted(bool accepted) {
        SetItemChecked(hwnd(), IDC_WIZARD_ACCEPT, accepted);
        SetItemChecked(hwnd(), IDC_WIZARD_DECLINE, !accepted);
        EnableItem(hwnd(), IDOK, accepted);
    }

    LRESULT DrawItem(const DRAWITEMSTRUCT& item) {
        if (item.CtlID == IDC_WIZARD_HEADER) {
            DrawStageHeader(item.hDC, item.rcItem, icon_, WizardHeaderText(stage_, name_));
        } else if (item.CtlID == IDC_WIZARD_VIEW_LICENCE) {
            FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
            const int mode = SetBkMode(item.hDC, TRANSPARENT);
            const COLORREF color = SetTextColor(item.hDC, RGB(0, 100, 0));
            auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
            HGDIOBJ old = SelectObject(item.hDC, font);
            TextOutW(item.hDC, item.rcItem.left + 5, item.rcItem.top + 2, kViewLicenceText,
                     static_cast<int>(wcslen(kViewLicenceText)));
            SelectObject(item.hDC, old);
            SetTextColor(item.hDC, color);
            SetBkMode(item.hDC, mode);
            if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
        } else {
            return FALSE;
        }
        return TRUE;
    }

    bool PaintMinimised() {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd(), &ps);
        RECT r;
        GetClientRect(hwnd(), &r);
        const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
        DrawIconEx(dc, (r.right - cx + 1) / 2, (r.bottom - cy + 1) / 2, icon_, cx, cy, 0, nullptr,
                   DI_NORMAL);
        EndPaint(hwnd(), &ps);
        return true;
    }

    void OnBrowse() {
        std::wstring chosen;
        if (!BrowseForFolder(hwnd(), ItemText(hwnd(), IDC_WIZARD_FOLDER), L"请选择安装目录...",
                             chosen))
            return;
        const std::wstring folder = ChosenFolderWithProduct(chosen, state_->soft);
        CopyBounded(state_->folder, folder);
        SetItemText(hwnd(), IDC_WIZARD_FOLDER, folder.c_str());
    }

    void OnInstall() {
        // After the install the button reads "完成(&O)" and closes the wizard.
        if (ItemText(hwnd(), IDOK) != kInstallText || !IsWindowEnabled(Item(IDOK))) {
            End(IDOK);
            return;
        }
        wchar_t folder[kPathChars];
        GetItemTextBounded(hwnd(), IDC_WIZARD_FOLDER, folder);
        const InstallCheckResult check =
            CheckInstall(*environment_, hwnd(), state_->guidText, state_->soft, folder);
        if (check.verdict != InstallCheck::kProceed) return;
        state_->upgradeKind = static_cast<uint8_t>(check.upgrade);
        CopyBounded(state_->folder, folder);
        ShowInstalling();

        request_ = InstallRequest{};
        request_.guidText = state_->guidText;
        request_.soft = &state_->soft;
        request_.ime = &state_->ime;
        request_.unpackDir = state_->unpackDir;
        request_.workProgram = std::wstring(state_->workDir) + L"\\" + kProgramPartName;
        request_.payloadPath = state_->payloadPath;
        request_.chosenFolder = folder;
        request_.upgrade = check.upgrade;
        request_.window = hwnd();
        ReadRegisteredOwner(request_.owner, request_.organisation);
        // The worker owns request_ and outcome_ until it is joined.
        InstallEnvironment* env = environment_.get();
        if (!worker().Start(hwnd(), [this, env](HWND) {
                ClearVirtualStoreCopies(*env);
                succeeded_ = RunInstall(*env, request_, outcome_);
            })) {
            succeeded_ = false;
            OnWorkerFinished();
        }
    }

    void ShowInstalling() {
        stage_ = WizardStage::kInstalling;
        InvalidateRect(Item(IDC_WIZARD_HEADER), nullptr, TRUE);
        EnableItem(hwnd(), IDOK, false);
        ShowItem(hwnd(), IDC_WIZARD_PROGRESS, true);
        ShowItem(hwnd(), IDC_WIZARD_LOG, true);
        for (int id : {IDC_WIZARD_FOLDER_GROUP, IDC_WIZARD_BROWSE, IDC_WIZARD_FOLDER,
                       IDC_WIZARD_VIEW_LICENCE, IDC_WIZARD_ACCEPT, IDC_WIZARD_DECLINE}) {
            ShowItem(hwnd(), id, false);
        }
        EnableItem(hwnd(), IDC_WIZARD_LOG, false);
    }

    InstallerState* state_;
    InstallEnvironment& base_;
    std::unique_ptr<WizardEnvironment> environment_;
    InstallRequest request_;
    InstallOutcome outcome_;
    std::wstring name_;
    WorkerLog workerLog_{IDC_WIZARD_LOG, IDC_WIZARD_PROGRESS};
    HICON icon_ = nullptr;
    WizardStage stage_ = WizardStage::kReady;
    bool succeeded_ = false;
};

}  // namespace

void RunInstallWizard(HWND owner, InstallerState* state, InstallEnvironment& env) {
    InstallWizard wizard(state, env);
    wizard.RunModal(owner);
}
