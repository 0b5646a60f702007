// Block lookup over damaged settings files, and the clamped shared counters.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "core/settings/config_blocks.h"

namespace {

std::vector<uint8_t> GoodImage() {
    std::vector<uint8_t> b(kConfigFileSize);
    EXPECT_EQ(InitConfigImage(b.data(), static_cast<int64_t>(b.size())), 1);
    return b;
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }

TEST(FindConfigBlock, DamagedContainersHideTheBlock) {
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
        size_t viewSize;  // 0: the whole image
        bool found;
    };
    const size_t dmeSlot = 4 + 4 * 1;  // offset-table entry of the dme block
    const std::vector<Case> cases = {
        {"intact", [](std::vector<uint8_t>&) {}, 0, true},
        {"count above 32", [](std::vector<uint8_t>& b) { b[0] = 33; }, 0, false},
        {"count 32 with the block in the table", [](std::vector<uint8_t>& b) { b[0] = 32; }, 0,
         true},
        {"offset table past the view", [](std::vector<uint8_t>&) {}, 12, false},
        {"view shorter than the count", [](std::vector<uint8_t>&) {}, 3, false},
        {"block offset past the view",
         [&](std::vector<uint8_t>& b) { Put32(b, dmeSlot, kConfigFileSize + 8); }, 0, false},
        {"block header crosses the view end",
         [&](std::vector<uint8_t>& b) { Put32(b, dmeSlot, kConfigFileSize - 20); }, 0, false},
        {"block offset wraps", [&](std::vector<uint8_t>& b) { Put32(b, dmeSlot, 0xFFFFFFF0u); }, 0,
         false},
        {"block inside the offset table", [&](std::vector<uint8_t>& b) { Put32(b, dmeSlot, 4); }, 0,
         false},
        {"block size past the view",
         [](std::vector<uint8_t>& b) { Put32(b, kDmeBlockOffset, kConfigFileSize); }, 0, false},
        {"block size huge", [](std::vector<uint8_t>& b) { Put32(b, kDmeBlockOffset, 0xFFFFFFFFu); },
         0, false},
        {"block smaller than its record",
         [](std::vector<uint8_t>& b) { Put32(b, kDmeBlockOffset, sizeof(DmeConfigData) - 1); }, 0,
         false},
        {"view cuts the block", [](std::vector<uint8_t>&) {}, kSkinBlockOffset - 1, false},
        {"misaligned block",
         [&](std::vector<uint8_t>& b) { Put32(b, dmeSlot, kDmeBlockOffset + 1); }, 0, false},
        {"name without terminator",
         [](std::vector<uint8_t>& b) { std::memset(&b[kDmeBlockOffset + 5], 'k', 31); }, 0, false},
        {"name in capitals",
         [](std::vector<uint8_t>& b) { std::memcpy(&b[kDmeBlockOffset + 5], "KX_DME", 6); }, 0,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> b = GoodImage();
        c.damage(b);
        const int64_t size = c.viewSize ? static_cast<int64_t>(c.viewSize) : b.size();
        ConfigBlockHeader* h = FindConfigBlock(b.data(), size, kDmeBlockName);
        EXPECT_EQ(h != nullptr, c.found);
        if (h) {
            EXPECT_EQ(reinterpret_cast<uint8_t*>(h) - b.data(), kDmeBlockOffset);
        }
        // The other blocks stay reachable unless the container itself is broken.
        if (!c.viewSize && b[0] <= kMaxConfigBlocks) {
            EXPECT_NE(FindConfigBlock(b.data(), size, kImeBlockName), nullptr);
        }
    }
    EXPECT_EQ(FindConfigBlock(nullptr, 100, kDmeBlockName), nullptr);
    std::vector<uint8_t> b = GoodImage();
    EXPECT_EQ(FindConfigBlock(b.data(), b.size(), nullptr), nullptr);
}

TEST(SharedCounters, ClampedToTheirArrays) {
    std::vector<uint8_t> b = GoodImage();
    auto* ime = reinterpret_cast<ImeConfigData*>(&b[kImeBlockOffset]);
    auto* dme = reinterpret_cast<DmeConfigData*>(&b[kDmeBlockOffset]);
    struct Case {
        uint32_t stored, recent, last, combos;
    } cases[] = {
        {0, 0, 0, 0},    {5, 5, 5, 5},    {16, 16, 16, 16}, {17, 0, 17, 17},
        {63, 0, 63, 63}, {64, 0, 63, 64}, {255, 0, 63, 64}, {0xFFFFFFFF, 0, 63, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        ime->recentCount = c.stored;
        ime->lastOutputCount = c.stored;
        dme->comboCount = static_cast<uint8_t>(c.stored > 255 ? 255 : c.stored);
        EXPECT_EQ(RecentCount(ime), c.recent);
        EXPECT_EQ(LastOutputCount(ime), c.last);
        EXPECT_EQ(ComboCount(dme), c.combos);
    }
}

}  // namespace
