// A step of the whole-product test (tools/install_smoke.sh), built for both targets: after
// the real installer ran, a program of this bitness types 64486 + Space into an EDIT control
// through the IMM32 keyboard layout the installer installed, from the installed file of its
// own system folder (SysWOW64 for a 32-bit program). Without
// ZAN_INSTALL_STEP=type the test is skipped.
#include <windows.h>
#include <gtest/gtest.h>
#include <imm.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/base/handles.h"
#include "support/test_files.h"
#include "support/window_driver.h"

using namespace testing_support;

namespace {

constexpr wchar_t kLayouts[] = L"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts";

struct ImeLayout {
    std::wstring name;  // "E0xx0804"
    std::wstring file;  // "Ime File"
};

// The first keyboard layout with an input method file.
ImeLayout FindImeLayout() {
    zan::UniqueKey layouts;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kLayouts, 0, KEY_READ, layouts.put()) != ERROR_SUCCESS)
        return {};
    wchar_t name[16];
    for (DWORD i = 0;; ++i) {
        DWORD chars = 16;
        if (RegEnumKeyExW(layouts.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return {};
        wchar_t file[MAX_PATH] = {};
        DWORD bytes = sizeof file - sizeof(wchar_t);
        if (RegGetValueW(layouts.get(), name, L"Ime File", RRF_RT_REG_SZ, nullptr, file, &bytes) ==
                ERROR_SUCCESS &&
            file[0])
            return {name, file};
    }
}

// The system folder of this program's bitness as a file path (SysWOW64 for a 32-bit
// program, which sees it as system32).
std::wstring OwnSystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (sizeof(void*) == 4 && GetSystemWow64DirectoryW(folder, MAX_PATH)) return folder;
    GetSystemDirectoryW(folder, MAX_PATH);
    return folder;
}

// The module in memory was loaded from the file: the same time stamp and image size.
bool IsImageOf(HMODULE module, const std::wstring& path) {
    const std::vector<uint8_t> file = ReadFileBytes(path);
    const auto* memory = reinterpret_cast<const uint8_t*>(module);
    auto headers = [](const uint8_t* base, size_t size) -> const IMAGE_NT_HEADERS* {
        if (size < sizeof(IMAGE_DOS_HEADER)) return nullptr;
        LONG at = 0;
        std::memcpy(&at, base + offsetof(IMAGE_DOS_HEADER, e_lfanew), sizeof at);
        if (at <= 0 || static_cast<size_t>(at) + sizeof(IMAGE_NT_HEADERS) > size) return nullptr;
        return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + at);
    };
    const IMAGE_NT_HEADERS* a = headers(file.data(), file.size());
    const IMAGE_NT_HEADERS* b = headers(memory, 4096);
    return a && b && a->FileHeader.TimeDateStamp == b->FileHeader.TimeDateStamp &&
           a->OptionalHeader.SizeOfImage == b->OptionalHeader.SizeOfImage &&
           a->FileHeader.Machine == b->FileHeader.Machine;
}

bool WaitForText(HWND edit, const std::wstring& text, DWORD ms) {
    const DWORD start = GetTickCount();
    while (WindowTextOf(edit) != text) {
        if (GetTickCount() - start >= ms) return false;
        PumpMessagesFor(50);
    }
    return true;
}

}  // namespace

TEST(InstalledLayout, TypesThroughTheInstalledFileOfThisBitness) {
    const char* step = std::getenv("ZAN_INSTALL_STEP");
    if (!step || std::string(step) != "type") GTEST_SKIP() << "a step of tools/install_smoke.sh";
    const ImeLayout layout = FindImeLayout();
    ASSERT_FALSE(layout.name.empty()) << "no keyboard layout with an input method file";
    // "Ime File" may name the 64-bit system folder's path, which a 32-bit program reaches as
    // its own system folder.
    const std::wstring file = layout.file.substr(layout.file.find_last_of(L'\\') + 1);
    const std::wstring installed = OwnSystemFolder() + L"\\" + file;
    ASSERT_TRUE(FileExists(installed)) << Narrow(installed);

    HWND top = CreateWindowExW(0, L"STATIC", L"typing", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                               400, 200, nullptr, nullptr, nullptr, nullptr);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 380,
                                160, top, nullptr, nullptr, nullptr);
    SetForegroundWindow(top);
    SetFocus(edit);
    HKL loaded = LoadKeyboardLayoutW(layout.name.c_str(), KLF_ACTIVATE);
    ASSERT_TRUE(loaded && ImmIsIME(loaded)) << "layout " << Narrow(layout.name);
    ActivateKeyboardLayout(loaded, 0);
    PumpMessagesFor(300);
    for (WORD vk : {VK_NUMPAD6, VK_NUMPAD4, VK_NUMPAD4, VK_NUMPAD8, VK_NUMPAD6, VK_SPACE}) {
        SendKey(vk);
        PumpMessagesFor(100);
    }
    WaitForText(edit, L"你好", 10000);
    EXPECT_EQ(WindowTextOf(edit), L"你好");

    // The input method in this process is the installed file of this bitness.
    HMODULE ime = GetModuleHandleW(file.c_str());
    ASSERT_NE(ime, nullptr) << Narrow(file) << " is not loaded";
    EXPECT_TRUE(IsImageOf(ime, installed)) << "the loaded module is not " << Narrow(installed);
    std::printf("%d-bit program typed 你好 through %s\n", static_cast<int>(sizeof(void*) * 8),
                Narrow(installed).c_str());
    DestroyWindow(top);
}
