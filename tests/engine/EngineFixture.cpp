#include "engine/EngineFixture.h"

#include <cstdio>
#include <map>
#include <sstream>

#include "core/HexUtil.h"
#include "mainwnd/ConfigMainDlg.h"
#include "support/Wait.h"

namespace kqengine {

std::string OidName(DWORD oid)
{
    static const std::map<DWORD, const char*> names = {
        { OID_GEN_MEDIA_CONNECT_STATUS, "MEDIA_CONNECT_STATUS" },
        { OID_GEN_RCV_OK, "RCV_OK" },
        { OID_802_3_CURRENT_ADDRESS, "CURRENT_ADDRESS" },
        { OID_802_11_BSSID, "BSSID" },
        { OID_802_11_SSID, "SSID" },
        { OID_802_11_INFRASTRUCTURE_MODE, "INFRASTRUCTURE_MODE" },
        { OID_802_11_DISASSOCIATE, "DISASSOCIATE" },
        { OID_802_11_AUTHENTICATION_MODE, "AUTHENTICATION_MODE" },
        { OID_802_11_BSSID_LIST_SCAN, "BSSID_LIST_SCAN" },
        { OID_802_11_WEP_STATUS, "WEP_STATUS" },
        { OID_802_11_RELOAD_DEFAULTS, "RELOAD_DEFAULTS" },
        { OID_802_11_ADD_KEY, "ADD_KEY" },
        { OID_802_11_REMOVE_KEY, "REMOVE_KEY" },
        { OID_802_11_RSSI, "RSSI" },
        { OID_802_11_FRAGMENTATION_THRESHOLD, "FRAGMENTATION_THRESHOLD" },
        { OID_802_11_RTS_THRESHOLD, "RTS_THRESHOLD" },
        { OID_802_11_DESIRED_RATES, "DESIRED_RATES" },
        { OID_802_11_CONFIGURATION, "CONFIGURATION" },
        { OID_802_11_POWER_MODE, "POWER_MODE" },
        { OID_802_11_BSSID_LIST, "BSSID_LIST" },
        { OID_802_11_STATISTICS, "STATISTICS" },
        { OID_VENDOR_PREAMBLE, "PREAMBLE" },
        { OID_VENDOR_AC_POWER_CAM, "AC_POWER_CAM" },
        { OID_VENDOR_COUNTRY_REGION, "COUNTRY_REGION" },
        { OID_VENDOR_WIRELESS_MODE, "WIRELESS_MODE" },
        { OID_VENDOR_ADVANCED_CONFIG, "ADVANCED_CONFIG" },
        { OID_VENDOR_TX_POWER, "TX_POWER" },
        { OID_VENDOR_CCX_CONTROL, "CCX_CONTROL" },
        { OID_VENDOR_RSSI_1, "RSSI_1" },
        { OID_VENDOR_RATE_SETS, "RATE_SETS" },
        { OID_VENDOR_LEAP, "LEAP" },
        { OID_VENDOR_HT_PHY, "HT_PHY" },
        { OID_VENDOR_WSC_IN_USE, "WSC_IN_USE" },
    };
    auto it = names.find(oid);
    if (it != names.end()) return it->second;
    char buf[16];
    std::snprintf(buf, sizeof(buf), "%08lX", (unsigned long)oid);
    return buf;
}

std::string Describe(const Req& r)
{
    std::ostringstream o;
    o << (r.kind == KQSIM_LOG_QUERY ? "Q " : "S ") << OidName(r.oid);
    if (r.kind == KQSIM_LOG_SET && (r.checkData || !r.data.empty())) {
        o << " [" << r.data.size() << "]";
        char hex[4];
        for (size_t i = 0; i < r.data.size() && i < 40; ++i) {
            std::snprintf(hex, sizeof(hex), " %02X", r.data[i]);
            o << hex;
        }
        if (r.data.size() > 40) o << " ...";
    }
    return o.str();
}

std::string Describe(const std::vector<Req>& seq)
{
    std::ostringstream o;
    for (size_t i = 0; i < seq.size(); ++i) o << "  " << i << ": " << Describe(seq[i]) << "\n";
    return o.str();
}

std::vector<Req> RequestsOf(const std::vector<kqsim::LogEntry>& log)
{
    std::vector<Req> out;
    for (const kqsim::LogEntry& e : log) {
        if (!e.IsRequest()) continue;
        Req r{ e.kind, e.BaseOid() };
        if (e.kind == KQSIM_LOG_SET) {
            r.data = e.data;
            // The whole length the driver got, even where the log keeps less.
            if (e.bufLen > r.data.size()) r.data.resize(e.bufLen, 0);
        }
        out.push_back(r);
    }
    return out;
}

::testing::AssertionResult SameSequence(const std::vector<Req>& expected, const std::vector<Req>& actual)
{
    bool same = expected.size() == actual.size();
    size_t at = 0;
    for (; same && at < expected.size(); ++at) {
        const Req& e = expected[at];
        const Req& a = actual[at];
        if (e.kind != a.kind || e.oid != a.oid) same = false;
        else if (e.checkData) {
            if (e.data.size() != a.data.size()) same = false;
            size_t n = std::min(e.data.size(), (size_t)KQSIM_LOG_DATA);
            if (same && n && std::memcmp(e.data.data(), a.data.data(), n) != 0) same = false;
        }
        if (!same) break;
    }
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "first difference at " << at << "\nexpected:\n"
                                         << Describe(expected) << "driver received:\n"
                                         << Describe(actual);
}

std::vector<BYTE> KeyBlob(DWORD index, bool transmit, const std::vector<BYTE>& key)
{
    std::vector<BYTE> b(key.size() + 39, 0);
    DWORD length = (DWORD)b.size(), keyIndex = index | (transmit ? 0x80000000u : 0), keyLength = (DWORD)key.size();
    std::memcpy(&b[0], &length, 4);
    std::memcpy(&b[4], &keyIndex, 4);
    std::memcpy(&b[8], &keyLength, 4);
    std::memset(&b[12], 0xFF, 6);
    std::memcpy(&b[32], key.data(), key.size());
    return b;
}

std::vector<BYTE> Bytes(std::initializer_list<int> list)
{
    std::vector<BYTE> b;
    for (int v : list) b.push_back((BYTE)v);
    return b;
}

std::vector<BYTE> HexBytes(const char* hex)
{
    std::vector<BYTE> b(std::strlen(hex) / 2);
    HexStringToBytes(hex, b.data(), (int)b.size());
    return b;
}

NDIS_802_11_SSID Ssid(const std::string& text)
{
    NDIS_802_11_SSID s = {};
    s.SsidLength = (ULONG)text.size();
    std::memcpy(s.Ssid, text.data(), text.size());
    return s;
}

namespace {

class ControllerEnvironment : public ::testing::Environment {
public:
    void TearDown() override
    {
        CHideDlg& dlg = SharedController();
        if (dlg.m_hWnd) {
            // Leave the adapter key's Default copy alone.
            dlg.m_bSwitchedToAp = TRUE;
            dlg.DestroyWindow();
        }
    }
};

::testing::Environment* const g_controllerEnvironment =
    ::testing::AddGlobalTestEnvironment(new ControllerEnvironment);

}  // namespace

CHideDlg& SharedController()
{
    static CHideDlg dlg;
    if (!dlg.m_hWnd) {
        // It finds the installed adapter and applies its key at start.
        dlg.m_bShowOnStart = FALSE;
        dlg.Create(IDD_HIDE_DLG);
    }
    return dlg;
}

void CloseAnyAuthPort()
{
    // Stopping a port waits a second: tests that want one open it themselves.
    if (AuthPortObjectExists() || g_hAuthPort) CloseAuthPort();
}

void EngineTest::SetUp()
{
    ASSERT_TRUE(m_sim.IsOpen());
    m_air.reset(new kqsim::AirGuard(m_sim));
    ASSERT_TRUE(m_air->ok());

    // Only the test drives the controller: no timers, an idle engine, no window.
    ASSERT_TRUE(m_dlg.m_hWnd);
    ASSERT_TRUE(m_dlg.m_bAdapterFound);
    m_dlg.KillAllTimers();
    ResetEngine();
    ClearOidRetryList();
    CloseAnyAuthPort();
    m_dlg.m_nPollCount = 0;
    m_dlg.m_bWepCheck = FALSE;
    m_dlg.m_bAdapterChanged = FALSE;
    m_dlg.m_nCurPanel = PANEL_LINK_STATUS;

    m_restore.push_back(std::make_shared<kqtest::Restore<char[MAX_PATH]>>(g_szDevicePath));
    m_restore.push_back(std::make_shared<kqtest::Restore<CString>>(g_strAdapterRegPath));
    m_restore.push_back(std::make_shared<kqtest::Restore<DWORD[8]>>(g_AdvancedConfig));

    UseAdapter(kqsim::DefaultAdapterConfig(kqsim::TestAdapterGuid(0x61)));
    ASSERT_TRUE(m_adapter->ok());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kScratchKey);
    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &k, nullptr));
    RegCloseKey(k);
    g_strAdapterRegPath = kScratchKey;

    // An 802.11n dual-band adapter with driver 5.1 whose regions are fixed,
    // with no 802.1X port: Zero Configuration holds the adapter as far as
    // the supplicant is concerned, so that SetOidFromReg opens none (the
    // timer events read the mode afresh).
    Set(g_bHtDevice, TRUE);
    Set(g_bDualBand, TRUE);
    Set(g_nModelIndex, 7);
    Set(g_bLegacyModel, FALSE);
    Set(g_wDriverVersion, 0x0501);
    Set(g_dwCountryRegion, 0x0500);
    Set(g_bRegionBgFlag, FALSE);
    Set(g_bRegionAFlag, FALSE);
    Set(g_nWirelessMode, 5);
    Set(g_nWzcMode, WZC_MANAGES);
    Set(g_hAuthPort, 0);
    Set(g_nAuthState, 0);
    Set(g_bAutoConnect, TRUE);
    Set(g_bSsoPending, FALSE);
    Set(g_bWscInUse, FALSE);
    Set(g_bRadioOn, TRUE);
    Set(g_bIsAdmin, TRUE);
    Set(g_bIeee80211h, FALSE);
    Set(g_bSkipNextScan, FALSE);
    Set(g_bDebugTrace, FALSE);
    Set(g_bShowAuthStatus, FALSE);
    Set(g_dwTransmitSetting, 0);
    Set(g_bConfigFromRegistry, FALSE);
    Set(g_bAdvancedConfigValid, TRUE);
    const DWORD advanced[8] = { 0, 1, 1, 1, 5, 1, 0, 0 };
    std::memcpy(g_AdvancedConfig, advanced, sizeof(advanced));
}

void EngineTest::TearDown()
{
    if (m_dlg.m_pMainDlg) {
        if (m_dlg.m_pMainDlg->IsWindow()) m_dlg.m_pMainDlg->DestroyWindow();
        delete m_dlg.m_pMainDlg;
        m_dlg.m_pMainDlg = nullptr;
    }
    m_dlg.KillAllTimers();
    ResetEngine();
    ClearOidRetryList();
    CloseAnyAuthPort();
    if (g_pCurProfile) {
        FreeStationConfig(g_pCurProfile);
        g_pCurProfile = nullptr;
    }
    while (!m_restore.empty()) m_restore.pop_back();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kScratchKey);
    m_adapter.reset();
    m_air.reset();
}

void EngineTest::UseAdapter(const KQSIM_ADAPTER_CONFIG& cfg)
{
    m_adapter.reset();
    m_adapter.reset(new kqsim::TestAdapter(m_sim, cfg));
    ASSERT_TRUE(m_adapter->ok());
    lstrcpynA(g_szDevicePath, m_adapter->DevicePath().c_str(), MAX_PATH);
    // Scans finish at once; tests wait for them on the driver's state.
    ASSERT_TRUE(m_sim.SetParam(Guid(), KQSIM_PARAM_SCAN_LATENCY, 1));
}

void EngineTest::PutValue(const RegValue& v, const char* subkey)
{
    std::string path = kScratchKey;
    if (subkey) path += std::string("\\") + subkey;
    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr));
    if (v.type == REG_SZ && v.raw.empty())
        RegSetValueExA(k, v.name.c_str(), 0, REG_SZ, (const BYTE*)v.text.data(), (DWORD)v.text.size());
    else
        RegSetValueExA(k, v.name.c_str(), 0, v.type, v.raw.data(), (DWORD)v.raw.size());
    RegCloseKey(k);
}

void EngineTest::WriteAdapterKey(const std::vector<RegValue>& values)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kScratchKey);
    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &k, nullptr));
    RegCloseKey(k);
    for (const RegValue& v : values) PutValue(v);
}

std::string EngineTest::ReadValue(const char* name)
{
    CString text;
    if (!ReadAdapterText(name, text)) return "<missing>";
    return text.GetString();
}

DWORD EngineTest::Mark()
{
    DWORD seq = 0;
    EXPECT_TRUE(m_sim.NextSeq(seq));
    return seq;
}

std::vector<Req> EngineTest::RequestsSince(DWORD from)
{
    return RequestsOf(kqsim::AdapterLog(m_sim, Guid(), from));
}

void EngineTest::SplitAtFirstSet(const std::vector<Req>& all, std::vector<Req>* before, std::vector<Req>* apply)
{
    size_t i = 0;
    while (i < all.size() && all[i].kind != KQSIM_LOG_SET) ++i;
    if (before) {
        before->clear();
        for (size_t j = 0; j < i; ++j)
            // Opening the 802.1X port reads the adapter's address: the binding's, not the apply's.
            if (all[j].oid != OID_802_3_CURRENT_ADDRESS) before->push_back(all[j]);
    }
    if (apply) apply->assign(all.begin() + (std::ptrdiff_t)i, all.end());
}

void EngineTest::ResetEngine()
{
    ClearConnectRequests();
    g_bScanPending = FALSE;
}

kqsim::AdapterState EngineTest::State()
{
    kqsim::AdapterState s{};
    m_sim.GetAdapter(Guid(), s);
    return s;
}

bool EngineTest::WaitScanDone(DWORD ms)
{
    // The tests take the result themselves: the engine's timer 2 stays queued.
    return kqtest::WaitForWithoutPumping([&] {
        // Any request lets the driver finish a scan that is due.
        DWORD mode = 0;
        QueryOid(OID_802_11_RSSI, &mode, sizeof(mode), nullptr);
        return !State().scanPending;
    }, ms);
}

}  // namespace kqengine
