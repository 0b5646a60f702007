#include "config/single_window.h"

#include <cwchar>

bool BringDialogToFront(const wchar_t* title) {
    HWND w = FindWindowW(L"#32770", title);
    if (!w) return false;
    ShowWindow(w, SW_RESTORE);
    constexpr UINT flags = SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE;
    SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, flags);
    SetWindowPos(w, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    SetForegroundWindow(w);
    return true;
}

bool SendWordByCopyData(HWND receiver, const wchar_t* word) {
    if (!receiver) return false;
    wchar_t text[kDictionaryWordUnits] = {};
    if (word) {
        size_t n = wcsnlen(word, kDictionaryWordUnits - 1);
        wmemcpy(text, word, n);
        text[n] = 0;
    }
    COPYDATASTRUCT data{};
    data.dwData = 0;
    data.cbData = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    data.lpData = text;
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, 5000, &result) != 0;
}

bool ReadCopiedWord(const COPYDATASTRUCT* data, wchar_t (&out)[kDictionaryWordUnits]) {
    out[0] = 0;
    if (!data || data->dwData != 0 || !data->lpData || data->cbData < sizeof(wchar_t)) return false;
    size_t units = data->cbData / sizeof(wchar_t);
    if (units > kDictionaryWordUnits - 1) units = kDictionaryWordUnits - 1;
    const auto* text = static_cast<const wchar_t*>(data->lpData);
    size_t n = 0;
    while (n < units && text[n]) ++n;
    wmemcpy(out, text, n);
    out[n] = 0;
    return true;
}
