// A key step's document actions carried out in its session, and compositions ended.
#include "core/base/boundary_guard.h"
#include "textservice/tsf/service_hooks.h"
#include "textservice/tsf/text_service.h"

void CTextService::ApplyDocumentActions(TfEditCookie ec, ITfContext* context,
                                        const DocumentActions& actions) {
    const TextServiceHooks& hooks = ServiceHooks();
    for (int i = 0; i < actions.count; ++i) {
        const DocumentAction& a = actions.items[i];
        switch (a.kind) {
            case DocumentActionKind::kUpdateComposition: {
                if (!compositions_.Has(context)) compositions_.Start(ec, context, this);
                ITfComposition* composition = compositions_.Get(context);
                if (!composition) {
                    // A document that refuses the composition shows nothing: the code must
                    // not grow on unseen under the following keys.
                    if (engine_) {
                        engine_->ClearInput();
                        engine_->input.keyChar = nullptr;
                        if (hooks.hideCandidateWindow) hooks.hideCandidateWindow(engine_);
                    }
                    break;
                }
                SetCompositionText(ec, context, composition, a.text, static_cast<LONG>(a.length),
                                   static_cast<LONG>(a.caret));
                compositions_.SetPlaceholder(context, a.mark != CompositionMark::kInput);
                if (a.mark == CompositionMark::kNone) {
                    ClearCompositionAttribute(ec, context, composition);
                } else {
                    const AttributeKind kind = a.mark == CompositionMark::kConverted
                                                   ? AttributeKind::kConverted
                                                   : AttributeKind::kInput;
                    SetCompositionAttribute(ec, context, composition, attributeAtom(kind));
                }
                break;
            }
            case DocumentActionKind::kClearComposition:
                if (ITfComposition* composition = compositions_.Get(context))
                    SetCompositionText(ec, context, composition, L"", 0, 0);
                break;
            case DocumentActionKind::kCommitText: {
                ITfComposition* composition = compositions_.Get(context);
                bool left = false;
                WriteAtSelection(ec, context, composition, a.text, static_cast<LONG>(a.length),
                                 &left);
                // A host that cannot move the composition's start gets the composition ended
                // here: the committed text must not be cleared with it later.
                if (composition && !left) compositions_.End(ec, compositions_.Find(context));
                break;
            }
            case DocumentActionKind::kEndComposition:
                // Only committed text stays: what the composition still shows goes with it.
                if (ITfComposition* composition = compositions_.Get(context))
                    SetCompositionText(ec, context, composition, L"", 0, 0);
                // The step has set the engine's candidates as they are after it.
                FinishComposition(ec, context, false);
                break;
            case DocumentActionKind::kUpdateCandidates:
                if (compositions_.Has(context) && hooks.updateCandidateList)
                    hooks.updateCandidateList(this, ec, context);
                break;
            case DocumentActionKind::kHideCandidates:
                if (engine_ && hooks.hideCandidateWindow) hooks.hideCandidateWindow(engine_);
                break;
        }
    }
}

void CTextService::FinishComposition(TfEditCookie ec, ITfContext* context, bool clearCandidates) {
    // A placeholder is no text of the user's: it leaves with the composition.
    if (compositions_.ShowsPlaceholder(context))
        SetCompositionText(ec, context, compositions_.Get(context), L"", 0, 0);
    compositions_.End(ec, compositions_.Find(context));
    const TextServiceHooks& hooks = ServiceHooks();
    if (hooks.endCandidateList) hooks.endCandidateList(this);
    if (engine_ && clearCandidates) engine_->candidateCount = 0;
}

void CTextService::DropComposition(TfEditCookie ec, ITfContext* context) {
    // A cancelled code (or the placeholder) must not stay behind as typed text.
    if (ITfComposition* composition = compositions_.Get(context))
        SetCompositionText(ec, context, composition, L"", 0, 0);
    FinishComposition(ec, context);
}

STDMETHODIMP CTextService::OnCompositionTerminated(TfEditCookie ec, ITfComposition* composition) {
    return Guarded<HRESULT>(S_OK, [&]() -> HRESULT {
        const int slot = compositions_.FindComposition(composition);
        if (engine_ && (engine_->state & kStateAssociation) && slot >= 0) {
            EndCurrentComposition(compositions_.ContextAt(slot));
        } else {
            if (engine_) {
                engine_->ClearInput();
                engine_->input.keyChar = nullptr;
            }
            if (slot >= 0) {
                ITfContext* context = compositions_.ContextAt(slot);
                SetCompositionText(ec, context, composition, L"", 0, 0);
                compositions_.End(ec, slot);
            }
        }
        const TextServiceHooks& hooks = ServiceHooks();
        if (hooks.endCandidateList) hooks.endCandidateList(this);
        if (engine_) engine_->candidateCount = 0;
        return S_OK;
    });
}
