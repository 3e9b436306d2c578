#include "classlib/DataExchange.h"
#include "classlib/Wnd.h"

#include <cstdlib>

namespace {

void ValidationMessage(CDataExchange* pDX, const CString& text)
{
    ::MessageBoxA(pDX->m_pDlgWnd ? pDX->m_pDlgWnd->m_hWnd : nullptr, text, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

bool ParseLong(const CString& text, long long& out)
{
    CString t = text;
    t.Trim();
    if (t.IsEmpty())
        return false;
    char* end = nullptr;
    out = strtoll(t, &end, 10);
    return end && *end == '\0';
}

template <class T>
void DdxNumber(CDataExchange* pDX, int id, T& value, long long lo, long long hi)
{
    HWND h = pDX->PrepareEditCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        CString text;
        pDX->m_pDlgWnd->GetDlgItemText(id, text);
        long long v = 0;
        if (!ParseLong(text, v) || v < lo || v > hi) {
            ValidationMessage(pDX, "Please enter an integer.");
            pDX->Fail();
        }
        value = (T)v;
    } else {
        CString text;
        if (lo < 0)
            text.Format("%lld", (long long)value);
        else
            text.Format("%llu", (unsigned long long)value);
        ::SetWindowTextA(h, text);
    }
}

} // namespace

HWND CDataExchange::PrepareCtrl(int id)
{
    m_hWndLastControl = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    return m_hWndLastControl;
}

void CDataExchange::Fail()
{
    if (m_hWndLastControl) {
        ::SetFocus(m_hWndLastControl);
        if (::SendMessageA(m_hWndLastControl, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
            ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    throw CUserException();
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (!control.m_hWnd) {
        HWND h = pDX->PrepareCtrl(id);
        if (h)
            control.SubclassWindow(h);
    }
}

void DDX_Text(CDataExchange* pDX, int id, CString& value)
{
    HWND h = pDX->PrepareEditCtrl(id);
    if (pDX->m_bSaveAndValidate)
        pDX->m_pDlgWnd->GetDlgItemText(id, value);
    else
        ::SetWindowTextA(h, value);
}

void DDX_Text(CDataExchange* pDX, int id, int& value) { DdxNumber(pDX, id, value, INT_MIN, INT_MAX); }
void DDX_Text(CDataExchange* pDX, int id, UINT& value) { DdxNumber(pDX, id, value, 0, UINT_MAX); }
void DDX_Text(CDataExchange* pDX, int id, DWORD& value) { DdxNumber(pDX, id, value, 0, UINT_MAX); }

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    HWND h = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate)
        value = (int)::SendMessageA(h, BM_GETCHECK, 0, 0);
    else
        ::SendMessageA(h, BM_SETCHECK, (WPARAM)value, 0);
}

void DDX_Radio(CDataExchange* pDX, int id, int& value)
{
    // The group starts at id and runs over the following radio buttons.
    HWND h = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate)
        value = -1;
    int index = 0;
    for (HWND b = h; b; b = ::GetWindow(b, GW_HWNDNEXT), ++index) {
        if (b != h && (::GetWindowLongPtrA(b, GWL_STYLE) & WS_GROUP))
            break;
        if (pDX->m_bSaveAndValidate) {
            if (::SendMessageA(b, BM_GETCHECK, 0, 0) == BST_CHECKED)
                value = index;
        } else {
            ::SendMessageA(b, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
}

void DDX_CBIndex(CDataExchange* pDX, int id, int& index)
{
    HWND h = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate)
        index = (int)::SendMessageA(h, CB_GETCURSEL, 0, 0);
    else
        ::SendMessageA(h, CB_SETCURSEL, (WPARAM)index, 0);
}

void DDX_CBString(CDataExchange* pDX, int id, CString& value)
{
    HWND h = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        pDX->m_pDlgWnd->GetDlgItemText(id, value);
    } else if (::SendMessageA(h, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)(const char*)value) == CB_ERR) {
        ::SetWindowTextA(h, value);
    }
}

void DDX_LBIndex(CDataExchange* pDX, int id, int& index)
{
    HWND h = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate)
        index = (int)::SendMessageA(h, LB_GETCURSEL, 0, 0);
    else
        ::SendMessageA(h, LB_SETCURSEL, (WPARAM)index, 0);
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int maxChars)
{
    if (pDX->m_bSaveAndValidate) {
        if (value.GetLength() > maxChars) {
            CString text;
            text.Format("Please enter no more than %d characters.", maxChars);
            ValidationMessage(pDX, text);
            pDX->Fail();
        }
    } else if (pDX->m_hWndLastControl) {
        ::SendMessageA(pDX->m_hWndLastControl, EM_LIMITTEXT, (WPARAM)maxChars, 0);
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    if (pDX->m_bSaveAndValidate && (value < minVal || value > maxVal)) {
        CString text;
        text.Format("Please enter an integer between %d and %d.", minVal, maxVal);
        ValidationMessage(pDX, text);
        pDX->Fail();
    }
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal)
{
    if (pDX->m_bSaveAndValidate && (value < minVal || value > maxVal)) {
        CString text;
        text.Format("Please enter an integer between %u and %u.", minVal, maxVal);
        ValidationMessage(pDX, text);
        pDX->Fail();
    }
}
