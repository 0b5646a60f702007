// Checks of the shipped config.dsc made from data/settings/default.kxconfig.txt.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/settings/config_blocks.h"
#include "core/settings/key_names.h"
#include "shipped_data.h"
#include "support/test_files.h"

namespace {

using testing_support::Narrow;

class ShippedSettings : public testing::Test {
protected:
    void SetUp() override {
        bytes_ = testing_support::ReadFileBytes(shipped::DataDir() + L"/config.dsc");
        ASSERT_EQ(bytes_.size(), kConfigFileSize)
            << "no config.dsc in " << Narrow(shipped::DataDir())
            << ": run tools/make_data.sh (tools/test.sh does)";
        bytes_.resize(kConfigFileSize + 2);  // as a private copy has it
        file_.view = bytes_.data();
        file_.size = static_cast<int32_t>(kConfigFileSize);
        ime = FindImeConfig(&file_);
        dme = FindDmeConfig(&file_);
        skin = FindSkinConfig(&file_);
        soft = FindSoftConfig(&file_);
        ASSERT_TRUE(ime && dme && skin && soft);
    }

    std::vector<uint8_t> bytes_;
    MappedFile file_{};
    ImeConfigData* ime = nullptr;
    DmeConfigData* dme = nullptr;
    SkinConfigData* skin = nullptr;
    SoftConfigData* soft = nullptr;
};

TEST_F(ShippedSettings, ContainerAsShipped) {
    ConfigDataFile table;
    std::memcpy(&table, bytes_.data(), sizeof table);
    EXPECT_EQ(table.count, 4);
    const uint32_t offsets[] = {132, 22024, 35912, 36644};
    for (int i = 0; i < kMaxConfigBlocks; ++i)
        EXPECT_EQ(table.offsets[i], i < 4 ? offsets[i] : 0u) << i;
    struct Block {
        const ConfigBlockHeader* header;
        uint32_t size;
        uint8_t id;
        const char* name;
    };
    const Block blocks[] = {
        {&ime->header, 21892, 1, "kx_ime_config_data_default"},
        {&dme->header, 13888, 2, "kx_dme_config_data_default"},
        {&skin->header, 732, 3, "kx_skin_config_data_default"},
        {&soft->header, 7676, 4, "kx_soft_config_data_default"},
    };
    for (const Block& b : blocks) {
        EXPECT_EQ(b.header->size, b.size) << b.name;
        EXPECT_EQ(b.header->id, b.id) << b.name;
        EXPECT_STREQ(b.header->name, b.name);
    }
}

TEST_F(ShippedSettings, FieldsTheTextHasNoKeysFor) {
    EXPECT_EQ(ime->visibleItems, 0x3FFu);
    EXPECT_EQ(ime->features & (kFeatHasTsf | kFeatHasAssociation | kFeatHasTempWords),
              kFeatHasTsf | kFeatHasAssociation | kFeatHasTempWords);
    // Keypad digits 1-9 start a code; 0-9 and '-' continue one; nothing else does.
    for (int c = 0; c < 256; ++c) {
        const uint8_t start = (c >= 0x11 && c <= 0x19) ? kKeyCodeStart : 0;
        const uint8_t cont = ((c >= 0x10 && c <= 0x19) || c == '-') ? kKeyCodeContinue : 0;
        EXPECT_EQ(dme->keyClass[c] & (kKeyCodeStart | kKeyCodeContinue), start | cont) << c;
    }
    EXPECT_EQ(skin->options, 0x7u);
    EXPECT_EQ(skin->statusWindowPos.x, -1);
    EXPECT_EQ(skin->statusWindowPos.y, -1);
    EXPECT_EQ(skin->candidateWindowPos.x, 0);
    EXPECT_NE(skin->skinName[0], 0);
    EXPECT_EQ(std::wstring(skin->skinName), std::wstring(skin->currentSkin));

    EXPECT_EQ(std::memcmp(soft->guid, shipped::kGuidBytes, 16), 0);
    EXPECT_EQ(soft->buildNumber, 215u);
    EXPECT_EQ(soft->dataVersionNumber, 62u);
    EXPECT_EQ(LanguageIdOf(soft), 2052u);
    EXPECT_EQ(std::wstring(soft->classAliases[0]), L"主码");
    for (const wchar_t* text : {soft->productName, soft->languageName, soft->imeName})
        EXPECT_NE(text[0], 0);
}

TEST_F(ShippedSettings, TypingDefaults) {
    // Main table only, table order, a page of five, Chinese punctuation at start.
    EXPECT_EQ(ime->options & (kImeMainTable | kImeAuxTable | kImeSearchSecondary), kImeMainTable);
    EXPECT_EQ(ime->listOptions & (kListSingleFirst | kListByCode), 0u);
    EXPECT_EQ(CandidatesPerPage(ime->listOptions), 5u);
    EXPECT_EQ(ime->options & kImeStyleMask, kImeStyleTsfEmbedCode);
    EXPECT_NE(ime->features & kFeatCustomStartState, 0u);
    EXPECT_EQ(ime->startState, kStartStateStored | kStartStateChinesePunct);
    EXPECT_EQ(ime->options & (kImeAssociation | kImeTempWords), 0u);
    // No automatic commit or clearing: keypad codes are ambiguous at every length.
    EXPECT_EQ(dme->autoCommitLength, 0);
    EXPECT_EQ(dme->emptyTopLength, 0);
    EXPECT_EQ(dme->emptyClearLength, 0);
    EXPECT_EQ(dme->showWordsLength, 0);
    EXPECT_EQ(dme->showNextLength, 0);
    EXPECT_EQ(dme->inputOptions, 0x2u);  // longer codes when a code has no words of its own
    EXPECT_EQ(dme->wildcardChar, 0);
    for (int c = 0; c < 256; ++c) {
        const bool english = c == '.' || c == ',' || c == ':';
        EXPECT_EQ(dme->keyClass[c] & kKeyEnglishPunctAfterDigit,
                  english ? kKeyEnglishPunctAfterDigit : 0)
            << c;
        EXPECT_EQ(dme->keyClass[c] & (kKeyCommitLead | kKeyCodeEnd), 0) << c;
    }

    struct Symbol {
        char key;
        uint16_t kind;
        const wchar_t* text;
    };
    const Symbol symbols[] = {
        {',', kSymbolText, L"，"}, {'.', kSymbolText, L"。"}, {'\\', kSymbolText, L"、"},
        {'^', kSymbolText, L"……"}, {'"', kSymbolPair, L"“"},  {'\'', kSymbolPair, L"‘"},
    };
    for (const Symbol& s : symbols) {
        const SymbolRecord& r = ime->symbols[static_cast<uint8_t>(s.key)];
        EXPECT_EQ(r.kind, s.kind) << s.key;
        wchar_t text[32];
        if (s.kind == kSymbolPair)
            SymbolPairText(&r, 0, text, 32);
        else
            SymbolText(&r, text, 32);
        EXPECT_EQ(std::wstring(text), s.text) << s.key;
    }
}

TEST_F(ShippedSettings, KeysForTheKeypad) {
    struct Key {
        int vk;
        bool shifted;
        KeyFunctionMask functions;
    };
    const Key keys[] = {
        {VK_SPACE, false, 0x80},       // first candidate
        {VK_RETURN, false, 0x80},      // first candidate
        {VK_ESCAPE, false, 0x4},       // clear
        {VK_BACK, false, 0x10000},     // delete before the caret
        {VK_ADD, false, 0x40},         // next page
        {VK_SUBTRACT, false, 0x20},    // previous page
        {VK_NEXT, false, 0x40},        // next page
        {VK_PRIOR, false, 0x20},       // previous page
        {'1', false, 0x80 | 1 << 8},   // candidate 1
        {'5', false, 0x80 | 5 << 8},   // candidate 5
        {'0', false, 0x80 | 10 << 8},  // candidate 10
        {VK_NUMPAD5, false, 0},        // a code key, no function
        {VK_LSHIFT, false, 0x2},       // tap: English on or off
    };
    for (const Key& k : keys) {
        const KeyFunctionMask* table = k.shifted ? dme->keys.shiftedKeys : dme->keys.plainKeys;
        EXPECT_EQ(table[k.vk], k.functions) << k.vk;
    }
}

}  // namespace
