#include "engine/frequency.h"

#include <new>

#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "core/table/table_format.h"
#include "engine/candidate_entry.h"
#include "engine/candidates.h"

namespace {

uint32_t FlagsOf(const OrderSlot& s) { return LoadU32(s.flags); }
uint32_t OrderOf(const OrderSlot& s) { return FlagsOf(s) & kOrderMask; }
bool Pinned(const OrderSlot& s) { return (FlagsOf(s) & kFlagPinned) != 0; }

bool SetOrder(OrderSlot& s, uint32_t order) {
    const uint32_t f = FlagsOf(s);
    const uint32_t n = (f & ~kOrderMask) | (order & kOrderMask);
    if (n == f) return false;
    StoreU32(s.flags, n);
    return true;
}

// Lifts the picked entry above the reference one; a reference already at the ceiling steps
// down so that the picked one can take it. The picked order never falls.
bool LiftAbove(OrderSlot& picked, OrderSlot& ref) {
    const uint32_t r = OrderOf(ref);
    if (r >= kMaxOrder) {
        bool changed = SetOrder(ref, kMaxOrder - 1);
        return SetOrder(picked, kMaxOrder) || changed;
    }
    const uint32_t want = r + 1;
    return want > OrderOf(picked) && SetOrder(picked, want);
}

}  // namespace

uint32_t FrequencyRuleOf(uint32_t listOptions) {
    if (listOptions & kListFreqToTop) return kListFreqToTop;
    if (listOptions & kListFreqGradual) return kListFreqGradual;
    if (listOptions & kListFreqCount) return kListFreqCount;
    return 0;
}

int ApplyFrequencyRule(OrderSlot* slots, int64_t count, int64_t p, uint32_t rule) {
    if (!slots || p < 0 || p >= count || !slots[p].flags) return 0;
    OrderSlot& picked = slots[p];
    // G: the first candidate before the picked one in its match group that is not pinned.
    int64_t g = -1;
    for (int64_t i = 0; i < p; ++i) {
        if (slots[i].flags && slots[i].weight == picked.weight && !Pinned(slots[i])) {
            g = i;
            break;
        }
    }
    switch (rule) {
        case kListFreqToTop:
            if (p == 0 || Pinned(picked) || g < 0) return 0;
            return LiftAbove(picked, slots[g]) ? 1 : 0;
        case kListFreqGradual: {
            if (p == 0 || Pinned(picked)) return 0;
            const int64_t from = g < 0 ? p : g;
            const int64_t m = from + (p - from) / 2;
            if (m == p || !slots[m].flags) return 0;
            return LiftAbove(picked, slots[m]) ? 1 : 0;
        }
        case kListFreqCount: {
            const uint32_t o = OrderOf(picked);
            if (o < kMaxOrder) return SetOrder(picked, o + 1) ? 1 : 0;
            if (g < 0) return 0;
            bool changed = false;
            for (int64_t i = g; i < p; ++i)
                if (slots[i].flags && OrderOf(slots[i]) == kMaxOrder)
                    changed = SetOrder(slots[i], kMaxOrder - 1) || changed;
            return changed ? 1 : 0;
        }
        default:
            return 0;
    }
}

int EngineRuntime::AdjustFrequency(Engine* e, int selector) {
    if (!e || !e->ime) return 0;
    return AdjustFrequencyByOptions(e, selector, e->ime->listOptions);
}

int AdjustFrequencyByOptions(Engine* e, int selector, uint32_t listOptions) {
    if (!e) return 0;
    const uint32_t rule = FrequencyRuleOf(listOptions);
    if (!rule) return 0;
    const int64_t p = SelectedCandidate(e, selector);
    if (p < 0) return 0;
    OrderCandidatesUpTo(e, p);  // the rules read the candidates before the picked one
    if (!MainTableEntryOf(e, e->candidates[p])) return 0;
    OrderSlot* slots = new (std::nothrow) OrderSlot[p + 1];
    if (!slots) return 0;
    // Only main-table entries carry an order the rules may change.
    for (int64_t i = 0; i <= p; ++i) {
        uint8_t* entry = MainTableEntryOf(e, e->candidates[i]);
        slots[i].flags = entry;
        slots[i].weight = e->candidates[i].weight;
    }
    const int r = ApplyFrequencyRule(slots, p + 1, p, rule);
    delete[] slots;
    if (r) NoteOrderChange(e->mainTable);
    return r;
}
