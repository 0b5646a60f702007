#include "core/settings/settings_import.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/base/text_file.h"
#include "core/settings/settings_export.h"
#include "support/settings_blocks.h"
#include "support/test_files.h"

using namespace testing_support;

namespace {

int Import(SettingsBlocks& b, const std::wstring& text, const OptionSectionCodec* codec = nullptr) {
    return ImportSettingsText(text.c_str(), b.ime.get(), b.dme.get(), b.skin.get(), codec);
}

// One "[-IME设置-]" line and the option word it leaves.
struct OptionCase {
    const wchar_t* line;
    uint32_t ImeConfigData::*word;
    uint32_t features;  // before the line
    uint32_t before;
    uint32_t after;
};

const OptionCase kOptionCases[] = {
    {L"编码窗口样式=TSF-嵌入编码", &ImeConfigData::options, kFeatHasTsf, 0x4000, 0x1000},
    {L"编码窗口样式=TSF-嵌入首选", &ImeConfigData::options, kFeatHasTsf, 0, 0x2000},
    {L"编码窗口样式=TSF-传统样式", &ImeConfigData::options, kFeatHasTsf, 0x1000, 0x4000},
    {L"编码窗口样式=IME-传统样式", &ImeConfigData::options, kFeatHasTsf, 0x1001, 0x1},
    {L"编码窗口样式=TSF-嵌入编码", &ImeConfigData::options, 0, 0x2000, 0},
    {L"是否嵌入状态栏窗口=是", &ImeConfigData::options, kFeatHasTsf, 0, 0x200},
    {L"是否嵌入状态栏窗口=切换", &ImeConfigData::options, kFeatHasTsf, 0x200, 0},
    {L"是否嵌入状态栏窗口=是", &ImeConfigData::options, 0, 0, 0},
    {L"空码时空格行为=上屏英文", &ImeConfigData::features, 0, 0x6, 0x1},
    {L"空码时空格行为=清屏", &ImeConfigData::features, 0, 0x1, 0x4},
    {L"空码时空格行为=别的", &ImeConfigData::features, 0, 0x5, 0x2},
    {L"英文状态时空格行为=清屏", &ImeConfigData::features, 0, 0x2, 0x4},
    {L"初始化转换状态=与系统转换状态一致", &ImeConfigData::startState, 0, 0x109, 0x401},
    {L"初始化转换状态=自定义：中文标点+全角+输入法关闭", &ImeConfigData::startState, 0, 0, 0x509},
    {L"初始化转换状态=自定义：英文标点+半角+输入法打开", &ImeConfigData::startState, 0, 0x509, 0x1},
    {L"保存自定义的初始化转换状态=是", &ImeConfigData::features, 0, 0, 0x200},
    {L"保存自定义的初始化转换状态=切换", &ImeConfigData::features, 0, 0x200, 0},  // no toggle
    {L"是否开启命令直通车=是", &ImeConfigData::features, 0, 0, 0x20},
    {L"Capslock转英文标点=是", &ImeConfigData::features, 0, 0, 0x20000},
    {L"仅重码时显示候选窗口=切换", &ImeConfigData::features, 0, 0x40, 0},
    {L"隐藏嵌入的首候选=是", &ImeConfigData::features, 0, 0, 0x80},
    {L"隐藏词条相同编码不同的后续候选=否", &ImeConfigData::features, 0, 0x8, 0},
    {L"首字母大写开启临时英文输入=是", &ImeConfigData::options, 0, 0, 0x800},
    {L"临时词功能开启=是", &ImeConfigData::options, 0, 0, 0x100000},
    {L"临时词上屏即存=是", &ImeConfigData::options, 0, 0, 0x200000},
    {L"临时词重启电脑后清空=切换", &ImeConfigData::options, 0, 0, 0x400000},
    {L"智能模式生成临时词=是", &ImeConfigData::options, 0, 0, 0x800000},
    {L"禁用鼠标悬停词典=是", &ImeConfigData::options, 0, 0, 0x1000000},
    {L"隐藏候选窗口=是", &ImeConfigData::options, 0, 0, 0x400},
    {L"隐藏状态条窗口=是", &ImeConfigData::options, 0, 0, 0x100},
    {L"禁用组合快捷键=是", &ImeConfigData::options, 0, 0, 0x8},
    {L"候选窗口位置=跟随状态栏", &ImeConfigData::options, 0, 0x40, 0x80},
    {L"候选窗口位置=固定位置", &ImeConfigData::options, 0, 0x80, 0x40},
    {L"候选窗口位置=跟随光标", &ImeConfigData::options, 0, 0xC0, 0},
    {L"是否在上屏时开启词语联想=是", &ImeConfigData::options, 0, 0, 0x2},
    {L"是否打开非编码按键顶屏=是", &ImeConfigData::options, 0, 0, 0x4},
    {L"中英文切换时上屏输入字符=是", &ImeConfigData::options, 0, 0, 0x1},
    {L"中英文切换时上屏输入字符=是 ", &ImeConfigData::options, 0, 0x1, 0},  // only "是" exactly
    {L"候选列表排序依据=单字先见,按编码排序,", &ImeConfigData::listOptions, 0, 0, 0x18},
    {L"候选列表排序依据=码表原始序", &ImeConfigData::listOptions, 0, 0x18, 0},
    {L"候选列表显示个数=10", &ImeConfigData::listOptions, 0, 0x50000000, 0xA0000000},
    {L"候选列表显示个数=1", &ImeConfigData::listOptions, 0, 0x50000007, 0x10000007},
    {L"候选列表显示个数=7", &ImeConfigData::listOptions, 0, 0, 0x70000000},
    {L"候选列表显示个数=0", &ImeConfigData::listOptions, 0, 0, 0x50000000},
    {L"候选列表显示个数=几", &ImeConfigData::listOptions, 0, 0x90000000, 0x50000000},
    {L"词频调整=一次到顶", &ImeConfigData::listOptions, 0, 0x6, 0x1},
    {L"词频调整=逐渐调整", &ImeConfigData::listOptions, 0, 0x1, 0x2},
    {L"词频调整=累加上屏数", &ImeConfigData::listOptions, 0, 0, 0x4},
    {L"词频调整=禁止调整", &ImeConfigData::listOptions, 0, 0x18 | 0x7, 0x18},
    {L"输入方案=主+辅", &ImeConfigData::options, 0, 0, 0x18000},
    {L"输入方案=主", &ImeConfigData::options, 0, 0x10000, 0x8000},
    {L"输入方案=辅", &ImeConfigData::options, 0, 0x8000, 0x10000},
    {L"检索次显码表=是", &ImeConfigData::options, 0, 0, 0x20000},
    {L"空码时检索次显码表=切换", &ImeConfigData::options, 0, 0, 0x40000},
    {L"未知的键=是", &ImeConfigData::options, 0, 0x123, 0x123},
    {L"隐藏候选窗口=\"是\"", &ImeConfigData::options, 0, 0, 0x400},
};

TEST(ImportSettingsText, ImeLinesSetTheirOptionBits) {
    for (const OptionCase& c : kOptionCases) {
        SCOPED_TRACE(Narrow(c.line));
        SettingsBlocks b;
        b.ime->features = c.features;
        b.ime.get()->*c.word |= c.before;
        ASSERT_EQ(Import(b, std::wstring(L"[-IME设置-]\r\n") + c.line + L"\r\n"), 1);
        uint32_t value = b.ime.get()->*c.word;
        if (c.word == &ImeConfigData::features) value &= ~c.features;
        EXPECT_EQ(value, c.after);
    }
}

TEST(ImportSettingsText, LinesOutsideTheirSectionChangeNothing) {
    SettingsBlocks b;
    ASSERT_EQ(Import(b,
                     L"隐藏候选窗口=是\r\n[-软件选项-]\r\n隐藏状态条窗口=是\r\n"
                     L"[-IME设置-]x\r\n隐藏状态条窗口=是\r\n"),
              1);
    EXPECT_EQ(b.ime->options, 0u);
}

TEST(ImportSettingsText, CommentsBreaksAndBackslashPairsDelimitLines) {
    SettingsBlocks b;
    ASSERT_EQ(
        Import(b,
               L"\r\n\n[-IME设置-]\\\\隐藏候选窗口=是\\\\隐藏状态条窗口=是\n"
               L"// 禁用组合快捷键=是\r\n"
               L"/* 检索次显码表=是\r\n 空码时检索次显码表=是 */首字母大写开启临时英文输入=是\r\n"
               L"没有等号的行\r\n"
               L"/* 中英文切换时上屏输入字符=是"),
        1);
    EXPECT_EQ(b.ime->options, kImeCandidateHidden | kImeStatusHidden | kImeCapitalStartsEnglish);
}

TEST(ImportSettingsText, LaterLinesOfAKeyWin) {
    SettingsBlocks b;
    ASSERT_EQ(
        Import(b, L"[-IME设置-]\r\n隐藏候选窗口=是\r\n隐藏候选窗口=否\r\n隐藏候选窗口=切换\r\n"),
        1);
    EXPECT_EQ(b.ime->options, kImeCandidateHidden);
}

// A table line and what it leaves in the blocks.
struct TableCase {
    const char* name;
    const wchar_t* text;
    bool (*check)(const SettingsBlocks&);
};

std::wstring Text(const wchar_t* field, int units) {
    return std::wstring(field, wcsnlen(field, units));
}
std::wstring SymbolFirst(const SettingsBlocks& b, int i) {
    return Text(b.ime->symbols[i].slots, kSymbolPairUnits);
}
std::wstring SymbolSecond(const SettingsBlocks& b, int i) {
    return Text(b.ime->symbols[i].slots + kSymbolPairSecond, kSymbolPairUnits);
}
std::wstring SymbolTextOf(const SettingsBlocks& b, int i) {
    return Text(b.ime->symbols[i].slots, kSymbolTextUnits);
}
std::wstring Root(const SettingsBlocks& b, int i) { return Text(b.ime->keyRoots[i].text, 32); }
bool RuleIs(const SettingsBlocks& b, int n, std::initializer_list<uint16_t> terms) {
    WordRule want{};
    int t = 0;
    for (uint16_t v : terms) want.terms[t++] = v;
    return std::memcmp(&b.dme->wordRules[n], &want, sizeof want) == 0;
}
bool RuleEmpty(const SettingsBlocks& b, int n) { return RuleIs(b, n, {}); }

#define SYMBOLS L"[-非编码符号转义定义表-]\r\n"
#define ROOTS L"[-键位字根表-]\r\n"
#define RULES L"[-构词规则定义-]\r\n"
#define KEYS L"[-按键功能-]\r\n"

const TableCase kTableCases[] = {
    {"a text symbol", SYMBOLS L",=，\r\n",
     [](const SettingsBlocks& b) {
         return b.ime->symbols[','].kind == kSymbolText && SymbolTextOf(b, ',') == L"，";
     }},
    {"a pair symbol", SYMBOLS L"\"=“,”\r\n",
     [](const SettingsBlocks& b) {
         return b.ime->symbols['"'].kind == kSymbolPair && SymbolFirst(b, '"') == L"“" &&
                SymbolSecond(b, '"') == L"”";
     }},
    {"a comma first is a text", SYMBOLS L"k=,x\r\n",
     [](const SettingsBlocks& b) {
         return b.ime->symbols['k'].kind == kSymbolText && SymbolTextOf(b, 'k') == L",x";
     }},
    {"the equals key", SYMBOLS L"==＝\r\n",
     [](const SettingsBlocks& b) { return SymbolTextOf(b, '=') == L"＝"; }},
    {"a full-width keypad key", SYMBOLS L"＊=×\r\n０=〇\r\n．=点\r\n",
     [](const SettingsBlocks& b) {
         return SymbolTextOf(b, 0x0A) == L"×" && SymbolTextOf(b, 0x10) == L"〇" &&
                SymbolTextOf(b, 0x0E) == L"点";
     }},
    {"a key of 128 and above is ignored", SYMBOLS L"é=x\r\n中=y\r\n",
     [](const SettingsBlocks& b) {
         for (const SymbolRecord& r : b.ime->symbols)
             if (r.kind) return false;
         return true;
     }},
    {"a key of two characters is ignored", SYMBOLS L"ab=x\r\n",
     [](const SettingsBlocks& b) { return b.ime->symbols['a'].kind == kSymbolNone; }},
    {"a long text is cut to 30 characters", SYMBOLS L"t=123456789012345678901234567890XYZ\r\n",
     [](const SettingsBlocks& b) {
         return SymbolTextOf(b, 't') == L"123456789012345678901234567890" &&
                b.ime->symbols['t'].slots[30] == 0;
     }},
    {"long pair texts are cut to 14 characters each",
     SYMBOLS L"p=ABCDEFGHIJKLMNOP,abcdefghijklmnop\r\n",
     [](const SettingsBlocks& b) {
         return SymbolFirst(b, 'p') == L"ABCDEFGHIJKLMN" &&
                SymbolSecond(b, 'p') == L"abcdefghijklmn" && b.ime->symbols['p'].slots[30] == 0;
     }},
    {"a cut never splits a surrogate pair",
     SYMBOLS L"s=12345678901234567890123456789\U0001F600\r\n",
     [](const SettingsBlocks& b) {
         return SymbolTextOf(b, 's') == L"12345678901234567890123456789";
     }},
    {"the smart table keeps the record's text", SYMBOLS L".=。\r\n智能标点表=.,＊\r\n",
     [](const SettingsBlocks& b) {
         return b.ime->symbols['.'].kind == kSymbolSmart && SymbolTextOf(b, '.') == L"。" &&
                b.ime->symbols[','].kind == kSymbolSmart &&
                b.ime->symbols[0x0A].kind == kSymbolSmart;
     }},
    {"the caret-left table", SYMBOLS L"光标左移的标点表=(\x7F\r\n",
     [](const SettingsBlocks& b) {
         return b.ime->symbols['('].kind == kSymbolCaretLeft &&
                b.ime->symbols[0x7F].kind == kSymbolNone;
     }},
    {"a key root", ROOTS L"a=工\r\n１=一\r\n",
     [](const SettingsBlocks& b) { return Root(b, 'a') == L"工" && Root(b, 0x11) == L"一"; }},
    {"a long key root is cut to 31 characters", ROOTS L"r=1234567890123456789012345678901XY\r\n",
     [](const SettingsBlocks& b) { return Root(b, 'r') == L"1234567890123456789012345678901"; }},
    {"key roots switched on", ROOTS L"使用键位字根表=是的\r\n",
     [](const SettingsBlocks& b) { return (b.ime->features & kFeatKeyRoots) != 0; }},
    {"a word rule", RULES L"P3=L1B1+L2B1+L3B1+L3F1\r\n",
     [](const SettingsBlocks& b) {
         return RuleIs(b, 3, {0x101, 0x201, 0x301, 0x8301});
     }},
    {"lower case, right positions and no plus", RULES L"p4=l1b1r1f2\r\n",
     [](const SettingsBlocks& b) {
         return RuleIs(b, 4, {0x101, 0x8402});
     }},
    {"a right position beyond the word fails", RULES L"P2=L1B1+R3B1\r\n",
     [](const SettingsBlocks& b) { return RuleEmpty(b, 2); }},
    {"a position of 31 fails", RULES L"P2=L31B1\r\n",
     [](const SettingsBlocks& b) { return RuleEmpty(b, 2); }},
    {"another letter fails", RULES L"P2=L1X1\r\n",
     [](const SettingsBlocks& b) { return RuleEmpty(b, 2); }},
    {"a rule for 31 characters fails", RULES L"P31=L1B1\r\n",
     [](const SettingsBlocks& b) {
         for (int n = 0; n < kWordRuleSlots; ++n)
             if (!RuleEmpty(b, n)) return false;
         return true;
     }},
    {"the letter index keeps 7 bits", RULES L"P2=L1B129\r\n",
     [](const SettingsBlocks& b) { return RuleIs(b, 2, {0x101}); }},
    {"a huge number fails without wrapping", RULES L"P2=L1B1+L4294967297B1\r\n",
     [](const SettingsBlocks& b) { return RuleEmpty(b, 2); }},
    {"a named key", KEYS L" =首选上屏,\r\n",
     [](const SettingsBlocks& b) { return b.dme->keys.plainKeys[0x20] == keyfn::kCommit; }},
    {"a shifted named key", KEYS L"!=后翻页,\r\n",
     [](const SettingsBlocks& b) { return b.dme->keys.shiftedKeys[0x31] == keyfn::kPageDown; }},
    {"a combination is appended and then updated", KEYS L" +键Ctrl=前翻页,\r\n +键Ctrl=后翻页,\r\n",
     [](const SettingsBlocks& b) {
         return b.dme->comboCount == 1 &&
                b.dme->combos[0].combination == (keycombo::kCtrl | 0x20) &&
                b.dme->combos[0].functions == keyfn::kPageDown;
     }},
};

TEST(ImportSettingsText, TableLinesSetTheirRecords) {
    for (const TableCase& c : kTableCases) {
        SCOPED_TRACE(c.name);
        SettingsBlocks b;
        ASSERT_EQ(Import(b, c.text), 1);
        EXPECT_TRUE(c.check(b));
    }
}

TEST(ImportSettingsText, ClearsTheTablesTheTextDefinesButKeepsOptions) {
    SettingsBlocks b;
    b.ime->options = kImeCandidateHidden;
    b.ime->symbols['x'].kind = kSymbolText;
    b.ime->keyRoots['x'].text[0] = L'r';
    b.dme->keys.plainKeys[0x20] = keyfn::kCommit;
    b.dme->keys.shiftedKeys[0x31] = keyfn::kCommit;
    b.dme->comboCount = 200;  // damaged
    b.dme->combos[63] = {0x441, keyfn::kPageUp};
    b.dme->wordRules[5].terms[0] = 0x101;
    b.dme->inputOptions = 7;
    ASSERT_EQ(Import(b, L""), 1);
    EXPECT_EQ(b.ime->options, kImeCandidateHidden);
    EXPECT_EQ(b.dme->inputOptions, 7u);
    EXPECT_EQ(b.ime->symbols['x'].kind, kSymbolNone);
    EXPECT_EQ(b.ime->keyRoots['x'].text[0], 0);
    EXPECT_EQ(b.dme->keys.plainKeys[0x20], 0u);
    EXPECT_EQ(b.dme->keys.shiftedKeys[0x31], 0u);
    EXPECT_EQ(b.dme->comboCount, 0);
    EXPECT_EQ(b.dme->combos[63].combination, 0);
    EXPECT_TRUE(RuleEmpty(b, 5));
    EXPECT_EQ(b.ime->header.size, sizeof(ImeConfigData));
    EXPECT_EQ(b.dme->header.id, kDmeBlockId);
    EXPECT_STREQ(b.skin->header.name, kSkinBlockName);
}

TEST(ImportSettingsText, KeepsAtMost64Combinations) {
    std::wstring text = KEYS;
    for (int i = 0; i < 70; ++i) {
        text +=
            FormatKeyCombination(keycombo::kCtrl | (0x41 + i % 26) |
                                 (i >= 26 ? keycombo::kAlt : 0) | (i >= 52 ? keycombo::kShift : 0));
        text += L"=前翻页,\r\n";
    }
    SettingsBlocks b;
    ASSERT_EQ(Import(b, text), 1);
    EXPECT_EQ(b.dme->comboCount, kMaxCombos);
    EXPECT_EQ(b.dme->combos[63].combination,
              keycombo::kCtrl | keycombo::kAlt | keycombo::kShift | (0x41 + 63 % 26));
    EXPECT_EQ(b.dme->reserved3[0], 0);
}

TEST(ImportSettingsText, HandsOptionPairsToTheCodecAfterTheWholeText) {
    RecordedPairs().clear();
    OptionSectionCodec codec = RecordingCodec();
    SettingsBlocks b;
    ASSERT_EQ(Import(b,
                     L"[-SKIN设置-]\r\n候选窗口横排=是\r\n[-DME设置-]\r\n自动上屏码长=\"4\"\r\n"
                     L"[-SKIN设置-]\r\n皮肤=蓝\r\n",
                     &codec),
              1);
    ASSERT_EQ(RecordedPairs().size(), 3u);
    EXPECT_EQ(RecordedPairs()[0].block, b.dme.get());
    EXPECT_EQ(RecordedPairs()[0].key, L"自动上屏码长");
    EXPECT_EQ(RecordedPairs()[0].value, L"4");
    EXPECT_EQ(RecordedPairs()[0].kind, kOptionSectionInput);
    EXPECT_EQ(RecordedPairs()[1].block, b.skin.get());
    EXPECT_EQ(RecordedPairs()[1].key, L"候选窗口横排");
    EXPECT_EQ(RecordedPairs()[1].kind, kOptionSectionInterface);
    EXPECT_EQ(RecordedPairs()[2].value, L"蓝");

    OptionSectionCodec noRead{nullptr, nullptr, nullptr};
    EXPECT_EQ(Import(b, L"[-DME设置-]\r\n自动上屏码长=4\r\n", &noRead), 1);
    EXPECT_EQ(Import(b, L"[-DME设置-]\r\n自动上屏码长=4\r\n", nullptr), 1);
}

TEST(ImportSettingsText, RefusesMissingTextOrBlocks) {
    SettingsBlocks b;
    EXPECT_EQ(ImportSettingsText(static_cast<const wchar_t*>(nullptr), b.ime.get(), b.dme.get(),
                                 b.skin.get(), nullptr),
              0);
    EXPECT_EQ(ImportSettingsText(L"", b.ime.get(), nullptr, b.skin.get(), nullptr), 0);
}

TEST(ImportSettingsText, LongLinesAreNotSplitIntoBogusPairs) {
    SettingsBlocks b;
    std::wstring text = L"[-IME设置-]\r\n//";
    text += std::wstring(1100, L'x') + L"\r\n";
    text += L"x=" + std::wstring(1100, L'y') + L"隐藏候选窗口=是\r\n";
    ASSERT_EQ(Import(b, text), 1);
    EXPECT_EQ(b.ime->options, 0u);
}

// A canonical block image: what the reader itself would store for its text.
void FillCanonicalBlocks(SettingsBlocks& b) {
    ImeConfigData* ime = b.ime.get();
    WriteConfigBlockHeader(&ime->header, sizeof(ImeConfigData), kImeBlockId, kImeBlockName);
    WriteConfigBlockHeader(&b.dme->header, sizeof(DmeConfigData), kDmeBlockId, kDmeBlockName);
    WriteConfigBlockHeader(&b.skin->header, sizeof(SkinConfigData), kSkinBlockId, kSkinBlockName);
    ime->features = kFeatHasTsf | kFeatHasAssociation | kFeatHasTempWords | kFeatCustomStartState |
                    kFeatSpaceEnglishSpace | kFeatKeyRoots | kFeatCapsEnglishPunct |
                    kFeatCandidateOnlyWhenMany | kFeatSaveStartState;
    ime->startState = kStartStateStored | kStartStateFullWidth | kStartStateClosed;
    ime->options = kImeStyleTsfClassic | kImeCandidateFixed | kImeTempSaveAtCommit |
                   kImeTempClearAtBoot | kImeMainTable | kImeAuxTable | kImeSecondaryOnEmpty |
                   kImeNoHoverDictionary | kImeNonCodeKeyCommits | kImeCommitCodeOnSwitch |
                   kImeCapitalStartsEnglish | kImeStatusHidden;
    ime->listOptions = kListByCode | (10u << kListPageShift) | kListFreqCount;
    auto text = [&](int i, uint16_t kind, const wchar_t* t) {
        ime->symbols[i].kind = kind;
        WriteFieldText(ime->symbols[i].slots, kSymbolTextUnits, t);
    };
    text(',', kSymbolText, L"，");
    text('(', kSymbolCaretLeft, L"（）");
    text('.', kSymbolSmart, L"。");
    text(0x0A, kSymbolText, L"×");
    text('\\', kSymbolText, L"、");
    text('=', kSymbolText, L"＝");
    ime->symbols['\''].kind = kSymbolPair;
    WriteFieldText(ime->symbols['\''].slots + kSymbolPairFirst, kSymbolPairUnits, L"‘");
    WriteFieldText(ime->symbols['\''].slots + kSymbolPairSecond, kSymbolPairUnits, L"’");
    WriteFieldText(ime->keyRoots['a'].text, L"工");
    WriteFieldText(ime->keyRoots[0x19].text, L"九");

    DmeConfigData* dme = b.dme.get();
    dme->keys.plainKeys[0x20] = keyfn::kCommit;
    dme->keys.plainKeys[0x22] = keyfn::kPageDown | keyfn::kCaretEnd;
    dme->keys.plainKeys[0xA0] = keyfn::kToggleEnglish;
    dme->keys.shiftedKeys[0x32] = WithKeyFunctionIndex(keyfn::kCommit, 2);
    dme->comboCount = 2;
    dme->combos[0] = {keycombo::kCtrl | 0x20, keyfn::kToggleIme};
    dme->combos[1] = {keycombo::kCtrl | keycombo::kShift | 0x41, keyfn::kConfigHome};
    const uint16_t rule2[] = {0x101, 0x102, 0x201, 0x202};
    std::memcpy(dme->wordRules[2].terms, rule2, sizeof rule2);
    const uint16_t rule30[] = {0x101, 0x201, 0x1E01 | kTermFromBack};
    std::memcpy(dme->wordRules[30].terms, rule30, sizeof rule30);
}

TEST(SettingsTextRoundTrip, ExportImportExportGivesTheSameBytesAndBlocks) {
    SettingsBlocks a;
    FillCanonicalBlocks(a);
    OptionSectionCodec codec = RecordingCodec();
    TempDir dir;
    const std::wstring first = dir / L"a.kxconfig.txt";
    const std::wstring second = dir / L"b.kxconfig.txt";
    ASSERT_TRUE(ExportSettingsText(a.ime.get(), a.dme.get(), a.skin.get(), &codec, first.c_str()));

    SettingsBlocks b;
    b.ime->features = kFeatHasTsf | kFeatHasAssociation | kFeatHasTempWords;
    wchar_t* text = nullptr;
    ASSERT_EQ(ReadTextFile(first.c_str(), &text), 0);
    const int imported = ImportSettingsText(text, b.ime.get(), b.dme.get(), b.skin.get(), &codec);
    std::free(text);
    ASSERT_EQ(imported, 1);
    ASSERT_TRUE(ExportSettingsText(b.ime.get(), b.dme.get(), b.skin.get(), &codec, second.c_str()));

    EXPECT_EQ(ReadFileBytes(first), ReadFileBytes(second));
    EXPECT_EQ(std::memcmp(a.ime.get(), b.ime.get(), sizeof(ImeConfigData)), 0);
    // Slot 0 of the rules is the reader's scratch slot.
    std::memset(&b.dme->wordRules[0], 0, sizeof(WordRule));
    EXPECT_EQ(std::memcmp(a.dme.get(), b.dme.get(), sizeof(DmeConfigData)), 0);
}

}  // namespace
