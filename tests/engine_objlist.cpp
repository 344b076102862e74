// The owning 1-based list with its remembered position.
#include <gtest/gtest.h>

#include <memory>

#include "model/ObjList.h"

using vellumark::TObjList;

namespace {

struct Item {
    explicit Item(int v, int* alive = nullptr) : value(v), alive(alive) {
        if (alive) ++*alive;
    }
    ~Item() {
        if (alive) --*alive;
    }
    int value;
    int* alive;
};

std::vector<int> Values(const TObjList<Item>& list) {
    std::vector<int> v;
    for (const Item& item : list) v.push_back(item.value);
    return v;
}

}  // namespace

TEST(EngineObjList, InsertPositions) {
    TObjList<Item> list;
    list.Insert(0, std::make_unique<Item>(1));
    list.Insert(0, std::make_unique<Item>(2));
    list.Insert(0, std::make_unique<Item>(3));
    EXPECT_EQ(list.Insert(1, std::make_unique<Item>(4)), 1);  // first
    EXPECT_EQ(Values(list), (std::vector<int>{4, 1, 2, 3}));
    EXPECT_EQ(list.Insert(3, std::make_unique<Item>(5)), 3);  // before the item now at 3
    EXPECT_EQ(Values(list), (std::vector<int>{4, 1, 5, 2, 3}));
    EXPECT_EQ(list.Insert(99, std::make_unique<Item>(6)), 6);  // beyond the end appends
    EXPECT_EQ(list.Insert(-3, std::make_unique<Item>(7)), 7);  // negative appends
    EXPECT_EQ(Values(list), (std::vector<int>{4, 1, 5, 2, 3, 6, 7}));
    EXPECT_EQ(list.Count(), 7);
}

TEST(EngineObjList, GetOutsideRangeIsNothing) {
    TObjList<Item> list;
    EXPECT_EQ(list.Get(1), nullptr);
    list.Append(std::make_unique<Item>(1));
    list.Append(std::make_unique<Item>(2));
    EXPECT_EQ(list.Get(0), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);
    EXPECT_EQ(list.Get(3), nullptr);
    EXPECT_EQ(list.Get(2)->value, 2);
}

TEST(EngineObjList, RememberedPositionFollowsInsertions) {
    TObjList<Item> list;
    for (int i = 1; i <= 10; ++i) list.Append(std::make_unique<Item>(i));
    EXPECT_EQ(list.Get(5)->value, 5);
    EXPECT_EQ(list.CursorPosition(), 5);
    list.Insert(1, std::make_unique<Item>(100));  // front insertion
    // The remembered position names the item now at that position.
    EXPECT_EQ(list.Get(list.CursorPosition())->value, 100);
    // Every position answers correctly whatever the walk direction.
    std::vector<int> expect{100, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    for (int p = 11; p >= 1; --p) EXPECT_EQ(list.Get(p)->value, expect[p - 1]);
    for (int p = 1; p <= 11; p += 3) EXPECT_EQ(list.Get(p)->value, expect[p - 1]);
    for (int p : {7, 2, 11, 1, 6, 6, 10}) EXPECT_EQ(list.Get(p)->value, expect[p - 1]);
}

TEST(EngineObjList, OwnsItems) {
    int alive = 0;
    {
        TObjList<Item> list;
        for (int i = 0; i < 5; ++i) list.Append(std::make_unique<Item>(i, &alive));
        EXPECT_EQ(alive, 5);
        list.Clear();
        EXPECT_EQ(alive, 0);
        EXPECT_EQ(list.Get(1), nullptr);
        list.Append(std::make_unique<Item>(9, &alive));
        EXPECT_EQ(list.Get(1)->value, 9);
    }
    EXPECT_EQ(alive, 0);
}

TEST(EngineObjList, InOrderWalkOfLargeListIsLinear) {
    // 200,000 gets in order would take ages if each walked from the front.
    TObjList<Item> list;
    const int n = 200000;
    for (int i = 1; i <= n; ++i) list.Insert(1, std::make_unique<Item>(i));
    long long sum = 0;
    for (int p = 1; p <= n; ++p) sum += list.Get(p)->value;
    EXPECT_EQ(sum, static_cast<long long>(n) * (n + 1) / 2);
    EXPECT_EQ(list.Get(1)->value, n);
}
