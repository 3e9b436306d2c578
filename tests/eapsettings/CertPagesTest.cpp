// The certificate pages over the prefix's real "MY" and "ROOT" stores, with
// certificates of the test's own added for each case and taken out after:
// what the lists show, what a choice stores (the store's SHA-1 property),
// and that a choice survives a refill and an Edit.
#include "eapsettings/EapFixture.h"

#include "certs/StoreCert.h"
#include "certs/TestCertificates.h"
#include "eapsettings/TwinCertificate.h"

namespace {

using kqtest::EapTest;
using kqtest::StoreCert;

// The store's SHA-1 hash property of one of its certificates, as hex text.
std::string StoreHashHex(const char* store, const BYTE* der, DWORD size)
{
    std::string hex;
    HCERTSTORE h = CertOpenSystemStoreA(0, store);
    if (!h) return hex;
    PCCERT_CONTEXT mine = CertCreateCertificateContext(X509_ASN_ENCODING, der, size);
    PCCERT_CONTEXT c = mine ? CertFindCertificateInStore(h, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, mine, nullptr)
                            : nullptr;
    BYTE hash[20];
    DWORD n = sizeof(hash);
    if (c && CertGetCertificateContextProperty(c, CERT_SHA1_HASH_PROP_ID, hash, &n))
        hex = kqtest::BytesToHexText(hash, (int)n);
    if (c) CertFreeCertificateContext(c);
    if (mine) CertFreeCertificateContext(mine);
    CertCloseStore(h, 0);
    return hex;
}

class CertPages : public EapTest {
protected:
    // PEAP credentials that pass, so that OK saves.
    void AddPeapWithCredentials(UINT method = ID_EAP_PEAP)
    {
        AddWpa2();
        Command(m_eap, method);
        Type(m_cred, IDC_CRED_ID, "alice");
        Type(m_cred, IDC_CRED_TUNNEL_ID, "alice");
        Type(m_cred, IDC_CRED_TUNNEL_PASSWORD, "wonderland");
    }
    // OK; the new profile's name ("" when it was not saved).
    std::string OkSaved()
    {
        std::string name = TextOf(m_sys, IDC_SYS_PROFILE_NAME);
        Ok();
        return ProfileExists(name.c_str()) && !EditorShown() ? name : "";
    }
};

TEST_F(CertPages, ClientListShowsNamedCertificatesAndStoresTheChosenHash)
{
    StoreCert client("MY", kqtest::kClientCert, sizeof(kqtest::kClientCert), L"Alice at work");
    StoreCert second("MY", kqtest::kSecondClientCert, sizeof(kqtest::kSecondClientCert));
    StoreCert nameless("MY", kqtest::kNoSubjectCert, sizeof(kqtest::kNoSubjectCert), L"nameless");
    ASSERT_TRUE(client.ok() && second.ok() && nameless.ok());

    AddPeapWithCredentials(ID_EAP_TLS);
    EapTab(CEapSettingsDlg::TAB_CLIENT_CERT);
    ASSERT_EQ(m_client, FrontEapPage());
    EXPECT_FALSE(Enabled(m_client, IDC_CCERT_COMBO));
    ClickIn(m_client, IDC_CCERT_USE);
    EXPECT_TRUE(Enabled(m_client, IDC_CCERT_COMBO));
    EXPECT_TRUE(Enabled(m_client, IDC_CCERT_FRIENDLY));
    // The nameless certificate is not listed; the first one is chosen.
    std::vector<std::string> items = ComboItems(m_client, IDC_CCERT_COMBO);
    std::sort(items.begin(), items.end());
    EXPECT_EQ((std::vector<std::string>{ "Kestiq Second Client", "Kestiq Test Client" }), items);
    EXPECT_EQ(ComboItems(m_client, IDC_CCERT_COMBO)[0], ComboSelection(m_client, IDC_CCERT_COMBO));

    ASSERT_TRUE(PickComboItem(m_client, IDC_CCERT_COMBO, "Kestiq Test Client"));
    EXPECT_EQ("Kestiq Test Client", TextOf(m_client, IDC_CCERT_ISSUED_TO));
    EXPECT_EQ("Kestiq Test Client", TextOf(m_client, IDC_CCERT_ISSUED_BY));
    EXPECT_NE(std::string::npos, TextOf(m_client, IDC_CCERT_EXPIRY).find("46"));
    EXPECT_EQ("Alice at work", TextOf(m_client, IDC_CCERT_FRIENDLY));
    Shot("eap-client-cert");
    // Without a friendly name the value is empty.
    ASSERT_TRUE(PickComboItem(m_client, IDC_CCERT_COMBO, "Kestiq Second Client"));
    EXPECT_EQ("Kestiq Second Client", TextOf(m_client, IDC_CCERT_ISSUED_TO));
    EXPECT_EQ("", TextOf(m_client, IDC_CCERT_FRIENDLY));

    std::string name = OkSaved();
    ASSERT_NE("", name);
    EXPECT_EQ("1", Stored(name.c_str(), "AuthenProtocol"));
    EXPECT_EQ("1", Stored(name.c_str(), "UseClientCert"));
    EXPECT_EQ("20", Stored(name.c_str(), "ClientCertLen"));
    EXPECT_EQ(StoreHashHex("MY", kqtest::kSecondClientCert, sizeof(kqtest::kSecondClientCert)),
              Stored(name.c_str(), "ClientCertData"));
    EXPECT_EQ(40u, Stored(name.c_str(), "ClientCertData").size());
}

TEST_F(CertPages, AnyTrustedCaStoresNoHashAndAChosenCaSurvivesARefill)
{
    StoreCert root("ROOT", kqtest::kRootCaCert, sizeof(kqtest::kRootCaCert));
    StoreCert other("ROOT", kqtest::kOtherCaCert, sizeof(kqtest::kOtherCaCert));
    ASSERT_TRUE(root.ok() && other.ok());
    const std::string rootHash = StoreHashHex("ROOT", kqtest::kRootCaCert, sizeof(kqtest::kRootCaCert));
    ASSERT_EQ(40u, rootHash.size());

    const struct {
        const char* what;
        const char* choice;
        bool refill;
        const char* len;
        std::string data;
    } cases[] = {
        { "any trusted CA", CServerCertPage::kAnyTrustedCa, false, "0", "" },
        { "the test CA", "Kestiq Test Root CA", false, "20", rootHash },
        { "the test CA after a refill", "Kestiq Test Root CA", true, "20", rootHash },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AddPeapWithCredentials();
        EapTab(CEapSettingsDlg::TAB_SERVER_CERT);
        ClickIn(m_server, IDC_SCERT_USE);
        std::vector<std::string> items = ComboItems(m_server, IDC_SCERT_COMBO);
        ASSERT_FALSE(items.empty());
        EXPECT_EQ(CServerCertPage::kAnyTrustedCa, items[0]);
        EXPECT_NE(items.end(), std::find(items.begin(), items.end(), "Kestiq Other CA"));
        ASSERT_TRUE(PickComboItem(m_server, IDC_SCERT_COMBO, c.choice));
        if (c.refill) {
            // The list is emptied and built again; the choice is the page's own copy.
            ClickIn(m_server, IDC_SCERT_USE);
            ClickIn(m_server, IDC_SCERT_USE);
            EXPECT_EQ(c.choice, ComboSelection(m_server, IDC_SCERT_COMBO));
        }
        Type(m_server, IDC_SCERT_SERVER_NAME, "radius.kestiq.test");
        if (c.refill) Shot("eap-server-cert");
        std::string name = OkSaved();
        ASSERT_NE("", name);
        EXPECT_EQ("1", Stored(name.c_str(), "UseServerCert"));
        EXPECT_EQ(c.len, Stored(name.c_str(), "ServerCertLen"));
        EXPECT_EQ(c.data, Stored(name.c_str(), "ServerCertData"));
        EXPECT_EQ("radius.kestiq.test", Stored(name.c_str(), "ServerName"));
        EXPECT_EQ("0", Stored(name.c_str(), "NameRule"));
    }
}

TEST_F(CertPages, TwoCasOfOneNameStayApart)
{
    StoreCert root("ROOT", kqtest::kRootCaCert, sizeof(kqtest::kRootCaCert));
    StoreCert twin("ROOT", kqtest::kTwinRootCaCert, sizeof(kqtest::kTwinRootCaCert));
    ASSERT_TRUE(root.ok() && twin.ok());
    AddPeapWithCredentials();
    EapTab(CEapSettingsDlg::TAB_SERVER_CERT);
    ClickIn(m_server, IDC_SCERT_USE);
    HWND combo = GetDlgItem(m_server->m_hWnd, IDC_SCERT_COMBO);
    std::vector<std::string> items = ComboItems(m_server, IDC_SCERT_COMBO);
    std::vector<int> lines;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == "Kestiq Test Root CA") lines.push_back((int)i);
    ASSERT_EQ(2u, lines.size());
    std::set<std::string> stored;
    for (int line : lines) {
        SendMessageA(combo, CB_SETCURSEL, line, 0);
        SendMessageA(m_server->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SCERT_COMBO, CBN_SELCHANGE), (LPARAM)combo);
        Pump();
        Dot1xSettings d;
        m_eap->StoreSettings(d);
        stored.insert(kqtest::BytesToHexText(d.serverCert, d.serverCertLength));
    }
    std::set<std::string> expected = {
        StoreHashHex("ROOT", kqtest::kRootCaCert, sizeof(kqtest::kRootCaCert)),
        StoreHashHex("ROOT", kqtest::kTwinRootCaCert, sizeof(kqtest::kTwinRootCaCert)),
    };
    EXPECT_EQ(expected, stored);
}

TEST_F(CertPages, EditChoosesTheStoredCertificatesAgain)
{
    StoreCert client("MY", kqtest::kClientCert, sizeof(kqtest::kClientCert), L"Alice at work");
    StoreCert second("MY", kqtest::kSecondClientCert, sizeof(kqtest::kSecondClientCert));
    StoreCert root("ROOT", kqtest::kOtherCaCert, sizeof(kqtest::kOtherCaCert));
    ASSERT_TRUE(client.ok() && second.ok() && root.ok());
    // A certificate that was in the store when the profile was made, and is gone.
    const BYTE gone[20] = { 0xde, 0xad, 0xbe, 0xef, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16 };

    const struct {
        const char* what;
        std::vector<BYTE> clientHash, serverHash;
        const char* clientShown;
        const char* serverShown;
    } cases[] = {
        { "both in their stores", second.Sha1(), root.Sha1(), "Kestiq Second Client", "Kestiq Other CA" },
        { "both gone from their stores", std::vector<BYTE>(gone, gone + 20), std::vector<BYTE>(gone, gone + 20), "",
          "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProfileSettings s = Wpa2Corp();
        s.dot1x.eapMethod = 1;   // TLS
        s.dot1x.identity = "alice";
        s.dot1x.useClientCert = 1;
        s.dot1x.clientCertLength = (int)c.clientHash.size();
        std::copy(c.clientHash.begin(), c.clientHash.end(), s.dot1x.clientCert);
        s.dot1x.useServerCert = 1;
        s.dot1x.serverName = "kestiq.test";
        s.dot1x.nameRule = 1;
        s.dot1x.intermediateCert = 1;
        s.dot1x.serverCertLength = (int)c.serverHash.size();
        std::copy(c.serverHash.begin(), c.serverHash.end(), s.dot1x.serverCert);
        ASSERT_TRUE(WriteProfile("Corp", s));
        m_page->LoadProfileList();
        Edit("Corp");
        Tab(EDIT_TAB_8021X);
        EXPECT_EQ("TLS/SmartCard", TextOf(m_eap, IDC_EAP_METHOD));
        EXPECT_TRUE(Checked(m_client, IDC_CCERT_USE));
        EXPECT_EQ(c.clientShown, ComboSelection(m_client, IDC_CCERT_COMBO));
        EXPECT_EQ(c.clientShown, TextOf(m_client, IDC_CCERT_ISSUED_TO));
        EXPECT_TRUE(Checked(m_server, IDC_SCERT_USE));
        EXPECT_TRUE(Checked(m_server, IDC_SCERT_INTERMEDIATE));
        EXPECT_TRUE(Checked(m_server, IDC_SCERT_DOMAIN));
        EXPECT_EQ("kestiq.test", TextOf(m_server, IDC_SCERT_SERVER_NAME));
        EXPECT_EQ(c.serverShown, ComboSelection(m_server, IDC_SCERT_COMBO));
        // Saving again keeps what the profile held, listed or not.
        Ok();
        ASSERT_FALSE(EditorShown());
        EXPECT_EQ(kqtest::BytesToHexText(c.clientHash.data(), 20), Stored("Corp", "ClientCertData"));
        EXPECT_EQ(kqtest::BytesToHexText(c.serverHash.data(), 20), Stored("Corp", "ServerCertData"));
        EXPECT_EQ("1", Stored("Corp", "NameRule"));
        EXPECT_EQ("1", Stored("Corp", "IntermediateCert"));
    }
}

}  // namespace
