// Run-time half of the engine record: input state, candidates, page and windows.
// Only the input method fills it; the configuration program carries it zeroed.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "core/settings/key_functions.h"

constexpr int kMaxCandidates = 3000;
constexpr int kMaxCodeUnits = 128;
constexpr int kPageRows = 11;  // 10 rows shown, one spare
constexpr int kRowTextUnits = 130;
constexpr int kCompositionUnits = 132;
constexpr int kPickedUnits = 130;
constexpr int kOutputUnits = 130;
constexpr int kCommandArgumentUnits = 512;
constexpr int kSearchKeyBytes = 128;
constexpr int kMessageTextBytes = 128;

// Engine::state
constexpr uint32_t kStateFullWidthOutput = 0x1;
constexpr uint32_t kStateEnglishPunct = 0x2;
constexpr uint32_t kStateImeClosed = 0x4;
constexpr uint32_t kStateEnglishMode = 0x10;
constexpr uint32_t kStateSecondaryPass = 0x40;
constexpr uint32_t kStateNumberCandidates = 0x80;
constexpr uint32_t kStateWildcard = 0x100;
constexpr uint32_t kStateEnglishCompletion = 0x200;
constexpr uint32_t kStateTempEnglish = 0x10000000;
constexpr uint32_t kStateAssociation = 0x20000000;
constexpr uint32_t kStateUiCommand = 0x40000000;
constexpr uint32_t kStateResetMask = 0x8FFFFD7F;  // what ResetInput keeps

// Candidate::kind
constexpr uint8_t kKindMainEntry = 0x21;
constexpr uint8_t kKindTempEntry = 0x22;
constexpr uint8_t kKindListEntry = 0x13;
constexpr uint8_t kKindTextEntry = 0x14;
constexpr uint8_t kKindHasCodeAndWord = 0x20;
constexpr uint8_t kKindHasCodeAndWordAlt = 0x80;
constexpr uint8_t kKindLengthPrefixedText = 0x10;
constexpr uint8_t kKindKeyValue = 0x40;

struct Candidate {
    const uint8_t* entry;  // table entry or built-in text entry
    uint8_t kind;
    uint32_t weight;  // match group, higher first
    wchar_t hint[3];  // next two code characters after the typed part, NUL-ended
};

// Order of one candidate packed for sorting (engine/candidates.cpp).
struct CandidateSortKey {
    uint64_t major;  // weight (larger first), then the list option's key
    uint32_t minor;  // entry flags & 0x4000FFFF, inverted (larger first)
    uint32_t index;  // candidate index before the sort
};

struct PageRow {
    uint32_t length;
    wchar_t text[kRowTextUnits];
};

struct CandidatePage {
    int64_t pageStart;
    int64_t startContinues;
    int64_t pageEnd;  // -1 before the first page
    int64_t endContinues;
    int64_t highlight;
    int64_t pageSize;
    int64_t rowCount;
    PageRow rowText[kPageRows];
    PageRow rowCommit[kPageRows];  // length 0: commit the display text
    int64_t rowCandidate[kPageRows];
};

// Window handles of the skinned windows; completed by the window code.
struct UIWindowSet {
    HWND candidateWindow;
    HWND statusWindow;
    HWND softKeyboardWindow;
    HWND tipWindow;
    HWND dictWindow;
    POINT candidatePos;
    POINT statusPos;
};

// Built-in text entry shown as a candidate of kind 0x14.
#pragma pack(push, 1)
struct MessageEntry {
    uint32_t flags;
    uint8_t length;
    uint8_t text[kMessageTextBytes];
};
#pragma pack(pop)
static_assert(sizeof(MessageEntry) == 133);

// Built-in text entries of the number texts, kind 0x14 like MessageEntry.
constexpr int kNumberEntryCount = 11;
constexpr int kNumberEntryTextBytes = 256;
#pragma pack(push, 1)
struct NumberTextEntry {
    uint32_t flags;
    uint8_t length;
    uint8_t text[kNumberEntryTextBytes];
};
#pragma pack(pop)
static_assert(sizeof(NumberTextEntry) == 261);

struct SearchKey {
    uint8_t length;
    uint8_t bytes[kSearchKeyBytes];
};

struct InputState {
    uint32_t keyVk;
    KeyFunctionMask keyAction;
    const wchar_t* keyChar;  // null when the key has no character
    uint32_t codeLength;     // 0..128
    uint32_t caret;          // 0..codeLength
    wchar_t code[kMaxCodeUnits + 1];
    uint32_t compositionLength;
    uint32_t compositionCaret;
    wchar_t compositionText[kCompositionUnits];
    uint32_t pickedLength;
    wchar_t pickedText[kPickedUnits];
    uint32_t outputLength;
    wchar_t outputText[kOutputUnits];
    SearchKey searchKey;
    uint32_t committedKind;
    const uint8_t* committedEntry;
    uint32_t pickedAction;  // what the front end does with pickedText after the commit
    wchar_t commandArgument[kCommandArgumentUnits];  // argument of a picked command
};

struct UIState;  // skinned-window state, owned by the engine record

// Where the skinned windows, menus and language-bar buttons send their UICommand codes: the
// front end that owns the record (text service or IMM32 input context) sets it.
struct UICommandTarget {
    int (*handler)(void* owner, uint32_t code, uintptr_t first, uintptr_t second);
    void* owner;
};
struct Engine;

// Settings words as one lookup sees them. The lookup narrows the search scheme and switches
// prefix and wildcard matching for its own duration; those run-time bits live here and never
// reach the shared config.dsc. Outside a lookup (active 0) the mapped fields are read.
struct LookupSettings {
    uint32_t active;
    uint32_t imeOptions;    // ImeConfigData.options
    uint32_t inputOptions;  // DmeConfigData.inputOptions
    uint8_t wildcardChar;   // DmeConfigData.wildcardChar
};

// Result codes of Engine::AddCandidate.
constexpr int kAddAdded = 0;
constexpr int kAddFull = 2;
constexpr int kAddDeleted = 3;
constexpr int kAddNotAuxiliary = 4;
constexpr int kAddNotSecondary = 5;
constexpr int kAddAuxiliaryOnly = 11;
constexpr int kAddSecondaryOnly = 12;

struct EngineRuntime {
    uint32_t state;
    uint32_t replayActive;   // 1 while a backspace replay runs
    int64_t candidateCount;  // 0..3000
    Candidate candidates[kMaxCandidates];
    CandidatePage page;
    UIWindowSet windows;
    MessageEntry messageEntry;
    NumberTextEntry numberEntries[kNumberEntryCount];
    InputState input;
    UIState* uiState;
    UICommandTarget uiCommand;
    uint32_t softKeyboardLayout;  // 1-13 while the soft keyboard is shown, else 0

    // Kept by the lookup across calls: the first candidate of the lookup before this one.
    Candidate previousFirst;
    uint32_t hasPreviousFirst;
    LookupSettings lookup;
    Candidate mergeScratch[kMaxCandidates];
    CandidateSortKey sortKeys[kMaxCandidates];
    // Candidates [0, orderedCount) stand in their final order; while orderPending equals
    // candidateCount the others follow in no particular order (engine/candidates.cpp).
    int64_t orderedCount;
    int64_t orderPending;
    // While hintsPending equals candidateCount, candidates [hintsFrom, candidateCount) may
    // carry hints left for later (engine/candidates.h).
    int64_t hintsPending;
    int64_t hintsFrom;

    // Candidate list (engine/candidates.cpp, engine/candidate_page.cpp).
    static int AddCandidate(Engine* engine, const uint8_t* entry, uint8_t kind, uint32_t weight,
                            uint32_t typedLength);
    static void MergeDuplicates(Engine* engine);
    static void SortCandidates(Engine* engine);
    static int CompareCandidates(const Candidate* a, const Candidate* b, const Engine* engine);
    static void FinishCandidates(Engine* engine);
    static void NextPage(Engine* engine);
    static void PrevPage(Engine* engine);
    static int PageDown(Engine* engine);
    static int MoveHighlight(Engine* engine, int step);
    static void BuildCompositionText(Engine* engine);
    static int ConvertPageScript(Engine* engine, int64_t index, int64_t row, bool forward);

    // Lookup dispatcher (engine/lookup.cpp).
    static int ProcessInput(Engine* engine);
    // Association and English completion over the list tables (engine/association.cpp).
    static int64_t LookupAssociation(Engine* engine, uint32_t flags);
    static int64_t ClearInputAndAssociate(Engine* engine);
    static int64_t LookupTempEnglish(Engine* engine);

    // Commit and learning (engine/commit.cpp, engine/frequency.cpp, engine/commit_history.cpp,
    // engine/phrase_learning.cpp, engine/last_output_text.cpp). Selectors as SelectCandidate's.
    // AdjustFrequency: 1 when an order value changed. CommitCandidate: 1 when a candidate
    // was committed. RememberCommit: 1 when the commit entered the history.
    static int AdjustFrequency(Engine* engine, int selector);
    static int CommitCandidate(Engine* engine, int selector);
    static int RememberCommit(Engine* engine, int64_t index);
    static int LearnPhrase(Engine* engine);
    static int AppendOutputText(Engine* engine, const wchar_t* text);

    // Clears the typed code, composition, pick, candidates, page and key, and the transient
    // state bits (what Engine::ResetInput does).
    void ClearInput() {
        input.codeLength = 0;
        input.caret = 0;
        std::memset(input.code, 0, sizeof input.code);
        input.compositionLength = 0;
        input.compositionCaret = 0;
        std::memset(input.compositionText, 0, sizeof input.compositionText);
        input.pickedLength = 0;
        input.keyVk = 0;
        input.keyAction = 0;
        candidateCount = 0;
        orderPending = 0;
        hintsPending = 0;
        page.pageStart = 0;
        page.startContinues = 0;
        page.pageEnd = -1;
        page.endContinues = 0;
        page.highlight = 0;
        page.rowCount = 0;
        state &= kStateResetMask;
    }
    // Drops every pointer into the mapped tables (candidates, previousFirst, committedEntry)
    // with the input: for when a table view has moved.
    void ForgetTableViews() {
        ClearInput();
        hasPreviousFirst = 0;
        std::memset(&previousFirst, 0, sizeof previousFirst);
        input.committedEntry = nullptr;
        input.committedKind = 0;
    }
};
