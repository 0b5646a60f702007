#include "engine/frequency.h"

#include <gtest/gtest.h>

#include "core/settings/config_blocks.h"
#include "engine_fixture.h"

using namespace engine_test;

namespace {

constexpr uint32_t kTop = kListFreqToTop;
constexpr uint32_t kGradual = kListFreqGradual;
constexpr uint32_t kCount = kListFreqCount;
constexpr uint32_t F = 0xFFFF;
constexpr uint32_t E = 0xFFFE;
constexpr uint32_t kNoFlags = 0xFFFFFFFF;  // a candidate whose entry the rules may not touch

struct RuleCase {
    const char* name;
    std::vector<uint32_t> orders;   // kNoFlags: no flags word
    uint32_t pinned;                // bit i: candidate i is pinned
    std::vector<uint32_t> weights;  // empty: all 127
    int picked;
    uint32_t rule;
    std::vector<uint32_t> after;
};

TEST(FrequencyRules, OrdersAfterOneCommit) {
    const RuleCase cases[] = {
        {"top: above the group leader", {100, 50, 10}, 0, {}, 2, kTop, {100, 50, 101}},
        {"top: leader at the ceiling steps down", {F, 5}, 0, {}, 1, kTop, {E, F}},
        {"top: both at the ceiling", {F, F}, 0, {}, 1, kTop, {E, F}},
        {"top: first row stays", {100, 50}, 0, {}, 0, kTop, {100, 50}},
        {"top: pinned pick stays", {100, 50}, 0b10, {}, 1, kTop, {100, 50}},
        {"top: pinned leader is passed over", {500, 100, 10}, 0b1, {}, 2, kTop, {500, 100, 101}},
        {"top: no leader in its weight group", {100, 50}, 0, {127, 31}, 1, kTop, {100, 50}},
        {"top: leader is the first of the same weight",
         {900, 100, 10},
         0,
         {127, 31, 31},
         2,
         kTop,
         {900, 100, 101}},
        {"top: never lowers the pick", {100, 5000}, 0, {}, 1, kTop, {100, 5000}},
        {"top: temporary word before is skipped",
         {kNoFlags, 100, 10},
         0,
         {},
         2,
         kTop,
         {kNoFlags, 100, 101}},
        {"gradual: half way to the leader",
         {400, 300, 200, 100, 50},
         0,
         {},
         4,
         kGradual,
         {400, 300, 200, 100, 201}},
        {"gradual: next to the leader", {400, 300}, 0, {}, 1, kGradual, {400, 401}},
        {"gradual: middle at the ceiling", {F, F, 3}, 0, {}, 2, kGradual, {F, E, F}},
        {"gradual: no leader", {100, 50}, 0, {127, 31}, 1, kGradual, {100, 50}},
        {"gradual: first row stays", {5, 9}, 0, {}, 0, kGradual, {5, 9}},
        {"gradual: pinned pick stays", {400, 300}, 0b10, {}, 1, kGradual, {400, 300}},
        {"gradual: never lowers the pick", {400, 300, 9000}, 0, {}, 2, kGradual, {400, 300, 9000}},
        {"gradual: middle without flags",
         {400, kNoFlags, 3},
         0,
         {},
         2,
         kGradual,
         {400, kNoFlags, 3}},
        {"count: first row grows too", {5, 7}, 0, {}, 0, kCount, {6, 7}},
        {"count: pinned pick grows", {5, 7}, 0b10, {}, 1, kCount, {5, 8}},
        {"count: at the ceiling lowers saturated ones before",
         {F, F, F},
         0,
         {},
         2,
         kCount,
         {E, E, F}},
        {"count: at the ceiling without a leader", {F, F}, 0, {31, 127}, 1, kCount, {F, F}},
        {"count: ceiling keeps lower ones", {F, 40, F}, 0, {}, 2, kCount, {E, 40, F}},
        {"none: no rule", {100, 50}, 0, {}, 1, 0, {100, 50}},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t n = c.orders.size();
        // Class 2 and bit 20 on every entry: the rules change nothing but the order.
        std::vector<uint32_t> flags(n);
        std::vector<OrderSlot> slots(n);
        for (size_t i = 0; i < n; ++i) {
            flags[i] = c.orders[i] | 0x02100000 | ((c.pinned >> i & 1) ? kFlagPinned : 0);
            slots[i].flags =
                c.orders[i] == kNoFlags ? nullptr : reinterpret_cast<uint8_t*>(&flags[i]);
            slots[i].weight = c.weights.empty() ? 127 : c.weights[i];
        }
        const std::vector<uint32_t> before = flags;
        const int changed = ApplyFrequencyRule(slots.data(), n, c.picked, c.rule);
        for (size_t i = 0; i < n; ++i) {
            if (c.orders[i] == kNoFlags) {
                EXPECT_EQ(flags[i], before[i]) << i;
                continue;
            }
            EXPECT_EQ(flags[i] & kOrderMask, c.after[i]) << i;
            EXPECT_EQ(flags[i] & ~kOrderMask, before[i] & ~kOrderMask) << i;
        }
        EXPECT_EQ(changed, flags != before ? 1 : 0);
    }
}

TEST(FrequencyRules, RuleInForceFromTheListOptions) {
    EXPECT_EQ(FrequencyRuleOf(0), 0u);
    EXPECT_EQ(FrequencyRuleOf(kListFreqCount | kListFreqToTop), kListFreqToTop);
    EXPECT_EQ(FrequencyRuleOf(kListFreqCount | kListFreqGradual), kListFreqGradual);
    EXPECT_EQ(FrequencyRuleOf(kListFreqCount | 0x50000000), kListFreqCount);
}

uint32_t OrderOfWord(const TestEngine& t, const std::string& code, const std::string& word) {
    TableView v = MakeTableView(t.e->mainTable);
    for (int32_t i = 0; i < v.count; ++i) {
        const uint8_t* e = v.EntryAt(i);
        const uint8_t* c = EntryCode(e);
        const uint8_t* w = EntryWord(e);
        if (std::string(reinterpret_cast<const char*>(c + 1), c[0]) == code &&
            std::string(reinterpret_cast<const char*>(w + 1), w[0]) == word)
            return LoadU32(e) & kOrderMask;
    }
    return 0xFFFFFFFF;
}

TEST(AdjustFrequency, ChangesTheMappedEntryOfThePickedRow) {
    TestEngine t(
        {{"a", "一", Flags(300, 1)}, {"a", "二", Flags(200, 1)}, {"a", "三", Flags(100, 1)}},
        {{"a", "四", Flags(0, 0)}});
    t.e->ime->listOptions |= kListFreqToTop;
    t.Type(L"a");
    ASSERT_EQ(t.PageWords(), (std::vector<std::string>{"一", "二", "三", "四"}));
    EXPECT_EQ(Engine::AdjustFrequency(t.e, 3), 1);
    EXPECT_EQ(OrderOfWord(t, "a", "三"), 301u);
    // Highlighted row (selector 0) is the first: nothing to do.
    EXPECT_EQ(Engine::AdjustFrequency(t.e, 0), 0);
    EXPECT_EQ(OrderOfWord(t, "a", "一"), 300u);
}

TEST(AdjustFrequency, LeavesTemporaryWordsAndRowsOffThePage) {
    TestEngine t({{"a", "一", Flags(300, 1)}, {"a", "二", Flags(200, 1)}},
                 {{"a", "四", Flags(7, 0)}});
    t.e->ime->listOptions |= kListFreqCount;
    t.Type(L"a");
    ASSERT_EQ(t.e->page.rowCount, 3);
    const auto before = t.SettingsBytes();
    const uint8_t* temp = t.e->candidates[t.e->page.rowCandidate[2]].entry;
    ASSERT_EQ(t.e->candidates[t.e->page.rowCandidate[2]].kind, kKindTempEntry);
    for (int selector : {3, 4, 9, 11, 14, -1}) {
        SCOPED_TRACE(selector);
        EXPECT_EQ(Engine::AdjustFrequency(t.e, selector), 0);
    }
    EXPECT_EQ(LoadU32(temp) & kOrderMask, 7u);
    EXPECT_EQ(OrderOfWord(t, "a", "一"), 300u);
    EXPECT_EQ(OrderOfWord(t, "a", "二"), 200u);
    // The last row of the page (selector 12) is the temporary word as well.
    EXPECT_EQ(Engine::AdjustFrequency(t.e, 12), 0);
    EXPECT_EQ(Engine::AdjustFrequency(t.e, 2), 1);
    EXPECT_EQ(OrderOfWord(t, "a", "二"), 201u);
}

}  // namespace
