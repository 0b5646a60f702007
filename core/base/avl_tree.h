// Height-balanced search tree whose nodes live in one growable pool. Items are caller
// pointers; the tree never owns them.
#pragma once
#include <cstdint>

// (new item, node item) -> negative, 0, positive.
using AvlCompare = int64_t (*)(const void* newItem, const void* nodeItem);
// (node item, new item) -> 0 when the two count as the same item.
using AvlTieBreak = int64_t (*)(const void* nodeItem, const void* newItem);
using AvlVisitor = void (*)(void* item, void* context);

// NUL-terminated UTF-16 texts compared unit by unit as unsigned numbers: -1, 0 or 1.
int64_t CompareWideStrings(const void* a, const void* b);

enum class AvlInsertResult : int {
    kRefused = 0,  // an equal item is already there
    kInserted = 1,
    kOutOfMemory = -1,  // the pool could not grow; the tree is unchanged
};

// Links are 1-based node indexes into the pool (0 = none), so they survive pool moves.
struct AvlNode {
    void* item;
    uint32_t next;    // chain of further items with an equal key, in insertion order
    int32_t balance;  // height(greater) - height(smaller)
    uint32_t greater;
    uint32_t smaller;
};

class AvlTree {
public:
    explicit AvlTree(uint32_t poolNodes = 32, AvlCompare compare = nullptr,
                     AvlTieBreak tieBreak = nullptr);
    ~AvlTree();
    AvlTree(const AvlTree&) = delete;
    AvlTree& operator=(const AvlTree&) = delete;

    AvlInsertResult Insert(void* item);
    // Every item in ascending order; a node's chain follows the node's own item.
    void Walk(AvlVisitor visitor, void* context) const;

    // Inspection.
    uint32_t root() const { return root_; }
    const AvlNode* node(uint32_t index) const {
        return index == 0 || index > used_ ? nullptr : &pool_[index - 1];
    }
    uint32_t capacity() const { return capacity_; }
    uint32_t used() const { return used_; }

    // Deepest path Insert records; an AVL tree of 2^32 nodes is below 48 levels.
    static constexpr int kMaxDepth = 64;

private:
    AvlNode& at(uint32_t index) { return pool_[index - 1]; }
    uint32_t& child(uint32_t index, int dir) {
        return dir > 0 ? at(index).greater : at(index).smaller;
    }
    bool GrowPool(uint32_t newCapacity);
    // 1-based index of a fresh node holding item, or 0 when the pool cannot grow.
    uint32_t NewNode(void* item);

    uint32_t root_ = 0;
    AvlCompare compare_;
    AvlTieBreak tieBreak_;
    AvlNode* pool_ = nullptr;
    uint32_t capacity_ = 0;
    uint32_t used_ = 0;
};
