// Page 1 of the embedded settings pages: start state, frequency, association and the input
// options the configuration program shows beside them.
#pragma once
#include <windows.h>

INT_PTR CALLBACK InputOptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
