// The wizard's folders and the checks of its Install button, over scratch product keys and
// folders.
#include "installer/wizard/install_checks.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/base/registry.h"
#include "installer/install/product_registry.h"
#include "support/install_environment.h"
#include "support/test_files.h"

using namespace testing_support;

namespace {

// A product key of the tests (64-bit view), removed at the end.
struct ProductKey {
    std::wstring guid = NewGuidText();
    std::wstring path = std::wstring(kFamilyKey) + L"\\" + guid;
    ~ProductKey() { DeleteRegistryTree(HKEY_LOCAL_MACHINE, path.c_str()); }
    void Set(const wchar_t* name, const std::wstring& value) const {
        WriteRegistryString(HKEY_LOCAL_MACHINE, path.c_str(), name, value.c_str());
    }
};

std::unique_ptr<SoftConfigData> Package(const wchar_t* name, uint32_t minor) {
    auto soft = std::make_unique<SoftConfigData>();
    std::memset(soft.get(), 0, sizeof *soft);
    WriteFieldText(soft->productName, name);
    WriteFieldText(soft->folderName, L"zan");
    soft->dataVersionNumber = minor;
    return soft;
}

// An installed product of guid: installer.exe in its install folder, config.dsc with a
// version in its data folder (or a damaged one).
void Install(const ProductKey& key, const TempDir& root, uint32_t major, uint32_t minor,
             bool damagedConfig = false) {
    std::wstring install = root / L"zan\\215.1\\", data = root / L"data\\";
    CreateDirectoryW((root / L"zan").c_str(), nullptr);
    CreateDirectoryW(install.c_str(), nullptr);
    CreateDirectoryW(data.c_str(), nullptr);
    WriteFileBytes(install + L"installer.exe", std::string("MZ"));
    CreateConfigFile((data + L"config.dsc").c_str());
    std::vector<uint8_t> config = ReadFileBytes(data + L"config.dsc");
    std::memcpy(&config[kSoftBlockOffset + offsetof(SoftConfigData, buildNumber)], &major, 4);
    std::memcpy(&config[kSoftBlockOffset + offsetof(SoftConfigData, dataVersionNumber)], &minor, 4);
    if (damagedConfig) config.resize(kSoftBlockOffset + 100);  // the soft block cut short
    WriteFileBytes(data + L"config.dsc", config);
    key.Set(L"InstallLocation", install);
    key.Set(L"DataLocation", data);
    key.Set(L"IMEName", L"ztcheck");
}

}  // namespace

TEST(InstallChecks, FoldersOfTheWizard) {
    TestEnvironment env;
    env.programFiles = L"C:\\Program Files\\";
    auto soft = Package(L"zan", 7);
    ProductKey key;
    EXPECT_EQ(DefaultInstallFolder(env, key.guid.c_str(), *soft), L"C:\\Program Files\\zan\\");
    // Installed: the parent of its version folder.
    key.Set(L"InstallLocation", L"D:\\Tools\\zan\\215.3\\");
    EXPECT_EQ(DefaultInstallFolder(env, key.guid.c_str(), *soft), L"D:\\Tools\\zan\\");
    EXPECT_EQ(ChosenFolderWithProduct(L"D:\\Tools", *soft), L"D:\\Tools\\zan\\");
    EXPECT_EQ(ChosenFolderWithProduct(L"D:\\", *soft), L"D:\\zan\\");
    env.appData = L"C:\\ProgramData\\";
    EXPECT_EQ(PendingRestartMarker(env, L"{G}"), L"C:\\ProgramData\\ZantorIME3\\{G}.lock");
}

TEST(InstallChecks, VersionsCompare) {
    const struct {
        uint32_t major, minor, package;
        UpgradeKind kind;
    } cases[] = {
        {215, 3, 7, UpgradeKind::kOlderInstalled}, {215, 7, 7, UpgradeKind::kSameInstalled},
        {215, 9, 7, UpgradeKind::kNewerInstalled}, {214, 99, 7, UpgradeKind::kOlderInstalled},
        {216, 0, 7, UpgradeKind::kNewerInstalled}, {0, 0, 7, UpgradeKind::kOlderInstalled},
    };
    for (const auto& c : cases) EXPECT_EQ(CompareVersions(c.major, c.minor, c.package), c.kind);
}

TEST(InstallChecks, EveryProductOfANameIsFound) {
    // Two products of one name: the one found last must not hide the other.
    ProductKey a, b;
    std::wstring name = L"同名" + a.guid;
    a.Set(L"DisplayName", name);
    b.Set(L"DisplayName", name);
    TestEnvironment env;
    std::vector<std::wstring> found = FindInstalledInputMethods(env, L"DisplayName", name);
    EXPECT_EQ(found.size(), 2u);
    TempDir root;
    env.appData = root.path() + L"\\";
    auto soft = Package(name.c_str(), 7);
    for (const ProductKey* ours : {&a, &b}) {
        EXPECT_EQ(CheckInstall(env, nullptr, ours->guid.c_str(), *soft, root / L"zan\\").verdict,
                  InstallCheck::kSameNameInstalled);
    }
}

TEST(InstallChecks, TheChecksInTheirOrder) {
    const struct {
        const char* name;
        int installed;  // 0 none, else the installed minor (215.x); -1 damaged settings
        bool marker, sameNameElsewhere, folderElsewhere, emptyFolder;
        int answer;
        InstallCheck verdict;
        UpgradeKind upgrade;
        const wchar_t* shown;  // part of the message or question
    } cases[] = {
        {"a fresh install", 0, false, false, false, false, IDYES, InstallCheck::kProceed,
         UpgradeKind::kNone, nullptr},
        {"a removal waits for the restart", 0, true, true, false, true, IDYES,
         InstallCheck::kRestartPending, UpgradeKind::kNone, L"重新启动计算机"},
        {"the name of another product", 0, false, true, false, true, IDYES,
         InstallCheck::kSameNameInstalled, UpgradeKind::kNone, L"相同名称"},
        {"no folder", 0, false, false, true, true, IDYES, InstallCheck::kNoFolder,
         UpgradeKind::kNone, L"请指定正确的安装目录"},
        {"the folder of another product", 0, false, false, true, false, IDYES,
         InstallCheck::kFolderOfAnother, UpgradeKind::kNone, L"被其它输入法占用"},
        {"older installed, replaced", 3, false, false, false, false, IDYES, InstallCheck::kProceed,
         UpgradeKind::kOlderInstalled, L"早期版本"},
        {"older installed, kept", 3, false, false, false, false, IDNO,
         InstallCheck::kUpgradeDeclined, UpgradeKind::kOlderInstalled, L"早期版本"},
        {"same installed", 7, false, false, false, false, IDYES, InstallCheck::kProceed,
         UpgradeKind::kSameInstalled, L"覆盖安装"},
        {"newer installed", 9, false, false, false, false, IDYES, InstallCheck::kNewerInstalled,
         UpgradeKind::kNewerInstalled, L"不允许降级"},
        {"damaged settings count as 0.0", -1, false, false, false, false, IDYES,
         InstallCheck::kProceed, UpgradeKind::kOlderInstalled, L"早期版本"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir root;
        TestEnvironment env;
        env.appData = root.path() + L"\\";
        env.answers = {c.answer};
        ProductKey ours, other;
        std::wstring name = L"测试" + ours.guid;
        auto soft = Package(name.c_str(), 7);
        std::wstring folder = c.emptyFolder ? L"" : root / L"zan\\";
        if (c.installed > 0) Install(ours, root, 215, c.installed);
        if (c.installed < 0) Install(ours, root, 215, 3, true);
        ours.Set(L"DisplayName", name);  // our own name never blocks
        if (c.marker) {
            CreateDirectoryW((root / L"ZantorIME3").c_str(), nullptr);
            WriteFileBytes(root / (L"ZantorIME3\\" + ours.guid + L".lock"), std::string());
        }
        if (c.sameNameElsewhere) other.Set(L"DisplayName", name);
        if (c.folderElsewhere) other.Set(L"InstallLocation", root / L"zan\\215.7\\");
        InstallCheckResult r = CheckInstall(env, nullptr, ours.guid.c_str(), *soft, folder);
        EXPECT_EQ(r.verdict, c.verdict);
        EXPECT_EQ(r.upgrade, c.upgrade);
        if (c.shown) {
            ASSERT_EQ(env.questions.size(), 1u);
            EXPECT_NE(env.questions[0].find(c.shown), std::wstring::npos)
                << Narrow(env.questions[0]);
        } else {
            EXPECT_TRUE(env.questions.empty());
        }
    }
}
