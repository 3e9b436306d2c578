// WPA passphrase to pre-shared key: PBKDF2 with HMAC-SHA-1, the SSID as salt,
// 4096 iterations (IEEE 802.11i). SHA-1 is written here rather than taken
// from a library so that the program carries no crypto dependency.
#pragma once

#include <windows.h>

struct Sha1Context {
    DWORD state[5];
    DWORD count[2];   // message length in bits, low word first
    BYTE  buffer[64];
};

void Sha1Init(Sha1Context* ctx);
void Sha1Update(Sha1Context* ctx, const BYTE* data, UINT len);
void Sha1Final(BYTE digest[20], Sha1Context* ctx);
void Sha1Transform(DWORD state[5], const BYTE block[64]);

void HmacSha1(const BYTE* text, int textLen, const BYTE* key, int keyLen, BYTE digest[20]);

// One 20-byte PBKDF2 block; blockIndex counts from 1.
void Pbkdf2Block(const char* passphrase, const BYTE* ssid, int ssidLen,
                 int iterations, int blockIndex, BYTE out[20]);

// FALSE, with out untouched, for a passphrase over 63 characters or an SSID
// over 32 bytes. Otherwise blocks 1 and 2 go to out[0..39]; the key is the
// first 32 bytes.
BOOL PasswordHash(const char* passphrase, const BYTE* ssid, int ssidLen, BYTE out[40]);
