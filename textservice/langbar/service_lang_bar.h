// The language bar and the status bar as the text service drives them: buttons added at
// activation and removed at deactivation, refreshed on mode changes, hidden with the thread
// focus; the status window shown instead when it is not embedded in the language bar.
#pragma once
#include "textservice/tsf/service_hooks.h"

// Fills the language-bar and status-bar slots of table.
void InstallServiceLanguageBarHooks(TextServiceHooks& table);
// Once per process: the same slots of the library's own table.
void InstallDefaultServiceLanguageBarHooks();
