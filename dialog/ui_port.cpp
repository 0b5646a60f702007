#include "dialog/ui_port.h"

#include <htmlhelp.h>
#include <shellapi.h>
#include <shlobj.h>

namespace {

// hhctrl.ocx is loaded at the first help request; most starts never ask for help.
using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

HtmlHelpFunction HtmlHelpEntry() {
    static HtmlHelpFunction entry = [] {
        HMODULE m = LoadLibraryW(L"hhctrl.ocx");
        return m ? reinterpret_cast<HtmlHelpFunction>(
                       reinterpret_cast<void*>(GetProcAddress(m, "HtmlHelpW")))
                 : nullptr;
    }();
    return entry;
}

class WindowsUiPort final : public UiPort {
public:
    int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override {
        return MessageBoxW(owner, text, caption, type);
    }
    bool ChooseOpenFile(OPENFILENAMEW& dialog) override { return GetOpenFileNameW(&dialog); }
    bool ChooseSaveFile(OPENFILENAMEW& dialog) override { return GetSaveFileNameW(&dialog); }
    bool ChooseFolder(HWND owner, const wchar_t* title, wchar_t (&out)[kPathChars]) override {
        out[0] = 0;
        BROWSEINFOW info{};
        info.hwndOwner = owner;
        info.lpszTitle = title;
        info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
        PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info);
        if (!list) return false;
        wchar_t path[MAX_PATH] = {};
        bool ok = SHGetPathFromIDListW(list, path) && path[0];
        CoTaskMemFree(list);
        if (!ok || wcslen(path) >= kPathChars) return false;
        wcscpy(out, path);
        return true;
    }
    UINT TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) override {
        return static_cast<UINT>(TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr));
    }
    bool ShellOpen(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                   const wchar_t* directory, int show) override {
        auto r = reinterpret_cast<INT_PTR>(
            ShellExecuteW(owner, verb, file, parameters, directory, show));
        return r > 32;
    }
    HWND ShowHelp(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data) override {
        HtmlHelpFunction entry = HtmlHelpEntry();
        return entry ? entry(caller, file, command, data) : nullptr;
    }
};

WindowsUiPort g_real;
UiPort* g_port = nullptr;

}  // namespace

UiPort& Ui() { return g_port ? *g_port : g_real; }

UiPort& RealUiPort() { return g_real; }

UiPort* SetUiPort(UiPort* port) {
    UiPort* previous = g_port;
    g_port = port;
    return previous;
}
