#include "pages/AdvancedPage.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "classlib/Handles.h"
#include "core/AdapterDiscovery.h"
#include "core/ApplyConfig.h"
#include "core/ChannelTable.h"
#include "core/ConnectEngine.h"
#include "core/EngineDoor.h"
#include "core/LinkState.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "core/RegistryStore.h"
#include "core/StationConfig.h"
#include "pagebase/PanelDoor.h"
#include "pages/ProfileEditDlg.h"
#include "pages/SiteSurveyPage.h"
#include "pages/SystemConfigPage.h"
#include "pages/WmmPage.h"
#include "widgets/MessageBoxDlg.h"

const char kTcpParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

int CAdvancedPage::s_nLastModeSel = -1;
int CAdvancedPage::s_nLastBgRegionSel = -1;
int CAdvancedPage::s_nLastARegionSel = -1;
BOOL CAdvancedPage::s_bHtPhyKnown = FALSE;
BYTE CAdvancedPage::s_htPhyKnown[12] = {};

namespace {

const int kTries = 3;
const char kTraceFile[] = "C:\\test_Kestiq.txt";
const DWORD kMcsAuto = 33;
const int kRowHeight = 26;   // rows of check boxes and option buttons

// The operating system's TCP tuning that the "Enable TCP Window Size" box stands for.
const struct {
    const char* name;
    DWORD value;
} kTcpValues[4] = { { "TCPWindowSize", 0x10000 }, { "SackOpts", 1 }, { "TcpMaxDupAcks", 2 }, { "Tcp1323Opts", 1 } };

const char* const kProtectionWords[3] = { "AUTO", "ON", "OFF" };

const char* const kCckRates[] = { "1 Mbps", "2 Mbps", "5.5 Mbps", "11 Mbps" };
const char* const kOfdmRates[] = { "6 Mbps", "9 Mbps", "12 Mbps", "18 Mbps", "24 Mbps", "36 Mbps", "48 Mbps", "54 Mbps" };

// The 2.4 GHz region lists: models 0 and 1 name the authorities, models 4 to
// 8 only the channels.  Models 2 and 3 offer none.
const char* const kBgRegionsNamed[] = { "0: FCC, CH1-11", "1: IC (Canada), CH1-11", "2: ETSI, CH1-13",
                                        "3: SPAIN, CH10-11", "4: FRANCE, CH10-13", "5: MKK, CH14",
                                        "6: MKK1(TELEC), CH1-14", "7: ISRAEL, CH3-9" };
const char* const kBgRegions[] = { "0: CH1-11", "1: CH1-13", "2: CH10-11", "3: CH10-13",
                                   "4: CH14",   "5: CH1-14", "6: CH3-9",   "7: CH5-13" };
// The 5 GHz region list of models 6 to 8.
const char* const kARegions[] = {
    "0: CH 36,40,44,48,52,56,60,64,149,153,157,161,165",
    "1: CH 36,40,44,48,52,56,60,64,100,104,108,112,116,120,124,128,132,136,140",
    "2: CH 36,40,44,48,52,56,60,64",
    "3: CH 52,56,60,64,149,153,157,161",
    "4: CH 149,153,157,161,165",
    "5: CH 149,153,157,161",
    "6: CH 36,40,44,48",
    "7: CH 36,40,44,48,52,56,60,64,100,104,108,112,116,120,124,128,132,136,140,149,153,157,161,165",
    "8: CH 52, 56, 60, 64",
};

const UINT kCheckIds[9] = { IDC_ADV_TX_BURST, IDC_ADV_TCP_WINDOW, IDC_ADV_FAST_ROAMING, IDC_ADV_SHOW_AUTH_STATUS,
                            IDC_ADV_CCX2,     IDC_ADV_LEAP_CCKM,  IDC_ADV_RADIO_MEASURE, IDC_ADV_LIMIT_ON,
                            IDC_ADV_QOS };
const UINT kRadioIds[11] = { IDC_ADV_HT_MM,     IDC_ADV_HT_GF,       IDC_ADV_BW_20,       IDC_ADV_BW_AUTO,
                             IDC_ADV_GI_LONG,   IDC_ADV_GI_AUTO,     IDC_ADV_STBC_NONE,   IDC_ADV_STBC_AUTO,
                             IDC_ADV_EXTCHA_NONE, IDC_ADV_EXTCHA_ABOVE, IDC_ADV_EXTCHA_BELOW };

// The five rows of HT radios: label, first radio, radios in the row.
const struct {
    UINT label, first;
    int count;
} kHtRows[5] = { { IDC_ADV_LABEL_HT_MODE, 0, 2 }, { IDC_ADV_LABEL_BW, 2, 2 }, { IDC_ADV_LABEL_GI, 4, 2 },
                 { IDC_ADV_LABEL_STBC, 6, 2 },    { IDC_ADV_LABEL_EXTCHA, 8, 3 } };
// Everything the HT group shows besides the radios.
const UINT kHtOtherIds[] = { IDC_ADV_HT_HEADING, IDC_ADV_LABEL_HT_MODE, IDC_ADV_LABEL_BW, IDC_ADV_LABEL_GI,
                             IDC_ADV_LABEL_STBC, IDC_ADV_LABEL_EXTCHA, IDC_ADV_LABEL_MCS, IDC_ADV_MCS,
                             IDC_ADV_TX_RATE_TEXT };

bool IsNMode(int mode) { return mode == 5 || mode == 6 || mode == 9; }

// 40 MHz by the EEPROM's word 0x36: bit 8 rules modes 7 and 9, bit 9 mode 8.
bool FortyMHzAllowed(int mode)
{
    if (mode == 7 || mode == 9) return g_bEepromWord36Bit8Clear != FALSE;
    if (mode == 8) return g_bEepromWord36Bit9Clear != FALSE;
    return true;
}

// The channel range a 2.4 GHz region text names after "CH": "CH1-11" is 1
// to 11, "CH14" the one channel 14.  A text without "CH" (or without a
// number after it) names no range, as an empty combo does.
void RegionChannels(const CString& text, int* first, int* last)
{
    *first = *last = 0;
    int at = text.Find("CH");
    if (at < 0) return;
    const char* p = text.GetString() + at + 2;
    char* end = nullptr;
    long a = std::strtol(p, &end, 10);
    if (end == p || a < 0 || a > 255) return;
    long b = a;
    if (*end == '-') {
        const char* q = end + 1;
        char* end2 = nullptr;
        long v = std::strtol(q, &end2, 10);
        if (end2 != q && v >= 0 && v <= 255) b = v;
    }
    *first = (int)a;
    *last = (int)b;
}

DWORD PackHtWord(int mode, int mcs, int bandwidth, int gi, int stbc, int htMode, int ext)
{
    return ((DWORD)mode & 0xF) | (((DWORD)mcs & 0x7F) << 4) | (((DWORD)bandwidth & 1) << 11) |
           (((DWORD)gi & 1) << 12) | (((DWORD)stbc & 1) << 13) | (2u << 14) | (((DWORD)htMode & 1) << 16) |
           (((DWORD)ext & 3) << 17);
}

int Bit(DWORD word, int bit) { return (int)((word >> bit) & 1); }

// An extension channel the radios cannot show counts as none.
int ExtChannel(DWORD value) { return value <= 2 ? (int)value : 0; }

REGSAM TcpKeyAccess() { return KEY_ALL_ACCESS | (g_bIsWow64 ? KEY_WOW64_64KEY : 0); }

void SetDwordOid(DWORD oid, DWORD value)
{
    SetOid(oid, &value, sizeof(value), nullptr, kTries);
}

void KeepHtRecord(const BYTE ht[12])
{
    std::memcpy(CAdvancedPage::s_htPhyKnown, ht, sizeof(CAdvancedPage::s_htPhyKnown));
    CAdvancedPage::s_bHtPhyKnown = TRUE;
}

DWORD StoredCcxWord()
{
    DWORD word = 0;
    ReadCcx2Control(&word);
    return word;
}

// The trace file takes a line while bCheckBuild is set.
void Trace(const char* fmt, ...)
{
    if (!ReadCheckBuild()) return;
    FILE* f = std::fopen(kTraceFile, "a+");
    if (!f) return;
    va_list args;
    va_start(args, fmt);
    std::vfprintf(f, fmt, args);
    va_end(args);
    std::fclose(f);
}

// ---- Combo boxes by id ----
int ComboSel(HWND dlg, UINT id) { return (int)::SendDlgItemMessageA(dlg, id, CB_GETCURSEL, 0, 0); }
int ComboCount(HWND dlg, UINT id) { return (int)::SendDlgItemMessageA(dlg, id, CB_GETCOUNT, 0, 0); }

CString ComboItem(HWND dlg, UINT id, int i)
{
    int n = (int)::SendDlgItemMessageA(dlg, id, CB_GETLBTEXTLEN, i, 0);
    if (n < 0) return CString();
    CString s;
    ::SendDlgItemMessageA(dlg, id, CB_GETLBTEXT, i, (LPARAM)s.GetBuffer(n + 1));
    s.ReleaseBuffer();
    return s;
}

void ComboAdd(HWND dlg, UINT id, const char* text) { ::SendDlgItemMessageA(dlg, id, CB_ADDSTRING, 0, (LPARAM)text); }

void ComboFill(HWND dlg, UINT id, const char* const* items, int n)
{
    for (int i = 0; i < n; ++i) ComboAdd(dlg, id, items[i]);
}

// Selects the item that reads exactly text; none when there is no such item.
int ComboSelectExact(HWND dlg, UINT id, const char* text)
{
    int i = (int)::SendDlgItemMessageA(dlg, id, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text);
    if (i >= 0 && ComboItem(dlg, id, i) != text) i = -1;   // the search ignores case
    ::SendDlgItemMessageA(dlg, id, CB_SETCURSEL, (WPARAM)i, 0);
    return i;
}

// Selects the MCS text in its list; a text the list lacks gives way to the
// first item, whose text it takes.
void SelectMcs(HWND dlg, CString& mcs)
{
    if (ComboSelectExact(dlg, IDC_ADV_MCS, mcs) >= 0 || ComboCount(dlg, IDC_ADV_MCS) == 0) return;
    ::SendDlgItemMessageA(dlg, IDC_ADV_MCS, CB_SETCURSEL, 0, 0);
    mcs = ComboItem(dlg, IDC_ADV_MCS, 0);
}

BOOL Checked(HWND dlg, UINT id) { return ::SendDlgItemMessageA(dlg, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

CString McsValueToText(int mcs)
{
    if (mcs == (int)kMcsAuto) return StringFromTable(IDS_ADV_AUTO);
    CString s;
    s.Format("%d", mcs);
    return s;
}

int McsTextToValue(const CString& text)
{
    if (text == StringFromTable(IDS_ADV_AUTO)) return (int)kMcsAuto;
    return std::atoi(text);
}

BEGIN_MESSAGE_MAP(CAdvancedPage, CChildPage)
    ON_WM_SHOWWINDOW()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_ADV_APPLY, OnApply)
    ON_CBN_SELCHANGE(IDC_ADV_WIRELESS_MODE, OnSelchangeWirelessMode)
    ON_CBN_SELCHANGE(IDC_ADV_BG_REGION, OnSelchangeBgRegion)
    ON_BN_CLICKED(IDC_ADV_CCX2, OnCcx2)
    ON_BN_CLICKED(IDC_ADV_RADIO_MEASURE, OnRadioMeasure)
    ON_BN_CLICKED(IDC_ADV_LIMIT_ON, OnLimitOn)
    ON_BN_CLICKED(IDC_ADV_FAST_ROAMING, OnFastRoaming)
    ON_COMMAND_RANGE(ID_PROTECTION_ON, ID_PROTECTION_OFF, OnProtection)
    ON_BN_CLICKED(IDC_ADV_BW_20, OnRateRadio)
    ON_BN_CLICKED(IDC_ADV_BW_AUTO, OnRateRadio)
    ON_BN_CLICKED(IDC_ADV_GI_LONG, OnRateRadio)
    ON_BN_CLICKED(IDC_ADV_GI_AUTO, OnRateRadio)
    ON_CBN_SELCHANGE(IDC_ADV_MCS, OnSelchangeMcs)
    ON_BN_CLICKED(IDC_ADV_HT_MM, OnHtRadio)
    ON_BN_CLICKED(IDC_ADV_HT_GF, OnHtRadio)
    ON_BN_CLICKED(IDC_ADV_STBC_NONE, OnHtRadio)
    ON_BN_CLICKED(IDC_ADV_STBC_AUTO, OnHtRadio)
    ON_BN_CLICKED(IDC_ADV_EXTCHA_NONE, OnHtRadio)
    ON_BN_CLICKED(IDC_ADV_EXTCHA_ABOVE, OnHtRadio)
    ON_BN_CLICKED(IDC_ADV_EXTCHA_BELOW, OnHtRadio)
END_MESSAGE_MAP()

CAdvancedPage::CAdvancedPage(CConfigMainDlg* pMainDlg)
    : CChildPage(IDD_ADVANCED_PAGE, pMainDlg), m_cszHT_MCS(StringFromTable(IDS_ADV_AUTO))
{
}

CAdvancedPage::~CAdvancedPage()
{
    if (g_pHtSettingsDoor == this) g_pHtSettingsDoor = nullptr;
}

// ---- Data exchange ------------------------------------------------------------------

void CAdvancedPage::DoDataExchange(CDataExchange* pDX)
{
    HWND dlg = m_hWnd;
    if (pDX->m_bSaveAndValidate) {
        // An empty list or no selection keeps what was read: a stored mode
        // the list does not offer, a region of a model without regions.
        int sel = ComboSel(dlg, IDC_ADV_WIRELESS_MODE);
        if (sel >= 0) m_strWirelessMode = ComboItem(dlg, IDC_ADV_WIRELESS_MODE, sel);
        if ((sel = ComboSel(dlg, IDC_ADV_BG_REGION)) >= 0) m_nBgRegion = sel;
        if ((sel = ComboSel(dlg, IDC_ADV_A_REGION)) >= 0) m_nARegion = sel;
        if ((sel = ComboSel(dlg, IDC_ADV_TX_RATE)) >= 0) m_nTxRate = sel;
        if ((sel = ComboSel(dlg, IDC_ADV_MCS)) >= 0) m_cszHT_MCS = ComboItem(dlg, IDC_ADV_MCS, sel);
    } else {
        ComboSelectExact(dlg, IDC_ADV_WIRELESS_MODE, m_strWirelessMode);
        ::SendDlgItemMessageA(dlg, IDC_ADV_BG_REGION, CB_SETCURSEL, (WPARAM)m_nBgRegion, 0);
        ::SendDlgItemMessageA(dlg, IDC_ADV_A_REGION, CB_SETCURSEL, (WPARAM)m_nARegion, 0);
        ::SendDlgItemMessageA(dlg, IDC_ADV_TX_RATE, CB_SETCURSEL, (WPARAM)m_nTxRate, 0);
        SelectMcs(dlg, m_cszHT_MCS);
    }
    BOOL* const checks[9] = { &m_bTxBurst, &m_bTcpWindow, &m_bFastRoaming, &m_bShowAuthStatus, &m_bCcx2,
                              &m_bLeapCckm, &m_bRadioMeasure, &m_bLimitOn, &m_bQos };
    for (int i = 0; i < 9; ++i) DDX_Check(pDX, kCheckIds[i], *checks[i]);
    DDX_Text(pDX, IDC_ADV_ROAM_THRESHOLD, m_nRoamThreshold);
    DDV_MinMaxInt(pDX, m_nRoamThreshold, -90, -60);
    DDX_Text(pDX, IDC_ADV_MEASURE_LIMIT, m_nMeasureLimit);
    DDV_MinMaxInt(pDX, m_nMeasureLimit, 0, 2000);
    const struct {
        UINT first;
        int* value;
    } groups[5] = { { IDC_ADV_HT_MM, &m_nHtMode }, { IDC_ADV_BW_20, &m_nBandwidth }, { IDC_ADV_GI_LONG, &m_nGuardInterval },
                    { IDC_ADV_STBC_NONE, &m_nStbc }, { IDC_ADV_EXTCHA_NONE, &m_nExtChannel } };
    for (const auto& g : groups) {
        DDX_Radio(pDX, g.first, *g.value);
        if (*g.value < 0) *g.value = 0;
    }
}

BOOL CAdvancedPage::TakeData()
{
    CString mcs = m_cszHT_MCS;
    BOOL ok = UpdateData(TRUE);
    m_cszHT_MCS = mcs;
    return ok;
}

// ---- Setting up ------------------------------------------------------------------------

BOOL CAdvancedPage::OnInitDialog()
{
    m_btnProtection.SubclassDlgItem(IDC_ADV_PROTECTION, this);
    for (int i = 0; i < 9; ++i) m_checks[i].SubclassDlgItem(kCheckIds[i], this);
    for (int i = 0; i < 11; ++i) m_radios[i].SubclassDlgItem(kRadioIds[i], this);
    m_htHeading.SubclassDlgItem(IDC_ADV_HT_HEADING, this);
    m_btnApply.SubclassDlgItem(IDC_ADV_APPLY, this);
    CChildPage::OnInitDialog();
    SetWindowText("Advance");

    PlaceControls();
    for (COwnerDrawButton& b : m_checks) {
        b.SetIcon(IDI_CHECK_ON, IDI_CHECK_OFF);
        b.DrawBorder(FALSE);
    }
    for (COwnerDrawButton& b : m_radios) {
        b.SetIcon(IDI_OPTION_ON, IDI_OPTION_OFF);
        b.DrawBorder(FALSE);
    }
    m_btnProtection.SetMenu(IDR_MENU_PROTECTION, m_hWnd, TRUE);
    m_btnProtection.SetFlat(FALSE);
    m_btnProtection.SetColor(COwnerDrawButton::COLOR_FG_IN, RGB(0, 0, 160));
    m_btnApply.BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0));

    m_rateTable.Init();
    FillModeCombo();
    if (!g_bHtDevice) HideHtControls();
    FillRegionCombos();
    ComboAdd(m_hWnd, IDC_ADV_TX_RATE, StringFromTable(IDS_ADV_AUTO));
    if (g_nOsVersion < OS_WIN2000) EnableItem(IDC_ADV_TCP_WINDOW, FALSE);

    if (g_bIsAdmin) ReadConfigFromRegistry();
    else ReadStateFromDriver();
    SetProtectionText();

    UpdateControlStates();
    OnSelchangeWirelessMode();
    UpdateControlStates();
    m_bFirstModeChange = FALSE;
    s_nLastModeSel = ComboSel(m_hWnd, IDC_ADV_WIRELESS_MODE);
    s_nLastBgRegionSel = ComboSel(m_hWnd, IDC_ADV_BG_REGION);
    s_nLastARegionSel = ComboSel(m_hWnd, IDC_ADV_A_REGION);
    g_pHtSettingsDoor = this;
    return TRUE;
}

void CAdvancedPage::PlaceControls()
{
    // Left: mode, regions, rate, protection and the switches below them.
    PlaceControl(GetDlgItem(IDC_ADV_LABEL_MODE), 10, 13, 130, 18, 0);
    PlaceControl(GetDlgItem(IDC_ADV_WIRELESS_MODE), 145, 10, 220, 200, 0);
    PlaceControl(GetDlgItem(IDC_ADV_REGION_HEADING), 10, 42, 360, 18, 0);
    PlaceControl(GetDlgItem(IDC_ADV_LABEL_BG), 20, 67, 120, 18, 0);
    PlaceControl(GetDlgItem(IDC_ADV_BG_REGION), 145, 64, 220, 200, 0);
    PlaceControl(GetDlgItem(IDC_ADV_LABEL_A), 20, 95, 120, 18, 0);
    PlaceControl(GetDlgItem(IDC_ADV_A_REGION), 145, 92, 220, 200, 0);
    ::SendDlgItemMessageA(m_hWnd, IDC_ADV_A_REGION, CB_SETDROPPEDWIDTH, 560, 0);
    PlaceControl(GetDlgItem(IDC_ADV_LABEL_TX_RATE), 10, 125, 130, 18, 0);
    PlaceControl(GetDlgItem(IDC_ADV_TX_RATE), 145, 122, 120, 200, 0);
    PlaceControl(GetDlgItem(IDC_ADV_LABEL_PROTECTION), 10, 153, 130, 18, 0);
    PlaceControl(&m_btnProtection, 145, 150, 120, 24, 0);
    PlaceCaptioned(&m_checks[0], 6, 180, kRowHeight, 0);
    PlaceCaptioned(&m_checks[1], 6, 206, kRowHeight, 0);
    int x = PlaceCaptioned(&m_checks[2], 6, 232, kRowHeight, 0);
    PlaceControl(GetDlgItem(IDC_ADV_ROAM_THRESHOLD), x + 4, 234, 44, 22, 0);
    PlaceControl(GetDlgItem(IDC_ADV_LABEL_DBM), x + 54, 237, 120, 18, 0);
    PlaceCaptioned(&m_checks[3], 6, 258, kRowHeight, 0);
    PlaceControl(GetDlgItem(IDC_ADV_SHOW_AUTH_LABEL), 40, 262, 320, 18, IDS_ADV_SHOW_AUTH_STATUS);
    PlaceControl(&m_btnApply, 10, 300, 110, 30, 0);

    // Right: CCX 2.0 and its options, then the HT group.
    PlaceCaptioned(&m_checks[4], 400, 6, kRowHeight, 0);
    PlaceCaptioned(&m_checks[5], 424, 32, kRowHeight, 0);
    PlaceCaptioned(&m_checks[6], 424, 58, kRowHeight, 0);
    PlaceCaptioned(&m_checks[7], 448, 84, kRowHeight, 0);
    PlaceControl(GetDlgItem(IDC_ADV_MEASURE_LIMIT), 488, 112, 50, 22, 0);
    PlaceControl(GetDlgItem(IDC_ADV_LABEL_MS), 544, 115, 120, 18, 0);
    PlaceCaptioned(&m_checks[8], 424, 138, kRowHeight, 0);

    PlaceControl(&m_htHeading, 400, 168, 384, 18, 0);
    for (int r = 0; r < 5; ++r) {
        int y = 190 + r * kRowHeight;
        PlaceControl(GetDlgItem(kHtRows[r].label), 400, y + 5, 100, 18, 0);
        x = 500;
        for (int i = 0; i < kHtRows[r].count; ++i) x = PlaceCaptioned(&m_radios[kHtRows[r].first + i], x, y, kRowHeight, 0) + 8;
    }
    PlaceControl(GetDlgItem(IDC_ADV_LABEL_MCS), 660, 195, 40, 18, 0);
    PlaceControl(GetDlgItem(IDC_ADV_MCS), 700, 192, 84, 200, 0);
    PlaceControl(GetDlgItem(IDC_ADV_TX_RATE_TEXT), 640, 222, 150, 40, 0);
    ::SendDlgItemMessageA(m_hWnd, IDC_ADV_ROAM_THRESHOLD, EM_LIMITTEXT, 3, 0);
    ::SendDlgItemMessageA(m_hWnd, IDC_ADV_MEASURE_LIMIT, EM_LIMITTEXT, 4, 0);
}

void CAdvancedPage::FillModeCombo()
{
    const int modes[] = { 0, 1, 2, 3, 9, 5 };
    for (int mode : modes) {
        bool needsA = mode == 2 || mode == 3 || mode == 5, needsN = mode == 9 || mode == 5;
        if ((needsA && !g_bDualBand) || (needsN && !g_bHtDevice)) continue;
        ComboAdd(m_hWnd, IDC_ADV_WIRELESS_MODE, WirelessModeCodeToText(mode));
    }
}

void CAdvancedPage::FillRegionCombos()
{
    if (g_nModelIndex == 0 || g_nModelIndex == 1)
        ComboFill(m_hWnd, IDC_ADV_BG_REGION, kBgRegionsNamed, (int)(sizeof(kBgRegionsNamed) / sizeof(*kBgRegionsNamed)));
    else if (g_nModelIndex >= 4 && g_nModelIndex <= 8)
        ComboFill(m_hWnd, IDC_ADV_BG_REGION, kBgRegions, (int)(sizeof(kBgRegions) / sizeof(*kBgRegions)));
    if (g_nModelIndex >= 6 && g_nModelIndex <= 8)
        ComboFill(m_hWnd, IDC_ADV_A_REGION, kARegions, (int)(sizeof(kARegions) / sizeof(*kARegions)));

    if (!g_bRegionBgFlag) {
        EnableItem(IDC_ADV_LABEL_BG, FALSE);
        EnableItem(IDC_ADV_BG_REGION, FALSE);
        if (!g_bRegionAFlag) EnableItem(IDC_ADV_REGION_HEADING, FALSE);
    }
    if (!g_bRegionAFlag) {
        EnableItem(IDC_ADV_LABEL_A, FALSE);
        EnableItem(IDC_ADV_A_REGION, FALSE);
    }
    if (!g_bDualBand) {
        ShowItem(IDC_ADV_LABEL_A, FALSE);
        ShowItem(IDC_ADV_A_REGION, FALSE);
    }
}

void CAdvancedPage::FillTxRateCombo(int mode)
{
    HWND dlg = m_hWnd;
    ComboAdd(dlg, IDC_ADV_TX_RATE, StringFromTable(IDS_ADV_AUTO));
    if (mode == 6) return;
    if (mode != 2 && mode != 4) ComboFill(dlg, IDC_ADV_TX_RATE, kCckRates, 4);
    if (mode != 1) ComboFill(dlg, IDC_ADV_TX_RATE, kOfdmRates, 8);
}

void CAdvancedPage::ShowItem(UINT id, BOOL show)
{
    if (CWnd* w = GetDlgItem(id)) w->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CAdvancedPage::EnableItem(UINT id, BOOL enable)
{
    if (CWnd* w = GetDlgItem(id)) w->EnableWindow(enable);
}

int CAdvancedPage::SelectedMode() const
{
    return WirelessModeTextToCode(m_strWirelessMode);
}

void CAdvancedPage::SetProtectionText()
{
    int p = m_nProtection >= 0 && m_nProtection <= 2 ? m_nProtection : 0;
    m_btnProtection.SetWindowText(kProtectionWords[p]);
    m_btnProtection.Invalidate();
}

// ---- Reading -----------------------------------------------------------------------------

BOOL CAdvancedPage::ReadConfigFromRegistry()
{
    if (g_nOsVersion >= OS_WIN2000) {
        CRegKey tcp;
        m_bTcpWindow = tcp.Open(HKEY_LOCAL_MACHINE, kTcpParametersKey, TcpKeyAccess()) == ERROR_SUCCESS &&
                       RegQueryValueExA(tcp, kTcpValues[0].name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        m_bTcpWindowRead = TRUE;
    }
    CRegKey key(OpenAdapterKey(KEY_READ));
    if (!key.IsOpen()) {
        ReadStateFromDriver();
        return FALSE;
    }
    int v = 0;
    if (ReadRegNumber(key, REGSTR_WIRELESS_MODE, &v)) {
        // The stored code as this adapter can run it; a number that is no mode is missing.
        int mode = NormaliseWirelessMode(v, g_bDualBand, g_bHtDevice);
        CString text = WirelessModeCodeToText(mode);
        if (!text.IsEmpty() || mode == 6) m_strWirelessMode = text;
    }
    SetWirelessModeText(m_strWirelessMode);

    DWORD ts = 0;
    if (g_bHtDevice && ReadRegWord(key, REGSTR_TRANSMIT_SETTING, &ts)) {
        m_nBandwidth = FortyMHzAllowed(g_nWirelessMode) ? Bit(ts, 11) : 0;
        m_nGuardInterval = Bit(ts, 12);
        m_nStbc = Bit(ts, 13);
        m_nHtMode = Bit(ts, 16);
        m_nExtChannel = ExtChannel((ts >> 17) & 3);
        int mcs = (int)((ts >> 4) & 0x7F);
        m_cszHT_MCS = McsValueToText(mcs);
        g_dwTransmitSetting = ts;
        Trace("m_cszHT_MCS (ReadConfigFromRegistry - > Test4) is '%s' and '%d' \n", m_cszHT_MCS.GetString(), mcs);
    }

    if (ReadRegNumber(key, REGSTR_TX_BURST, &v)) m_bTxBurst = v != 0;
    if (ReadRegNumber(key, REGSTR_BG_PROTECTION, &v) && v >= 0 && v <= 2) m_nProtection = v;
    DWORD region = g_dwCountryRegion;
    if (!g_bRegionBgFlag || !g_bRegionAFlag) QueryOid(OID_VENDOR_COUNTRY_REGION, &region, sizeof(region), nullptr);
    if (!g_bRegionBgFlag) m_nBgRegion = (int)(region & 0x7F);
    else if (ReadRegNumber(key, REGSTR_COUNTRY_REGION, &v) && v >= 0) m_nBgRegion = v;
    if (!g_bRegionAFlag) m_nARegion = (int)((region >> 8) & 0x7F);
    else if (ReadRegNumber(key, REGSTR_COUNTRY_REGION_A_BAND, &v) && v >= 0) m_nARegion = v;
    if (ReadRegNumber(key, REGSTR_TRANS_RATE, &v)) m_nTxRate = v < 0 ? 0 : v;
    m_bShowAuthStatus = ReadRegNumber(key, REGSTR_SHOW_AUTH_STATUS, &v) && v != 0;
    g_bShowAuthStatus = m_bShowAuthStatus;
    DWORD ccx = 0;
    if (ReadRegWord(key, REGSTR_CCX2_CONTROL, &ccx)) TakeCcxWord(ccx);

    UpdateControlStates();
    return TRUE;
}

void CAdvancedPage::ReadStateFromDriver()
{
    DWORD mode = 0;
    if (QueryOid(OID_VENDOR_WIRELESS_MODE, &mode, sizeof(mode), nullptr)) {
        CString text = WirelessModeCodeToText(NormaliseWirelessMode((int)mode, g_bDualBand, g_bHtDevice));
        if (!text.IsEmpty() || mode == 6) m_strWirelessMode = text;
        // The mode as the page shows it: a code the adapter runs as another
        // (7 as G only) or no mode at all must not reach the other pages.
        g_nWirelessMode = SelectedMode();
    }
    BYTE ht[12] = {};
    if (g_bHtDevice && QueryOid(OID_VENDOR_HT_PHY, ht, sizeof(ht), nullptr)) {
        KeepHtRecord(ht);
        m_nBandwidth = ht[8] & 1;
        m_nGuardInterval = ht[10] & 1;
        m_nStbc = ht[9] & 1;
        m_nHtMode = ht[5] & 1;
        m_nExtChannel = ExtChannel(ht[6]);
        m_cszHT_MCS = McsValueToText(ht[7] & 0x7F);
        DWORD w0 = 0;
        std::memcpy(&w0, ht, sizeof(w0));
        DWORD word = PackHtWord((int)(w0 & 0xF), ht[7], m_nBandwidth, m_nGuardInterval, m_nStbc, m_nHtMode,
                                m_nExtChannel);
        word = (word & ~(3u << 14)) | ((DWORD)(ht[4] & 3) << 14);
        g_dwTransmitSetting = word | (g_dwTransmitSetting & 0xFFF80000u);
    }
    DWORD adv[8] = {};
    if (QueryOid(OID_VENDOR_ADVANCED_CONFIG, adv, sizeof(adv), nullptr)) {
        m_bTxBurst = adv[0] != 0;
        if (adv[2] <= 2) m_nProtection = (int)adv[2];
    }
    DWORD region = 0;
    if (QueryOid(OID_VENDOR_COUNTRY_REGION, &region, sizeof(region), nullptr)) {
        m_nBgRegion = (int)(region & 0x7F);
        m_nARegion = (int)((region >> 8) & 0x7F);
    }
    UpdateControlStates();
}

// ---- The CCX word ---------------------------------------------------------------------------
// Bit 0 CCX 2.0, 1 LEAP CCKM, 2 radio measurements, 3 measurement limit on,
// 4 QoS, 5 fast roaming, bits 8-15 the roaming threshold as a positive
// number, bits 16-31 the measurement limit in ms.

DWORD CAdvancedPage::CcxWord() const
{
    DWORD word = (70u << 8) | (250u << 16);
    if (m_bCcx2) {
        word |= 0x01;
        if (m_bLeapCckm) word |= 0x02;
        if (m_bRadioMeasure) word |= 0x04;
        if (m_bRadioMeasure && m_bLimitOn) word |= 0x08;
        if (m_bQos) word |= 0x10;
        word = (word & 0xFFFF) | ((DWORD)m_nMeasureLimit << 16);
    }
    if (m_bFastRoaming) {
        int threshold = m_nRoamThreshold < 0 ? -m_nRoamThreshold : m_nRoamThreshold;
        word = (word & ~0xFF00u) | 0x20u | ((DWORD)(threshold & 0xFF) << 8);
    }
    return word;
}

void CAdvancedPage::TakeCcxWord(DWORD word)
{
    m_bCcx2 = Bit(word, 0);
    m_bLeapCckm = Bit(word, 1);
    m_bRadioMeasure = Bit(word, 2);
    m_bLimitOn = Bit(word, 3);
    m_bQos = Bit(word, 4);
    m_bFastRoaming = Bit(word, 5);
    DWORD limit = word >> 16;
    m_nMeasureLimit = limit > 2000 ? 250 : (int)limit;
    int byte = (int)((word >> 8) & 0xFF), threshold = -byte;
    m_nRoamThreshold = (threshold < -90 || (threshold > -61 && byte != 60)) ? -70 : threshold;
}

DWORD CAdvancedPage::HtWord() const
{
    return PackHtWord(SelectedMode(), McsTextToValue(m_cszHT_MCS), m_nBandwidth, m_nGuardInterval, m_nStbc,
                      m_nHtMode, m_nExtChannel);
}

DWORD CAdvancedPage::HtSettingFromControls()
{
    HWND dlg = m_hWnd;
    CString mcs = m_cszHT_MCS;
    int sel = ComboSel(dlg, IDC_ADV_MCS);
    if (sel >= 0) mcs = ComboItem(dlg, IDC_ADV_MCS, sel);
    int ext = Checked(dlg, IDC_ADV_EXTCHA_ABOVE) ? 1 : Checked(dlg, IDC_ADV_EXTCHA_BELOW) ? 2 : 0;
    return PackHtWord(g_nWirelessMode, McsTextToValue(mcs), Checked(dlg, IDC_ADV_BW_AUTO),
                      Checked(dlg, IDC_ADV_GI_AUTO), Checked(dlg, IDC_ADV_STBC_AUTO), Checked(dlg, IDC_ADV_HT_GF), ext);
}

// ---- Control states ----------------------------------------------------------------------------

void CAdvancedPage::UpdateControlStates()
{
    UpdateData(FALSE);
    EnableItem(IDC_ADV_LEAP_CCKM, m_bCcx2);
    EnableItem(IDC_ADV_RADIO_MEASURE, m_bCcx2);
    EnableItem(IDC_ADV_QOS, m_bCcx2);
    EnableItem(IDC_ADV_LIMIT_ON, m_bRadioMeasure);
    EnableItem(IDC_ADV_MEASURE_LIMIT, m_bLimitOn);
    EnableItem(IDC_ADV_LABEL_MS, m_bLimitOn);
    EnableItem(IDC_ADV_ROAM_THRESHOLD, m_bFastRoaming);
    ComboSelectExact(m_hWnd, IDC_ADV_WIRELESS_MODE, m_strWirelessMode);
}

void CAdvancedPage::OnFastRoaming()
{
    if (!TakeData()) return;
    if (!m_bFastRoaming) m_nRoamThreshold = -70;
    UpdateControlStates();
}

void CAdvancedPage::OnLimitOn()
{
    if (!TakeData()) return;
    if (!m_bLimitOn) m_nMeasureLimit = 250;
    UpdateControlStates();
}

void CAdvancedPage::OnRadioMeasure()
{
    if (!TakeData()) return;
    if (!m_bRadioMeasure) {
        m_bLimitOn = FALSE;
        m_nMeasureLimit = 250;
    }
    UpdateControlStates();
}

void CAdvancedPage::OnCcx2()
{
    if (!TakeData()) return;
    m_bLeapCckm = m_bRadioMeasure = m_bLimitOn = m_bQos = m_bCcx2;
    if (!m_bCcx2) m_nMeasureLimit = 250;
    UpdateControlStates();
}

void CAdvancedPage::OnProtection(UINT id)
{
    m_nProtection = id == ID_PROTECTION_ON ? 1 : id == ID_PROTECTION_OFF ? 2 : 0;
    SetProtectionText();
}

void CAdvancedPage::ShowTxRateAndProtection(BOOL show, BOOL enableRate)
{
    for (UINT id : { IDC_ADV_LABEL_TX_RATE, IDC_ADV_TX_RATE, IDC_ADV_LABEL_PROTECTION, IDC_ADV_PROTECTION })
        ShowItem(id, show);
    EnableItem(IDC_ADV_TX_RATE, enableRate);
}

void CAdvancedPage::HideHtControls()
{
    for (UINT id : kHtOtherIds) ShowItem(id, FALSE);
    for (UINT id : kRadioIds) ShowItem(id, FALSE);
    ShowTxRateAndProtection(TRUE, TRUE);
}

void CAdvancedPage::ShowHtControls(int show, int generation, int mode)
{
    // The rate and protection rows belong to adapters without 802.11n; the
    // check build shows them, with the rate left to the HT settings.
    if (show) ShowTxRateAndProtection(TRUE, FALSE);
    else ShowTxRateAndProtection(!g_bHtDevice, TRUE);
    for (UINT id : kHtOtherIds) ShowItem(id, show != 0);
    for (UINT id : kRadioIds) ShowItem(id, show != 0);

    bool forty = FortyMHzAllowed(mode);
    for (const auto& row : kHtRows) {
        EnableItem(row.label, generation != 1);
        for (int i = 0; i < row.count; ++i) EnableItem(kRadioIds[row.first + i], generation != 1);
    }
    if (generation != 1) EnableItem(IDC_ADV_BW_AUTO, forty);
    if (!forty && m_nBandwidth != 0) {
        m_nBandwidth = 0;
        ::SendDlgItemMessageA(m_hWnd, IDC_ADV_BW_20, BM_SETCHECK, BST_CHECKED, 0);
        ::SendDlgItemMessageA(m_hWnd, IDC_ADV_BW_AUTO, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

void CAdvancedPage::IniHTMCSComboBy80211NVersionAnd(int generation, int htMode, const CString& mcs)
{
    HWND dlg = m_hWnd;
    ::SendDlgItemMessageA(dlg, IDC_ADV_MCS, CB_RESETCONTENT, 0, 0);
    auto addRange = [&](int first, int last) {
        for (int i = first; i <= last; ++i) ComboAdd(dlg, IDC_ADV_MCS, McsValueToText(i));
    };
    if (generation == 1) {
        if (htMode == 0) addRange(0, 4);
        else addRange(5, 14);
    } else if (generation == 2 || generation == 3) {
        ComboAdd(dlg, IDC_ADV_MCS, StringFromTable(IDS_ADV_AUTO));
        addRange(0, 15);
        addRange(32, 32);
    }
    m_cszHT_MCS = mcs;
    SelectMcs(dlg, m_cszHT_MCS);
    Trace("m_cszHT_MCS (IniHTMCSComboBy80211NVersionAnd - > Test7) is '%s' \n", m_cszHT_MCS.GetString());
}

void CAdvancedPage::UpdateTxRateLabel(int generation)
{
    CString text;
    int mcs = McsTextToValue(m_cszHT_MCS);
    double rate = 0.0;
    int width = 0;
    if (generation == 1) {
        if (m_rateTable.GetRateByIndex(mcs, rate, width))
            text.Format("Tx Rate: %.2f Mbps \n BW:      %d      MHz", rate, width);
        else
            text = "Tx Rate: Not Available";
    } else if (generation == 2 || generation == 3) {
        if (m_rateTable.GetRate(m_nBandwidth, m_nGuardInterval, mcs, rate)) text.Format("Tx Rate: %.2f Mbps", rate);
        else text = "Tx Rate: Not Available";
    }
    SetDlgItemText(IDC_ADV_TX_RATE_TEXT, text);
}

// ---- Mode, region and the HT handlers --------------------------------------------------------

void CAdvancedPage::OnSelchangeWirelessMode()
{
    if (!TakeData()) return;
    m_bAdapterPresent = IsAdapterPresent();
    if (!m_bFirstModeChange && m_bAdapterPresent && ShowMessageDlg(StringFromTable(IDS_ADV_SET_CHANNEL)) != 1)
        return;

    int mode = SelectedMode();
    ::SendDlgItemMessageA(m_hWnd, IDC_ADV_TX_RATE, CB_RESETCONTENT, 0, 0);
    HideHtControls();

    // The region rows of the bands the mode uses; other modes leave them.
    bool regionsByMode = true, showBg = true, showA = true;
    if (mode == 0 || mode == 1 || mode == 4 || mode == 9) showA = false;
    else if (mode == 2) showBg = false;
    else if (mode != 3 && mode != 5) regionsByMode = false;
    if (regionsByMode) {
        ShowItem(IDC_ADV_LABEL_BG, showBg);
        ShowItem(IDC_ADV_BG_REGION, showBg);
        ShowItem(IDC_ADV_LABEL_A, showA && g_bDualBand);
        ShowItem(IDC_ADV_A_REGION, showA && g_bDualBand);
    }

    FillTxRateCombo(mode);
    if (mode == 1) {
        m_nProtection = 0;
        if (m_nTxRate > 4) m_nTxRate = 0;
    } else if (mode == 2 || mode == 4) {
        m_nProtection = 0;
        if (m_nTxRate > 8) m_nTxRate = 0;
    }

    if (IsNMode(mode)) {
        IniHTMCSComboBy80211NVersionAnd(g_nHtGeneration, m_nHtMode, m_cszHT_MCS);
        UpdateTxRateLabel(g_nHtGeneration);
        ShowHtControls(ReadCheckBuild(), g_nHtGeneration, mode);
    }
    ::SendDlgItemMessageA(m_hWnd, IDC_ADV_TX_RATE, CB_SETCURSEL, (WPARAM)m_nTxRate, 0);
    UpdateControlStates();
    OnSelchangeBgRegion();
}

void CAdvancedPage::OnSelchangeBgRegion()
{
    if (!TakeData()) return;
    int sel = ComboSel(m_hWnd, IDC_ADV_BG_REGION);
    CString text = sel >= 0 ? ComboItem(m_hWnd, IDC_ADV_BG_REGION, sel) : CString();
    int first = 0, last = 0;
    RegionChannels(text, &first, &last);
    m_nBandwidth = (FortyMHzAllowed(SelectedMode()) && last - first >= 4) ? 1 : 0;
    UpdateData(FALSE);
}

void CAdvancedPage::OnRateRadio()
{
    if (!UpdateData(TRUE)) return;
    UpdateTxRateLabel(g_nHtGeneration);
}

void CAdvancedPage::OnSelchangeMcs()
{
    if (!UpdateData(TRUE)) return;
    UpdateTxRateLabel(g_nHtGeneration);
}

void CAdvancedPage::OnHtRadio()
{
    UpdateData(TRUE);
}

// ---- Showing and the timer ------------------------------------------------------------------------

void CAdvancedPage::OnShowWindow(BOOL bShow, UINT)
{
    Default();
    if (!bShow) return;
    if (g_bIsAdmin) ReadConfigFromRegistry();
    else ReadStateFromDriver();
    SetProtectionText();
    UpdateControlStates();
    if (m_nTimer) KillTimer(m_nTimer);
    m_nTimer = SetTimer(IDT_ADVANCED_REFRESH, 1000);
}

void CAdvancedPage::OnTimer(UINT_PTR id)
{
    if (id != IDT_ADVANCED_REFRESH) return;
    KillTimer(IDT_ADVANCED_REFRESH);
    int mode = SelectedMode();
    if (IsNMode(mode)) ShowHtControls(ReadCheckBuild(), g_nHtGeneration, mode);
    m_nTimer = SetTimer(IDT_ADVANCED_REFRESH, 1000);
}

void CAdvancedPage::OnDestroy()
{
    if (m_nTimer) KillTimer(m_nTimer);
    m_nTimer = 0;
    if (g_pHtSettingsDoor == this) g_pHtSettingsDoor = nullptr;
    Default();
}

// ---- APPLY -----------------------------------------------------------------------------------------

void CAdvancedPage::OnApply()
{
    if (g_bHtDevice && m_nHtMode == 1 && m_nGuardInterval == 1 && m_nStbc == 1) {
        ShowMessageDlg(StringFromTable(IDS_ADV_GF_SGI_STBC));
        return;
    }
    if (!TakeData()) return;
    UpdateControlStates();
    if (m_nMeasureLimit > 2000 || m_nRoamThreshold < -90 || m_nRoamThreshold > -60) return;

    int modeSel = ComboSel(m_hWnd, IDC_ADV_WIRELESS_MODE);
    int bgSel = ComboSel(m_hWnd, IDC_ADV_BG_REGION);
    int aSel = ComboSel(m_hWnd, IDC_ADV_A_REGION);
    if (modeSel != s_nLastModeSel || bgSel != s_nLastBgRegionSel || aSel != s_nLastARegionSel) {
        // The scan the reconnect asks for would use the old channels.
        SkipNextScan();
        if (g_pCurProfile) ReconnectAfterModeChange();
        ClearSurveyRescanCheck();
        s_nLastModeSel = modeSel;
        s_nLastBgRegionSel = bgSel;
        s_nLastARegionSel = aSel;
    }

    WriteConfigToRegistry();
    WriteConfigToRegistryAndSetOid();
    ApplyWmmStep();
    RefreshSystemConfigTab();
}

void CAdvancedPage::ReconnectAfterModeChange()
{
    SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, kTries);
    Sleep(100);
    const StationConfig* r = g_pCurProfile;
    static const BYTE kNoBssid[6] = {};
    if (r->matchByBssid && std::memcmp(r->bssid, kNoBssid, 6) != 0) {
        BYTE bssid[6];
        std::memcpy(bssid, r->bssid, sizeof(bssid));
        QueueAndConnect(CONNECT_BSSID, bssid);
    } else if (!r->matchByBssid && r->ssid.SsidLength != 0) {
        NDIS_802_11_SSID ssid = r->ssid;
        if (ssid.SsidLength > 32) ssid.SsidLength = 32;
        QueueAndConnect(CONNECT_SSID, &ssid);
    } else {
        NDIS_802_11_SSID none = {};
        SetOid(OID_802_11_SSID, &none, sizeof(none), nullptr, kTries);
        SetCcx2Control(1, StoredCcxWord());
    }
}

void CAdvancedPage::ClearSurveyRescanCheck()
{
    HWND container = ::GetParent(m_hWnd);
    for (HWND h = ::GetWindow(container, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        if (dynamic_cast<CSiteSurveyPage*>(CWnd::FromHandlePermanent(h)))
            ::SendDlgItemMessageA(h, IDC_SURVEY_RESCAN, BM_SETCHECK, BST_UNCHECKED, 0);
}

void CAdvancedPage::RefreshSystemConfigTab()
{
    if (!g_pPanelDoor) return;
    CProfileEditDlg* editor = dynamic_cast<CProfileEditDlg*>(g_pPanelDoor->MadePanel(PANEL_PROFILE_EDIT));
    CSystemConfigPage* tab = editor ? editor->SystemConfigTab() : nullptr;
    if (!tab || !tab->IsWindow() || !tab->IsWindowVisible()) return;
    QueryAdhocMode(&tab->m_nAdhocMode);
    tab->FillChannelCombo();
}

void CAdvancedPage::WriteConfigToRegistry()
{
    if (!TakeData()) return;
    UpdateControlStates();

    if (g_nOsVersion >= OS_WIN2000) {
        CRegKey tcp;
        if (tcp.Open(HKEY_LOCAL_MACHINE, kTcpParametersKey, TcpKeyAccess()) == ERROR_SUCCESS) {
            // An unchecked box the system was never read into (anyone but an
            // administrator) says nothing of the values: they stay.
            for (const auto& t : kTcpValues) {
                if (m_bTcpWindow) WriteRegDword(tcp, t.name, t.value);
                else if (m_bTcpWindowRead) RegDeleteValueA(tcp, t.name);
            }
        }
    }

    int sel = ComboSel(m_hWnd, IDC_ADV_TX_RATE);
    m_nTxRate = sel >= 0 ? sel : 0;
    int mode = SetWirelessModeText(m_strWirelessMode);
    bool aOnly = mode == 2 && g_bDualBand;
    if (mode == 1 || aOnly) m_nProtection = 0;
    if ((mode == 1 && m_nTxRate >= 5) || (aOnly && m_nTxRate >= 9)) m_nTxRate = 0;
    ::SendDlgItemMessageA(m_hWnd, IDC_ADV_TX_RATE, CB_SETCURSEL, (WPARAM)m_nTxRate, 0);

    DWORD ccx = CcxWord();
    CRegKey key(OpenAdapterKey(KEY_ALL_ACCESS));
    if (!key.IsOpen() || !WriteRegInt(key, REGSTR_SHOW_AUTH_STATUS, m_bShowAuthStatus)) m_bShowAuthStatus = FALSE;
    if (key.IsOpen()) {
        WriteRegInt(key, REGSTR_WIRELESS_MODE, mode);
        WriteRegInt(key, REGSTR_TX_BURST, m_bTxBurst);
        WriteRegInt(key, REGSTR_BG_PROTECTION, m_nProtection);
        if (g_bRegionBgFlag) WriteRegInt(key, REGSTR_COUNTRY_REGION, m_nBgRegion);
        if (g_bRegionAFlag) WriteRegInt(key, REGSTR_COUNTRY_REGION_A_BAND, m_nARegion);
        int adhoc = 0;
        if (WirelessModeFromIndex(mode, &adhoc)) WriteRegInt(key, REGSTR_ADHOC_MODE, adhoc);
        WriteRegInt(key, REGSTR_TRANS_RATE, m_nTxRate);
        WriteRegDword(key, REGSTR_CCX2_CONTROL, ccx);
        if (g_bHtDevice) WriteRegDword(key, REGSTR_TRANSMIT_SETTING, HtWord());
    }
    if (g_bHtDevice) g_dwTransmitSetting = HtWord();
    g_bShowAuthStatus = m_bShowAuthStatus;
}

void CAdvancedPage::WriteConfigToRegistryAndSetOid()
{
    if (!TakeData()) return;
    int mode = g_nWirelessMode;
    DWORD current = 0;
    QueryOid(OID_VENDOR_WIRELESS_MODE, &current, sizeof(current), nullptr);
    SetDwordOid(OID_VENDOR_WIRELESS_MODE, (DWORD)mode);

    if (g_bHtDevice) {
        // The record keeps what the page does not set (the extension channel
        // and the last byte) as the driver has it: from the query, else from
        // the record known last; with neither nothing is sent.
        BYTE ht[12] = {};
        if (QueryOid(OID_VENDOR_HT_PHY, ht, sizeof(ht), nullptr)) KeepHtRecord(ht);
        else if (s_bHtPhyKnown) std::memcpy(ht, s_htPhyKnown, sizeof(ht));
        DWORD w0 = (DWORD)mode;
        std::memcpy(ht, &w0, sizeof(w0));
        ht[4] = 2;
        ht[5] = (BYTE)m_nHtMode;
        ht[7] = (BYTE)McsTextToValue(m_cszHT_MCS);
        ht[8] = (BYTE)m_nBandwidth;
        ht[9] = (BYTE)m_nStbc;
        ht[10] = (BYTE)m_nGuardInterval;
        if (s_bHtPhyKnown) {
            SetOid(OID_VENDOR_HT_PHY, ht, sizeof(ht), nullptr, kTries);
            KeepHtRecord(ht);
        }
    }

    SetCcx2Control(1, StoredCcxWord());

    // Only the words the page owns change; a block the driver did not give
    // is taken from the last one known, and without one nothing is sent
    // (zeros would switch off what the page does not show, RF among them).
    DWORD queried[8] = {};
    bool known = QueryOid(OID_VENDOR_ADVANCED_CONFIG, queried, sizeof(queried), nullptr);
    if (!known && g_bAdvancedConfigValid) {
        std::memcpy(queried, g_AdvancedConfig, sizeof(queried));
        known = true;
    }
    if (known) {
        DWORD block[8];
        std::memcpy(block, queried, sizeof(block));
        block[0] = m_bTxBurst ? 1 : 0;
        block[2] = (DWORD)m_nProtection;
        int adhoc = 0;
        if (WirelessModeFromIndex(mode, &adhoc)) block[4] = (DWORD)adhoc;
        block[6] = 0;
        if (std::memcmp(block, queried, sizeof(block)) != 0) {
            SetOid(OID_VENDOR_ADVANCED_CONFIG, block, sizeof(block), nullptr, kTries);
            std::memcpy(g_AdvancedConfig, block, sizeof(g_AdvancedConfig));
            g_bAdvancedConfigValid = TRUE;
        }
    }

    if (g_bRegionBgFlag || g_bRegionAFlag) {
        SetDwordOid(OID_VENDOR_COUNTRY_REGION, ((DWORD)(m_nARegion & 0xFF) << 8) | (DWORD)(m_nBgRegion & 0xFF));
        InitRegionAndChannel();
    }

    BYTE rates[8];
    DesiredRatesFromTransRate(mode, m_nTxRate, HtWord(), rates);
    SetOid(OID_802_11_DESIRED_RATES, rates, sizeof(rates), nullptr, kTries);
    if (!IsNMode(mode)) {
        RateSetRecord sets = RateSetFor(mode);
        SetOid(OID_VENDOR_RATE_SETS, &sets, sizeof(sets), nullptr, kTries);
    }

    SetCcx2Control(g_pCurProfile && g_pCurProfile->matchByBssid ? 0 : 1, 0);
}

void CAdvancedPage::ApplyWmmStep()
{
    DWORD word = 0;
    QueryOid(OID_VENDOR_WMM_CAPABILITY, &word, sizeof(word), nullptr);
    word &= kWmmKeptBits;   // power save and bits 7 and up cleared
    if (!IsNMode(g_nWirelessMode)) return;
    // The 802.11n modes need WMM, without power save and direct links.
    SaveWmmSettings(1, 1, 1, 0, 0, 1);
    ApplyWmmOids(1, 1, 1, word, 0, 1);
}
