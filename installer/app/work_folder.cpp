#include "installer/app/work_folder.h"

#include <windows.h>

#include <cwchar>

int ComposeWorkDirectory(const wchar_t* tempPath, const wchar_t* name, wchar_t* buffer,
                         size_t count) {
    if (!buffer || count == 0) return 0;
    buffer[0] = 0;
    if (!tempPath || !name || !tempPath[0]) return 0;
    const size_t pathLen = wcslen(tempPath), nameLen = wcslen(name);
    if (nameLen + pathLen + 2 >= count) return 0;
    wmemcpy(buffer, tempPath, pathLen);
    size_t n = pathLen;
    if (buffer[n - 1] != L'\\') buffer[n++] = L'\\';
    wmemcpy(buffer + n, name, nameLen);
    n += nameLen;
    buffer[n] = 0;
    return static_cast<int>(n);
}

int GetWorkDirectory(const wchar_t* name, wchar_t* buffer, size_t count) {
    wchar_t temp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) {
        if (buffer && count) buffer[0] = 0;
        return 0;
    }
    return ComposeWorkDirectory(temp, name, buffer, count);
}

FolderDeleteResult RemoveDirectoryByShell(const wchar_t* path, bool delayIfBusy) {
    FolderDeleteResult r = DeleteFolderTree(path, false);
    if (r != FolderDeleteResult::kLeft) return r;
    Sleep(200);
    return DeleteFolderTree(path, delayIfBusy);
}

bool PrepareWorkDirectory(InstallerState* state) {
    if (GetWorkDirectory(kWorkFolderName, state->workDir, kPathChars) == 0) return false;
    if (RemoveDirectoryByShell(state->workDir, false) != FolderDeleteResult::kGone) return false;
    if (CreateDirectoryPath(state->workDir) == 0) return false;
    DWORD n = GetModuleFileNameW(nullptr, state->modulePath, kPathChars);
    if (n == 0 || n >= kPathChars) {
        state->modulePath[0] = 0;
        return false;
    }
    return true;
}

void RemoveWorkDirectory(const InstallerState& state) {
    if (state.workDir[0]) RemoveDirectoryByShell(state.workDir, false);
}
