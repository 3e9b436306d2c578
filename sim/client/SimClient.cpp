#include "sim/client/SimClient.h"

#include <cstdio>
#include <cstring>
#include <map>

#include "sim/common/OidNames.h"

namespace kqsim {

namespace {

void CopyGuid(char* dst, const std::string& guid)
{
    std::memset(dst, 0, KQSIM_GUID_CHARS);
    std::strncpy(dst, guid.c_str(), KQSIM_GUID_CHARS - 1);
}

const DWORD kBigBuffer = 65536;

}  // namespace

SimClient::SimClient() : m_h(INVALID_HANDLE_VALUE), m_lastError(0) {}

SimClient::~SimClient() { Close(); }

bool SimClient::Open(DWORD waitMs)
{
    Close();
    DWORD start = GetTickCount();
    for (;;) {
        m_h = CreateFileA(KQSIM_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, 0, nullptr);
        if (m_h != INVALID_HANDLE_VALUE) return true;
        m_lastError = GetLastError();
        if (GetTickCount() - start >= waitMs) return false;
        Sleep(50);
    }
}

void SimClient::Close()
{
    if (m_h != INVALID_HANDLE_VALUE) CloseHandle(m_h);
    m_h = INVALID_HANDLE_VALUE;
}

bool SimClient::Call(DWORD code, const void* in, DWORD inLen, void* out, DWORD outLen, DWORD* returned)
{
    DWORD got = 0;
    if (!IsOpen() && !Open()) return false;
    if (!DeviceIoControl(m_h, code, const_cast<void*>(in), inLen, out, outLen, &got, nullptr)) {
        m_lastError = GetLastError();
        return false;
    }
    if (returned) *returned = got;
    m_lastError = 0;
    return true;
}

bool SimClient::Ref(DWORD code, const std::string& guid, unsigned value)
{
    KQSIM_ADAPTER_REF r{};
    CopyGuid(r.guid, guid);
    r.value = value;
    return Call(code, &r, sizeof(r));
}

bool SimClient::AddAdapter(const KQSIM_ADAPTER_CONFIG& cfg) { return Call(KQSIM_IOCTL_ADD_ADAPTER, &cfg, sizeof(cfg)); }
bool SimClient::RemoveAdapter(const std::string& guid) { return Ref(KQSIM_IOCTL_REMOVE_ADAPTER, guid); }
bool SimClient::Vanish(const std::string& guid) { return Ref(KQSIM_IOCTL_SET_PRESENT, guid, 0); }
bool SimClient::Return(const std::string& guid) { return Ref(KQSIM_IOCTL_SET_PRESENT, guid, 1); }
bool SimClient::ResetAdapter(const std::string& guid) { return Ref(KQSIM_IOCTL_RESET_ADAPTER, guid); }
bool SimClient::PressWpsButton(const std::string& guid) { return Ref(KQSIM_IOCTL_PRESS_BUTTON, guid); }
bool SimClient::SetWps(const KQSIM_WPS_CONFIG& cfg) { return Call(KQSIM_IOCTL_SET_WPS, &cfg, sizeof(cfg)); }
bool SimClient::ClearNetworks() { return Call(KQSIM_IOCTL_CLEAR_NETWORKS, nullptr, 0); }
bool SimClient::PutNetwork(const KQSIM_NETWORK& net) { return Call(KQSIM_IOCTL_PUT_NETWORK, &net, sizeof(net)); }
bool SimClient::RemoveNetwork(const BYTE bssid[6]) { return Call(KQSIM_IOCTL_REMOVE_NETWORK, bssid, 6); }
bool SimClient::LogSupplicantCall(int slot, int status, const std::string& text)
{
    KQSIM_CALL_RECORD r{};
    r.adapter = slot < 0 ? 0xFFFFu : (unsigned)slot;
    r.status = status;
    std::strncpy(r.text, text.c_str(), sizeof(r.text) - 1);
    return Call(KQSIM_IOCTL_LOG_CALL, &r, sizeof(r));
}

bool SimClient::ClearLog() { return Call(KQSIM_IOCTL_CLEAR_LOG, nullptr, 0); }

bool SimClient::ListAdapters(std::vector<AdapterState>& out)
{
    out.clear();
    std::vector<BYTE> buf(4 + KQSIM_MAX_ADAPTERS * sizeof(KQSIM_ADAPTER_STATE));
    DWORD got = 0;
    if (!Call(KQSIM_IOCTL_LIST_ADAPTERS, nullptr, 0, buf.data(), (DWORD)buf.size(), &got)) return false;
    DWORD count = 0;
    std::memcpy(&count, buf.data(), 4);
    for (DWORD i = 0; i < count && 4 + (i + 1) * sizeof(KQSIM_ADAPTER_STATE) <= got; ++i) {
        AdapterState s;
        std::memcpy(static_cast<KQSIM_ADAPTER_STATE*>(&s), buf.data() + 4 + i * sizeof(KQSIM_ADAPTER_STATE),
                    sizeof(KQSIM_ADAPTER_STATE));
        out.push_back(s);
    }
    return true;
}

bool SimClient::GetAdapter(const std::string& guid, AdapterState& out)
{
    std::vector<AdapterState> all;
    if (!ListAdapters(all)) return false;
    for (const AdapterState& s : all)
        if (_stricmp(s.config.guid, guid.c_str()) == 0) {
            out = s;
            return true;
        }
    m_lastError = ERROR_FILE_NOT_FOUND;
    return false;
}

bool SimClient::JoinedNetwork(const std::string& guid, KQSIM_NETWORK& out)
{
    AdapterState s;
    std::vector<KQSIM_NETWORK> nets;
    if (!GetAdapter(guid, s) || !s.associated || s.network < 0 || !GetNetworks(nets)) return false;
    if ((size_t)s.network >= nets.size()) return false;
    out = nets[s.network];
    return true;
}

bool SimClient::SetParam(const std::string& guid, unsigned id, long long value)
{
    KQSIM_PARAM_REQUEST r{};
    CopyGuid(r.guid, guid);
    r.id = id;
    r.value = value;
    return Call(KQSIM_IOCTL_SET_PARAM, &r, sizeof(r));
}

bool SimClient::GetNetworks(std::vector<KQSIM_NETWORK>& out)
{
    out.clear();
    std::vector<BYTE> buf(kBigBuffer);
    for (;;) {
        DWORD first = (DWORD)out.size(), got = 0, total = 0;
        std::memcpy(buf.data(), &first, 4);
        if (!Call(KQSIM_IOCTL_GET_NETWORKS, buf.data(), 4, buf.data(), (DWORD)buf.size(), &got)) return false;
        std::memcpy(&total, buf.data(), 4);
        DWORD n = (got - 4) / sizeof(KQSIM_NETWORK);
        for (DWORD i = 0; i < n; ++i) {
            KQSIM_NETWORK net;
            std::memcpy(&net, buf.data() + 4 + i * sizeof(net), sizeof(net));
            out.push_back(net);
        }
        if (n == 0 || out.size() >= total) return true;
    }
}

bool SimClient::LoadNetworks(const std::vector<KQSIM_NETWORK>& nets)
{
    if (!ClearNetworks()) return false;
    for (const KQSIM_NETWORK& n : nets)
        if (!PutNetwork(n)) return false;
    return true;
}

bool SimClient::ModifyNetwork(const BYTE bssid[6], void (*change)(KQSIM_NETWORK&, long long), long long v)
{
    std::vector<KQSIM_NETWORK> all;
    if (!GetNetworks(all)) return false;
    for (KQSIM_NETWORK& n : all)
        if (std::memcmp(n.bssid, bssid, 6) == 0) {
            change(n, v);
            return PutNetwork(n);
        }
    m_lastError = ERROR_NOT_FOUND;
    return false;
}

bool SimClient::SetNetworkRssi(const BYTE bssid[6], int rssi)
{
    return ModifyNetwork(bssid, [](KQSIM_NETWORK& n, long long v) { n.rssi = (int)v; }, rssi);
}

bool SimClient::SetNetworkVisible(const BYTE bssid[6], bool visible)
{
    return ModifyNetwork(bssid, [](KQSIM_NETWORK& n, long long v) {
        n.flags = v ? (n.flags | KQSIM_NET_VISIBLE) : (n.flags & ~KQSIM_NET_VISIBLE);
    }, visible ? 1 : 0);
}

bool SimClient::SetNetworkChannel(const BYTE bssid[6], unsigned channel)
{
    return ModifyNetwork(bssid, [](KQSIM_NETWORK& n, long long v) { n.channel = (unsigned)v; n.freqKHz = 0; },
                         channel);
}

bool SimClient::SetOidAnswer(const std::string& guid, DWORD oid, const void* data, DWORD len)
{
    std::vector<BYTE> buf(sizeof(KQSIM_ANSWER_REQUEST) + len);
    KQSIM_ANSWER_REQUEST r{};
    CopyGuid(r.guid, guid);
    r.oid = oid;
    r.mode = 1;
    r.length = len;
    std::memcpy(buf.data(), &r, sizeof(r));
    if (len) std::memcpy(buf.data() + sizeof(r), data, len);
    return Call(KQSIM_IOCTL_SET_ANSWER, buf.data(), (DWORD)buf.size());
}

bool SimClient::SetOidStatus(const std::string& guid, DWORD oid, LONG status)
{
    KQSIM_ANSWER_REQUEST r{};
    CopyGuid(r.guid, guid);
    r.oid = oid;
    r.mode = 1;
    r.status = status ? status : (LONG)0xC0000001;
    return Call(KQSIM_IOCTL_SET_ANSWER, &r, sizeof(r));
}

bool SimClient::ClearOidAnswer(const std::string& guid, DWORD oid)
{
    KQSIM_ANSWER_REQUEST r{};
    CopyGuid(r.guid, guid);
    r.oid = oid;
    return Call(KQSIM_IOCTL_SET_ANSWER, &r, sizeof(r));
}

bool SimClient::FailNext(const std::string& guid, DWORD oid, unsigned count, unsigned kinds, LONG status)
{
    KQSIM_FAULT_REQUEST r{};
    CopyGuid(r.guid, guid);
    r.oid = oid;
    r.kinds = kinds;
    r.count = count;
    r.status = status;
    return Call(KQSIM_IOCTL_SET_FAULT, &r, sizeof(r));
}

bool SimClient::ClearFaults(const std::string& guid) { return FailNext(guid, 0, 0, 0, 0); }

bool SimClient::AddMarker(const std::string& text)
{
    std::string t = text.substr(0, KQSIM_LOG_DATA - 1);
    return Call(KQSIM_IOCTL_ADD_MARKER, t.c_str(), (DWORD)t.size() + 1);
}

bool SimClient::NextSeq(DWORD& seq)
{
    KQSIM_LOG_HEADER h{};
    DWORD from = 0xFFFFFFFF;
    if (!Call(KQSIM_IOCTL_READ_LOG, &from, 4, &h, sizeof(h))) return false;
    seq = h.nextSeq;
    return true;
}

bool SimClient::ReadLog(std::vector<LogEntry>& out, DWORD fromSeq)
{
    out.clear();
    std::map<int, std::string> guids;
    std::vector<AdapterState> adapters;
    if (ListAdapters(adapters))
        for (const AdapterState& a : adapters) guids[(int)a.slot] = a.config.guid;

    std::vector<BYTE> buf(kBigBuffer);
    DWORD seq = fromSeq;
    for (;;) {
        DWORD got = 0;
        std::memcpy(buf.data(), &seq, 4);
        if (!Call(KQSIM_IOCTL_READ_LOG, buf.data(), 4, buf.data(), (DWORD)buf.size(), &got)) return false;
        KQSIM_LOG_HEADER h;
        std::memcpy(&h, buf.data(), sizeof(h));
        for (DWORD i = 0; i < h.count; ++i) {
            KQSIM_LOG_ENTRY e;
            std::memcpy(&e, buf.data() + sizeof(h) + i * sizeof(e), sizeof(e));
            LogEntry le;
            le.seq = e.seq;
            le.timeMs = e.timeMs;
            le.kind = e.kind;
            le.adapter = e.adapter == 0xFFFF ? -1 : e.adapter;
            if (guids.count(le.adapter)) le.guid = guids[le.adapter];
            le.oid = e.oid;
            le.bufLen = e.bufLen;
            le.status = e.status;
            le.bytesReturned = e.bytesReturned;
            le.inputLen = e.inputLen;
            DWORD n = e.dataLen > KQSIM_LOG_DATA ? KQSIM_LOG_DATA : e.dataLen;
            le.data.assign(e.data, e.data + n);
            if (e.kind == KQSIM_LOG_MARKER || e.kind == KQSIM_LOG_SUPPLICANT) {
                DWORD len = 0;
                while (len < n && e.data[len]) ++len;
                le.text.assign((const char*)e.data, len);
            }
            out.push_back(le);
            seq = e.seq + 1;
        }
        if (h.count == 0 || seq >= h.nextSeq) return true;
    }
}

// ---- helpers -------------------------------------------------------------

KQSIM_ADAPTER_CONFIG DefaultAdapterConfig(const std::string& guid)
{
    KQSIM_ADAPTER_CONFIG c{};
    CopyGuid(c.guid, guid);
    static const BYTE mac[6] = {0x00, 0x0C, 0x43, 0x28, 0x60, 0x01};
    std::memcpy(c.mac, mac, 6);
    c.driverVersion = 0x0501;
    c.model = 7;
    c.radioOn = 1;
    c.rfOn = 1;
    c.dualBand = 1;
    c.eepromWord36 = 0x0000;
    c.eepromVersion = 0x0102;
    c.firmwareVersion = 0x0203;
    c.countryRegion = 0x0500;   // 2.4 GHz region 0, 5 GHz region 5
    c.wirelessMode = 5;
    std::strcpy(c.hardwareId, "PCI\\VEN_1814&DEV_0601");
    std::strcpy(c.description, "Tolvane Wireless LAN Adapter");
    return c;
}

KQSIM_NETWORK MakeNetwork(const std::string& ssid, const std::string& bssid, unsigned channel, int rssi,
                          unsigned security)
{
    KQSIM_NETWORK n{};
    n.ssidLen = (unsigned char)(ssid.size() > 32 ? 32 : ssid.size());
    std::memcpy(n.ssid, ssid.data(), n.ssidLen);
    ParseMac(bssid, n.bssid);
    n.channel = channel;
    n.rssi = rssi;
    n.infraMode = 1;
    n.networkType = 0xFFFFFFFF;
    n.beaconInterval = 100;
    n.security = security;
    n.flags = KQSIM_NET_VISIBLE;
    n.ipAddress = 0x6401A8C0;   // 192.168.1.100
    n.noise = -92;
    static const BYTE bg[12] = {0x82, 0x84, 0x8B, 0x96, 0x0C, 0x12, 0x18, 0x24, 0x30, 0x48, 0x60, 0x6C};
    static const BYTE a[8] = {0x8C, 0x12, 0x98, 0x24, 0xB0, 0x48, 0x60, 0x6C};
    if (channel > 14) {
        n.rateCount = 8;
        std::memcpy(n.rates, a, 8);
    } else {
        n.rateCount = 12;
        std::memcpy(n.rates, bg, 12);
    }
    for (int i = 0; i < 16; ++i) n.wpsUuid[i] = (BYTE)(n.bssid[i % 6] ^ (i * 17));
    return n;
}

bool ParseMac(const std::string& text, BYTE mac[6])
{
    unsigned v[6];
    char tail;
    if (text.size() != 17) return false;
    if (std::sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &tail) != 6 &&
        std::sscanf(text.c_str(), "%2x-%2x-%2x-%2x-%2x-%2x%c", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &tail) != 6)
        return false;
    for (int i = 0; i < 6; ++i) {
        const char* p = text.c_str() + i * 3;
        if (!isxdigit((unsigned char)p[0]) || !isxdigit((unsigned char)p[1])) return false;
        mac[i] = (BYTE)v[i];
    }
    return true;
}

std::string FormatMac(const BYTE mac[6])
{
    char buf[24];
    std::snprintf(buf, sizeof(buf), "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return buf;
}

namespace {

const struct { unsigned security; const char* name; } kSecurityNames[] = {
    {KQSIM_SEC_OPEN, "open"},
    {KQSIM_SEC_WEP, "wep"},
    {KQSIM_SEC_WEP_SHARED, "wep-shared"},
    {KQSIM_SEC_WPA_PSK, "wpa-psk"},
    {KQSIM_SEC_WPA2_PSK, "wpa2-psk"},
    {KQSIM_SEC_WPA_WPA2_PSK, "wpa-wpa2-psk"},
    {KQSIM_SEC_WPA_1X, "wpa-1x"},
    {KQSIM_SEC_WPA2_1X, "wpa2-1x"},
    {KQSIM_SEC_WPA_WPA2_1X, "wpa-wpa2-1x"},
    {KQSIM_SEC_WEP_1X, "wep-1x"},
};

}  // namespace

const char* SecurityName(unsigned security)
{
    for (const auto& s : kSecurityNames)
        if (s.security == security) return s.name;
    return "?";
}

bool SecurityFromName(const std::string& name, unsigned& security)
{
    for (const auto& s : kSecurityNames)
        if (_stricmp(s.name, name.c_str()) == 0) {
            security = s.security;
            return true;
        }
    return false;
}

std::string LogKindName(int kind)
{
    switch (kind) {
    case KQSIM_LOG_CREATE: return "CREATE";
    case KQSIM_LOG_CLOSE: return "CLOSE";
    case KQSIM_LOG_QUERY: return "QUERY";
    case KQSIM_LOG_SET: return "SET";
    case KQSIM_LOG_MARKER: return "MARK";
    case KQSIM_LOG_VANISH: return "VANISH";
    case KQSIM_LOG_RETURN: return "RETURN";
    case KQSIM_LOG_OTHER: return "OTHER";
    case KQSIM_LOG_SUPPLICANT: return "AC";
    }
    return "?";
}

std::string DescribeLogEntry(const LogEntry& e)
{
    char head[160];
    std::snprintf(head, sizeof(head), "%6lu %8lums %-6s", (unsigned long)e.seq, (unsigned long)e.timeMs,
                  LogKindName(e.kind).c_str());
    std::string s = head;
    if (e.kind == KQSIM_LOG_MARKER) return s + " " + e.text;
    if (e.adapter >= 0) s += " #" + std::to_string(e.adapter);
    if (e.kind == KQSIM_LOG_SUPPLICANT) return s + " " + e.text + " -> " + std::to_string((long)e.status);
    if (!e.IsRequest() && e.kind != KQSIM_LOG_OTHER) return s;
    const char* name = nullptr;
    for (const auto& n : kSimOidNames)
        if (n.oid == e.BaseOid()) name = n.name;
    char body[200];
    std::snprintf(body, sizeof(body), " 0x%08lX %s len=%lu status=0x%08lX returned=%lu", (unsigned long)e.oid,
                  name ? name : "(unknown)", (unsigned long)e.bufLen, (unsigned long)e.status,
                  (unsigned long)e.bytesReturned);
    s += body;
    if (e.kind == KQSIM_LOG_SET && !e.data.empty()) {
        s += " data=";
        for (size_t i = 0; i < e.data.size() && i < 48; ++i) {
            char hx[4];
            std::snprintf(hx, sizeof(hx), "%02X", e.data[i]);
            s += hx;
        }
        if (e.data.size() > 48) s += "...";
    }
    return s;
}

}  // namespace kqsim
