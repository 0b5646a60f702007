#include "core/settings/settings_export.h"

#include <cwchar>
#include <string>

#include "core/base/text_lines.h"
#include "core/settings/key_names.h"
#include "core/settings/settings_text.h"

namespace {

const wchar_t* YesNo(uint32_t word, uint32_t bit) { return (word & bit) ? L"是" : L"否"; }

void WriteSectionHeader(FILE* f, const wchar_t* title, const wchar_t* section) {
    static const wchar_t kDashes[] =
        L"//------------------------------------------------------\r\n";
    WriteTextString(f, kDashes);
    WriteTextLine(f, L"//  \u3000\u3000\u3000\u3000\u3000\u3000\u3000 %ls\r\n", title);
    WriteTextString(f, kDashes);
    WriteTextLine(f, L"%ls\r\n", section);
}

void WriteImeOptions(FILE* f, const ImeConfigData* ime) {
    const uint32_t o = ime->options;
    const uint32_t ft = ime->features;
    const uint32_t st = ime->startState;
    const uint32_t lo = ime->listOptions;

    WriteTextString(f, L"//可选：“上屏英文”、“上屏英文+空格”、“清屏”之一\r\n");
    const wchar_t* space = L"上屏英文";
    if (!(ft & kFeatSpaceEnglish)) {
        if (ft & kFeatSpaceEnglishSpace)
            space = L"上屏英文+空格";
        else if (ft & kFeatSpaceClear)
            space = L"清屏";
    }
    WriteTextLine(f, L"空码时空格行为=%ls\r\n\r\n", space);

    WriteTextString(f,
                    L"//每次打开输入法时的标点符号状态,一般设置为“与系统转换状态一致”\r\n"
                    L"//"
                    L"如需特别指定，可设置“输入法打开”或“输入法关闭”、“中文标点”或“英文标点”、“全角"
                    L"”或“半角”\r\n");
    if (ft & kFeatCustomStartState) {
        WriteTextLine(f, L"初始化转换状态=自定义：%ls%ls%ls\r\n\r\n",
                      (st & kStartStateChinesePunct) ? L"中文标点+" : L"英文标点+",
                      (st & kStartStateFullWidth) ? L"全角+" : L"半角+",
                      (st & kStartStateClosed) ? L"输入法关闭" : L"输入法打开");
    } else {
        WriteTextString(f, L"初始化转换状态=与系统转换状态一致\r\n\r\n");
    }

    WriteTextString(f,
                    L"//"
                    L"关闭输入法时，将当前的标点状态保存为“初始化转换状态”，下次打开输入法时标点状"
                    L"态与此一致。\r\n"
                    L"//该选项仅当“初始化转换状态”为“自定义”时有效。\r\n");
    WriteTextLine(f, L"保存自定义的初始化转换状态=%ls\r\n\r\n", YesNo(ft, kFeatSaveStartState));

    if (ft & kFeatHasTsf) {
        WriteTextString(
            f, L"//可选：“TSF-嵌入编码”、“TSF-嵌入首选”、“TSF-传统样式”、“IME-传统样式”之一\r\n");
        const wchar_t* style = L"IME-传统样式";
        if (o & kImeStyleTsfEmbedCode)
            style = L"TSF-嵌入编码";
        else if (o & kImeStyleTsfEmbedFirst)
            style = L"TSF-嵌入首选";
        else if (o & kImeStyleTsfClassic)
            style = L"TSF-传统样式";
        WriteTextLine(f, L"编码窗口样式=%ls\r\n\r\n", style);
        WriteTextLine(f, L"是否嵌入状态栏窗口=%ls\r\n", YesNo(o, kImeStatusEmbedded));
        WriteTextLine(f, L"隐藏嵌入的首候选=%ls\r\n", YesNo(ft, kFeatHideEmbeddedFirst));
        WriteTextLine(f, L"仅重码时显示候选窗口=%ls\r\n\r\n",
                      YesNo(ft, kFeatCandidateOnlyWhenMany));
    } else {
        WriteTextString(f, L"//未包含TSF框架,此处只能设置为IME-传统样式\r\n");
        WriteTextString(f, L"编码窗口样式=IME-传统样式\r\n\r\n");
    }

    WriteTextString(f, L"//可选：“固定位置”、“跟随状态栏”、“跟随光标”之一\r\n");
    const wchar_t* pos = L"跟随光标";
    if (o & kImeCandidateFixed)
        pos = L"固定位置";
    else if (o & kImeCandidateFollowStatus)
        pos = L"跟随状态栏";
    WriteTextLine(f, L"候选窗口位置=%ls\r\n\r\n", pos);

    WriteTextString(f,
                    L"//"
                    L"如果生成时包含了词典，系统默认当鼠标在候选窗口悬停800毫秒后打开词典窗口。如果"
                    L"您不需要该功能，可在此处关闭\r\n");
    WriteTextLine(f, L"禁用鼠标悬停词典=%ls\r\n\r\n", YesNo(o, kImeNoHoverDictionary));

    WriteTextLine(f, L"隐藏候选窗口=%ls\r\n", YesNo(o, kImeCandidateHidden));
    WriteTextLine(f, L"隐藏状态条窗口=%ls\r\n\r\n", YesNo(o, kImeStatusHidden));
    WriteTextLine(f, L"隐藏词条相同编码不同的后续候选=%ls\r\n", YesNo(ft, kFeatMergeSameWord));
    WriteTextLine(f, L"是否打开非编码按键顶屏=%ls\r\n", YesNo(o, kImeNonCodeKeyCommits));
    WriteTextLine(f, L"中英文切换时上屏输入字符=%ls\r\n", YesNo(o, kImeCommitCodeOnSwitch));
    WriteTextLine(f, L"是否开启命令直通车=%ls\r\n", YesNo(ft, kFeatCommands));
    WriteTextLine(f, L"Capslock转英文标点=%ls\r\n", YesNo(ft, kFeatCapsEnglishPunct));
    WriteTextLine(f, L"禁用组合快捷键=%ls\r\n", YesNo(o, kImeNoComboHotkeys));
    WriteTextLine(f, L"首字母大写开启临时英文输入=%ls\r\n", YesNo(o, kImeCapitalStartsEnglish));

    if (ft & kFeatHasAssociation)
        WriteTextLine(f, L"是否在上屏时开启词语联想=%ls\r\n", YesNo(o, kImeAssociation));

    if (ft & kFeatHasTempWords) {
        WriteTextString(f, L"\r\n");
        WriteTextLine(f, L"临时词功能开启=%ls\r\n", YesNo(o, kImeTempWords));
        WriteTextLine(f, L"临时词上屏即存=%ls\r\n", YesNo(o, kImeTempSaveAtCommit));
        WriteTextLine(f, L"临时词重启电脑后清空=%ls\r\n\r\n", YesNo(o, kImeTempClearAtBoot));
        WriteTextString(f, L"//如果此项设置为是，程序依据每次上屏时的编码和构词规则生成临时词\r\n");
        WriteTextString(
            f, L"//否则，程序在单字编码表中查询每个单字编码后，依据构词规则生成临时词\r\n");
        WriteTextLine(f, L"智能模式生成临时词=%ls\r\n", YesNo(o, kImeTempSmart));
        WriteTextString(f, L"\r\n");
    }

    WriteTextString(f, L"//可选：“主+辅”、“主”、“辅”之一\r\n");
    const wchar_t* scheme = L"主";
    if ((o & kImeMainTable) && (o & kImeAuxTable))
        scheme = L"主+辅";
    else if (o & kImeAuxTable)
        scheme = L"辅";
    WriteTextLine(f, L"输入方案=%ls\r\n\r\n", scheme);

    WriteTextString(
        f, L"//检索范围仅限定次显码表，当“检索次显码表为否”时,“候选为空时检索次显码表”有效\r\n");
    WriteTextLine(f, L"检索次显码表=%ls\r\n", YesNo(o, kImeSearchSecondary));
    WriteTextLine(f, L"空码时检索次显码表=%ls\r\n\r\n", YesNo(o, kImeSecondaryOnEmpty));

    WriteTextString(f, L"//可选：“单字先见”、“按编码排序”、“码表原始序”之一\r\n");
    WriteTextLine(f, L"候选列表排序依据=%ls%ls%ls\r\n\r\n",
                  (lo & kListSingleFirst) ? L"单字先见," : L"",
                  (lo & kListByCode) ? L"按编码排序," : L"",
                  (lo & (kListSingleFirst | kListByCode)) ? L"" : L"码表原始序");

    WriteTextString(f, L"//可选：1~10之间整数\r\n");
    WriteTextLine(f, L"候选列表显示个数=%d\r\n\r\n", static_cast<int>(CandidatesPerPage(lo)));

    WriteTextString(f, L"//可选：“一次到顶”、“逐渐调整”、“累加上屏数”、“禁止调整”之一\r\n");
    const wchar_t* freq = L"禁止调整";
    if (lo & kListFreqToTop)
        freq = L"一次到顶";
    else if (lo & kListFreqGradual)
        freq = L"逐渐调整";
    else if (lo & kListFreqCount)
        freq = L"累加上屏数";
    WriteTextLine(f, L"词频调整=%ls\r\n\r\n", freq);
}

// A codec section body, written as the codec leaves it (never read past the buffer).
void WriteCodecSection(FILE* f, const OptionSectionCodec* codec, const void* block, int kind) {
    if (!codec || !codec->write) return;
    std::wstring buffer(kOptionSectionUnits, L'\0');
    codec->write(const_cast<void*>(block), buffer.data(), kOptionSectionUnits, kind);
    buffer[kOptionSectionUnits - 1] = L'\0';
    WriteTextString(f, buffer.c_str());
}

// "key=chars" of every record of the kind, in index order.
void WriteKindTable(FILE* f, const ImeConfigData* ime, const wchar_t* key, uint16_t kind) {
    std::wstring line = key;
    line += L'=';
    for (int i = 0; i < 128; ++i)
        if (ime->symbols[i].kind == kind) line += SettingsKeyChar(i);
    line += L"\r\n\r\n";
    WriteTextString(f, line.c_str());
}

void WriteSymbols(FILE* f, const ImeConfigData* ime) {
    wchar_t first[kSymbolTextUnits];
    wchar_t second[kSymbolTextUnits];
    for (int i = 0; i < 128; ++i) {
        const SymbolRecord& r = ime->symbols[i];
        const wchar_t key[2] = {SettingsKeyChar(i), 0};
        if (r.kind == kSymbolPair) {
            // At most 14 characters each, as the reader stores them.
            SymbolPairText(&r, 0, first, kSymbolPairUnits);
            SymbolPairText(&r, 1, second, kSymbolPairUnits);
            WriteTextLine(f, L"%ls=%ls,%ls\r\n", key, first, second);
        } else if (r.kind != kSymbolNone) {
            SymbolText(&r, first, kSymbolTextUnits);
            WriteTextLine(f, L"%ls=%ls\r\n", key, first);
        }
    }
    WriteTextString(f,
                    L"//"
                    L"智能标点键位表，该表中指定的健位，第一次输入为中文标点，第二次输入删除中文并"
                    L"上屏英文标点。\r\n");
    WriteTextString(
        f, L"//数字后半角标点行为也受此功能影响，再次输入时删除半角标点并上屏中文标点。\r\n");
    WriteKindTable(f, ime, kSmartPunctKey, kSymbolSmart);
    WriteTextString(
        f,
        L"//光标左移的标点表，该表中指定的键位在输出中文标点符号后，会模拟一次键盘光标左移键\r\n");
    WriteKindTable(f, ime, kCaretLeftPunctKey, kSymbolCaretLeft);
}

void WriteKeyRoots(FILE* f, const ImeConfigData* ime) {
    WriteTextLine(f, L"%ls=%ls\r\n", kUseKeyRootsKey, YesNo(ime->features, kFeatKeyRoots));
    constexpr int kUnits = sizeof(KeyRootRecord) / sizeof(wchar_t);
    wchar_t text[kUnits];
    for (int i = 0; i < 128; ++i) {
        if (ReadFieldText(ime->keyRoots[i].text, kUnits, text, kUnits) == 0) continue;
        const wchar_t key[2] = {SettingsKeyChar(i), 0};
        WriteTextLine(f, L"%ls=%ls\r\n", key, text);
    }
}

void WriteKeyLine(FILE* f, KeyCombination code, KeyFunctionMask mask) {
    const wchar_t* name = FormatKeyCombination(code);
    // A key without a text would read back as a line starting with "=".
    if (!name[0]) return;
    WriteTextLine(f, L"%ls=%ls\r\n", name, FormatKeyFunctionNames(mask));
}

void WriteKeyFunctions(FILE* f, const DmeConfigData* dme) {
    for (int v = 0; v < 256; ++v) {
        if (dme->keys.plainKeys[v]) WriteKeyLine(f, v, dme->keys.plainKeys[v]);
        if (dme->keys.shiftedKeys[v] && shiftedKeyNames[v][0])
            WriteKeyLine(f, v | keycombo::kShift, dme->keys.shiftedKeys[v]);
    }
    for (const KeyComboRecord& c : dme->combos)
        if (c.combination && c.functions) WriteKeyLine(f, c.combination, c.functions);
}

void WriteWordRules(FILE* f, const DmeConfigData* dme) {
    wchar_t term[32];
    for (int n = kMinRuleChars; n <= kMaxRuleChars; ++n) {
        const WordRule& rule = dme->wordRules[n];
        if (!rule.terms[0]) continue;
        std::wstring line = L"P" + std::to_wstring(n) + L"=";
        // The last slot stays the end mark even when a damaged rule fills it.
        for (int t = 0; t + 1 < kWordRuleTerms && rule.terms[t]; ++t) {
            const uint16_t v = rule.terms[t];
            std::swprintf(term, 32, L"%lsL%d%lc%d", t ? L"+" : L"",
                          (v & kTermPositionMask) >> kTermPositionShift,
                          (v & kTermFromBack) ? L'F' : L'B', v & kTermIndexMask);
            line += term;
        }
        line += L"\r\n";
        WriteTextString(f, line.c_str());
    }
}

}  // namespace

int WriteSettingsText(FILE* f, const ImeConfigData* ime, const DmeConfigData* dme,
                      const SkinConfigData* skin, const OptionSectionCodec* codec) {
    if (!f || !ime || !dme || !skin) return 0;
    WriteSectionHeader(f, L"IME设置", kSectionImeName);
    WriteImeOptions(f, ime);
    WriteSectionHeader(f, L"DME设置", kSectionDmeName);
    WriteCodecSection(f, codec, dme, kOptionSectionInput);
    WriteSectionHeader(f, L"SKIN设置", kSectionSkinName);
    WriteCodecSection(f, codec, skin, kOptionSectionInterface);
    WriteSectionHeader(f, L"中文符号定义", kSectionSymbolsName);
    WriteSymbols(f, ime);
    WriteSectionHeader(f, L"键位字根表", kSectionKeyRootsName);
    WriteKeyRoots(f, ime);
    WriteSectionHeader(f, L"按键功能", kSectionKeyFunctionsName);
    WriteKeyFunctions(f, dme);
    WriteSectionHeader(f, L"构词规则定义", kSectionWordRulesName);
    WriteWordRules(f, dme);
    return 1;
}

bool ExportSettingsText(const ImeConfigData* ime, const DmeConfigData* dme,
                        const SkinConfigData* skin, const OptionSectionCodec* codec,
                        const wchar_t* path) {
    if (!path || !path[0] || !ime || !dme || !skin) return false;
    try {
        UniqueFile f(_wfopen(path, L"wb"));
        if (!f) return false;
        static const unsigned char kBom[3] = {0xEF, 0xBB, 0xBF};
        std::fwrite(kBom, 1, sizeof kBom, f.get());
        WriteSettingsText(f.get(), ime, dme, skin, codec);
        return true;
    } catch (...) {
        return false;
    }
}
