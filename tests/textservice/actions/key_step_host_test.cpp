// Key functions through the real key step: the dispatcher installed as the step's, the
// document changes read from its action list.
#include "textservice/actions/key_step_host.h"

#include <gtest/gtest.h>

#include "core/settings/config_blocks.h"
#include "support/keys/key_driver.h"
#include "textservice/actions/key_dispatch.h"

using namespace testing_support;

namespace {

// Modes and windows as a front end without them.
class StepHost : public KeyStepActionHost {
public:
    using KeyStepActionHost::KeyStepActionHost;
    bool CanSwitchSoftKeyboard() override { return true; }
    bool ReadOpenState() override { return true; }
    void WriteOpenState(bool) override {}
    uint32_t ReadConversionMode() override { return 0; }
    void WriteConversionMode(uint32_t) override {}
    void RefreshLanguageBar() override {}
    void UpdateKeyboardState() override {}
    void ShowStateTip(const wchar_t*) override {}
    void SkipNextKey() override {}
    void ReAddLanguageBarButtons() override {}
    HWND OwnerWindow() override { return nullptr; }
    void InterfaceToggled() override {}
    void CandidateWindowToggled() override {}
    void ShowSoftKeyboard(uint32_t) override {}
    void HideSoftKeyboard() override {}
};

int Dispatch(KeyStep& step, KeyFunctionMask action) {
    StepHost host(step);
    return DispatchKeyFunction(step.engine(), host, action);
}

class KeyStepHostTest : public testing::Test {
protected:
    KeyStepHostTest() {
        d.dispatcher = Dispatch;
        SetKeyFunction(&d.engine.e->dme->keys, VK_F5, keyfn::kRepeatInput);
        SetKeyFunction(&d.engine.e->dme->keys, VK_F6, keyfn::kUndoInput);
        SetKeyFunction(&d.engine.e->dme->keys, VK_F7, WithKeyFunctionIndex(keyfn::kCommit, 2));
    }
    KeyDriver d;
};

TEST_F(KeyStepHostTest, SpaceCommitsTheFirstRow) {
    d.TypeKeypad("64486");
    EXPECT_TRUE(d.Tap(VK_SPACE));
    EXPECT_EQ(d.document.committed, L"你好");
    EXPECT_FALSE(d.document.composing);
}

TEST_F(KeyStepHostTest, EscapeClearsAndBackspaceEditsTheCode) {
    d.TypeKeypad("644");
    EXPECT_TRUE(d.Tap(VK_BACK));
    EXPECT_EQ(d.engine.e->input.codeLength, 2u);
    EXPECT_TRUE(d.Tap(VK_ESCAPE));
    EXPECT_EQ(d.document.committed, L"");
    EXPECT_FALSE(d.document.composing);
    EXPECT_EQ(d.engine.e->input.codeLength, 0u);
}

TEST_F(KeyStepHostTest, RepeatAndUndoActOnTheLastCommit) {
    d.TypeKeypad("64486");
    d.Tap(VK_SPACE);
    d.keyboard.sent.clear();
    EXPECT_TRUE(d.Tap(VK_F5));
    EXPECT_EQ(d.document.committed, L"你好你好");
    EXPECT_TRUE(d.Tap(VK_F6));
    const std::vector<SentKey> backspaces = {
        {VK_BACK, false}, {VK_BACK, true}, {VK_BACK, false}, {VK_BACK, true}};
    EXPECT_EQ(d.keyboard.sent, backspaces);
    d.keyboard.sent.clear();
    d.Tap(VK_F6);  // nothing saved any more
    EXPECT_TRUE(d.keyboard.sent.empty());
}

}  // namespace
