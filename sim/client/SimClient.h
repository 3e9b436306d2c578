// Client of the simulated driver's control device, used by the set-up tool
// and by the tests.  Every call is one METHOD_BUFFERED request; failures
// return false and leave the reason in LastError().
#pragma once

#include <windows.h>
#include <string>
#include <vector>
#include "sim/common/SimProtocol.h"

namespace kqsim {

// NetCfgInstanceId of the adapter that sim/install-standins.sh installs.
const char kDefaultAdapterGuid[] = "{5A1E7C3D-2B4F-4E61-9D8C-0F1E2D3C4B5A}";

struct LogEntry {
    DWORD seq = 0;
    DWORD timeMs = 0;
    int kind = 0;                 // KQSIM_LOG_*
    int adapter = -1;             // slot; -1 for markers
    std::string guid;             // adapter's NetCfgInstanceId (when known)
    DWORD oid = 0;                // as received
    DWORD bufLen = 0;
    LONG status = 0;              // NTSTATUS
    DWORD bytesReturned = 0;
    DWORD inputLen = 0;
    std::vector<BYTE> data;       // set data / answer (bounded) or marker text bytes
    std::string text;             // markers

    bool IsRequest() const { return kind == KQSIM_LOG_QUERY || kind == KQSIM_LOG_SET; }
    bool IsSupplicantCall() const { return kind == KQSIM_LOG_SUPPLICANT; }
    bool Succeeded() const { return status >= 0; }
    DWORD BaseOid() const { return oid & ~0x00800000u; }
};

struct AdapterState : KQSIM_ADAPTER_STATE {
    std::string Guid() const { return config.guid; }
};

class SimClient {
public:
    SimClient();
    ~SimClient();
    SimClient(const SimClient&) = delete;
    SimClient& operator=(const SimClient&) = delete;

    // Opens the control device, retrying for up to waitMs (the driver may be starting).
    bool Open(DWORD waitMs = 0);
    void Close();
    bool IsOpen() const { return m_h != INVALID_HANDLE_VALUE; }
    DWORD LastError() const { return m_lastError; }

    // Adapters
    bool AddAdapter(const KQSIM_ADAPTER_CONFIG& cfg);
    bool RemoveAdapter(const std::string& guid);
    bool Vanish(const std::string& guid);          // device and link deleted
    bool Return(const std::string& guid);          // recreated
    bool ResetAdapter(const std::string& guid);    // state, answers, faults back to the configuration
    bool ListAdapters(std::vector<AdapterState>& out);
    bool GetAdapter(const std::string& guid, AdapterState& out);
    bool SetParam(const std::string& guid, unsigned id, long long value);
    // The access point the adapter is joined to (false when none, or its own IBSS).
    bool JoinedNetwork(const std::string& guid, KQSIM_NETWORK& out);
    bool SetAuthorized(const std::string& guid, bool authorized) {
        return SetParam(guid, KQSIM_PARAM_AUTHORIZED, authorized ? 1 : 0);
    }

    // The air
    bool ClearNetworks();
    bool PutNetwork(const KQSIM_NETWORK& net);      // add or replace (same BSSID)
    bool RemoveNetwork(const BYTE bssid[6]);
    bool GetNetworks(std::vector<KQSIM_NETWORK>& out);
    bool LoadNetworks(const std::vector<KQSIM_NETWORK>& nets);  // clear, then put each
    bool SetNetworkRssi(const BYTE bssid[6], int rssi);
    bool SetNetworkVisible(const BYTE bssid[6], bool visible);
    bool SetNetworkChannel(const BYTE bssid[6], unsigned channel);

    // OID answers and faults (oid in either form)
    bool SetOidAnswer(const std::string& guid, DWORD oid, const void* data, DWORD len);
    bool SetOidStatus(const std::string& guid, DWORD oid, LONG status); // every request fails
    bool ClearOidAnswer(const std::string& guid, DWORD oid);
    bool FailNext(const std::string& guid, DWORD oid, unsigned count,
                  unsigned kinds = KQSIM_KIND_QUERY | KQSIM_KIND_SET, LONG status = 0);
    bool FailAlways(const std::string& guid, DWORD oid,
                    unsigned kinds = KQSIM_KIND_QUERY | KQSIM_KIND_SET, LONG status = 0) {
        return FailNext(guid, oid, KQSIM_FAULT_ALWAYS, kinds, status);
    }
    bool ClearFaults(const std::string& guid);

    // WPS
    bool PressWpsButton(const std::string& guid);
    bool SetWps(const KQSIM_WPS_CONFIG& cfg);

    // Request log
    bool ReadLog(std::vector<LogEntry>& out, DWORD fromSeq = 0);
    bool ClearLog();
    bool AddMarker(const std::string& text);
    // A call of the supplicant stand-in (slot -1: no adapter).
    bool LogSupplicantCall(int slot, int status, const std::string& text);
    // Sequence number the next entry will get (a cheap "mark" for tests).
    bool NextSeq(DWORD& seq);

private:
    bool Call(DWORD code, const void* in, DWORD inLen, void* out = nullptr, DWORD outLen = 0,
              DWORD* returned = nullptr);
    bool Ref(DWORD code, const std::string& guid, unsigned value = 0);
    bool ModifyNetwork(const BYTE bssid[6], void (*change)(KQSIM_NETWORK&, long long), long long v);

    HANDLE m_h;
    DWORD m_lastError;
};

// Helpers
KQSIM_ADAPTER_CONFIG DefaultAdapterConfig(const std::string& guid);
KQSIM_NETWORK MakeNetwork(const std::string& ssid, const std::string& bssid, unsigned channel,
                          int rssi, unsigned security);
bool ParseMac(const std::string& text, BYTE mac[6]);
std::string FormatMac(const BYTE mac[6]);
const char* SecurityName(unsigned security);      // scenario keyword
bool SecurityFromName(const std::string& name, unsigned& security);
std::string LogKindName(int kind);
std::string DescribeLogEntry(const LogEntry& e); // one line, for people

// Scenario files: one network per line, "key=value" pairs, '#' comments.
//   network ssid="Home" bssid=00:11:22:33:44:55 channel=6 rssi=-50 security=wpa2-psk psk="secret12"
// A malformed line fails the whole file; error = "file:line: reason".
bool ParseScenarioText(const std::string& text, const std::string& fileName,
                       std::vector<KQSIM_NETWORK>& out, std::string& error);
bool LoadScenarioFile(const std::string& path, std::vector<KQSIM_NETWORK>& out, std::string& error);
std::string FormatNetworkLine(const KQSIM_NETWORK& net); // a scenario line for the network

}  // namespace kqsim
