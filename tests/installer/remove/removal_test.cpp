// The removal core over scratch folders and keys: links of hostile names, busy files left
// for the restart, parents removed only when empty, the last-product test, product keys.
#include "installer/remove/removal.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <set>
#include <string>

#include "core/base/handles.h"
#include "core/base/registry.h"
#include "installer/install/product_registry.h"
#include "installer/install/shortcuts.h"
#include "support/install_environment.h"
#include "support/registry_snapshot.h"
#include "support/test_files.h"

using namespace testing_support;

namespace {

std::set<std::wstring> Files(const std::wstring& folder) {
    std::set<std::wstring> lines;
    AddFileLines(folder, L"", lines);
    return lines;
}

void CreateKey(const std::wstring& path, REGSAM view = KEY_WOW64_64KEY) {
    zan::UniqueKey k;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                    k.put(), nullptr);
}

bool KeyExists(const std::wstring& path, REGSAM view = KEY_WOW64_64KEY) {
    zan::UniqueKey k;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, k.put()) ==
           ERROR_SUCCESS;
}

}  // namespace

TEST(Removal, FoldersARemovalMayEmpty) {
    const struct {
        const wchar_t* folder;
        bool removable;
    } cases[] = {
        {L"C:\\Program Files\\zan\\", true},
        {L"C:\\a\\b", true},
        {L"\\\\server\\share\\a\\b\\", true},
        {L"C:\\", false},
        {L"C:\\Program Files\\", false},
        {L"C:\\a\\..\\b\\", false},
        {L"", false},
        {L"relative\\path\\", false},
        {L"\\\\server\\share\\a\\", false},
        {L"C:\\a\\\\b\\", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsRemovableFolder(c.folder), c.removable) << Narrow(c.folder);
}

TEST(Removal, ShortcutsGoOnlyForASafeNameAndOnlyTheKnownLinks) {
    TempDir programs;
    TestEnvironment env;
    env.programs = programs.path() + L"\\";
    // Our folder with our links and one of the user's; another product's folder.
    std::wstring ours = env.programs + L"zan\\";
    CreateDirectoryW(ours.c_str(), nullptr);
    for (const ProductLink& l : kProductLinks)
        WriteFileBytes(ProductLinkPath(ours, l, L"zan"), std::string("link"));
    WriteFileBytes(ours + L"mine.lnk", std::string("link"));
    CreateDirectoryW((env.programs + L"other").c_str(), nullptr);
    WriteFileBytes(env.programs + L"other\\设置other.lnk", std::string("link"));
    WriteFileBytes(env.programs + L"loose.lnk", std::string("link"));

    for (const wchar_t* hostile :
         {L"", L".", L"..", L"...", L"zan\\..", L"..\\other", L"a/b", L"\\", L"C:", L"  ",
          L"名字名字名字名字名字名字名字名字名字名字名字名字名字名字名字名字名字名字名字名字名字名"
          L"字"
          L"名字名字名字名字名字名字名字名字名字名字名字"}) {
        SCOPED_TRACE(Narrow(hostile));
        std::set<std::wstring> before = Files(programs.path());
        EXPECT_FALSE(RemoveShortcuts(env, hostile));
        EXPECT_EQ(Files(programs.path()), before);
    }
    // Our links go; the user's link keeps the folder; the rest stays.
    EXPECT_FALSE(RemoveShortcuts(env, L"zan"));
    EXPECT_EQ(Files(programs.path()),
              (std::set<std::wstring>{L"zan\\", L"zan\\mine.lnk", L"other\\",
                                      L"other\\设置other.lnk", L"loose.lnk"}));
    DeleteFileW((ours + L"mine.lnk").c_str());
    EXPECT_TRUE(RemoveShortcuts(env, L"zan"));
    EXPECT_FALSE(DirExists(ours));
}

TEST(Removal, BusyFilesAreLeftForTheRestartWhenAsked) {
    for (bool delay : {false, true}) {
        SCOPED_TRACE(delay ? "delayed" : "not delayed");
        TempDir root;
        TestEnvironment env;
        std::wstring folder = root / L"zan\\215.7\\";
        CreateDirectoryW((root / L"zan").c_str(), nullptr);
        CreateDirectoryW(folder.c_str(), nullptr);
        CreateDirectoryW((folder + L"skins").c_str(), nullptr);
        WriteFileBytes(folder + L"skins\\a.col", std::string("x"));
        WriteFileBytes(folder + L"main.dmg", std::string("x"));
        zan::UniqueHandle held(CreateFileW((folder + L"main.dmg").c_str(), GENERIC_READ, 0, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        RemovalOutcome outcome;
        RemoveFolderTree(env, folder, delay, outcome);
        EXPECT_FALSE(FileExists(folder + L"skins\\a.col"));
        EXPECT_TRUE(FileExists(folder + L"main.dmg"));
        EXPECT_EQ(outcome.rebootNeeded, delay);
        EXPECT_EQ(outcome.leftOver, !delay);
        if (delay) {
            // The file first, then the folder that keeps it.
            ASSERT_EQ(env.restartOps.size(), 2u);
            EXPECT_EQ(env.restartOps[0].first, folder + L"main.dmg");
            EXPECT_EQ(env.restartOps[0].second, L"");
            EXPECT_EQ(env.restartOps[1].first, root / L"zan\\215.7");
        } else {
            EXPECT_TRUE(env.restartOps.empty());
        }
    }
}

TEST(Removal, AVersionFoldersParentGoesOnlyWhenEmpty) {
    for (bool othersThere : {true, false}) {
        SCOPED_TRACE(othersThere ? "the user's things beside it" : "nothing beside it");
        TempDir root;
        TestEnvironment env;
        env.system = root / L"sys\\";
        env.wow64 = root / L"sys32\\";
        env.cache = root / L"nocache\\";
        std::wstring tools = root / L"Tools\\";
        CreateDirectoryW(tools.c_str(), nullptr);
        if (othersThere) WriteFileBytes(tools + L"notes.txt", std::string("mine"));
        std::wstring install = tools + L"215.7\\";
        CreateDirectoryW(install.c_str(), nullptr);
        WriteFileBytes(install + L"config.exe", std::string("MZ"));
        RemovalOutcome outcome;
        RemoveImeFiles(env, NewGuidText().c_str(), nullptr, install.c_str(), true, outcome);
        EXPECT_FALSE(DirExists(install));
        EXPECT_EQ(DirExists(tools), othersThere);
        if (othersThere) {
            EXPECT_TRUE(FileExists(tools + L"notes.txt"));
        }
    }
}

TEST(Removal, BusyImeFilesAreAlwaysLeftForTheRestart) {
    TempDir root;
    TestEnvironment env;
    env.system = root / L"sys\\";
    env.wow64 = root / L"sys32\\";
    env.cache = root / L"nocache\\";
    CreateDirectoryW(env.system.c_str(), nullptr);
    CreateDirectoryW(env.wow64.c_str(), nullptr);
    std::wstring guid = NewGuidText();
    std::wstring key = std::wstring(kFamilyKey) + L"\\" + guid;
    WriteRegistryString(HKEY_LOCAL_MACHINE, key.c_str(), L"IMEName", L"ztbusy");
    WriteFileBytes(env.system + L"ztbusy.ime", std::string("MZ"));
    WriteFileBytes(env.wow64 + L"ztbusy.ime", std::string("MZ"));
    zan::UniqueHandle held(CreateFileW((env.system + L"ztbusy.ime").c_str(), GENERIC_READ, 0,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    RemovalOutcome outcome;
    RemoveImeFiles(env, guid.c_str(), nullptr, nullptr, false, outcome);
    EXPECT_FALSE(FileExists(env.wow64 + L"ztbusy.ime"));
    EXPECT_TRUE(outcome.rebootNeeded);
    ASSERT_EQ(env.restartOps.size(), 1u);
    EXPECT_EQ(env.restartOps[0].first, env.system + L"ztbusy.ime");
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, key.c_str());
}

TEST(Removal, LastProductOfTheFamily) {
    std::wstring ours = NewGuidText(), other = NewGuidText();
    const struct {
        const char* name;
        std::vector<std::wstring> folders, files;
        bool otherKey;
        bool last;
    } cases[] = {
        {"nothing there", {}, {}, false, true},
        {"only our folder", {ours, ours + L"\\215.7"}, {ours + L"\\215.7\\main.dmg"}, false, true},
        {"our restart marker left", {}, {ours + L".lock"}, false, true},
        {"an empty folder of another product", {other}, {}, false, true},
        {"another product's data", {other}, {other + L"\\main.dmg"}, false, false},
        {"a file of someone", {}, {L"notes.txt"}, false, false},
        {"another product's key", {}, {}, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir root;
        TestEnvironment env;
        env.appData = root.path() + L"\\";
        std::wstring family = env.appData + L"ZantorIME3\\";
        CreateDirectoryW(family.c_str(), nullptr);
        for (const auto& d : c.folders) CreateDirectoryW((family + d).c_str(), nullptr);
        for (const auto& f : c.files) WriteFileBytes(family + f, std::string("x"));
        // A family key of its own: tests running beside this one add products to the real one.
        env.familyKey = L"Software\\zan-tests\\" + ours;
        std::wstring otherKey = env.familyKey + L"\\" + other;
        if (c.otherKey) {
            CreateKey(otherKey, KEY_WOW64_32KEY);
            zan::UniqueKey k;
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, otherKey.c_str(), 0, KEY_SET_VALUE | KEY_WOW64_32KEY,
                          k.put());
            std::wstring folder = root.path() + L"\\";
            RegSetValueExW(k.get(), L"InstallLocation", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(folder.c_str()),
                           static_cast<DWORD>((folder.size() + 1) * 2));
        }
        EXPECT_EQ(IsLastProduct(env, ours.c_str()), c.last);
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, env.familyKey.c_str(), KEY_WOW64_32KEY);
    }
}

TEST(Removal, ProductKeysOfBothViewsAndTheUninstallEntryGo) {
    std::wstring guid = NewGuidText(), neighbour = NewGuidText();
    std::wstring product = std::wstring(kFamilyKey) + L"\\" + guid;
    std::wstring entry = std::wstring(kUninstallKey) + L"\\" + guid;
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        CreateKey(product + L"\\nested\\deeper", view);
        CreateKey(std::wstring(kFamilyKey) + L"\\" + neighbour, view);
    }
    CreateKey(entry + L"\\sub");
    for (const wchar_t* bad : {L"", L"*", L"..\\x"}) EXPECT_FALSE(DeleteProductKeys(bad));
    EXPECT_TRUE(KeyExists(product + L"\\nested\\deeper"));
    EXPECT_TRUE(DeleteProductKeys(guid.c_str()));
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        EXPECT_FALSE(KeyExists(product, view));
        EXPECT_TRUE(KeyExists(std::wstring(kFamilyKey) + L"\\" + neighbour, view));
        DeleteRegistryTree(HKEY_LOCAL_MACHINE,
                           (std::wstring(kFamilyKey) + L"\\" + neighbour).c_str(), view);
    }
    EXPECT_FALSE(KeyExists(entry));
}
