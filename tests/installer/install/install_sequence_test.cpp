// The install over scratch system, data, program and Start-menu folders: everything in its
// place after a good run, and after a failure at each step a registry and file state equal
// to the one before.
#include "installer/install/install_sequence.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "core/base/handles.h"
#include "core/base/registry.h"
#include "core/settings/config_blocks.h"
#include "installer/install/product_registry.h"
#include "installer/register/registration.h"
#include "installer/remove/removal.h"
#include "support/install_environment.h"
#include "support/registry_snapshot.h"
#include "support/table_fixture.h"
#include "support/test_files.h"
#include "tests/installer/install/install_fixture.h"

using namespace testing_support;

namespace {

std::wstring LinkTarget(const std::wstring& path, std::wstring* arguments) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return {};
    IPersistFile* file = nullptr;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    wchar_t target[MAX_PATH]{}, args[MAX_PATH]{};
    if (file && SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        link->GetPath(target, MAX_PATH, nullptr, 0);
        link->GetArguments(args, MAX_PATH);
    }
    if (file) file->Release();
    link->Release();
    *arguments = args;
    return target;
}

}  // namespace

TEST(InstallSequence, FoldersOfAnInstall) {
    auto soft = std::make_unique<SoftConfigData>();
    std::memset(soft.get(), 0, sizeof *soft);
    soft->dataVersionNumber = 12;
    const struct {
        const wchar_t* chosen;
        const wchar_t* install;
    } cases[] = {
        {L"C:\\Program Files\\zan\\", L"C:\\Program Files\\zan\\215.12\\"},
        {L"D:\\ime", L"D:\\ime\\215.12\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(InstallFolderFor(c.chosen, *soft), c.install);
    EXPECT_EQ(BuildProductPath(L"C:\\ProgramData", L"{G}", L"215.12"),
              L"C:\\ProgramData\\ZantorIME3\\{G}\\215.12\\");
    EXPECT_EQ(BuildProductPath(L"C:\\ProgramData\\", L"{G}", L""),
              L"C:\\ProgramData\\ZantorIME3\\{G}\\");
    EXPECT_EQ(BuildProductPath(L"C:\\ProgramData\\", L"", L""), L"C:\\ProgramData\\ZantorIME3\\");
}

TEST(InstallSequence, AGoodRunPutsEverythingInPlace) {
    InstallFixture f;
    InstallOutcome outcome;
    ASSERT_TRUE(RunInstall(f.env, f.request, outcome)) << Narrow(f.env.LogText());
    EXPECT_EQ(outcome.installFolder, f.InstallFolder());
    EXPECT_EQ(outcome.dataFolder, f.DataFolder());
    EXPECT_FALSE(outcome.rebootNeeded);

    // Files.
    EXPECT_EQ(ReadFileBytes(f.env.system + f.imeName + L".ime").size(), 8u);
    EXPECT_TRUE(FileExists(f.env.wow64 + f.imeName + L".ime"));
    for (const wchar_t* name :
         {L"config.exe", L"colourful\\default.col", L"installer.exe", L"_backup_.dat"}) {
        EXPECT_TRUE(FileExists(f.InstallFolder() + name)) << Narrow(name);
    }
    for (const wchar_t* name : {L"config.dsc", L"main.dmg"})
        EXPECT_TRUE(FileExists(f.DataFolder() + name)) << Narrow(name);
    EXPECT_FALSE(FileExists(f.request.payloadPath));  // kept as _backup_.dat instead
    EXPECT_FALSE(FileExists(f.request.workProgram));
    EXPECT_FALSE(FileExists(f.InstallFolder() + L"zanIME.ime"));
    EXPECT_FALSE(DirExists(f.InstallFolder() + L"$dataFiles$"));

    // The product key in both views, strings with their terminator.
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        DWORD bytes = 0;
        EXPECT_EQ(ReadValue(f.ProductKey(), L"InstallLocation", view, &bytes), f.InstallFolder());
        EXPECT_EQ(bytes, (f.InstallFolder().size() + 1) * 2);
        EXPECT_EQ(ReadValue(f.ProductKey(), L"DataLocation", view), f.DataFolder());
        EXPECT_EQ(ReadValue(f.ProductKey(), L"IMEName", view), f.imeName);
        EXPECT_EQ(ReadValue(f.ProductKey(), L"DisplayName", view), f.displayName);
        EXPECT_EQ(ReadValue(f.ProductKey(), L"DisplayVersion", view), L"3.0.7");
        EXPECT_EQ(ReadValue(f.ProductKey(), L"UnstallCommand", view), L"");
    }
    // The uninstall entry: program paths quoted.
    std::wstring command = L"\"" + f.InstallFolder() + L"installer.exe\" /n " + f.guid + L" /u";
    EXPECT_EQ(ReadValue(f.UninstallEntry(), L"UninstallString", KEY_WOW64_64KEY), command);
    EXPECT_EQ(ReadValue(f.UninstallEntry(), L"ModifyPath", KEY_WOW64_64KEY), command);
    EXPECT_EQ(ReadValue(f.UninstallEntry(), L"HelpLink", KEY_WOW64_64KEY),
              f.InstallFolder() + L"main.chm");
    EXPECT_EQ(ReadValue(f.UninstallEntry(), L"DisplayIcon", KEY_WOW64_64KEY),
              f.InstallFolder() + L"installer.exe");
    EXPECT_EQ(ReadValue(f.UninstallEntry(), L"Comments", KEY_WOW64_64KEY), L"键盘输入");
    EXPECT_EQ(ReadValue(f.UninstallEntry(), L"RegOwner", KEY_WOW64_64KEY), L"owner");

    // The links, read back.
    std::wstring folder = f.env.programs + f.displayName + L"\\";
    const struct {
        std::wstring name, target, arguments;
    } links[] = {
        {f.displayName + L"设置" + f.displayName, L"config.exe", L"/n " + f.guid},
        {f.displayName + L"更新" + f.displayName, L"config.exe", L"/n " + f.guid + L" /do update"},
        {f.displayName + L"修复" + f.displayName, L"installer.exe", L"/n " + f.guid + L" /r"},
        {f.displayName + L"卸载" + f.displayName, L"installer.exe", L"/n " + f.guid + L" /u"},
        {f.displayName + f.displayName + L"帮助文档", L"main.chm", L""},
        {f.displayName + f.displayName + L"按键功能设定", L"config.exe",
         L"/n " + f.guid + L" /do anjianshezhi"},
    };
    for (const auto& l : links) {
        // "%s设置%s.lnk" of the product folder and the name.
        std::wstring path = folder + l.name.substr(f.displayName.size()) + L".lnk";
        std::wstring arguments;
        EXPECT_EQ(LinkTarget(path, &arguments), f.InstallFolder() + l.target) << Narrow(path);
        EXPECT_EQ(arguments, l.arguments);
    }

    // Registered, with the class keys naming the installed IME files.
    EXPECT_EQ(ReadValue(L"Software\\Classes\\CLSID\\" + f.guid + L"\\InProcServer32", nullptr,
                        KEY_WOW64_64KEY),
              f.env.system + f.imeName + L".ime");

    // Progress in the order of the steps, the bar going back once.
    EXPECT_EQ(f.env.positions, (std::vector<int>{0, 10, 25, 40, 70, 55, 85, 100}));
    EXPECT_NE(f.env.LogText().find(L"8.安装完成"), std::wstring::npos);
}

TEST(InstallSequence, WithoutA32BitSystemFolderThe32BitFileIsLeftOut) {
    InstallFixture f;
    RemoveDirectoryW(f.env.wow64.c_str());
    InstallOutcome outcome;
    ASSERT_TRUE(RunInstall(f.env, f.request, outcome)) << Narrow(f.env.LogText());
    EXPECT_TRUE(FileExists(f.env.system + f.imeName + L".ime"));
    EXPECT_FALSE(DirExists(f.env.wow64));
    EXPECT_FALSE(FileExists(f.InstallFolder() + L"zanIME(x86).ime"));
    EXPECT_TRUE(f.env.questions.empty());
}

TEST(InstallSequence, AFailureAtAStepLeavesTheMachineAsBefore) {
    const struct {
        const char* name;
        void (*breakIt)(InstallFixture&);
        const wchar_t* logged;
    } cases[] = {
        {"no 64-bit IME file",
         [](InstallFixture& f) { DeleteFileW((f.unpack + L"\\zanIME.ime").c_str()); },
         L"无法安装IME文件"},
        {"no 32-bit IME file, after the 64-bit one was copied",
         [](InstallFixture& f) { DeleteFileW((f.unpack + L"\\zanIME(x86).ime").c_str()); },
         L"无法安装IME文件"},
        {"system folder not writable, retry refused",
         [](InstallFixture& f) { f.env.system = f.root / L"missing\\"; }, L"无法安装IME文件"},
        {"package without the text service on Windows 8",
         [](InstallFixture& f) { f.soft->installFlags &= ~kInstallCarriesTextService; },
         L"无法安装语言服务"},
        {"profile refused",
         [](InstallFixture& f) {
             static FakeProfiles profiles;
             profiles.failures["AddLanguageProfile"] = E_FAIL;
             f.env.profiles = &profiles;
         },
         L"无法安装语言服务"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        InstallFixture f;
        std::set<std::wstring> before = f.Snapshot();
        c.breakIt(f);
        InstallOutcome outcome;
        EXPECT_FALSE(RunInstall(f.env, f.request, outcome));
        EXPECT_NE(f.env.LogText().find(c.logged), std::wstring::npos) << Narrow(f.env.LogText());
        EXPECT_NE(f.env.LogText().find(L"安装程序发生错误"), std::wstring::npos);
        std::set<std::wstring> after = f.Snapshot();
        for (const auto& l : after) {
            if (!before.count(l)) ADD_FAILURE() << "left: " << Narrow(l);
        }
        for (const auto& l : before) {
            if (!after.count(l)) ADD_FAILURE() << "lost: " << Narrow(l);
        }
    }
}

TEST(InstallSequence, AnUpgradeWithUnsavedUserWordsStopsUnlessTheUserGoesOn) {
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDYES ? "goes on" : "stops");
        InstallFixture f;
        InstallOutcome first;
        ASSERT_TRUE(RunInstall(f.env, f.request, first));
        // The installed table gets a user word; the Documents folder cannot take files.
        WriteFileBytes(f.DataFolder() + L"main.dmg",
                       MakeCodeTable({{"\x11", "\xe4\xb8\x80", 1u | (2u << 24)}}));
        f.WritePayload();
        WriteFileBytes(f.request.workProgram, std::string("MZ installer"));
        WriteFileBytes(f.request.payloadPath, std::string("PK payload"));
        f.env.documents = f.root / L"docs\\missing\\deeper\\";
        f.request.upgrade = UpgradeKind::kSameInstalled;
        f.env.answers = {answer};
        InstallOutcome second;
        EXPECT_EQ(RunInstall(f.env, f.request, second), answer == IDYES);
        EXPECT_EQ(second.backup, BackupStatus::kWordsNotSaved);
        ASSERT_EQ(f.env.questions.size(), 1u);
        // Stopping keeps the installed version and its words.
        if (answer == IDNO) {
            EXPECT_TRUE(FileExists(f.DataFolder() + L"main.dmg"));
            EXPECT_EQ(ReadValue(f.ProductKey(), L"IMEName", KEY_WOW64_64KEY), f.imeName);
        }
    }
}

TEST(InstallSequence, AnUpgradeSavesTheUserWordsAndTakesThemIntoTheNewTable) {
    InstallFixture f;
    InstallOutcome first;
    ASSERT_TRUE(RunInstall(f.env, f.request, first));
    WriteFileBytes(
        f.DataFolder() + L"main.dmg",
        MakeCodeTable({{"\x11", "\xe4\xb8\x80"}, {"\x12\x13", "\xe4\xbd\xa0", 1u | (2u << 24)}}));
    f.WritePayload();
    WriteFileBytes(f.request.workProgram, std::string("MZ installer"));
    WriteFileBytes(f.request.payloadPath, std::string("PK payload"));
    f.request.upgrade = UpgradeKind::kSameInstalled;
    InstallOutcome second;
    ASSERT_TRUE(RunInstall(f.env, f.request, second)) << Narrow(f.env.LogText());
    EXPECT_EQ(second.backup, BackupStatus::kWordsSaved);
    EXPECT_TRUE(FileExists(second.backupFiles.wordFile));
    EXPECT_TRUE(FileExists(second.backupFiles.settingsFile));
    EXPECT_TRUE(f.env.questions.empty());
    // The new table holds the saved word as a user word.
    std::vector<uint8_t> table = ReadFileBytes(f.DataFolder() + L"main.dmg");
    std::string bytes(table.begin(), table.end());
    EXPECT_NE(bytes.find("\xe4\xbd\xa0"), std::string::npos);
}
