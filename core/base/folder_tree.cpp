#include "core/base/folder_tree.h"

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

bool IsSep(wchar_t c) { return c == L'\\' || c == L'/'; }

// Characters of the root ("C:\" or "\\server\share\") of an absolute path, 0 when the path
// is not absolute.
size_t RootLength(const std::wstring& p) {
    if (p.size() >= 3 && p[1] == L':' && IsSep(p[2]) && iswalpha(p[0])) return 3;
    if (p.size() >= 2 && IsSep(p[0]) && IsSep(p[1])) {
        size_t server = p.find_first_of(L"\\/", 2);
        if (server == std::wstring::npos) return 0;
        size_t share = p.find_first_of(L"\\/", server + 1);
        return share == std::wstring::npos ? 0 : share + 1;
    }
    return 0;
}

bool MarkAtRestart(const std::wstring& path) {
    return MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

struct TreeDelete {
    bool delayIfBusy;
    bool scheduled = false;
    bool left = false;

    void Note(const std::wstring& path) {
        if (delayIfBusy && MarkAtRestart(path))
            scheduled = true;
        else
            left = true;
    }

    void File(const std::wstring& path, DWORD attributes) {
        if (attributes & FILE_ATTRIBUTE_READONLY)
            SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        if (!DeleteFileW(path.c_str())) Note(path);
    }

    void Folder(const std::wstring& path) {
        WIN32_FIND_DATAW fd;
        HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &fd);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!wcscmp(fd.cFileName, L".") || !wcscmp(fd.cFileName, L"..")) continue;
                const std::wstring child = path + L"\\" + fd.cFileName;
                const DWORD a = fd.dwFileAttributes;
                if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT)) {
                    Folder(child);
                } else if (a & FILE_ATTRIBUTE_DIRECTORY) {
                    // A junction or folder link: only the link goes.
                    SetFileAttributesW(child.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
                    if (!RemoveDirectoryW(child.c_str())) Note(child);
                } else {
                    File(child, a);
                }
            } while (FindNextFileW(find, &fd));
            FindClose(find);
        }
        DWORD a = GetFileAttributesW(path.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesW(path.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
        // A folder still holding a file marked for restart goes at restart after it.
        if (!RemoveDirectoryW(path.c_str())) Note(path);
    }
};

// Moves a current directory inside root to the system folder.
void LeaveTree(const std::wstring& root) {
    wchar_t current[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, current);
    if (n == 0 || n >= MAX_PATH) return;
    std::wstring cur(current, n);
    if (cur.size() < root.size() || _wcsnicmp(cur.c_str(), root.c_str(), root.size()) != 0) return;
    if (cur.size() > root.size() && !IsSep(cur[root.size()])) return;
    wchar_t system[MAX_PATH];
    UINT s = GetSystemDirectoryW(system, MAX_PATH);
    if (s > 0 && s < MAX_PATH) SetCurrentDirectoryW(system);
}

}  // namespace

FolderDeleteResult DeleteFolderTree(const wchar_t* path, bool delayIfBusy) {
    if (!path) return FolderDeleteResult::kRefused;
    std::wstring p = path;
    while (p.size() > 1 && IsSep(p.back())) p.pop_back();
    const size_t root = RootLength(p + L"\\");
    if (root == 0 || p.size() < root) return FolderDeleteResult::kRefused;
    const DWORD a = GetFileAttributesW(p.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return FolderDeleteResult::kGone;
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) return FolderDeleteResult::kLeft;
    LeaveTree(p);
    TreeDelete del{delayIfBusy};
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (!RemoveDirectoryW(p.c_str())) del.Note(p);
    } else {
        del.Folder(p);
    }
    if (GetFileAttributesW(p.c_str()) == INVALID_FILE_ATTRIBUTES) return FolderDeleteResult::kGone;
    if (del.left) return FolderDeleteResult::kLeft;
    return del.scheduled ? FolderDeleteResult::kAtRestart : FolderDeleteResult::kLeft;
}
