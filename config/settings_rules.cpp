#include "config/settings_rules.h"

#include <cwchar>

#include "core/settings/config_blocks.h"

const MainTab kMainTabs[kMainTabCount] = {
    {kVisibleTabCommon, L"常用", 0, MainPage::Common, 0},
    {kVisibleTabInterface, L"界面", 1, MainPage::Interface, 1},
    {kVisibleTabTables, L"码表", 2, MainPage::Tables, 2},
    {kVisibleTabAdvanced, L"高级", 3, MainPage::Advanced, 3},
    {kVisibleTabAbout, L"关于", 4, MainPage::About, 4},
};

uint32_t EffectiveVisibleItems(uint32_t stored) { return stored ? stored : kVisibleAll; }

int VisibleMainTabs(uint32_t visibleItems, int (&out)[kMainTabCount]) {
    int n = 0;
    for (int i = 0; i < kMainTabCount; ++i)
        if (visibleItems & kMainTabs[i].bit) out[n++] = i;
    return n;
}

int StartTabIndex(uint32_t visibleItems, int startPage) {
    if (startPage < 0) startPage = 0;
    if (startPage > 4) startPage = 4;
    int shown[kMainTabCount];
    int n = VisibleMainTabs(visibleItems, shown);
    for (int i = 0; i < n; ++i)
        if (kMainTabs[shown[i]].startPage == startPage) return i;
    return 0;
}

int NextTabIndex(int kept, int count) {
    if (count <= 0) return 0;
    int next = kept + 1;
    return next >= count || next < 0 ? 0 : next;
}

bool MainPageOfText(const wchar_t* text, MainPage& page) {
    for (const MainTab& t : kMainTabs) {
        if (text && std::wcscmp(text, t.text) == 0) {
            page = t.page;
            return true;
        }
    }
    return false;
}

SchemeRadio SchemeRadioOf(uint32_t options) {
    const bool main = options & kImeMainTable, aux = options & kImeAuxTable;
    if (main && aux) return SchemeRadio::Both;
    if (aux) return SchemeRadio::Auxiliary;
    return SchemeRadio::Main;
}

uint32_t WithSchemeRadio(uint32_t options, SchemeRadio radio) {
    options &= ~(kImeMainTable | kImeAuxTable);
    switch (radio) {
        case SchemeRadio::Main:
            return options | kImeMainTable;
        case SchemeRadio::Auxiliary:
            return options | kImeAuxTable;
        case SchemeRadio::Both:
            return options | kImeMainTable | kImeAuxTable;
    }
    return options;
}

SearchRadio SearchRadioOf(uint32_t options) {
    return options & kImeSearchSecondary ? SearchRadio::Search : SearchRadio::NoSearch;
}

uint32_t WithSearchRadio(uint32_t options, SearchRadio radio) {
    return WithBit(options, kImeSearchSecondary, radio == SearchRadio::Search);
}

uint32_t WithBit(uint32_t options, uint32_t bit, bool set) {
    return set ? options | bit : options & ~bit;
}
