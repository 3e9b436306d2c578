// A PEAP profile made in the editor against the default air, as a person
// makes it: stored with its 802.1X values in the profile store's form, shown
// again by Edit, and handed by Activate to the supplicant library with
// those identities and password.  (Answering the library's credential
// requests is the credential worker's; the login itself is not awaited.)
#include "eapsettings/EapFixture.h"

#include "certs/StoreCert.h"
#include "certs/TestCertificates.h"
#include "sim/client/SimTestSupport.h"

namespace {

using kqtest::EapTest;
using kqtest::WaitFor;

class EndToEnd : public EapTest {
protected:
    void SetUp() override
    {
        EapTest::SetUp();
        g_hAuthPort = 0;
        // The supplicant port opens on the controller's ticks.
        WaitFor([&] {
            m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
            return g_hAuthPort != 0;
        }, 30000);
    }
    static bool Has(const std::vector<std::string>& calls, const std::string& prefix)
    {
        for (const std::string& c : calls)
            if (c.compare(0, prefix.size(), prefix) == 0) return true;
        return false;
    }
};

TEST_F(EndToEnd, APeapProfileMadeInTheEditorIsStoredAndHandedToTheSupplicant)
{
    ASSERT_NE(0, g_hAuthPort) << "the supplicant port did not open";
    kqtest::StoreCert ca("ROOT", kqtest::kRootCaCert, sizeof(kqtest::kRootCaCert));
    ASSERT_TRUE(ca.ok());
    const std::string caHex = kqtest::BytesToHexText(ca.Sha1().data(), 20);

    Add();
    ASSERT_TRUE(PickComboItem(m_sys, IDC_SYS_SSID, "Kestiq-Corp"));
    Type(m_sys, IDC_SYS_PROFILE_NAME, "Corp");
    Tab(EDIT_TAB_SECURITY);
    OpenMenu(m_sec, IDC_SEC_AUTH, 5, nullptr);   // WPA2
    ASSERT_EQ("WPA2", TextOf(m_sec, IDC_SEC_AUTH));
    OpenMenu(m_sec, IDC_SEC_ENCRYPTION, 3, nullptr);   // AES
    ASSERT_EQ("AES", TextOf(m_sec, IDC_SEC_ENCRYPTION));
    Tab(EDIT_TAB_8021X);
    ChooseMethod(1);   // TLS first, then back: the choice is the last one made
    ChooseMethod(0);
    ASSERT_EQ("PEAP", TextOf(m_eap, IDC_EAP_METHOD));
    ChooseTunnel(0);
    ASSERT_EQ("EAP-MSCHAP v2", TextOf(m_eap, IDC_EAP_TUNNEL));
    ClickIn(m_eap, IDC_EAP_SESSION);
    Type(m_cred, IDC_CRED_ID, "alice");
    Type(m_cred, IDC_CRED_TUNNEL_ID, "alice");
    Type(m_cred, IDC_CRED_TUNNEL_PASSWORD, "wonderland");
    Shot("eap-end-to-end-credentials");
    EapTab(CEapSettingsDlg::TAB_SERVER_CERT);
    ClickIn(m_server, IDC_SCERT_USE);
    ASSERT_TRUE(PickComboItem(m_server, IDC_SCERT_COMBO, "Kestiq Test Root CA"));
    Type(m_server, IDC_SCERT_SERVER_NAME, "radius.kestiq.test");
    Shot("eap-end-to-end-server");
    Ok();
    ASSERT_FALSE(EditorShown());

    const std::vector<std::pair<const char*, std::string>> expected = {
        { "SSID", "Kestiq-Corp" }, { "NetworkType", "1" }, { "AuthenType", "6" }, { "Encryption", "6" },
        { "LeapEnabled", "0" }, { "WPAPSK", "" }, { "Use8021X", "1" },
        { "AuthenProtocol", "0" }, { "TunnelProtocol", "26" }, { "ProvisioningTunnel", "26" },
        { "ID", "alice" }, { "Password", "" }, { "DomainName", "" }, { "TunnelID", "alice" },
        { "TunnelPassword", "wonderland" }, { "SessionResumption", "1" }, { "PasswordMode", "1" },
        { "UseClientCert", "0" }, { "UseServerCert", "1" }, { "UsePAC", "1" }, { "ProvisionMode", "1" },
        { "PACFilePath", "" }, { "ClientCertLen", "0" }, { "ClientCertData", "" }, { "ServerCertLen", "20" },
        { "ServerCertData", caHex }, { "ServerName", "radius.kestiq.test" }, { "NameRule", "0" },
        { "IntermediateCert", "0" },
    };
    for (const auto& v : expected) EXPECT_EQ(v.second, Stored("Corp", v.first)) << v.first;

    // Edit shows them again.
    Edit("Corp");
    Tab(EDIT_TAB_8021X);
    EXPECT_EQ("PEAP", TextOf(m_eap, IDC_EAP_METHOD));
    EXPECT_EQ("EAP-MSCHAP v2", TextOf(m_eap, IDC_EAP_TUNNEL));
    EXPECT_TRUE(Checked(m_eap, IDC_EAP_SESSION));
    EXPECT_EQ("alice", TextOf(m_cred, IDC_CRED_TUNNEL_ID));
    EXPECT_EQ("wonderland", TextOf(m_cred, IDC_CRED_TUNNEL_PASSWORD));
    EXPECT_EQ("Kestiq Test Root CA", ComboSelection(m_server, IDC_SCERT_COMBO));
    Shot("eap-end-to-end-edit");
    ClickIn(m_editor, IDC_EDIT_CANCEL);

    // Activate: the port gets the profile's PEAP identities and password.
    DWORD mark = 0;
    ASSERT_TRUE(m_sim.NextSeq(mark));
    Activate("Corp");
    ASSERT_TRUE(WaitFor([&] { return Has(SupplicantCalls(mark), "acPortAssociate"); }, 30000));
    std::vector<std::string> calls = SupplicantCalls(mark);
    EXPECT_TRUE(Has(calls, "acIdentityCreate alice")) << "the outer identity";
    int identities = 0;
    for (const std::string& c : calls)
        if (c.compare(0, 22, "acIdentityCreate alice") == 0) ++identities;
    EXPECT_EQ(2, identities) << "outer and inner identity";
    EXPECT_TRUE(Has(calls, "acPasswordCreate len=10")) << "the tunnel password";
    EXPECT_FALSE(Has(calls, "acCertUrlWin32String 1")) << "no client certificate";
    EXPECT_TRUE(Has(calls, "acPortAssociate")) << "the association";
    bool wpa2Aes = false;
    for (const std::string& c : calls)
        if (c.find("acPortAssociate") == 0 && c.find("ssid=Kestiq-Corp auth=20 cipher=4") != std::string::npos)
            wpa2Aes = true;
    EXPECT_TRUE(wpa2Aes) << "WPA2 with AES for Kestiq-Corp";
}

}  // namespace
