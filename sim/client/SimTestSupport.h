// Helpers for tests that drive the simulated adapter: an adapter of the
// test's own that is reset on entry and removed on exit, and a guard that
// puts the shared air back the way it was.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "sim/client/SimClient.h"

namespace kqsim {

// "{4B515445-5354-0000-0000-0000000000NN}": adapters owned by tests.
inline std::string TestAdapterGuid(int n)
{
    char buf[48];
    std::snprintf(buf, sizeof(buf), "{4B515445-5354-0000-0000-0000000000%02X}", n & 0xFF);
    return buf;
}

// Saves the networks of the air and loads them again when it goes.
class AirGuard {
public:
    explicit AirGuard(SimClient& c) : m_c(c) { m_ok = c.GetNetworks(m_saved); }
    ~AirGuard() { if (m_ok) m_c.LoadNetworks(m_saved); }
    bool ok() const { return m_ok; }
    const std::vector<KQSIM_NETWORK>& saved() const { return m_saved; }
private:
    SimClient& m_c;
    std::vector<KQSIM_NETWORK> m_saved;
    bool m_ok = false;
};

// An adapter of the driver only (no SetupAPI device): the OID channel
// reaches it at DevicePath().
class TestAdapter {
public:
    TestAdapter(SimClient& c, const KQSIM_ADAPTER_CONFIG& cfg) : m_c(c), m_guid(cfg.guid)
    {
        m_ok = c.AddAdapter(cfg) && c.ResetAdapter(m_guid) && c.Return(m_guid);
    }
    TestAdapter(SimClient& c, int n) : TestAdapter(c, DefaultAdapterConfig(TestAdapterGuid(n))) {}
    ~TestAdapter() { m_c.RemoveAdapter(m_guid); }
    bool ok() const { return m_ok; }
    const std::string& guid() const { return m_guid; }
    std::string DevicePath() const { return "\\\\.\\" + m_guid; }
    int Slot() const
    {
        AdapterState s;
        return m_c.GetAdapter(m_guid, s) ? (int)s.slot : -1;
    }
private:
    SimClient& m_c;
    std::string m_guid;
    bool m_ok = false;
};

// Log entries of one adapter (markers excluded) from a sequence number on.
inline std::vector<LogEntry> AdapterLog(SimClient& c, const std::string& guid, DWORD fromSeq)
{
    std::vector<LogEntry> all, out;
    c.ReadLog(all, fromSeq);
    for (const LogEntry& e : all)
        if (e.kind != KQSIM_LOG_MARKER && _stricmp(e.guid.c_str(), guid.c_str()) == 0) out.push_back(e);
    return out;
}

// One control-device client for a whole test program, opened on first use
// (the driver may still be starting).
inline SimClient& SharedTestClient()
{
    static SimClient c;
    if (!c.IsOpen()) c.Open(5000);
    return c;
}

}  // namespace kqsim
