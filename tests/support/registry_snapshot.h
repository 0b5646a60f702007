// Snapshots for tests that must leave the machine as they found it: a registry tree and a
// file tree as sorted lines of text, compared before and after.
#pragma once
#include <windows.h>

#include <set>
#include <string>

namespace testing_support {

// "path" for every key and "path=type:data" for every value below root\path in view; empty
// when the key is missing.
inline void AddRegistryLines(HKEY root, const std::wstring& path, REGSAM view,
                             std::set<std::wstring>& lines) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return;
    lines.insert(path);
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        BYTE data[4096];
        DWORD chars = 16384, bytes = sizeof data, type = 0;
        if (RegEnumValueW(key, i, name, &chars, nullptr, &type, data, &bytes) != ERROR_SUCCESS)
            break;
        std::wstring hex;
        for (DWORD b = 0; b < bytes; ++b) {
            wchar_t h[4];
            swprintf(h, 4, L"%02x", data[b]);
            hex += h;
        }
        lines.insert(path + L"=" + name + L":" + std::to_wstring(type) + L":" + hex);
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD chars = 256;
        if (RegEnumKeyExW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        AddRegistryLines(root, path + L"\\" + name, view, lines);
    }
    RegCloseKey(key);
}

// Every file and folder below folder (relative paths, folders with a trailing '\').
inline void AddFileLines(const std::wstring& folder, const std::wstring& relative,
                         std::set<std::wstring>& lines) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring n = fd.cFileName;
        if (n == L"." || n == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            lines.insert(relative + n + L"\\");
            AddFileLines(folder + L"\\" + n, relative + n + L"\\", lines);
        } else {
            lines.insert(relative + n);
        }
    } while (FindNextFileW(find, &fd));
    FindClose(find);
}

}  // namespace testing_support
