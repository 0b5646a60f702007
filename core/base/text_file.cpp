#include "core/base/text_file.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "core/base/handles.h"

namespace {

bool IsWellFormedUtf8(const unsigned char* s, size_t n, bool* high) {
    *high = false;
    size_t i = 0;
    while (i < n) {
        unsigned char b = s[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        *high = true;
        int len;
        if (b >= 0xC2 && b <= 0xDF)
            len = 2;
        else if (b >= 0xE0 && b <= 0xEF)
            len = 3;
        else if (b >= 0xF0 && b <= 0xF4)
            len = 4;
        else
            return false;
        if (i + len > n) return false;
        for (int k = 1; k < len; ++k)
            if ((s[i + k] & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

wchar_t* Convert(UINT cp, const unsigned char* s, size_t n, size_t* length) {
    if (n > 0x7FFFFFFF) return nullptr;
    int units = n ? MultiByteToWideChar(cp, 0, reinterpret_cast<const char*>(s),
                                        static_cast<int>(n), nullptr, 0)
                  : 0;
    if (units < 0) units = 0;
    auto* out = static_cast<wchar_t*>(std::calloc(static_cast<size_t>(units) + 1, sizeof(wchar_t)));
    if (!out) return nullptr;
    if (units)
        MultiByteToWideChar(cp, 0, reinterpret_cast<const char*>(s), static_cast<int>(n), out,
                            units);
    if (length) *length = static_cast<size_t>(units);
    return out;
}

}  // namespace

wchar_t* DecodeTextByBom(const unsigned char* bytes, size_t count, size_t* length) {
    if (length) *length = 0;
    if (!bytes) count = 0;
    if (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return Convert(CP_UTF8, bytes + 3, count - 3, length);
    if (count >= 2 &&
        ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        bool big = bytes[0] == 0xFE;
        size_t units = (count - 2) / 2;  // an odd last byte is dropped
        auto* out = static_cast<wchar_t*>(std::calloc(units + 1, sizeof(wchar_t)));
        if (!out) return nullptr;
        const unsigned char* p = bytes + 2;
        for (size_t i = 0; i < units; ++i) {
            unsigned a = p[2 * i], b = p[2 * i + 1];
            out[i] = static_cast<wchar_t>(big ? (a << 8) | b : (b << 8) | a);
        }
        if (length) *length = units;
        return out;
    }
    bool high = false;
    if (IsWellFormedUtf8(bytes, count, &high) && high)
        return Convert(CP_UTF8, bytes, count, length);
    return Convert(CP_ACP, bytes, count, length);
}

int ReadTextFile(const wchar_t* path, wchar_t** out, size_t* length) {
    if (!out) return -1;
    *out = nullptr;
    if (length) *length = 0;
    if (!path || !path[0]) return -1;
    zan::UniqueHandle h(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER len{};
    if (!h || !GetFileSizeEx(h.get(), &len) || len.QuadPart < 0 || len.QuadPart > 0x40000000)
        return 1;
    size_t n = static_cast<size_t>(len.QuadPart);
    auto* bytes = static_cast<unsigned char*>(std::malloc(n ? n : 1));
    if (!bytes) return 2;
    DWORD got = 0;
    if (n && (!ReadFile(h.get(), bytes, static_cast<DWORD>(n), &got, nullptr) || got != n)) {
        std::free(bytes);
        return 1;
    }
    wchar_t* text = DecodeTextByBom(bytes, n, length);
    std::free(bytes);
    if (!text) return 2;
    *out = text;
    return 0;
}
