// Caps Lock bound to a key function on the test host, with a keyboard whose synthesised Caps
// Lock presses toggle and come back through the key path as the framework delivers them.
#include <gtest/gtest.h>

#include "support/tsf_host/service_fixture.h"

using namespace tsf_host;

namespace {

constexpr LPARAM kCapsDown = (0x3A << 16) | 1;
constexpr LPARAM kCapsUp = static_cast<LPARAM>((0x3Au << 16) | 0xC0000001u);

struct Case {
    const char* name;
    KeyFunctionMask function;
    bool capsBefore;  // the toggle before the user's press
};

TEST(CapsLockFunction, RunsOnceAndLeavesTheToggleAsItWas) {
    const Case cases[] = {
        {"English switch, Caps Lock off", keyfn::kToggleEnglish, false},
        {"English switch, Caps Lock on", keyfn::kToggleEnglish, true},
        {"open/close, Caps Lock off", keyfn::kToggleIme, false},
        {"open/close, Caps Lock on", keyfn::kToggleIme, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceFixture f;
        SetKeyFunction(&f.engine->e->dme->keys, VK_CAPITAL, c.function);
        ASSERT_EQ(f.Activate(), S_OK);
        f.keyboard.sentCapsLockToggles = true;
        const uint32_t stateBefore = f.engine->e->state;
        // The user's press has toggled the keyboard when the key arrives.
        f.keyboard.SetCapsLock(!c.capsBefore);
        f.keyboard.sent.clear();
        f.host->KeyDown(VK_CAPITAL, kCapsDown);
        f.host->KeyUp(VK_CAPITAL, kCapsUp);
        // Every synthesised key comes back, as many rounds as it takes (a few at most).
        size_t delivered = 0;
        for (int round = 0; round < 20 && delivered < f.keyboard.sent.size(); ++round) {
            const testing_support::SentKey k = f.keyboard.sent[delivered++];
            if (k.up)
                f.host->KeyUp(k.vk, kCapsUp);
            else
                f.host->KeyDown(k.vk, kCapsDown);
        }
        EXPECT_EQ(delivered, f.keyboard.sent.size()) << "synthesised without end";
        EXPECT_LE(f.keyboard.sent.size(), 2u);
        EXPECT_EQ(f.keyboard.caps_, c.capsBefore);
        const uint32_t switched =
            (f.engine->e->state ^ stateBefore) & (kStateEnglishMode | kStateImeClosed);
        EXPECT_NE(switched, 0u) << "the function ran once";
    }
}

}  // namespace
