// Copying one installed file: done, refused, asked, replaced while busy; data tables written
// in place while mapped; the access granted to other accounts; our pending deletions taken
// back.
#include "installer/install/file_install.h"

#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "core/base/handles.h"
#include "core/base/mapped_file.h"
#include "installer/install/account_access.h"
#include "installer/install/pending_operations.h"
#include "support/install_environment.h"
#include "support/test_files.h"

using namespace testing_support;

namespace {

std::string Content(const std::wstring& path) {
    std::vector<uint8_t> b = ReadFileBytes(path);
    return std::string(b.begin(), b.end());
}

zan::UniqueHandle Hold(const std::wstring& path, DWORD share) {
    return zan::UniqueHandle(
        CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

}  // namespace

TEST(FileInstall, OneFileIntoItsPlace) {
    enum Holding { kFree, kHeldNoSharing, kHeldRenamable };
    const struct {
        const char* name;
        bool sourceThere, targetThere;
        Holding hold;
        bool allowDelay;
        std::vector<int> answers;
        FileInstallResult result;
        size_t questions;
        const char* content;  // of the target afterwards
    } cases[] = {
        {"copied", true, false, kFree, false, {}, FileInstallResult::kInstalled, 0, "new"},
        {"over an old one", true, true, kFree, false, {}, FileInstallResult::kInstalled, 0, "new"},
        {"missing source", false, true, kFree, true, {}, FileInstallResult::kFailed, 0, "old"},
        {"held, retry then give up",
         true,
         true,
         kHeldNoSharing,
         false,
         {IDYES, IDNO},
         FileInstallResult::kFailed,
         2,
         "old"},
        {"held, replaced at restart",
         true,
         true,
         kHeldNoSharing,
         true,
         {IDNO},
         FileInstallResult::kAtRestart,
         1,
         "old"},
        {"held but renamable: replaced at once",
         true,
         true,
         kHeldRenamable,
         true,
         {IDNO},
         FileInstallResult::kAtRestart,
         1,
         "new"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        TestEnvironment env;
        env.answers.assign(c.answers.begin(), c.answers.end());
        std::wstring source = dir / L"source.exe", target = dir / L"target.exe";
        if (c.sourceThere) WriteFileBytes(source, std::string("new"));
        if (c.targetThere) WriteFileBytes(target, std::string("old"));
        zan::UniqueHandle held;
        if (c.hold == kHeldNoSharing) held = Hold(target, 0);
        if (c.hold == kHeldRenamable) held = Hold(target, FILE_SHARE_READ | FILE_SHARE_DELETE);
        FileInstaller files{env};
        EXPECT_EQ(files.InstallSystemFile(source, target, c.allowDelay), c.result);
        EXPECT_EQ(env.questions.size(), c.questions);
        EXPECT_EQ(files.rebootNeeded, c.result == FileInstallResult::kAtRestart);
        held.reset();
        EXPECT_EQ(Content(target), c.content);
        if (c.hold == kHeldNoSharing && c.result == FileInstallResult::kAtRestart) {
            // A copy beside the target replaces it at the restart.
            ASSERT_EQ(env.restartOps.size(), 1u);
            EXPECT_EQ(env.restartOps[0].second, target);
            EXPECT_EQ(Content(env.restartOps[0].first), "new");
        }
        if (c.hold == kHeldRenamable) {
            // The old file was renamed aside and goes at the restart.
            ASSERT_EQ(env.restartOps.size(), 1u);
            EXPECT_EQ(env.restartOps[0].second, L"");
            EXPECT_EQ(Content(env.restartOps[0].first), "old");
        }
    }
    // The same file is done at once.
    TempDir dir;
    TestEnvironment env;
    WriteFileBytes(dir / L"a.exe", std::string("x"));
    FileInstaller files{env};
    EXPECT_EQ(files.InstallSystemFile(dir / L"a.exe", dir / L"A.EXE", false),
              FileInstallResult::kInstalled);
    EXPECT_EQ(files.InstallSystemFile(L"", dir / L"b.exe", false), FileInstallResult::kInstalled);
}

TEST(FileInstall, ABusyImeFileIsReplacedWithoutAsking) {
    TempDir dir;
    TestEnvironment env;
    std::wstring unpack = dir / L"$zanInstaller$\\zipdatas";
    CreateDirectoryW((dir / L"$zanInstaller$").c_str(), nullptr);
    CreateDirectoryW(unpack.c_str(), nullptr);
    std::wstring source = unpack + L"\\zanIME.ime", target = dir / L"zt.ime";
    WriteFileBytes(source, std::string("new"));
    WriteFileBytes(target, std::string("old"));
    // Loaded as a module: renamable, not writable.
    zan::UniqueHandle held = Hold(target, FILE_SHARE_READ | FILE_SHARE_DELETE);
    FileInstaller files{env};
    EXPECT_EQ(files.InstallSystemFile(source, target, false), FileInstallResult::kAtRestart);
    EXPECT_TRUE(env.questions.empty());
    held.reset();
    EXPECT_EQ(Content(target), "new");
    ASSERT_EQ(env.restartOps.size(), 1u);
    EXPECT_NE(env.restartOps[0].first.find(L"zt.ime."), std::wstring::npos);
}

TEST(FileInstall, AMappedTableIsWrittenInPlace) {
    TempDir dir;
    TestEnvironment env;
    std::wstring source = dir / L"new.dmg", target = dir / L"main.dmg";
    WriteFileBytes(source, std::string(100, 'n'));
    WriteFileBytes(target, std::string(60, 'o'));
    MappedFile* mapped = nullptr;
    ASSERT_GT(MappedFile::Open(&mapped, target.c_str()), 0);
    ASSERT_TRUE(mapped->IsMapped());
    MappedFilePtr user(mapped);
    FileInstaller files{env};
    EXPECT_EQ(files.InstallDataFile(source, target), FileInstallResult::kInstalled);
    EXPECT_FALSE(files.rebootNeeded);
    user.reset();
    EXPECT_EQ(Content(target), std::string(100, 'n'));
}

TEST(FileInstall, TheAclsOfCodeAndData) {
    // An old ACL: an explicit entry of ALL APPLICATION PACKAGES with full access (as earlier
    // installs left it) and an inherited one of the administrators.
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:(A;OICI;GA;;;S-1-15-2-1)(A;OICIID;GA;;;BA)", SDDL_REVISION_1, &sd, nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL old = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(sd, &present, &old, &defaulted));
    const struct {
        AccessKind kind;
        bool inherit;
        std::vector<std::wstring> expected;  // SIDs in order
        DWORD rights;
    } cases[] = {
        {AccessKind::kCode,
         true,
         {L"S-1-15-2-1", L"S-1-5-32-544"},
         FILE_GENERIC_READ | FILE_GENERIC_EXECUTE},
        {AccessKind::kData,
         true,
         {L"S-1-1-0", L"S-1-15-2-1", L"S-1-5-32-544"},
         FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE},
        {AccessKind::kCode,
         false,
         {L"S-1-15-2-1", L"S-1-5-32-544"},
         FILE_GENERIC_READ | FILE_GENERIC_EXECUTE},
    };
    for (const auto& c : cases) {
        PACL acl = BuildAccessAcl(old, c.kind, c.inherit);
        ASSERT_NE(acl, nullptr);
        ASSERT_EQ(acl->AceCount, c.expected.size());
        for (DWORD i = 0; i < acl->AceCount; ++i) {
            ACCESS_ALLOWED_ACE* ace = nullptr;
            ASSERT_TRUE(GetAce(acl, i, reinterpret_cast<void**>(&ace)));
            wchar_t* sid = nullptr;
            ConvertSidToStringSidW(reinterpret_cast<PSID>(&ace->SidStart), &sid);
            EXPECT_EQ(std::wstring(sid), c.expected[i]) << i;
            LocalFree(sid);
            bool inherited = (ace->Header.AceFlags & INHERITED_ACE) != 0;
            EXPECT_EQ(inherited, i + 1 == acl->AceCount);  // inherited entries last
            if (!inherited) {
                // No full control, no right to change the ACL or the owner.
                EXPECT_EQ(ace->Mask, c.rights);
                EXPECT_EQ(
                    (ace->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) != 0,
                    c.inherit);
            }
        }
        LocalFree(acl);
    }
    LocalFree(sd);
}

TEST(FileInstall, OnlyOurPendingDeletionsAreTakenBack) {
    std::vector<std::wstring> pairs = {
        L"\\??\\C:\\windows\\system32\\zt.ime",
        L"",  // ours: goes
        L"\\??\\C:\\windows\\system32\\zt.ime.{1}.old",
        L"",  // the renamed old one
        L"\\??\\C:\\ProgramData\\ZantorIME3\\{G}\\215.7\\main.dmg",
        L"",  // in our folder: goes
        L"\\??\\C:\\ProgramData\\ZantorIME3\\{G}\\215.7",
        L"",  // the folder: goes
        L"\\??\\C:\\ProgramData\\ZantorIME3\\{G}\\215.70\\x",
        L"",  // another folder
        L"\\??\\C:\\tmp\\a.tmp",
        L"!\\??\\C:\\windows\\system32\\zt.ime",  // a replacement
        L"\\??\\C:\\other\\file",
        L"",  // someone else's
    };
    std::vector<std::wstring> kept = WithoutOurDeletions(
        pairs, {L"C:\\Windows\\System32\\ZT.IME"}, {L"C:\\ProgramData\\ZantorIME3\\{G}\\215.7\\"});
    EXPECT_EQ(kept, (std::vector<std::wstring>{L"\\??\\C:\\windows\\system32\\zt.ime.{1}.old", L"",
                                               L"\\??\\C:\\ProgramData\\ZantorIME3\\{G}\\215.70\\x",
                                               L"", L"\\??\\C:\\tmp\\a.tmp",
                                               L"!\\??\\C:\\windows\\system32\\zt.ime",
                                               L"\\??\\C:\\other\\file", L""}));

    // The machine's list, through a real scheduled deletion.
    TempDir dir;
    std::wstring file = dir / L"gone.dat", keep = dir / L"kept.dat";
    WriteFileBytes(file, std::string("x"));
    WriteFileBytes(keep, std::string("x"));
    std::vector<std::wstring> before = ReadPendingOperations();
    ASSERT_TRUE(MoveFileExW(file.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(MoveFileExW(keep.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(ReadPendingOperations().size(), before.size() + 4);
    EXPECT_TRUE(CancelOurPendingDeletions({file}, {}));
    std::vector<std::wstring> after = ReadPendingOperations();
    ASSERT_EQ(after.size(), before.size() + 2);
    EXPECT_NE(after[after.size() - 2].find(L"kept.dat"), std::wstring::npos);
    WritePendingOperations(before);
}
