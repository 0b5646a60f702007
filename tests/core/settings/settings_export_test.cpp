#include "core/settings/settings_export.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/settings_blocks.h"
#include "support/test_files.h"

using namespace testing_support;

namespace {

constexpr wchar_t kDashes[] = L"//------------------------------------------------------\r\n";

std::wstring Header(const std::wstring& title, const std::wstring& section) {
    return kDashes + (L"//  \u3000\u3000\u3000\u3000\u3000\u3000\u3000 " + title + L"\r\n") +
           kDashes + section + L"\r\n";
}

void SetSymbol(ImeConfigData* ime, int i, uint16_t kind, const wchar_t* first,
               const wchar_t* second = nullptr) {
    SymbolRecord& r = ime->symbols[i];
    r.kind = kind;
    if (second) {
        WriteFieldText(r.slots + kSymbolPairFirst, kSymbolPairUnits, first);
        WriteFieldText(r.slots + kSymbolPairSecond, kSymbolPairUnits, second);
    } else {
        WriteFieldText(r.slots, kSymbolTextUnits, first);
    }
}

// A block image with every optional group present and one value of each alternative.
void FillKnownBlocks(SettingsBlocks& b) {
    ImeConfigData* ime = b.ime.get();
    ime->features = kFeatHasTsf | kFeatHasAssociation | kFeatHasTempWords | kFeatCustomStartState |
                    kFeatSpaceClear | kFeatKeyRoots | kFeatCommands | kFeatHideEmbeddedFirst;
    ime->startState = kStartStateChinesePunct | kStartStateClosed;
    ime->options = kImeStyleTsfEmbedFirst | kImeStatusEmbedded | kImeCandidateFollowStatus |
                   kImeTempWords | kImeTempSmart | kImeAuxTable | kImeSearchSecondary |
                   kImeAssociation | kImeNoComboHotkeys;
    ime->listOptions = kListSingleFirst | kListByCode | (7u << kListPageShift) | kListFreqGradual;
    SetSymbol(ime, ',', kSymbolText, L"，");
    SetSymbol(ime, '"', kSymbolPair, L"“", L"”");
    SetSymbol(ime, '(', kSymbolCaretLeft, L"（）");
    SetSymbol(ime, '.', kSymbolSmart, L"。");
    SetSymbol(ime, 0x10, kSymbolText, L"〇");
    WriteFieldText(ime->keyRoots['a'].text, L"工");
    WriteFieldText(ime->keyRoots[0x11].text, L"一");

    DmeConfigData* dme = b.dme.get();
    dme->keys.plainKeys[0x20] = keyfn::kCommit;
    dme->keys.plainKeys[0x21] = keyfn::kPageUp;
    dme->keys.shiftedKeys[0x31] = keyfn::kPageDown;
    dme->keys.shiftedKeys[0x07] = keyfn::kPageDown;  // no shifted name: not written
    dme->comboCount = 0;                             // every slot is looked at
    dme->combos[5] = {keycombo::kCtrl | 0x20, keyfn::kToggleIme};
    dme->combos[6] = {keycombo::kCtrl | 0x21, 0};  // no functions: skipped
    const uint16_t rule2[] = {0x101, 0x102, 0x201, 0x202};
    std::memcpy(dme->wordRules[2].terms, rule2, sizeof rule2);
    const uint16_t rule3[] = {0x101, 0x201, 0x301, 0x301 | kTermFromBack};
    std::memcpy(dme->wordRules[3].terms, rule3, sizeof rule3);
    dme->wordRules[4].terms[1] = 0x101;  // first term zero: skipped
}

const std::wstring kKnownText =
    Header(L"IME设置", L"[-IME设置-]") +
    L"//可选：“上屏英文”、“上屏英文+空格”、“清屏”之一\r\n"
    L"空码时空格行为=清屏\r\n\r\n"
    L"//每次打开输入法时的标点符号状态,一般设置为“与系统转换状态一致”\r\n"
    L"//如需特别指定，可设置“输入法打开”或“输入法关闭”、“中文标点”或“英文标点”、“全角”或“半角”\r\n"
    L"初始化转换状态=自定义：中文标点+半角+输入法关闭\r\n\r\n"
    L"//"
    L"关闭输入法时，将当前的标点状态保存为“初始化转换状态”，下次打开输入法时标点状态与此一致。\r\n"
    L"//该选项仅当“初始化转换状态”为“自定义”时有效。\r\n"
    L"保存自定义的初始化转换状态=否\r\n\r\n"
    L"//可选：“TSF-嵌入编码”、“TSF-嵌入首选”、“TSF-传统样式”、“IME-传统样式”之一\r\n"
    L"编码窗口样式=TSF-嵌入首选\r\n\r\n"
    L"是否嵌入状态栏窗口=是\r\n"
    L"隐藏嵌入的首候选=是\r\n"
    L"仅重码时显示候选窗口=否\r\n\r\n"
    L"//可选：“固定位置”、“跟随状态栏”、“跟随光标”之一\r\n"
    L"候选窗口位置=跟随状态栏\r\n\r\n"
    L"//"
    L"如果生成时包含了词典，系统默认当鼠标在候选窗口悬停800毫秒后打开词典窗口。如果您不需要该功能，"
    L"可在此处关闭\r\n"
    L"禁用鼠标悬停词典=否\r\n\r\n"
    L"隐藏候选窗口=否\r\n"
    L"隐藏状态条窗口=否\r\n\r\n"
    L"隐藏词条相同编码不同的后续候选=否\r\n"
    L"是否打开非编码按键顶屏=否\r\n"
    L"中英文切换时上屏输入字符=否\r\n"
    L"是否开启命令直通车=是\r\n"
    L"Capslock转英文标点=否\r\n"
    L"禁用组合快捷键=是\r\n"
    L"首字母大写开启临时英文输入=否\r\n"
    L"是否在上屏时开启词语联想=是\r\n"
    L"\r\n"
    L"临时词功能开启=是\r\n"
    L"临时词上屏即存=否\r\n"
    L"临时词重启电脑后清空=否\r\n\r\n"
    L"//如果此项设置为是，程序依据每次上屏时的编码和构词规则生成临时词\r\n"
    L"//否则，程序在单字编码表中查询每个单字编码后，依据构词规则生成临时词\r\n"
    L"智能模式生成临时词=是\r\n"
    L"\r\n"
    L"//可选：“主+辅”、“主”、“辅”之一\r\n"
    L"输入方案=辅\r\n\r\n"
    L"//检索范围仅限定次显码表，当“检索次显码表为否”时,“候选为空时检索次显码表”有效\r\n"
    L"检索次显码表=是\r\n"
    L"空码时检索次显码表=否\r\n\r\n"
    L"//可选：“单字先见”、“按编码排序”、“码表原始序”之一\r\n"
    L"候选列表排序依据=单字先见,按编码排序,\r\n\r\n"
    L"//可选：1~10之间整数\r\n"
    L"候选列表显示个数=7\r\n\r\n"
    L"//可选：“一次到顶”、“逐渐调整”、“累加上屏数”、“禁止调整”之一\r\n"
    L"词频调整=逐渐调整\r\n\r\n" +
    Header(L"DME设置", L"[-DME设置-]") + kCodecInputBody + Header(L"SKIN设置", L"[-SKIN设置-]") +
    kCodecInterfaceBody + Header(L"中文符号定义", L"[-非编码符号转义定义表-]") +
    L"\uFF10=〇\r\n"
    L"\"=“,”\r\n"
    L"(=（）\r\n"
    L",=，\r\n"
    L".=。\r\n"
    L"//"
    L"智能标点键位表，该表中指定的健位，第一次输入为中文标点，第二次输入删除中文并上屏英文标点。\r"
    L"\n"
    L"//数字后半角标点行为也受此功能影响，再次输入时删除半角标点并上屏中文标点。\r\n"
    L"智能标点表=.\r\n\r\n"
    L"//光标左移的标点表，该表中指定的键位在输出中文标点符号后，会模拟一次键盘光标左移键\r\n"
    L"光标左移的标点表=(\r\n\r\n" +
    Header(L"键位字根表", L"[-键位字根表-]") +
    L"使用键位字根表=是\r\n"
    L"\uFF11=一\r\n"
    L"a=工\r\n" +
    Header(L"按键功能", L"[-按键功能-]") +
    L" =首选上屏,\r\n"
    L"键PageUp=前翻页,\r\n"
    L"!=后翻页,\r\n"
    L"CTRLSPACE\r\n" +
    Header(L"构词规则定义", L"[-构词规则定义-]") +
    L"P2=L1B1+L1B2+L2B1+L2B2\r\n"
    L"P3=L1B1+L2B1+L3B1+L3F1\r\n";

TEST(ExportSettingsText, WritesTheKnownBlocksAsTheGoldenText) {
    SettingsBlocks b;
    FillKnownBlocks(b);
    OptionSectionCodec codec = RecordingCodec();
    TempDir dir;
    const std::wstring path = dir / L"user.kxconfig.txt";
    ASSERT_TRUE(ExportSettingsText(b.ime.get(), b.dme.get(), b.skin.get(), &codec, path.c_str()));
    bool bom = false;
    std::wstring text = Utf8FileText(path, &bom);
    EXPECT_TRUE(bom);
    std::wstring expected = kKnownText;
    const std::wstring combo = std::wstring(FormatKeyCombination(keycombo::kCtrl | 0x20)) + L"=" +
                               FormatKeyFunctionNames(keyfn::kToggleIme);
    expected.replace(expected.find(L"CTRLSPACE"), 9, combo);
    EXPECT_EQ(Narrow(text), Narrow(expected));
}

std::wstring Exported(SettingsBlocks& b, const OptionSectionCodec* codec = nullptr) {
    TempDir dir;
    const std::wstring path = dir / L"out.kxconfig.txt";
    EXPECT_TRUE(ExportSettingsText(b.ime.get(), b.dme.get(), b.skin.get(), codec, path.c_str()));
    return Utf8FileText(path);
}

bool HasLine(const std::wstring& text, const std::wstring& line) {
    return (L"\n" + text).find(L"\n" + line + L"\r\n") != std::wstring::npos;
}

struct LineCase {
    const char* name;
    void (*setup)(SettingsBlocks&);
    const wchar_t* line;
};

const LineCase kLineCases[] = {
    {"page count 0 is written as 5", [](SettingsBlocks&) {}, L"候选列表显示个数=5"},
    {"page count 12 is written as 5",
     [](SettingsBlocks& b) { b.ime->listOptions = 12u << kListPageShift; }, L"候选列表显示个数=5"},
    {"page count 10", [](SettingsBlocks& b) { b.ime->listOptions = 10u << kListPageShift; },
     L"候选列表显示个数=10"},
    {"without the TSF feature the style is IME classic",
     [](SettingsBlocks& b) { b.ime->options = kImeStyleTsfEmbedCode | kImeStatusEmbedded; },
     L"编码窗口样式=IME-传统样式"},
    {"TSF embedded code wins over the later styles",
     [](SettingsBlocks& b) {
         b.ime->features = kFeatHasTsf;
         b.ime->options = kImeStyleMask;
     },
     L"编码窗口样式=TSF-嵌入编码"},
    {"no space bit writes commit English", [](SettingsBlocks&) {}, L"空码时空格行为=上屏英文"},
    {"English plus space",
     [](SettingsBlocks& b) { b.ime->features = kFeatSpaceEnglishSpace | kFeatSpaceClear; },
     L"空码时空格行为=上屏英文+空格"},
    {"start state follows the system", [](SettingsBlocks&) {},
     L"初始化转换状态=与系统转换状态一致"},
    {"custom start state, all clear",
     [](SettingsBlocks& b) { b.ime->features = kFeatCustomStartState; },
     L"初始化转换状态=自定义：英文标点+半角+输入法打开"},
    {"candidate window fixed wins",
     [](SettingsBlocks& b) { b.ime->options = kImeCandidateFixed | kImeCandidateFollowStatus; },
     L"候选窗口位置=固定位置"},
    {"candidate window follows the caret", [](SettingsBlocks&) {}, L"候选窗口位置=跟随光标"},
    {"main and auxiliary", [](SettingsBlocks& b) { b.ime->options = kImeMainTable | kImeAuxTable; },
     L"输入方案=主+辅"},
    {"main alone", [](SettingsBlocks& b) { b.ime->options = kImeMainTable; }, L"输入方案=主"},
    {"neither sort bit", [](SettingsBlocks&) {}, L"候选列表排序依据=码表原始序"},
    {"frequency: top wins", [](SettingsBlocks& b) { b.ime->listOptions = kListFreqMask; },
     L"词频调整=一次到顶"},
    {"frequency: count", [](SettingsBlocks& b) { b.ime->listOptions = kListFreqCount; },
     L"词频调整=累加上屏数"},
    {"frequency: none", [](SettingsBlocks&) {}, L"词频调整=禁止调整"},
    {"no symbols: smart table empty", [](SettingsBlocks&) {}, L"智能标点表="},
    {"no symbols: caret-left table empty", [](SettingsBlocks&) {}, L"光标左移的标点表="},
    {"keypad record of the smart table is written full-width",
     [](SettingsBlocks& b) { b.ime->symbols[0x0A].kind = kSymbolSmart; }, L"智能标点表=＊"},
    {"key roots off", [](SettingsBlocks&) {}, L"使用键位字根表=否"},
    {"a symbol text filling its field is read within it",
     [](SettingsBlocks& b) {
         b.ime->symbols['x'].kind = kSymbolText;
         for (wchar_t& c : b.ime->symbols['x'].slots) c = L'文';
     },
     L"x=文文文文文文文文文文文文文文文文文文文文文文文文文文文文文文"},
    {"a pair filling both fields is read within them",
     [](SettingsBlocks& b) {
         b.ime->symbols['y'].kind = kSymbolPair;
         for (wchar_t& c : b.ime->symbols['y'].slots) c = L'q';
     },
     L"y=qqqqqqqqqqqqqq,qqqqqqqqqqqqqq"},
    {"a key root filling its field is read within it",
     [](SettingsBlocks& b) {
         for (wchar_t& c : b.ime->keyRoots['k'].text) c = L'r';
     },
     L"k=rrrrrrrrrrrrrrrrrrrrrrrrrrrrrrr"},
    {"a rule with a damaged full slot keeps its end mark",
     [](SettingsBlocks& b) {
         for (uint16_t& t : b.dme->wordRules[2].terms) t = 0x101;
     },
     nullptr},
};

TEST(ExportSettingsText, WritesEachAlternativeAsItsLine) {
    for (const LineCase& c : kLineCases) {
        SCOPED_TRACE(c.name);
        SettingsBlocks b;
        c.setup(b);
        const std::wstring text = Exported(b);
        if (c.line) {
            EXPECT_TRUE(HasLine(text, c.line)) << Narrow(c.line);
        } else {
            std::wstring rule = L"P2=L1B1";
            for (int i = 1; i < kWordRuleTerms - 1; ++i) rule += L"+L1B1";
            EXPECT_TRUE(HasLine(text, rule));
        }
    }
}

TEST(ExportSettingsText, OptionalGroupsFollowTheirFeatureBits) {
    SettingsBlocks b;
    b.ime->options = kImeAssociation | kImeTempWords;
    std::wstring text = Exported(b);
    EXPECT_EQ(text.find(L"是否在上屏时开启词语联想"), std::wstring::npos);
    EXPECT_EQ(text.find(L"临时词功能开启"), std::wstring::npos);
    EXPECT_EQ(text.find(L"是否嵌入状态栏窗口"), std::wstring::npos);
    EXPECT_TRUE(HasLine(text, L"//未包含TSF框架,此处只能设置为IME-传统样式"));
}

TEST(ExportSettingsText, WithoutCodecTheOptionSectionsHoldTheirHeadersOnly) {
    SettingsBlocks b;
    const std::wstring text = Exported(b);
    const std::wstring dmeToSkin = std::wstring(L"[-DME设置-]\r\n") + kDashes;
    EXPECT_NE(text.find(dmeToSkin), std::wstring::npos);
    const std::wstring skinToSymbols = std::wstring(L"[-SKIN设置-]\r\n") + kDashes;
    EXPECT_NE(text.find(skinToSymbols), std::wstring::npos);
}

TEST(ExportSettingsText, FullPunctuationTablesAreNeverCut) {
    SettingsBlocks b;
    std::wstring expected = L"智能标点表=";
    for (int i = 0; i < 128; ++i) {
        b.ime->symbols[i].kind = kSymbolSmart;
        expected += static_cast<wchar_t>(i < 32 ? 0xFF00 + i : i);
    }
    EXPECT_TRUE(HasLine(Exported(b), expected));
}

TEST(ExportSettingsText, CodecTextWithoutEndIsReadWithinItsBuffer) {
    SettingsBlocks b;
    OptionSectionCodec codec{nullptr, nullptr, [](void*, wchar_t* buffer, int count, int) {
                                 for (int i = 0; i < count; ++i) buffer[i] = L'z';
                                 return 1;
                             }};
    const std::wstring text = Exported(b, &codec);
    const std::wstring body(kOptionSectionUnits - 1, L'z');
    EXPECT_NE(text.find(L"[-DME设置-]\r\n" + body + kDashes), std::wstring::npos);
}

TEST(ExportSettingsText, FailsWhenTheFileCannotBeOpened) {
    SettingsBlocks b;
    TempDir dir;
    const std::wstring path = dir / L"missing\\out.txt";
    EXPECT_FALSE(ExportSettingsText(b.ime.get(), b.dme.get(), b.skin.get(), nullptr, path.c_str()));
    EXPECT_FALSE(ExportSettingsText(b.ime.get(), b.dme.get(), b.skin.get(), nullptr, L""));
    EXPECT_FALSE(
        ExportSettingsText(nullptr, b.dme.get(), b.skin.get(), nullptr, (dir / L"x.txt").c_str()));
}

}  // namespace
