// The repair and the uninstall dialogs on their real windows, driven from a second thread:
// the button's texts, the backup question before the work, the worker's progress and log,
// that nothing closes a dialog while its worker runs, and a repair without its kept payload.
// ZAN_SCREENSHOT_DIR also writes pictures of them.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "installer/maintenance/maintenance_dialog.h"
#include "installer/maintenance/maintenance_ids.h"
#include "support/fake_framework.h"
#include "support/table_fixture.h"
#include "support/test_files.h"
#include "support/window_driver.h"
#include "tests/installer/install/install_fixture.h"

using namespace testing_support;

namespace {

struct Fakes {
    GatedProfiles profiles{GatedProfiles::Gate::kUnregister};
    FakeCategories categories;
};

struct DialogRun : Fakes, InstallFixture {
    std::unique_ptr<InstallerState> state = std::make_unique<InstallerState>();

    DialogRun() {
        env.profiles = &profiles;
        env.categories = &categories;
        InstallOutcome outcome;
        installed = RunInstall(env, request, outcome);
        env.log.clear();
        ClearInstallerState(state.get());
        wcscpy(state->guidText, guid.c_str());
        state->soft = *soft;
        state->ime = *ime;
        wcscpy(state->installLocation, InstallFolder().c_str());
        wcscpy(state->dataLocation, DataFolder().c_str());
        wcscpy(state->unpackDir, unpack.c_str());
        WritePayload();
        WriteFileBytes(work + L"\\running.exe", std::string("MZ running copy"));
    }

    // Runs the dialog on this thread while drive works its window from another; drive gets
    // the dialog (null when it never came) and must close it.
    void Run(MaintenanceKind kind, const std::function<void(HWND)>& drive) {
        std::thread driver([&] {
            HWND dialog = WaitForDialog(MaintenanceTitle(kind, displayName).c_str(), 30000);
            drive(dialog);
            SetEvent(profiles.release);
            for (int i = 0; i < 300 && dialog && IsWindow(dialog); ++i) {
                PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                WaitForWindowGone(dialog, 200);
            }
        });
        if (kind == MaintenanceKind::kRepair)
            RunRepairDialog(nullptr, state.get(), env, work + L"\\running.exe");
        else
            RunUninstallDialog(nullptr, state.get(), env);
        driver.join();
    }

    bool installed = false;
};

std::wstring Text(HWND dialog, int id) { return DialogItemText(dialog, id); }

bool WaitUntil(const std::function<bool()>& done, DWORD ms = 30000) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        if (done()) return true;
        Sleep(50);
    }
    return done();
}

}  // namespace

TEST(MaintenanceDialogs, HeaderLinesOfEachStage) {
    const struct {
        MaintenanceKind kind;
        MaintenanceStage stage;
        const wchar_t* line;
    } cases[] = {
        {MaintenanceKind::kRepair, MaintenanceStage::kReady,
         L"单击“修复”按钮，以将软件恢复到初始状态。"},
        {MaintenanceKind::kRepair, MaintenanceStage::kWorking, L"正在修复 赞拓 ，请稍候。"},
        {MaintenanceKind::kRepair, MaintenanceStage::kDone, L"单击“完成”按钮，退出修复程序。"},
        {MaintenanceKind::kUninstall, MaintenanceStage::kReady,
         L"单击“卸载”按钮，从计算机中移除 赞拓 ."},
        {MaintenanceKind::kUninstall, MaintenanceStage::kWorking, L"正在卸载 赞拓 ，请稍候。"},
        {MaintenanceKind::kUninstall, MaintenanceStage::kDone, L"请单击“完成”按钮退出卸载程序。"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MaintenanceHeaderText(c.kind, c.stage, L"赞拓").line, c.line) << Narrow(c.line);
    EXPECT_EQ(MaintenanceTitle(MaintenanceKind::kRepair, L"赞拓"), L"赞拓 - 修复程序");
    EXPECT_EQ(MaintenanceTitle(MaintenanceKind::kUninstall, L"赞拓"), L"赞拓 - 卸载程序");
}

TEST(MaintenanceDialogs, UninstallSavesTheWordsThenRemovesUnderItsWorker) {
    DialogRun run;
    ASSERT_TRUE(run.installed);
    WriteFileBytes(
        run.DataFolder() + L"main.dmg",
        MakeCodeTable({{"\x11", "\xe4\xb8\x80"}, {"\x12", "\xe4\xbd\xa0", 1u | (2u << 24)}}));
    run.env.answers = {IDYES};  // show the saved words
    run.Run(MaintenanceKind::kUninstall, [&](HWND dialog) {
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Text(dialog, IDOK), L"卸载(&U)");
        EXPECT_FALSE(DialogItemVisible(dialog, IDC_MAINTENANCE_PROGRESS));
        SaveScreenshotIfAsked(dialog, L"installer-uninstall.png");

        ResetEvent(run.profiles.release);
        ClickDialogItem(dialog, IDOK);
        ASSERT_EQ(WaitForSingleObject(run.profiles.entered, 60000), WAIT_OBJECT_0);
        EXPECT_TRUE(WaitUntil([&] { return DialogItemVisible(dialog, IDC_MAINTENANCE_PROGRESS); }));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        EXPECT_TRUE(WaitUntil([&] {
            return Text(dialog, IDC_MAINTENANCE_LOG).find(L"2.删除语言栏项目") !=
                   std::wstring::npos;
        }));
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_MAINTENANCE_PROGRESS, PBM_GETPOS, 0, 0), 10);
        SaveScreenshotIfAsked(dialog, L"installer-uninstalling.png");
        // Neither Escape, nor the close box, nor Enter ends it under its worker.
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_FALSE(WaitForWindowGone(dialog, 1000));
        SetEvent(run.profiles.release);

        ASSERT_TRUE(WaitUntil([&] { return Text(dialog, IDOK) == L"完成(&O)"; }, 60000))
            << Narrow(Text(dialog, IDC_MAINTENANCE_LOG));
        const std::wstring log = Text(dialog, IDC_MAINTENANCE_LOG);
        EXPECT_EQ(log.find(L"请稍候卸载完成..."), 0u) << Narrow(log);
        EXPECT_NE(log.find(L"  7.卸载完成。"), std::wstring::npos) << Narrow(log);
        EXPECT_FALSE(DialogItemVisible(dialog, IDC_MAINTENANCE_PROGRESS));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        SaveScreenshotIfAsked(dialog, L"installer-uninstalled.png");
        ClickDialogItem(dialog, IDOK);
        EXPECT_TRUE(WaitForWindowGone(dialog));
    });
    ASSERT_EQ(run.env.questions.size(), 1u);
    EXPECT_EQ(run.env.questions[0].find(L"用户词已经备份在 ["), 0u);
    std::wstring folder = run.env.documents + BackupFolderName(run.displayName) + L"\\";
    ASSERT_EQ(run.env.launches.size(), 1u);
    EXPECT_EQ(run.env.launches[0].first, L"Explorer.exe");
    EXPECT_EQ(run.env.launches[0].second.find(L"/select,\"" + folder + L"导出 - 用户词条("), 0u)
        << Narrow(run.env.launches[0].second);
    EXPECT_FALSE(DirExists(run.InstallFolder()));
    EXPECT_EQ(ReadValue(run.ProductKey(), L"IMEName", KEY_WOW64_64KEY), L"<no key>");
}

TEST(MaintenanceDialogs, UnsavedWordsStopTheUninstallUnlessTheUserGoesOn) {
    DialogRun run;
    ASSERT_TRUE(run.installed);
    WriteFileBytes(run.DataFolder() + L"main.dmg",
                   MakeCodeTable({{"\x12", "\xe4\xbd\xa0", 1u | (2u << 24)}}));
    run.env.documents = run.root / L"docs\\missing\\deeper\\";
    run.env.answers = {IDNO};
    run.Run(MaintenanceKind::kUninstall, [&](HWND dialog) {
        ASSERT_NE(dialog, nullptr);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_EQ(Text(dialog, IDOK), L"卸载(&U)");
        EXPECT_FALSE(DialogItemVisible(dialog, IDC_MAINTENANCE_PROGRESS));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitForWindowGone(dialog));
    });
    ASSERT_EQ(run.env.questions.size(), 1u);
    EXPECT_NE(run.env.questions[0].find(L"无法备份用户词"), std::wstring::npos);
    EXPECT_TRUE(FileExists(run.DataFolder() + L"main.dmg"));
    EXPECT_EQ(ReadValue(run.ProductKey(), L"IMEName", KEY_WOW64_64KEY), run.imeName);
}

TEST(MaintenanceDialogs, RepairFromTheKeptPayload) {
    DialogRun run;
    ASSERT_TRUE(run.installed);
    DeleteFileW((run.env.system + run.imeName + L".ime").c_str());
    run.Run(MaintenanceKind::kRepair, [&](HWND dialog) {
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Text(dialog, IDOK), L"修复(&R)");
        SaveScreenshotIfAsked(dialog, L"installer-repair.png");
        ClickDialogItem(dialog, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return Text(dialog, IDOK) == L"完成(&O)"; }, 60000));
        const std::wstring log = Text(dialog, IDC_MAINTENANCE_LOG);
        EXPECT_EQ(log.find(L"请稍候修复完成...."), 0u) << Narrow(log);
        EXPECT_NE(log.find(L"  6.修复完成。"), std::wstring::npos) << Narrow(log);
        SaveScreenshotIfAsked(dialog, L"installer-repaired.png");
        ClickDialogItem(dialog, IDOK);
        EXPECT_TRUE(WaitForWindowGone(dialog));
    });
    EXPECT_TRUE(FileExists(run.env.system + run.imeName + L".ime"));
    EXPECT_TRUE(run.env.questions.empty());
}

TEST(MaintenanceDialogs, ARepairWithoutItsKeptPayloadOnlyCloses) {
    DialogRun run;
    ASSERT_TRUE(run.installed);
    DeleteFileW((run.InstallFolder() + L"_backup_.dat").c_str());
    run.Run(MaintenanceKind::kRepair, [&](HWND dialog) {
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Text(dialog, IDOK), L"完成(&O)");
        ClickDialogItem(dialog, IDOK);
        EXPECT_TRUE(WaitForWindowGone(dialog));
    });
    ASSERT_EQ(run.env.questions.size(), 1u);
    EXPECT_EQ(run.env.questions[0], L"安装数据文件不存在或者已经损坏,修复程序无法运行.");
    // Nothing was touched.
    EXPECT_TRUE(FileExists(run.env.system + run.imeName + L".ime"));
    EXPECT_TRUE(FileExists(run.InstallFolder() + L"config.exe"));
}
