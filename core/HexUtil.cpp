#include "core/HexUtil.h"

BYTE HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') return (BYTE)(c - '0');
    if (c >= 'A' && c <= 'F') return (BYTE)(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return (BYTE)(c - 'a' + 10);
    return 0xFF;
}

int HexStringToBytes(const char* text, BYTE* out, int n)
{
    if (!out || n <= 0) return 0;
    int done = 0;
    if (text) {
        while (done < n) {
            char hi = text[2 * done];
            if (hi == '\0') break;
            char lo = text[2 * done + 1];
            if (lo == '\0') break;
            BYTE h = HexDigitValue(hi), l = HexDigitValue(lo);
            if (h == 0xFF || l == 0xFF) break;
            out[done++] = (BYTE)((h << 4) | l);
        }
    }
    for (int i = done; i < n; ++i) out[i] = 0;
    return done;
}

BOOL IsHexString(const char* text, int len)
{
    if (!text || len <= 0) return FALSE;
    for (int i = 0; i < len; ++i)
        if (text[i] == '\0' || HexDigitValue(text[i]) == 0xFF) return FALSE;
    return TRUE;
}
