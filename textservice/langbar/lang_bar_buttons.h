// The text service's language-bar buttons: Chinese/English always, and with the status bar
// embedded in the language bar (Windows 6.1 and earlier) width, punctuation, soft keyboard
// and the function menu.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/record/engine.h"
#include "textservice/tsf/tsf_compat.h"

// Icon resources of the buttons.
namespace langbaricon {
constexpr int kHalfWidth = 102;
constexpr int kEnglish = 103;
constexpr int kChinesePunct = 104;
constexpr int kEnglishPunct = 105;
constexpr int kChinese = 106;
constexpr int kFunctionMenu = 107;
constexpr int kFullWidth = 108;
constexpr int kSoftKeyboard = 109;
constexpr int kCapsLock = 122;
constexpr int kClosed = 123;
constexpr int kDisabled = 124;
}  // namespace langbaricon

enum class LangBarButton { kInputMode, kWidth, kPunctuation, kSoftKeyboard, kFunctionMenu };
constexpr int kLangBarButtons = 5;

// What the buttons need of the text service that owns them.
struct LangBarOwner {
    Engine* engine;
    IUnknown* service;        // referenced by every button while it lives
    uint32_t windowsVersion;  // major * 256 + minor
    // Pops up the own function menu; known: at is the button's position, else the point is
    // the cursor's. Null: no menu.
    void (*functionMenu)(Engine* engine, POINT at, bool known);
    // Icon resource id to icon; null loads from the library's resources.
    HICON (*loadIcon)(int id);
};

// Item GUIDs.
extern const GUID kInputModeItemBefore62;  // before Windows 6.2; from 6.2 GUID_LBI_INPUTMODE
extern const GUID kWidthItem;
extern const GUID kPunctuationItem;
extern const GUID kSoftKeyboardItem;
extern const GUID kFunctionMenuItem;

// A new button with one reference (the caller's), or null.
ITfLangBarItemButton* CreateLangBarButton(LangBarButton kind, const LangBarOwner& owner);

// The icon resource a button shows for the engine's state.
int LangBarIconId(LangBarButton kind, const Engine* engine, bool capsLock);

// The buttons of one service, kept in the service's slots.
struct LangBarButtons {
    ITfLangBarItemButton* items[kLangBarButtons];
};

// Puts the buttons up with itemMgr (removing any first): 1 when the Chinese/English button is
// up, 0 without an item manager or when it could not be added.
int AddLanguageBarButtons(LangBarButtons& buttons, const LangBarOwner& owner,
                          ITfLangBarItemMgr* itemMgr);
// Takes every button down and releases it.
void RemoveLanguageBarButtons(LangBarButtons& buttons, ITfLangBarItemMgr* itemMgr);
// Tells the buttons' sinks that icon and status changed: the Chinese/English button always,
// the others with the status bar embedded.
void RefreshLanguageBarButtons(LangBarButtons& buttons, const Engine* engine);
// Sets or clears the hidden status of every button (thread focus with the status bar
// embedded), telling the sinks of those that changed.
void SetLanguageBarButtonsHidden(LangBarButtons& buttons, bool hidden);
