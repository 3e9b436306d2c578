// Hex text to bytes, as stored WEP keys, WPA-None keys and certificate data are kept.
#pragma once

#include <windows.h>

// 0-15 for 0-9, A-F and a-f; 0xFF for any other character.
BYTE HexDigitValue(char c);

// Decodes up to n bytes from the first 2n characters of text, one byte per
// pair of hex digits.  Decoding stops at the end of the text, at an odd last
// digit or at the first pair that is not two hex digits, so a short or bad
// text never makes bytes out of characters that are not there.  The bytes of
// out that were not decoded are set to 0.  Returns the number of bytes decoded.
int HexStringToBytes(const char* text, BYTE* out, int n);

// TRUE when the first len characters of text are all hex digits (len > 0).
BOOL IsHexString(const char* text, int len);
