// The PEAP panel: the engine's prompt for a token card's one-time password
// (the port starts with what the user confirms), and the password change the
// library asks for (the new password is stored at OK and handed to the
// waiting worker).  A change nobody answers never blocks the worker.
#include "credential/PanelFixture.h"

#include "auth/AuthWaits.h"
#include "auth/CredentialQueue.h"

namespace {

using kqtest::BoxAnswer;
using kqtest::Dot1xProfile;
using kqtest::PanelTest;
using kqtest::Restore;
using kqtest::Stand;
using kqtest::WaitFor;

// What the panel shows: caption, labels, and whether the identity is editable.
struct Form {
    std::string caption, identityLabel, passwordLabel;
    bool identityEnabled;
};

class PeapPanelTest : public PanelTest {
protected:
    Form FormShown()
    {
        Form f = {Caption(m_peap), TextOf(m_peap, IDC_PEAP_TUNNEL_ID_LABEL), TextOf(m_peap, IDC_PEAP_PASSWORD_LABEL),
                  Enabled(m_peap, IDC_PEAP_TUNNEL_ID)};
        // The caption is the panel's title line too.
        EXPECT_EQ(f.caption, TextOf(m_peap, IDC_PEAP_CAPTION));
        return f;
    }
    void ExpectForm(const Form& want)
    {
        Form f = FormShown();
        EXPECT_EQ(want.caption, f.caption);
        EXPECT_EQ(want.identityLabel, f.identityLabel);
        EXPECT_EQ(want.passwordLabel, f.passwordLabel);
        EXPECT_EQ(want.identityEnabled, f.identityEnabled);
    }
    bool Focused(UINT id) { return GetFocus() == GetDlgItem(m_peap->m_hWnd, id); }
    ProfileSettings ChangeProfile()
    {
        PutNetwork("Sim-Corp", 1, KQSIM_SEC_WPA2_1X, "method=peap identity=alice password=wonderland change=required");
        ProfileSettings s = Dot1xProfile("Sim-Corp", 0);
        s.dot1x.tunnelEapType = 26;
        return s;
    }
};

const Form kOneTimePassword = {"Peap Setting - One Time Password", "Tunnel Identity",
                                              "Tunnel Password", true};
const Form kNewPassword = {"Enter your new password", "Identity", "Password", false};
const Form kNewUserAndPassword = {"Enter your new username and password", "Identity", "Password",
                                                 true};

TEST_F(PeapPanelTest, ATokenCardProfileAsksForTheOneTimePasswordBeforeItLogsIn)
{
    PutNetwork("Sim-Token", 3, KQSIM_SEC_WPA2_1X, "method=peap identity=otp-user password=493021");
    ProfileSettings s = Dot1xProfile("Sim-Token", 0);
    s.dot1x.tunnelEapType = 6;   // Generic Token Card
    s.dot1x.tunnelId = "otp-user";
    s.dot1x.tunnelPassword = "stale";
    DWORD mark = Mark();
    Activate("Token", s);
    ASSERT_TRUE(PanelInFront(PANEL_PEAP_SETTING));
    ExpectForm(kOneTimePassword);
    EXPECT_EQ("otp-user", TextOf(m_peap, IDC_PEAP_TUNNEL_ID));
    EXPECT_EQ("", TextOf(m_peap, IDC_PEAP_PASSWORD));
    EXPECT_EQ("OK", TextOf(m_peap, IDC_PEAP_OK));
    // Nothing logs in with the stored password while the user is asked.
    EXPECT_FALSE(SupplicantSaid(mark, "acPortAuth"));
    Shot("credential-peap-one-time-password");

    Type(m_peap, IDC_PEAP_PASSWORD, "493021");
    Click(m_peap, IDC_PEAP_OK);
    EXPECT_TRUE(PanelInFront(PANEL_LINK_STATUS));
    ASSERT_TRUE(g_pCurProfile);
    EXPECT_STREQ("493021", g_pCurProfile->tunnelPassword);
    EXPECT_TRUE(WaitFor([&] { return SupplicantSaid(mark, "verdict authorized"); }, 20000));
    EXPECT_TRUE(SupplicantSaid(mark, "request id=") && !Supplicant(mark, "acCredGetEapNotification").empty());
    // A one-time password is never stored.
    for (const char* key : {"", "Token"}) EXPECT_EQ("stale", Stored(key, "TunnelPassword")) << key;
    EXPECT_TRUE(IconBecomes(IDI_TRAY_GOOD));
}

TEST_F(PeapPanelTest, AnEapFastTokenCardAsksForUserAndPasswordAndChecksBoth)
{
    ProfileSettings s = Dot1xProfile("Sim-Fast", 3);
    s.dot1x.tunnelEapType = 6;
    s.dot1x.tunnelId = "fast-user";
    Activate("Fast", s);
    ASSERT_TRUE(PanelInFront(PANEL_PEAP_SETTING));
    ExpectForm(kNewUserAndPassword);
    EXPECT_TRUE(Focused(IDC_PEAP_TUNNEL_ID));
    EXPECT_EQ("fast-user", TextOf(m_peap, IDC_PEAP_TUNNEL_ID));
    Shot("credential-peap-new-user-and-password");

    Type(m_peap, IDC_PEAP_TUNNEL_ID, "");
    {
        BoxAnswer box;
        Click(m_peap, IDC_PEAP_OK);
        EXPECT_EQ("Must input Identity", box.Text());
    }
    Type(m_peap, IDC_PEAP_TUNNEL_ID, "fast-user");
    {
        BoxAnswer box;
        Click(m_peap, IDC_PEAP_OK);
        EXPECT_EQ("Must input Password", box.Text());
    }
    EXPECT_TRUE(Shown(m_peap));
    EXPECT_EQ(0, g_pCurProfile->identityPromptDone);

    // Without a password row, none is asked for.
    m_peap->m_bNoPassword = TRUE;
    m_dlg.ShowPage(PANEL_LINK_STATUS);
    m_dlg.ShowPage(PANEL_PEAP_SETTING);
    EXPECT_FALSE(Enabled(m_peap, IDC_PEAP_PASSWORD));
    EXPECT_FALSE(Enabled(m_peap, IDC_PEAP_PASSWORD_LABEL));
    Click(m_peap, IDC_PEAP_OK);
    EXPECT_TRUE(PanelInFront(PANEL_LINK_STATUS));
    EXPECT_EQ(1, g_pCurProfile->identityPromptDone);
    EXPECT_STREQ("fast-user", g_pCurProfile->tunnelId);
    m_peap->m_bNoPassword = FALSE;
}

TEST_F(PeapPanelTest, APasswordChangeAsksForTheNewPasswordOnlyAndStoresIt)
{
    DWORD mark = Mark();
    Activate("Corp", ChangeProfile());
    ASSERT_TRUE(PanelInFront(PANEL_PEAP_SETTING));
    ExpectForm(kNewPassword);
    EXPECT_EQ("alice", TextOf(m_peap, IDC_PEAP_TUNNEL_ID));
    EXPECT_TRUE(Focused(IDC_PEAP_PASSWORD));
    EXPECT_EQ(1, g_bOtpMode);
    Shot("credential-peap-new-password");

    Type(m_peap, IDC_PEAP_PASSWORD, "new-secret");
    Click(m_peap, IDC_PEAP_OK);
    EXPECT_TRUE(PanelInFront(PANEL_LINK_STATUS));
    for (const char* key : {"", "Corp"}) {
        EXPECT_EQ("new-secret", Stored(key, "TunnelPassword")) << key;
        EXPECT_EQ("new-secret", Stored(key, "Password")) << key;
    }
    EXPECT_STREQ("new-secret", g_pCurProfile->tunnelPassword);
    EXPECT_STREQ("alice", g_pCurProfile->tunnelId);
    EXPECT_TRUE(WaitFor([&] { return SupplicantSaid(mark, "verdict authorized"); }, 20000));
    EXPECT_EQ(0, g_bOtpMode);
    EXPECT_TRUE(IconBecomes(IDI_TRAY_GOOD));
}

TEST_F(PeapPanelTest, TheNewPasswordIsKeptToWhatTheStoreHolds)
{
    // Typed as a person types: the 128th character does not go in.
    for (size_t length : {127u, 128u}) {
        SCOPED_TRACE(length);
        DWORD mark = Mark();
        Stand().reset();
        Activate("Corp", ChangeProfile());
        ASSERT_TRUE(PanelInFront(PANEL_PEAP_SETTING));
        const std::string typed(length, 'n');
        Type(m_peap, IDC_PEAP_PASSWORD, typed);
        EXPECT_EQ(std::string(127, 'n'), TextOf(m_peap, IDC_PEAP_PASSWORD));
        Click(m_peap, IDC_PEAP_OK);
        EXPECT_TRUE(PanelInFront(PANEL_LINK_STATUS));
        for (const char* key : {"", "Corp"}) EXPECT_EQ(std::string(127, 'n'), Stored(key, "TunnelPassword")) << key;
        // The library is given the same, and the server changes to it.
        EXPECT_TRUE(WaitFor([&] { return SupplicantSaid(mark, "verdict authorized"); }, 20000));
        EXPECT_TRUE(SupplicantSaid(mark, "acPasswordCreate len=127"));
        // The identity edit keeps to the same.
        EXPECT_EQ(127, (int)SendMessageA(GetDlgItem(m_peap->m_hWnd, IDC_PEAP_TUNNEL_ID), EM_GETLIMITTEXT, 0, 0));
        m_dlg.ShowPage(PANEL_LINK_STATUS);
    }
}

TEST_F(PeapPanelTest, OkAfterTheChangesTimeRanOutSaysSoAndKeepsTheNewPassword)
{
    Restore<AuthWaits> waits{g_AuthWaits};
    PutNetwork("Sim-Corp", 1, KQSIM_SEC_WPA2_1X, "method=peap identity=alice password=wonderland");
    ProfileSettings s = Dot1xProfile("Sim-Corp", 0);
    s.dot1x.tunnelEapType = 26;
    DWORD mark = Mark();
    Activate("Corp", s);
    ASSERT_TRUE(WaitFor([&] { return SupplicantSaid(mark, "verdict authorized"); }, 20000));
    // The library asks for a change; nobody answers in the time given.
    g_AuthWaits.passwordChangeMs = 500;
    DWORD id = Stand().raise(g_pAuthPort->handle, 6, 0);
    ASSERT_TRUE(PanelInFront(PANEL_PEAP_SETTING));
    ExpectForm(kNewPassword);
    ASSERT_TRUE(WaitFor([&] { return Stand().done(id) == 1; }, 20000));
    // The panel no longer asks for a new password.
    EXPECT_TRUE(WaitFor([&] { return Caption(m_peap) != kNewPassword.caption; }, 20000));
    ExpectForm(kOneTimePassword);
    EXPECT_EQ("alice", TextOf(m_peap, IDC_PEAP_TUNNEL_ID));
    Shot("credential-peap-change-ran-out");

    Type(m_peap, IDC_PEAP_PASSWORD, "late-secret");
    mark = Mark();
    {
        BoxAnswer box;
        Click(m_peap, IDC_PEAP_OK);
        EXPECT_EQ("The time for the password change ran out before OK, so the network was given the old password. "
                  "The new password is stored for the next connection.",
                  box.Text());
    }
    EXPECT_TRUE(PanelInFront(PANEL_LINK_STATUS));
    for (const char* key : {"", "Corp"}) {
        EXPECT_EQ("late-secret", Stored(key, "TunnelPassword")) << key;
        EXPECT_EQ("late-secret", Stored(key, "Password")) << key;
    }
    EXPECT_STREQ("late-secret", g_pCurProfile->tunnelPassword);
    // The panel's OK restarts nothing: the login that runs stays.
    EXPECT_FALSE(SupplicantSaid(mark, "acPortStop"));
}

TEST_F(PeapPanelTest, AChangeNobodyAnswersEndsWithNothingStored)
{
    // The panel put away: the worker goes on with the old password, which
    // the server refuses, and the re-entry panel asks.
    DWORD mark = Mark();
    Activate("Corp", ChangeProfile());
    ASSERT_TRUE(PanelInFront(PANEL_PEAP_SETTING));
    m_dlg.ShowPage(PANEL_LINK_STATUS);
    ASSERT_TRUE(PanelInFront(PANEL_CREDENTIAL_PROMPT));
    EXPECT_EQ(1, g_nAuthFailReason);
    EXPECT_TRUE(SupplicantSaid(mark, "verdict failed: password not changed"));
    for (const char* key : {"", "Corp"}) EXPECT_EQ("wonderland", Stored(key, "TunnelPassword")) << key;

    // The window closed while the panel waits: the same.
    mark = Mark();
    ASSERT_TRUE(ActivateStoredProfile("Corp", nullptr));
    ASSERT_TRUE(PanelInFront(PANEL_PEAP_SETTING));
    m_dlg.DestroyMainWindow();
    EXPECT_TRUE(WaitFor([&] { return SupplicantSaid(mark, "verdict failed: password not changed"); }, 20000));
    EXPECT_FALSE(PasswordChangePending());

    // Without the configuration window nobody can be asked: at once the same.
    mark = Mark();
    ASSERT_TRUE(ActivateStoredProfile("Corp", nullptr));
    EXPECT_TRUE(WaitFor([&] { return SupplicantSaid(mark, "verdict failed: password not changed"); }, 20000));
    EXPECT_FALSE(PasswordChangePending());

    // Shut down while the panel waits: nothing is left running or waiting.
    m_window = Open();
    ASSERT_NE(nullptr, m_window);
    m_peap = static_cast<CPeapSettingDlg*>(m_window->GetPanel(PANEL_PEAP_SETTING));
    ASSERT_TRUE(ActivateStoredProfile("Corp", nullptr));
    ASSERT_TRUE(PanelInFront(PANEL_PEAP_SETTING));
    ASSERT_TRUE(PasswordChangePending());
    ShutdownAuthLibrary();
    EXPECT_FALSE(CredentialUiThreadRunning());
    EXPECT_FALSE(PasswordChangePending());
    EXPECT_EQ(0, g_bOtpMode);
    EXPECT_EQ(0, Stand().outstanding());
    for (const char* key : {"", "Corp"}) EXPECT_EQ("wonderland", Stored(key, "TunnelPassword")) << key;
}

}  // namespace
