#include "installer/package/read_only_view.h"

#include <windows.h>

bool ReadOnlyView::Open(const wchar_t* path) {
    view_.reset();
    mapping_.reset();
    size_ = 0;
    file_.reset(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) return false;
    LARGE_INTEGER len{};
    if (!GetFileSizeEx(file_.get(), &len) || len.QuadPart <= 0) return false;
    mapping_.reset(CreateFileMappingW(file_.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping_) return false;
    view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view_.get()) return false;
    size_ = static_cast<uint64_t>(len.QuadPart);
    return true;
}
