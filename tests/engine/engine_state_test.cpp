#include <gtest/gtest.h>

#include "engine/platform.h"
#include "engine/symbol_display.h"
#include "engine/temp_reset.h"
#include "engine_fixture.h"

using namespace engine_test;
using namespace testing_support;

namespace {

TEST(EngineState, ResetInputKeepsModesAndClearsTheInput) {
    TestEngine t;
    t.Type(L"ab");
    t.e->state = 0xFFFFFFFF;
    t.e->input.pickedLength = 3;
    t.e->input.keyVk = 0x41;
    t.e->input.keyAction = 0x80;
    Engine::ResetInput(t.e);
    EXPECT_EQ(t.e->state, 0x8FFFFD7Fu);
    EXPECT_EQ(t.e->state & (kStateEnglishMode | kStateFullWidthOutput),
              kStateEnglishMode | kStateFullWidthOutput);
    EXPECT_EQ(t.e->input.codeLength, 0u);
    EXPECT_EQ(t.e->input.caret, 0u);
    EXPECT_EQ(t.e->input.code[0], 0);
    EXPECT_EQ(t.e->input.compositionLength, 0u);
    EXPECT_EQ(t.e->input.pickedLength, 0u);
    EXPECT_EQ(t.e->input.keyVk, 0u);
    EXPECT_EQ(t.e->input.keyAction, 0u);
    EXPECT_EQ(t.e->candidateCount, 0);
    EXPECT_EQ(t.e->page.rowCount, 0);
}

TEST(EngineState, OpenAndClose) {
    struct Case {
        uint32_t startState;
        bool open;
        uint32_t before, after;
    };
    const Case cases[] = {
        {0, true, kStateEnglishMode | kStateImeClosed, kStateEnglishPunct},
        {kStartStateChinesePunct, true,
         kStateImeClosed | kStateEnglishPunct | kStateFullWidthOutput, kStateFullWidthOutput},
        {kStartStateChinesePunct, false, kStateEnglishMode, kStateEnglishPunct | kStateImeClosed},
    };
    for (const Case& c : cases) {
        TestEngine t;
        t.e->ime->startState = c.startState;
        t.e->state = c.before;
        t.e->ime->symbols['"'].kind = kSymbolPair;
        t.e->ime->symbols['"'].slots[kSymbolPairToggle] = 1;
        t.e->ime->symbols['('].kind = kSymbolText;
        t.e->ime->symbols['('].slots[kSymbolPairToggle] = 1;
        BookTitleDepth() = 2;
        EXPECT_EQ(Engine::SetOpenStatus(t.e, c.open), 1);
        EXPECT_EQ(t.e->state, c.after);
        // Closing resets paired symbols and the book-title depth.
        EXPECT_EQ(t.e->ime->symbols['"'].slots[kSymbolPairToggle], c.open ? 1 : 0);
        EXPECT_EQ(t.e->ime->symbols['('].slots[kSymbolPairToggle], 1);
        EXPECT_EQ(BookTitleDepth(), c.open ? 2 : 0);
    }
}

TEST(EngineState, TraditionalOutput) {
    TestEngine t;
    t.e->ime->options = kImeMainTable | kImeSimplifiedOutput;
    EXPECT_EQ(Engine::SetTraditionalOutput(t.e, true), 1);
    EXPECT_EQ(t.e->ime->options, kImeMainTable | kImeTraditionalOutput);
    EXPECT_EQ(Engine::SetTraditionalOutput(t.e, false), 1);
    EXPECT_EQ(t.e->ime->options, kImeMainTable);
}

TEST(EngineState, ForgettingTheViewsDropsEveryPointerIntoThem) {
    TestEngine t;
    t.e->dme->emptyTopLength = 1;
    t.Type(L"a");
    t.e->input.committedEntry = t.e->candidates[0].entry;
    t.e->input.committedKind = kKindMainEntry;
    t.e->ForgetTableViews();
    EXPECT_EQ(t.e->candidateCount, 0);
    EXPECT_EQ(t.e->hasPreviousFirst, 0u);
    EXPECT_EQ(t.e->previousFirst.entry, nullptr);
    EXPECT_EQ(t.e->input.committedEntry, nullptr);
    // No empty-code commit of a candidate from the old view.
    t.Type(L"q");
    EXPECT_EQ(t.e->candidateCount, 0);
}

// A clock that tests set.
int64_t g_now = 0;
uint64_t g_ticks = 0;
EnginePlatform FakeClock() {
    EnginePlatform p = Win32Platform();
    p.currentTime = [] { return g_now; };
    p.tickCount = [] { return g_ticks; };
    return p;
}

class BootReset : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = FakeClock();
        SetPlatform(&clock_);
        g_now = 1'800'000'000;
        g_ticks = 3'600'000;  // booted an hour ago
        std::vector<uint8_t> config(kConfigFileSize, 0);
        InitConfigImage(config.data(), kConfigFileSize);
        ASSERT_TRUE(WriteFileBytes(dir_ / L"config.dsc", config));
        auto temp = MakeCodeTable({{"tt", "甜甜"}}, kTableKindTemp);
        temp.resize(kTempTableSize, 0);
        ASSERT_TRUE(WriteFileBytes(dir_ / L"temp.dmg", temp));
    }
    void TearDown() override {
        SetPlatform(nullptr);
        CloseAll();
    }
    void OpenAll(bool copies) {
        CloseAll();
        auto open = copies ? MappedFile::LoadToMemory : MappedFile::Open;
        ASSERT_GT(open(&e_.configFile, (dir_ / L"config.dsc").c_str()), 0);
        ASSERT_GT(open(&e_.tempTable, (dir_ / L"temp.dmg").c_str()), 0);
        ASSERT_EQ(e_.tempTable->IsMapped(), !copies);
        e_.ime = FindImeConfig(e_.configFile);
        ASSERT_NE(e_.ime, nullptr);
        e_.ime->options |= kImeTempClearAtBoot;
    }
    void CloseAll() {
        MappedFile::Close(e_.configFile);
        MappedFile::Close(e_.tempTable);
        e_.configFile = e_.tempTable = nullptr;
    }
    int32_t TempCount() const { return LoadI32(e_.tempTable->view + 4); }

    EnginePlatform clock_;
    TempDir dir_;
    Engine e_{};
};

TEST_F(BootReset, OncePerBootWithinTheTolerance) {
    OpenAll(false);
    EXPECT_EQ(TempCount(), 1);
    EXPECT_EQ(ResetTempWordsAfterBoot(&e_), 1);
    EXPECT_EQ(TempCount(), 0);
    EXPECT_EQ(LoadU32(e_.tempTable->view), static_cast<uint32_t>(kTempTableSize));
    int64_t stamp = e_.ime->bootStamp;
    EXPECT_EQ(stamp, 1'800'000'000 - 3600);
    // Same boot, a clock that drifted a minute: the words stay.
    StoreU32(e_.tempTable->view + 4, 1);
    g_now += 600;
    g_ticks += 540'000;
    EXPECT_EQ(ResetTempWordsAfterBoot(&e_), 0);
    EXPECT_EQ(TempCount(), 1);
    // A new boot.
    g_ticks = 1000;
    EXPECT_EQ(ResetTempWordsAfterBoot(&e_), 1);
    EXPECT_EQ(TempCount(), 0);
}

TEST_F(BootReset, NotWithoutTheSettingOrOnPrivateCopies) {
    OpenAll(false);
    e_.ime->options &= ~kImeTempClearAtBoot;
    EXPECT_EQ(ResetTempWordsAfterBoot(&e_), 0);
    EXPECT_EQ(TempCount(), 1);
    OpenAll(true);
    EXPECT_EQ(ResetTempWordsAfterBoot(&e_), 0);
    EXPECT_EQ(TempCount(), 1);
    MappedFile* temp = e_.tempTable;
    e_.tempTable = nullptr;
    EXPECT_EQ(ResetTempWordsAfterBoot(&e_), 0);
    e_.tempTable = temp;
}

}  // namespace
