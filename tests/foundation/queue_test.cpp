// The bounded ring queue: capacity, order across the wrap, empty and
// cleared queues, and many producers and consumers.
#include "foundation/queue.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

namespace {

class QueueTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Queue.Init(5); // the size asked for is ignored
        for (int i = 0; i < 400; ++i) {
            m_Items.push_back(std::make_unique<int>(i));
        }
    }
    int* Item(int i) { return m_Items[static_cast<size_t>(i)].get(); }

    CQueue<int*> m_Queue;
    std::vector<std::unique_ptr<int>> m_Items; // the queue never owns them
};

TEST_F(QueueTest, HundredAndFirstPutFailsUntilOneIsTaken)
{
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(m_Queue.Put(Item(i))) << i;
    }
    EXPECT_EQ(m_Queue.Count(), 100);
    EXPECT_FALSE(m_Queue.Put(Item(100)));
    EXPECT_EQ(m_Queue.Count(), 100);

    int* pOut = nullptr;
    ASSERT_TRUE(m_Queue.Get(pOut));
    EXPECT_EQ(pOut, Item(0));
    EXPECT_TRUE(m_Queue.Put(Item(100)));
    EXPECT_FALSE(m_Queue.Put(Item(101)));
    for (int i = 1; i <= 100; ++i) {
        ASSERT_TRUE(m_Queue.Get(pOut));
        ASSERT_EQ(*pOut, i);
    }
    EXPECT_EQ(m_Queue.Count(), 0);
}

TEST_F(QueueTest, OrderHoldsAcrossManyWraps)
{
    // Fill levels that move the cursors round the ring several times.
    int nNextPut = 0;
    int nNextGet = 0;
    const int fills[] = {37, 99, 1, 100, 63};
    for (int nFill : fills) {
        for (int i = 0; i < nFill; ++i) {
            ASSERT_TRUE(m_Queue.Put(Item(nNextPut++ % 400)));
        }
        ASSERT_EQ(m_Queue.Count(), nFill);
        int* pOut = nullptr;
        while (m_Queue.Get(pOut)) {
            ASSERT_EQ(*pOut, nNextGet++ % 400);
        }
    }
    EXPECT_EQ(nNextGet, nNextPut);
}

TEST_F(QueueTest, GetOnEmptyQueueFails)
{
    int* pOut = Item(7);
    EXPECT_FALSE(m_Queue.Get(pOut));
    EXPECT_EQ(pOut, Item(7));
    EXPECT_EQ(m_Queue.Count(), 0);
    ASSERT_TRUE(m_Queue.Put(Item(1)));
    ASSERT_TRUE(m_Queue.Get(pOut));
    EXPECT_FALSE(m_Queue.Get(pOut));
    EXPECT_EQ(m_Queue.Count(), 0);
}

TEST_F(QueueTest, ClearEmptiesWithoutTouchingItems)
{
    for (int i = 0; i < 42; ++i) {
        ASSERT_TRUE(m_Queue.Put(Item(i)));
    }
    int* pOut = nullptr;
    ASSERT_TRUE(m_Queue.Get(pOut));
    m_Queue.Clear();
    EXPECT_EQ(m_Queue.Count(), 0);
    EXPECT_FALSE(m_Queue.Get(pOut));
    for (int i = 0; i < 42; ++i) {
        EXPECT_EQ(*Item(i), i); // still ours, still intact
    }
    // A cleared queue holds its full capacity again, in order.
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(m_Queue.Put(Item(200 + i)));
    }
    EXPECT_FALSE(m_Queue.Put(Item(300)));
    ASSERT_TRUE(m_Queue.Get(pOut));
    EXPECT_EQ(*pOut, 200);
}

TEST(QueueUninitialisedTest, RefusesItems)
{
    CQueue<int*> queue;
    int nItem = 1;
    int* pOut = nullptr;
    EXPECT_FALSE(queue.Put(&nItem));
    EXPECT_FALSE(queue.Get(pOut));
    EXPECT_EQ(queue.Count(), 0);
}

TEST(QueueConcurrencyTest, EveryItemIsTakenExactlyOnce)
{
    constexpr int kProducers = 4;
    constexpr int kConsumers = 4;
    constexpr int kPerProducer = 20000;
    CQueue<int*> queue;
    queue.Init(100);
    std::vector<int> items(kProducers * kPerProducer);
    std::vector<std::atomic<int>> taken(items.size());
    std::atomic<int> nDone{0};

    std::vector<std::thread> threads;
    for (int p = 0; p < kProducers; ++p) {
        threads.emplace_back([&, p] {
            for (int i = 0; i < kPerProducer; ++i) {
                int* pItem = &items[static_cast<size_t>(p * kPerProducer + i)];
                while (!queue.Put(pItem)) {
                    std::this_thread::yield(); // full: the caller keeps the item
                }
            }
        });
    }
    for (int c = 0; c < kConsumers; ++c) {
        threads.emplace_back([&] {
            int* pItem = nullptr;
            while (nDone.load() < static_cast<int>(items.size())) {
                if (queue.Get(pItem)) {
                    taken[static_cast<size_t>(pItem - items.data())].fetch_add(1);
                    nDone.fetch_add(1);
                } else {
                    std::this_thread::yield();
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (size_t i = 0; i < taken.size(); ++i) {
        ASSERT_EQ(taken[i].load(), 1) << i;
    }
    EXPECT_EQ(queue.Count(), 0);
}

} // namespace
