// Steps of the notepad smoke test (tools/notepad_smoke.sh): the input method installed as the
// prefix's default layout, notepad typed into from outside, its text read back. Without
// ZAN_NOTEPAD_STEP the test does nothing, so the ordinary test run leaves the prefix alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ime_installation.h"

namespace {

constexpr wchar_t kDefaultLayoutKey[] =
    L"System\\CurrentControlSet\\Control\\Keyboard Layouts\\E0010804";
constexpr wchar_t kInstallKey[] = L"Software\\ZantorIME3\\{D7812E39-FBD7-43A7-99C7-DE9322D54A0F}\\";
constexpr wchar_t kImeFile[] = L"zanTSF.ime";
constexpr wchar_t kDataFolder[] = L"C:\\zan-notepad-data\\";

std::wstring Env(const wchar_t* name) {
    wchar_t buf[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(name, buf, MAX_PATH);
    return n && n < MAX_PATH ? buf : L"";
}

std::wstring WinPath(std::wstring unix) {
    if (!unix.empty() && unix[0] == L'/') {
        for (wchar_t& c : unix)
            if (c == L'/') c = L'\\';
        unix = L"Z:" + unix;
    }
    return unix;
}

void InstallStep() {
    const std::wstring data = WinPath(Env(L"ZAN_DATA_DIR"));
    ASSERT_FALSE(data.empty());
    std::wstring self = testing_support::SelfPath();
    std::wstring dir = self.substr(0, self.find_last_of(L'\\'));
    const std::wstring dll = dir.substr(0, dir.find_last_of(L'\\')) + L"\\textservice\\zanTSF.dll";
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    // A copy left by an earlier run may still be mapped by a process of the prefix: the same
    // bytes in place will do.
    const std::wstring ime = std::wstring(system) + L"\\" + kImeFile;
    if (!CopyFileW(dll.c_str(), ime.c_str(), FALSE)) {
        const DWORD error = GetLastError();
        ASSERT_EQ(testing_support::ReadFileBytes(ime), testing_support::ReadFileBytes(dll))
            << "copying the input method into the system folder failed with " << error;
    }
    CreateDirectoryW(kDataFolder, nullptr);
    for (const wchar_t* t : {L"main.dmg", L"temp.dmg", L"sysl.dmg", L"engl.dmg", L"danzi.dmi"})
        CopyFileW((data + L"\\" + t).c_str(), (std::wstring(kDataFolder) + t).c_str(), FALSE);
    // The shipped settings when there are any, else settings that type keypad codes.
    const std::wstring config = std::wstring(kDataFolder) + L"config.dsc";
    if (!CopyFileW((data + L"\\config.dsc").c_str(), config.c_str(), FALSE)) {
        ASSERT_EQ(CreateConfigFile(config.c_str()), 1);
        std::vector<uint8_t> bytes = testing_support::ReadFileBytes(config);
        ASSERT_EQ(bytes.size(), kConfigFileSize);
        GUID guid{};
        CLSIDFromString(L"{D7812E39-FBD7-43A7-99C7-DE9322D54A0F}", &guid);
        imm_test::WriteTypingSettings(bytes.data(), guid);
        ASSERT_TRUE(testing_support::WriteFileBytes(config, bytes));
    }
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kInstallKey, L"IMEName", L"zanTSF"));
    ASSERT_TRUE(
        WriteRegistryString(HKEY_LOCAL_MACHINE, kInstallKey, L"InstallLocation", kDataFolder));
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kInstallKey, L"DataLocation", kDataFolder));
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kDefaultLayoutKey, L"Ime File", kImeFile));
}

void ReadStep() {
    HWND notepad = FindWindowW(L"Notepad", nullptr);
    ASSERT_TRUE(notepad) << "no notepad window";
    HWND edit = FindWindowExW(notepad, nullptr, L"Edit", nullptr);
    ASSERT_TRUE(edit) << "no edit control";
    // notepad may still be working through the typed keys: read again for a while.
    const std::wstring expected = Env(L"ZAN_NOTEPAD_EXPECT");
    wchar_t text[256] = {};
    for (int i = 0; i < 100; ++i) {
        if (i) Sleep(100);
        SendMessageW(edit, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
        if (expected == text) break;
    }
    EXPECT_EQ(std::wstring(text), expected);
}

void WaitStep() {
    for (int i = 0; i < 200; ++i) {
        HWND notepad = FindWindowW(L"Notepad", nullptr);
        if (notepad && FindWindowExW(notepad, nullptr, L"Edit", nullptr)) {
            SetForegroundWindow(notepad);
            return;
        }
        Sleep(100);
    }
    FAIL() << "notepad did not start";
}

void CleanupStep() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDefaultLayoutKey, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                      &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, L"Ime File");
        RegCloseKey(key);
    }
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kInstallKey);
}

TEST(NotepadSmoke, Step) {
    const std::wstring step = Env(L"ZAN_NOTEPAD_STEP");
    if (step.empty()) GTEST_SKIP() << "run by tools/notepad_smoke.sh";
    if (step == L"setup") InstallStep();
    if (step == L"wait") WaitStep();
    if (step == L"read") ReadStep();
    if (step == L"cleanup") CleanupStep();
}

}  // namespace
