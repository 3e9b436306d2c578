#include "widgets/IconComboBox.h"

#include <algorithm>

namespace {
const int kDefaultColumnWidth = 50;
}

CIconComboBox::CIconComboBox() : m_arrColumnWidths(100, kDefaultColumnWidth) {}

CIconComboBox::~CIconComboBox()
{
    if (IsWindow())
        FreeAllRecords();
    if (m_hBold)
        ::DeleteObject(m_hBold);
}

IconComboItem* CIconComboBox::RecordOf(int item) const
{
    if (!IsWindow() || item < 0 || item >= GetCount())
        return nullptr;
    DWORD_PTR data = GetItemData(item);
    return data == (DWORD_PTR)CB_ERR ? nullptr : (IconComboItem*)data;
}

IconComboItem* CIconComboBox::GetItemRecord(int item)
{
    if (!IsWindow() || item < 0 || item >= GetCount())
        return nullptr;
    IconComboItem* record = RecordOf(item);
    if (!record) {
        record = new IconComboItem;
        SetItemData(item, (DWORD_PTR)record);
    }
    return record;
}

CString CIconComboBox::GetItemText(int item, int column) const
{
    if (column == 0) {
        CString text;
        if (IsWindow() && item >= 0 && item < GetCount())
            GetLBText(item, text);
        return text;
    }
    IconComboItem* record = RecordOf(item);
    if (!record)
        return CString();
    auto it = record->columnTexts.find(column);
    return it == record->columnTexts.end() ? CString() : it->second;
}

void CIconComboBox::SetItemText(int item, int column, const char* text)
{
    IconComboItem* record = GetItemRecord(item);
    if (record)
        record->columnTexts[column] = text;
}

int CIconComboBox::GetColumnWidth(int column) const
{
    return column >= 0 && column < (int)m_arrColumnWidths.size() ? m_arrColumnWidths[(size_t)column] : 0;
}

void CIconComboBox::SetColumnWidth(int column, int width)
{
    if (column < 0 || column >= (int)m_arrColumnWidths.size())
        return;
    m_arrColumnWidths[(size_t)column] = width;
    if (IsWindow())
        Invalidate();
}

void CIconComboBox::SetColumnCount(int count)
{
    m_arrColumnWidths.resize((size_t)std::max(count, 0), kDefaultColumnWidth);
    if (IsWindow())
        Invalidate();
}

void CIconComboBox::FreeRecord(int item)
{
    IconComboItem* record = RecordOf(item);
    if (record) {
        SetItemData(item, 0);
        delete record;
    }
}

void CIconComboBox::FreeAllRecords()
{
    for (int i = GetCount() - 1; i >= 0; --i)
        FreeRecord(i);
}

// The records live in the item data: freed with their items, whoever the parent is.
LRESULT CIconComboBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case CB_DELETESTRING:
        FreeRecord((int)wParam);
        break;
    case CB_RESETCONTENT:
    case WM_DESTROY:
        FreeAllRecords();
        break;
    default:
        break;
    }
    return CComboBox::WindowProc(msg, wParam, lParam);
}

HFONT CIconComboBox::BoldFont(HFONT base)
{
    if (base != m_hBoldBase || !m_hBold) {
        if (m_hBold)
            ::DeleteObject(m_hBold);
        LOGFONTA lf = {};
        ::GetObjectA(base ? (HGDIOBJ)base : ::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
        lf.lfWeight = FW_BOLD;
        m_hBold = ::CreateFontIndirectA(&lf);
        m_hBoldBase = base;
    }
    return m_hBold;
}

BOOL CIconComboBox::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (msg == WM_DRAWITEM) {
        DrawItem((LPDRAWITEMSTRUCT)lParam);
        *pResult = TRUE;
        return TRUE;
    }
    return CComboBox::OnChildNotify(msg, wParam, lParam, pResult);
}

void CIconComboBox::DrawItem(LPDRAWITEMSTRUCT dis)
{
    int item = (int)dis->itemID;
    int count = GetCount();
    if (count <= 0 || item < 0 || item >= count)
        return;
    CDC dc;
    dc.Attach(dis->hDC);
    int saved = dc.SaveDC();
    CRect rect = dis->rcItem;
    bool selected = (dis->itemState & ODS_SELECTED) != 0;
    if (selected) {
        dc.SetTextColor(::GetSysColor(COLOR_HIGHLIGHTTEXT));
        dc.SetBkColor(::GetSysColor(COLOR_HIGHLIGHT));
        dc.FillSolidRect(&rect, ::GetSysColor(COLOR_HIGHLIGHT));
    } else {
        dc.FillSolidRect(&rect, ::GetBkColor(dis->hDC));
    }

    IconComboItem* record = RecordOf(item);
    CRect text = rect;
    text.DeflateRect(1, 0);
    if (m_pImageList && m_pImageList->GetSafeHandle() && m_bShowIcons) {
        int cx = 0, cy = 0;
        m_pImageList->GetIconSize(&cx, &cy);
        if (record && record->nImage != -1) {
            POINT at = { text.left, text.top + (text.Height() - cy) / 2 };
            m_pImageList->Draw(dc, record->nImage, at, ILD_TRANSPARENT);
        }
        text.left += cx;
    }
    HFONT base = (HFONT)::GetCurrentObject(dis->hDC, OBJ_FONT);
    if (record && record->bBold)
        dc.SelectObject(BoldFont(base));
    if (record && !(selected && record->crText == 0))
        dc.SetTextColor(record->crText);
    else if (!selected)
        dc.SetTextColor(::GetSysColor(COLOR_WINDOWTEXT));
    dc.SetBkMode(TRANSPARENT);

    int columns = (int)m_arrColumnWidths.size();
    if (columns < 2) {
        dc.DrawText(GetItemText(item, 0), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    } else {
        CPen grey(PS_SOLID, 1, RGB(0xC0, 0xC0, 0xC0));
        HGDIOBJ oldPen = dc.SelectObject(grey);
        int x = text.left;
        for (int i = 0; i < columns && x < rect.right; ++i) {
            int end = i == columns - 1 ? (int)rect.right : x + m_arrColumnWidths[(size_t)i];
            if (i != columns - 1) {
                dc.MoveTo(end, rect.top);
                dc.LineTo(end, rect.bottom);
            }
            CRect cell(x + 1, text.top, end, text.bottom);
            if (i == 0) {
                dc.DrawText(GetItemText(item, 0), &cell, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            } else if (record) {
                auto it = record->columnTexts.find(i);
                if (it != record->columnTexts.end())
                    dc.DrawText(it->second, &cell, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            }
            x = end;
        }
        dc.SelectObject(oldPen);
    }
    dc.RestoreDC(saved);
    dc.Detach();
}
