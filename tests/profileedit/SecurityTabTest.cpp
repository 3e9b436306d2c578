// The "Auth. \ Encry." tab: the combinations its menus offer by network type,
// 802.1X port and Windows version, what each choice does to the other
// choices and controls, the LEAP layout, the password masking, and the key
// checks that OK runs.
#include "profileedit/EditorFixture.h"
#include "support/InfoTips.h"

namespace {

using kqtest::EditorTest;
using kqtest::HideTips;
using kqtest::TipShowing;

class SecurityTab : public EditorTest {
protected:
    // Add, then the security tab in front.
    void AddOnSecurityTab(int networkType = 1)
    {
        Add();
        if (networkType == 0) Command(m_sys, ID_NETWORK_ADHOC);
        Tab(EDIT_TAB_SECURITY);
        ASSERT_EQ(m_sec, FrontTab());
    }
    bool KeyControlsEnabled()
    {
        bool all = true, none = true;
        for (UINT id : { IDC_SEC_DEFAULT_KEY1, IDC_SEC_KEY1_FORMAT, IDC_SEC_KEY1, IDC_SEC_KEY4, IDC_SEC_LABEL_KEY3 }) {
            bool e = Enabled(m_sec, id);
            all &= e;
            none &= !e;
        }
        EXPECT_TRUE(all || none) << "the key controls go together";
        return all;
    }
    // Pastes through the clipboard as Ctrl+V does (the edit's text selected first).
    static void Paste(CWnd* page, UINT id, const std::string& text)
    {
        HWND edit = GetDlgItem(page->m_hWnd, id);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        ASSERT_TRUE(OpenClipboard(edit));
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        SetClipboardData(CF_TEXT, block);
        CloseClipboard();
        SendMessageA(edit, WM_CHAR, 0x16, 0);
        Pump();
    }
    // OK on the editor; TRUE when it saved and closed.
    bool OkSaves(const char* name)
    {
        Ok();
        return !EditorShown() && ProfileExists(name);
    }
};

TEST_F(SecurityTab, AuthenticationMenuOffersByNetworkTypePortAndWindows)
{
    const UINT all[8] = { ID_AUTH_OPEN, ID_AUTH_SHARED, ID_AUTH_LEAP, ID_AUTH_WPA, ID_AUTH_WPA_PSK, ID_AUTH_WPA2,
                          ID_AUTH_WPA2_PSK, ID_AUTH_WPA_NONE };
    const struct {
        const char* what;
        int networkType, port, os;
        std::vector<UINT> offered;
        const char* shot;
    } cases[] = {
        { "no port, infrastructure", 1, 0, OS_WIN6, { ID_AUTH_OPEN, ID_AUTH_SHARED, ID_AUTH_LEAP }, "menu-auth-no-port" },
        { "no port, ad hoc", 0, 0, OS_WIN6, { ID_AUTH_OPEN, ID_AUTH_SHARED }, nullptr },
        { "port, infrastructure", 1, 1, OS_WIN6,
          { ID_AUTH_OPEN, ID_AUTH_SHARED, ID_AUTH_LEAP, ID_AUTH_WPA, ID_AUTH_WPA_PSK, ID_AUTH_WPA2, ID_AUTH_WPA2_PSK },
          "menu-auth-port" },
        { "port, infrastructure, before Windows 2000", 1, 1, OS_NT4,
          { ID_AUTH_OPEN, ID_AUTH_SHARED, ID_AUTH_LEAP, ID_AUTH_WPA, ID_AUTH_WPA_PSK }, nullptr },
        { "port, ad hoc", 0, 1, OS_WIN6, { ID_AUTH_OPEN, ID_AUTH_SHARED, ID_AUTH_WPA_NONE }, "menu-auth-adhoc" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g_hAuthPort = c.port;
        AddOnSecurityTab(c.networkType);
        // Only the menu asks for the version (adapter discovery asks too).
        g_nOsVersion = c.os;
        kqtest::MenuSeen seen = OpenMenu(m_sec, IDC_SEC_AUTH, -1, c.shot);
        ASSERT_TRUE(seen.shown) << c.what;
        EXPECT_EQ(std::vector<UINT>(all, all + 8), seen.ids) << c.what;
        std::vector<UINT> offered;
        for (UINT id : all)
            if (!seen.Grey(id)) offered.push_back(id);
        EXPECT_EQ(c.offered, offered) << c.what;
        g_nOsVersion = OS_WIN6;
        m_dlg.ShowPage(PANEL_LINK_STATUS);
    }
}

TEST_F(SecurityTab, EncryptionMenuFollowsTheAuthentication)
{
    g_hAuthPort = 1;
    AddOnSecurityTab();
    kqtest::MenuSeen seen = OpenMenu(m_sec, IDC_SEC_ENCRYPTION, 1, "menu-encryption-open");
    ASSERT_TRUE(seen.shown);
    EXPECT_FALSE(seen.Grey(ID_ENCRYPTION_NONE));
    EXPECT_FALSE(seen.Grey(ID_ENCRYPTION_WEP));
    EXPECT_TRUE(seen.Grey(ID_ENCRYPTION_TKIP));
    EXPECT_TRUE(seen.Grey(ID_ENCRYPTION_AES));
    EXPECT_EQ("WEP", TextOf(m_sec, IDC_SEC_ENCRYPTION));

    seen = OpenMenu(m_sec, IDC_SEC_AUTH, 6, nullptr);   // WPA2-PSK
    EXPECT_EQ("WPA2-PSK", TextOf(m_sec, IDC_SEC_AUTH));
    seen = OpenMenu(m_sec, IDC_SEC_ENCRYPTION, 3, "menu-encryption-wpa");
    EXPECT_TRUE(seen.Grey(ID_ENCRYPTION_NONE));
    EXPECT_TRUE(seen.Grey(ID_ENCRYPTION_WEP));
    EXPECT_FALSE(seen.Grey(ID_ENCRYPTION_TKIP));
    EXPECT_FALSE(seen.Grey(ID_ENCRYPTION_AES));
    EXPECT_EQ("AES", TextOf(m_sec, IDC_SEC_ENCRYPTION));
    EXPECT_EQ(ENCR_CHOICE_AES, m_sec->m_nEncryption);
}

TEST_F(SecurityTab, ChoicesCorrectEachOther)
{
    g_hAuthPort = 1;
    const struct {
        const char* what;
        std::vector<UINT> commands;
        const char* auth;
        const char* encryption;
        bool pskEnabled, keysEnabled, box8021xShown, tab8021xEnabled;
    } cases[] = {
        { "Add: open, none", {}, "Open", "None", false, false, false, false },
        { "open with WEP", { ID_ENCRYPTION_WEP }, "Open", "WEP", false, true, true, false },
        { "WPA with none becomes TKIP", { ID_AUTH_WPA }, "WPA", "TKIP", false, false, false, true },
        { "WPA2 with AES", { ID_AUTH_WPA2, ID_ENCRYPTION_AES }, "WPA2", "AES", false, false, false, true },
        { "open with AES becomes none", { ID_AUTH_WPA_PSK, ID_ENCRYPTION_AES, ID_AUTH_OPEN }, "Open", "None",
          false, false, false, false },
        { "WPA-PSK", { ID_AUTH_WPA_PSK }, "WPA-PSK", "TKIP", true, false, false, false },
        { "shared keeps WEP", { ID_ENCRYPTION_WEP, ID_AUTH_SHARED }, "Shared", "WEP", false, true, true, false },
        { "open, WEP, 802.1X", { ID_ENCRYPTION_WEP, 0 }, "Open", "WEP", false, false, true, true },
    };
    for (const auto& c : cases) {
        AddOnSecurityTab();
        for (UINT id : c.commands) {
            if (id) Command(m_sec, id);
            else ClickIn(m_sec, IDC_SEC_8021X);
        }
        EXPECT_EQ(c.auth, TextOf(m_sec, IDC_SEC_AUTH)) << c.what;
        EXPECT_EQ(c.encryption, TextOf(m_sec, IDC_SEC_ENCRYPTION)) << c.what;
        EXPECT_EQ(c.pskEnabled, Enabled(m_sec, IDC_SEC_PSK)) << c.what;
        EXPECT_EQ(c.keysEnabled, KeyControlsEnabled()) << c.what;
        EXPECT_EQ(c.box8021xShown, Visible(m_sec, IDC_SEC_8021X)) << c.what;
        EXPECT_EQ(c.tab8021xEnabled, IsWindowEnabled(m_editor->TabButton(EDIT_TAB_8021X)->m_hWnd) != FALSE) << c.what;
        m_dlg.ShowPage(PANEL_LINK_STATUS);
    }
}

TEST_F(SecurityTab, StatesInPictures)
{
    g_hAuthPort = 1;
    AddOnSecurityTab();
    Shot("editor-security-open");
    Command(m_sec, ID_ENCRYPTION_WEP);
    Command(m_sec, ID_KEY2_ASCII);
    Type(m_sec, IDC_SEC_KEY1, "0123456789");
    Type(m_sec, IDC_SEC_KEY2, "kq123");
    Shot("editor-security-wep");
    ClickIn(m_sec, IDC_SEC_SHOW_PASSWORD);
    EXPECT_EQ(0, (int)SendMessageA(GetDlgItem(m_sec->m_hWnd, IDC_SEC_KEY2), EM_GETPASSWORDCHAR, 0, 0));
    Shot("editor-security-wep-shown");
    ClickIn(m_sec, IDC_SEC_SHOW_PASSWORD);
    EXPECT_EQ('*', (int)SendMessageA(GetDlgItem(m_sec->m_hWnd, IDC_SEC_KEY2), EM_GETPASSWORDCHAR, 0, 0));
    Command(m_sec, ID_AUTH_WPA2_PSK);
    Type(m_sec, IDC_SEC_PSK, "kestiq-secret");
    Shot("editor-security-wpa2-psk");
    kqtest::MenuSeen seen = OpenMenu(m_sec, IDC_SEC_KEY1_FORMAT, -1, nullptr);
    Command(m_sec, ID_AUTH_OPEN);
    Command(m_sec, ID_ENCRYPTION_WEP);
    seen = OpenMenu(m_sec, IDC_SEC_KEY3_FORMAT, 1, "menu-key-format");
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ((std::vector<UINT>{ ID_KEY3_HEX, ID_KEY3_ASCII }), seen.ids);
    EXPECT_EQ("ASCII", TextOf(m_sec, IDC_SEC_KEY3_FORMAT));
    EXPECT_EQ(1, m_sec->m_nKeyFormat[2]);
}

TEST_F(SecurityTab, LeapShowsItsOwnFields)
{
    AddOnSecurityTab();
    Command(m_sec, ID_AUTH_LEAP);
    EXPECT_EQ("LEAP", TextOf(m_sec, IDC_SEC_AUTH));
    for (UINT id : { IDC_SEC_LEAP_ID, IDC_SEC_LEAP_PASSWORD, IDC_SEC_LEAP_DOMAIN, IDC_SEC_LEAP_WEP, IDC_SEC_LEAP_AES })
        EXPECT_TRUE(Visible(m_sec, id)) << id;
    for (UINT id : { IDC_SEC_ENCRYPTION, IDC_SEC_PSK, IDC_SEC_KEY1, IDC_SEC_8021X, IDC_SEC_WEP_SEPARATOR })
        EXPECT_FALSE(Visible(m_sec, id)) << id;
    EXPECT_TRUE(Visible(m_sec, IDC_SEC_SHOW_PASSWORD));
    Shot("editor-security-leap");
    Command(m_sec, ID_AUTH_SHARED);
    EXPECT_FALSE(Visible(m_sec, IDC_SEC_LEAP_ID));
    EXPECT_TRUE(Visible(m_sec, IDC_SEC_KEY1));
}

TEST_F(SecurityTab, EditsHoldWhatTheStoreKeeps)
{
    AddOnSecurityTab();
    const struct { UINT id; int limit; } cases[] = {
        { IDC_SEC_PSK, 64 }, { IDC_SEC_KEY1, 26 }, { IDC_SEC_KEY4, 26 },
        { IDC_SEC_LEAP_ID, 127 }, { IDC_SEC_LEAP_PASSWORD, 127 }, { IDC_SEC_LEAP_DOMAIN, 127 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.limit, (int)SendMessageA(GetDlgItem(m_sec->m_hWnd, c.id), EM_GETLIMITTEXT, 0, 0)) << c.id;
    // A hexadecimal key takes hex digits only; ASCII takes anything.
    Command(m_sec, ID_ENCRYPTION_WEP);
    Type(m_sec, IDC_SEC_KEY1, "12xyAB");
    EXPECT_EQ("12AB", TextOf(m_sec, IDC_SEC_KEY1));
    Command(m_sec, ID_KEY1_ASCII);
    Type(m_sec, IDC_SEC_KEY1, "x y!");
    EXPECT_EQ("x y!", TextOf(m_sec, IDC_SEC_KEY1));
}

// ---- The key checks of OK ----------------------------------------------------------------

struct KeyCase {
    const char* what;
    std::vector<UINT> commands;
    std::vector<std::pair<UINT, std::string>> typed;
    bool saved;
    const char* message;   // shown in the offending edit's popup
    UINT focus;            // that edit
    std::vector<UINT> after = {};   // commands taken once the keys are typed
};

TEST_F(SecurityTab, OkChecksThePreSharedKeyAndTheDefaultWepKey)
{
    g_hAuthPort = 1;
    const std::string hex64 = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
    const char* kShort = "Invalid WPA Pre-Shared key. WPA-PSK used field should use more than 8 characters.";
    const char* kNotHex = "Invalid WPA Pre-Shared key. WPA-PSK use field should be 64 hex digits.";
    const KeyCase cases[] = {
        { "64 hex digits in lower case", { ID_AUTH_WPA_PSK }, { { IDC_SEC_PSK, hex64 } }, true, "", 0 },
        { "a letter beyond F", { ID_AUTH_WPA2_PSK }, { { IDC_SEC_PSK, hex64.substr(0, 63) + "g" } }, false, kNotHex,
          IDC_SEC_PSK },
        { "7 characters", { ID_AUTH_WPA_PSK }, { { IDC_SEC_PSK, "1234567" } }, false, kShort, IDC_SEC_PSK },
        { "8 characters", { ID_AUTH_WPA2_PSK }, { { IDC_SEC_PSK, "12345678" } }, true, "", 0 },
        { "63 characters of anything", { ID_AUTH_WPA2_PSK }, { { IDC_SEC_PSK, std::string(63, '!') } }, true, "", 0 },
        { "WPA-None with an empty key", { ID_NETWORK_ADHOC, ID_AUTH_WPA_NONE }, {}, true, "", 0 },
        { "key 2 ASCII of 6 characters", { ID_ENCRYPTION_WEP, ID_KEY2_ASCII, IDC_SEC_DEFAULT_KEY2 },
          { { IDC_SEC_KEY2, "abcdef" } }, false,
          "Invalid WEP Key 2 length. WEP Key should be 5 or 13 ascii characters", IDC_SEC_KEY2 },
        { "key 2 ASCII of 5, key 1 empty", { ID_ENCRYPTION_WEP, ID_KEY2_ASCII, IDC_SEC_DEFAULT_KEY2 },
          { { IDC_SEC_KEY2, "abcde" } }, true, "", 0 },
        { "key 1 hex of 12 digits", { ID_ENCRYPTION_WEP }, { { IDC_SEC_KEY1, "0123456789AB" } }, false,
          "Invalid WEP Key 1 length. WEP Key should be 10 or 26 hex digits", IDC_SEC_KEY1 },
        { "shared checks key 4 hex", { ID_AUTH_SHARED, ID_ENCRYPTION_WEP, IDC_SEC_DEFAULT_KEY4 }, {}, false,
          "Invalid WEP Key 4 length. WEP Key should be 10 or 26 hex digits", IDC_SEC_KEY4 },
        { "shared with 26 hex digits", { ID_AUTH_SHARED, ID_ENCRYPTION_WEP },
          { { IDC_SEC_KEY1, "0123456789abcdef0123456789" } }, true, "", 0 },
        { "open without encryption checks no key", {}, { { IDC_SEC_KEY1, "12" } }, true, "", 0 },
        // Only the default key's length is checked: another ASCII key of a
        // length that makes no key is saved (and stored as no key).
        { "key 3 ASCII of 26 characters, key 1 the default", { ID_ENCRYPTION_WEP, ID_KEY3_ASCII },
          { { IDC_SEC_KEY1, "0123456789" }, { IDC_SEC_KEY3, std::string(26, 'k') } }, true, "", 0 },
        { "key 3 ASCII of 26 characters and the default", { ID_ENCRYPTION_WEP, ID_KEY3_ASCII, IDC_SEC_DEFAULT_KEY3 },
          { { IDC_SEC_KEY1, "0123456789" }, { IDC_SEC_KEY3, std::string(26, 'k') } }, false,
          "Invalid WEP Key 3 length. WEP Key should be 5 or 13 ascii characters", IDC_SEC_KEY3 },
        // Without WEP no key is stored: a key left over is no reason to refuse.
        { "the same key 3, then no encryption", { ID_ENCRYPTION_WEP, ID_KEY3_ASCII, IDC_SEC_DEFAULT_KEY3 },
          { { IDC_SEC_KEY1, "0123456789" }, { IDC_SEC_KEY3, std::string(26, 'k') } }, true, "", 0,
          { ID_ENCRYPTION_NONE } },
    };
    for (const auto& c : cases) {
        AddOnSecurityTab();
        for (UINT id : c.commands) {
            if (id == ID_NETWORK_ADHOC) {
                Command(m_sys, id);
                SetDlgItemTextA(m_sys->m_hWnd, IDC_SYS_SSID, "Games");
            } else if (id >= IDC_SEC_DEFAULT_KEY1 && id <= IDC_SEC_DEFAULT_KEY4) {
                ClickIn(m_sec, id);
            } else {
                Command(m_sec, id);
            }
        }
        for (const auto& t : c.typed) Type(m_sec, t.first, t.second);
        for (UINT id : c.after) Command(m_sec, id);
        std::string name = TextOf(m_sys, IDC_SYS_PROFILE_NAME);
        Ok();
        EXPECT_EQ(c.saved, ProfileExists(name.c_str())) << c.what;
        EXPECT_EQ(!c.saved, EditorShown()) << c.what;
        EXPECT_EQ(c.message, std::string(m_sec->LastRefusal())) << c.what;
        if (!c.saved) {
            EXPECT_EQ(m_sec, FrontTab()) << c.what;
            EXPECT_EQ(GetDlgItem(m_sec->m_hWnd, c.focus), GetFocus()) << c.what;
            Shot("editor-security-refused");
        }
        RemoveProfiles();
        m_page->LoadProfileList();
        m_dlg.ShowPage(PANEL_LINK_STATUS);
    }
}

// A hexadecimal key holds hex digits only.  Typing keeps other characters
// out, but what was typed under ASCII stays when the format goes back to
// Hexadecimal, and a paste is not typing: OK refuses such a key, in the
// popup of its edit, rather than store one from which no key can be made.
TEST_F(SecurityTab, AHexadecimalKeyWithOtherCharactersIsRefused)
{
    const char* kKey1 = "Invalid WEP Key 1. A hexadecimal WEP Key should be hex digits only (0-9, A-F)";
    const char* kKey3 = "Invalid WEP Key 3. A hexadecimal WEP Key should be hex digits only (0-9, A-F)";
    const std::string hex26 = "0123456789abcdef0123456789";
    struct Act {
        enum { COMMAND, TYPE, PASTE } kind;
        UINT id;
        std::string text;
    };
    const struct {
        const char* what;
        std::vector<Act> acts;
        const char* message;
        UINT focus;
        std::string key1Stored = "";
    } cases[] = {
        { "typed under ASCII, then Hexadecimal",
          { { Act::COMMAND, ID_KEY1_ASCII }, { Act::TYPE, IDC_SEC_KEY1, "secretkey1" }, { Act::COMMAND, ID_KEY1_HEX } },
          kKey1, IDC_SEC_KEY1 },
        { "pasted", { { Act::PASTE, IDC_SEC_KEY1, "0123zz6789" } }, kKey1, IDC_SEC_KEY1 },
        { "pasted into a key that is not the default",
          { { Act::TYPE, IDC_SEC_KEY1, "0123456789" }, { Act::PASTE, IDC_SEC_KEY3, "kestiq-key" } }, kKey3,
          IDC_SEC_KEY3 },
        { "26 hex digits pasted", { { Act::PASTE, IDC_SEC_KEY1, hex26 } }, nullptr, 0, hex26 },
        { "without WEP a key left over is no reason",
          { { Act::COMMAND, ID_KEY1_ASCII }, { Act::TYPE, IDC_SEC_KEY1, "secretkey1" }, { Act::COMMAND, ID_KEY1_HEX },
            { Act::COMMAND, ID_ENCRYPTION_NONE } },
          nullptr, 0 },
    };
    for (const auto& c : cases) {
        AddOnSecurityTab();
        Command(m_sec, ID_ENCRYPTION_WEP);
        for (const Act& a : c.acts) {
            if (a.kind == Act::COMMAND) Command(m_sec, a.id);
            else if (a.kind == Act::TYPE) Type(m_sec, a.id, a.text);
            else Paste(m_sec, a.id, a.text);
            if (a.kind == Act::PASTE) {
                EXPECT_EQ(a.text, TextOf(m_sec, a.id)) << c.what << ": the paste went in";
            }
        }
        std::string name = TextOf(m_sys, IDC_SYS_PROFILE_NAME);
        Ok();
        EXPECT_EQ(!c.message, ProfileExists(name.c_str())) << c.what;
        EXPECT_EQ(c.message ? c.message : "", std::string(m_sec->LastRefusal())) << c.what;
        if (c.message) {
            EXPECT_TRUE(EditorShown()) << c.what;
            EXPECT_EQ(m_sec, FrontTab()) << c.what;
            EXPECT_EQ(GetDlgItem(m_sec->m_hWnd, c.focus), GetFocus()) << c.what;
            EXPECT_TRUE(TipShowing()) << c.what << ": the person is told";
            Shot("editor-security-not-hex");
            HideTips();
        } else if (!c.key1Stored.empty()) {
            EXPECT_EQ(c.key1Stored, Stored(name.c_str(), "WEPKey1")) << c.what;
        }
        RemoveProfiles();
        m_page->LoadProfileList();
        m_dlg.ShowPage(PANEL_LINK_STATUS);
    }
}

}  // namespace

namespace {

// ---- What the site survey hands over --------------------------------------------------------

TEST_F(SecurityTab, LoadsTheChoiceOfTheSurveysNetwork)
{
    const struct {
        const char* what;
        bool privacyRoad;
        int infrastructure;
        BOOL secured;
        DWORD code;
        const char* cipher;
        int os;
        const char* auth;
        const char* encryption;
    } cases[] = {
        { "open network", true, 1, FALSE, 0, "None", OS_WIN6, "Open", "None" },
        { "secured without WPA: WEP", true, 1, TRUE, 0, "None", OS_WIN6, "Open", "WEP" },
        { "connect road does not test privacy", false, 1, FALSE, 0, "None", OS_WIN6, "Open", "WEP" },
        { "WPA with TKIP", true, 1, TRUE, 1, "TKIP", OS_WIN6, "WPA", "TKIP" },
        { "WPA-PSK, anything but TKIP is AES", true, 1, TRUE, 2, "TKIP AES", OS_WIN6, "WPA-PSK", "AES" },
        { "WPA-None in ad hoc", true, 0, TRUE, 3, "TKIP", OS_WIN6, "WPA-None", "TKIP" },
        { "WPA2", true, 1, TRUE, 4, "AES", OS_WIN6, "WPA2", "AES" },
        { "WPA2 before Windows 2000 is WPA", true, 1, TRUE, 4, "AES", OS_NT4, "WPA", "AES" },
        { "WPA2-PSK", false, 1, TRUE, 5, "AES", OS_WIN6, "WPA2-PSK", "AES" },
        { "WPA2-PSK before Windows 2000 is WPA-PSK", false, 1, TRUE, 5, "TKIP", OS_NT4, "WPA-PSK", "TKIP" },
    };
    g_hAuthPort = 1;
    for (const auto& c : cases) {
        AddOnSecurityTab();
        Type(m_sec, IDC_SEC_KEY1, "0123456789");
        g_nOsVersion = c.os;
        ChosenNetworkSecurity chosen;
        chosen.infrastructure = c.infrastructure;
        chosen.secured = c.secured;
        chosen.authCode = c.code;
        chosen.cipher = c.cipher;
        m_sec->m_bInProfileEditor = FALSE;   // the page's own network type
        if (c.privacyRoad) m_sec->LoadFromBssPrivacy(chosen);
        else m_sec->LoadFromBss(chosen);
        g_nOsVersion = OS_WIN6;
        EXPECT_EQ(c.auth, TextOf(m_sec, IDC_SEC_AUTH)) << c.what;
        EXPECT_EQ(c.encryption, TextOf(m_sec, IDC_SEC_ENCRYPTION)) << c.what;
        EXPECT_EQ("", TextOf(m_sec, IDC_SEC_KEY1)) << c.what << ": the settings are cleared first";
        EXPECT_EQ(c.infrastructure == 1, m_sec->m_bInfrastructure != FALSE) << c.what;
        m_dlg.ShowPage(PANEL_LINK_STATUS);
    }
}

}  // namespace
