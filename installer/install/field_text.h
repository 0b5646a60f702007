// Small texts of the installer: a settings field as a string, a folder path with its final
// backslash.
#pragma once
#include <string>

#include "core/settings/config_blocks.h"

template <int N>
std::wstring Field(const wchar_t (&field)[N]) {
    wchar_t text[N + 1];
    ReadFieldText(field, text, N + 1);
    return text;
}

inline std::wstring WithBackslash(std::wstring s) {
    if (!s.empty() && s.back() != L'\\') s.push_back(L'\\');
    return s;
}
