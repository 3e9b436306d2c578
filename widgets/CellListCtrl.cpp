#include "widgets/CellListCtrl.h"

#include <algorithm>
#include <vector>

namespace {

const COLORREF kBarRed = RGB(255, 0, 0);
const COLORREF kBarYellow = RGB(255, 255, 0);
const COLORREF kBarGreen = RGB(0, 255, 0);

COLORREF Resolve(COLORREF c, int sysColor)
{
    return c == CELL_COLOR_DEFAULT ? ::GetSysColor(sysColor) : c;
}

void FillIfColor(CDC* dc, const RECT& r, COLORREF c)
{
    if (c != CLR_NONE)
        dc->FillSolidRect(&r, c);
}

CString DoubleAmpersands(const CString& text)
{
    CString out = text;
    out.Replace("&", "&&");
    return out;
}

} // namespace

void CListCellInfo::Reset()
{
    m_strText.Empty();
    m_strTooltip.Empty();
    m_bNoSelection = 0;
    m_bSpare = 0;
    m_bBold = 0;
    m_bItalic = 0;
    m_nFormat = DT_END_ELLIPSIS | DT_VCENTER | DT_SINGLELINE;
    m_nImage = -1;
    m_pImageList = nullptr;
    m_bImageIgnoresSelection = 1;
    m_bCenterImage = 0;
    m_nSelectedImageStyle = ILD_BLEND50;
    m_nCheckState = 0;
    m_bCheckBox = 0;
    m_bCenterCheckBox = 0;
    m_bCheckIgnoresSelection = 1;
    m_nBarMax = -1;
    m_nBarValue = 0;
    m_crBar = CELL_COLOR_DEFAULT;
    m_crBarText = CELL_COLOR_DEFAULT;
    m_nBarEdge = EDGE_SUNKEN;
    m_crText = CELL_COLOR_DEFAULT;
    m_crBackground = CELL_COLOR_DEFAULT;
    m_crHotText = CELL_COLOR_DEFAULT;
    m_crSelectedText = CELL_COLOR_DEFAULT;
    m_crSelectedBkFocused = CELL_COLOR_DEFAULT;
    m_crSelectedBkUnfocused = CELL_COLOR_DEFAULT;
    m_crFocusCellText = CELL_COLOR_DEFAULT;
    m_crFocusCellBk = CELL_COLOR_DEFAULT;
    m_nRow = -1;
    m_nColumn = -1;
    m_bSelected = 0;
    m_bHot = 0;
}

BEGIN_MESSAGE_MAP(CCellListCtrl, CListCtrl)
    ON_WM_PAINT()
    ON_WM_MOUSEMOVE()
    ON_WM_KEYDOWN()
    KQ_MSG_ENTRY(WM_DESTROY, 0, 0, 0,
                 if (pThis->m_hToolTip) ::DestroyWindow(pThis->m_hToolTip);
                 pThis->m_hToolTip = nullptr;
                 pThis->m_nLastTool = -1;
                 return pThis->Default();)
END_MESSAGE_MAP()

CCellListCtrl::CCellListCtrl()
{
    m_gradient.SetGradientColors(4, kBarRed, kBarYellow, kBarYellow, kBarGreen);
}

CCellListCtrl::~CCellListCtrl()
{
    if (m_hToolTip && ::IsWindow(m_hToolTip))
        ::DestroyWindow(m_hToolTip);
    for (HFONT& f : m_hStyled)
        if (f) ::DeleteObject(f);
    m_ilSmall.Detach();
    m_header.m_hWnd = nullptr;
}

CHeaderCtrl* CCellListCtrl::Header() const
{
    m_header.m_hWnd = GetHeaderCtrl();
    return &m_header;
}

CCellListCtrl::ListState CCellListCtrl::ReadListState() const
{
    ListState st;
    st.focused = HasFocus();
    st.exStyle = GetExtendedStyle();
    st.style = GetStyle();
    st.hotItem = GetHotItem();
    st.images = GetImageList(LVSIL_SMALL);
    return st;
}

UINT CCellListCtrl::ColumnAlignment(int column) const
{
    if (m_pPaint && column >= 0 && (size_t)column < m_pPaint->align.size())
        return m_pPaint->align[(size_t)column];
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    if (!Header()->GetItem(column, &item))
        return 0;
    if ((item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER)
        return DT_CENTER;
    if ((item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT)
        return DT_RIGHT;
    return 0;
}

CListCellInfo* CCellListCtrl::GetCellInfo(int row, int column)
{
    const ListState st = m_pPaint ? m_pPaint->list : ReadListState();
    CListCellInfo& info = m_cellInfo;
    info.Reset();
    info.m_nRow = row;
    info.m_nColumn = column;
    bool selected = row >= 0 && (GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    if (column != 0 && !(st.exStyle & LVS_EX_FULLROWSELECT))
        selected = false;
    if (!st.focused && !(st.style & LVS_SHOWSELALWAYS))
        selected = false;
    info.m_bSelected = selected ? 1 : 0;
    info.m_bHot = row >= 0 && row == st.hotItem ? 1 : 0;
    if (m_ilSmall.GetSafeHandle() != st.images) {
        m_ilSmall.Detach();   // borrowed: the list frees its own
        m_ilSmall.Attach(st.images);
    }
    info.m_pImageList = m_ilSmall.GetSafeHandle() ? &m_ilSmall : nullptr;
    info.m_nFormat = ColumnAlignment(column) | DT_END_ELLIPSIS | DT_VCENTER | DT_SINGLELINE;

    ::SendMessageA(::GetParent(m_hWnd), WM_CELLLIST_GETCELLINFO, (WPARAM)m_hWnd, (LPARAM)&info);
    return &info;
}

BOOL CCellListCtrl::GetCellRect(int row, int column, int code, RECT* rect) const
{
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= Header()->GetItemCount())
        return FALSE;
    if (column != 0)
        return GetSubItemRect(row, column, code, rect);
    // The list's own rectangle of column 0 is the whole row.
    CRect item, head;
    if (!GetItemRect(row, &item, LVIR_BOUNDS) || !Header()->GetItemRect(0, &head))
        return FALSE;
    int scroll = ::GetScrollPos(m_hWnd, SB_HORZ);
    ::SetRect(rect, head.left - scroll, item.top, head.right - scroll, item.bottom);
    return TRUE;
}

CCellListCtrl::CellLayout CCellListCtrl::LayoutCell(const CListCellInfo& info, const CRect& cell) const
{
    CellLayout l;
    l.cell = cell;
    int h = cell.Height();
    int textLeft = cell.left;
    if (info.m_bCheckBox) {
        int left = info.m_bCenterCheckBox ? cell.left + (cell.Width() - h) / 2 : cell.left;
        l.check.SetRect(left, cell.top, left + h, cell.bottom);
        textLeft = std::max(textLeft, (int)l.check.right);
    }
    int cx = 0, cy = 0;
    if (info.m_nImage != -1 && info.m_pImageList && info.m_pImageList->GetIconSize(&cx, &cy)) {
        int left;
        if (info.m_bCenterImage)
            left = cell.left + (cell.Width() - cx) / 2;
        else
            left = info.m_bCheckBox ? l.check.right : cell.left + 1;
        int top = std::max((int)cell.top, (int)cell.top + (h - cy) / 2);
        CRect image(left, top, left + cx, top + cy);
        ::IntersectRect(&l.image, &image, &cell);
        if (!l.image.IsRectEmpty())
            textLeft = std::max(textLeft, (int)l.image.right);
    }
    l.text.SetRect(std::min(textLeft, (int)cell.right), cell.top, cell.right, cell.bottom);
    return l;
}

HFONT CCellListCtrl::StyledFont(HFONT base, BOOL bold, BOOL italic)
{
    if (base != m_hStyledBase) {
        for (HFONT& f : m_hStyled) {
            if (f) ::DeleteObject(f);
            f = nullptr;
        }
        m_hStyledBase = base;
    }
    HFONT& font = m_hStyled[(bold ? 1 : 0) + (italic ? 2 : 0)];
    if (!font) {
        LOGFONTA lf = {};
        ::GetObjectA(base ? (HGDIOBJ)base : ::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
        if (bold) lf.lfWeight = FW_BOLD;
        if (italic) lf.lfItalic = TRUE;
        font = ::CreateFontIndirectA(&lf);
    }
    return font;
}

void CCellListCtrl::DrawCell(CDC* dc, int row, int column)
{
    CRect cellRect;
    if (!GetCellRect(row, column, LVIR_BOUNDS, &cellRect))
        return;
    const CListCellInfo info = *GetCellInfo(row, column);
    const CellLayout l = LayoutCell(info, cellRect);

    const bool focused = m_pPaint ? m_pPaint->list.focused : HasFocus();
    const bool focusCell = m_bColumnFocus && column == m_nFocusColumn && focused;
    const bool drawSelected = info.m_bSelected && !info.m_bNoSelection;

    const COLORREF normalBk = Resolve(info.m_crBackground, COLOR_WINDOW);
    COLORREF selectedBk;
    if (focusCell) {
        selectedBk = Resolve(info.m_crFocusCellBk, COLOR_HOTLIGHT);
    } else {
        COLORREF set = focused ? info.m_crSelectedBkFocused : info.m_crSelectedBkUnfocused;
        if (set != CELL_COLOR_DEFAULT)
            selectedBk = set;
        else if (!m_bColumnFocus && info.m_bHot)
            selectedBk = ::GetSysColor(COLOR_HOTLIGHT);
        else
            selectedBk = ::GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_3DFACE);
    }
    const COLORREF bk = drawSelected ? selectedBk : normalBk;
    COLORREF textColor;
    if (drawSelected)
        textColor = focusCell ? Resolve(info.m_crFocusCellText, COLOR_HIGHLIGHTTEXT)
                              : Resolve(info.m_crSelectedText, focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    else
        textColor = info.m_bHot ? Resolve(info.m_crHotText, COLOR_HOTLIGHT) : Resolve(info.m_crText, COLOR_WINDOWTEXT);

    int saved = dc->SaveDC();
    // Nothing a parent asks for (DT_NOCLIP, a huge image) reaches the neighbours.
    dc->IntersectClipRect(&l.cell);

    if (info.m_bCheckBox) {
        bool plain = info.m_bCheckIgnoresSelection || info.m_bNoSelection;
        FillIfColor(dc, l.check, plain ? normalBk : bk);
        CRect box = l.check;
        ::DrawFrameControl(dc->m_hDC, &box, DFC_BUTTON, info.m_nCheckState);
    }

    if (!l.image.IsRectEmpty()) {
        bool plain = info.m_bImageIgnoresSelection || info.m_bNoSelection;
        FillIfColor(dc, l.image, plain ? normalBk : bk);
        IMAGELISTDRAWPARAMS p = {};
        p.hdcDst = dc->m_hDC;
        p.i = info.m_nImage;
        p.x = l.image.left;
        p.y = l.image.top;
        p.cx = l.image.Width();
        p.cy = l.image.Height();
        p.rgbBk = CLR_DEFAULT;
        p.rgbFg = CLR_DEFAULT;
        p.fStyle = ILD_NORMAL;
        if (info.m_bSelected && !info.m_bNoSelection) {
            p.fStyle = info.m_nSelectedImageStyle;
            p.rgbFg = selectedBk;
        }
        p.cbSize = sizeof(p);
        p.himl = info.m_pImageList->GetSafeHandle();
        DrawImage(dc, p, plain ? normalBk : bk);
    }

    CString text = DoubleAmpersands(info.m_strText);
    HFONT base = (HFONT)::GetCurrentObject(dc->m_hDC, OBJ_FONT);
    if (!text.IsEmpty() && (info.m_bBold || info.m_bItalic))
        dc->SelectObject(StyledFont(base, info.m_bBold, info.m_bItalic));

    if (info.m_nBarMax >= 1) {
        CRect bar(l.text.left + 1, l.text.top + 5, l.text.right - 2, l.text.bottom - 5);
        if (bar.right > bar.left && bar.bottom > bar.top) {
            FillIfColor(dc, bar, bk);
            CRect inner = bar;
            if (info.m_nBarEdge) {
                CRect edge = bar;
                dc->DrawEdge(&edge, info.m_nBarEdge, BF_RECT);
                inner.DeflateRect(2, 2);
            }
            int filled = 0;
            if (inner.Width() > 0 && inner.Height() > 0) {
                FillIfColor(dc, inner, bk);
                if (info.m_nBarValue >= 1) {
                    filled = info.m_nBarValue >= info.m_nBarMax
                                 ? inner.Width()
                                 : (int)((long long)inner.Width() * info.m_nBarValue / info.m_nBarMax);
                    m_gradient.m_nDirection = CGradientFill::FROM_LEFT;
                    m_gradient.m_nDeviceBits = DeviceBits(dc);
                    m_gradient.FillGradient(dc, inner, 0, filled);
                    m_gradient.m_nDeviceBits = 0;
                }
            }
            if (!text.IsEmpty()) {
                dc->SetBkMode(TRANSPARENT);
                CRect done(bar.left, bar.top, inner.left + std::max(filled, 0), bar.bottom);
                int s = dc->SaveDC();
                dc->IntersectClipRect(&done);
                dc->SetTextColor(Resolve(info.m_crBarText, COLOR_HIGHLIGHTTEXT));
                CRect r = bar;
                dc->DrawText(text, &r, info.m_nFormat);
                dc->RestoreDC(s);
                s = dc->SaveDC();
                ::ExcludeClipRect(dc->m_hDC, done.left, done.top, done.right, done.bottom);
                dc->IntersectClipRect(&bar);
                dc->SetTextColor(textColor);
                r = bar;
                dc->DrawText(text, &r, info.m_nFormat);
                dc->RestoreDC(s);
            }
        }
    } else {
        // The text part is always filled, so that an empty or shortened text
        // leaves nothing of an earlier one behind.
        bool fullRow = ((m_pPaint ? m_pPaint->list.exStyle : GetExtendedStyle()) & LVS_EX_FULLROWSELECT) != 0;
        FillIfColor(dc, l.text, drawSelected && fullRow ? bk : normalBk);
        if (!text.IsEmpty()) {
            CRect r = l.text;
            r.left += 2;
            dc->SetTextColor(textColor);
            if (bk == CLR_NONE) {
                dc->SetBkMode(TRANSPARENT);
            } else {
                dc->SetBkMode(OPAQUE);
                dc->SetBkColor(bk);
            }
            dc->DrawText(text, &r, info.m_nFormat);
        }
    }

    if (focusCell && row == GetFocusedItem()) {
        dc->SetTextColor(RGB(0, 0, 0));
        dc->SetBkColor(RGB(255, 255, 255));
        ::DrawFocusRect(dc->m_hDC, &l.text);
    }
    dc->RestoreDC(saved);
}

CCellListCtrl::PaintState::~PaintState()
{
    for (ImageTile& t : tiles)
        ::DeleteObject(t.bitmap);
    if (tileDC)
        ::DeleteDC(tileDC);
}

// An image drawn over a cell's solid background looks the same wherever it
// is drawn: during a paint each such picture is drawn once, into a bitmap
// of its own over the same background, and copied to every cell that shows
// it (the list draws most of its images many times in one paint).
void CCellListCtrl::DrawImage(CDC* dc, IMAGELISTDRAWPARAMS& p, COLORREF background)
{
    const int kMaxTiles = 64;
    PaintState* paint = m_pPaint;
    if (!paint || background == CLR_NONE || DeviceBits(dc) < 24) {
        ::ImageList_DrawIndirect(&p);
        return;
    }
    const ImageTile* tile = nullptr;
    for (const ImageTile& t : paint->tiles) {
        if (t.images == p.himl && t.index == p.i && t.cx == p.cx && t.cy == p.cy && t.style == p.fStyle &&
            t.fg == p.rgbFg && t.background == background) {
            tile = &t;
            break;
        }
    }
    if (!tile && (int)paint->tiles.size() < kMaxTiles) {
        if (!paint->tileDC)
            paint->tileDC = ::CreateCompatibleDC(dc->m_hDC);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = p.cx;
        bi.bmiHeader.biHeight = -p.cy;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = paint->tileDC ? ::CreateDIBSection(dc->m_hDC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
        if (bitmap) {
            HGDIOBJ old = ::SelectObject(paint->tileDC, bitmap);
            RECT r = { 0, 0, p.cx, p.cy };
            COLORREF was = ::SetBkColor(paint->tileDC, background);
            ::ExtTextOutA(paint->tileDC, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
            ::SetBkColor(paint->tileDC, was);
            IMAGELISTDRAWPARAMS q = p;
            q.hdcDst = paint->tileDC;
            q.x = 0;
            q.y = 0;
            ::ImageList_DrawIndirect(&q);
            ::SelectObject(paint->tileDC, old);
            paint->tiles.push_back({ p.himl, p.i, p.cx, p.cy, p.fStyle, p.rgbFg, background, bitmap });
            tile = &paint->tiles.back();
        }
    }
    if (!tile) {
        ::ImageList_DrawIndirect(&p);
        return;
    }
    HGDIOBJ old = ::SelectObject(paint->tileDC, tile->bitmap);
    ::BitBlt(dc->m_hDC, p.x, p.y, p.cx, p.cy, paint->tileDC, 0, 0, SRCCOPY);
    ::SelectObject(paint->tileDC, old);
}

int CCellListCtrl::DeviceBits(CDC* dc)
{
    if (m_pPaint && m_pPaint->bitsDC == dc->m_hDC)
        return m_pPaint->bits;
    int bits = ::GetDeviceCaps(dc->m_hDC, BITSPIXEL) * ::GetDeviceCaps(dc->m_hDC, PLANES);
    if (m_pPaint) {
        m_pPaint->bitsDC = dc->m_hDC;
        m_pPaint->bits = bits;
    }
    return bits;
}

LRESULT CCellListCtrl::OnCustomDraw(NMLVCUSTOMDRAW* cd)
{
    switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        CDC dc;
        dc.Attach(cd->nmcd.hdc);
        DrawCell(&dc, (int)cd->nmcd.dwItemSpec, cd->iSubItem);
        dc.Detach();
        return CDRF_SKIPDEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

void CCellListCtrl::SetFocusColumn(int column)
{
    if (!m_bColumnFocus)
        return;
    CHeaderCtrl* header = Header();
    int count = header->GetItemCount();
    if (column < 0 || column >= count)
        return;
    ColumnChangeInfo change = { m_nFocusColumn, column, TRUE };
    ::SendMessageA(::GetParent(m_hWnd), WM_CELLLIST_COLUMNCHANGING, (WPARAM)m_hWnd, (LPARAM)&change);
    if (!change.bAllow)
        return;

    // Scroll the column into view: its x is the widths of the columns shown before it.
    std::vector<int> order((size_t)count);
    for (int i = 0; i < count; ++i)
        order[(size_t)i] = i;
    header->GetOrderArray(order.data(), count);
    int x = 0;
    for (int i = 0; i < count && order[(size_t)i] != column; ++i)
        x += GetColumnWidth(order[(size_t)i]);
    int left = x - ::GetScrollPos(m_hWnd, SB_HORZ);
    CRect client;
    GetClientRect(&client);
    int dx = 0;
    if (left < 0)
        dx = left;
    else if (left + GetColumnWidth(column) > client.Width())
        dx = left + GetColumnWidth(column) - client.Width();
    if (dx) {
        Scroll(dx, 0);
        UpdateWindow();
    }

    InvalidateFocusCells(m_nFocusColumn, column);
    m_nFocusColumn = column;
}

void CCellListCtrl::InvalidateFocusCells(int oldColumn, int newColumn)
{
    int top = GetTopIndex();
    int last = std::min(top + GetCountPerPage(), GetItemCount() - 1);
    int focusedRow = GetFocusedItem();
    for (int row = std::max(top, 0); row <= last; ++row) {
        if (row != focusedRow && !(GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED))
            continue;
        CRect r;
        if (GetCellRect(row, oldColumn, LVIR_BOUNDS, &r))
            InvalidateRect(&r, FALSE);
        if (GetCellRect(row, newColumn, LVIR_BOUNDS, &r))
            InvalidateRect(&r, FALSE);
    }
}

void CCellListCtrl::RedrawCells(int firstRow, int lastRow, int column, int part, BOOL erase)
{
    int top = GetTopIndex();
    firstRow = std::max(firstRow, top);
    lastRow = std::min(lastRow, std::min(top + GetCountPerPage(), GetItemCount() - 1));
    if (firstRow > lastRow)
        return;
    auto partRect = [&](int row, CRect& r) {
        CRect cell;
        if (!GetCellRect(row, column, LVIR_BOUNDS, &cell))
            return false;
        if (part == PART_CELL) {
            r = cell;
            return true;
        }
        CellLayout l = LayoutCell(*GetCellInfo(row, column), cell);
        r = part == PART_CHECKBOX ? l.check : part == PART_IMAGE ? l.image : l.text;
        return true;
    };
    CRect a, b, u;
    if (!partRect(firstRow, a) || !partRect(lastRow, b))
        return;
    ::UnionRect(&u, &a, &b);
    InvalidateRect(&u, erase);
}

void CCellListCtrl::OnKeyDown(UINT key, UINT, UINT)
{
    if (m_bColumnFocus && (key == VK_LEFT || key == VK_RIGHT)) {
        int old = m_nFocusColumn;
        SetFocusColumn(old + (key == VK_LEFT ? -1 : 1));
        int row = GetFocusedItem();
        if (row >= 0 && m_nFocusColumn != old) {
            RedrawCell(row, old, FALSE);
            RedrawCell(row, m_nFocusColumn, FALSE);
        }
        return;
    }
    Default();
}

BOOL CCellListCtrl::PreTranslateMessage(MSG* msg)
{
    if (msg->hwnd == m_hWnd) {
        if (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST)
            RelayToolTip(msg);
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
            // To the list itself, before the dialog turns it into its default button.
            ::DispatchMessageA(msg);
            return TRUE;
        }
    }
    return CListCtrl::PreTranslateMessage(msg);
}

LRESULT CCellListCtrl::OnClick(NMITEMACTIVATE* item)
{
    LVHITTESTINFO hit = {};
    hit.pt = item->ptAction;
    SubItemHitTest(&hit);
    if (hit.iItem < 0 || hit.iSubItem < 0)
        return 0;
    int row = hit.iItem, column = hit.iSubItem;
    CRect cell;
    CellHitInfo info = { row, column, 0, 0 };
    if (GetCellRect(row, column, LVIR_BOUNDS, &cell)) {
        CellLayout l = LayoutCell(*GetCellInfo(row, column), cell);
        info.bOnImage = l.image.PtInRect(hit.pt) ? 1 : 0;
        info.bOnCheckBox = l.check.PtInRect(hit.pt) ? 1 : 0;
    }
    SetFocusColumn(column);
    ::SendMessageA(::GetParent(m_hWnd), WM_CELLLIST_CELLCLICK, (WPARAM)m_hWnd, (LPARAM)&info);
    return 0;
}

LRESULT CCellListCtrl::OnGetDispInfo(NMLVDISPINFOA* disp)
{
    LVITEMA& item = disp->item;
    if (!(item.mask & (LVIF_TEXT | LVIF_IMAGE)))
        return 0;
    const CListCellInfo* info = GetCellInfo(item.iItem, item.iSubItem);
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
        lstrcpynA(item.pszText, info->m_strText, item.cchTextMax);
    if (item.mask & LVIF_IMAGE) {
        item.iImage = info->m_nImage;
        if (info->m_bCheckBox) {
            item.mask |= LVIF_STATE;
            item.stateMask |= LVIS_STATEIMAGEMASK;
            item.state = (item.state & ~LVIS_STATEIMAGEMASK) |
                         INDEXTOSTATEIMAGEMASK((info->m_nCheckState & DFCS_CHECKED) ? 2 : 1);
        }
    }
    return 0;
}

LRESULT CCellListCtrl::OnFindItem(int start, UINT flags, const char* text)
{
    if (m_nSearchColumn == SEARCH_NONE)
        return -1;
    int column = m_nSearchColumn == SEARCH_FOCUS_COLUMN ? m_nFocusColumn : m_nSearchColumn;
    if (!(flags & (LVFI_STRING | LVFI_PARTIAL)) || !text)
        return -1;
    int count = GetItemCount();
    if (count <= 0)
        return -1;
    if (start < 0 || start >= count)
        start = 0;
    CString search = text;
    int n = search.GetLength();
    int row = start;
    do {
        CString cell = GetCellInfo(row, column)->m_strText;
        if (cell.GetLength() >= n &&
            ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, cell, n, search, n) == CSTR_EQUAL)
            return row;
        row = (row + 1) % count;
    } while (row != start);
    return -1;
}

// The list-view asks in its own character set whatever the parent's is.
LRESULT CCellListCtrl::OnFindItemW(NMLVFINDITEMW* find)
{
    if (!find->lvfi.psz)
        return OnFindItem(find->iStart, find->lvfi.flags, nullptr);
    char text[256] = "";
    ::WideCharToMultiByte(CP_ACP, 0, find->lvfi.psz, -1, text, sizeof(text), nullptr, nullptr);
    text[sizeof(text) - 1] = 0;
    return OnFindItem(find->iStart, find->lvfi.flags, text);
}

BOOL CCellListCtrl::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (msg != WM_NOTIFY || !lParam || ((NMHDR*)lParam)->hwndFrom != m_hWnd)
        return CListCtrl::OnChildNotify(msg, wParam, lParam, pResult);
    NMHDR* hdr = (NMHDR*)lParam;
    switch (hdr->code) {
    case NM_CUSTOMDRAW:     *pResult = OnCustomDraw((NMLVCUSTOMDRAW*)hdr); return TRUE;
    case NM_CLICK:          *pResult = OnClick((NMITEMACTIVATE*)hdr); return TRUE;
    case LVN_GETDISPINFOA:  *pResult = OnGetDispInfo((NMLVDISPINFOA*)hdr); return TRUE;
    case LVN_ODFINDITEMA: {
        NMLVFINDITEMA* find = (NMLVFINDITEMA*)hdr;
        *pResult = OnFindItem(find->iStart, find->lvfi.flags, find->lvfi.psz);
        return TRUE;
    }
    case LVN_ODFINDITEMW:   *pResult = OnFindItemW((NMLVFINDITEMW*)hdr); return TRUE;
    case LVN_HOTTRACK:      *pResult = -1; return TRUE;   // no selection by hovering
    default:                return FALSE;
    }
}

BOOL CCellListCtrl::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (msg == WM_NOTIFY && lParam && OnNotify(wParam, lParam, pResult))
        return TRUE;
    return CListCtrl::OnWndMsg(msg, wParam, lParam, pResult);
}

// Notifications from the list's own children: the header and the tooltip.
BOOL CCellListCtrl::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* hdr = (NMHDR*)lParam;
    if (hdr->code == NM_RCLICK && hdr->hwndFrom == GetHeaderCtrl()) {
        OnHeaderRClick();
        return FALSE;   // and the list's normal processing
    }
    if ((hdr->code == TTN_NEEDTEXTA || hdr->code == TTN_NEEDTEXTW) && hdr->hwndFrom == m_hToolTip) {
        *pResult = 0;
        return OnNeedToolText(hdr);
    }
    return FALSE;
}

void CCellListCtrl::OnHeaderRClick()
{
    CHeaderCtrl* header = Header();
    DWORD pos = ::GetMessagePos();
    POINT pt = { (short)LOWORD(pos), (short)HIWORD(pos) };
    ::ScreenToClient(header->m_hWnd, &pt);
    HeaderClickInfo info = { -1, pt };
    int count = header->GetItemCount();
    for (int i = 0; i < count; ++i) {
        CRect r;
        if (header->GetItemRect(i, &r) && r.PtInRect(pt)) {
            info.nColumn = i;
            break;
        }
    }
    ::ClientToScreen(header->m_hWnd, &info.pt);
    ::SendMessageA(::GetParent(m_hWnd), WM_CELLLIST_HEADERRCLICK, (WPARAM)m_hWnd, (LPARAM)&info);
}

INT_PTR CCellListCtrl::OnToolHitTest(CPoint point, TOOLINFOA* info) const
{
    LVHITTESTINFO hit = {};
    hit.pt = point;
    SubItemHitTest(&hit);
    if (hit.iItem < 0)
        return -1;
    INT_PTR id = (INT_PTR)hit.iItem * 1000 + hit.iSubItem + 1;
    if (info) {
        info->hwnd = m_hWnd;
        info->uId = (UINT_PTR)id;
        GetClientRect(&info->rect);
        info->lpszText = LPSTR_TEXTCALLBACKA;
    }
    return id;
}

void CCellListCtrl::RelayToolTip(MSG* msg)
{
    if (!m_hToolTip) {
        m_hToolTip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                       m_hWnd, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        if (!m_hToolTip)
            return;
    }
    TOOLINFOA ti = {};
    ti.cbSize = sizeof(ti);
    INT_PTR id = OnToolHitTest(CPoint(msg->lParam), &ti);
    if (id != m_nLastTool) {
        if (m_nLastTool != -1) {
            TOOLINFOA old = {};
            old.cbSize = sizeof(old);
            old.hwnd = m_hWnd;
            old.uId = (UINT_PTR)m_nLastTool;
            ::SendMessageA(m_hToolTip, TTM_DELTOOLA, 0, (LPARAM)&old);
        }
        if (id != -1)
            ::SendMessageA(m_hToolTip, TTM_ADDTOOLA, 0, (LPARAM)&ti);
        m_nLastTool = id;
    }
    ::SendMessageA(m_hToolTip, TTM_RELAYEVENT, 0, (LPARAM)msg);
}

BOOL CCellListCtrl::OnNeedToolText(NMHDR* hdr)
{
    if (hdr->idFrom == 0)
        return FALSE;
    DWORD pos = ::GetMessagePos();
    POINT pt = { (short)LOWORD(pos), (short)HIWORD(pos) };
    ::ScreenToClient(m_hWnd, &pt);
    LVHITTESTINFO hit = {};
    hit.pt = pt;
    SubItemHitTest(&hit);
    CString tip;
    if (hit.iItem >= 0 && hit.iSubItem >= 0)
        tip = GetCellInfo(hit.iItem, hit.iSubItem)->m_strTooltip;
    // The record's buffer holds 80 characters with the terminator.
    if (hdr->code == TTN_NEEDTEXTA) {
        NMTTDISPINFOA* d = (NMTTDISPINFOA*)hdr;
        d->hinst = nullptr;
        d->lpszText = d->szText;
        lstrcpynA(d->szText, tip, (int)sizeof(d->szText));
    } else {
        NMTTDISPINFOW* d = (NMTTDISPINFOW*)hdr;
        d->hinst = nullptr;
        d->lpszText = d->szText;
        d->szText[0] = 0;
        int n = ::MultiByteToWideChar(CP_ACP, 0, tip, std::min(tip.GetLength(), 79), d->szText, 79);
        d->szText[std::max(n, 0)] = 0;
    }
    return TRUE;
}

void CCellListCtrl::OnPaint()
{
    // Nothing the cells read of the list changes while it paints: it is read
    // once for the paint rather than once or twice for every cell.
    PaintState paint;
    paint.list = ReadListState();
    for (int c = 0, n = Header()->GetItemCount(); c < n; ++c)
        paint.align.push_back(ColumnAlignment(c));
    struct Scope {
        PaintState*& current;
        PaintState* outer;
        ~Scope() { current = outer; }
    } scope{ m_pPaint, m_pPaint };
    m_pPaint = &paint;
    if (++m_nPaints == 0)
        m_nPaints = 1;
    Default();
    if (GetItemCount() != 0 || m_strEmptyText.IsEmpty())
        return;
    CClientDC dc(this);
    CRect client;
    GetClientRect(&client);
    HWND header = GetHeaderCtrl();
    if (header && ::IsWindowVisible(header)) {
        CRect h;
        ::GetWindowRect(header, &h);
        ScreenToClient(&h);
        client.top = std::max((int)client.top, (int)h.bottom);
    }
    client.top += 10;
    COLORREF text = GetTextColor();
    dc.SetTextColor(text == CLR_DEFAULT ? ::GetSysColor(COLOR_WINDOWTEXT) : text);
    dc.SetBkMode(TRANSPARENT);
    HGDIOBJ old = dc.SelectStockObject(ANSI_VAR_FONT);
    dc.DrawText(m_strEmptyText, &client, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_NOCLIP);
    dc.SelectObject(old);
}
