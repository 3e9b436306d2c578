// Lower panel 4: the details of one network of the site survey.
// Not built yet: an empty page of its own dialog resource, so that the
// configuration window has all its pages and panels.
#pragma once

#include <ntddndis.h>

#include "pagebase/ChildPage.h"
#include "resource.h"

class CNetworkInfoDlg : public CChildPage {
public:
    explicit CNetworkInfoDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_NETWORK_INFO, pMainDlg) {}

    // The network to show: an entry of the site survey's copy of the scan list,
    // set before the panel is shown.
    const NDIS_WLAN_BSSID_EX* m_pBss = nullptr;
};
