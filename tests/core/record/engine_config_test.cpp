// The configuration program's engine record over a throw-away installation: registry key,
// data folder and a stand-in input method module.
#include "core/record/engine_config.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/path_util.h"
#include "core/base/registry.h"
#include "core/record/boot_stamp.h"
#include "core/settings/config_blocks.h"
#include "core/table/table_format.h"
#include "support/installed_ime.h"
#include "support/table_fixture.h"
#include "support/test_files.h"

using namespace testing_support;

namespace {

constexpr int64_t kBoot = 1'700'000'000;

std::wstring g_modulePath;  // what the module hook hands out
int64_t g_bootTime = kBoot;

bool FakeModulePath(const wchar_t*, wchar_t (&out)[kPathChars]) {
    if (g_modulePath.size() >= kPathChars) return false;
    wcscpy(out, g_modulePath.c_str());
    return true;
}
int64_t FakeBootTime() { return g_bootTime; }
const ConfigEngineHooks kHooks{&FakeBootTime, &FakeModulePath};

std::wstring FakeImePath() {
    std::wstring self = SelfPath();
    return self.substr(0, self.find_last_of(L'\\') + 1) + L"fake_ime.ime";
}

// The installation with the stand-in module and clock reset for each test.
struct Installation : InstalledIme {
    Installation() : InstalledIme(std::vector<FixtureEntry>{{"\x0b\x0c", "\xe4\xb8\xad"}}) {
        g_modulePath = FakeImePath();
        g_bootTime = kBoot;
    }
};

int64_t StampOf(const ImeConfigData* ime) {
    int64_t s;
    std::memcpy(&s, &ime->bootStamp, 8);
    return s;
}

bool ModuleLoaded() { return GetModuleHandleW(FakeImePath().c_str()) != nullptr; }

struct EngineCloser {
    void operator()(Engine* e) const { Engine::DestroyForConfig(e); }
};
using EnginePtr = std::unique_ptr<Engine, EngineCloser>;

TEST(ConfigEngine, OpensAWholeInstallation) {
    Installation inst;
    inst.WriteTemp();
    EnginePtr e(CreateConfigEngine(inst.guidText, kHooks));
    ASSERT_TRUE(e);
    EXPECT_TRUE(IsEqualGUID(e->guid, inst.guid));
    EXPECT_STREQ(e->guidText, inst.guidText);
    EXPECT_STREQ(e->imeName, L"fakeime");
    EXPECT_EQ(std::wstring(e->installLocation), inst.install.path() + L"\\");
    EXPECT_EQ(std::wstring(e->dataLocation), inst.data.path() + L"\\");
    EXPECT_TRUE(e->configFile && e->configFile->IsMapped());
    EXPECT_TRUE(e->mainTable && e->mainTable->IsMapped());
    EXPECT_TRUE(e->tempTable);
    EXPECT_EQ(e->englishTable, nullptr);
    EXPECT_EQ(e->dictTable, nullptr);
    ASSERT_TRUE(e->soft && e->ime && e->dme && e->skin);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(e->ime) - e->configFile->view, kImeBlockOffset);
    EXPECT_EQ(e->osVersion.dwOSVersionInfoSize, sizeof(OSVERSIONINFOW));
    EXPECT_NE(e->osVersion.dwMajorVersion, 0u);
    ASSERT_TRUE(e->imeModule);
    EXPECT_EQ(e->imeModule, GetModuleHandleW(FakeImePath().c_str()));
    EXPECT_EQ(inst.TempCount(), 1) << "no reset without the setting";

    e.reset();
    EXPECT_FALSE(ModuleLoaded());
    EXPECT_FALSE(inst.AnyFileOpen());
}

TEST(ConfigEngine, BrokenEnvironmentsGiveNullAndLeaveNothingOpen) {
    struct Case {
        const char* name;
        std::function<void(Installation&)> breakIt;
        std::function<std::wstring(Installation&)> guidText;  // null: the installation's
    };
    const auto ownGuid = [](Installation& i) { return std::wstring(i.guidText); };
    const std::vector<Case> cases = {
        {"no registry key", [](Installation& i) { i.DeleteKey(); }, nullptr},
        {"no IMEName", [](Installation& i) { i.DeleteValue(L"IMEName"); }, nullptr},
        {"empty IMEName", [](Installation& i) { i.WriteValue(L"IMEName", L""); }, nullptr},
        {"no InstallLocation", [](Installation& i) { i.DeleteValue(L"InstallLocation"); }, nullptr},
        {"InstallLocation without room for the backslash",
         [](Installation& i) { i.WriteValue(L"InstallLocation", std::wstring(259, L'x')); },
         nullptr},
        {"no DataLocation", [](Installation& i) { i.DeleteValue(L"DataLocation"); }, nullptr},
        {"DataLocation too long for the file names",
         [](Installation& i) { i.WriteValue(L"DataLocation", std::wstring(255, L'x')); }, nullptr},
        {"no config.dsc", [](Installation& i) { DeleteFileW(i.Path(L"config.dsc").c_str()); },
         nullptr},
        {"no main.dmg", [](Installation& i) { DeleteFileW(i.Path(L"main.dmg").c_str()); }, nullptr},
        {"main.dmg of another input method",
         [](Installation& i) {
             GUID other;
             CoCreateGuid(&other);
             i.WriteMain(other, kTableVersion);
         },
         nullptr},
        {"main.dmg of format 0x0303", [](Installation& i) { i.WriteMain(i.guid, 0x0303); },
         nullptr},
        {"main.dmg shorter than its header",
         [](Installation& i) {
             std::vector<uint8_t> t = ReadFileBytes(i.Path(L"main.dmg"));
             t.resize(100);
             WriteFileBytes(i.Path(L"main.dmg"), t);
         },
         nullptr},
        {"soft block of another input method",
         [](Installation& i) {
             i.EditConfig([](uint8_t* v) { v[kSoftBlockOffset + 40] ^= 0xFF; });
         },
         nullptr},
        {"skin block missing",
         [](Installation& i) { i.EditConfig([](uint8_t* v) { v[kSkinBlockOffset + 5] = 'X'; }); },
         nullptr},
        {"block count above 32",
         [](Installation& i) { i.EditConfig([](uint8_t* v) { v[0] = 33; }); }, nullptr},
        {"module missing", [](Installation&) { g_modulePath = L"C:\\nowhere\\fakeime.ime"; },
         nullptr},
        {"malformed GUID", [](Installation&) {},
         [](Installation&) { return std::wstring(L"{not-a-guid}"); }},
        {"GUID without braces", [](Installation&) {},
         [](Installation& i) {
             std::wstring t(i.guidText);
             return t.substr(1, t.size() - 2);
         }},
        {"GUID text too long", [](Installation&) {},
         [](Installation& i) { return std::wstring(i.guidText) + L"0"; }},
        {"empty GUID text", [](Installation&) {}, [](Installation&) { return std::wstring(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Installation inst;
        inst.WriteTemp();
        c.breakIt(inst);
        const std::wstring text = c.guidText ? c.guidText(inst) : ownGuid(inst);
        Engine* e = CreateConfigEngine(text.c_str(), kHooks);
        EXPECT_EQ(e, nullptr);
        Engine::DestroyForConfig(e);
        EXPECT_FALSE(inst.AnyFileOpen());
        EXPECT_FALSE(ModuleLoaded());
    }
    EXPECT_EQ(CreateConfigEngine(nullptr, kHooks), nullptr);
}

TEST(ConfigEngine, ShortOrMissingTempTableCountsAsAbsent) {
    for (size_t size : {size_t{0}, size_t{100}, sizeof(TableFileHeader) - 1}) {
        SCOPED_TRACE(size);
        Installation inst;
        std::vector<uint8_t> t = InstalledIme::TempTableBytes();
        t.resize(size);
        ASSERT_TRUE(WriteFileBytes(inst.Path(L"temp.dmg"), t));
        inst.SetImeOptions(kImeTempClearAtBoot, 0);
        EnginePtr e(CreateConfigEngine(inst.guidText, kHooks));
        ASSERT_TRUE(e);
        EXPECT_EQ(e->tempTable, nullptr);
        EXPECT_EQ(StampOf(e->ime), 0) << "no reset without a temporary table";
        e.reset();
        EXPECT_EQ(ReadFileBytes(inst.Path(L"temp.dmg")).size(), size);
    }
    Installation inst;
    inst.SetImeOptions(kImeTempClearAtBoot, 0);
    EnginePtr e(CreateConfigEngine(inst.guidText, kHooks));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->tempTable, nullptr);
    EXPECT_EQ(StampOf(e->ime), 0);
}

// Every table is read in the layout of its kind, so a file of another kind must not be
// taken: main.dmg fails the opening, an optional table counts as absent.
TEST(ConfigEngine, TablesOfAnotherKindAreRefused) {
    auto withKind = [](std::vector<uint8_t> b, uint32_t kind) {
        std::memcpy(&b[8], &kind, 4);
        return b;
    };
    const std::vector<uint8_t> list = withKind(MakeCodeTable({}), kTableKindList);
    const std::vector<uint8_t> keyValue = MakeKeyValueTable({{"a", "b"}});
    std::vector<uint8_t> shortTemp = InstalledIme::TempTableBytes();
    shortTemp.resize(kTempTableSize - kTempSlotSize);
    struct Case {
        const char* name;
        const wchar_t* file;
        std::vector<uint8_t> bytes;
        bool opens;
        MappedFile* EngineShared::*member;
    };
    const Case cases[] = {
        {"main table of list kind", L"main.dmg", {}, false, &EngineShared::mainTable},
        {"main table of temporary kind", L"main.dmg", {}, false, &EngineShared::mainTable},
        {"temporary table of main kind", L"temp.dmg",
         withKind(InstalledIme::TempTableBytes(), kTableKindMain), true, &EngineShared::tempTable},
        {"temporary table without its slots", L"temp.dmg", shortTemp, true,
         &EngineShared::tempTable},
        {"English table of main kind", L"engl.dmg", MakeCodeTable({{"a", "b"}}), true,
         &EngineShared::englishTable},
        {"association table of key/value kind", L"sysl.dmg", keyValue, true,
         &EngineShared::associationTable},
        {"character table of list kind", L"danzi.dmi", list, true, &EngineShared::charTable},
        {"dictionary of main kind", L"dict.dms", MakeCodeTable({{"a", "b"}}), true,
         &EngineShared::dictTable},
    };
    const uint32_t mainKinds[] = {kTableKindList, kTableKindTemp};
    int mainCase = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Installation inst;
        if (c.member == &EngineShared::mainTable) {
            std::vector<uint8_t> m = ReadFileBytes(inst.Path(L"main.dmg"));
            std::memcpy(&m[8], &mainKinds[mainCase++], 4);
            ASSERT_TRUE(WriteFileBytes(inst.Path(L"main.dmg"), m));
        } else {
            ASSERT_TRUE(WriteFileBytes(inst.Path(c.file), c.bytes));
        }
        EnginePtr e(CreateConfigEngine(inst.guidText, kHooks));
        EXPECT_EQ(e != nullptr, c.opens);
        if (e) {
            EXPECT_EQ(e.get()->*c.member, nullptr);
        }
        e.reset();
        EXPECT_FALSE(inst.AnyFileOpen());
    }
    // The right kinds open.
    Installation inst;
    ASSERT_TRUE(WriteFileBytes(inst.Path(L"temp.dmg"), InstalledIme::TempTableBytes()));
    ASSERT_TRUE(WriteFileBytes(inst.Path(L"sysl.dmg"), list));
    ASSERT_TRUE(WriteFileBytes(inst.Path(L"danzi.dmi"), keyValue));
    EnginePtr e(CreateConfigEngine(inst.guidText, kHooks));
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->tempTable && e->associationTable && e->charTable);
}

TEST(BootStamp, SameBootWithinTwoMinutes) {
    struct Case {
        int64_t stored, boot;
        bool same;
    } cases[] = {
        {kBoot, kBoot, true},
        {kBoot, kBoot + 120, true},
        {kBoot + 120, kBoot, true},
        {kBoot, kBoot + 121, false},
        {kBoot, kBoot - 121, false},
        {kBoot & ~int64_t{0xFF}, kBoot + 200, false},
        {0, kBoot, false},
        {INT64_MIN, INT64_MAX, false},
        {INT64_MAX, INT64_MIN, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSameBoot(c.stored, c.boot), c.same) << c.stored << " " << c.boot;
    }
}

TEST(BootStamp, CurrentBootTimeIsInThePast) {
    const int64_t now = static_cast<int64_t>(time(nullptr));
    const int64_t boot = CurrentBootTime();
    EXPECT_LE(boot, now);
    EXPECT_GE(boot, now - static_cast<int64_t>(GetTickCount64() / 1000) - 2);
}

TEST(BootStamp, TempTableIsClearedOncePerBoot) {
    Installation inst;
    inst.WriteTemp();
    inst.SetImeOptions(kImeTempClearAtBoot, 0);

    struct Step {
        int64_t bootTime;
        bool cleared;
    } steps[] = {
        {kBoot, true},                              // first start after the boot
        {kBoot + 90, false},                        // later process, clock drifted
        {kBoot - 60, false},  {kBoot + 121, true},  // a new boot
        {kBoot + 121, false},
    };
    int64_t expectedStamp = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.bootTime);
        inst.WriteTemp();
        g_bootTime = s.bootTime;
        {
            EnginePtr e(CreateConfigEngine(inst.guidText, kHooks));
            ASSERT_TRUE(e);
        }
        if (s.cleared) expectedStamp = s.bootTime;
        EXPECT_EQ(inst.StoredStamp(), expectedStamp) << "stored unmasked";
        std::vector<uint8_t> t = ReadFileBytes(inst.Path(L"temp.dmg"));
        int32_t count, heap, index0, indexLast;
        std::memcpy(&heap, &t[0], 4);
        std::memcpy(&count, &t[4], 4);
        std::memcpy(&index0, &t[156], 4);
        std::memcpy(&indexLast, &t[156 + 65532], 4);
        if (s.cleared) {
            EXPECT_EQ(count, 0);
            EXPECT_EQ(heap, kTempTableSize);
            EXPECT_EQ(index0, 0);
            EXPECT_EQ(indexLast, 0);
        } else {
            EXPECT_EQ(count, 1);
            EXPECT_EQ(heap, static_cast<int32_t>(kTempHeapStart));
            EXPECT_EQ(index0, 7);
        }
    }
}

TEST(BootStamp, NoResetWhenTheSettingIsOffOrTheTableIsAPrivateCopy) {
    Installation inst;
    inst.WriteTemp();
    inst.SetImeOptions(0, 0);
    {
        EnginePtr e(CreateConfigEngine(inst.guidText, kHooks));
        ASSERT_TRUE(e);
    }
    EXPECT_EQ(inst.TempCount(), 1);
    EXPECT_EQ(inst.StoredStamp(), 0);

    // Another program holds temp.dmg without write sharing: it can only be read into a
    // private copy, which never keeps the stamp, so it must not be wiped either.
    inst.SetImeOptions(kImeTempClearAtBoot, 0);
    HANDLE holder = CreateFileW(inst.Path(L"temp.dmg").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    {
        EnginePtr e(CreateConfigEngine(inst.guidText, kHooks));
        ASSERT_TRUE(e);
        ASSERT_TRUE(e->tempTable);
        EXPECT_TRUE(e->tempTable->IsMemoryCopy());
        int32_t count;
        std::memcpy(&count, e->tempTable->view + 4, 4);
        EXPECT_EQ(count, 1);
        EXPECT_EQ(StampOf(e->ime), 0);
    }
    CloseHandle(holder);
    EXPECT_EQ(inst.StoredStamp(), 0);
}

TEST(ConfigEngine, RefreshPicksUpAGrownTable) {
    Installation inst;
    EnginePtr e(CreateConfigEngine(inst.guidText, kHooks));
    ASSERT_TRUE(e);
    MappedFile* main = e->mainTable;
    const int32_t before = main->size;

    Engine::RefreshTables(e.get());  // same size: the view stays
    EXPECT_EQ(e->mainTable, main);
    EXPECT_EQ(main->size, before);

    MappedFile* other = nullptr;
    ASSERT_GT(MappedFile::Open(&other, inst.Path(L"main.dmg").c_str()), 0);
    ASSERT_EQ(MappedFile::Resize(other, before + 4096), before + 4096);
    other->view[before + 100] = 0x5A;
    MappedFile::Flush(other);

    Engine::RefreshTables(e.get());
    EXPECT_EQ(e->mainTable, main) << "the record keeps its object";
    ASSERT_EQ(main->size, before + 4096);
    EXPECT_TRUE(main->IsMapped());
    EXPECT_EQ(main->view[before + 100], 0x5A);
    MappedFile::Close(other);
}

TEST(ConfigEngine, OpenTablesTakesWhatIsThere) {
    Installation inst;
    ASSERT_TRUE(WriteFileBytes(inst.Path(L"engl.dmg"), MakeCodeTable({}, kTableKindList)));
    ASSERT_TRUE(WriteFileBytes(inst.Path(L"dict.dms"), MakeKeyValueTable({{"a", "b"}})));
    auto* e = static_cast<Engine*>(calloc(1, sizeof(Engine)));
    ASSERT_TRUE(e);
    wcscpy(e->dataLocation, (inst.data.path() + L"\\").c_str());
    ASSERT_TRUE(Engine::OpenTables(e));
    EXPECT_TRUE(e->configFile && e->mainTable && e->englishTable && e->dictTable);
    EXPECT_FALSE(e->tempTable || e->charTable || e->associationTable || e->traditionalTable ||
                 e->simplifiedTable);
    EXPECT_TRUE(Engine::FindSettingsBlocks(e));
    Engine::CloseTables(e);
    EXPECT_FALSE(e->configFile || e->mainTable || e->englishTable || e->dictTable);
    EXPECT_FALSE(inst.AnyFileOpen());

    DeleteFileW(inst.Path(L"main.dmg").c_str());
    EXPECT_FALSE(Engine::OpenTables(e));
    EXPECT_FALSE(e->configFile || e->englishTable || e->dictTable);
    EXPECT_FALSE(inst.AnyFileOpen());
    EXPECT_FALSE(Engine::FindSettingsBlocks(e));
    Engine::CloseTables(nullptr);
    free(e);
}

TEST(ImeModulePath, SystemFolderNameAndExtension) {
    wchar_t sys[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(sys, MAX_PATH), 0u);
    wchar_t out[kPathChars];
    ASSERT_TRUE(GetImeModulePath(L"zanime", out));
    EXPECT_EQ(std::wstring(out), std::wstring(sys) + L"\\zanime.ime");
    EXPECT_FALSE(GetImeModulePath(L"", out));
    EXPECT_STREQ(out, L"");
    EXPECT_FALSE(GetImeModulePath(nullptr, out));
    EXPECT_FALSE(GetImeModulePath(std::wstring(260, L'n').c_str(), out));
    EXPECT_STREQ(out, L"");
}

}  // namespace
