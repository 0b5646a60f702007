// Builds small code-table files in memory for tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct FixtureEntry {
    std::string code;  // raw code bytes
    std::string word;  // UTF-8
    uint32_t flags = 1;
};

// A sorted kind-1 table with a true prefix index, laid out as the builder does.
std::vector<uint8_t> MakeCodeTable(std::vector<FixtureEntry> entries, uint32_t kind = 1);
// A kind-65536 table; entries keep their given heap order, offsets sorted by key.
std::vector<uint8_t> MakeKeyValueTable(const std::vector<std::pair<std::string, std::string>>& kv);

// Words of class 2 (the user's) in a code-table file; -1 when it cannot be read.
int32_t UserWordsIn(const std::wstring& table);

}  // namespace testing_support
