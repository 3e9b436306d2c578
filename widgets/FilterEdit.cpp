#include "widgets/FilterEdit.h"

#include <cstdlib>

// ---- CBuddySlider ----

void CBuddySlider::SetBuddyEdit(CFilterEdit* edit)
{
    m_pEdit = edit;
    if (IsWindow() && (CWnd::GetStyle() & TBS_VERT))
        m_bReversed = TRUE;
}

void CBuddySlider::SetRange(int minVal, int maxVal)
{
    m_nMin = minVal;
    m_nMax = maxVal;
    if (IsWindow())
        CSliderCtrl::SetRange(minVal, maxVal, TRUE);
}

void CBuddySlider::SetPosFromEdit(int value)
{
    int pos = m_bReversed ? m_nMin + m_nMax - value : value;
    if (IsWindow())
        SendMessage(TBM_SETPOS, TRUE, pos);
}

BOOL CBuddySlider::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (msg == WM_HSCROLL && m_pEdit) {
        UINT code = LOWORD(wParam);
        int pos;
        if (code <= SB_PAGEDOWN)   // SB_LINEUP is 0
            pos = GetPos();
        else if (code == SB_THUMBTRACK)
            pos = (short)HIWORD(wParam);
        else
            return FALSE;
        m_nLastPos = pos;
        m_pEdit->ShowValue(pos);
    }
    // The parent still sees the scroll.
    return CSliderCtrl::OnChildNotify(msg, wParam, lParam, pResult);
}

// ---- CFilterEdit ----

BEGIN_MESSAGE_MAP(CFilterEdit, CEdit)
    ON_WM_CHAR()
    ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

CFilterEdit::CFilterEdit() : m_infoWnd(RGB(0xFF, 0x81, 0x81)) {}

CFilterEdit::~CFilterEdit()
{
    if (m_pSlider && m_pSlider->m_pEdit == this)
        m_pSlider->m_pEdit = nullptr;
    // A slider subclassed here goes back to its window as it was.
    if (m_ownSlider && m_ownSlider->IsWindow())
        m_ownSlider->UnsubclassWindow();
}

WORD CFilterEdit::CharClass(UINT ch)
{
    if (ch < 32)
        return 0xFFFF;
    if (ch >= '0' && ch <= '9')
        return 0x55;
    char c = (char)ch;
    if (::IsCharAlphaA(c)) {
        char up = (char)(UINT_PTR)::CharUpperA((LPSTR)(UINT_PTR)(BYTE)c);
        if (up == 'E')
            return 0x46;
        if ((up >= 'A' && up <= 'D') || up == 'F')
            return 0x42;
        return 0x02;
    }
    switch (c) {
    case '-': return 0x14;
    case '.': return 0x04;
    case '_': return 0x28;
    default:  return 0x08;
    }
}

void CFilterEdit::PreSubclassWindow()
{
    CEdit::PreSubclassWindow();
    if (!m_infoWnd.m_hWnd)
        m_infoWnd.Create(GetParent());
}

void CFilterEdit::OnChar(UINT ch, UINT, UINT)
{
    if (m_wCharMask & CharClass(ch))
        Default();
    else
        OnBadChar();
}

void CFilterEdit::WriteValue(int value)
{
    CString text;
    text.Format("%d", value);
    SetWindowText(text);
}

void CFilterEdit::OnKillFocus(CWnd*)
{
    if (m_pSlider) {
        char buf[513] = "";
        ::GetWindowTextA(m_hWnd, buf, sizeof(buf));
        long read = strtol(buf, nullptr, 10);
        int value = read < m_nMin ? m_nMin : read > m_nMax ? m_nMax : (int)read;
        if (value != read)
            OnBadChar();
        m_pSlider->SetPosFromEdit(value);
        m_nValue = value;
        if (value != read)
            WriteValue(value);
    }
    Default();
}

void CFilterEdit::LinkSlider()
{
    if (!m_pSlider)
        return;
    m_pSlider->SetBuddyEdit(this);
    m_pSlider->SetRange(m_nMin, m_nMax);
    if (m_pSlider->IsWindow()) {
        m_pSlider->SendMessage(TBM_SETLINESIZE, 0, m_nLineSize);
        m_pSlider->SendMessage(TBM_SETPAGESIZE, 0, m_nPageSize);
    }
}

BOOL CFilterEdit::SetRange(int minVal, int maxVal, int lineSize, int pageSize)
{
    m_nMin = minVal;
    m_nMax = maxVal;
    m_nLineSize = lineSize;
    m_nPageSize = pageSize;
    LinkSlider();
    m_wCharMask = minVal < 0 ? (FE_DIGITS | FE_SIGNED) : FE_DIGITS;
    return TRUE;
}

void CFilterEdit::AttachSlider(CWnd* parent, int sliderId)
{
    HWND h = parent ? ::GetDlgItem(parent->GetSafeHwnd(), sliderId) : nullptr;
    if (!h)
        return;
    CBuddySlider* slider = dynamic_cast<CBuddySlider*>(CWnd::FromHandlePermanent(h));
    if (!slider) {
        m_ownSlider.reset(new CBuddySlider);
        if (!m_ownSlider->SubclassWindow(h)) {
            m_ownSlider.reset();
            return;
        }
        slider = m_ownSlider.get();
    }
    m_pSlider = slider;
    LinkSlider();
}

BOOL CFilterEdit::SetValue(int value)
{
    if (value < m_nMin || value > m_nMax)
        return FALSE;
    m_nValue = value;
    WriteValue(value);
    return TRUE;
}

BOOL CFilterEdit::ShowValue(int value)
{
    if (value == m_nValue)
        return FALSE;
    m_nValue = value;
    WriteValue(value);
    return TRUE;
}
