// Icons of the input method module, with the program's own drawing of the same id when the
// module has none.
#pragma once
#include <windows.h>

struct Engine;

// A shared icon (never destroyed) of size pixels; 0 for the system's large icon size.
HICON LoadImeIcon(const Engine* engine, int id, int size = 0);
