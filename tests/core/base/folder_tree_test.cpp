#include "core/base/folder_tree.h"

#include <gtest/gtest.h>

#include <string>

#include "core/base/handles.h"
#include "support/test_files.h"

using namespace testing_support;

namespace {

TEST(DeleteFolderTree, RemovesNestedFoldersAndReadOnlyFiles) {
    TempDir dir;
    const std::wstring root = dir / L"tree with blanks & more";
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"\\a").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"\\a\\b").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(root + L"\\a\\b\\c.txt", std::string("c")));
    ASSERT_TRUE(WriteFileBytes(root + L"\\top.txt", std::string("t")));
    ASSERT_TRUE(WriteFileBytes(root + L"\\a\\ro.txt", std::string("r")));
    SetFileAttributesW((root + L"\\a\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW((root + L"\\a").c_str(), FILE_ATTRIBUTE_READONLY);
    // A sibling whose name starts like the tree's stays.
    const std::wstring sibling = dir / L"tree with blanks";
    ASSERT_TRUE(CreateDirectoryW(sibling.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(sibling + L"\\keep.txt", std::string("k")));

    EXPECT_EQ(DeleteFolderTree((root + L"\\").c_str(), false), FolderDeleteResult::kGone);
    EXPECT_FALSE(DirExists(root));
    EXPECT_TRUE(FileExists(sibling + L"\\keep.txt"));
    EXPECT_EQ(DeleteFolderTree(root.c_str(), false), FolderDeleteResult::kGone);  // nothing there
}

TEST(DeleteFolderTree, RefusesRootsRelativePathsAndFiles) {
    TempDir dir;
    for (const wchar_t* p : {L"", L"C:", L"C:\\", L"C:/", L"Z:\\\\", L"relative\\x",
                             L"\\\\server\\share", L"\\\\server\\share\\"})
        EXPECT_EQ(DeleteFolderTree(p, true), FolderDeleteResult::kRefused) << p;
    EXPECT_EQ(DeleteFolderTree(nullptr, true), FolderDeleteResult::kRefused);
    const std::wstring file = dir / L"f.txt";
    ASSERT_TRUE(WriteFileBytes(file, std::string("x")));
    EXPECT_EQ(DeleteFolderTree(file.c_str(), false), FolderDeleteResult::kLeft);
    EXPECT_TRUE(FileExists(file));
}

TEST(DeleteFolderTree, BusyFilesStayOrGoAtRestart) {
    TempDir dir;
    const std::wstring root = dir / L"busy";
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(root + L"\\held.txt", std::string("h")));
    ASSERT_TRUE(WriteFileBytes(root + L"\\free.txt", std::string("f")));
    zan::UniqueHandle held(CreateFileW((root + L"\\held.txt").c_str(), GENERIC_READ, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(DeleteFolderTree(root.c_str(), false), FolderDeleteResult::kLeft);
    EXPECT_FALSE(FileExists(root + L"\\free.txt"));
    EXPECT_TRUE(FileExists(root + L"\\held.txt"));
    EXPECT_EQ(DeleteFolderTree(root.c_str(), true), FolderDeleteResult::kAtRestart);
    held.reset();
    EXPECT_EQ(DeleteFolderTree(root.c_str(), false), FolderDeleteResult::kGone);
}

TEST(DeleteFolderTree, MovesTheCurrentDirectoryOutOfTheTree) {
    TempDir dir;
    const std::wstring root = dir / L"cwd";
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"\\inner").c_str(), nullptr));
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW((root + L"\\inner").c_str()));
    EXPECT_EQ(DeleteFolderTree(root.c_str(), false), FolderDeleteResult::kGone);
    SetCurrentDirectoryW(before);
}

}  // namespace
