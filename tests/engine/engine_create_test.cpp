// The input method's engine record over a throw-away installation: registry key and data
// folder, the GUID text handed in through the platform seam.
#include <gtest/gtest.h>
#include <objbase.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/registry.h"
#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "core/table/table_format.h"
#include "engine/lookup.h"
#include "engine/platform.h"
#include "engine/symbol_display.h"
#include "engine/ui_hooks.h"
#include "support/installed_ime.h"
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

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }

struct EngineDeleter {
    void operator()(Engine* e) const { Engine::Destroy(e); }
};
using EnginePtr = std::unique_ptr<Engine, EngineDeleter>;

// The window side a front end installs: the records it was handed, and its answer.
std::vector<Engine*> g_prepared, g_released;
bool g_windowsReady = true;
const EngineUIHooks kRecordingHooks = {[](Engine* e) {
                                           g_prepared.push_back(e);
                                           return g_windowsReady;
                                       },
                                       [](Engine* e) { g_released.push_back(e); }};

// An installed input method whose GUID text the platform seam hands to Engine::Create.
class Installation : public ::testing::Test {
public:
    void SetUp() override {
        platform_ = FakePlatform();
        SetPlatform(&platform_);
        g_prepared.clear();
        g_released.clear();
        g_windowsReady = true;
        SetEngineUIHooks(&kRecordingHooks);
        ime_ = std::make_unique<InstalledIme>();
        g_guidText = ime_->guidText;
        g_now = 1'800'000'000;
        g_ticks = 3'600'000;
        ime_->EditConfig([&](uint8_t* v) {
            // A paired symbol whose toggle the creation resets.
            uint8_t* quote = v + kImeBlockOffset + offsetof(ImeConfigData, symbols) + 64 * '"';
            uint16_t kind = kSymbolPair, toggle = 1;
            std::memcpy(quote, &kind, 2);
            std::memcpy(quote + 62, &toggle, 2);
        });
    }
    void TearDown() override {
        SetEngineUIHooks(nullptr);
        SetPlatform(nullptr);
        ime_.reset();
    }

    InstalledIme& ime() const { return *ime_; }
    std::wstring Path(const wchar_t* name) const { return ime_->Path(name); }
    void ExpectNothingOpen() const { EXPECT_FALSE(ime_->AnyFileOpen()); }

    EnginePlatform platform_;
    std::unique_ptr<InstalledIme> ime_;
};

TEST_F(Installation, CreatesTheRecord) {
    BookTitleDepth() = 3;
    EnginePtr e(Engine::Create());
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(IsEqualGUID(e->guid, ime().guid));
    EXPECT_EQ(std::wstring(e->guidText), g_guidText);
    EXPECT_EQ(std::wstring(e->imeName), L"fakeime");
    EXPECT_EQ(std::wstring(e->installLocation), ime().install.path() + L"\\");
    EXPECT_EQ(std::wstring(e->dataLocation), ime().data.path() + L"\\");
    EXPECT_EQ(g_prepared, std::vector<Engine*>{e.get()});
    EXPECT_NE(e->ime, nullptr);
    EXPECT_NE(e->dme, nullptr);
    EXPECT_NE(e->skin, nullptr);
    EXPECT_EQ(e->tempTable, nullptr);
    EXPECT_EQ(e->osVersion.dwOSVersionInfoSize, sizeof(OSVERSIONINFOW));
    EXPECT_GT(e->osVersion.dwMajorVersion, 0u);
    EXPECT_EQ(e->ime->symbols['"'].slots[kSymbolPairToggle], 0);
    EXPECT_EQ(BookTitleDepth(), 0);
    EXPECT_EQ(e->candidateCount, 0);
    Engine* record = e.get();
    e.reset();
    EXPECT_EQ(g_released, std::vector<Engine*>{record});
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
        {"GUID text too long", [](Installation*) { g_guidText += L"0"; }},
        {"no IMEName", [](Installation* i) { i->ime().DeleteValue(L"IMEName"); }},
        {"empty IMEName", [](Installation* i) { i->ime().WriteValue(L"IMEName", L""); }},
        {"empty InstallLocation",
         [](Installation* i) { i->ime().WriteValue(L"InstallLocation", L""); }},
        {"empty DataLocation", [](Installation* i) { i->ime().WriteValue(L"DataLocation", L""); }},
        {"no InstallLocation", [](Installation* i) { i->ime().DeleteValue(L"InstallLocation"); }},
        {"no DataLocation", [](Installation* i) { i->ime().DeleteValue(L"DataLocation"); }},
        {"no config.dsc", [](Installation* i) { DeleteFileW(i->Path(L"config.dsc").c_str()); }},
        {"no main.dmg", [](Installation* i) { DeleteFileW(i->Path(L"main.dmg").c_str()); }},
        {"main.dmg of another input method",
         [](Installation* i) {
             GUID other;
             CoCreateGuid(&other);
             i->ime().WriteMain(other, kTableVersion);
         }},
        {"main.dmg of version 0x0303",
         [](Installation* i) { i->ime().WriteMain(i->ime().guid, 0x0303); }},
        {"main.dmg too short for its header",
         [](Installation* i) {
             WriteFileBytes(i->Path(L"main.dmg"), std::vector<uint8_t>(100, 0));
         }},
        {"settings of another input method",
         [](Installation* i) {
             i->ime().EditConfig(
                 [](uint8_t* v) { v[kSoftBlockOffset + offsetof(SoftConfigData, guid)] ^= 0xFF; });
         }},
        {"settings without their blocks",
         [](Installation* i) { i->ime().EditConfig([](uint8_t* v) { v[0] = 0; }); }},
        {"no window state or skin", [](Installation*) { g_windowsReady = false; }},
    };
    for (const Case& c : cases) {
        SetUp();
        c.breakIt(this);
        EnginePtr e(Engine::Create());
        EXPECT_EQ(e, nullptr) << c.name;
        // The record made goes back to the windows, whether they prepared it or not.
        ASSERT_EQ(g_released.size(), 1u) << c.name;
        if (!g_prepared.empty()) {
            EXPECT_EQ(g_released, g_prepared) << c.name;
        }
        ExpectNothingOpen();
        TearDown();
    }
    SetUp();
}

TEST_F(Installation, TemporaryWordsEmptiedOncePerBoot) {
    ime().WriteTemp();
    ime().EditConfig([](uint8_t* v) {
        uint32_t options = kImeMainTable | kImeTempClearAtBoot;
        std::memcpy(v + kImeBlockOffset + offsetof(ImeConfigData, options), &options, 4);
    });
    {
        EnginePtr first(Engine::Create());
        ASSERT_NE(first, nullptr);
        ASSERT_NE(first->tempTable, nullptr);
    }
    EXPECT_EQ(ime().TempCount(), 0);
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
    EXPECT_EQ(ime().TempCount(), 1);
}

TEST_F(Installation, RemappingAGrownTableDropsPointersIntoTheOldView) {
    EnginePtr e(Engine::Create());
    ASSERT_NE(e, nullptr);
    e->input.code[0] = 0x11;
    e->input.codeLength = e->input.caret = 1;
    ASSERT_EQ(Engine::ProcessInput(e.get()), kLookupShown);
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
    EXPECT_EQ(Engine::ProcessInput(e.get()), kLookupShown);
    EXPECT_EQ(e->candidateCount, 1);
}

}  // namespace
