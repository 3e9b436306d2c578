// The credential callback, its queue and its worker against the supplicant
// stand-in on an adapter of the test's own: requests come from the
// library's conversations, or are raised by the test on threads of its own;
// what the program answered is read from the stand-in's log.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "auth/AuthFixture.h"
#include "auth/CredentialQueue.h"
#include "auth/PasswordChange.h"

namespace kqtest {

class QueueTest : public AuthTest {
protected:
    void SetUp() override
    {
        AuthTest::SetUp();
        OpenPort();
    }
    void TearDown() override
    {
        for (std::thread& t : m_threads)
            if (t.joinable()) t.join();
        AuthTest::TearDown();
    }

    // The port configured for profile (the current profile from here on).
    void Configure(StationConfig* profile)
    {
        FreeStationConfig(g_pCurProfile);
        g_pCurProfile = profile;
        ApplyProfileToPort();
    }
    StationConfig* PeapProfile()
    {
        StationConfig* p = NewProfile("Sim-Queue", 6, 6);
        p->eapMethod = 0;
        p->innerMethod = 26;
        std::strcpy(p->identity, "alice");
        std::strcpy(p->tunnelId, "alice");
        std::strcpy(p->password, "outer-pw");
        std::strcpy(p->tunnelPassword, "wonderland");
        return p;
    }

    // A request raised on the test's thread; its id once the callback returned.
    DWORD Raise(DWORD type, DWORD subKind = 0) { return Stand().raise(g_pAuthPort->handle, type, subKind); }
    // The same on a thread of its own; `returned` counts the raises that came back.
    void RaiseOnThread(DWORD type, std::atomic<int>& returned)
    {
        AC_HANDLE h = g_pAuthPort->handle;
        m_threads.emplace_back([h, type, &returned] {
            Stand().raise(h, type, 0);
            ++returned;
        });
    }

    // The calls answering request id since mark, by name ("acCredComplete", ...).
    std::vector<std::string> AnswersTo(DWORD mark, DWORD id)
    {
        std::vector<std::string> out;
        const std::string key = " id=" + std::to_string(id);
        for (const auto& e : Calls(mark, "ac")) {
            size_t at = e.text.find(key);
            if (at == std::string::npos) continue;
            size_t end = at + key.size();
            if (end < e.text.size() && e.text[end] != ' ') continue;
            out.push_back(e.text.substr(0, e.text.find(' ')));
        }
        return out;
    }
    // Succeeded calls of a name since mark.
    int Count(DWORD mark, const std::string& prefix)
    {
        int n = 0;
        for (const auto& e : Calls(mark, prefix)) n += e.status == 0 ? 1 : 0;
        return n;
    }
    bool Done(DWORD id) { return Stand().done(id) == 1; }
    // The verdict the program gave the server check of request id (since
    // mark): 1 verified, 0 refused, -1 none given.
    int Verdict(DWORD mark, DWORD id)
    {
        const std::string key = " id=" + std::to_string(id) + " verified=";
        for (const auto& e : Calls(mark, "acCredServerVerified")) {
            size_t at = e.text.find(key);
            if (at != std::string::npos) return std::atoi(e.text.c_str() + at + key.size());
        }
        return -1;
    }
    // The adapter joined to the network "Sim-Queue", whose server presents
    // name in its certificate, issued by the CA whose hash is twenty 0x5E.
    void JoinServer(const std::string& name)
    {
        std::string eap = "method=tls identity=alice server=" + name + " ca=";
        for (int i = 0; i < 20; ++i) eap += "5e";
        Put8021xNetwork("Sim-Queue", 5, eap.c_str());
        DWORD infra = 1, auth = 6, aes = 6;
        ASSERT_TRUE(SetOid(OID_802_11_INFRASTRUCTURE_MODE, &infra, 4, nullptr, 1));
        ASSERT_TRUE(SetOid(OID_802_11_AUTHENTICATION_MODE, &auth, 4, nullptr, 1));
        ASSERT_TRUE(SetOid(OID_802_11_WEP_STATUS, &aes, 4, nullptr, 1));
        NDIS_802_11_SSID ssid = MakeSsid("Sim-Queue");
        ASSERT_TRUE(SetOid(OID_802_11_SSID, &ssid, sizeof(ssid), nullptr, 1));
        const std::string guid = kqsim::TestAdapterGuid(kAdapter);
        ASSERT_TRUE(WaitUntil([&] {
            KQSIM_NETWORK net = {};
            return m_sim.JoinedNetwork(guid, net) && std::string(net.eap).find("server=" + name + " ") != std::string::npos;
        }));
    }

    std::vector<std::thread> m_threads;
};

}  // namespace kqtest
