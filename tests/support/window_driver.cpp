#include "support/window_driver.h"

#include <commctrl.h>

#include <cstdlib>

#include "support/png_writer.h"
#include "support/test_files.h"

namespace testing_support {

void PumpMessagesFor(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

std::vector<HWND> FindDialogs(const wchar_t* title) {
    std::vector<HWND> found;
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, L"#32770", title)) != nullptr) found.push_back(w);
    return found;
}

HWND WaitForDialog(const wchar_t* title, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND w = FindWindowW(L"#32770", title);
        if (w && IsWindowVisible(w)) return w;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        PumpMessagesFor(50);
    }
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start >= timeoutMs) return false;
        PumpMessagesFor(50);
    }
    return true;
}

std::wstring WindowTextOf(HWND window) {
    if (!window) return {};
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        nullptr);
    text[1023] = 0;
    return text;
}

std::wstring DialogItemText(HWND dialog, int id) { return WindowTextOf(GetDlgItem(dialog, id)); }

int ListViewRowCount(HWND list) {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_BLOCK, 5000, &r);
    return static_cast<int>(r);
}

std::wstring ListViewCellText(HWND list, int row, int column) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return L"";
    constexpr int kUnits = 512;
    const SIZE_T bytes = sizeof(LVITEMW) + kUnits * sizeof(wchar_t);
    auto* remote = static_cast<uint8_t*>(
        VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    std::wstring text;
    if (remote) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.iSubItem = column;
        item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
        item.cchTextMax = kUnits;
        wchar_t buffer[kUnits] = {};
        SIZE_T done = 0;
        DWORD_PTR r = 0;
        if (WriteProcessMemory(process, remote, &item, sizeof item, &done) &&
            SendMessageTimeoutW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                reinterpret_cast<LPARAM>(remote), SMTO_BLOCK, 5000, &r) &&
            ReadProcessMemory(process, remote + sizeof(LVITEMW), buffer, sizeof buffer, &done)) {
            buffer[kUnits - 1] = 0;
            text = buffer;
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}

bool DialogItemChecked(HWND dialog, int id) {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_BLOCK, 5000, &r);
    return r == BST_CHECKED;
}

bool DialogItemVisible(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item && (GetWindowLongW(item, GWL_STYLE) & WS_VISIBLE);
}

void ClickDialogItem(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

namespace {

struct ClassSearch {
    const wchar_t* name;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOfClass(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<ClassSearch*>(lp);
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    if (lstrcmpiW(name, s->name) == 0 && IsWindowVisible(w)) s->found.push_back(w);
    return TRUE;
}

}  // namespace

std::vector<HWND> ChildWindowsOfClass(HWND window, const wchar_t* className) {
    ClassSearch s{className, {}};
    EnumChildWindows(window, &CollectOfClass, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

void SendKey(WORD vk) {
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        i.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    }
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

bool SaveWindowScreenshot(HWND window, const std::wstring& path) {
    RECT r;
    if (!window || !GetWindowRect(window, &r)) return false;
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        SelectObject(memory, old);
        if (ok) {
            std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
            const auto* p = static_cast<const uint8_t*>(bits);
            for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
                rgb[i * 3] = p[i * 4 + 2];
                rgb[i * 3 + 1] = p[i * 4 + 1];
                rgb[i * 3 + 2] = p[i * 4];
            }
            ok = WriteFileBytes(path, MakePng(w, h, 2, rgb));
        }
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

std::wstring ScreenshotFolder() {
    wchar_t value[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"ZAN_SCREENSHOT_DIR", value, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::wstring folder = value;
    if (folder[0] == L'/') {
        for (wchar_t& c : folder)
            if (c == L'/') c = L'\\';
        folder = L"Z:" + folder;
    }
    return folder;
}

bool SaveScreenshotIfAsked(HWND window, const wchar_t* name) {
    std::wstring folder = ScreenshotFolder();
    if (folder.empty()) return true;
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessagesFor(600);
    bool ok = SaveWindowScreenshot(window, folder + L"\\" + name);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return ok;
}

}  // namespace testing_support
