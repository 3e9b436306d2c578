// A million random and mutated entries, each ending at the last readable
// byte before a no-access page: any read past an entry's Length faults.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "BssEntry.h"
#include "core/BssIeFormatter.h"
#include "support/TestData.h"

namespace {

// What the handler reports when a read faults.
volatile const char* g_currentCase = "";
volatile long g_currentIndex = -1;

LONG CALLBACK OnAccessViolation(EXCEPTION_POINTERS* info)
{
    if (info->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION)
        return EXCEPTION_CONTINUE_SEARCH;
    fprintf(stderr, "FormatBssIeInfo read past the entry at %p (%s, entry %ld)\n",
            (void*)info->ExceptionRecord->ExceptionInformation[1], (const char*)g_currentCase,
            (long)g_currentIndex);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_CONTINUE_SEARCH;
}

class GuardedPage {
public:
    GuardedPage()
    {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        m_size = si.dwPageSize;
        m_base = (BYTE*)VirtualAlloc(nullptr, 2 * m_size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        DWORD old;
        m_ok = m_base && VirtualProtect(m_base + m_size, m_size, PAGE_NOACCESS, &old);
    }
    ~GuardedPage()
    {
        if (m_base)
            VirtualFree(m_base, 0, MEM_RELEASE);
    }
    bool ok() const { return m_ok; }
    size_t size() const { return m_size; }

    // Copies the first n bytes of entry so that they end at the boundary.
    const NDIS_WLAN_BSSID_EX* Place(const Bytes& entry, size_t n)
    {
        BYTE* at = m_base + m_size - n;
        memcpy(at, entry.data(), n);
        return (const NDIS_WLAN_BSSID_EX*)at;
    }

private:
    BYTE* m_base = nullptr;
    size_t m_size = 0;
    bool m_ok = false;
};

const size_t kFieldCount[5] = { 2, 3, 9, 55, 1 };

// Well-formed output whatever the input: the fixed count of non-empty fields.
bool CheckText(const CString& text, int section, std::string* why)
{
    const std::string& s = text.str();
    size_t fields = 1, fieldLen = 0;
    for (char c : s) {
        if (c == ';') {
            if (fieldLen == 0) { *why = "empty field"; return false; }
            ++fields;
            fieldLen = 0;
        } else {
            ++fieldLen;
        }
    }
    if (fieldLen == 0) { *why = "empty field"; return false; }
    if (fields != kFieldCount[section]) { *why = "field count " + std::to_string(fields); return false; }
    if (section == 2) {
        size_t uuidStart = 0;
        for (int i = 0; i < 6; ++i)
            uuidStart = s.find(';', uuidStart) + 1;
        size_t uuidLen = s.find(';', uuidStart) - uuidStart;
        if (uuidLen > 32) { *why = "UUID-E of " + std::to_string(uuidLen); return false; }
    }
    return true;
}

class Fuzz : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_handler = AddVectoredExceptionHandler(1, OnAccessViolation); }
    static void TearDownTestSuite() { RemoveVectoredExceptionHandler(s_handler); }

    // Sets Length and IELength (often wrong), places the entry at the page
    // end and formats it.
    void Run(Bytes entry, long index)
    {
        g_currentIndex = index;
        const size_t bodyLen = entry.size() - kIesAt;
        ULONG length = (ULONG)entry.size();
        ULONG ieLength = (ULONG)bodyLen;
        switch (rng() % 8) {
        case 0: length = rng() % (entry.size() + 1); break;           // shorter than the data
        case 1: ieLength = rng() % 70000; break;                       // anything
        case 2: ieLength = bodyLen + rng() % 300; break;               // a little too long
        case 3: ieLength = rng() % (bodyLen + 1); break;               // cut
        case 4: length = rng() % 140; break;                           // around the header size
        default: break;
        }
        if (length > page.size())
            length = (ULONG)page.size();
        PutUlong(entry, offsetof(NDIS_WLAN_BSSID_EX, Length), length);
        PutUlong(entry, offsetof(NDIS_WLAN_BSSID_EX, IELength), ieLength);
        PutUlong(entry, offsetof(NDIS_WLAN_BSSID_EX, InfrastructureMode), rng() % 3);
        size_t placed = length < 4 ? 4 : length;
        if (entry.size() < placed)
            entry.resize(placed, (BYTE)rng());
        const NDIS_WLAN_BSSID_EX* bss = page.Place(entry, placed);

        int first = (int)(rng() % 5), last = first;
        if (index % 8 == 0) { first = 0; last = 4; }
        for (int s = first; s <= last; ++s) {
            std::string why;
            if (!CheckText(FormatBssIeInfo(bss, s), s, &why))
                ADD_FAILURE() << g_currentCase << " entry " << index << " section " << s << ": " << why;
        }
    }

    Bytes RandomBytes(size_t n)
    {
        Bytes b(n);
        for (BYTE& x : b)
            x = (BYTE)rng();
        return b;
    }

    // Elements the formatter looks into, with lengths near its tests and
    // suite counts and attribute lengths that often lie.
    Bytes InterestingElement()
    {
        static const BYTE lengths[] = { 0, 1, 3, 4, 5, 12, 13, 15, 16, 21, 22, 25, 26, 27, 28, 29, 30, 31, 255 };
        BYTE len = rng() % 3 ? lengths[rng() % sizeof(lengths)] : (BYTE)rng();
        Bytes body = RandomBytes(len);
        auto put16 = [&](size_t at, WORD v, bool big) {
            if (at + 2 <= body.size()) {
                body[at] = (BYTE)(big ? v >> 8 : v);
                body[at + 1] = (BYTE)(big ? v : v >> 8);
            }
        };
        auto lyingCount = [&]() -> WORD { return rng() % 2 ? (WORD)(rng() % 8) : (WORD)rng(); };
        auto setOui = [&](BYTE a, BYTE b, BYTE c, BYTE t) {
            const BYTE v[4] = { a, b, c, t };
            for (size_t i = 0; i < 4 && i < body.size(); ++i)
                body[i] = v[i];
        };
        // Suites that a list walk accepts, so that only a count stops it.
        auto fillSuites = [&](size_t from, BYTE a, BYTE b, BYTE c) {
            if (rng() % 2)
                return;
            for (size_t at = from; at + 4 <= body.size(); at += 4) {
                body[at] = a; body[at + 1] = b; body[at + 2] = c; body[at + 3] = (BYTE)(rng() % 5);
            }
        };
        BYTE id;
        switch (rng() % 9) {
        case 0:
            id = 48;
            fillSuites(2, 0x00, 0x0F, 0xAC);
            put16(6, lyingCount(), false);
            if (rng() % 2) put16(8 + 4 * (rng() % 4), lyingCount(), false);
            break;
        case 1:
            id = 221;
            fillSuites(4, 0x00, 0x50, 0xF2);
            setOui(0x00, 0x50, 0xF2, (BYTE)(1 + rng() % 2));
            put16(10, lyingCount(), false);
            if (rng() % 2) put16(12 + 4 * (rng() % 4), lyingCount(), false);
            break;
        case 2:
            id = 221;
            fillSuites(4, 0x00, 0x50, 0xF2);
            setOui(0x00, 0x40, 0x96, (BYTE)(rng() % 4));
            put16(10, lyingCount(), false);
            if (rng() % 2) put16(12 + 4 * (rng() % 4), lyingCount(), false);
            break;
        case 3: {
            id = 221;
            setOui(0x00, 0x50, 0xF2, 4);
            static const WORD types[] = { 0x1008, 0x1053, 0x1012, 0x1041, 0x1044, 0x104A, 0x1057, 0x1047, 0x103C, 0x101A };
            for (size_t a = 4; a + 4 <= body.size();) {
                WORD vlen = rng() % 4 ? (WORD)(rng() % 20) : (WORD)rng();
                put16(a, types[rng() % 10], true);
                put16(a + 2, vlen, true);
                a += 4 + vlen;
            }
            break;
        }
        case 4: id = 221; setOui(0x00, 0x90, 0x4C, (BYTE)(0x33 + rng() % 2)); break;
        case 5: id = 45; break;
        case 6: id = 61; break;
        case 7: { static const BYTE ids[] = { 0, 52, 62, 127, 42, 3 }; id = ids[rng() % 6]; break; }
        default: id = (BYTE)rng(); break;
        }
        return Element(id, body);
    }

    static PVOID s_handler;
    GuardedPage page;
    std::mt19937 rng{ 0 };
};

PVOID Fuzz::s_handler = nullptr;

Bytes Header() { return Bytes(kIesAt, 0); }

Bytes Repeat(const Bytes& suite, int n)
{
    Bytes out;
    for (int i = 0; i < n; ++i)
        out.insert(out.end(), suite.begin(), suite.end());
    return out;
}

// The last element of the entry claims more suites or attribute bytes than
// it holds, and everything up to the boundary looks valid.
TEST_F(Fuzz, CountsThatRunToTheEndOfTheEntry)
{
    ASSERT_TRUE(page.ok());
    g_currentCase = "lying counts";
    const Bytes ieee = { 0x00, 0x0F, 0xAC, 0x04 }, msft = { 0x00, 0x50, 0xF2, 0x02 };
    const Bytes cnt = { 0xFF, 0x7F };
    const Bytes rsnPairwise = Element(48, Concat({ { 1, 0 }, ieee, cnt, Repeat(ieee, 20) }));
    const Bytes rsnAkm = Element(48, Concat({ { 1, 0 }, ieee, { 1, 0 }, ieee, cnt, Repeat(ieee, 20) }));
    const Bytes wpaPairwise = Element(221, Concat({ { 0x00, 0x50, 0xF2, 0x01, 1, 0 }, msft, cnt, Repeat(msft, 20) }));
    const Bytes wpaAkm = Element(221, Concat({ { 0x00, 0x50, 0xF2, 0x01, 1, 0 }, msft, { 1, 0 }, msft, cnt, Repeat(msft, 20) }));
    const Bytes wps = Element(221, Concat({ { 0x00, 0x50, 0xF2, 0x04, 0x10, 0x47, 0x00, 0x10 }, Bytes(8, 0xAB) }));
    const Bytes wpsHeader = Element(221, { 0x00, 0x50, 0xF2, 0x04, 0x10, 0x4A, 0x00, 0x01, 0x10, 0x10, 0x44 });
    const Bytes cases[] = { rsnPairwise, rsnAkm, wpaPairwise, wpaAkm, wps, wpsHeader };
    long index = 0;
    for (const Bytes& last : cases) {
        Bytes body = FrameBody(Concat({ Element(0, { 'x' }), last }));
        // The element as it is, and cut at every byte of its tail.
        for (size_t cut = 0; cut < 12; ++cut) {
            Bytes entry = Concat({ Header(), Bytes(body.begin(), body.end() - (long)cut) });
            for (ULONG ieDelta : { 0ul, 1ul, 4ul, 1000ul }) {
                g_currentIndex = index++;
                PutUlong(entry, offsetof(NDIS_WLAN_BSSID_EX, Length), (ULONG)entry.size());
                PutUlong(entry, offsetof(NDIS_WLAN_BSSID_EX, IELength), (ULONG)(entry.size() - kIesAt + ieDelta));
                PutUlong(entry, offsetof(NDIS_WLAN_BSSID_EX, InfrastructureMode), 1);
                const NDIS_WLAN_BSSID_EX* bss = page.Place(entry, entry.size());
                for (int s = 0; s <= 4; ++s) {
                    std::string why;
                    EXPECT_TRUE(CheckText(FormatBssIeInfo(bss, s), s, &why)) << why;
                }
            }
        }
    }
}

TEST_F(Fuzz, RandomBytes)
{
    ASSERT_TRUE(page.ok());
    rng.seed(20240601);
    g_currentCase = "random bytes";
    for (long i = 0; i < 300000; ++i) {
        Bytes entry = Concat({ Header(), RandomBytes(rng() % 600) });
        Run(entry, i);
    }
}

TEST_F(Fuzz, RandomElements)
{
    ASSERT_TRUE(page.ok());
    rng.seed(7);
    g_currentCase = "random elements";
    for (long i = 0; i < 400000; ++i) {
        Bytes elements;
        int count = 1 + rng() % 12;
        for (int k = 0; k < count; ++k) {
            Bytes e = InterestingElement();
            elements.insert(elements.end(), e.begin(), e.end());
        }
        if (rng() % 4 == 0)   // end inside the last element
            elements.resize(rng() % (elements.size() + 1));
        Run(Concat({ Header(), FrameBody(elements, (WORD)rng()) }), i);
    }
}

TEST_F(Fuzz, MutatedRealBeacons)
{
    ASSERT_TRUE(page.ok());
    ASSERT_TRUE(kqtest::TestDataPresent("beacons"));
    std::string where;
    std::vector<Beacon> beacons = LoadBeacons(&where);
    ASSERT_FALSE(beacons.empty()) << "no beacon bodies in " << where;
    rng.seed(42);
    g_currentCase = "mutated beacons";
    for (long i = 0; i < 400000; ++i) {
        Bytes body = beacons[rng() % beacons.size()].body;
        int mutations = 1 + rng() % 6;
        for (int m = 0; m < mutations && !body.empty(); ++m) {
            size_t at = rng() % body.size();
            switch (rng() % 5) {
            case 0: body[at] = (BYTE)rng(); break;
            case 1: body[at] ^= (BYTE)(1u << (rng() % 8)); break;
            case 2: body[at] = rng() % 2 ? 0xFF : 0x00; break;
            case 3: body.resize(at); break;
            case 4: {
                Bytes e = InterestingElement();
                body.insert(body.begin() + (long)at, e.begin(), e.end());
                break;
            }
            }
        }
        Run(Concat({ Header(), body }), i);
    }
}

} // namespace
