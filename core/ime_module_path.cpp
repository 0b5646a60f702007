#include "core/path_util.h"

#include <cwchar>

bool GetImeModulePath(const wchar_t* imeName, wchar_t (&out)[kMaxPathUnits]) {
    out[0] = 0;
    if (!imeName || !imeName[0]) return false;
    wchar_t folder[kMaxPathUnits];
    const UINT n = GetSystemDirectoryW(folder, kMaxPathUnits);
    if (n == 0 || n >= kMaxPathUnits) return false;
    const wchar_t* sep = folder[n - 1] == L'\\' ? L"" : L"\\";
    const int written = _snwprintf(out, kMaxPathUnits, L"%ls%ls%ls.ime", folder, sep, imeName);
    if (written < 0 || written >= kMaxPathUnits) {
        out[0] = 0;
        return false;
    }
    return true;
}
