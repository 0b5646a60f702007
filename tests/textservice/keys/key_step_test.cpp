// The key step: typed codes, commits, punctuation output and replays as document actions.
#include <gtest/gtest.h>

#include "engine/lookup.h"
#include "support/keys/key_driver.h"

using namespace testing_support;

namespace {

std::vector<DocumentActionKind> Kinds(const DocumentActions& a) {
    std::vector<DocumentActionKind> k;
    for (int i = 0; i < a.count; ++i) k.push_back(a.items[i].kind);
    return k;
}

TEST(KeyStep, TypedCodeComposesAndSpaceCommits) {
    KeyDriver d;
    d.TypeKeypad("64486");
    ASSERT_TRUE(d.document.composing);
    EXPECT_EQ(d.document.composition, L"\uFF16\uFF14\uFF14\uFF18\uFF16");
    const DocumentAction& shown = d.last.items[0];
    EXPECT_EQ(shown.kind, DocumentActionKind::kUpdateComposition);
    EXPECT_EQ(shown.caret, 5u);
    EXPECT_EQ(shown.mark, CompositionMark::kInput);
    EXPECT_EQ(d.last.items[1].kind, DocumentActionKind::kUpdateCandidates);

    EXPECT_TRUE(d.Tap(VK_SPACE));
    EXPECT_EQ(d.document.committed, L"你好");
    EXPECT_FALSE(d.document.composing);
    EXPECT_EQ(Kinds(d.last),
              (std::vector<DocumentActionKind>{
                  DocumentActionKind::kClearComposition, DocumentActionKind::kCommitText,
                  DocumentActionKind::kHideCandidates, DocumentActionKind::kEndComposition}));
    EXPECT_EQ(d.engine.e->input.codeLength, 0u);
    EXPECT_EQ(std::wstring(d.engine.e->input.outputText), L"你好");
}

TEST(KeyStep, TraditionalStyleComposesAPlaceholder) {
    KeyDriver d;
    d.engine.e->ime->options &= ~kImeStyleMask;
    d.Down(VK_NUMPAD6);
    DocumentActions actions;
    d.engine.e->input.keyChar = L"\x14";
    d.engine.e->input.keyVk = VK_NUMPAD4;
    KeyStep step({d.engine.e, &d.state, &actions, true, false, nullptr, d.dispatcher});
    step.Run();
    ASSERT_GE(actions.count, 1);
    EXPECT_EQ(std::wstring(actions.items[0].text), L" ");
    EXPECT_EQ(actions.items[0].caret, 0u);
    EXPECT_EQ(actions.items[0].mark, CompositionMark::kNone);
}

TEST(KeyStep, EscapeClearsWithoutOutput) {
    KeyDriver d;
    d.TypeKeypad("64");
    EXPECT_TRUE(d.Tap(VK_ESCAPE));
    EXPECT_EQ(d.document.committed, L"");
    EXPECT_FALSE(d.document.composing);
    EXPECT_EQ(d.engine.e->input.codeLength, 0u);
}

TEST(KeyStep, CodeOfAtMost128Characters) {
    KeyDriver d;
    InputState& in = d.engine.e->input;
    for (uint32_t i = 0; i < kMaxCodeUnits; ++i) in.code[i] = 0x16;
    in.codeLength = kMaxCodeUnits;
    in.caret = kMaxCodeUnits;
    in.keyChar = L"\x16";
    DocumentActions actions;
    KeyStep step({d.engine.e, &d.state, &actions, true, true, nullptr, d.dispatcher});
    step.InsertCharAndUpdate();
    EXPECT_EQ(in.codeLength, static_cast<uint32_t>(kMaxCodeUnits));
    EXPECT_EQ(actions.count, 0);
}

// A lookup that commits the previous code's first row and starts a new code with the key
// handles the key once more, keeping its text.
TEST(KeyStep, CommitOfThePreviousCodeHandlesTheKeyOnceMore) {
    KeyDriver d;
    d.TypeKeypad("64");
    Engine* e = d.engine.e;
    e->input.keyChar = L"\x14";
    e->input.keyVk = VK_NUMPAD4;
    DocumentActions actions;
    KeyStep step({e, &d.state, &actions, true, true, nullptr, d.dispatcher});
    step.DoEditAction(kLookupCommitPreviousCodeKey);
    d.document.Apply(actions);
    EXPECT_EQ(d.document.committed, L"你");
    EXPECT_TRUE(d.document.composing);
    EXPECT_EQ(d.document.composition, L"\uFF14");
    EXPECT_EQ(std::wstring(e->input.code), L"\x14");
}

TEST(FullWidthChar, OnlyPrintableAsciiAndTheSpace) {
    const struct {
        wchar_t in, out;
    } cases[] = {
        {L'!', L'！'}, {L'~', L'～'}, {L'A', L'Ａ'}, {L' ', L'\u3000'}, {0x7F, 0x7F},
        {0x80, 0x80},  {0x1F, 0x1F},  {L'é', L'é'},  {L'。', L'。'},
    };
    for (const auto& c : cases) EXPECT_EQ(FullWidthChar(c.in), c.out) << int(c.in);
}

TEST(KeyStep, FullWidthOutputOfPassedPunctuation) {
    KeyDriver d;
    d.engine.e->state |= kStateFullWidthOutput | kStateEnglishPunct;
    EXPECT_TRUE(d.Tap(VK_OEM_PERIOD));
    EXPECT_EQ(d.document.committed, L"．");
    d.state = KeyPathState{};
    EXPECT_TRUE(d.Tap(VK_SPACE));
    EXPECT_EQ(d.document.committed, L"．\u3000");
}

// A period after a digit stays English; typed again it becomes the Chinese full stop in place
// of the first through a backspace replay that the step asks for.
TEST(KeyStep, AfterDigitPunctuationReplay) {
    KeyDriver d;
    Engine* e = d.engine.e;
    e->dme->keyClass['.'] |= kKeyEnglishPunctAfterDigit;
    SymbolRecord& r = e->ime->symbols['.'];
    r.kind = kSymbolSmart;
    r.slots[0] = L'。';
    d.Tap('1');  // passes: the saved last commit is "1"
    EXPECT_EQ(std::wstring(e->input.outputText), L"1");
    EXPECT_TRUE(d.Tap(VK_OEM_PERIOD));
    EXPECT_EQ(d.document.committed, L".");
    EXPECT_EQ(d.state.afterDigitChar, L'.');
    EXPECT_TRUE(d.Down(VK_OEM_PERIOD));
    EXPECT_EQ(d.document.committed, L".");  // nothing written yet
    EXPECT_EQ(e->replayActive, 1u);
    EXPECT_EQ(d.keyboard.sent,
              (std::vector<SentKey>{{VK_BACK, false}, {VK_BACK, true}, {7, false}, {7, true}}));
    d.Up(VK_OEM_PERIOD);
    // The replay arrives: Backspace goes to the document, the marker key writes the stop.
    EXPECT_FALSE(d.Tap(VK_BACK));
    d.document.committed.pop_back();
    EXPECT_TRUE(d.Down(7, 0x7));
    EXPECT_TRUE(d.Up(7, 0x7));
    EXPECT_EQ(d.document.committed, L"。");
    EXPECT_EQ(e->replayActive, 0u);
}

TEST(KeyStep, FunctionKeyThatDoesNothingIsNotHandledInChinese) {
    KeyDriver d;
    SetKeyFunction(&d.engine.e->dme->keys, VK_F2, keyfn::kConfigHome);
    EXPECT_TRUE(d.Down(VK_F2));
    EXPECT_EQ(d.lastResult, KeyStepResult::kNotHandled);
    d.engine.e->state |= kStateEnglishMode;
    d.Up(VK_F2);
    EXPECT_TRUE(d.Down(VK_F2));
    EXPECT_EQ(d.lastResult, KeyStepResult::kHandled);
}

TEST(DocumentActions, BoundedList) {
    DocumentActions a;
    for (int i = 0; i < kMaxDocumentActions + 3; ++i) a.Add(DocumentActionKind::kEndComposition);
    EXPECT_EQ(a.count, kMaxDocumentActions);
    EXPECT_EQ(a.dropped, 3);
    wchar_t longText[300];
    for (wchar_t& c : longText) c = L'x';
    DocumentActions b;
    const DocumentAction* t = b.Add(DocumentActionKind::kCommitText, longText, 300, 400);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->length, static_cast<uint32_t>(kActionTextUnits - 1));
    EXPECT_EQ(t->caret, t->length);
    EXPECT_EQ(t->text[t->length], 0);
}

}  // namespace
