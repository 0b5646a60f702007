// The skinned candidate window as the text service drives it: created and placed under the
// composition after each candidate change, hidden when the candidates go, destroyed with the
// engine's windows.
#pragma once
#include "textservice/tsf/service_hooks.h"

// Fills the window slots of table (candidate list in the own window, hide, destroy, focus).
void InstallServiceWindowHooks(TextServiceHooks& table);
// Once per process: the window slots of the library's own table.
void InstallDefaultServiceWindowHooks();
