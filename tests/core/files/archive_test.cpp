#include "core/files/archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_files.h"
#include "support/zip_writer.h"

using namespace testing_support;

namespace {

struct Shown {
    std::vector<std::wstring> texts;
};
void Record(void* ctx, const wchar_t* text) { static_cast<Shown*>(ctx)->texts.push_back(text); }

std::wstring WriteZip(const TempDir& dir, const std::vector<ZipItem>& items) {
    std::wstring path = dir / L"a.zip";
    WriteFileBytes(path, MakeZip(items));
    return path;
}

TEST(ExtractArchive, NestedFoldersStoredDeflatedAndEmptyFiles) {
    TempDir dir;
    std::string big(2048, 'x');
    std::wstring zip = WriteZip(
        dir, {{"a/", ""}, {"a/b/c.txt", "hello", false}, {"d.bin", big, true}, {"empty.txt", ""}});
    std::wstring out = dir / L"out";  // no trailing backslash
    Shown shown;
    ArchiveProgress progress{Record, &shown};
    ASSERT_EQ(ExtractArchive(zip.c_str(), out.c_str(), &progress), 1);
    EXPECT_TRUE(DirExists(out + L"\\a\\b"));
    auto c = ReadFileBytes(out + L"\\a\\b\\c.txt");
    EXPECT_EQ(std::string(c.begin(), c.end()), "hello");
    EXPECT_EQ(ReadFileBytes(out + L"\\d.bin").size(), 2048u);
    EXPECT_TRUE(FileExists(out + L"\\empty.txt"));
    ASSERT_FALSE(shown.texts.empty());
    EXPECT_EQ(shown.texts.back(), L"完成: 2.00 KB");  // total of 2053 bytes
}

TEST(ExtractArchive, KbFormAfterFolderAndOneFile) {
    TempDir dir;
    std::wstring zip = WriteZip(dir, {{"f/", ""}, {"f/x", std::string(2048, 'q'), true}});
    Shown shown;
    ArchiveProgress progress{Record, &shown};
    ASSERT_EQ(ExtractArchive(zip.c_str(), (dir / L"o").c_str(), &progress), 1);
    EXPECT_EQ(shown.texts.back(), L"完成: 2.00 KB");
}

TEST(ExtractArchive, FailuresAreReportedAndNothingUnsafeIsWritten) {
    struct Case {
        const char* what;
        std::vector<ZipItem> items;
        std::vector<std::wstring> mustExist;
        std::vector<std::wstring> mustNotExist;
    };
    const std::vector<Case> cases = {
        {"bad crc",
         {{"ok.txt", "fine"}, {"bad.txt", "content", true, true}},
         {L"o\\ok.txt"},
         {L"o\\bad.txt"}},
        {"parent traversal",
         {{"../evil.txt", "x"}, {"ok.txt", "y"}},
         {L"o\\ok.txt"},
         {L"evil.txt"}},
        {"nested traversal", {{"a/../../evil2.txt", "x"}}, {}, {L"evil2.txt"}},
        {"leading separator", {{"/abs.txt", "x"}}, {}, {L"abs.txt"}},
        {"drive letter", {{"C:evil.txt", "x"}}, {}, {L"o\\C"}},
        {"long name", {{std::string(300, 'n'), "x"}}, {}, {}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        std::wstring zip = WriteZip(dir, c.items);
        EXPECT_EQ(ExtractArchive(zip.c_str(), (dir / L"o").c_str()), 0) << c.what;
        for (const auto& p : c.mustExist) EXPECT_TRUE(FileExists(dir / p)) << c.what;
        for (const auto& p : c.mustNotExist) {
            EXPECT_FALSE(FileExists(dir / p)) << c.what;
            EXPECT_FALSE(DirExists(dir / p)) << c.what;
        }
    }
}

TEST(ExtractArchive, MissingOrTruncatedArchive) {
    TempDir dir;
    EXPECT_EQ(ExtractArchive((dir / L"none.zip").c_str(), (dir / L"o").c_str()), 0);
    EXPECT_FALSE(DirExists(dir / L"o"));
    auto bytes = MakeZip({{"a.txt", std::string(5000, 'a'), true}});
    bytes.resize(bytes.size() / 2);
    WriteFileBytes(dir / L"t.zip", bytes);
    EXPECT_EQ(ExtractArchive((dir / L"t.zip").c_str(), (dir / L"o").c_str()), 0);
    EXPECT_EQ(ExtractArchive((dir / L"t.zip").c_str(), L""), 0);
}

TEST(ReadArchiveEntries, FromMemoryKeepsOrderAndPerEntryResult) {
    auto bytes =
        MakeZip({{"skin.ini", "[a]\r\n", true}, {"bad.png", "zz", false, true}, {"e", ""}});
    unzFile z = OpenMemoryArchive(bytes.data(), bytes.size());
    ASSERT_NE(z, nullptr);
    ArchiveEntryList* list = ReadOpenArchiveEntries(z);
    unzClose(z);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count, 3);
    EXPECT_STREQ(list->entries[0].name, "skin.ini");
    EXPECT_TRUE(list->entries[0].readOk);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(list->entries[0].data), list->entries[0].size),
              "[a]\r\n");
    EXPECT_FALSE(list->entries[1].readOk);
    EXPECT_EQ(list->entries[1].size, 0);
    EXPECT_TRUE(list->entries[2].readOk);
    EXPECT_EQ(list->entries[2].size, 0);
    FreeArchiveEntries(list);
    EXPECT_EQ(OpenMemoryArchive(bytes.data(), 10), nullptr);
}

TEST(ArchiveNames, UnsafeNames) {
    struct Case {
        const char* name;
        bool unsafe;
    };
    const Case cases[] = {
        {"a/b.txt", false}, {"a\\b.txt", false}, {"..a/b", false},   {"a..b", false},
        {"..", true},       {"../x", true},      {"a\\..\\x", true}, {"/x", true},
        {"\\x", true},      {"C:\\x", true},     {"a:b", true},      {"", true},
    };
    for (const auto& c : cases) EXPECT_EQ(IsUnsafeArchiveName(c.name), c.unsafe) << c.name;
}

TEST(FormatDoneText, ThreeForms) {
    struct Case {
        uint64_t bytes;
        const wchar_t* text;
    };
    const Case cases[] = {{0, L"完成: 0.00 Bytes"},
                          {1024, L"完成: 1024.00 Bytes"},
                          {2048, L"完成: 2.00 KB"},
                          {1048576, L"完成: 1024.00 KB"},
                          {3 * 1048576, L"完成: 3.00 MB"}};
    for (const auto& c : cases) {
        wchar_t out[64];
        FormatDoneText(c.bytes, out, 64);
        EXPECT_EQ(std::wstring(out), c.text);
    }
}

}  // namespace
