#include "installer/install/environment.h"

#include <shlobj.h>

#include "dialog/ui_port.h"
#include "installer/install/field_text.h"

namespace {

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH]{};
    if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path))) return {};
    return WithBackslash(path);
}

}  // namespace

std::wstring InstallEnvironment::SystemFolder() {
    wchar_t path[MAX_PATH]{};
    UINT n = GetSystemDirectoryW(path, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::wstring() : WithBackslash(path);
}

std::wstring InstallEnvironment::SystemWow64Folder() {
    wchar_t path[MAX_PATH]{};
    UINT n = GetSystemWow64DirectoryW(path, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::wstring() : WithBackslash(path);
}

std::wstring InstallEnvironment::CommonAppData() { return ShellFolder(CSIDL_COMMON_APPDATA); }
std::wstring InstallEnvironment::CommonPrograms() { return ShellFolder(CSIDL_COMMON_PROGRAMS); }
std::wstring InstallEnvironment::ProgramFiles() { return ShellFolder(CSIDL_PROGRAM_FILES); }
std::wstring InstallEnvironment::FontsFolder() { return ShellFolder(CSIDL_FONTS); }
std::wstring InstallEnvironment::DesktopFolder() { return ShellFolder(CSIDL_DESKTOPDIRECTORY); }
std::wstring InstallEnvironment::DocumentsFolder() { return ShellFolder(CSIDL_PERSONAL); }
std::wstring InstallEnvironment::InternetCache() {
    wchar_t path[MAX_PATH]{};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_INTERNET_CACHE, nullptr, 0, path))) return {};
    return WithBackslash(path);
}

std::wstring InstallEnvironment::WindowsFolder() {
    wchar_t path[MAX_PATH]{};
    UINT n = GetWindowsDirectoryW(path, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::wstring() : WithBackslash(path);
}

std::wstring InstallEnvironment::TempFolder() {
    wchar_t path[MAX_PATH + 1]{};
    DWORD n = GetTempPathW(MAX_PATH + 1, path);
    return n == 0 || n > MAX_PATH ? std::wstring() : WithBackslash(path);
}

std::wstring InstallEnvironment::FamilyKey() { return L"Software\\ZantorIME3"; }

unsigned InstallEnvironment::WindowsVersion() {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&v)) return 0;
#pragma GCC diagnostic pop
    unsigned major = v.dwMajorVersion > 0xFF ? 0xFF : v.dwMajorVersion;
    unsigned minor = v.dwMinorVersion > 0xFF ? 0xFF : v.dwMinorVersion;
    return major << 8 | minor;
}

bool InstallEnvironment::Launch(const wchar_t* file, const wchar_t* parameters, bool shown) {
    return Ui().ShellOpen(nullptr, L"open", file, parameters && *parameters ? parameters : nullptr,
                          nullptr, shown ? SW_SHOWNORMAL : SW_HIDE);
}

int InstallEnvironment::Ask(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    return Ui().ShowMessage(owner, text, caption, type);
}

bool InstallEnvironment::ScheduleAtRestart(const wchar_t* from, const wchar_t* to) {
    DWORD flags = MOVEFILE_DELAY_UNTIL_REBOOT | (to ? MOVEFILE_REPLACE_EXISTING : 0);
    return MoveFileExW(from, to, flags) != 0;
}

void InstallEnvironment::Progress(int, const wchar_t*) {}
void InstallEnvironment::TransientLine(const wchar_t*) {}

HRESULT InstallEnvironment::CreateProfiles(ITfInputProcessorProfiles** out) {
    return CoCreateInstance(CLSID_TF_InputProcessorProfiles, nullptr, CLSCTX_INPROC_SERVER,
                            IID_ITfInputProcessorProfiles, reinterpret_cast<void**>(out));
}

HRESULT InstallEnvironment::CreateCategoryMgr(ITfCategoryMgr** out) {
    return CoCreateInstance(CLSID_TF_CategoryMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ITfCategoryMgr,
                            reinterpret_cast<void**>(out));
}

void InstallEnvironment::BroadcastLayoutChange() {
    static const wchar_t kSection[] = L"HKEY_CURRENT_USER\\Keyboard Layout\\Preload";
    auto param = reinterpret_cast<LPARAM>(kSection);
    for (int i = 0; i < 5; ++i) {
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(HWND_BROADCAST, WM_WININICHANGE, 0, param, SMTO_ABORTIFHUNG, 100,
                                &result)) {
            break;
        }
    }
}

InstallEnvironment& MachineEnvironment() {
    static InstallEnvironment machine;
    return machine;
}
