// A buffer whose last byte is the last readable byte: the page after it is inaccessible, so
// reading one unit too far faults.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstring>

namespace testing_support {

class ExactBuffer {
public:
    ExactBuffer(const void* data, size_t bytes) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        size_t page = info.dwPageSize;
        size_t span = (bytes + page - 1) / page * page;
        if (span == 0) span = page;
        base_ = static_cast<char*>(
            VirtualAlloc(nullptr, span + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (!base_) return;
        DWORD old;
        VirtualProtect(base_ + span, page, PAGE_NOACCESS, &old);
        data_ = base_ + span - bytes;
        if (bytes) std::memcpy(data_, data, bytes);
    }
    ~ExactBuffer() {
        if (base_) VirtualFree(base_, 0, MEM_RELEASE);
    }
    ExactBuffer(const ExactBuffer&) = delete;
    ExactBuffer& operator=(const ExactBuffer&) = delete;
    void* data() const { return data_; }

private:
    char* base_ = nullptr;
    char* data_ = nullptr;
};

}  // namespace testing_support
