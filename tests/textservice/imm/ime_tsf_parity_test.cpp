// The same typed sequences through both front ends over the shipped data: the text service
// on the test host and the IMM32 exports on an input context commit the same text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/tsf_host/front_end_typists.h"
#include "support/tsf_host/service_fixture.h"
#include "support/tsf_host/shipped_install.h"

using namespace tsf_host;

namespace {

// Keys of a sequence: digits are keypad digits; ' ' Space, 'B' Backspace, 'E' Escape,
// 'P' Page Down, 'U' Page Up.
int KeyOf(char k) {
    switch (k) {
        case ' ':
            return VK_SPACE;
        case 'B':
            return VK_BACK;
        case 'E':
            return VK_ESCAPE;
        case 'P':
            return VK_NEXT;
        case 'U':
            return VK_PRIOR;
        default:
            return VK_NUMPAD0 + (k - '0');
    }
}

// Typed key by key through one front end over a fresh copy of the shipped data: the text
// committed.
std::wstring TypeThroughTextService(const std::string& keys) {
    ServiceFixture f;
    ShippedInstall install;
    TextServiceTypist tsf(f, install);
    if (!tsf.ok()) return L"<no service>";
    for (char k : keys) tsf.Tap(KeyOf(k));
    return tsf.State().committed;
}

std::wstring TypeThroughImm32(const std::string& keys) {
    ShippedInstall install;
    Imm32Typist imm(install);
    if (!imm.ok()) return L"<no engine>";
    for (char k : keys) imm.Tap(KeyOf(k));
    return imm.State().committed;
}

TEST(FrontEndParity, SequencesCommitTheSameText) {
    if (!ShippedInstall().ok()) GTEST_SKIP() << "no shipped data (tools/make_data.sh makes it)";
    const std::string sequences[] = {
        "64486 ", "64 ", "644866B ", "64486E", "64E4486 ", "64P ", "64PU ", "64486 64 ", "4 ",
    };
    for (const std::string& keys : sequences) {
        const std::wstring tsf = TypeThroughTextService(keys);
        const std::wstring imm = TypeThroughImm32(keys);
        EXPECT_EQ(imm, tsf) << keys;
        EXPECT_FALSE(tsf.empty() && keys.back() == ' ') << keys << ": nothing committed";
    }
    EXPECT_EQ(TypeThroughImm32("64486 "), L"你好");
}

// A text service and an input context in one process, their keys taken in turns: the key
// functions (commit, paging, clear) of each step run with that front end's own host, so each
// document gets what the same keys give it alone and nothing of the other's.
TEST(FrontEndParity, InterleavedStepsReachTheirOwnHost) {
    if (!ShippedInstall().ok()) GTEST_SKIP() << "no shipped data (tools/make_data.sh makes it)";
    struct Case {
        std::string tsfKeys;
        std::string immKeys;
    };
    const Case cases[] = {
        {"64486 ", "64P "},
        {"64P ", "64486 "},
        {"64E4486 ", "644866B "},
        {"4 ", "64PU 64 "},
    };
    for (const Case& c : cases) {
        const std::wstring tsfAlone = TypeThroughTextService(c.tsfKeys);
        const std::wstring immAlone = TypeThroughImm32(c.immKeys);
        ASSERT_NE(tsfAlone, immAlone) << c.tsfKeys << " / " << c.immKeys;
        ServiceFixture f;
        ShippedInstall tsfData, immData;
        TextServiceTypist tsf(f, tsfData);
        Imm32Typist imm(immData);
        ASSERT_TRUE(tsf.ok() && imm.ok());
        for (size_t i = 0; i < std::max(c.tsfKeys.size(), c.immKeys.size()); ++i) {
            if (i < c.tsfKeys.size()) {
                const std::wstring immBefore = imm.State().committed;
                tsf.Tap(KeyOf(c.tsfKeys[i]));
                EXPECT_EQ(imm.State().committed, immBefore) << c.tsfKeys << " key " << i;
            }
            if (i < c.immKeys.size()) {
                const std::wstring tsfBefore = tsf.State().committed;
                imm.Tap(KeyOf(c.immKeys[i]));
                EXPECT_EQ(tsf.State().committed, tsfBefore) << c.immKeys << " key " << i;
            }
        }
        EXPECT_EQ(tsf.State().committed, tsfAlone) << c.tsfKeys;
        EXPECT_EQ(imm.State().committed, immAlone) << c.immKeys;
    }
}

}  // namespace
