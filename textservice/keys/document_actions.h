// What one key does to the document, in order: the key step writes these and each front end
// carries them out (the text service inside its edit session, IMM32 as composition string
// and messages).
#pragma once
#include <cstdint>

#include "core/record/engine_runtime.h"

enum class DocumentActionKind : uint8_t {
    // Show text as the composition (started when none is open), caret inside it.
    kUpdateComposition,
    // Empty the composition's text; the composition stays open.
    kClearComposition,
    // Write text at the selection as committed output (over the composition's text when one
    // is open), caret after it; the composition stays open, empty, after the text.
    kCommitText,
    // End the composition; what it still shows leaves the document with it (only text written
    // by kCommitText stays).
    kEndComposition,
    // The page of candidates changed: show or refresh it.
    kUpdateCandidates,
    // No candidates to show any more.
    kHideCandidates,
};

// How composition text is marked.
enum class CompositionMark : uint8_t {
    kInput,      // code or first candidate being typed
    kConverted,  // association (command) state
    kNone,       // a placeholder without a mark
};

constexpr int kActionTextUnits = kOutputUnits;  // 129 characters and NUL
constexpr int kMaxDocumentActions = 24;

struct DocumentAction {
    DocumentActionKind kind;
    CompositionMark mark;
    uint32_t length;
    uint32_t caret;
    wchar_t text[kActionTextUnits];
};

// A bounded list; actions past its end are dropped and counted.
struct DocumentActions {
    int count = 0;
    int dropped = 0;
    DocumentAction items[kMaxDocumentActions];

    DocumentAction* Add(DocumentActionKind kind) {
        if (count >= kMaxDocumentActions) {
            ++dropped;
            return nullptr;
        }
        DocumentAction& a = items[count++];
        a.kind = kind;
        a.mark = CompositionMark::kInput;
        a.length = 0;
        a.caret = 0;
        a.text[0] = 0;
        return &a;
    }
    // Adds an action with a copy of text (cut to kActionTextUnits - 1).
    DocumentAction* Add(DocumentActionKind kind, const wchar_t* text, uint32_t length,
                        uint32_t caret = 0) {
        DocumentAction* a = Add(kind);
        if (!a) return nullptr;
        if (length > kActionTextUnits - 1) length = kActionTextUnits - 1;
        for (uint32_t i = 0; i < length; ++i) a->text[i] = text[i];
        a->text[length] = 0;
        a->length = length;
        a->caret = caret > length ? length : caret;
        return a;
    }
    void Clear() {
        count = 0;
        dropped = 0;
    }
};
