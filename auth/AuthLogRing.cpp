#include "auth/AuthLogRing.h"

#include <cstring>

#include "core/HideDlg.h"
#include "mainwnd/ConfigMainDlg.h"

AuthLogRing g_AuthLogRing;

void AppendAuthLogLine(const char* text)
{
    int index = g_AuthLogRing.writeIndex;
    if (index < 0 || index >= AUTH_LOG_LINES) index = 0;
    char* line = g_AuthLogRing.lines[index];
    std::strncpy(line, text ? text : "", 255);
    line[255] = 0;
    CHideDlg* hide = g_pHideDlg;
    if (hide && hide->m_pMainDlg && hide->m_pMainDlg->IsWindow()) {
        CWnd* page = hide->m_pMainDlg->GetPanel(PANEL_AUTH_STATUS);
        if (page && page->IsWindow()) ::PostMessageA(page->m_hWnd, WM_APP_AUTH_LOG_LINE, (WPARAM)index, 0);
    }
    g_AuthLogRing.writeIndex = index + 1 >= AUTH_LOG_LINES ? 0 : index + 1;
}
