// The configuration program's engine record, with the outside world it depends on.
#pragma once
#include "core/record/engine.h"

struct ConfigEngineHooks {
    // Seconds since 1970 at which the machine started.
    int64_t (*bootTime)();
    // Path of the input method module to load for imeName.
    bool (*modulePath)(const wchar_t* imeName, wchar_t (&out)[kPathChars]);
};

// The hooks Engine::CreateForConfig uses: the real clock and the system folder.
ConfigEngineHooks DefaultConfigEngineHooks();

// Engine::CreateForConfig with the given hooks; null on any failure, nothing left open.
Engine* CreateConfigEngine(const wchar_t* guidText, const ConfigEngineHooks& hooks);
