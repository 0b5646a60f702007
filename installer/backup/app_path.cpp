#include "installer/backup/app_path.h"

std::wstring ExpandAppPath(const std::wstring& text, const std::wstring& installFolder) {
    static const std::wstring kMark = L"{appPath}";
    std::wstring out;
    size_t at = 0;
    for (;;) {
        size_t found = text.find(kMark, at);
        if (found == std::wstring::npos) break;
        out.append(text, at, found - at);
        out += installFolder;
        at = found + kMark.size();
    }
    out.append(text, at, std::wstring::npos);
    return out;
}
