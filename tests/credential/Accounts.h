// What the 802.1X tests on the installed default adapter share: networks of
// the simulated air with an account, 802.1X profiles, and reading back what
// was stored and what the supplicant stand-in was told.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/ProfileStore.h"
#include "sim/client/SimClient.h"

namespace kqtest {

// A network of the test in the air: BSSID 02:00:00:00:7A:nn, a strong signal.
inline bool PutAccount(kqsim::SimClient& sim, const char* ssid, int n, unsigned security, const std::string& eap)
{
    char bssid[32];
    std::snprintf(bssid, sizeof(bssid), "02:00:00:00:7A:%02X", n & 0xFF);
    KQSIM_NETWORK net = kqsim::MakeNetwork(ssid, bssid, 6, -45, security);
    lstrcpynA(net.eap, eap.c_str(), sizeof(net.eap));
    return sim.PutNetwork(net);
}

// An 802.1X profile over WPA2 with AES: identity and tunnel identity alice,
// password "outer-pw", tunnel password "wonderland".
inline ProfileSettings Dot1xProfile(const char* ssid, int method)
{
    ProfileSettings s;
    s.ssid = ssid;
    s.networkType = 1;
    s.authChoice = AUTH_CHOICE_WPA2;
    s.encryptionChoice = ENCR_CHOICE_AES;
    s.dot1x.eapMethod = method;
    s.dot1x.identity = "alice";
    s.dot1x.password = "outer-pw";
    s.dot1x.tunnelId = "alice";
    s.dot1x.tunnelPassword = "wonderland";
    return s;
}

// A value of the adapter key (profile empty) or of a profile's key.
inline std::string StoredValue(const std::string& adapterPath, const std::string& profile, const char* value)
{
    char buf[512] = {};
    DWORD size = sizeof(buf) - 1;
    std::string path = adapterPath + (profile.empty() ? "" : "\\Profile\\Station\\" + profile);
    if (RegGetValueA(HKEY_LOCAL_MACHINE, path.c_str(), value, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
        return "<missing>";
    return buf;
}

// The stand-in's log lines since mark that begin with prefix.
inline std::vector<std::string> SupplicantLines(kqsim::SimClient& sim, DWORD mark, const std::string& prefix)
{
    std::vector<kqsim::LogEntry> log;
    std::vector<std::string> out;
    sim.ReadLog(log, mark);
    for (const auto& e : log)
        if (e.IsSupplicantCall() && e.text.compare(0, prefix.size(), prefix) == 0) out.push_back(e.text);
    return out;
}

inline DWORD LogMark(kqsim::SimClient& sim)
{
    DWORD seq = 0;
    sim.NextSeq(seq);
    return seq;
}

}  // namespace kqtest
