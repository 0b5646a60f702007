// Writes small ZIP archives for tests (stored or deflated entries).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct ZipItem {
    std::string name;
    std::string data;
    bool deflate = false;
    bool corruptCrc = false;
};

std::vector<uint8_t> MakeZip(const std::vector<ZipItem>& items);

}  // namespace testing_support
