#include "installer/package/payload_defaults.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/installer/installer_fixtures.h"

using namespace testing_support;

namespace {

SoftConfigData* Soft(std::vector<uint8_t>& f) {
    return reinterpret_cast<SoftConfigData*>(f.data() + kSoftBlockOffset);
}
ImeConfigData* Ime(std::vector<uint8_t>& f) {
    return reinterpret_cast<ImeConfigData*>(f.data() + kImeBlockOffset);
}
void SetU32(std::vector<uint8_t>& f, size_t at, uint32_t v) { std::memcpy(f.data() + at, &v, 4); }

TEST(ReadPayloadDefaults, CopiesTheProductAndTheTextServiceFlag) {
    struct Row {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> edit;
        bool hasTsf;
    };
    const Row rows[] = {
        {"text service declared", [](std::vector<uint8_t>&) {}, true},
        {"text service not declared", [](std::vector<uint8_t>& f) { Ime(f)->features = 0; }, false},
        // Flags stored in the payload never pass as they are.
        {"stale flags",
         [](std::vector<uint8_t>& f) {
             Ime(f)->features = 0;
             Soft(f)->installFlags = 0x30000001;
         },
         false},
        {"no input-option block", [](std::vector<uint8_t>& f) { Ime(f)->header.name[0] = 'X'; },
         false},
        {"names in another case",
         [](std::vector<uint8_t>& f) {
             std::memcpy(Soft(f)->header.name, "KX_SOFT_CONFIG_DATA_DEFAULT", 27);
             std::memcpy(Ime(f)->header.name, "Kx_Ime_Config_Data_Default", 26);
         },
         true},
    };
    for (const Row& r : rows) {
        std::vector<uint8_t> f = MakeSettingsImage(true);
        r.edit(f);
        InstallerState s{};
        ASSERT_EQ(ReadPayloadDefaults(f.data(), f.size(), &s), PayloadDefaults::kLoaded) << r.what;
        EXPECT_EQ((s.soft.installFlags & kPayloadHasTsf) != 0, r.hasTsf) << r.what;
        EXPECT_EQ(s.soft.installFlags & kPayloadRegisteredTsf, 0u) << r.what;
        EXPECT_EQ(std::wstring(s.guidText), kPayloadGuidText) << r.what;
        EXPECT_TRUE(IsEqualGUID(s.guid, kPayloadGuid)) << r.what;
        EXPECT_EQ(std::wstring(s.soft.productName), L"赞拓输入法") << r.what;
    }
    std::vector<uint8_t> f = MakeSettingsImage(true);
    Soft(f)->installFlags = 0x1;
    Ime(f)->options = 0xABCD;
    InstallerState s{};
    ASSERT_EQ(ReadPayloadDefaults(f.data(), f.size(), &s), PayloadDefaults::kLoaded);
    EXPECT_EQ(s.soft.installFlags, 0x20000001u);
    EXPECT_EQ(s.ime.options, 0xABCDu);
}

TEST(ReadPayloadDefaults, RefusesDamagedFilesAndMissingProducts) {
    struct Row {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> edit;
        PayloadDefaults result;
    };
    const Row rows[] = {
        {"no product block", [](std::vector<uint8_t>& f) { Soft(f)->header.name[3] = 'Z'; },
         PayloadDefaults::kNoProduct},
        {"product without GUID", [](std::vector<uint8_t>& f) { std::memset(Soft(f)->guid, 0, 16); },
         PayloadDefaults::kNoProduct},
        {"product size past the file",
         [](std::vector<uint8_t>& f) { Soft(f)->header.size = 0x7FFFFFFF; },
         PayloadDefaults::kDamaged},
        {"product size just past the file",
         [](std::vector<uint8_t>& f) { Soft(f)->header.size = sizeof(SoftConfigData) + 1; },
         PayloadDefaults::kDamaged},
        {"product shorter than its record",
         [](std::vector<uint8_t>& f) { Soft(f)->header.size = sizeof(SoftConfigData) - 4; },
         PayloadDefaults::kDamaged},
        {"input options past the file",
         [](std::vector<uint8_t>& f) { Ime(f)->header.size = 0xFFFFFFFF; },
         PayloadDefaults::kDamaged},
        {"offset past the file", [](std::vector<uint8_t>& f) { SetU32(f, 4 + 4 * 3, 0x40000000); },
         PayloadDefaults::kDamaged},
        {"offset at the last bytes",
         [](std::vector<uint8_t>& f) { SetU32(f, 4 + 4 * 1, kConfigFileSize - 8); },
         PayloadDefaults::kDamaged},
        {"offset into the table", [](std::vector<uint8_t>& f) { SetU32(f, 4, 8); },
         PayloadDefaults::kDamaged},
        {"unaligned block",
         [](std::vector<uint8_t>& f) {
             f.resize(f.size() + 2);
             std::memmove(f.data() + kSoftBlockOffset + 2, f.data() + kSoftBlockOffset,
                          sizeof(SoftConfigData));
             SetU32(f, 4 + 4 * 3, kSoftBlockOffset + 2);
         },
         PayloadDefaults::kDamaged},
        {"count past the table", [](std::vector<uint8_t>& f) { f[0] = 200; },
         PayloadDefaults::kDamaged},
    };
    for (const Row& r : rows) {
        std::vector<uint8_t> f = MakeSettingsImage(true);
        r.edit(f);
        InstallerState s{};
        EXPECT_EQ(ReadPayloadDefaults(f.data(), f.size(), &s), r.result) << r.what;
    }
    InstallerState s{};
    const std::vector<uint8_t> f = MakeSettingsImage(true);
    EXPECT_EQ(ReadPayloadDefaults(f.data(), 100, &s), PayloadDefaults::kDamaged);
    EXPECT_EQ(ReadPayloadDefaults(nullptr, 0, &s), PayloadDefaults::kDamaged);
}

TEST(ReadPayloadDefaults, ALongerBlockCopiesOnlyItsRecord) {
    // The product block last, declared 64 KB long, followed by that much filler.
    std::vector<uint8_t> f = MakeSettingsImage(true);
    f.resize(kConfigFileSize + 65536 - sizeof(SoftConfigData), 0xEE);
    Soft(f)->header.size = 65536;
    auto state = std::make_unique<InstallerState>();
    std::memset(state.get(), 0, sizeof *state);
    std::memset(state->folder, 0x11, sizeof state->folder);
    ASSERT_EQ(ReadPayloadDefaults(f.data(), f.size(), state.get()), PayloadDefaults::kLoaded);
    EXPECT_EQ(std::wstring(state->soft.productName), L"赞拓输入法");
    // What follows the copies in the state is untouched.
    const uint8_t* folder = reinterpret_cast<const uint8_t*>(state->folder);
    for (size_t i = 0; i < sizeof state->folder; ++i) ASSERT_EQ(folder[i], 0x11) << i;
}

TEST(LoadPayloadDefaults, ReadsTheUnpackedSettingsFile) {
    TempDir dir;
    InstallerState s{};
    wcscpy(s.unpackDir, dir.path().c_str());
    EXPECT_EQ(LoadPayloadDefaults(&s), PayloadDefaults::kNoSettingsFile);
    CreateDirectoryW((dir / L"$dataFiles$").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(dir / L"$dataFiles$\\config.dsc", MakeSettingsImage(true)));
    EXPECT_EQ(LoadPayloadDefaults(&s), PayloadDefaults::kLoaded);
    EXPECT_NE(s.soft.installFlags & kPayloadHasTsf, 0u);
}

TEST(LoadPayloadDefaults, TheShippedSettingsFileDescribesTheProduct) {
    wchar_t data[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableW(L"ZAN_DATA_DIR", data, MAX_PATH), 0u)
        << "ZAN_DATA_DIR not set";
    const std::vector<uint8_t> f = ReadFileBytes(std::wstring(data) + L"\\config.dsc");
    ASSERT_FALSE(f.empty());
    InstallerState s{};
    ASSERT_EQ(ReadPayloadDefaults(f.data(), f.size(), &s), PayloadDefaults::kLoaded);
    EXPECT_EQ(std::wstring(s.guidText), kPayloadGuidText);
    EXPECT_NE(s.soft.installFlags & kPayloadHasTsf, 0u);
    EXPECT_NE(s.soft.productName[0], 0);
}

}  // namespace
