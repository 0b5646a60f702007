// The skinned windows' classes, registered for the library's lifetime.
#pragma once
#include <windows.h>

// Registers the five skin window classes with module. 1 on success, 0 on failure.
int RegisterUIWindowClasses(HINSTANCE module);

// Unregisters the five skin window classes of module.
void UnregisterUIWindowClasses(HINSTANCE module);
