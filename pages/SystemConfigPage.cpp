#include "pages/SystemConfigPage.h"

#include <cstdlib>
#include <cstring>

#include "core/ChannelTable.h"
#include "core/ConnectEngine.h"
#include "core/ProfileStore.h"
#include "core/RegistryStore.h"
#include "pagebase/PanelDoor.h"
#include "pages/AuthSecurityPage.h"
#include "pages/ProfilePage.h"
#include "pages/SurveyList.h"
#include "pages/PageControls.h"
#include "widgets/MessageBoxDlg.h"
#include "resource.h"

namespace {

// Layout of the tab (pixels of its client area).
const int kLabelLeft = 10, kLabelWidth = 130;
const int kFieldLeft = 145, kFieldWidth = 200;
const int kRightLabelLeft = 390, kRightLabelWidth = 110;
const int kRightFieldLeft = 505, kRightFieldWidth = 230;
const int kRowTop[4] = { 10, 44, 78, 112 };
const int kRowHeight = 24;
const int kRtsTop = 150, kFragTop = 186;

const int kRtsMax = 2347;
const int kFragMin = 256, kFragMax = 2346;

const char* const kTxPowerNames[7] = { "Auto", "100%", "75 %", "50 %", "25 %", "10 %", "Lowest" };
const UINT kTxPowerCommands[7] = { ID_TX_POWER_AUTO, ID_TX_POWER_100, ID_TX_POWER_75, ID_TX_POWER_50,
                                   ID_TX_POWER_25, ID_TX_POWER_10, ID_TX_POWER_LOWEST };

// Channels that the list never offers.
bool NeverOffered(int channel)
{
    return channel == 34 || channel == 38 || channel == 42 || channel == 46;
}

}  // namespace

BEGIN_MESSAGE_MAP(CSystemConfigPage, CChildPage)
    ON_COMMAND(ID_NETWORK_INFRASTRUCTURE, OnInfrastructure)
    ON_COMMAND(ID_NETWORK_ADHOC, OnAdhoc)
    ON_COMMAND_RANGE(ID_TX_POWER_AUTO, ID_TX_POWER_LOWEST, OnTxPower)
    ON_COMMAND_RANGE(ID_TX_POWER_100, ID_TX_POWER_100, OnTxPower)
    ON_COMMAND_RANGE(ID_PREAMBLE_AUTO, ID_PREAMBLE_LONG, OnPreamble)
    ON_BN_CLICKED(IDC_SYS_USE_RTS, OnUseRts)
    ON_BN_CLICKED(IDC_SYS_USE_FRAG, OnUseFrag)
    ON_BN_CLICKED(IDC_SYS_CAM, OnPowerSave)
    ON_BN_CLICKED(IDC_SYS_PSM, OnPowerSave)
    ON_EN_CHANGE(IDC_SYS_RTS_EDIT, OnRtsEditChange)
    ON_EN_CHANGE(IDC_SYS_FRAG_EDIT, OnFragEditChange)
    ON_WM_HSCROLL()
END_MESSAGE_MAP()

CSystemConfigPage::CSystemConfigPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_SYSTEM_CONFIG, pMainDlg) {}

void CSystemConfigPage::ResetMembers()
{
    m_nAdhocMode = 1;
    m_strProfileName.Empty();
    m_strSsid.Empty();
    m_strChannel.Empty();
    m_nNetworkType = 0;
    m_nPreamble = 0;
    m_nAcPowerCam = 0;
    m_nPowerSave = 0;
    m_nTxPower = 0;
    m_bUseRts = FALSE;
    m_nRtsThreshold = kRtsMax;
    m_bUseFrag = FALSE;
    m_nFragThreshold = kFragMax;
    m_nRtsEdit = kRtsMax;
    m_nFragEdit = kFragMax;
}

BOOL CSystemConfigPage::OnInitDialog()
{
    m_editName.SubclassDlgItem(IDC_SYS_PROFILE_NAME, this);
    m_comboSsid.SubclassDlgItem(IDC_SYS_SSID, this);
    m_comboChannel.SubclassDlgItem(IDC_SYS_CHANNEL, this);
    m_btnNetworkType.SubclassDlgItem(IDC_SYS_NETWORK_TYPE, this);
    m_btnTxPower.SubclassDlgItem(IDC_SYS_TX_POWER, this);
    m_btnPreamble.SubclassDlgItem(IDC_SYS_PREAMBLE, this);
    m_radioCam.SubclassDlgItem(IDC_SYS_CAM, this);
    m_radioPsm.SubclassDlgItem(IDC_SYS_PSM, this);
    m_checkRts.SubclassDlgItem(IDC_SYS_USE_RTS, this);
    m_checkFrag.SubclassDlgItem(IDC_SYS_USE_FRAG, this);
    m_sliderRts.SubclassDlgItem(IDC_SYS_RTS_SLIDER, this);
    m_sliderFrag.SubclassDlgItem(IDC_SYS_FRAG_SLIDER, this);
    m_editRts.SubclassDlgItem(IDC_SYS_RTS_EDIT, this);
    m_editFrag.SubclassDlgItem(IDC_SYS_FRAG_EDIT, this);

    PlaceControls();

    m_editName.SendMessage(EM_LIMITTEXT, kProfileNameMax);
    m_comboSsid.LimitText(32);
    m_comboSsid.SetColumnCount(2);
    m_comboSsid.SetColumnWidth(1, 110);
    CRect box;
    m_comboSsid.GetWindowRect(&box);
    m_comboSsid.SendMessage(CB_SETDROPPEDWIDTH, box.Width() + 110);
    m_comboChannel.SetColumnCount(1);

    m_editRts.SetRange(0, kRtsMax, 32, 256);
    m_editRts.AttachSlider(this, IDC_SYS_RTS_SLIDER);
    m_editFrag.SetRange(kFragMin, kFragMax, 32, 256);
    m_editFrag.AttachSlider(this, IDC_SYS_FRAG_SLIDER);
    m_editRts.SendMessage(EM_LIMITTEXT, 4);
    m_editFrag.SendMessage(EM_LIMITTEXT, 4);
    m_sliderRts.SetPos(kRtsMax);
    m_sliderFrag.SetPos(kFragMax);

    StyleMenuButton(m_btnNetworkType, IDR_MENU_NETWORK_TYPE, m_hWnd);
    StyleMenuButton(m_btnTxPower, IDR_MENU_TX_POWER, m_hWnd);
    StyleMenuButton(m_btnPreamble, IDR_MENU_PREAMBLE, m_hWnd);
    StyleCheck(m_radioCam, TRUE);
    StyleCheck(m_radioPsm, TRUE);
    StyleCheck(m_checkRts, FALSE);
    StyleCheck(m_checkFrag, FALSE);

    CChildPage::OnInitDialog();
    EnableThresholdRow(TRUE, m_bUseRts);
    EnableThresholdRow(FALSE, m_bUseFrag);
    return TRUE;
}

void CSystemConfigPage::PlaceControls()
{
    struct { UINT label, labelText; int labelLeft, labelWidth; } const labels[] = {
        { IDC_SYS_LABEL_PROFILE_NAME, IDS_LABEL_PROFILE_NAME, kLabelLeft, kLabelWidth },
        { IDC_SYS_LABEL_NETWORK_TYPE, IDS_LABEL_NETWORK_TYPE, kLabelLeft, kLabelWidth },
        { IDC_SYS_LABEL_POWER_SAVE, IDS_LABEL_POWER_SAVE, kLabelLeft, kLabelWidth },
        { IDC_SYS_LABEL_TX_POWER, IDS_LABEL_TX_POWER, kLabelLeft, kLabelWidth },
    };
    for (int i = 0; i < 4; ++i)
        PlaceControl(GetDlgItem(labels[i].label), labels[i].labelLeft, kRowTop[i] + 3, labels[i].labelWidth, 18,
                     labels[i].labelText);
    PlaceControl(&m_editName, kFieldLeft, kRowTop[0], kFieldWidth, 22, 0);
    PlaceControl(&m_btnNetworkType, kFieldLeft, kRowTop[1], 150, kRowHeight, 0);
    // The option and check pictures are 32 pixels square.
    PlaceControl(&m_radioCam, kFieldLeft - 6, kRowTop[2] - 4, 32, 32, 0);
    PlaceControl(GetDlgItem(IDC_SYS_LABEL_CAM), kFieldLeft + 28, kRowTop[2] + 3, 50, 18, 0);
    PlaceControl(&m_radioPsm, kFieldLeft + 84, kRowTop[2] - 4, 32, 32, 0);
    PlaceControl(GetDlgItem(IDC_SYS_LABEL_PSM), kFieldLeft + 118, kRowTop[2] + 3, 50, 18, 0);
    PlaceControl(&m_btnTxPower, kFieldLeft, kRowTop[3], 150, kRowHeight, 0);

    PlaceControl(GetDlgItem(IDC_SYS_LABEL_SSID), kRightLabelLeft, kRowTop[0] + 3, kRightLabelWidth, 18,
                 IDS_LABEL_SSID);
    PlaceControl(&m_comboSsid, kRightFieldLeft, kRowTop[0], kRightFieldWidth, 200, 0);
    PlaceControl(GetDlgItem(IDC_SYS_LABEL_CHANNEL), kRightLabelLeft, kRowTop[1] + 3, kRightLabelWidth, 18,
                 IDS_LABEL_CHANNEL);
    PlaceControl(&m_comboChannel, kRightFieldLeft, kRowTop[1], 100, 200, 0);
    PlaceControl(GetDlgItem(IDC_SYS_LABEL_PREAMBLE), kRightLabelLeft, kRowTop[2] + 3, kRightLabelWidth, 18, 0);
    PlaceControl(&m_btnPreamble, kRightFieldLeft, kRowTop[2], 150, kRowHeight, 0);

    // The threshold rows: check box with its caption, the low end, the
    // slider, the high end and the edit.
    struct { COwnerDrawButton* check; UINT text; UINT low; CBuddySlider* slider; UINT high; CFilterEdit* edit; int top; }
    const rows[2] = {
        { &m_checkRts, IDS_SYS_RTS_THRESHOLD, IDC_SYS_RTS_MIN, &m_sliderRts, IDC_SYS_RTS_MAX, &m_editRts, kRtsTop },
        { &m_checkFrag, IDS_SYS_FRAG_THRESHOLD, IDC_SYS_FRAG_MIN, &m_sliderFrag, IDC_SYS_FRAG_MAX, &m_editFrag,
          kFragTop },
    };
    for (const auto& r : rows) {
        PlaceControl(r.check, kLabelLeft - 6, r.top - 5, 176, 32, r.text);
        PlaceControl(GetDlgItem(r.low), 185, r.top + 3, 34, 18, 0);
        PlaceControl(r.slider, 220, r.top, 380, 26, 0);
        PlaceControl(GetDlgItem(r.high), 604, r.top + 3, 40, 18, 0);
        PlaceControl(r.edit, 650, r.top, 60, 22, 0);
    }
}

// ---- Data exchange ----------------------------------------------------------------

int CSystemConfigPage::EditNumber(UINT id, int fallback) const
{
    char text[16] = {};
    ::GetDlgItemTextA(m_hWnd, id, text, sizeof(text));
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text) return fallback;
    return v < -99999 ? -99999 : (v > 99999 ? 99999 : (int)v);
}

void CSystemConfigPage::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_SYS_PROFILE_NAME, m_strProfileName);
    if (pDX->m_bSaveAndValidate) {
        m_comboSsid.GetWindowText(m_strSsid);
        int sel = m_comboChannel.GetCurSel();
        if (sel >= 0) m_comboChannel.GetLBText(sel, m_strChannel);
        else m_strChannel.Empty();
        m_nRtsEdit = EditNumber(IDC_SYS_RTS_EDIT, m_nRtsEdit);
        m_nFragEdit = EditNumber(IDC_SYS_FRAG_EDIT, m_nFragEdit);
        m_nRtsThreshold = m_sliderRts.GetPos();
        m_nFragThreshold = m_sliderFrag.GetPos();
    } else {
        int item = m_comboSsid.FindStringExact(-1, m_strSsid);
        if (item >= 0 && m_comboSsid.GetItemText(item, 0) == m_strSsid) m_comboSsid.SetCurSel(item);
        else m_comboSsid.SetCurSel(-1);
        m_comboSsid.SetWindowText(m_strSsid);
        int want = ChannelTextToNumber(m_strChannel);
        int pick = m_comboChannel.GetCount() > 0 ? 0 : -1;
        for (int i = 0; i < m_comboChannel.GetCount(); ++i) {
            CString t;
            m_comboChannel.GetLBText(i, t);
            if (std::atoi(t) == want) {
                pick = i;
                break;
            }
        }
        m_comboChannel.SetCurSel(pick);
        // Writing the edits must not read the page back half pushed.
        BOOL wasInChange = m_bInEditChange;
        m_bInEditChange = TRUE;
        CString t;
        t.Format("%d", m_nRtsEdit);
        m_editRts.SetWindowText(t);
        t.Format("%d", m_nFragEdit);
        m_editFrag.SetWindowText(t);
        m_bInEditChange = wasInChange;
        m_sliderRts.SetPos(m_nRtsThreshold);
        m_sliderFrag.SetPos(m_nFragThreshold);
    }
    DDX_Radio(pDX, IDC_SYS_CAM, m_nPowerSave);
    if (m_nPowerSave < 0) m_nPowerSave = 0;
    int rts = m_bUseRts, frag = m_bUseFrag;
    DDX_Check(pDX, IDC_SYS_USE_RTS, rts);
    DDX_Check(pDX, IDC_SYS_USE_FRAG, frag);
    m_bUseRts = rts ? TRUE : FALSE;
    m_bUseFrag = frag ? TRUE : FALSE;
    if (!pDX->m_bSaveAndValidate) {
        EnableThresholdRow(TRUE, m_bUseRts);
        EnableThresholdRow(FALSE, m_bUseFrag);
    }
}

// ---- Loaders ------------------------------------------------------------------------

void CSystemConfigPage::LoadDefaults()
{
    ResetMembers();
    UpdateData(FALSE);
    if (g_pPanelDoor) m_strProfileName = g_pPanelDoor->NewProfileName();
    FillSsidList();
    OnInfrastructure();
    OnTxPower(ID_TX_POWER_AUTO);
    OnPreamble(ID_PREAMBLE_AUTO);
    QueryAdhocMode(&m_nAdhocMode);
    FillChannelCombo();
    UpdateData(FALSE);
}

void CSystemConfigPage::LoadFromSurveyEntry(const NDIS_WLAN_BSSID_EX* bss)
{
    LoadDefaults();
    if (!bss) return;
    m_strSsid = EntrySsid(bss);
    if (bss->InfrastructureMode == Ndis802_11Infrastructure) OnInfrastructure();
    else OnAdhoc();
    FillChannelCombo();
    int channel = FrequencyToChannel(bss->Configuration.DSConfig);
    if (channel > 0) m_strChannel.Format("%u", (unsigned)channel);
    else m_strChannel.Empty();
    UpdateData(FALSE);
}

void CSystemConfigPage::LoadFromProfile()
{
    CString ssid = m_strSsid;
    FillSsidList();
    m_strSsid = ssid;
    if (m_nNetworkType == 0) OnAdhoc();
    else OnInfrastructure();
    if (m_nTxPower >= 0 && m_nTxPower <= 6) OnTxPower(kTxPowerCommands[m_nTxPower]);
    OnPreamble(m_nPreamble == 0 ? ID_PREAMBLE_AUTO : ID_PREAMBLE_LONG);
    QueryAdhocMode(&m_nAdhocMode);
    FillChannelCombo();
    UpdateData(FALSE);
}

void CSystemConfigPage::FillSsidList()
{
    m_comboSsid.ResetContent();
    if (!g_pBssidListCache) return;
    // A copy: the engine rewrites its list while the editor is open.
    std::vector<BYTE> copy(BSSID_LIST_BUFFER_SIZE);
    std::memcpy(copy.data(), g_pBssidListCache, BSSID_LIST_BUFFER_SIZE);
    const BssidListBuffer* list = reinterpret_cast<const BssidListBuffer*>(copy.data());
    for (const NDIS_WLAN_BSSID_EX* e : BssidListEntries(list, BSSID_LIST_BUFFER_SIZE)) {
        int item = m_comboSsid.AddString(EntrySsid(e));
        if (item < 0) continue;
        CString bssid;
        bssid.Format("%02X%02X%02X%02X%02X%02X", e->MacAddress[0], e->MacAddress[1], e->MacAddress[2],
                     e->MacAddress[3], e->MacAddress[4], e->MacAddress[5]);
        m_comboSsid.SetItemText(item, 1, bssid);
    }
}

void CSystemConfigPage::FillChannelCombo()
{
    BYTE channels[kMaxChannelListSize] = {};
    int count = 0;
    BuildChannelList(m_nNetworkType, g_nWirelessMode, m_nAdhocMode, channels, &count);
    if (count < 0) count = 0;
    if (count > kMaxChannelListSize) count = kMaxChannelListSize;
    m_comboChannel.ResetContent();
    int want = ChannelTextToNumber(m_strChannel);
    int pick = -1;
    for (int i = 0; i < count; ++i) {
        if (NeverOffered(channels[i])) continue;
        CString text;
        text.Format("%d", channels[i]);
        int item = m_comboChannel.AddString(text);
        if (item >= 0 && channels[i] == want && pick < 0) pick = item;
    }
    if (pick < 0 && m_comboChannel.GetCount() > 0) pick = 0;
    m_comboChannel.SetCurSel(pick);
}

// ---- Menu commands ------------------------------------------------------------------

void CSystemConfigPage::SetButtonText(COwnerDrawButton& button, const char* text)
{
    if (!button.IsWindow()) return;
    button.SetWindowText(text);
    button.Invalidate();
}

void CSystemConfigPage::ShowItem(UINT id, BOOL show)
{
    if (CWnd* w = GetDlgItem(id)) w->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CSystemConfigPage::EnableItem(UINT id, BOOL enable)
{
    if (CWnd* w = GetDlgItem(id)) w->EnableWindow(enable);
}

void CSystemConfigPage::OnInfrastructure()
{
    m_nNetworkType = 1;
    SetButtonText(m_btnNetworkType, "Infrastructure");
    ShowItem(IDC_SYS_LABEL_CHANNEL, FALSE);
    ShowItem(IDC_SYS_CHANNEL, FALSE);
    for (UINT id : { IDC_SYS_LABEL_POWER_SAVE, IDC_SYS_CAM, IDC_SYS_PSM, IDC_SYS_LABEL_CAM, IDC_SYS_LABEL_PSM })
        EnableItem(id, TRUE);
    OnPreamble(ID_PREAMBLE_AUTO);
    EnableItem(IDC_SYS_LABEL_PREAMBLE, FALSE);
    EnableItem(IDC_SYS_PREAMBLE, FALSE);
}

void CSystemConfigPage::OnAdhoc()
{
    m_nNetworkType = 0;
    SetButtonText(m_btnNetworkType, "Adhoc");
    ShowItem(IDC_SYS_LABEL_CHANNEL, TRUE);
    ShowItem(IDC_SYS_CHANNEL, TRUE);
    for (UINT id : { IDC_SYS_LABEL_POWER_SAVE, IDC_SYS_CAM, IDC_SYS_PSM, IDC_SYS_LABEL_CAM, IDC_SYS_LABEL_PSM })
        EnableItem(id, FALSE);
    EnableItem(IDC_SYS_LABEL_PREAMBLE, TRUE);
    EnableItem(IDC_SYS_PREAMBLE, TRUE);
    if (m_pSecurityPage) m_pSecurityPage->TurnOff8021x();
    if (m_pDot1xTabButton && m_pDot1xTabButton->IsWindow()) m_pDot1xTabButton->EnableWindow(FALSE);
    FillChannelCombo();
}

void CSystemConfigPage::OnTxPower(UINT id)
{
    for (int i = 0; i < 7; ++i) {
        if (kTxPowerCommands[i] != id) continue;
        m_nTxPower = i;
        SetButtonText(m_btnTxPower, kTxPowerNames[i]);
    }
}

void CSystemConfigPage::OnPreamble(UINT id)
{
    m_nPreamble = id == ID_PREAMBLE_LONG ? 1 : 0;
    SetButtonText(m_btnPreamble, m_nPreamble ? "Long" : "Auto");
}

// ---- Power save and thresholds ---------------------------------------------------------

void CSystemConfigPage::OnPowerSave()
{
    UpdateData(TRUE);
    if (m_pOwnTabButton && m_pOwnTabButton->IsWindow()) m_pOwnTabButton->SendMessage(BM_CLICK);
}

void CSystemConfigPage::EnableThresholdRow(BOOL rts, BOOL enable)
{
    const UINT rtsIds[4] = { IDC_SYS_RTS_EDIT, IDC_SYS_RTS_SLIDER, IDC_SYS_RTS_MIN, IDC_SYS_RTS_MAX };
    const UINT fragIds[4] = { IDC_SYS_FRAG_EDIT, IDC_SYS_FRAG_SLIDER, IDC_SYS_FRAG_MIN, IDC_SYS_FRAG_MAX };
    for (UINT id : rts ? rtsIds : fragIds) EnableItem(id, enable);
}

void CSystemConfigPage::OnUseRts()
{
    UpdateData(TRUE);
    EnableThresholdRow(TRUE, m_bUseRts);
    if (!m_bUseRts) {
        m_nRtsEdit = m_nRtsThreshold = kRtsMax;
        UpdateData(FALSE);
    }
}

void CSystemConfigPage::OnUseFrag()
{
    UpdateData(TRUE);
    EnableThresholdRow(FALSE, m_bUseFrag);
    if (!m_bUseFrag) {
        m_nFragEdit = m_nFragThreshold = kFragMax;
        UpdateData(FALSE);
    }
}

void CSystemConfigPage::OnRtsEditChange()
{
    // Pushing the clamped value changes the edit again.
    if (m_bInEditChange || !m_editRts.IsWindow()) return;
    m_bInEditChange = TRUE;
    UpdateData(TRUE);
    if (m_nRtsEdit > kRtsMax) m_nRtsEdit = kRtsMax;
    if (m_nRtsEdit < 0) m_nRtsEdit = 0;
    m_nRtsThreshold = m_nRtsEdit;
    m_sliderRts.SetPos(m_nRtsThreshold);
    CString now;
    m_editRts.GetWindowText(now);
    CString want;
    want.Format("%d", m_nRtsEdit);
    if (!now.IsEmpty() && now != want) {
        m_editRts.SetWindowText(want);
        m_editRts.SendMessage(EM_SETSEL, want.GetLength(), want.GetLength());
    }
    m_bInEditChange = FALSE;
}

void CSystemConfigPage::OnFragEditChange()
{
    if (m_bInEditChange || !m_editFrag.IsWindow()) return;
    m_bInEditChange = TRUE;
    UpdateData(TRUE);
    if (m_nFragEdit > kFragMax) {
        m_nFragEdit = m_nFragThreshold = kFragMax;
        CString want;
        want.Format("%d", kFragMax);
        m_editFrag.SetWindowText(want);
        m_editFrag.SendMessage(EM_SETSEL, want.GetLength(), want.GetLength());
    } else if (m_nFragEdit < kFragMin) {
        // The edit keeps what is typed (more digits may follow).
        m_nFragThreshold = kFragMin;
    } else {
        m_nFragThreshold = m_nFragEdit;
    }
    m_sliderFrag.SetPos(m_nFragThreshold);
    m_bInEditChange = FALSE;
}

void CSystemConfigPage::OnHScroll(UINT, UINT, CScrollBar*)
{
    // The slider has written its position into its edit by now.
    m_nRtsThreshold = m_sliderRts.GetPos();
    m_nFragThreshold = m_sliderFrag.GetPos();
}
