#include "installer/app/work_folder.h"

#include <gtest/gtest.h>

#include <string>

#include "core/base/handles.h"
#include "support/test_files.h"
#include "tests/installer/installer_fixtures.h"

using namespace testing_support;

namespace {

TEST(ComposeWorkDirectory, JoinsAndRefusesWhatDoesNotFit) {
    struct Row {
        std::wstring temp;
        size_t count;
        std::wstring result;
    };
    const std::wstring long200(200, L'x');
    const Row rows[] = {
        {L"C:\\Temp\\", 260, L"C:\\Temp\\$zanInstaller$"},
        {L"C:\\Temp", 260, L"C:\\Temp\\$zanInstaller$"},
        {L"C:\\" + long200 + L"\\", 260, L"C:\\" + long200 + L"\\$zanInstaller$"},
        // name + path + 2 must stay below the buffer.
        {L"C:\\Temp\\", 8 + 14 + 3, L"C:\\Temp\\$zanInstaller$"},
        {L"C:\\Temp\\", 8 + 14 + 2, L""},
        {L"C:\\" + std::wstring(250, L'y') + L"\\", 260, L""},
        {L"", 260, L""},
    };
    for (const Row& r : rows) {
        wchar_t out[260] = L"junk";
        const int n = ComposeWorkDirectory(r.temp.c_str(), kWorkFolderName, out, r.count);
        EXPECT_EQ(std::wstring(out), r.result) << r.temp << " " << r.count;
        EXPECT_EQ(n, static_cast<int>(r.result.size()));
    }
}

TEST(PrepareWorkDirectory, RebuildsTheFolderEmpty) {
    ScratchTemp temp;
    const std::wstring work = temp.dir / L"$zanInstaller$";
    ASSERT_TRUE(CreateDirectoryW(work.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((work + L"\\zipdatas").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(work + L"\\zipdatas\\old.txt", std::string("old")));
    InstallerState s{};
    ASSERT_TRUE(PrepareWorkDirectory(&s));
    EXPECT_EQ(std::wstring(s.workDir), work);
    EXPECT_TRUE(DirExists(work));
    EXPECT_FALSE(DirExists(work + L"\\zipdatas"));
    EXPECT_EQ(std::wstring(s.modulePath), SelfPath());
    RemoveWorkDirectory(s);
    EXPECT_FALSE(DirExists(work));
}

TEST(PrepareWorkDirectory, FailsWhileAFileInTheOldFolderIsHeld) {
    ScratchTemp temp;
    const std::wstring work = temp.dir / L"$zanInstaller$";
    ASSERT_TRUE(CreateDirectoryW(work.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(work + L"\\held.txt", std::string("h")));
    zan::UniqueHandle held(CreateFileW((work + L"\\held.txt").c_str(), GENERIC_READ, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    InstallerState s{};
    EXPECT_FALSE(PrepareWorkDirectory(&s));
    held.reset();
    EXPECT_TRUE(PrepareWorkDirectory(&s));
}

TEST(PrepareWorkDirectory, FailsWhenTheTemporaryPathIsTooLong) {
    ScratchTemp temp(std::wstring(250, L'q'));
    InstallerState s{};
    EXPECT_FALSE(PrepareWorkDirectory(&s));
    EXPECT_EQ(s.workDir[0], 0);
}

}  // namespace
