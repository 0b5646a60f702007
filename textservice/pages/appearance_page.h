// Page 3 of the embedded settings pages: window visibility and placement, page size, layout,
// skin and fonts, with a preview of the chosen skin.
#pragma once
#include <windows.h>

INT_PTR CALLBACK AppearancePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
