// Dialog data exchange and validation between controls and members.
#pragma once

#include "classlib/CString.h"
#include <windows.h>

class CWnd;

struct CUserException {};

class CDataExchange {
public:
    CDataExchange(CWnd* dlg, BOOL saveAndValidate) : m_pDlgWnd(dlg), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    HWND m_hWndLastControl = nullptr;

    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id) { return PrepareCtrl(id); }
    // Puts the focus on the last prepared control and abandons the exchange.
    [[noreturn]] void Fail();
};

class CWnd;
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
void DDX_Text(CDataExchange* pDX, int id, CString& value);
void DDX_Text(CDataExchange* pDX, int id, int& value);
void DDX_Text(CDataExchange* pDX, int id, UINT& value);
void DDX_Text(CDataExchange* pDX, int id, DWORD& value);
void DDX_Check(CDataExchange* pDX, int id, int& value);
void DDX_Radio(CDataExchange* pDX, int id, int& value);
void DDX_CBIndex(CDataExchange* pDX, int id, int& index);
void DDX_CBString(CDataExchange* pDX, int id, CString& value);
void DDX_LBIndex(CDataExchange* pDX, int id, int& index);

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int maxChars);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);
