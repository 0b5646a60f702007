// The skinned windows as the text service drives them: the candidate window under the
// composition, the status window, the skin reload on document focus, and the end of every
// window with the engine record.
#pragma once
#include "textservice/tsf/service_hooks.h"

// Fills the window slots of table.
void InstallServiceWindowHooks(TextServiceHooks& table);
// Once per process: the window slots of the library's own table.
void InstallDefaultServiceWindowHooks();
