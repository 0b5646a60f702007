// The updater against an HTTP server of the test on 127.0.0.1: the download, the check, the
// data and program updates with every refusal, and the dialog that drives them.
#include <windows.h>
#include <gtest/gtest.h>
#include <winsock2.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "config/about_ids.h"
#include "config/http_download.h"
#include "config/update_task.h"
#include "config/updater_dialog.h"
#include "core/base/registry.h"
#include "core/base/sha256.h"
#include "core/record/engine.h"
#include "core/record/engine_open.h"
#include "core/settings/config_blocks.h"
#include "core/table/table_format.h"
#include "dialog/control_text.h"
#include "dialog/testing/recording_ui_port.h"
#include "program_fixture.h"
#include "support/installed_ime.h"
#include "support/table_fixture.h"
#include "support/test_files.h"
#include "support/window_driver.h"
#include "support/zip_writer.h"
#include "update_server.h"

namespace {

using namespace testing_support;

std::string Text(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

std::string DigestHex(const std::string& data) {
    uint8_t d[Sha256::kDigestBytes];
    Sha256::Digest(data.data(), data.size(), d);
    char hex[Sha256::kHexChars + 1];
    Sha256::ToHex(d, hex);
    return hex;
}

std::string Utf8(const std::wstring& w) { return Narrow(w); }

// What the reports of a run said.
struct Reports {
    std::vector<std::wstring> lines;
    std::vector<std::wstring> progress;
    std::wstring All() const {
        std::wstring all;
        for (const auto& l : lines) all += l + L"\n";
        return all;
    }
    bool Has(const std::wstring& text) const { return All().find(text) != std::wstring::npos; }
    UpdateReports Port() {
        return {[](void* c, const wchar_t* t) {
                    auto* r = static_cast<Reports*>(c);
                    if (t)
                        r->lines.push_back(t);
                    else
                        r->lines.clear();
                },
                [](void* c, const wchar_t* t) { static_cast<Reports*>(c)->progress.push_back(t); },
                this};
    }
};

int32_t MainCount(const Engine* e) {
    int32_t n = -1;
    if (e && e->mainTable && e->mainTable->view)
        std::memcpy(&n, e->mainTable->view + offsetof(TableFileHeader, count), 4);
    return n;
}

// An installation opened as the configuration program opens it, a server, and the update
// address of the server in its soft block.
struct UpdateSetup {
    UpdateServer server;
    InstalledIme ime;
    Engine* engine = nullptr;
    std::vector<uint8_t> oldMain;
    std::string newMain;

    UpdateSetup() {
        ClearProxyVariables();
        ime.WriteValue(L"DisplayVersion", L"3.0.0.1");
        engine = AllocateEngineRecord();
        if (!OpenEngineRecord(engine, ime.guidText)) {
            ADD_FAILURE() << "installation does not open";
            return;
        }
        const std::wstring templ =
            server.Url("/update.php") + L"?v={version}&g={guid}&m={macaddr}&d={dataver}";
        wcscpy(engine->soft->updateUrl, templ.c_str());
        wcscpy(engine->soft->versionText, L"3.0.0.1");
        engine->soft->buildNumber = 215;
        engine->soft->dataVersionNumber = 5;
        oldMain = ReadFileBytes(ime.Path(L"main.dmg"));
        // The new table: more words, so the file grows.
        std::vector<uint8_t> t = MakeCodeTable({{"\x11", "一"}, {"\x12", "二"}, {"\x13", "三"}});
        std::memcpy(&t[offsetof(TableFileHeader, guid)], &ime.guid, 16);
        const uint16_t version = kTableVersion;
        std::memcpy(&t[offsetof(TableFileHeader, version)], &version, 2);
        newMain = Text(t);
    }
    ~UpdateSetup() {
        FreeEngineRecord(engine);
        const std::wstring g = ime.guidText;
        DeleteRegistryTree(
            HKEY_LOCAL_MACHINE,
            (L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + g).c_str());
        DeleteRegistryTree(HKEY_LOCAL_MACHINE,
                           (L"Software\\Wow6432Node\\ZantorIME3\\" + g).c_str());
        RemoveTree(WorkFolder());
    }
    std::wstring WorkFolder() const {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        std::wstring t = temp;
        if (t.back() != L'\\') t += L'\\';
        return t + ime.guidText;
    }
    // The list for a data update of archive, with digest ("" for none).
    void ServeData(const std::string& archive, const std::string& digest,
                   const char* url = nullptr) {
        const std::wstring archiveUrl =
            url ? std::wstring(url, url + strlen(url)) : server.Url("/data.zip");
        std::string list =
            "<UpdateInfo softVersion=\"3.2.0.9\" dataVersion=\"6\" "
            "dataMinsoftVersion=\"200\" dataUrl=\"" +
            Utf8(archiveUrl) + "\"";
        if (!digest.empty()) list += " dataSha256=\"" + digest + "\"";
        list += "/>";
        server.Serve("/update.php", {200, list});
        server.Serve("/data.zip", {200, archive});
    }
    std::string DataArchive(const std::vector<ZipItem>& items) { return Text(MakeZip(items)); }
    std::wstring DisplayVersion(const std::wstring& key) const {
        wchar_t v[64] = {};
        ReadRegistryString((key + ime.guidText).c_str(), L"DisplayVersion", v, 64);
        return v;
    }
};

class Updater : public ::testing::Test {
protected:
    void SetUp() override { SetWorkFolderRetryDelay(10); }
};

TEST_F(Updater, DownloadWritesTheWholeBodyOrNothing) {
    ClearProxyVariables();
    UpdateServer server;
    TempDir dir;
    const std::string body(3000, 'x');
    struct Case {
        const char* name;
        ServedReply reply;
        uint64_t maxBytes;
        const char* results;  // the names a result may have, "|"-separated
    };
    const Case cases[] = {
        {"whole", {200, body}, 1 << 20, "kOk"},
        {"no length", {200, body, false}, 1 << 20, "kOk"},
        {"missing", {404, "gone"}, 1 << 20, "kBadStatus"},
        {"server error", {500, "oops"}, 1 << 20, "kBadStatus"},
        // The end of a cut body reads as an end or as a failed read: never as the whole file.
        {"dropped", {200, body, true, 1000}, 1 << 20, "kTruncated|kReadFailed"},
        {"announced too large",
         {200, body, true, SIZE_MAX, "99999999999999"},
         1 << 20,
         "kTooLarge"},
        {"body too large", {200, body, false}, 2000, "kTooLarge"},
    };
    for (const Case& c : cases) {
        server.Serve("/f", c.reply);
        const std::wstring file = dir / L"f.bin";
        ASSERT_TRUE(WriteFileBytes(file, std::string("old")));
        struct Seen {
            std::vector<uint64_t> totals;
            std::vector<std::wstring> lines;
        } seen;
        DownloadReports d{
            [](void* ctx, uint64_t n) { static_cast<Seen*>(ctx)->totals.push_back(n); },
            [](void* ctx, const wchar_t* t) { static_cast<Seen*>(ctx)->lines.push_back(t); },
            &seen};
        const std::string result = DownloadResultName(
            HttpDownloadToFile(server.Url("/f").c_str(), file.c_str(), d, c.maxBytes));
        const std::string allowed = std::string("|") + c.results + "|";
        EXPECT_NE(allowed.find("|" + result + "|"), std::string::npos) << c.name << " " << result;
        if (result == "kOk") {
            EXPECT_EQ(Text(ReadFileBytes(file)), body) << c.name;
            ASSERT_FALSE(seen.totals.empty());
            EXPECT_EQ(seen.totals.back(), body.size());
        } else {
            EXPECT_FALSE(FileExists(file)) << c.name;  // neither the old file nor a part
        }
        if (c.reply.status != 200) {
            ASSERT_EQ(seen.lines.size(), 1u) << c.name;
            EXPECT_EQ(seen.lines[0],
                      L"无法访问的URL，错误代码：" + std::to_wstring(c.reply.status));
        }
    }
    // A port nobody listens on, and an address of another scheme.
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof a;
    bind(s, reinterpret_cast<sockaddr*>(&a), len);
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    closesocket(s);
    wchar_t closed[64];
    _snwprintf(closed, 64, L"http://127.0.0.1:%d/f", ntohs(a.sin_port));
    DownloadReports none{nullptr, nullptr, nullptr};
    const std::wstring file = dir / L"g.bin";
    EXPECT_STREQ(DownloadResultName(HttpDownloadToFile(closed, file.c_str(), none, 1 << 20)),
                 "kNoConnection");
    const std::wstring local = L"file:///" + (dir / L"f.bin");
    EXPECT_STREQ(DownloadResultName(HttpDownloadToFile(local.c_str(), file.c_str(), none, 1 << 20)),
                 "kBadUrl");
    EXPECT_FALSE(FileExists(file));
}

TEST_F(Updater, CheckAsksWithTheInstallationsValuesAndOffersTheUpdate) {
    UpdateSetup s;
    ASSERT_NE(s.engine, nullptr);
    struct Case {
        const char* list;
        CheckOutcome outcome;
        const wchar_t* line;
    };
    const Case cases[] = {
        {"<UpdateInfo softVersion=\"3.2.0.9\" dataVersion=\"6\" dataMinsoftVersion=\"200\"/>",
         CheckOutcome::kData, L"服务器存在新版本输入法数据\r\n服务器数据版本:6\r\n本地数据版本:5"},
        {"<UpdateInfo softVersion=\"3.2.0.9\" dataVersion=\"9\" dataMinsoftVersion=\"216\" "
         "softUrlx64=\"http://h/s.zip\" log=\"修正[r]改进\"/>",
         CheckOutcome::kInstaller, L"服务器存在新版本的安装程序, 版本号:3.2.0.9"},
        {"<UpdateInfo softVersion=\"3.2.0.9\" dataVersion=\"5\"/>", CheckOutcome::kUpToDate,
         kUpdateUpToDate},
    };
    for (const Case& c : cases) {
        s.server.Serve("/update.php", {200, c.list});
        UpdateTask task;
        Reports r;
        EXPECT_STREQ(CheckOutcomeName(RunUpdateCheck(task, s.ime.guidText, s.engine, r.Port())),
                     CheckOutcomeName(c.outcome));
        EXPECT_TRUE(r.Has(c.line)) << Utf8(r.All());
        ASSERT_FALSE(r.lines.empty());
        EXPECT_EQ(r.lines.front(), kUpdateChecking);
        EXPECT_EQ(r.lines.back(), kUpdateSeparator);
        if (c.outcome == CheckOutcome::kInstaller) {
            EXPECT_TRUE(r.Has(L"更新内容如下: \r\n修正 \r\n改进")) << Utf8(r.All());
            EXPECT_TRUE(r.Has(L"下载地址: http://h/s.zip"));
        }
    }
    const std::vector<std::string> requests = s.server.Requests();
    ASSERT_FALSE(requests.empty());
    std::string guid = Utf8(CompactGuidText(s.ime.guidText));
    EXPECT_EQ(requests.back().find("/update.php?v=3.0.0.1&g=" + guid + "&m="), 0u)
        << requests.back();
    EXPECT_NE(requests.back().find("&d=5"), std::string::npos) << requests.back();
}

TEST_F(Updater, FailedCheckStopsWithoutClaimingTheProgramIsCurrent) {
    UpdateSetup s;
    ASSERT_NE(s.engine, nullptr);
    struct Case {
        const char* name;
        ServedReply reply;
        bool noTemplate;
        const wchar_t* line;
    };
    const Case cases[] = {
        {"missing list", {404, "no"}, false, L"无法访问的URL，错误代码：404"},
        {"no version", {200, "<UpdateInfo dataVersion=\"9\"/>"}, false, kUpdateUnreachable},
        {"zero version",
         {200, "<UpdateInfo softVersion=\"0.0.0.0\" dataVersion=\"9\"/>"},
         false,
         kUpdateUnreachable},
        {"not a list", {200, "<html>portal</html>"}, false, kUpdateUnreachable},
        {"cut list",
         {200, "<UpdateInfo softVersion=\"1.0.0.0\" dataVersion=\"9\"/>", true, 12},
         false,
         kUpdateUnreachable},
        {"no template", {200, "<UpdateInfo softVersion=\"1.0.0.0\"/>"}, true, kUpdateNoTemplate},
    };
    const std::wstring templ = s.engine->soft->updateUrl;
    for (const Case& c : cases) {
        s.server.Serve("/update.php", c.reply);
        wcscpy(s.engine->soft->updateUrl, c.noTemplate ? L"" : templ.c_str());
        UpdateTask task;
        Reports r;
        EXPECT_STREQ(CheckOutcomeName(RunUpdateCheck(task, s.ime.guidText, s.engine, r.Port())),
                     "kUnreachable")
            << c.name;
        EXPECT_TRUE(r.Has(c.line)) << c.name << Utf8(r.All());
        EXPECT_TRUE(r.Has(kUpdateUnreachable)) << c.name;
        EXPECT_FALSE(r.Has(kUpdateUpToDate)) << c.name;
        EXPECT_EQ(task.info.softVersion, 0u) << c.name;
    }
    UpdateTask task;
    Reports r;
    EXPECT_STREQ(CheckOutcomeName(RunUpdateCheck(task, L"", s.engine, r.Port())), "kStartFailed");
    EXPECT_TRUE(r.Has(kUpdateUnknownTarget));
}

TEST_F(Updater, DataUpdateInstallsTheTablesAndRaisesTheVersions) {
    UpdateSetup s;
    ASSERT_NE(s.engine, nullptr);
    // Another reader of the installation, as a running input method.
    Engine* other = AllocateEngineRecord();
    ASSERT_TRUE(OpenEngineRecord(other, s.ime.guidText));
    const std::string archive = s.DataArchive({{"$dataFiles$/main.dmg", s.newMain, true}});
    s.ServeData(archive, DigestHex(archive));
    UpdateTask task;
    Reports r;
    ASSERT_STREQ(CheckOutcomeName(RunUpdateCheck(task, s.ime.guidText, s.engine, r.Port())),
                 "kData");
    EXPECT_STREQ(UpdateOutcomeName(RunUpdate(task, s.ime.guidText, s.engine, UpdateMode::kData,
                                             nullptr, r.Port())),
                 "kDataInstalled")
        << Utf8(r.All());
    EXPECT_EQ(r.lines.front(), kUpdateStarting);
    EXPECT_TRUE(r.Has(L"更新:main.dmg"));
    EXPECT_TRUE(r.Has(kUpdateSucceeded));
    EXPECT_EQ(Text(ReadFileBytes(s.ime.Path(L"main.dmg"))), s.newMain);
    EXPECT_EQ(MainCount(s.engine), 3);
    Engine::RefreshTables(other);
    EXPECT_EQ(MainCount(other), 3);
    FreeEngineRecord(other);
    EXPECT_EQ(s.engine->soft->dataVersionNumber, 6u);
    EXPECT_STREQ(s.engine->soft->versionText, L"3.2.0.9");
    for (const wchar_t* key : {L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\",
                               L"Software\\ZantorIME3\\", L"Software\\Wow6432Node\\ZantorIME3\\"})
        EXPECT_EQ(s.DisplayVersion(key), L"3.2.0.9") << Utf8(key);
    EXPECT_FALSE(DirExists(s.WorkFolder() + L"\\update"));
    // The progress line showed the download and then the extraction.
    ASSERT_FALSE(r.progress.empty());
    EXPECT_EQ(r.progress.back().rfind(L"完成: ", 0), 0u) << Utf8(r.progress.back());
}

TEST_F(Updater, DataUpdateRefusesWhatItCannotVerifyAndKeepsTheVersions) {
    UpdateSetup s;
    ASSERT_NE(s.engine, nullptr);
    const std::string good = s.DataArchive({{"$dataFiles$/main.dmg", s.newMain}});
    std::string otherDigest = DigestHex(good);
    otherDigest[0] = otherDigest[0] == 'a' ? 'b' : 'a';
    std::string foreignMain = s.newMain;
    foreignMain[offsetof(TableFileHeader, guid)] ^= 0x55;
    const std::string damaged = s.DataArchive({{"$dataFiles$/main.dmg", foreignMain}});
    const std::string cutTable =
        s.DataArchive({{"$dataFiles$/main.dmg", s.newMain.substr(0, 1000)}});
    const std::string unknown =
        s.DataArchive({{"$dataFiles$/main.dmg", s.newMain}, {"$dataFiles$/zanTSF.dll", "MZ"}});
    const std::string noData = s.DataArchive({{"readme.txt", "hello"}});
    const std::string truncated = good.substr(0, good.size() / 2);
    // Settings of this installation, while the program maps them.
    std::string settings = Text(ReadFileBytes(s.ime.Path(L"config.dsc")));
    settings[settings.size() - 1] ^= 1;
    const std::string inUse = s.DataArchive({{"$dataFiles$/config.dsc", settings}});
    const std::string leaving =
        s.DataArchive({{"$dataFiles$/main.dmg", s.newMain}, {"../evil.dmg", "x"}});
    struct Case {
        const char* name;
        ServedReply served;  // the archive's answer
        std::string digest;  // in the list ("" for none)
        UpdateOutcome outcome;
        const wchar_t* line;
    };
    const Case cases[] = {
        {"missing archive",
         {404, "no"},
         DigestHex(good),
         UpdateOutcome::kDownloadFailed,
         L"无法访问的URL，错误代码：404"},
        {"dropped mid-body",
         {200, good, true, good.size() / 2},
         DigestHex(good),
         UpdateOutcome::kDownloadFailed,
         kUpdateDownloadFailed},
        {"truncated archive",
         {200, truncated},
         DigestHex(truncated),
         UpdateOutcome::kExtractFailed,
         kUpdateExtractFailed},
        {"name leaving the folder",
         {200, leaving},
         DigestHex(leaving),
         UpdateOutcome::kExtractFailed,
         kUpdateExtractFailed},
        {"wrong digest",
         {200, good},
         otherDigest,
         UpdateOutcome::kDigestMismatch,
         kUpdateDigestMismatch},
        {"no digest", {200, good}, "", UpdateOutcome::kNoDigest, kUpdateNoDigest},
        {"table of another installation",
         {200, damaged},
         DigestHex(damaged),
         UpdateOutcome::kDataRefused,
         L"数据文件 main.dmg 未通过检查: 不属于本输入法"},
        {"cut table",
         {200, cutTable},
         DigestHex(cutTable),
         UpdateOutcome::kDataRefused,
         L"数据文件 main.dmg 未通过检查"},
        {"unknown target",
         {200, unknown},
         DigestHex(unknown),
         UpdateOutcome::kDataRefused,
         L"数据文件 zanTSF.dll 未通过检查: 不是输入法的数据文件"},
        {"settings in use",
         {200, inUse},
         DigestHex(inUse),
         UpdateOutcome::kDataFailed,
         L"无法更新文件 config.dsc"},
        {"no data files",
         {200, noData},
         DigestHex(noData),
         UpdateOutcome::kDataFailed,
         kUpdateDataFailed},
        {"local address", {200, good}, DigestHex(good), UpdateOutcome::kBadUrl, kUpdateBadUrl},
    };
    for (const Case& c : cases) {
        const bool local = std::string(c.name) == "local address";
        s.ServeData(c.served.body, c.digest, local ? "file:///C:/data.zip" : nullptr);
        s.server.Serve("/data.zip", c.served);
        const std::vector<uint8_t> settingsBefore = ReadFileBytes(s.ime.Path(L"config.dsc"));
        UpdateTask task;
        Reports r;
        RecordingUiPort ui;
        ASSERT_STREQ(CheckOutcomeName(RunUpdateCheck(task, s.ime.guidText, s.engine, r.Port())),
                     "kData")
            << c.name;
        EXPECT_STREQ(UpdateOutcomeName(RunUpdate(task, s.ime.guidText, s.engine, UpdateMode::kData,
                                                 nullptr, r.Port())),
                     UpdateOutcomeName(c.outcome))
            << c.name << Utf8(r.All());
        EXPECT_TRUE(r.Has(c.line)) << c.name << Utf8(r.All());
        EXPECT_FALSE(r.Has(kUpdateSucceeded)) << c.name;
        EXPECT_EQ(ReadFileBytes(s.ime.Path(L"main.dmg")), s.oldMain) << c.name;
        EXPECT_EQ(ReadFileBytes(s.ime.Path(L"config.dsc")), settingsBefore) << c.name;
        EXPECT_EQ(s.engine->soft->dataVersionNumber, 5u) << c.name;
        EXPECT_STREQ(s.engine->soft->versionText, L"3.0.0.1") << c.name;
        EXPECT_EQ(s.DisplayVersion(L"Software\\ZantorIME3\\"), L"3.0.0.1") << c.name;
        EXPECT_FALSE(FileExists(s.ime.Path(L"zanTSF.dll"))) << c.name;
        EXPECT_FALSE(FileExists(s.WorkFolder() + L"\\evil.dmg")) << c.name;
        EXPECT_FALSE(DirExists(s.WorkFolder() + L"\\update")) << c.name;
        EXPECT_EQ(ui.calls.size(), 0u) << c.name;
    }
}

TEST_F(Updater, ProgramUpdateStartsOnlyAVerifiedInstallerAndLeavesItsFolder) {
    UpdateSetup s;
    ASSERT_NE(s.engine, nullptr);
    const std::string withSetup = s.DataArchive({{"setup.exe", "MZ installer"}, {"a.txt", "x"}});
    const std::string withoutSetup = s.DataArchive({{"a.txt", "x"}});
    struct Case {
        const char* name;
        std::string archive;
        std::string digest;
        bool shellAccepts;
        UpdateOutcome outcome;
        bool launched;
    };
    const Case cases[] = {
        {"verified", withSetup, DigestHex(withSetup), true, UpdateOutcome::kInstallerStarted, true},
        {"no digest", withSetup, "", true, UpdateOutcome::kNoDigest, false},
        {"wrong digest", withSetup, DigestHex(withoutSetup), true, UpdateOutcome::kDigestMismatch,
         false},
        {"no installer", withoutSetup, DigestHex(withoutSetup), true, UpdateOutcome::kNoSetup,
         false},
        {"shell refuses", withSetup, DigestHex(withSetup), false, UpdateOutcome::kSetupFailed,
         true},
    };
    for (const Case& c : cases) {
        RemoveTree(s.WorkFolder());
        std::string list =
            "<UpdateInfo softVersion=\"3.2.0.9\" dataVersion=\"6\" "
            "dataMinsoftVersion=\"300\" softUrlx64=\"" +
            Utf8(s.server.Url("/setup.zip")) + "\"";
        if (!c.digest.empty()) list += " softSha256x64=\"" + c.digest + "\"";
        s.server.Serve("/update.php", {200, list + "/>"});
        s.server.Serve("/setup.zip", {200, c.archive});
        RecordingUiPort ui;
        ui.shellResult = c.shellAccepts;
        UpdateTask task;
        Reports r;
        ASSERT_STREQ(CheckOutcomeName(RunUpdateCheck(task, s.ime.guidText, s.engine, r.Port())),
                     "kInstaller");
        EXPECT_STREQ(UpdateOutcomeName(RunUpdate(task, s.ime.guidText, s.engine,
                                                 UpdateMode::kInstaller, nullptr, r.Port())),
                     UpdateOutcomeName(c.outcome))
            << c.name << Utf8(r.All());
        const std::wstring setup = s.WorkFolder() + L"\\update\\setup.exe";
        EXPECT_EQ(ui.Count(UiCallKind::Shell), c.launched ? 1 : 0) << c.name;
        if (const UiCall* call = ui.Last(UiCallKind::Shell)) {
            EXPECT_EQ(_wcsicmp(call->text.c_str(), setup.c_str()), 0) << Utf8(call->text);
            EXPECT_EQ(call->caption, L"open");
            EXPECT_EQ(call->flags, static_cast<UINT>(SW_SHOWNORMAL));
        }
        // The started installer still finds its files.
        EXPECT_EQ(FileExists(setup), c.outcome == UpdateOutcome::kInstallerStarted) << c.name;
        EXPECT_EQ(r.Has(kUpdateSucceeded), c.outcome == UpdateOutcome::kInstallerStarted);
        EXPECT_EQ(s.engine->soft->dataVersionNumber, 5u);
    }
}

// The dialog over the installation, created modeless and pumped until its worker is done.
struct OpenUpdater {
    CKX_DlgUpdate dialog;
    HWND d = nullptr;
    explicit OpenUpdater(Engine* e) : dialog(e, GetDesktopWindow()) { d = dialog.Create(nullptr); }
    ~OpenUpdater() {
        if (d && IsWindow(d)) dialog.Destroy();
    }
    // Waits for the worker started by the timer or a button to finish.
    bool Settle(DWORD ms = 20000) {
        const DWORD start = GetTickCount();
        PumpMessagesFor(300);
        while (dialog.worker().Running() || !IsWindowEnabled(GetDlgItem(d, IDCANCEL))) {
            if (dialog.Ended()) return true;
            if (GetTickCount() - start > ms) return false;
            PumpMessagesFor(50);
        }
        PumpMessagesFor(100);
        return true;
    }
};

TEST_F(Updater, DialogChecksOnOpeningAndAppliesTheDataUpdate) {
    UpdateSetup s;
    ASSERT_NE(s.engine, nullptr);
    const std::string archive = s.DataArchive({{"$dataFiles$/main.dmg", s.newMain, true}});
    s.ServeData(archive, DigestHex(archive));
    RecordingUiPort ui;
    OpenUpdater u(s.engine);
    ASSERT_NE(u.d, nullptr);
    EXPECT_EQ(WindowTextOf(u.d), L"检查更新");
    ASSERT_TRUE(u.Settle());
    std::wstring log = ItemText(u.d, IDC_UPDATE_LOG);
    EXPECT_NE(log.find(L"服务器存在新版本输入法数据\r\n"), std::wstring::npos) << Utf8(log);
    EXPECT_EQ(ItemText(u.d, IDOK), L"执行更新(&U)");
    EXPECT_TRUE(IsWindowEnabled(u.dialog.Item(IDOK)));
    EXPECT_TRUE(IsWindowEnabled(u.dialog.Item(IDC_UPDATE_CHECK)));
    EXPECT_EQ(u.dialog.mode(), UpdateMode::kData);
    EXPECT_TRUE(SaveScreenshotIfAsked(u.d, L"config-updater.png"));

    SendMessageW(u.d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(u.Settle());
    log = ItemText(u.d, IDC_UPDATE_LOG);
    EXPECT_EQ(
        log.find(L"\r\n-----------------------------------------------------\r\n开始更新操作"), 0u)
        << Utf8(log);
    EXPECT_NE(log.find(L"\r\n更新成功\r\n"), std::wstring::npos) << Utf8(log);
    EXPECT_FALSE(IsWindowEnabled(u.dialog.Item(IDOK)));
    EXPECT_FALSE(IsWindowEnabled(u.dialog.Item(IDC_UPDATE_CHECK)));
    EXPECT_TRUE(IsWindowEnabled(u.dialog.Item(IDCANCEL)));
    EXPECT_FALSE(u.dialog.Ended());
    EXPECT_EQ(s.engine->soft->dataVersionNumber, 6u);

    // A second check finds nothing newer.
    SendMessageW(u.d, WM_COMMAND, MAKEWPARAM(IDC_UPDATE_CHECK, BN_CLICKED), 0);
    ASSERT_TRUE(u.Settle());
    EXPECT_NE(ItemText(u.d, IDC_UPDATE_LOG).find(kUpdateUpToDate), std::wstring::npos);
    EXPECT_EQ(ItemText(u.d, IDOK), L"无需更新(&U)");
    EXPECT_FALSE(IsWindowEnabled(u.dialog.Item(IDOK)));
    EXPECT_EQ(ui.Count(UiCallKind::Message), 0);
}

TEST_F(Updater, DialogClosesAfterTheInstallerStartedOnceItsWorkerEnded) {
    UpdateSetup s;
    ASSERT_NE(s.engine, nullptr);
    const std::string archive = s.DataArchive({{"setup.exe", "MZ installer"}});
    s.server.Serve("/update.php", {200,
                                   "<UpdateInfo softVersion=\"3.2.0.9\" dataMinsoftVersion=\"300\" "
                                   "softUrlx64=\"" +
                                       Utf8(s.server.Url("/setup.zip")) + "\" softSha256x64=\"" +
                                       DigestHex(archive) + "\"/>"});
    s.server.Serve("/setup.zip", {200, archive});
    RecordingUiPort ui;
    OpenUpdater u(s.engine);
    ASSERT_NE(u.d, nullptr);
    ASSERT_TRUE(u.Settle());
    EXPECT_EQ(ItemText(u.d, IDOK), L"立即更新(&U)");
    ASSERT_TRUE(IsWindowEnabled(u.dialog.Item(IDOK)));
    SendMessageW(u.d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(u.Settle());
    EXPECT_TRUE(u.dialog.Ended());
    EXPECT_EQ(u.dialog.Result(), IDOK);
    EXPECT_FALSE(u.dialog.worker().Running());
    EXPECT_EQ(ui.Count(UiCallKind::Shell), 1);
}

TEST_F(Updater, DialogReportsAnInstallationItCannotUpdate) {
    SoftConfigData soft{};
    Engine* e = AllocateEngineRecord();
    e->soft = &soft;  // no GUID text
    RecordingUiPort ui;
    {
        OpenUpdater u(e);
        ASSERT_NE(u.d, nullptr);
        ASSERT_TRUE(u.Settle());
        ASSERT_EQ(ui.Count(UiCallKind::Message), 1);
        EXPECT_EQ(ui.Last(UiCallKind::Message)->text, kUpdateStartFailed);
        EXPECT_EQ(ui.Last(UiCallKind::Message)->caption, kUpdateCaption);
        EXPECT_EQ(ui.Last(UiCallKind::Message)->flags, static_cast<UINT>(MB_ICONERROR));
        EXPECT_TRUE(IsWindowEnabled(u.dialog.Item(IDCANCEL)));
        EXPECT_FALSE(IsWindowEnabled(u.dialog.Item(IDOK)));
    }
    e->soft = nullptr;
    FreeEngineRecord(e);
}

TEST_F(Updater, ProgramOpensTheUpdaterForItsTarget) {
    ClearProxyVariables();
    UpdateServer server;
    server.Serve("/update.php", {200, "<UpdateInfo softVersion=\"3.0.0.1\" dataVersion=\"0\"/>"});
    Installation inst;
    const std::wstring templ = server.Url("/update.php") + L"?g={guid}";
    inst.ime.EditConfig([&](uint8_t* v) {
        auto* url =
            reinterpret_cast<wchar_t*>(v + kSoftBlockOffset + offsetof(SoftConfigData, updateUrl));
        wcscpy(url, templ.c_str());
    });
    Program p(L"/n " + std::wstring(inst.ime.guidText) + L" /do update");
    HWND d = WaitForDialog(L"检查更新");
    ASSERT_NE(d, nullptr);
    for (int i = 0; i < 200 && DialogItemText(d, IDC_UPDATE_LOG).find(kUpdateSeparator, 10) ==
                                   std::wstring::npos;
         ++i)
        PumpMessagesFor(50);
    PumpMessagesFor(200);
    const std::wstring log = DialogItemText(d, IDC_UPDATE_LOG);
    EXPECT_NE(log.find(kUpdateUpToDate), std::wstring::npos) << Utf8(log);
    EXPECT_EQ(DialogItemText(d, IDOK), L"无需更新(&U)");
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], "/update.php?g=" + Utf8(CompactGuidText(inst.ime.guidText)));
    ClickDialogItem(d, IDCANCEL);
    EXPECT_TRUE(p.Ended());
}

}  // namespace
