// A small layer over the kernel objects that the port layer and the
// credential worker use: a lock, an event, a condition wait, a bounded
// blocking message queue and threads.  Every function returns 1 for success
// and 0 for failure (a null argument is a failure); the destroy functions
// accept an empty variable.
#pragma once

#include <windows.h>

// A lock is an auto-reset event created signalled: not re-entrant.
typedef struct OS_LOCK_CELL* OS_LOCK;
// An event: an auto-reset event created unsignalled (destroyed with OsLockDestroy).
typedef struct OS_LOCK_CELL* OS_EVENT;

struct MSG_QUEUE {
    OS_LOCK lock;
    OS_EVENT notFull;
    OS_EVENT notEmpty;
    int count;
    int putIndex;
    int getIndex;
    int capacity;
    int maxLen;
    int slotSize;       // maxLen rounded up to 4, plus 8: u32 type, u32 length, data
    // capacity slots follow
};

struct OS_THREAD {
    DWORD (*function)(void* argument);
    void* argument;
    HANDLE handle;
    DWORD id;
};

int OsLockCreate(OS_LOCK* lock);
int OsLockDestroy(OS_LOCK* lock);
int OsLockAcquire(OS_LOCK lock);
int OsLockRelease(OS_LOCK lock);
int OsEventCreate(OS_EVENT* event);
int OsEventSet(OS_EVENT event);
int OsCondWait(OS_EVENT event, OS_LOCK lock);
// As OsCondWait for at most ms; 0 when the time ran out (the lock is held again either way).
int OsCondWaitTimed(OS_EVENT event, OS_LOCK lock, DWORD ms);

int MsgQueueCreate(MSG_QUEUE** queue, int capacity, int maxLen);
int MsgQueueDestroy(MSG_QUEUE** queue);
int MsgQueuePut(MSG_QUEUE* queue, DWORD type, const void* data, int length);
// As MsgQueuePut, but a full queue is waited for at most ms; 0 when it stayed full.
int MsgQueuePutWithin(MSG_QUEUE* queue, DWORD type, const void* data, int length, DWORD ms);
// With a buffer: takes the next message, copying at most *length bytes (the
// rest of a longer message is dropped) and setting *length to what was
// copied.  With a null buffer and a length pointer: reports the next
// message's type and length and leaves it queued.  Both null: takes the
// message and drops its data.  Blocks while the queue is empty.
int MsgQueueGet(MSG_QUEUE* queue, DWORD* type, void* buffer, int* length);

int OsThreadCreate(OS_THREAD** thread, DWORD (*function)(void*), void* argument);
int OsThreadJoin(OS_THREAD** thread);
int OsThreadExit();
int OsSleep(int milliseconds);
