#include "Robust.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>

namespace robust {

namespace {

char g_reader[64] = "";
volatile long g_index = -1;

// A fault in a committed no-access page is a read or write past an input or
// a movable block; one whose code lies in this program's own image is a
// fault of the product (or of the test) anywhere.  Either ends the program
// with the reader and input that replay it.  Faults inside the system's own
// modules elsewhere are left to their handlers.
bool InOwnImage(const void* code)
{
    HMODULE self = GetModuleHandleA(nullptr);
    MEMORY_BASIC_INFORMATION mi = {};
    return VirtualQuery(code, &mi, sizeof(mi)) && mi.AllocationBase == (void*)self;
}

bool InNoAccessPage(const void* address)
{
    MEMORY_BASIC_INFORMATION mi = {};
    return VirtualQuery(address, &mi, sizeof(mi)) && mi.State == MEM_COMMIT && mi.Protect == PAGE_NOACCESS;
}

void Report(EXCEPTION_POINTERS* info, const char* how)
{
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    const char* kind = "access";
    ULONG_PTR address = 0;
    if (r->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && r->NumberParameters >= 2) {
        kind = r->ExceptionInformation[0] == 1 ? "write" : r->ExceptionInformation[0] == 8 ? "execute" : "read";
        address = r->ExceptionInformation[1];
    }
    std::fprintf(stderr,
                 "ROBUSTNESS FAULT (%s): exception %08lx, %s of %p by code at %p, reader \"%s\" input %ld "
                 "(replay: KQ_ROBUST_ONLY=%s:%ld)\n",
                 how, (unsigned long)r->ExceptionCode, kind, (void*)address, r->ExceptionAddress, g_reader,
                 (long)g_index, g_reader, (long)g_index);
    std::fflush(stderr);
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    if (r->ExceptionCode != EXCEPTION_ACCESS_VIOLATION && r->ExceptionCode != EXCEPTION_ARRAY_BOUNDS_EXCEEDED &&
        r->ExceptionCode != EXCEPTION_INT_DIVIDE_BY_ZERO && r->ExceptionCode != EXCEPTION_STACK_OVERFLOW)
        return EXCEPTION_CONTINUE_SEARCH;
    bool guard = r->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && r->NumberParameters >= 2 &&
                 InNoAccessPage((const void*)r->ExceptionInformation[1]);
    if (!guard && !InOwnImage(r->ExceptionAddress)) return EXCEPTION_CONTINUE_SEARCH;
    Report(info, guard ? "past an input or a block" : "in the program");
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI OnUnhandled(EXCEPTION_POINTERS* info)
{
    Report(info, "unhandled");
    return EXCEPTION_CONTINUE_SEARCH;
}

struct Installer {
    Installer()
    {
        AddVectoredExceptionHandler(1, OnException);
        SetUnhandledExceptionFilter(OnUnhandled);
    }
} g_installer;

struct Count {
    long inputs = 0, broken = 0;
};
std::mutex g_countLock;
std::map<std::string, Count>& Counts()
{
    static std::map<std::string, Count> m;
    return m;
}

// The counts of the run, once every test is over.
class CountPrinter : public ::testing::Environment {
public:
    void TearDown() override { PrintCounts(); }
};
::testing::Environment* const g_printer = ::testing::AddGlobalTestEnvironment(new CountPrinter);

uint64_t SplitMix(uint64_t& s)
{
    uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t Fnv1a(const char* s)
{
    uint64_t h = 0xCBF29CE484222325ull;
    for (; *s; ++s) h = (h ^ (BYTE)*s) * 0x100000001B3ull;
    return h;
}

}  // namespace

Rng::Rng(const char* reader, uint64_t index) : m_state(Fnv1a(reader) ^ (index * 0x100000001B3ull)) {}

uint64_t Rng::Next() { return SplitMix(m_state); }

Bytes Rng::RandomBytes(size_t n)
{
    Bytes b(n);
    for (BYTE& x : b) x = Byte();
    return b;
}

DWORD Rng::EdgeOf(DWORD max)
{
    switch (Below(10)) {
    case 0: return 0;
    case 1: return 1;
    case 2: return max ? max - 1 : 0;
    case 3: return max;
    case 4: return max + 1;
    case 5: return max * 2;
    case 6: return 0xFFFFFFFFu;
    case 7: return 0x80000000u;
    case 8: return 0x7FFFFFFFu;
    default: return (DWORD)Next();
    }
}

void Mutate(Bytes& b, Rng& rng, const std::vector<size_t>& fields)
{
    int changes = 1 + (int)rng.Below(4);
    for (int k = 0; k < changes; ++k) {
        switch (rng.Below(9)) {
        case 0:
        case 1:
            if (!b.empty()) b[rng.Below((uint32_t)b.size())] = rng.Byte();
            break;
        case 2:
            if (!b.empty()) b[rng.Below((uint32_t)b.size())] ^= (BYTE)(1u << rng.Below(8));
            break;
        case 3:   // a NUL in the middle of a text
            if (!b.empty()) b[rng.Below((uint32_t)b.size())] = 0;
            break;
        case 4:   // no terminator: every NUL of a stretch becomes a letter
            for (size_t i = rng.Below((uint32_t)b.size() + 1), n = rng.Below(64); i < b.size() && n; ++i, --n)
                if (!b[i]) b[i] = (BYTE)('A' + rng.Below(26));
            break;
        case 5:   // cut
            b.resize(rng.Below((uint32_t)b.size() + 1));
            break;
        case 6:   // grown
            for (uint32_t n = rng.Below(64); n; --n) b.push_back(rng.OneIn(2) ? 0 : rng.Byte());
            break;
        default:  // a length or a count at an edge
            if (!fields.empty()) {
                size_t at = rng.Pick(fields);
                if (at + 4 <= b.size()) {
                    DWORD v = rng.EdgeOf(Le32(b, at) ? Le32(b, at) : 64);
                    PutLe32(b, at, v);
                }
            } else if (b.size() >= 4) {
                PutLe32(b, rng.Below((uint32_t)b.size() - 3), rng.EdgeOf(256));
            }
            break;
        }
    }
}

GuardedArea::GuardedArea(size_t capacity)
{
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    size_t page = si.dwPageSize;
    m_capacity = (capacity + page - 1) / page * page;
    m_base = (BYTE*)VirtualAlloc(nullptr, m_capacity + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    DWORD old = 0;
    if (!m_base || !VirtualProtect(m_base + m_capacity, page, PAGE_NOACCESS, &old)) {
        std::fprintf(stderr, "robust: no guarded area of %u bytes\n", (unsigned)m_capacity);
        std::abort();
    }
}

GuardedArea::~GuardedArea()
{
    if (m_base) VirtualFree(m_base, 0, MEM_RELEASE);
}

BYTE* GuardedArea::Place(const void* data, size_t n)
{
    if (n > m_capacity) n = m_capacity;
    BYTE* at = m_base + m_capacity - n;
    if (n && data) std::memcpy(at, data, n);
    return at;
}

void SetCurrent(const char* reader, long index)
{
    lstrcpynA(g_reader, reader ? reader : "", sizeof(g_reader));
    g_index = index;
}

const char* CurrentReader() { return g_reader; }
long CurrentIndex() { return g_index; }

bool SlowRun()
{
    const char* s = std::getenv("KQ_ROBUST_SLOW");
    return s && *s == '1';
}

void RecordCount(const char* reader, long inputs, long broken)
{
    std::lock_guard<std::mutex> lock(g_countLock);
    Count& c = Counts()[reader];
    c.inputs += inputs;
    c.broken += broken;
}

void PrintCounts()
{
    std::lock_guard<std::mutex> lock(g_countLock);
    std::printf("\n%-28s %10s %8s\n", "reader", "inputs", "broken");
    long total = 0;
    for (const auto& kv : Counts()) {
        std::printf("%-28s %10ld %8ld\n", kv.first.c_str(), kv.second.inputs, kv.second.broken);
        total += kv.second.inputs;
    }
    std::printf("%-28s %10ld\n", "(all readers)", total);
    std::fflush(stdout);
}

Reader::Reader(const char* name, long defaultCount, long slowCount) : m_name(name)
{
    m_count = SlowRun() ? slowCount : defaultCount;
    if (const char* only = std::getenv("KQ_ROBUST_ONLY")) {
        std::string s(only);
        size_t colon = s.rfind(':');
        if (colon == std::string::npos || s.substr(0, colon) != name) {
            m_count = 0;
        } else {
            m_first = std::atol(s.c_str() + colon + 1);
            m_count = 1;
        }
    }
}

Reader::~Reader() { RecordCount(m_name, m_done, m_broken); }

void Reader::Broken(long index, const std::string& what)
{
    ++m_broken;
    if (m_broken <= 5)
        ADD_FAILURE() << "reader \"" << m_name << "\" input " << index << " (replay: KQ_ROBUST_ONLY=" << m_name << ":"
                      << index << "): " << what;
    else if (m_broken == 6)
        ADD_FAILURE() << "reader \"" << m_name << "\": more inputs break invariants; only the first five are shown";
}

Bytes FuzzInput(const char* name)
{
    std::ifstream f(std::string(KQ_TESTDATA_DIR "/fuzz/") + name, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

uint32_t Le32(const Bytes& b, size_t at)
{
    uint32_t v = 0;
    if (at + 4 <= b.size()) std::memcpy(&v, &b[at], 4);
    return v;
}

uint16_t Le16(const Bytes& b, size_t at)
{
    uint16_t v = 0;
    if (at + 2 <= b.size()) std::memcpy(&v, &b[at], 2);
    return v;
}

void PutLe32(Bytes& b, size_t at, uint32_t v)
{
    if (at + 4 <= b.size()) std::memcpy(&b[at], &v, 4);
}

std::string Hex(const void* p, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    const BYTE* b = (const BYTE*)p;
    for (size_t i = 0; i < n; ++i) {
        s += digits[b[i] >> 4];
        s += digits[b[i] & 15];
    }
    return s;
}

}  // namespace robust
