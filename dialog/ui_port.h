// The one port for everything a dialog does that blocks or leaves the program: message boxes,
// file and folder dialogs, popup-menu tracking, shell launches and help. Dialog code calls
// Ui(); tests install a recording fake (dialog/testing/recording_ui_port.h).
#pragma once
#include <windows.h>
#include <commdlg.h>

#include "core/base/path_util.h"

class UiPort {
public:
    virtual ~UiPort() = default;
    // MessageBoxW: the button pressed (IDOK, IDYES ...).
    virtual int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;
    // GetOpenFileNameW / GetSaveFileNameW on a filled dialog record (core/files/file_dialog.h
    // fills them); true with the chosen path in dialog.lpstrFile.
    virtual bool ChooseOpenFile(OPENFILENAMEW& dialog) = 0;
    virtual bool ChooseSaveFile(OPENFILENAMEW& dialog) = 0;
    // The shell's folder browser; true with the chosen folder in out (empty otherwise).
    virtual bool ChooseFolder(HWND owner, const wchar_t* title, wchar_t (&out)[kPathChars]) = 0;
    // TrackPopupMenu: with TPM_RETURNCMD the chosen command (0 for none).
    virtual UINT TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) = 0;
    // ShellExecuteW; true when the shell accepted it (result above 32).
    virtual bool ShellOpen(HWND owner, const wchar_t* verb, const wchar_t* file,
                           const wchar_t* parameters, const wchar_t* directory, int show) = 0;
    // HtmlHelpW; the help window or null.
    virtual HWND ShowHelp(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data) = 0;
};

// The port in use: the real one unless a test installed another.
UiPort& Ui();
// Installs port (null: the real one again); returns the one it replaces (null for the real).
UiPort* SetUiPort(UiPort* port);
// The real port, for fakes that pass some calls through.
UiPort& RealUiPort();
