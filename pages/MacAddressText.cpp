#include "pages/MacAddressText.h"

#include "core/HexUtil.h"

CString FormatMacAddress(const BYTE mac[6])
{
    CString s;
    s.Format("%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return s;
}

BOOL ParseMacAddressString(const CString& text, BYTE mac[6])
{
    CString digits = text;
    digits.Replace("-", "");
    return HexStringToBytes(digits, mac, 6) == 6;
}
