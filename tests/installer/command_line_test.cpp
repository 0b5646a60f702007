#include "installer/app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kGuid[] = L"{D7812E39-FBD7-43A7-99C7-DE9322D54A0F}";

std::wstring Line(const std::wstring& args) {
    return L"\"C:\\Program Files\\zan\\installer.exe\" " + args;
}

TEST(SplitCommandArguments, FollowsTheRuntimeRules) {
    struct Row {
        const wchar_t* line;
        std::vector<std::wstring> args;
    };
    const Row rows[] = {
        {L"setup.exe", {}},
        {L"\"C:\\a b\\setup.exe\"", {}},
        {L"\"C:\\a b\\setup.exe\"   ", {}},
        {L"setup.exe /n x /u", {L"/n", L"x", L"/u"}},
        {L"setup.exe \t/u\t/f ", {L"/u", L"/f"}},
        {L"setup.exe \"a b\" c", {L"a b", L"c"}},
        {L"setup.exe a\"b c\"d", {L"ab cd"}},
        {L"setup.exe a\\\\\"b c\"", {L"a\\b c"}},
        {L"setup.exe a\\\"b", {L"a\"b"}},
        {L"setup.exe a\\b\\", {L"a\\b\\"}},
        {L"setup.exe \"a\"\"b\"", {L"a\"b"}},
        {L"setup.exe \"\"", {L""}},
        // The program name is taken as it stands: no escapes inside it.
        {L"\"C:\\x\\\" /u", {L"/u"}},
    };
    for (const Row& r : rows) EXPECT_EQ(SplitCommandArguments(r.line), r.args) << r.line;
    EXPECT_TRUE(SplitCommandArguments(nullptr).empty());
}

TEST(ArgumentText, IsTheLineAfterTheProgramName) {
    EXPECT_EQ(ArgumentText(L"\"C:\\a b\\i.exe\"  /n {x} /u  "), L"/n {x} /u");
    EXPECT_EQ(ArgumentText(L"i.exe"), L"");
    EXPECT_EQ(ArgumentText(L"C:\\x\\i.exe \"a b\""), L"\"a b\"");
}

TEST(ParseInstallerCommandLine, ModesAndPrecedence) {
    struct Row {
        std::wstring line;
        uint8_t mode;
        uint8_t fromTemp;
    };
    const std::wstring n = std::wstring(L"/n ") + kGuid + L" ";
    const Row rows[] = {
        {L"installer.exe", kModeInstall, 0},
        {L"\"C:\\a b\\installer.exe\"", kModeInstall, 0},
        {Line(L"/x"), kModeNone, 0},
        {Line(n), kModeNone, 0},
        {Line(n + L"/u"), kModeUninstall, 0},
        {Line(n + L"-U"), kModeUninstall, 0},
        {Line(n + L"/R"), kModeRepair, 0},
        {Line(n + L"/u /r"), kModeRepair, 0},
        {Line(n + L"/r /u"), kModeRepair, 0},
        {Line(L"/z"), kModeCleanUp, 0},
        {Line(n + L"-z /r"), kModeCleanUp, 0},
        {Line(L"/z /g"), kModeInstallG, 0},
        {Line(L"-G /z"), kModeInstallG, 0},
        {Line(n + L"/u /f"), kModeUninstall, kFromTemp},
        {Line(n + L"/F /r"), kModeRepair, kFromTemp},
        {Line(L"/f"), kModeNone, kFromTemp},
        // Only whole arguments count: not a part of one, nor another dash word.
        {Line(L"/uninstall"), kModeNone, 0},
        {Line(L"--r"), kModeNone, 0},
        {Line(L"-f"), kModeNone, 0},
        // The program's own path is never searched.
        {L"C:\\Users\\jean-raymond\\setup.exe", kModeInstall, 0},
        {L"\"C:\\tmp -u\\dir /r\\setup.exe\" /z", kModeCleanUp, 0},
        {L"C:\\x-r\\setup.exe /f", kModeNone, kFromTemp},
    };
    for (const Row& r : rows) {
        InstallerState s{};
        EXPECT_EQ(ParseInstallerCommandLine(&s, r.line.c_str()), CommandLineResult::kOk) << r.line;
        EXPECT_EQ(s.mode, r.mode) << r.line;
        EXPECT_EQ(s.fromTemp, r.fromTemp) << r.line;
    }
}

TEST(ParseInstallerCommandLine, ProductGuid) {
    const std::wstring g = kGuid;
    struct Row {
        std::wstring args;
        CommandLineResult result;
        std::wstring guidText;
    };
    const Row rows[] = {
        {L"/n " + g + L" /u", CommandLineResult::kOk, g},
        {L"-n " + g + L" /r", CommandLineResult::kOk, g},
        {L"/u /n " + g, CommandLineResult::kOk, g},
        // Lower case only: "/N" is no GUID switch, so the uninstall lacks its product.
        {L"/N " + g + L" /u", CommandLineResult::kMissingGuid, L""},
        {L"/u", CommandLineResult::kMissingGuid, L""},
        {L"/r", CommandLineResult::kMissingGuid, L""},
        // A quoted value is cut at its first blank.
        {L"/n \"" + g + L" tail\" /u", CommandLineResult::kOk, g},
        // Cut to 39 characters, which leaves no GUID.
        {L"/n " + g + L"0 /u", CommandLineResult::kBadGuid, L""},
        {L"/n " + g.substr(0, 37) + L" /u", CommandLineResult::kBadGuid, L""},
        {L"/n /u", CommandLineResult::kBadGuid, L""},
        {L"/n", CommandLineResult::kBadGuid, L""},
        {L"/n \"\" /u", CommandLineResult::kBadGuid, L""},
        {L"/n {D7812E39-FBD7-43A7-99C7-DE9322D54A0G} /u", CommandLineResult::kBadGuid, L""},
        {L"/n ..\\..\\x /u", CommandLineResult::kBadGuid, L""},
        // An install needs none, but a given one must be sound.
        {L"/n nonsense", CommandLineResult::kBadGuid, L""},
        {L"/z", CommandLineResult::kOk, L""},
    };
    for (const Row& r : rows) {
        InstallerState s{};
        const std::wstring line = Line(r.args);
        EXPECT_EQ(ParseInstallerCommandLine(&s, line.c_str()), r.result) << line;
        EXPECT_EQ(std::wstring(s.guidText), r.guidText) << line;
    }
    InstallerState s{};
    ASSERT_EQ(ParseInstallerCommandLine(&s, Line(L"/n " + g + L" /u").c_str()),
              CommandLineResult::kOk);
    EXPECT_EQ(s.guid.Data1, 0xD7812E39u);
    EXPECT_EQ(s.guid.Data4[7], 0x0F);
}

TEST(ParseGuidText, AcceptsOnlyTheRegistryForm) {
    GUID g{};
    EXPECT_TRUE(ParseGuidText(L"{d7812e39-fbd7-43a7-99c7-de9322d54a0f}", &g));
    EXPECT_EQ(g.Data2, 0xFBD7);
    EXPECT_EQ(g.Data3, 0x43A7);
    EXPECT_EQ(g.Data4[0], 0x99);
    for (const wchar_t* bad :
         {L"", L"D7812E39-FBD7-43A7-99C7-DE9322D54A0F", L"{D7812E39-FBD7-43A7-99C7-DE9322D54A0F",
          L"{D7812E39FBD7-43A7-99C7-DE9322D54A0F0}", L"{D7812E39-FBD7-43A7-99C7-DE9322D54A0F}x",
          L"{ 7812E39-FBD7-43A7-99C7-DE9322D54A0F}"})
        EXPECT_FALSE(ParseGuidText(bad, nullptr)) << bad;
}

TEST(ParseReregisterCommandLine, GuidAndFrameworkMode) {
    const std::wstring g = kGuid;
    struct Row {
        std::wstring args;
        ReregisterParse result;
        bool useTsf;
    };
    const Row rows[] = {
        {L"/EMMODE=1 /GUID=" + g, ReregisterParse::kRequested, true},
        {L"/EMMODE=2 /GUID=" + g, ReregisterParse::kRequested, true},
        {L"/EMMODE=3 /GUID=" + g, ReregisterParse::kRequested, true},
        {L"/EMMODE=0 /GUID=" + g, ReregisterParse::kRequested, false},
        {L"/EMMODE=12 /GUID=" + g, ReregisterParse::kRequested, false},
        {L"/EMMODE=4 /GUID=" + g, ReregisterParse::kRequested, false},
        {L"/GUID=" + g, ReregisterParse::kRequested, false},
        {L"/GUID=" + g + L" /EMMODE=1", ReregisterParse::kRequested, true},
        {L"/GUID=" + g + L"0", ReregisterParse::kBadGuid, false},
        {L"/EMMODE=1 /GUID=", ReregisterParse::kBadGuid, true},
        {L"/EMMODE=1 /guid=" + g, ReregisterParse::kAbsent, true},
        {L"/n " + g + L" /u", ReregisterParse::kAbsent, false},
    };
    for (const Row& r : rows) {
        ReregisterRequest q;
        const std::wstring line = Line(r.args);
        EXPECT_EQ(ParseReregisterCommandLine(line.c_str(), &q), r.result) << line;
        EXPECT_EQ(q.useTsf, r.useTsf) << line;
        if (r.result == ReregisterParse::kRequested) {
            EXPECT_EQ(std::wstring(q.guidText), g);
        }
    }
    // Only an argument counts: a program folder named so is not a request.
    ReregisterRequest q;
    EXPECT_EQ(ParseReregisterCommandLine((L"\"C:\\x /GUID=" + g + L"\\setup.exe\"").c_str(), &q),
              ReregisterParse::kAbsent);
}

}  // namespace
