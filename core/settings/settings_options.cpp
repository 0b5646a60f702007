// The "[-IME设置-]" pairs.
#include <string_view>

#include "core/settings/settings_import.h"

namespace {

using std::wstring_view;

bool Contains(wstring_view value, wstring_view part) {
    return value.find(part) != wstring_view::npos;
}

// "是" sets, "切换" inverts (toggle keys only), anything else clears.
void SetBit(uint32_t& word, uint32_t bit, wstring_view value, bool toggle) {
    if (value == L"是")
        word |= bit;
    else if (toggle && value == L"切换")
        word ^= bit;
    else
        word &= ~bit;
}

struct BitOption {
    const wchar_t* key;
    uint32_t ImeConfigData::*word;
    uint32_t bit;
    bool toggle;
};

constexpr BitOption kBitOptions[] = {
    {L"保存自定义的初始化转换状态", &ImeConfigData::features, kFeatSaveStartState, false},
    {L"是否开启命令直通车", &ImeConfigData::features, kFeatCommands, false},
    {L"Capslock转英文标点", &ImeConfigData::features, kFeatCapsEnglishPunct, false},
    {L"仅重码时显示候选窗口", &ImeConfigData::features, kFeatCandidateOnlyWhenMany, true},
    {L"隐藏嵌入的首候选", &ImeConfigData::features, kFeatHideEmbeddedFirst, true},
    {L"隐藏词条相同编码不同的后续候选", &ImeConfigData::features, kFeatMergeSameWord, false},
    {L"首字母大写开启临时英文输入", &ImeConfigData::options, kImeCapitalStartsEnglish, false},
    {L"临时词功能开启", &ImeConfigData::options, kImeTempWords, true},
    {L"临时词上屏即存", &ImeConfigData::options, kImeTempSaveAtCommit, true},
    {L"临时词重启电脑后清空", &ImeConfigData::options, kImeTempClearAtBoot, true},
    {L"智能模式生成临时词", &ImeConfigData::options, kImeTempSmart, true},
    {L"禁用鼠标悬停词典", &ImeConfigData::options, kImeNoHoverDictionary, true},
    {L"隐藏候选窗口", &ImeConfigData::options, kImeCandidateHidden, true},
    {L"隐藏状态条窗口", &ImeConfigData::options, kImeStatusHidden, true},
    {L"禁用组合快捷键", &ImeConfigData::options, kImeNoComboHotkeys, true},
    {L"是否在上屏时开启词语联想", &ImeConfigData::options, kImeAssociation, true},
    {L"是否打开非编码按键顶屏", &ImeConfigData::options, kImeNonCodeKeyCommits, true},
    {L"中英文切换时上屏输入字符", &ImeConfigData::options, kImeCommitCodeOnSwitch, true},
    {L"检索次显码表", &ImeConfigData::options, kImeSearchSecondary, true},
    {L"空码时检索次显码表", &ImeConfigData::options, kImeSecondaryOnEmpty, true},
};

uint32_t PageCountOf(wstring_view value) {
    if (value.substr(0, 2) == L"10") return 10;
    if (value.empty()) return kDefaultPageSize;
    const wchar_t c = value[0];
    if (c == L'1') return 1;
    if (c >= L'2' && c <= L'9' && c != L'5') return static_cast<uint32_t>(c - L'0');
    return kDefaultPageSize;
}

}  // namespace

void ParseImeOption(ImeConfigData* ime, wstring_view key, wstring_view value) {
    if (!ime) return;
    for (const BitOption& b : kBitOptions) {
        if (key == b.key) {
            SetBit(ime->*(b.word), b.bit, value, b.toggle);
            return;
        }
    }
    uint32_t& o = ime->options;
    uint32_t& ft = ime->features;
    uint32_t& lo = ime->listOptions;
    if (key == L"编码窗口样式") {
        o &= ~kImeStyleMask;
        if (!(ft & kFeatHasTsf)) return;
        if (value == L"TSF-嵌入编码")
            o |= kImeStyleTsfEmbedCode;
        else if (value == L"TSF-嵌入首选")
            o |= kImeStyleTsfEmbedFirst;
        else if (value == L"TSF-传统样式")
            o |= kImeStyleTsfClassic;
    } else if (key == L"是否嵌入状态栏窗口") {
        if (ft & kFeatHasTsf) SetBit(o, kImeStatusEmbedded, value, true);
    } else if (key == L"空码时空格行为" || key == L"英文状态时空格行为") {
        ft &= ~kFeatSpaceMask;
        if (value == L"上屏英文")
            ft |= kFeatSpaceEnglish;
        else if (value == L"清屏")
            ft |= kFeatSpaceClear;
        else
            ft |= kFeatSpaceEnglishSpace;
    } else if (key == L"初始化转换状态") {
        if (value == L"与系统转换状态一致") {
            ime->startState = kStartStateFollowSystem;
            ft &= ~kFeatCustomStartState;
        } else {
            ft |= kFeatCustomStartState;
            uint32_t st = kStartStateStored;
            if (Contains(value, L"中文标点")) st |= kStartStateChinesePunct;
            if (Contains(value, L"全角")) st |= kStartStateFullWidth;
            if (Contains(value, L"输入法关闭")) st |= kStartStateClosed;
            ime->startState = st;
        }
    } else if (key == L"候选窗口位置") {
        o &= ~(kImeCandidateFixed | kImeCandidateFollowStatus);
        if (value == L"跟随状态栏")
            o |= kImeCandidateFollowStatus;
        else if (value == L"固定位置")
            o |= kImeCandidateFixed;
    } else if (key == L"候选列表排序依据") {
        lo &= ~(kListSingleFirst | kListByCode);
        if (Contains(value, L"单字先见")) lo |= kListSingleFirst;
        if (Contains(value, L"按编码排序")) lo |= kListByCode;
    } else if (key == L"候选列表显示个数") {
        lo = (lo & ~kListPageMask) | (PageCountOf(value) << kListPageShift);
    } else if (key == L"词频调整") {
        lo &= ~kListFreqMask;
        if (value == L"一次到顶")
            lo |= kListFreqToTop;
        else if (value == L"逐渐调整")
            lo |= kListFreqGradual;
        else if (value == L"累加上屏数")
            lo |= kListFreqCount;
    } else if (key == L"输入方案") {
        if (value == L"主+辅") {
            o |= kImeMainTable | kImeAuxTable;
        } else if (value == L"主") {
            o = (o | kImeMainTable) & ~kImeAuxTable;
        } else {
            o = (o | kImeAuxTable) & ~kImeMainTable;
        }
    }
}
