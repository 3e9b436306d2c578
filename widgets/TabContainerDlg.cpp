#include "widgets/TabContainerDlg.h"

CTabContainerDlg::CTabContainerDlg(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

CTabContainerDlg::~CTabContainerDlg()
{
    m_mapPages.clear();
    m_mapTabs.clear();
    m_mapForward.clear();
}

void CTabContainerDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
}

int CTabContainerDlg::AddPage(CWnd* page, CSkinButton* tab)
{
    m_mapPages[m_nTabCount] = page;
    m_mapTabs[m_nTabCount] = tab;
    ++m_nTabCount;
    return 1;
}

int CTabContainerDlg::AddForwardButton(CWnd* button)
{
    m_mapForward[m_nForwardCount++] = button;
    return 1;
}

CWnd* CTabContainerDlg::GetPage(int index) const
{
    auto it = m_mapPages.find(index);
    return it == m_mapPages.end() ? nullptr : it->second;
}

CSkinButton* CTabContainerDlg::GetTab(int index) const
{
    auto it = m_mapTabs.find(index);
    return it == m_mapTabs.end() ? nullptr : it->second;
}

void CTabContainerDlg::PlacePages(CRect rcPage, int, int, int showIndex)
{
    for (int i = 0;; ++i) {
        CWnd* page = GetPage(i);
        if (!page)
            break;
        if (!page->IsWindow())
            continue;   // registered before its window is made (the owner places it then)
        page->MoveWindow(&rcPage, TRUE);
        if (i == showIndex) {
            page->ShowWindow(SW_SHOW);
            if (CSkinButton* tab = GetTab(i)) {
                tab->m_bTabSelected = 1;
                if (tab->IsWindow())
                    tab->Invalidate();
            }
        }
    }
}

void CTabContainerDlg::HideAllPages()
{
    for (auto& p : m_mapPages)
        if (p.second && p.second->IsWindow())
            p.second->ShowWindow(SW_HIDE);
}

void CTabContainerDlg::ClearTabSelection()
{
    for (auto& t : m_mapTabs) {
        if (!t.second)
            continue;
        t.second->m_bTabSelected = 0;
        t.second->CancelHover();
        // The tabs may be children of the owner: they repaint themselves.
        if (t.second->IsWindow())
            t.second->Invalidate();
    }
    if (IsWindow())
        Invalidate();
}

BOOL CTabContainerDlg::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (msg == WM_COMMAND && HIWORD(wParam) == 0) {
        // The button sees its own click first (focus, the clicked flag).
        LRESULT ignored = 0;
        ReflectToChild(msg, wParam, lParam, &ignored);
        OnCommand(wParam, lParam);
        *pResult = 0;
        return TRUE;
    }
    return CDialog::OnWndMsg(msg, wParam, lParam, pResult);
}

BOOL CTabContainerDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    HWND from = (HWND)lParam;
    if (HIWORD(wParam) != 0) {
        LRESULT r = 0;
        return CDialog::OnWndMsg(WM_COMMAND, wParam, lParam, &r);
    }
    if (from) {
        for (auto& t : m_mapTabs) {
            CWnd* page = GetPage(t.first);
            if (t.second && t.second->GetSafeHwnd() == from && page && page->IsWindow()) {
                ClearTabSelection();
                t.second->m_bTabSelected = 1;
                t.second->Invalidate();
                HideAllPages();
                page->ShowWindow(SW_SHOW);
                return TRUE;
            }
        }
        for (auto& f : m_mapForward) {
            if (f.second && f.second->GetSafeHwnd() == from) {
                ::SetParent(from, ::GetParent(m_hWnd));
                ::SendMessageA(from, BM_CLICK, 0, 0);
                ::SetParent(from, m_hWnd);
                return TRUE;
            }
        }
    }
    // Enter, Escape and every other command end here: the container never closes.
    return FALSE;
}
