#include "installer/install/file_install.h"

#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "core/base/handles.h"
#include "core/base/mapped_file.h"
#include "core/base/path_util.h"

namespace {

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(towlower(c));
    return s;
}

bool IsUnpackedImeFile(const std::wstring& source) {
    std::wstring s = Lower(source);
    for (const wchar_t* tail :
         {L"$zaninstaller$\\zipdatas\\zanime.ime", L"$zaninstaller$\\zipdatas\\zanime(x86).ime"}) {
        size_t n = wcslen(tail);
        if (s.size() >= n && s.compare(s.size() - n, n, tail) == 0) return true;
    }
    return false;
}

std::wstring GuidName() {
    GUID g;
    CoCreateGuid(&g);
    wchar_t text[40];
    StringFromGUID2(g, text, 40);
    return text;
}

std::wstring FolderOf(const std::wstring& path) {
    size_t at = path.find_last_of(L'\\');
    return at == std::wstring::npos ? std::wstring() : path.substr(0, at + 1);
}

std::wstring NameOf(const std::wstring& path) {
    size_t at = path.find_last_of(L'\\');
    return at == std::wstring::npos ? path : path.substr(at + 1);
}

// Writes source's bytes into the mapped target, whose size becomes source's.
bool WriteInPlace(const std::wstring& source, const std::wstring& target) {
    MappedFile* rawSource = nullptr;
    if (MappedFile::LoadToMemory(&rawSource, source.c_str()) <= 0 || !rawSource) return false;
    MappedFilePtr from(rawSource);
    MappedFile* rawTarget = nullptr;
    if (MappedFile::Open(&rawTarget, target.c_str()) <= 0 || !rawTarget) return false;
    MappedFilePtr to(rawTarget);
    // A private copy would take the bytes and lose them.
    if (!to->IsMapped()) return false;
    LARGE_INTEGER size{};
    {
        zan::UniqueHandle h(CreateFileW(source.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        0, nullptr));
        if (!h || !GetFileSizeEx(h.get(), &size) || size.QuadPart > kMaxMappedSize) return false;
    }
    if (to->size != size.QuadPart && MappedFile::Resize(to.get(), size.QuadPart) <= 0) {
        return false;
    }
    if (!to->IsMapped() || to->size != size.QuadPart) return false;
    std::memcpy(to->view, from->view, static_cast<size_t>(size.QuadPart));
    return MappedFile::Flush(to.get());
}

}  // namespace

FileInstallResult FileInstaller::ReplaceBusyFile(const std::wstring& source,
                                                 const std::wstring& target) {
    std::wstring folder = FolderOf(target);
    std::wstring aside = folder + NameOf(target) + L"." + GuidName() + L".old";
    if (MoveFileExW(target.c_str(), aside.c_str(), 0)) {
        if (CopyFileW(source.c_str(), target.c_str(), FALSE)) {
            GrantAccountAccess(target.c_str(), AccessKind::kCode);
            // The renamed file stays loaded where it is in use; it goes at the restart.
            if (!env.ScheduleAtRestart(aside.c_str(), nullptr)) DeleteFileW(aside.c_str());
            rebootNeeded = true;
            return FileInstallResult::kAtRestart;
        }
        MoveFileExW(aside.c_str(), target.c_str(), 0);
        return FileInstallResult::kFailed;
    }
    // Held without delete sharing: a copy beside it takes its place at the restart.
    std::wstring pending = folder + L"~" + GuidName() + L".tmp";
    if (!CopyFileW(source.c_str(), pending.c_str(), FALSE)) return FileInstallResult::kFailed;
    if (!env.ScheduleAtRestart(pending.c_str(), target.c_str())) {
        DeleteFileW(pending.c_str());
        return FileInstallResult::kFailed;
    }
    rebootNeeded = true;
    return FileInstallResult::kAtRestart;
}

FileInstallResult FileInstaller::InstallSystemFile(const std::wstring& source,
                                                   const std::wstring& target, bool allowDelay,
                                                   AccessKind access) {
    env.TransientLine((L"        " + target).c_str());
    if (source.empty() || _wcsicmp(source.c_str(), target.c_str()) == 0) {
        return FileInstallResult::kInstalled;
    }
    if (!Exists(source)) return FileInstallResult::kFailed;
    for (;;) {
        if (CopyFileW(source.c_str(), target.c_str(), FALSE)) {
            // A volume without ACLs keeps a good copy.
            GrantAccountAccess(target.c_str(), access);
            return FileInstallResult::kInstalled;
        }
        if (IsUnpackedImeFile(source) && Exists(target)) return ReplaceBusyFile(source, target);
        wchar_t text[1024];
        _snwprintf(text, 1024,
                   allowDelay
                       ? L"无法安装 %ls, 请确认文件未被打开并且拥有路径的写入权限. "
                         L"\r\n\r\n单击\"是\"重试安装，单击\"否\"将在重新启动计算机后安装该文件."
                       : L"无法安装 %ls, 请确认文件未被打开并且拥有路径的写入权限. "
                         L"\r\n\r\n单击\"是\"重试安装，单击\"否\"将取消安装安装程序.",
                   target.c_str());
        text[1023] = 0;
        if (env.Ask(owner, text, L"文件访问冲突, 是否重试安装?", MB_YESNO | MB_ICONQUESTION) ==
            IDYES) {
            continue;
        }
        if (!allowDelay || !Exists(target)) return FileInstallResult::kFailed;
        return ReplaceBusyFile(source, target);
    }
}

FileInstallResult FileInstaller::InstallDataFile(const std::wstring& source,
                                                 const std::wstring& target) {
    env.TransientLine((L"        " + NameOf(target)).c_str());
    if (!Exists(source)) return FileInstallResult::kFailed;
    if (CopyFileW(source.c_str(), target.c_str(), FALSE)) {
        GrantAccountAccess(target.c_str(), AccessKind::kData);
        return FileInstallResult::kInstalled;
    }
    // The input method holds the table mapped: its bytes are replaced in place.
    if (Exists(target) && WriteInPlace(source, target)) return FileInstallResult::kInstalled;
    return Exists(target) ? ReplaceBusyFile(source, target) : FileInstallResult::kFailed;
}

bool FileInstaller::CopyDirectoryTree(const std::wstring& source, const std::wstring& target,
                                      bool keepSource, bool dataFiles) {
    std::wstring to = target;
    if (!to.empty() && to.back() == L'\\') to.pop_back();
    std::wstring from = source;
    if (!from.empty() && from.back() == L'\\') from.pop_back();
    CreateDirectoryPath(to.c_str());
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return true;
    bool ok = true;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring s = from + L"\\" + name, t = to + L"\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name[0] == L'.') continue;
            ok = CopyDirectoryTree(s, t, keepSource, dataFiles);
            if (ok && !keepSource) RemoveDirectoryW(s.c_str());
            continue;
        }
        FileInstallResult r = dataFiles ? InstallDataFile(s, t) : InstallSystemFile(s, t, true);
        ok = r != FileInstallResult::kFailed;
        if (ok && !keepSource) DeleteFileW(s.c_str());
    } while (ok && FindNextFileW(find, &fd));
    FindClose(find);
    return ok;
}

void InstallFonts(InstallEnvironment& env, const std::wstring& source) {
    std::wstring fonts = env.FontsFolder();
    if (fonts.empty()) return;
    std::wstring from = source;
    if (!from.empty() && from.back() != L'\\') from.push_back(L'\\');
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((from + L"*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::wstring name = Lower(fd.cFileName);
        bool ttf = name.find(L".ttf") != std::wstring::npos;
        bool ttc = name.find(L".ttc") != std::wstring::npos;
        if (!ttf && !ttc) continue;
        std::wstring target = fonts + fd.cFileName;
        // A font already there is neither replaced nor registered again.
        if (Exists(target)) continue;
        if (!CopyFileW((from + fd.cFileName).c_str(), target.c_str(), TRUE)) continue;
        AddFontResourceW(target.c_str());
        std::wstring valueName;
        if (ttf) {
            valueName = name.substr(0, name.find(L".ttf")) + L"(TrueType)";
        } else {
            valueName = name + L"(TrueType-C)";
        }
        if (valueName.size() > 64) valueName.resize(64);
        zan::UniqueKey key;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                            L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0, nullptr,
                            0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, key.put(),
                            nullptr) == ERROR_SUCCESS) {
            std::wstring data = fd.cFileName;
            RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(data.c_str()),
                           static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        }
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    PostMessageW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
}
