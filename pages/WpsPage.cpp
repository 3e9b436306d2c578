#include "pages/WpsPage.h"

#include <bcrypt.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/ApplyConfig.h"
#include "core/BssIeFormatter.h"
#include "core/ControllerDoor.h"
#include "core/EngineDoor.h"
#include "core/MovableMemory.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "core/RegistryStore.h"
#include "pagebase/PanelDoor.h"
#include "pages/MacAddressText.h"
#include "pages/NetworkInfoDlg.h"
#include "pages/SurveyList.h"
#include "pages/WpsProfileDetailDlg.h"
#include "widgets/MessageBoxDlg.h"

namespace {

const int kTries = 3;

// Colours of the progress bar (COLORREF values).
const COLORREF kGreen = 0x00FF00;
const COLORREF kYellow = 0x32E6FA;
const COLORREF kBlue = 0xFB0606;
const COLORREF kLightBlue = 0xF0CAA6;

// Image indexes of bitmap 167.
const int kImageSecured = 5, kImageConnected = 6, kImageNotConnected = 7;

// List columns.
enum { AP_COL_CONNECTED, AP_COL_ID, AP_COL_SSID, AP_COL_BSSID, AP_COL_CHANNEL, AP_COL_SECURED, AP_COL_COUNT };
enum { PROFILE_COL_STATE, PROFILE_COL_SSID, PROFILE_COL_BSSID, PROFILE_COL_SECURED, PROFILE_COL_COUNT };
struct ColumnSpec {
    const char* heading;
    int format;
    int width;
};
const ColumnSpec kApColumns[AP_COL_COUNT] = {
    { "", LVCFMT_CENTER, 16 }, { "ID", LVCFMT_LEFT, 150 }, { "SSID", LVCFMT_LEFT, 200 },
    { "BSSID", LVCFMT_LEFT, 150 }, { "Channel", LVCFMT_LEFT, 50 }, { "", LVCFMT_CENTER, 16 },
};
const ColumnSpec kProfileColumns[PROFILE_COL_COUNT] = {
    { "", LVCFMT_CENTER, 16 }, { "SSID", LVCFMT_LEFT, 200 }, { "BSSID", LVCFMT_LEFT, 150 },
    { "", LVCFMT_CENTER, 16 },
};

// Layout of the page, in pixels of its client area (794 x 342).
const int kMargin = 10;
const int kRightColumn = 620, kRightWidth = 164;
const int kButtonWidth = 80, kButtonHeight = 26;

const char kStartPbc[] = "Start PBC connection";
const char kStartPin[] = "Start PIN connection - %s";
const char kNotUsed[] = "WPS status is not used";
const char kDisconnected[] = "WPS status is disconnected";
const char kConnected[] = "WPS status is connected successfully - ";
const char kInvalidPin[] = "Invaild Pin Code";
const char kPinError[] = "Pin Code error";

struct StatusRow {
    DWORD code;
    const char* text;
    int progress;
    WpsStatusAction action;
};
const StatusRow kStatusRows[] = {
    { 0, "WPS status is not used", -1, WPS_STEP_IDLE },
    { 1, "WPS status is idled", -1, WPS_STEP_NONE },
    { 2, "Scanning AP", 10, WPS_STEP_NONE },
    { 3, "Begin associating to WPS AP", 15, WPS_STEP_NONE },
    { 4, "Associated to WPS AP", 20, WPS_STEP_NONE },
    { 5, "Sending EAPOL-Start", 25, WPS_STEP_NONE },
    { 6, "Sending EAP-Rsp(ID)", 30, WPS_STEP_NONE },
    { 7, "Sending EAP Response (ACK)", -1, WPS_STEP_NONE },
    { 9, "Receive EAP-Req (NACK)", -1, WPS_STEP_NONE },
    { 15, "Configured", 95, WPS_STEP_CONFIGURED },
    { 17, "Receive EAPReq WPS_Start", 35, WPS_STEP_NONE },
    { 18, "Sending M1", 40, WPS_STEP_NONE },
    { 19, "Received M2", 45, WPS_STEP_NONE },
    { 20, "Received M2D", 50, WPS_STEP_NONE },
    { 21, "Sending M3", 60, WPS_STEP_NONE },
    { 22, "Received M4", 65, WPS_STEP_NONE },
    { 23, "Sending M5", 70, WPS_STEP_NONE },
    { 24, "Received M6", 75, WPS_STEP_NONE },
    { 25, "Sending M7", 80, WPS_STEP_NONE },
    { 26, "Received M8", 85, WPS_STEP_NONE },
    { 27, "Sending EAP Response (Done)", 90, WPS_STEP_NONE },
    { 34, "Received M1", 40, WPS_STEP_NONE },
    { 35, "Sending M2", 45, WPS_STEP_NONE },
    { 36, "Sending M2D", 50, WPS_STEP_NONE },
    { 37, "Sending M3", 60, WPS_STEP_NONE },
    { 38, "Sending M4", 65, WPS_STEP_NONE },
    { 39, "Received M5", 70, WPS_STEP_NONE },
    { 40, "Sending M6", 75, WPS_STEP_NONE },
    { 41, "Received M7", 80, WPS_STEP_NONE },
    { 42, "Sending M8", 85, WPS_STEP_NONE },
    { 43, "Received EAP Response (Done)", 90, WPS_STEP_NONE },
    { 0x101, "Too many PBC AP available", -1, WPS_STEP_NONE },
    { 0x102, "No PBC AP available", -1, WPS_STEP_NONE },
    { 0x103, "Received EAP-FAIL", -1, WPS_STEP_NONE },
    { 0x104, "Receive EAP with wrong NONCE", -1, WPS_STEP_NONE },
    { 0x105, "Receive EAP without integrity (Hmac mismatch)", -1, WPS_STEP_NONE },
    { 0x106, "Error PIN Code (R-Hash mismatch)", -1, WPS_STEP_NONE },
    { 0x201, "Invalid SSID in PIN mode", -1, WPS_STEP_STOP },
    { 0x202, "Receive EAP-Req with wrong WPS SMI Vendor Id", -1, WPS_STEP_STOP },
    { 0x203, "Receive EAP-Req with wrong WPS Vendor Type", -1, WPS_STEP_STOP },
    { 0x204, "WPS Eap process failed", -1, WPS_STEP_STOP_AND_DISCONNECT },
};

DWORD CredentialCount()
{
    return std::min<DWORD>(g_WscCredentials.count, WPS_MAX_CREDENTIALS);
}

CString CredentialSsid(const WpsCredential& c)
{
    DWORD n = std::min<DWORD>(c.ssid.SsidLength, sizeof(c.ssid.Ssid));
    return CString((const char*)c.ssid.Ssid, (int)::strnlen((const char*)c.ssid.Ssid, n));
}

BYTE RoleByte() { return g_nWscConfigMode != 0 ? 2 : 1; }

// The fields of one formatter section.
std::vector<CString> SectionFields(const NDIS_WLAN_BSSID_EX* e, int section)
{
    std::vector<CString> fields;
    SplitString(FormatBssIeInfo(e, section), ";", fields);
    return fields;
}

}  // namespace

// ---- PINs, status words, colours, the registrar's credential ------------------------

DWORD ComputeWpsPinChecksum(DWORD n)
{
    DWORD pin = (n % 10000000) * 10;
    DWORD sum = 0;
    static const DWORD kWeights[7] = { 3, 1, 3, 1, 3, 1, 3 };
    DWORD divisor = 10000000;
    for (DWORD w : kWeights) {
        sum += w * ((pin / divisor) % 10);
        divisor /= 10;
    }
    return (10 - sum % 10) % 10;
}

DWORD WpsPinFromMac(const BYTE mac[6])
{
    DWORD v = (DWORD)mac[3] * 65536 + (DWORD)mac[4] * 256 + mac[5];
    DWORD n = v % 10000000;
    return n * 10 + ComputeWpsPinChecksum(n);
}

WpsStatusStep WpsStatusFor(DWORD statusWord)
{
    WpsStatusStep step{ (statusWord & WSC_STATUS_PIN_RUN) ? "PIN - " : "PBC - ", -1, WPS_STEP_NONE };
    DWORD code = statusWord & WSC_STATUS_CODE_MASK;
    for (const StatusRow& r : kStatusRows) {
        if (r.code != code) continue;
        step.text += r.text;
        step.progress = r.progress;
        step.action = r.action;
        break;
    }
    return step;
}

COLORREF WpsProgressColour(int position)
{
    if (position < 35) return kGreen;
    if (position < 70) return kYellow;
    if (position <= 100) return kBlue;
    return CLR_INVALID;
}

BOOL BuildRegistrarCredential(const BYTE mac[6], WpsCredentialBlock* block)
{
    std::memset(block, 0, sizeof(*block));
    BYTE random[32];
    // The key protects the network the registrar sets up: it comes from the
    // system's generator, never from a seed anyone can guess.
    if (!BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, random, sizeof(random), BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        return FALSE;
    WpsCredential& c = block->cred[0];
    char ssid[16];
    std::snprintf(ssid, sizeof(ssid), "ExRegNW%02X%02X%02X", mac[3], mac[4], mac[5]);
    c.ssid.SsidLength = (ULONG)std::strlen(ssid);
    std::memcpy(c.ssid.Ssid, ssid, c.ssid.SsidLength);
    c.AuthType = WPS_AUTH_WPA2_PSK;
    c.EncrType = WPS_ENCR_AES;
    c.KeyIndex = 1;
    c.KeyLength = sizeof(c.Key);
    // Each pair is written into a temporary: the key field holds no terminator.
    for (size_t i = 0; i < sizeof(random); ++i) {
        char pair[3];
        std::snprintf(pair, sizeof(pair), "%02X", random[i]);
        std::memcpy(c.Key + 2 * i, pair, 2);
    }
    SecureZeroMemory(random, sizeof(random));
    block->count = 1;
    return TRUE;
}

// ---- The page ---------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CWpsPage, CChildPage)
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_WPS_PBC, OnPbc)
    ON_BN_CLICKED(IDC_WPS_PIN, OnPin)
    ON_BN_CLICKED(IDC_WPS_RESCAN, OnRescan)
    ON_BN_CLICKED(IDC_WPS_INFORMATION, OnInformation)
    ON_BN_CLICKED(IDC_WPS_DETAIL, OnProfileDetail)
    ON_BN_CLICKED(IDC_WPS_CONNECT, OnConnect)
    ON_BN_CLICKED(IDC_WPS_ROTATE, OnRotate)
    ON_BN_CLICKED(IDC_WPS_DISCONNECT, OnDisconnect)
    ON_BN_CLICKED(IDC_WPS_DELETE, OnDelete)
    ON_CBN_SELCHANGE(IDC_WPS_CONFIG_MODE, OnConfigModeChanged)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_WPS_AP_LIST, OnListChanged)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_WPS_PROFILE_LIST, OnListChanged)
    ON_MESSAGE(WM_CELLLIST_GETCELLINFO, OnGetCellInfo)
END_MESSAGE_MAP()

CWpsPage::CWpsPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_WPS_PAGE, pMainDlg) {}

CWpsPage::~CWpsPage()
{
    FreeMovable(m_pApBuffer);
    m_pApBuffer = nullptr;
}

void CWpsPage::DoDataExchange(CDataExchange* pDX)
{
    DDX_Check(pDX, IDC_WPS_PROBE_IE, m_bProbeIe);
    DDX_Check(pDX, IDC_WPS_ASSOCIATE_IE, m_bAssociateIe);
    DDX_Text(pDX, IDC_WPS_PIN_EDIT, m_strPin);
    DDX_Text(pDX, IDC_WPS_STATUS, m_strStatus);
}

BOOL CWpsPage::OnInitDialog()
{
    m_listAp.SubclassDlgItem(IDC_WPS_AP_LIST, this);
    m_listProfile.SubclassDlgItem(IDC_WPS_PROFILE_LIST, this);
    struct {
        CSkinButton* button;
        UINT id;
    } buttons[] = {
        { &m_btnRescan, IDC_WPS_RESCAN }, { &m_btnInformation, IDC_WPS_INFORMATION }, { &m_btnPin, IDC_WPS_PIN },
        { &m_btnPbc, IDC_WPS_PBC }, { &m_btnDetail, IDC_WPS_DETAIL }, { &m_btnConnect, IDC_WPS_CONNECT },
        { &m_btnRotate, IDC_WPS_ROTATE }, { &m_btnDisconnect, IDC_WPS_DISCONNECT }, { &m_btnDelete, IDC_WPS_DELETE },
    };
    for (auto& b : buttons) b.button->SubclassDlgItem(b.id, this);
    m_editPin.SubclassDlgItem(IDC_WPS_PIN_EDIT, this);
    m_comboMode.SubclassDlgItem(IDC_WPS_CONFIG_MODE, this);
    m_progress.SubclassDlgItem(IDC_WPS_PROGRESS, this);
    m_strStatus = kNotUsed;
    CChildPage::OnInitDialog();

    PlaceControls();
    BuildLists();

    m_progress.SetGradientColors(3, kGreen, kLightBlue, kGreen);
    m_progress.m_nAnimStep = 1;
    ::SetTimer(m_progress.m_hWnd, PBT_GRAD_ANIMATE, 55, nullptr);
    m_progress.SetRange(0, 100);
    m_progress.SetText(StringFromTable(IDS_WPS_PROGRESS), PBS_GRAD_PERCENT);
    m_progress.SetFont(&m_font);
    m_progress.SetPos(0);

    m_comboMode.AddString(StringFromTable(IDS_WPS_ENROLLEE));
    m_comboMode.AddString(StringFromTable(IDS_WPS_REGISTRAR));
    m_comboMode.SetCurSel(g_nWscConfigMode != 0 ? 1 : 0);

    // While the page exists it checks the credentials and watches the button.
    if (g_pControllerDoor) {
        g_pControllerDoor->KillControllerTimer(IDT_WPS_CREDENTIAL);
        g_pControllerDoor->KillControllerTimer(IDT_WPS_BUTTON);
    }
    m_pApBuffer = (BssidListBuffer*)AllocMovable(BSSID_LIST_BUFFER_SIZE);

    UpdateButtons();
    StartRescanTimer();
    MakeDefaultPin();
    if (g_nWscConfigMode == 0) g_dwWscPinCode = m_dwOwnPin;
    SetPinEditable();
    ShowPinCode();
    FillWpsProfileList();
    m_nConnectTicks = 1;
    if (g_bWscInUse && g_nWscConfigMode == 0 && CredentialCount() > 0) SetTimer(IDT_WPS_PAGE_CONNECT, 2000);
    SetTimer(IDT_WPS_PAGE_BUTTON, 1000);
    return TRUE;
}

void CWpsPage::PlaceControls()
{
    PlaceControl(GetDlgItem(IDC_WPS_AP_TITLE), kMargin, 6, 300, 18, IDS_WPS_AP_LIST_TITLE);
    PlaceControl(&m_listAp, kMargin, 26, 600, 118, 0);
    PlaceControl(GetDlgItem(IDC_WPS_PROFILE_TITLE), kMargin, 150, 300, 18, IDS_WPS_PROFILE_LIST_TITLE);
    PlaceControl(&m_listProfile, kMargin, 170, 400, 110, 0);

    const int left = kRightColumn, right = kRightColumn + kRightWidth - kButtonWidth;
    struct Place {
        CSkinButton* button;
        int x, y;
        UINT text;
    } places[] = {
        { &m_btnRescan, left, 26, IDS_WPS_RESCAN }, { &m_btnInformation, right, 26, IDS_WPS_INFORMATION },
        { &m_btnPin, left, 56, IDS_WPS_PIN }, { &m_btnPbc, right, 56, IDS_WPS_PBC },
        { &m_btnDetail, 420, 170, IDS_WPS_DETAIL }, { &m_btnConnect, 515, 170, IDS_WPS_CONNECT },
        { &m_btnRotate, 420, 202, IDS_WPS_ROTATE }, { &m_btnDisconnect, 515, 202, IDS_WPS_DISCONNECT },
        { &m_btnDelete, 420, 234, IDS_WPS_DELETE },
    };
    for (const Place& p : places) {
        int width = p.x >= kRightColumn ? kButtonWidth : 90;
        PlaceControl(p.button, p.x, p.y, width, kButtonHeight, p.text);
        p.button->BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0));
    }

    PlaceControl(GetDlgItem(IDC_WPS_PIN_GROUP), left, 88, kRightWidth, 48, IDS_WPS_PIN_GROUP);
    PlaceControl(&m_editPin, left + 10, 106, kRightWidth - 20, 22, 0);
    PlaceControl(GetDlgItem(IDC_WPS_MODE_GROUP), left, 140, kRightWidth, 50, IDS_WPS_MODE_GROUP);
    PlaceControl(&m_comboMode, left + 10, 158, kRightWidth - 20, 100, 0);
    PlaceControl(GetDlgItem(IDC_WPS_ASSOCIATE_IE), left, 200, kRightWidth, 20, IDS_WPS_ASSOCIATE_IE);
    PlaceControl(GetDlgItem(IDC_WPS_PROBE_IE), left, 224, kRightWidth, 20, IDS_WPS_PROBE_IE);

    PlaceControl(&m_progress, kMargin, 290, 774, 20, 0);
    PlaceControl(GetDlgItem(IDC_WPS_STATUS), kMargin, 318, 774, 18, 0);

    m_editPin.SetCharMask(FE_DIGITS);
    m_editPin.LimitText(8);
}

void CWpsPage::BuildLists()
{
    LOGFONTA lf = {};
    lf.lfHeight = 16;
    std::strcpy(lf.lfFaceName, "Trebuchet MS");
    m_font.CreateFontIndirect(&lf);

    m_images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 10, 10);
    CBitmap strip;
    if (strip.LoadBitmap(IDB_LIST_IMAGES)) m_images.Add(strip, RGB(255, 255, 255));

    struct {
        CCellListCtrl* list;
        const ColumnSpec* columns;
        int count;
    } lists[] = { { &m_listAp, kApColumns, AP_COL_COUNT }, { &m_listProfile, kProfileColumns, PROFILE_COL_COUNT } };
    for (auto& l : lists) {
        l.list->SetExtendedStyle(l.list->GetExtendedStyle() | LVS_EX_FULLROWSELECT);
        l.list->SetImageList(m_images, LVSIL_SMALL);
        l.list->SetFont(&m_font);
        l.list->EnableColumnFocus(FALSE);
        for (int c = 0; c < l.count; ++c)
            l.list->InsertColumn(c, l.columns[c].heading, l.columns[c].format, l.columns[c].width);
    }
}

void CWpsPage::OnDestroy()
{
    for (UINT_PTR id : { IDT_WPS_PAGE_SCAN_DONE, IDT_WPS_PAGE_STATUS, IDT_WPS_PAGE_SCAN_LIST, IDT_WPS_PAGE_CONNECT,
                         IDT_WPS_PAGE_BUTTON })
        KillTimer(id);
    // The controller takes its WPS watch back.
    if (g_pControllerDoor) {
        if (g_bWscInUse && g_bWpsRotate) g_pControllerDoor->SetControllerTimer(IDT_WPS_CREDENTIAL, 10000);
        g_pControllerDoor->SetControllerTimer(IDT_WPS_BUTTON, 1000);
    }
    Default();
}

// ---- Small pieces ---------------------------------------------------------------

void CWpsPage::SetStatus(const CString& text)
{
    m_strStatus = text;
    SetDlgItemText(IDC_WPS_STATUS, m_strStatus);
}

void CWpsPage::SetProgress(int position)
{
    m_progress.SetPos(position);
    m_progress.Invalidate(FALSE);
}

void CWpsPage::ColourProgress()
{
    COLORREF c = WpsProgressColour(m_progress.GetPos());
    if (c == CLR_INVALID) return;
    m_progress.SetGradientColors(3, c, kLightBlue, c);
    m_progress.Invalidate(FALSE);
}

void CWpsPage::StartRescanTimer()
{
    SetTimer(IDT_WPS_PAGE_SCAN_DONE, (g_nWirelessMode == 2 || g_nWirelessMode == 3) ? 5500 : 3500);
}

// An enrollee shows its own PIN; a registrar types the other side's and
// keeps its one credential.
void CWpsPage::SetPinEditable()
{
    m_editPin.SetReadOnly(g_nWscConfigMode == 0);
    m_btnDelete.ShowWindow(g_nWscConfigMode == 0 ? SW_SHOW : SW_HIDE);
}

void CWpsPage::ShowPinCode()
{
    // A stored number of more than eight digits is no PIN: none is shown.
    if (g_dwWscPinCode <= 99999999u) m_strPin.Format("%08d", (int)g_dwWscPinCode);
    else m_strPin.Empty();
    m_editPin.SetWindowText(m_strPin);
}

void CWpsPage::RedrawVisibleRows(CCellListCtrl& list)
{
    int top = list.GetTopIndex();
    list.RedrawItems(top, top + list.GetCountPerPage());
    list.Invalidate(FALSE);
}

void CWpsPage::FocusFirstRow(CCellListCtrl& list, int count)
{
    list.SetItemCount(count);
    if (count > 0) list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    RedrawVisibleRows(list);
}

// ---- Lists ----------------------------------------------------------------------

void CWpsPage::BuildWpsApList()
{
    m_apEntries.clear();
    m_apRecords.clear();
    if (m_pApBuffer) std::memset(m_pApBuffer, 0, BSSID_LIST_BUFFER_SIZE);
    if (g_pBssidList && m_pApBuffer) {
        BYTE* out = (BYTE*)m_pApBuffer;
        DWORD offset = FIELD_OFFSET(NDIS_802_11_BSSID_LIST_EX, Bssid);
        // The walk is bounded by the list's bytes and count; an entry whose
        // elements overrun it is skipped, one whose own length is damaged
        // ends it.  The kept entries are a part of the list, so they fit.
        for (const NDIS_WLAN_BSSID_EX* e : BssidListEntries(g_pBssidList, BSSID_LIST_BUFFER_SIZE, true)) {
            std::vector<CString> wps = SectionFields(e, BSS_IE_WPS);
            if (wps.size() < 9 || wps[8] == "FALSE") continue;
            WpsApEntry a;
            a.ssid = EntrySsid(e);
            a.bssid = FormatMacAddress(e->MacAddress);
            int channel = BssidEntryChannel(e);
            if (channel >= 0) a.channel.Format("%u", (unsigned)channel);
            if (wps[1] != "Unknown") a.id = wps[1];
            a.secured = e->Privacy != 0 || FormatBssIeInfo(e, BSS_IE_SECURITY) != "Unknown;None";
            a.signal = e->Rssi;
            std::memcpy(out + offset, e, e->Length);
            m_apRecords.push_back((const NDIS_WLAN_BSSID_EX*)(out + offset));
            m_apEntries.push_back(a);
            offset += e->Length;
        }
        m_pApBuffer->NumberOfItems = (ULONG)m_apEntries.size();
    }
    FocusFirstRow(m_listAp, (int)m_apEntries.size());
}

void CWpsPage::EmptyProfileList()
{
    m_profileRows.clear();
    m_listProfile.SetItemCount(0);
    RedrawVisibleRows(m_listProfile);
}

void CWpsPage::FillWpsProfileList()
{
    g_nWpsCredIndex = 0;
    g_nWpsCredNext = 0;
    m_profileRows.clear();
    for (DWORD i = 0; i < CredentialCount(); ++i) {
        const WpsCredential& c = g_WscCredentials.cred[i];
        WpsProfileRow row;
        row.ssid = CredentialSsid(c);
        row.mac = FormatMacAddress(c.MacAddress);
        row.secured = !(c.AuthType == WPS_AUTH_OPEN && c.EncrType == WPS_ENCR_NONE);
        m_profileRows.push_back(row);
    }
    FocusFirstRow(m_listProfile, (int)m_profileRows.size());
}

void CWpsPage::SetProfileRowState(int index, int state)
{
    for (WpsProfileRow& r : m_profileRows) r.state = -1;
    if (index >= 0 && (size_t)index < m_profileRows.size()) m_profileRows[index].state = state;
    RedrawVisibleRows(m_listProfile);
}

LRESULT CWpsPage::OnGetCellInfo(WPARAM wParam, LPARAM lParam)
{
    CListCellInfo* cell = (CListCellInfo*)lParam;
    if (!cell) return 0;
    cell->m_pImageList = &m_images;
    const int row = cell->GetRow();
    if ((HWND)wParam == m_listAp.m_hWnd) {
        if (row < 0 || (size_t)row >= m_apEntries.size()) return 0;
        const WpsApEntry& a = m_apEntries[row];
        switch (cell->GetColumn()) {
        case AP_COL_CONNECTED:
            if (a.connected == 1) cell->m_nImage = kImageConnected;
            break;
        case AP_COL_ID: cell->m_strText.Format("ID : %s", a.id.GetString()); break;
        case AP_COL_SSID: cell->m_strText.Format("%s", a.ssid.GetString()); break;
        case AP_COL_BSSID: cell->m_strText.Format("%s", a.bssid.GetString()); break;
        case AP_COL_CHANNEL: cell->m_strText.Format("%s", a.channel.GetString()); break;
        case AP_COL_SECURED:
            if (a.secured) cell->m_nImage = kImageSecured;
            break;
        default: break;
        }
    } else if ((HWND)wParam == m_listProfile.m_hWnd) {
        if (row < 0 || (size_t)row >= m_profileRows.size()) return 0;
        const WpsProfileRow& r = m_profileRows[row];
        switch (cell->GetColumn()) {
        case PROFILE_COL_STATE:
            if (r.state == 0) cell->m_nImage = kImageConnected;
            else if (r.state == 1) cell->m_nImage = kImageNotConnected;
            break;
        case PROFILE_COL_SSID: cell->m_strText.Format("%s", r.ssid.GetString()); break;
        case PROFILE_COL_BSSID: cell->m_strText.Format("%s", r.mac.GetString()); break;
        case PROFILE_COL_SECURED:
            if (r.secured) cell->m_nImage = kImageSecured;
            break;
        default: break;
        }
    }
    return 0;
}

void CWpsPage::OnListChanged(NMHDR*, LRESULT* result)
{
    *result = 0;
    UpdateButtons();
}

void CWpsPage::UpdateButtons()
{
    BOOL ap = m_listAp.GetFocusedItem() >= 0;
    BOOL profile = m_listProfile.GetFocusedItem() >= 0;
    m_btnInformation.EnableWindow(ap);
    m_btnPin.EnableWindow(ap);
    m_btnDetail.EnableWindow(profile);
    m_btnConnect.EnableWindow(profile);
    m_btnDelete.EnableWindow(profile);
    m_btnRotate.EnableWindow(CredentialCount() > 0);
}

// ---- Runs -----------------------------------------------------------------------

void CWpsPage::StopWpsTimers()
{
    m_btnRescan.EnableWindow(TRUE);
    m_btnPbc.EnableWindow(TRUE);
    BuildWpsApList();
    UpdateButtons();
    for (UINT_PTR id : { IDT_WPS_PAGE_SCAN_DONE, IDT_WPS_PAGE_STATUS, IDT_WPS_PAGE_SCAN_LIST, IDT_WPS_PAGE_CONNECT })
        KillTimer(id);
}

void CWpsPage::StopWpsSession(BOOL resetProgress)
{
    m_btnRescan.EnableWindow(TRUE);
    if (resetProgress) SetProgress(0);
    StopWpsTimers();
}

void CWpsPage::StartWpsStatusPolling()
{
    g_bWpsRotate = TRUE;
    m_nConnectTicks = 1;
    m_btnRescan.EnableWindow(FALSE);
    SetProgress(5);
    SetTimer(IDT_WPS_PAGE_STATUS, 1000);
    SetTimer(IDT_WPS_PAGE_SCAN_LIST, 20000);
}

// An enrollee's run starts with no credentials: what a run delivers replaces them.
void CWpsPage::ClearCredentials()
{
    EmptyProfileList();
    std::memset(&g_WscCredentials, 0, sizeof(g_WscCredentials));
    SaveWscProfiles();
    FillWpsProfileList();
}

void CWpsPage::SendStartRecord(WpsStartRecord& record)
{
    DWORD associate = m_bAssociateIe ? 1 : 0, probe = m_bProbeIe ? 1 : 0;
    SetOid(OID_VENDOR_WSC_START, &record, sizeof(record), nullptr, kTries);
    SetOid(OID_VENDOR_WSC_CREDENTIALS, &g_WscCredentials, sizeof(g_WscCredentials), nullptr, kTries);
    SetOid(OID_VENDOR_WSC_OPTION_A, &associate, sizeof(associate), nullptr, kTries);
    SetOid(OID_VENDOR_WSC_OPTION_B, &probe, sizeof(probe), nullptr, kTries);
    StartWpsStatusPolling();
}

void CWpsPage::OnPbc()
{
    UpdateData(TRUE);
    UseWpsCredential(TRUE);
    StopWpsTimers();
    StopAuthentication();
    SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, kTries);
    if (g_nWscConfigMode == 0) ClearCredentials();
    SetStatus(kStartPbc);
    WpsStartRecord record;
    std::memset(&record, 0, sizeof(record));
    UpdateButtons();
    m_btnPbc.EnableWindow(TRUE);
    record.method = WPS_METHOD_PBC;
    record.role = RoleByte();
    SendStartRecord(record);
}

void CWpsPage::OnPin()
{
    UpdateData(TRUE);
    if (!ValidatePinCode()) return;
    // The chosen access point is taken now: stopping the timers rebuilds the
    // list from the engine's latest scan, where row n may be another network.
    WpsStartRecord record;
    std::memset(&record, 0, sizeof(record));
    int row = m_listAp.GetFocusedItem();
    bool chosen = row >= 0 && (size_t)row < m_apRecords.size();
    CString ssid;
    if (chosen) {
        const NDIS_WLAN_BSSID_EX* e = m_apRecords[row];
        ssid = m_apEntries[row].ssid;
        record.ssid.SsidLength = std::min<ULONG>(e->Ssid.SsidLength, sizeof(record.ssid.Ssid));
        std::memcpy(record.ssid.Ssid, e->Ssid.Ssid, record.ssid.SsidLength);
        std::memcpy(record.bssid, e->MacAddress, sizeof(record.bssid));
        int channel = BssidEntryChannel(e);
        record.channel = channel > 0 && channel <= 255 ? (BYTE)channel : 0;
    }
    UseWpsCredential(TRUE);
    StopWpsTimers();
    StopAuthentication();
    SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, kTries);
    if (!chosen) return;
    if (g_nWscConfigMode == 0) ClearCredentials();
    record.method = WPS_METHOD_PIN;
    // Formatted apart: the record's eight digits carry no terminator.
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%08u", (unsigned)(g_dwWscPinCode % 100000000u));
    std::memcpy(record.pin, digits, sizeof(record.pin));
    record.role = RoleByte();
    CString status;
    status.Format(kStartPin, ssid.GetString());
    SetStatus(status);
    SendStartRecord(record);
}

void CWpsPage::StartPbcFromButton()
{
    UpdateData(TRUE);
    UseWpsCredential(TRUE);
    StopWpsTimers();
    StopAuthentication();
    ClearCredentials();
    SetStatus(kStartPbc);
    UpdateButtons();
    m_btnPbc.EnableWindow(TRUE);
    StartWpsStatusPolling();
}

BOOL CWpsPage::ValidatePinCode()
{
    const CString& text = m_strPin;
    if (text.GetLength() != 8) {
        m_editPin.SetFocus();
        m_strPinRefusal = kInvalidPin;
        m_editPin.m_infoWnd.ShowTip(&m_editPin, m_strPinRefusal);
        return FALSE;
    }
    bool digits = true;
    for (int i = 0; i < 8; ++i)
        if (text[i] < '0' || text[i] > '9') digits = false;
    DWORD value = digits ? (DWORD)std::strtoul(text, nullptr, 10) : 0;
    if (!digits || value % 10 != ComputeWpsPinChecksum(value / 10)) {
        ShowMessageDlg(kPinError);
        m_editPin.SetFocus();
        return FALSE;
    }
    g_dwWscPinCode = value;
    SaveWscProfiles();
    return TRUE;
}

void CWpsPage::MakeDefaultPin()
{
    QueryOid(OID_802_3_CURRENT_ADDRESS, m_mac, sizeof(m_mac), nullptr);
    m_dwOwnPin = WpsPinFromMac(m_mac);
}

void CWpsPage::MakeRegistrarCredential()
{
    BuildRegistrarCredential(m_mac, &g_WscCredentials);
}

// ---- Timers ---------------------------------------------------------------------

void CWpsPage::OnTimer(UINT_PTR id)
{
    switch (id) {
    case IDT_WPS_PAGE_SCAN_DONE:
        m_btnRescan.EnableWindow(TRUE);
        m_btnPbc.EnableWindow(TRUE);
        BuildWpsApList();
        UpdateButtons();
        KillTimer(IDT_WPS_PAGE_SCAN_DONE);
        break;
    case IDT_WPS_PAGE_STATUS: StatusStep(); break;
    case IDT_WPS_PAGE_SCAN_LIST:
        if (g_pBssidList) QueryOid(OID_802_11_BSSID_LIST, g_pBssidList, BSSID_LIST_BUFFER_SIZE, nullptr);
        BuildWpsApList();
        UpdateButtons();
        break;
    case IDT_WPS_PAGE_CONNECT: ConnectCheck(); break;
    case IDT_WPS_PAGE_BUTTON: ButtonStep(); break;
    default: return;
    }
    ColourProgress();
}

void CWpsPage::StatusStep()
{
    DWORD status = 0;
    if (!QueryOid(OID_VENDOR_WSC_STATUS, &status, sizeof(status), nullptr)) return;
    WpsStatusStep step = WpsStatusFor(status);
    switch (step.action) {
    case WPS_STEP_IDLE:
        SetStatus(step.text);
        KillTimer(IDT_WPS_PAGE_STATUS);
        break;
    case WPS_STEP_CONFIGURED:
        SetStatus(step.text);
        TakeConfiguredCredentials();
        break;
    case WPS_STEP_STOP:
        SetStatus(step.text);
        StopWpsSession(TRUE);
        break;
    case WPS_STEP_STOP_AND_DISCONNECT:
        // The failure stays in front of the disconnect's own text.
        StopWpsSession(TRUE);
        OnDisconnect();
        SetStatus(step.text);
        break;
    default:
        SetStatus(step.text);
        if (step.progress >= 0) SetProgress(step.progress);
        break;
    }
}

void CWpsPage::TakeConfiguredCredentials()
{
    BuildWpsApList();
    UpdateButtons();
    StopWpsSession(FALSE);
    SetProgress(95);
    // The driver's block is input: only whole, usable credentials are taken,
    // and a read that brings none leaves the stored ones as they were.
    WpsCredentialBlock delivered;
    std::memset(&delivered, 0, sizeof(delivered));
    DWORD returned = 0;
    if (QueryOid(OID_VENDOR_WSC_CREDENTIALS, &delivered, sizeof(delivered), &returned) &&
        KeepUsableWpsCredentials(&delivered, returned) > 0)
        g_WscCredentials = delivered;
    SaveWscProfiles();
    FillWpsProfileList();
    SetProfileRowState(g_nWpsCredIndex, 1);
    SaveWscFlag();
    if (CredentialCount() > 0) {
        m_nConnectTicks = 1;
        ConnectWpsCredential();
        SetTimer(IDT_WPS_PAGE_CONNECT, 2000);
    }
}

void CWpsPage::ConnectCheck()
{
    if (CredentialCount() == 0) {
        m_nConnectTicks = 1;
        KillTimer(IDT_WPS_PAGE_CONNECT);
        return;
    }
    if (IsConnectedToWpsCredential()) {
        SetProfileRowState(g_nWpsCredIndex, 0);
        CString ssid;
        if (g_nWpsCredIndex >= 0 && (DWORD)g_nWpsCredIndex < CredentialCount())
            ssid = CredentialSsid(g_WscCredentials.cred[g_nWpsCredIndex]);
        SetStatus(CString(kConnected) + ssid);
        m_btnRescan.EnableWindow(TRUE);
        SetProgress(100);
        g_bWpsRotate = FALSE;
    } else {
        SetProfileRowState(g_nWpsCredIndex, 1);
        SetStatus(kDisconnected);
        SetProgress(0);
        if (g_bWpsRotate && m_nConnectTicks % 5 == 0) ConnectWpsCredential();
    }
    ++m_nConnectTicks;
}

void CWpsPage::ButtonStep()
{
    DWORD pressed = 0;
    QueryOid(OID_VENDOR_WSC_BUTTON, &pressed, sizeof(pressed), nullptr);
    if (pressed) StartPbcFromButton();
}

// ---- Buttons --------------------------------------------------------------------

void CWpsPage::OnRescan()
{
    for (CSkinButton* b : { &m_btnRescan, &m_btnInformation, &m_btnPin, &m_btnPbc, &m_btnDetail, &m_btnConnect,
                            &m_btnRotate })
        b->EnableWindow(FALSE);
    ConnectIfRequested();
    StartRescanTimer();
}

void CWpsPage::OnInformation()
{
    int row = m_listAp.GetFocusedItem();
    if (row < 0) {
        ShowMessageDlg(StringFromTable(IDS_NO_SELECTED_ITEM));
        return;
    }
    if (!m_pApBuffer || m_pApBuffer->NumberOfItems == 0 || (size_t)row >= m_apRecords.size()) return;
    CNetworkInfoDlg* info =
        g_pPanelDoor ? static_cast<CNetworkInfoDlg*>(g_pPanelDoor->OpenedPanel(PANEL_NETWORK_INFO)) : nullptr;
    if (info) info->ShowNetwork(m_apRecords[row], NETINFO_TAB_WPS);
}

void CWpsPage::OnProfileDetail()
{
    int row = m_listProfile.GetFocusedItem();
    if (row < 0) return;
    DWORD index = g_nWscConfigMode != 0 ? 0 : (DWORD)row;
    if (index >= CredentialCount()) return;
    CWpsProfileDetailDlg* panel =
        g_pPanelDoor ? (CWpsProfileDetailDlg*)g_pPanelDoor->OpenedPanel(PANEL_WPS_PROFILE_DETAIL) : nullptr;
    if (!panel || !panel->IsWindow()) return;
    panel->LoadCredential(g_WscCredentials.cred[index], this);
    // Shown afresh even when it is in front: its controls take the new load.
    if (panel->IsWindowVisible()) panel->ShowWindow(SW_HIDE);
    g_pPanelDoor->ShowPanel(PANEL_WPS_PROFILE_DETAIL);
}

void CWpsPage::OnConnect()
{
    g_bWpsRotate = FALSE;
    m_nConnectTicks = 1;
    StopWpsTimers();
    int row = m_listProfile.GetFocusedItem();
    if (row < 0) return;
    g_nWpsCredIndex = row;
    UseWpsCredential(TRUE);
    SetProfileRowState(row, 1);
    SaveWscFlag();
    if (CredentialCount() > 0) {
        ConnectWpsCredential();
        SetTimer(IDT_WPS_PAGE_CONNECT, 2000);
    }
}

void CWpsPage::OnRotate()
{
    g_bWpsRotate = TRUE;
    m_nConnectTicks = 1;
    UseWpsCredential(TRUE);
    SetProfileRowState(g_nWpsCredIndex, 1);
    SaveWscFlag();
    if (CredentialCount() > 0) {
        ConnectWpsCredential();
        SetTimer(IDT_WPS_PAGE_CONNECT, 2000);
    }
}

void CWpsPage::OnDisconnect()
{
    StopWpsSession(TRUE);
    g_bWpsRotate = FALSE;
    UseWpsCredential(FALSE);
    SaveWscFlag();
    StopAuthentication();
    SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, kTries);
    SetStatus(kDisconnected);
    SetProfileRowState(-1, -1);
    SetOidFromReg(FALSE);
}

void CWpsPage::OnDelete()
{
    int row = m_listProfile.GetFocusedItem();
    DWORD count = CredentialCount();
    if (row < 0 || (DWORD)row >= count) return;
    int inUse = g_nWpsCredIndex;
    for (DWORD i = (DWORD)row; i + 1 < count; ++i) g_WscCredentials.cred[i] = g_WscCredentials.cred[i + 1];
    std::memset(&g_WscCredentials.cred[count - 1], 0, sizeof(WpsCredential));
    g_WscCredentials.count = count - 1;
    SaveWscProfiles();
    FillWpsProfileList();
    if (!g_bWpsRotate && g_bWscInUse && row == inUse) OnDisconnect();
    UpdateButtons();
}

void CWpsPage::OnConfigModeChanged()
{
    int choice = m_comboMode.GetCurSel();
    if (choice < 0 || choice == (g_nWscConfigMode != 0 ? 1 : 0)) return;
    OnDisconnect();
    g_nWpsCredIndex = 0;
    g_nWpsCredNext = 0;
    g_nWscConfigMode = choice;
    EmptyProfileList();
    std::memset(&g_WscCredentials, 0, sizeof(g_WscCredentials));
    if (choice == 0) g_dwWscPinCode = m_dwOwnPin;
    else MakeRegistrarCredential();
    SaveWscProfiles();
    FillWpsProfileList();
    SetPinEditable();
    if (choice == 0) ShowPinCode();
    UpdateButtons();
}
