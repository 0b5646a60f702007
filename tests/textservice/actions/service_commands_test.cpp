// UI commands through the text service on the test host: the engine's target reaches the
// shared handler, key-handler codes run in an edit session, modes reach the compartments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings/config_blocks.h"
#include "engine/entry_flag_edits.h"
#include "engine/ui_command.h"
#include "support/tsf_host/service_fixture.h"
#include "textservice/actions/service_actions.h"

using namespace tsf_host;

namespace {

LONG Conversion(ServiceFixture& f) {
    return f.host->GlobalCompartment(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION);
}

TEST(ServiceCommands, PickRowThroughTheCommandTarget) {
    for (int row = 1; row <= 2; ++row) {
        SCOPED_TRACE(row);
        ServiceFixture f;
        ASSERT_EQ(f.Activate(), S_OK);
        f.TypeKeypad("64486");
        Engine* e = f.service->engine();
        ASSERT_GE(e->page.rowCount, row);
        const std::wstring word(e->page.rowText[row - 1].text, e->page.rowText[row - 1].length);
        EXPECT_EQ(SendUICommand(e, uicmd::kPickCandidate, row, 0), 1);
        EXPECT_EQ(f.host->Text(), word);
        EXPECT_EQ(f.host->CompositionCount(), 0);
    }
}

TEST(ServiceCommands, ModesReachTheCompartments) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    Engine* e = f.service->engine();
    struct Step {
        uint32_t code;
        uint32_t stateBit;
        bool set;
        LONG conversionBit;
        bool conversionSet;
    };
    const Step steps[] = {
        {uicmd::kFullWidth, kStateFullWidthOutput, true, kConversionFullShape, true},
        {uicmd::kHalfWidth, kStateFullWidthOutput, false, kConversionFullShape, false},
        {uicmd::kEnglishPunct, kStateEnglishPunct, true, kConversionSymbol, false},
        {uicmd::kChinesePunct, kStateEnglishPunct, false, kConversionSymbol, true},
        {uicmd::kEnglishInput, kStateEnglishMode, true, kConversionNoConversion, true},
        {uicmd::kChineseInput, kStateEnglishMode, false, kConversionNoConversion, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.code);
        EXPECT_EQ(SendUICommand(e, s.code, 0, 0), 1);
        EXPECT_EQ((e->state & s.stateBit) != 0, s.set);
        EXPECT_EQ((Conversion(f) & s.conversionBit) != 0, s.conversionSet);
    }
    EXPECT_EQ(SendUICommand(e, 0x7777, 0, 0), 0);  // unknown to the text service
}

// A width or punctuation switch writes its own bit of the conversion mode and keeps the
// others as they were, also the English bit of temporary English or of another writer.
TEST(ServiceCommands, WidthAndPunctuationWriteOnlyTheirConversionBit) {
    const struct {
        const char* name;
        uint32_t code;
        uint32_t state;
        LONG before;
        LONG after;
    } cases[] = {
        {"full width in temporary English", uicmd::kFullWidth, kStateTempEnglish, 0x401, 0x409},
        {"half width keeps an English bit", uicmd::kHalfWidth, kStateFullWidthOutput, 0x509, 0x501},
        {"English punctuation in temporary English", uicmd::kEnglishPunct, kStateTempEnglish, 0x401,
         0x001},
        {"Chinese punctuation keeps a clear English bit", uicmd::kChinesePunct,
         kStateEnglishMode | kStateEnglishPunct, 0x001, 0x401},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceFixture f;
        ASSERT_EQ(f.Activate(), S_OK);
        Engine* e = f.service->engine();
        e->state = c.state;
        f.host->SetGlobalCompartment(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION, c.before);
        EXPECT_EQ(SendUICommand(e, c.code, 0, 0), 1);
        EXPECT_EQ(Conversion(f), c.after);
    }
}

// English input while composing commits the typed code first (commit on a switch); a host
// that runs the session later gets it done then, from the session's own storage.
TEST(ServiceCommands, SwitchCommitRunsLaterInAQueuedSession) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    Engine* e = f.service->engine();
    e->ime->options |= kImeCommitCodeOnSwitch;
    f.TypeKeypad("64");
    ASSERT_EQ(f.host->CompositionCount(), 1);
    f.host->SetSessionMode(SessionMode::kQueued);
    EXPECT_EQ(SendUICommand(e, uicmd::kEnglishInput, 0, 0), 1);
    EXPECT_TRUE(e->state & kStateEnglishMode);
    EXPECT_GE(f.host->RunQueuedSessions(), 1);
    EXPECT_EQ(f.host->CompositionCount(), 0);
    EXPECT_EQ(f.host->Text(), L"64");
}

TEST(ServiceCommands, PagingThroughTheKeyHandler) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    Engine* e = f.service->engine();
    e->ime->listOptions = 1u << kListPageShift;  // one row a page
    f.TypeKeypad("64486");
    ASSERT_GT(e->candidateCount, e->page.rowCount);
    EXPECT_EQ(SendUICommand(e, uicmd::kNextPage, 0, 0), 1);
    EXPECT_GT(e->page.pageStart, 0);
    EXPECT_EQ(SendUICommand(e, uicmd::kPrevPage, 0, 0), 1);
    EXPECT_EQ(e->page.pageStart, 0);
}

// A box of the candidate menu pumps messages: it waits until the edit session has ended and
// runs from the thread's message loop.
struct Box {
    std::wstring caption;
    bool inSession;
};
std::vector<Box> g_boxes;

int RecordBox(HWND, const wchar_t*, const wchar_t* caption, uint32_t) {
    g_boxes.push_back({caption ? caption : L"", ServiceFixture::current->host->InSession()});
    return IDNO;
}

void PumpUntilABox() {
    const DWORD end = GetTickCount() + 2000;
    while (g_boxes.empty() && GetTickCount() < end) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        Sleep(1);
    }
}

TEST(ServiceCommands, EntryInformationBoxRunsAfterTheSession) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    f.keyboard.platform().messageBox = &RecordBox;
    g_boxes.clear();
    f.TypeKeypad("64486");
    Engine* e = f.service->engine();
    ASSERT_GE(e->page.rowCount, 1);
    EXPECT_EQ(SendUICommand(e, uicmd::kCandidateMenu, 0, kEntryInfo), 1);
    EXPECT_TRUE(g_boxes.empty()) << "not inside the key's session";
    PumpUntilABox();
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].caption.rfind(L"词条信息 - ", 0), 0u);
    EXPECT_FALSE(g_boxes[0].inSession);
    EXPECT_EQ(f.host->CompositionCount(), 1) << "the code stays open";
    // A box queued by an engine that went away is dropped with it.
    EXPECT_EQ(SendUICommand(e, uicmd::kCandidateMenu, 0, kEntryInfo), 1);
    g_boxes.clear();
    f.service->Deactivate();
    PumpUntilABox();
    EXPECT_TRUE(g_boxes.empty());
}

}  // namespace
