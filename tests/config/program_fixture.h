// The real config.exe over a test installation: the installation with the built input method
// module in the prefix's system folder, and one started program.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/installed_ime.h"
#include "support/test_files.h"
#include "support/window_driver.h"

namespace testing_support {

inline constexpr wchar_t kProgramTestName[] = L"测试输入法";
inline constexpr wchar_t kProgramTestModule[] = L"zancfgtest";

// The installation with the built module as its input method.
struct Installation {
    InstalledIme ime;
    std::wstring modulePath;
    explicit Installation(
        std::vector<FixtureEntry> mainEntries = InstalledIme::DefaultMainEntries())
        : ime(std::move(mainEntries)) {
        ime.WriteValue(L"IMEName", kProgramTestModule);
        ime.WriteValue(L"DisplayName", kProgramTestName);
        modulePath =
            PlaceSystemModule(Beside(L"zanTSF.dll"), std::wstring(kProgramTestModule) + L".ime");
        EXPECT_FALSE(modulePath.empty());
    }
    std::wstring Title(const wchar_t* format) const {
        wchar_t t[256];
        _snwprintf(t, 256, format, kProgramTestName);
        return t;
    }
};

struct Program {
    PROCESS_INFORMATION pi{};
    explicit Program(const std::wstring& args) {
        std::wstring cmd = L"\"" + Beside(L"config.exe") + L"\" " + args;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        EXPECT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &si, &pi));
    }
    bool Ended(DWORD ms = 30000) {
        DWORD start = GetTickCount();
        while (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
            if (GetTickCount() - start > ms) return false;
            PumpMessagesFor(50);
        }
        return true;
    }
    ~Program() {
        if (!pi.hProcess) return;
        if (!Ended(5000)) TerminateProcess(pi.hProcess, 9);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
};

}  // namespace testing_support
