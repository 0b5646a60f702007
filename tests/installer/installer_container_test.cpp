#include "installer/package/installer_container.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/installer/installer_fixtures.h"

using namespace testing_support;

namespace {

TEST(ReadContainerLayout, LoaderFlagsSplitTheFile) {
    std::vector<uint8_t> program;
    const std::vector<uint8_t> zip = MakePayloadZip();
    const std::vector<uint8_t> good = MakeInstallerFile(zip, &program);
    const uint32_t length = static_cast<uint32_t>(program.size());
    ContainerLayout layout;
    ASSERT_EQ(ReadContainerLayout(good.data(), good.size(), &layout), ContainerCheck::kOk);
    EXPECT_EQ(layout.programLength, length);
    EXPECT_EQ(layout.payloadLength, zip.size());
    EXPECT_LE(layout.imageEnd, length);

    struct Row {
        const char* what;
        uint32_t loaderFlags;
        ContainerCheck result;
    };
    const Row rows[] = {
        {"a plain program", 0, ContainerCheck::kNoPayload},
        {"the whole file", static_cast<uint32_t>(good.size()), ContainerCheck::kBeyondFile},
        {"past the end", static_cast<uint32_t>(good.size()) + 1, ContainerCheck::kBeyondFile},
        {"far past the end", 0xFFFFFFFFu, ContainerCheck::kBeyondFile},
        {"into the headers", 0x200, ContainerCheck::kInsideProgram},
        {"into the last section", layout.imageEnd - 1, ContainerCheck::kInsideProgram},
        {"into the payload", length + 1, ContainerCheck::kNotArchive},
    };
    for (const Row& r : rows) {
        std::vector<uint8_t> f = good;
        std::memcpy(f.data() + LoaderFlagsOffset(f), &r.loaderFlags, 4);
        EXPECT_EQ(ReadContainerLayout(f.data(), f.size(), &layout), r.result) << r.what;
    }
}

TEST(ReadContainerLayout, RefusesWhatIsNoProgram) {
    const std::vector<uint8_t> good = MakeInstallerFile(MakePayloadZip());
    ContainerLayout layout;
    std::vector<uint8_t> f = good;
    f[0] = 'X';
    EXPECT_EQ(ReadContainerLayout(f.data(), f.size(), &layout), ContainerCheck::kNotProgram);
    f = good;
    const uint32_t farAway = 0x7FFFFFF0;
    std::memcpy(f.data() + 0x3C, &farAway, 4);
    EXPECT_EQ(ReadContainerLayout(f.data(), f.size(), &layout), ContainerCheck::kNotProgram);
    // Cut inside the headers.
    EXPECT_EQ(ReadContainerLayout(good.data(), 0x100, &layout), ContainerCheck::kNotProgram);
    EXPECT_EQ(ReadContainerLayout(good.data(), 2, &layout), ContainerCheck::kNotProgram);
    EXPECT_EQ(ReadContainerLayout(nullptr, 0, &layout), ContainerCheck::kNotProgram);
    // A 32-bit image is no installer of this build.
    f = good;
    uint32_t pe;
    std::memcpy(&pe, f.data() + 0x3C, 4);
    f[pe + 24] = 0x0B;
    f[pe + 25] = 0x01;
    EXPECT_EQ(ReadContainerLayout(f.data(), f.size(), &layout), ContainerCheck::kNotProgram);
}

struct SplitFixture {
    TempDir dir;
    InstallerState state{};
    SplitFixture() {
        wcscpy(state.workDir, (dir / L"work").c_str());
        CreateDirectoryW(state.workDir, nullptr);
        wcscpy(state.modulePath, (dir / L"setup.exe").c_str());
    }
};

TEST(SplitInstallerPayload, WritesTheProgramAndThePayload) {
    SplitFixture fx;
    std::vector<uint8_t> program;
    const std::vector<uint8_t> zip = MakePayloadZip();
    ASSERT_TRUE(WriteFileBytes(fx.state.modulePath, MakeInstallerFile(zip, &program)));
    EXPECT_EQ(SplitInstallerPayload(&fx.state), SplitResult::kSplit);
    EXPECT_EQ(std::wstring(fx.state.payloadPath), fx.dir / L"work\\makedata.zip");
    EXPECT_EQ(ReadFileBytes(fx.dir / L"work\\makedata.zip"), zip);
    EXPECT_EQ(ReadFileBytes(fx.dir / L"work\\installer.exe"), program);
}

TEST(SplitInstallerPayload, DamagedFilesAndTheTemporaryCopy) {
    SplitFixture fx;
    std::vector<uint8_t> plain = ReadFileBytes(SelfPath());
    ASSERT_TRUE(WriteFileBytes(fx.state.modulePath, plain));
    EXPECT_EQ(SplitInstallerPayload(&fx.state), SplitResult::kDamaged);
    EXPECT_FALSE(FileExists(fx.dir / L"work\\makedata.zip"));
    EXPECT_EQ(fx.state.payloadPath[0], 0);

    // The running file unreadable: an archive named by the caller is used.
    wcscpy(fx.state.modulePath, (fx.dir / L"missing.exe").c_str());
    EXPECT_EQ(SplitInstallerPayload(&fx.state), SplitResult::kDamaged);
    ASSERT_TRUE(WriteFileBytes(fx.dir / L"kept.zip", MakePayloadZip()));
    wcscpy(fx.state.payloadPath, (fx.dir / L"kept.zip").c_str());
    EXPECT_EQ(SplitInstallerPayload(&fx.state), SplitResult::kKeptArchive);

    // From the temporary folder nothing is split, even a good installer.
    SplitFixture temp;
    ASSERT_TRUE(WriteFileBytes(temp.state.modulePath, MakeInstallerFile(MakePayloadZip())));
    temp.state.fromTemp = kFromTemp;
    EXPECT_EQ(SplitInstallerPayload(&temp.state), SplitResult::kFromTemp);
    EXPECT_FALSE(FileExists(temp.dir / L"work\\makedata.zip"));
}

}  // namespace
