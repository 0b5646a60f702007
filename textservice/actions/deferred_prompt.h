// Modal boxes of the key functions (entry information, the online delete question) wait
// until the key is done: a box pumps messages, and the host's document (an edit session) or
// input context (its lock) must not be held while it does. They run from the thread's
// message loop through a thread timer.
#pragma once
#include <windows.h>

struct Engine;

enum class DeferredPrompt { kDeleteEntry, kEntryInfo };

// Queues the box; a later one of the same engine replaces it.
void DeferPrompt(Engine* engine, HWND owner, DeferredPrompt prompt, int row);
// The engine goes away: its queued box with it.
void ForgetDeferredPrompts(const Engine* engine);
// Runs the boxes queued on this thread; how many ran.
int RunDeferredPrompts();
