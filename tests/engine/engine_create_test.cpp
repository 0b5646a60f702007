// The input method's engine record over a throw-away installation: registry key and data
// folder, the GUID text handed in through the platform seam.
#include <gtest/gtest.h>
#include <objbase.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/base/registry.h"
#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "core/table/table_format.h"
#include "engine/platform.h"
#include "engine/symbol_display.h"
#include "support/table_fixture.h"
#include "support/test_files.h"

using namespace testing_support;

namespace {

std::wstring g_guidText;
int64_t g_now = 1'800'000'000;
uint64_t g_ticks = 3'600'000;

int FakeGuidText(wchar_t* out, int chars) {
    if (g_guidText.empty() || static_cast<int>(g_guidText.size()) >= chars) return 0;
    std::wcscpy(out, g_guidText.c_str());
    return static_cast<int>(g_guidText.size());
}

EnginePlatform FakePlatform() {
    EnginePlatform p = Win32Platform();
    p.loadGuidText = FakeGuidText;
    p.currentTime = [] { return g_now; };
    p.tickCount = [] { return g_ticks; };
    return p;
}

bool IsOpenSomewhere(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(h);
    return false;
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }

struct EngineDeleter {
    void operator()(Engine* e) const { Engine::Destroy(e); }
};
using EnginePtr = std::unique_ptr<Engine, EngineDeleter>;

class Installation : public ::testing::Test {
public:
    void SetUp() override {
        platform_ = FakePlatform();
        SetPlatform(&platform_);
        CoCreateGuid(&guid_);
        wchar_t text[40];
        StringFromGUID2(guid_, text, 40);
        g_guidText = text;
        g_now = 1'800'000'000;
        g_ticks = 3'600'000;
        keyPath_ = L"Software\\ZantorIME3\\" + g_guidText + L"\\";
        WriteValue(L"IMEName", L"fakeime");
        WriteValue(L"InstallLocation", install_.path());
        WriteValue(L"DataLocation", data_.path() + L"\\");
        ASSERT_EQ(CreateConfigFile(Path(L"config.dsc").c_str()), 1);
        EditConfig([&](uint8_t* v) {
            std::memcpy(v + kSoftBlockOffset + offsetof(SoftConfigData, guid), &guid_, 16);
            // A paired symbol whose toggle the creation resets.
            uint8_t* quote = v + kImeBlockOffset + offsetof(ImeConfigData, symbols) + 64 * '"';
            uint16_t kind = kSymbolPair, toggle = 1;
            std::memcpy(quote, &kind, 2);
            std::memcpy(quote + 62, &toggle, 2);
        });
        WriteMain(guid_, kTableVersion);
    }
    void TearDown() override {
        SetPlatform(nullptr);
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, keyPath_.c_str());
    }

    std::wstring Path(const wchar_t* name) const { return data_ / name; }
    void WriteValue(const wchar_t* name, const std::wstring& value) const {
        ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, keyPath_.c_str(), name, value.c_str()));
    }
    void DeleteValue(const wchar_t* name) const {
        HKEY k;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath_.c_str(), 0,
                                KEY_SET_VALUE | KEY_WOW64_64KEY, &k),
                  ERROR_SUCCESS);
        RegDeleteValueW(k, name);
        RegCloseKey(k);
    }
    void WriteMain(const GUID& g, uint16_t version) const {
        std::vector<uint8_t> t = MakeCodeTable({{"\x11", "\xe4\xb8\x80"}});
        std::memcpy(&t[12], &g, 16);
        std::memcpy(&t[28], &version, 2);
        ASSERT_TRUE(WriteFileBytes(Path(L"main.dmg"), t));
    }
    void WriteTemp() const {
        std::vector<uint8_t> b(kTempTableSize, 0);
        Put32(b, 0, kTempHeapStart);
        Put32(b, 4, 1);
        Put32(b, 8, kTableKindTemp);
        Put32(b, 156, 7);
        ASSERT_TRUE(WriteFileBytes(Path(L"temp.dmg"), b));
    }
    int32_t TempCount() const {
        std::vector<uint8_t> b = ReadFileBytes(Path(L"temp.dmg"));
        int32_t n;
        std::memcpy(&n, &b[4], 4);
        return n;
    }
    void EditConfig(const std::function<void(uint8_t*)>& edit) const {
        std::vector<uint8_t> b = ReadFileBytes(Path(L"config.dsc"));
        ASSERT_EQ(b.size(), kConfigFileSize);
        edit(b.data());
        ASSERT_TRUE(WriteFileBytes(Path(L"config.dsc"), b));
    }
    void ExpectNothingOpen() const {
        for (const wchar_t* name : {L"config.dsc", L"main.dmg", L"temp.dmg"})
            EXPECT_FALSE(IsOpenSomewhere(Path(name))) << Narrow(name);
    }

    EnginePlatform platform_;
    GUID guid_{};
    std::wstring keyPath_;
    TempDir data_, install_;
};

TEST_F(Installation, CreatesTheRecord) {
    BookTitleDepth() = 3;
    EnginePtr e(Engine::Create());
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(IsEqualGUID(e->guid, guid_));
    EXPECT_EQ(std::wstring(e->guidText), g_guidText);
    EXPECT_EQ(std::wstring(e->imeName), L"fakeime");
    EXPECT_EQ(std::wstring(e->installLocation), install_.path() + L"\\");
    EXPECT_EQ(std::wstring(e->dataLocation), data_.path() + L"\\");
    EXPECT_NE(e->uiState, nullptr);
    EXPECT_NE(e->ime, nullptr);
    EXPECT_NE(e->dme, nullptr);
    EXPECT_NE(e->skin, nullptr);
    EXPECT_EQ(e->tempTable, nullptr);
    EXPECT_EQ(e->osVersion.dwOSVersionInfoSize, sizeof(OSVERSIONINFOW));
    EXPECT_GT(e->osVersion.dwMajorVersion, 0u);
    EXPECT_EQ(e->ime->symbols['"'].slots[kSymbolPairToggle], 0);
    EXPECT_EQ(BookTitleDepth(), 0);
    EXPECT_EQ(e->candidateCount, 0);
    e.reset();
    ExpectNothingOpen();
}

TEST_F(Installation, BrokenEnvironmentsGiveNoRecord) {
    struct Case {
        const char* name;
        std::function<void(Installation*)> breakIt;
    };
    const Case cases[] = {
        {"no string resource", [](Installation*) { g_guidText.clear(); }},
        {"malformed GUID text", [](Installation*) { g_guidText = L"{not-a-guid}"; }},
        {"no IMEName", [](Installation* i) { i->DeleteValue(L"IMEName"); }},
        {"no InstallLocation", [](Installation* i) { i->DeleteValue(L"InstallLocation"); }},
        {"no DataLocation", [](Installation* i) { i->DeleteValue(L"DataLocation"); }},
        {"no config.dsc", [](Installation* i) { DeleteFileW(i->Path(L"config.dsc").c_str()); }},
        {"no main.dmg", [](Installation* i) { DeleteFileW(i->Path(L"main.dmg").c_str()); }},
        {"main.dmg of another input method",
         [](Installation* i) {
             GUID other;
             CoCreateGuid(&other);
             i->WriteMain(other, kTableVersion);
         }},
        {"main.dmg of version 0x0303", [](Installation* i) { i->WriteMain(i->guid_, 0x0303); }},
        {"main.dmg too short for its header",
         [](Installation* i) {
             WriteFileBytes(i->Path(L"main.dmg"), std::vector<uint8_t>(100, 0));
         }},
        {"settings of another input method",
         [](Installation* i) {
             i->EditConfig(
                 [](uint8_t* v) { v[kSoftBlockOffset + offsetof(SoftConfigData, guid)] ^= 0xFF; });
         }},
        {"settings without their blocks",
         [](Installation* i) { i->EditConfig([](uint8_t* v) { v[0] = 0; }); }},
    };
    for (const Case& c : cases) {
        SetUp();
        c.breakIt(this);
        EnginePtr e(Engine::Create());
        EXPECT_EQ(e, nullptr) << c.name;
        ExpectNothingOpen();
        TearDown();
    }
    SetUp();
}

TEST_F(Installation, TemporaryWordsEmptiedOncePerBoot) {
    WriteTemp();
    EditConfig([](uint8_t* v) {
        uint32_t options = kImeMainTable | kImeTempClearAtBoot;
        std::memcpy(v + kImeBlockOffset + offsetof(ImeConfigData, options), &options, 4);
    });
    {
        EnginePtr first(Engine::Create());
        ASSERT_NE(first, nullptr);
        ASSERT_NE(first->tempTable, nullptr);
    }
    EXPECT_EQ(TempCount(), 0);
    // A word learnt later in the same boot survives the next engine.
    std::vector<uint8_t> b = ReadFileBytes(Path(L"temp.dmg"));
    Put32(b, 4, 1);
    ASSERT_TRUE(WriteFileBytes(Path(L"temp.dmg"), b));
    g_now += 30;
    g_ticks += 29'000;
    {
        EnginePtr second(Engine::Create());
        ASSERT_NE(second, nullptr);
    }
    EXPECT_EQ(TempCount(), 1);
}

TEST_F(Installation, RemappingAGrownTableDropsPointersIntoTheOldView) {
    EnginePtr e(Engine::Create());
    ASSERT_NE(e, nullptr);
    e->input.code[0] = 0x11;
    e->input.codeLength = e->input.caret = 1;
    ASSERT_EQ(Engine::ProcessInput(e.get()), 2);
    ASSERT_EQ(e->candidateCount, 1);
    e->input.committedEntry = e->candidates[0].entry;
    const uint8_t* oldView = e->mainTable->view;

    Engine::RefreshTables(e.get());  // same size: nothing moves, nothing is dropped
    EXPECT_EQ(e->candidateCount, 1);

    // Another process appends to main.dmg.
    HANDLE h = CreateFileW(Path(L"main.dmg").c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    uint8_t tail[64] = {};
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, tail, sizeof tail, &written, nullptr));
    CloseHandle(h);
    Engine::RefreshTables(e.get());
    ASSERT_NE(e->mainTable->view, oldView);
    EXPECT_EQ(e->candidateCount, 0);
    EXPECT_EQ(e->hasPreviousFirst, 0u);
    EXPECT_EQ(e->input.committedEntry, nullptr);
    EXPECT_EQ(e->input.codeLength, 0u);
    // The lookup works on the new view.
    e->input.code[0] = 0x11;
    e->input.codeLength = e->input.caret = 1;
    EXPECT_EQ(Engine::ProcessInput(e.get()), 2);
    EXPECT_EQ(e->candidateCount, 1);
}

}  // namespace
