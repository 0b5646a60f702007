// A payload unpacked into a scratch work folder, with scratch machine folders behind a test
// environment: the install sequence's tests and the wizard's share it.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "core/base/handles.h"
#include "core/settings/config_blocks.h"
#include "installer/install/install_sequence.h"
#include "installer/install/product_registry.h"
#include "installer/register/registration.h"
#include "installer/remove/removal.h"
#include "support/install_environment.h"
#include "support/registry_snapshot.h"
#include "support/table_fixture.h"
#include "support/test_files.h"

namespace testing_support {

struct ComScope {
    ComScope() { CoInitialize(nullptr); }
    ~ComScope() { CoUninitialize(); }
};

inline std::wstring ReadValue(const std::wstring& path, const wchar_t* name, REGSAM view,
                              DWORD* bytesOut = nullptr) {
    zan::UniqueKey k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, k.put()) !=
        ERROR_SUCCESS)
        return L"<no key>";
    wchar_t text[1024]{};
    DWORD bytes = sizeof text - 2, type = 0;
    if (RegQueryValueExW(k.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) !=
        ERROR_SUCCESS)
        return L"<no value>";
    if (bytesOut) *bytesOut = bytes;
    return text;
}

struct InstallFixture {
    ComScope com;
    TempDir root;
    TestEnvironment env;
    std::wstring guid = NewGuidText();
    std::wstring imeName = L"zt" + guid.substr(1, 8);
    std::wstring displayName = L"测试输入法" + guid.substr(1, 4);
    std::unique_ptr<SoftConfigData> soft = std::make_unique<SoftConfigData>();
    std::unique_ptr<ImeConfigData> ime = std::make_unique<ImeConfigData>();
    InstallRequest request;
    std::wstring work, unpack;

    InstallFixture() {
        for (const wchar_t* f : {L"sys64", L"sys32", L"appdata", L"programs", L"pf", L"temp",
                                 L"docs", L"windows", L"fonts", L"work", L"work\\zipdatas"}) {
            CreateDirectoryW((root / f).c_str(), nullptr);
        }
        env.system = root / L"sys64\\";
        env.wow64 = root / L"sys32\\";
        env.appData = root / L"appdata\\";
        env.programs = root / L"programs\\";
        env.programFiles = root / L"pf\\";
        env.temp = root / L"temp\\";
        env.documents = root / L"docs\\";
        env.windows = root / L"windows\\";
        env.fonts = root / L"fonts\\";
        env.cache = root / L"nocache\\";
        work = root / L"work";
        unpack = work + L"\\zipdatas";

        std::memset(soft.get(), 0, sizeof *soft);
        std::memset(ime.get(), 0, sizeof *ime);
        WriteFieldText(soft->imeName, imeName.c_str());
        WriteFieldText(soft->productName, displayName.c_str());
        WriteFieldText(soft->languageName, L"测试输入法");
        WriteFieldText(soft->versionText, L"3.0.7");
        WriteFieldText(soft->folderName, L"zan");
        WriteFieldText(soft->comments, L"键盘输入");
        WriteFieldText(soft->updateUrl, L"http://127.0.0.1/update");
        WriteFieldText(soft->uninstallCommand, L"");
        soft->dataVersionNumber = 7;
        soft->installFlags =
            kInstallCarriesTextService | 0x80 | 0x20 | 0x1000 | 0x800 | 0x40 | 0x100;
        ime->options = kImeProfileModeOn;

        WritePayload();
        request.guidText = guid;
        request.soft = soft.get();
        request.ime = ime.get();
        request.unpackDir = unpack;
        request.workProgram = work + L"\\installer.exe";
        request.payloadPath = work + L"\\makedata.zip";
        request.chosenFolder = root / L"pf\\zan\\";
        request.owner = L"owner";
        request.organisation = L"org";
        WriteFileBytes(request.workProgram, std::string("MZ installer"));
        WriteFileBytes(request.payloadPath, std::string("PK\x03\x04 payload"));
    }
    ~InstallFixture() {
        RemovalOutcome ignored;
        RemoveInstallation(env, {guid, displayName, {}, {}, imeName}, ignored);
    }

    void WritePayload() {
        WriteFileBytes(unpack + L"\\zanIME.ime", std::string("MZ ime64"));
        WriteFileBytes(unpack + L"\\zanIME(x86).ime", std::string("MZ ime32"));
        CreateDirectoryW((unpack + L"\\$dataFiles$").c_str(), nullptr);
        CreateConfigFile((unpack + L"\\$dataFiles$\\config.dsc").c_str());
        WriteFileBytes(unpack + L"\\$dataFiles$\\main.dmg",
                       MakeCodeTable({{"\x11", "\xe4\xb8\x80"}}));
        WriteFileBytes(unpack + L"\\config.exe", std::string("MZ config"));
        CreateDirectoryW((unpack + L"\\colourful").c_str(), nullptr);
        WriteFileBytes(unpack + L"\\colourful\\default.col", std::string("PK skin"));
    }

    std::wstring InstallFolder() const { return root / L"pf\\zan\\215.7\\"; }
    std::wstring DataFolder() const { return env.appData + L"ZantorIME3\\" + guid + L"\\215.7\\"; }
    std::wstring ProductKey() const { return std::wstring(kFamilyKey) + L"\\" + guid; }
    std::wstring UninstallEntry() const { return std::wstring(kUninstallKey) + L"\\" + guid; }

    // What an install writes outside the work folder.
    std::set<std::wstring> Snapshot() const {
        std::set<std::wstring> lines;
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            AddRegistryLines(HKEY_LOCAL_MACHINE, ProductKey(), view, lines);
            AddRegistryLines(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID\\" + guid, view, lines);
        }
        AddRegistryLines(HKEY_LOCAL_MACHINE, UninstallEntry(), KEY_WOW64_64KEY, lines);
        AddRegistryLines(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\CTF\\TIP\\" + guid,
                         KEY_WOW64_64KEY, lines);
        for (const wchar_t* f : {L"sys64", L"sys32", L"appdata", L"programs", L"pf", L"windows"})
            AddFileLines(root / f, std::wstring(f) + L"\\", lines);
        return lines;
    }
};

}  // namespace testing_support
