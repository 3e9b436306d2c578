// Builds the driver's 64 KB scan list (NDIS_802_11_BSSID_LIST_EX) entry by
// entry, as the connection engine keeps it, for tests that need a list in a
// shape the simulated air would never send.
#pragma once

#include <windows.h>
#include <ntddndis.h>

#include <cstring>
#include <string>
#include <vector>

#include "ieformat/BssEntry.h"
#include "core/ConnectEngine.h"

struct Network {
    std::string ssid;
    LONG rssi = -50;
    DWORD freqKHz = 2437000;                  // channel 6
    ULONG privacy = 0;
    ULONG band = Ndis802_11OFDM24;
    ULONG mode = Ndis802_11Infrastructure;
    Bytes elements;                           // after the SSID element
    BYTE lastMacByte = 0;
    ULONG ssidLength = ~0u;                   // ~0: the SSID's own length
};

inline Bytes MakeNetworkEntry(const Network& n)
{
    Bytes ssidElement = Element(0, Bytes(n.ssid.begin(), n.ssid.begin() + std::min<size_t>(n.ssid.size(), 32)));
    EntryOptions o;
    o.infrastructure = n.mode;
    Bytes e = MakeEntry(FrameBody(Concat({ ssidElement, n.elements })), o);
    auto* p = (NDIS_WLAN_BSSID_EX*)e.data();
    BYTE mac[6] = { 0x00, 0x1C, 0xA1, 0x00, 0x00, n.lastMacByte };
    memcpy(p->MacAddress, mac, 6);
    size_t copy = std::min<size_t>(n.ssid.size(), 32);
    memcpy(p->Ssid.Ssid, n.ssid.data(), copy);
    p->Ssid.SsidLength = n.ssidLength == ~0u ? (ULONG)copy : n.ssidLength;
    p->Privacy = n.privacy;
    p->Rssi = n.rssi;
    p->NetworkTypeInUse = (NDIS_802_11_NETWORK_TYPE)n.band;
    p->Configuration.Length = sizeof(p->Configuration);
    p->Configuration.DSConfig = n.freqKHz;
    return e;
}

// A zero-filled 64 KB list; Add appends entries while they fit.
class ScanList {
public:
    ScanList() : m_bytes(BSSID_LIST_BUFFER_SIZE, 0) {}

    bool AddRaw(const Bytes& entry)
    {
        if (m_offset + entry.size() > m_bytes.size()) return false;
        memcpy(&m_bytes[m_offset], entry.data(), entry.size());
        m_offset += entry.size();
        List()->NumberOfItems += 1;
        return true;
    }
    bool Add(const Network& n) { return AddRaw(MakeNetworkEntry(n)); }

    BssidListBuffer* List() { return (BssidListBuffer*)m_bytes.data(); }
    BYTE* Bytes_() { return m_bytes.data(); }
    size_t Used() const { return m_offset; }

private:
    std::vector<BYTE> m_bytes;
    size_t m_offset = offsetof(NDIS_802_11_BSSID_LIST_EX, Bssid);
};

// Elements that mark what a column shows.
inline Bytes RsnPskAes()
{
    return Element(48, { 1, 0, 0x00, 0x0F, 0xAC, 4, 1, 0, 0x00, 0x0F, 0xAC, 4, 1, 0, 0x00, 0x0F, 0xAC, 2 });
}
inline Bytes WpsElement()
{
    return Element(221, { 0x00, 0x50, 0xF2, 0x04, 0x10, 0x4A, 0x00, 0x01, 0x10, 0x10, 0x44, 0x00, 0x01, 0x02 });
}
inline Bytes HtInformation()
{
    Bytes body(22, 0);
    body[0] = 6;
    return Element(61, body);
}
