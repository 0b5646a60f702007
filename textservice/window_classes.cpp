#include "textservice/window_classes.h"

#include "ui/windows/skin_window_classes.h"

int RegisterUIWindowClasses(HINSTANCE module) { return RegisterSkinWindowClasses(module) ? 1 : 0; }

void UnregisterUIWindowClasses(HINSTANCE module) { UnregisterSkinWindowClasses(module); }
