// The updater's decisions without a window or a server: the update list, the version
// decision, the request address, the digests, the progress texts and the data-file checks.
#include "config/update_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/updater_dialog.h"
#include "core/base/md5.h"
#include "core/record/engine_open.h"
#include "core/settings/config_blocks.h"
#include "core/table/table_format.h"
#include "support/table_fixture.h"
#include "support/test_files.h"

namespace {

using namespace testing_support;

UpdateInfo Parse(const std::wstring& text, UpdateListResult* result = nullptr) {
    UpdateInfo info;
    const UpdateListResult r = ParseUpdateList(text.c_str(), text.size(), info);
    if (result) *result = r;
    return info;
}

TEST(UpdateList, ReadsTheFieldsByNameIgnoringCase) {
    const std::wstring text =
        L"<?xml version=\"1.0\"?>\r\n<updateinfo SOFTVERSION=\"3.2.1.7\" dataversion=\"42\" "
        L"ZantorVersion=\"9\" dataMinSoftVersion=\"215\" softUrlx64=\"http://h/x64.zip\" "
        L"softurlX86=\"http://h/x86.zip\" DATAURL=\"http://h/data.zip\" log=\"甲[r]乙\" "
        L"softSha256x64=\"AB\" datasha256=\"cd\" other=\"ignored\"/>";
    UpdateListResult r;
    const UpdateInfo info = Parse(text, &r);
    EXPECT_EQ(r, UpdateListResult::kOk);
    EXPECT_EQ(info.softVersion, (3ull << 48) | (2ull << 32) | (1ull << 16) | 7);
    EXPECT_EQ(info.dataVersion, 42);
    EXPECT_EQ(info.zantorVersion, 9);
    EXPECT_EQ(info.dataMinsoftVersion, 215);
    EXPECT_STREQ(info.softUrlx64, L"http://h/x64.zip");
    EXPECT_STREQ(info.softUrlx86, L"http://h/x86.zip");
    EXPECT_STREQ(info.dataUrl, L"http://h/data.zip");
    EXPECT_STREQ(info.log, L"甲 \r\n乙");
    EXPECT_STREQ(info.softSha256x64, L"AB");
    EXPECT_STREQ(info.dataSha256, L"cd");
}

TEST(UpdateList, RefusesListsWithoutAVersionOrOfAnotherKind) {
    struct Case {
        std::wstring text;
        UpdateListResult result;
    };
    const Case cases[] = {
        {L"<UpdateInfo softVersion=\"1.0.0.0\"/>", UpdateListResult::kOk},
        {L"<UpdateInfo dataVersion=\"5\"/>", UpdateListResult::kNoVersion},
        {L"<UpdateInfo softVersion=\"0.0.0.0\" dataVersion=\"5\"/>", UpdateListResult::kNoVersion},
        {L"<UpdateList softVersion=\"1.0.0.0\"/>", UpdateListResult::kNotUpdateInfo},
        {L"<Other/><UpdateInfo softVersion=\"1.0.0.0\"/>", UpdateListResult::kNotUpdateInfo},
        {L"", UpdateListResult::kNotUpdateInfo},
        {L"<html><body>404</body></html>", UpdateListResult::kNotUpdateInfo},
        {L"<UpdateInfo softVersion=\"1.0", UpdateListResult::kNotUpdateInfo},  // cut off
        {L"not xml at all", UpdateListResult::kNotUpdateInfo},
    };
    for (const Case& c : cases) {
        UpdateListResult r;
        const UpdateInfo info = Parse(c.text, &r);
        EXPECT_EQ(r, c.result) << std::string(c.text.begin(), c.text.end());
        if (r != UpdateListResult::kOk) {
            EXPECT_EQ(info.softVersion, 0u);
        }
    }
}

TEST(UpdateList, CutsHostileLengthsAndNumbersToTheirFields) {
    const std::wstring longUrl(3000, L'u');
    std::wstring longLog;
    for (int i = 0; i < 3000; ++i) longLog += L"[r]";
    const std::wstring text = L"<UpdateInfo softVersion=\"99999.70000.1.2\" dataVersion=\"" +
                              std::wstring(40, L'9') + L"\" dataMinsoftVersion=\"-7\" dataUrl=\"" +
                              longUrl + L"\" log=\"" + longLog + L"\" dataSha256=\"" +
                              std::wstring(500, L'a') + L"\"/>";
    const UpdateInfo info = Parse(text);
    EXPECT_EQ(std::wcslen(info.dataUrl), static_cast<size_t>(kUpdateUrlUnits - 1));
    // The log ends on a whole " \r\n", never a cut one.
    const size_t logLength = std::wcslen(info.log);
    EXPECT_LE(logLength, static_cast<size_t>(kUpdateLogUnits - 1));
    EXPECT_EQ(logLength % 3, 0u);
    EXPECT_EQ(std::wcslen(info.dataSha256), static_cast<size_t>(kUpdateDigestUnits - 1));
    EXPECT_EQ(info.dataVersion, INT32_MAX);
    EXPECT_EQ(info.dataMinsoftVersion, -7);
    EXPECT_NE(info.softVersion, 0u);
}

TEST(UpdateDecision, InstallerBeforeDataBeforeNothing) {
    struct Case {
        int32_t minBuild;
        int32_t dataVersion;
        uint32_t localBuild;
        uint32_t localData;
        UpdateMode mode;
    };
    const Case cases[] = {
        {216, 9, 215, 5, UpdateMode::kInstaller},  // both newer: the installer first
        {216, 0, 215, 5, UpdateMode::kInstaller},
        {215, 9, 215, 5, UpdateMode::kData},
        {0, 6, 215, 5, UpdateMode::kData},
        {0, 5, 215, 5, UpdateMode::kNone},
        {0, 4, 215, 5, UpdateMode::kNone},
        {-1, 0, 215, 5, UpdateMode::kInstaller},  // compared as unsigned
        {0, -3, 215, 5, UpdateMode::kNone},
        {0, 5, 215, 0xFFFFFFFF, UpdateMode::kNone},
    };
    for (const Case& c : cases) {
        UpdateInfo info{};
        info.softVersion = 1;
        info.dataMinsoftVersion = c.minBuild;
        info.dataVersion = c.dataVersion;
        EXPECT_EQ(DecideUpdate(info, c.localBuild, c.localData), c.mode)
            << c.minBuild << " " << c.dataVersion;
    }
}

TEST(UpdateButton, FollowsTheCheck) {
    struct Case {
        CheckOutcome outcome;
        UpdateMode mode;
        const wchar_t* text;
        bool enabled;
    };
    const Case cases[] = {
        {CheckOutcome::kInstaller, UpdateMode::kInstaller, L"立即更新(&U)", true},
        {CheckOutcome::kData, UpdateMode::kData, L"执行更新(&U)", true},
        {CheckOutcome::kUpToDate, UpdateMode::kNone, L"无需更新(&U)", false},
        {CheckOutcome::kUnreachable, UpdateMode::kNone, nullptr, false},
        {CheckOutcome::kStartFailed, UpdateMode::kNone, nullptr, false},
    };
    for (const Case& c : cases) {
        const CheckButton b = CheckButtonFor(c.outcome);
        EXPECT_EQ(b.mode, c.mode) << CheckOutcomeName(c.outcome);
        EXPECT_EQ(b.enabled, c.enabled) << CheckOutcomeName(c.outcome);
        if (c.text)
            EXPECT_STREQ(b.text, c.text);
        else
            EXPECT_EQ(b.text, nullptr);
    }
}

TEST(UpdateRequest, ReplacesEveryPlaceholder) {
    const std::string mac = FormatMacText(reinterpret_cast<const uint8_t*>("\x00\x1a\x2b\x03"), 4);
    EXPECT_EQ(mac, " 01a2b 3");
    char macMd5[Md5::kHexChars + 1];
    Md5::DigestHex(mac.data(), mac.size(), macMd5);
    const std::wstring m(macMd5, macMd5 + 32);
    const wchar_t* guid = L"{1A2B3C4D-0000-1111-2222-ABCDEFABCDEF}";
    struct Case {
        std::wstring templ;
        std::wstring url;
    };
    const Case cases[] = {
        {L"http://127.0.0.1/update_list.txt", L"http://127.0.0.1/update_list.txt"},
        {L"http://h/update.php?v={version}&g={guid}&m={macaddr}&d={dataver}",
         L"http://h/update.php?v=3.1.0.2&g=1a2b3c4d000011112222abcdefabcdef&m=" + m + L"&d=77"},
        {L"{dataver}/{dataver}{dataver}", L"77/7777"},
        {L"{version", L"{version"},
        {L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildUpdateRequestUrl(c.templ, {L"3.1.0.2", 77, mac, guid}), c.url);
    // A value holding a placeholder's name is not replaced again.
    EXPECT_EQ(ReplacePlaceholder(L"a{x}b{x}", L"{x}", L"{x}{x}"), L"a{x}{x}b{x}{x}");
    // No adapter: the MD5 of the empty text is still sent.
    EXPECT_EQ(BuildUpdateRequestUrl(L"m={macaddr}", {L"0", 0, std::string(), guid}),
              L"m=d41d8cd98f00b204e9800998ecf8427e");
}

std::string Repeat(const std::string& piece, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

TEST(UpdateRequest, AdapterTextIsWidthTwoHexWithinItsLimit) {
    struct Case {
        std::vector<uint8_t> address;
        std::string text;
    };
    const Case cases[] = {
        {{}, ""},
        {{0x0f}, " f"},
        {{0x00, 0xff, 0x10}, " 0ff10"},
        {std::vector<uint8_t>(100, 0xab), Repeat("ab", 64)},  // 128 characters at most
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatMacText(c.address.data(), c.address.size()), c.text);
    EXPECT_EQ(CompactGuidText(L"{ABCDEF01-2345-6789-ABCD-EF0123456789}"),
              L"abcdef0123456789abcdef0123456789");
}

TEST(UpdateDownload, OnlyWebAddressesAreFetched) {
    struct Case {
        const wchar_t* url;
        bool ok;
    };
    const Case cases[] = {
        {L"http://127.0.0.1:8080/a.zip", true},
        {L"HTTPS://host/a.zip", true},
        {L"ftp://host/a.zip", false},
        {L"file:///C:/a.zip", false},
        {L"C:\\update\\a.zip", false},
        {L"\\\\share\\a.zip", false},
        {L"http://", false},
        {L"http:///a.zip", false},
        {L"", false},
        {nullptr, false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsDownloadableUrl(c.url), c.ok) << (c.url ? 1 : 0);
}

TEST(UpdateDigest, ArchiveIsUsedOnlyWithItsOwnDigest) {
    TempDir dir;
    const std::wstring file = dir / L"temp.zip";
    ASSERT_TRUE(WriteFileBytes(file, std::string("abc")));
    const std::wstring good = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    std::wstring upper = good;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    std::wstring other = good;
    other[63] = L'e';
    struct Case {
        std::wstring path;
        std::wstring digest;
        ArchiveCheck result;
    };
    const Case cases[] = {
        {file, good, ArchiveCheck::kOk},
        {file, upper, ArchiveCheck::kOk},
        {file, other, ArchiveCheck::kMismatch},
        {file, L"", ArchiveCheck::kNoDigest},
        {file, good.substr(0, 63), ArchiveCheck::kNoDigest},
        {file, good + L"0", ArchiveCheck::kNoDigest},
        {file, good.substr(0, 62) + L"zz", ArchiveCheck::kNoDigest},
        {dir / L"missing.zip", good, ArchiveCheck::kUnreadable},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckArchiveDigest(c.path.c_str(), c.digest.c_str()), c.result)
            << static_cast<int>(c.result);
}

TEST(UpdateProgress, DownloadTextsByTheirLimits) {
    struct Case {
        uint64_t bytes;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0, L""},
        {1, L"下载: 1.00 Bytes"},
        {1024, L"下载: 1024.00 Bytes"},
        {1025, L"下载: 1.00 KB"},
        {1048576, L"下载: 1024.00 KB"},
        {1048577, L"下载: 1.00 MB"},
        {5ull << 30, L"下载: 5120.00 MB"},
    };
    for (const Case& c : cases) EXPECT_EQ(DownloadProgressText(c.bytes), c.text) << c.bytes;
}

// main.dmg bytes of an installation.
std::vector<uint8_t> MainTable(const GUID& guid, uint16_t version = kTableVersion) {
    std::vector<uint8_t> t = MakeCodeTable({{"\x11", "一"}, {"\x12", "二"}});
    std::memcpy(&t[offsetof(TableFileHeader, guid)], &guid, 16);
    std::memcpy(&t[offsetof(TableFileHeader, version)], &version, 2);
    return t;
}

std::vector<uint8_t> Settings(const GUID& guid) {
    std::vector<uint8_t> b(kConfigFileSize);
    EXPECT_EQ(InitConfigImage(b.data(), static_cast<int64_t>(b.size())), 1);
    auto* soft = reinterpret_cast<SoftConfigData*>(
        FindConfigBlock(b.data(), static_cast<int64_t>(b.size()), kSoftBlockName));
    if (soft) std::memcpy(soft->guid, &guid, 16);
    return b;
}

TEST(UpdateDataFiles, OpenerChecksEachFileBeforeItIsInstalled) {
    const GUID mine = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
    const GUID other = {0x99999999, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
    const std::vector<uint8_t> main = MainTable(mine);
    std::vector<uint8_t> hugeCount = main;
    const int32_t count = 0x7FFFFFFF;
    std::memcpy(&hugeCount[offsetof(TableFileHeader, count)], &count, 4);
    std::vector<uint8_t> heapPastEnd = main;
    const uint32_t heap = static_cast<uint32_t>(main.size()) + 1;
    std::memcpy(&heapPastEnd[offsetof(TableFileHeader, heapStart)], &heap, 4);
    std::vector<uint8_t> settings = Settings(mine);
    std::vector<uint8_t> cutSettings(settings.begin(), settings.begin() + 64);
    const std::vector<uint8_t> list = MakeCodeTable({{"ab", "ab"}}, kTableKindList);
    const std::vector<uint8_t> kv = MakeKeyValueTable({{"a", "b"}});
    struct Case {
        const wchar_t* name;
        std::vector<uint8_t> bytes;
        DataFileCheck result;
    };
    const Case cases[] = {
        {L"main.dmg", main, DataFileCheck::kOk},
        {L"MAIN.DMG", main, DataFileCheck::kOk},
        {L"main.dmg", MainTable(other), DataFileCheck::kWrongOwner},
        {L"main.dmg", MainTable(mine, kTableVersion - 1), DataFileCheck::kWrongVersion},
        {L"main.dmg", std::vector<uint8_t>(main.begin(), main.begin() + 100),
         DataFileCheck::kBadSize},
        {L"main.dmg", hugeCount, DataFileCheck::kBadSize},
        {L"main.dmg", heapPastEnd, DataFileCheck::kBadSize},
        {L"main.dmg", {}, DataFileCheck::kBadSize},
        {L"main.dmg", kv, DataFileCheck::kWrongKind},
        {L"engl.dmg", list, DataFileCheck::kOk},
        {L"engl.dmg", main, DataFileCheck::kWrongKind},
        {L"dict.dms", kv, DataFileCheck::kOk},
        {L"config.dsc", settings, DataFileCheck::kOk},
        {L"config.dsc", Settings(other), DataFileCheck::kWrongOwner},
        {L"config.dsc", cutSettings, DataFileCheck::kBadSettings},
        {L"zanTSF.dll", main, DataFileCheck::kUnknownName},
        {L"..\\main.dmg", main, DataFileCheck::kUnknownName},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckDataFile(c.name, c.bytes.data(), static_cast<int64_t>(c.bytes.size()), mine),
                  c.result)
            << Narrow(c.name) << " " << c.bytes.size();
    }
}

}  // namespace
