// The registry's single-value readers on values of every type and size,
// with and without terminators, NULs inside, number texts at and past an
// int: what each returns is what its header promises, and the fixed buffer
// of the text reader (against a no-access page) is never written past.
#include "Robust.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "core/RegistryStore.h"
#include "mainwnd/ScratchAdapterKey.h"

namespace {

using robust::Bytes;

Bytes RandomValue(robust::Rng& rng, DWORD* type)
{
    static const DWORD kTypes[] = { REG_SZ, REG_SZ, REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_DWORD,
                                    REG_BINARY, REG_BINARY, REG_QWORD, REG_NONE };
    *type = rng.Pick(kTypes);
    static const char* const kNumbers[] = { "0", "1", "-1", "+7", " 42", "\t-3x", "12abc", "abc", "", "-", "+",
                                            "2147483647", "2147483648", "-2147483648", "-2147483649",
                                            "99999999999", "-99999999999", "000000000000000000000000000000001",
                                            "1e5", "0x10", "9223372036854775807", "9223372036854775808" };
    Bytes b;
    switch (rng.Below(6)) {
    case 0: {
        std::string s = rng.Pick(kNumbers);
        b.assign(s.begin(), s.end());
        break;
    }
    case 1: {   // a text of an edge length
        static const size_t kLengths[] = { 0, 1, 2, 3, 4, 5, 126, 127, 128, 129, 255, 256, 1000 };
        size_t n = rng.Pick(kLengths);
        bool digits = rng.OneIn(2);
        for (size_t k = 0; k < n; ++k) b.push_back(digits ? (BYTE)('0' + (k + 1 == n ? 1 : 0)) : (BYTE)('a' + rng.Below(26)));
        break;
    }
    default: b = rng.RandomBytes(rng.Below(12)); break;
    }
    if (rng.OneIn(3)) b.push_back(0);                                  // its terminator
    if (rng.OneIn(6) && !b.empty()) b[rng.Below((uint32_t)b.size())] = 0;  // a NUL inside
    return b;
}

bool IsText(DWORD t) { return t == REG_SZ || t == REG_EXPAND_SZ; }

// atoi's reading of a text up to its first NUL, as a long long (clamped to 64 bits).
long long AtoiModel(const std::string& s, bool* overflow)
{
    const char* p = s.c_str();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    long long v = 0;
    *overflow = false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (v > (LLONG_MAX - (*p - '0')) / 10) {
            *overflow = true;
            v = LLONG_MAX;
        } else {
            v = v * 10 + (*p - '0');
        }
    }
    return negative ? -v : v;
}

TEST(Registry, SingleValues)
{
    kqtest::ScratchAdapterKey scratch("KestiqRobustValues");
    HKEY key = OpenAdapterKey(KEY_ALL_ACCESS);
    ASSERT_NE(nullptr, key);
    robust::GuardedArea area;
    robust::Reader reader("registry-values", 1000, 200000);
    reader.Each([&](robust::Rng& rng, long i) {
        DWORD type = 0;
        Bytes data = RandomValue(rng, &type);
        RegSetValueExA(key, "v", 0, type, data.data(), (DWORD)data.size());
        size_t textLength = 0;
        while (textLength < data.size() && data[textLength]) ++textLength;
        std::string text(data.begin(), data.begin() + (long)textLength);

        CString s = "kept";
        BOOL ok = ReadRegText(key, "v", s);
        reader.Check(ok == IsText(type) && (ok ? s == text.c_str() && (size_t)s.GetLength() == textLength : s == "kept"),
                     i, "the text of a value of type " + std::to_string(type));

        DWORD size = 1 + rng.Below(200);
        char* buf = (char*)area.Place(nullptr, size);
        std::memset(buf, 'x', size);
        ok = ReadRegText(key, "v", buf, size);
        bool fits = IsText(type) && textLength <= size - 1;
        reader.Check(ok == fits && (ok ? std::string(buf) == text : buf[0] == 0), i,
                     "a text of " + std::to_string(textLength) + " into a buffer of " + std::to_string(size));

        bool dword = type == REG_DWORD && data.size() == 4;
        DWORD d = 0;
        if (data.size() >= 4) std::memcpy(&d, data.data(), 4);
        bool overflow = false;
        long long v = AtoiModel(text, &overflow);
        int n = -7;
        ok = ReadRegInt(key, "v", &n);
        int loose = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : (int)v;
        reader.Check(ok == (dword || IsText(type)) && (!ok || n == (dword ? (int)d : loose)) && (ok || n == -7), i,
                     "ReadRegInt of \"" + text + "\" gives " + std::to_string(n));
        n = -7;
        ok = ReadRegNumber(key, "v", &n);
        bool strict = IsText(type) && textLength <= 127 && !overflow && v <= INT_MAX && v >= INT_MIN;
        reader.Check(ok == (dword || strict) && (!ok || n == (dword ? (int)d : (int)v)) && (ok || n == -7), i,
                     "ReadRegNumber of \"" + text + "\" (" + std::to_string(textLength) + " characters) gives " +
                         std::to_string(n) + (ok ? "" : " (refused)"));
        DWORD w = 0x5A5A5A5A;
        ok = ReadRegWord(key, "v", &w);
        bool word = (type == REG_DWORD || type == REG_BINARY) && data.size() == 4;
        reader.Check(ok == word && (ok ? w == d : w == 0x5A5A5A5A), i, "ReadRegWord of " + std::to_string(data.size()) + " bytes");
        w = 0x5A5A5A5A;
        ok = ReadRegDword(key, "v", &w);
        DWORD low = 0;
        std::memcpy(&low, data.data(), std::min<size_t>(data.size(), 4));
        // (A text's size is the system's: it may count a terminator it adds.)
        if (!IsText(type) && type != REG_MULTI_SZ)
            reader.Check(ok == (data.size() <= 4) && (ok ? w == low : w == 0x5A5A5A5A), i,
                     "ReadRegDword of " + std::to_string(data.size()) + " bytes of type " + std::to_string(type) + " (" +
                         robust::Hex(data.data(), data.size()) + ")");
    });
    RegCloseKey(key);
}

}  // namespace
