// Steps of the notepad smoke test (tools/notepad_smoke.sh): the input method installed as the
// prefix's default layout, notepad typed into from outside, its text read back. Without
// ZAN_NOTEPAD_STEP the test does nothing, so the ordinary test run leaves the prefix alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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
    ASSERT_TRUE(testing_support::PlaceCopy(dll, ime))
        << "copying the input method into the system folder failed with " << GetLastError();
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

// One entry of a process's GDI handle table, as Wine lays it out.
struct GdiHandleEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t shareCount;
    uint8_t type;
    uint8_t extType;
    uint64_t userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24);
constexpr size_t kGdiHandleSlots = 0x10000;
constexpr size_t kPebGdiTableOffset = 0xF8;  // x64 environment block

// GDI objects of another process: Wine answers 0 to GetGuiResources, so the used slots of
// the handle table its environment block points to are counted; -1 when it cannot be read.
long GdiObjectsOf(HANDLE process) {
    using Query = LONG(WINAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    struct {
        LONG_PTR exitStatus;
        void* peb;
        ULONG_PTR affinity, priority, pid, parent;
    } basic{};
    if (!query || query(process, 0, &basic, sizeof basic, nullptr) != 0 || !basic.peb) return -1;
    void* table = nullptr;
    SIZE_T got = 0;
    if (!ReadProcessMemory(process, static_cast<char*>(basic.peb) + kPebGdiTableOffset, &table,
                           sizeof table, &got) ||
        !table)
        return -1;
    std::vector<GdiHandleEntry> entries(kGdiHandleSlots);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof entries[0],
                           &got))
        return -1;
    long used = 0;
    for (size_t i = 0; i < got / sizeof entries[0]; ++i) used += entries[i].type != 0;
    return used;
}

// For the random typing (tools/notepad_random.py): whether notepad answers within five
// seconds, its GDI and USER objects and its text, one line each.
void ProbeStep() {
    HWND notepad = FindWindowW(L"Notepad", nullptr);
    ASSERT_TRUE(notepad) << "no notepad window";
    HWND edit = FindWindowExW(notepad, nullptr, L"Edit", nullptr);
    ASSERT_TRUE(edit) << "no edit control";
    DWORD_PTR result = 0;
    const DWORD start = GetTickCount();
    const bool answered =
        SendMessageTimeoutW(notepad, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
    std::printf("answer %ld\n", answered ? static_cast<long>(GetTickCount() - start) : -1L);
    DWORD pid = 0;
    GetWindowThreadProcessId(notepad, &pid);
    if (HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid)) {
        long gdi = static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS));
        if (gdi == 0) gdi = GdiObjectsOf(process);
        std::printf("gdi %ld\nuser %lu\n", gdi, GetGuiResources(process, GR_USEROBJECTS));
        CloseHandle(process);
    }
    const LRESULT length = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    std::printf("text ");
    for (wchar_t c : text) std::printf("%04x", static_cast<unsigned>(c));
    std::printf("\n");
    ASSERT_TRUE(answered) << "notepad did not answer";
}

// Up to 45 s: the first program after the prefix's server was restarted also starts the
// prefix's services and desktop, which takes long on a loaded machine.
void WaitStep() {
    for (int i = 0; i < 450; ++i) {
        HWND notepad = FindWindowW(L"Notepad", nullptr);
        if (notepad && FindWindowExW(notepad, nullptr, L"Edit", nullptr)) {
            SetForegroundWindow(notepad);
            return;
        }
        Sleep(100);
    }
    FAIL() << "notepad did not start within 45 s";
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
    if (step == L"probe") ProbeStep();
    if (step == L"cleanup") CleanupStep();
}

}  // namespace
