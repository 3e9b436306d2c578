// The robustness program's tools.  Every input of every reader comes from
// its own seed (the reader's name and the input's index), so that a failure
// names the input that replays it; inputs are placed so that their last byte
// lies right before a no-access page, and so are the movable blocks the
// product allocates while it reads (GuardedMovable.cpp takes the place of
// core/MovableMemory.cpp in this program): a read or write past either end
// faults at once, and the fault report names the reader and the input.
//
//   KQ_ROBUST_SLOW=1           the long run: Reader's slow count per reader
//   KQ_ROBUST_ONLY=name:index  only that input of that reader (a replay)
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace robust {

using Bytes = std::vector<BYTE>;

// splitmix64 from FNV-1a(reader) ^ index * 0x100000001B3: input `index` of a
// reader is the same in every run.
class Rng {
public:
    Rng(const char* reader, uint64_t index);
    uint64_t Next();
    uint32_t Below(uint32_t n) { return n ? (uint32_t)(Next() % n) : 0; }
    bool OneIn(uint32_t n) { return Below(n) == 0; }
    BYTE Byte() { return (BYTE)Next(); }
    Bytes RandomBytes(size_t n);
    // One of the values at the edges of a field of `max` units: 0, 1, max - 1,
    // max, max + 1, twice max, the largest DWORD and its half, or any number.
    DWORD EdgeOf(DWORD max);
    template <class T, size_t N>
    const T& Pick(const T (&a)[N]) { return a[Below((uint32_t)N)]; }
    template <class T>
    const T& Pick(const std::vector<T>& v) { return v[Below((uint32_t)v.size())]; }

private:
    uint64_t m_state;
};

// Derived from a valid input: bytes changed, set to the edges, cut, grown,
// NULs put in or terminators taken out.  `fields` are offsets of little-endian
// length and count words (4 bytes) worth aiming at.
void Mutate(Bytes& b, Rng& rng, const std::vector<size_t>& fields = {});

// Pages of which the last is no-access; Place puts n bytes right before it.
class GuardedArea {
public:
    explicit GuardedArea(size_t capacity = 65536 + 4096);
    ~GuardedArea();
    GuardedArea(const GuardedArea&) = delete;
    GuardedArea& operator=(const GuardedArea&) = delete;
    BYTE* Place(const void* data, size_t n);
    template <class T>
    T* PlaceAs(const Bytes& b) { return reinterpret_cast<T*>(Place(b.data(), b.size())); }
    size_t Capacity() const { return m_capacity; }

private:
    BYTE* m_base = nullptr;
    size_t m_capacity = 0;
};

// The reader and input a fault report names.
void SetCurrent(const char* reader, long index);
const char* CurrentReader();
long CurrentIndex();

// Counts of this run, printed at its end.
void RecordCount(const char* reader, long inputs, long broken);
void PrintCounts();
bool SlowRun();

// One reader's run: `Each` calls f(rng, index) for every input of the run.
// A broken invariant is reported by Broken (the first few in full), counted
// and fails the test.
class Reader {
public:
    Reader(const char* name, long defaultCount, long slowCount);
    ~Reader();
    template <class F>
    void Each(F f)
    {
        for (long i = m_first; i < m_first + m_count; ++i) {
            SetCurrent(m_name, i);
            Rng rng(m_name, (uint64_t)i);
            f(rng, i);
            ++m_done;
            if (::testing::Test::HasFatalFailure()) break;
        }
        SetCurrent("", -1);
    }
    void Broken(long index, const std::string& what);
    bool Check(bool ok, long index, const std::string& what)
    {
        if (!ok) Broken(index, what);
        return ok;
    }
    long Count() const { return m_count; }
    const char* Name() const { return m_name; }

private:
    const char* m_name;
    long m_first = 0, m_count = 0, m_done = 0, m_broken = 0;
};

// A file of tests/data/fuzz.
Bytes FuzzInput(const char* name);
uint32_t Le32(const Bytes& b, size_t at);
uint16_t Le16(const Bytes& b, size_t at);
void PutLe32(Bytes& b, size_t at, uint32_t v);
std::string Hex(const void* p, size_t n);

}  // namespace robust
