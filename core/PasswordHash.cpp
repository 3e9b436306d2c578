#include "core/PasswordHash.h"

#include <cstring>
#include <vector>

namespace {

inline DWORD Rol(DWORD v, int n) { return (v << n) | (v >> (32 - n)); }

const int kPbkdf2Iterations = 4096;
const int kMaxPassphrase = 63;
const int kMaxSsid = 32;

} // namespace

void Sha1Transform(DWORD state[5], const BYTE block[64])
{
    DWORD w[80];
    for (int i = 0; i < 16; ++i)
        w[i] = ((DWORD)block[4 * i] << 24) | ((DWORD)block[4 * i + 1] << 16) |
               ((DWORD)block[4 * i + 2] << 8) | (DWORD)block[4 * i + 3];
    for (int i = 16; i < 80; ++i)
        w[i] = Rol(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);

    DWORD a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    for (int i = 0; i < 80; ++i) {
        DWORD f, k;
        if (i < 20)      { f = (b & c) | (~b & d);          k = 0x5A827999; }
        else if (i < 40) { f = b ^ c ^ d;                   k = 0x6ED9EBA1; }
        else if (i < 60) { f = (b & c) | (b & d) | (c & d); k = 0x8F1BBCDC; }
        else             { f = b ^ c ^ d;                   k = 0xCA62C1D6; }
        DWORD t = Rol(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = Rol(b, 30);
        b = a;
        a = t;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
}

void Sha1Init(Sha1Context* ctx)
{
    ctx->state[0] = 0x67452301;
    ctx->state[1] = 0xEFCDAB89;
    ctx->state[2] = 0x98BADCFE;
    ctx->state[3] = 0x10325476;
    ctx->state[4] = 0xC3D2E1F0;
    ctx->count[0] = ctx->count[1] = 0;
    memset(ctx->buffer, 0, sizeof(ctx->buffer));
}

void Sha1Update(Sha1Context* ctx, const BYTE* data, UINT len)
{
    for (UINT i = 0; i < len; ++i) {
        UINT used = (ctx->count[0] >> 3) & 63;
        ctx->buffer[used] = data[i];
        ctx->count[0] += 8;
        if (ctx->count[0] < 8)
            ++ctx->count[1];
        if (used == 63)
            Sha1Transform(ctx->state, ctx->buffer);
    }
}

void Sha1Final(BYTE digest[20], Sha1Context* ctx)
{
    BYTE length[8];
    for (int i = 0; i < 4; ++i) {
        length[i]     = (BYTE)(ctx->count[1] >> (24 - 8 * i));
        length[4 + i] = (BYTE)(ctx->count[0] >> (24 - 8 * i));
    }
    static const BYTE one = 0x80, zero = 0x00;
    Sha1Update(ctx, &one, 1);
    while (((ctx->count[0] >> 3) & 63) != 56)
        Sha1Update(ctx, &zero, 1);
    Sha1Update(ctx, length, 8);
    for (int i = 0; i < 20; ++i)
        digest[i] = (BYTE)(ctx->state[i >> 2] >> (24 - 8 * (i & 3)));
    SecureZeroMemory(ctx, sizeof(*ctx));
}

void HmacSha1(const BYTE* text, int textLen, const BYTE* key, int keyLen, BYTE digest[20])
{
    if (textLen < 0) textLen = 0;
    if (keyLen < 0) keyLen = 0;

    BYTE keyDigest[20];
    if (keyLen > 64) {
        Sha1Context kc;
        Sha1Init(&kc);
        Sha1Update(&kc, key, (UINT)keyLen);
        Sha1Final(keyDigest, &kc);
        key = keyDigest;
        keyLen = 20;
    }

    BYTE ipad[64], opad[64];
    memset(ipad, 0, sizeof(ipad));
    if (keyLen > 0)
        memcpy(ipad, key, (size_t)keyLen);
    memcpy(opad, ipad, sizeof(opad));
    for (int i = 0; i < 64; ++i) {
        ipad[i] ^= 0x36;
        opad[i] ^= 0x5C;
    }

    BYTE inner[20];
    Sha1Context ctx;
    Sha1Init(&ctx);
    Sha1Update(&ctx, ipad, 64);
    Sha1Update(&ctx, text, (UINT)textLen);
    Sha1Final(inner, &ctx);

    Sha1Init(&ctx);
    Sha1Update(&ctx, opad, 64);
    Sha1Update(&ctx, inner, 20);
    Sha1Final(digest, &ctx);

    SecureZeroMemory(ipad, sizeof(ipad));
    SecureZeroMemory(opad, sizeof(opad));
    SecureZeroMemory(keyDigest, sizeof(keyDigest));
}

void Pbkdf2Block(const char* passphrase, const BYTE* ssid, int ssidLen,
                 int iterations, int blockIndex, BYTE out[20])
{
    if (ssidLen < 0 || !ssid) ssidLen = 0;
    const BYTE* key = (const BYTE*)(passphrase ? passphrase : "");
    int keyLen = (int)strlen((const char*)key);

    std::vector<BYTE> msg((size_t)ssidLen + 4);
    if (ssidLen > 0)
        memcpy(msg.data(), ssid, (size_t)ssidLen);
    msg[(size_t)ssidLen]     = (BYTE)((DWORD)blockIndex >> 24);
    msg[(size_t)ssidLen + 1] = (BYTE)((DWORD)blockIndex >> 16);
    msg[(size_t)ssidLen + 2] = (BYTE)((DWORD)blockIndex >> 8);
    msg[(size_t)ssidLen + 3] = (BYTE)blockIndex;

    BYTE u[20];
    HmacSha1(msg.data(), (int)msg.size(), key, keyLen, u);
    memcpy(out, u, 20);
    for (int i = 1; i < iterations; ++i) {
        HmacSha1(u, 20, key, keyLen, u);
        for (int j = 0; j < 20; ++j)
            out[j] ^= u[j];
    }
    SecureZeroMemory(u, sizeof(u));
}

BOOL PasswordHash(const char* passphrase, const BYTE* ssid, int ssidLen, BYTE out[40])
{
    if (!passphrase || !out)
        return FALSE;
    if (strlen(passphrase) > (size_t)kMaxPassphrase)
        return FALSE;
    if (ssidLen < 0 || ssidLen > kMaxSsid || (ssidLen > 0 && !ssid))
        return FALSE;

    Pbkdf2Block(passphrase, ssid, ssidLen, kPbkdf2Iterations, 1, out);
    Pbkdf2Block(passphrase, ssid, ssidLen, kPbkdf2Iterations, 2, out + 20);
    return TRUE;
}
