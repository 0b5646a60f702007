// The text service on the test host: activation, typing into a document, compositions,
// focus and compartments, preserved keys, and nothing left behind.
#include "textservice/tsf/text_service.h"

#include <gtest/gtest.h>

#include <functional>

#include "engine/symbol_display.h"
#include "engine/ui_command.h"
#include "support/tsf_host/service_fixture.h"
#include "textservice/object_count.h"
#include "textservice/tsf/candidate_list.h"

using namespace tsf_host;
using testing_support::KeypadEngine;

namespace {

const std::wstring kCode64486 = L"\uFF16\uFF14\uFF14\uFF18\uFF16";

TEST(TextService, TypedCodeComposesWithTheInputAttributeAndSpaceCommits) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    f.TypeKeypad("644");
    EXPECT_EQ(f.host->Text(), L"\uFF16\uFF14\uFF14");
    EXPECT_EQ(f.host->CompositionCount(), 1);
    f.TypeKeypad("86");
    EXPECT_EQ(f.host->Text(), kCode64486);
    EXPECT_EQ(f.host->CompositionText(), kCode64486);
    EXPECT_EQ(f.host->SelectionStart(), 5);
    EXPECT_EQ(f.host->SelectionEnd(), 5);
    const TfGuidAtom input = f.Atom(AttributeKind::kInput);
    ASSERT_NE(input, TF_INVALID_GUIDATOM);
    EXPECT_EQ(f.host->AttributeAt(), std::vector<LONG>(5, static_cast<LONG>(input)));

    EXPECT_TRUE(f.Tap(VK_SPACE));
    EXPECT_EQ(f.host->Text(), L"你好");
    EXPECT_EQ(f.host->CompositionCount(), 0);
    EXPECT_EQ(f.host->AttributeAt(), std::vector<LONG>(2, 0));
    EXPECT_EQ(f.host->SelectionStart(), 2);
    EXPECT_EQ(f.engine->e->input.codeLength, 0u);
}

TEST(TextService, QueuedSessionsGiveTheSameDocument) {
    ServiceFixture f;
    f.host->SetSessionMode(SessionMode::kQueued);
    ASSERT_EQ(f.Activate(), S_OK);
    EXPECT_TRUE(f.Tap(VK_NUMPAD6));
    EXPECT_EQ(f.host->Text(), L"");
    EXPECT_EQ(f.host->QueuedSessions(), 1);
    EXPECT_EQ(f.host->RunQueuedSessions(), 1);
    EXPECT_EQ(f.host->Text(), L"\uFF16");
    // One session per key: the composition a session starts shows that key's text at once.
    for (int vk : {VK_NUMPAD4, VK_NUMPAD4, VK_NUMPAD8, VK_NUMPAD6}) {
        f.Tap(vk);
        EXPECT_EQ(f.host->RunQueuedSessions(), 1);
    }
    EXPECT_EQ(f.host->Text(), kCode64486);
    f.Tap(VK_SPACE);
    f.host->RunQueuedSessions();
    EXPECT_EQ(f.host->Text(), L"你好");
    EXPECT_EQ(f.host->CompositionCount(), 0);
}

// Keys whose sessions the host runs only after both were asked for: each session handles
// its own key, in order.
TEST(TextService, TwoQueuedKeySessionsKeepTheirOwnKeys) {
    ServiceFixture f;
    f.host->SetSessionMode(SessionMode::kQueued);
    ASSERT_EQ(f.Activate(), S_OK);
    EXPECT_TRUE(f.Tap(VK_NUMPAD6));
    EXPECT_TRUE(f.Tap(VK_NUMPAD4));
    EXPECT_EQ(f.host->QueuedSessions(), 2);
    EXPECT_EQ(f.host->RunQueuedSessions(), 2);
    EXPECT_EQ(f.host->Text(), L"\uFF16\uFF14");
    f.TypeKeypad("486");
    f.Tap(VK_SPACE);
    f.host->RunQueuedSessions();
    EXPECT_EQ(f.host->Text(), L"你好");
}

TEST(TextService, TraditionalStyleShowsAnUnmarkedSpace) {
    ServiceFixture f;
    f.engine->e->ime->options &= ~kImeStyleMask;
    ASSERT_EQ(f.Activate(), S_OK);
    f.TypeKeypad("64");
    EXPECT_EQ(f.host->Text(), L" ");
    EXPECT_EQ(f.host->SelectionStart(), 0);
    EXPECT_EQ(f.host->AttributeAt(), std::vector<LONG>(1, 0));
    f.Tap(VK_SPACE);
    EXPECT_EQ(f.host->Text(), L"你");
}

// The placeholder space is no text of the user's: however the composition ends, it goes.
TEST(TextService, EndingAPlaceholderCompositionTakesTheSpaceAway) {
    const struct {
        const char* name;
        std::function<void(ServiceFixture&)> end;
    } cases[] = {
        {"selection moved away", [](ServiceFixture& f) { f.host->MoveSelection(0, 0); }},
        {"thread focus lost", [](ServiceFixture& f) { f.service->OnKillThreadFocus(); }},
        {"deactivated", [](ServiceFixture& f) { f.service->Deactivate(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceFixture f;
        f.engine->e->ime->options &= ~kImeStyleMask;
        ASSERT_EQ(f.Activate(), S_OK);
        f.host->SetText(L"ab", 2);
        f.TypeKeypad("64");
        ASSERT_EQ(f.host->Text(), L"ab ");
        c.end(f);
        EXPECT_EQ(f.host->CompositionCount(), 0);
        EXPECT_EQ(f.host->Text(), L"ab");
    }
}

TEST(TextService, ActivationSetsCompartmentsAndEngineFlags) {
    const struct {
        const char* name;
        uint32_t version;
        uint32_t features;
        uint32_t startState;
        LONG conversionBefore;
        LONG open;
        LONG conversion;
        uint32_t state;
    } cases[] = {
        {"6.1 without a custom state", 0x601, 0, kStartStateClosed, 0x100, 1, 0x1, 0x2},
        {"6.1 custom closed", 0x601, kFeatCustomStartState, kStartStateClosed, 0, 1, 0x100, 0x12},
        {"6.1 custom full width, Chinese punctuation", 0x601, kFeatCustomStartState, 0x408, 0, 1,
         0x409, 0x1},
        {"6.2 custom closed", 0x602, kFeatCustomStartState, kStartStateClosed, 0, 0, 0x1, 0x6},
        {"10 closed without custom", 0xA00, 0, kStartStateClosed, 0x400, 0, 0x401, 0x4},
        {"10 open", 0xA00, 0, 0, 0, 1, 0x1, 0x2},
        {"10 custom with features 0x100 open", 0xA00, kFeatCustomStartState, 0x400, 0x8, 1, 0x401,
         0x0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceFixture f;
        f.version = c.version;
        f.engine->e->ime->features = c.features;
        f.engine->e->ime->startState = c.startState;
        f.host->SetGlobalCompartment(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION,
                                     c.conversionBefore);
        ASSERT_EQ(f.Activate(), S_OK);
        EXPECT_EQ(f.host->GlobalCompartment(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE), c.open);
        EXPECT_EQ(f.host->GlobalCompartment(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION),
                  c.conversion);
        EXPECT_EQ(f.engine->e->state, c.state);
    }
}

TEST(TextService, ActivationFlagsAndImmersiveMode) {
    const struct {
        DWORD flags;
        DWORD kept;
        bool immersive;
    } cases[] = {
        {0, 0, false},
        {TF_TMAE_NOACTIVATETIP, 0, false},
        {TF_TMF_IMMERSIVEMODE, TF_TMF_IMMERSIVEMODE, true},
        {TF_TMF_IMMERSIVEMODE | TF_TMAE_UIELEMENTENABLEDONLY,
         TF_TMF_IMMERSIVEMODE | TF_TMAE_UIELEMENTENABLEDONLY, false},
        {TF_TMAE_CONSOLE | TF_TMAE_NOACTIVATETIP, TF_TMAE_CONSOLE | TF_TMAE_NOACTIVATETIP, false},
    };
    for (const auto& c : cases) {
        ServiceFixture f;
        ASSERT_EQ(f.Activate(c.flags), S_OK);
        EXPECT_EQ(f.service->activationFlags(), c.kept) << c.flags;
        EXPECT_EQ(f.service->immersive(), c.immersive) << c.flags;
    }
}

// Each step that can fail leaves nothing behind: sinks, preserved keys, references, engine.
TEST(TextService, FailedActivationStepsRollBack) {
    const struct {
        const char* name;
        std::function<void(ServiceFixture&)> inject;
        HRESULT result;
    } cases[] = {
        {"engine", [](ServiceFixture& f) { f.engineFails = true; }, E_FAIL},
        {"thread manager sink",
         [](ServiceFixture& f) { f.host->Fail("AdviseSink:ITfThreadMgrEventSink"); }, E_FAIL},
        {"key sink", [](ServiceFixture& f) { f.host->Fail("AdviseKeyEventSink"); }, E_FAIL},
        {"profile sink",
         [](ServiceFixture& f) { f.host->Fail("AdviseSink:ITfActiveLanguageProfileNotifySink"); },
         E_FAIL},
        {"thread focus sink",
         [](ServiceFixture& f) { f.host->Fail("AdviseSink:ITfThreadFocusSink"); }, E_FAIL},
        {"compartment sink",
         [](ServiceFixture& f) { f.host->Fail("AdviseSink:ITfCompartmentEventSink"); }, E_FAIL},
        {"keystroke manager",
         [](ServiceFixture& f) { f.host->Fail("QueryInterface:ITfKeystrokeMgr"); }, E_FAIL},
        {"language bar", [](ServiceFixture& f) { f.languageBarResult = 0; }, E_FAIL},
        {"language bar throws", [](ServiceFixture& f) { f.languageBarResult = -1; }, E_FAIL},
        {"text edit sink is not needed",
         [](ServiceFixture& f) { f.host->Fail("AdviseSink:ITfTextEditSink"); }, S_OK},
        {"category manager is not needed",
         [](ServiceFixture& f) { f.host->Fail("CreateCategoryMgr"); }, S_OK},
    };
    const int baseline = LiveHostObjects();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            ServiceFixture f;
            c.inject(f);
            EXPECT_EQ(f.Activate(), c.result);
            if (c.result == S_OK) f.service->Deactivate();
            EXPECT_EQ(f.host->AdvisedSinks(), 0);
            EXPECT_EQ(f.host->PreservedKeys(), 0);
            EXPECT_FALSE(f.host->KeySinkAdvised());
            EXPECT_EQ(f.service->engine(), nullptr);
            EXPECT_EQ(f.service->threadMgr(), nullptr);
            EXPECT_EQ(f.enginesFreed, f.enginesMade);
        }
        EXPECT_EQ(LiveHostObjects(), baseline);
        EXPECT_EQ(ObjectCountValue(), kObjectCountIdle);
    }
}

TEST(TextService, DeactivationAfterTypingLeavesNothingBehind) {
    const int baseline = LiveHostObjects();
    {
        ServiceFixture f;
        ASSERT_EQ(f.Activate(), S_OK);
        EXPECT_GT(f.host->AdvisedSinks(), 0);
        EXPECT_TRUE(f.host->KeySinkAdvised());
        f.TypeKeypad("64");
        EXPECT_EQ(f.host->CompositionCount(), 1);
        EXPECT_EQ(f.service->Deactivate(), S_OK);
        // The composition is ended, not left open without its owner.
        EXPECT_EQ(f.host->CompositionCount(), 0);
        EXPECT_EQ(f.host->Calls("EndComposition"), 1);
        EXPECT_EQ(f.host->AdvisedSinks(), 0);
        EXPECT_EQ(f.host->PreservedKeys(), 0);
        EXPECT_FALSE(f.host->KeySinkAdvised());
        // A second deactivation finds nothing to undo.
        EXPECT_EQ(f.service->Deactivate(), S_OK);
    }
    EXPECT_EQ(LiveHostObjects(), baseline);
    EXPECT_EQ(ObjectCountValue(), kObjectCountIdle);
}

TEST(TextService, AnswersItsInterfacesButNotReconversion) {
    ServiceFixture f;
    const IID* answered[] = {&IID_IUnknown,
                             &IID_ITfTextInputProcessor,
                             &IID_ITfTextInputProcessorEx,
                             &IID_ITfThreadMgrEventSink,
                             &IID_ITfTextEditSink,
                             &IID_ITfKeyEventSink,
                             &IID_ITfCompositionSink,
                             &IID_ITfDisplayAttributeProvider,
                             &IID_ITfActiveLanguageProfileNotifySink,
                             &IID_ITfThreadFocusSink,
                             &IID_ITfCompartmentEventSink,
                             &IID_ITfFunction,
                             &IID_ITfFnConfigure};
    for (const IID* iid : answered) {
        IUnknown* p = nullptr;
        ASSERT_EQ(f.service->QueryInterface(*iid, reinterpret_cast<void**>(&p)), S_OK);
        p->Release();
    }
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(f.service->QueryInterface(IID_ITfFnReconversion, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(f.service->QueryInterface(IID_ITfFnReconversion, nullptr), E_POINTER);
}

TEST(TextService, ConfigureOnAnInactiveServiceBorrowsAnEngine) {
    ServiceFixture f;
    HWND parent = GetDesktopWindow();
    EXPECT_EQ(f.service->Show(parent, 0x804, GUID_NULL), S_OK);
    EXPECT_EQ(f.configLaunches, 1);
    EXPECT_EQ(f.configOwner, parent) << "the launch is owned by the caller's window";
    EXPECT_EQ(f.enginesMade, 1);
    EXPECT_EQ(f.enginesFreed, 1);
    EXPECT_EQ(f.service->engine(), nullptr);
    ASSERT_EQ(f.Activate(), S_OK);
    EXPECT_EQ(f.service->Show(nullptr, 0x804, GUID_NULL), S_OK);
    EXPECT_EQ(f.configLaunches, 1);
    EXPECT_EQ(f.enginesMade, 2);
}

TEST(TextService, DisplayAttributeProvider) {
    ServiceFixture f;
    ComPtr<IEnumTfDisplayAttributeInfo> e;
    ASSERT_EQ(f.service->EnumDisplayAttributeInfo(e.put()), S_OK);
    ITfDisplayAttributeInfo* items[3] = {};
    ULONG n = 0;
    EXPECT_EQ(e->Next(3, items, &n), S_OK);
    EXPECT_EQ(n, 3u);
    for (auto* i : items) i->Release();
    ComPtr<ITfDisplayAttributeInfo> info;
    EXPECT_EQ(
        f.service->GetDisplayAttributeInfo(AttributeGuid(AttributeKind::kConverted), info.put()),
        S_OK);
    EXPECT_EQ(f.service->GetDisplayAttributeInfo(GUID_NULL, info.put()), E_INVALIDARG);
    EXPECT_EQ(f.service->EnumDisplayAttributeInfo(nullptr), E_INVALIDARG);
}

TEST(TextService, PreservedKeysAndTheHotkeyBound) {
    ServiceFixture f;
    DmeConfigData* dme = f.engine->e->dme;
    // A damaged count far above the GUID table and the record list.
    dme->comboCount = 200;
    for (int i = 0; i < kMaxCombos; ++i) {
        const KeyCombination c = keycombo::kCtrl | (0x41 + i % 26);
        std::memcpy(&dme->combos[i].combination, &c, sizeof c);
        const KeyFunctionMask m = keyfn::kToggleEnglish;
        std::memcpy(&dme->combos[i].functions, &m, sizeof m);
    }
    ASSERT_EQ(f.Activate(), S_OK);
    EXPECT_TRUE(f.host->IsPreserved(kFullWidthKeyGuid));
    EXPECT_TRUE(f.host->IsPreserved(kPunctuationKeyGuid));
    EXPECT_TRUE(f.host->IsPreserved(HotkeyGuid(31)));
    EXPECT_EQ(f.host->PreservedKeys(), kHotkeyGuids + 2);
    // The last hotkey with a GUID runs its functions (here the English switch).
    EXPECT_FALSE(f.engine->e->state & kStateEnglishMode);
    EXPECT_TRUE(f.host->PreservedKey(HotkeyGuid(31)));
    EXPECT_TRUE(f.engine->e->state & kStateEnglishMode);

    // Closed keyboard or combination shortcuts off: nothing preserved.
    f.host->SetGlobalCompartment(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE, 0);
    EXPECT_EQ(f.host->PreservedKeys(), 0);
    f.host->SetGlobalCompartment(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE, 1);
    EXPECT_EQ(f.host->PreservedKeys(), kHotkeyGuids + 2);
    f.engine->e->ime->options |= kImeNoComboHotkeys;
    f.service->PreserveHotkeys();
    EXPECT_EQ(f.host->PreservedKeys(), 0);
}

// Two configured hotkeys into a settings block: Ctrl+Space opens and closes, Ctrl+E switches
// to English.
void ConfigureOpenCloseHotkeys(DmeConfigData* dme) {
    dme->comboCount = 2;
    const KeyCombination combos[] = {keycombo::kCtrl | VK_SPACE, keycombo::kCtrl | 'E'};
    const KeyFunctionMask functions[] = {keyfn::kToggleIme, keyfn::kToggleEnglish};
    for (int i = 0; i < 2; ++i) {
        std::memcpy(&dme->combos[i].combination, &combos[i], sizeof combos[i]);
        std::memcpy(&dme->combos[i].functions, &functions[i], sizeof functions[i]);
    }
}

// The hotkey that closed the input method stays preserved while it is closed and opens it
// again; the other keys come back with it.
TEST(TextService, OpenCloseHotkeyOpensWhatItClosed) {
    ServiceFixture f;
    ConfigureOpenCloseHotkeys(f.engine->e->dme);
    ASSERT_EQ(f.Activate(), S_OK);
    ASSERT_TRUE(f.host->IsPreserved(HotkeyGuid(1)));
    EXPECT_TRUE(f.host->PreservedKey(HotkeyGuid(0)));
    EXPECT_TRUE(f.engine->e->state & kStateImeClosed);
    EXPECT_TRUE(f.host->IsPreserved(HotkeyGuid(0)));
    EXPECT_FALSE(f.host->IsPreserved(HotkeyGuid(1)));
    EXPECT_FALSE(f.host->IsPreserved(kFullWidthKeyGuid));
    EXPECT_FALSE(f.Tap(VK_NUMPAD6)) << "a closed input method takes no code key";
    EXPECT_TRUE(f.host->PreservedKey(HotkeyGuid(0)));
    EXPECT_FALSE(f.engine->e->state & kStateImeClosed);
    EXPECT_TRUE(f.host->IsPreserved(HotkeyGuid(1)));
    EXPECT_TRUE(f.host->IsPreserved(kFullWidthKeyGuid));
    f.TypeKeypad("64486");
    f.Tap(VK_SPACE);
    EXPECT_EQ(f.host->Text(), L"你好");
}

TEST(TextService, HostTestsAKeyTwiceOutputIsRecordedOnce) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    const LPARAM lParam = (testing_support::ScanCodeOf('Q') << 16) | 1;
    EXPECT_FALSE(f.host->TestKeyDown('Q', lParam));
    EXPECT_FALSE(f.host->KeyDown('Q', lParam));
    EXPECT_EQ(f.engine->e->ime->lastOutputCount, 1u);
}

TEST(TextService, CompositionTerminatedByTheHostResetsTheInput) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    f.TypeKeypad("644");
    f.host->TerminateCompositions();
    EXPECT_EQ(f.host->CompositionCount(), 0);
    EXPECT_EQ(f.host->Text(), L"");
    EXPECT_EQ(f.engine->e->input.codeLength, 0u);
    // Typing goes on in a new composition.
    f.TypeKeypad("6");
    EXPECT_EQ(f.host->CompositionCount(), 1);
}

TEST(TextService, SelectionOutsideTheCompositionEndsIt) {
    ServiceFixture f;
    f.host->SetText(L"ab", 2);
    ASSERT_EQ(f.Activate(), S_OK);
    f.TypeKeypad("64");
    ASSERT_EQ(f.host->Text(), L"ab\uFF16\uFF14");
    f.host->MoveSelection(3, 3);  // inside
    EXPECT_EQ(f.host->CompositionCount(), 1);
    f.host->MoveSelection(0, 0);  // outside
    EXPECT_EQ(f.host->CompositionCount(), 0);
    EXPECT_EQ(f.engine->e->input.codeLength, 0u);
}

TEST(TextService, OpenCloseChangeFromOutsideResetsPairedSymbols) {
    ServiceFixture f;
    SymbolRecord& quote = f.engine->e->ime->symbols['"'];
    quote.kind = kSymbolPair;
    ASSERT_EQ(f.Activate(), S_OK);
    quote.slots[kSymbolPairToggle] = 1;
    BookTitleDepth() = 2;
    f.engine->e->state |= kStateEnglishMode;
    f.host->SetGlobalCompartment(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE, 0);
    EXPECT_EQ(quote.slots[kSymbolPairToggle], 0);
    EXPECT_EQ(BookTitleDepth(), 0);
    EXPECT_FALSE(f.engine->e->state & kStateEnglishMode);
    EXPECT_TRUE(f.engine->e->state & kStateImeClosed);
    EXPECT_FALSE(f.Tap(VK_NUMPAD6));
}

TEST(TextService, DisabledKeyboardOrForeignContextEatsNothing) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    f.host->SetContextCompartment(GUID_COMPARTMENT_KEYBOARD_DISABLED, 1);
    EXPECT_FALSE(f.Tap(VK_NUMPAD6));
    f.host->SetContextCompartment(GUID_COMPARTMENT_KEYBOARD_DISABLED, 0);
    f.host->SetContextCompartment(GUID_COMPARTMENT_EMPTYCONTEXT, 1);
    EXPECT_FALSE(f.Tap(VK_NUMPAD6));
    f.host->SetContextCompartment(GUID_COMPARTMENT_EMPTYCONTEXT, 0);
    EXPECT_TRUE(f.Tap(VK_NUMPAD6));
    // Without document focus the edit sink is gone: no context is the service's.
    f.host->SetDocumentFocus(false);
    EXPECT_EQ(f.service->editSinkContext(), nullptr);
    EXPECT_FALSE(f.Tap(VK_NUMPAD6));
}

TEST(TextService, CapsLockBoundToAFunctionPutsTheToggleBack) {
    ServiceFixture f;
    SetKeyFunction(&f.engine->e->dme->keys, VK_CAPITAL, keyfn::kToggleEnglish);
    ASSERT_EQ(f.Activate(), S_OK);
    f.keyboard.sent.clear();
    EXPECT_TRUE(f.Press(VK_CAPITAL));
    ASSERT_EQ(f.keyboard.sent.size(), 2u);
    EXPECT_EQ(f.keyboard.sent[0], (testing_support::SentKey{VK_CAPITAL, true}));
    EXPECT_EQ(f.keyboard.sent[1], (testing_support::SentKey{VK_CAPITAL, false}));
    // The synthesised press comes back through the key path unclassified.
    const LPARAM lParam = (0x3A << 16) | 1;
    EXPECT_FALSE(f.host->KeyDown(VK_CAPITAL, lParam));
    f.keyboard.sent.clear();
    EXPECT_TRUE(f.Press(VK_CAPITAL));
    EXPECT_EQ(f.keyboard.sent.size(), 2u);
}

TEST(TextService, CapsLockSwitchesPunctuationWhenTheSettingsSaySo) {
    ServiceFixture f;
    f.engine->e->ime->features |= kFeatCapsEnglishPunct;
    ASSERT_EQ(f.Activate(), S_OK);
    f.engine->e->state &= ~kStateEnglishPunct;
    f.keyboard.SetCapsLock(true);
    EXPECT_FALSE(f.Press(VK_CAPITAL));
    EXPECT_TRUE(f.engine->e->state & kStateEnglishPunct);
    f.keyboard.SetCapsLock(false);
    EXPECT_FALSE(f.Press(VK_CAPITAL));
    EXPECT_FALSE(f.engine->e->state & kStateEnglishPunct);
}

// A composition that finds all five slots taken is ended again, not left open.
TEST(CompositionTable, SixthCompositionIsEndedAndReleased) {
    class Session final : public ITfEditSession {
    public:
        explicit Session(std::function<void(TfEditCookie)> run) : run_(std::move(run)) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
            if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfEditSession)) {
                *out = this;
                AddRef();
                return S_OK;
            }
            *out = nullptr;
            return E_NOINTERFACE;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
        STDMETHODIMP_(ULONG) Release() override {
            const ULONG n = --refs_;
            if (!n) delete this;
            return n;
        }
        STDMETHODIMP DoEditSession(TfEditCookie ec) override {
            run_(ec);
            return S_OK;
        }

    private:
        ULONG refs_ = 1;
        std::function<void(TfEditCookie)> run_;
    };
    const int baseline = LiveHostObjects();
    {
        ServiceFixture f;  // the sink the compositions report to
        std::vector<std::unique_ptr<Host>> hosts;
        CompositionTable table;
        for (int i = 0; i < 6; ++i) {
            hosts.push_back(std::make_unique<Host>());
            Host* h = hosts.back().get();
            bool recorded = false;
            auto* s = new Session(
                [&](TfEditCookie ec) { recorded = table.Start(ec, h->context(), f.service); });
            HRESULT hr = E_FAIL;
            h->context()->RequestEditSession(7, s, TF_ES_READWRITE | TF_ES_SYNC, &hr);
            s->Release();
            EXPECT_EQ(recorded, i < 5) << i;
            EXPECT_EQ(h->CompositionCount(), i < 5 ? 1 : 0) << i;
        }
        EXPECT_EQ(hosts[5]->Calls("EndComposition"), 1);
        table.ForgetAll();
    }
    EXPECT_EQ(LiveHostObjects(), baseline);
}

TEST(TextService, CookiesAreValidOnlyInsideTheirSession) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    f.TypeKeypad("6");
    const TfEditCookie old = f.host->LastCookie();
    ComPtr<ITfInsertAtSelection> insert;
    ASSERT_EQ(f.host->context()->QueryInterface(IID_ITfInsertAtSelection, insert.put_void()), S_OK);
    ComPtr<ITfRange> range;
    EXPECT_EQ(insert->InsertTextAtSelection(old, 0, L"x", 1, range.put()), TF_E_NOLOCK);
    EXPECT_EQ(f.host->Text(), L"\uFF16");
}

TEST(TextService, FailedDocumentCallsInsideASessionLeaveTheKeyHandled) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    f.host->Fail("StartComposition");
    EXPECT_TRUE(f.Tap(VK_NUMPAD6));
    EXPECT_EQ(f.host->CompositionCount(), 0);
    EXPECT_EQ(f.host->Text(), L"");
    f.host->ClearFailures();
    f.host->Fail("GetProperty");
    f.TypeKeypad("4");
    EXPECT_EQ(f.host->CompositionCount(), 1);
}

}  // namespace

namespace {

// Commands of the windows reach the service through the engine's UICommand target.
TEST(TextService, UICommandsReachTheServiceActions) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    Engine* e = f.engine->e;
    ASSERT_EQ(e->uiCommand.owner, f.service);
    EXPECT_EQ(SendUICommand(e, 0x2001, 0, 0), 1);
    EXPECT_TRUE(e->state & kStateFullWidthOutput);
    EXPECT_TRUE(f.host->GlobalCompartment(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION) &
                TF_CONVERSIONMODE_FULLSHAPE);
    SendUICommand(e, 0x2002, 0, 0);
    f.TypeKeypad("64486");
    // Pick the second row of the page.
    EXPECT_EQ(SendUICommand(e, 18, 2, 0), 1);
    EXPECT_EQ(f.host->Text(), L"拟好");
    EXPECT_EQ(f.host->CompositionCount(), 0);
    EXPECT_EQ(SendUICommand(e, 0xFFFF, 0, 0), 0);
    f.service->Deactivate();
    EXPECT_EQ(e->uiCommand.handler, nullptr);
}

}  // namespace

namespace {

// Deleting the last code character leaves no empty composition behind.
TEST(TextService, BackspaceOverTheLastCodeCharacterEndsTheComposition) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    f.TypeKeypad("64");
    EXPECT_TRUE(f.Tap(VK_BACK));
    EXPECT_EQ(f.host->Text(), L"\uFF16");
    EXPECT_EQ(f.host->CompositionCount(), 1);
    EXPECT_TRUE(f.Tap(VK_BACK));
    EXPECT_EQ(f.host->Text(), L"");
    EXPECT_EQ(f.host->CompositionCount(), 0);
    // With nothing composed Backspace belongs to the document.
    EXPECT_FALSE(f.Tap(VK_BACK));
}

}  // namespace

namespace {

// The synthesised keys go back through the host as the system would deliver them; a key the
// service lets through does what the application does with it (Backspace deletes).
void DeliverSentKeys(ServiceFixture& f) {
    std::vector<testing_support::SentKey> sent;
    sent.swap(f.keyboard.sent);
    for (const testing_support::SentKey& k : sent) {
        const LPARAM lParam = static_cast<LPARAM>(
            (testing_support::ScanCodeOf(static_cast<int>(k.vk)) << 16) | (k.up ? 0xC0000001u : 1));
        const bool eaten = k.up ? f.host->KeyUp(k.vk, lParam) : f.host->KeyDown(k.vk, lParam);
        if (!eaten && !k.up && k.vk == VK_BACK) {
            const std::wstring text = f.host->Text();
            const LONG at = f.host->SelectionStart();
            if (at > 0)
                f.host->SetText(text.substr(0, static_cast<size_t>(at) - 1) + text.substr(at),
                                at - 1);
        }
    }
}

// A period after a digit stays English; typed again at once it replaces itself with the
// Chinese full stop through the replay the service sends (Backspace, then the marker key).
TEST(TextService, AfterDigitPunctuationReplayThroughTheService) {
    ServiceFixture f;
    Engine* e = f.engine->e;
    e->dme->keyClass['.'] |= kKeyEnglishPunctAfterDigit;
    SymbolRecord& stop = e->ime->symbols['.'];
    stop.kind = kSymbolSmart;
    stop.slots[0] = L'。';
    stop.slots[1] = 0;
    ASSERT_EQ(f.Activate(), S_OK);
    e->state &= ~kStateEnglishPunct;
    // The digit is the application's: not eaten, typed into the document by it.
    EXPECT_FALSE(f.Tap('1'));
    f.host->SetText(L"1", 1);
    EXPECT_TRUE(f.Tap(VK_OEM_PERIOD));
    EXPECT_EQ(f.host->Text(), L"1.");
    EXPECT_TRUE(f.keyboard.sent.empty());
    // The second period writes nothing itself and asks for the replay.
    EXPECT_TRUE(f.Tap(VK_OEM_PERIOD));
    EXPECT_EQ(f.host->Text(), L"1.");
    ASSERT_EQ(f.keyboard.sent.size(), 4u);
    EXPECT_EQ(f.keyboard.sent[0], (testing_support::SentKey{VK_BACK, false}));
    EXPECT_EQ(f.keyboard.sent[2], (testing_support::SentKey{7, false}));
    DeliverSentKeys(f);
    EXPECT_EQ(f.host->Text(), L"1。");
    EXPECT_EQ(f.host->SelectionStart(), 2);
    EXPECT_EQ(f.host->CompositionCount(), 0);
    EXPECT_EQ(e->replayActive, 0u);
    // A third period is an ordinary one again: Chinese punctuation converts it.
    EXPECT_TRUE(f.Tap(VK_OEM_PERIOD));
    EXPECT_EQ(f.host->Text(), L"1。。");
    EXPECT_TRUE(f.keyboard.sent.empty());
}

}  // namespace

namespace {

// Whatever document call fails while typing, the service keeps no reference of the host's
// objects once it is deactivated, and typing works again once the host stops failing.
TEST(TextService, FailingDocumentCallsLeaveNothingBehind) {
    const char* const failing[] = {"RequestEditSession", "InsertTextAtSelection",
                                   "ITfRange::SetText",  "GetProperty",
                                   "StartComposition",   "GetTextExt",
                                   "GetActiveView",      "BeginUIElement"};
    const int baseline = LiveHostObjects();
    for (const char* method : failing) {
        SCOPED_TRACE(method);
        {
            ServiceFixture f;
            f.hooks().updateCandidateList = [](CTextService* s, TfEditCookie, ITfContext*) {
                s->PlaceCandidateWindow();
            };
            InstallCandidateListHooks(f.hooks());
            ASSERT_EQ(f.Activate(), S_OK);
            f.host->Fail(method);
            f.TypeKeypad("644");
            f.Tap(VK_SPACE);
            f.TypeKeypad("6");
            f.host->ClearFailures();
            f.host->TerminateCompositions();
            f.host->SetText(L"", 0);
            f.TypeKeypad("64486");
            EXPECT_TRUE(f.Tap(VK_SPACE));
            EXPECT_EQ(f.host->Text(), L"你好");
            EXPECT_EQ(f.service->Deactivate(), S_OK);
            EXPECT_EQ(f.host->AdvisedSinks(), 0);
            EXPECT_EQ(f.host->CompositionCount(), 0);
            EXPECT_EQ(f.service->candidateElement, nullptr);
        }
        EXPECT_EQ(LiveHostObjects(), baseline);
        EXPECT_EQ(ObjectCountValue(), kObjectCountIdle);
    }
}

}  // namespace
