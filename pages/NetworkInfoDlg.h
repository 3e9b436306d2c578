// Lower panel 4: the details of one scanned network on four tabs, General,
// WPS, CCX and 802.11n, all read-only and all from the network's scan entry
// and the texts the element formatter makes of it.  The panel fills every tab
// each time it is shown.
#pragma once

#include <windows.h>
#include <ntddndis.h>

#include <vector>

#include "classlib/ClassLib.h"
#include "pagebase/ChildPage.h"
#include "pages/NetworkInfoTabs.h"
#include "widgets/SkinButton.h"
#include "resource.h"

class CTabContainerDlg;

// The panel's tabs by index, in the order of their buttons.
enum { NETINFO_TAB_GENERAL = 0, NETINFO_TAB_WPS = 1, NETINFO_TAB_CCX = 2, NETINFO_TAB_HT = 3, NETINFO_TAB_COUNT = 4 };

class CNetworkInfoDlg : public CChildPage {
public:
    explicit CNetworkInfoDlg(CConfigMainDlg* pMainDlg);
    ~CNetworkInfoDlg() override;

    // The network to show: an entry of the caller's scan list (the site
    // survey's copy), set before the panel is shown.  The caller may rebuild
    // its list afterwards: showing the panel takes a copy of the entry.
    const NDIS_WLAN_BSSID_EX* m_pBss = nullptr;

    // The road of the survey's double click and of the WPS page's
    // "Information": the panel gets the entry, is hidden if visible, shown
    // through the controller, and the tab given comes to the front (the
    // General tab when that one is hidden).
    void ShowNetwork(const NDIS_WLAN_BSSID_EX* bss, int tab);

    // The entry the panel shows (empty before the first showing).
    const std::vector<BYTE>& ShownEntry() const { return m_entry; }

    CNetworkDetailPage* GeneralTab() const { return m_pGeneral; }
    CWpsApInfoDlg* WpsTab() const { return m_pWps; }
    CCcxStatusPage* CcxTab() const { return m_pCcx; }
    CPropertyListDlg* HtTab() const { return m_pHt; }
    CSkinButton* TabButton(int i) const { return (i >= 0 && i < NETINFO_TAB_COUNT) ? m_pTabButtons[i] : nullptr; }

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL bShow, UINT status);
    void ReturnToMainPage();

private:
    BOOL CreateTabs();
    void ClickTab(int i);
    void FillTabs();

    std::vector<BYTE> m_entry;           // the shown entry, copied from m_pBss
    CNetworkDetailPage* m_pGeneral = nullptr;
    CWpsApInfoDlg* m_pWps = nullptr;
    CCcxStatusPage* m_pCcx = nullptr;
    CPropertyListDlg* m_pHt = nullptr;
    CSkinButton* m_pTabButtons[NETINFO_TAB_COUNT] = {};
    CTabContainerDlg* m_pTabs = nullptr;
    CSkinButton m_btnOk;
    CFont m_tabFont;
};
