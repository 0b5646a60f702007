// The few platform calls of the input engine, behind one table that tests replace.
#pragma once
#include <windows.h>

#include <cstdint>

struct EnginePlatform {
    // String resource 1 of the module that holds the engine: the input method's GUID text.
    // Returns the characters copied into out (always terminated), 0 when missing.
    int (*loadGuidText)(wchar_t* out, int chars);
    int64_t (*currentTime)();                      // seconds since 1970 (time(NULL))
    uint64_t (*tickCount)();                       // milliseconds since boot
    void (*keyEvent)(uint8_t vk, uint32_t flags);  // synthesised key press or release
    int16_t (*keyState)(int vk);                   // GetKeyState
    // Calls of the command executors. A test table may leave them null: the Win32 call
    // is used then.
    void (*localTime)(SYSTEMTIME* out);  // GetLocalTime
    // ShellExecuteW with the owner of its error boxes; 1 when started.
    int (*shellExecute)(HWND owner, const wchar_t* file, const wchar_t* parameters,
                        const wchar_t* verb, int show);
    // CF_UNICODETEXT text, cut to chars - 1 units; the units copied.
    int (*clipboardText)(wchar_t* out, int chars);
    int (*setClipboardText)(const wchar_t* text, int chars);  // 1 when set
    // Hands a bitmap to the clipboard as CF_BITMAP (the clipboard then owns it); 1 when set.
    int (*setClipboardBitmap)(HBITMAP bitmap);
    // MessageBoxW: the button pressed (IDYES ...), 0 when no box could be shown.
    int (*messageBox)(HWND owner, const wchar_t* text, const wchar_t* caption, uint32_t type);
};

// The table in force: the Win32 one unless a test installed its own.
const EnginePlatform& Platform();
// Installs a replacement (kept by pointer); null restores the Win32 table.
void SetPlatform(const EnginePlatform* platform);
const EnginePlatform& Win32Platform();

// The call in force for one slot: the installed table's, else the Win32 one.
#define PLATFORM_CALL(name) (Platform().name ? Platform().name : Win32Platform().name)
