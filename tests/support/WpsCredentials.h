// A WPS credential as the driver or the registry hands it over, built for a
// test: SSID and key cut to their fields, the rest zero.
#pragma once

#include <cstring>
#include <string>

#include "core/WpsRuntime.h"

namespace kqtest {

inline WpsCredential MakeWpsCredential(const std::string& ssid, DWORD auth, DWORD encr, DWORD keyIndex,
                                       const std::string& key, const BYTE mac[6])
{
    WpsCredential c;
    std::memset(&c, 0, sizeof(c));
    c.ssid.SsidLength = (ULONG)ssid.size();
    std::memcpy(c.ssid.Ssid, ssid.data(), ssid.size() > 32 ? 32 : ssid.size());
    c.AuthType = auth;
    c.EncrType = encr;
    c.KeyIndex = keyIndex;
    c.KeyLength = (DWORD)key.size();
    std::memcpy(c.Key, key.data(), key.size() > 64 ? 64 : key.size());
    std::memcpy(c.MacAddress, mac, 6);
    return c;
}

}  // namespace kqtest
