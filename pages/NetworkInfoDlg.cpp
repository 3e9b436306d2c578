#include "pages/NetworkInfoDlg.h"

#include <algorithm>
#include <cstring>

#include "core/BssIeFormatter.h"
#include "core/ConnectEngine.h"
#include "core/LinkState.h"
#include "pagebase/PanelDoor.h"
#include "pages/MacAddressText.h"
#include "pages/SurveyList.h"
#include "widgets/MessageBoxDlg.h"
#include "widgets/TabContainerDlg.h"

namespace {

// Layout (pixels of the panel's client area).
const int kTabAreaTop = 2, kTabAreaWidth = 794, kTabAreaHeight = 260;
const CRect kPageRect(20, 40, 774, 255);
const int kTabLeft = 20, kTabTop = 10, kTabWidth = 120, kTabHeight = 25;
const int kButtonTop = 268, kButtonWidth = 100, kButtonHeight = 30;

const DWORD kTabButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

const UINT kTabIds[NETINFO_TAB_COUNT] = { IDC_NETINFO_TAB_GENERAL, IDC_NETINFO_TAB_WPS, IDC_NETINFO_TAB_CCX,
                                          IDC_NETINFO_TAB_HT };
const UINT kTabTexts[NETINFO_TAB_COUNT] = { IDS_NETINFO_TAB_GENERAL, IDS_NETINFO_TAB_WPS, IDS_NETINFO_TAB_CCX,
                                            IDS_NETINFO_TAB_HT };

// The fields of one formatter section; a field the text lacks reads empty.
class SectionFields {
public:
    SectionFields(const NDIS_WLAN_BSSID_EX* e, int section) { SplitString(FormatBssIeInfo(e, section), ";", m_fields); }
    CString operator[](size_t i) const { return i < m_fields.size() ? m_fields[i] : CString(); }

private:
    std::vector<CString> m_fields;
};

}  // namespace

BEGIN_MESSAGE_MAP(CNetworkInfoDlg, CChildPage)
    ON_WM_SHOWWINDOW()
    ON_BN_CLICKED(IDC_NETINFO_OK, ReturnToMainPage)
END_MESSAGE_MAP()

CNetworkInfoDlg::CNetworkInfoDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_NETWORK_INFO, pMainDlg) {}

CNetworkInfoDlg::~CNetworkInfoDlg()
{
    // The tab buttons and the pages are children of the container: they go first.
    for (CSkinButton*& b : m_pTabButtons) {
        delete b;
        b = nullptr;
    }
    delete m_pGeneral;
    delete m_pWps;
    delete m_pCcx;
    delete m_pHt;
    delete m_pTabs;
}

BOOL CNetworkInfoDlg::OnInitDialog()
{
    m_btnOk.SubclassDlgItem(IDC_NETINFO_OK, this);
    CChildPage::OnInitDialog();

    m_pTabs = new CTabContainerDlg(IDD_TAB_CONTAINER, this);
    if (!m_pTabs->Create(IDD_TAB_CONTAINER, this)) return FALSE;
    m_pTabs->SetWindowPos(nullptr, 0, kTabAreaTop, kTabAreaWidth, kTabAreaHeight, SWP_NOZORDER);
    m_pTabs->ShowWindow(SW_SHOW);
    if (!CreateTabs()) return FALSE;
    m_pTabs->PlacePages(kPageRect, kTabWidth, kTabHeight, NETINFO_TAB_GENERAL);

    PlaceControl(&m_btnOk, kTabAreaWidth - kButtonWidth - 20, kButtonTop, kButtonWidth, kButtonHeight, IDS_OK);
    m_btnOk.BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), 0, 0);
    return TRUE;
}

BOOL CNetworkInfoDlg::CreateTabs()
{
    LOGFONTA lf = {};
    lf.lfHeight = 20;
    std::strcpy(lf.lfFaceName, "Trebuchet MS");
    m_tabFont.CreateFontIndirect(&lf);

    for (int i = 0; i < NETINFO_TAB_COUNT; ++i) {
        int x = kTabLeft + i * kTabWidth;
        CSkinButton* button = new CSkinButton;
        m_pTabButtons[i] = button;
        if (!button->Create(StringFromTable(kTabTexts[i]), kTabButtonStyle,
                            CRect(x, kTabTop, x + kTabWidth, kTabTop + kTabHeight), m_pTabs, kTabIds[i]))
            return FALSE;
        button->SetFont(&m_tabFont);
        button->BuildSkin(4, 8, 40, 5, RGB(0, 0, 0), 0xB4B4B4, 0x00FF00);
        button->SetAlign(COwnerDrawButton::ALIGN_VERT);
    }

    m_pGeneral = new CNetworkDetailPage(m_pMainDlg);
    m_pWps = new CWpsApInfoDlg;
    m_pCcx = new CCcxStatusPage(m_pMainDlg);
    m_pHt = new CPropertyListDlg(m_pMainDlg);
    if (!m_pGeneral->CreatePage(m_pTabs) || !m_pWps->Create(IDD_NETINFO_WPS, m_pTabs) ||
        !m_pCcx->CreatePage(m_pTabs) || !m_pHt->CreatePage(m_pTabs))
        return FALSE;
    CWnd* pages[NETINFO_TAB_COUNT] = { m_pGeneral, m_pWps, m_pCcx, m_pHt };
    for (int i = 0; i < NETINFO_TAB_COUNT; ++i) m_pTabs->AddPage(pages[i], m_pTabButtons[i]);
    return TRUE;
}

void CNetworkInfoDlg::ClickTab(int i)
{
    CSkinButton* b = TabButton(i);
    if (b && b->IsWindow()) b->SendMessage(BM_CLICK);
}

void CNetworkInfoDlg::ShowNetwork(const NDIS_WLAN_BSSID_EX* bss, int tab)
{
    m_pBss = bss;
    if (IsWindow() && IsWindowVisible()) ShowWindow(SW_HIDE);
    if (!g_pPanelDoor) return;
    g_pPanelDoor->ShowPanel(PANEL_NETWORK_INFO);
    CSkinButton* b = TabButton(tab);
    if (tab != NETINFO_TAB_GENERAL && b && b->IsWindow() && b->IsWindowVisible()) ClickTab(tab);
}

void CNetworkInfoDlg::ReturnToMainPage()
{
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
}

void CNetworkInfoDlg::OnShowWindow(BOOL bShow, UINT)
{
    Default();
    if (!bShow) return;
    ClickTab(NETINFO_TAB_GENERAL);
    if (!m_pBss || !m_pGeneral || !m_pWps || !m_pCcx || !m_pHt) return;

    // The caller's list is rebuilt every two seconds: the panel keeps its
    // own copy of the entry, at least the whole fixed part, at most 64 KB.
    size_t length = std::min<size_t>(m_pBss->Length, BSSID_LIST_BUFFER_SIZE);
    length = std::max(length, offsetof(NDIS_WLAN_BSSID_EX, IEs));
    m_entry.assign(std::max(length, sizeof(NDIS_WLAN_BSSID_EX)), 0);
    std::memcpy(m_entry.data(), m_pBss, length);
    FillTabs();
}

void CNetworkInfoDlg::FillTabs()
{
    const NDIS_WLAN_BSSID_EX* r = (const NDIS_WLAN_BSSID_EX*)m_entry.data();

    CNetworkDetailPage& g = *m_pGeneral;
    SectionFields security(r, BSS_IE_SECURITY);
    g.m_strSsid = EntrySsid(r);
    if (g.m_strSsid.IsEmpty()) g.m_strSsid = "Hidden";
    g.m_strMac = FormatMacAddress(r->MacAddress);
    g.m_strAuthentication = security[0];
    g.m_strEncryption = security[1];
    if (g.m_strEncryption == "None" && r->Privacy != 0) g.m_strEncryption = "WEP";
    // A frequency off the channel table shows no channel rather than the
    // last network's.
    if (!FormatChannelText(r->Configuration.DSConfig, g.m_strChannel)) g.m_strChannel.Empty();
    g.m_strNetworkType = NetworkTypeText(r->InfrastructureMode);
    g.m_strBeaconInterval = FormatBssIeInfo(r, BSS_IE_BEACON_INTERVAL);
    g.m_strSupportedRates = FormatSupportedRates(r->SupportedRates);
    g.ShowSignal(RssiToPercent(r->Rssi));
    g.UpdateData(FALSE);

    SectionFields ccx(r, BSS_IE_CCX);
    m_pCcx->m_strCckm = ccx[0];
    m_pCcx->m_strCmic = ccx[1];
    m_pCcx->m_strCkip = ccx[2];
    m_pCcx->UpdateData(FALSE);

    SectionFields wps(r, BSS_IE_WPS);
    m_pWps->m_strValues[0] = g.m_strAuthentication;
    m_pWps->m_strValues[1] = g.m_strEncryption;
    for (int i = 0; i < 8; ++i) m_pWps->m_strValues[2 + i] = wps[i];
    if (m_pWps->m_strValues[3] == "Unknown") m_pWps->m_strValues[3].Empty();
    m_pWps->UpdateData(FALSE);

    SectionFields ht(r, BSS_IE_HT);
    for (int i = 0; i < kHtFieldCount; ++i) m_pHt->m_strFields[i] = ht[i];
    m_pHt->BuildHtPropertyList();
    m_pTabButtons[NETINFO_TAB_HT]->ShowWindow(m_pHt->m_strFields[kHtSeenField] == "TRUE" ? SW_SHOW : SW_HIDE);
}
