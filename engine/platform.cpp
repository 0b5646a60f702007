#include "engine/platform.h"

#include <windows.h>
#include <shellapi.h>

#include <ctime>

#include "core/base/clipboard_text.h"

namespace {

int LoadGuidTextWin32(wchar_t* out, int chars) {
    if (!out || chars <= 0) return 0;
    out[0] = 0;
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&LoadGuidTextWin32), &module))
        return 0;
    int n = LoadStringW(module, 1, out, chars);
    if (n <= 0) {
        out[0] = 0;
        return 0;
    }
    return n;
}

int64_t CurrentTimeWin32() { return static_cast<int64_t>(std::time(nullptr)); }
uint64_t TickCountWin32() { return GetTickCount64(); }
void KeyEventWin32(uint8_t vk, uint32_t flags) { keybd_event(vk, 0, flags, 0); }
int16_t KeyStateWin32(int vk) { return GetKeyState(vk); }

void LocalTimeWin32(SYSTEMTIME* out) { GetLocalTime(out); }

int ShellExecuteWin32(HWND owner, const wchar_t* file, const wchar_t* parameters,
                      const wchar_t* verb, int show) {
    HINSTANCE r = ShellExecuteW(owner, verb, file, parameters, nullptr, show);
    return reinterpret_cast<INT_PTR>(r) > 32 ? 1 : 0;
}

int ClipboardTextWin32(wchar_t* out, int chars) {
    if (!out || chars <= 0) return 0;
    out[0] = 0;
    wchar_t text[kClipboardTextChars];
    if (!GetClipboardText(text)) return 0;
    int n = 0;
    for (; n < chars - 1 && n < kClipboardTextChars - 1 && text[n]; ++n) out[n] = text[n];
    out[n] = 0;
    return n;
}

int SetClipboardTextWin32(const wchar_t* text, int chars) {
    return SetClipboardText(text, chars) == 0 ? 1 : 0;
}

int SetClipboardBitmapWin32(HBITMAP bitmap) {
    if (!bitmap || !OpenClipboard(nullptr)) return 0;
    EmptyClipboard();
    const bool set = SetClipboardData(CF_BITMAP, bitmap) != nullptr;
    CloseClipboard();
    return set ? 1 : 0;
}

int MessageBoxWin32(HWND owner, const wchar_t* text, const wchar_t* caption, uint32_t type) {
    return MessageBoxW(owner, text, caption, type);
}

const EnginePlatform kWin32 = {LoadGuidTextWin32,       CurrentTimeWin32,   TickCountWin32,
                               KeyEventWin32,           KeyStateWin32,      LocalTimeWin32,
                               ShellExecuteWin32,       ClipboardTextWin32, SetClipboardTextWin32,
                               SetClipboardBitmapWin32, MessageBoxWin32};
const EnginePlatform* g_platform = &kWin32;

}  // namespace

const EnginePlatform& Platform() { return *g_platform; }
void SetPlatform(const EnginePlatform* platform) { g_platform = platform ? platform : &kWin32; }
const EnginePlatform& Win32Platform() { return kWin32; }
