#include "core/base/avl_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

int64_t CompareInts(const void* a, const void* b) {
    int x = *static_cast<const int*>(a), y = *static_cast<const int*>(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

// Items are (key, tag); equal keys with different tags are distinct items.
struct Tagged {
    int key;
    int tag;
};
int64_t CompareTaggedKeys(const void* a, const void* b) {
    return CompareInts(&static_cast<const Tagged*>(a)->key, &static_cast<const Tagged*>(b)->key);
}
int64_t SameTag(const void* nodeItem, const void* newItem) {
    return static_cast<const Tagged*>(nodeItem)->tag != static_cast<const Tagged*>(newItem)->tag;
}

void Collect(void* item, void* context) {
    static_cast<std::vector<void*>*>(context)->push_back(item);
}

std::vector<void*> Items(const AvlTree& t) {
    std::vector<void*> out;
    t.Walk(Collect, &out);
    return out;
}

// Height of the subtree, checking every balance on the way; -1 when one is wrong.
int CheckedHeight(const AvlTree& t, uint32_t index) {
    if (index == 0) return 0;
    const AvlNode* n = t.node(index);
    if (!n) return -1;
    int g = CheckedHeight(t, n->greater), s = CheckedHeight(t, n->smaller);
    if (g < 0 || s < 0 || n->balance != g - s || n->balance < -1 || n->balance > 1) return -1;
    return std::max(g, s) + 1;
}

TEST(AvlTree, CompareWideStrings) {
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        int64_t result;
    };
    const Case cases[] = {
        {L"", L"", 0},      {L"abc", L"abc", 0},  {L"ab", L"abc", -1},
        {L"abc", L"ab", 1}, {L"\xFF01", L"a", 1}, {L"\xD800", L"\xFFFF", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(CompareWideStrings(c.a, c.b), c.result) << c.a;
}

TEST(AvlTree, EmptyTreeWalksNothing) {
    AvlTree t;
    EXPECT_TRUE(Items(t).empty());
    EXPECT_EQ(t.root(), 0u);
    t.Walk(nullptr, nullptr);
}

TEST(AvlTree, DuplicateWithoutTieBreakIsRefused) {
    AvlTree t(8);
    wchar_t a[] = L"abc", b[] = L"abc";
    EXPECT_EQ(t.Insert(a), AvlInsertResult::kInserted);
    EXPECT_EQ(t.Insert(b), AvlInsertResult::kRefused);
    EXPECT_EQ(t.used(), 1u);
    EXPECT_EQ(Items(t), std::vector<void*>{a});
}

TEST(AvlTree, TieBreakChainsEqualKeysInInsertionOrder) {
    AvlTree t(8, CompareTaggedKeys, SameTag);
    Tagged items[] = {{5, 1}, {3, 1}, {5, 2}, {7, 1}, {5, 3}, {5, 2}};
    std::vector<AvlInsertResult> results;
    for (auto& it : items) results.push_back(t.Insert(&it));
    std::vector<AvlInsertResult> expected(5, AvlInsertResult::kInserted);
    expected.push_back(AvlInsertResult::kRefused);  // same key and tag as a chained item
    EXPECT_EQ(results, expected);
    std::vector<void*> order = {&items[1], &items[0], &items[2], &items[4], &items[3]};
    EXPECT_EQ(Items(t), order);
    // The first of the chain's key refuses too.
    Tagged again{5, 1};
    EXPECT_EQ(t.Insert(&again), AvlInsertResult::kRefused);
}

TEST(AvlTree, RotationsKeepBalance) {
    struct Case {
        std::vector<int> keys;
        int rootKey;
    };
    const Case cases[] = {
        {{1, 2, 3}, 2},  // single rotation toward the smaller side
        {{3, 2, 1}, 2},  // mirror
        {{1, 3, 2}, 2},  // double rotation
        {{3, 1, 2}, 2}, {{4, 2, 6, 1, 3, 5, 7, 8, 9}, 4},
    };
    for (const auto& c : cases) {
        std::vector<int> keys = c.keys;
        AvlTree t(4, CompareInts);
        for (int& k : keys) ASSERT_EQ(t.Insert(&k), AvlInsertResult::kInserted);
        const AvlNode* root = t.node(t.root());
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(*static_cast<int*>(root->item), c.rootKey);
        EXPECT_GE(CheckedHeight(t, t.root()), 0);
        if (keys.size() == 3) {
            EXPECT_EQ(root->balance, 0);
        }
    }
}

TEST(AvlTree, PoolGrowsAndKeepsItems) {
    std::vector<int> keys(33);
    for (int i = 0; i < 33; ++i) keys[i] = (i * 17) % 33;
    AvlTree t(32, CompareInts);
    for (int i = 0; i < 32; ++i) ASSERT_EQ(t.Insert(&keys[i]), AvlInsertResult::kInserted);
    EXPECT_EQ(t.capacity(), 32u);
    ASSERT_EQ(t.Insert(&keys[32]), AvlInsertResult::kInserted);
    EXPECT_EQ(t.capacity(), 64u);
    std::vector<int> walked;
    for (void* p : Items(t)) walked.push_back(*static_cast<int*>(p));
    std::vector<int> sorted(33);
    for (int i = 0; i < 33; ++i) sorted[i] = i;
    EXPECT_EQ(walked, sorted);
    // Every key is still found: inserting it again is refused.
    for (int k : sorted) EXPECT_EQ(t.Insert(&k), AvlInsertResult::kRefused) << k;
}

TEST(AvlTree, RandomInsertsMatchSortedOrder) {
    std::mt19937 rng(12345);
    std::vector<std::wstring> words;
    for (int i = 0; i < 5000; ++i) {
        std::wstring w;
        int len = 1 + static_cast<int>(rng() % 4);
        for (int j = 0; j < len; ++j) w += static_cast<wchar_t>(L'a' + rng() % 6);
        words.push_back(w);
    }
    AvlTree t(1);
    std::vector<std::wstring> unique;
    for (auto& w : words) {
        bool fresh = std::find(unique.begin(), unique.end(), w) == unique.end();
        ASSERT_EQ(t.Insert(w.data()),
                  fresh ? AvlInsertResult::kInserted : AvlInsertResult::kRefused);
        if (fresh) unique.push_back(w);
    }
    std::sort(unique.begin(), unique.end());
    std::vector<std::wstring> walked;
    for (void* p : Items(t)) walked.emplace_back(static_cast<wchar_t*>(p));
    EXPECT_EQ(walked, unique);
    EXPECT_GE(CheckedHeight(t, t.root()), 0);
}

}  // namespace
