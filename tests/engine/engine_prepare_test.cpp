// The checks and preparations of the input method's record once its files are open.
#include <gtest/gtest.h>

#include "engine/engine_create.h"
#include "engine/symbol_display.h"
#include "engine/ui_hooks.h"
#include "engine_fixture.h"

using namespace engine_test;

namespace {

const GUID kGuid = {0x12345678, 0x9abc, 0xdef0, {1, 2, 3, 4, 5, 6, 7, 8}};

// A record whose main table and settings carry kGuid and the current format.
void Own(Engine* e) {
    e->guid = kGuid;
    std::memcpy(e->mainTable->view + 12, &kGuid, 16);
    std::memcpy(e->mainTable->view + 28, &kTableVersion, 2);
    std::memcpy(e->soft->guid, &kGuid, 16);
}

TEST(PrepareEngine, ChecksIdentityAndFormat) {
    struct Case {
        const char* name;
        void (*breakIt)(Engine*);
        bool ok;
    };
    const Case cases[] = {
        {"own installation", [](Engine*) {}, true},
        {"main.dmg of another input method", [](Engine* e) { e->mainTable->view[12] ^= 1; }, false},
        {"main.dmg of version 0x0303",
         [](Engine* e) {
             uint16_t v = 0x0303;
             std::memcpy(e->mainTable->view + 28, &v, 2);
         },
         false},
        {"settings of another input method", [](Engine* e) { e->soft->guid[15] ^= 1; }, false},
        {"main.dmg too short for its header", [](Engine* e) { e->mainTable->size = 1000; }, false},
        {"no settings blocks", [](Engine* e) { e->dme = nullptr; }, false},
    };
    for (const Case& c : cases) {
        TestEngine t;
        Own(t.e);
        c.breakIt(t.e);
        EXPECT_EQ(PrepareOpenedEngine(t.e), c.ok) << c.name;
    }
}

// The window side as a front end installs it: records handed to it, its answer obeyed.
struct RecordingHooks {
    static inline std::vector<Engine*> prepared;
    static inline bool answer = true;
    static constexpr EngineUIHooks kTable = {[](Engine* e) {
                                                 prepared.push_back(e);
                                                 return answer;
                                             },
                                             [](Engine*) {}};
    RecordingHooks(bool ok) {
        prepared.clear();
        answer = ok;
        SetEngineUIHooks(&kTable);
    }
    ~RecordingHooks() { SetEngineUIHooks(nullptr); }
};

TEST(PrepareEngine, ResetsPairedSymbolsWithoutWindows) {
    TestEngine t;
    Own(t.e);
    t.e->ime->symbols['"'].kind = kSymbolPair;
    t.e->ime->symbols['"'].slots[kSymbolPairToggle] = 1;
    BookTitleDepth() = 2;
    ASSERT_TRUE(PrepareOpenedEngine(t.e));
    EXPECT_EQ(t.e->uiState, nullptr);  // nothing installed: the engine makes no window state
    EXPECT_EQ(t.e->ime->symbols['"'].slots[kSymbolPairToggle], 0);
    EXPECT_EQ(BookTitleDepth(), 0);
}

TEST(PrepareEngine, HandsTheRecordToTheWindowSide) {
    for (bool ok : {true, false}) {
        RecordingHooks hooks(ok);
        TestEngine t;
        Own(t.e);
        EXPECT_EQ(PrepareOpenedEngine(t.e), ok);
        EXPECT_EQ(RecordingHooks::prepared, std::vector<Engine*>{t.e});
    }
    // A record refused before the windows are reached never gets to them.
    RecordingHooks hooks(true);
    TestEngine t;
    Own(t.e);
    t.e->soft->guid[15] ^= 1;
    EXPECT_FALSE(PrepareOpenedEngine(t.e));
    EXPECT_TRUE(RecordingHooks::prepared.empty());
}

}  // namespace
