#include "config/updater_dialog.h"

#include <memory>

#include "config/about_ids.h"
#include "config/config_dialogs.h"
#include "config/config_ids.h"
#include "core/record/engine.h"
#include "dialog/control_text.h"
#include "dialog/ui_port.h"

namespace {

constexpr UINT_PTR kCheckTimer = 1;

INT_PTR RunUpdater(const ConfigDialogRequest& request) {
    CKX_DlgUpdate dialog(request.engine, request.owner);
    return dialog.RunModal(request.owner);
}

void PostText(HWND dialog, UINT message, const wchar_t* text) {
    auto* copy = text ? new std::wstring(text) : nullptr;
    if (!PostMessageW(dialog, message, 0, reinterpret_cast<LPARAM>(copy))) delete copy;
}

void PostLog(void* context, const wchar_t* text) {
    PostText(static_cast<HWND>(context), kUpdateLogMessage, text);
}

void PostProgress(void* context, const wchar_t* text) {
    PostText(static_cast<HWND>(context), kUpdateProgressMessage, text ? text : L"");
}

}  // namespace

ZAN_REGISTER_CONFIG_DIALOG(ConfigDialogKind::Updater, RunUpdater)

CheckButton CheckButtonFor(CheckOutcome outcome) {
    switch (outcome) {
        case CheckOutcome::kInstaller:
            return {UpdateMode::kInstaller, L"立即更新(&U)", true};
        case CheckOutcome::kData:
            return {UpdateMode::kData, L"执行更新(&U)", true};
        case CheckOutcome::kUpToDate:
            return {UpdateMode::kNone, L"无需更新(&U)", false};
        default:
            return {UpdateMode::kNone, nullptr, false};
    }
}

CKX_DlgUpdate::CKX_DlgUpdate(Engine* engine, HWND owner)
    : Dialog(IDD_UPDATER), engine_(engine), owner_(owner) {}

bool CKX_DlgUpdate::OnInitDialog() {
    SetWindowIcons(hwnd(), nullptr, IDI_PROGRAM);
    if (!owner_) SetProgramMainWindow(hwnd());
    SendMessageW(Item(IDC_UPDATE_LOG), EM_SETLIMITTEXT, 0, 0);
    EnableButtons(false, false, false);
    SetTimer(hwnd(), kCheckTimer, 100, nullptr);
    return true;
}

void CKX_DlgUpdate::EnableButtons(bool check, bool update, bool exit) {
    EnableItem(hwnd(), IDC_UPDATE_CHECK, check);
    EnableItem(hwnd(), IDOK, update);
    EnableItem(hwnd(), IDCANCEL, exit);
}

void CKX_DlgUpdate::AppendLog(const wchar_t* text) {
    HWND log = Item(IDC_UPDATE_LOG);
    if (!text) {
        SetWindowTextW(log, L"");
        return;
    }
    if (!text[0]) return;
    const int end = GetWindowTextLengthW(log);
    SendMessageW(log, EM_SETSEL, end, end);
    const std::wstring line = std::wstring(text) + L"\r\n";
    SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageW(log, EM_SCROLLCARET, 0, 0);
}

void CKX_DlgUpdate::StartCheck() {
    EnableButtons(false, false, false);
    Engine* engine = engine_;
    UpdateTask* task = &task_;
    const bool started = worker().Start(hwnd(), [engine, task](HWND dialog) {
        const UpdateReports reports{&PostLog, &PostProgress, dialog};
        const CheckOutcome o =
            RunUpdateCheck(*task, engine ? engine->guidText : nullptr, engine, reports);
        PostMessageW(dialog, kUpdateOutcomeMessage, 0, static_cast<LPARAM>(o));
    });
    if (!started) EnableButtons(true, false, true);
}

void CKX_DlgUpdate::OnOK() {
    EnableButtons(false, false, false);
    Engine* engine = engine_;
    UpdateTask* task = &task_;
    const UpdateMode mode = mode_;
    HWND owner = hwnd();
    const bool started = worker().Start(hwnd(), [engine, task, mode, owner](HWND dialog) {
        const UpdateReports reports{&PostLog, &PostProgress, dialog};
        const UpdateOutcome o =
            RunUpdate(*task, engine ? engine->guidText : nullptr, engine, mode, owner, reports);
        PostMessageW(dialog, kUpdateOutcomeMessage, 1, static_cast<LPARAM>(o));
    });
    if (!started) EnableButtons(true, true, true);
}

bool CKX_DlgUpdate::OnCommand(int id, int code, HWND) {
    if (id != IDC_UPDATE_CHECK || code != BN_CLICKED) return false;
    SetTimer(hwnd(), kCheckTimer, 100, nullptr);
    return true;
}

bool CKX_DlgUpdate::OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT&) {
    switch (message) {
        case WM_TIMER:
            if (wp != kCheckTimer) return false;
            KillTimer(hwnd(), kCheckTimer);
            StartCheck();
            return true;
        case kUpdateLogMessage: {
            std::unique_ptr<std::wstring> text(reinterpret_cast<std::wstring*>(lp));
            AppendLog(text ? text->c_str() : nullptr);
            return true;
        }
        case kUpdateProgressMessage: {
            std::unique_ptr<std::wstring> text(reinterpret_cast<std::wstring*>(lp));
            SetItemText(hwnd(), IDC_UPDATE_PROGRESS, text ? text->c_str() : L"");
            return true;
        }
        case kUpdateOutcomeMessage:
            if (wp == 0) {
                const auto o = static_cast<CheckOutcome>(lp);
                if (o == CheckOutcome::kStartFailed)
                    Ui().ShowMessage(hwnd(), kUpdateStartFailed, kUpdateCaption, MB_ICONERROR);
                const CheckButton b = CheckButtonFor(o);
                mode_ = b.mode;
                if (b.text) SetItemText(hwnd(), IDOK, b.text);
                EnableButtons(true, b.enabled, true);
            } else {
                const auto o = static_cast<UpdateOutcome>(lp);
                if (o == UpdateOutcome::kStartFailed)
                    Ui().ShowMessage(hwnd(), kUpdateStartFailed, kUpdateCaption, MB_ICONERROR);
                if (o == UpdateOutcome::kInstallerStarted) closeWhenDone_ = true;
                if (o == UpdateOutcome::kDataInstalled)
                    EnableButtons(false, false, true);
                else
                    EnableButtons(true, mode_ != UpdateMode::kNone, true);
            }
            return true;
        default:
            return false;
    }
}

void CKX_DlgUpdate::OnWorkerFinished() {
    if (closeWhenDone_) End(IDOK);
}
