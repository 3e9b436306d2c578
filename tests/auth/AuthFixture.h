// Tests of the 802.1X layer against the simulated adapter: an adapter of the
// test's own with a MAC address no other adapter has (so that the port walk
// finds its port), networks of the test's own in the air, the supplicant
// stand-in loaded and steered through its test controls.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "auth/AcAuthLibrary.h"
#include "auth/AuthLogRing.h"
#include "auth/SupplicantBinding.h"
#include "core/ConnectEngine.h"
#include "core/OidChannel.h"
#include "core/StationConfig.h"
#include "sim/client/SimTestSupport.h"
#include "support/Restore.h"

namespace kqtest {

// The stand-in's controls, found in the loaded acAuth.dll.
struct AcAuthControls {
    void (*configure)(const char*) = nullptr;
    void (*reset)() = nullptr;
    int (*threads)() = nullptr;
    int (*ports)() = nullptr;
    // A request raised on the calling thread (its id), whether one was
    // completed (1, 0 waiting, -1 unknown), and how many wait.
    DWORD (*raise)(AC_HANDLE port, DWORD type, DWORD subKind) = nullptr;
    int (*done)(DWORD id) = nullptr;
    int (*outstanding)() = nullptr;
    // Credential objects alive; destroys of a handle that was not alive and
    // answers that handed one over (both since the last reset).
    int (*liveObjects)() = nullptr;
    int (*badDestroys)() = nullptr;
    int (*staleHandles)() = nullptr;

    bool Load()
    {
        if (!LoadAcAuthLibrary()) return false;
        HMODULE h = GetModuleHandleA("acAuth.dll");
        if (!h) return false;
        configure = (void (*)(const char*))(void*)GetProcAddress(h, "kqsimAcAuthConfigure");
        reset = (void (*)())(void*)GetProcAddress(h, "kqsimAcAuthReset");
        threads = (int (*)())(void*)GetProcAddress(h, "kqsimAcAuthThreadCount");
        ports = (int (*)())(void*)GetProcAddress(h, "kqsimAcAuthPortCount");
        raise = (DWORD(*)(AC_HANDLE, DWORD, DWORD))(void*)GetProcAddress(h, "kqsimAcAuthRaise");
        done = (int (*)(DWORD))(void*)GetProcAddress(h, "kqsimAcAuthRequestDone");
        outstanding = (int (*)())(void*)GetProcAddress(h, "kqsimAcAuthOutstanding");
        liveObjects = (int (*)())(void*)GetProcAddress(h, "kqsimAcAuthLiveObjects");
        badDestroys = (int (*)())(void*)GetProcAddress(h, "kqsimAcAuthBadDestroys");
        staleHandles = (int (*)())(void*)GetProcAddress(h, "kqsimAcAuthStaleHandles");
        return configure && reset && threads && ports && raise && done && outstanding && liveObjects && badDestroys &&
               staleHandles;
    }
};

inline AcAuthControls& Stand()
{
    static AcAuthControls c;
    if (!c.configure) c.Load();
    return c;
}

template <class Pred>
bool WaitUntil(Pred pred, DWORD ms = 10000)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (GetTickCount() - start >= ms) return false;
        Sleep(20);
    }
}

inline NDIS_802_11_SSID MakeSsid(const std::string& text)
{
    NDIS_802_11_SSID s = {};
    s.SsidLength = (ULONG)(text.size() > 32 ? 32 : text.size());
    std::memcpy(s.Ssid, text.data(), s.SsidLength);
    return s;
}

// The current profile a test made is freed when the test ends.
class ProfileGuard {
public:
    ~ProfileGuard()
    {
        FreeStationConfig(g_pCurProfile);
        g_pCurProfile = nullptr;
    }
};

class AuthTest : public ::testing::Test {
protected:
    static constexpr int kAdapter = 0x61;

    void SetUp() override
    {
        ASSERT_TRUE(m_sim.Open(5000));
        KQSIM_ADAPTER_CONFIG cfg = kqsim::DefaultAdapterConfig(kqsim::TestAdapterGuid(kAdapter));
        cfg.mac[0] = 0x02;
        cfg.mac[5] = (BYTE)kAdapter;
        std::memcpy(m_mac, cfg.mac, 6);
        m_adapter.reset(new kqsim::TestAdapter(m_sim, cfg));
        ASSERT_TRUE(m_adapter->ok());
        lstrcpynA(g_szDevicePath, m_adapter->DevicePath().c_str(), MAX_PATH);
        m_air.reset(new kqsim::AirGuard(m_sim));
        ASSERT_TRUE(m_air->ok());
        ASSERT_TRUE(Stand().configure) << "acAuth.dll beside the test program";
        Stand().reset();
        std::memset(&g_AuthLogRing, 0, sizeof(g_AuthLogRing));
    }
    void TearDown() override
    {
        ShutdownAuthLibrary();
        g_hAuthPort = 0;
        g_nAuthState = 0;
        Stand().reset();
        m_air.reset();
        m_adapter.reset();
    }

    // A network of the test: BSSID 02:00:00:00:61:nn.
    KQSIM_NETWORK Network(const std::string& ssid, int n, unsigned security)
    {
        char bssid[32];
        std::snprintf(bssid, sizeof(bssid), "02:00:00:00:61:%02X", n);
        return kqsim::MakeNetwork(ssid, bssid, 6, -50, security);
    }

    void PutPskNetwork(const std::string& ssid, int n, const char* psk)
    {
        KQSIM_NETWORK net = Network(ssid, n, KQSIM_SEC_WPA2_PSK);
        std::strcpy(net.psk, psk);
        net.pskLen = (unsigned char)std::strlen(psk);
        ASSERT_TRUE(m_sim.PutNetwork(net));
    }
    // eap: the network's accounts, "method=peap identity=alice password=wonderland".
    void Put8021xNetwork(const std::string& ssid, int n, const char* eap)
    {
        KQSIM_NETWORK net = Network(ssid, n, KQSIM_SEC_WPA2_1X);
        std::strcpy(net.eap, eap);
        ASSERT_TRUE(m_sim.PutNetwork(net));
    }

    // The library started and the adapter's port attached, as at start-up.
    void OpenPort()
    {
        ASSERT_TRUE(InitAuthLibrary());
        ASSERT_TRUE(OpenAuthPort(FALSE));
        ASSERT_NE(nullptr, g_pAuthPort);
        ASSERT_EQ(0, std::memcmp(g_pAuthPort->attributes.mac, m_mac, 6));
    }

    // What the connection engine sends around the port: the security, the
    // port configured and started, then the SSID.
    void Connect(const StationConfig& profile)
    {
        DWORD auth = profile.authMode, wep = profile.encryption, infra = 1;
        ASSERT_TRUE(SetOid(OID_802_11_INFRASTRUCTURE_MODE, &infra, 4, nullptr, 1));
        ASSERT_TRUE(SetOid(OID_802_11_AUTHENTICATION_MODE, &auth, 4, nullptr, 1));
        ASSERT_TRUE(SetOid(OID_802_11_WEP_STATUS, &wep, 4, nullptr, 1));
        ApplyProfileToPort();
        ASSERT_EQ(0, AuthPortStart(g_pAuthPort));
        NDIS_802_11_SSID ssid = profile.ssid;
        ASSERT_TRUE(SetOid(OID_802_11_SSID, &ssid, sizeof(ssid), nullptr, 1));
    }

    StationConfig* NewProfile(const std::string& ssid, DWORD authMode, DWORD encryption)
    {
        StationConfig* p = AllocStationConfig();
        p->ssid = MakeSsid(ssid);
        p->infrastructureMode = 1;
        p->authMode = authMode;
        p->encryption = encryption;
        return p;
    }

    bool MediaConnected()
    {
        DWORD status = 1;
        return QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &status, 4, nullptr) && status == 0;
    }

    // Calls of the stand-in from a sequence number on (texts beginning with prefix).
    std::vector<kqsim::LogEntry> Calls(DWORD fromSeq, const std::string& prefix = "")
    {
        std::vector<kqsim::LogEntry> all, out;
        m_sim.ReadLog(all, fromSeq);
        for (const auto& e : all)
            if (e.IsSupplicantCall() && e.text.compare(0, prefix.size(), prefix) == 0) out.push_back(e);
        return out;
    }
    bool HasCall(DWORD fromSeq, const std::string& prefix) { return !Calls(fromSeq, prefix).empty(); }
    DWORD Mark()
    {
        DWORD seq = 0;
        m_sim.NextSeq(seq);
        return seq;
    }

    std::vector<std::string> RingLines()
    {
        std::vector<std::string> out;
        for (int i = 0; i < g_AuthLogRing.writeIndex && i < AUTH_LOG_LINES; ++i) out.push_back(g_AuthLogRing.lines[i]);
        return out;
    }

    kqsim::SimClient m_sim;
    std::unique_ptr<kqsim::TestAdapter> m_adapter;
    std::unique_ptr<kqsim::AirGuard> m_air;
    BYTE m_mac[6] = {};
    Restore<char[MAX_PATH]> m_path{g_szDevicePath};
    Restore<BOOL> m_fromRegistry{g_bConfigFromRegistry}, m_autoConnect{g_bAutoConnect};
    Restore<int> m_failReason{g_nAuthFailReason};
    Restore<AuthCertBlock> m_clientCert{g_AuthClientCert}, m_serverCert{g_AuthServerCert};
    ProfileGuard m_profileGuard;
};

}  // namespace kqtest
