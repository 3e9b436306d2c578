#include "pages/WmmPage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "classlib/Handles.h"
#include "core/ConnectEngine.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "core/RegistryStore.h"
#include "widgets/MessageBoxDlg.h"

int CWmmPage::s_nDlsSelectedRow = -1;
CString CWmmPage::s_strDlsSelectedMac;

namespace {

const int kTries = 3;

const UINT kMacEditIds[6] = { IDC_WMM_MAC1, IDC_WMM_MAC2, IDC_WMM_MAC3, IDC_WMM_MAC4, IDC_WMM_MAC5, IDC_WMM_MAC6 };

// The access categories in the order of their bits, their boxes and texts.
struct AccessCategory {
    UINT id;
    DWORD bit;
    const char* suffix;
    const char* value;
};
const AccessCategory kAccessCategories[4] = {
    { IDC_WMM_AC_BE, kWmmAcBe, ":AC_BE", REGSTR_APSD_AC_BE },
    { IDC_WMM_AC_BK, kWmmAcBk, ":AC_BK", REGSTR_APSD_AC_BK },
    { IDC_WMM_AC_VI, kWmmAcVi, ":AC_VI", REGSTR_APSD_AC_VI },
    { IDC_WMM_AC_VO, kWmmAcVo, ":AC_VO", REGSTR_APSD_AC_VO },
};

// What the direct-link part of the page is made of, enabled together.
const UINT kDlsControlIds[] = {
    IDC_WMM_LABEL_MAC, IDC_WMM_MAC1, IDC_WMM_MAC2, IDC_WMM_MAC3, IDC_WMM_MAC4, IDC_WMM_MAC5, IDC_WMM_MAC6,
    IDC_WMM_MAC_DASH1, IDC_WMM_MAC_DASH1 + 1, IDC_WMM_MAC_DASH1 + 2, IDC_WMM_MAC_DASH1 + 3, IDC_WMM_MAC_DASH1 + 4,
    IDC_WMM_LABEL_TIMEOUT, IDC_WMM_TIMEOUT, IDC_WMM_LABEL_SECONDS, IDC_WMM_DLS_SETUP, IDC_WMM_DLS_TEAR_DOWN,
    IDC_WMM_DLS_LIST,
};
const UINT kAcIds[4] = { IDC_WMM_AC_BE, IDC_WMM_AC_BK, IDC_WMM_AC_VI, IDC_WMM_AC_VO };

// Layout of the page (pixels of its client area, 794 x 342).
const int kStatusTop = 8, kStatusRowTop = 32, kStatusRowStep = 24;
const int kSwitchLeft = 400, kSwitchTop = 6, kSwitchStep = 28, kCheckHeight = 26;
const int kMacTop = 130, kListLeft = 250, kListTop = 126, kListWidth = 534, kListHeight = 210;

DWORD QueryWmmWord()
{
    DWORD word = 0;
    QueryOid(OID_VENDOR_WMM_CAPABILITY, &word, sizeof(word), nullptr);
    return word;
}

void SetDwordOid(DWORD oid, DWORD value)
{
    SetOid(oid, &value, sizeof(value), nullptr, kTries);
}

// The four link records of the driver; all zero when it does not answer.
void QueryDlsLinks(DlsLinkEntry (&links)[kDlsLinkCount])
{
    std::memset(links, 0, sizeof(links));
    if (!QueryOid(OID_VENDOR_DLS_LINK, links, sizeof(links), nullptr)) std::memset(links, 0, sizeof(links));
}

// The WMM switches take effect with a new association to the same network:
// the SSID it has is joined again and the queue goes on.
void Reassociate()
{
    NDIS_802_11_SSID ssid = {};
    QueryOid(OID_802_11_SSID, &ssid, sizeof(ssid), nullptr);
    if (ssid.SsidLength > 32) ssid.SsidLength = 32;
    SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, kTries);
    SetOid(OID_802_11_SSID, &ssid, sizeof(ssid), nullptr, kTries);
    DWORD ccx = 0;
    ReadCcx2Control(&ccx);
    SetCcx2Control(1, ccx);
    ConnectIfRequested();
}

// One address byte from its edit: at most two hexadecimal digits, empty is 0.
bool HexByte(const CString& text, BYTE* out)
{
    unsigned v = 0;
    for (int i = 0; i < text.GetLength(); ++i) {
        char c = text[i];
        int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                                  : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (d < 0 || i >= 2) return false;
        v = v * 16 + (unsigned)d;
    }
    *out = (BYTE)v;
    return true;
}

// The timeout in seconds: the text's decimal reading ("" is 0), 0 to 65535.
bool TimeoutSeconds(const CString& text, WORD* out)
{
    long v = std::strtol(text, nullptr, 10);   // the edit holds at most 5 characters
    if (v < 0 || v > 65535) return false;
    *out = (WORD)v;
    return true;
}

// A stored switch is on as "1", the form SaveWmmSettings writes.
BOOL SwitchOn(int stored) { return stored == 1; }

}  // namespace

// ---- The routines the advanced page shares ----------------------------------------

BOOL SaveWmmSettings(int bWriteApsd, int bWriteDls, int bWriteWmm, int apsd, int dls, int wmm)
{
    CRegKey key(OpenAdapterKey(KEY_ALL_ACCESS));
    if (!key.IsOpen()) return FALSE;
    if (bWriteApsd == 1) WriteRegText(key, REGSTR_APSD_CAPABLE, apsd == 1 ? "1" : "0");
    if (bWriteDls == 1) WriteRegText(key, REGSTR_DLS_CAPABLE, dls == 1 ? "1" : "0");
    if (bWriteWmm == 1) WriteRegText(key, REGSTR_WMM_CAPABLE, wmm == 1 ? "1" : "0");
    return TRUE;
}

BOOL LoadWmmSettings(int* pApsd, int* pDls, int* pWmm)
{
    CRegKey key(OpenAdapterKey(KEY_READ));
    if (!key.IsOpen()) return FALSE;
    ReadRegNumber(key, REGSTR_WMM_CAPABLE, pWmm);
    ReadRegNumber(key, REGSTR_APSD_CAPABLE, pApsd);
    ReadRegNumber(key, REGSTR_DLS_CAPABLE, pDls);
    return TRUE;
}

void ApplyWmmOids(int bSetWmmWord, int bSetDlsWord, int bSetWmmEnable, DWORD wmmWord, DWORD dlsWord,
                  BYTE wmmEnable)
{
    if (bSetWmmWord == 1) SetDwordOid(OID_VENDOR_WMM_CAPABILITY, wmmWord);
    if (bSetDlsWord == 1) SetDwordOid(OID_VENDOR_DLS_CAPABILITY, dlsWord);
    if (bSetWmmEnable == 1) SetOid(OID_VENDOR_WMM_OPTION, &wmmEnable, sizeof(wmmEnable), nullptr, kTries);
}

CString FormatDlsMac(const BYTE mac[6])
{
    CString s;
    s.Format("%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return s;
}

int PlaceCaptioned(COwnerDrawButton* button, int x, int y, int cy, UINT textId)
{
    PlaceControl(button, x, y, cy, cy, textId);
    CString text;
    button->GetWindowText(text);
    SIZE size = {};
    HDC dc = ::GetDC(button->m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, (HFONT)button->SendMessage(WM_GETFONT));
    ::GetTextExtentPoint32A(dc, text, text.GetLength(), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(button->m_hWnd, dc);
    // The picture (32), the gaps around it (3 and 5) and a little air.
    int cx = text.IsEmpty() ? cy : 32 + 3 + 5 + size.cx + 6;
    button->MoveWindow(x, y, cx, cy, TRUE);
    return x + cx;
}

// ---- The page -------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CWmmPage, CChildPage)
    ON_WM_SHOWWINDOW()
    ON_BN_CLICKED(IDC_WMM_DLS_SETUP, OnDlsSetupClicked)
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_WMM_DLS_TEAR_DOWN, OnDlsTearDown)
    ON_NOTIFY(NM_DBLCLK, IDC_WMM_DLS_LIST, OnDlsListDblClick)
    ON_BN_CLICKED(IDC_WMM_POWER_SAVE, OnWmmPowerSave)
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_WMM_ENABLE, OnWmmEnable)
    ON_BN_CLICKED(IDC_WMM_DLS_ENABLE, OnDlsEnable)
    ON_BN_CLICKED(IDC_WMM_AC_BK, OnAcCheck)
    ON_BN_CLICKED(IDC_WMM_AC_BE, OnAcCheck)
    ON_BN_CLICKED(IDC_WMM_AC_VI, OnAcCheck)
    ON_BN_CLICKED(IDC_WMM_AC_VO, OnAcCheck)
    ON_MESSAGE(WM_CELLLIST_GETCELLINFO, OnGetCellInfo)
END_MESSAGE_MAP()

CWmmPage::CWmmPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_WMM_PAGE, pMainDlg) {}

void CWmmPage::DoDataExchange(CDataExchange* pDX)
{
    BOOL* const acBoxes[4] = { &m_bAcBe, &m_bAcBk, &m_bAcVi, &m_bAcVo };
    for (int i = 0; i < 4; ++i) DDX_Check(pDX, kAccessCategories[i].id, *acBoxes[i]);
    DDX_Text(pDX, IDC_WMM_STATUS, m_strWmmStatus);
    DDX_Text(pDX, IDC_WMM_POWER_SAVE_STATUS, m_strPowerSaveStatus);
    DDX_Text(pDX, IDC_WMM_DLS_STATUS, m_strDlsStatus);
    for (int i = 0; i < 6; ++i) {
        DDX_Text(pDX, kMacEditIds[i], m_strMac[i]);
        DDV_MaxChars(pDX, m_strMac[i], 2);
    }
    DDX_Text(pDX, IDC_WMM_TIMEOUT, m_strTimeout);
    DDV_MaxChars(pDX, m_strTimeout, 5);
    DDX_Check(pDX, IDC_WMM_ENABLE, m_bWmmEnable);
    DDX_Check(pDX, IDC_WMM_DLS_ENABLE, m_bDlsEnable);
    DDX_Check(pDX, IDC_WMM_POWER_SAVE, m_bPowerSave);
}

BOOL CWmmPage::OnInitDialog()
{
    m_group.SubclassDlgItem(IDC_WMM_STATUS_GROUP, this);
    m_checkWmm.SubclassDlgItem(IDC_WMM_ENABLE, this);
    m_checkPowerSave.SubclassDlgItem(IDC_WMM_POWER_SAVE, this);
    m_checkDls.SubclassDlgItem(IDC_WMM_DLS_ENABLE, this);
    for (int i = 0; i < 4; ++i) m_checkAc[i].SubclassDlgItem(kAccessCategories[i].id, this);
    for (int i = 0; i < 6; ++i) m_editMac[i].SubclassDlgItem(kMacEditIds[i], this);
    m_editTimeout.SubclassDlgItem(IDC_WMM_TIMEOUT, this);
    m_btnSetup.SubclassDlgItem(IDC_WMM_DLS_SETUP, this);
    m_btnTearDown.SubclassDlgItem(IDC_WMM_DLS_TEAR_DOWN, this);
    m_list.SubclassDlgItem(IDC_WMM_DLS_LIST, this);
    CChildPage::OnInitDialog();

    PlaceControls();
    for (CFilterEdit& e : m_editMac) e.SetCharMask(FE_HEX);
    for (COwnerDrawButton* b : { &m_checkWmm, &m_checkPowerSave, &m_checkDls, &m_checkAc[0], &m_checkAc[1],
                                 &m_checkAc[2], &m_checkAc[3] }) {
        b->SetIcon(IDI_CHECK_ON, IDI_CHECK_OFF);
        b->DrawBorder(FALSE);
    }
    for (CSkinButton* b : { &m_btnSetup, &m_btnTearDown }) b->BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0));

    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP |
                            LVS_EX_GRIDLINES);
    m_list.EnableColumnFocus(FALSE);
    m_list.InsertColumn(0, StringFromTable(IDS_WMM_COLUMN_MAC), LVCFMT_LEFT, 350);
    m_list.InsertColumn(1, StringFromTable(IDS_WMM_COLUMN_TIMEOUT), LVCFMT_LEFT, 150);

    m_strWmmStatus = m_strPowerSaveStatus = m_strDlsStatus = StatusText(FALSE);
    UpdateData(FALSE);
    UpdateControlStates();
    return TRUE;
}

void CWmmPage::PlaceControls()
{
    PlaceControl(&m_group, 10, kStatusTop, 370, 18, IDS_WMM_SETUP_STATUS);
    const UINT rows[3][3] = {
        { IDC_WMM_LABEL_WMM, IDC_WMM_STATUS, IDS_WMM_WMM_LABEL },
        { IDC_WMM_LABEL_POWER_SAVE, IDC_WMM_POWER_SAVE_STATUS, IDS_WMM_POWER_SAVE_LABEL },
        { IDC_WMM_LABEL_DLS, IDC_WMM_DLS_STATUS, IDS_WMM_DIRECT_LINK },
    };
    for (int i = 0; i < 3; ++i) {
        int y = kStatusRowTop + i * kStatusRowStep;
        PlaceControl(GetDlgItem(rows[i][0]), 20, y, 120, 18, rows[i][2]);
        PlaceControl(GetDlgItem(rows[i][1]), 145, y, 235, 18, 0);
    }

    PlaceCaptioned(&m_checkWmm, kSwitchLeft, kSwitchTop, kCheckHeight, IDS_WMM_ENABLE);
    PlaceCaptioned(&m_checkPowerSave, kSwitchLeft, kSwitchTop + kSwitchStep, kCheckHeight, IDS_WMM_POWER_SAVE_ENABLE);
    int x = kSwitchLeft + 24;
    for (COwnerDrawButton& b : m_checkAc) x = PlaceCaptioned(&b, x, kSwitchTop + 2 * kSwitchStep, kCheckHeight, 0) + 10;
    PlaceCaptioned(&m_checkDls, kSwitchLeft, kSwitchTop + 3 * kSwitchStep, kCheckHeight, IDS_WMM_DLS_ENABLE);

    PlaceControl(GetDlgItem(IDC_WMM_LABEL_MAC), 10, kMacTop, 200, 18, IDS_WMM_MAC_LABEL);
    for (int i = 0; i < 6; ++i) {
        x = 10 + i * 38;
        PlaceControl(&m_editMac[i], x, kMacTop + 22, 28, 22, 0);
        if (i < 5) PlaceControl(GetDlgItem(IDC_WMM_MAC_DASH1 + i), x + 30, kMacTop + 25, 6, 18, 0);
    }
    PlaceControl(GetDlgItem(IDC_WMM_LABEL_TIMEOUT), 10, kMacTop + 56, 200, 18, IDS_WMM_TIMEOUT_LABEL);
    PlaceControl(&m_editTimeout, 10, kMacTop + 78, 70, 22, 0);
    PlaceControl(GetDlgItem(IDC_WMM_LABEL_SECONDS), 86, kMacTop + 81, 40, 18, IDS_WMM_SECONDS);
    PlaceControl(&m_btnSetup, 10, kMacTop + 114, 100, 28, IDS_WMM_APPLY);
    PlaceControl(&m_btnTearDown, 120, kMacTop + 114, 100, 28, IDS_WMM_TEAR_DOWN);
    PlaceControl(&m_list, kListLeft, kListTop, kListWidth, kListHeight, 0);
    for (CFilterEdit& e : m_editMac) e.LimitText(2);
    m_editTimeout.LimitText(5);
}

CString CWmmPage::StatusText(BOOL on) const
{
    return StringFromTable(on ? IDS_WMM_ENABLED : IDS_WMM_DISABLED);
}

void CWmmPage::EnableIds(const UINT* ids, int n, BOOL enable)
{
    for (int i = 0; i < n; ++i)
        if (CWnd* w = GetDlgItem(ids[i])) w->EnableWindow(enable);
}

void CWmmPage::EnablePowerSaveControls(BOOL enable)
{
    EnableIds(kAcIds, 4, enable);
}

void CWmmPage::EnableDlsControls(BOOL enable)
{
    EnableIds(kDlsControlIds, (int)(sizeof(kDlsControlIds) / sizeof(kDlsControlIds[0])), enable);
}

void CWmmPage::UpdateControlStates()
{
    const UINT switches[2] = { IDC_WMM_POWER_SAVE, IDC_WMM_DLS_ENABLE };
    if (!m_bWmmEnable) {
        m_strWmmStatus = m_strPowerSaveStatus = m_strDlsStatus = StatusText(FALSE);
        EnableIds(switches, 2, FALSE);
        EnablePowerSaveControls(FALSE);
        EnableDlsControls(FALSE);
    } else {
        m_strWmmStatus = StatusText(TRUE);
        EnableIds(switches, 2, TRUE);
        m_strPowerSaveStatus = StatusText(m_bPowerSave);
        EnablePowerSaveControls(m_bPowerSave);
        m_strDlsStatus = StatusText(m_bDlsEnable);
        EnableDlsControls(m_bDlsEnable);
    }
    UpdateData(FALSE);
}

// ---- Showing and the refresh --------------------------------------------------------------

void CWmmPage::OnShowWindow(BOOL bShow, UINT)
{
    Default();
    if (!bShow) {
        if (m_nTimer) KillTimer(m_nTimer);
        m_nTimer = 0;
        return;
    }
    LoadWmmSettings(&m_bPowerSave, &m_bDlsEnable, &m_bWmmEnable);
    m_bPowerSave = SwitchOn(m_bPowerSave);
    m_bDlsEnable = SwitchOn(m_bDlsEnable);
    m_bWmmEnable = SwitchOn(m_bWmmEnable);
    // The 802.11n modes need WMM.
    if (!m_bWmmEnable && g_nWirelessMode >= 5 && g_nWirelessMode <= 10) {
        m_bWmmEnable = TRUE;
        UpdateData(FALSE);
        OnWmmEnable();
    }
    DWORD word = QueryWmmWord();
    BOOL* const acBoxes[4] = { &m_bAcBe, &m_bAcBk, &m_bAcVi, &m_bAcVo };
    for (int i = 0; i < 4; ++i)
        if (word & kAccessCategories[i].bit) *acBoxes[i] = TRUE;
    UpdateControlStates();

    m_strPowerSaveStatus = StatusText(m_bPowerSave == 1);
    for (int i = 0; i < 4; ++i)
        if (*acBoxes[i]) m_strPowerSaveStatus += kAccessCategories[i].suffix;
    UpdateData(FALSE);
    m_nTimer = SetTimer(IDT_WMM_REFRESH, 1000);
}

void CWmmPage::OnTimer(UINT_PTR id)
{
    if (id != IDT_WMM_REFRESH) return;
    KillTimer(IDT_WMM_REFRESH);
    RefreshDlsList();
    m_nTimer = SetTimer(IDT_WMM_REFRESH, 1000);
}

void CWmmPage::OnDestroy()
{
    if (m_nTimer) KillTimer(m_nTimer);
    m_nTimer = 0;
    Default();
}

void CWmmPage::RefreshDlsList()
{
    DlsLinkEntry links[kDlsLinkCount];
    QueryDlsLinks(links);
    m_rows.clear();
    for (const DlsLinkEntry& e : links)
        if (e.valid == 1 && e.state == kDlsLinkUp) m_rows.push_back(DlsListRow{ FormatDlsMac(e.mac), e.timeout });
    m_list.SetItemCount((int)m_rows.size());
    m_list.Invalidate();
    m_list.UpdateWindow();
}

LRESULT CWmmPage::OnGetCellInfo(WPARAM, LPARAM lParam)
{
    CListCellInfo* cell = (CListCellInfo*)lParam;
    if (!cell) return 0;
    int row = cell->GetRow();
    if (row < 0 || (size_t)row >= m_rows.size()) return 0;
    if (cell->GetColumn() == 0) cell->m_strText = m_rows[row].mac;
    else if (cell->GetColumn() == 1) cell->m_strText.Format("%d", (int)m_rows[row].timeout);
    return 0;
}

// ---- The switches -----------------------------------------------------------------------------

void CWmmPage::OnWmmEnable()
{
    if (!UpdateData(TRUE)) return;
    const UINT switches[2] = { IDC_WMM_POWER_SAVE, IDC_WMM_DLS_ENABLE };
    DWORD word = QueryWmmWord();
    if (!m_bWmmEnable) {
        m_strWmmStatus = m_strPowerSaveStatus = m_strDlsStatus = StatusText(FALSE);
        m_bDlsEnable = m_bPowerSave = FALSE;
        m_strTimeout = "60";
        EnableIds(switches, 2, FALSE);
        EnablePowerSaveControls(FALSE);
        EnableDlsControls(FALSE);
        word &= kWmmKeptBits;
        SaveWmmSettings(1, 1, 1, 0, 0, 0);
    } else {
        m_strWmmStatus = StatusText(TRUE);
        EnableIds(switches, 2, TRUE);
        word &= m_bPowerSave ? (kWmmKeptBits | kWmmPowerSave) : kWmmKeptBits;
        SaveWmmSettings(0, 0, 1, 0, 0, 1);
    }
    UpdateData(FALSE);
    ApplyWmmOids(1, 1, 1, word, m_bDlsEnable ? 1 : 0, m_bWmmEnable ? 1 : 0);
    Reassociate();
}

void CWmmPage::OnWmmPowerSave()
{
    if (!UpdateData(TRUE)) return;
    DWORD word = QueryWmmWord();
    if (m_bPowerSave) word |= kWmmPowerSave;
    else word &= kWmmKeptBits;
    m_strPowerSaveStatus = StatusText(m_bPowerSave);
    EnablePowerSaveControls(m_bPowerSave);
    UpdateData(FALSE);
    SetDwordOid(OID_VENDOR_WMM_CAPABILITY, word);
    WriteAdapterInt(REGSTR_APSD_CAPABLE, m_bPowerSave);
}

void CWmmPage::OnAcCheck()
{
    if (!UpdateData(TRUE)) return;
    const BOOL checked[4] = { m_bAcBe, m_bAcBk, m_bAcVi, m_bAcVo };
    DWORD word = kWmmPowerSave;
    CString status = StatusText(TRUE);
    for (int i = 0; i < 4; ++i) {
        if (!checked[i]) continue;
        word |= kAccessCategories[i].bit;
        status += kAccessCategories[i].suffix;
    }
    m_strPowerSaveStatus = status;
    UpdateData(FALSE);
    SetDwordOid(OID_VENDOR_WMM_CAPABILITY, word);
    CRegKey key(OpenAdapterKey(KEY_ALL_ACCESS));
    if (key.IsOpen())
        for (int i = 0; i < 4; ++i) WriteRegInt(key, kAccessCategories[i].value, checked[i]);
    Reassociate();
}

void CWmmPage::OnDlsEnable()
{
    if (!UpdateData(TRUE)) return;
    m_strDlsStatus = StatusText(m_bDlsEnable);
    EnableDlsControls(m_bDlsEnable);
    UpdateData(FALSE);
    WriteAdapterInt(REGSTR_DLS_CAPABLE, m_bDlsEnable);
    SetDwordOid(OID_VENDOR_DLS_CAPABILITY, m_bDlsEnable ? 1 : 0);
}

// ---- Direct links ---------------------------------------------------------------------------------

BOOL CWmmPage::OnDlsSetup()
{
    if (!UpdateData(TRUE)) return FALSE;
    BYTE mac[6] = {};
    bool readable = true;
    for (int i = 0; i < 6; ++i) readable = HexByte(m_strMac[i], &mac[i]) && readable;
    CString text = FormatDlsMac(mac);
    // A failed query reads as the all-zero address, which is refused anyway.
    BYTE own[6] = {};
    QueryOid(OID_802_3_CURRENT_ADDRESS, own, sizeof(own), nullptr);
    if (!readable || text == "00-00-00-00-00-00" || text == "FF-FF-FF-FF-FF-FF" || text == FormatDlsMac(own)) {
        ShowMessageDlg(StringFromTable(IDS_WMM_INVALID_MAC));
        return FALSE;
    }
    if (mac[0] & 0x01) {
        ShowMessageDlg(StringFromTable(IDS_WMM_GROUP_MAC));
        return FALSE;
    }
    WORD timeout = 0;
    if (!TimeoutSeconds(m_strTimeout, &timeout)) {
        ShowMessageDlg(StringFromTable(IDS_WMM_TIMEOUT_RANGE));
        return FALSE;
    }
    DlsLinkEntry link = {};
    link.timeout = timeout;
    std::memcpy(link.mac, mac, sizeof(link.mac));
    link.valid = 1;
    SetOid(OID_VENDOR_DLS_LINK, &link, sizeof(link), nullptr, kTries);
    return TRUE;
}

void CWmmPage::TakeListSelection()
{
    int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    s_nDlsSelectedRow = row;
    if (row >= 0 && (size_t)row < m_rows.size()) s_strDlsSelectedMac = m_rows[row].mac;
}

void CWmmPage::OnDlsListClick()
{
    TakeListSelection();
}

BOOL CWmmPage::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    BOOL handled = CChildPage::OnWndMsg(msg, wParam, lParam, pResult);
    const NMHDR* hdr = msg == WM_NOTIFY ? (const NMHDR*)lParam : nullptr;
    if (hdr && hdr->code == NM_CLICK && hdr->hwndFrom == m_list.m_hWnd) OnDlsListClick();
    return handled;
}

void CWmmPage::OnDlsListDblClick(NMHDR*, LRESULT* result)
{
    *result = 0;
    TakeListSelection();
    int row = s_nDlsSelectedRow;
    if (row < 0 || (size_t)row >= m_rows.size()) return;
    const DlsListRow& r = m_rows[row];
    m_strTimeout.Format("%d", (int)r.timeout);
    for (int i = 0; i < 6; ++i) m_strMac[i] = r.mac.Mid(i * 3, 2);
    UpdateData(FALSE);
}

void CWmmPage::OnDlsTearDown()
{
    if (s_nDlsSelectedRow == -1) {
        ShowMessageDlg(StringFromTable(IDS_NO_SELECTED_ITEM));
        return;
    }
    DlsLinkEntry links[kDlsLinkCount];
    QueryDlsLinks(links);
    for (DlsLinkEntry& e : links) {
        if (e.valid != 1 || FormatDlsMac(e.mac) != s_strDlsSelectedMac) continue;
        e.valid = 0;
        SetOid(OID_VENDOR_DLS_LINK, &e, sizeof(e), nullptr, kTries);
        return;
    }
}
