#include "platform/SerialQueue.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <atomic>
#include <thread>
#include <vector>

using klipo::platform::SerialQueue;

TEST(SerialQueue, blocks_RunOneAtATimeInOrder_OnTheQueuesOwnThread)
{
    std::vector<int> order;
    std::thread::id worker;
    std::atomic<int> running = 0;
    bool overlapped = false;
    {
        SerialQueue queue("io.klipoversa.test");
        for (int i = 0; i < 200; ++i) {
            queue.async([&, i] {
                if (++running > 1) overlapped = true;
                order.push_back(i);
                worker = std::this_thread::get_id();
                --running;
            });
        }
    }  // the destructor runs what is queued
    ASSERT_EQ(order.size(), 200u);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(order[i], i);
    EXPECT_FALSE(overlapped);
    EXPECT_NE(worker, std::this_thread::get_id());
}

TEST(SerialQueue, sync_FromTheWorkerRunsInline_AndFromElsewhereWaitsForTheBlock)
{
    SerialQueue queue("io.klipoversa.test");
    int value = 0;
    queue.sync([&] {
        EXPECT_TRUE(queue.isCurrent());
        queue.sync([&] { value = 1; });  // would deadlock if it queued behind itself
        value += 1;
    });
    EXPECT_EQ(value, 2);
    EXPECT_FALSE(queue.isCurrent());
}

TEST(SerialQueue, runOnMainSync_FromTheWorker_RunsOnTheMainThread)
{
    SerialQueue queue("io.klipoversa.test");
    std::atomic<bool> ranOnMain = false;
    std::atomic<bool> finished = false;
    queue.async([&] {
        klipo::platform::runOnMainSync([&] { ranOnMain = klipo::platform::isMainThread(); });
        finished = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.load(); }, 5000));
    EXPECT_TRUE(ranOnMain.load());
}
