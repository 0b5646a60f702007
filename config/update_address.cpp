#include "config/update_address.h"

#include <cwchar>

bool IsCustomUpdateAddress(const wchar_t* templ, int units) {
    if (!templ || units <= 0) return false;
    const size_t n = wcsnlen(templ, static_cast<size_t>(units));
    if (n == 0) return false;
    const size_t d = wcslen(kDefaultUpdateTemplate);
    if (n != d) return true;
    for (size_t i = 0; i < n; ++i) {
        wchar_t a = templ[i], b = kDefaultUpdateTemplate[i];
        if (a >= L'A' && a <= L'Z') a = static_cast<wchar_t>(a - L'A' + L'a');
        if (b >= L'A' && b <= L'Z') b = static_cast<wchar_t>(b - L'A' + L'a');
        if (a != b) return true;
    }
    return false;
}
