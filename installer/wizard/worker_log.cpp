#include "installer/wizard/worker_log.h"

#include <commctrl.h>

#include <memory>

#include "installer/wizard/wizard_environment.h"

bool WorkerLog::Handle(HWND dialog, InstallEnvironment& base, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        case kWizardProgressMessage: {
            std::unique_ptr<std::wstring> line(reinterpret_cast<std::wstring*>(lp));
            SendDlgItemMessageW(dialog, progressId_, PBM_SETPOS, wp, 0);
            if (line) lines_ += *line + L"\r\n";
            Show(dialog, nullptr);
            return true;
        }
        case kWizardTransientMessage: {
            std::unique_ptr<std::wstring> line(reinterpret_cast<std::wstring*>(lp));
            Show(dialog, line.get());
            // Gone again at once: only the last copied file shows.
            Show(dialog, nullptr);
            return true;
        }
        case kWizardAskMessage: {
            auto* q = reinterpret_cast<WizardQuestion*>(lp);
            q->answer = base.Ask(dialog, q->text, q->caption, q->type);
            return true;
        }
    }
    return false;
}

void WorkerLog::Show(HWND dialog, const std::wstring* transient) const {
    const std::wstring text = transient ? lines_ + *transient : lines_;
    HWND log = GetDlgItem(dialog, logId_);
    SetWindowTextW(log, text.c_str());
    const int end = GetWindowTextLengthW(log);
    SendMessageW(log, EM_SETSEL, end, end);
    SendMessageW(log, EM_SCROLLCARET, 0, 0);
}
