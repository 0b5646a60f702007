#include "installer/app/relaunch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base/handles.h"
#include "support/installed_ime.h"
#include "tests/installer/installer_fixtures.h"

using namespace testing_support;

namespace {

InstallerState StateOf(const InstalledIme& ime) {
    InstallerState s{};
    wcscpy(s.guidText, ime.guidText);
    return s;
}

TEST(RelaunchFromTemp, StartsTheTemporaryCopyWithItsArgumentsAndF) {
    ScratchTemp temp;
    InstalledIme ime;
    ASSERT_TRUE(WriteFileBytes(ime.install / L"installer.exe", std::string("program")));
    RecordingUiPort ui;
    const std::wstring line =
        L"\"" + (ime.install / L"installer.exe") + L"\" /n " + ime.guidText + L" /u";
    EXPECT_EQ(RelaunchFromTemp(StateOf(ime), line.c_str()), RelaunchResult::kStarted);
    const std::wstring copy = temp.dir / L"installer.exe";
    EXPECT_EQ(AsString(ReadFileBytes(copy)), "program");
    ASSERT_EQ(Launches(ui).size(), 1u);
    EXPECT_EQ(Launches(ui)[0].text, copy);
    // The program's own path is not handed on.
    EXPECT_EQ(Launches(ui)[0].extra, std::wstring(L"/n ") + ime.guidText + L" /u /f");
    EXPECT_TRUE(Messages(ui).empty());
}

TEST(RelaunchFromTemp, FailuresAreShown) {
    ScratchTemp temp;
    InstalledIme ime;
    RecordingUiPort ui;
    const std::wstring line = std::wstring(L"i.exe /n ") + ime.guidText + L" /r";
    // No installer.exe in the install folder.
    EXPECT_EQ(RelaunchFromTemp(StateOf(ime), line.c_str()), RelaunchResult::kCopyFailed);
    ASSERT_EQ(Messages(ui).size(), 1u);
    EXPECT_EQ(Messages(ui)[0].caption, L"初始化错误");
    const std::wstring install = ime.install.path() + L"\\";
    EXPECT_EQ(Messages(ui)[0].text, L"安装程序无法访问临时目录: \r\ninstall:" + install +
                                        L"\r\nsource:" + install + L"installer.exe\r\ndest:" +
                                        (temp.dir / L"installer.exe") + L"\r\n");
    EXPECT_TRUE(Launches(ui).empty());

    ASSERT_TRUE(WriteFileBytes(ime.install / L"installer.exe", std::string("program")));
    ui.calls.clear();
    ui.shellResult = false;
    EXPECT_EQ(RelaunchFromTemp(StateOf(ime), line.c_str()), RelaunchResult::kStartFailed);
    ASSERT_EQ(Messages(ui).size(), 1u);
    EXPECT_EQ(Messages(ui)[0].text, L"安装程序位于临时目录中的副本无法运行，将中止进程。");
    EXPECT_EQ(Launches(ui)[0].extra, std::wstring(L"/n ") + ime.guidText + L" /r /f");
}

TEST(RelaunchFromTemp, AnUnknownProductCopiesNothing) {
    ScratchTemp temp;
    RecordingUiPort ui;
    InstallerState s{};
    wcscpy(s.guidText, kPayloadGuidText);
    EXPECT_EQ(RelaunchFromTemp(s, L"i.exe /n x /u"), RelaunchResult::kCopyFailed);
    EXPECT_FALSE(FileExists(temp.dir / L"installer.exe"));
}

// The names waiting for deletion at restart.
std::wstring PendingDeletes() {
    zan::UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS)
        return L"";
    std::vector<wchar_t> v(1 << 16);
    DWORD size = static_cast<DWORD>(v.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(v.data()), &size) != ERROR_SUCCESS)
        return L"";
    std::wstring all(v.data(), size / sizeof(wchar_t));
    for (auto& c : all)
        if (c == 0) c = L'|';
    return all;
}

TEST(DeleteSelfOnExit, OnlyTheTemporaryCopyGoes) {
    ScratchTemp temp;
    const std::wstring copy = temp.dir / L"installer.exe";
    ASSERT_TRUE(WriteFileBytes(copy, std::string("program")));
    const std::wstring installed = temp.dir / L"kept.exe";
    ASSERT_TRUE(WriteFileBytes(installed, std::string("program")));
    EXPECT_EQ(DeleteSelfOnExit(installed.c_str()), SelfDelete::kNotTempCopy);
    EXPECT_EQ(PendingDeletes().find(installed), std::wstring::npos);
    EXPECT_EQ(DeleteSelfOnExit(copy.c_str()), SelfDelete::kAtRestart);
    EXPECT_NE(PendingDeletes().find(L"installer.exe"), std::wstring::npos) << PendingDeletes();
    // This test program is no temporary copy.
    EXPECT_EQ(DeleteSelfOnExit(), SelfDelete::kNotTempCopy);
}

}  // namespace
