// The log box and progress bar of a dialog whose install worker reports through a
// WizardEnvironment: the kept lines, a line shown for a moment, and the worker's questions
// answered on the dialog's thread.
#pragma once
#include <windows.h>

#include <string>

#include "installer/install/environment.h"

class WorkerLog {
public:
    WorkerLog(int logId, int progressId) : logId_(logId), progressId_(progressId) {}

    // Handles the worker's progress, transient-line and question messages; false for others.
    bool Handle(HWND dialog, InstallEnvironment& base, UINT message, WPARAM wp, LPARAM lp);

private:
    void Show(HWND dialog, const std::wstring* transient) const;

    int logId_, progressId_;
    std::wstring lines_;
};
