// The controller made on this thread, then turned to an adapter of the
// test's own in the simulated driver and to a scratch adapter key, so that a
// test writes registry values, runs the engine and reads what the driver
// received from its request log.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "auth/SupplicantBinding.h"
#include "core/AdapterDiscovery.h"
#include "core/ApplyConfig.h"
#include "core/ConnectEngine.h"
#include "app/HideDlg.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"
#include "core/ZeroConfig.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "support/Restore.h"

namespace kqengine {

const char kScratchKey[] = "SOFTWARE\\KestiqTests\\EngineAdapter";

// One request as the driver logged it, or as a test expects it.
struct Req {
    int kind;                    // KQSIM_LOG_QUERY or KQSIM_LOG_SET
    DWORD oid;                   // base form
    bool checkData = false;      // compare the data below (sets)
    std::vector<BYTE> data;
};

inline Req Q(DWORD oid) { return Req{ KQSIM_LOG_QUERY, oid }; }
// A set whose data is not compared.
inline Req S(DWORD oid) { return Req{ KQSIM_LOG_SET, oid }; }
inline Req SB(DWORD oid, const void* p, size_t n)
{
    Req r{ KQSIM_LOG_SET, oid, true };
    r.data.assign((const BYTE*)p, (const BYTE*)p + n);
    return r;
}
inline Req SB(DWORD oid, const std::vector<BYTE>& bytes) { return SB(oid, bytes.data(), bytes.size()); }
inline Req S32(DWORD oid, DWORD v) { return SB(oid, &v, sizeof(v)); }
// A set that carries no data (DISASSOCIATE, BSSID_LIST_SCAN).
inline Req S0(DWORD oid) { return Req{ KQSIM_LOG_SET, oid, true }; }

std::string OidName(DWORD oid);
std::string Describe(const Req& r);
std::string Describe(const std::vector<Req>& seq);

// Requests of the log entries (creates, closes and markers left out).
std::vector<Req> RequestsOf(const std::vector<kqsim::LogEntry>& log);
// The same sequence: kinds and OIDs in order, data where expected says so
// (the log keeps the first KQSIM_LOG_DATA bytes; the length is compared whole).
::testing::AssertionResult SameSequence(const std::vector<Req>& expected, const std::vector<Req>& actual);

// NDIS_802_11_KEY as the driver publishes it: Length = key + 39, KeyIndex
// with bit 31 for the transmit key, BSSID all FF, KeyRSC 0, key at 32.
std::vector<BYTE> KeyBlob(DWORD index, bool transmit, const std::vector<BYTE>& key);
std::vector<BYTE> Bytes(std::initializer_list<int> list);
std::vector<BYTE> HexBytes(const char* hex);
NDIS_802_11_SSID Ssid(const std::string& text);

// A value of the scratch adapter key: a text, or raw bytes of a type.
struct RegValue {
    std::string name;
    std::string text;
    DWORD type = REG_SZ;
    std::vector<BYTE> raw;
};
inline RegValue Text(const std::string& name, const std::string& text) { return RegValue{ name, text }; }
inline RegValue Dword(const std::string& name, DWORD v)
{
    RegValue r{ name, "", REG_DWORD };
    r.raw.assign((const BYTE*)&v, (const BYTE*)&v + sizeof(v));
    return r;
}
inline RegValue Raw(const std::string& name, DWORD type, const std::vector<BYTE>& bytes)
{
    return RegValue{ name, "", type, bytes };
}

// The controller made on first use on the installed adapter, its timers
// stopped; destroyed when the program's tests end.
CHideDlg& SharedController();
// Detaches the 802.1X port and shuts the library down when one is open.
void CloseAnyAuthPort();

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sets a global for this test; it is put back in TearDown.
    template <class T, class U>
    void Set(T& global, U value)
    {
        m_restore.push_back(std::make_shared<kqtest::Restore<T>>(global));
        global = (T)value;
    }

    // The adapter of the test, made again with this model (0 legacy, 7 802.11n).
    void UseAdapter(const KQSIM_ADAPTER_CONFIG& cfg);
    const std::string& Guid() const { return m_adapter->guid(); }

    // The scratch adapter key, emptied and filled with these values.
    void WriteAdapterKey(const std::vector<RegValue>& values);
    void PutValue(const RegValue& v, const char* subkey = nullptr);
    std::string ReadValue(const char* name);

    DWORD Mark();
    std::vector<Req> RequestsSince(DWORD from);
    // The requests from the first set on (what the apply sends), and the
    // queries made before it (what SetOidFromReg reads from the driver).
    void SplitAtFirstSet(const std::vector<Req>& all, std::vector<Req>* before, std::vector<Req>* apply);

    // The engine's queue and flags back to idle.
    void ResetEngine();
    // The driver's scan finished (its latency is 1 ms, its clock the driver's).
    bool WaitScanDone(DWORD ms = 20000);
    kqsim::AdapterState State();

    kqsim::SimClient& m_sim = kqsim::SharedTestClient();
    // One controller for the whole program (taking its icon out of the
    // notification area costs the shell two seconds); SetUp puts its state back.
    CHideDlg& m_dlg = SharedController();
    std::unique_ptr<kqsim::TestAdapter> m_adapter;
    std::unique_ptr<kqsim::AirGuard> m_air;
    std::vector<std::shared_ptr<void>> m_restore;   // put back last first
};

}  // namespace kqengine
