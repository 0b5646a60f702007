#include "config/config_app.h"

#include <commctrl.h>
#include <ole2.h>

#include <cwchar>

#include "config/config_dialogs.h"
#include "config/config_help.h"
#include "config/config_icons.h"
#include "config/config_ids.h"
#include "config/dll_pages.h"
#include "config/main_dialog.h"
#include "config/single_window.h"
#include "core/base/clipboard_text.h"
#include "core/base/registry.h"
#include "core/record/engine.h"
#include "dialog/control_text.h"
#include "dialog/dialog.h"
#include "dialog/ui_port.h"

namespace {

CconfigApp* g_app = nullptr;
HHOOK g_activationHook = nullptr;

// The tables the input method may have grown are mapped again whenever the program becomes
// active; activation arrives as sent messages, which no message loop sees.
LRESULT CALLBACK ActivationHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && g_app && g_app->engine) {
        const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
        if (m->message == WM_ACTIVATEAPP && m->wParam) Engine::RefreshTables(g_app->engine);
    }
    return CallNextHookEx(g_activationHook, code, wp, lp);
}

bool IsInside(HWND window, HWND container) {
    return window && container && (window == container || IsChild(container, window));
}

ConfigDialogRequest RequestFor(const CconfigApp& app) {
    ConfigDialogRequest r{};
    r.engine = app.engine;
    r.displayName = app.displayName;
    r.viewLeft = r.viewTop = r.viewWidth = r.viewHeight = -1;
    return r;
}

}  // namespace

bool IsOtherVersion(const wchar_t* versionText, const wchar_t* stored, int storedUnits) {
    if (!versionText || !versionText[0]) return false;
    size_t n = stored ? wcsnlen(stored, static_cast<size_t>(storedUnits)) : 0;
    return std::wcslen(versionText) != n || std::wcsncmp(versionText, stored, n) != 0;
}

void InitApplicationObject() {
    if (!g_app) g_app = new CconfigApp();
}

void DestroyApplicationObject() {
    delete g_app;
    g_app = nullptr;
}

CconfigApp* TheApp() { return g_app; }

bool CconfigApp::InitInstance(const wchar_t* commandLine) {
    INITCOMMONCONTROLSEX controls{8, 0xFF};
    InitCommonControlsEx(&controls);
    OleInitialize(nullptr);
    LoadLibraryW(L"riched20.dll");
    ParseConfigCommandLine(commandLine, args);

    engine = Engine::CreateForConfig(args.guidText);
    if (!engine) {
        Ui().ShowMessage(nullptr, kBadEnvironmentText, kProgramCaption, MB_ICONERROR);
        return false;
    }
    if (IsOtherVersion(args.versionText, engine->soft->imeName, kSoftShortUnits))
        Ui().ShowMessage(nullptr, kOldVersionText, kProgramCaption, MB_ICONWARNING);
    ReadDisplayName(engine->guidText, displayName, kDisplayNameUnits);

    SetApplicationPreTranslate([this](MSG& m) { return PreTranslateMessage(m); });
    g_activationHook =
        SetWindowsHookExW(WH_CALLWNDPROC, &ActivationHook, nullptr, GetCurrentThreadId());
    bool result = Dispatch();
    if (g_activationHook) UnhookWindowsHookEx(g_activationHook);
    g_activationHook = nullptr;
    SetApplicationPreTranslate(nullptr);
    Engine::DestroyForConfig(engine);
    engine = nullptr;
    return result;
}

bool CconfigApp::Dispatch() {
    const StartDecision d = DecideStart(args.target);
    wchar_t title[kTitleUnits] = {};
    if (const wchar_t* format = SingleWindowTitleFormat(d.action))
        FormatDialogTitle(format, displayName, title);
    ConfigDialogRequest r = RequestFor(*this);
    switch (d.action) {
        case StartAction::AdvancedEditor:
            if (BringDialogToFront(title)) return false;
            RunConfigDialog(ConfigDialogKind::AdvancedEditor, r);
            return false;
        case StartAction::HtmlViewer:
            r.text = args.argument;
            r.viewLeft = args.viewLeft;
            r.viewTop = args.viewTop;
            r.viewWidth = args.viewWidth;
            r.viewHeight = args.viewHeight;
            RunConfigDialog(ConfigDialogKind::HtmlViewer, r);
            return true;
        case StartAction::Dictionary: {
            if (!args.argument[0]) {
                wchar_t recent[kRecentOutputUnits];
                Engine::GetRecentOutput(engine, 1, recent);
                FormatBounded(args.argument, kStartArgumentUnits, L"%ls", recent);
            }
            if (HWND open = FindWindowW(L"#32770", title)) {
                SendWordByCopyData(open, args.argument);
                return false;
            }
            r.text = args.argument;
            RunConfigDialog(ConfigDialogKind::Dictionary, r);
            return true;
        }
        case StartAction::Updater:
            RunConfigDialog(ConfigDialogKind::Updater, r);
            return false;
        case StartAction::ViewOutput:
        case StartAction::ViewClipboard: {
            if (BringDialogToFront(title)) return false;
            wchar_t path[kPathChars];
            FormatBounded(path, kPathChars, L"%lsmain.dmg", engine->dataLocation);
            int32_t counts[kCategoryCounters] = {};
            CountEntriesByCategory(engine, counts);
            wchar_t search[kRecentOutputUnits] = {};
            if (d.action == StartAction::ViewOutput) {
                Engine::GetRecentOutput(engine, 1, search);
            } else {
                wchar_t clip[kClipboardTextChars];
                if (GetClipboardText(clip)) FormatBounded(search, kRecentOutputUnits, L"%ls", clip);
            }
            r.tablePath = path;
            r.categoryCounts = counts;
            r.text = search;
            RunConfigDialog(ConfigDialogKind::TableViewer, r);
            return false;
        }
        case StartAction::KeyFunctions:
            if (BringDialogToFront(title)) return false;
            r.icon = LoadImeIcon(engine, IDI_TAB_ADVANCED);
            RunConfigDialog(ConfigDialogKind::KeyFunctions, r);
            return false;
        case StartAction::AddWord:
        case StartAction::AddWordOnline:
            r.mode = d.action == StartAction::AddWord ? 0 : 1;
            RunConfigDialog(ConfigDialogKind::WordEditor, r);
            return false;
        case StartAction::Help: {
            wchar_t path[kPathChars];
            if (HelpFilePath(engine, path, kPathChars))
                Ui().ShellOpen(nullptr, L"open", path, L"", L"", SW_SHOW);
            return false;
        }
        case StartAction::MainDialog: {
            if (BringDialogToFront(title)) return false;
            CconfigDlg dialog(engine, displayName, d.startPage);
            dialog.RunModal(nullptr);
            return false;
        }
    }
    return false;
}

bool CconfigApp::PreTranslateMessage(MSG& m) {
    if (m.message != WM_KEYDOWN || m.wParam != VK_TAB) return false;
    if (GetKeyState(VK_CONTROL) & 0x8000) {
        if (HWND main = ProgramMainWindow()) PostMessageW(main, WM_SYSCOMMAND, kNextTabCommand, 0);
        return true;
    }
    // Tab inside the module's page moves between its own controls.
    HWND page = OpenDllPage();
    if (page && IsWindowVisible(page) && IsInside(m.hwnd, page)) {
        SendMessageW(page, WM_UPDATEUISTATE, MAKEWPARAM(UIS_INITIALIZE, UISF_ACTIVE), 0);
        PostMessageW(page, WM_NEXTDLGCTL, (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0, 0);
        return true;
    }
    return false;
}

void CconfigApp::WinHelp(DWORD_PTR data, UINT command) { ShowProgramHelp(engine, data, command); }
