// The input method's services behind the engine's command executors.
#pragma once

// Installs the library's hook table (process attach); the engine's set( command then applies
// settings lines.
void InstallInputMethodCommandHooks();
