#include "core/base/path_util.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "support/test_files.h"

using namespace testing_support;

namespace {

TEST(CreateDirectoryPath, CreatesEveryMissingLevel) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / L"file", std::string("x")));
    struct Case {
        std::wstring path;
        bool made;
        std::wstring check;  // a folder that must exist afterwards ("" none)
    };
    const Case cases[] = {
        {dir / L"a\\b\\c", true, dir / L"a\\b\\c"},
        {dir / L"a\\b\\c", true, dir / L"a\\b\\c"},  // already there
        {dir / L"d\\e\\", true, dir / L"d\\e"},
        {dir / L"中文\\目录", true, dir / L"中文\\目录"},
        {dir / L"file", false, L""},  // a file, not a folder
        {dir / L"file\\sub", false, L""},
        {dir.path(), true, dir.path()},
    };
    for (const auto& c : cases) {
        DWORD attributes = CreateDirectoryPath(c.path.c_str());
        EXPECT_EQ(attributes != 0, c.made) << Narrow(c.path);
        if (c.made) {
            EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY) << Narrow(c.path);
        }
        if (!c.check.empty()) {
            EXPECT_TRUE(DirExists(c.check)) << Narrow(c.check);
        }
    }
    EXPECT_EQ(CreateDirectoryPath(L""), 0u);
    EXPECT_EQ(CreateDirectoryPath(nullptr), 0u);
}

TEST(CreateDirectoryPath, TooLongCreatesNothing) {
    TempDir dir;
    std::wstring base = dir / L"long";
    for (size_t total : {size_t(kPathChars), size_t(kPathChars + 40)}) {
        std::wstring path = base + L"\\";
        path += std::wstring(total - path.size(), L'x');
        EXPECT_EQ(CreateDirectoryPath(path.c_str()), 0u) << total;
        EXPECT_FALSE(DirExists(base)) << "created a level of a path it had to cut";
    }
}

TEST(GetImeModulePath, SystemFolderAndName) {
    wchar_t system[MAX_PATH];
    UINT n = GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_GT(n, 0u);
    std::wstring folder(system, n);
    if (folder.back() != L'\\') folder += L'\\';
    wchar_t out[kPathChars];
    ASSERT_TRUE(GetImeModulePath(L"zantor3", out));
    EXPECT_EQ(std::wstring(out), folder + L"zantor3.ime");
    std::wstring tooLong(kPathChars, L'n');
    EXPECT_FALSE(GetImeModulePath(tooLong.c_str(), out));
    EXPECT_STREQ(out, L"");
    EXPECT_FALSE(GetImeModulePath(nullptr, out));
}

TEST(GetDocumentsFolder, EndsInBackslashAndStays) {
    wchar_t first[kPathChars];
    ASSERT_TRUE(GetDocumentsFolder(first));
    size_t len = wcslen(first);
    ASSERT_GT(len, 1u);
    EXPECT_EQ(first[len - 1], L'\\');
    EXPECT_TRUE(DirExists(first));
    wchar_t again[kPathChars];
    ASSERT_TRUE(GetDocumentsFolder(again));
    EXPECT_STREQ(again, first);
}

}  // namespace
