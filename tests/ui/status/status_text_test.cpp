#include "ui/status/status_text.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/settings/config_blocks.h"
#include "ui/ui_engine_fixture.h"

using testing_support::UiEngine;

namespace {

struct TextCase {
    const char* name;
    uint32_t state, options;
    bool capsLock, traditional, simplified, aliases;
    const wchar_t* text;
};

TEST(StatusText, ModesTablesAndScheme) {
    const uint32_t M = kImeMainTable, A = kImeAuxTable;
    const TextCase cases[] = {
        {"Chinese, half width, Chinese punctuation", 0, M, false, false, false, false,
         L"当前状态：中文，半角，中文标点"},
        {"disabled wins", 0x8 | kStateImeClosed, M, true, false, false, false,
         L"当前状态：禁用，半角，中文标点"},
        {"closed", kStateImeClosed | kStateEnglishPunct, M, true, false, false, false,
         L"当前状态：关闭，半角，英文标点"},
        {"Caps Lock before English", kStateEnglishMode, M, true, false, false, false,
         L"当前状态：大写，半角，中文标点"},
        {"English, full width", kStateEnglishMode | kStateFullWidthOutput, M, false, false, false,
         false, L"当前状态：英文，全角，中文标点"},
        {"traditional table, traditional output", 0, M | kImeTraditionalOutput, false, true, false,
         false, L"当前状态：中文，半角，中文标点，繁体\r\n"},
        {"traditional table, plain output", 0, M, false, true, true, false,
         L"当前状态：中文，半角，中文标点，简体\r\n"},
        {"only simplified table, plain output", 0, M, false, false, true, false,
         L"当前状态：中文，半角，中文标点，繁体\r\n"},
        {"only simplified table, simplified output", 0, M | kImeSimplifiedOutput, false, false,
         true, false, L"当前状态：中文，半角，中文标点，简体\r\n"},
        {"main scheme, secondary never", 0, M, false, false, false, true,
         L"当前状态：中文，半角，中文标点输入方案：主码，不检索次显"},
        {"auxiliary scheme, secondary always", 0, A | kImeSearchSecondary, false, false, false,
         true, L"当前状态：中文，半角，中文标点输入方案：辅码，检索次显"},
        {"mixed scheme, secondary on an empty code", 0, M | A | kImeSecondaryOnEmpty, false, false,
         false, true, L"当前状态：中文，半角，中文标点输入方案：主码+辅码，空候选时检索次显"},
        {"neither scheme bit reads as both", 0, 0, false, false, false, true,
         L"当前状态：中文，半角，中文标点输入方案：主码+辅码，不检索次显"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        UiEngine t;
        auto soft = std::make_unique<SoftConfigData>();
        t.e->soft = soft.get();
        if (c.aliases) {
            wcscpy(soft->classAliases[0], L"主码");
            wcscpy(soft->classAliases[3], L"次显");
            wcscpy(soft->classAliases[4], L"辅码");
        }
        uint8_t byte = 0;
        MappedFile table{};
        table.view = &byte;
        if (c.traditional) t.e->traditionalTable = &table;
        if (c.simplified) t.e->simplifiedTable = &table;
        t.e->state = c.state;
        t.e->ime->options = c.options;
        wchar_t out[kStatusTextUnits];
        const int n = BuildStatusText(t.e, c.capsLock, out, kStatusTextUnits);
        EXPECT_EQ(std::wstring(out), c.text);
        EXPECT_EQ(n, static_cast<int>(wcslen(c.text)));
    }
}

TEST(StatusText, MainAliasMissingReadsAsTheMainTable) {
    UiEngine t;
    auto soft = std::make_unique<SoftConfigData>();
    t.e->soft = soft.get();
    wcscpy(soft->classAliases[4], L"辅码");
    t.e->ime->options = kImeMainTable;
    wchar_t out[kStatusTextUnits];
    BuildStatusText(t.e, false, out, kStatusTextUnits);
    EXPECT_EQ(std::wstring(out), L"当前状态：中文，半角，中文标点输入方案：主码表");
}

TEST(StatusText, CutToTheBuffer) {
    UiEngine t;
    wchar_t out[8];
    wmemset(out, L'x', 8);
    EXPECT_EQ(BuildStatusText(t.e, false, out, 8), 7);
    EXPECT_EQ(std::wstring(out), L"当前状态：中文");
}

}  // namespace
