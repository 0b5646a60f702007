#include "textservice/actions/deferred_prompt.h"

#include <vector>

#include "core/base/boundary_guard.h"
#include "core/record/engine.h"
#include "engine/candidate_entry_menu.h"
#include "engine/entry_flag_edits.h"

namespace {

struct Queued {
    Engine* engine;
    HWND owner;
    DeferredPrompt prompt;
    int row;
};

thread_local std::vector<Queued> g_queued;
thread_local UINT_PTR g_timer = 0;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    GuardedVoid([&] {
        KillTimer(nullptr, id);
        if (id == g_timer) g_timer = 0;
        RunDeferredPrompts();
    });
}

}  // namespace

void DeferPrompt(Engine* e, HWND owner, DeferredPrompt prompt, int row) {
    if (!e) return;
    ForgetDeferredPrompts(e);
    g_queued.push_back({e, owner, prompt, row});
    if (!g_timer) g_timer = SetTimer(nullptr, 0, 0, &OnTimer);
}

void ForgetDeferredPrompts(const Engine* e) {
    for (size_t i = 0; i < g_queued.size();) {
        if (g_queued[i].engine == e)
            g_queued.erase(g_queued.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
}

int RunDeferredPrompts() {
    int ran = 0;
    // A box may queue another or end an engine: take one at a time.
    while (!g_queued.empty()) {
        const Queued q = g_queued.front();
        g_queued.erase(g_queued.begin());
        if (q.prompt == DeferredPrompt::kDeleteEntry)
            ConfirmDeleteEntry(q.engine, q.owner);
        else
            Engine::EntryOperation(q.engine, q.owner, q.row, kEntryInfo);
        ++ran;
    }
    return ran;
}
