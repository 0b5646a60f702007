#include "engine/entry_flag_edits.h"

#include "core/table/table_format.h"

namespace {

uint32_t FlagsOf(const EntrySlot& s) { return LoadU32(s.flags); }
uint32_t MovedOf(const EntrySlot& s) { return FlagsOf(s) & kMovedBits; }
uint32_t OrderOf(const EntrySlot& s) { return FlagsOf(s) & kOrderMask; }

bool Store(EntrySlot& s, uint32_t flags) {
    if (FlagsOf(s) == flags) return false;
    StoreU32(s.flags, flags);
    return true;
}
bool SetMoved(EntrySlot& s, uint32_t moved) {
    return Store(s, (FlagsOf(s) & ~kMovedBits) | (moved & kMovedBits));
}
bool SetOrder(EntrySlot& s, uint32_t order) {
    return Store(s, (FlagsOf(s) & ~kOrderMask) | (order & kOrderMask));
}

bool SameGroup(const EntrySlot* slots, int64_t i, int64_t j) {
    if (!slots[i].flags) return false;
    return slots[i].weight == slots[j].weight &&
           (FlagsOf(slots[i]) & kFlagPinned) == (FlagsOf(slots[j]) & kFlagPinned);
}

// j must sort before the slots [from, to) that hold its order: one step up, or, at the
// ceiling, those at the ceiling one step down.
bool RaiseAbove(EntrySlot* slots, int64_t j, int64_t from, int64_t to) {
    const uint32_t o = OrderOf(slots[j]);
    if (o < kOrderMask) return SetOrder(slots[j], o + 1);
    bool changed = false;
    for (int64_t i = from; i < to; ++i)
        if (OrderOf(slots[i]) == kOrderMask)
            changed = SetOrder(slots[i], kOrderMask - 1) || changed;
    return changed;
}
// The mirror: j one step down, or, at the floor, the others at the floor one step up.
bool LowerBelow(EntrySlot* slots, int64_t j, int64_t from, int64_t to) {
    const uint32_t o = OrderOf(slots[j]);
    if (o > 0) return SetOrder(slots[j], o - 1);
    bool changed = false;
    for (int64_t i = from; i < to; ++i)
        if (OrderOf(slots[i]) == 0) changed = SetOrder(slots[i], 1) || changed;
    return changed;
}

bool Exchange(EntrySlot& a, EntrySlot& b) {
    const uint32_t ma = MovedOf(a), mb = MovedOf(b);
    const bool changed = SetMoved(a, mb);
    return SetMoved(b, ma) || changed;
}

bool ToTop(EntrySlot* slots, int64_t j) {
    int64_t f = j;
    while (f > 0 && SameGroup(slots, f - 1, j)) --f;
    if (f == j) return false;
    if (MovedOf(slots[f]) == MovedOf(slots[j])) return RaiseAbove(slots, j, f, j);
    // j takes the first one's place; the others between move down one place.
    const uint32_t mine = MovedOf(slots[j]);
    bool changed = SetMoved(slots[j], MovedOf(slots[f]));
    for (int64_t i = f; i + 1 < j; ++i)
        changed = SetMoved(slots[i], MovedOf(slots[i + 1])) || changed;
    return SetMoved(slots[j - 1], mine) || changed;
}

bool ToBottom(EntrySlot* slots, int64_t count, int64_t j) {
    int64_t l = j;
    while (l + 1 < count && SameGroup(slots, l + 1, j)) ++l;
    if (l == j) return false;
    if (MovedOf(slots[l]) == MovedOf(slots[j])) return LowerBelow(slots, j, j + 1, l + 1);
    const uint32_t mine = MovedOf(slots[j]);
    bool changed = SetMoved(slots[j], MovedOf(slots[l]));
    for (int64_t i = l; i > j + 1; --i)
        changed = SetMoved(slots[i], MovedOf(slots[i - 1])) || changed;
    return SetMoved(slots[j + 1], mine) || changed;
}

}  // namespace

int ApplyEntryOperation(EntrySlot* slots, int64_t count, int64_t j, int operation) {
    if (!slots || j < 0 || j >= count || !slots[j].flags) return 0;
    EntrySlot& me = slots[j];
    const uint32_t f = FlagsOf(me);
    bool changed = false;
    switch (operation) {
        case kEntryUp:
            if (j == 0 || !SameGroup(slots, j - 1, j)) return 0;
            changed = MovedOf(slots[j - 1]) != MovedOf(me) ? Exchange(slots[j - 1], me)
                                                           : RaiseAbove(slots, j, j - 1, j);
            break;
        case kEntryDown:
            if (j + 1 >= count || !SameGroup(slots, j + 1, j)) return 0;
            changed = MovedOf(slots[j + 1]) != MovedOf(me) ? Exchange(slots[j + 1], me)
                                                           : LowerBelow(slots, j, j + 1, j + 2);
            break;
        case kEntryTop:
            changed = ToTop(slots, j);
            break;
        case kEntryBottom:
            changed = ToBottom(slots, count, j);
            break;
        case kEntryPin:
            changed = Store(me, f ^ kFlagPinned);
            break;
        case kEntrySwitchTable: {
            const uint32_t cls =
                EntryClassOf(f) == kClassSecondary ? kClassSystem : kClassSecondary;
            changed = Store(me, (f & ~kClassMask) | (cls << kClassShift));
            break;
        }
        case kEntryDelete:
            changed = Store(me, f | kFlagDeleted);
            break;
        default:
            return 0;
    }
    return changed ? 1 : 0;
}
