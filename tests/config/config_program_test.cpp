// The real config.exe over a test installation (the built input method module installed in
// the prefix's system folder): what each start opens, single windows, the dictionary word,
// the module's page editing the shared settings, and the screenshots of the main dialog.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "config/about_ids.h"
#include "config/about_page.h"
#include "config/config_ids.h"
#include "config/main_dialog.h"
#include "config/single_window.h"
#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "engine/effective_settings.h"
#include "program_fixture.h"
#include "support/installed_ime.h"
#include "support/test_files.h"
#include "support/window_driver.h"
#include "textservice/pages/page_ids.h"

namespace {

using namespace testing_support;

constexpr const wchar_t* kName = kProgramTestName;

int TabCount(HWND d) {
    return static_cast<int>(SendMessageW(GetDlgItem(d, IDC_MAIN_TABS), TCM_GETITEMCOUNT, 0, 0));
}
int CurrentTab(HWND d) {
    return static_cast<int>(SendMessageW(GetDlgItem(d, IDC_MAIN_TABS), TCM_GETCURSEL, 0, 0));
}

// The page child of the main dialog (a dialog of our own holding the page).
HWND PageOf(HWND d) {
    for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[16] = {};
        GetClassNameW(c, cls, 16);
        if (std::wstring(cls) == L"#32770" && IsWindowVisible(c)) return c;
    }
    return nullptr;
}

void Close(HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); }

TEST(ConfigProgram, WithoutAnInstallationItSaysSoAndEnds) {
    Program p(L"/n {00000000-0000-0000-0000-000000000000}");
    HWND box = WaitForDialog(L"配置程序");
    ASSERT_NE(box, nullptr);
    bool text = false;
    for (HWND s : ChildWindowsOfClass(box, L"Static"))
        text |= WindowTextOf(s) == L"非法的软件环境，本程序无法继续。";
    EXPECT_TRUE(text);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(p.Ended());
}

TEST(ConfigProgram, MainDialogTabsTheModulesPageAndTheSharedSettings) {
    Installation inst;
    inst.ime.EditConfig([](uint8_t* v) {  // 0 stands for every tab
        std::memset(v + kImeBlockOffset + offsetof(ImeConfigData, visibleItems), 0, 4);
    });
    Engine* other = Engine::CreateForConfig(inst.ime.guidText);  // "another process" reading
    ASSERT_NE(other, nullptr);
    Program p(L"/n " + std::wstring(inst.ime.guidText));
    HWND d = WaitForDialog(inst.Title(L"使用设置 - %ls").c_str());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(TabCount(d), 5);
    EXPECT_EQ(CurrentTab(d), 0);
    EXPECT_EQ(DialogItemText(d, IDOK), L"完成设置");
    EXPECT_EQ(other->ime->visibleItems, kVisibleAll);  // stored back

    // The module's input-options page inside ours.
    HWND host = PageOf(d);
    ASSERT_NE(host, nullptr);
    HWND page = nullptr;
    for (HWND c = GetWindow(host, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetDlgItem(c, IDC_WILDCARD_CHAR)) page = c;
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(SaveScreenshotIfAsked(d, L"config-main-common.png"));

    // A check box writes at once; the wildcard edit is stored when the page is applied.
    const uint32_t before = other->dme->inputOptions;
    PostMessageW(GetDlgItem(page, IDC_WILDCARD_SINGLE), BM_CLICK, 0, 0);
    for (int i = 0; i < 100 && other->dme->inputOptions == before; ++i) PumpMessagesFor(50);
    EXPECT_EQ(other->dme->inputOptions, before ^ kInputWildcardSingle);
    SendMessageW(GetDlgItem(page, IDC_WILDCARD_CHAR), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"?"));

    // Ctrl+Tab's command turns the pages: each tab shown, photographed.
    const wchar_t* shots[] = {L"config-main-interface.png", L"config-main-tables.png",
                              L"config-main-advanced.png", L"config-main-about.png"};
    for (int tab = 1; tab < 5; ++tab) {
        PostMessageW(d, WM_SYSCOMMAND, kNextTabCommand, 0);
        for (int i = 0; i < 100 && CurrentTab(d) != tab; ++i) PumpMessagesFor(50);
        EXPECT_EQ(CurrentTab(d), tab);
        PumpMessagesFor(300);
        EXPECT_NE(PageOf(d), nullptr);
        EXPECT_TRUE(SaveScreenshotIfAsked(d, shots[tab - 1]));
        if (tab == 1) {
            EXPECT_NE(other->dme->wildcardChar, 0);  // applied on leaving
        }
        if (tab == 3) {  // the system page: no scheme group without an auxiliary table
            HWND system = PageOf(d);
            EXPECT_EQ(DialogItemText(system, IDC_SYS_ADVANCED), L"高级设置(&A)...");
            EXPECT_FALSE(DialogItemVisible(system, IDC_SYS_SCHEME_GROUP));
        }
    }
    PostMessageW(d, WM_SYSCOMMAND, kNextTabCommand, 0);  // wraps to the first
    for (int i = 0; i < 100 && CurrentTab(d) != 0; ++i) PumpMessagesFor(50);
    EXPECT_EQ(CurrentTab(d), 0);

    ClickDialogItem(d, IDOK);
    EXPECT_TRUE(p.Ended());
    Engine::DestroyForConfig(other);
}

TEST(ConfigProgram, EachTargetOpensItsDialogAndASecondStartRaisesIt) {
    Installation inst;
    const std::wstring guid = inst.ime.guidText;
    struct Case {
        const wchar_t* target;
        const wchar_t* title;
        int tab;  // main dialog: the selected tab
    };
    const Case cases[] = {
        {L"about", L"使用设置 - %ls", 4},
        {L"UPDATE", L"使用设置 - %ls", 0},
        {L"mabiao", L"使用设置 - %ls", 2},
        {L"anjianshezhi", L"按键功能定义 - %ls", -1},
        {L"gaojishezhi", L"高级设置模式 - %ls", -1},
        {L"shuchufancha", L"输入编码表详细视图 - %ls", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "target " << (&c - cases));
        const std::wstring title = inst.Title(c.title);
        Program first(L"/n " + guid + L" /do " + c.target);
        HWND d = WaitForDialog(title.c_str());
        ASSERT_NE(d, nullptr);
        if (c.tab >= 0) {
            EXPECT_EQ(CurrentTab(d), c.tab);
        }
        if (&c == &cases[3]) {
            Program second(L"/n " + guid + L" /do " + c.target);
            EXPECT_TRUE(second.Ended());
            EXPECT_EQ(FindDialogs(title.c_str()).size(), 1u);
            EXPECT_TRUE(IsWindow(d));
        }
        Close(d);
        EXPECT_TRUE(first.Ended());
    }
}

// A window standing for an open dictionary of another start.
struct DictionaryStandIn {
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_COPYDATA) {
            auto* d = reinterpret_cast<const COPYDATASTRUCT*>(l);
            ReadCopiedWord(d, Self()->word);
            Self()->bytes = d->cbData;
            return TRUE;
        }
        return CallWindowProcW(Self()->old, h, m, w, l);
    }
    static DictionaryStandIn*& Self() {
        static DictionaryStandIn* self = nullptr;
        return self;
    }
    HWND hwnd;
    WNDPROC old;
    wchar_t word[kDictionaryWordUnits] = {};
    DWORD bytes = 0;
    explicit DictionaryStandIn(const std::wstring& title) {
        Self() = this;
        hwnd = CreateWindowExW(0, L"#32770", title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, nullptr, nullptr);
        old = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    ~DictionaryStandIn() { DestroyWindow(hwnd); }
};

TEST(ConfigProgram, ADictionaryWordArrivesWholeInTheOpenDictionary) {
    Installation inst;
    DictionaryStandIn dict(inst.Title(L"微型词典 - %ls"));
    const std::wstring long200(200, L'词');
    struct Case {
        std::wstring quoted;
        std::wstring arrives;
    };
    const Case cases[] = {
        {L"'" + long200 + L"'", long200},
        {L"'say \"hi\" it's'", L"say \"hi\" it's"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arrives.size());
        dict.bytes = 0;
        Program p(L"/n " + std::wstring(inst.ime.guidText) + L" /dict " + c.quoted);
        EXPECT_TRUE(p.Ended());
        EXPECT_EQ(std::wstring(dict.word), c.arrives);
        EXPECT_EQ(dict.bytes, (c.arrives.size() + 1) * 2);
    }
}

// The built help file in the installation's folder.
void InstallHelpFile(const Installation& inst) {
    std::wstring from = L"Z:";
    for (char c : std::string(ZAN_HELP_FILE)) from += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    ASSERT_TRUE(CopyFileW(from.c_str(), (inst.ime.install / L"main.chm").c_str(), FALSE));
}

// The page's text form, or the browser's window where it renders.
HWND PageTextOf(HWND dialog) {
    HWND view = GetDlgItem(dialog, IDC_HTML_BROWSER);
    return view ? GetDlgItem(view, 1) : nullptr;
}

TEST(ConfigProgram, AboutTabShowsTheVersionAndTheHelpFilesAboutPage) {
    Installation inst;
    InstallHelpFile(inst);
    Engine* other = Engine::CreateForConfig(inst.ime.guidText);
    ASSERT_NE(other, nullptr);
    const std::wstring line =
        FormatAboutVersionLine(other->soft->productName, kSoftShortUnits, other->soft->versionText,
                               kSoftVersionUnits, kBuildNumber);
    Engine::DestroyForConfig(other);
    Program p(L"/n " + std::wstring(inst.ime.guidText) + L" /do about");
    HWND d = WaitForDialog(inst.Title(L"使用设置 - %ls").c_str());
    ASSERT_NE(d, nullptr);
    HWND page = nullptr;
    for (int i = 0; i < 100 && !(page = PageOf(d)); ++i) PumpMessagesFor(50);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(DialogItemText(page, IDC_ABOUT_VERSION), line);
    EXPECT_FALSE(DialogItemVisible(page, IDC_ABOUT_CHECK_UPDATE));  // no custom update address
    // Wine renders no HTML: the page's text stands in for it.
    if (HWND text = PageTextOf(page)) {
        EXPECT_NE(WindowTextOf(text).find(L"数字小键盘上的中文输入法"), std::wstring::npos);
    }
    EXPECT_TRUE(SaveScreenshotIfAsked(d, L"config-about.png"));
    ClickDialogItem(d, IDOK);
    EXPECT_TRUE(p.Ended());
}

TEST(ConfigProgram, ShowUrlOpensAHelpPageTitledByItWithinTheScreen) {
    Installation inst;
    InstallHelpFile(inst);
    struct Case {
        int width, height;
        int expectedWidth, expectedHeight;
    };
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    const Case cases[] = {{2000, 500, sw, 500}, {600, 400, 600, 400}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        Program p(L"/n " + std::wstring(inst.ime.guidText) + L" /showurl 'mk:@MSITStore:" +
                  inst.ime.install.path() + L"\\main.chm::/keyboardmap.html' /showurlCX " +
                  std::to_wstring(c.width) + L" /showurlCY " + std::to_wstring(c.height));
        HWND d = WaitForDialog(L"键盘图");
        ASSERT_NE(d, nullptr);
        RECT r;
        GetWindowRect(d, &r);
        EXPECT_EQ(r.right - r.left, c.expectedWidth);
        EXPECT_EQ(r.bottom - r.top, c.expectedHeight);
        EXPECT_EQ(r.left, (sw - c.expectedWidth) / 2);
        EXPECT_EQ(r.top, (sh - c.expectedHeight) / 2);
        if (HWND text = PageTextOf(d)) {
            EXPECT_NE(WindowTextOf(text).find(L"mno"), std::wstring::npos);
        }
        if (&c == &cases[1]) {
            EXPECT_TRUE(SaveScreenshotIfAsked(d, L"config-showurl.png"));
        }
        Close(d);
        EXPECT_TRUE(p.Ended());
    }
}

TEST(ConfigProgram, EmbeddingDialogRadiosWriteTheSharedStyle) {
    Installation inst;
    inst.ime.EditConfig([](uint8_t* v) {
        uint32_t features, options;
        std::memcpy(&features, v + kImeBlockOffset + offsetof(ImeConfigData, features), 4);
        std::memcpy(&options, v + kImeBlockOffset + offsetof(ImeConfigData, options), 4);
        features |= kFeatHasTsf;
        options = (options & ~kImeStyleMask) | kImeStyleTsfEmbedCode;
        std::memcpy(v + kImeBlockOffset + offsetof(ImeConfigData, features), &features, 4);
        std::memcpy(v + kImeBlockOffset + offsetof(ImeConfigData, options), &options, 4);
    });
    Engine* other = Engine::CreateForConfig(inst.ime.guidText);
    ASSERT_NE(other, nullptr);
    Program p(L"/n " + std::wstring(inst.ime.guidText) + L" /do gaoji");
    HWND d = WaitForDialog(inst.Title(L"使用设置 - %ls").c_str());
    ASSERT_NE(d, nullptr);
    HWND page = nullptr;
    for (int i = 0; i < 100 && !(page = PageOf(d)); ++i) PumpMessagesFor(50);
    ASSERT_NE(page, nullptr);
    ClickDialogItem(page, IDC_SYS_EMBEDDING);
    HWND e = WaitForDialog(L"嵌入显示模式设置");
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(DialogItemChecked(e, IDC_EMBED_CODE));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(e, IDC_EMBED_HIDE_FIRST)));
    PumpMessagesFor(500);
    EXPECT_TRUE(SaveScreenshotIfAsked(e, L"config-embedding.png"));
    // Between two TSF styles: stored, no installer.
    PostMessageW(GetDlgItem(e, IDC_EMBED_FIRST), BM_CLICK, 0, 0);
    for (int i = 0; i < 100 && !DialogItemChecked(e, IDC_EMBED_FIRST); ++i) PumpMessagesFor(50);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(e, IDC_EMBED_HIDE_FIRST)));
    EXPECT_FALSE(DialogItemChecked(e, IDC_EMBED_CODE));
    ClickDialogItem(e, IDOK);
    EXPECT_TRUE(WaitForWindowGone(e));
    EXPECT_EQ(other->ime->options & kImeStyleMask, kImeStyleTsfEmbedFirst);
    ClickDialogItem(d, IDOK);
    EXPECT_TRUE(p.Ended());
    Engine::DestroyForConfig(other);
}

}  // namespace
