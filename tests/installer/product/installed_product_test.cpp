// The steps of the whole-product test (tools/install_smoke.sh), run one at a time in a fresh
// prefix where the real out/installer.exe runs beside this program. ZAN_INSTALL_STEP names
// the step; without it every test here is skipped.
//   wizard   drives the installer's wizard by clicks: licence, Install, Finish (pictures of
//            the extraction window and the wizard's stages with ZAN_SCREENSHOT_DIR)
//   check    with nothing registered by the test: msctf enumerates and activates the
//            installed profile from the installed DLL, and the installed keyboard layout
//            types 64486 + Space into an EDIT control as 你好
//   hold     keeps the installed DLL loaded until ZAN_HOLD_STOP names a file that exists
//   upgraded the newer build is installed over the held one: the old DLL renamed aside and
//            its deletion scheduled, the fresh file never scheduled, a new process loads it
//   teach    the installed word editor (config.exe) adds a user word; main.dmg holds it as
//            class 2
//   kept     after an install over it: the user word is still in main.dmg, the backup files
//            are in Documents
//   repair   starts the repair link's command line and walks the repair dialog by clicks
//   uninstall starts the uninstall entry's command line and walks the uninstall dialog
//   gone     msctf lists no profile of the product any more; prints the pending operations
//   restart  carries out the pending file operations as a restart would (never reboots)
// (pictures of the repair and uninstall dialogs with ZAN_SCREENSHOT_DIR)
// ZAN_INSTALL_VERSION gives the version folder the step expects ("215.62").
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <imm.h>
#include <msctf.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "core/base/handles.h"
#include "core/base/mapped_file.h"
#include "core/table/table_edit.h"
#include "installer/install/pending_operations.h"
#include "installer/install/product_registry.h"
#include "installer/install/shortcuts.h"
#include "installer/register/keyboard_layout.h"
#include "support/table_fixture.h"
#include "support/test_files.h"
#include "support/window_driver.h"

using namespace testing_support;

namespace {

constexpr int kAccept = 1001;
constexpr int kViewLicence = 1002;
constexpr int kLog = 1006;
constexpr int kProgress = 1008;
constexpr int kLicenceText = 1014;

std::string Variable(const char* name) {
    const char* s = std::getenv(name);
    return s ? s : "";
}

bool StepIs(const char* name) { return Variable("ZAN_INSTALL_STEP") == name; }

std::wstring Wide(const std::string& s) {
    std::wstring w(s.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, w.data(), static_cast<int>(w.size()));
    w.resize(n > 0 ? n - 1 : 0);
    return w;
}

bool WaitUntil(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= ms) return false;
        PumpMessagesFor(50);
    }
    return true;
}

bool EndsWith(const std::wstring& s, const std::wstring& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A visible top-level dialog that matches.
HWND FindTopDialog(const std::function<bool(HWND)>& match) {
    for (HWND w : FindDialogs(nullptr))
        if (IsWindowVisible(w) && match(w)) return w;
    return nullptr;
}

HWND WaitForDialogTitled(const wchar_t* tail, DWORD ms) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindTopDialog([&](HWND w) { return EndsWith(WindowTextOf(w), tail); });
            return found != nullptr;
        },
        ms);
    return found;
}

// The extraction window: no caption, a status line and a progress bar.
HWND FindExtractWindow() {
    return FindTopDialog([](HWND w) {
        return WindowTextOf(w).empty() && GetDlgItem(w, kProgress) && GetDlgItem(w, 1002);
    });
}

// The only product of the family in this prefix.
std::wstring InstalledGuid() {
    zan::UniqueKey family;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kFamilyKey, 0, KEY_READ | KEY_WOW64_64KEY,
                      family.put()) != ERROR_SUCCESS)
        return {};
    wchar_t name[64];
    DWORD chars = 64;
    if (RegEnumKeyExW(family.get(), 0, name, &chars, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
        return {};
    return name;
}

struct Installed {
    std::wstring guid;
    ProductValues values;
    std::wstring ime;  // the 64-bit system folder's file
};

::testing::AssertionResult ReadInstalled(Installed& out) {
    out.guid = InstalledGuid();
    if (out.guid.empty()) return ::testing::AssertionFailure() << "no product key";
    if (!ReadProductValues(out.guid.c_str(), out.values))
        return ::testing::AssertionFailure() << "no product values";
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    out.ime = std::wstring(system) + L"\\" + out.values.imeName + L".ime";
    return ::testing::AssertionSuccess();
}

template <class T>
struct Com {
    T* p = nullptr;
    ~Com() {
        if (p) p->Release();
    }
};

}  // namespace

TEST(InstalledProduct, WizardInstallsByClicks) {
    if (!StepIs("wizard")) GTEST_SKIP() << "a step of tools/install_smoke.sh";
    // The payload is unpacked under its progress window first.
    HWND extract = nullptr;
    WaitUntil([&] { return (extract = FindExtractWindow()) != nullptr; }, 60000);
    if (extract && !ScreenshotFolder().empty()) {
        WaitUntil(
            [&] {
                DWORD_PTR position = 0;
                SendMessageTimeoutW(GetDlgItem(extract, kProgress), PBM_GETPOS, 0, 0, SMTO_BLOCK,
                                    1000, &position);
                return position >= 30;
            },
            10000);
        SaveWindowScreenshot(extract, ScreenshotFolder() + L"\\installer-extract.png");
    }
    HWND wizard = WaitForDialogTitled(L" 安装向导", 120000);
    ASSERT_NE(wizard, nullptr) << "no wizard";
    PumpMessagesFor(500);
    EXPECT_EQ(DialogItemText(wizard, IDOK), L"安装(&S)");
    SaveScreenshotIfAsked(wizard, L"installer-wizard.png");

    // The licence, read and accepted.
    if (DialogItemVisible(wizard, kViewLicence)) {
        ClickDialogItem(wizard, kViewLicence);
        HWND licence = WaitForDialogTitled(L" - 最终用户许可协议", 30000);
        ASSERT_NE(licence, nullptr) << "no licence dialog";
        const std::wstring text = DialogItemText(licence, kLicenceText);
        std::printf("licence page: %s...\n", Narrow(text.substr(0, 40)).c_str());
        EXPECT_EQ(text.rfind(L"最终用户许可协议", 0), 0u) << Narrow(text);
        SaveScreenshotIfAsked(licence, L"installer-licence.png");
        ClickDialogItem(licence, IDOK);
        ASSERT_TRUE(WaitForWindowGone(licence));
        ASSERT_TRUE(
            WaitUntil([&] { return IsWindowEnabled(GetDlgItem(wizard, IDOK)) != 0; }, 10000));
        EXPECT_TRUE(DialogItemChecked(wizard, kAccept));
    }

    ClickDialogItem(wizard, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return DialogItemVisible(wizard, kLog); }, 30000))
        << "the install did not start";
    if (!ScreenshotFolder().empty()) {
        // Caught while the files are copied.
        WaitUntil(
            [&] {
                return DialogItemText(wizard, kLog).find(L"1.创建文件系统") != std::wstring::npos;
            },
            30000);
        PumpMessagesFor(150);
        SaveWindowScreenshot(wizard, ScreenshotFolder() + L"\\installer-installing.png");
    }
    ASSERT_TRUE(WaitUntil([&] { return DialogItemText(wizard, IDOK) == L"完成(&O)"; }, 240000))
        << Narrow(DialogItemText(wizard, kLog));
    const std::wstring log = DialogItemText(wizard, kLog);
    std::printf("%s\n", Narrow(log).c_str());
    EXPECT_NE(log.find(L"  8.安装完成。"), std::wstring::npos) << Narrow(log);
    SaveScreenshotIfAsked(wizard, L"installer-finished.png");
    ClickDialogItem(wizard, IDOK);
    EXPECT_TRUE(WaitForWindowGone(wizard, 30000));
}

TEST(InstalledProduct, TheInstalledInputMethodWorks) {
    if (!StepIs("check")) GTEST_SKIP() << "a step of tools/install_smoke.sh";
    Installed product;
    ASSERT_TRUE(ReadInstalled(product));
    const ProductValues& v = product.values;
    const std::string version = Variable("ZAN_INSTALL_VERSION");
    if (!version.empty()) {
        EXPECT_TRUE(EndsWith(v.installLocation, Wide(version) + L"\\"))
            << Narrow(v.installLocation);
    }
    EXPECT_TRUE(FileExists(product.ime));
    for (const wchar_t* f : {L"config.dsc", L"main.dmg"})
        EXPECT_TRUE(FileExists(v.dataLocation + f)) << Narrow(f);
    for (const wchar_t* f : {L"installer.exe", L"_backup_.dat", L"config.exe"})
        EXPECT_TRUE(FileExists(v.installLocation + f)) << Narrow(f);

    // msctf lists the profile and starts the text service from the installed file.
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    CLSID clsid;
    ASSERT_EQ(CLSIDFromString(product.guid.c_str(), &clsid), S_OK);
    {
        Com<ITfInputProcessorProfiles> profiles;
        ASSERT_EQ(
            CoCreateInstance(CLSID_TF_InputProcessorProfiles, nullptr, CLSCTX_INPROC_SERVER,
                             IID_ITfInputProcessorProfiles, reinterpret_cast<void**>(&profiles.p)),
            S_OK);
        bool listed = false;
        Com<IEnumTfLanguageProfiles> list;
        if (SUCCEEDED(profiles.p->EnumLanguageProfiles(0x0804, &list.p)) && list.p) {
            TF_LANGUAGEPROFILE p;
            ULONG got = 0;
            while (list.p->Next(1, &p, &got) == S_OK && got == 1)
                listed = listed || IsEqualCLSID(p.clsid, clsid);
        }
        EXPECT_TRUE(listed) << "msctf does not list the installed profile";
        Com<ITfThreadMgr> thread;
        TfClientId id = 0;
        ASSERT_EQ(CoCreateInstance(CLSID_TF_ThreadMgr, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ITfThreadMgr, reinterpret_cast<void**>(&thread.p)),
                  S_OK);
        ASSERT_EQ(thread.p->Activate(&id), S_OK);
        EXPECT_EQ(profiles.p->ActivateLanguageProfile(clsid, 0x0804, clsid), S_OK);
        EXPECT_NE(GetModuleHandleW(product.ime.c_str()), nullptr)
            << "msctf did not load " << Narrow(product.ime);
        thread.p->Deactivate();
    }

    // The installed keyboard layout types into an EDIT control.
    const std::wstring file = v.imeName + L".ime";
    HKL layout = FindImeKeyboardLayout(file.c_str());
    ASSERT_NE(layout, nullptr) << "no keyboard layout of " << Narrow(file);
    wchar_t name[9];
    LayoutText(layout, name);
    HWND top = CreateWindowExW(0, L"STATIC", L"typing", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                               400, 200, nullptr, nullptr, nullptr, nullptr);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 380,
                                160, top, nullptr, nullptr, nullptr);
    SetForegroundWindow(top);
    SetFocus(edit);
    HKL loaded = LoadKeyboardLayoutW(name, KLF_ACTIVATE);
    ASSERT_TRUE(loaded && ImmIsIME(loaded)) << "layout " << Narrow(name);
    ActivateKeyboardLayout(loaded, 0);
    PumpMessagesFor(300);
    for (WORD vk : {VK_NUMPAD6, VK_NUMPAD4, VK_NUMPAD4, VK_NUMPAD8, VK_NUMPAD6, VK_SPACE}) {
        SendKey(vk);
        PumpMessagesFor(100);
    }
    WaitUntil([&] { return WindowTextOf(edit) == L"你好"; }, 10000);
    EXPECT_EQ(WindowTextOf(edit), L"你好");
    DestroyWindow(top);
    CoUninitialize();
}

TEST(InstalledProduct, HoldsTheInstalledDll) {
    if (!StepIs("hold")) GTEST_SKIP() << "a step of tools/install_smoke.sh";
    Installed product;
    ASSERT_TRUE(ReadInstalled(product));
    HMODULE dll = LoadLibraryW(product.ime.c_str());
    ASSERT_NE(dll, nullptr) << Narrow(product.ime);
    const std::wstring stop = Wide(Variable("ZAN_HOLD_STOP"));
    std::printf("holding %s\n", Narrow(product.ime).c_str());
    std::fflush(stdout);
    WaitUntil([&] { return !stop.empty() && FileExists(stop); }, 600000);
    FreeLibrary(dll);
}

TEST(InstalledProduct, TheUpgradeReplacedTheHeldDll) {
    if (!StepIs("upgraded")) GTEST_SKIP() << "a step of tools/install_smoke.sh";
    Installed product;
    ASSERT_TRUE(ReadInstalled(product));
    const std::wstring expected = Wide(Variable("ZAN_EXPECT_DLL"));
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(ReadFileBytes(product.ime) == ReadFileBytes(expected))
        << "the system folder's file is not the new build's";

    // The held file went aside in its own folder, deleted at the next restart; nothing
    // deletes or replaces the fresh file then.
    const std::vector<std::wstring> pending = ReadPendingOperations();
    std::wstring folder = product.ime.substr(0, product.ime.rfind(L'\\') + 1);
    bool asideDeleted = false;
    for (size_t i = 0; i + 1 < pending.size(); i += 2) {
        std::wstring from = pending[i];
        if (from.rfind(L"\\??\\", 0) == 0) from.erase(0, 4);
        std::printf("pending: %s -> %s\n", Narrow(from).c_str(), Narrow(pending[i + 1]).c_str());
        EXPECT_NE(_wcsicmp(from.c_str(), product.ime.c_str()), 0) << "the fresh file is scheduled";
        if (_wcsnicmp(from.c_str(), folder.c_str(), folder.size()) == 0 &&
            from.find(product.values.imeName) != std::wstring::npos && pending[i + 1].empty()) {
            asideDeleted = true;
            EXPECT_TRUE(FileExists(from)) << "the renamed file is gone already";
        }
    }
    EXPECT_TRUE(asideDeleted) << "no renamed file waits for its deletion";

    // A new process loads the new file.
    HMODULE dll = LoadLibraryW(product.ime.c_str());
    ASSERT_NE(dll, nullptr);
    wchar_t loaded[MAX_PATH];
    GetModuleFileNameW(dll, loaded, MAX_PATH);
    EXPECT_EQ(_wcsicmp(loaded, product.ime.c_str()), 0) << Narrow(loaded);
    EXPECT_NE(GetProcAddress(dll, "KXITFGetObject"), nullptr);
    FreeLibrary(dll);
}

namespace {

constexpr wchar_t kTaughtWord[] = L"测试";

bool TableHolds(const std::wstring& table, const std::wstring& word) {
    std::vector<uint8_t> b = ReadFileBytes(table);
    return std::string(b.begin(), b.end()).find(Narrow(word)) != std::string::npos;
}

// Starts a command line ("program" args) and returns without waiting. Its standard handles
// are NUL: what it starts in turn (Explorer showing a backup) may outlive this step and must
// not keep the step's output open.
bool StartCommand(const std::wstring& program, const std::wstring& arguments) {
    std::wstring line = L"\"" + program + L"\" " + arguments;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    zan::UniqueHandle nul(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                      0, nullptr));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nul.get();
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

// A quoted program and its arguments, split.
void SplitCommand(const std::wstring& command, std::wstring& program, std::wstring& arguments) {
    if (!command.empty() && command[0] == L'"') {
        size_t end = command.find(L'"', 1);
        program = command.substr(1, end - 1);
        arguments = end + 2 <= command.size() ? command.substr(end + 2) : L"";
    } else {
        size_t space = command.find(L' ');
        program = command.substr(0, space);
        arguments = space == std::wstring::npos ? L"" : command.substr(space + 1);
    }
}

std::wstring LinkCommand(const std::wstring& path, std::wstring& arguments) {
    Com<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.p))))
        return {};
    Com<IPersistFile> file;
    link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p));
    wchar_t target[MAX_PATH]{}, args[MAX_PATH]{};
    if (file.p && SUCCEEDED(file.p->Load(path.c_str(), STGM_READ))) {
        link.p->GetPath(target, MAX_PATH, nullptr, 0);
        link.p->GetArguments(args, MAX_PATH);
    }
    arguments = args;
    return target;
}

// Walks a repair or uninstall dialog: its button, then Finish.
void WalkMaintenanceDialog(const std::wstring& title, const wchar_t* button, const wchar_t* done,
                           const wchar_t* readyPicture, const wchar_t* donePicture) {
    HWND dialog = WaitForDialogTitled(title.c_str(), 120000);
    ASSERT_NE(dialog, nullptr) << "no dialog " << Narrow(title);
    PumpMessagesFor(500);
    ASSERT_EQ(DialogItemText(dialog, IDOK), button);
    SaveScreenshotIfAsked(dialog, readyPicture);
    ClickDialogItem(dialog, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return DialogItemText(dialog, IDOK) == L"完成(&O)"; }, 240000))
        << Narrow(DialogItemText(dialog, kLog));
    const std::wstring log = DialogItemText(dialog, kLog);
    std::printf("%s\n", Narrow(log).c_str());
    EXPECT_NE(log.find(done), std::wstring::npos) << Narrow(log);
    PumpMessagesFor(300);
    SaveScreenshotIfAsked(dialog, donePicture);
    ClickDialogItem(dialog, IDOK);
    EXPECT_TRUE(WaitForWindowGone(dialog, 30000));
}

std::wstring DocumentsBackupFolder(const std::wstring& displayName) {
    wchar_t documents[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents))) return {};
    return std::wstring(documents) + L"\\[ " + displayName + L" ]\\";
}

}  // namespace

TEST(InstalledProduct, TheWordEditorTeachesAUserWord) {
    if (!StepIs("teach")) GTEST_SKIP() << "a step of tools/life_of_installation.sh";
    Installed product;
    ASSERT_TRUE(ReadInstalled(product));
    const std::wstring table = product.values.dataLocation + L"main.dmg";
    const int32_t before = UserWordsIn(table);
    ASSERT_TRUE(StartCommand(product.values.installLocation + L"config.exe",
                             L"/n " + product.guid + L" /do tianjiayonghuci"));
    HWND d = WaitForDialogTitled((L"添加词条 - " + product.values.displayName).c_str(), 60000);
    ASSERT_NE(d, nullptr) << "no word editor";
    SendMessageW(GetDlgItem(d, 1014), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kTaughtWord));
    SendMessageW(GetDlgItem(d, 1013), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"\uFF17\uFF18\uFF19"));
    ClickDialogItem(d, IDOK);
    EXPECT_TRUE(WaitForWindowGone(d, 30000));
    EXPECT_EQ(UserWordsIn(table), before + 1);
    EXPECT_TRUE(TableHolds(table, kTaughtWord));
}

TEST(InstalledProduct, TheUserWordSurvivedTheInstallOverIt) {
    if (!StepIs("kept")) GTEST_SKIP() << "a step of tools/life_of_installation.sh";
    Installed product;
    ASSERT_TRUE(ReadInstalled(product));
    const std::wstring table = product.values.dataLocation + L"main.dmg";
    EXPECT_GE(UserWordsIn(table), 1);
    EXPECT_TRUE(TableHolds(table, kTaughtWord));
    const std::wstring folder = DocumentsBackupFolder(product.values.displayName);
    SYSTEMTIME now;
    GetSystemTime(&now);
    wchar_t date[40];
    _snwprintf(date, 40, L"(%d.%d.%d)", now.wYear, now.wMonth, now.wDay);
    for (const std::wstring& f : {folder + L"导出 - 用户词条" + date + L".txt",
                                  folder + L"backup.config" + date + L".txt"}) {
        EXPECT_TRUE(FileExists(f)) << Narrow(f);
        std::printf("backup: %s\n", Narrow(f).c_str());
    }
}

TEST(InstalledProduct, RepairFromTheStartMenuLink) {
    if (!StepIs("repair")) GTEST_SKIP() << "a step of tools/life_of_installation.sh";
    Installed product;
    ASSERT_TRUE(ReadInstalled(product));
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    wchar_t programs[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, programs), S_OK);
    const std::wstring& name = product.values.displayName;
    // "%s修复%s.lnk" of the product's folder and name.
    const std::wstring link = std::wstring(programs) + L"\\" + name + L"\\修复" + name + L".lnk";
    std::wstring arguments;
    const std::wstring program = LinkCommand(link, arguments);
    CoUninitialize();
    ASSERT_FALSE(program.empty()) << "no repair link " << Narrow(link);
    std::printf("repair: \"%s\" %s\n", Narrow(program).c_str(), Narrow(arguments).c_str());
    ASSERT_TRUE(StartCommand(program, arguments));
    WalkMaintenanceDialog(name + L" - 修复程序", L"修复(&R)", L"  6.修复完成。",
                          L"installer-repair.png", L"installer-repaired.png");
    EXPECT_TRUE(FileExists(product.ime));
}

TEST(InstalledProduct, UninstallFromTheUninstallEntry) {
    if (!StepIs("uninstall")) GTEST_SKIP() << "a step of tools/life_of_installation.sh";
    Installed product;
    ASSERT_TRUE(ReadInstalled(product));
    zan::UniqueKey entry;
    const std::wstring path = std::wstring(kUninstallKey) + L"\\" + product.guid;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, entry.put()),
        ERROR_SUCCESS);
    wchar_t command[1024];
    DWORD bytes = sizeof command;
    ASSERT_EQ(RegGetValueW(entry.get(), nullptr, L"UninstallString", RRF_RT_REG_SZ, nullptr,
                           command, &bytes),
              ERROR_SUCCESS);
    std::wstring program, arguments;
    SplitCommand(command, program, arguments);
    std::printf("uninstall: %s\n", Narrow(command).c_str());
    ASSERT_TRUE(StartCommand(program, arguments));
    WalkMaintenanceDialog(product.values.displayName + L" - 卸载程序", L"卸载(&U)",
                          L"  7.卸载完成。", L"installer-uninstall.png",
                          L"installer-uninstalled.png");
}

TEST(InstalledProduct, NothingIsListedAfterTheUninstall) {
    if (!StepIs("gone")) GTEST_SKIP() << "a step of tools/life_of_installation.sh";
    const std::wstring guid = Wide(Variable("ZAN_PRODUCT_GUID"));
    CLSID clsid;
    ASSERT_EQ(CLSIDFromString(guid.c_str(), &clsid), S_OK) << Narrow(guid);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    {
        Com<ITfInputProcessorProfiles> profiles;
        ASSERT_EQ(
            CoCreateInstance(CLSID_TF_InputProcessorProfiles, nullptr, CLSCTX_INPROC_SERVER,
                             IID_ITfInputProcessorProfiles, reinterpret_cast<void**>(&profiles.p)),
            S_OK);
        Com<IEnumTfLanguageProfiles> list;
        if (SUCCEEDED(profiles.p->EnumLanguageProfiles(0x0804, &list.p)) && list.p) {
            TF_LANGUAGEPROFILE p;
            ULONG got = 0;
            while (list.p->Next(1, &p, &got) == S_OK && got == 1)
                EXPECT_FALSE(IsEqualCLSID(p.clsid, clsid)) << "msctf still lists the profile";
        }
    }
    CoUninitialize();
    const std::vector<std::wstring> pending = ReadPendingOperations();
    for (size_t i = 0; i + 1 < pending.size(); i += 2)
        std::printf("pending: %s -> %s\n", Narrow(pending[i]).c_str(),
                    Narrow(pending[i + 1]).c_str());
}

TEST(InstalledProduct, PendingOperationsCarriedOutAsARestartWould) {
    if (!StepIs("restart")) GTEST_SKIP() << "a step of tools/life_of_installation.sh";
    const std::vector<std::wstring> pending = ReadPendingOperations();
    for (size_t i = 0; i + 1 < pending.size(); i += 2) {
        std::wstring from = pending[i], to = pending[i + 1];
        for (std::wstring* p : {&from, &to}) {
            if (p->rfind(L"\\??\\", 0) == 0) p->erase(0, 4);
        }
        if (!to.empty() && to[0] == L'!') to.erase(0, 1);  // replace an existing file
        BOOL done;
        if (to.empty()) {
            DWORD a = GetFileAttributesW(from.c_str());
            done = a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)
                       ? RemoveDirectoryW(from.c_str())
                       : DeleteFileW(from.c_str());
        } else {
            done = MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
        std::printf("restart: %s %s%s%s\n", done ? "done" : "not done", Narrow(from).c_str(),
                    to.empty() ? "" : " -> ", Narrow(to).c_str());
    }
    zan::UniqueKey session;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_SET_VALUE | KEY_WOW64_64KEY, session.put()),
        ERROR_SUCCESS);
    RegDeleteValueW(session.get(), L"PendingFileRenameOperations");
}
