// Owns one reference to a COM interface.
#pragma once
#include <objbase.h>

#include <utility>

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller owns.
    static ComPtr Attach(T* p) {
        ComPtr r;
        r.p_ = p;
        return r;
    }
    // Adds a reference of its own.
    static ComPtr Copy(T* p) {
        if (p) p->AddRef();
        return Attach(p);
    }
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(const ComPtr& o) {
        T* added = o.p_;  // read before the old reference goes: o may be *this
        if (added) added->AddRef();
        if (T* old = std::exchange(p_, added)) old->Release();
        return *this;
    }
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            T* old = std::exchange(p_, std::exchange(o.p_, nullptr));
            if (old) old->Release();
        }
        return *this;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // Drops the held reference first, so an out parameter can be filled again.
    T** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    T* detach() { return std::exchange(p_, nullptr); }
    void reset() {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }

private:
    T* p_ = nullptr;
};
