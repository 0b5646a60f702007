// The compositions the text service has open: at most five, one per context, and the
// document steps inside an edit session that start, fill, mark and end them.
#pragma once
#include <windows.h>

#include "textservice/com_ptr.h"
#include "textservice/tsf/tsf_compat.h"

class CompositionTable {
public:
    static constexpr int kSlots = 5;

    int Find(const ITfContext* context) const;
    int FindComposition(const ITfComposition* composition) const;
    bool Has(const ITfContext* context) const { return Find(context) >= 0; }
    ITfComposition* Get(const ITfContext* context) const;
    ITfContext* ContextAt(int slot) const;
    ITfComposition* CompositionAt(int slot) const;

    // Starts a composition at the selection of context in session ec and selects its range.
    // One that cannot be recorded (all slots taken) is ended and released again. True when a
    // composition is recorded for context afterwards.
    bool Start(TfEditCookie ec, ITfContext* context, ITfCompositionSink* sink);
    // Clears the attribute, ends the composition in ec and frees the slot.
    void End(TfEditCookie ec, int slot);
    // Frees a slot without a session (the framework has ended the composition).
    void Forget(int slot);
    void ForgetAll();
    // The composition of context shows a placeholder (a space, not typed text): ending it
    // must take the placeholder out of the document.
    void SetPlaceholder(const ITfContext* context, bool placeholder);
    bool ShowsPlaceholder(const ITfContext* context) const;

private:
    ComPtr<ITfComposition> compositions_[kSlots];
    ComPtr<ITfContext> contexts_[kSlots];
    bool placeholder_[kSlots] = {};
};

// Replaces the composition's text and puts the caret caret units into it.
HRESULT SetCompositionText(TfEditCookie ec, ITfContext* context, ITfComposition* composition,
                           const wchar_t* text, LONG length, LONG caret);
// Writes text over the selection (the composition's text when composing) as committed output
// and puts the caret after it. A composition stays open, empty, behind the written text, which
// is no longer part of it; *left (when given) tells that the text did leave it.
HRESULT WriteAtSelection(TfEditCookie ec, ITfContext* context, ITfComposition* composition,
                         const wchar_t* text, LONG length, bool* left = nullptr);
// GUID_PROP_ATTRIBUTE over the composition range: set to atom, or cleared.
void SetCompositionAttribute(TfEditCookie ec, ITfContext* context, ITfComposition* composition,
                             TfGuidAtom atom);
void ClearCompositionAttribute(TfEditCookie ec, ITfContext* context, ITfComposition* composition);
