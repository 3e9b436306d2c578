// Builds NDIS_WLAN_BSSID_EX entries byte by byte, as a driver would lay them
// out, and reads the real beacon bodies kept with the test data.
#pragma once

#include <windows.h>
#include <ntddndis.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "classlib/CString.h"

using Bytes = std::vector<BYTE>;

const size_t kIesAt = offsetof(NDIS_WLAN_BSSID_EX, IEs);

inline Bytes Element(BYTE id, const Bytes& body)
{
    Bytes e{ id, (BYTE)body.size() };
    e.insert(e.end(), body.begin(), body.end());
    return e;
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Time stamp, beacon interval and capability, then the elements.
inline Bytes FrameBody(const Bytes& elements, WORD beaconInterval = 100, WORD capability = 0x0411)
{
    Bytes body(12, 0);
    body[8] = (BYTE)beaconInterval;
    body[9] = (BYTE)(beaconInterval >> 8);
    body[10] = (BYTE)capability;
    body[11] = (BYTE)(capability >> 8);
    body.insert(body.end(), elements.begin(), elements.end());
    return body;
}

struct EntryOptions {
    ULONG infrastructure = Ndis802_11Infrastructure;
    long lengthDelta = 0;      // added to 116 + body size for Length
    long ieLengthDelta = 0;    // added to the body size for IELength
};

inline void PutUlong(Bytes& b, size_t at, ULONG v) { memcpy(&b[at], &v, sizeof(v)); }

// An entry holding exactly the body; Length and IELength as the options say.
inline Bytes MakeEntry(const Bytes& body, const EntryOptions& o = EntryOptions())
{
    Bytes e(kIesAt + body.size(), 0);
    std::copy(body.begin(), body.end(), e.begin() + kIesAt);
    PutUlong(e, offsetof(NDIS_WLAN_BSSID_EX, Length), (ULONG)((long)e.size() + o.lengthDelta));
    PutUlong(e, offsetof(NDIS_WLAN_BSSID_EX, InfrastructureMode), o.infrastructure);
    PutUlong(e, offsetof(NDIS_WLAN_BSSID_EX, IELength), (ULONG)((long)body.size() + o.ieLengthDelta));
    return e;
}

inline const NDIS_WLAN_BSSID_EX* AsBss(const Bytes& e) { return (const NDIS_WLAN_BSSID_EX*)e.data(); }

inline Bytes FromHex(const std::string& hex)
{
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back((BYTE)strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
    return out;
}

struct Beacon {
    std::string name;                              // file name without ".txt"
    Bytes body;
    std::map<std::string, std::string> decoded;   // reference dissector's lines
};

// Folder of the real beacons; empty result and a message when it is missing.
std::vector<Beacon> LoadBeacons(std::string* where);
