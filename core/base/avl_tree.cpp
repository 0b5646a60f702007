#include "core/base/avl_tree.h"

#include <cstddef>
#include <cstdlib>

int64_t CompareWideStrings(const void* a, const void* b) {
    const auto* x = static_cast<const wchar_t*>(a);
    const auto* y = static_cast<const wchar_t*>(b);
    while (*x && *x == *y) {
        ++x;
        ++y;
    }
    auto ux = static_cast<uint32_t>(static_cast<uint16_t>(*x));
    auto uy = static_cast<uint32_t>(static_cast<uint16_t>(*y));
    return ux == uy ? 0 : (ux < uy ? -1 : 1);
}

AvlTree::AvlTree(uint32_t poolNodes, AvlCompare compare, AvlTieBreak tieBreak)
    : compare_(compare ? compare : CompareWideStrings), tieBreak_(tieBreak) {
    GrowPool(poolNodes ? poolNodes : 32);  // a failure here is retried by NewNode
}

AvlTree::~AvlTree() { std::free(pool_); }

bool AvlTree::GrowPool(uint32_t newCapacity) {
    if (newCapacity <= capacity_) return false;
    if (static_cast<uint64_t>(newCapacity) * sizeof(AvlNode) > SIZE_MAX) return false;
    void* grown = std::realloc(pool_, static_cast<size_t>(newCapacity) * sizeof(AvlNode));
    if (!grown) return false;
    pool_ = static_cast<AvlNode*>(grown);
    capacity_ = newCapacity;
    return true;
}

uint32_t AvlTree::NewNode(void* item) {
    if (used_ == capacity_) {
        if (capacity_ == UINT32_MAX) return 0;
        uint32_t want = capacity_ == 0               ? 32
                        : capacity_ > UINT32_MAX / 2 ? UINT32_MAX
                                                     : capacity_ * 2;
        if (!GrowPool(want)) return 0;
    }
    AvlNode& n = pool_[used_];
    n.item = item;
    n.next = 0;
    n.balance = 0;
    n.greater = 0;
    n.smaller = 0;
    return ++used_;
}

AvlInsertResult AvlTree::Insert(void* item) {
    if (root_ == 0) {
        uint32_t n = NewNode(item);
        if (!n) return AvlInsertResult::kOutOfMemory;
        root_ = n;
        return AvlInsertResult::kInserted;
    }

    uint32_t path[kMaxDepth];
    int dirs[kMaxDepth];
    int depth = 0;
    int critical = 0;  // depth of the deepest unbalanced node on the path (the root when none)
    uint32_t cur = root_;
    while (cur) {
        int64_t r = compare_(item, at(cur).item);
        if (r == 0) {
            if (!tieBreak_ || tieBreak_(at(cur).item, item) == 0) return AvlInsertResult::kRefused;
            uint32_t last = cur;
            for (uint32_t c = at(cur).next; c; c = at(c).next) {
                if (tieBreak_(at(c).item, item) == 0) return AvlInsertResult::kRefused;
                last = c;
            }
            uint32_t n = NewNode(item);
            if (!n) return AvlInsertResult::kOutOfMemory;
            at(last).next = n;
            return AvlInsertResult::kInserted;
        }
        if (depth == kMaxDepth) return AvlInsertResult::kOutOfMemory;
        if (at(cur).balance != 0) critical = depth;
        path[depth] = cur;
        dirs[depth] = r > 0 ? 1 : -1;
        ++depth;
        cur = child(cur, r > 0 ? 1 : -1);
    }

    uint32_t n = NewNode(item);
    if (!n) return AvlInsertResult::kOutOfMemory;
    child(path[depth - 1], dirs[depth - 1]) = n;

    for (int k = critical; k < depth; ++k) at(path[k]).balance += dirs[k];

    uint32_t a = path[critical];
    int d = dirs[critical];
    if (at(a).balance != 2 * d) return AvlInsertResult::kInserted;

    // Rebalance toward the other side; d is the heavy side.
    uint32_t b = child(a, d);
    uint32_t top;
    if (at(b).balance == d) {
        child(a, d) = child(b, -d);
        child(b, -d) = a;
        at(a).balance = 0;
        at(b).balance = 0;
        top = b;
    } else {
        uint32_t c = child(b, -d);
        child(b, -d) = child(c, d);
        child(c, d) = b;
        child(a, d) = child(c, -d);
        child(c, -d) = a;
        int cb = at(c).balance;
        at(a).balance = cb == d ? -d : 0;
        at(b).balance = cb == -d ? d : 0;
        at(c).balance = 0;
        top = c;
    }
    if (critical == 0)
        root_ = top;
    else
        child(path[critical - 1], dirs[critical - 1]) = top;
    return AvlInsertResult::kInserted;
}

void AvlTree::Walk(AvlVisitor visitor, void* context) const {
    // The tree height never passes kMaxDepth, so a fixed stack suffices.
    uint32_t stack[kMaxDepth + 1];
    int top = 0;
    uint32_t cur = root_;
    while (cur || top > 0) {
        while (cur && top <= kMaxDepth) {
            stack[top++] = cur;
            cur = pool_[cur - 1].smaller;
        }
        cur = stack[--top];
        const AvlNode& n = pool_[cur - 1];
        if (visitor) {
            visitor(n.item, context);
            for (uint32_t c = n.next; c; c = pool_[c - 1].next) visitor(pool_[c - 1].item, context);
        }
        cur = n.greater;
    }
}
