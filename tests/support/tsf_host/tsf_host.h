// A small text-services host for the text service's tests: thread manager, keystroke manager,
// document managers, one context over a UTF-16 text with ranges whose anchors move with the
// edits, a selection, compositions the host can terminate, GUID_PROP_ATTRIBUTE spans, a
// context view with text extents, compartments whose sinks hear every change at once, edit
// cookies valid only inside their session, synchronous and queued sessions, failures injected
// by method name, and a count of live host objects that must be 0 at teardown.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "textservice/com_ptr.h"
#include "textservice/tsf/tsf_compat.h"

namespace tsf_host {

inline constexpr HRESULT kSessionQueued = TF_S_ASYNC;

enum class SessionMode { kSynchronous, kQueued };

// The text of the context and what is anchored in it.
struct Anchor {
    LONG pos;
    bool forward;  // moves behind text inserted at its position
};

struct Span {
    std::shared_ptr<Anchor> start, end;
    LONG value;
};

struct Document {
    std::wstring text;
    std::vector<std::weak_ptr<Anchor>> anchors;
    std::shared_ptr<Anchor> selStart, selEnd;
    std::vector<Span> attributes;  // GUID_PROP_ATTRIBUTE

    std::shared_ptr<Anchor> NewAnchor(LONG pos, bool forward);
    // Replaces [start, end) with text; anchors move with it.
    void Replace(LONG start, LONG end, const std::wstring& with);
};

// What the host answers when the service offers a UI element.
enum class ElementAnswer {
    kOwnWindow,  // show = TRUE: the service shows its own window
    kHostDraws,  // show = FALSE: the host draws the element
};

class Host;
class FakeContext;
class FakeThreadMgr;

// Live host objects (every fake COM object counts itself).
int LiveHostObjects();

class Host {
public:
    Host();
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    ITfThreadMgr* threadMgr() const;
    ITfContext* context() const;
    ITfDocumentMgr* documentMgr() const;
    ITfCategoryMgr* NewCategoryMgr();  // a new reference

    // The text of the context and its selection.
    std::wstring Text() const;
    void SetText(const std::wstring& text, LONG caret);
    LONG SelectionStart() const;
    LONG SelectionEnd() const;
    // Attribute atoms over the text, one per character (0: none).
    std::vector<LONG> AttributeAt() const;
    // Open compositions and their text.
    int CompositionCount() const;
    std::wstring CompositionText() const;
    // The text without the range of the open composition.
    std::wstring TextOutsideComposition() const;
    // The application's own edit of a key the service let through: a character typed over
    // the selection, or (0) Backspace; reported to the edit sinks like MoveSelection.
    void ApplicationTypes(wchar_t c);

    // Keys as the framework delivers them: test, then the key itself when the test ate it.
    bool KeyDown(WPARAM vk, LPARAM lParam);
    bool KeyUp(WPARAM vk, LPARAM lParam);
    // The application tests the key itself first (ITfKeystrokeMgr::TestKeyDown) as well.
    bool TestKeyDown(WPARAM vk, LPARAM lParam);
    bool PreservedKey(REFGUID guid);

    // The application moves the caret (an edit of its own, reported to the edit sinks).
    void MoveSelection(LONG start, LONG end);
    // The application ends every composition (the service hears OnCompositionTerminated).
    void TerminateCompositions();
    // Document focus: the host's document or none.
    void SetDocumentFocus(bool focused);

    void SetSessionMode(SessionMode mode) { mode_ = mode; }
    int QueuedSessions() const { return static_cast<int>(queue_.size()); }
    // Runs the queued sessions in order; returns how many ran.
    int RunQueuedSessions();

    // The named method fails with E_FAIL from now on ("AdviseKeyEventSink",
    // "AdviseSink:ITfThreadFocusSink", "GetProperty", ...).
    void Fail(const std::string& method) { failing_.insert(method); }
    void ClearFailures() { failing_.clear(); }
    bool ShouldFail(const std::string& method) const { return failing_.count(method) != 0; }
    // Calls of a method so far.
    int Calls(const std::string& method) const;
    void Count(const std::string& method) { ++calls_[method]; }

    // Compartment values (global, or of the context).
    LONG GlobalCompartment(REFGUID guid) const;
    void SetGlobalCompartment(REFGUID guid, LONG value);
    void SetContextCompartment(REFGUID guid, LONG value);

    // UI elements (ITfUIElementMgr of the thread manager). Failures by name:
    // "BeginUIElement", "QueryInterface:ITfUIElementMgr".
    void SetElementAnswer(ElementAnswer answer) { elementAnswer_ = answer; }
    ElementAnswer elementAnswer() const { return elementAnswer_; }
    // The framework keeps an ended element alive until the host ends (as it may).
    void KeepEndedElements(bool keep) { keepElements_ = keep; }
    bool keepEndedElements() const { return keepElements_; }
    // Elements begun and not ended (or kept), by id.
    ITfUIElement* Element(DWORD id) const;
    int LiveElements() const;
    // Language-bar items (ITfLangBarItemMgr of the thread manager) in the order added; failures
    // by name: "QueryInterface:ITfLangBarItemMgr", "AddItem".
    std::vector<ITfLangBarItem*> LangBarItems() const;
    int LangBarRemovals() const;
    // The layout of the context changed: every layout sink of the context hears code.
    void ChangeLayout(TfLayoutCode code);
    // Where the view puts the text on the screen: the first character's top-left and the
    // line height (characters are 10 pixels wide).
    void SetTextLayout(POINT origin, LONG lineHeight) {
        textOrigin_ = origin;
        lineHeight_ = lineHeight;
    }
    POINT textOrigin() const { return textOrigin_; }
    // The window the context's view names (none at first).
    void SetViewWindow(HWND window) { viewWindow_ = window; }
    HWND viewWindow() const { return viewWindow_; }
    LONG lineHeight() const { return lineHeight_; }

    // What the service holds of the host.
    int AdvisedSinks() const;
    int PreservedKeys() const;
    bool KeySinkAdvised() const;
    bool IsPreserved(REFGUID guid) const;
    // Cookies handed out so far are valid only inside their session.
    TfEditCookie LastCookie() const { return lastCookie_; }

    // Session machinery, used by the fakes.
    HRESULT RunSession(FakeContext* context, ITfEditSession* session, DWORD flags);
    bool CanRead(TfEditCookie ec) const { return ec != 0 && ec == cookie_; }
    bool CanWrite(TfEditCookie ec) const { return CanRead(ec) && writable_; }
    // The document is locked: an edit session runs.
    bool InSession() const { return sessionDepth_ > 0; }
    void NoteSelectionChange() { selectionChanged_ = true; }

    std::shared_ptr<Document> document;

private:
    friend class FakeContext;
    HRESULT RunNow(FakeContext* context, ITfEditSession* session, bool write);
    void NotifyEndEdit(FakeContext* context);

    ComPtr<ITfThreadMgr> threadMgr_;
    FakeThreadMgr* mgr_ = nullptr;
    SessionMode mode_ = SessionMode::kSynchronous;
    struct Queued {
        ComPtr<ITfEditSession> session;
        bool write;
    };
    std::vector<Queued> queue_;
    std::set<std::string> failing_;
    std::map<std::string, int> calls_;
    TfEditCookie cookie_ = 0;
    TfEditCookie lastCookie_ = 0;
    TfEditCookie nextCookie_ = 100;
    bool writable_ = false;
    bool selectionChanged_ = false;
    int sessionDepth_ = 0;
    POINT textOrigin_ = {100, 200};
    LONG lineHeight_ = 20;
    HWND viewWindow_ = nullptr;
    ElementAnswer elementAnswer_ = ElementAnswer::kOwnWindow;
    bool keepElements_ = false;
};

}  // namespace tsf_host
