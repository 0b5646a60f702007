// The main dialog's decisions as plain functions: which tabs show, where it starts, the next
// tab, and the system page's radios and checks over the input method's option word.
#pragma once
#include <cstdint>

enum class MainPage { Common, Interface, Tables, Advanced, About };

struct MainTab {
    uint32_t bit;         // in ImeConfigData.visibleItems
    const wchar_t* text;  // also how a tab finds its page
    int image;            // in the tab image list
    MainPage page;
    int startPage;  // the start page that selects it
};

constexpr int kMainTabCount = 5;
extern const MainTab kMainTabs[kMainTabCount];

// A stored 0 stands for every tab (and is stored back as 0xFFFF).
uint32_t EffectiveVisibleItems(uint32_t stored);
// The tabs shown, in order (indices into kMainTabs); their count.
int VisibleMainTabs(uint32_t visibleItems, int (&out)[kMainTabCount]);
// The tab index a start page selects: the page clamped to 0..4, replaced by the index of the
// shown tab of that page; a page whose tab is hidden starts on the first tab.
int StartTabIndex(uint32_t visibleItems, int startPage);
// Ctrl+Tab: the next index after kept, wrapping to 0.
int NextTabIndex(int kept, int count);
// The page of a tab text (false when the text names none).
bool MainPageOfText(const wchar_t* text, MainPage& page);

// System page. Scheme radios: main, auxiliary, both; search radios: search, do not search.
enum class SchemeRadio { Main, Auxiliary, Both };
enum class SearchRadio { Search, NoSearch };
SchemeRadio SchemeRadioOf(uint32_t options);
uint32_t WithSchemeRadio(uint32_t options, SchemeRadio radio);
SearchRadio SearchRadioOf(uint32_t options);
uint32_t WithSearchRadio(uint32_t options, SearchRadio radio);
uint32_t WithBit(uint32_t options, uint32_t bit, bool set);
