// A dialog port for runs of the program under test: message boxes are written to a file and
// answered with their first button instead of shown, except that the same box asked a third
// time in a row gets its other button, so that a retry question cannot loop for ever.
// Everything else goes to the real port.
#pragma once
#include <string>

#include "dialog/ui_port.h"

// The environment variable that names the file.
inline constexpr wchar_t kPromptLogVariable[] = L"ZAN_INSTALLER_PROMPTS";

class PromptLogUi final : public UiPort {
public:
    explicit PromptLogUi(std::wstring path) : path_(std::move(path)) {}
    // One UTF-8 line per message: caption, TAB, text with CR and LF written as "\r" and "\n".
    int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override;
    bool ChooseOpenFile(OPENFILENAMEW& dialog) override {
        return RealUiPort().ChooseOpenFile(dialog);
    }
    bool ChooseSaveFile(OPENFILENAMEW& dialog) override {
        return RealUiPort().ChooseSaveFile(dialog);
    }
    bool ChooseFolder(HWND owner, const wchar_t* title, wchar_t (&out)[kPathChars]) override {
        return RealUiPort().ChooseFolder(owner, title, out);
    }
    UINT TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) override {
        return RealUiPort().TrackMenu(menu, flags, x, y, owner);
    }
    bool ShellOpen(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                   const wchar_t* directory, int show) override {
        return RealUiPort().ShellOpen(owner, verb, file, parameters, directory, show);
    }
    HWND ShowHelp(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data) override {
        return RealUiPort().ShowHelp(caller, file, command, data);
    }

private:
    std::wstring path_;
    std::wstring last_;  // caption and text of the previous box
    int repeats_ = 0;
};

// The answer a message box of that type gives when its first button is pressed, and when its
// last one is (the first for a box of one button).
int FirstButtonOf(UINT type);
int LastButtonOf(UINT type);
