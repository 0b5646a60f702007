#include "installer/package/payload_extract.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/installer/installer_fixtures.h"

using namespace testing_support;

namespace {

struct Report {
    std::wstring text;
    uint64_t done, total;
};

void Record(void* context, const wchar_t* text, uint64_t done, uint64_t total) {
    static_cast<std::vector<Report>*>(context)->push_back({text, done, total});
}

TEST(ExtractPayload, WritesEveryEntryWithProgress) {
    TempDir dir;
    const std::wstring zip = dir / L"makedata.zip";
    ASSERT_TRUE(WriteFileBytes(zip, MakeZip({{"a\\b\\c.txt", "hello", true},
                                             {"empty.txt", ""},
                                             {"d.bin", std::string(995, 'd')}})));
    std::vector<Report> reports;
    const ExtractProgress progress{Record, &reports};
    const std::wstring out = dir / L"zipdatas";
    ASSERT_TRUE(ExtractPayload(zip.c_str(), out.c_str(), &progress));
    EXPECT_EQ(AsString(ReadFileBytes(out + L"\\a\\b\\c.txt")), "hello");
    EXPECT_TRUE(FileExists(out + L"\\empty.txt"));
    EXPECT_EQ(ReadFileBytes(out + L"\\d.bin").size(), 995u);
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(reports[0].text, L"Success: a\\b\\c.txt");
    EXPECT_EQ(reports[0].done, 5u);
    EXPECT_EQ(reports[1].text, L"Success: empty.txt");
    EXPECT_EQ(reports[1].done, 5u);
    EXPECT_EQ(reports[2].done, 1000u);
    EXPECT_EQ(reports[3].text, L"Completed.");
    for (const Report& r : reports) EXPECT_EQ(r.total, 1000u);
}

TEST(ExtractPayload, HostileNamesNeverLeaveTheFolder) {
    const std::vector<std::string> hostile = {
        "..\\evil.txt",
        "../evil.txt",
        "a\\..\\..\\evil.txt",
        "a/../../evil.txt",
        "\\evil.txt",
        "/evil.txt",
        "C:\\evil.txt",
        "C:evil.txt",
        "\\\\?\\C:\\evil.txt",
        "\\\\server\\share\\evil.txt",
        "..",
        "a\\..\\..",
        ".. \\evil.txt",
        "... \\..\\..\\evil.txt",
        "a\\.. \\..\\evil.txt",
    };
    for (const std::string& name : hostile) {
        TempDir dir;
        const std::wstring zip = dir / L"makedata.zip";
        ASSERT_TRUE(
            WriteFileBytes(zip, MakeZip({{"good.txt", "g"}, {name, "evil"}, {"z.txt", "z"}})));
        CreateDirectoryW((dir / L"out").c_str(), nullptr);
        const std::wstring out = dir / L"out\\zipdatas";
        std::vector<Report> reports;
        const ExtractProgress progress{Record, &reports};
        EXPECT_FALSE(ExtractPayload(zip.c_str(), out.c_str(), &progress)) << name;
        // The other entries are still written.
        EXPECT_TRUE(FileExists(out + L"\\good.txt")) << name;
        EXPECT_TRUE(FileExists(out + L"\\z.txt")) << name;
        EXPECT_FALSE(FileExists(dir / L"evil.txt")) << name;
        EXPECT_FALSE(FileExists(dir / L"out\\evil.txt")) << name;
        EXPECT_FALSE(FileExists(L"C:\\evil.txt")) << name;
        ASSERT_EQ(reports.size(), 4u) << name;
        EXPECT_EQ(reports[1].text.substr(0, 9), L"Failure: ") << name;
        EXPECT_EQ(reports[1].done, 0u);
    }
}

TEST(ExtractPayload, UnreadableArchives) {
    TempDir dir;
    const std::vector<uint8_t> zip = MakeZip({{"a.txt", std::string(4000, 'a'), true}});
    struct Row {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const Row rows[] = {
        {"cut short", std::vector<uint8_t>(zip.begin(), zip.begin() + zip.size() / 2)},
        {"no archive", std::vector<uint8_t>(100, 0x41)},
        {"empty archive", MakeZip({})},
        {"bad checksum", MakeZip({{"a.txt", "abc", false, true}})},
    };
    for (const Row& r : rows) {
        const std::wstring path = dir / L"bad.zip";
        ASSERT_TRUE(WriteFileBytes(path, r.bytes));
        EXPECT_FALSE(ExtractPayload(path.c_str(), (dir / L"out").c_str(), nullptr)) << r.what;
    }
    EXPECT_FALSE(ExtractPayload((dir / L"missing.zip").c_str(), (dir / L"out").c_str(), nullptr));
    EXPECT_FALSE(ExtractPayload(L"", (dir / L"out").c_str(), nullptr));
}

}  // namespace
