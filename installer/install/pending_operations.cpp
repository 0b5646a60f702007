#include "installer/install/pending_operations.h"

#include <cwctype>

#include "core/base/handles.h"

namespace {

constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingValue[] = L"PendingFileRenameOperations";

std::wstring Plain(const std::wstring& path) {
    std::wstring p = path;
    if (p.rfind(L"\\??\\", 0) == 0) p = p.substr(4);
    for (wchar_t& c : p) c = static_cast<wchar_t>(towlower(c));
    while (!p.empty() && p.back() == L'\\') p.pop_back();
    return p;
}

bool IsOurs(const std::wstring& source, const std::vector<std::wstring>& files,
            const std::vector<std::wstring>& folders) {
    std::wstring s = Plain(source);
    if (s.empty()) return false;
    for (const auto& f : files) {
        if (!f.empty() && s == Plain(f)) return true;
    }
    for (const auto& d : folders) {
        std::wstring folder = Plain(d);
        if (folder.empty()) continue;
        if (s == folder || s.rfind(folder + L"\\", 0) == 0) return true;
    }
    return false;
}

}  // namespace

std::vector<std::wstring> WithoutOurDeletions(const std::vector<std::wstring>& pairs,
                                              const std::vector<std::wstring>& files,
                                              const std::vector<std::wstring>& folders) {
    std::vector<std::wstring> out;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        if (pairs[i + 1].empty() && IsOurs(pairs[i], files, folders)) continue;
        out.push_back(pairs[i]);
        out.push_back(pairs[i + 1]);
    }
    return out;
}

std::vector<std::wstring> ReadPendingOperations() {
    std::vector<std::wstring> pairs;
    zan::UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ | KEY_WOW64_64KEY,
                      key.put()) != ERROR_SUCCESS) {
        return pairs;
    }
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key.get(), kPendingValue, nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        type != REG_MULTI_SZ) {
        return pairs;
    }
    std::wstring data(bytes / sizeof(wchar_t) + 2, L'\0');
    if (RegQueryValueExW(key.get(), kPendingValue, nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &bytes) != ERROR_SUCCESS) {
        return pairs;
    }
    data.resize(bytes / sizeof(wchar_t));
    // Texts separated by NUL; an empty text inside is a deletion's empty target.
    size_t at = 0;
    while (at < data.size()) {
        size_t end = data.find(L'\0', at);
        if (end == std::wstring::npos) end = data.size();
        pairs.push_back(data.substr(at, end - at));
        at = end + 1;
    }
    // The list ends in two NULs, which read as one or two empty texts too many.
    while (pairs.size() % 2 != 0 && !pairs.empty() && pairs.back().empty()) pairs.pop_back();
    return pairs;
}

bool WritePendingOperations(const std::vector<std::wstring>& pairs) {
    zan::UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                      key.put()) != ERROR_SUCCESS) {
        return false;
    }
    if (pairs.empty()) {
        LSTATUS rc = RegDeleteValueW(key.get(), kPendingValue);
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }
    std::wstring data;
    for (const auto& p : pairs) {
        data += p;
        data.push_back(L'\0');
    }
    data.push_back(L'\0');
    return RegSetValueExW(key.get(), kPendingValue, 0, REG_MULTI_SZ,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool CancelOurPendingDeletions(const std::vector<std::wstring>& files,
                               const std::vector<std::wstring>& folders) {
    std::vector<std::wstring> pairs = ReadPendingOperations();
    std::vector<std::wstring> kept = WithoutOurDeletions(pairs, files, folders);
    if (kept.size() == pairs.size()) return false;
    return WritePendingOperations(kept);
}
