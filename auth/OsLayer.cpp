#include "auth/OsLayer.h"

#include <cstdlib>
#include <cstring>

struct OS_LOCK_CELL {
    HANDLE event;
};

namespace {

int CreateCell(OS_LOCK* out, BOOL signalled)
{
    if (!out) return 0;
    OS_LOCK cell = (OS_LOCK)std::calloc(1, sizeof(OS_LOCK_CELL));
    if (!cell) return 0;
    cell->event = CreateEventA(nullptr, FALSE, signalled, nullptr);
    if (!cell->event) {
        std::free(cell);
        return 0;
    }
    *out = cell;
    return 1;
}

MSG_QUEUE* QueueHeader(MSG_QUEUE* q) { return q; }

BYTE* Slot(MSG_QUEUE* q, int index)
{
    return (BYTE*)(q + 1) + (size_t)index * (size_t)q->slotSize;
}

DWORD WINAPI ThreadTrampoline(void* p)
{
    OS_THREAD* t = (OS_THREAD*)p;
    t->function(t->argument);
    ExitThread(0);
}

} // namespace

int OsLockCreate(OS_LOCK* lock) { return CreateCell(lock, TRUE); }

int OsEventCreate(OS_EVENT* event) { return CreateCell(event, FALSE); }

int OsLockDestroy(OS_LOCK* lock)
{
    if (!lock) return 0;
    if (!*lock) return 1;
    CloseHandle((*lock)->event);
    std::free(*lock);
    *lock = nullptr;
    return 1;
}

int OsLockAcquire(OS_LOCK lock)
{
    if (!lock) return 0;
    DWORD r = WaitForSingleObject(lock->event, INFINITE);
    return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

int OsLockRelease(OS_LOCK lock)
{
    if (!lock) return 0;
    return SetEvent(lock->event) ? 1 : 0;
}

int OsEventSet(OS_EVENT event) { return OsLockRelease(event); }

int OsCondWait(OS_EVENT event, OS_LOCK lock) { return OsCondWaitTimed(event, lock, INFINITE); }

int OsCondWaitTimed(OS_EVENT event, OS_LOCK lock, DWORD ms)
{
    if (!event || !lock) return 0;
    if (!OsLockRelease(lock)) return 0;
    DWORD r = WaitForSingleObject(event->event, ms);
    int ok = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    if (!OsLockAcquire(lock)) return 0;
    return ok;
}

int MsgQueueCreate(MSG_QUEUE** queue, int capacity, int maxLen)
{
    if (!queue || capacity < 1 || maxLen < 0) return 0;
    long long slotSize = (((long long)maxLen + 3) & ~3LL) + 8;
    long long total = (long long)capacity * slotSize + (long long)sizeof(MSG_QUEUE);
    if (slotSize > 0x7FFFFFFF || total > 0x7FFFFFFF) return 0;
    MSG_QUEUE* q = (MSG_QUEUE*)std::calloc(1, (size_t)total);
    if (!q) return 0;
    q->capacity = capacity;
    q->maxLen = maxLen;
    q->slotSize = (int)slotSize;
    if (!OsLockCreate(&q->lock) || !OsEventCreate(&q->notFull) || !OsEventCreate(&q->notEmpty)) {
        OsLockDestroy(&q->lock);
        OsLockDestroy(&q->notFull);
        OsLockDestroy(&q->notEmpty);
        std::free(q);
        return 0;
    }
    *queue = QueueHeader(q);
    return 1;
}

int MsgQueueDestroy(MSG_QUEUE** queue)
{
    if (!queue) return 0;
    if (!*queue) return 1;
    OsLockDestroy(&(*queue)->lock);
    OsLockDestroy(&(*queue)->notFull);
    OsLockDestroy(&(*queue)->notEmpty);
    std::free(*queue);
    *queue = nullptr;
    return 1;
}

int MsgQueuePut(MSG_QUEUE* q, DWORD type, const void* data, int length)
{
    return MsgQueuePutWithin(q, type, data, length, INFINITE);
}

int MsgQueuePutWithin(MSG_QUEUE* q, DWORD type, const void* data, int length, DWORD ms)
{
    if (!q) return 0;
    if (!data) length = 0;
    if (length < 0 || length > q->maxLen) return 0;
    if (!OsLockAcquire(q->lock)) return 0;
    DWORD start = GetTickCount();
    while (q->count == q->capacity) {
        DWORD spent = GetTickCount() - start;
        DWORD left = ms == INFINITE ? INFINITE : (spent >= ms ? 0 : ms - spent);
        if (left == 0 || !OsCondWaitTimed(q->notFull, q->lock, left)) {
            // Another sender may take the room this one leaves.
            if (q->count < q->capacity) OsEventSet(q->notFull);
            OsLockRelease(q->lock);
            return 0;
        }
    }
    BYTE* slot = Slot(q, q->putIndex);
    DWORD len = (DWORD)length;
    std::memcpy(slot, &type, 4);
    std::memcpy(slot + 4, &len, 4);
    if (length) std::memcpy(slot + 8, data, (size_t)length);
    q->count += 1;
    q->putIndex = (q->putIndex + 1) % q->capacity;
    OsEventSet(q->notEmpty);
    // A waiting sender may still find room (several gets happened).
    if (q->count < q->capacity) OsEventSet(q->notFull);
    OsLockRelease(q->lock);
    return 1;
}

int MsgQueueGet(MSG_QUEUE* q, DWORD* type, void* buffer, int* length)
{
    if (!q || !type) return 0;
    int local = 4;
    BYTE scratch[4];
    if (!buffer && !length) {
        buffer = scratch;
        length = &local;
    }
    if (*length < 0) return 0;
    if (!OsLockAcquire(q->lock)) return 0;
    while (q->count == 0) {
        if (!OsCondWait(q->notEmpty, q->lock)) {
            OsLockRelease(q->lock);
            return 0;
        }
    }
    BYTE* slot = Slot(q, q->getIndex);
    DWORD slotLen = 0;
    std::memcpy(type, slot, 4);
    std::memcpy(&slotLen, slot + 4, 4);
    if (buffer) {
        // Never more than the caller's buffer holds.
        int n = (int)slotLen < *length ? (int)slotLen : *length;
        if (n) std::memcpy(buffer, slot + 8, (size_t)n);
        *length = n;
        q->count -= 1;
        q->getIndex = (q->getIndex + 1) % q->capacity;
        OsEventSet(q->notFull);
        // A waiting receiver may still find a message.
        if (q->count > 0) OsEventSet(q->notEmpty);
    } else {
        *length = (int)slotLen;
        OsEventSet(q->notEmpty);
    }
    OsLockRelease(q->lock);
    return 1;
}

int OsThreadCreate(OS_THREAD** thread, DWORD (*function)(void*), void* argument)
{
    if (!thread || !function) return 0;
    OS_THREAD* t = (OS_THREAD*)std::calloc(1, sizeof(OS_THREAD));
    if (!t) return 0;
    t->function = function;
    t->argument = argument;
    t->handle = CreateThread(nullptr, 0, ThreadTrampoline, t, 0, &t->id);
    if (!t->handle) {
        std::free(t);
        return 0;
    }
    *thread = t;
    return 1;
}

int OsThreadJoin(OS_THREAD** thread)
{
    if (!thread || !*thread) return 0;
    DWORD r = WaitForSingleObject((*thread)->handle, INFINITE);
    CloseHandle((*thread)->handle);
    std::free(*thread);
    *thread = nullptr;
    return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

int OsThreadExit()
{
    ExitThread(0);
}

int OsSleep(int milliseconds)
{
    Sleep(milliseconds < 0 ? 0 : (DWORD)milliseconds);
    return 1;
}
