// Placeholder of the WMI driver-event watcher: every operation does nothing.
#include "core/WlanEvents.h"
#include "core/HideDlg.h"

CWlanEventWatcher::CWlanEventWatcher() {}
CWlanEventWatcher::~CWlanEventWatcher() {}
void CWlanEventWatcher::SetNotifyWindow(HWND hwnd) { m_hNotifyWnd = hwnd; }
BOOL CWlanEventWatcher::Connect() { return FALSE; }
void CWlanEventWatcher::Disconnect() {}
void CWlanEventWatcher::OnWlanEvent() {}

void CHideDlg::StartEventWatcher()
{
    m_EventWatcher.SetNotifyWindow(m_hWnd);
    m_EventWatcher.Connect();
}

LRESULT CHideDlg::OnWlanEvent(WPARAM, LPARAM)
{
    m_EventWatcher.OnWlanEvent();
    return 0;
}
