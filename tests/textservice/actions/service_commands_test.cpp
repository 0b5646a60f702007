// UI commands through the text service on the test host: the engine's target reaches the
// shared handler, key-handler codes run in an edit session, modes reach the compartments.
#include <gtest/gtest.h>

#include "core/settings/config_blocks.h"
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

}  // namespace
