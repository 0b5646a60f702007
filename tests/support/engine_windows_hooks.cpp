// Linked into the test programs whose engine records show windows: their records get window
// state and a skin as the input method library gives them at process attach.
#include "ui/windows/engine_ui_hooks.h"

namespace {
const bool kInstalled = (InstallEngineUIHooks(), true);
}  // namespace
