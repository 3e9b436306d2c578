// The WPS profile detail panel, opened by the WPS page's "Detail": a stored
// credential read-only for an enrollee, the registrar's own credential
// edited, checked and written back into the block.
#include "wpspage/WpsPageFixture.h"

namespace {

using namespace kqtest;

class WpsDetail : public WpsPageTest {
protected:
    // "Detail" on a row of the profile list.
    void OpenDetail(int row)
    {
        SelectListRow(ProfileList(), row);
        Pump();
        Click(IDC_WPS_DETAIL);
        ASSERT_EQ(PANEL_WPS_PROFILE_DETAIL, PanelShown());
        ASSERT_TRUE(IsWindowVisible(m_detail->m_hWnd));
    }
    HWND Field(UINT id) const { return GetDlgItem(m_detail->m_hWnd, id); }
    std::string FieldText(UINT id) const { return TextOf(Field(id)); }
    bool Shown(UINT id) const { return IsWindowVisible(Field(id)) != FALSE; }
    bool On(UINT id) const { return IsWindowEnabled(Field(id)) != FALSE; }
    bool ReadOnly(UINT id) const { return (GetWindowLongA(Field(id), GWL_STYLE) & ES_READONLY) != 0; }
    void ClickField(UINT id) { Click(Field(id)); }
    std::string ComboSelection(UINT id) const { return DialogInput::ComboSelection(m_detail, id); }
    std::vector<std::string> ComboItems(UINT id) const { return DialogInput::ComboItems(m_detail, id); }
    void Pick(UINT id, const char* item) { ASSERT_TRUE(PickComboItem(m_detail, id, item)); }
    // OK as a click: TRUE when the panel went back to the link status.
    bool Ok()
    {
        HideTips();
        ClickField(IDC_WPSD_OK);
        return PanelShown() == PANEL_LINK_STATUS;
    }
    void PanelShot(const char* name)
    {
        SavePng(RowsFromChild(WindowCapture(), m_window->m_hWnd, m_detail->m_hWnd), ScreenshotPath(name));
    }
};

// An enrollee's credentials as the panel shows them, with the key in both
// forms where it is a WEP key.
TEST_F(WpsDetail, EnrolleeSeesTheCredentialReadOnly)
{
    struct Case {
        const char* what;
        WpsCredential cred;
        const char* auth;
        const char* encryption;
        const char* index;
        const char* key;
        const char* length;
        const char* asciiKey;      // nullptr: no "ASCII Format" pair
        const char* asciiLength;
    } cases[] = {
        {"10 hex digits", Credential("Kestiq-WEP", WPS_AUTH_OPEN, WPS_ENCR_WEP, 0, "3132333435", 2), "OPEN", "WEP",
         "Key#1", "3132333435", "10", "12345", "5"},
        {"13 characters", Credential("Cafe", WPS_AUTH_SHARED, WPS_ENCR_WEP, 0x80000002, "abcdefghijklm", 5),
         "SHARED", "WEP", "Key#3", "6162636465666768696a6b6c6d", "26", "abcdefghijklm", "13"},
        {"5 characters, one below 0x10", Credential("Low", WPS_AUTH_OPEN, WPS_ENCR_WEP, 1, "\x01" "bcde", 6), "OPEN",
         "WEP", "Key#2", "0162636465", "10", "\x01" "bcde", "5"},
        {"26 hex digits with a zero byte",
         Credential("Zero", WPS_AUTH_OPEN, WPS_ENCR_WEP, 0, "41424300444546474849505152", 7), "OPEN", "WEP", "Key#1",
         "41424300444546474849505152", "26", "ABC", "13"},
        {"pre-shared key", Credential("Kestiq-Home", WPS_AUTH_WPA2_PSK, WPS_ENCR_AES, 0, "kestiq-secret", 3),
         "WPA2-PSK", "AES", "Key#1", "kestiq-secret", "13", nullptr, nullptr},
        {"WPA with TKIP", Credential("Old", WPS_AUTH_WPA_PSK, WPS_ENCR_TKIP, 0, "old-passphrase", 8), "WPA-PSK",
         "TKIP", "Key#1", "old-passphrase", "14", nullptr, nullptr},
    };
    const int n = (int)(sizeof(cases) / sizeof(cases[0]));
    g_WscCredentials.count = n;
    for (int i = 0; i < n; ++i) g_WscCredentials.cred[i] = cases[i].cred;
    const WpsCredentialBlock before = g_WscCredentials;
    OpenPage();
    for (int i = 0; i < n; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.what);
        OpenDetail(i);
        EXPECT_EQ(std::string((const char*)c.cred.ssid.Ssid, c.cred.ssid.SsidLength), FieldText(IDC_WPSD_SSID));
        EXPECT_EQ(c.auth, FieldText(IDC_WPSD_AUTH_TEXT));
        EXPECT_EQ(c.encryption, FieldText(IDC_WPSD_ENCR_TEXT));
        EXPECT_EQ(c.index, FieldText(IDC_WPSD_KEY_INDEX_TEXT));
        EXPECT_EQ(c.key, FieldText(IDC_WPSD_KEY));
        EXPECT_EQ(c.length, FieldText(IDC_WPSD_KEY_LENGTH_TEXT));
        EXPECT_TRUE(ReadOnly(IDC_WPSD_SSID));
        EXPECT_TRUE(ReadOnly(IDC_WPSD_KEY));
        for (UINT combo : {IDC_WPSD_AUTH, IDC_WPSD_ENCR, IDC_WPSD_KEY_LENGTH, IDC_WPSD_KEY_INDEX})
            EXPECT_FALSE(Shown(combo));
        EXPECT_EQ(c.asciiKey != nullptr, Shown(IDC_WPSD_ASCII));
        if (c.asciiKey) {
            if (i == 0) PanelShot("wps-detail-enrollee");
            ClickField(IDC_WPSD_ASCII);
            EXPECT_EQ(c.asciiKey, FieldText(IDC_WPSD_KEY));
            EXPECT_EQ(c.asciiLength, FieldText(IDC_WPSD_KEY_LENGTH_TEXT));
            ClickField(IDC_WPSD_ASCII);
            EXPECT_EQ(c.key, FieldText(IDC_WPSD_KEY)) << "back to the hex digits";
        }
        EXPECT_TRUE(Ok());
        EXPECT_EQ(0, std::memcmp(&before, &g_WscCredentials, sizeof(before))) << "an enrollee changes nothing";
    }
}

// "ASCII Format" keeps its check from one credential to the next; the key
// a load puts in front is the hex form, the box turns it over.
TEST_F(WpsDetail, TheAsciiBoxKeepsItsCheckFromOneCredentialToTheNext)
{
    g_WscCredentials.count = 2;
    g_WscCredentials.cred[0] = Credential("Kestiq-WEP", WPS_AUTH_OPEN, WPS_ENCR_WEP, 0, "3132333435", 2);
    g_WscCredentials.cred[1] = Credential("Cafe", WPS_AUTH_OPEN, WPS_ENCR_WEP, 1, "abcde", 5);
    OpenPage();
    OpenDetail(0);
    ClickField(IDC_WPSD_ASCII);
    EXPECT_EQ("12345", FieldText(IDC_WPSD_KEY));
    EXPECT_TRUE(Ok());

    OpenDetail(1);
    EXPECT_EQ(BST_CHECKED, SendMessageA(Field(IDC_WPSD_ASCII), BM_GETCHECK, 0, 0));
    EXPECT_EQ("6162636465", FieldText(IDC_WPSD_KEY));
    EXPECT_EQ("10", FieldText(IDC_WPSD_KEY_LENGTH_TEXT));
    ClickField(IDC_WPSD_ASCII);
    EXPECT_EQ("6162636465", FieldText(IDC_WPSD_KEY));
    ClickField(IDC_WPSD_ASCII);
    EXPECT_EQ("abcde", FieldText(IDC_WPSD_KEY));
    EXPECT_EQ("5", FieldText(IDC_WPSD_KEY_LENGTH_TEXT));
    PanelShot("wps-detail-ascii-kept");
}

// The key shows as typed once "Show Password" is checked.
TEST_F(WpsDetail, ShowPasswordShowsTheKey)
{
    g_WscCredentials.count = 1;
    g_WscCredentials.cred[0] = Credential("Kestiq-Home", WPS_AUTH_WPA2_PSK, WPS_ENCR_AES, 0, "kestiq-secret", 3);
    OpenPage();
    OpenDetail(0);
    EXPECT_EQ('*', (char)SendMessageA(Field(IDC_WPSD_KEY), EM_GETPASSWORDCHAR, 0, 0));
    ClickField(IDC_WPSD_SHOW_PASSWORD);
    EXPECT_EQ(0, (int)SendMessageA(Field(IDC_WPSD_KEY), EM_GETPASSWORDCHAR, 0, 0));
    ClickField(IDC_WPSD_SHOW_PASSWORD);
    EXPECT_EQ('*', (char)SendMessageA(Field(IDC_WPSD_KEY), EM_GETPASSWORDCHAR, 0, 0));
    ClickField(IDC_WPSD_CANCEL);
    EXPECT_EQ(PANEL_LINK_STATUS, PanelShown());
}

// The registrar edits credential 0: a pre-shared key needs eight characters,
// WEP keys their exact lengths; OK writes the block (the registry keeps
// what it had) and the page's list shows the edit.
TEST_F(WpsDetail, RegistrarEditsItsOwnCredential)
{
    OpenPage();
    ChooseMode("Registrar");
    OpenDetail(0);
    EXPECT_EQ(kRegistrarSsid, FieldText(IDC_WPSD_SSID));
    EXPECT_FALSE(ReadOnly(IDC_WPSD_SSID));
    EXPECT_FALSE(ReadOnly(IDC_WPSD_KEY));
    EXPECT_FALSE(Shown(IDC_WPSD_AUTH_TEXT));
    EXPECT_FALSE(Shown(IDC_WPSD_ASCII)) << "a registrar has no ASCII pair";
    EXPECT_EQ((std::vector<std::string>{"Open", "WPA-PSK", "WPA2-PSK"}), ComboItems(IDC_WPSD_AUTH));
    EXPECT_EQ("WPA2-PSK", ComboSelection(IDC_WPSD_AUTH));
    EXPECT_EQ((std::vector<std::string>{"TKIP", "AES"}), ComboItems(IDC_WPSD_ENCR));
    EXPECT_EQ("AES", ComboSelection(IDC_WPSD_ENCR));
    EXPECT_FALSE(On(IDC_WPSD_KEY_LENGTH));
    EXPECT_FALSE(On(IDC_WPSD_KEY_INDEX));
    EXPECT_EQ(64u, FieldText(IDC_WPSD_KEY).size());
    PanelShot("wps-detail-registrar");

    // A pre-shared key of seven characters is refused, of eight taken.
    Type(m_detail, IDC_WPSD_SSID, "Kestiq-Reg");
    Pick(IDC_WPSD_ENCR, "TKIP");
    Type(m_detail, IDC_WPSD_KEY, "1234567");
    EXPECT_FALSE(Ok());
    EXPECT_EQ(PANEL_WPS_PROFILE_DETAIL, PanelShown());
    EXPECT_TRUE(TipShowing());
    EXPECT_EQ("Invalid WPA Pre-Shared key. WPA-PSK used field should use more than 8 characters.",
              std::string(m_detail->KeyRefusal()));
    Type(m_detail, IDC_WPSD_KEY, "12345678");
    EXPECT_TRUE(Ok());
    const WpsCredential& c = g_WscCredentials.cred[0];
    EXPECT_EQ("Kestiq-Reg", std::string((const char*)c.ssid.Ssid, c.ssid.SsidLength));
    EXPECT_EQ(8u, c.KeyLength);
    EXPECT_EQ("12345678", std::string((const char*)c.Key, 8));
    EXPECT_EQ(0, c.Key[8]);
    EXPECT_EQ((DWORD)WPS_AUTH_WPA2_PSK, c.AuthType);
    EXPECT_EQ((DWORD)WPS_ENCR_TKIP, c.EncrType);
    EXPECT_EQ(0u, c.KeyIndex);
    EXPECT_EQ((std::vector<std::string>{"Kestiq-Reg"}), ProfileSsids());
    EXPECT_EQ(kRegistrarSsid, WscText("Profile0", "SSID")) << "the registry is written by the next store";

    // Open with WEP: the key length chooses the rule of the key.
    OpenDetail(0);
    Pick(IDC_WPSD_AUTH, "Open");
    EXPECT_EQ((std::vector<std::string>{"NONE", "WEP"}), ComboItems(IDC_WPSD_ENCR));
    EXPECT_EQ("NONE", ComboSelection(IDC_WPSD_ENCR));
    EXPECT_TRUE(ReadOnly(IDC_WPSD_KEY));
    EXPECT_EQ("", FieldText(IDC_WPSD_KEY));
    EXPECT_FALSE(On(IDC_WPSD_KEY_LENGTH));
    Pick(IDC_WPSD_ENCR, "WEP");
    EXPECT_FALSE(ReadOnly(IDC_WPSD_KEY));
    EXPECT_TRUE(On(IDC_WPSD_KEY_LENGTH));
    EXPECT_TRUE(On(IDC_WPSD_KEY_INDEX));
    struct Case {
        const char* length;
        const char* typed;
        const char* shown;     // what the edit kept of it
        const char* refusal;
    } cases[] = {
        {"5", "abcd", "abcd", "Invalid WEP Key length. WEP Key should be 5 ascii characters"},
        {"10", "12g45678x9", "12456789", "Invalid WEP Key length. WEP Key should be 10 hex digits"},
        {"13", "abc", "abc", "Invalid WEP Key length. WEP Key should be 13 ascii characters"},
        {"26", "0123456789abcdefXYZ", "0123456789abcdef", "Invalid WEP Key length. WEP Key should be 26 hex digits"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.length);
        Pick(IDC_WPSD_KEY_LENGTH, k.length);
        EXPECT_EQ(std::atoi(k.length), m_detail->KeyLimit());
        Type(m_detail, IDC_WPSD_KEY, k.typed);
        EXPECT_EQ(k.shown, FieldText(IDC_WPSD_KEY));
        EXPECT_FALSE(Ok());
        EXPECT_EQ(k.refusal, std::string(m_detail->KeyRefusal()));
    }
    // Typing stops at the chosen length.
    Pick(IDC_WPSD_KEY_LENGTH, "5");
    Type(m_detail, IDC_WPSD_KEY, "abcdefgh");
    EXPECT_EQ("abcde", FieldText(IDC_WPSD_KEY));
    Pick(IDC_WPSD_AUTH, "Open");
    Pick(IDC_WPSD_ENCR, "WEP");
    Pick(IDC_WPSD_KEY_LENGTH, "10");
    Pick(IDC_WPSD_KEY_INDEX, "3");
    Type(m_detail, IDC_WPSD_KEY, "0123456789");
    EXPECT_TRUE(Ok());
    EXPECT_EQ((DWORD)WPS_AUTH_OPEN, c.AuthType);
    EXPECT_EQ((DWORD)WPS_ENCR_WEP, c.EncrType);
    EXPECT_EQ(10u, c.KeyLength);
    EXPECT_EQ(2u, c.KeyIndex);
    EXPECT_EQ("0123456789", std::string((const char*)c.Key, 10));
}

}  // namespace
