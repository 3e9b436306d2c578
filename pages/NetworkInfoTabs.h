// The four tabs of the network information panel: General, WPS, CCX and the
// 802.11n property list.  The panel fills their members from one scan entry
// and shows them; the tabs themselves read nothing.
#pragma once

#include <windows.h>
#include <ntddndis.h>

#include <vector>

#include "classlib/ClassLib.h"
#include "pagebase/ChildPage.h"
#include "widgets/CellListCtrl.h"
#include "widgets/GradientProgressCtrl.h"
#include "resource.h"

// Fields of the formatter's 802.11n section; the last one says whether the
// entry carries 802.11n information at all.
constexpr int kHtFieldCount = 55;
constexpr int kHtSeenField = 54;

// The General tab's texts of one entry.
//   "1, 2, 5.5, 11" from the supported-rates bytes (basic bit dropped, a zero
//   byte ends the list); empty when the first byte is zero.
CString FormatSupportedRates(const UCHAR rates[16]);
//   "6 <--> 2437 MHz", "J8 <--> 4940 MHz"; FALSE (text untouched) when the
//   frequency is not in the channel table.
BOOL FormatChannelText(ULONG dsConfigKHz, CString& text);
//   "Infrastructure", "IBSS" or "Unknown".
CString NetworkTypeText(ULONG infrastructureMode);

class CNetworkDetailPage : public CChildPage {
public:
    explicit CNetworkDetailPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_NETINFO_GENERAL, pMainDlg) {}

    CString m_strSsid, m_strMac, m_strAuthentication, m_strEncryption, m_strChannel, m_strNetworkType,
        m_strSupportedRates, m_strBeaconInterval;

    // The signal bar at p percent, in the band colour of p.
    void ShowSignal(int percent);
    CGradientProgressCtrl& SignalBar() { return m_signal; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    CGradientProgressCtrl m_signal;
    CFont m_font;
};

class CWpsApInfoDlg : public CDialog {
public:
    explicit CWpsApInfoDlg(CWnd* parent = nullptr) : CDialog(IDD_NETINFO_WPS, parent) {}

    // Authentication, encryption, config methods, device password id,
    // selected registrar, state, version, AP setup locked, UUID-E, RF bands.
    CString m_strValues[10];

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnPaint();
};

class CCcxStatusPage : public CChildPage {
public:
    explicit CCcxStatusPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_NETINFO_CCX, pMainDlg) {}

    CString m_strCckm, m_strCmic, m_strCkip;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
};

// One row of the 802.11n list: a section heading (bold, no value) or a field.
struct PropertyRow {
    BYTE isSection = 0;
    CString name;
    CString value;
};

class CPropertyListDlg : public CChildPage {
public:
    explicit CPropertyListDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_NETINFO_HT, pMainDlg) {}

    // Fields 0 to 54 of the 802.11n section.
    CString m_strFields[kHtFieldCount];

    // The 64 rows from the fields ("n/a" for every field of an entry without
    // 802.11n information), then the list redrawn.
    void BuildHtPropertyList();
    const std::vector<PropertyRow>& Rows() const { return m_rows; }

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    LRESULT OnGetItemText(WPARAM wParam, LPARAM lParam);

private:
    void RefreshList();

    std::vector<PropertyRow> m_rows;
    CCellListCtrl m_list;
};
