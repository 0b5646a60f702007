// The few platform calls of the input engine, behind one table that tests replace.
#pragma once
#include <windows.h>

#include <cstdint>

struct EnginePlatform {
    // String resource 1 of the module that holds the engine: the input method's GUID text.
    // Returns the characters copied into out (always terminated), 0 when missing.
    int (*loadGuidText)(wchar_t* out, int chars);
    int64_t (*currentTime)();    // seconds since 1970 (time(NULL))
    uint64_t (*tickCount)();     // milliseconds since boot
    void (*keyEvent)(uint8_t vk, uint32_t flags);  // synthesised key press or release
    int16_t (*keyState)(int vk);                   // GetKeyState
    // MessageBoxW: the button pressed (IDYES ...), 0 when no box could be shown.
    int (*messageBox)(HWND owner, const wchar_t* text, const wchar_t* caption, uint32_t type);
    // Opens an address with the shell's "open" verb; true when it started.
    bool (*shellOpen)(const wchar_t* address);
};

// The table in force: the Win32 one unless a test installed its own.
const EnginePlatform& Platform();
// Installs a replacement (kept by pointer); null restores the Win32 table.
void SetPlatform(const EnginePlatform* platform);
const EnginePlatform& Win32Platform();
