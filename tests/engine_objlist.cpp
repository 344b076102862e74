// The owning 1-based list with its remembered position.
#include <gtest/gtest.h>

#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "model/ObjList.h"
#include "model/PDFObj.h"

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

// A const list hands out const items only; a placement list can be changed
// only through its own operations, which keep its counts.
using ConstList = const TObjList<Item>&;
using MutableList = TObjList<Item>&;
static_assert(std::is_same_v<decltype(std::declval<ConstList>().Get(1)), const Item*>);
static_assert(std::is_same_v<decltype(*std::declval<ConstList>().begin()), const Item&>);
static_assert(std::is_same_v<decltype(std::declval<MutableList>().Get(1)), Item*>);
static_assert(std::is_same_v<decltype(*std::declval<MutableList>().begin()), Item&>);
static_assert(!std::is_convertible_v<vellumark::TPDFObjList&, TObjList<vellumark::TPDFObj>&>);

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

TEST(EngineObjList, ConstReadsAndPlacementCounts) {
    using namespace vellumark;
    enum Op { Insert, Clear, Reach };
    struct Step {
        Op op;
        int pos;       // Insert: where; Reach: the non-const Get that moves the cursor
        TObjKind kind;
        int images, graphics, texts;
    };
    const Step steps[] = {
        {Insert, 0, okImage, 1, 0, 0},   {Insert, 0, okText, 1, 0, 1},     {Insert, 1, okGraphic, 1, 1, 1},
        {Insert, 2, okText, 1, 1, 2},    {Reach, 2, okText, 1, 1, 2},      {Insert, 99, okImage, 2, 1, 2},
        {Insert, -1, okGraphic, 2, 2, 2}, {Reach, 6, okText, 2, 2, 2},     {Insert, 1, okImage, 3, 2, 2},
        {Reach, 4, okText, 3, 2, 2},     {Clear, 0, okText, 0, 0, 0},      {Insert, 0, okText, 0, 0, 1},
        {Insert, 1, okGraphic, 0, 1, 1},
    };
    TPDFObjList list;
    const TPDFObjList& view = list;
    for (const Step& s : steps) {
        SCOPED_TRACE(&s - steps);
        switch (s.op) {
            case Insert: list.Insert(s.pos, std::make_unique<TPDFObj>(s.kind)); break;
            case Clear: list.Clear(); break;
            case Reach: ASSERT_NE(list.Get(s.pos), nullptr); break;
        }
        EXPECT_EQ(view.ImageCount(), s.images);
        EXPECT_EQ(view.GraphicCount(), s.graphics);
        EXPECT_EQ(view.TextCount(), s.texts);
        EXPECT_EQ(view.Count(), s.images + s.graphics + s.texts);
        // Const reads of every position, in both directions, find the items
        // in list order and leave the remembered position where it was.
        std::vector<const TPDFObj*> inOrder;
        for (const TPDFObj& obj : view) inOrder.push_back(&obj);
        const int32_t cursor = view.CursorPosition();
        for (int32_t p = view.Count(); p >= 1; --p) EXPECT_EQ(view.Get(p), inOrder[static_cast<std::size_t>(p - 1)]);
        for (int32_t p = 1; p <= view.Count(); ++p) EXPECT_EQ(view.Get(p), inOrder[static_cast<std::size_t>(p - 1)]);
        EXPECT_EQ(view.Get(0), nullptr);
        EXPECT_EQ(view.Get(view.Count() + 1), nullptr);
        EXPECT_EQ(view.CursorPosition(), cursor);
    }
}
