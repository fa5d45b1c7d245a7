#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/array.h"
#include "framework/core/core.h"
#include "framework/core/hash.h"
#include "framework/core/list.h"
#include "framework/core/mempool.h"
#include "framework/core/ring.h"
#include "tests/framework/support/report_capture.h"

namespace {

using tessera::test::FatalReport;
using tessera::test::ReportCapture;

struct Item {
    int value;
    PEL_LIST_LINK link;
};

std::vector<int> values(PEL_LIST* list) {
    std::vector<int> out;
    for (PEL_LIST_LINK* link = list->head.next; link != pelListEnd(list); link = link->next) {
        out.push_back(static_cast<Item*>(pelListElement(list, link))->value);
    }
    return out;
}

TEST(List, LinksRemovesAndCallsTheRemoveCallback) {
    std::vector<int> removed;
    PEL_LIST list;
    pelListInit(
        &list, offsetof(Item, link),
        [](void* user, void* element) {
            static_cast<std::vector<int>*>(user)->push_back(static_cast<Item*>(element)->value);
        },
        &removed);
    Item a{1, {}}, b{2, {}}, c{3, {}};
    EXPECT_EQ(pelListFirst(&list), nullptr);
    pelListAppend(&list, &b);
    pelListAppend(&list, &c);
    pelListPushFront(&list, &a);
    EXPECT_EQ(values(&list), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(list.count, 3u);
    EXPECT_EQ(pelListRemove(&list, &b.link), &c.link);
    EXPECT_EQ(pelListRemove(&list, pelListEnd(&list)), pelListEnd(&list));
    pelListRemoveLast(&list);
    EXPECT_EQ(values(&list), (std::vector<int>{1}));
    pelListClear(&list);
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(removed, (std::vector<int>{2, 3, 1}));
    pelListRemoveFirst(&list);  // nothing on an empty list
    EXPECT_EQ(removed.size(), 3u);
}

TEST(Mempool, StridesFollowTheElementSizeAndListability) {
    const struct {
        size_t elementSize;
        uint32_t flags;
        size_t stride;
    } cases[] = {
        {1, 0, 16},
        {16, 0, 16},
        {17, 0, 32},
        {20, PEL_MEMPOOL_LISTABLE, 48},
        {1, PEL_MEMPOOL_LISTABLE, 32},
    };
    for (const auto& c : cases) {
        PEL_MEMPOOL pool;
        pelMempoolInit(&pool, 4, c.elementSize, c.flags);
        EXPECT_EQ(pool.stride, c.stride) << c.elementSize;
        EXPECT_EQ(pool.blockSize, 4 * c.stride + 16);
        auto* element = static_cast<char*>(pelMempoolAllocateBlock(&pool));
        EXPECT_EQ(reinterpret_cast<uintptr_t>(element) % 16, 0u);
        pelMempoolDestroy(&pool);
    }
}

TEST(Mempool, FixedPoolOfFourReportsWhenEmptyAndReusesTheFreedElement) {
    ReportCapture capture;
    PEL_MEMPOOL pool;
    pelMempoolInit(&pool, 4, 24, 0);
    void* elements[4];
    for (void*& element : elements) element = pelMempoolAllocateBlock(&pool);
    EXPECT_THROW(pelMempoolAllocateBlock(&pool), FatalReport);
    ASSERT_EQ(ReportCapture::entries().size(), 1u);
    EXPECT_EQ(ReportCapture::entries()[0].text,
              u"Error: [pelMempoolAllocateBlock] メモリプールの空きが無くなった");
    pelMempoolFreeBlock(elements[2], &pool);
    EXPECT_EQ(pelMempoolAllocateBlock(&pool), elements[2]);
    pelMempoolDestroy(&pool);
}

TEST(Mempool, ListablePoolWalksInAllocationOrder) {
    PEL_MEMPOOL pool;
    pelMempoolInit(&pool, 2, sizeof(int), PEL_MEMPOOL_LISTABLE | PEL_MEMPOOL_GROWABLE);
    std::vector<int*> elements;
    for (int i = 0; i < 5; ++i) {
        elements.push_back(static_cast<int*>(pelMempoolAllocateBlock(&pool)));
        *elements.back() = i;
    }
    pelMempoolFreeBlock(elements[1], &pool);
    std::vector<int> walked;
    for (PEL_LIST_LINK* link = pelMempoolGetListBegin(&pool); link != pelMempoolGetListEnd(&pool);
         link = link->next) {
        walked.push_back(*static_cast<int*>(pelMempoolListElement(link)));
    }
    EXPECT_EQ(walked, (std::vector<int>{0, 2, 3, 4}));
    EXPECT_EQ(pelMempoolGetListCount(&pool), 4u);
    pelMempoolDestroy(&pool);
}

TEST(Mempool, WalkingAPoolThatIsNotListableIsFatal) {
    ReportCapture capture;
    PEL_MEMPOOL pool;
    pelMempoolInit(&pool, 4, 8, PEL_MEMPOOL_GROWABLE);
    EXPECT_THROW(pelMempoolGetListBegin(&pool), FatalReport);
    EXPECT_EQ(ReportCapture::entries()[0].text,
              u"Error: [pelMempoolGetListBegin] リスト化可能なメモリプールではない");
    pelMempoolDestroy(&pool);
}

TEST(Array, GrowsInWholeStepsAndKeepsItsElements) {
    PEL_ARRAY array;
    pelArrayInit(&array, sizeof(uint32_t), 8);
    auto* data = static_cast<uint32_t*>(pelArrayResize(&array, 3));
    for (uint32_t i = 0; i < 3; ++i) data[i] = 100 + i;
    EXPECT_EQ(array.capacity, 8u);
    data = static_cast<uint32_t*>(pelArrayResize(&array, 9));
    EXPECT_EQ(array.capacity, 16u);
    EXPECT_EQ(array.count, 9u);
    EXPECT_EQ(data[2], 102u);
    pelArrayResize(&array, 1);
    EXPECT_EQ(array.capacity, 16u);
    pelArrayDestroy(&array);
}

TEST(Hash, DefaultHashIsFnv1OverEachUnitsBytes) {
    EXPECT_EQ(pelHashDefault(nullptr, u""), 0x811C9DC5u);
    // 'a': (basis * prime) ^ 0x61.
    EXPECT_EQ(pelHashDefault(nullptr, u"a"), (0x811C9DC5u * 0x01000193u) ^ 0x61u);
    // U+0161 and U+0261 differ only in the high byte.
    EXPECT_NE(pelHashDefault(nullptr, u"\u0161"), pelHashDefault(nullptr, u"\u0261"));
    EXPECT_NE(pelHashDefault(nullptr, u"\u0161"), pelHashDefault(nullptr, u"a"));
}

TEST(Hash, InsertFindRemoveAndRelease) {
    pelInitialize();
    static std::vector<intptr_t> released;
    released.clear();
    PEL_HASH table;
    pelHashInit(&table, 4,
                [](void*, void* value) { released.push_back(reinterpret_cast<intptr_t>(value)); });
    const std::u16string keys[] = {u"alpha", u"beta", u"gamma", u"delta", u"epsilon", u"zeta"};
    for (size_t i = 0; i < std::size(keys); ++i) {
        EXPECT_EQ(pelHashInsert(&table, keys[i].c_str(), reinterpret_cast<void*>(i + 1)), PEL_OK);
    }
    EXPECT_EQ(pelHashInsert(&table, u"beta", reinterpret_cast<void*>(99)), PEL_E_EXISTS);
    EXPECT_EQ(pelHashFind(&table, u"beta"), reinterpret_cast<void*>(2));
    EXPECT_EQ(pelHashFind(&table, u"Beta"), nullptr);
    EXPECT_EQ(pelHashRemove(&table, u"gamma"), PEL_OK);
    EXPECT_EQ(released, (std::vector<intptr_t>{3}));
    EXPECT_EQ(pelHashFind(&table, u"gamma"), nullptr);
    EXPECT_EQ(pelHashRemove(&table, u"gamma"), PEL_E_EXISTS);
    pelHashDestroy(&table);
    EXPECT_EQ(released.size(), std::size(keys));
}

std::vector<int> drain(PEL_RING* ring) {
    std::vector<int> out;
    int item;
    while (pelRingPop(ring, &item, 1) == 1) out.push_back(item);
    return out;
}

TEST(Ring, FixedRingOfFourHoldsThree) {
    PEL_RING ring;
    pelRingInit(&ring, sizeof(int), 4, 0);
    const int items[] = {1, 2, 3, 4};
    EXPECT_EQ(pelRingPush(&ring, items, 4), 3u);
    EXPECT_EQ(pelRingGetCount(&ring), 3u);
    EXPECT_EQ(pelRingGetFree(&ring), 1u);
    EXPECT_EQ(drain(&ring), (std::vector<int>{1, 2, 3}));
    pelRingDestroy(&ring);
}

TEST(Ring, GrowingKeepsTheOrderAcrossTheWrap) {
    PEL_RING ring;
    pelRingInit(&ring, sizeof(int), 4, 4);
    const int first[] = {1, 2, 3};
    pelRingPush(&ring, first, 3);
    int taken[2];
    EXPECT_EQ(pelRingPop(&ring, taken, 2), 2u);
    const int more[] = {4, 5, 6, 7};  // wraps, then grows
    EXPECT_EQ(pelRingPush(&ring, more, 4), 4u);
    EXPECT_EQ(ring.capacity, 8u);
    EXPECT_EQ(drain(&ring), (std::vector<int>{3, 4, 5, 6, 7}));
    pelRingDestroy(&ring);
}

TEST(Ring, PeekAndSkip) {
    PEL_RING ring;
    pelRingInit(&ring, sizeof(int), 8, 0);
    const int items[] = {10, 20, 30};
    pelRingPush(&ring, items, 3);
    int peeked[3] = {};
    EXPECT_EQ(pelRingPeek(&ring, peeked, 3, 1), 2u);
    EXPECT_EQ(peeked[0], 20);
    EXPECT_EQ(peeked[1], 30);
    EXPECT_EQ(pelRingPeek(&ring, peeked, 1, 4), 0u);
    EXPECT_EQ(pelRingGetCount(&ring), 3u);
    EXPECT_EQ(pelRingSkip(5, &ring), 3u);
    EXPECT_EQ(pelRingGetCount(&ring), 0u);
    pelRingDestroy(&ring);
}

}  // namespace
