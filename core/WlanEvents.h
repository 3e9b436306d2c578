// Driver events through WMI: the controller subscribes once to the driver's
// event class; each event makes it re-read the ICV-error state.
#pragma once

#include <windows.h>
#include <wbemidl.h>

#define WM_APP_WMI_EVENT   (WM_APP + 1)      // 0x8001, driver event from the WMI sink

// The driver's event class in the namespace ROOT\WMI.
constexpr char WLAN_EVENT_CLASS[] = "ObWLANMessageEvent";

// Receives the events on a COM thread and only posts WM_APP_WMI_EVENT to the
// notify window; all work happens on the user-interface thread.
class CWmiEventSink : public IWbemObjectSink {
public:
    CWmiEventSink() = default;
    virtual ~CWmiEventSink() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Indicate(LONG count, IWbemClassObject** objects) override;
    STDMETHODIMP SetStatus(LONG flags, HRESULT result, BSTR param, IWbemClassObject* object) override;

    void SetNotifyWindow(HWND hwnd) { m_hNotifyWnd = hwnd; }

private:
    volatile HWND m_hNotifyWnd = nullptr;
    LONG m_nRef = 1;
};

class CWlanEventWatcher {
public:
    CWlanEventWatcher();
    ~CWlanEventWatcher();
    CWlanEventWatcher(const CWlanEventWatcher&) = delete;
    CWlanEventWatcher& operator=(const CWlanEventWatcher&) = delete;

    void SetNotifyWindow(HWND hwnd);
    // Subscribes; FALSE (and nothing shown) when WMI is unavailable.
    BOOL Connect();
    // Cancels the subscription and frees the sink.
    void Disconnect();
    // Reads OID_VENDOR_ICV_ERROR into g_bIcvError (not on legacy models).
    void OnWlanEvent();

    BOOL IsConnected() const { return m_bConnected; }
    // The sink WMI calls (also handed events by tests); NULL after Disconnect.
    CWmiEventSink* GetSink() const { return m_pSink; }

private:
    IWbemLocator* m_pLocator = nullptr;
    IWbemServices* m_pServices = nullptr;
    BOOL m_bConnected = FALSE;
    CWmiEventSink* m_pSink = nullptr;
    HWND m_hNotifyWnd = nullptr;
};
