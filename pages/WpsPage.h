// The upper page "WPS": Wi-Fi Protected Setup enrolment through the adapter's
// driver, which runs the protocol itself.  The page lists the access points
// that advertise WPS, starts a push-button or PIN run, turns the driver's
// state codes into a status text and a progress value every second, stores
// the credentials of a configured run and connects with them, and lets the
// user connect, rotate through, inspect and delete them.  The credential
// block, its registry form and the connect logic belong to the WPS run time
// (core/WpsRuntime); the page drives them.  While the page exists it takes
// over the controller's credential check (timer 4) and button poll (timer 5).
#pragma once

#include <windows.h>
#include <ntddndis.h>
#include <vector>

#include "classlib/ClassLib.h"
#include "classlib/ImageList.h"
#include "core/ConnectEngine.h"
#include "core/WpsRuntime.h"
#include "pagebase/ChildPage.h"
#include "widgets/CellListCtrl.h"
#include "widgets/FilterEdit.h"
#include "widgets/GradientProgressCtrl.h"
#include "widgets/SkinButton.h"
#include "resource.h"

// The page's timers, on its own window.
#define IDT_WPS_PAGE_SCAN_DONE  1   // a rescan has had time to finish (one-shot)
#define IDT_WPS_PAGE_STATUS     2   // the enrolment state machine, every second
#define IDT_WPS_PAGE_SCAN_LIST  3   // the driver's scan list during a run, every 20 s
#define IDT_WPS_PAGE_CONNECT    4   // the connect check, every 2 s
#define IDT_WPS_PAGE_BUTTON     6   // the adapter's push button, every second

// The method word of the start record, and bit 28 of a status word.
#define WPS_METHOD_PIN          0x10000000u
#define WPS_METHOD_PBC          0x20000000u
#define WSC_STATUS_PIN_RUN      0x10000000u

#pragma pack(push, 1)
// The payload of OID_VENDOR_WSC_START.
struct WpsStartRecord {
    DWORD method;           // WPS_METHOD_*
    char pin[8];            // eight ASCII digits, no terminator (PIN runs)
    NDIS_802_11_SSID ssid;  // the chosen access point (PIN runs)
    BYTE bssid[6];
    BYTE channel;           // by the access point's frequency; 0 off the channel table
    BYTE role;              // 1 enrollee, 2 registrar
};
#pragma pack(pop)
static_assert(sizeof(WpsStartRecord) == 56, "WPS start record layout");

// One row of the access point list.
struct WpsApEntry {
    DWORD connected = 0;    // never set: the list marks no connected access point
    CString ssid;           // at most 32 bytes
    CString bssid;          // "%02X-%02X-%02X-%02X-%02X-%02X"
    CString channel;        // "%u"; empty off the channel table
    CString id;             // Device Password ID; empty when unknown
    DWORD secured = 0;
    LONG signal = 0;        // the entry's RSSI
};

// One row of the profile list: a stored credential.
struct WpsProfileRow {
    int state = -1;         // -1 none, 0 connected, 1 not connected
    CString ssid;
    CString mac;            // the credential's MAC address, as the BSSID above
    DWORD secured = 0;      // 0 only for open with no encryption
};

// The checksum digit of a seven-digit number: the digits of n * 10 weighted
// 3, 1, 3, 1, 3, 1, 3 from the left, (10 - sum mod 10) mod 10.
DWORD ComputeWpsPinChecksum(DWORD n);
// The adapter's own PIN from its MAC address: bytes 3-5 modulo 10^7, then
// the checksum digit.
DWORD WpsPinFromMac(const BYTE mac[6]);

// What one status word of the driver makes of the page.
enum WpsStatusAction {
    WPS_STEP_NONE,                 // keep polling
    WPS_STEP_IDLE,                 // code 0: the state machine ends
    WPS_STEP_CONFIGURED,           // code 15: take the credentials
    WPS_STEP_STOP,                 // 0x201-0x203: the session stops
    WPS_STEP_STOP_AND_DISCONNECT,  // 0x204: the session stops, then Disconnect
};
struct WpsStatusStep {
    CString text;        // "PIN - " or "PBC - " and the code's own text
    int progress;        // -1: unchanged
    WpsStatusAction action;
};
WpsStatusStep WpsStatusFor(DWORD statusWord);

// The progress bar's colour for a position: green below 35, yellow below 70,
// blue up to 100; CLR_INVALID above 100 (the colours stay).
COLORREF WpsProgressColour(int position);

// The registrar's own credential: "ExRegNW" and MAC bytes 3-5, WPA2-PSK with
// AES, key index 1, and a key of 64 upper-case hex digits of 32 bytes from
// the system's random source.  FALSE (and an empty block) when that source
// fails: a guessable key is worse than none.
BOOL BuildRegistrarCredential(const BYTE mac[6], WpsCredentialBlock* block);

class CWpsPage : public CChildPage {
public:
    explicit CWpsPage(CConfigMainDlg* pMainDlg);
    ~CWpsPage() override;

    const std::vector<WpsApEntry>& ApEntries() const { return m_apEntries; }
    const std::vector<WpsProfileRow>& ProfileRows() const { return m_profileRows; }
    DWORD OwnPin() const { return m_dwOwnPin; }
    // The text the PIN edit's popup showed last ("" before any).
    const CString& PinRefusal() const { return m_strPinRefusal; }

    // The rows of the stored credentials, afresh; the credential in use and
    // the next one go back to the first.
    void FillWpsProfileList();
    // Empties the profile list (the detail panel does before a refill).
    void EmptyProfileList();
    void OnTimer(UINT_PTR id);

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnDestroy();
    LRESULT OnGetCellInfo(WPARAM wParam, LPARAM lParam);
    void OnListChanged(NMHDR* hdr, LRESULT* result);
    void OnPbc();
    void OnPin();
    void OnRescan();
    void OnInformation();
    void OnProfileDetail();
    void OnConnect();
    void OnRotate();
    void OnDisconnect();
    void OnDelete();
    void OnConfigModeChanged();

private:
    void PlaceControls();
    void BuildLists();
    void BuildWpsApList();
    void SetProfileRowState(int index, int state);
    void UpdateButtons();
    void StartPbcFromButton();
    void StartWpsStatusPolling();
    void StopWpsSession(BOOL resetProgress);
    void StopWpsTimers();
    BOOL ValidatePinCode();
    void MakeDefaultPin();
    void MakeRegistrarCredential();
    void ClearCredentials();
    void SendStartRecord(WpsStartRecord& record);
    void StatusStep();
    void TakeConfiguredCredentials();
    void ConnectCheck();
    void ButtonStep();
    void SetStatus(const CString& text);
    void SetProgress(int position);
    void ColourProgress();
    void StartRescanTimer();
    void SetPinEditable();
    void ShowPinCode();
    static void RedrawVisibleRows(CCellListCtrl& list);
    static void FocusFirstRow(CCellListCtrl& list, int count);

    // Fields exchanged with the controls.
    int m_bProbeIe = 1;
    int m_bAssociateIe = 1;
    CString m_strPin;
    CString m_strStatus;

    BssidListBuffer* m_pApBuffer = nullptr;   // 64 KB movable: the WPS entries, row n = entry n
    std::vector<const NDIS_WLAN_BSSID_EX*> m_apRecords;   // entry of each row, in m_pApBuffer
    std::vector<WpsApEntry> m_apEntries;
    std::vector<WpsProfileRow> m_profileRows;
    BYTE m_mac[6] = {};
    int m_nConnectTicks = 1;
    DWORD m_dwOwnPin = 0;
    CString m_strPinRefusal;

    CCellListCtrl m_listAp, m_listProfile;
    CImageList m_images;
    CFont m_font;
    CSkinButton m_btnRescan, m_btnInformation, m_btnPin, m_btnPbc, m_btnDetail, m_btnConnect, m_btnRotate,
        m_btnDisconnect, m_btnDelete;
    CFilterEdit m_editPin;
    CComboBox m_comboMode;
    CGradientProgressCtrl m_progress;
};
