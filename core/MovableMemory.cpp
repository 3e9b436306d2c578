#include "core/MovableMemory.h"

#include <cstring>

void* AllocMovable(SIZE_T size)
{
    HGLOBAL h = GlobalAlloc(GHND, size);
    if (!h) return nullptr;
    void* p = GlobalLock(h);
    if (!p) GlobalFree(h);
    return p;
}

void* CopyToMovable(const void* src, SIZE_T size)
{
    if (size == 0) return nullptr;
    void* p = AllocMovable(size);
    if (p && src) std::memcpy(p, src, size);
    return p;
}

SIZE_T MovableSize(const void* p)
{
    HGLOBAL h = p ? GlobalHandle(p) : nullptr;
    return h ? GlobalSize(h) : 0;
}

void FreeMovable(void* p)
{
    if (!p) return;
    HGLOBAL h = GlobalHandle(p);
    if (!h) return;
    GlobalUnlock(h);
    GlobalFree(h);
}
