// Repair and uninstall of an installation made by the install sequence over scratch folders:
// what they leave behind, busy files left for the restart, the second product of the family,
// the repair from the kept payload and its rollback.
#include "installer/maintenance/maintenance.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/base/handles.h"
#include "core/base/registry.h"
#include "support/fake_framework.h"
#include "support/table_fixture.h"
#include "support/test_files.h"
#include "tests/installer/install/install_fixture.h"

using namespace testing_support;

namespace {

bool KeyExists(const std::wstring& path, REGSAM view) {
    zan::UniqueKey k;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, k.put()) ==
           ERROR_SUCCESS;
}

void ExpectSame(const std::set<std::wstring>& before, const std::set<std::wstring>& after) {
    for (const auto& l : after) {
        if (!before.count(l)) ADD_FAILURE() << "left: " << Narrow(l);
    }
    for (const auto& l : before) {
        if (!after.count(l)) ADD_FAILURE() << "lost: " << Narrow(l);
    }
}

void Install(InstallFixture& f) {
    InstallOutcome outcome;
    ASSERT_TRUE(RunInstall(f.env, f.request, outcome)) << Narrow(f.env.LogText());
    f.env.log.clear();
    f.env.positions.clear();
}

std::set<std::wstring> Files(const std::wstring& folder) {
    std::set<std::wstring> lines;
    AddFileLines(folder, L"", lines);
    return lines;
}

bool Holds(const std::vector<std::pair<std::wstring, std::wstring>>& ops, const std::wstring& p) {
    for (const auto& op : ops) {
        if (_wcsicmp(op.first.c_str(), p.c_str()) == 0 && op.second.empty()) return true;
    }
    return false;
}

// A repair request over the fixture's payload unpacked again, as start-up leaves it.
RepairRequest RepairOf(InstallFixture& f) {
    f.WritePayload();
    WriteFileBytes(f.work + L"\\running.exe", std::string("MZ running copy"));
    RepairRequest r;
    r.guidText = f.guid;
    r.soft = f.soft.get();
    r.ime = f.ime.get();
    r.unpackDir = f.unpack;
    r.runningProgram = f.work + L"\\running.exe";
    return r;
}

}  // namespace

TEST(Uninstall, LeavesNothingOfTheInstallButTheUsersBackup) {
    InstallFixture f;
    std::set<std::wstring> before = f.Snapshot();
    Install(f);
    WriteFileBytes(
        f.DataFolder() + L"main.dmg",
        MakeCodeTable({{"\x11", "\xe4\xb8\x80"}, {"\x12", "\xe4\xbd\xa0", 1u | (2u << 24)}}));
    MaintenanceOutcome outcome;
    ASSERT_TRUE(RunUninstall(f.env, f.guid.c_str(), outcome));
    ExpectSame(before, f.Snapshot());
    EXPECT_TRUE(outcome.wasLastProduct);
    EXPECT_FALSE(outcome.rebootNeeded);
    EXPECT_TRUE(f.env.restartOps.empty());
    EXPECT_FALSE(DirExists(f.env.appData + L"ZantorIME3"));
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
        EXPECT_FALSE(KeyExists(kFamilyKey, view));
    EXPECT_FALSE(KeyExists(f.UninstallEntry(), KEY_WOW64_64KEY));
    // The words were saved once more on the way out, without a question.
    EXPECT_TRUE(f.env.questions.empty());
    std::wstring backup = f.env.documents + BackupFolderName(f.displayName) + L"\\";
    EXPECT_EQ(Files(backup).size(), 2u);
    EXPECT_EQ(f.env.positions, (std::vector<int>{0, 5, 5, 10, 40, 60, 70, 80, 90, 100}));
    EXPECT_NE(f.env.LogText().find(L"7.卸载完成。"), std::wstring::npos);
    EXPECT_EQ(f.env.LogText().find(L"重新启动"), std::wstring::npos);
}

TEST(Uninstall, BusyFilesGoAtTheRestartAndTheFamilyStillGoes) {
    const struct {
        const char* name;
        std::wstring (*file)(const InstallFixture&);
    } cases[] = {
        {"the 64-bit IME file loaded",
         [](const InstallFixture& f) { return f.env.system + f.imeName + L".ime"; }},
        {"the main table mapped",
         [](const InstallFixture& f) { return f.DataFolder() + L"main.dmg"; }},
        {"a file of the install folder open",
         [](const InstallFixture& f) { return f.InstallFolder() + L"config.exe"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        InstallFixture f;
        Install(f);
        std::wstring busy = c.file(f);
        zan::UniqueHandle held(CreateFileW(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        MaintenanceOutcome outcome;
        ASSERT_TRUE(RunUninstall(f.env, f.guid.c_str(), outcome));
        EXPECT_TRUE(outcome.rebootNeeded);
        EXPECT_TRUE(Holds(f.env.restartOps, busy)) << Narrow(busy);
        EXPECT_NE(f.env.LogText().find(L"部分文件需要在重新启动计算机后删除"), std::wstring::npos);
        // Our own leftovers do not keep the family's shared data and keys.
        EXPECT_TRUE(outcome.wasLastProduct);
        EXPECT_FALSE(KeyExists(f.ProductKey(), KEY_WOW64_64KEY));
        EXPECT_FALSE(KeyExists(kFamilyKey, KEY_WOW64_32KEY));
        held.reset();
        // Only what was held is left (the restart takes it and its folders).
        for (const auto& op : f.env.restartOps) {
            std::wstring p = op.first;
            EXPECT_TRUE(busy.rfind(p, 0) == 0) << "scheduled: " << Narrow(p);
        }
        DeleteFileW(busy.c_str());
    }
}

TEST(Uninstall, ALongDisplayNameStillNamesItsLinks) {
    // 45 characters: more than the 80 bytes an earlier read of DisplayName took.
    InstallFixture f;
    f.displayName = L"长名字" + std::wstring(42, L'x');
    WriteFieldText(f.soft->productName, f.displayName.c_str());
    Install(f);
    const std::wstring links = f.env.programs + f.displayName + L"\\";
    ASSERT_TRUE(DirExists(links));
    MaintenanceOutcome outcome;
    ASSERT_TRUE(RunUninstall(f.env, f.guid.c_str(), outcome));
    EXPECT_FALSE(DirExists(links));
    EXPECT_TRUE(DirExists(f.env.documents + BackupFolderName(f.displayName)));
}

TEST(Uninstall, TheSecondProductKeepsTheSharedDataAndFamilyKey) {
    InstallFixture a, b;
    // One machine: b shares a's folders of the machine.
    b.env.appData = a.env.appData;
    b.env.system = a.env.system;
    b.env.wow64 = a.env.wow64;
    b.env.programs = a.env.programs;
    Install(a);
    Install(b);
    MaintenanceOutcome outcome;
    ASSERT_TRUE(RunUninstall(a.env, a.guid.c_str(), outcome));
    EXPECT_FALSE(outcome.wasLastProduct);
    EXPECT_TRUE(FileExists(b.DataFolder() + L"main.dmg"));
    EXPECT_FALSE(DirExists(a.env.appData + L"ZantorIME3\\" + a.guid));
    EXPECT_TRUE(FileExists(b.env.system + b.imeName + L".ime"));
    EXPECT_FALSE(FileExists(a.env.system + a.imeName + L".ime"));
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        EXPECT_TRUE(KeyExists(b.ProductKey(), view));
        EXPECT_FALSE(KeyExists(a.ProductKey(), view));
    }
    EXPECT_EQ(a.env.LogText().find(L"执行完整卸载"), std::wstring::npos);
    EXPECT_TRUE(DirExists(b.env.programs + b.displayName));

    ASSERT_TRUE(RunUninstall(b.env, b.guid.c_str(), outcome));
    EXPECT_TRUE(outcome.wasLastProduct);
    EXPECT_FALSE(DirExists(a.env.appData + L"ZantorIME3"));
    EXPECT_FALSE(KeyExists(kFamilyKey, KEY_WOW64_64KEY));
}

TEST(Repair, TheKeptPayloadMustBeReadable) {
    TempDir root;
    std::wstring folder = root / L"215.7\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_EQ(RepairPayloadPath(folder), folder + L"_backup_.dat");
    EXPECT_EQ(RepairPayloadPath(root / L"215.7"), folder + L"_backup_.dat");
    EXPECT_FALSE(RepairPayloadReadable(folder));
    EXPECT_FALSE(RepairPayloadReadable(L""));
    CreateDirectoryW((folder + L"_backup_.dat").c_str(), nullptr);  // a folder of that name
    EXPECT_FALSE(RepairPayloadReadable(folder));
    RemoveDirectoryW((folder + L"_backup_.dat").c_str());
    WriteFileBytes(folder + L"_backup_.dat", std::string("PK"));
    EXPECT_TRUE(RepairPayloadReadable(folder));
}

TEST(Repair, PutsBackWhatWasDamaged) {
    InstallFixture f;
    Install(f);
    const std::wstring ime64 = f.env.system + f.imeName + L".ime";
    // A user word, saved as the repair dialog saves it, then the damage.
    WriteFileBytes(
        f.DataFolder() + L"main.dmg",
        MakeCodeTable({{"\x11", "\xe4\xb8\x80"}, {"\x12", "\xe4\xbd\xa0", 1u | (2u << 24)}}));
    BackupFiles saved;
    ASSERT_EQ(BackupUserData(f.env, nullptr, nullptr, f.guid.c_str(), &saved),
              BackupStatus::kWordsSaved);
    DeleteFileW(ime64.c_str());
    WriteFileBytes(f.InstallFolder() + L"installer.exe", std::string("damaged"));
    DeleteFileW((f.InstallFolder() + L"config.exe").c_str());
    std::wstring links = f.env.programs + f.displayName + L"\\";
    RemovalOutcome ignored;
    RemoveFolderTree(f.env, links, false, ignored);

    RepairRequest r = RepairOf(f);
    r.wordFile = saved.wordFile;
    MaintenanceOutcome outcome;
    ASSERT_TRUE(RunRepair(f.env, r, outcome)) << Narrow(f.env.LogText());
    EXPECT_EQ(outcome.installFolder, f.InstallFolder());
    EXPECT_EQ(ReadFileBytes(ime64).size(), 8u);
    EXPECT_TRUE(FileExists(f.InstallFolder() + L"config.exe"));
    // The program is the running copy: the work folder has none in this mode.
    std::vector<uint8_t> program = ReadFileBytes(f.InstallFolder() + L"installer.exe");
    EXPECT_EQ(std::string(program.begin(), program.end()), "MZ running copy");
    EXPECT_TRUE(FileExists(f.InstallFolder() + L"_backup_.dat"));
    EXPECT_TRUE(DirExists(links));
    EXPECT_EQ(ReadValue(L"Software\\Classes\\CLSID\\" + f.guid + L"\\InProcServer32", nullptr,
                        KEY_WOW64_64KEY),
              ime64);
    // The user's word is back in the reinstalled table.
    std::vector<uint8_t> table = ReadFileBytes(f.DataFolder() + L"main.dmg");
    EXPECT_NE(std::string(table.begin(), table.end()).find("\xe4\xbd\xa0"), std::string::npos);
    EXPECT_EQ(f.env.positions, (std::vector<int>{0, 10, 20, 40, 70, 85, 100}));
    EXPECT_NE(f.env.LogText().find(L"6.修复完成。"), std::wstring::npos);
    EXPECT_EQ(f.env.LogText().find(L"重新启动"), std::wstring::npos);
}

TEST(Repair, WithTheImeFileInUseCompletesAndAdvisesARestart) {
    InstallFixture f;
    Install(f);
    const std::wstring ime64 = f.env.system + f.imeName + L".ime";
    zan::UniqueHandle held(CreateFileW(ime64.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       0, nullptr));
    ASSERT_TRUE(held);
    // Unpacked where start-up unpacks it, so the busy IME file is replaced without asking.
    CreateDirectoryW((f.root / L"$zanInstaller$").c_str(), nullptr);
    f.unpack = f.root / L"$zanInstaller$\\zipdatas";
    CreateDirectoryW(f.unpack.c_str(), nullptr);
    MaintenanceOutcome outcome;
    ASSERT_TRUE(RunRepair(f.env, RepairOf(f), outcome)) << Narrow(f.env.LogText());
    EXPECT_TRUE(f.env.questions.empty());
    EXPECT_TRUE(outcome.rebootNeeded);
    EXPECT_NE(f.env.LogText().find(L"部分文件需要在重新启动计算机后才能成功修复"),
              std::wstring::npos);
}

TEST(Repair, AFailureRemovesTheInstallation) {
    const struct {
        const char* name;
        void (*breakIt)(InstallFixture&, FakeProfiles&);
        const wchar_t* logged;
    } cases[] = {
        {"the kept payload lacks the IME file",
         [](InstallFixture& f, FakeProfiles&) {
             DeleteFileW((f.unpack + L"\\zanIME.ime").c_str());
         },
         L"无法安装IME文件"},
        {"the profile refused",
         [](InstallFixture&, FakeProfiles& p) { p.failures["AddLanguageProfile"] = E_FAIL; },
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeProfiles profiles;
        FakeCategories categories;
        {
            InstallFixture f;
            f.env.profiles = &profiles;
            f.env.categories = &categories;
            std::set<std::wstring> before = f.Snapshot();
            Install(f);
            RepairRequest r = RepairOf(f);
            c.breakIt(f, profiles);
            MaintenanceOutcome outcome;
            EXPECT_FALSE(RunRepair(f.env, r, outcome));
            if (c.logged) {
                EXPECT_NE(f.env.LogText().find(c.logged), std::wstring::npos)
                    << Narrow(f.env.LogText());
            }
            EXPECT_NE(f.env.LogText().find(L"修复程序发生错误！"), std::wstring::npos);
            ExpectSame(before, f.Snapshot());
        }
    }
}

TEST(Removal, WhetherToGoOnAfterTheBackup) {
    const struct {
        BackupStatus status;
        BackupVerdict verdict;
    } cases[] = {
        {BackupStatus::kNothingInstalled, BackupVerdict::kProceed},
        {BackupStatus::kNoUserWords, BackupVerdict::kProceed},
        {BackupStatus::kWordsSaved, BackupVerdict::kProceed},
        {BackupStatus::kWordsNotSaved, BackupVerdict::kAsk},
    };
    for (const auto& c : cases) EXPECT_EQ(AfterBackup(c.status), c.verdict);
}
