// Frequency rules: how committing a candidate changes the order values of main-table entries.
#pragma once
#include <cstdint>

struct Engine;

// One candidate as the rules see it: its entry's flags word (unaligned, inside the table;
// null for candidates whose entry has none the rules may touch) and its match group.
struct OrderSlot {
    uint8_t* flags;
    uint32_t weight;
};

constexpr uint32_t kMaxOrder = 0xFFFF;

// The rule in force from ImeConfigData.listOptions: 1 一次到顶, else 2 逐渐调整, else
// 4 累加上屏数, else 0 (禁止调整).
uint32_t FrequencyRuleOf(uint32_t listOptions);

// Applies rule to slots[0..picked] for the picked candidate. The picked word is never
// lowered. Returns 1 when an order value changed, else 0.
int ApplyFrequencyRule(OrderSlot* slots, int64_t count, int64_t picked, uint32_t rule);

// Engine::AdjustFrequency under the rule of a list-options word the caller holds (a private
// copy: the shared settings are never written for one adjustment).
int AdjustFrequencyByOptions(Engine* engine, int selector, uint32_t listOptions);
