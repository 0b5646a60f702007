// The text input processor the framework creates once per thread: it owns the engine for
// its activation, its sinks and preserved keys, the compositions and the key path.
// Its members are defined by concern in text_service*.cpp.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

#include "core/record/engine.h"
#include "textservice/com_ptr.h"
#include "textservice/keys/key_path_state.h"
#include "textservice/keys/key_step.h"
#include "textservice/tsf/compositions.h"
#include "textservice/tsf/display_attributes.h"
#include "textservice/tsf/tsf_compat.h"

// The preserved hotkeys of the settings have GUIDs from a fixed table of this size.
constexpr int kHotkeyGuids = 32;
const GUID& HotkeyGuid(int index);
extern const GUID kFullWidthKeyGuid;    // Shift+Space
extern const GUID kPunctuationKeyGuid;  // Ctrl+Period

// Keyboard states shown by the state tip.
enum class KeyboardState : int {
    kChinese = 0,
    kEnglish = 1,
    kCapsLock = 2,
    kDisabled = 3,
    kClosed = 4,
};

class CTextService final : public ITfTextInputProcessorEx,
                           public ITfThreadMgrEventSink,
                           public ITfTextEditSink,
                           public ITfKeyEventSink,
                           public ITfCompositionSink,
                           public ITfDisplayAttributeProvider,
                           public ITfActiveLanguageProfileNotifySink,
                           public ITfThreadFocusSink,
                           public ITfCompartmentEventSink,
                           public ITfFnConfigure {
public:
    // Class-factory creator: E_INVALIDARG without out, CLASS_E_NOAGGREGATION with an outer
    // object, E_OUTOFMEMORY, or the result of asking the new object for riid.
    static HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out);

    CTextService();
    ~CTextService();
    CTextService(const CTextService&) = delete;
    CTextService& operator=(const CTextService&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // ITfTextInputProcessor(Ex)
    STDMETHODIMP Activate(ITfThreadMgr* threadMgr, TfClientId clientId) override;
    STDMETHODIMP ActivateEx(ITfThreadMgr* threadMgr, TfClientId clientId, DWORD flags) override;
    STDMETHODIMP Deactivate() override;
    // ITfThreadMgrEventSink
    STDMETHODIMP OnInitDocumentMgr(ITfDocumentMgr*) override;
    STDMETHODIMP OnUninitDocumentMgr(ITfDocumentMgr*) override;
    STDMETHODIMP OnSetFocus(ITfDocumentMgr* focus, ITfDocumentMgr* previous) override;
    STDMETHODIMP OnPushContext(ITfContext*) override;
    STDMETHODIMP OnPopContext(ITfContext*) override;
    // ITfTextEditSink
    STDMETHODIMP OnEndEdit(ITfContext* context, TfEditCookie ec, ITfEditRecord* record) override;
    // ITfKeyEventSink
    STDMETHODIMP OnSetFocus(BOOL foreground) override;
    STDMETHODIMP OnTestKeyDown(ITfContext* context, WPARAM wParam, LPARAM lParam,
                               BOOL* eaten) override;
    STDMETHODIMP OnTestKeyUp(ITfContext* context, WPARAM wParam, LPARAM lParam,
                             BOOL* eaten) override;
    STDMETHODIMP OnKeyDown(ITfContext* context, WPARAM wParam, LPARAM lParam, BOOL* eaten) override;
    STDMETHODIMP OnKeyUp(ITfContext* context, WPARAM wParam, LPARAM lParam, BOOL* eaten) override;
    STDMETHODIMP OnPreservedKey(ITfContext* context, REFGUID guid, BOOL* eaten) override;
    // ITfCompositionSink
    STDMETHODIMP OnCompositionTerminated(TfEditCookie ec, ITfComposition* composition) override;
    // ITfDisplayAttributeProvider
    STDMETHODIMP EnumDisplayAttributeInfo(IEnumTfDisplayAttributeInfo** out) override;
    STDMETHODIMP GetDisplayAttributeInfo(REFGUID guid, ITfDisplayAttributeInfo** out) override;
    // ITfActiveLanguageProfileNotifySink
    STDMETHODIMP OnActivated(REFCLSID, REFGUID, BOOL) override;
    // ITfThreadFocusSink
    STDMETHODIMP OnSetThreadFocus() override;
    STDMETHODIMP OnKillThreadFocus() override;
    // ITfCompartmentEventSink
    STDMETHODIMP OnChange(REFGUID guid) override;
    // ITfFunction / ITfFnConfigure
    STDMETHODIMP GetDisplayName(BSTR* out) override;
    STDMETHODIMP Show(HWND parent, LANGID langid, REFGUID profile) override;

    // ---- for the key path, the actions, the candidate list and the language bar ----
    Engine* engine() const { return engine_; }
    ITfThreadMgr* threadMgr() const { return threadMgr_.get(); }
    TfClientId clientId() const { return clientId_; }
    ITfContext* editSinkContext() const { return editSinkContext_.get(); }
    DWORD activationFlags() const { return activationFlags_; }
    bool immersive() const { return immersive_; }
    TfGuidAtom attributeAtom(AttributeKind kind) const { return atoms_[static_cast<int>(kind)]; }
    KeyPathState& keyPath() { return keys_; }
    const CompositionTable& compositions() const { return compositions_; }
    bool HasComposition(ITfContext* context) const { return compositions_.Has(context); }
    // The next key-down test and key-down pass unclassified (after a synthesised Caps Lock).
    void SkipNextKey() { skipNextKey_ = true; }
    // The edit cookie of the session running now (0 outside sessions).
    TfEditCookie currentEditCookie() const { return currentEc_; }
    // Window of the focused document (set when the candidate list or the tip finds it).
    HWND focusWindow() const { return focusWindow_; }
    void SetFocusWindow(HWND window) { focusWindow_ = window; }

    // Compartments of the thread manager's global compartment manager (VT_I4); one that
    // cannot be read counts as 0.
    bool KeyboardIsOpen() const;
    void SetKeyboardOpenState(bool open);
    uint32_t GetConversionState() const;
    void SetConversionState(uint32_t mode);
    // The focused document's top context says the keyboard is disabled or the context empty.
    bool KeyboardIsDisabled() const;

    void UpdateKeyboardState();
    void ShowStateTip(const wchar_t* text);
    // Preserves the configured hotkeys and the two fixed ones; 0 without a keystroke manager.
    int PreserveHotkeys();
    void UnpreserveHotkeys();
    // Keyboard state and the buttons' icons (the status window when not embedded), then the
    // candidate window's place.
    void RefreshLanguageBar();
    // The candidate window below the composition rectangle (or the caret box when that
    // rectangle is outside the focus window's client area).
    void PlaceCandidateWindow();

    // A read/write session running the key step for the engine's current key.
    HRESULT RequestKeyEditSession(ITfContext* context);
    // Runs work on a key step inside a read/write session of the text-edit-sink context.
    HRESULT RunInSession(std::function<void(KeyStep&)> work);
    void RunStepsInSession(TfEditCookie ec, ITfContext* context,
                           const std::function<void(KeyStep&)>& work);
    // Clears the input and asks for a session that ends the composition of context.
    void EndCurrentComposition(ITfContext* context);
    // Inside a session.
    HRESULT HandleKeyInSession(TfEditCookie ec, ITfContext* context, const struct SessionKey& key);
    // Ends the composition of context (a placeholder leaves with it) and the candidate-list
    // element; clearCandidates also empties the engine's candidates (a key step leaves them
    // as it has set them).
    void FinishComposition(TfEditCookie ec, ITfContext* context, bool clearCandidates = true);
    // Ends the composition of context without output: its text goes with it.
    void DropComposition(TfEditCookie ec, ITfContext* context);
    void MeasureComposition(TfEditCookie ec, ITfContextView* view, ITfRange* range);
    // Carries the document actions of a key step out in session ec (compositions started,
    // written and ended with that cookie).
    void ApplyDocumentActions(TfEditCookie ec, ITfContext* context, const DocumentActions& actions);

    // The engine's UICommand target (Engine::uiCommand).
    static int UICommandHandler(void* owner, uint32_t code, uintptr_t first, uintptr_t second);

    // Opaque homes for the candidate-list element and the language-bar buttons.
    IUnknown* candidateElement = nullptr;
    IUnknown* languageBarButtons[5] = {};
    // The composition text and the focus window's rectangles (client / screen coordinates).
    RECT compositionRect = {};
    RECT focusWindowRect = {};

private:
    HRESULT ActivateSteps(ITfThreadMgr* threadMgr, TfClientId clientId, DWORD flags);
    void AdviseTextEditSink(ITfDocumentMgr* documentMgr);
    void UnadviseTextEditSink();
    void EndOpenCompositions();
    bool ClassifyKeyFor(ITfContext* context, WPARAM wParam, LPARAM lParam);
    bool DocumentShowsCode() const;
    void AfterCommands(uint32_t commandBits);
    void CapsLockNotEaten(ITfContext* context);
    ComPtr<ITfCompartment> GlobalCompartment(REFGUID guid) const;

    ULONG refs_ = 1;
    Engine* engine_ = nullptr;
    KeyPathState keys_;
    bool testedDown_ = false;
    bool eatenDown_ = false;
    bool eatenUp_ = false;
    bool skipNextKey_ = false;
    bool immersive_ = false;
    KeyStepResult lastKeyResult_ = KeyStepResult::kHandled;
    DWORD activationFlags_ = 0;
    ComPtr<ITfThreadMgr> threadMgr_;
    TfClientId clientId_ = 0;
    ComPtr<ITfContext> editSinkContext_;
    DWORD editSinkCookie_ = TF_INVALID_COOKIE;
    DWORD threadMgrEventCookie_ = TF_INVALID_COOKIE;
    DWORD profileCookie_ = TF_INVALID_COOKIE;
    DWORD threadFocusCookie_ = TF_INVALID_COOKIE;
    DWORD compartmentCookie_ = TF_INVALID_COOKIE;
    ComPtr<ITfSource> compartmentSource_;
    bool keySinkAdvised_ = false;
    TfGuidAtom atoms_[kAttributeKinds] = {};
    CompositionTable compositions_;
    TfEditCookie currentEc_ = 0;
    HWND focusWindow_ = nullptr;
    // Keys preserved now, to unpreserve exactly those.
    struct PreservedKey {
        GUID guid;
        TF_PRESERVEDKEY key;
    };
    PreservedKey preserved_[kHotkeyGuids + 2] = {};
    int preservedCount_ = 0;
};
