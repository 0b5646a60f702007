// Small pieces every skinned window procedure uses: the module that owns the classes, the
// engine record a window holds, the accessibility events of immersive hosts and the client
// point of a mouse message.
#pragma once
#include <windows.h>

#include "core/record/engine.h"

// The module the skinned window classes are registered in (this library or the program that
// links it).
HMODULE SkinWindowModule();

// The engine record a skinned window holds as its user data, or null.
Engine* EngineOf(HWND w);

// Creates a disabled popup window of one of the skinned classes owned by owner, holding e as
// its user data from the first message after creation; null when creation fails.
HWND CreateSkinWindow(Engine* e, DWORD exStyle, const wchar_t* className, const wchar_t* title,
                      int x, int y, int width, int height, HWND owner);

// Raises an IME window event for the focus window of an immersive host; nothing for other
// hosts, or without an engine record or its window state.
void RaiseImeEvent(Engine* e, DWORD event);

// The client point of a mouse message, signed as the coordinates may be negative.
POINT ClientPoint(LPARAM lp);

// The messages the two layered windows (candidate list, status bar) answer alike: the layered
// style set on creation, the mouse captured on every cursor message, painting left to
// UpdateLayeredWindow. True when message is one of them, with what to return in *result.
bool LayeredWindowMessage(HWND w, UINT message, WPARAM wp, LPARAM lp, LRESULT* result);

// The calls that hand a layered window its picture, through a seam tests replace.
struct LayeredWindowCalls {
    BOOL(WINAPI* update)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);
};
const LayeredWindowCalls& LayeredCalls();
// Installs the seam; null restores the system's UpdateLayeredWindow.
void SetLayeredWindowCalls(const LayeredWindowCalls* calls);
