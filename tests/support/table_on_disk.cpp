#include "support/table_on_disk.h"

#include <algorithm>
#include <cstring>

#include "core/table/table_format.h"

namespace testing_support {

TableOnDisk::TableOnDisk(const std::vector<uint8_t>& bytes, const wchar_t* name) {
    path_ = dir_ / name;
    WriteFileBytes(path_, bytes);
    Reopen();
}

bool TableOnDisk::Reopen() {
    file_.reset();
    MappedFile* f = nullptr;
    MappedFile::Open(&f, path_.c_str());
    file_.reset(f);
    return f != nullptr;
}

std::vector<uint8_t> TableOnDisk::Bytes() const {
    if (!file_ || !file_->view) return {};
    return std::vector<uint8_t>(file_->view, file_->view + file_->size);
}

std::vector<uint8_t> MakeListTable(const std::vector<std::pair<std::string, uint32_t>>& texts) {
    auto sorted = texts;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        return std::lexicographical_compare(a.first.begin(), a.first.end(), b.first.begin(),
                                            b.first.end(),
                                            [](char x, char y) { return uint8_t(x) < uint8_t(y); });
    });
    const uint32_t n = static_cast<uint32_t>(sorted.size());
    std::vector<uint8_t> out(FreshHeapStart(n), 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&out[at], &v, 4); };
    put32(0, FreshHeapStart(n));
    put32(4, n);
    put32(8, kTableKindList);
    for (uint32_t i = 0; i < n; ++i) {
        const auto& [text, weight] = sorted[i];
        uint32_t pos = static_cast<uint32_t>(out.size());
        put32(kOffsetArrayStart + 4 * i, pos);
        out.resize(out.size() + 5 + text.size());
        put32(pos, weight);
        out[pos + 4] = static_cast<uint8_t>(text.size());
        std::memcpy(&out[pos + 5], text.data(), text.size());
    }
    return out;
}

}  // namespace testing_support
