#include "dialog/control_text.h"

#include <cstdarg>
#include <cwchar>

int GetWindowTextBounded(HWND window, wchar_t* out, int capacity) {
    if (!out || capacity <= 0) return 0;
    out[0] = 0;
    if (!window) return 0;
    // WM_GETTEXT copies at most capacity - 1 units and terminates, in every process.
    LRESULT n = SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(capacity),
                             reinterpret_cast<LPARAM>(out));
    if (n < 0) n = 0;
    if (n >= capacity) n = capacity - 1;
    out[n] = 0;
    return static_cast<int>(n);
}

int GetItemTextBounded(HWND dialog, int id, wchar_t* out, int capacity) {
    return GetWindowTextBounded(GetDlgItem(dialog, id), out, capacity);
}

std::wstring ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) return {};
    int length = GetWindowTextLengthW(item);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int n = GetWindowTextBounded(item, text.data(), length + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}

bool SetItemText(HWND dialog, int id, const wchar_t* text) {
    return SetDlgItemTextW(dialog, id, text ? text : L"");
}

namespace {

bool FormatV(wchar_t* out, int capacity, const wchar_t* format, va_list args) {
    if (!out || capacity <= 0) return false;
    int n = _vsnwprintf(out, static_cast<size_t>(capacity), format, args);
    out[capacity - 1] = 0;
    if (n < 0 || n >= capacity) return false;
    return true;
}

}  // namespace

bool SetItemTextFormat(HWND dialog, int id, const wchar_t* format, ...) {
    wchar_t text[1024];
    va_list args;
    va_start(args, format);
    FormatV(text, 1024, format, args);
    va_end(args);
    return SetItemText(dialog, id, text);
}

bool FormatBounded(wchar_t* out, int capacity, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    bool whole = FormatV(out, capacity, format, args);
    va_end(args);
    return whole;
}

bool IsItemChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetItemChecked(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void ShowItem(HWND dialog, int id, bool shown) {
    if (HWND item = GetDlgItem(dialog, id)) ShowWindow(item, shown ? SW_SHOW : SW_HIDE);
}

void EnableItem(HWND dialog, int id, bool enabled) {
    if (HWND item = GetDlgItem(dialog, id)) EnableWindow(item, enabled);
}

bool IsItemShown(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item && (GetWindowLongW(item, GWL_STYLE) & WS_VISIBLE);
}

RECT ItemRect(HWND dialog, int id) {
    RECT r{};
    HWND item = GetDlgItem(dialog, id);
    if (!item) return r;
    GetWindowRect(item, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void MoveItemBy(HWND dialog, int id, int dx, int dy, int dw, int dh) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) return;
    RECT r = ItemRect(dialog, id);
    SetWindowPos(item, nullptr, r.left + dx, r.top + dy, r.right - r.left + dw,
                 r.bottom - r.top + dh, SWP_NOZORDER | SWP_NOACTIVATE);
}
