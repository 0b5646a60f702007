#include "installer/app/prompt_log_ui.h"

#include <windows.h>

#include "core/base/handles.h"

namespace {

std::string Utf8(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr,
                            nullptr);
    return s;
}

std::wstring Escaped(const wchar_t* text) {
    std::wstring out;
    for (const wchar_t* p = text ? text : L""; *p; ++p) {
        if (*p == L'\r')
            out += L"\\r";
        else if (*p == L'\n')
            out += L"\\n";
        else
            out += *p;
    }
    return out;
}

}  // namespace

int FirstButtonOf(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_YESNO:
        case MB_YESNOCANCEL:
            return IDYES;
        case MB_ABORTRETRYIGNORE:
            return IDABORT;
        case MB_RETRYCANCEL:
            return IDRETRY;
        default:
            return IDOK;
    }
}

int LastButtonOf(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
        case MB_YESNOCANCEL:
        case MB_RETRYCANCEL:
            return IDCANCEL;
        case MB_YESNO:
            return IDNO;
        case MB_ABORTRETRYIGNORE:
            return IDIGNORE;
        default:
            return IDOK;
    }
}

int PromptLogUi::ShowMessage(HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
    const std::wstring box = Escaped(caption) + L"\t" + Escaped(text);
    repeats_ = box == last_ ? repeats_ + 1 : 0;
    last_ = box;
    const std::string line = Utf8(box) + "\n";
    zan::UniqueHandle f(CreateFileW(path_.c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (f) {
        DWORD wrote = 0;
        WriteFile(f.get(), line.data(), static_cast<DWORD>(line.size()), &wrote, nullptr);
    }
    return repeats_ >= 2 ? LastButtonOf(type) : FirstButtonOf(type);
}
