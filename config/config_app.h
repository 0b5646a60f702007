// The program object: parses the command line, opens the engine record, opens the one dialog
// the start asks for (or raises the open one) and gives the whole program its key rules.
#pragma once
#include <windows.h>

#include "config/command_line.h"
#include "config/start_target.h"

struct Engine;

constexpr wchar_t kProgramCaption[] = L"配置程序";
constexpr wchar_t kBadEnvironmentText[] = L"非法的软件环境，本程序无法继续。";
constexpr wchar_t kOldVersionText[] =
    L"程序检测到您正在使用旧版的输入法程序，建议重新启动当前程序，以使输入法更新生效。";
constexpr int kDisplayNameUnits = 64;

class CconfigApp {
public:
    // The start: false after a modal dialog or after raising an open window, true after the
    // HTML viewer and a dictionary it ran itself. The engine record is freed on every path.
    bool InitInstance(const wchar_t* commandLine);
    // The program's rules for a message of any dialog loop; true when handled.
    bool PreTranslateMessage(MSG& message);
    void WinHelp(DWORD_PTR data, UINT command = 0);

    StartArguments args{};
    Engine* engine = nullptr;
    wchar_t displayName[kDisplayNameUnits] = {};

private:
    bool Dispatch();
};

void InitApplicationObject();
void DestroyApplicationObject();
CconfigApp* TheApp();

// True when versionText names another version than the one in the soft block's field.
bool IsOtherVersion(const wchar_t* versionText, const wchar_t* stored, int storedUnits);
