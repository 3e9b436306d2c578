// Whole roads through the real window against the simulated air: a profile
// made with Add, read back by Edit and activated, as a person would, ending
// in what the driver, the supplicant and the notification icon show.
#include "profileedit/EditorFixture.h"

#include "core/StateQuery.h"
#include "sim/client/SimTestSupport.h"

namespace {

using kqtest::EditorTest;
using kqtest::WaitFor;

class EditorScenario : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        PortOpens();   // a scenario that needs the port checks that it opened
    }
    UINT Icon() { return (UINT)m_dlg.SendMessage(WM_KQ_QUERY_STATE, KQ_STATE_ICON); }
    // Ticks the controller (and the driver events it would get) until the icon is `want`.
    bool IconBecomes(UINT want, DWORD ms = 20000)
    {
        return WaitFor([&] {
            PostMessageA(m_dlg.m_hWnd, WM_APP_WMI_EVENT, 0, 0);
            m_dlg.SendMessage(WM_TIMER, IDT_WEP_CHECK);
            m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
            return Icon() == want;
        }, ms);
    }
    std::string Joined()
    {
        KQSIM_NETWORK joined = {};
        if (!m_sim.JoinedNetwork(kGuid, joined)) return "";
        return std::string((const char*)joined.ssid, joined.ssidLen);
    }
};

TEST_F(EditorScenario, AddWpa2PskFromTheListEditItAndActivateIt)
{
    ASSERT_NE(0, g_hAuthPort) << "the supplicant port did not open";
    Add();
    ASSERT_TRUE(EditorShown());
    ASSERT_TRUE(PickComboItem(m_sys, IDC_SYS_SSID, "Kestiq-Home"));
    EXPECT_EQ("Kestiq-Home", TextOf(m_sys, IDC_SYS_SSID));
    Tab(EDIT_TAB_SECURITY);
    kqtest::MenuSeen seen = OpenMenu(m_sec, IDC_SEC_AUTH, 6, nullptr);   // WPA2-PSK
    ASSERT_TRUE(seen.shown);
    ASSERT_EQ("WPA2-PSK", TextOf(m_sec, IDC_SEC_AUTH));
    ASSERT_EQ("TKIP", TextOf(m_sec, IDC_SEC_ENCRYPTION));
    OpenMenu(m_sec, IDC_SEC_ENCRYPTION, 3, nullptr);   // AES
    ASSERT_EQ("AES", TextOf(m_sec, IDC_SEC_ENCRYPTION));
    Type(m_sec, IDC_SEC_PSK, "kestiq-secret");
    Shot("editor-scenario-before-ok");
    Ok();
    ASSERT_FALSE(EditorShown());

    // The whole stored form, value by value.
    const std::vector<std::pair<const char*, const char*>> expected = {
        { "SSID", "Kestiq-Home" }, { "Channel", "1" }, { "NetworkType", "1" }, { "PreambleType", "2" },
        { "ACPowerCam", "0" }, { "PSMode", "0" }, { "TXPower", "0" }, { "UseRts", "0" }, { "RtsThresh", "2347" },
        { "UseFrag", "0" }, { "FragThresh", "2346" }, { "AuthenType", "7" }, { "Encryption", "6" },
        { "LeapEnabled", "0" }, { "LeapUserName", "" }, { "LeapPassword", "" }, { "LeapDomainName", "" },
        { "LeapEncryType", "0" }, { "WPAPSK", "kestiq-secret" }, { "WEPKeyUse", "1" },
        { "WEPKey1Type", "0" }, { "WEPKey2Type", "0" }, { "WEPKey3Type", "0" }, { "WEPKey4Type", "0" },
        { "WEPKey1", "" }, { "WEPKey2", "" }, { "WEPKey3", "" }, { "WEPKey4", "" },
        { "Use8021X", "0" }, { "AuthenProtocol", "0" }, { "TunnelProtocol", "26" }, { "ProvisioningTunnel", "26" },
        { "ID", "" }, { "Password", "" }, { "DomainName", "" }, { "TunnelID", "" }, { "TunnelPassword", "" },
        { "SessionResumption", "0" }, { "PasswordMode", "1" }, { "UseClientCert", "0" }, { "UseServerCert", "0" },
        { "UsePAC", "0" }, { "ProvisionMode", "1" }, { "PACFilePath", "" }, { "ClientCertLen", "0" },
        { "ClientCertData", "" }, { "ServerCertLen", "0" }, { "ServerCertData", "" }, { "ServerName", "" },
        { "NameRule", "0" }, { "IntermediateCert", "0" },
    };
    ASSERT_EQ(51u, expected.size());
    HKEY key = OpenProfileKey("PROF1", KEY_READ);
    ASSERT_NE(nullptr, key);
    DWORD count = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    EXPECT_EQ(51u, count);
    for (const auto& v : expected) {
        if (std::string(v.first) == "Channel") continue;   // whatever the hidden list selected
        EXPECT_EQ(v.second, Stored("PROF1", v.first)) << v.first;
    }

    // Edit shows it again.
    Edit("PROF1");
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ("PROF1", TextOf(m_sys, IDC_SYS_PROFILE_NAME));
    EXPECT_EQ("Kestiq-Home", TextOf(m_sys, IDC_SYS_SSID));
    EXPECT_EQ("Infrastructure", TextOf(m_sys, IDC_SYS_NETWORK_TYPE));
    Tab(EDIT_TAB_SECURITY);
    EXPECT_EQ("WPA2-PSK", TextOf(m_sec, IDC_SEC_AUTH));
    EXPECT_EQ("AES", TextOf(m_sec, IDC_SEC_ENCRYPTION));
    EXPECT_EQ("kestiq-secret", TextOf(m_sec, IDC_SEC_PSK));
    EXPECT_TRUE(Enabled(m_sec, IDC_SEC_PSK));
    Shot("editor-scenario-edit");
    ClickIn(m_editor, IDC_EDIT_CANCEL);

    // Activate connects through the supplicant.
    DWORD mark = 0;
    ASSERT_TRUE(m_sim.NextSeq(mark));
    Activate("PROF1");
    ASSERT_TRUE(WaitFor([&] { return Joined() == "Kestiq-Home"; }, 30000));
    EXPECT_TRUE(WaitFor([&] { return SupplicantSaid(mark, "verdict authorized"); }, 30000));
    EXPECT_TRUE(IconBecomes(IDI_TRAY_GOOD));
}

TEST_F(EditorScenario, OpenProfileWithAnAsciiWepKeyConnectsAndAWrongKeyShowsTheWepError)
{
    KQSIM_NETWORK lab = kqsim::MakeNetwork("Kestiq-Lab", "02:00:00:00:26:01", 2, -45, KQSIM_SEC_WEP);
    lab.wepTxKey = 0;
    lab.wepKeyLen[0] = 5;
    std::memcpy(lab.wepKey[0], "kq123", 5);
    ASSERT_TRUE(m_sim.PutNetwork(lab));

    const struct { const char* name; const char* key; UINT icon; } cases[] = {
        { "Lab", "kq123", IDI_TRAY_GOOD },
        { "Lab wrong", "kq124", IDI_TRAY_WEP_ERROR },
    };
    for (const auto& c : cases) {
        Add();
        Type(m_sys, IDC_SYS_PROFILE_NAME, c.name);
        SetDlgItemTextA(m_sys->m_hWnd, IDC_SYS_SSID, "Kestiq-Lab");
        Tab(EDIT_TAB_SECURITY);
        OpenMenu(m_sec, IDC_SEC_ENCRYPTION, 1, nullptr);   // WEP
        ASSERT_EQ("WEP", TextOf(m_sec, IDC_SEC_ENCRYPTION));
        OpenMenu(m_sec, IDC_SEC_KEY1_FORMAT, 1, nullptr);   // ASCII
        Type(m_sec, IDC_SEC_KEY1, c.key);
        Ok();
        ASSERT_FALSE(EditorShown()) << c.name;
        EXPECT_EQ("0", Stored(c.name, "Encryption"));
        EXPECT_EQ("1", Stored(c.name, "WEPKey1Type"));

        Activate(c.name);
        ASSERT_TRUE(WaitFor([&] { return Joined() == "Kestiq-Lab"; }, 30000)) << c.name;
        EXPECT_TRUE(IconBecomes(c.icon)) << c.name << ": icon " << Icon();
    }
    EXPECT_EQ("6b71313233", Stored("Lab", "WEPKey1"));
}

}  // namespace
