// A throw-away installation of the input method for the IMM32 tests: registry values,
// data folder with a main table and a config.dsc whose keys type keypad codes.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/base/registry.h"
#include "core/settings/config_blocks.h"
#include "core/table/table_format.h"
#include "support/table_fixture.h"
#include "support/test_files.h"

namespace imm_test {

using testing_support::FixtureEntry;
using testing_support::TempDir;

inline std::wstring GuidText(const GUID& g) {
    wchar_t text[40];
    StringFromGUID2(g, text, 40);
    return text;
}

// Keypad digits as code characters, Space commits the highlighted row, the main-row digits
// commit their row, paging, Backspace, Escape and the caret keys edit the code.
inline void WriteTypingSettings(uint8_t* view, const GUID& guid) {
    std::memcpy(view + kSoftBlockOffset + offsetof(SoftConfigData, guid), &guid, 16);
    auto* ime = reinterpret_cast<ImeConfigData*>(view + kImeBlockOffset);
    auto* dme = reinterpret_cast<DmeConfigData*>(view + kDmeBlockOffset);
    auto* soft = reinterpret_cast<SoftConfigData*>(view + kSoftBlockOffset);
    ime->options = kImeMainTable;
    ime->listOptions = 5u << kListPageShift;
    std::wcscpy(soft->productName, L"赞键盘输入法");
    for (int c = 0x10; c <= 0x19; ++c) dme->keyClass[c] = kKeyCodeStart | kKeyCodeContinue;
    KeyFunctionTables* keys = &dme->keys;
    SetKeyFunction(keys, VK_SPACE, keyfn::kCommit);
    for (int n = 1; n <= 9; ++n)
        SetKeyFunction(keys, '0' + n, WithKeyFunctionIndex(keyfn::kCommit, n));
    SetKeyFunction(keys, VK_NEXT, keyfn::kPageDown);
    SetKeyFunction(keys, VK_PRIOR, keyfn::kPageUp);
    SetKeyFunction(keys, VK_BACK, keyfn::kDeleteBefore);
    SetKeyFunction(keys, VK_DELETE, keyfn::kDeleteAfter);
    SetKeyFunction(keys, VK_ESCAPE, keyfn::kClearInput);
    SetKeyFunction(keys, VK_LEFT, keyfn::kCaretLeft);
    SetKeyFunction(keys, VK_RIGHT, keyfn::kCaretRight);
    SetKeyFunction(keys, VK_RETURN, WithKeyFunctionIndex(keyfn::kCommit, 11));
}

class ImeInstallation {
public:
    // A main table of entries under guid; tables: extra data files copied from a folder.
    ImeInstallation(const GUID& guid, const std::wstring& imeName) : guid_(guid) {
        keyPath_ = L"Software\\ZantorIME3\\" + GuidText(guid) + L"\\";
        Write(L"IMEName", imeName);
        Write(L"InstallLocation", install_.path() + L"\\");
        Write(L"DataLocation", data_.path() + L"\\");
        CreateConfigFile(Path(L"config.dsc").c_str());
        EditConfig([&](uint8_t* v) { WriteTypingSettings(v, guid_); });
    }
    ~ImeInstallation() { DeleteRegistryTree(HKEY_LOCAL_MACHINE, keyPath_.c_str()); }
    ImeInstallation(const ImeInstallation&) = delete;
    ImeInstallation& operator=(const ImeInstallation&) = delete;

    std::wstring Path(const wchar_t* name) const { return data_ / name; }
    const std::wstring& InstallPath() const { return install_.path(); }

    void WriteMain(std::vector<FixtureEntry> entries) const {
        std::vector<uint8_t> t = testing_support::MakeCodeTable(std::move(entries));
        std::memcpy(&t[12], &guid_, 16);
        const uint16_t version = kTableVersion;
        std::memcpy(&t[28], &version, 2);
        testing_support::WriteFileBytes(Path(L"main.dmg"), t);
    }
    bool CopyTable(const std::wstring& from, const wchar_t* name) const {
        return CopyFileW((from + L"\\" + name).c_str(), Path(name).c_str(), FALSE) != 0;
    }
    void EditConfig(const std::function<void(uint8_t*)>& edit) const {
        std::vector<uint8_t> b = testing_support::ReadFileBytes(Path(L"config.dsc"));
        if (b.size() != kConfigFileSize) return;
        edit(b.data());
        testing_support::WriteFileBytes(Path(L"config.dsc"), b);
    }
    void Write(const wchar_t* name, const std::wstring& value) const {
        WriteRegistryString(HKEY_LOCAL_MACHINE, keyPath_.c_str(), name, value.c_str());
    }

private:
    GUID guid_;
    std::wstring keyPath_;
    TempDir data_, install_;
};

}  // namespace imm_test
