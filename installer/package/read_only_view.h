// A whole file mapped for reading only.
#pragma once
#include <cstdint>

#include "core/base/handles.h"

class ReadOnlyView {
public:
    // False when the file cannot be opened or mapped; an empty file maps to no view.
    bool Open(const wchar_t* path);
    const uint8_t* data() const { return static_cast<const uint8_t*>(view_.get()); }
    uint64_t size() const { return size_; }

private:
    zan::UniqueHandle file_;
    zan::UniqueHandle mapping_;
    zan::UniqueView view_;
    uint64_t size_ = 0;
};
