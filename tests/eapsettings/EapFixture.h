// The 802.1X settings as a person reaches them: the profile page's Add, the
// security tab set to an 802.1X choice, then the editor's "8021X" tab with
// its own method buttons and tabs.
#pragma once

#include "profileedit/EditorFixture.h"

#include <algorithm>
#include <set>

#include "pages/EapSettingsDlg.h"

namespace kqtest {

// Bytes as the profile store writes them: two lowercase hex digits each.
inline std::string BytesToHexText(const BYTE* bytes, int count)
{
    std::string hex;
    char two[3];
    for (int i = 0; i < count; ++i) {
        snprintf(two, sizeof(two), "%02x", bytes[i]);
        hex += two;
    }
    return hex;
}

class EapTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        m_eap = m_editor->Dot1xTab();
        ASSERT_NE(nullptr, m_eap);
        m_cred = m_eap->CredentialPage();
        m_pac = m_eap->PacPage();
        m_client = m_eap->ClientCertPage();
        m_server = m_eap->ServerCertPage();
        ASSERT_TRUE(m_cred && m_pac && m_client && m_server);
        // WPA and WPA2 are offered only while the supplicant port is open.
        g_hAuthPort = 1;
    }

    // Add, the security tab's choices by menu command, then the 8021X tab.
    void AddWith(std::initializer_list<UINT> securityCommands)
    {
        Add();
        Tab(EDIT_TAB_SECURITY);
        for (UINT id : securityCommands) {
            if (id == IDC_SEC_8021X) ClickIn(m_sec, id);
            else Command(m_sec, id);
        }
        Tab(EDIT_TAB_8021X);
    }
    void AddWpa2() { AddWith({ ID_AUTH_WPA2, ID_ENCRYPTION_AES }); }

    // A tab of the 8021X settings, clicked.
    void EapTab(int i)
    {
        SendMessageA(m_eap->TabButton(i)->m_hWnd, BM_CLICK, 0, 0);
        Pump();
    }
    bool TabShown(int i) { return IsWindowVisible(m_eap->TabButton(i)->m_hWnd) != FALSE; }
    // The tab's left edge in its container.
    int TabLeft(int i)
    {
        RECT r;
        HWND b = m_eap->TabButton(i)->m_hWnd;
        GetWindowRect(b, &r);
        MapWindowPoints(nullptr, GetParent(b), (POINT*)&r, 2);
        return r.left;
    }
    CWnd* FrontEapPage()
    {
        for (CWnd* p : { (CWnd*)m_cred, (CWnd*)m_pac, (CWnd*)m_client, (CWnd*)m_server })
            if (IsWindowVisible(p->m_hWnd)) return p;
        return nullptr;
    }
    // The 8021X method menus, chosen as a person does (the button, the item).
    MenuSeen ChooseMethod(int item, const char* shot = nullptr) { return OpenMenu(m_eap, IDC_EAP_METHOD, item, shot); }
    MenuSeen ChooseTunnel(int item, const char* shot = nullptr) { return OpenMenu(m_eap, IDC_EAP_TUNNEL, item, shot); }

    CEapSettingsDlg* m_eap = nullptr;
    CTunnelCredentialPage* m_cred = nullptr;
    CEapFastPacPage* m_pac = nullptr;
    CClientCertPage* m_client = nullptr;
    CServerCertPage* m_server = nullptr;
};

}  // namespace kqtest
