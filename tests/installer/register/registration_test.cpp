// Registration of the input method with the framework and IMM32: the branches over a fake
// profile object, and the real registration in the Wine prefix, undone again.
#include "installer/register/registration.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstring>
#include <memory>
#include <string>

#include "core/base/handles.h"
#include "core/base/registry.h"
#include "installer/register/clsid_keys.h"
#include "installer/register/keyboard_layout.h"
#include "installer/register/tip_categories.h"
#include "support/install_environment.h"
#include "support/test_files.h"
#include "textservice/tsf/tsf_compat.h"

using testing_support::FakeCategories;
using testing_support::FakeProfiles;
using testing_support::NewGuidText;
using testing_support::TempDir;
using testing_support::TestEnvironment;

namespace {

struct ComScope {
    ComScope() { CoInitialize(nullptr); }
    ~ComScope() { CoUninitialize(); }
};

bool KeyExists(HKEY root, const std::wstring& path, REGSAM view = KEY_WOW64_64KEY) {
    zan::UniqueKey k;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, k.put()) == ERROR_SUCCESS;
}

std::wstring ReadDefault(const std::wstring& path, REGSAM view, const wchar_t* name = nullptr) {
    wchar_t text[MAX_PATH]{};
    DWORD bytes = sizeof text;
    zan::UniqueKey k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, k.put()) !=
            ERROR_SUCCESS ||
        RegGetValueW(k.get(), nullptr, name, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
            ERROR_SUCCESS) {
        return {};
    }
    return text;
}

// A product of the tests: soft and ime blocks, a data folder with config.dsc, its product
// key (IMEName, LANGID) removed at the end, and whatever registration it got undone.
struct Product {
    std::wstring guidText = NewGuidText();
    std::wstring imeName = L"zt" + guidText.substr(1, 8);
    TempDir data;
    std::unique_ptr<SoftConfigData> soft = std::make_unique<SoftConfigData>();
    std::unique_ptr<ImeConfigData> ime = std::make_unique<ImeConfigData>();

    Product(uint32_t flags, uint32_t options) {
        std::memset(soft.get(), 0, sizeof *soft);
        std::memset(ime.get(), 0, sizeof *ime);
        WriteFieldText(soft->imeName, imeName.c_str());
        WriteFieldText(soft->languageName, L"测试输入法");
        soft->installFlags = flags;
        ime->options = options;
        EXPECT_EQ(CreateConfigFile(DataFile(L"config.dsc").c_str()), 1);
        std::wstring key = L"Software\\ZantorIME3\\" + guidText;
        zan::UniqueKey k;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, k.put(), nullptr);
        RegSetValueExW(k.get(), L"IMEName", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(imeName.c_str()),
                       static_cast<DWORD>((imeName.size() + 1) * 2));
    }
    ~Product() {
        TestEnvironment env;
        UnregisterInputMethod(env, guidText.c_str(), nullptr, nullptr);
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, (L"Software\\ZantorIME3\\" + guidText).c_str());
    }
    std::wstring DataFile(const wchar_t* name) const { return data.path() + L"\\" + name; }
    std::wstring DataFolder() const { return data.path() + L"\\"; }
    RegistrationResult Register(InstallEnvironment& env) {
        return RegisterInputMethod(env, guidText.c_str(), DataFolder().c_str(), *soft, *ime);
    }
    std::wstring ClassKey() const { return L"Software\\Classes\\CLSID\\" + guidText; }
    std::wstring TipKey() const { return L"Software\\Microsoft\\CTF\\TIP\\" + guidText; }
    uint32_t StoredOptions() const {
        auto bytes = testing_support::ReadFileBytes(DataFile(L"config.dsc"));
        uint32_t v = 0;
        std::memcpy(&v, &bytes[kImeBlockOffset + offsetof(ImeConfigData, options)], 4);
        return v;
    }
};

std::vector<std::string> Without(std::vector<std::string> calls, const char* name) {
    std::erase(calls, std::string(name));
    return calls;
}

}  // namespace

TEST(Registration, CategoriesFollowTheFixedOrderAndTheWindows8Pair) {
    ComScope com;
    for (unsigned version : {0x0601u, kWindows8}) {
        TestEnvironment env;
        FakeCategories categories;
        env.categories = &categories;
        env.version = version;
        CLSID clsid{};
        ASSERT_TRUE(RegisterTipCategories(env, clsid, clsid));
        size_t expected = version >= kWindows8 ? 8 : 6;
        ASSERT_EQ(categories.registered.size(), expected);
        for (size_t i = 0; i < expected; ++i)
            EXPECT_TRUE(IsEqualGUID(categories.registered[i], *kTipCategories[i].guid)) << i;
        EXPECT_TRUE(IsEqualGUID(categories.registered[0], GUID_TFCAT_TIP_KEYBOARD));

        // Unregistering asks for all eight whatever the version or earlier refusals give.
        categories.failures["UnregisterCategory"] = E_FAIL;
        UnregisterTipCategories(env, clsid, clsid);
        EXPECT_EQ(categories.unregistered.size(), 8u);
    }
    // A refusal stops the registration of the rest.
    TestEnvironment env;
    FakeCategories categories;
    env.categories = &categories;
    categories.failures["RegisterCategory"] = E_FAIL;
    CLSID clsid{};
    EXPECT_FALSE(RegisterTipCategories(env, clsid, clsid));
    EXPECT_EQ(categories.calls.size(), 1u);
}

TEST(Registration, Windows8BranchesOverAFakeProfileObject) {
    ComScope com;
    const struct {
        const char* name;
        uint32_t flags, options;
        const char* failing;  // method of the fake that fails, or null
        bool noProfiles;
        RegistrationResult result;
        bool classKeys;
    } cases[] = {
        {"text service with its mode on", kInstallCarriesTextService, kImeProfileModeOn, nullptr,
         false, kRegistered, true},
        {"no text service in the package", 0, kImeProfileModeOn, nullptr, false,
         kRegistrationRefused, false},
        {"mode off is switched on", kInstallCarriesTextService, 0, nullptr, false, kRegistered,
         true},
        // Without the profile object nothing would be registered: a refusal.
        {"no profile object", kInstallCarriesTextService, kImeProfileModeOn, nullptr, true,
         kRegistrationRefused, true},
        {"Register refused", kInstallCarriesTextService, kImeProfileModeOn, "Register", false,
         kRegistrationRefused, true},
        {"profile refused", kInstallCarriesTextService, kImeProfileModeOn, "AddLanguageProfile",
         false, kRegistrationRefused, true},
        {"category refused", kInstallCarriesTextService, kImeProfileModeOn, "RegisterCategory",
         false, kRegistrationRefused, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Product p(c.flags, c.options);
        TestEnvironment env;
        FakeProfiles profiles;
        FakeCategories categories;
        env.profiles = &profiles;
        env.categories = &categories;
        env.noProfiles = c.noProfiles;
        if (c.failing) {
            profiles.failures[c.failing] = E_FAIL;
            categories.failures[c.failing] = E_FAIL;
        }
        EXPECT_EQ(p.Register(env), c.result);
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, p.ClassKey()), c.classKeys);
        if (c.result == kRegistered) {
            // Clean start first, then registration and enabling in order.
            EXPECT_EQ(Without(profiles.calls, "RemoveLanguageProfile"),
                      (std::vector<std::string>{"Unregister", "Register", "AddLanguageProfile",
                                                "EnableLanguageProfileByDefault",
                                                "EnableLanguageProfile"}));
            EXPECT_EQ(profiles.enabled, TRUE);
            EXPECT_EQ(profiles.language, 2052);
            EXPECT_EQ(profiles.description, L"测试输入法");
            EXPECT_EQ(profiles.iconFile, ImeFilePath32(env, p.imeName.c_str()));
            EXPECT_EQ(categories.registered.size(), 8u);
            // A mode that was off is switched on in the installed settings too.
            EXPECT_TRUE(p.ime->options & kImeProfileModeMask);
            EXPECT_EQ((p.StoredOptions() & kImeProfileModeMask) != 0, c.options == 0);
        }
        if (c.failing && std::string(c.failing) != "RegisterCategory") {
            // A refused step skips the enabling.
            EXPECT_EQ(profiles.enabled, -1);
        }
        if (!c.flags) {
            EXPECT_EQ(p.StoredOptions(), 0u);  // nothing written on a refusal
        }
    }
}

TEST(Registration, BeforeWindows8TheImeLayoutComesFirstAndIsSubstituted) {
    ComScope com;
    const struct {
        const char* name;
        uint32_t flags, options;
        HRESULT substitution;
        RegistrationResult result;
        bool textService;
    } cases[] = {
        {"IME only without the text service", 0, kImeProfileModeOn, S_OK, kRegistered, false},
        {"IME only with the mode off", kInstallCarriesTextService, 0, S_OK, kRegistered, false},
        {"both, substituted", kInstallCarriesTextService, kImeProfileModeOn, S_OK, kRegistered,
         true},
        // Wine's msctf does not substitute layouts; both still work on their own.
        {"both, substitution not implemented", kInstallCarriesTextService, kImeProfileModeOn,
         E_NOTIMPL, kRegistered, true},
        {"both, substitution refused", kInstallCarriesTextService, kImeProfileModeOn, E_FAIL,
         kRegistrationRefused, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Product p(c.flags, c.options);
        TestEnvironment env;
        env.version = 0x0601;
        FakeProfiles profiles;
        FakeCategories categories;
        env.profiles = &profiles;
        env.categories = &categories;
        profiles.failures["SubstituteKeyboardLayout"] = c.substitution;
        EXPECT_EQ(p.Register(env), c.result);
        std::wstring file = p.imeName + L".ime";
        HKL layout = FindImeKeyboardLayout(file.c_str());
        EXPECT_NE(layout, nullptr);
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, p.ClassKey()), c.textService);
        if (c.textService) {
            EXPECT_EQ(profiles.substituted, layout);
            EXPECT_EQ(profiles.enabled, c.result == kRegistered ? TRUE : -1);
            EXPECT_EQ(categories.registered.size(), c.result == kRegistered ? 6u : 0u);
        }
        // The layout goes with the unregistration.
        EXPECT_TRUE(UnregisterInputMethod(env, p.guidText.c_str(), nullptr, nullptr));
        EXPECT_EQ(FindImeKeyboardLayout(file.c_str()), nullptr);
    }
}

TEST(Registration, RealFrameworkKeysAppearAndGoAgain) {
    ComScope com;
    Product p(kInstallCarriesTextService, kImeProfileModeOn);
    TestEnvironment env;
    ASSERT_EQ(p.Register(env), kRegistered);

    std::wstring module64 = ImeFilePath64(env, p.imeName.c_str());
    std::wstring module32 = ImeFilePath32(env, p.imeName.c_str());
    std::wstring server = p.ClassKey() + L"\\InProcServer32";
    EXPECT_EQ(ReadDefault(p.ClassKey(), KEY_WOW64_64KEY), L"zantorTSF");
    EXPECT_EQ(ReadDefault(server, KEY_WOW64_64KEY), module64);
    EXPECT_EQ(ReadDefault(server, KEY_WOW64_64KEY, L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(ReadDefault(server, KEY_WOW64_32KEY), module32);
    EXPECT_EQ(ReadDefault(server, KEY_WOW64_32KEY, L"ThreadingModel"), L"Apartment");

    // The profile through msctf's own enumeration, enabled.
    CLSID clsid;
    ASSERT_EQ(CLSIDFromString(p.guidText.c_str(), &clsid), S_OK);
    ITfInputProcessorProfiles* profiles = nullptr;
    ASSERT_EQ(env.CreateProfiles(&profiles), S_OK);
    IEnumTfLanguageProfiles* e = nullptr;
    bool found = false;
    if (SUCCEEDED(profiles->EnumLanguageProfiles(2052, &e)) && e) {
        TF_LANGUAGEPROFILE lp;
        ULONG got;
        while (e->Next(1, &lp, &got) == S_OK && got == 1)
            found = found || IsEqualCLSID(lp.clsid, clsid);
        e->Release();
    }
    EXPECT_TRUE(found);
    BOOL enabled = FALSE;
    EXPECT_EQ(profiles->IsEnabledLanguageProfile(clsid, 2052, clsid, &enabled), S_OK);
    EXPECT_TRUE(enabled);
    for (const TipCategory& c : kTipCategories) {
        wchar_t cat[40];
        StringFromGUID2(*c.guid, cat, 40);
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE,
                              p.TipKey() + L"\\Category\\Item\\" + p.guidText + L"\\" + cat))
            << testing_support::Narrow(cat);
    }

    EXPECT_TRUE(UnregisterInputMethod(env, p.guidText.c_str(), nullptr, nullptr));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, p.ClassKey()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, p.ClassKey(), KEY_WOW64_32KEY));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, p.TipKey()));
    profiles->Release();
}

TEST(Registration, RealImeLayoutOfWindows7AppearsAndGoesAgain) {
    ComScope com;
    Product p(0, 0);
    TestEnvironment env;
    env.version = 0x0601;
    ASSERT_EQ(p.Register(env), kRegistered);
    std::wstring file = p.imeName + L".ime";
    HKL layout = FindImeKeyboardLayout(file.c_str());
    ASSERT_NE(layout, nullptr);
    wchar_t text[9];
    LayoutText(layout, text);
    std::wstring key = std::wstring(kKeyboardLayoutsKey) + L"\\" + text;
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, key));
    EXPECT_EQ(text[0], L'E');  // an IME layout id

    EXPECT_TRUE(UnregisterInputMethod(env, p.guidText.c_str(), nullptr, nullptr));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key));
}

TEST(Registration, UnregisterRunsTheUninstallCommandWithTheInstallFolder) {
    ComScope com;
    Product p(kInstallCarriesTextService, kImeProfileModeOn);
    TestEnvironment env;
    FakeProfiles profiles;
    FakeCategories categories;
    env.profiles = &profiles;
    env.categories = &categories;
    EXPECT_TRUE(UnregisterInputMethod(env, p.guidText.c_str(),
                                      L"{appPath}tool.exe /clean {appPath}", L"C:\\Prog\\zan\\"));
    ASSERT_EQ(env.launches.size(), 1u);
    EXPECT_EQ(env.launches[0].first, L"C:\\Prog\\zan\\tool.exe");
    EXPECT_EQ(env.launches[0].second, L"/clean C:\\Prog\\zan\\");
    // The profile is removed, the registration and every category undone.
    EXPECT_EQ(profiles.calls, (std::vector<std::string>{"RemoveLanguageProfile", "Unregister"}));
    EXPECT_EQ(categories.unregistered.size(), 8u);

    // Without an IME name nothing was registered: nothing runs.
    TestEnvironment quiet;
    std::wstring other = NewGuidText();
    EXPECT_TRUE(UnregisterInputMethod(quiet, other.c_str(), L"x.exe", L"C:\\"));
    EXPECT_TRUE(quiet.launches.empty());
}

TEST(Registration, ClassKeysAreNeverWrittenOrDeletedForABadGuidText) {
    // An empty text would name "CLSID" itself.
    for (const wchar_t* bad :
         {L"", L"{}", L"{00000000-0000-0000-0000-00000000000}",
          L"00000000-0000-0000-0000-000000000000", L"{00000000-0000-0000-0000-00000000000G}"}) {
        EXPECT_FALSE(IsGuidText(bad));
        EXPECT_FALSE(RemoveClsidKeys(bad));
        EXPECT_FALSE(RegisterTextServiceClsid(bad, L"C:\\x.ime"));
    }
    EXPECT_TRUE(IsGuidText(L"{0aF00000-0000-0000-0000-000000000000}"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID"));
}
