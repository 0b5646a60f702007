#include "core/base/mapped_file.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "core/base/handles.h"
#include "support/test_files.h"

using testing_support::ReadFileBytes;
using testing_support::RunSelf;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

// Child half of the cross-process test: writes into the shared mapping, then grows it.
std::wstring g_childPath;

TEST(MappedFile, CreateIsZeroFilledAndExact) {
    TempDir dir;
    MappedFile* f = nullptr;
    ASSERT_EQ(MappedFile::Create(&f, (dir / L"a.dmg").c_str(), 65700), 65700);
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->IsMapped());
    EXPECT_FALSE(f->IsMemoryCopy());
    bool zero = true;
    for (int i = 0; i < f->size; ++i) zero = zero && f->view[i] == 0;
    EXPECT_TRUE(zero);
    MappedFile::Close(f);
    EXPECT_EQ(ReadFileBytes(dir / L"a.dmg").size(), 65700u);
}

TEST(MappedFile, CreateRefusesBadSizes) {
    TempDir dir;
    MappedFile* f = reinterpret_cast<MappedFile*>(1);
    for (int64_t size : {int64_t{0}, int64_t{-5}, int64_t{0x80000000}, int64_t{1} << 33}) {
        EXPECT_EQ(MappedFile::Create(&f, (dir / L"b").c_str(), size), 0) << size;
        EXPECT_EQ(f, nullptr);
    }
}

TEST(MappedFile, ResizeKeepsContentAndZeroesTail) {
    TempDir dir;
    MappedFile* f = nullptr;
    ASSERT_GT(MappedFile::Create(&f, (dir / L"r").c_str(), 100), 0);
    MappedFilePtr owner(f);
    std::memset(f->view, 0xAB, 100);
    ASSERT_EQ(MappedFile::Resize(f, 5000), 5000);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(f->view[i], 0xAB);
    for (int i = 100; i < 5000; ++i) ASSERT_EQ(f->view[i], 0);
    ASSERT_EQ(MappedFile::Resize(f, 50), 50);
    EXPECT_EQ(f->view[49], 0xAB);
    owner.reset();
    EXPECT_EQ(ReadFileBytes(dir / L"r").size(), 50u);
}

TEST(MappedFile, EmptyFileOpensAsMemoryCopyOfTwoZeroBytes) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / L"e", std::string()));
    MappedFile* f = nullptr;
    ASSERT_EQ(MappedFile::Open(&f, (dir / L"e").c_str()), 2);
    MappedFilePtr owner(f);
    EXPECT_TRUE(f->IsMemoryCopy());
    EXPECT_EQ(f->view[0], 0);
    EXPECT_EQ(f->view[1], 0);
    EXPECT_EQ(MappedFile::Resize(f, 10), 0);  // a copy cannot grow
    EXPECT_EQ(f->size, 2);
}

TEST(MappedFile, FileDenyingWriteSharingGivesCopyThatNeverReachesFile) {
    TempDir dir;
    std::wstring path = dir / L"locked";
    ASSERT_TRUE(WriteFileBytes(path, std::string("hello")));
    // A second handle that denies write sharing: our read/write open must fail.
    zan::UniqueHandle lock(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    MappedFile* f = nullptr;
    ASSERT_EQ(MappedFile::Open(&f, path.c_str()), 7);
    MappedFilePtr owner(f);
    EXPECT_TRUE(f->IsMemoryCopy());
    EXPECT_EQ(std::memcmp(f->view, "hello\0\0", 7), 0);
    f->view[0] = 'J';
    owner.reset();
    lock.reset();
    EXPECT_EQ(ReadFileBytes(path)[0], 'h');
}

TEST(MappedFile, MissingFileAndLongPathsAreRefused) {
    TempDir dir;
    MappedFile* f = nullptr;
    EXPECT_EQ(MappedFile::Open(&f, (dir / L"none").c_str()), 0);
    EXPECT_EQ(f, nullptr);
    std::wstring longPath = dir.path() + L"\\" + std::wstring(300, L'x');
    EXPECT_EQ(MappedFile::Create(&f, longPath.c_str(), 10), 0);
    EXPECT_EQ(MappedFile::Open(&f, longPath.c_str()), 0);
    EXPECT_EQ(MappedFile::LoadToMemory(&f, longPath.c_str()), 0);
    EXPECT_EQ(f, nullptr);
    MappedFile::Close(nullptr);
}

TEST(MakeTempFilePath, AppendsNameOrRefuses) {
    wchar_t out[kPathChars];
    wchar_t tmp[kPathChars];
    DWORD n = GetTempPathW(kPathChars, tmp);
    int len = MakeTempFilePath(L"_zantor.tempdmg", out);
    EXPECT_EQ(len, static_cast<int>(wcslen(out)));
    EXPECT_EQ(std::wstring(out),
              std::wstring(tmp, n) + (tmp[n - 1] == L'\\' ? L"" : L"\\") + L"_zantor.tempdmg");
    EXPECT_EQ(MakeTempFilePath(std::wstring(300, L'a').c_str(), out), 0);
    EXPECT_EQ(out[0], 0);
}

TEST(MappedFile, SecondProcessSeesWritesAndReopenPicksUpGrowth) {
    TempDir dir;
    std::wstring path = dir / L"shared.dmg";
    MappedFile* f = nullptr;
    ASSERT_EQ(MappedFile::Create(&f, path.c_str(), 4096), 4096);
    MappedFilePtr owner(f);
    // Another process holds it open read/write, writes, and grows it.
    ASSERT_EQ(RunSelf(L"--gtest_filter=MappedFileChild.* --child=\"" + path + L"\""), 0);
    EXPECT_EQ(std::memcmp(f->view, "child", 5), 0);
    EXPECT_EQ(f->size, 4096);
    ASSERT_EQ(MappedFile::Reopen(f), 8192);
    EXPECT_EQ(f->view[8191], 'z');
    EXPECT_EQ(std::memcmp(f->view, "child", 5), 0);
}

TEST(MappedFileChild, WriteAndGrow) {
    if (g_childPath.empty()) GTEST_SKIP() << "only run as a child";
    MappedFile* f = nullptr;
    ASSERT_GT(MappedFile::Open(&f, g_childPath.c_str()), 0);
    ASSERT_TRUE(f->IsMapped());
    std::memcpy(f->view, "child", 5);
    ASSERT_EQ(MappedFile::Resize(f, 8192), 8192);
    f->view[8191] = 'z';
    MappedFile::Close(f);
}

struct ChildArg {
    ChildArg() {
        int argc = 0;
        wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
        for (int i = 1; i < argc; ++i) {
            std::wstring a = argv[i];
            if (a.rfind(L"--child=", 0) == 0) g_childPath = a.substr(8);
        }
        LocalFree(argv);
    }
} g_childArg;

}  // namespace
