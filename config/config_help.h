// The program's help: pages of main.chm in the install folder through HtmlHelp.
#pragma once
#include <windows.h>

struct Engine;

// HtmlHelp of "<install folder>main.chm" with command (0: display topic) and data, through
// the dialog port; null when there is no engine or no help window.
HWND ShowProgramHelp(const Engine* engine, DWORD_PTR data, UINT command = 0);
// "<install folder>main.chm" (false when it does not fit).
bool HelpFilePath(const Engine* engine, wchar_t* out, int capacity);
