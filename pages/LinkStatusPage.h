// Lower panel 0: the state of the link, read from the driver every two
// seconds while the panel is visible.  It sets nothing on the driver.
#pragma once

#include "classlib/ClassLib.h"
#include "core/ConnectEngine.h"
#include "core/HtRateTable.h"
#include "pagebase/ChildPage.h"
#include "widgets/EtchedStatic.h"
#include "widgets/GradientProgressCtrl.h"
#include "widgets/ThroughputGraph.h"
#include "resource.h"

// The panel's refresh timer.
#define IDT_LINK_STATUS_REFRESH 1

// Samples kept of each throughput history.
constexpr int kThroughputHistory = 29;

// Throughput histories in Mbps, oldest first, newest at index 28.  They
// belong to the process rather than the panel, so that they survive the
// configuration window being closed and opened again; only the panel's
// ticks (UI thread) write them.
extern double g_dTxThroughputHistory[kThroughputHistory];
extern double g_dRxThroughputHistory[kThroughputHistory];

// The answer of OID_VENDOR_LINK_STATUS.
struct LinkStatusRecord {
    DWORD txRate;           // 500 kbit/s units
    DWORD channelQuality;
    DWORD txBytes;          // counters wrap modulo 2^32
    DWORD rxBytes;
    DWORD centralChannel;
};
static_assert(sizeof(LinkStatusRecord) == 20, "LinkStatusRecord layout");

// OID_VENDOR_TX_RATE / OID_VENDOR_RX_RATE on 802.11n adapters.
namespace HtRateWord {
inline int Mcs(DWORD w) { return (int)(w & 0x7F); }
inline bool Is40MHz(DWORD w) { return (w & 0x80) != 0; }
inline bool ShortGi(DWORD w) { return (w & 0x100) != 0; }
inline bool Stbc(DWORD w) { return (w & 0x600) != 0; }
inline DWORD PhyMode(DWORD w) { return w >> 14; }   // 0 CCK, 1 OFDM, 2 and 3 HT
}

// A throughput sample as the panel writes it: Mbps from 1.0 up, else Kbps.
CString FormatThroughput(double mbps);

class CSiteSurveyPage;

class CLinkStatusPage : public CChildPage {
public:
    explicit CLinkStatusPage(CConfigMainDlg* pMainDlg);
    // The window's site survey page, set by the window: the central channel
    // is shown only while the survey lists the connected network as 802.11n.
    CSiteSurveyPage* m_pSurveyPage = nullptr;
    ~CLinkStatusPage() override;

    // Byte counts of the last tick; the statistics page zeroes them when it
    // resets the driver's counters, so that the next sample counts from 0.
    DWORD m_dwPrevTxBytes = 0;
    DWORD m_dwPrevRxBytes = 0;
    void ResetByteCounts() { m_dwPrevTxBytes = m_dwPrevRxBytes = 0; }

    // One tick of the refresh.
    void OnTimer(UINT_PTR id);

    // Reads an HT rate word and converts it to Mbps (a failed query reads
    // as the word 0, CCK at 1 Mbps); the transmit word also fills the HT values.
    void RateFromHtSetting(DWORD oid, double* mbps);

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnShowWindow(BOOL bShow, UINT status);
    void OnDestroy();

private:
    void PlaceControls();
    void SetUpBar(CGradientProgressCtrl& bar, const char* caption);
    void SetUpGraph(CThroughputGraph& graph, COLORREF colour);
    void UpdateIpInfo();
    void UpdateAntennaBars();
    void ShowHtGroup();
    void ShowHtSetting(int blank, const DWORD* word);
    void ShowLegacyHtFields();
    void ShowDisconnected(UINT statusId);
    void ReadSecurityFromProfile();
    void ReadSecurityFromScan(const BYTE* bssid);
    void AppendCentralChannel(DWORD centralChannel);
    void AddThroughput(double* history, double& maximum, CThroughputGraph& graph, double sample);
    void ShowSignal(CGradientProgressCtrl& bar, int chain, LONG rssi, int percent);

    // Texts exchanged with the value statics.
    CString m_strStatus, m_strExtraInfo, m_strChannel, m_strAuthentication, m_strEncryption, m_strNetworkType;
    CString m_strIpAddress, m_strIpMask, m_strGateway, m_strTxRate, m_strTxThroughput, m_strRxRate,
        m_strRxThroughput;

    // Smoothing state.
    int m_nPrevQuality = 0;
    int m_nPrevSignal = 0;
    double m_dTxMax = 0.0;
    double m_dRxMax = 0.0;
    CHtRateTable m_rateTable;

    CThroughputGraph m_graphTx, m_graphRx;
    // Link quality, signal 1, 2, 3, noise, top to bottom.
    CGradientProgressCtrl m_bars[5];
    CEtchedStatic m_frameTx, m_frameRx, m_frameHt;
    CFont m_font;
    UINT_PTR m_nTimer = 0;
    BOOL m_bAntenna1 = FALSE;
    BOOL m_bAntenna2 = FALSE;
    BYTE m_mac[6] = {};
    BssidListBuffer* m_pScanCopy = nullptr;   // 64 KB, movable, zero-filled, kept locked
    BOOL m_bFirstSample = TRUE;
};
