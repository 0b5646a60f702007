// The input-context record as declared here against the one imm32 really keeps: every field
// the application side sets through imm32 is read back through the declaration.
#include <gtest/gtest.h>

#include <cstring>

#include "textservice/imm/imm_driver.h"

namespace {

class ContextRecord : public ::testing::Test {
public:
    void SetUp() override {
        himc_ = ImmCreateContext();
        ASSERT_TRUE(himc_);
    }
    void TearDown() override { ImmDestroyContext(himc_); }

    template <typename F>
    void WithRecord(F f) {
        INPUTCONTEXT* ic = ImmLockIMC(himc_);
        ASSERT_TRUE(ic);
        f(ic);
        ImmUnlockIMC(himc_);
    }

    HIMC himc_ = nullptr;
};

TEST_F(ContextRecord, FieldsSetThroughImm32ReadBackThroughTheDeclaration) {
    ASSERT_TRUE(ImmSetConversionStatus(himc_, IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE,
                                       IME_SMODE_PHRASEPREDICT));
    ASSERT_TRUE(ImmSetOpenStatus(himc_, TRUE));
    POINT status{123, 456};
    ASSERT_TRUE(ImmSetStatusWindowPos(himc_, &status));
    COMPOSITIONFORM comp{CFS_POINT, {11, 22}, {1, 2, 3, 4}};
    ASSERT_TRUE(ImmSetCompositionWindow(himc_, &comp));
    CANDIDATEFORM cand{0, CFS_EXCLUDE, {33, 44}, {5, 6, 7, 8}};
    ASSERT_TRUE(ImmSetCandidateWindow(himc_, &cand));
    LOGFONTW font{};
    font.lfHeight = -17;
    std::wcscpy(font.lfFaceName, L"SimSun");
    ASSERT_TRUE(ImmSetCompositionFontW(himc_, &font));

    WithRecord([&](INPUTCONTEXT* ic) {
        EXPECT_EQ(ic->fdwConversion, static_cast<DWORD>(IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE));
        EXPECT_EQ(ic->fdwSentence, static_cast<DWORD>(IME_SMODE_PHRASEPREDICT));
        EXPECT_TRUE(ic->fOpen);
        EXPECT_EQ(ic->ptStatusWndPos.x, 123);
        EXPECT_EQ(ic->ptStatusWndPos.y, 456);
        EXPECT_EQ(ic->cfCompForm.dwStyle, static_cast<DWORD>(CFS_POINT));
        EXPECT_EQ(ic->cfCompForm.ptCurrentPos.x, 11);
        EXPECT_EQ(ic->cfCompForm.ptCurrentPos.y, 22);
        EXPECT_EQ(ic->cfCandForm[0].dwStyle, static_cast<DWORD>(CFS_EXCLUDE));
        EXPECT_EQ(ic->cfCandForm[0].ptCurrentPos.x, 33);
        EXPECT_EQ(ic->cfCandForm[0].rcArea.bottom, 8);
        EXPECT_EQ(ic->lfFont.W.lfHeight, -17);
        EXPECT_STREQ(ic->lfFont.W.lfFaceName, L"SimSun");
    });
}

TEST_F(ContextRecord, BlocksAndTheMessageBufferAreMemoryBlocksOfImm32) {
    WithRecord([](INPUTCONTEXT* ic) {
        // imm32 gives every context its blocks; each handle answers to the IMCC calls.
        for (HIMCC block : {ic->hCompStr, ic->hCandInfo, ic->hGuideLine, ic->hPrivate}) {
            ASSERT_TRUE(block);
            EXPECT_GT(ImmGetIMCCSize(block), 0u);
        }
        HIMCC grown = ImmReSizeIMCC(ic->hPrivate, 8);
        ASSERT_TRUE(grown);
        ic->hPrivate = grown;
        EXPECT_GE(ImmGetIMCCSize(ic->hPrivate), 8u);
    });
}

TEST(MemoryBlock, CreateLockResizeDestroy) {
    HIMCC block = ImmCreateIMCC(sizeof(TRANSMSG));
    ASSERT_TRUE(block);
    auto* msg = static_cast<TRANSMSG*>(ImmLockIMCC(block));
    ASSERT_TRUE(msg);
    msg->message = WM_IME_STARTCOMPOSITION;
    msg->lParam = -1;
    ImmUnlockIMCC(block);
    block = ImmReSizeIMCC(block, 3 * sizeof(TRANSMSG));
    ASSERT_TRUE(block);
    EXPECT_GE(ImmGetIMCCSize(block), 3 * sizeof(TRANSMSG));
    msg = static_cast<TRANSMSG*>(ImmLockIMCC(block));
    EXPECT_EQ(msg->message, static_cast<UINT>(WM_IME_STARTCOMPOSITION));
    EXPECT_EQ(msg->lParam, -1);
    ImmUnlockIMCC(block);
    EXPECT_EQ(ImmDestroyIMCC(block), nullptr);
}

}  // namespace
