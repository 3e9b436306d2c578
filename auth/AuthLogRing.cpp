#include "auth/AuthLogRing.h"

#include <cstring>

#include "auth/AuthUiRelay.h"

AuthLogRing g_AuthLogRing;

namespace {

// Guards the lines and the write index against the other writer and the
// page's reads.  Never held while posting.
CRITICAL_SECTION g_ringLock;
INIT_ONCE g_ringLockOnce = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK InitRingLock(PINIT_ONCE, PVOID, PVOID*)
{
    InitializeCriticalSection(&g_ringLock);
    return TRUE;
}

struct RingLock {
    RingLock()
    {
        InitOnceExecuteOnce(&g_ringLockOnce, InitRingLock, nullptr, nullptr);
        EnterCriticalSection(&g_ringLock);
    }
    ~RingLock() { LeaveCriticalSection(&g_ringLock); }
};

// Writes text at the write index; returns that index.
int WriteAtIndex(const char* text)
{
    int index = AdvanceLogIndex(g_AuthLogRing.writeIndex);
    char* line = g_AuthLogRing.lines[index];
    std::strncpy(line, text ? text : "", AUTH_LOG_LINE_SIZE - 1);
    line[AUTH_LOG_LINE_SIZE - 1] = 0;
    return index;
}

} // namespace

int AdvanceLogIndex(int index) { return (index < 0 || index >= AUTH_LOG_LINES) ? 0 : index; }

void AppendAuthLogLine(const char* text)
{
    int index;
    {
        RingLock lock;
        index = WriteAtIndex(text);
        g_AuthLogRing.writeIndex = AdvanceLogIndex(index + 1);
    }
    // Writers are the library's threads: the windows are looked up on the
    // user-interface thread.
    PostAuthLogLine(index);
}

void AppendAuthLogEndMarker()
{
    int index;
    {
        RingLock lock;
        index = WriteAtIndex(AUTH_LOG_END_MARKER);
        g_AuthLogRing.writeIndex = 0;
    }
    PostAuthLogLine(index);
}

void ClearAuthLogRing()
{
    RingLock lock;
    std::memset(&g_AuthLogRing, 0, sizeof(g_AuthLogRing));
}

void ClearAuthLogRingAtStart()
{
    RingLock lock;
    if (g_AuthLogRing.writeIndex == 0) std::memset(g_AuthLogRing.lines, 0, sizeof(g_AuthLogRing.lines));
}

bool ReadAuthLogLine(int index, char* out, size_t size)
{
    if (!out || size == 0) return false;
    out[0] = 0;
    if (index < 0 || index >= AUTH_LOG_LINES) return false;
    RingLock lock;
    std::strncpy(out, g_AuthLogRing.lines[index], size - 1);
    out[size - 1] = 0;
    return true;
}
