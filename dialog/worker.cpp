#include "dialog/worker.h"

#include <system_error>

bool DialogWorker::Start(HWND dialog, Body body, bool refuseCommands) {
    if (Running() || !body) return false;
    refuseCommands_ = refuseCommands;
    try {
        thread_ = std::thread([dialog, body = std::move(body)] {
            try {
                body(dialog);
            } catch (...) {
            }
            PostMessageW(dialog, kWorkerFinishedMessage, 0, 0);
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void DialogWorker::Join() {
    if (thread_.joinable()) thread_.join();
}
