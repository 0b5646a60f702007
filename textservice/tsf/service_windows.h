// The skinned windows as the text service drives them: the candidate window under the
// composition, the state tip, the soft keyboard, the skin reload on document focus, and the
// end of every window with the engine record. (The status window goes with the language bar,
// textservice/langbar.)
#pragma once
#include "textservice/tsf/service_hooks.h"

// Fills the window slots of table.
void InstallServiceWindowHooks(TextServiceHooks& table);
// Once per process: the window slots of the library's own table.
void InstallDefaultServiceWindowHooks();
