// The product's movable blocks in this program: each one ends right before
// a no-access page, zero-filled as GHND gives them, and a freed block stays
// no-access for the next 256 frees, so that a read or write past a block, or
// into one already freed, faults where it happens.  Linked in place of
// core/MovableMemory.cpp (the four functions are all it holds).
#include "core/MovableMemory.h"

#include <cstring>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace {

struct Block {
    BYTE* base;       // the region: data pages, then the no-access page
    SIZE_T size;      // what was asked for
};

std::mutex g_lock;
std::unordered_map<const void*, Block>& Live()
{
    static std::unordered_map<const void*, Block> m;
    return m;
}
std::deque<BYTE*>& Quarantine()
{
    static std::deque<BYTE*> q;
    return q;
}
const size_t kQuarantine = 256;

size_t PageSize()
{
    static size_t page = [] {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        return (size_t)si.dwPageSize;
    }();
    return page;
}

}  // namespace

void* AllocMovable(SIZE_T size)
{
    size_t page = PageSize();
    size_t dataPages = (size + page - 1) / page;
    if (dataPages == 0) dataPages = 1;
    BYTE* base = (BYTE*)VirtualAlloc(nullptr, (dataPages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!base) return nullptr;
    DWORD old = 0;
    VirtualProtect(base + dataPages * page, page, PAGE_NOACCESS, &old);
    BYTE* p = base + dataPages * page - size;
    std::lock_guard<std::mutex> lock(g_lock);
    Live()[p] = Block{ base, size };
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
    if (!p) return 0;
    std::lock_guard<std::mutex> lock(g_lock);
    auto it = Live().find(p);
    return it == Live().end() ? 0 : it->second.size;
}

void FreeMovable(void* p)
{
    if (!p) return;
    std::lock_guard<std::mutex> lock(g_lock);
    auto it = Live().find(p);
    if (it == Live().end()) return;
    Block b = it->second;
    Live().erase(it);
    size_t page = PageSize();
    size_t dataPages = (b.size + page - 1) / page;
    if (dataPages == 0) dataPages = 1;
    DWORD old = 0;
    VirtualProtect(b.base, dataPages * page, PAGE_NOACCESS, &old);
    Quarantine().push_back(b.base);
    if (Quarantine().size() > kQuarantine) {
        VirtualFree(Quarantine().front(), 0, MEM_RELEASE);
        Quarantine().pop_front();
    }
}
