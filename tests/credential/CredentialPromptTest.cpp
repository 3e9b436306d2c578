// The credential re-entry panel: why the login failed, the rows a method
// and a reason ask for, what OK stores (the LEAP values for LEAP, the others
// otherwise, in the adapter key and the profile's key) and how it tries
// again; a time-out's OK only reconnects; Cancel stays away.
#include "credential/PanelFixture.h"

namespace {

using kqtest::BoxAnswer;
using kqtest::Dot1xProfile;
using kqtest::PanelTest;
using kqtest::Stand;
using kqtest::WaitFor;

class CredentialPromptTest : public PanelTest {
protected:
    // The state the status callback leaves after a failed login of the
    // current profile (method -1: none), then its request for the panel.
    void FailedLogin(int reason, int method, bool stored = true)
    {
        FreeStationConfig(g_pCurProfile);
        g_pCurProfile = nullptr;
        if (method >= 0) {
            g_pCurProfile = AllocStationConfig();
            g_pCurProfile->ssid = kqtest::MakeSsid("Sim-Corp");
            g_pCurProfile->eapMethod = (DWORD)method;
            g_pCurProfile->matchByBssid = stored ? 0 : 1;
        }
        g_bConfigFromRegistry = stored;
        NotePortProfile(g_pCurProfile);
        WriteAdapterText(REGSTR_CUR_PROFILE, "Corp");
        g_nAuthFailReason = reason;
        ASSERT_TRUE(PostShowCredentialPrompt());
        ASSERT_TRUE(PanelInFront(PANEL_CREDENTIAL_PROMPT));
    }
    struct Rows {
        bool identity, password, domain;
        bool operator==(const Rows& o) const
        {
            return identity == o.identity && password == o.password && domain == o.domain;
        }
    };
    Rows RowsShown()
    {
        Rows r = {Visible(m_prompt, IDC_PROMPT_IDENTITY), Visible(m_prompt, IDC_PROMPT_PASSWORD),
                  Visible(m_prompt, IDC_PROMPT_DOMAIN)};
        // A row's label goes with its edit.
        EXPECT_EQ(r.identity, Visible(m_prompt, IDC_PROMPT_IDENTITY_LABEL));
        EXPECT_EQ(r.password, Visible(m_prompt, IDC_PROMPT_PASSWORD_LABEL));
        EXPECT_EQ(r.domain, Visible(m_prompt, IDC_PROMPT_DOMAIN_LABEL));
        return r;
    }
};

std::string Sentence(const char* method)
{
    return std::string("Unable to ") + method +
           " authenticate the wireless user in the specified amount of time. Network infrastructure might be "
           "down. Please press OK to reconnect.";
}

TEST_F(CredentialPromptTest, TheMessageAndTheRowsFollowTheReasonAndTheMethod)
{
    struct {
        const char* shot;
        int reason, method;
        bool stored;
        std::string message;
        Rows rows;
    } cases[] = {
        {"unknown-peap", 2, 0, true, "EAP failure reason is not known.", {true, true, false}},
        {"bad-peap", 1, 0, true, "Invalid identity or password", {true, true, false}},
        {"bad-tls", 1, 1, true, "Invalid identity or password", {true, false, false}},
        {"bad-ttls", 1, 2, true, "Invalid identity or password", {true, true, false}},
        {"bad-fast", 1, 3, true, "Invalid identity or password", {true, true, true}},
        {"bad-md5", 1, 4, true, "Invalid identity or password", {true, true, false}},
        {"bad-leap", 1, 5, true, "Invalid identity or password", {true, true, true}},
        {"bad-no-profile", 1, -1, false, "Invalid identity or password", {true, false, false}},
        {"timeout-peap", 0, 0, true, Sentence("PEAP"), {false, false, false}},
        {"timeout-tls", 0, 1, true, Sentence("TLS"), {false, false, false}},
        {"timeout-ttls", 0, 2, true, Sentence("TTLS"), {false, false, false}},
        {"timeout-fast", 0, 3, true, Sentence("EAP-FAST"), {false, false, false}},
        {"timeout-md5", 0, 4, true, Sentence("MD5"), {false, false, false}},
        {"timeout-leap", 0, 5, true, Sentence("LEAP"), {false, false, false}},
        {"timeout-other", 0, 9, true, "", {false, false, false}},
        {"bad-one-off", 1, 0, false, "Invalid identity or password", {true, true, false}},
    };
    for (auto& c : cases) {
        FailedLogin(c.reason, c.method, c.stored);
        EXPECT_EQ(c.message, TextOf(m_prompt, IDC_PROMPT_MESSAGE)) << c.shot;
        EXPECT_TRUE(RowsShown() == c.rows) << c.shot;
        EXPECT_EQ("Tolvane Wireless LAN Adapter", TextOf(m_prompt, IDC_PROMPT_CARD)) << c.shot;
        // Only a stored profile names itself.
        EXPECT_EQ(c.stored ? "Corp" : "", TextOf(m_prompt, IDC_PROMPT_PROFILE)) << c.shot;
        for (UINT label : {IDC_PROMPT_CARD_LABEL, IDC_PROMPT_PROFILE_LABEL, IDC_PROMPT_MESSAGE_LABEL})
            EXPECT_TRUE(Visible(m_prompt, label)) << c.shot;
        EXPECT_EQ("", TextOf(m_prompt, IDC_PROMPT_IDENTITY)) << c.shot;
        Shot(("credential-prompt-" + std::string(c.shot)).c_str());
        m_dlg.ShowPage(PANEL_LINK_STATUS);
    }
    EXPECT_EQ("Card Name >>", TextOf(m_prompt, IDC_PROMPT_CARD_LABEL));
    EXPECT_EQ("Profile Name >>", TextOf(m_prompt, IDC_PROMPT_PROFILE_LABEL));
    EXPECT_EQ("Message >>", TextOf(m_prompt, IDC_PROMPT_MESSAGE_LABEL));
    EXPECT_EQ("Identity >>", TextOf(m_prompt, IDC_PROMPT_IDENTITY_LABEL));
    EXPECT_EQ("Password >>", TextOf(m_prompt, IDC_PROMPT_PASSWORD_LABEL));
    EXPECT_EQ("Domain Name >>", TextOf(m_prompt, IDC_PROMPT_DOMAIN_LABEL));
    EXPECT_EQ("OK", TextOf(m_prompt, IDC_PROMPT_OK));
    EXPECT_EQ("Cancel", TextOf(m_prompt, IDC_PROMPT_CANCEL));
}

TEST_F(CredentialPromptTest, OkAsksForWhatTheRowsShowAndStoresItInBothKeys)
{
    ASSERT_TRUE(WriteProfile("Corp", Dot1xProfile("Sim-Corp", 0)));
    ASSERT_TRUE(CopyProfileToAdapterKey("Corp"));
    struct {
        int method;
        const char* password;   // typed; nullptr: the row is not there
        std::vector<std::pair<const char*, const char*>> values;
    } cases[] = {
        {0, "pw-peap", {{"ID", "bob"}, {"TunnelID", "bob"}, {"TunnelPassword", "pw-peap"}, {"DomainName", "EAST"},
                        {"Password", "outer-pw"}}},
        {4, "pw-md5", {{"ID", "bob"}, {"TunnelID", "bob"}, {"TunnelPassword", "pw-md5"}, {"Password", "pw-md5"}}},
        {1, nullptr, {{"ID", "bob"}, {"TunnelID", "bob"}, {"TunnelPassword", ""}, {"Password", "pw-md5"}}},
    };
    for (auto& c : cases) {
        FailedLogin(1, c.method);
        {
            BoxAnswer box;
            Click(m_prompt, IDC_PROMPT_OK);
            EXPECT_EQ("Must input Identity", box.Text());
        }
        ASSERT_TRUE(Shown(m_prompt));
        Type(m_prompt, IDC_PROMPT_IDENTITY, "bob");
        if (c.password) {
            BoxAnswer box;
            Click(m_prompt, IDC_PROMPT_OK);
            EXPECT_EQ("Must input Password", box.Text());
            ASSERT_TRUE(Shown(m_prompt));
            Type(m_prompt, IDC_PROMPT_PASSWORD, c.password);
        }
        // The domain row is not shown for these methods: what it holds goes too.
        SetDlgItemTextA(m_prompt->m_hWnd, IDC_PROMPT_DOMAIN, "EAST");
        DWORD mark = Mark();
        Click(m_prompt, IDC_PROMPT_OK);
        EXPECT_TRUE(PanelInFront(PANEL_LINK_STATUS));
        EXPECT_EQ(TRUE, g_bAutoConnect);
        for (const auto& v : c.values)
            for (const char* key : {"", "Corp"}) EXPECT_EQ(v.second, Stored(key, v.first)) << c.method << v.first;
        // The stored configuration, with what was typed, is applied again
        // (behind a scan of the survey page, when one waits).
        EXPECT_TRUE(WaitFor([&] { return !Sets(mark, OID_802_11_SSID).empty(); }, 10000)) << c.method;
        EXPECT_FALSE(Sets(mark, OID_802_11_DISASSOCIATE).empty()) << c.method;
    }
}

TEST_F(CredentialPromptTest, WhatIsTypedIsKeptToWhatTheStoreHoldsAndTheRetryUsesIt)
{
    PutNetwork("Sim-Corp", 1, KQSIM_SEC_WPA2_1X, "method=peap identity=alice password=wonderland");
    ASSERT_TRUE(WriteProfile("Corp", Dot1xProfile("Sim-Corp", 0)));
    ASSERT_TRUE(CopyProfileToAdapterKey("Corp"));
    // Typed as a person types: the 128th character does not go in.
    for (size_t length : {127u, 128u}) {
        SCOPED_TRACE(length);
        FailedLogin(1, 3);   // EAP-FAST: identity, password and domain
        const std::string kept127[] = {std::string(127, 'i'), std::string(127, 'p'), std::string(127, 'd')};
        const UINT edits[] = {IDC_PROMPT_IDENTITY, IDC_PROMPT_PASSWORD, IDC_PROMPT_DOMAIN};
        for (int i = 0; i < 3; ++i) {
            Type(m_prompt, edits[i], std::string(length, kept127[i][0]));
            EXPECT_EQ(kept127[i], TextOf(m_prompt, edits[i]));
        }
        DWORD mark = Mark();
        Click(m_prompt, IDC_PROMPT_OK);
        EXPECT_TRUE(PanelInFront(PANEL_LINK_STATUS));
        for (const char* key : {"", "Corp"}) {
            EXPECT_EQ(kept127[0], Stored(key, "ID")) << key;
            EXPECT_EQ(kept127[0], Stored(key, "TunnelID")) << key;
            EXPECT_EQ(kept127[1], Stored(key, "TunnelPassword")) << key;
            EXPECT_EQ(kept127[2], Stored(key, "DomainName")) << key;
        }
        // The retry logs in with them (the stored profile is PEAP).
        EXPECT_TRUE(WaitFor([&] { return SupplicantSaid(mark, "acPasswordCreate len="); }, 20000));
        EXPECT_EQ(std::vector<std::string>{"acPasswordCreate len=127"}, Supplicant(mark, "acPasswordCreate"));
        // (the stand-in's log keeps the first 110 characters of an identity)
        EXPECT_TRUE(SupplicantSaid(mark, "acIdentityCreate " + kept127[0].substr(0, 110)));
        m_dlg.ShowPage(PANEL_LINK_STATUS);
    }
}

TEST_F(CredentialPromptTest, NoStoredProfileMeansNothingIsWrittenIntoAProfile)
{
    ASSERT_TRUE(WriteProfile("Corp", Dot1xProfile("Sim-Corp", 0)));
    ASSERT_TRUE(CopyProfileToAdapterKey("Corp"));
    // A one-off connection's failure: neither the adapter key nor the last
    // activated profile takes what is typed.
    FailedLogin(1, 0, false);
    Type(m_prompt, IDC_PROMPT_IDENTITY, "bob");
    Type(m_prompt, IDC_PROMPT_PASSWORD, "typed");
    Click(m_prompt, IDC_PROMPT_OK);
    for (const char* key : {"", "Corp"}) EXPECT_EQ("wonderland", Stored(key, "TunnelPassword")) << key;

    // A stored configuration without a profile name: the adapter key only,
    // never the Station key itself.
    FailedLogin(1, 0, true);
    WriteAdapterText(REGSTR_CUR_PROFILE, "");
    m_dlg.ShowPage(PANEL_LINK_STATUS);
    ASSERT_TRUE(PostShowCredentialPrompt());
    ASSERT_TRUE(PanelInFront(PANEL_CREDENTIAL_PROMPT));
    EXPECT_EQ("", TextOf(m_prompt, IDC_PROMPT_PROFILE));
    Type(m_prompt, IDC_PROMPT_IDENTITY, "bob");
    Type(m_prompt, IDC_PROMPT_PASSWORD, "typed");
    Click(m_prompt, IDC_PROMPT_OK);
    EXPECT_EQ("typed", Stored("", "TunnelPassword"));
    EXPECT_EQ("wonderland", Stored("Corp", "TunnelPassword"));
    HKEY station = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, (m_adapterPath + "\\Profile\\Station").c_str(), 0,
                                           KEY_READ, &station));
    DWORD values = 99;
    RegQueryInfoKeyA(station, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(station);
    EXPECT_EQ(0u, values);
}

TEST_F(CredentialPromptTest, CancelStaysDisconnected)
{
    ASSERT_TRUE(WriteProfile("Corp", Dot1xProfile("Sim-Corp", 0)));
    FailedLogin(1, 0);
    Type(m_prompt, IDC_PROMPT_PASSWORD, "typed");
    DWORD mark = Mark();
    Click(m_prompt, IDC_PROMPT_CANCEL);
    EXPECT_TRUE(PanelInFront(PANEL_LINK_STATUS));
    EXPECT_EQ(FALSE, g_bAutoConnect);
    EXPECT_TRUE(Sets(mark, OID_802_11_SSID).empty());
    EXPECT_EQ("wonderland", Stored("Corp", "TunnelPassword"));
    // Hidden, the panel forgets what was typed.
    FailedLogin(1, 0);
    EXPECT_EQ("", TextOf(m_prompt, IDC_PROMPT_PASSWORD));
}

TEST_F(CredentialPromptTest, ATimeOutShowsTheSentenceAndOkOnlyReconnects)
{
    // The worker's answer to the session start fails: the library's
    // time-out ends the login.
    Stand().configure("acCredSessionStart=-1x1 timeout=1500");
    PutNetwork("Sim-Corp", 1, KQSIM_SEC_WPA2_1X, "method=peap identity=alice password=wonderland");
    Activate("Corp", Dot1xProfile("Sim-Corp", 0));
    ASSERT_TRUE(PanelInFront(PANEL_CREDENTIAL_PROMPT));
    EXPECT_EQ(0, g_nAuthFailReason);
    EXPECT_EQ(Sentence("PEAP"), TextOf(m_prompt, IDC_PROMPT_MESSAGE));
    EXPECT_FALSE(Visible(m_prompt, IDC_PROMPT_IDENTITY));
    EXPECT_FALSE(Visible(m_prompt, IDC_PROMPT_PASSWORD));
    EXPECT_EQ(FALSE, g_bAutoConnect);
    Shot("credential-prompt-timeout-road");

    DWORD mark = Mark();
    Click(m_prompt, IDC_PROMPT_OK);
    EXPECT_TRUE(PanelInFront(PANEL_LINK_STATUS));
    EXPECT_EQ(TRUE, g_bAutoConnect);
    // One SSID set, the connection's own; no apply, nothing written.
    auto ssid = Sets(mark, OID_802_11_SSID);
    ASSERT_EQ(1u, ssid.size());
    ASSERT_GE(ssid[0].data.size(), 12u);
    EXPECT_EQ(8u, ssid[0].data[0]);
    EXPECT_EQ("Sim-Corp", std::string((const char*)ssid[0].data.data() + 4, 8));
    EXPECT_TRUE(Sets(mark, OID_802_11_DISASSOCIATE).empty());
    for (const char* key : {"", "Corp"}) EXPECT_EQ("wonderland", Stored(key, "TunnelPassword")) << key;
}

TEST_F(CredentialPromptTest, ALeapFailureTakesANewUserNameAsTheLeapValues)
{
    PutNetwork("Sim-Leap", 2, KQSIM_SEC_WEP_1X, "method=leap identity=carol password=wonderland");
    ProfileSettings s = Dot1xProfile("Sim-Leap", 0);
    s.authChoice = AUTH_CHOICE_LEAP;
    s.leapIdentity = "bob";
    s.leapPassword = "wonderland";
    s.leapDomain = "CORP";
    Activate("Leap", s);
    ASSERT_TRUE(PanelInFront(PANEL_CREDENTIAL_PROMPT));
    EXPECT_EQ("Invalid identity or password", TextOf(m_prompt, IDC_PROMPT_MESSAGE));
    EXPECT_TRUE(Visible(m_prompt, IDC_PROMPT_DOMAIN));
    Type(m_prompt, IDC_PROMPT_IDENTITY, "carol");
    Type(m_prompt, IDC_PROMPT_PASSWORD, "wonderland");
    Type(m_prompt, IDC_PROMPT_DOMAIN, "CORP");
    Shot("credential-prompt-leap-road");
    DWORD mark = Mark();
    Click(m_prompt, IDC_PROMPT_OK);
    for (const char* key : {"", "Leap"}) {
        EXPECT_EQ("carol", Stored(key, "LeapUserName")) << key;
        EXPECT_EQ("wonderland", Stored(key, "LeapPassword")) << key;
        EXPECT_EQ("CORP", Stored(key, "LeapDomainName")) << key;
        EXPECT_EQ("alice", Stored(key, "ID")) << key;   // the profile's own, not the typed one
        EXPECT_EQ("alice", Stored(key, "TunnelID")) << key;
    }
    // The retry logs in with the new user name.
    EXPECT_TRUE(WaitFor([&] { return SupplicantSaid(mark, "verdict authorized"); }, 20000));
    EXPECT_TRUE(IconBecomes(IDI_TRAY_GOOD));
}

}  // namespace
