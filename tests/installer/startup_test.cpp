#include "installer/app/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/installed_ime.h"
#include "tests/installer/installer_fixtures.h"

using namespace testing_support;

namespace {

// The seam's handlers record their calls; extraction and the licence answer as told.
struct Calls {
    std::vector<std::string> names;
    bool extractWorks = true;
    bool licenceAccepted = true;
    uint32_t payloadFlags = 0x20000000;
    uint8_t showLicence = 0;
    std::wstring payloadPath;
    bool workDirDuringCall = false;
};
Calls* g_calls = nullptr;

bool WorkDirExists(const InstallerState* s) { return s->workDir[0] && DirExists(s->workDir); }

InstallerModes RecordingModes() {
    InstallerModes m;
    m.extract = [](InstallerState* s) {
        g_calls->names.push_back("extract");
        g_calls->payloadPath = s->payloadPath;
        g_calls->workDirDuringCall = WorkDirExists(s);
        s->soft.installFlags = g_calls->payloadFlags;
        s->soft.showLicenceAgreement = g_calls->showLicence;
        return g_calls->extractWorks;
    };
    m.licence = [](InstallerState*) {
        g_calls->names.push_back("licence");
        return g_calls->licenceAccepted;
    };
    m.wizard = [](InstallerState* s) {
        g_calls->names.push_back("wizard");
        g_calls->workDirDuringCall = WorkDirExists(s);
    };
    m.repair = [](InstallerState*) { g_calls->names.push_back("repair"); };
    m.uninstall = [](InstallerState* s) {
        g_calls->names.push_back("uninstall");
        g_calls->payloadPath = s->installLocation;
    };
    m.reregisterInputMethod = [](InstallerState*) { g_calls->names.push_back("reregister"); };
    m.reinstallImeLayout = [](InstallerState*) { g_calls->names.push_back("layout"); };
    return m;
}

struct StartupRun {
    ScratchTemp temp;
    RecordingUiPort ui;
    Calls calls;
    InstallerModes modes = RecordingModes();
    InstallerState state{};
    bool windows8 = true;
    StartupRun() { g_calls = &calls; }
    ~StartupRun() { g_calls = nullptr; }
    StartupOutcome operator()(const std::wstring& args) {
        ClearInstallerState(&state);
        const std::wstring line = L"\"C:\\Program Files\\zan\\installer.exe\" " + args;
        return RunInstaller(&state, line.c_str(), StartupContext{&modes, windows8});
    }
    std::wstring WorkDir() const { return temp.dir / L"$zanInstaller$"; }
    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> t;
        for (const auto& p : Messages(ui)) t.push_back(p.caption + L"|" + p.text);
        return t;
    }
};

using Names = std::vector<std::string>;
using Texts = std::vector<std::wstring>;

TEST(RunInstaller, InstallPaths) {
    struct Row {
        const char* what;
        bool extractWorks;
        uint32_t flags;
        bool windows8;
        uint8_t showLicence;
        bool accepted;
        StartupOutcome outcome;
        Names calls;
        Texts texts;
    };
    const Row rows[] = {
        {"install",
         true,
         0x20000000,
         true,
         0,
         true,
         StartupOutcome::kWizardRan,
         {"extract", "wizard"},
         {}},
        {"damaged payload",
         false,
         0x20000000,
         true,
         0,
         true,
         StartupOutcome::kBadPayload,
         {"extract"},
         {L"输入法安装|错误的安装文件，请联系软件发布者获取正确版本。"}},
        {"no text service on Windows 8",
         true,
         0,
         true,
         0,
         true,
         StartupOutcome::kNeedsTsf,
         {"extract"},
         {L"输入法安装|无法在win8及其以上系统中安装不包含TSF框架的输入法。"}},
        {"no text service on Windows 7",
         true,
         0,
         false,
         0,
         true,
         StartupOutcome::kWizardRan,
         {"extract", "wizard"},
         {}},
        {"licence accepted",
         true,
         0x20000000,
         true,
         1,
         true,
         StartupOutcome::kWizardRan,
         {"extract", "licence", "wizard"},
         {}},
        {"licence declined",
         true,
         0x20000000,
         true,
         1,
         false,
         StartupOutcome::kLicenceDeclined,
         {"extract", "licence"},
         {}},
    };
    for (const Row& r : rows) {
        StartupRun run;
        run.calls.extractWorks = r.extractWorks;
        run.calls.payloadFlags = r.flags;
        run.calls.showLicence = r.showLicence;
        run.calls.licenceAccepted = r.accepted;
        run.windows8 = r.windows8;
        for (const wchar_t* args : {L"", L"/g", L"/x"}) {
            run.calls.names.clear();
            run.ui.calls.clear();
            EXPECT_EQ(run(args), r.outcome) << r.what << " " << Narrow(args);
            EXPECT_EQ(run.calls.names, r.calls) << r.what;
            EXPECT_EQ(run.Texts(), r.texts) << r.what;
            EXPECT_TRUE(run.calls.workDirDuringCall) << r.what;
            EXPECT_FALSE(DirExists(run.WorkDir())) << r.what;
        }
    }
}

TEST(RunInstaller, CleanUpRemovesTheWorkFolderOnly) {
    StartupRun run;
    ASSERT_TRUE(CreateDirectoryW(run.WorkDir().c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(run.WorkDir() + L"\\makedata.zip", std::string("z")));
    EXPECT_EQ(run(L"/z"), StartupOutcome::kCleanedUp);
    EXPECT_FALSE(DirExists(run.WorkDir()));
    EXPECT_TRUE(run.calls.names.empty());
    EXPECT_TRUE(Messages(run.ui).empty());
}

TEST(RunInstaller, UninstallAndRepairRunFromTheTemporaryCopy) {
    StartupRun run;
    InstalledIme ime;
    ASSERT_TRUE(WriteFileBytes(ime.install / L"installer.exe", std::string("program")));
    const std::wstring g = ime.guidText;
    for (const wchar_t* mode : {L" /u", L" /r"}) {
        run.ui.calls.clear();
        EXPECT_EQ(run(L"/n " + g + mode), StartupOutcome::kRelaunched);
        ASSERT_EQ(Launches(run.ui).size(), 1u);
        EXPECT_EQ(Launches(run.ui)[0].text, run.temp.dir / L"installer.exe");
        EXPECT_EQ(Launches(run.ui)[0].extra, L"/n " + g + mode + L" /f");
        EXPECT_TRUE(run.calls.names.empty());
        EXPECT_FALSE(DirExists(run.WorkDir()));
    }
}

TEST(RunInstaller, UninstallNeedsTheInstalledValues) {
    StartupRun run;
    InstalledIme ime;
    const std::wstring line = std::wstring(L"/n ") + ime.guidText + L" /u /f";
    EXPECT_EQ(run(line), StartupOutcome::kBadInstallation);
    EXPECT_EQ(run.Texts(), Texts{L"输入法卸载|错误的安装环境，可能程序已经损坏。"});
    EXPECT_TRUE(run.calls.names.empty());
    EXPECT_FALSE(DirExists(run.WorkDir()));

    ime.WriteValue(L"DisplayName", L"赞拓输入法");
    ime.WriteValue(L"DisplayVersion", L"3.0.215.62");
    ime.WriteValue(L"LanguageName", L"中文(简体) - 赞拓");
    ime.WriteValue(L"UnstallCommand", L"cleanup.exe");
    run.ui.calls.clear();
    EXPECT_EQ(run(line), StartupOutcome::kUninstalled);
    EXPECT_EQ(run.calls.names, Names{"uninstall"});
    EXPECT_TRUE(Messages(run.ui).empty());
    EXPECT_EQ(run.calls.payloadPath, ime.install.path() + L"\\");
    EXPECT_EQ(std::wstring(run.state.dataLocation), ime.data.path() + L"\\");
    EXPECT_EQ(std::wstring(run.state.soft.productName), L"赞拓输入法");
    EXPECT_EQ(std::wstring(run.state.soft.uninstallCommand), L"cleanup.exe");
    EXPECT_EQ(std::wstring(run.state.soft.imeName), InstalledIme::kImeName);
    EXPECT_EQ(run.state.soft.languageId, 2052u);
    EXPECT_FALSE(DirExists(run.WorkDir()));
}

TEST(RunInstaller, RepairUnpacksTheKeptPayload) {
    StartupRun run;
    InstalledIme ime;
    const std::wstring line = std::wstring(L"/n ") + ime.guidText + L" /r /f";
    EXPECT_EQ(run(line), StartupOutcome::kRepaired);
    EXPECT_EQ(run.calls.names, (Names{"extract", "repair"}));
    EXPECT_EQ(run.calls.payloadPath, ime.install.path() + L"\\_backup_.dat");
    EXPECT_FALSE(DirExists(run.WorkDir()));

    run.calls.names.clear();
    run.calls.extractWorks = false;
    EXPECT_EQ(run(line), StartupOutcome::kBadRepairPayload);
    EXPECT_EQ(run.calls.names, Names{"extract"});
    EXPECT_EQ(run.Texts(), Texts{L"输入法修复|错误的安装环境，可能程序已经损坏。"});

    ime.DeleteValue(L"InstallLocation");
    run.calls.names.clear();
    run.ui.calls.clear();
    EXPECT_EQ(run(line), StartupOutcome::kBadInstallation);
    EXPECT_TRUE(run.calls.names.empty());
    EXPECT_EQ(run.Texts(), Texts{L"输入法修复|错误的安装环境，可能程序已经损坏。"});
}

TEST(RunInstaller, ReregistrationWithoutWorkFolder) {
    const std::wstring g = kPayloadGuidText;
    struct Row {
        std::wstring args;
        StartupOutcome outcome;
        Names calls;
    };
    const Row rows[] = {
        {L"/EMMODE=1 /GUID=" + g, StartupOutcome::kReregistered, {"reregister"}},
        {L"/EMMODE=2 /GUID=" + g, StartupOutcome::kReregistered, {"reregister"}},
        {L"/EMMODE=3 /GUID=" + g, StartupOutcome::kReregistered, {"reregister"}},
        {L"/EMMODE=0 /GUID=" + g, StartupOutcome::kReregistered, {"layout"}},
        {L"/GUID=" + g, StartupOutcome::kReregistered, {"layout"}},
        // Everything else on such a line is ignored.
        {L"/u /n " + g + L" /EMMODE=1 /GUID=" + g, StartupOutcome::kReregistered, {"reregister"}},
        {L"/EMMODE=1 /GUID={nonsense}", StartupOutcome::kBadReregisterGuid, {}},
    };
    for (const Row& r : rows) {
        StartupRun run;
        EXPECT_EQ(run(r.args), r.outcome) << Narrow(r.args);
        EXPECT_EQ(run.calls.names, r.calls) << Narrow(r.args);
        EXPECT_FALSE(DirExists(run.WorkDir()));
        EXPECT_TRUE(Messages(run.ui).empty());
        if (r.outcome == StartupOutcome::kReregistered) {
            EXPECT_EQ(std::wstring(run.state.guidText), g);
            EXPECT_EQ(run.state.soft.languageId, 2052u);
        }
    }
}

TEST(RunInstaller, ABadCommandLineChangesNothing) {
    for (const wchar_t* args :
         {L"/n {bad} /u", L"/u", L"/N {D7812E39-FBD7-43A7-99C7-DE9322D54A0F} /r"}) {
        StartupRun run;
        ASSERT_TRUE(CreateDirectoryW(run.WorkDir().c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(run.WorkDir() + L"\\old.txt", std::string("o")));
        EXPECT_EQ(run(args), StartupOutcome::kBadCommandLine) << Narrow(args);
        EXPECT_TRUE(FileExists(run.WorkDir() + L"\\old.txt"));
        EXPECT_TRUE(Messages(run.ui).empty());
        EXPECT_TRUE(Launches(run.ui).empty());
    }
}

TEST(RunInstaller, AHeldWorkFolderStopsSilently) {
    StartupRun run;
    ASSERT_TRUE(CreateDirectoryW(run.WorkDir().c_str(), nullptr));
    const std::wstring held = run.WorkDir() + L"\\held.txt";
    ASSERT_TRUE(WriteFileBytes(held, std::string("h")));
    HANDLE h = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(run(L""), StartupOutcome::kNoWorkFolder);
    CloseHandle(h);
    EXPECT_TRUE(run.calls.names.empty());
    EXPECT_TRUE(Messages(run.ui).empty());
}

}  // namespace
