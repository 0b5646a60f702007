#include "installer/package/extract_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <memory>

#include "dialog/control_text.h"
#include "dialog/dialog.h"
#include "installer/package/extract_dialog_ids.h"

namespace {

constexpr UINT kMsgProgress = WM_APP + 1;  // lParam: a ProgressNote the dialog frees
constexpr UINT_PTR kStartTimer = 1;
constexpr UINT kStartDelayMs = 100;

struct ProgressNote {
    wchar_t text[kExtractStatusUnits];
    int percent;
};

void Post(HWND dialog, const wchar_t* text, int percent) {
    auto* note = new (std::nothrow) ProgressNote;
    if (!note) return;
    wcsncpy(note->text, text, kExtractStatusUnits - 1);
    note->text[kExtractStatusUnits - 1] = 0;
    note->percent = percent;
    if (!PostMessageW(dialog, kMsgProgress, 0, reinterpret_cast<LPARAM>(note))) delete note;
}

void ReportToDialog(void* context, const wchar_t* text, uint64_t done, uint64_t total) {
    Post(static_cast<HWND>(context), text, ExtractProgressPercent(done, total));
}

// The worker unpacks into its own copy of the state; the dialog's thread copies it back once
// the worker has been joined. Nothing ends the dialog but the worker's end.
class ExtractDialog final : public Dialog {
public:
    explicit ExtractDialog(InstallerState* state)
        : Dialog(IDD_EXTRACT), shared_(state), work_(std::make_unique<InstallerState>(*state)) {}

    UnpackResult result() const { return result_; }

protected:
    bool OnInitDialog() override {
        SendDlgItemMessageW(hwnd(), IDC_EXTRACT_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendDlgItemMessageW(hwnd(), IDC_EXTRACT_PROGRESS, PBM_SETPOS, 0, 0);
        SetTimer(hwnd(), kStartTimer, kStartDelayMs, nullptr);
        return true;
    }
    bool OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT&) override {
        switch (message) {
            case WM_TIMER:
                if (wp == kStartTimer && !started_ && IsWindowVisible(hwnd())) {
                    KillTimer(hwnd(), kStartTimer);
                    started_ = true;
                    InstallerState* work = work_.get();
                    UnpackResult* result = &result_;
                    if (!worker().Start(hwnd(), [work, result](HWND dialog) {
                            Post(dialog, L"正在解开文件...", 0);
                            Sleep(50);
                            const ExtractProgress progress{ReportToDialog, dialog};
                            *result = UnpackPayload(work, &progress);
                        })) {
                        End(IDCANCEL);
                    }
                }
                return true;
            case kMsgProgress: {
                std::unique_ptr<ProgressNote> note(reinterpret_cast<ProgressNote*>(lp));
                SetItemText(hwnd(), IDC_EXTRACT_STATUS, note->text);
                SendDlgItemMessageW(hwnd(), IDC_EXTRACT_PROGRESS, PBM_SETPOS, note->percent, 0);
                return true;
            }
        }
        return false;
    }
    void OnWorkerFinished() override {
        *shared_ = *work_;
        End(result_ == UnpackResult::kUnpacked ? IDOK : IDCANCEL);
    }
    // No way out before the worker ends the dialog.
    void OnOK() override {}
    void OnCancel() override {}

private:
    InstallerState* shared_;
    std::unique_ptr<InstallerState> work_;
    UnpackResult result_ = UnpackResult::kSplitFailed;
    bool started_ = false;
};

}  // namespace

int ExtractProgressPercent(uint64_t done, uint64_t total) {
    if (total == 0) return static_cast<int>(done > 100 ? 100 : done);
    return static_cast<int>(done * 100 / total);
}

UnpackResult RunExtractDialog(InstallerState* state, HWND owner) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    ExtractDialog dialog(state);
    const INT_PTR r = dialog.RunModal(owner);
    if (r != IDOK) {
        return dialog.result() == UnpackResult::kUnpacked ? UnpackResult::kSplitFailed
                                                          : dialog.result();
    }
    return UnpackResult::kUnpacked;
}

bool RunExtractDialog(InstallerState* state) {
    return RunExtractDialog(state, nullptr) == UnpackResult::kUnpacked;
}
