// An installed input method for tests: its registry key under HKLM (IMEName, InstallLocation,
// DataLocation), a scratch data folder with config.dsc and main.dmg of its GUID, and a scratch
// install folder. Everything is removed when the object goes.
//
//   InstalledIme ime;                    // fresh GUID, working installation
//   ime.guidText                         // what the module's string resource would hold
//   ime.DeleteValue(L"DataLocation");    // break one piece of it
//   ime.WriteMain(otherGuid, kTableVersion);
//
// Construct it inside a test (it records failures with gtest assertions).
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/table_fixture.h"
#include "support/test_files.h"

namespace testing_support {

class InstalledIme {
public:
    // The IMEName value every installation gets.
    static constexpr const wchar_t* kImeName = L"fakeime";
    // The one entry of the default main.dmg: keypad code 0x11, word "一".
    static std::vector<FixtureEntry> DefaultMainEntries();

    explicit InstalledIme(std::vector<FixtureEntry> mainEntries = DefaultMainEntries());
    ~InstalledIme();
    InstalledIme(const InstalledIme&) = delete;
    InstalledIme& operator=(const InstalledIme&) = delete;

    GUID guid{};
    wchar_t guidText[40]{};  // "{XXXXXXXX-...}"
    std::wstring keyPath;    // "Software\ZantorIME3\{guid}\" under HKLM
    TempDir data;            // DataLocation (registered with a trailing "\")
    TempDir install;         // InstallLocation (registered without one)

    // A file of the data folder.
    std::wstring Path(const wchar_t* name) const { return data / name; }

    // Registry values of the installation.
    void WriteValue(const wchar_t* name, const std::wstring& value) const;
    void DeleteValue(const wchar_t* name) const;
    void DeleteKey() const;

    // main.dmg of the entries given at construction, stamped with g and version.
    void WriteMain(const GUID& g, uint16_t version) const;
    // config.dsc read, edited in place and written back.
    void EditConfig(const std::function<void(uint8_t*)>& edit) const;
    // The IME block's options and stored boot stamp.
    void SetImeOptions(uint32_t options, int64_t stamp) const;
    int64_t StoredStamp() const;
    // temp.dmg of the shipped size holding one word (heap start, count 1, filled index).
    static std::vector<uint8_t> TempTableBytes();
    void WriteTemp() const;
    // Word count in the header of temp.dmg.
    int32_t TempCount() const;

    // True when a handle of this process still holds one of the data files.
    bool AnyFileOpen() const;

private:
    std::vector<FixtureEntry> mainEntries_;
};

// True when some handle of this process holds the file without sharing it.
bool IsOpenSomewhere(const std::wstring& path);

}  // namespace testing_support
