// The operating-system layer: locks, events, the bounded message queue and
// threads, with the edges the callers rely on.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "auth/OsLayer.h"

namespace {

TEST(OsLayerTest, NullArgumentsFailAndEmptyVariablesDestroy)
{
    EXPECT_EQ(0, OsLockCreate(nullptr));
    EXPECT_EQ(0, OsLockAcquire(nullptr));
    EXPECT_EQ(0, OsLockRelease(nullptr));
    EXPECT_EQ(0, OsEventCreate(nullptr));
    EXPECT_EQ(0, OsCondWait(nullptr, nullptr));
    EXPECT_EQ(0, MsgQueueCreate(nullptr, 1, 1));
    EXPECT_EQ(0, MsgQueuePut(nullptr, 1, "x", 1));
    EXPECT_EQ(0, OsThreadCreate(nullptr, nullptr, nullptr));
    EXPECT_EQ(0, OsThreadJoin(nullptr));
    OS_LOCK none = nullptr;
    EXPECT_EQ(1, OsLockDestroy(&none));
    MSG_QUEUE* q = nullptr;
    EXPECT_EQ(1, MsgQueueDestroy(&q));
    EXPECT_EQ(0, MsgQueueCreate(&q, 0, 4));
    EXPECT_EQ(0, MsgQueueCreate(&q, 1, -1));
    EXPECT_EQ(nullptr, q);
    EXPECT_EQ(1, OsSleep(-5));
}

TEST(OsLayerTest, QueueTakesExactlyMaxLenAndRefusesMoreWithoutBlocking)
{
    MSG_QUEUE* q = nullptr;
    ASSERT_EQ(1, MsgQueueCreate(&q, 2, 5));
    EXPECT_EQ(16, q->slotSize);   // 5 rounded up to 8, plus type and length
    EXPECT_EQ(1, MsgQueuePut(q, 7, "12345", 5));
    EXPECT_EQ(0, MsgQueuePut(q, 7, "123456", 6));
    EXPECT_EQ(0, MsgQueuePut(q, 7, "1", -1));
    // A null data pointer is an empty message.
    EXPECT_EQ(1, MsgQueuePut(q, 8, nullptr, 3));
    DWORD type = 0;
    char buf[8] = {};
    int len = sizeof(buf);
    ASSERT_EQ(1, MsgQueueGet(q, &type, buf, &len));
    EXPECT_EQ(7u, type);
    EXPECT_EQ(5, len);
    EXPECT_EQ(0, std::memcmp(buf, "12345", 5));
    len = sizeof(buf);
    ASSERT_EQ(1, MsgQueueGet(q, &type, buf, &len));
    EXPECT_EQ(8u, type);
    EXPECT_EQ(0, len);
    EXPECT_EQ(1, MsgQueueDestroy(&q));
    EXPECT_EQ(nullptr, q);
}

TEST(OsLayerTest, PeekingReportsTheLengthAndLeavesTheMessage)
{
    MSG_QUEUE* q = nullptr;
    ASSERT_EQ(1, MsgQueueCreate(&q, 3, 28));
    ASSERT_EQ(1, MsgQueuePut(q, 1, "twenty-eight bytes of data!", 28));
    DWORD type = 0;
    int len = 0;
    ASSERT_EQ(1, MsgQueueGet(q, &type, nullptr, &len));
    EXPECT_EQ(1u, type);
    EXPECT_EQ(28, len);
    EXPECT_EQ(1, q->count);
    // Taken and dropped without buffer or length.
    ASSERT_EQ(1, MsgQueueGet(q, &type, nullptr, nullptr));
    EXPECT_EQ(0, q->count);
    len = -1;
    EXPECT_EQ(0, MsgQueueGet(q, &type, nullptr, &len));
    EXPECT_EQ(0, MsgQueueGet(q, nullptr, nullptr, nullptr));
    MsgQueueDestroy(&q);
}

TEST(OsLayerTest, ASmallBufferGetsNoMoreThanItHolds)
{
    MSG_QUEUE* q = nullptr;
    ASSERT_EQ(1, MsgQueueCreate(&q, 1, 28));
    BYTE data[28];
    std::memset(data, 0xAB, sizeof(data));
    ASSERT_EQ(1, MsgQueuePut(q, 1, data, 28));
    BYTE buf[16];
    std::memset(buf, 0xEE, sizeof(buf));
    DWORD type = 0;
    int len = 4;
    ASSERT_EQ(1, MsgQueueGet(q, &type, buf, &len));
    EXPECT_EQ(4, len);
    EXPECT_EQ(0xAB, buf[3]);
    EXPECT_EQ(0xEE, buf[4]);   // the rest of the buffer untouched
    EXPECT_EQ(0, q->count);
    MsgQueueDestroy(&q);
}

struct Relay {
    MSG_QUEUE* q;
    std::vector<DWORD> got;
};

DWORD Consumer(void* arg)
{
    Relay* r = (Relay*)arg;
    for (;;) {
        DWORD type = 0, value = 0;
        int len = 4;
        if (!MsgQueueGet(r->q, &type, &value, &len) || type == 0) break;
        r->got.push_back(value);
        // The queue holds one: the producer waits for this get.
        if (r->q->count > 1) r->got.push_back(0xFFFFFFFF);
    }
    return 0;
}

TEST(OsLayerTest, CapacityOneAlternatesPutAndGetAcrossThreads)
{
    Relay r;
    ASSERT_EQ(1, MsgQueueCreate(&r.q, 1, 4));
    OS_THREAD* t = nullptr;
    ASSERT_EQ(1, OsThreadCreate(&t, Consumer, &r));
    for (DWORD i = 1; i <= 500; ++i) ASSERT_EQ(1, MsgQueuePut(r.q, 1, &i, 4));
    ASSERT_EQ(1, MsgQueuePut(r.q, 0, nullptr, 0));
    ASSERT_EQ(1, OsThreadJoin(&t));
    EXPECT_EQ(nullptr, t);
    ASSERT_EQ(500u, r.got.size());
    for (DWORD i = 0; i < 500; ++i) EXPECT_EQ(i + 1, r.got[i]);
    MsgQueueDestroy(&r.q);
}

struct Counter {
    OS_LOCK lock;
    int value;
};

DWORD AddMany(void* arg)
{
    Counter* c = (Counter*)arg;
    for (int i = 0; i < 2000; ++i) {
        OsLockAcquire(c->lock);
        int v = c->value;
        if (i % 100 == 0) Sleep(0);
        c->value = v + 1;
        OsLockRelease(c->lock);
    }
    return 0;
}

TEST(OsLayerTest, LockKeepsThreadsApartAndEventWakesACondWait)
{
    Counter c = {nullptr, 0};
    ASSERT_EQ(1, OsLockCreate(&c.lock));
    OS_THREAD* t[4] = {};
    for (auto& th : t) ASSERT_EQ(1, OsThreadCreate(&th, AddMany, &c));
    for (auto& th : t) ASSERT_EQ(1, OsThreadJoin(&th));
    EXPECT_EQ(8000, c.value);

    OS_EVENT ev = nullptr;
    ASSERT_EQ(1, OsEventCreate(&ev));
    ASSERT_EQ(1, OsLockAcquire(c.lock));
    ASSERT_EQ(1, OsEventSet(ev));   // already set: the wait returns at once
    EXPECT_EQ(1, OsCondWait(ev, c.lock));
    // The lock is held again after the wait: a second acquire would block.
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(*(HANDLE*)c.lock, 0));
    OsLockRelease(c.lock);
    OsLockDestroy(&ev);
    OsLockDestroy(&c.lock);
    EXPECT_EQ(nullptr, c.lock);
}

}  // namespace
