#include <windows.h>

#include <cstring>

#include "fuzz/fuzz_target.h"

namespace fuzz {

namespace {
size_t PageSize() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
}
}  // namespace

GuardedBytes::GuardedBytes(const void* data, size_t size, bool atStart) : size_(size) {
    const size_t page = PageSize();
    size_t span = (size + page - 1) / page * page;
    if (span == 0) span = page;
    // One inaccessible page on each side of the readable span.
    base_ = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, span + 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!base_) Fail("no memory for an input");
    DWORD old;
    VirtualProtect(base_, page, PAGE_NOACCESS, &old);
    VirtualProtect(base_ + page + span, page, PAGE_NOACCESS, &old);
    data_ = atStart ? base_ + page : base_ + page + span - size;
    if (size) std::memcpy(data_, data, size);
}

GuardedBytes::~GuardedBytes() {
    if (base_) VirtualFree(base_, 0, MEM_RELEASE);
}

Bytes GuardedText::WithNul(const uint8_t* data, size_t size) {
    Bytes b(data, data + (size & ~size_t{1}));
    b.push_back(0);
    b.push_back(0);
    return b;
}

GuardedText::GuardedText(const uint8_t* data, size_t size)
    : copy_(WithNul(data, size)), bytes_(copy_.data(), copy_.size()) {}

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

Bytes Utf16Bytes(const std::wstring& text) {
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    return Bytes(p, p + text.size() * sizeof(wchar_t));
}

bool WriteWholeFile(const std::wstring& path, const void* data, size_t size) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = size == 0 || WriteFile(h, data, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(h);
    return ok && written == size;
}

Bytes ReadWholeFile(const std::wstring& path) {
    Bytes out;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return out;
    LARGE_INTEGER len{};
    if (GetFileSizeEx(h, &len) && len.QuadPart < (1 << 30)) {
        out.resize(static_cast<size_t>(len.QuadPart));
        DWORD got = 0;
        if (!out.empty() && !ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &got, nullptr))
            got = 0;
        out.resize(got);
    }
    CloseHandle(h);
    return out;
}

}  // namespace fuzz
