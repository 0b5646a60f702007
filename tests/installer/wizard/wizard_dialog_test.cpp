// The install wizard on its real window, driven by clicks from a second thread: the licence,
// the folder, the refusals that keep it open, the install on its worker with the progress and
// log it posts, and that nothing closes it while the worker runs. ZAN_SCREENSHOT_DIR also
// writes pictures of its stages.
#include "installer/wizard/wizard_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "dialog/testing/recording_ui_port.h"
#include "installer/app/installer_state.h"
#include "installer/wizard/wizard_ids.h"
#include "support/fake_framework.h"
#include "support/test_files.h"
#include "support/window_driver.h"
#include "tests/installer/install/install_fixture.h"

using namespace testing_support;

namespace {

constexpr wchar_t kLicencePage[] =
    L"<html><head><title>t</title><style>p{}</style></head><body><h1>最终用户许可协议</h1>"
    L"<p>第一条 &amp; 条款</p><pre>line one\nline two</pre></body></html>";

// The fakes outlive the fixture, whose end removes the installation through them.
struct WizardFakes {
    GatedProfiles profiles{GatedProfiles::Gate::kRegister};
    FakeCategories categories;
};

struct WizardRun : WizardFakes, InstallFixture {
    std::unique_ptr<InstallerState> state = std::make_unique<InstallerState>();

    WizardRun() {
        env.profiles = &profiles;
        env.categories = &categories;
        ClearInstallerState(state.get());
        wcscpy(state->guidText, guid.c_str());
        state->soft = *soft;
        state->ime = *ime;
        wcscpy(state->workDir, work.c_str());
        wcscpy(state->unpackDir, unpack.c_str());
        wcscpy(state->payloadPath, request.payloadPath.c_str());
        WriteFileBytes(unpack + L"\\License.html", Narrow(kLicencePage));
    }
    std::wstring Title() const { return displayName + L" 安装向导"; }

    // Runs the wizard on this thread while drive works its window from another; drive gets
    // the wizard (null when it never came) and must close it.
    void Run(const std::function<void(HWND)>& drive) {
        std::atomic<bool> driven{false};
        std::thread driver([&] {
            HWND wizard = WaitForDialog(Title().c_str(), 30000);
            drive(wizard);
            driven = true;
            // A failed step leaves the wizard open: let the worker go and close it.
            SetEvent(profiles.release);
            for (int i = 0; i < 300 && wizard && IsWindow(wizard); ++i) {
                PostMessageW(wizard, WM_COMMAND, IDCANCEL, 0);
                WaitForWindowGone(wizard, 200);
            }
        });
        RunInstallWizard(nullptr, state.get(), env);
        driver.join();
        EXPECT_TRUE(driven);
    }
};

std::wstring Text(HWND dialog, int id) { return DialogItemText(dialog, id); }

// Clicks like the mouse does (auto radio buttons check themselves), waiting for the answer.
void Press(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool WaitUntil(const std::function<bool()>& done, DWORD ms = 30000) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        if (done()) return true;
        Sleep(50);
    }
    return done();
}

HWND WaitForLicence(const std::wstring& name) {
    return WaitForDialog((name + L" - 最终用户许可协议").c_str(), 30000);
}

}  // namespace

TEST(InstallWizard, InstallsAfterTheLicenceIsAccepted) {
    WizardRun run;
    run.Run([&](HWND wizard) {
        ASSERT_NE(wizard, nullptr);
        EXPECT_EQ(Text(wizard, IDC_WIZARD_FOLDER), run.root / L"pf\\zan\\");
        EXPECT_EQ(Text(wizard, IDOK), L"安装(&S)");
        EXPECT_TRUE(DialogItemChecked(wizard, IDC_WIZARD_DECLINE));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard, IDOK)));
        EXPECT_FALSE(DialogItemVisible(wizard, IDC_WIZARD_LOG));
        SaveScreenshotIfAsked(wizard, L"installer-wizard.png");

        // The licence page as plain text; accepting it enables Install.
        ClickDialogItem(wizard, IDC_WIZARD_VIEW_LICENCE);
        HWND licence = WaitForLicence(run.displayName);
        ASSERT_NE(licence, nullptr);
        EXPECT_EQ(Text(licence, IDC_LICENCE_TEXT),
                  L"最终用户许可协议\r\n\r\n第一条 & 条款\r\n\r\nline one\r\nline two");
        SaveScreenshotIfAsked(licence, L"installer-licence.png");
        ClickDialogItem(licence, IDOK);
        ASSERT_TRUE(WaitForWindowGone(licence));
        EXPECT_TRUE(DialogItemChecked(wizard, IDC_WIZARD_ACCEPT));
        EXPECT_FALSE(DialogItemChecked(wizard, IDC_WIZARD_DECLINE));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(wizard, IDOK)));

        // Install: the worker is held inside the registration.
        ResetEvent(run.profiles.release);
        ClickDialogItem(wizard, IDOK);
        ASSERT_EQ(WaitForSingleObject(run.profiles.entered, 60000), WAIT_OBJECT_0);
        EXPECT_TRUE(WaitUntil([&] { return DialogItemVisible(wizard, IDC_WIZARD_PROGRESS); }));
        EXPECT_FALSE(DialogItemVisible(wizard, IDC_WIZARD_FOLDER));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard, IDOK)));
        EXPECT_TRUE(WaitUntil([&] {
            return Text(wizard, IDC_WIZARD_LOG).find(L"2.设置软件运行环境") != std::wstring::npos;
        }));
        EXPECT_EQ(SendDlgItemMessageW(wizard, IDC_WIZARD_PROGRESS, PBM_GETPOS, 0, 0), 25);
        SaveScreenshotIfAsked(wizard, L"installer-installing.png");
        // Neither Escape, nor the close box, nor Enter ends the wizard under its worker.
        PostMessageW(wizard, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(wizard, WM_SYSCOMMAND, SC_CLOSE, 0);
        PostMessageW(wizard, WM_CLOSE, 0, 0);
        PostMessageW(wizard, WM_COMMAND, IDOK, 0);
        EXPECT_FALSE(WaitForWindowGone(wizard, 1000));
        SetEvent(run.profiles.release);

        ASSERT_TRUE(WaitUntil([&] { return Text(wizard, IDOK) == L"完成(&O)"; }, 60000))
            << Narrow(Text(wizard, IDC_WIZARD_LOG));
        const std::wstring log = Text(wizard, IDC_WIZARD_LOG);
        EXPECT_EQ(log.find(L"请稍候安装完成...."), 0u) << Narrow(log);
        EXPECT_NE(log.find(L"  8.安装完成。"), std::wstring::npos) << Narrow(log);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(wizard, IDOK)));
        EXPECT_FALSE(DialogItemVisible(wizard, IDC_WIZARD_PROGRESS));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(wizard, IDC_WIZARD_LOG)));
        SaveScreenshotIfAsked(wizard, L"installer-finished.png");
        ClickDialogItem(wizard, IDOK);
        EXPECT_TRUE(WaitForWindowGone(wizard));
    });
    EXPECT_EQ(std::wstring(run.state->installLocation), run.InstallFolder());
    EXPECT_EQ(std::wstring(run.state->dataLocation), run.DataFolder());
    EXPECT_TRUE(FileExists(run.InstallFolder() + L"installer.exe"));
    EXPECT_TRUE(FileExists(run.DataFolder() + L"config.dsc"));
    EXPECT_TRUE(FileExists(run.env.system + run.imeName + L".ime"));
    EXPECT_EQ(ReadValue(run.ProductKey(), L"InstallLocation", KEY_WOW64_64KEY),
              run.InstallFolder());
    EXPECT_TRUE(run.env.questions.empty());
}

TEST(InstallWizard, RefusalsAndTheDeclinedLicenceKeepItAtTheStart) {
    WizardRun run;
    run.env.answers = {IDNO};
    run.Run([&](HWND wizard) {
        ASSERT_NE(wizard, nullptr);
        // Declining in the licence dialog leaves Install disabled.
        ClickDialogItem(wizard, IDC_WIZARD_VIEW_LICENCE);
        HWND licence = WaitForLicence(run.displayName);
        ASSERT_NE(licence, nullptr);
        ClickDialogItem(licence, IDCANCEL);
        ASSERT_TRUE(WaitForWindowGone(licence));
        EXPECT_TRUE(DialogItemChecked(wizard, IDC_WIZARD_DECLINE));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard, IDOK)));
        // The radios switch the button.
        Press(wizard, IDC_WIZARD_ACCEPT);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(wizard, IDOK)));
        Press(wizard, IDC_WIZARD_DECLINE);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard, IDOK)));
        Press(wizard, IDC_WIZARD_ACCEPT);

        // No folder: refused with its message, the wizard stays as it was.
        SetDlgItemTextW(wizard, IDC_WIZARD_FOLDER, L"");
        SendMessageW(wizard, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_EQ(Text(wizard, IDOK), L"安装(&S)");
        EXPECT_TRUE(DialogItemVisible(wizard, IDC_WIZARD_FOLDER));
        EXPECT_FALSE(DialogItemVisible(wizard, IDC_WIZARD_PROGRESS));
        // Escape ends a wizard that is not installing.
        ClickDialogItem(wizard, IDCANCEL);
        EXPECT_TRUE(WaitForWindowGone(wizard));
    });
    ASSERT_EQ(run.env.questions.size(), 1u);
    EXPECT_EQ(run.env.questions[0], L"请指定正确的安装目录。");
    EXPECT_FALSE(FileExists(run.InstallFolder() + L"installer.exe"));
    EXPECT_EQ(ReadValue(run.ProductKey(), L"InstallLocation", KEY_WOW64_64KEY), L"<no key>");
    EXPECT_TRUE(run.profiles.calls.empty());
}

TEST(InstallWizard, ALicenceAcceptedBeforeHidesItsControlsAndTheChooserAddsTheProductFolder) {
    WizardRun run;
    run.state->soft.showLicenceAgreement = 1;
    RecordingUiPort ui;
    ui.fileAnswers.push_back(run.root / L"pf");
    run.Run([&](HWND wizard) {
        ASSERT_NE(wizard, nullptr);
        for (int id : {IDC_WIZARD_VIEW_LICENCE, IDC_WIZARD_ACCEPT, IDC_WIZARD_DECLINE})
            EXPECT_FALSE(DialogItemVisible(wizard, id)) << id;
        EXPECT_TRUE(DialogItemChecked(wizard, IDC_WIZARD_ACCEPT));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(wizard, IDOK)));
        SetDlgItemTextW(wizard, IDC_WIZARD_FOLDER, L"");
        SendMessageW(wizard, WM_COMMAND, MAKEWPARAM(IDC_WIZARD_BROWSE, BN_CLICKED), 0);
        EXPECT_EQ(Text(wizard, IDC_WIZARD_FOLDER), run.root / L"pf\\zan\\");
        ClickDialogItem(wizard, IDCANCEL);
        EXPECT_TRUE(WaitForWindowGone(wizard));
    });
    ASSERT_EQ(ui.Count(UiCallKind::OpenFile), 1);
    EXPECT_EQ(ui.Last(UiCallKind::OpenFile)->text, L"请选择安装目录...");
}
