// The word editor "手动加词": adds one word with its code to main.dmg (mode 0), adds a word
// cut from the recent output or the clipboard (mode 1), or changes an entry (mode 2).
#pragma once
#include <windows.h>

#include <cstdint>

#include "config/word_editor_rules.h"
#include "dialog/dialog.h"

struct Engine;

constexpr int kWordModeAdd = 0;
constexpr int kWordModeOnline = 1;
constexpr int kWordModeModify = 2;
constexpr uint32_t kUserWordClass = 2;

struct WordEditorRequest {
    Engine* engine;
    HWND owner;
    const wchar_t* displayName;
    int mode;
    uint32_t entryClass = kUserWordClass;
    int32_t replaceIndex = -1;      // mode 2: position of the entry in main.dmg
    const wchar_t* code = nullptr;  // mode 2: its code and word
    const wchar_t* word = nullptr;
};

class CKX_AddUserPhrase2 final : public Dialog {
public:
    explicit CKX_AddUserPhrase2(const WordEditorRequest& request);

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool PreTranslate(MSG& message) override;
    void OnOK() override;

private:
    void TakeWord();
    void OnWordChanged();
    void ShowHint();
    void RecentSource();

    WordEditorRequest request_;
    ReplacedEntryKey old_;
    int wordLength_ = kOnlineWordLength;
    wchar_t source_[kWordEditorUnits] = {};
};

// Runs the editor modally; IDOK after a word was added.
INT_PTR RunWordEditor(const WordEditorRequest& request);
