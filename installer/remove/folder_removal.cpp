#include "installer/remove/folder_removal.h"

#include <vector>

namespace {

std::wstring WithoutBackslash(std::wstring s) {
    while (s.size() > 3 && s.back() == L'\\') s.pop_back();
    return s;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(InstallEnvironment& env, const std::wstring& folder, bool delayIfBusy,
                RemovalOutcome& outcome) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            bool isDir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            // A link or junction goes itself; what it points at is not ours.
            bool isLink = (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
                SetFileAttributesW(path.c_str(), fd.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
            }
            if (isDir && !isLink) {
                RemoveTree(env, path, delayIfBusy, outcome);
            } else if (isDir) {
                RemoveDirectoryW(path.c_str());
            } else if (!DeleteFileW(path.c_str())) {
                if (delayIfBusy && env.ScheduleAtRestart(path.c_str(), nullptr)) {
                    outcome.rebootNeeded = true;
                } else {
                    outcome.leftOver = true;
                }
            }
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    if (!RemoveDirectoryW(folder.c_str()) && Exists(folder)) {
        // Scheduled after its files, so the restart deletes it once they are gone.
        if (delayIfBusy && env.ScheduleAtRestart(folder.c_str(), nullptr)) {
            outcome.rebootNeeded = true;
        } else {
            outcome.leftOver = true;
        }
    }
}

}  // namespace

bool IsRemovableFolder(const std::wstring& folder) {
    std::wstring f = WithoutBackslash(folder);
    if (f.find(L"..") != std::wstring::npos || f.find(L'/') != std::wstring::npos) return false;
    size_t start;
    if (f.size() >= 3 && f[1] == L':' && f[2] == L'\\' && iswalpha(f[0])) {
        start = 3;
    } else if (f.rfind(L"\\\\", 0) == 0) {
        // \\server\share\ is the root of a share.
        size_t server = f.find(L'\\', 2);
        size_t share = server == std::wstring::npos ? server : f.find(L'\\', server + 1);
        if (share == std::wstring::npos) return false;
        start = share + 1;
    } else {
        return false;
    }
    int levels = 0;
    bool inName = false;
    for (size_t i = start; i < f.size(); ++i) {
        if (f[i] == L'\\') {
            if (!inName) return false;  // "\\" inside
            inName = false;
        } else if (!inName) {
            inName = true;
            ++levels;
        }
    }
    return levels >= 2;
}

void RemoveFolderTree(InstallEnvironment& env, const std::wstring& folder, bool delayIfBusy,
                      RemovalOutcome& outcome) {
    if (!IsRemovableFolder(folder)) {
        if (!folder.empty() && Exists(folder)) outcome.leftOver = true;
        return;
    }
    std::wstring f = WithoutBackslash(folder);
    DWORD attributes = GetFileAttributesW(f.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    RemoveTree(env, f, delayIfBusy, outcome);
}

bool RemoveFolderIfEmpty(const std::wstring& folder) {
    std::wstring f = WithoutBackslash(folder);
    if (f.empty()) return false;
    RemoveDirectoryW(f.c_str());
    return !Exists(f);
}

bool DeleteOrSchedule(InstallEnvironment& env, const std::wstring& file, RemovalOutcome& outcome) {
    if (file.empty() || !Exists(file)) return true;
    if (DeleteFileW(file.c_str())) return true;
    if (env.ScheduleAtRestart(file.c_str(), nullptr)) {
        outcome.rebootNeeded = true;
        return true;
    }
    outcome.leftOver = true;
    return false;
}

void ClearVirtualStoreCopies(InstallEnvironment& env) {
    std::wstring cache = env.InternetCache();
    if (cache.empty() || !Exists(cache)) return;
    RemovalOutcome ignored;
    for (wchar_t letter = L'c'; letter <= L'y'; ++letter) {
        std::wstring copy = cache + L"Virtualized\\" + letter + L"\\ProgramData\\ZantorIME3\\";
        RemoveFolderTree(env, copy, false, ignored);
    }
}
