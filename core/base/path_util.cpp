#include "core/base/path_util.h"

#include <shlobj.h>

#include <cwchar>

namespace {

bool EndsInBackslash(const wchar_t* text, size_t len) { return len > 0 && text[len - 1] == L'\\'; }

// Folder + optional "\" + name + suffix into out; false when it does not fit.
bool JoinPath(const wchar_t* folder, const wchar_t* name, const wchar_t* suffix,
              wchar_t (&out)[kPathChars]) {
    size_t folderLen = wcsnlen(folder, kPathChars);
    const wchar_t* sep = EndsInBackslash(folder, folderLen) ? L"" : L"\\";
    int n = _snwprintf(out, kPathChars, L"%ls%ls%ls%ls", folder, sep, name, suffix);
    if (n < 0 || n >= kPathChars) {
        out[0] = 0;
        return false;
    }
    return true;
}

struct DocumentsCache {
    SRWLOCK lock = SRWLOCK_INIT;
    bool found = false;
    wchar_t path[kPathChars] = {};
};

DocumentsCache g_documents;

}  // namespace

DWORD CreateDirectoryPath(const wchar_t* path) {
    if (!path) return 0;
    size_t len = wcsnlen(path, kPathChars);
    if (len == 0 || len >= kPathChars) return 0;
    wchar_t copy[kPathChars];
    wmemcpy(copy, path, len);
    copy[len] = 0;
    for (size_t i = 1; i < len; ++i) {
        if (copy[i] != L'\\') continue;
        copy[i] = 0;
        CreateDirectoryW(copy, nullptr);  // existing levels and drive roots fail harmlessly
        copy[i] = L'\\';
    }
    CreateDirectoryW(copy, nullptr);
    DWORD attributes = GetFileAttributesW(copy);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return 0;
    }
    return attributes;
}

bool GetImeModulePath(const wchar_t* imeName, wchar_t (&out)[kPathChars]) {
    out[0] = 0;
    if (!imeName || !imeName[0]) return false;
    wchar_t system[kPathChars];
    UINT n = GetSystemDirectoryW(system, kPathChars);
    if (n == 0 || n >= kPathChars) return false;
    return JoinPath(system, imeName, L".ime", out);
}

bool GetDocumentsFolder(wchar_t (&out)[kPathChars]) {
    out[0] = 0;
    AcquireSRWLockExclusive(&g_documents.lock);
    if (!g_documents.found) {
        wchar_t folder[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr,
                                       SHGFP_TYPE_CURRENT, folder)) &&
            folder[0] && JoinPath(folder, L"", L"", g_documents.path)) {
            g_documents.found = true;
        }
    }
    bool found = g_documents.found;
    if (found) wmemcpy(out, g_documents.path, kPathChars);
    ReleaseSRWLockExclusive(&g_documents.lock);
    return found;
}
