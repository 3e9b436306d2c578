// The method menus of the 802.1X settings: what each choice shows on the
// buttons, which tabs it lays out where, which credential rows it takes,
// and when "MD5-Challenge" may be chosen.
#include "eapsettings/EapFixture.h"

namespace {

using kqtest::EapTest;
using kqtest::MenuSeen;

class Methods : public EapTest {
protected:
    // The credential page's rows: enabled or not (label and edit together).
    bool RowEnabled(UINT label, UINT edit)
    {
        bool l = Enabled(m_cred, label), e = Enabled(m_cred, edit);
        EXPECT_EQ(l, e) << "label " << label << " and edit " << edit << " go together";
        return e;
    }
};

TEST_F(Methods, EachMethodShowsItsButtonsTabsAndRows)
{
    enum { CRED = CEapSettingsDlg::TAB_CREDENTIAL, FAST = CEapSettingsDlg::TAB_EAP_FAST,
           CLIENT = CEapSettingsDlg::TAB_CLIENT_CERT, SERVER = CEapSettingsDlg::TAB_SERVER_CERT };
    const struct {
        const char* what;
        int item;                 // in menu 239
        const char* button;
        const char* tunnel;       // "" when hidden
        std::vector<int> tabs;    // shown, left to right
        bool userPassword, domain, tunnelId, tunnelPassword;
        const char* shot;
    } cases[] = {
        { "PEAP", 0, "PEAP", "EAP-MSCHAP v2", { CRED, CLIENT, SERVER }, false, false, true, true, "eap-peap" },
        { "TLS", 1, "TLS/SmartCard", "", { CRED, CLIENT, SERVER }, false, false, false, false, "eap-tls" },
        { "TTLS", 2, "TTLS", "MS-CHAP-V2", { CRED, CLIENT, SERVER }, true, false, true, true, "eap-ttls" },
        { "EAP-FAST", 3, "EAP-FAST", "EAP-MSCHAP v2", { CRED, FAST }, false, true, true, true, "eap-fast" },
        { "MD5-Challenge", 4, "MD5-Challenge", "", { CRED, SERVER }, true, false, false, false, "eap-md5" },
    };
    // Open with WEP and 802.1X leaves MD5-Challenge to choose.
    AddWith({ ID_ENCRYPTION_WEP, IDC_SEC_8021X });
    ASSERT_TRUE(IsWindowVisible(m_eap->m_hWnd));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EapTab(SERVER);   // the layout brings the first tab forward again
        MenuSeen seen = ChooseMethod(c.item);
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(c.item, m_eap->m_nOuterMethod);
        EXPECT_EQ(c.button, TextOf(m_eap, IDC_EAP_METHOD));
        EXPECT_EQ(*c.tunnel != 0, Visible(m_eap, IDC_EAP_TUNNEL));
        EXPECT_EQ(*c.tunnel != 0, Visible(m_eap, IDC_EAP_LABEL_TUNNEL));
        if (*c.tunnel) EXPECT_EQ(c.tunnel, TextOf(m_eap, IDC_EAP_TUNNEL));
        std::vector<std::pair<int, int>> shown;   // left edge, tab
        for (int t = 0; t < CEapSettingsDlg::TAB_COUNT; ++t)
            if (TabShown(t)) shown.push_back({ TabLeft(t), t });
        std::sort(shown.begin(), shown.end());
        std::vector<int> order;
        for (const auto& s : shown) order.push_back(s.second);
        EXPECT_EQ(c.tabs, order);
        // Tabs sit side by side from the left, without gaps.
        for (size_t i = 1; i < shown.size(); ++i) EXPECT_EQ(shown[i - 1].first + 170, shown[i].first);
        EXPECT_EQ(m_cred, FrontEapPage());
        EXPECT_TRUE(RowEnabled(IDC_CRED_LABEL_ID, IDC_CRED_ID));
        EXPECT_EQ(c.userPassword, RowEnabled(IDC_CRED_LABEL_PASSWORD, IDC_CRED_PASSWORD));
        EXPECT_EQ(c.domain, RowEnabled(IDC_CRED_LABEL_DOMAIN, IDC_CRED_DOMAIN));
        EXPECT_EQ(c.tunnelId, RowEnabled(IDC_CRED_LABEL_TUNNEL_ID, IDC_CRED_TUNNEL_ID));
        EXPECT_EQ(c.tunnelPassword, RowEnabled(IDC_CRED_LABEL_TUNNEL_PASSWORD, IDC_CRED_TUNNEL_PASSWORD));
        EXPECT_FALSE(Visible(m_cred, IDC_CRED_SOFT_TOKEN));
        Shot(c.shot);
    }
}

TEST_F(Methods, Md5ChallengeIsOfferedByTheSecurityChoice)
{
    const std::vector<UINT> ids = { ID_EAP_PEAP, ID_EAP_TLS, ID_EAP_TTLS, ID_EAP_FAST, ID_EAP_MD5 };
    const std::vector<std::string> texts = { "PEAP", "TLS / Smart Card", "TTLS", "EAP-FAST", "MD5-Challenge" };
    const struct {
        const char* what;
        std::initializer_list<UINT> security;
        bool md5;
        const char* shot;
    } cases[] = {
        { "open, WEP, 802.1X", { ID_ENCRYPTION_WEP, IDC_SEC_8021X }, true, "menu-eap-method" },
        { "shared, WEP, 802.1X", { ID_AUTH_SHARED, ID_ENCRYPTION_WEP, IDC_SEC_8021X }, true, nullptr },
        { "WPA with TKIP: choices 3 and 2", { ID_AUTH_WPA }, false, "menu-eap-method-no-md5" },
        { "WPA2 with AES", { ID_AUTH_WPA2, ID_ENCRYPTION_AES }, false, nullptr },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AddWith(c.security);
        ASSERT_EQ(m_eap, FrontTab());
        MenuSeen seen = ChooseMethod(-1, c.shot);
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(ids, seen.ids);
        EXPECT_EQ(texts, seen.texts);
        for (UINT id : { ID_EAP_PEAP, ID_EAP_TLS, ID_EAP_TTLS, ID_EAP_FAST }) EXPECT_FALSE(seen.Grey(id)) << id;
        EXPECT_EQ(!c.md5, seen.Grey(ID_EAP_MD5));
        m_dlg.ShowPage(PANEL_LINK_STATUS);
    }
}

TEST_F(Methods, InnerMethodsSetTheTunnelButtonAndTheTunnelRows)
{
    AddWpa2();
    const struct {
        int item;
        const char* button;
        bool tunnelPassword, passwordMode;
        const char* shot;
    } peap[] = {
        { 2, "Generic Token Card", true, true, "eap-peap-gtc" },
        { 1, "EAP-TLS/SmartCard", false, false, "eap-peap-tls" },
        { 0, "EAP-MSCHAP v2", true, false, nullptr },
    };
    MenuSeen seen = ChooseTunnel(-1, "menu-eap-inner");
    EXPECT_EQ((std::vector<UINT>{ ID_INNER_MSCHAPV2, ID_INNER_TLS, ID_INNER_GTC }), seen.ids);
    EXPECT_EQ((std::vector<std::string>{ "EAP-MSCHAP v2", "EAP-TLS / Smart Card", "Generic Token Card" }), seen.texts);
    for (const auto& c : peap) {
        SCOPED_TRACE(c.button);
        ChooseTunnel(c.item);
        EXPECT_EQ(c.item, m_eap->m_nInnerMethod);
        EXPECT_EQ(c.button, TextOf(m_eap, IDC_EAP_TUNNEL));
        EXPECT_EQ(c.tunnelPassword, Enabled(m_cred, IDC_CRED_TUNNEL_PASSWORD));
        EXPECT_EQ(c.tunnelPassword, Enabled(m_cred, IDC_CRED_LABEL_TUNNEL_PASSWORD));
        for (UINT id : { IDC_CRED_LABEL_PASSWORD_MODE, IDC_CRED_SOFT_TOKEN, IDC_CRED_STATIC_PASSWORD })
            EXPECT_EQ(c.passwordMode, Visible(m_cred, id)) << id;
        if (c.shot) Shot(c.shot);
    }

    // TTLS has its own inner menu, with the toolbar's pictures; a choice
    // changes only the button.
    ChooseMethod(2);
    seen = ChooseTunnel(-1, "menu-eap-ttls");
    EXPECT_EQ((std::vector<UINT>{ ID_TTLS_CHAP, ID_TTLS_MSCHAP, ID_TTLS_MSCHAPV2, ID_TTLS_PAP, ID_TTLS_EAPMD5 }), seen.ids);
    const char* ttls[5] = { "CHAP", "MS-CHAP", "MS-CHAP-V2", "PAP", "EAP-MD5" };
    EXPECT_EQ(std::vector<std::string>(ttls, ttls + 5), seen.texts);
    for (int i = 0; i < 5; ++i) {
        ChooseTunnel(i);
        EXPECT_EQ(i, m_eap->m_nTtlsInnerMethod);
        EXPECT_EQ(ttls[i], TextOf(m_eap, IDC_EAP_TUNNEL));
        EXPECT_TRUE(Enabled(m_cred, IDC_CRED_TUNNEL_PASSWORD));
        EXPECT_FALSE(Visible(m_cred, IDC_CRED_SOFT_TOKEN));
    }
    EXPECT_EQ(CEapSettingsDlg::INNER_MSCHAPV2, m_eap->m_nInnerMethod) << "the PEAP choice is kept apart";
    // Back to PEAP: its inner method starts again from EAP-MSCHAP v2.
    ChooseTunnel(0);
    ChooseMethod(3);
    ChooseTunnel(2);
    ChooseMethod(0);
    EXPECT_EQ("EAP-MSCHAP v2", TextOf(m_eap, IDC_EAP_TUNNEL));
    EXPECT_FALSE(Visible(m_cred, IDC_CRED_SOFT_TOKEN));
}

TEST_F(Methods, Wpa2SwitchesMd5ChallengeToPeap)
{
    AddWith({ ID_ENCRYPTION_WEP, IDC_SEC_8021X });
    ChooseMethod(4);
    ASSERT_EQ("MD5-Challenge", TextOf(m_eap, IDC_EAP_METHOD));
    ASSERT_FALSE(TabShown(CEapSettingsDlg::TAB_CLIENT_CERT));
    Tab(EDIT_TAB_SECURITY);
    // With MD5-Challenge the WEP keys stay the host's to check.
    EXPECT_TRUE(Enabled(m_sec, IDC_SEC_KEY1));
    Command(m_sec, ID_AUTH_WPA2);
    EXPECT_EQ(CEapSettingsDlg::EAP_PEAP, m_eap->m_nOuterMethod);
    Tab(EDIT_TAB_8021X);
    EXPECT_EQ("PEAP", TextOf(m_eap, IDC_EAP_METHOD));
    EXPECT_EQ("EAP-MSCHAP v2", TextOf(m_eap, IDC_EAP_TUNNEL));
    EXPECT_TRUE(TabShown(CEapSettingsDlg::TAB_CLIENT_CERT));
    EXPECT_EQ(m_cred, FrontEapPage());
}

TEST_F(Methods, RadiosAndSessionResumptionAreStored)
{
    AddWpa2();
    ChooseTunnel(2);   // Generic Token Card
    Type(m_cred, IDC_CRED_ID, "alice");
    Type(m_cred, IDC_CRED_TUNNEL_ID, "token-user");
    EapTab(CEapSettingsDlg::TAB_SERVER_CERT);
    EapTab(CEapSettingsDlg::TAB_CREDENTIAL);
    EXPECT_TRUE(Checked(m_cred, IDC_CRED_STATIC_PASSWORD));
    ClickIn(m_cred, IDC_CRED_SOFT_TOKEN);
    // The radio keeps its page in front and the other one clears.
    EXPECT_EQ(m_cred, FrontEapPage());
    EXPECT_FALSE(Checked(m_cred, IDC_CRED_STATIC_PASSWORD));
    EXPECT_EQ(CTunnelCredentialPage::PASSWORD_MODE_SOFT_TOKEN, m_cred->m_nPasswordMode);
    ClickIn(m_eap, IDC_EAP_SESSION);
    EXPECT_TRUE(m_eap->m_bSessionResumption);
    std::string name = TextOf(m_sys, IDC_SYS_PROFILE_NAME);
    Ok();
    ASSERT_FALSE(EditorShown());
    EXPECT_EQ("0", Stored(name.c_str(), "PasswordMode"));
    EXPECT_EQ("1", Stored(name.c_str(), "SessionResumption"));
    EXPECT_EQ("6", Stored(name.c_str(), "TunnelProtocol"));
    EXPECT_EQ("token-user", Stored(name.c_str(), "TunnelID"));
}

TEST_F(Methods, UnusableStoredValuesLeaveTheTabAsItWas)
{
    ProfileSettings corp = Wpa2Corp();
    corp.dot1x.identity = "alice";
    ASSERT_TRUE(WriteProfile("Corp", corp));
    // Values written by hand that the tab cannot show.
    HKEY key = OpenProfileKey("Corp", KEY_SET_VALUE);
    ASSERT_NE(nullptr, key);
    const std::pair<const char*, const char*> bad[] = {
        { "AuthenProtocol", "7" }, { "TunnelProtocol", "99" }, { "ProvisioningTunnel", "abc" },
        { "PasswordMode", "5" }, { "UseServerCert", "1" }, { "ServerCertLen", "500" }, { "ServerCertData", "zz" },
        { "UseClientCert", "1" }, { "ClientCertLen", "-3" }, { "ClientCertData", "0102" },
    };
    for (const auto& v : bad) RegSetValueExA(key, v.first, 0, REG_SZ, (const BYTE*)v.second, (DWORD)strlen(v.second));
    RegCloseKey(key);
    m_page->LoadProfileList();
    // The tab as Add leaves it: PEAP with EAP-MSCHAP v2.
    AddWpa2();
    m_dlg.ShowPage(PANEL_LINK_STATUS);
    Edit("Corp");
    Tab(EDIT_TAB_8021X);
    EXPECT_EQ("PEAP", TextOf(m_eap, IDC_EAP_METHOD));
    EXPECT_EQ("EAP-MSCHAP v2", TextOf(m_eap, IDC_EAP_TUNNEL));
    EXPECT_EQ("alice", TextOf(m_cred, IDC_CRED_ID));
    EXPECT_EQ(CTunnelCredentialPage::PASSWORD_MODE_STATIC, m_cred->m_nPasswordMode);
    EXPECT_TRUE(Checked(m_server, IDC_SCERT_USE));
    EXPECT_FALSE(m_server->HasSelection()) << "no hash could be read";
    EXPECT_TRUE(Checked(m_client, IDC_CCERT_USE));
    EXPECT_EQ(CEapFastPacPage::TUNNEL_MSCHAPV2, m_pac->m_nProvisioningTunnel);
}

}  // namespace
