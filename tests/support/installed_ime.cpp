#include "support/installed_ime.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstddef>
#include <cstring>
#include <cwchar>

#include "core/base/registry.h"
#include "core/settings/config_blocks.h"
#include "core/table/table_format.h"

namespace testing_support {

namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }

}  // namespace

std::vector<FixtureEntry> InstalledIme::DefaultMainEntries() { return {{"\x11", "\xe4\xb8\x80"}}; }

InstalledIme::InstalledIme(std::vector<FixtureEntry> mainEntries)
    : mainEntries_(std::move(mainEntries)) {
    CoCreateGuid(&guid);
    StringFromGUID2(guid, guidText, 40);
    wchar_t key[kImeRegistryPathChars]{};
    _snwprintf(key, kImeRegistryPathChars, kImeRegistryFormat, guidText);  // %s: wide here
    keyPath = key;
    WriteValue(L"IMEName", kImeName);
    WriteValue(L"InstallLocation", install.path());
    WriteValue(L"DataLocation", data.path() + L"\\");
    EXPECT_EQ(CreateConfigFile(Path(L"config.dsc").c_str()), 1);
    EditConfig([&](uint8_t* v) {
        std::memcpy(v + kSoftBlockOffset + offsetof(SoftConfigData, guid), &guid, 16);
    });
    WriteMain(guid, kTableVersion);
}

InstalledIme::~InstalledIme() { DeleteKey(); }

void InstalledIme::WriteValue(const wchar_t* name, const std::wstring& value) const {
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, keyPath.c_str(), name, value.c_str()));
}

void InstalledIme::DeleteValue(const wchar_t* name) const {
    HKEY k;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &k),
        ERROR_SUCCESS);
    RegDeleteValueW(k, name);
    RegCloseKey(k);
}

void InstalledIme::DeleteKey() const { DeleteRegistryTree(HKEY_LOCAL_MACHINE, keyPath.c_str()); }

void InstalledIme::WriteMain(const GUID& g, uint16_t version) const {
    std::vector<uint8_t> t = MakeCodeTable(mainEntries_);
    std::memcpy(&t[offsetof(TableFileHeader, guid)], &g, 16);
    std::memcpy(&t[offsetof(TableFileHeader, version)], &version, 2);
    ASSERT_TRUE(WriteFileBytes(Path(L"main.dmg"), t));
}

void InstalledIme::EditConfig(const std::function<void(uint8_t*)>& edit) const {
    std::vector<uint8_t> b = ReadFileBytes(Path(L"config.dsc"));
    ASSERT_EQ(b.size(), kConfigFileSize);
    edit(b.data());
    ASSERT_TRUE(WriteFileBytes(Path(L"config.dsc"), b));
}

void InstalledIme::SetImeOptions(uint32_t options, int64_t stamp) const {
    EditConfig([&](uint8_t* v) {
        std::memcpy(v + kImeBlockOffset + offsetof(ImeConfigData, options), &options, 4);
        std::memcpy(v + kImeBlockOffset + offsetof(ImeConfigData, bootStamp), &stamp, 8);
    });
}

int64_t InstalledIme::StoredStamp() const {
    std::vector<uint8_t> b = ReadFileBytes(Path(L"config.dsc"));
    int64_t s = 0;
    if (b.size() == kConfigFileSize)
        std::memcpy(&s, &b[kImeBlockOffset + offsetof(ImeConfigData, bootStamp)], 8);
    return s;
}

std::vector<uint8_t> InstalledIme::TempTableBytes() {
    std::vector<uint8_t> b(kTempTableSize, 0);
    Put32(b, offsetof(TableFileHeader, heapStart), kTempHeapStart);
    Put32(b, offsetof(TableFileHeader, count), 1);
    Put32(b, offsetof(TableFileHeader, kind), kTableKindTemp);
    Put32(b, offsetof(TableFileHeader, prefixIndex), 7);
    Put32(b, offsetof(TableFileHeader, prefixIndex) + 65532, 9);
    return b;
}

void InstalledIme::WriteTemp() const {
    ASSERT_TRUE(WriteFileBytes(Path(L"temp.dmg"), TempTableBytes()));
}

int32_t InstalledIme::TempCount() const {
    std::vector<uint8_t> b = ReadFileBytes(Path(L"temp.dmg"));
    int32_t n = -1;
    if (b.size() >= sizeof(TableFileHeader))
        std::memcpy(&n, &b[offsetof(TableFileHeader, count)], 4);
    return n;
}

bool InstalledIme::AnyFileOpen() const {
    for (const wchar_t* n : {L"config.dsc", L"main.dmg", L"temp.dmg", L"engl.dmg"}) {
        if (FileExists(Path(n)) && IsOpenSomewhere(Path(n))) return true;
    }
    return false;
}

bool IsOpenSomewhere(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(h);
    return false;
}

}  // namespace testing_support
