// The adapter's device, reached directly with DeviceIoControl so that the
// driver's tests do not depend on the product's channel.
#pragma once

#include <windows.h>
#include <cstring>
#include <string>
#include <vector>

#include "core/Oids.h"

class SimDevice {
public:
    explicit SimDevice(const std::string& path)
    {
        m_h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    ~SimDevice() { if (m_h != INVALID_HANDLE_VALUE) CloseHandle(m_h); }
    bool ok() const { return m_h != INVALID_HANDLE_VALUE; }

    bool Raw(const void* in, DWORD inLen, void* out, DWORD outLen, DWORD* returned = nullptr)
    {
        DWORD got = 0;
        BOOL r = DeviceIoControl(m_h, IOCTL_NDIS_QUERY_GLOBAL_STATS, const_cast<void*>(in), inLen, out, outLen,
                                 &got, nullptr);
        if (returned) *returned = got;
        return r != FALSE;
    }
    bool Query(DWORD oid, void* buf, DWORD len, DWORD* returned = nullptr) { return Raw(&oid, 4, buf, len, returned); }
    bool Set(DWORD oid, const void* buf, DWORD len)
    {
        DWORD setOid = oid | OID_VENDOR_SET_FLAG;
        return Raw(&setOid, 4, const_cast<void*>(buf), len);
    }
    DWORD Query32(DWORD oid, DWORD fallback = 0xDEADBEEF)
    {
        DWORD v = 0;
        return Query(oid, &v, 4) ? v : fallback;
    }
    bool Set32(DWORD oid, DWORD v) { return Set(oid, &v, 4); }
    bool SetSsid(const std::string& ssid)
    {
        BYTE rec[36] = {0};
        DWORD n = (DWORD)ssid.size();
        std::memcpy(rec, &n, 4);
        std::memcpy(rec + 4, ssid.data(), n > 32 ? 32 : n);
        return Set(OID_802_11_SSID, rec, 36);
    }
    bool AddWepKey(DWORD index, const std::vector<BYTE>& key, bool transmit)
    {
        std::vector<BYTE> rec(32 + key.size() + 7, 0);
        DWORD hdr[3] = {(DWORD)rec.size(), index | (transmit ? 0x80000000u : 0), (DWORD)key.size()};
        std::memcpy(rec.data(), hdr, 12);
        std::memset(rec.data() + 12, 0xFF, 6);
        std::memcpy(rec.data() + 32, key.data(), key.size());
        return Set(OID_802_11_ADD_KEY, rec.data(), (DWORD)rec.size());
    }
    std::vector<BYTE> Bssid()
    {
        std::vector<BYTE> b(6, 0xEE);
        if (!Query(OID_802_11_BSSID, b.data(), 6)) b.assign(6, 0xEE);
        return b;
    }
    std::vector<BYTE> List()
    {
        std::vector<BYTE> b(65536, 0);
        DWORD got = 0;
        if (!Query(OID_802_11_BSSID_LIST, b.data(), (DWORD)b.size(), &got)) got = 0;
        b.resize(got);
        return b;
    }

private:
    HANDLE m_h;
};
