// "检查更新": checks the update server when it opens (and on "检查更新(&C)"), and applies the
// update the check offered on button 1. The work runs on the dialog's worker, which posts its
// log lines, progress texts and outcome; the dialog closes after an installer was started,
// once the worker has ended.
#pragma once
#include <windows.h>

#include <string>

#include "config/update_task.h"
#include "dialog/dialog.h"

struct Engine;

constexpr UINT kUpdateLogMessage = WM_APP + 0x40;       // lParam: std::wstring*, null clears
constexpr UINT kUpdateProgressMessage = WM_APP + 0x41;  // lParam: std::wstring*
constexpr UINT kUpdateOutcomeMessage = WM_APP + 0x42;   // wParam 0 check, 1 update; lParam outcome

// What a finished check leaves on button 1.
struct CheckButton {
    UpdateMode mode;
    const wchar_t* text;  // null: unchanged
    bool enabled;
};
CheckButton CheckButtonFor(CheckOutcome outcome);

class CKX_DlgUpdate final : public Dialog {
public:
    CKX_DlgUpdate(Engine* engine, HWND owner);

    UpdateMode mode() const { return mode_; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnOK() override;
    void OnWorkerFinished() override;

private:
    void StartCheck();
    void AppendLog(const wchar_t* text);
    void EnableButtons(bool check, bool update, bool exit);

    Engine* engine_;
    HWND owner_;
    UpdateTask task_{};
    UpdateMode mode_ = UpdateMode::kNone;
    bool closeWhenDone_ = false;
};
