// Driver events through WMI.  Not built yet: the watcher connects to nothing.
#pragma once

#include <windows.h>

class CWmiEventSink;

class CWlanEventWatcher {
public:
    CWlanEventWatcher();
    ~CWlanEventWatcher();
    void SetNotifyWindow(HWND hwnd);
    BOOL Connect();
    void Disconnect();
    void OnWlanEvent();

private:
    void* m_pLocator = nullptr;
    void* m_pServices = nullptr;
    BOOL m_bConnected = FALSE;
    CWmiEventSink* m_pSink = nullptr;
    HWND m_hNotifyWnd = nullptr;
};
