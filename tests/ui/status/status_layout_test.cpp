#include "ui/status/status_layout.h"

#include <gtest/gtest.h>

#include "engine/ui_command.h"
#include "status_skin_fixture.h"
#include "ui/status/status_paint.h"
#include "ui/ui_engine_fixture.h"

using status_test::StatusSkin;
using testing_support::UiEngine;

namespace {

struct PlaceCase {
    const char* name;
    WindowPoint stored;
    int corner;
    RECT workArea;
    POINT at;
};

TEST(StatusPlacement, CornersAndClamping) {
    const RECT plain{0, 0, 1280, 1000};
    const RECT leftBar{60, 0, 1280, 1024};   // taskbar at the left
    const RECT topBar{0, 40, 1280, 1024};    // taskbar at the top
    const RECT second{1280, 0, 2560, 1000};  // a monitor to the right
    const int w = 100, h = 30;
    const PlaceCase cases[] = {
        {"corner 1", {-1, -1}, 1, plain, {0, 0}},
        {"corner 2", {-1, -1}, 2, plain, {590, 0}},
        {"corner 3", {-1, -1}, 3, plain, {1180, 0}},
        {"corner 4", {-1, -1}, 4, plain, {0, 970}},
        {"corner 5 centres at the bottom", {-1, -1}, 5, plain, {590, 970}},
        {"corner 0", {-1, -1}, 0, plain, {1180, 970}},
        {"corner 9", {-1, 5}, 9, plain, {1180, 970}},
        {"left taskbar: corner 1", {-1, -1}, 1, leftBar, {60, 0}},
        {"left taskbar: corner 2", {-1, -1}, 2, leftBar, {620, 0}},
        {"left taskbar: corner 3", {-1, -1}, 3, leftBar, {1180, 0}},
        {"top taskbar: corner 1", {-1, -1}, 1, topBar, {0, 40}},
        {"top taskbar: corner 5", {-1, -1}, 5, topBar, {590, 994}},
        {"second monitor: corner 4", {-1, -1}, 4, second, {1280, 970}},
        {"second monitor: corner 2", {-1, -1}, 2, second, {1870, 0}},
        {"stored inside stays", {300, 400}, 1, plain, {300, 400}},
        {"stored partly off the right and bottom is pulled back",
         {1250, 990},
         1,
         plain,
         {1180, 970}},
        {"stored under a left taskbar is pushed right", {10, 400}, 1, leftBar, {60, 400}},
        {"stored above a top taskbar is pushed down", {500, 0}, 1, topBar, {500, 40}},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const POINT at = PlaceStatusBar(c.stored, c.corner, w, h, c.workArea);
        EXPECT_EQ(at.x, c.at.x);
        EXPECT_EQ(at.y, c.at.y);
    }
}

TEST(StatusLayout, ButtonRegionsFromTheSkin) {
    StatusSkin t;
    const SkinRegion* r = t.e->uiState->statusRegions;
    const struct {
        int64_t id;
        int x;
        bool shown;
    } expected[] = {
        {statusid::kMode, 14, true},         {statusid::kLogo, 2, true},
        {statusid::kWidth, 38, true},        {statusid::kPunctuation, 26, true},
        {statusid::kSoftKeyboard, 50, true}, {statusid::kScript, 74, true},
        {statusid::kMenu, 62, true},         {statusid::kExtension1, -1, false},  // negative x
        {statusid::kExtension2, 98, false},                                       // no picture
    };
    for (int i = 0; i < kStatusButtons; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(r[i].id, expected[i].id);
        EXPECT_EQ(r[i].x, expected[i].x);
        EXPECT_EQ(r[i].state, expected[i].shown ? kRegionNormal : kRegionHidden);
        if (expected[i].shown) {
            EXPECT_EQ(r[i].width, 10);
        }
    }
    for (int i = kStatusButtons; i < kSkinRegionCount; ++i) EXPECT_EQ(r[i].state, kRegionHidden);
    // Hidden buttons are never hit.
    EXPECT_EQ(SkinHitTest(r, kSkinRegionCount, 120, 24, 100, 7), 0);
    EXPECT_EQ(SkinHitTest(r, kSkinRegionCount, 120, 24, 16, 7), statusid::kMode);
}

TEST(StatusPaint, ButtonsShowTheEngineState) {
    const uint32_t E = kStateEnglishMode;
    struct Case {
        const char* name;
        uint32_t state;
        bool capsLock;
        int x;
        int slot;
    };
    const Case cases[] = {
        {"Chinese mode", 0, false, 14, kSlotChineseMode},
        {"English mode", E, false, 14, kSlotEnglishMode},
        {"Caps Lock in Chinese mode", 0, true, 14, kSlotCapsLock},
        {"closed shows English", kStateImeClosed, true, 14, kSlotEnglishMode},
        {"disabled shows English", 0x8, false, 14, kSlotEnglishMode},
        {"half width", 0, false, 38, kSlotHalfWidth},
        {"full width", kStateFullWidthOutput, false, 38, kSlotFullWidth},
        {"Chinese punctuation", 0, false, 26, kSlotChinesePunct},
        {"English punctuation", kStateEnglishPunct, false, 26, kSlotEnglishPunct},
        {"soft keyboard off", 0, false, 50, kSlotSoftKeyboard},
        {"menu", 0, false, 62, kSlotMenu},
        {"logo", 0, false, 2, kSlotLogo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StatusSkin t;
        t.e->state = c.state;
        EXPECT_EQ(t.BlueAt(c.x, c.capsLock), c.slot);
    }
    StatusSkin t;
    t.e->softKeyboardLayout = 4;
    EXPECT_EQ(t.BlueAt(50), kSlotSoftKeyboard2);
    EXPECT_EQ(t.BlueAt(2, false, statusid::kLogo), 0xEE);  // hovered logo
    // The script button shows only with a script table.
    EXPECT_EQ(t.BlueAt(74), 0x10);
    uint8_t byte = 0;
    MappedFile table{};
    table.view = &byte;
    t.e->traditionalTable = &table;
    EXPECT_EQ(t.BlueAt(74), kSlotSimplified);
    t.e->ime->options |= kImeTraditionalOutput;
    EXPECT_EQ(t.BlueAt(74), kSlotTraditional);
    t.e->traditionalTable = nullptr;
    t.e->simplifiedTable = &table;
    EXPECT_EQ(t.BlueAt(74), kSlotTraditional);
    t.e->ime->options |= kImeSimplifiedOutput;
    EXPECT_EQ(t.BlueAt(74), kSlotSimplified);
}

TEST(StatusClicks, ButtonsToCommands) {
    struct Case {
        const char* name;
        int64_t id;
        uint32_t state;
        bool traditional, simplified;
        StatusClickKind kind;
        uint32_t code;
    };
    const StatusClickKind C = StatusClickKind::kCommand, N = StatusClickKind::kNothing;
    const Case cases[] = {
        {"width to full", statusid::kWidth, 0, false, false, C, uicmd::kFullWidth},
        {"width to half", statusid::kWidth, kStateFullWidthOutput, false, false, C,
         uicmd::kHalfWidth},
        {"punctuation to English", statusid::kPunctuation, 0, false, false, C,
         uicmd::kEnglishPunct},
        {"punctuation to Chinese", statusid::kPunctuation, kStateEnglishPunct, false, false, C,
         uicmd::kChinesePunct},
        {"menu", statusid::kMenu, 0, false, false, StatusClickKind::kFunctionMenu, 0},
        {"soft keyboard", statusid::kSoftKeyboard, 0, false, false, C, uicmd::kSoftKeyboard},
        {"mode to English", statusid::kMode, 0, false, false, C, uicmd::kEnglishInput},
        {"mode to Chinese", statusid::kMode, kStateEnglishMode, false, false, C,
         uicmd::kChineseInput},
        {"mode while closed", statusid::kMode, kStateImeClosed, false, false, C,
         uicmd::kChineseInput},
        {"mode while disabled", statusid::kMode, 0x8, false, false, N, 0},
        {"script with the traditional table", statusid::kScript, 0, true, true, C,
         uicmd::kTraditionalToggle},
        {"script with the simplified table", statusid::kScript, 0, false, true, C,
         uicmd::kSimplifiedToggle},
        {"script without tables", statusid::kScript, 0, false, false, N, 0},
        {"logo", statusid::kLogo, 0, false, false, N, 0},
        {"extension", statusid::kExtension1, 0, false, false, N, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UiEngine t;
        uint8_t byte = 0;
        MappedFile table{};
        table.view = &byte;
        if (c.traditional) t.e->traditionalTable = &table;
        if (c.simplified) t.e->simplifiedTable = &table;
        t.e->state = c.state;
        const StatusClick click = StatusButtonClick(t.e, c.id);
        EXPECT_EQ(click.kind, c.kind);
        EXPECT_EQ(click.code, c.code);
    }
}

}  // namespace
