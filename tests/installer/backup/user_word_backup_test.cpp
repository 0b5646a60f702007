// The user-word backup and restore of an installed product with the real input method DLL
// as its installed IME file (its option codec writes the settings file's option sections):
// which files a backup writes, two backups of one day, names a file cannot hold, and the
// words taken back into a fresh table as user words.
#include "installer/backup/user_word_backup.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <set>
#include <string>

#include "core/base/mapped_file.h"
#include "core/base/registry.h"
#include "core/settings/config_blocks.h"
#include "core/table/table_edit.h"
#include "installer/install/product_registry.h"
#include "support/install_environment.h"
#include "support/registry_snapshot.h"
#include "support/table_fixture.h"
#include "support/test_files.h"

using namespace testing_support;

namespace {

constexpr uint32_t kUserWord = 1u | (2u << 24);

std::wstring Beside(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring s = self;
    return s.substr(0, s.find_last_of(L'\\') + 1) + name;
}

std::string Text(const std::wstring& path) {
    std::vector<uint8_t> b = ReadFileBytes(path);
    return std::string(b.begin(), b.end());
}

// An installed product: its key, its data folder and the built DLL as its IME file.
struct Installed {
    TempDir root;
    TestEnvironment env;
    std::wstring guid = NewGuidText();
    std::wstring imeName = L"zt" + guid.substr(1, 8);
    std::wstring data;

    explicit Installed(const std::wstring& displayName = L"赞拓输入法") {
        env.system = root / L"sys64\\";
        env.documents = root / L"docs\\";
        data = root / L"data\\";
        for (const std::wstring& f : {env.system, env.documents, data})
            CreateDirectoryW(f.c_str(), nullptr);
        EXPECT_TRUE(CopyFileW(Beside(L"zanTSF.dll").c_str(),
                              (env.system + imeName + L".ime").c_str(), FALSE));
        EXPECT_EQ(CreateConfigFile((data + L"config.dsc").c_str()), 1);
        std::wstring key = Key();
        WriteRegistryString(HKEY_LOCAL_MACHINE, key.c_str(), L"IMEName", imeName.c_str());
        WriteRegistryString(HKEY_LOCAL_MACHINE, key.c_str(), L"DataLocation", data.c_str());
        WriteRegistryString(HKEY_LOCAL_MACHINE, key.c_str(), L"DisplayName", displayName.c_str());
    }
    ~Installed() { DeleteRegistryTree(HKEY_LOCAL_MACHINE, Key().c_str()); }
    std::wstring Key() const { return std::wstring(kFamilyKey) + L"\\" + guid; }
    void WriteMain(std::vector<FixtureEntry> entries) const {
        WriteFileBytes(data + L"main.dmg", MakeCodeTable(std::move(entries)));
    }
    std::set<std::wstring> Backups(const std::wstring& folderName) const {
        std::set<std::wstring> lines;
        AddFileLines(env.documents + folderName, L"", lines);
        return lines;
    }
};

std::wstring Today() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return BackupDateText(now);
}

}  // namespace

TEST(UserWordBackup, NamesOfTheFolderAndTheDate) {
    const struct {
        const wchar_t* displayName;
        const wchar_t* folder;
    } cases[] = {
        {L"赞拓输入法", L"[ 赞拓输入法 ]"},
        {L"a\\b/c:d*e?f\"g<h>i|j", L"[ a_b_c_d_e_f_g_h_i_j ]"},
        {L"tab\there", L"[ tab_here ]"},
        {L"", L"[ zan ]"},
    };
    for (const auto& c : cases) EXPECT_EQ(BackupFolderName(c.displayName), c.folder);
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 3;
    t.wDay = 7;
    EXPECT_EQ(BackupDateText(t), L"(2026.3.7)");
}

TEST(UserWordBackup, AWordFileOnlyWithUserWordsAndTheSettingsAlways) {
    const struct {
        const char* name;
        std::vector<FixtureEntry> entries;
        BackupStatus status;
    } cases[] = {
        {"user words",
         {{"\x11", "\xe4\xb8\x80"}, {"\x12\x13", "\xe4\xbd\xa0", kUserWord}},
         BackupStatus::kWordsSaved},
        {"none", {{"\x11", "\xe4\xb8\x80"}}, BackupStatus::kNoUserWords},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Installed p;
        p.WriteMain(c.entries);
        BackupFiles files;
        EXPECT_EQ(BackupUserData(p.env, nullptr, nullptr, p.guid.c_str(), &files), c.status);
        const std::wstring folder = p.env.documents + L"[ 赞拓输入法 ]\\";
        EXPECT_EQ(files.folder, folder);
        EXPECT_EQ(files.settingsFile, folder + L"backup.config" + Today() + L".txt");
        const std::string settings = Text(files.settingsFile);
        // The input-option section comes from the DLL's codec: not empty.
        size_t input = settings.find("DME设置"), skin = settings.find("SKIN设置");
        ASSERT_NE(input, std::string::npos);
        ASSERT_NE(skin, std::string::npos);
        EXPECT_NE(settings.substr(input, skin - input).find('='), std::string::npos)
            << settings.substr(input, skin - input);
        if (c.status == BackupStatus::kWordsSaved) {
            EXPECT_EQ(files.wordFile, folder + L"导出 - 用户词条" + Today() + L".txt");
            const std::string words = Text(files.wordFile);
            EXPECT_NE(words.find("\xe4\xbd\xa0"), std::string::npos) << words;
            EXPECT_EQ(words.find("\xe4\xb8\x80"), std::string::npos) << words;
            EXPECT_EQ(p.Backups(L"[ 赞拓输入法 ]").size(), 2u);
        } else {
            EXPECT_TRUE(files.wordFile.empty());
            EXPECT_EQ(p.Backups(L"[ 赞拓输入法 ]").size(), 1u);
        }
        EXPECT_TRUE(p.env.questions.empty());
    }
}

TEST(UserWordBackup, TwoBackupsOfOneDayOverwriteTheSameFiles) {
    Installed p;
    p.WriteMain({{"\x12", "\xe4\xbd\xa0", kUserWord}});
    BackupFiles first, second;
    ASSERT_EQ(BackupUserData(p.env, nullptr, nullptr, p.guid.c_str(), &first),
              BackupStatus::kWordsSaved);
    p.WriteMain({{"\x13", "\xe5\xa5\xbd", kUserWord}});
    ASSERT_EQ(BackupUserData(p.env, nullptr, nullptr, p.guid.c_str(), &second),
              BackupStatus::kWordsSaved);
    EXPECT_EQ(first.wordFile, second.wordFile);
    EXPECT_EQ(first.settingsFile, second.settingsFile);
    EXPECT_EQ(p.Backups(L"[ 赞拓输入法 ]").size(), 2u);
    const std::string words = Text(second.wordFile);
    EXPECT_NE(words.find("\xe5\xa5\xbd"), std::string::npos);
    EXPECT_EQ(words.find("\xe4\xbd\xa0"), std::string::npos);
}

TEST(UserWordBackup, ANameThatNoFileCanHoldIsMadeSafe) {
    Installed p(L"赞拓\\输/入:法*?");
    p.WriteMain({{"\x12", "\xe4\xbd\xa0", kUserWord}});
    BackupFiles files;
    EXPECT_EQ(BackupUserData(p.env, nullptr, nullptr, p.guid.c_str(), &files),
              BackupStatus::kWordsSaved);
    EXPECT_EQ(files.folder, p.env.documents + L"[ 赞拓_输_入_法__ ]\\");
    EXPECT_TRUE(FileExists(files.wordFile));
    EXPECT_TRUE(FileExists(files.settingsFile));
}

TEST(UserWordBackup, SavedWordsOfferedInExplorerWhenAWindowIsGiven) {
    for (int answer : {IDNO, IDYES}) {
        Installed p;
        p.WriteMain({{"\x12", "\xe4\xbd\xa0", kUserWord}});
        p.env.answers = {answer};
        BackupFiles files;
        BackupUserData(p.env, GetDesktopWindow(), L"是否备份用户词后执行卸载操作？", p.guid.c_str(),
                       &files);
        ASSERT_EQ(p.env.questions.size(), 1u);
        EXPECT_EQ(p.env.questions[0],
                  L"用户词已经备份在 [ " + files.wordFile + L" ] 中，是否现在查看?");
        if (answer == IDYES) {
            ASSERT_EQ(p.env.launches.size(), 1u);
            EXPECT_EQ(p.env.launches[0].first, L"Explorer.exe");
            EXPECT_EQ(p.env.launches[0].second, L"/select,\"" + files.wordFile + L"\"");
        } else {
            EXPECT_TRUE(p.env.launches.empty());
        }
    }
}

TEST(UserWordBackup, NothingToSaveOrNowhereToSaveIt) {
    {
        Installed p;  // no main table
        EXPECT_EQ(BackupUserData(p.env, nullptr, nullptr, p.guid.c_str(), nullptr),
                  BackupStatus::kNothingInstalled);
    }
    {
        Installed p;
        p.WriteMain({{"\x12", "\xe4\xbd\xa0", kUserWord}});
        p.env.documents = p.root / L"missing\\deeper\\";
        BackupFiles files;
        EXPECT_EQ(BackupUserData(p.env, nullptr, nullptr, p.guid.c_str(), &files),
                  BackupStatus::kWordsNotSaved);
        EXPECT_TRUE(files.wordFile.empty());
    }
    EXPECT_EQ(
        BackupUserData(MachineEnvironment(), nullptr, nullptr, NewGuidText().c_str(), nullptr),
        BackupStatus::kNothingInstalled);
}

TEST(UserWordRestore, SavedWordsGoIntoAFreshTableAsUserWords) {
    Installed p;
    p.WriteMain({{"\x11", "\xe4\xb8\x80"},
                 {"\x12\x13", "\xe4\xbd\xa0", kUserWord},
                 {"\x14", "\xe5\xa5\xbd", kUserWord}});
    BackupFiles files;
    ASSERT_EQ(BackupUserData(p.env, nullptr, nullptr, p.guid.c_str(), &files),
              BackupStatus::kWordsSaved);
    // The new version's table: its own words, none of the user's.
    p.WriteMain({{"\x11", "\xe4\xb8\x80"}});
    ASSERT_EQ(UserWordsIn(p.data + L"main.dmg"), 0);
    EXPECT_EQ(RestoreUserWords(p.data.c_str(), files.wordFile.c_str()), 2);
    EXPECT_EQ(UserWordsIn(p.data + L"main.dmg"), 2);
    const std::string table = Text(p.data + L"main.dmg");
    EXPECT_NE(table.find("\xe4\xbd\xa0"), std::string::npos);
    EXPECT_NE(table.find("\xe5\xa5\xbd"), std::string::npos);
    // Nothing to read, or no table: nothing changes.
    EXPECT_EQ(RestoreUserWords(p.data.c_str(), (p.root / L"none.txt").c_str()), -1);
    EXPECT_EQ(RestoreUserWords((p.root / L"nodata\\").c_str(), files.wordFile.c_str()), -1);
}
