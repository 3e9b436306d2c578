// The editor's OK and Cancel: the checks in their order, what is written
// (the stored form of the profile store), what is refused with which
// message, and that nothing is half-written or applied.
#include "profileedit/EditorFixture.h"

#include <functional>

#include "pages/TunnelCredentialPage.h"
#include "sim/client/SimTestSupport.h"

namespace {

using kqtest::BoxAnswer;
using kqtest::EditorTest;

class EditorOk : public EditorTest {
protected:
    // OK with a message box expected: its text ("" when none showed).
    std::string OkWithBox()
    {
        BoxAnswer box;
        Ok();
        return box.Text();
    }
    // A stored infrastructure profile of the network, open and unencrypted.
    static ProfileSettings OpenNetwork(const char* ssid)
    {
        ProfileSettings s;
        s.ssid = ssid;
        s.networkType = 1;
        return s;
    }
    // WPA2 on the security tab, and an 802.1X login on the 8021X tab
    // (PEAP with MS-CHAP v2: an identity, a tunnel identity and its password).
    void ChooseWpa2Login(const char* user, const char* password)
    {
        Command(m_sec, ID_AUTH_WPA2);
        Tab(EDIT_TAB_8021X);
        CTunnelCredentialPage* cred = m_editor->Dot1xTab()->CredentialPage();
        Type(cred, IDC_CRED_ID, user);
        Type(cred, IDC_CRED_TUNNEL_ID, user);
        Type(cred, IDC_CRED_TUNNEL_PASSWORD, password);
    }
    int ValueCount(const char* profile)
    {
        HKEY k = nullptr;
        std::string path = m_adapterPath + "\\Profile\\Station\\" + profile;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return -1;
        DWORD values = 0;
        RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                         nullptr);
        RegCloseKey(k);
        return (int)values;
    }
};

TEST_F(EditorOk, AdhocWithoutSsidIsRefusedInfrastructureIsNot)
{
    Add();
    Command(m_sys, ID_NETWORK_ADHOC);
    Tab(EDIT_TAB_SECURITY);
    EXPECT_EQ("Please enter SSID", OkWithBox());
    EXPECT_TRUE(EditorShown());
    EXPECT_EQ(m_sys, FrontTab());
    EXPECT_FALSE(ProfileExists("PROF1"));

    Command(m_sys, ID_NETWORK_INFRASTRUCTURE);
    EXPECT_EQ("", OkWithBox());
    EXPECT_FALSE(EditorShown());
    EXPECT_TRUE(ProfileExists("PROF1"));
    EXPECT_EQ("", Stored("PROF1", "SSID"));
    EXPECT_EQ("1", Stored("PROF1", "NetworkType"));
    // Back on the profile page, the list holds the new profile.
    EXPECT_TRUE(IsWindowVisible(m_page->m_hWnd));
    ASSERT_EQ(1u, m_page->Rows().size());
    EXPECT_EQ(CString("PROF1"), m_page->Rows()[0].name);
    EXPECT_EQ(PANEL_LINK_STATUS, m_dlg.m_nCurPanel);
}

TEST_F(EditorOk, LeapNeedsAnIdentityAndAPassword)
{
    const struct {
        const char* what;
        const char* identity;
        const char* password;
        const char* message;
    } cases[] = {
        { "blanks only", "   ", "secret", "ID and Password required for LEAP!" },
        { "no password", "bob", "", "ID and Password required for LEAP!" },
        { "both", "  bob ", "secret", "" },
    };
    for (const auto& c : cases) {
        Add();
        Tab(EDIT_TAB_SECURITY);
        Command(m_sec, ID_AUTH_LEAP);
        Type(m_sec, IDC_SEC_LEAP_ID, c.identity);
        Type(m_sec, IDC_SEC_LEAP_PASSWORD, c.password);
        Type(m_sec, IDC_SEC_LEAP_DOMAIN, "CORP");
        ClickIn(m_sec, IDC_SEC_LEAP_AES);
        EXPECT_EQ(c.message, OkWithBox()) << c.what;
        EXPECT_EQ(*c.message == 0, ProfileExists("PROF1")) << c.what;
    }
    EXPECT_EQ("bob", Stored("PROF1", "LeapUserName"));
    EXPECT_EQ("secret", Stored("PROF1", "LeapPassword"));
    EXPECT_EQ("CORP", Stored("PROF1", "LeapDomainName"));
    EXPECT_EQ("1", Stored("PROF1", "LeapEnabled"));
    EXPECT_EQ("2", Stored("PROF1", "LeapEncryType"));
    EXPECT_EQ("0", Stored("PROF1", "Encryption"));
    EXPECT_EQ("0", Stored("PROF1", "AuthenType"));
    EXPECT_EQ("0", Stored("PROF1", "Use8021X"));

    // Edit shows LEAP with its cipher again.
    m_dlg.ShowPage(PANEL_LINK_STATUS);
    Edit("PROF1");
    Tab(EDIT_TAB_SECURITY);
    EXPECT_EQ("LEAP", TextOf(m_sec, IDC_SEC_AUTH));
    EXPECT_EQ("bob", TextOf(m_sec, IDC_SEC_LEAP_ID));
    EXPECT_TRUE(Checked(m_sec, IDC_SEC_LEAP_AES));
    EXPECT_TRUE(Visible(m_sec, IDC_SEC_LEAP_ID));
}

// Without the port the 8021X tab is not read.  Edit and OK of an 802.1X
// profile then keeps the settings it holds (its identity, passwords, PAC
// file, certificates and domain); a new profile gets the defaults.
TEST_F(EditorOk, WithThePortClosedAnEditKeepsThe8021xSettingsStoredAndANewProfileGetsTheDefaults)
{
    ProfileSettings corp = Wpa2Corp();
    corp.dot1x.eapMethod = 2;
    corp.dot1x.ttlsInnerMethod = 5;
    corp.dot1x.identity = "alice";
    corp.dot1x.password = "wonderland";
    corp.dot1x.tunnelId = "alice";
    corp.dot1x.tunnelPassword = "wonderland";
    corp.dot1x.domainName = "CORP";
    corp.dot1x.pacFilePath = "C:\\Kestiq\\Corp.pac";
    ASSERT_TRUE(WriteProfile("Corp", corp));
    m_page->LoadProfileList();
    g_hAuthPort = 0;
    Edit("Corp");
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ("Kestiq-Corp", TextOf(m_sys, IDC_SYS_SSID));
    // The 8021X tab shows what the profile holds ...
    Tab(EDIT_TAB_8021X);
    CEapSettingsDlg* eap = m_editor->Dot1xTab();
    EXPECT_EQ(eap, FrontTab());
    EXPECT_EQ("TTLS", TextOf(eap, IDC_EAP_METHOD));
    EXPECT_EQ("EAP-MD5", TextOf(eap, IDC_EAP_TUNNEL));
    EXPECT_EQ("alice", TextOf(eap->CredentialPage(), IDC_CRED_ID));
    // ... and without the port OK keeps it as stored.
    EXPECT_EQ("", OkWithBox());
    EXPECT_FALSE(EditorShown());
    const std::pair<const char*, const char*> kept[] = {
        { "AuthenType", "6" }, { "Use8021X", "1" }, { "AuthenProtocol", "2" }, { "TunnelProtocol", "5" },
        { "ID", "alice" }, { "Password", "wonderland" }, { "TunnelID", "alice" }, { "TunnelPassword", "wonderland" },
        { "DomainName", "CORP" }, { "PACFilePath", "C:\\Kestiq\\Corp.pac" }, { "PasswordMode", "1" },
    };
    for (const auto& v : kept) EXPECT_EQ(v.second, Stored("Corp", v.first)) << v.first;

    // With the port open the editor stores what the 8021X tab holds.
    g_hAuthPort = 1;
    Edit("Corp");
    Tab(EDIT_TAB_8021X);
    Type(eap->CredentialPage(), IDC_CRED_ID, "carol");
    EXPECT_EQ("", OkWithBox());
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ("2", Stored("Corp", "AuthenProtocol"));
    EXPECT_EQ("5", Stored("Corp", "TunnelProtocol"));
    EXPECT_EQ("carol", Stored("Corp", "ID"));

    // A new profile has nothing stored to keep: the port closing before OK
    // leaves the 802.1X values at their defaults.
    Add();
    Tab(EDIT_TAB_SECURITY);
    ChooseWpa2Login("bob", "builder");
    std::string name = TextOf(m_sys, IDC_SYS_PROFILE_NAME);
    g_hAuthPort = 0;
    EXPECT_EQ("", OkWithBox());
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ("6", Stored(name.c_str(), "AuthenType"));
    EXPECT_EQ("0", Stored(name.c_str(), "AuthenProtocol"));
    EXPECT_EQ("26", Stored(name.c_str(), "TunnelProtocol"));
    EXPECT_EQ("", Stored(name.c_str(), "ID"));
    EXPECT_EQ("", Stored(name.c_str(), "TunnelPassword"));
    EXPECT_EQ("1", Stored(name.c_str(), "PasswordMode"));
}

// The editor's reset before each show clears the 802.1X settings but the
// domain: a profile saved without 802.1X takes the domain last saved.
TEST_F(EditorOk, TheDomainLastSavedOutlivesTheResetOfTheNextEdit)
{
    ProfileSettings corp = Wpa2Corp();
    corp.dot1x.identity = "alice";
    corp.dot1x.tunnelId = "alice";
    corp.dot1x.tunnelPassword = "wonderland";
    ASSERT_TRUE(WriteProfile("Corp", corp));
    ASSERT_TRUE(WriteProfile("Lab", OpenNetwork("Kestiq-Open")));
    m_page->LoadProfileList();

    g_hAuthPort = 1;
    Edit("Corp");
    ASSERT_TRUE(EditorShown());
    Tab(EDIT_TAB_8021X);
    Type(m_editor->Dot1xTab()->CredentialPage(), IDC_CRED_DOMAIN, "KESTIQ");
    EXPECT_EQ("", OkWithBox());
    ASSERT_FALSE(EditorShown());
    EXPECT_EQ("KESTIQ", Stored("Corp", "DomainName"));

    g_hAuthPort = 0;
    Edit("Lab");
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ("", OkWithBox());
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ("", Stored("Lab", "ID")) << "the other 802.1X settings start again";
    EXPECT_EQ("26", Stored("Lab", "TunnelProtocol"));
    EXPECT_EQ("KESTIQ", Stored("Lab", "DomainName"));
}

TEST_F(EditorOk, ThresholdsAreStoredFromTheSliders)
{
    const struct {
        const char* what;
        bool useRts, useFrag;
        const char* rtsTyped;
        const char* fragTyped;
        const char* useRtsStored;
        const char* rtsStored;
        const char* fragStored;
    } cases[] = {
        { "3000 in the RTS edit", true, true, "3000", "1000", "1", "2347", "1000" },
        { "100 in the fragment edit", true, true, "600", "100", "1", "600", "256" },
        { "RTS cleared after typing", false, false, "700", "700", "0", "2347", "2346" },
    };
    for (const auto& c : cases) {
        Add();
        ClickIn(m_sys, IDC_SYS_USE_RTS);
        ClickIn(m_sys, IDC_SYS_USE_FRAG);
        Type(m_sys, IDC_SYS_RTS_EDIT, c.rtsTyped);
        Type(m_sys, IDC_SYS_FRAG_EDIT, c.fragTyped);
        if (!c.useRts) ClickIn(m_sys, IDC_SYS_USE_RTS);
        if (!c.useFrag) ClickIn(m_sys, IDC_SYS_USE_FRAG);
        std::string name = TextOf(m_sys, IDC_SYS_PROFILE_NAME);
        Ok();
        EXPECT_EQ(c.useRtsStored, Stored(name.c_str(), "UseRts")) << c.what;
        EXPECT_EQ(c.rtsStored, Stored(name.c_str(), "RtsThresh")) << c.what;
        EXPECT_EQ(c.fragStored, Stored(name.c_str(), "FragThresh")) << c.what;
    }
}

TEST_F(EditorOk, EditShowsTheStoredProfileAndANewNameKeepsTheOld)
{
    ProfileSettings s;
    s.ssid = "Games";
    s.networkType = 0;
    s.channel = "11";
    s.txPower = 4;
    s.preamble = 1;
    s.powerSave = 0;
    s.useFrag = TRUE;
    s.fragThreshold = 800;
    s.authChoice = AUTH_CHOICE_SHARED;
    s.encryptionChoice = ENCR_CHOICE_WEP;
    s.defaultKey = 2;
    s.keyFormat[2] = 1;
    s.wepKey[2] = "kq123";
    s.wepKey[0] = "0123456789";
    ASSERT_TRUE(WriteProfile("LAN party", s));
    m_page->LoadProfileList();
    Edit("LAN party");
    EXPECT_EQ("LAN party", TextOf(m_sys, IDC_SYS_PROFILE_NAME));
    EXPECT_EQ("Games", TextOf(m_sys, IDC_SYS_SSID));
    EXPECT_EQ("Adhoc", TextOf(m_sys, IDC_SYS_NETWORK_TYPE));
    EXPECT_EQ("25 %", TextOf(m_sys, IDC_SYS_TX_POWER));
    EXPECT_EQ("Long", TextOf(m_sys, IDC_SYS_PREAMBLE));
    EXPECT_EQ("11", ComboSelection(m_sys, IDC_SYS_CHANNEL));
    EXPECT_TRUE(Checked(m_sys, IDC_SYS_USE_FRAG));
    EXPECT_EQ("800", TextOf(m_sys, IDC_SYS_FRAG_EDIT));
    Shot("editor-system-config-edit");
    Tab(EDIT_TAB_SECURITY);
    EXPECT_EQ("Shared", TextOf(m_sec, IDC_SEC_AUTH));
    EXPECT_EQ("WEP", TextOf(m_sec, IDC_SEC_ENCRYPTION));
    EXPECT_EQ("ASCII", TextOf(m_sec, IDC_SEC_KEY3_FORMAT));
    EXPECT_EQ("kq123", TextOf(m_sec, IDC_SEC_KEY3));
    EXPECT_TRUE(Checked(m_sec, IDC_SEC_DEFAULT_KEY3));
    EXPECT_FALSE(Visible(m_sec, IDC_SEC_8021X)) << "no 802.1X in ad hoc";

    Tab(EDIT_TAB_SYSTEM_CONFIG);
    Type(m_sys, IDC_SYS_PROFILE_NAME, "LAN party 2");
    Ok();
    EXPECT_TRUE(ProfileExists("LAN party"));
    EXPECT_TRUE(ProfileExists("LAN party 2"));
    EXPECT_EQ("6b71313233", Stored("LAN party 2", "WEPKey3"));
    EXPECT_EQ("3", Stored("LAN party 2", "WEPKeyUse"));
    EXPECT_EQ("4", Stored("LAN party 2", "TXPower"));
    EXPECT_EQ("0", Stored("LAN party 2", "PreambleType"));
    EXPECT_EQ("11", Stored("LAN party 2", "Channel"));
    EXPECT_EQ("800", Stored("LAN party 2", "FragThresh"));
    EXPECT_EQ(2u, m_page->Rows().size());
}

TEST_F(EditorOk, NamesTheRegistryCannotKeepAreRefused)
{
    const char* kBadName = "Please enter a profile name of 1 to 32 characters without \"\\\".";
    const struct {
        const char* what;
        std::string name;
        const char* message;
    } cases[] = {
        { "a backslash", "Home\\Office", kBadName },
        { "empty", "", kBadName },
        { "32 characters", std::string(32, 'p'), "" },
        { "blanks and signs", "  *?<>|\"/:  ", "" },
    };
    for (const auto& c : cases) {
        Add();
        Type(m_sys, IDC_SYS_PROFILE_NAME, c.name);
        EXPECT_EQ(c.message, OkWithBox()) << c.what;
        EXPECT_EQ(*c.message != 0, EditorShown()) << c.what;
        EXPECT_EQ(*c.message == 0, ProfileExists(c.name.c_str())) << c.what;
        if (*c.message) EXPECT_EQ(m_sys, FrontTab()) << c.what;
        m_dlg.ShowPage(PANEL_LINK_STATUS);
    }
    // Nothing was made under the station key but the two good names.
    EXPECT_FALSE(KeyExistsHklm(m_adapterPath + "\\Profile\\Station\\Home"));
    EXPECT_EQ(2u, m_page->Rows().size());
}

TEST_F(EditorOk, AKeyThatCannotBeCreatedKeepsThePanelAndWhatWasTyped)
{
    Add();
    Type(m_sys, IDC_SYS_PROFILE_NAME, "Office");
    SetDlgItemTextA(m_sys->m_hWnd, IDC_SYS_SSID, "Kestiq-Open");
    {
        kqtest::Restore<CString> path{g_strAdapterRegPath};
        g_strAdapterRegPath = "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\9999";
        EXPECT_EQ("The profile could not be saved.", OkWithBox());
    }
    EXPECT_TRUE(EditorShown());
    EXPECT_EQ("Office", TextOf(m_sys, IDC_SYS_PROFILE_NAME));
    EXPECT_EQ("Kestiq-Open", TextOf(m_sys, IDC_SYS_SSID));
    EXPECT_FALSE(ProfileExists("Office"));
    // Once the key can be made, the same OK saves.
    EXPECT_EQ("", OkWithBox());
    EXPECT_TRUE(ProfileExists("Office"));
    EXPECT_EQ("Kestiq-Open", Stored("Office", "SSID"));
}

// What the first OK copied and could not save stays out of the next one:
// each OK stores the choices it finds, nothing of another kind of profile.
TEST_F(EditorOk, ASecondOkAfterAFailedSaveStoresOnlyItsOwnChoices)
{
    g_hAuthPort = 1;
    auto leap = [&] {
        Command(m_sec, ID_AUTH_LEAP);
        Type(m_sec, IDC_SEC_LEAP_ID, "bob");
        Type(m_sec, IDC_SEC_LEAP_PASSWORD, "secret");
        Type(m_sec, IDC_SEC_LEAP_DOMAIN, "SITE");
    };
    auto psk = [&] {
        Command(m_sec, ID_AUTH_WPA2_PSK);
        Type(m_sec, IDC_SEC_PSK, "kestiq-secret");
    };
    auto wpa2 = [&] {
        ChooseWpa2Login("alice", "wonderland");
        Tab(EDIT_TAB_SECURITY);
    };
    auto open = [&] { Command(m_sec, ID_AUTH_OPEN); };
    using Values = std::vector<std::pair<const char*, const char*>>;
    const struct {
        const char* what;
        std::function<void()> first, second;
        Values stored;
    } cases[] = {
        { "LEAP, then WPA2-PSK", leap, psk,
          { { "LeapEnabled", "0" }, { "LeapUserName", "" }, { "LeapPassword", "" }, { "LeapDomainName", "" },
            { "WPAPSK", "kestiq-secret" } } },
        { "WPA2-PSK, then Open", psk, open, { { "AuthenType", "0" }, { "WPAPSK", "" } } },
        { "WPA2 over 802.1X, then WPA2-PSK", wpa2, psk,
          { { "AuthenType", "7" }, { "ID", "" }, { "TunnelID", "" }, { "TunnelPassword", "" } } },
    };
    for (const auto& c : cases) {
        Add();
        Type(m_sys, IDC_SYS_PROFILE_NAME, "Office");
        Tab(EDIT_TAB_SECURITY);
        c.first();
        {
            kqtest::Restore<CString> path{g_strAdapterRegPath};
            g_strAdapterRegPath = "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\9999";
            EXPECT_EQ("The profile could not be saved.", OkWithBox()) << c.what;
        }
        ASSERT_TRUE(EditorShown()) << c.what;
        Tab(EDIT_TAB_SECURITY);
        c.second();
        EXPECT_EQ("", OkWithBox()) << c.what;
        EXPECT_FALSE(EditorShown()) << c.what;
        for (const auto& v : c.stored) EXPECT_EQ(v.second, Stored("Office", v.first)) << c.what << ": " << v.first;
        RemoveProfiles();
        m_page->LoadProfileList();
    }
}

// Add, or a new name given on Edit, never replaces another profile: a name
// that one has (in any letter case: the registry's key names ignore it) is
// refused.  A profile saved under its own name replaces itself.
TEST_F(EditorOk, AddOrARenameNeverReplacesAnotherProfile)
{
    const char* kTaken = "A profile of this name exists already. Please enter another profile name.";
    const ProfileSettings home = OpenNetwork("Kestiq-Home");
    ASSERT_TRUE(WriteProfile("Home", home));
    ASSERT_TRUE(WriteProfile("Lab", OpenNetwork("Kestiq-Lab")));
    m_page->LoadProfileList();
    const struct {
        const char* what;
        const char* edited;   // nullptr: Add
        const char* name;
        const char* message;
    } cases[] = {
        { "Add under the name of another", nullptr, "Home", kTaken },
        { "Add under it in other letters", nullptr, "HOME", kTaken },
        { "Lab renamed Home", "Lab", "Home", kTaken },
        { "Lab renamed home", "Lab", "home", kTaken },
        { "Home under its own name", "Home", "Home", "" },
        { "Home under its name in other letters", "Home", "hOME", "" },
    };
    for (const auto& c : cases) {
        if (c.edited) Edit(c.edited);
        else Add();
        ASSERT_TRUE(EditorShown()) << c.what;
        Type(m_sys, IDC_SYS_PROFILE_NAME, c.name);
        SetDlgItemTextA(m_sys->m_hWnd, IDC_SYS_SSID, "Kestiq-Open");
        Tab(EDIT_TAB_SECURITY);
        EXPECT_EQ(c.message, OkWithBox()) << c.what;
        bool refused = *c.message != 0;
        EXPECT_EQ(refused, EditorShown()) << c.what;
        if (refused) {
            EXPECT_EQ(m_sys, FrontTab()) << c.what;
        }
        EXPECT_EQ(refused ? "Kestiq-Home" : "Kestiq-Open", Stored("Home", "SSID")) << c.what;
        EXPECT_EQ("Kestiq-Lab", Stored("Lab", "SSID")) << c.what;
        m_dlg.ShowPage(PANEL_LINK_STATUS);
        ASSERT_TRUE(WriteProfile("Home", home));
        m_page->LoadProfileList();
        EXPECT_EQ(2u, m_page->Rows().size()) << c.what;
    }
}

// Edit of a profile whose key went after the list was read (another
// program, a hand in the registry): the editor starts from the defaults
// under its name, so nothing of the profile shown before is saved there.
TEST_F(EditorOk, EditOfAProfileGoneSinceTheListWasReadStartsFromTheDefaults)
{
    g_hAuthPort = 1;
    ProfileSettings home = OpenNetwork("Kestiq-Home");
    home.authChoice = AUTH_CHOICE_WPA2_PSK;
    home.encryptionChoice = ENCR_CHOICE_AES;
    home.preSharedKey = "kestiq-secret";
    ASSERT_TRUE(WriteProfile("Home", home));
    ASSERT_TRUE(WriteProfile("Cafe", OpenNetwork("Kestiq-Open")));
    m_page->LoadProfileList();
    Edit("Home");
    ASSERT_EQ("Kestiq-Home", TextOf(m_sys, IDC_SYS_SSID));
    ClickIn(m_editor, IDC_EDIT_CANCEL);

    ASSERT_TRUE(DeleteProfile("Cafe"));
    Edit("Cafe");
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ("Cafe", TextOf(m_sys, IDC_SYS_PROFILE_NAME));
    EXPECT_EQ("", TextOf(m_sys, IDC_SYS_SSID));
    Tab(EDIT_TAB_SECURITY);
    EXPECT_EQ("Open", TextOf(m_sec, IDC_SEC_AUTH));
    EXPECT_EQ("None", TextOf(m_sec, IDC_SEC_ENCRYPTION));
    EXPECT_EQ("", TextOf(m_sec, IDC_SEC_PSK));
    EXPECT_EQ("", OkWithBox());
    EXPECT_EQ("", Stored("Cafe", "SSID"));
    EXPECT_EQ("", Stored("Cafe", "WPAPSK"));
    EXPECT_EQ("0", Stored("Cafe", "AuthenType"));
    EXPECT_EQ("kestiq-secret", Stored("Home", "WPAPSK"));
}

// LEAP and the copy of the 8021X tab follow the security tab's network
// flag, as the 802.1X check of the same OK does: a network type changed on
// the System Config tab since the security tab was last shown changes
// neither.
TEST_F(EditorOk, LeapAndThe8021xCopyFollowTheSecurityTabsNetworkFlag)
{
    g_hAuthPort = 1;
    auto leap = [&](const char* identity) {
        return [this, identity] {
            Command(m_sec, ID_AUTH_LEAP);
            Type(m_sec, IDC_SEC_LEAP_ID, identity);
            Type(m_sec, IDC_SEC_LEAP_PASSWORD, "secret");
        };
    };
    auto wpa2 = [&] { ChooseWpa2Login("alice", "wonderland"); };
    const struct {
        const char* what;
        std::function<void()> choose;
        const char* message;
        const char* value;
        const char* stored;
    } cases[] = {
        { "LEAP with its texts", leap("bob"), "", "LeapUserName", "bob" },
        { "LEAP without an identity", leap(""), "ID and Password required for LEAP!", nullptr, nullptr },
        { "WPA2 over 802.1X", wpa2, "", "ID", "alice" },
    };
    for (const auto& c : cases) {
        Add();
        std::string name = TextOf(m_sys, IDC_SYS_PROFILE_NAME);
        Tab(EDIT_TAB_SECURITY);
        c.choose();
        Tab(EDIT_TAB_SYSTEM_CONFIG);
        Command(m_sys, ID_NETWORK_ADHOC);
        SetDlgItemTextA(m_sys->m_hWnd, IDC_SYS_SSID, "Games");
        EXPECT_EQ(c.message, OkWithBox()) << c.what;
        EXPECT_EQ(*c.message != 0, EditorShown()) << c.what;
        if (c.value) {
            EXPECT_EQ(c.stored, Stored(name.c_str(), c.value)) << c.what;
        }
        RemoveProfiles();
        m_page->LoadProfileList();
        m_dlg.ShowPage(PANEL_LINK_STATUS);
    }
}

TEST_F(EditorOk, CancelSavesNothing)
{
    Add();
    Type(m_sys, IDC_SYS_PROFILE_NAME, "Kept out");
    ClickIn(m_editor, IDC_EDIT_CANCEL);
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(PANEL_LINK_STATUS, m_dlg.m_nCurPanel);
    EXPECT_TRUE(IsWindowVisible(m_window->GetPanel(PANEL_LINK_STATUS)->m_hWnd));
    EXPECT_FALSE(ProfileExists("Kept out"));
    EXPECT_TRUE(m_page->Rows().empty());
}

TEST_F(EditorOk, SavingTheActiveProfileDoesNotApplyIt)
{
    ProfileSettings open;
    open.ssid = "Kestiq-Open";
    open.networkType = 1;
    ASSERT_TRUE(WriteProfile("Cafe", open));
    ASSERT_TRUE(WriteAdapterText(REGSTR_CUR_PROFILE, "Cafe"));
    m_page->LoadProfileList();
    Edit("Cafe");
    SetDlgItemTextA(m_sys->m_hWnd, IDC_SYS_SSID, "Kestiq-Home");
    DWORD mark = 0;
    ASSERT_TRUE(m_sim.NextSeq(mark));
    Ok();
    EXPECT_EQ("Kestiq-Home", Stored("Cafe", "SSID"));
    int sets = 0;
    for (const auto& e : kqsim::AdapterLog(m_sim, kGuid, mark))
        if (e.kind == KQSIM_LOG_SET) ++sets;
    EXPECT_EQ(0, sets);
    CString active;
    ReadAdapterText(REGSTR_PROFILE_SSID, active);
    EXPECT_NE(CString("Kestiq-Home"), active);
}

}  // namespace
