// Unicode text on the clipboard.
#pragma once
#include <windows.h>

constexpr int kClipboardTextChars = 128;

// The clipboard and global-memory calls the helpers make; tests replace them.
struct ClipboardCalls {
    BOOL(WINAPI* open)(HWND owner);
    BOOL(WINAPI* close)();
    BOOL(WINAPI* empty)();
    HANDLE(WINAPI* getData)(UINT format);
    HANDLE(WINAPI* setData)(UINT format, HANDLE data);
    HGLOBAL(WINAPI* alloc)(UINT flags, SIZE_T bytes);
    HGLOBAL(WINAPI* free)(HGLOBAL memory);
    LPVOID(WINAPI* lock)(HGLOBAL memory);
    BOOL(WINAPI* unlock)(HGLOBAL memory);
    SIZE_T(WINAPI* size)(HGLOBAL memory);
};
const ClipboardCalls& SystemClipboardCalls();

// Replaces the clipboard content by a copy of text up to its NUL or chars units, as
// CF_UNICODETEXT. 0 on success; -1 when the clipboard cannot be opened, the copy cannot be
// allocated (the clipboard is then left as it was) or the data cannot be set.
int SetClipboardText(const wchar_t* text, int chars);
int SetClipboardText(const ClipboardCalls& calls, const wchar_t* text, int chars);

// The CF_UNICODETEXT text, read no further than its memory block and cut to 127 units (never
// inside a surrogate pair); empty when there is none. False when the clipboard cannot be
// opened.
bool GetClipboardText(wchar_t (&out)[kClipboardTextChars]);
bool GetClipboardText(const ClipboardCalls& calls, wchar_t (&out)[kClipboardTextChars]);
