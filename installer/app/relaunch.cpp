#include "installer/app/relaunch.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "core/base/registry.h"
#include "dialog/ui_port.h"
#include "installer/app/command_line.h"

namespace {

constexpr int kParameterUnits = 512;
constexpr wchar_t kInitCaption[] = L"初始化错误";

// The long form of an existing path (the temporary folder may be named in 8.3 form).
std::wstring LongPath(const wchar_t* path) {
    wchar_t out[kPathChars];
    DWORD n = GetLongPathNameW(path, out, kPathChars);
    return n > 0 && n < kPathChars ? std::wstring(out, n) : std::wstring(path);
}

}  // namespace

void TempCopyPath(wchar_t (&out)[kPathChars]) {
    out[0] = 0;
    wchar_t temp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return;
    const wchar_t* sep = temp[n - 1] == L'\\' ? L"" : L"\\";
    int len = _snwprintf(out, kPathChars, L"%ls%ls%ls", temp, sep, kProgramPartName);
    if (len < 0 || len >= kPathChars) out[0] = 0;
}

RelaunchResult RelaunchFromTemp(const InstallerState& state, const wchar_t* commandLine) {
    wchar_t install[kPathChars];
    if (!ReadInstallLocation(state.guidText, install)) install[0] = 0;
    wchar_t source[kPathChars] = {};
    int n = _snwprintf(source, kPathChars, L"%ls%ls", install, kProgramPartName);
    if (n < 0 || n >= kPathChars || !install[0]) source[0] = 0;
    wchar_t target[kPathChars];
    TempCopyPath(target);
    if (!source[0] || !target[0] || !CopyFileW(source, target, FALSE)) {
        wchar_t text[1024];
        _snwprintf(text, 1024,
                   L"安装程序无法访问临时目录: \r\ninstall:%ls\r\nsource:%ls\r\ndest:%ls\r\n",
                   install, source, target);
        text[1023] = 0;
        Ui().ShowMessage(nullptr, text, kInitCaption, MB_OK | MB_ICONERROR);
        return RelaunchResult::kCopyFailed;
    }
    std::wstring parameters = ArgumentText(commandLine);
    if (parameters.size() > kParameterUnits - 4) parameters.resize(kParameterUnits - 4);
    parameters += parameters.empty() ? L"/f" : L" /f";
    if (!Ui().ShellOpen(nullptr, nullptr, target, parameters.c_str(), nullptr, SW_SHOWNORMAL)) {
        Ui().ShowMessage(nullptr, L"安装程序位于临时目录中的副本无法运行，将中止进程。",
                         kInitCaption, MB_OK | MB_ICONERROR);
        return RelaunchResult::kStartFailed;
    }
    return RelaunchResult::kStarted;
}

SelfDelete DeleteSelfOnExit(const wchar_t* modulePath) {
    wchar_t copy[kPathChars];
    TempCopyPath(copy);
    if (!modulePath || !copy[0] ||
        _wcsicmp(LongPath(modulePath).c_str(), LongPath(copy).c_str()) != 0)
        return SelfDelete::kNotTempCopy;
    SetFileAttributesW(modulePath, FILE_ATTRIBUTE_NORMAL);
    return MoveFileExW(modulePath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? SelfDelete::kAtRestart
                                                                         : SelfDelete::kFailed;
}

SelfDelete DeleteSelfOnExit() {
    wchar_t self[kPathChars];
    DWORD n = GetModuleFileNameW(nullptr, self, kPathChars);
    if (n == 0 || n >= kPathChars) return SelfDelete::kFailed;
    return DeleteSelfOnExit(self);
}
