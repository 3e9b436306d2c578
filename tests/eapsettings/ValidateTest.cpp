// What the editor's OK asks of the 802.1X settings, in their order, with
// the message of each refusal; and that every credential edit holds what
// the profile store keeps.
#include "eapsettings/EapFixture.h"

#include "support/BoxAnswer.h"

namespace {

using kqtest::BoxAnswer;
using kqtest::EapTest;

const char* const kIdentity = "Identity required in authentication setting!";
const char* const kTunnelBoth = "Tunneled identity and password required for FAST, TTLS or PEAP authentication!";
const char* const kTunnelId = "Tunneled identity required for PEAP authentication!";
const char* const kMd5 = "Password required for MD5 authentication!";
const char* const kClientCert = "Please select a client certificate to use!";
const char* const kDomain = "8021X - Server Identity has Invalid domain name!";

struct Typed {
    UINT id;
    std::string text;
};

class Validate : public EapTest {
protected:
    // OK on the editor: the message it showed ("" when none) and whether it saved.
    std::pair<std::string, bool> OkResult()
    {
        std::string name = TextOf(m_sys, IDC_SYS_PROFILE_NAME);
        BoxAnswer box;
        Ok();
        std::pair<std::string, bool> r(box.Text(), ProfileExists(name.c_str()));
        RemoveProfiles();
        m_page->LoadProfileList();
        m_dlg.ShowPage(PANEL_LINK_STATUS);
        return r;
    }
    // The methods and page settings of a case, as a person sets them.
    void Set(const std::vector<UINT>& commands, const std::vector<Typed>& typed)
    {
        for (UINT id : commands) {
            if (id >= ID_EAP_PEAP) Command(m_eap, id);
            else ClickIn(m_eap->CredentialPage(), id);
        }
        for (const Typed& t : typed) Type(m_cred, t.id, t.text);
    }
    void PickProvisioningTunnel(int index)
    {
        EapTab(CEapSettingsDlg::TAB_EAP_FAST);
        HWND list = GetDlgItem(m_pac->m_hWnd, IDC_PAC_TUNNEL);
        SendMessageA(list, CB_SETCURSEL, index, 0);
        SendMessageA(m_pac->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PAC_TUNNEL, CBN_SELCHANGE), (LPARAM)list);
        Pump();
        EapTab(CEapSettingsDlg::TAB_CREDENTIAL);
    }
};

TEST_F(Validate, EachMethodAsksForItsCredentials)
{
    const Typed id{ IDC_CRED_ID, "alice" }, tid{ IDC_CRED_TUNNEL_ID, "inner" }, tpw{ IDC_CRED_TUNNEL_PASSWORD, "pw" },
        pw{ IDC_CRED_PASSWORD, "secret" };
    const struct {
        const char* what;
        std::vector<UINT> commands;
        int provisioningTunnel;   // EAP-FAST only, -1 leaves it
        std::vector<Typed> typed;
        const char* message;
    } cases[] = {
        { "no identity", {}, -1, { tid, tpw }, kIdentity },
        { "PEAP, MS-CHAP v2 without a tunnel password", {}, -1, { id, tid }, kTunnelBoth },
        { "PEAP, MS-CHAP v2 without a tunnel identity", {}, -1, { id, tpw }, kTunnelBoth },
        { "PEAP, MS-CHAP v2", {}, -1, { id, tid, tpw }, "" },
        { "PEAP, TLS inside without a tunnel identity", { ID_INNER_TLS }, -1, { id }, kIdentity },
        { "PEAP, TLS inside needs no tunnel password", { ID_INNER_TLS }, -1, { id, tid }, "" },
        { "PEAP, token card without a tunnel identity", { ID_INNER_GTC }, -1, { id, tpw }, kTunnelId },
        { "PEAP, token card, static password missing", { ID_INNER_GTC }, -1, { id, tid }, kTunnelBoth },
        { "PEAP, token card, soft token needs none", { ID_INNER_GTC, IDC_CRED_SOFT_TOKEN }, -1, { id, tid }, "" },
        { "TTLS, PAP without a tunnel password", { ID_EAP_TTLS, ID_TTLS_PAP }, -1, { id, tid }, kTunnelBoth },
        { "TTLS, EAP-MD5 without a password", { ID_EAP_TTLS, ID_TTLS_EAPMD5 }, -1, { id, tid, tpw }, kMd5 },
        { "TTLS, EAP-MD5", { ID_EAP_TTLS, ID_TTLS_EAPMD5 }, -1, { id, tid, tpw, pw }, "" },
        { "EAP-FAST, TLS inside, TLS tunnel: a tunnel identity", { ID_EAP_FAST, ID_INNER_TLS }, 1, { id, tid }, "" },
        { "EAP-FAST, TLS inside, TLS tunnel: no tunnel identity", { ID_EAP_FAST, ID_INNER_TLS }, 1, { id }, kIdentity },
        { "EAP-FAST, TLS inside, MS-CHAP v2 tunnel", { ID_EAP_FAST, ID_INNER_TLS }, 0, { id, tid }, kTunnelBoth },
        { "EAP-FAST, token card tunnel, static password", { ID_EAP_FAST, ID_INNER_TLS }, 2, { id, tid }, kTunnelBoth },
        { "EAP-FAST, token card inside and as tunnel, soft token", { ID_EAP_FAST, ID_INNER_GTC, IDC_CRED_SOFT_TOKEN }, 2,
          { id, tid }, "" },
        { "TLS needs the identity only", { ID_EAP_TLS }, -1, { id }, "" },
    };
    for (const auto& c : cases) {
        AddWpa2();
        Set(c.commands, c.typed);
        if (c.provisioningTunnel >= 0) PickProvisioningTunnel(c.provisioningTunnel);
        std::pair<std::string, bool> r = OkResult();
        EXPECT_EQ(c.message, r.first) << c.what;
        EXPECT_EQ(*c.message == 0, r.second) << c.what;
    }
}

TEST_F(Validate, ServerNamesFollowTheirRule)
{
    const struct {
        const char* name;
        bool domainRule;
        const char* message;
    } cases[] = {
        { "", false, kIdentity },
        { "radius", false, "" },
        { ".radius", false, "" },
        { "radius", true, kDomain },
        { ".kestiq.test", true, kDomain },
        { "kestiq.", true, kDomain },
        { ".", true, kDomain },
        { "a.b.", true, "" },
        { "a.b", true, "" },
        { "radius.kestiq.test", true, "" },
        { "", true, kIdentity },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.name + "\"");
        AddWpa2();
        Set({}, { { IDC_CRED_ID, "alice" }, { IDC_CRED_TUNNEL_ID, "alice" }, { IDC_CRED_TUNNEL_PASSWORD, "pw" } });
        EapTab(CEapSettingsDlg::TAB_SERVER_CERT);
        ClickIn(m_server, IDC_SCERT_USE);
        Type(m_server, IDC_SCERT_SERVER_NAME, c.name);
        ClickIn(m_server, c.domainRule ? IDC_SCERT_DOMAIN : IDC_SCERT_EXACT);
        EXPECT_EQ(m_server, FrontEapPage()) << "the rule keeps its page in front";
        if (c.domainRule && *c.message) Shot("eap-server-cert-domain");
        std::pair<std::string, bool> r = OkResult();
        EXPECT_EQ(c.message, r.first);
        EXPECT_EQ(*c.message == 0, r.second);
    }
}

TEST_F(Validate, AClientCertificateMustBeChosenWhenItIsUsed)
{
    // The prefix's personal store is empty: nothing can be chosen.
    AddWith({ ID_AUTH_WPA2, ID_ENCRYPTION_AES });
    Command(m_eap, ID_EAP_TLS);
    Type(m_cred, IDC_CRED_ID, "alice");
    EapTab(CEapSettingsDlg::TAB_CLIENT_CERT);
    ClickIn(m_client, IDC_CCERT_USE);
    ASSERT_EQ(0, (int)SendMessageA(GetDlgItem(m_client->m_hWnd, IDC_CCERT_COMBO), CB_GETCOUNT, 0, 0))
        << "the personal store holds certificates another test left";
    std::pair<std::string, bool> r = OkResult();
    EXPECT_EQ(kClientCert, r.first);
    EXPECT_FALSE(r.second);
}

TEST_F(Validate, Open8021xIsCheckedLikeWpaAndPskIsNot)
{
    const struct {
        const char* what;
        std::initializer_list<UINT> security;
        const char* message;
    } cases[] = {
        { "open, WEP, 802.1X", { ID_ENCRYPTION_WEP, IDC_SEC_8021X }, kIdentity },
        { "shared, WEP, 802.1X", { ID_AUTH_SHARED, ID_ENCRYPTION_WEP, IDC_SEC_8021X }, kIdentity },
        { "WPA", { ID_AUTH_WPA }, kIdentity },
        { "WPA2-PSK", { ID_AUTH_WPA2_PSK }, "" },
        { "open, WEP, no 802.1X", { ID_ENCRYPTION_WEP }, "" },
    };
    for (const auto& c : cases) {
        AddWith(c.security);
        // A key the security tab accepts, so that only the 8021X tab can refuse.
        Tab(EDIT_TAB_SECURITY);
        Type(m_sec, IDC_SEC_KEY1, "0123456789");
        Type(m_sec, IDC_SEC_PSK, "kestiq-secret");
        EXPECT_EQ(c.message, OkResult().first) << c.what;
    }
}

TEST_F(Validate, CredentialEditsHoldWhatTheStoreKeeps)
{
    AddWpa2();
    const std::string longText(130, 'c');
    const std::string kept(127, 'c');
    const struct { CWnd* page; UINT id; const char* value; } edits[] = {
        { m_cred, IDC_CRED_ID, "ID" },
        { m_cred, IDC_CRED_PASSWORD, "Password" },
        { m_cred, IDC_CRED_DOMAIN, "DomainName" },
        { m_cred, IDC_CRED_TUNNEL_ID, "TunnelID" },
        { m_cred, IDC_CRED_TUNNEL_PASSWORD, "TunnelPassword" },
        { m_server, IDC_SCERT_SERVER_NAME, "ServerName" },
    };
    for (const auto& e : edits)
        EXPECT_EQ(127, (int)SendMessageA(GetDlgItem(e.page->m_hWnd, e.id), EM_GETLIMITTEXT, 0, 0)) << e.value;
    // Typed where each row is open: EAP-FAST takes the domain, TTLS the
    // user's password, the server page its name once it is used.
    auto typeInto = [&](CWnd* page, UINT id) {
        ASSERT_TRUE(Enabled(page, id)) << id;
        Type(page, id, longText);
        EXPECT_EQ(kept, TextOf(page, id)) << id;
    };
    Command(m_eap, ID_EAP_FAST);
    for (UINT id : { IDC_CRED_ID, IDC_CRED_DOMAIN, IDC_CRED_TUNNEL_ID, IDC_CRED_TUNNEL_PASSWORD }) typeInto(m_cred, id);
    Command(m_eap, ID_EAP_TTLS);
    typeInto(m_cred, IDC_CRED_PASSWORD);
    EapTab(CEapSettingsDlg::TAB_SERVER_CERT);
    ClickIn(m_server, IDC_SCERT_USE);
    typeInto(m_server, IDC_SCERT_SERVER_NAME);
    std::string name = TextOf(m_sys, IDC_SYS_PROFILE_NAME);
    Ok();
    ASSERT_FALSE(EditorShown());
    for (const auto& e : edits) EXPECT_EQ(kept, Stored(name.c_str(), e.value)) << e.value;

    // And it all reads back.
    Edit(name.c_str());
    Tab(EDIT_TAB_8021X);
    for (const auto& e : edits) EXPECT_EQ(kept, TextOf(e.page, e.id)) << e.value;
}

}  // namespace
