// A worker thread of a dialog. The worker computes into storage of its own and reports only
// by posting messages to the dialog; when its body returns, kWorkerFinishedMessage is posted
// and the dialog joins it (Dialog does this and then calls OnWorkerFinished). While a worker
// that refuses commands runs, its Dialog refuses Cancel, Esc, the close box and every other
// command; a dialog joins its worker before its window is destroyed.
#pragma once
#include <windows.h>

#include <functional>
#include <thread>

constexpr UINT kWorkerFinishedMessage = WM_APP + 0x3F00;

class DialogWorker {
public:
    // The body runs on the worker thread; dialog is where it may post its reports.
    using Body = std::function<void(HWND dialog)>;

    DialogWorker() = default;
    ~DialogWorker() { Join(); }
    DialogWorker(const DialogWorker&) = delete;
    DialogWorker& operator=(const DialogWorker&) = delete;

    // False when a worker is still running or not yet joined, or the thread cannot start.
    bool Start(HWND dialog, Body body, bool refuseCommands = true);
    // From Start until Join.
    bool Running() const { return thread_.joinable(); }
    bool RefusesCommands() const { return Running() && refuseCommands_; }
    // Waits for the body to return (nothing when no worker runs).
    void Join();

private:
    std::thread thread_;
    bool refuseCommands_ = true;
};
