#include "pages/ProfilePage.h"

#include <cstdlib>
#include <cstring>

#include "core/AdapterDiscovery.h"
#include "core/ApplyConfig.h"
#include "core/ConnectEngine.h"
#include "core/EngineDoor.h"
#include "core/LinkState.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"
#include "core/StationConfig.h"
#include "core/WpsRuntime.h"
#include "core/ZeroConfig.h"
#include "core/ChannelTable.h"
#include "core/ProfileStore.h"
#include "pagebase/PanelDoor.h"
#include "pages/ProfileEditDlg.h"
#include "widgets/MessageBoxDlg.h"
#include "resource.h"

namespace {

// Grid columns.
enum { COL_STATE, COL_NAME, COL_SSID, COL_SECURED, COL_NETWORK_TYPE };

// Layout of the page, in pixels of its client area.
const int kMargin = 12;
const int kGridTop = 32;
const int kGridWidth = 380;
const int kGridHeight = 246;
const int kButtonTop = kGridTop + kGridHeight + 12;
const int kButtonWidth = 88;
const int kButtonHeight = 30;
const int kButtonSkin = 2;
const int kButtonCount = 4;
const int kButtonGap = 10;
const int kDetailsLeft = kMargin + kGridWidth + 28;
const int kLabelWidth = 150;
const int kValueWidth = 794 - kDetailsLeft - kLabelWidth - kMargin;
const int kDetailRow = 24;

// Label texts set at placement; the two thresholds keep their resource texts.
const UINT kLabelText[DETAIL_COUNT] = {
    IDS_LABEL_PROFILE_NAME, IDS_LABEL_SSID, IDS_LABEL_NETWORK_TYPE, IDS_LABEL_AUTHENTICATION, IDS_LABEL_ENCRYPTION,
    IDS_LABEL_USE_8021X, IDS_LABEL_CHANNEL, IDS_LABEL_POWER_SAVE, IDS_LABEL_TX_POWER, 0, 0,
};

const char* const kAuthenticationNames[8] = { "Open", "Shared", " ", "WPA", "WPA-PSK", "WPA-NONE", "WPA2", "WPA2-PSK" };
const char* const kLeapCipherNames[3] = { "WEP", "WPA-TKIP", "WPA2-AES" };
const char* const kTxPowerNames[7] = { "Auto", "100%", "75 %", "50 %", "25 %", "10 %", "Lowest" };

// A stored AuthenType read for the list: outside 0..7 it counts as 0.
int AuthenTypeOf(const ProfileValues& v)
{
    int a = v.Int(PV_AUTHEN_TYPE, 0);
    return (a >= 0 && a <= 7) ? a : 0;
}

const char* EncryptionName(int encryption)
{
    switch (encryption) {
    case 0: return "WEP";
    case 1: return "None";
    case 4: return "TKIP";
    case 6: return "AES";
    default: return "";
    }
}

bool IsZeroMac(const BYTE* mac)
{
    for (int i = 0; i < 6; ++i)
        if (mac[i]) return false;
    return true;
}

}  // namespace

BEGIN_MESSAGE_MAP(CProfilePage, CChildPage)
    ON_MESSAGE(WM_CELLLIST_GETCELLINFO, OnGetCellInfo)
    // The grid takes NM_CLICK itself and reports the click on a cell.
    ON_MESSAGE(WM_CELLLIST_CELLCLICK, OnGridClick)
    ON_BN_CLICKED(IDC_PROFILE_ADD, OnAdd)
    ON_BN_CLICKED(IDC_PROFILE_EDIT, OnEdit)
    ON_BN_CLICKED(IDC_PROFILE_APPLY, OnApply)
    ON_BN_CLICKED(IDC_PROFILE_DELETE, OnDelete)
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CProfilePage::CProfilePage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_PROFILE_PAGE, pMainDlg)
{
    std::memset(g_LastBssid, 0, sizeof(g_LastBssid));
}

void CProfilePage::DoDataExchange(CDataExchange* pDX)
{
    for (int i = 0; i < DETAIL_COUNT; ++i) DDX_Text(pDX, IDC_PROFILE_VALUE_FIRST + i, m_strDetails[i]);
}

unsigned CProfilePage::SkinDraws()
{
    return kButtonCount * CSkinButton::SkinDraws(kButtonSkin, kButtonWidth, kButtonHeight);
}

BOOL CProfilePage::OnInitDialog()
{
    CChildPage::OnInitDialog();
    m_grid.SubclassDlgItem(IDC_PROFILE_LIST, this);
    m_btnAdd.SubclassDlgItem(IDC_PROFILE_ADD, this);
    m_btnEdit.SubclassDlgItem(IDC_PROFILE_EDIT, this);
    m_btnDelete.SubclassDlgItem(IDC_PROFILE_DELETE, this);
    m_btnApply.SubclassDlgItem(IDC_PROFILE_APPLY, this);

    PlaceControl(GetDlgItem(IDC_PROFILE_TITLE), kMargin, 10, 200, 18, IDS_PROFILE_LIST_TITLE);
    PlaceControl(&m_grid, kMargin, kGridTop, kGridWidth, kGridHeight, 0);
    CSkinButton* buttons[kButtonCount] = { &m_btnAdd, &m_btnEdit, &m_btnDelete, &m_btnApply };
    const UINT buttonText[kButtonCount] = { IDS_PROFILE_ADD, IDS_PROFILE_EDIT, IDS_PROFILE_DELETE,
                                            IDS_PROFILE_ACTIVATE };
    for (int i = 0; i < kButtonCount; ++i) {
        PlaceControl(buttons[i], kMargin + i * (kButtonWidth + kButtonGap), kButtonTop, kButtonWidth, kButtonHeight,
                     buttonText[i]);
        buttons[i]->BuildSkin(kButtonSkin, 8, 10, 0, RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0));
    }
    for (int i = 0; i < DETAIL_COUNT; ++i) {
        int y = kGridTop + i * kDetailRow;
        PlaceControl(GetDlgItem(IDC_PROFILE_LABEL_FIRST + i), kDetailsLeft, y, kLabelWidth, 18, kLabelText[i]);
        PlaceControl(GetDlgItem(IDC_PROFILE_VALUE_FIRST + i), kDetailsLeft + kLabelWidth, y, kValueWidth, 18, 0);
    }

    m_images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 10, 24);
    CBitmap strip;
    if (strip.LoadBitmap(IDB_PROFILE_LIST)) m_images.Add(strip, RGB(255, 255, 255));
    m_grid.SetImageList(m_images, LVSIL_SMALL);
    m_grid.SetExtendedStyle(m_grid.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    // With drawing off the grid lays out its header once, not after every column.
    m_grid.SendMessage(WM_SETREDRAW, FALSE);
    m_grid.InsertColumn(COL_STATE, "", LVCFMT_CENTER, 16);
    m_grid.InsertColumn(COL_NAME, "NAME", LVCFMT_LEFT, 100);
    m_grid.InsertColumn(COL_SSID, "SSID", LVCFMT_LEFT, 200);
    m_grid.InsertColumn(COL_SECURED, "", LVCFMT_CENTER, 16);
    m_grid.InsertColumn(COL_NETWORK_TYPE, "", LVCFMT_CENTER, 16);
    m_grid.SendMessage(WM_SETREDRAW, TRUE);

    LoadProfileList();
    SetTimer(2, 3000);
    return TRUE;
}

void CProfilePage::OnDestroy()
{
    KillTimer(2);
    Default();
}

// ---- The grid --------------------------------------------------------------------

void CProfilePage::LoadProfileList()
{
    m_rows.clear();
    SetGridRowCount();
    ReadAdapterText(REGSTR_CUR_PROFILE, m_strCurProfile);

    bool matched = false;
    for (const CString& name : EnumProfileNames()) {
        HKEY key = OpenProfileKey(name, KEY_READ);
        if (!key) continue;
        ProfileValues v;
        ReadProfileValues(key, v);
        RegCloseKey(key);
        if (name == m_strCurProfile) matched = true;
        ProfileListRow row;
        row.name = name;
        row.ssid = v.Text(PV_SSID);
        row.secured = (AuthenTypeOf(v) == 0 && v.Int(PV_ENCRYPTION, 1) == 1) ? 0 : 1;
        int type = v.Int(PV_NETWORK_TYPE, 1);
        row.networkType = (type == 0) ? PROFILE_IMAGE_ADHOC : PROFILE_IMAGE_INFRASTRUCTURE;
        m_rows.push_back(row);
    }
    if (m_rows.empty()) {
        EnableRowButtons(FALSE);
    } else {
        if (!matched) m_strCurProfile.Empty();
        EnableRowButtons(TRUE);
    }
    SetGridRowCount();
}

void CProfilePage::SetGridRowCount()
{
    if (!m_grid.IsWindow()) return;
    m_grid.SendMessage(WM_SETREDRAW, FALSE);
    m_grid.SetItemCount((int)m_rows.size());
    m_grid.SendMessage(WM_SETREDRAW, TRUE);
    int top = (int)m_grid.SendMessage(LVM_GETTOPINDEX);
    int perPage = (int)m_grid.SendMessage(LVM_GETCOUNTPERPAGE);
    m_grid.RedrawItems(top, top + perPage);
    m_grid.Invalidate();
}

LRESULT CProfilePage::OnGetCellInfo(WPARAM, LPARAM lParam)
{
    CListCellInfo* cell = (CListCellInfo*)lParam;
    if (!cell) return 0;
    int row = cell->GetRow();
    if (row < 0 || row >= (int)m_rows.size()) return 0;
    const ProfileListRow& r = m_rows[row];
    switch (cell->GetColumn()) {
    case COL_STATE:
        if (r.state == 0) cell->m_nImage = PROFILE_IMAGE_CONNECTED;
        else if (r.state == 1) cell->m_nImage = PROFILE_IMAGE_NOT_CONNECTED;
        cell->m_pImageList = &m_images;
        break;
    case COL_NAME: cell->m_strText = r.name; break;
    case COL_SSID: cell->m_strText = r.ssid; break;
    case COL_SECURED:
        if (r.secured == 1) cell->m_nImage = PROFILE_IMAGE_SECURED;
        cell->m_pImageList = &m_images;
        break;
    case COL_NETWORK_TYPE:
        cell->m_nImage = r.networkType;
        cell->m_pImageList = &m_images;
        break;
    }
    return 0;
}

int CProfilePage::SelectedRow() const
{
    int row = m_grid.IsWindow() ? m_grid.GetNextItem(-1, LVNI_SELECTED) : -1;
    return (row >= 0 && row < (int)m_rows.size()) ? row : -1;
}

void CProfilePage::EnableRowButtons(BOOL enable)
{
    for (CSkinButton* b : { &m_btnEdit, &m_btnDelete, &m_btnApply })
        if (b->IsWindow()) b->EnableWindow(enable);
}

LRESULT CProfilePage::OnGridClick(WPARAM, LPARAM)
{
    ShowProfileDetails();
    return 0;
}

// ---- Details ---------------------------------------------------------------------

void CProfilePage::ClearDetails()
{
    for (CString& s : m_strDetails) s.Empty();
    UpdateData(FALSE);
}

void CProfilePage::ShowProfileDetails()
{
    int row = SelectedRow();
    if (row < 0) return;
    ReadAdapterText(REGSTR_CUR_PROFILE, m_strCurProfile);
    for (CString& s : m_strDetails) s.Empty();

    // The row keeps its name: the profile is looked up by it, so rows never
    // shift against the registry's order.
    const CString& name = m_rows[row].name;
    HKEY key = OpenProfileKey(name, KEY_READ);
    if (key) {
        ProfileValues v;
        ReadProfileValues(key, v);
        RegCloseKey(key);
        int n = 0;
        m_strDetails[DETAIL_NAME] = name;
        m_strDetails[DETAIL_SSID] = v.Text(PV_SSID);
        if (v.GetInt(PV_NETWORK_TYPE, &n))
            m_strDetails[DETAIL_NETWORK_TYPE] = n == 0 ? "Ad hoc" : (n == 1 ? "Infrastructure" : (n == 2 ? "Auto" : ""));
        bool leap = v.Int(PV_LEAP_ENABLED, 0) != 0;
        if (v.GetInt(PV_AUTHEN_TYPE, &n) || leap) {
            int a = AuthenTypeOf(v);
            const char* auth = (a == 0 && leap) ? "LEAP" : kAuthenticationNames[a];
            m_strDetails[DETAIL_AUTHENTICATION].Format("%s %s", auth, "");
        }
        if (leap) {
            if (v.GetInt(PV_LEAP_ENCRY_TYPE, &n) && n >= 0 && n <= 2) m_strDetails[DETAIL_ENCRYPTION] = kLeapCipherNames[n];
        } else if (v.GetInt(PV_ENCRYPTION, &n)) {
            m_strDetails[DETAIL_ENCRYPTION] = EncryptionName(n);
        }
        if (v.GetInt(PV_USE_8021X, &n)) m_strDetails[DETAIL_USE_8021X] = n ? "YES" : "NO";
        if (v.GetInt(PV_CHANNEL, &n)) m_strDetails[DETAIL_CHANNEL] = ChannelNumberToText(n);
        if (v.GetInt(PV_PS_MODE, &n)) m_strDetails[DETAIL_POWER_SAVE] = n == 0 ? "CAM" : "PSM";
        if (v.GetInt(PV_TX_POWER, &n) && n >= 0 && n <= 6) m_strDetails[DETAIL_TX_POWER] = kTxPowerNames[n];
        if (v.GetInt(PV_RTS_THRESH, &n)) m_strDetails[DETAIL_RTS_THRESHOLD].Format("%d", n);
        if (v.GetInt(PV_FRAG_THRESH, &n)) m_strDetails[DETAIL_FRAG_THRESHOLD].Format("%d", n);
    }
    UpdateData(FALSE);
}

// ---- Buttons -----------------------------------------------------------------------

BOOL CProfilePage::ButtonsMayAct()
{
    return g_nWzcMode != WZC_MANAGES && g_bRadioOn && g_pPanelDoor && g_pPanelDoor->ReopenAdapter();
}

int CProfilePage::SelectedRowOrTell()
{
    int row = SelectedRow();
    if (row < 0) ShowMessageDlg(StringFromTable(IDS_NO_SELECTED_ITEM));
    return row;
}

void CProfilePage::OnAdd()
{
    if (!ButtonsMayAct()) return;
    if (CProfileEditDlg* editor = Editor()) editor->PrepareAdd();
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_PROFILE_EDIT);
}

void CProfilePage::OnEdit()
{
    if (!ButtonsMayAct()) return;
    int row = SelectedRowOrTell();
    if (row < 0) return;
    if (CProfileEditDlg* editor = Editor()) editor->PrepareEdit(m_rows[row].name);
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_PROFILE_EDIT);
}

CProfileEditDlg* CProfilePage::Editor() const
{
    return g_pPanelDoor ? static_cast<CProfileEditDlg*>(g_pPanelDoor->OpenedPanel(PANEL_PROFILE_EDIT)) : nullptr;
}

void CProfilePage::OnApply()
{
    if (!ButtonsMayAct()) return;
    int row = SelectedRowOrTell();
    if (row < 0) return;
    m_strCurProfile = m_rows[row].name;
    m_strAppliedSsid = m_rows[row].ssid;
    ActivateProfile(row);
}

void CProfilePage::MakeNewProfileName(CString& name) const
{
    CString prefix = StringFromTable(IDS_PROFILE_NAME_PREFIX);
    int largest = 0;
    for (const ProfileListRow& r : m_rows) {
        CString upper = r.name;
        upper.MakeUpper();
        if (upper.Left(prefix.GetLength()) != prefix) continue;
        int n = std::atoi(upper.Mid(prefix.GetLength()));
        if (n > largest) largest = n;
    }
    name.Format("%s%d", prefix.GetString(), largest + 1);
    name.Trim();
}

BOOL CProfilePage::ActivateProfile(int row)
{
    if (row < 0 || row >= (int)m_rows.size()) return FALSE;
    return ActivateStoredProfile(m_rows[row].name, &m_strChannel);
}

void CProfilePage::OnDelete()
{
    if (!ButtonsMayAct()) return;
    int row = SelectedRowOrTell();
    if (row < 0) return;
    CChildPage* editor = g_pPanelDoor ? g_pPanelDoor->MadePanel(PANEL_PROFILE_EDIT) : nullptr;
    if (editor && editor->IsWindowVisible()) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);

    if (IsActiveProfileRow(row) && g_bConfigFromRegistry) {
        if (ShowMessageDlg(StringFromTable(IDS_PROFILE_IN_USE)) != IDOK) return;
        DropActiveProfile();
    }
    CString name = m_rows[row].name;
    DeleteProfileKey(name);
    LoadProfileList();

    if (!m_rows.empty()) {
        int select = row < (int)m_rows.size() ? row : (int)m_rows.size() - 1;
        m_grid.SetItemState(select, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ShowProfileDetails();
    } else {
        EnableRowButtons(FALSE);
        ClearDetails();
    }
}

BOOL CProfilePage::DeleteProfileKey(const char* name)
{
    HKEY station = OpenAdapterKey(KEY_ALL_ACCESS, REGSTR_KEY_PROFILE_STATION);
    if (!station) {
        CString text;
        text.Format("RegOpenKeyEx '%s' failed\n", (g_strAdapterRegPath + "\\" + REGSTR_KEY_PROFILE_STATION).GetString());
        ShowMessageDlg(text);
        return FALSE;
    }
    RegCloseKey(station);
    return DeleteProfile(name);
}

// ---- Row state ----------------------------------------------------------------------

BOOL CProfilePage::IsActiveProfileRow(int row) const
{
    return row >= 0 && row < (int)m_rows.size() && m_rows[row].name == m_strCurProfile;
}

int CProfilePage::FindActiveRow() const
{
    for (int i = 0; i < (int)m_rows.size(); ++i)
        if (IsActiveProfileRow(i)) return i;
    return -1;
}

void CProfilePage::SetActiveRowState(int row, int state)
{
    for (ProfileListRow& r : m_rows) r.state = -1;
    if (row >= 0 && row < (int)m_rows.size()) m_rows[row].state = state;
    SetGridRowCount();
}

void CProfilePage::OnTimer(UINT_PTR id)
{
    if (id == 2) UpdateRowState();
    else Default();
}

void CProfilePage::UpdateRowState()
{
    int row = FindActiveRow();
    if (m_strCurProfile.IsEmpty() || row < 0) return;

    SetActiveRowState(row, LinkStateOf(m_rows[row]));
}

int CProfilePage::LinkStateOf(const ProfileListRow& row) const
{
    const int kConnected = 0, kNotConnected = 1;
    DWORD media = 1;
    BYTE bssid[6] = {};
    QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &media, sizeof(media), nullptr);
    QueryOid(OID_802_11_BSSID, bssid, sizeof(bssid), nullptr);
    if (media != 0 || IsZeroMac(bssid) || !g_bConfigFromRegistry) return kNotConnected;

    NDIS_802_11_SSID link = {};
    QueryOid(OID_802_11_SSID, &link, sizeof(link), nullptr);
    ULONG len = link.SsidLength > 32 ? 32 : link.SsidLength;
    if (!row.ssid.IsEmpty() &&
        (row.ssid.GetLength() != (int)len || std::memcmp(row.ssid.GetString(), link.Ssid, len) != 0))
        return kNotConnected;

    if (!g_pCurProfile) return row.state;
    if (g_pCurProfile->infrastructureMode) return kConnected;

    // Ad hoc: the channel of the link must be the profile's.
    CString cur, channel;
    ReadAdapterText(REGSTR_CUR_PROFILE, cur);
    if (HKEY key = OpenProfileKey(cur, KEY_READ)) {
        ReadRegText(key, REGSTR_CHANNEL, channel);
        RegCloseKey(key);
    }
    NDIS_802_11_CONFIGURATION config = {};
    QueryOid(OID_802_11_CONFIGURATION, &config, sizeof(config), nullptr);
    int ch = FrequencyToChannel(config.DSConfig);
    CString text;
    text.Format("%d", ch);
    return (ch >= 0 && text == channel) ? kConnected : kNotConnected;
}
