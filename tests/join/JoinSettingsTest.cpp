// The rules of a one-off join as tables: the hidden-SSID panel's text, the
// connect-settings panel's choices and the record they make (read back from
// the engine's current profile and from what the driver received), the LEAP
// ciphers by the CCX bits, the refusals, and the record's lifetime.
#include "join/JoinFixture.h"

#include <atomic>
#include <functional>
#include <thread>

#include "auth/SupplicantBinding.h"
#include "core/RegistryStore.h"
#include "survey/ScanListBuilder.h"

namespace {

using kqtest::JoinTest;
using kqtest::SetSeen;

std::string Hex(const BYTE* p, size_t n)
{
    std::string s;
    char b[3];
    for (size_t i = 0; i < n; ++i) {
        snprintf(b, sizeof(b), "%02x", p[i]);
        s += b;
    }
    return s;
}

// One key blob as the driver received it (OID_802_11_ADD_KEY).
struct KeySeen {
    DWORD length = 0, index = 0, keyLength = 0;
    std::string material;
};
KeySeen ParseKey(const SetSeen& s)
{
    KeySeen k;
    if (s.data.size() < 32) return k;
    std::memcpy(&k.length, &s.data[0], 4);
    std::memcpy(&k.index, &s.data[4], 4);
    std::memcpy(&k.keyLength, &s.data[8], 4);
    size_t n = std::min<size_t>(k.keyLength, s.data.size() - 32);
    k.material = Hex(&s.data[32], n);
    return k;
}

// The key blob the driver received, against what it should hold.
void ExpectKey(const SetSeen& s, DWORD length, DWORD index, DWORD keyLength, const std::string& material,
               const char* what)
{
    KeySeen k = ParseKey(s);
    EXPECT_EQ(length, k.length) << what;
    EXPECT_EQ(index, k.index) << what;
    EXPECT_EQ(keyLength, k.keyLength) << what;
    EXPECT_EQ(material, k.material) << what;
}

std::string SsidOf(const StationConfig& r) { return std::string((const char*)r.ssid.Ssid, r.ssid.SsidLength); }

class JoinSettings : public JoinTest {
protected:
    // A step on the connect-settings panel, as a person takes it.
    struct Step {
        enum Kind { COMMAND, CLICK, TYPE, EAP_COMMAND, TYPE_CREDENTIAL, CLOSE_PORT } kind;
        UINT id;
        std::string text;
    };
    void Take(const Step& s)
    {
        switch (s.kind) {
        case Step::COMMAND: Command(m_csec, s.id); break;
        case Step::CLICK: ClickIn(m_csec, s.id); break;
        case Step::TYPE: Type(m_csec, s.id, s.text); break;
        case Step::EAP_COMMAND:
            ConnectTab(CONNECT_TAB_8021X);
            Command(m_connect->Dot1xTab(), s.id);
            break;
        case Step::TYPE_CREDENTIAL:
            ConnectTab(CONNECT_TAB_8021X);
            Type(m_connect->Dot1xTab()->CredentialPage(), s.id, s.text);
            break;
        case Step::CLOSE_PORT: CloseAuthPort(); break;
        }
    }
    // Open the panel on the network's row, take the steps, press OK.
    bool Fill(const std::string& network, const std::vector<Step>& steps)
    {
        Leave();
        if (!Connect(network) || Panel() != PANEL_CONNECT_SETTINGS) return false;
        for (const Step& s : steps) Take(s);
        ConnectOk();
        return true;
    }
    // The controller opens the port again on its ticks.
    void ReopenPort() { EXPECT_TRUE(PortOpens()) << "the supplicant port did not open again"; }
    // The text of the class library's validation box that `act` brings up,
    // answered with OK from a second thread.
    template <class Act>
    static std::string ValidationBoxOf(Act act)
    {
        std::string text;
        std::atomic<bool> done{false};
        std::thread answer([&] {
            for (DWORD start = GetTickCount(); !done && GetTickCount() - start < 30000;) {
                HWND box = FindWindowA("#32770", "Error");
                DWORD pid = 0;
                if (box) GetWindowThreadProcessId(box, &pid);
                if (box && pid == GetCurrentProcessId() && IsWindowVisible(box)) {
                    char buf[256] = {};
                    GetDlgItemTextA(box, 0xFFFF, buf, sizeof(buf));
                    text = buf;
                    PostMessageA(box, WM_COMMAND, IDOK, 0);
                    return;
                }
                Sleep(10);
            }
        });
        act();
        done = true;
        answer.join();
        return text;
    }
    // "Kestiq-Den", an open network that hides its name, in place of the
    // secured hidden one of the default air.
    bool PutOpenHiddenNetwork()
    {
        BYTE hiddenHome[6];
        if (!kqsim::ParseMac("00:11:22:33:44:06", hiddenHome) || !m_sim.RemoveNetwork(hiddenHome)) return false;
        KQSIM_NETWORK den = kqsim::MakeNetwork("Kestiq-Den", "02:00:00:00:28:10", 7, -50, KQSIM_SEC_OPEN);
        den.hidden = 1;
        return m_sim.PutNetwork(den);
    }
    static KQSIM_NETWORK AdhocWpaNone(const std::string& ssid)
    {
        KQSIM_NETWORK n = kqsim::MakeNetwork(ssid, "02:00:00:00:28:20", 2, -50, KQSIM_SEC_OPEN);
        n.infraMode = 0;
        // WPA element with a pre-shared key: WPA-None in an IBSS.
        const BYTE wpa[] = { 0xDD, 0x16, 0x00, 0x50, 0xF2, 0x01, 0x01, 0x00, 0x00, 0x50, 0xF2, 0x02,
                             0x01, 0x00, 0x00, 0x50, 0xF2, 0x02, 0x01, 0x00, 0x00, 0x50, 0xF2, 0x02 };
        std::memcpy(n.ies, wpa, sizeof(wpa));
        n.ieLen = sizeof(wpa);
        return n;
    }
};

TEST_F(JoinSettings, AuthTextsGiveTheirCodesExactlyAndCaseSensitively)
{
    const std::pair<const char*, DWORD> cases[] = {
        { "WPA-NONE", 3 }, { "WPA", 1 }, { "WPA-PSK", 2 }, { "WPA2", 4 }, { "WPA2-PSK", 5 }, { "WPA+WPA2", 4 },
        { "WPA-PSK+WPA2-PSK", 5 }, { "Unknown", 0 }, { "wpa", 0 }, { "WPA2-NONE", 0 }, { "WPA ", 0 },
        { "WPA-PSK+WPA2", 0 }, { "", 0 },
    };
    for (const auto& c : cases) EXPECT_EQ(c.second, CSiteSurveyPage::AuthTextToCode(c.first)) << c.first;
}

// An open network that hides its name: OK joins at once by the typed SSID.
TEST_F(JoinSettings, TheHiddenSsidIsTrimmedMayBeEmptyAndHoldsAtMost32Characters)
{
    ASSERT_TRUE(PutOpenHiddenNetwork());
    FillSurvey();

    const struct { const char* what; std::string typed; std::string sent; bool joins; } cases[] = {
        { "blanks around", "  Kestiq-Den  ", "Kestiq-Den", true },
        { "a tab and blanks", "\tKestiq-Den ", "Kestiq-Den", true },
        { "nothing", "", "", false },
        { "only blanks", "     ", "", false },
        { "40 characters", std::string(40, 'D'), std::string(32, 'D'), false },
    };
    for (const auto& c : cases) {
        Leave();
        ASSERT_TRUE(Connect("")) << c.what;
        ASSERT_EQ(PANEL_HIDDEN_SSID, Panel()) << c.what;
        DWORD mark = Mark();
        HiddenOk(c.typed);
        EXPECT_EQ(PANEL_LINK_STATUS, Panel()) << c.what;
        ASSERT_TRUE(Applied(mark)) << c.what;
        std::vector<SetSeen> ssid = Sets(mark, OID_802_11_SSID);
        ASSERT_EQ(1u, ssid.size()) << c.what;
        EXPECT_EQ(c.sent.size(), ssid[0].Dword()) << c.what;
        EXPECT_EQ(c.sent, ssid[0].Ssid()) << c.what;
        EXPECT_TRUE(Sets(mark, OID_802_11_BSSID).empty()) << c.what;
        ASSERT_NE(nullptr, g_pCurProfile);
        EXPECT_EQ(0u, g_pCurProfile->matchByBssid) << c.what;
        EXPECT_EQ(c.sent, SsidOf(*g_pCurProfile)) << c.what;
        EXPECT_EQ(c.joins ? "Kestiq-Den" : "", Joined()) << c.what;
    }
}

TEST_F(JoinSettings, AHiddenSsidOverTheLimitIsRefusedAndCancelLeavesNoTrace)
{
    FillSurvey();
    ASSERT_TRUE(Connect(""));
    ASSERT_EQ(PANEL_HIDDEN_SSID, Panel());
    DWORD mark = Mark();
    // Typing stops at 32; a longer text can only be put there whole.
    SetDlgItemTextA(m_hidden->m_hWnd, IDC_HIDDEN_SSID_EDIT, std::string(33, 'x').c_str());
    EXPECT_EQ("Please enter no more than 32 characters.", ValidationBoxOf([&] { ClickIn(m_hidden, IDC_HIDDEN_OK); }));
    EXPECT_EQ(PANEL_HIDDEN_SSID, Panel());
    EXPECT_TRUE(m_survey->JoinPending());

    Type(m_hidden, IDC_HIDDEN_SSID_EDIT, "Kestiq-Hidden");
    ClickIn(m_hidden, IDC_HIDDEN_CANCEL);
    EXPECT_EQ(PANEL_LINK_STATUS, Panel());
    EXPECT_FALSE(m_survey->JoinPending());
    EXPECT_FALSE(Applied(mark));
    EXPECT_TRUE(Sets(mark, OID_802_11_SSID).empty());

    // The next time it starts empty; the connect settings' Cancel is as clean.
    ASSERT_TRUE(Connect(""));
    EXPECT_EQ("", TextOf(m_hidden, IDC_HIDDEN_SSID_EDIT));
    HiddenOk("Kestiq-Hidden");
    ASSERT_EQ(PANEL_CONNECT_SETTINGS, Panel());
    Type(m_csec, IDC_SEC_PSK, "hidden-network");
    ClickIn(m_connect, IDC_CONNECT_CANCEL);
    EXPECT_EQ(PANEL_LINK_STATUS, Panel());
    EXPECT_FALSE(m_survey->JoinPending());
    EXPECT_FALSE(Applied(mark));
    ASSERT_TRUE(Connect("Kestiq-Home"));
    EXPECT_EQ("", TextOf(m_csec, IDC_SEC_PSK));
    EXPECT_TRUE(m_survey->m_pending.preSharedKey.IsEmpty());
    EXPECT_EQ(0, m_survey->m_pending.authentication);
}

TEST_F(JoinSettings, TheChoicesMakeTheRecordTheDriverReceives)
{
    ASSERT_TRUE(m_sim.PutNetwork(AdhocWpaNone("IEEE")));
    FillSurvey();
    const std::string hex64 = "00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff";
    using S = Step;
    using Check = std::function<void(const StationConfig&, DWORD mark, const char* what)>;
    const struct {
        const char* what;
        const char* network;
        std::vector<Step> steps;
        Check check;
    } cases[] = {
        { "WPA-PSK copies the key and no WEP keys", "Kestiq-Mixed",
          { { S::COMMAND, ID_AUTH_OPEN }, { S::COMMAND, ID_ENCRYPTION_WEP }, { S::TYPE, IDC_SEC_KEY1, "0123456789" },
            { S::COMMAND, ID_AUTH_WPA_PSK }, { S::COMMAND, ID_ENCRYPTION_TKIP },
            { S::TYPE, IDC_SEC_PSK, "mixed-passphrase" } },
          [&](const StationConfig& r, DWORD mark, const char* what) {
              EXPECT_EQ((DWORD)Ndis802_11AuthModeWPAPSK, r.authMode) << what;
              EXPECT_EQ((DWORD)Ndis802_11Encryption2Enabled, r.encryption) << what;
              EXPECT_EQ("mixed-passphrase", std::string(r.wpaPsk, r.wpaPskLength)) << what;
              for (const StationKeyBlob& k : r.wepKey) EXPECT_EQ(0u, k.size) << what;
              for (int n : m_survey->m_pending.keyLength) EXPECT_EQ(0, n) << what;
              EXPECT_TRUE(Sets(mark, OID_802_11_ADD_KEY).empty()) << what;
              EXPECT_TRUE(SupplicantSaid(mark, "acRsnPskCreate passphrase=mixed-passphrase")) << what;
          } },
        { "Open with WEP copies the WEP keys and no key", "Kestiq-WEP",
          { { S::COMMAND, ID_AUTH_WPA_PSK }, { S::TYPE, IDC_SEC_PSK, "left-over-key" }, { S::COMMAND, ID_AUTH_OPEN },
            { S::COMMAND, ID_ENCRYPTION_WEP }, { S::TYPE, IDC_SEC_KEY1, "0123456789" } },
          [&](const StationConfig& r, DWORD mark, const char* what) {
              EXPECT_EQ((DWORD)Ndis802_11AuthModeOpen, r.authMode) << what;
              EXPECT_EQ((DWORD)Ndis802_11WEPEnabled, r.encryption) << what;
              EXPECT_EQ(0u, r.wpaPskLength) << what;
              EXPECT_TRUE(m_survey->m_pending.preSharedKey.IsEmpty()) << what;
              EXPECT_EQ(44u, r.wepKey[0].size) << what;
              std::vector<SetSeen> keys = Sets(mark, OID_802_11_ADD_KEY);
              ASSERT_EQ(1u, keys.size()) << what;
              ExpectKey(keys[0], 44, 0x80000000u, 5, "0123456789", what);
              EXPECT_EQ(3u, Sets(mark, OID_802_11_REMOVE_KEY).size()) << what;
              EXPECT_EQ("Kestiq-WEP", Joined()) << what;
          } },
        { "WEP key 2 of 13 bytes, default key 2", "Kestiq-WEP",
          { { S::COMMAND, ID_KEY2_ASCII }, { S::TYPE, IDC_SEC_KEY2, "kestiq-wep-13" },
            { S::CLICK, IDC_SEC_DEFAULT_KEY2 } },
          [&](const StationConfig& r, DWORD mark, const char* what) {
              EXPECT_EQ(0u, r.wepKey[0].size) << what;
              EXPECT_EQ(52u, r.wepKey[1].size) << what;
              std::vector<SetSeen> keys = Sets(mark, OID_802_11_ADD_KEY);
              ASSERT_EQ(1u, keys.size()) << what;
              ExpectKey(keys[0], 52, 0x80000001u, 13, Hex((const BYTE*)"kestiq-wep-13", 13), what);
          } },
        // Every key goes as its hex text makes it, half as many bytes as digits.
        { "a hex key of 12 digits that is not the default goes as its 6 bytes", "Kestiq-WEP",
          { { S::TYPE, IDC_SEC_KEY1, "0123456789" }, { S::TYPE, IDC_SEC_KEY2, "0123456789ab" } },
          [&](const StationConfig& r, DWORD mark, const char* what) {
              EXPECT_EQ(44u, r.wepKey[0].size) << what;
              EXPECT_EQ(45u, r.wepKey[1].size) << what;
              std::vector<SetSeen> keys = Sets(mark, OID_802_11_ADD_KEY);
              ASSERT_EQ(2u, keys.size()) << what;
              ExpectKey(keys[0], 44, 0x80000000u, 5, "0123456789", what);
              ExpectKey(keys[1], 45, 1, 6, "0123456789ab", what);
              EXPECT_EQ("Kestiq-WEP", Joined()) << what;
          } },
        // MD5-Challenge carries no keys of its own: the WEP keys go as typed.
        { "Open with WEP over 802.1X with MD5-Challenge copies the WEP keys", "Kestiq-WEP",
          { { S::COMMAND, ID_AUTH_OPEN }, { S::COMMAND, ID_ENCRYPTION_WEP }, { S::CLICK, IDC_SEC_8021X },
            { S::TYPE, IDC_SEC_KEY1, "0123456789" }, { S::EAP_COMMAND, ID_EAP_MD5 },
            { S::TYPE_CREDENTIAL, IDC_CRED_ID, "alice" }, { S::TYPE_CREDENTIAL, IDC_CRED_PASSWORD, "wonderland" } },
          [&](const StationConfig& r, DWORD mark, const char* what) {
              EXPECT_EQ(1u, r.use8021x) << what;
              EXPECT_EQ(4u, r.eapMethod) << what;
              EXPECT_EQ((DWORD)Ndis802_11WEPEnabled, r.encryption) << what;
              EXPECT_EQ(44u, r.wepKey[0].size) << what;
              std::vector<SetSeen> keys = Sets(mark, OID_802_11_ADD_KEY);
              ASSERT_EQ(1u, keys.size()) << what;
              ExpectKey(keys[0], 44, 0x80000000u, 5, "0123456789", what);
          } },
        { "WPA2 with TKIP over 802.1X", "Kestiq-Corp",
          { { S::COMMAND, ID_ENCRYPTION_TKIP }, { S::TYPE_CREDENTIAL, IDC_CRED_ID, "alice" },
            { S::TYPE_CREDENTIAL, IDC_CRED_TUNNEL_ID, "corp\\alice" },
            { S::TYPE_CREDENTIAL, IDC_CRED_TUNNEL_PASSWORD, "wonderland" } },
          [&](const StationConfig& r, DWORD mark, const char* what) {
              EXPECT_EQ(6u, SetValue(mark, OID_802_11_AUTHENTICATION_MODE)) << what;
              EXPECT_EQ(4u, SetValue(mark, OID_802_11_WEP_STATUS)) << what;
              EXPECT_EQ(1u, r.use8021x) << what;
              EXPECT_EQ(0u, r.eapMethod) << what;
              EXPECT_EQ(26u, r.innerMethod) << what;
              EXPECT_STREQ("alice", r.identity) << what;
              EXPECT_STREQ("corp\\alice", r.tunnelId) << what;
              EXPECT_STREQ("wonderland", r.tunnelPassword) << what;
              EXPECT_EQ(1u, r.passwordMode) << what;
          } },
        { "the port closed: 802.1X stays at its defaults", "Kestiq-Corp",
          { { S::TYPE_CREDENTIAL, IDC_CRED_ID, "alice" }, { S::TYPE_CREDENTIAL, IDC_CRED_TUNNEL_ID, "alice" },
            { S::TYPE_CREDENTIAL, IDC_CRED_TUNNEL_PASSWORD, "wonderland" }, { S::CLOSE_PORT, 0 } },
          [&](const StationConfig& r, DWORD, const char* what) {
              const Dot1xSettings& d = m_survey->m_pending.dot1x;
              EXPECT_EQ(0, d.eapMethod) << what;
              EXPECT_EQ(26, d.tunnelEapType) << what;
              EXPECT_EQ(3, d.ttlsInnerMethod) << what;
              EXPECT_TRUE(d.identity.IsEmpty()) << what;
              EXPECT_TRUE(d.tunnelPassword.IsEmpty()) << what;
              EXPECT_EQ(1, d.passwordMode) << what;
              EXPECT_EQ(0u, r.use8021x) << what;
              EXPECT_STREQ("", r.identity) << what;
          } },
        { "WPA-None: 64 hex digits are the key", "IEEE",
          { { S::TYPE, IDC_SEC_PSK, hex64 } },
          [&](const StationConfig& r, DWORD mark, const char* what) {
              EXPECT_EQ((DWORD)Ndis802_11AuthModeWPANone, r.authMode) << what;
              EXPECT_EQ((DWORD)Ndis802_11Encryption2Enabled, r.encryption) << what;
              EXPECT_EQ(0u, r.infrastructureMode) << what;
              EXPECT_EQ(0u, r.matchByBssid) << what;
              EXPECT_EQ("IEEE", SsidOf(r)) << what;
              EXPECT_EQ(2417000u, r.adhocChannelKHz) << what;
              std::vector<SetSeen> keys = Sets(mark, OID_802_11_ADD_KEY);
              ASSERT_EQ(1u, keys.size()) << what;
              ExpectKey(keys[0], 71, 0x80000000u, 32, hex64, what);
              EXPECT_EQ("IEEE", Sets(mark, OID_802_11_SSID).at(0).Ssid()) << what;
          } },
        { "WPA-None: a passphrase is hashed with the SSID", "IEEE",
          { { S::TYPE, IDC_SEC_PSK, "password" } },
          [&](const StationConfig&, DWORD mark, const char* what) {
              std::vector<SetSeen> keys = Sets(mark, OID_802_11_ADD_KEY);
              ASSERT_EQ(1u, keys.size()) << what;
              // IEEE 802.11i, H.4.1: "password" with the SSID "IEEE".
              EXPECT_EQ("f42c6fc52df0ebef9ebb4b90b38a5f902e83fe1b135a70e23aed762e9710a12e",
                        ParseKey(keys[0]).material)
                  << what;
          } },
    };
    for (const auto& c : cases) {
        DWORD mark = Mark();
        ASSERT_TRUE(Fill(c.network, c.steps)) << c.what;
        EXPECT_EQ(PANEL_LINK_STATUS, Panel()) << c.what;
        ASSERT_TRUE(Applied(mark)) << c.what;
        ASSERT_NE(nullptr, g_pCurProfile) << c.what;
        EXPECT_EQ(1u, g_pCurProfile->disassociateFirst) << c.what;
        EXPECT_EQ(0u, g_pCurProfile->fragThreshold) << c.what;
        c.check(*g_pCurProfile, mark, c.what);
        if (!g_hAuthPort) ReopenPort();
    }
}

// A key the join would use and cannot is refused with nothing sent: the
// default key of a length that makes no key, a hexadecimal key that holds
// other characters.  The length of a key that is not the default is not
// checked, and a key left over in a mode that uses no WEP key does not stop
// the join.
TEST_F(JoinSettings, KeysThatCannotBeUsedAreRefusedAndNothingIsSent)
{
    ASSERT_TRUE(m_sim.PutNetwork(AdhocWpaNone("IEEE")));
    FillSurvey();
    const std::vector<Step> asciiKey3Of6 = { { Step::COMMAND, ID_KEY3_ASCII }, { Step::TYPE, IDC_SEC_KEY3, "kestiq" },
                                             { Step::TYPE, IDC_SEC_KEY1, "0123456789" } };
    std::vector<Step> asDefault = asciiKey3Of6;
    asDefault.push_back({ Step::CLICK, IDC_SEC_DEFAULT_KEY3 });
    std::vector<Step> thenNone = asDefault;
    thenNone.push_back({ Step::COMMAND, ID_ENCRYPTION_NONE });
    const std::vector<Step> typedUnderAscii = { { Step::COMMAND, ID_KEY1_ASCII }, { Step::TYPE, IDC_SEC_KEY1, "secretkey1" },
                                                { Step::COMMAND, ID_KEY1_HEX } };
    const struct {
        const char* what;
        const char* network;
        std::vector<Step> steps;
        const char* message;
        DWORD encryption;   // of the join, when it goes
        size_t keys;        // the keys the driver receives
    } cases[] = {
        { "WPA-None with 64 characters that are not hex", "IEEE",
          { { Step::TYPE, IDC_SEC_PSK, std::string(63, 'a') + "z" } },
          "Invalid WPA Pre-Shared key. WPA-PSK use field should be 64 hex digits." },
        { "an ASCII key of 6 characters that is not the default: key 1 goes alone", "Kestiq-WEP", asciiKey3Of6,
          nullptr, Ndis802_11WEPEnabled, 1 },
        { "the same key as the default", "Kestiq-WEP", asDefault,
          "Invalid WEP Key 3 length. WEP Key should be 5 or 13 ascii characters" },
        { "a hexadecimal key typed under ASCII", "Kestiq-WEP", typedUnderAscii,
          "Invalid WEP Key 1. A hexadecimal WEP Key should be hex digits only (0-9, A-F)" },
        { "the default key of 6 characters, then encryption None: joins", "Kestiq-WEP", thenNone, nullptr,
          Ndis802_11EncryptionDisabled, 0 },
    };
    for (const auto& c : cases) {
        DWORD mark = Mark();
        ASSERT_TRUE(Fill(c.network, c.steps)) << c.what;
        if (!c.message) {
            EXPECT_EQ(PANEL_LINK_STATUS, Panel()) << c.what;
            EXPECT_EQ("", std::string(m_csec->LastRefusal())) << c.what;
            EXPECT_TRUE(Applied(mark)) << c.what;
            if (Applied(mark) && g_pCurProfile) {
                EXPECT_EQ(c.encryption, g_pCurProfile->encryption) << c.what;
                std::vector<SetSeen> keys = Sets(mark, OID_802_11_ADD_KEY);
                EXPECT_EQ(c.keys, keys.size()) << c.what;
                if (!keys.empty()) {
                    EXPECT_EQ(0x80000000u, ParseKey(keys[0]).index) << c.what;
                }
            }
        } else {
            EXPECT_EQ(PANEL_CONNECT_SETTINGS, Panel()) << c.what;
            EXPECT_EQ(c.message, std::string(m_csec->LastRefusal())) << c.what;
            EXPECT_FALSE(Applied(mark)) << c.what;
            EXPECT_TRUE(m_survey->JoinPending()) << c.what;
        }
        if (Panel() == PANEL_CONNECT_SETTINGS) ClickIn(m_connect, IDC_CONNECT_CANCEL);
    }
}

// LEAP runs over WEP unless CCX 2 is on: then its cipher is TKIP or AES.
TEST_F(JoinSettings, LeapTakesItsCipherFromTheCcxBits)
{
    KQSIM_NETWORK leap = kqsim::MakeNetwork("Kestiq-Leap", "02:00:00:00:28:30", 10, -50, KQSIM_SEC_WEP_1X);
    strcpy(leap.eap, "method=leap identity=bob password=builder");
    ASSERT_TRUE(m_sim.PutNetwork(leap));
    FillSurvey();
    const struct { const char* what; DWORD ccx; UINT cipher; DWORD encryption; BYTE cckm; } cases[] = {
        { "no CCX: WEP whatever the choice", 0, IDC_SEC_LEAP_TKIP, Ndis802_11WEPEnabled, 0 },
        { "CCX: TKIP", 1, IDC_SEC_LEAP_TKIP, Ndis802_11Encryption2Enabled, 0 },
        { "CCX with CCKM: AES", 3, IDC_SEC_LEAP_AES, Ndis802_11Encryption3Enabled, 1 },
        { "CCX: the WEP choice", 1, IDC_SEC_LEAP_WEP, Ndis802_11WEPEnabled, 0 },
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteAdapterDword(REGSTR_CCX2_CONTROL, c.ccx)) << c.what;
        DWORD mark = Mark();
        ASSERT_TRUE(Fill("Kestiq-Leap", { { Step::COMMAND, ID_AUTH_LEAP }, { Step::TYPE, IDC_SEC_LEAP_ID, " bob " },
                                           { Step::TYPE, IDC_SEC_LEAP_PASSWORD, "builder" },
                                           { Step::TYPE, IDC_SEC_LEAP_DOMAIN, "site" },
                                           { Step::CLICK, c.cipher } }))
            << c.what;
        ASSERT_TRUE(Applied(mark)) << c.what;
        ASSERT_NE(nullptr, g_pCurProfile);
        const StationConfig& r = *g_pCurProfile;
        EXPECT_EQ((DWORD)Ndis802_11AuthModeOpen, r.authMode) << c.what;
        EXPECT_EQ(c.encryption, r.encryption) << c.what;
        EXPECT_EQ(c.encryption, SetValue(mark, OID_802_11_WEP_STATUS)) << c.what;
        EXPECT_EQ(1u, SetValue(mark, OID_VENDOR_LEAP)) << c.what;
        EXPECT_EQ(1, r.leapEnabled) << c.what;
        EXPECT_EQ(c.cckm, r.leapCckm) << c.what;
        EXPECT_EQ("bob", std::string(r.leapUserName.text, r.leapUserName.length)) << c.what;
        EXPECT_EQ("builder", std::string(r.leapPassword.text, r.leapPassword.length)) << c.what;
        EXPECT_EQ("site", std::string(r.leapDomain.text, r.leapDomain.length)) << c.what;
    }
}

// What no control can produce but a damaged scan entry or an oversized
// hand-over could: the record keeps every field inside its bounds.
TEST_F(JoinSettings, OversizedInputsStayInsideTheRecord)
{
    // A driver's entry with an SSID length of 40.
    ScanList list;
    Network wide;
    wide.ssid = std::string(32, 'W');
    wide.ssidLength = 40;
    wide.lastMacByte = 0x40;
    ASSERT_TRUE(list.Add(wide));
    std::memcpy(g_pBssidListCache, list.List(), BSSID_LIST_BUFFER_SIZE);
    GetSystemTimeAsFileTime(&g_BssidLastSeen[0]);
    m_survey->m_bScanning = TRUE;
    Tick();
    Tick();
    DWORD mark = Mark();
    ASSERT_TRUE(Connect(std::string(32, 'W')));
    ASSERT_TRUE(Applied(mark));
    ASSERT_NE(nullptr, g_pCurProfile);
    EXPECT_EQ(32u, g_pCurProfile->ssid.SsidLength);
    EXPECT_EQ("00:1C:A1:00:00:40", Mac(Sets(mark, OID_802_11_BSSID).at(0).data));

    FillSurvey();
    ASSERT_TRUE(Connect("Kestiq-Corp"));
    ASSERT_EQ(PANEL_CONNECT_SETTINGS, Panel());
    // The panel's edits stop at 127 characters, a PAC file of a longer path
    // is refused and no certificate has a negative length: only the pending
    // settings can hold a 300-character identity or a length of -5, so they
    // are written here and the page's join is called in place of OK (which
    // would read the edits over them).
    PendingSecurity& p = m_survey->m_pending;
    p.authentication = AUTH_CHOICE_WPA2;
    p.encryption = ENCR_CHOICE_AES;
    p.dot1x.identity = CString(std::string(300, 'i').c_str());
    p.dot1x.pacFilePath = CString(std::string(400, 'p').c_str());
    p.dot1x.useClientCert = 1;
    p.dot1x.clientCertLength = 200;
    std::memset(p.dot1x.clientCert, 0xAB, sizeof(p.dot1x.clientCert));
    p.dot1x.useServerCert = 1;
    p.dot1x.serverCertLength = -5;
    p.dot1x.serverName = CString(std::string(200, 's').c_str());
    mark = Mark();
    m_survey->ConnectChosenNetwork();
    ASSERT_TRUE(Applied(mark));
    const StationConfig& r = *g_pCurProfile;
    EXPECT_EQ(127u, strlen(r.identity));
    EXPECT_EQ(255u, strlen(r.pacFilePath));
    EXPECT_EQ(127u, strlen(r.serverName));
    EXPECT_EQ(152u, r.clientCertLength);
    EXPECT_EQ(0xAB, r.clientCert[151]);
    EXPECT_EQ(0u, r.serverCertLength);

    // WPA-None with 65 characters: no key can be made (PasswordHash refuses),
    // so nothing is joined.  The key edit takes at most 64 characters, so
    // again the pending settings hold the text and OK is left out.
    ASSERT_TRUE(m_sim.PutNetwork(AdhocWpaNone("IEEE")));
    FillSurvey();
    ASSERT_TRUE(Connect("IEEE"));
    ASSERT_EQ(PANEL_CONNECT_SETTINGS, Panel());
    m_survey->m_pending.authentication = AUTH_CHOICE_WPA_NONE;
    m_survey->m_pending.encryption = ENCR_CHOICE_TKIP;
    m_survey->m_pending.preSharedKey = CString(std::string(65, 'k').c_str());
    mark = Mark();
    m_survey->ConnectChosenNetwork();
    EXPECT_FALSE(Applied(mark));
    EXPECT_FALSE(m_survey->JoinPending());
}

// The record Connect makes lives until the join hands it over: a Cancel,
// a second Connect that starts another join, Add To Profile or a stop for a
// missing port let it go.  A panel whose join went says so on its OK.
TEST_F(JoinSettings, TheRecordOfConnectGoesWhenTheJoinDoesNotHappen)
{
    const std::string kNotStarted =
        "The connection was not started. Choose the network in the list and press Connect again.";
    FillSurvey();
    DWORD mark = Mark();
    ASSERT_TRUE(Connect("Kestiq-Home"));
    EXPECT_TRUE(m_survey->JoinPending());
    ASSERT_TRUE(Press("Kestiq-Open", IDC_SURVEY_ADD_PROFILE));
    EXPECT_EQ(PANEL_PROFILE_EDIT, Panel());
    EXPECT_FALSE(m_survey->JoinPending());
    ClickIn(m_editor, IDC_EDIT_CANCEL);

    // A second Connect joins an open network at once; the first one's panel,
    // still up, has nothing left to send, and says so.
    ASSERT_TRUE(Connect("Kestiq-Home"));
    EXPECT_TRUE(m_survey->JoinPending());
    ASSERT_TRUE(Connect("Kestiq-Open"));
    EXPECT_FALSE(m_survey->JoinPending());
    EXPECT_TRUE(kqtest::WaitFor([&] { return Joined() == "Kestiq-Open"; }));
    ASSERT_EQ(PANEL_CONNECT_SETTINGS, Panel());
    Type(m_csec, IDC_SEC_PSK, "kestiq-secret");
    mark = Mark();
    {
        kqtest::BoxAnswer box;
        ConnectOk();
        EXPECT_EQ(kNotStarted, box.Text());
    }
    EXPECT_EQ(PANEL_LINK_STATUS, Panel());
    EXPECT_FALSE(Applied(mark));
    EXPECT_EQ("Kestiq-Open", Joined());
    // The same on the hidden-SSID panel.
    ASSERT_TRUE(Connect(""));
    ASSERT_EQ(PANEL_HIDDEN_SSID, Panel());
    ASSERT_TRUE(Connect("Kestiq-Open"));
    ASSERT_EQ(PANEL_HIDDEN_SSID, Panel());
    mark = Mark();
    {
        kqtest::BoxAnswer box;
        HiddenOk("Kestiq-Hidden");
        EXPECT_EQ(kNotStarted, box.Text());
    }
    EXPECT_EQ(PANEL_LINK_STATUS, Panel());
    EXPECT_FALSE(Applied(mark));

    // Without the port a secured network greys Connect.  Reached with the
    // keyboard (no click on the row), Connect is still enabled; pressed, it
    // stops without a word and is greyed at once, not on the next tick.
    CloseAuthPort();
    int open = RowOf("Kestiq-Open");
    ClickRow(open);
    ASSERT_TRUE(Enabled(m_survey, IDC_SURVEY_CONNECT));
    ASSERT_GT(open, 0);
    ASSERT_EQ("Kestiq-Mixed", kqtest::ListCellText(List(), open - 1, 1));
    SendMessageA(List(), WM_KEYDOWN, VK_UP, 0);
    Pump();
    ASSERT_EQ(open - 1, (int)SendMessageA(List(), LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
    ASSERT_TRUE(Enabled(m_survey, IDC_SURVEY_CONNECT));
    mark = Mark();
    {
        kqtest::BoxAnswer box;
        ClickIn(m_survey, IDC_SURVEY_CONNECT);
        EXPECT_FALSE(box.Shown());
    }
    EXPECT_FALSE(Enabled(m_survey, IDC_SURVEY_CONNECT));
    EXPECT_FALSE(Enabled(m_survey, IDC_SURVEY_ADD_PROFILE));
    EXPECT_EQ(PANEL_LINK_STATUS, Panel());
    EXPECT_FALSE(m_survey->JoinPending());
    EXPECT_FALSE(Applied(mark));

    // Zero Configuration manages the adapter: nothing at all.
    ReopenPort();
    g_nWzcMode = WZC_MANAGES;
    SendMessageA(m_survey->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SURVEY_CONNECT, BN_CLICKED),
                 (LPARAM)GetDlgItem(m_survey->m_hWnd, IDC_SURVEY_CONNECT));
    Pump();
    EXPECT_EQ(PANEL_LINK_STATUS, Panel());
    EXPECT_FALSE(Applied(mark));
}

// Connect or Add To Profile pressed with no row focused (a rescan rebuilt
// the list) only says "No selected item": the join whose panel is open goes
// on, with the SSID typed for a hidden network.
TEST_F(JoinSettings, AButtonPressedWithNoRowLeavesTheOpenPanelsJoin)
{
    FillSurvey();
    auto pressWithNoRow = [&](UINT button) {
        FillSurvey();
        ASSERT_EQ(-1, (int)SendMessageA(List(), LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
        kqtest::BoxAnswer box;
        ClickIn(m_survey, button);
        EXPECT_EQ("No selected item", box.Text()) << button;
    };
    for (UINT button : { IDC_SURVEY_CONNECT, IDC_SURVEY_ADD_PROFILE }) {
        Leave();
        ASSERT_TRUE(Connect("Kestiq-Home"));
        ASSERT_EQ(PANEL_CONNECT_SETTINGS, Panel());
        pressWithNoRow(button);
        EXPECT_EQ(PANEL_CONNECT_SETTINGS, Panel()) << button;
        Type(m_csec, IDC_SEC_PSK, "kestiq-secret");
        DWORD mark = Mark();
        ConnectOk();
        EXPECT_EQ(PANEL_LINK_STATUS, Panel()) << button;
        ASSERT_TRUE(Applied(mark)) << button;
        EXPECT_EQ("00:11:22:33:44:03", Mac(Sets(mark, OID_802_11_BSSID).at(0).data)) << button;
        EXPECT_TRUE(kqtest::WaitFor([&] { return Joined() == "Kestiq-Home"; })) << button;
    }

    Leave();
    ASSERT_TRUE(Connect(""));
    ASSERT_EQ(PANEL_HIDDEN_SSID, Panel());
    pressWithNoRow(IDC_SURVEY_CONNECT);
    HiddenOk("Kestiq-Hidden");
    ASSERT_EQ(PANEL_CONNECT_SETTINGS, Panel());
    Type(m_csec, IDC_SEC_PSK, "hidden-network");
    DWORD mark = Mark();
    ConnectOk();
    ASSERT_TRUE(Applied(mark));
    std::vector<SetSeen> ssid = Sets(mark, OID_802_11_SSID);
    ASSERT_EQ(1u, ssid.size());
    EXPECT_EQ("Kestiq-Hidden", ssid[0].Ssid());
    ASSERT_NE(nullptr, g_pCurProfile);
    EXPECT_EQ(0u, g_pCurProfile->matchByBssid);
    EXPECT_TRUE(kqtest::WaitFor([&] { return Joined() == "Kestiq-Hidden"; }));
}

// A click on the list while a join's panel is open changes what the
// survey's buttons offer, not the join: it keeps the security of the
// network it was opened for.
TEST_F(JoinSettings, AJoinKeepsTheSecurityOfItsNetworkWhateverRowIsClickedMeanwhile)
{
    FillSurvey();
    // The secured hidden network: its SSID, a click on an open row, and the
    // connect settings still offer its own security.
    ASSERT_TRUE(Connect(""));
    ASSERT_EQ(PANEL_HIDDEN_SSID, Panel());
    ClickRow(RowOf("Kestiq-Open"));
    HiddenOk("Kestiq-Hidden");
    ASSERT_EQ(PANEL_CONNECT_SETTINGS, Panel());
    EXPECT_EQ("WPA2-PSK", TextOf(m_csec, IDC_SEC_AUTH));
    EXPECT_EQ("AES", TextOf(m_csec, IDC_SEC_ENCRYPTION));
    ClickIn(m_connect, IDC_CONNECT_CANCEL);

    // An open network that hides its name in place of the secured one, and a
    // WPA2-PSK network whose beacons leave the privacy bit clear.
    ASSERT_TRUE(PutOpenHiddenNetwork());
    KQSIM_NETWORK quiet = kqsim::MakeNetwork("Kestiq-Quiet", "02:00:00:00:28:40", 5, -55, KQSIM_SEC_WPA2_PSK);
    quiet.flags |= KQSIM_NET_NO_PRIVACY;
    strcpy(quiet.psk, "quiet-passphrase");
    quiet.pskLen = (unsigned char)strlen(quiet.psk);
    ASSERT_TRUE(m_sim.PutNetwork(quiet));
    FillSurvey();

    // A join through the connect settings leaves its key in the pending settings.
    ASSERT_TRUE(Fill("Kestiq-Home", { { Step::TYPE, IDC_SEC_PSK, "kestiq-secret" } }));
    ASSERT_EQ("kestiq-secret", std::string(m_survey->m_pending.preSharedKey));

    // The open hidden network, a click on a secured row, its SSID: an open join.
    Leave();
    ASSERT_TRUE(Connect(""));
    ASSERT_EQ(PANEL_HIDDEN_SSID, Panel());
    ClickRow(RowOf("Kestiq-Mixed"));
    DWORD mark = Mark();
    HiddenOk("Kestiq-Den");
    ASSERT_TRUE(Applied(mark));
    ASSERT_NE(nullptr, g_pCurProfile);
    EXPECT_EQ((DWORD)Ndis802_11AuthModeOpen, g_pCurProfile->authMode);
    EXPECT_EQ((DWORD)Ndis802_11EncryptionDisabled, g_pCurProfile->encryption);
    EXPECT_EQ(0u, g_pCurProfile->wpaPskLength);
    EXPECT_EQ(0u, g_pCurProfile->use8021x);
    EXPECT_EQ(0u, SetValue(mark, OID_802_11_AUTHENTICATION_MODE));
    EXPECT_FALSE(SupplicantSaid(mark, "acRsnPskCreate"));
    EXPECT_TRUE(kqtest::WaitFor([&] { return Joined() == "Kestiq-Den"; }));

    // The quiet network's panel, a click on an open row, its key: a WPA2-PSK join.
    Leave();
    ASSERT_TRUE(Connect("Kestiq-Quiet"));
    ASSERT_EQ(PANEL_CONNECT_SETTINGS, Panel());
    EXPECT_EQ("WPA2-PSK", TextOf(m_csec, IDC_SEC_AUTH));
    Type(m_csec, IDC_SEC_PSK, "quiet-passphrase");
    ClickRow(RowOf("Kestiq-Open"));
    mark = Mark();
    ConnectOk();
    ASSERT_TRUE(Applied(mark));
    ASSERT_NE(nullptr, g_pCurProfile);
    EXPECT_EQ((DWORD)Ndis802_11AuthModeWPA2PSK, g_pCurProfile->authMode);
    EXPECT_EQ((DWORD)Ndis802_11Encryption3Enabled, g_pCurProfile->encryption);
    EXPECT_EQ("quiet-passphrase", std::string(g_pCurProfile->wpaPsk, g_pCurProfile->wpaPskLength));
    EXPECT_TRUE(SupplicantSaid(mark, "acRsnPskCreate passphrase=quiet-passphrase"));
    EXPECT_TRUE(kqtest::WaitFor([&] { return Joined() == "Kestiq-Quiet"; }));
}

}  // namespace
