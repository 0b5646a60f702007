// What the word editor decides: the online word cut from a source text, the proposed code,
// the code check, and adding (or replacing) one word in the main table.
#pragma once
#include <cstdint>

#include "core/base/mapped_file.h"
#include "core/settings/config_blocks.h"

constexpr int kWordEditorUnits = 128;  // word, code and source texts
constexpr int kMaxOnlineWordLength = 30;
constexpr int kOnlineWordLength = 2;  // first length of an online word
constexpr int kRecentOutputsJoined = 16;
constexpr uint32_t kOrderBeforeSystem = 0xC000;
constexpr uint32_t kOrderAfterSystem = 1024;

// The last length characters (a surrogate pair is one) of source into word. Nothing is taken
// (false, word untouched) when source has no character or a broken pair; length is lowered
// to the character count when larger.
bool CutWordFromSource(const wchar_t* source, int& length, wchar_t (&word)[kWordEditorUnits]);
// The online word length after Up (+1) or Down (-1): kept within 0..30.
int StepWordLength(int length, int delta);

// The code of word by the word-construction rule for its character count; false with code
// emptied when the word is empty, has a broken pair, has 30 or more characters, or there
// is no character table or rule.
bool ProposeWordCode(const MappedFile* charTable, const DmeConfigData* dme, const wchar_t* word,
                     wchar_t (&code)[kWordEditorUnits]);

// Codes hold printable ASCII (0x21-0x7E) and the keypad characters U+FF0A-U+FF19 only.
bool IsKeyboardCode(const wchar_t* code);

enum class WordAddResult {
    Added,
    Revived,      // a deleted copy of the word took the new order
    Replaced,     // the entry to replace got the new class and order in place
    EmptyWord,    // "词条不能为空"
    EmptyCode,    // "编码不能为空"
    NotKeyboard,  // "编码不能非键盘字符"
    BadEntry,     // "非法的定义."
    Exists,       // "词条已存在"
    AddFailed,    // "加词失败"
};
// The status-line text of a result (empty for success without a text of its own).
const wchar_t* WordAddStatusText(WordAddResult result);
constexpr bool IsWordAdded(WordAddResult r) {
    return r == WordAddResult::Added || r == WordAddResult::Revived || r == WordAddResult::Replaced;
}

// The code-and-word key of an entry to replace, taken from the table when the dialog opens.
struct ReplacedEntryKey {
    int length = 0;  // 0: nothing to replace
    uint8_t bytes[2 + 2 * 255] = {};
};
// The key of the entry at position of table; empty when the position is outside it.
ReplacedEntryKey KeyOfEntryAt(const MappedFile* table, int32_t position);

struct WordAddRequest {
    const wchar_t* word;
    const wchar_t* code;
    uint32_t entryClass;    // flags bits 24-29
    bool beforeSystem;      // order 0xC000 instead of 1024 when the text gives none
    ReplacedEntryKey* old;  // null or empty: a plain add; emptied once it is deleted
};
// Adds the word to a main table (append, sort, prefix index), or revives a deleted copy.
// The entry to replace is deleted only after the new one is in, and only once.
WordAddResult AddWordToTable(MappedFile* table, const WordAddRequest& request);
