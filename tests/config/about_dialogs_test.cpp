// The about page, the HTML viewer and the embedding dialog on real windows of this process:
// a recording view stands for the browser, except where the real view's text form is checked
// against the built help file.
#include <windows.h>
#include <gtest/gtest.h>
#include <ole2.h>

#include <memory>
#include <string>
#include <vector>

#include "config/about_ids.h"
#include "config/about_page.h"
#include "config/embedding_dialog.h"
#include "config/html_view.h"
#include "config/html_viewer.h"
#include "core/record/engine.h"
#include "core/record/engine_open.h"
#include "dialog/control_text.h"
#include "dialog/testing/recording_ui_port.h"
#include "support/installed_ime.h"
#include "support/window_driver.h"

namespace {

using namespace testing_support;

// What the dialogs asked of their view.
struct ViewLog {
    std::vector<std::wstring> addresses;
    HtmlView::TitleCallback onTitle;
    RECT lastRect{};
};
ViewLog* g_log = nullptr;

class RecordingView final : public HtmlView {
public:
    RecordingView(HWND parent, int id, const RECT& r) {
        window_ =
            CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, r.left, r.top,
                            r.right - r.left, r.bottom - r.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        g_log->lastRect = r;
    }
    HWND window() const override { return window_; }
    bool Navigate(const wchar_t* address) override {
        g_log->addresses.push_back(address);
        return true;
    }
    void Move(const RECT& r) override { g_log->lastRect = r; }
    bool ShowsText() const override { return false; }

private:
    HWND window_;
};

std::unique_ptr<HtmlView> MakeRecordingView(HWND parent, int id, const RECT& r,
                                            HtmlView::TitleCallback onTitle) {
    g_log->onTitle = std::move(onTitle);
    return std::make_unique<RecordingView>(parent, id, r);
}

struct RecordingViews {
    ViewLog log;
    HtmlViewFactory previous;
    RecordingViews() {
        g_log = &log;
        previous = SetHtmlViewFactory(&MakeRecordingView);
    }
    ~RecordingViews() {
        SetHtmlViewFactory(previous);
        g_log = nullptr;
    }
};

// A zeroed engine record over blocks of the test.
struct TestEngine {
    Engine* e = AllocateEngineRecord();
    SoftConfigData soft{};
    ImeConfigData ime{};
    TestEngine() {
        e->soft = &soft;
        e->ime = &ime;
        wcscpy(e->installLocation, L"C:\\Zan\\");
    }
    ~TestEngine() { FreeEngineRecord(e); }
};

struct HostWindow {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 600, 500,
                                nullptr, nullptr, nullptr, nullptr);
    ~HostWindow() { DestroyWindow(hwnd); }
};

std::wstring HelpFileWindowsPath() {
    std::string path = ZAN_HELP_FILE;
    std::wstring w = L"Z:";
    for (char c : path) w += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return w;
}

class AboutDialogs : public ::testing::Test {
protected:
    void SetUp() override { OleInitialize(nullptr); }
    void TearDown() override { OleUninitialize(); }
};

TEST_F(AboutDialogs, AboutPageShowsVersionHelpPageAndButtonForCustomAddress) {
    struct Case {
        const wchar_t* updateUrl;
        bool button;
    };
    const Case cases[] = {{L"", false}, {L"http://127.0.0.1:1/u", true}};
    for (const Case& c : cases) {
        RecordingViews views;
        TestEngine te;
        wcscpy(te.soft.productName, L"赞拓输入法");
        wcscpy(te.soft.versionText, L"3.0.1.2");
        wcscpy(te.soft.updateUrl, c.updateUrl);
        HostWindow host;
        CKX_ABOUT page(te.e);
        ASSERT_NE(page.Create(host.hwnd), nullptr);
        EXPECT_EQ(ItemText(page.hwnd(), IDC_ABOUT_VERSION), L"赞拓输入法: 3.0.1.2 build 215");
        ASSERT_EQ(views.log.addresses.size(), 1u);
        EXPECT_EQ(views.log.addresses[0], L"mk:@MSITStore:C:\\Zan\\main.chm::/About.html");
        EXPECT_EQ(IsItemShown(page.hwnd(), IDC_ABOUT_CHECK_UPDATE), c.button);
        EXPECT_EQ(ItemText(page.hwnd(), IDC_ABOUT_CHECK_UPDATE), L"检查在线更新");
        page.Destroy();
    }
}

TEST_F(AboutDialogs, ViewerTakesThePageTitleAndFitsTheScreen) {
    RecordingViews views;
    CKX_ShowHTML viewer(L"http://example.com/词", 2000, 300);
    ASSERT_NE(viewer.Create(nullptr), nullptr);
    ASSERT_EQ(views.log.addresses.size(), 1u);
    EXPECT_EQ(views.log.addresses[0], L"http://example.com/%E8%AF%8D");
    RECT r;
    GetWindowRect(viewer.hwnd(), &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom - r.top, 300);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 300) / 2);
    EXPECT_EQ(WindowTextOf(viewer.hwnd()), L"信息提示窗口");
    ASSERT_TRUE(views.log.onTitle);
    views.log.onTitle(L"键盘布局");
    EXPECT_EQ(WindowTextOf(viewer.hwnd()), L"键盘布局");
    // The view fills the client area as the window is resized.
    MoveWindow(viewer.hwnd(), 10, 10, 400, 300, TRUE);
    RECT client;
    GetClientRect(viewer.hwnd(), &client);
    EXPECT_EQ(views.log.lastRect.right, client.right);
    EXPECT_EQ(views.log.lastRect.bottom, client.bottom);
    viewer.Destroy();

    CKX_ShowHTML plain(L"", -1, -1);  // no address: the default page, the template's size
    ASSERT_NE(plain.Create(nullptr), nullptr);
    EXPECT_EQ(views.log.addresses.back(), kDefaultViewerAddress);
    plain.Destroy();
}

// The real view over the built help file: the browser where it renders, else the page's
// text and title.
TEST_F(AboutDialogs, RealViewShowsTheHelpPageOrItsText) {
    HostWindow host;
    std::wstring title;
    RECT r{0, 0, 500, 400};
    DWORD c0 = GetTickCount();
    std::unique_ptr<HtmlView> view =
        CreateHtmlView(host.hwnd, IDC_HTML_BROWSER, r, [&](const std::wstring& t) { title = t; });
    ASSERT_NE(view, nullptr);
    std::printf("create %lu ms\n", GetTickCount() - c0);
    const std::wstring address = L"mk:@MSITStore:" + HelpFileWindowsPath() + L"::/keyboardmap.html";
    DWORD t0 = GetTickCount();
    ASSERT_TRUE(view->Navigate(address.c_str()));
    DWORD t1 = GetTickCount();
    for (int i = 0; i < 200 && title.empty(); ++i) PumpMessagesFor(50);
    std::printf("create+navigate %lu ms, title after %lu ms\n", t1 - t0, GetTickCount() - t1);
    EXPECT_FALSE(title.empty());
    if (view->ShowsText()) {
        HWND text = GetDlgItem(view->window(), 1);
        ASSERT_NE(text, nullptr);
        std::wstring body = WindowTextOf(text);
        EXPECT_NE(body.find(L"mno"), std::wstring::npos);
        EXPECT_EQ(body.find(L"<"), std::wstring::npos);
        std::printf("help page shown as text, title \"%s\"\n", Narrow(title).c_str());
    } else {
        std::printf("help page shown by the browser, title \"%s\"\n", Narrow(title).c_str());
    }

    // A web address no browser shows names itself.
    std::wstring webTitle = L"-";
    std::unique_ptr<HtmlView> web = CreateHtmlView(host.hwnd, IDC_HTML_BROWSER, r,
                                                   [&](const std::wstring& t) { webTitle = t; });
    ASSERT_TRUE(web->Navigate(L"http://127.0.0.1:9/none"));
    for (int i = 0; i < 100 && !web->ShowsText(); ++i) PumpMessagesFor(50);
    if (web->ShowsText()) {
        EXPECT_EQ(WindowTextOf(GetDlgItem(web->window(), 1)),
                  UnreachablePageText(L"http://127.0.0.1:9/none"));
    }
}

TEST_F(AboutDialogs, EmbeddingRadiosStoreTheStyleAndRunTheInstallerOnAClassChange) {
    InstalledIme inst;
    struct Case {
        uint32_t options;
        int click;               // radio clicked before OK (0: none)
        bool onlyWhenMany;       // check box state set before OK
        uint32_t expectedStyle;  // style bits after OK
        const wchar_t* emmode;   // installer parameters prefix, null: not started
    };
    const Case cases[] = {
        {kImeStyleTsfEmbedCode, IDC_EMBED_TSF_CLASSIC, true, kImeStyleTsfClassic, nullptr},
        {0, IDC_EMBED_FIRST, true, kImeStyleTsfEmbedFirst, L"/EMMODE=1 /GUID="},
        {kImeStyleTsfClassic, IDC_EMBED_IME_CLASSIC, false, 0, L"/EMMODE=0 /GUID="},
        {kImeStyleTsfEmbedFirst, 0, false, kImeStyleTsfEmbedFirst, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        RecordingUiPort ui;
        TestEngine te;
        wcscpy(te.e->guidText, inst.guidText);
        te.ime.options = c.options | 0x2;
        te.ime.features = kFeatHideEmbeddedFirst | 0x1;
        CKX_EMBEDSET dialog(te.e);
        ASSERT_NE(dialog.Create(nullptr), nullptr);
        HWND h = dialog.hwnd();
        ShowWindow(h, SW_SHOW);
        EXPECT_TRUE(IsItemChecked(h, EmbeddingRadioOf(c.options)));
        EXPECT_TRUE(IsItemChecked(h, IDC_EMBED_HIDE_FIRST));
        const EmbeddingChecks opened = EmbeddingChecksFor(EmbeddingRadioOf(c.options));
        EXPECT_EQ(IsWindowEnabled(dialog.Item(IDC_EMBED_ONLY_WHEN_MANY)) != FALSE,
                  opened.onlyWhenMany);
        EXPECT_EQ(IsWindowEnabled(dialog.Item(IDC_EMBED_HIDE_FIRST)) != FALSE, opened.hideFirst);
        if (c.click) {
            SendMessageW(dialog.Item(c.click), BM_CLICK, 0, 0);
            const EmbeddingChecks now = EmbeddingChecksFor(c.click);
            EXPECT_EQ(IsWindowEnabled(dialog.Item(IDC_EMBED_ONLY_WHEN_MANY)) != FALSE,
                      now.onlyWhenMany);
            EXPECT_EQ(IsWindowEnabled(dialog.Item(IDC_EMBED_HIDE_FIRST)) != FALSE, now.hideFirst);
        }
        SetItemChecked(h, IDC_EMBED_ONLY_WHEN_MANY, c.onlyWhenMany);
        SendMessageW(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_EQ(dialog.Result(), IDOK);
        EXPECT_EQ(te.ime.options & kImeStyleMask, c.expectedStyle);
        EXPECT_EQ(te.ime.options & ~kImeStyleMask, 0x2u);
        EXPECT_EQ((te.ime.features & kFeatCandidateOnlyWhenMany) != 0, c.onlyWhenMany);
        EXPECT_EQ(te.ime.features & 0x1, 0x1u);
        const UiCall* shell = ui.Last(UiCallKind::Shell);
        if (c.emmode) {
            ASSERT_NE(shell, nullptr);
            EXPECT_EQ(shell->text, inst.install.path() + L"\\installer.exe");
            EXPECT_EQ(shell->extra, c.emmode + std::wstring(inst.guidText));
            EXPECT_EQ(shell->flags, static_cast<UINT>(SW_HIDE));
            EXPECT_EQ(shell->caption, L"");
        } else {
            EXPECT_EQ(shell, nullptr);
        }
        dialog.Destroy();
    }
}

TEST_F(AboutDialogs, EmbeddingWithoutInstallFolderStoresButStartsNothing) {
    InstalledIme inst;
    inst.DeleteValue(L"InstallLocation");
    RecordingUiPort ui;
    TestEngine te;
    wcscpy(te.e->guidText, inst.guidText);
    CKX_EMBEDSET dialog(te.e);
    ASSERT_NE(dialog.Create(nullptr), nullptr);
    ShowWindow(dialog.hwnd(), SW_SHOW);
    SendMessageW(dialog.Item(IDC_EMBED_CODE), BM_CLICK, 0, 0);
    SendMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(te.ime.options & kImeStyleMask, kImeStyleTsfEmbedCode);
    EXPECT_EQ(ui.Count(UiCallKind::Shell), 0);
    dialog.Destroy();

    CKX_EMBEDSET cancelled(te.e);  // Cancel changes nothing
    ASSERT_NE(cancelled.Create(nullptr), nullptr);
    ShowWindow(cancelled.hwnd(), SW_SHOW);
    SendMessageW(cancelled.Item(IDC_EMBED_IME_CLASSIC), BM_CLICK, 0, 0);
    SendMessageW(cancelled.hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(te.ime.options & kImeStyleMask, kImeStyleTsfEmbedCode);
    cancelled.Destroy();
}

}  // namespace
