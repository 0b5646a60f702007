// RAII owners for Win32 handles and heap records.
#pragma once
#include <windows.h>

#include <utility>

namespace zan {

// Owns a kernel handle; invalid is INVALID_HANDLE_VALUE or null.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return valid(); }
    HANDLE release() { return std::exchange(h_, nullptr); }
    void reset(HANDLE h = nullptr) {
        if (valid()) CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_ = nullptr;
};

// Owns a mapped view.
class UniqueView {
public:
    UniqueView() = default;
    explicit UniqueView(void* p) : p_(p) {}
    ~UniqueView() { reset(); }
    UniqueView(const UniqueView&) = delete;
    UniqueView& operator=(const UniqueView&) = delete;
    UniqueView(UniqueView&& o) noexcept : p_(o.release()) {}
    UniqueView& operator=(UniqueView&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    void* get() const { return p_; }
    void* release() { return std::exchange(p_, nullptr); }
    void reset(void* p = nullptr) {
        if (p_) UnmapViewOfFile(p_);
        p_ = p;
    }

private:
    void* p_ = nullptr;
};

// Owns a registry key.
class UniqueKey {
public:
    UniqueKey() = default;
    explicit UniqueKey(HKEY k) : k_(k) {}
    ~UniqueKey() { reset(); }
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;
    UniqueKey(UniqueKey&& o) noexcept : k_(o.release()) {}
    UniqueKey& operator=(UniqueKey&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    HKEY get() const { return k_; }
    HKEY* put() {
        reset();
        return &k_;
    }
    HKEY release() { return std::exchange(k_, nullptr); }
    void reset(HKEY k = nullptr) {
        if (k_) RegCloseKey(k_);
        k_ = k;
    }
    explicit operator bool() const { return k_ != nullptr; }

private:
    HKEY k_ = nullptr;
};

}  // namespace zan
