#include "core/settings/config_blocks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/test_files.h"

using testing_support::ReadFileBytes;
using testing_support::TempDir;

namespace {

struct BlockLayout {
    uint32_t offset;
    uint32_t size;
    uint8_t id;
    const char* name;
};
constexpr BlockLayout kShipped[] = {
    {132, 21892, 1, "kx_ime_config_data_default"},
    {22024, 13888, 2, "kx_dme_config_data_default"},
    {35912, 732, 3, "kx_skin_config_data_default"},
    {36644, 7676, 4, "kx_soft_config_data_default"},
};

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

// Checks a whole new config.dsc image: table, four headers, everything else zero.
void ExpectNewImage(const std::vector<uint8_t>& b) {
    ASSERT_EQ(b.size(), 44320u);
    EXPECT_EQ(b[0], 4);
    std::vector<bool> known(b.size(), false);
    for (size_t i = 0; i < 4; ++i) known[i] = true;
    for (size_t i = 0; i < 4; ++i) {
        const BlockLayout& l = kShipped[i];
        EXPECT_EQ(U32At(b, 4 + 4 * i), l.offset);
        EXPECT_EQ(U32At(b, l.offset), l.size) << l.name;
        EXPECT_EQ(b[l.offset + 4], l.id) << l.name;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[l.offset + 5])), l.name);
        for (size_t k = 0; k < 4; ++k) known[4 + 4 * i + k] = true;
        for (size_t k = 0; k < 5 + std::strlen(l.name); ++k) known[l.offset + k] = true;
    }
    size_t stray = 0;
    for (size_t i = 0; i < b.size(); ++i) stray += (!known[i] && b[i] != 0) ? 1 : 0;
    EXPECT_EQ(stray, 0u);
}

TEST(ConfigFile, InitImageLaysOutTheFourBlocksWithZeroFields) {
    std::vector<uint8_t> image(kConfigFileSize, 0xCD);
    ASSERT_EQ(InitConfigImage(image.data(), image.size()), 1);
    ExpectNewImage(image);
}

TEST(ConfigFile, InitImageRefusesSmallOrMissingView) {
    std::vector<uint8_t> image(kConfigFileSize - 1, 0xCD);
    EXPECT_EQ(InitConfigImage(image.data(), image.size()), 0);
    EXPECT_EQ(image[0], 0xCD);
    EXPECT_EQ(InitConfigImage(nullptr, kConfigFileSize), 0);
}

TEST(ConfigFile, CreateWritesTheNewFileAndItsBlocksAreFound) {
    TempDir dir;
    const std::wstring path = dir / L"config.dsc";
    ASSERT_EQ(CreateConfigFile(path.c_str()), 1);
    ExpectNewImage(ReadFileBytes(path));

    MappedFile* raw = nullptr;
    ASSERT_EQ(MappedFile::Open(&raw, path.c_str()), 44320);
    MappedFilePtr file(raw);
    ImeConfigData* ime = FindImeConfig(file.get());
    DmeConfigData* dme = FindDmeConfig(file.get());
    SkinConfigData* skin = FindSkinConfig(file.get());
    SoftConfigData* soft = FindSoftConfig(file.get());
    ASSERT_NE(ime, nullptr);
    ASSERT_NE(dme, nullptr);
    ASSERT_NE(skin, nullptr);
    ASSERT_NE(soft, nullptr);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(ime) - file->view, 132);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(dme) - file->view, 22024);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(skin) - file->view, 35912);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(soft) - file->view, 36644);

    // Fields are written in place and reach the file.
    ime->bootStamp = 0x0123456789ABCDEF;
    SetKeyFunction(&dme->keys, 256 + 'A', keyfn::kPageDown);
    dme->comboCount = 2;
    soft->buildNumber = 215;
    file.reset();
    const std::vector<uint8_t> b = ReadFileBytes(path);
    int64_t stamp;
    std::memcpy(&stamp, &b[132 + 21860], 8);
    EXPECT_EQ(stamp, 0x0123456789ABCDEF);
    uint64_t mask;
    std::memcpy(&mask, &b[22024 + 10552 + 8 * 'A'], 8);
    EXPECT_EQ(mask, keyfn::kPageDown);
    EXPECT_EQ(b[22024 + 12600], 2);
    EXPECT_EQ(U32At(b, 36644 + 7636), 215u);
}

TEST(ConfigFile, CreateFailsOnAnUnusablePath) {
    TempDir dir;
    EXPECT_EQ(CreateConfigFile((dir / L"missing\\config.dsc").c_str()), 0);
    EXPECT_EQ(CreateConfigFile(nullptr), 0);
}

}  // namespace
