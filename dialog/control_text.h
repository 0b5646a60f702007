// Bounded text and state helpers for the controls of a dialog.
#pragma once
#include <windows.h>

#include <string>

// Text of a window into out (capacity units): cut to fit, always terminated; the number of
// units copied. A missing window or a capacity of 0 gives 0 (out emptied when it has room).
int GetWindowTextBounded(HWND window, wchar_t* out, int capacity);
// The same for control id of dialog.
int GetItemTextBounded(HWND dialog, int id, wchar_t* out, int capacity);
template <int N>
int GetItemTextBounded(HWND dialog, int id, wchar_t (&out)[N]) {
    return GetItemTextBounded(dialog, id, out, N);
}
// The whole text of a control.
std::wstring ItemText(HWND dialog, int id);
bool SetItemText(HWND dialog, int id, const wchar_t* text);
// Formats at most 1023 units (cut, never overrun) into the control.
bool SetItemTextFormat(HWND dialog, int id, const wchar_t* format, ...);
// Formats into out (capacity units), cut to fit and terminated; false when it was cut.
bool FormatBounded(wchar_t* out, int capacity, const wchar_t* format, ...);

// Check boxes and radio buttons.
bool IsItemChecked(HWND dialog, int id);
void SetItemChecked(HWND dialog, int id, bool checked);

// Layout of controls in pixels of the dialog's client area.
void ShowItem(HWND dialog, int id, bool shown);
void EnableItem(HWND dialog, int id, bool enabled);
bool IsItemShown(HWND dialog, int id);
// Rectangle of a control in the dialog's client coordinates (empty when missing).
RECT ItemRect(HWND dialog, int id);
// Moves a control by dx, dy and grows it by dw, dh.
void MoveItemBy(HWND dialog, int id, int dx, int dy, int dw = 0, int dh = 0);
