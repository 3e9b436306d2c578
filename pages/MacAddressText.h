// A MAC address as the pages show it: six upper-case hex pairs joined by "-".
#pragma once

#include <windows.h>

#include "classlib/CString.h"

// "%02X-%02X-%02X-%02X-%02X-%02X".
CString FormatMacAddress(const BYTE mac[6]);

// Removes every "-" and decodes the first 12 hex digits into mac (zeroed
// first); decoding stops at a character that is not a hex digit.  TRUE when
// all six bytes were decoded.
BOOL ParseMacAddressString(const CString& text, BYTE mac[6]);
