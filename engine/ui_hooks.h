// The windows' part of an engine record's life. The engine draws nothing: the front ends
// install the window side at start; without it records have no window state.
#pragma once

struct Engine;

struct EngineUIHooks {
    // Gives a freshly opened record its window state and active skin; false fails the
    // creation.
    bool (*prepare)(Engine* engine);
    // Destroys the record's windows and frees its window state before the record goes.
    void (*release)(Engine* engine);
};

const EngineUIHooks& UIHooks();
// Installs the table (kept by pointer); null restores the one that does nothing.
void SetEngineUIHooks(const EngineUIHooks* hooks);
