#include "widgets/OwnerDrawButton.h"

#include <algorithm>
#include <deque>
#include <vector>

BOOL g_bButtonClicked = FALSE;

BEGIN_MESSAGE_MAP(COwnerDrawButton, CButton)
    ON_WM_SETCURSOR()
    ON_WM_KILLFOCUS()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_ENABLE()
    ON_MESSAGE(WM_SYSCOLORCHANGE, OnSysColorChange)
    ON_MESSAGE(WM_ACTIVATE, OnActivate)
    ON_MESSAGE(WM_CANCELMODE, OnCancelMode)
    ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCode)
    ON_MESSAGE(WM_MENUCHAR, OnMenuChar)
    ON_MESSAGE(WM_MEASUREITEM, OnMeasureItemMsg)
    ON_MESSAGE(WM_DRAWITEM, OnDrawItemMsg)
    ON_MESSAGE(BM_SETSTYLE, OnSetStyle)
    ON_MESSAGE(BM_SETCHECK, OnSetCheck)
    ON_MESSAGE(BM_GETCHECK, OnGetCheck)
END_MESSAGE_MAP()

namespace {

// The 32-bit pixels of a bitmap, bottom-up as GetDIBits gives them.
bool ReadPixels(HBITMAP bmp, int w, int h, std::vector<DWORD>& px, BITMAPINFO& bi)
{
    bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    px.assign((size_t)w * h, 0);
    HDC dc = ::GetDC(nullptr);
    int rows = ::GetDIBits(dc, bmp, 0, h, px.data(), &bi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, dc);
    return rows == h;
}

// A copy of the icon whose colour pixels other than black pass through `change`.
template <class F>
HICON RecolourIcon(HICON icon, F change)
{
    ICONINFO ii = {};
    if (!icon || !::GetIconInfo(icon, &ii))
        return nullptr;
    HICON result = nullptr;
    BITMAP bm = {};
    if (ii.hbmColor && ::GetObjectA(ii.hbmColor, sizeof(bm), &bm)) {
        std::vector<DWORD> px;
        BITMAPINFO bi;
        if (ReadPixels(ii.hbmColor, bm.bmWidth, bm.bmHeight, px, bi)) {
            for (DWORD& p : px) {
                BYTE r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
                if (r | g | b) {
                    COLORREF c = change(RGB(r, g, b));
                    p = (p & 0xFF000000) | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
                }
            }
            HDC dc = ::GetDC(nullptr);
            HBITMAP colour = ::CreateCompatibleBitmap(dc, bm.bmWidth, bm.bmHeight);
            ::SetDIBits(dc, colour, 0, bm.bmHeight, px.data(), &bi, DIB_RGB_COLORS);
            ::ReleaseDC(nullptr, dc);
            ICONINFO out = ii;
            out.hbmColor = colour;
            result = ::CreateIconIndirect(&out);
            ::DeleteObject(colour);
        }
    }
    if (ii.hbmColor) ::DeleteObject(ii.hbmColor);
    if (ii.hbmMask) ::DeleteObject(ii.hbmMask);
    return result;
}

// The icons of the resources and their grey and darker copies, made once per
// program and shared by every button that shows them: a button holds the
// handles without owning them, so that a window of many buttons loads each
// picture once, not once per button and window.
enum IconKind { ICON_NATURAL, ICON_GREY, ICON_DARKER };

struct SharedIcon {
    HINSTANCE module;
    int id;
    IconKind kind;
    HICON icon;
    DWORD width, height;   // twice the hot spot
};

const SharedIcon* FindSharedIcon(int id, IconKind kind)
{
    static std::deque<SharedIcon> icons;   // stays where it is as it grows
    HINSTANCE module = AfxGetResourceHandle();
    for (const SharedIcon& s : icons)
        if (s.module == module && s.id == id && s.kind == kind)
            return s.icon ? &s : nullptr;
    HICON icon = nullptr;
    if (kind == ICON_NATURAL) {
        icon = (HICON)::LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0);
    } else if (const SharedIcon* natural = FindSharedIcon(id, ICON_NATURAL)) {
        icon = kind == ICON_GREY ? CreateGreyscaleIcon(natural->icon) : CreateDarkerIcon(natural->icon);
    }
    ICONINFO ii = {};
    if (icon && !::GetIconInfo(icon, &ii)) {
        ::DestroyIcon(icon);
        icon = nullptr;
    }
    if (ii.hbmColor) ::DeleteObject(ii.hbmColor);
    if (ii.hbmMask) ::DeleteObject(ii.hbmMask);
    // A resource that does not load is remembered too: it is not tried again.
    icons.push_back({ module, id, kind, icon, ii.xHotspot * 2, ii.yHotspot * 2 });
    return icon ? &icons.back() : nullptr;
}

} // namespace

COLORREF DarkenColor(COLORREF c, double factor)
{
    if (!(factor > 0.0 && factor <= 1.0))
        return c;
    auto down = [factor](int v) { return (int)(v - v * factor); };
    return RGB(down(GetRValue(c)), down(GetGValue(c)), down(GetBValue(c)));
}

HICON CreateGreyscaleIcon(HICON icon)
{
    return RecolourIcon(icon, [](COLORREF c) {
        int g = (int)(0.299 * GetRValue(c) + 0.587 * GetGValue(c) + 0.114 * GetBValue(c));
        return RGB(g, g, g);
    });
}

HICON CreateDarkerIcon(HICON icon)
{
    return RecolourIcon(icon, [](COLORREF c) { return DarkenColor(c, 0.25); });
}

COwnerDrawButton::COwnerDrawButton()
{
    SetDefaultColors(FALSE);
}

COwnerDrawButton::~COwnerDrawButton()
{
    if (m_dcBk.m_hDC && m_pbmpOldBk)
        m_dcBk.SelectObject(m_pbmpOldBk);
    FreeResources();
    if (m_hCursor)
        ::DestroyCursor(m_hCursor);
    m_menu.DestroyMenu();
}

void COwnerDrawButton::FreeResources(BOOL checkForNull)
{
    // The icons are shared (see FindSharedIcon): only let go of them.
    for (IconRecord& r : m_csIcons)
        r = IconRecord();
    for (BitmapRecord& r : m_csBitmaps) {
        if (r.bitmap) ::DeleteObject(r.bitmap);
        if (r.mask) ::DeleteObject(r.mask);
        r = BitmapRecord();
    }
}

void COwnerDrawButton::PreSubclassWindow()
{
    UINT type = GetStyle() & 0xFF;
    m_nTypeStyle = type & 0x0F;
    m_bIsCheckBox = (type & 0x02) != 0;
    m_bIsRadio = (type & 0x04) != 0 || ((type & 0x01) && (type & 0x08));
    if (m_nTypeStyle == BS_DEFPUSHBUTTON) {
        m_bIsDefault = TRUE;
        m_nTypeStyle = BS_PUSHBUTTON;
    }
    ModifyStyle(0x0F, BS_OWNERDRAW, SWP_FRAMECHANGED);
}

// ---- Setters -------------------------------------------------------------------

DWORD COwnerDrawButton::SetIcon(int iconIn, int iconOut)
{
    FreeResources();
    const SharedIcon* in = iconIn ? FindSharedIcon(iconIn, ICON_NATURAL) : nullptr;
    const SharedIcon* out = nullptr;
    if (iconOut == ICON_OUT_GREY || iconOut == ICON_OUT_DARKER)
        out = in ? FindSharedIcon(iconIn, iconOut == ICON_OUT_GREY ? ICON_GREY : ICON_DARKER) : nullptr;
    else if (iconOut > 0)
        out = FindSharedIcon(iconOut, ICON_NATURAL);
    if ((iconIn && !in) || (iconOut != 0 && !out)) {
        Repaint(TRUE);
        return BTN_INVALIDRESOURCE;
    }
    const SharedIcon* icons[2] = { in, out };
    for (int i = 0; i < 2; ++i) {
        if (!icons[i])
            continue;
        m_csIcons[i].icon = icons[i]->icon;
        m_csIcons[i].width = icons[i]->width;
        m_csIcons[i].height = icons[i]->height;
    }
    Repaint(TRUE);
    return BTN_OK;
}

DWORD COwnerDrawButton::SetAlign(BYTE align, BOOL repaint)
{
    if (align > ALIGN_NONE)
        return BTN_INVALIDALIGN;
    m_byAlign = align;
    Repaint(repaint);
    return BTN_OK;
}

DWORD COwnerDrawButton::SetPressedStyle(BYTE style, BOOL repaint)
{
    switch (style) {
    case 0: m_nPressedOffsetX = 1; m_nPressedOffsetY = 1; break;
    case 1: m_nPressedOffsetX = 0; m_nPressedOffsetY = 2; break;
    default: return BTN_INVALIDPRESSEDSTYLE;
    }
    Repaint(repaint);
    return BTN_OK;
}

DWORD COwnerDrawButton::SetCheck(BOOL checked, BOOL repaint)
{
    if (m_bIsCheckBox || m_bIsRadio) {
        m_bChecked = checked ? TRUE : FALSE;
        Repaint(repaint);
    }
    return BTN_OK;
}

DWORD COwnerDrawButton::SetDefaultColors(BOOL repaint)
{
    for (int i = 0; i < COLOR_COUNT; ++i)
        m_crColors[i] = ::GetSysColor(i % 2 == 0 ? COLOR_BTNFACE : COLOR_BTNTEXT);
    Repaint(repaint);
    return BTN_OK;
}

DWORD COwnerDrawButton::SetColor(BYTE index, COLORREF colour, BOOL repaint)
{
    if (index >= COLOR_COUNT)
        return BTN_INVALIDINDEX;
    m_crColors[index] = colour;
    Repaint(repaint);
    return BTN_OK;
}

DWORD COwnerDrawButton::GetColor(BYTE index, COLORREF* colour) const
{
    if (index >= COLOR_COUNT)
        return BTN_INVALIDINDEX;
    *colour = m_crColors[index];
    return BTN_OK;
}

DWORD COwnerDrawButton::OffsetColor(BYTE index, short shade, BOOL repaint)
{
    if (index >= COLOR_COUNT)
        return BTN_INVALIDINDEX;
    if (shade < -255 || shade > 255)
        return BTN_BADPARAM;
    COLORREF c = m_crColors[index];
    int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    int d = shade;
    if (d > 0)
        d = std::min({ d, 255 - r, 255 - g, 255 - b });
    else if (d < 0)
        d = std::max({ d, -r, -g, -b });
    m_crColors[index] = RGB(r + d, g + d, b + d);
    Repaint(repaint);
    return BTN_OK;
}

DWORD COwnerDrawButton::DrawBorder(BOOL enable, BOOL repaint)
{
    m_bDrawBorder = enable;
    Repaint(repaint);
    return BTN_OK;
}

DWORD COwnerDrawButton::SetFlat(BOOL flat, BOOL repaint)
{
    m_bIsFlat = flat;
    Repaint(repaint);
    return BTN_OK;
}

DWORD COwnerDrawButton::DrawFlatFocus(BOOL draw, BOOL repaint)
{
    m_bDrawFlatFocus = draw;
    Repaint(repaint);
    return BTN_OK;
}

DWORD COwnerDrawButton::SetURL(LPCTSTR url)
{
    lstrcpynA(m_szURL, url ? url : "", sizeof(m_szURL));
    return BTN_OK;
}

DWORD COwnerDrawButton::SetMenu(UINT menuId, HWND owner, BOOL xpStyle, UINT toolbarId, int iconCx, int iconCy,
                                COLORREF mask, BOOL repaint)
{
    m_menu.DestroyMenu();
    m_hMenuOwner = nullptr;
    m_bMenuDisplayed = FALSE;
    if (menuId) {
        COwnerDrawMenu::SetXpStyle(xpStyle);
        if (!m_menu.LoadMenu(menuId)) {
            Repaint(repaint);
            return BTN_INVALIDRESOURCE;
        }
        if (toolbarId) {
            m_menu.SetMaskColor(mask);
            m_menu.SetIconSize(iconCx, iconCy);
            if (!m_menu.LoadToolbar(toolbarId)) {
                m_menu.DestroyMenu();
                Repaint(repaint);
                return BTN_INVALIDRESOURCE;
            }
        }
    }
    m_hMenuOwner = owner;
    Repaint(repaint);
    return BTN_OK;
}

DWORD COwnerDrawButton::SetMenuCallback(HWND wnd, UINT message, LPARAM lParam)
{
    m_hCallbackWnd = wnd;
    m_nCallbackMsg = message;
    m_lCallbackParam = lParam;
    return BTN_OK;
}

// The tooltip window is made when the mouse first comes to the button
// (PreTranslateMessage): until then nobody sees it, and a window of many
// buttons opens without a top-level window for each.
DWORD COwnerDrawButton::SetTooltipText(LPCTSTR text, BOOL activate)
{
    m_strTooltip = text ? text : "";
    m_bTooltipActive = activate;
    if (m_ToolTip.IsWindow())
        RefreshToolTip(activate);
    return BTN_OK;
}

DWORD COwnerDrawButton::SetBtnCursor(int cursorId, BOOL repaint)
{
    if (m_hCursor)
        ::DestroyCursor(m_hCursor);
    m_hCursor = nullptr;
    if (cursorId) {
        m_hCursor = (HCURSOR)::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(cursorId), IMAGE_CURSOR, 0, 0, 0);
        if (!m_hCursor)
            return BTN_INVALIDRESOURCE;
    }
    Repaint(repaint);
    return BTN_OK;
}

// ---- Tooltip -------------------------------------------------------------------

void COwnerDrawButton::InitToolTip()
{
    if (m_ToolTip.IsWindow() || !IsWindow())
        return;
    m_ToolTip.Create(this, m_dwToolTipStyle);
    m_ToolTip.Activate(FALSE);
    m_ToolTip.SetMaxTipWidth(400);
}

void COwnerDrawButton::RefreshToolTip(BOOL activate)
{
    if (m_strTooltip.IsEmpty() && !m_ToolTip.IsWindow())
        return;
    InitToolTip();
    if (!m_ToolTip.IsWindow())
        return;
    if (m_ToolTip.GetToolCount() == 0) {
        CRect r;
        GetClientRect(&r);
        m_ToolTip.AddTool(this, m_strTooltip, &r, 1);
    }
    m_ToolTip.UpdateTipText(m_strTooltip, this, 1);
    m_ToolTip.Activate(activate);
}

BOOL COwnerDrawButton::PreTranslateMessage(MSG* msg)
{
    // A button without a tooltip text needs no tooltip window.
    if (!m_strTooltip.IsEmpty() && !m_ToolTip.IsWindow() && msg->message >= WM_MOUSEFIRST &&
        msg->message <= WM_MOUSELAST)
        RefreshToolTip(m_bTooltipActive);
    if (m_ToolTip.IsWindow())
        m_ToolTip.RelayEvent(msg);
    // The button control would report the second click of a double click as
    // BN_DOUBLECLICKED; here it is one more click.
    if (msg->message == WM_LBUTTONDBLCLK && msg->hwnd == m_hWnd)
        msg->message = WM_LBUTTONDOWN;
    return CButton::PreTranslateMessage(msg);
}

// ---- Hover ---------------------------------------------------------------------

void COwnerDrawButton::CancelHover()
{
    if (m_bMouseOnButton) {
        m_bMouseOnButton = FALSE;
        Invalidate();
    }
}

void COwnerDrawButton::OnMouseMove(UINT flags, CPoint point)
{
    Default();
    if ((flags & MK_LBUTTON) && !m_bMouseOnButton)
        return;
    if (!m_bIsFlat)
        return;
    POINT cursor = point;
    ClientToScreen(&cursor);
    HWND under = ::WindowFromPoint(cursor);
    if (under == m_hWnd && (m_bAlwaysTrack || ::GetActiveWindow())) {
        if (m_bMouseOnButton) {
            RefreshToolTip(TRUE);
            return;
        }
        m_bMouseOnButton = TRUE;
        Invalidate();
        TRACKMOUSEEVENT tme = { sizeof(tme), TME_LEAVE, m_hWnd, 0 };
        ::TrackMouseEvent(&tme);
    } else {
        CancelHover();
    }
}

void COwnerDrawButton::OnMouseLeave()
{
    CancelHover();
}

void COwnerDrawButton::OnKillFocus(CWnd*)
{
    Default();
    CancelHover();
}

LRESULT COwnerDrawButton::OnCancelMode(WPARAM, LPARAM)
{
    LRESULT r = Default();
    CancelHover();
    return r;
}

LRESULT COwnerDrawButton::OnActivate(WPARAM wParam, LPARAM)
{
    LRESULT r = Default();
    if (LOWORD(wParam) == WA_INACTIVE)
        CancelHover();
    return r;
}

void COwnerDrawButton::OnEnable(BOOL enable)
{
    Default();
    if (!enable) {
        // The system has taken the focus from a disabled window by now; it goes
        // to the next tab stop of the dialog (or the dialog itself).
        HWND parent = ::GetParent(m_hWnd);
        if (parent) {
            HWND next = ::GetNextDlgTabItem(parent, m_hWnd, FALSE);
            ::SetFocus(next && next != m_hWnd ? next : parent);
        }
        CancelHover();
    }
}

BOOL COwnerDrawButton::OnSetCursor(CWnd*, UINT, UINT)
{
    if (m_hCursor) {
        ::SetCursor(m_hCursor);
        return TRUE;
    }
    return (BOOL)Default();
}

LRESULT COwnerDrawButton::OnSysColorChange(WPARAM, LPARAM)
{
    LRESULT r = Default();
    if (m_dcBk.m_hDC && m_pbmpOldBk) {
        m_dcBk.SelectObject(m_pbmpOldBk);
        m_pbmpOldBk = nullptr;
    }
    m_dcBk.DeleteDC();
    m_bmpBk.DeleteObject();
    SetDefaultColors();
    return r;
}

// ---- Messages of the button control ----------------------------------------------

LRESULT COwnerDrawButton::OnGetDlgCode(WPARAM, LPARAM)
{
    UINT code = (UINT)Default();
    if (m_bIsRadio)
        code |= DLGC_RADIOBUTTON;
    else
        code |= m_bIsDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON;
    return code;
}

LRESULT COwnerDrawButton::OnSetStyle(WPARAM wParam, LPARAM lParam)
{
    UINT type = (UINT)wParam & 0x0F;
    if (type == BS_DEFPUSHBUTTON)
        m_bIsDefault = TRUE;
    else if (type == BS_PUSHBUTTON)
        m_bIsDefault = FALSE;
    return DefWindowProc(BM_SETSTYLE, ((UINT)wParam & ~0x0Fu) | BS_OWNERDRAW, lParam);
}

LRESULT COwnerDrawButton::OnSetCheck(WPARAM wParam, LPARAM)
{
    SetCheck(wParam == BST_CHECKED || wParam == BST_INDETERMINATE);
    return 0;
}

LRESULT COwnerDrawButton::OnGetCheck(WPARAM, LPARAM)
{
    return (m_bIsCheckBox || m_bIsRadio) ? m_bChecked : 0;
}

LRESULT COwnerDrawButton::OnMenuChar(WPARAM wParam, LPARAM lParam)
{
    if (COwnerDrawMenu::IsOwnerDrawMenu((HMENU)lParam)) {
        CMenu wrap;
        wrap.m_hMenu = (HMENU)lParam;
        LRESULT r = COwnerDrawMenu::OnMenuChar(LOWORD(wParam), HIWORD(wParam), &wrap);
        wrap.Detach();
        if (r)
            return r;
    }
    return Default();
}

LRESULT COwnerDrawButton::OnMeasureItemMsg(WPARAM, LPARAM lParam)
{
    LPMEASUREITEMSTRUCT mis = (LPMEASUREITEMSTRUCT)lParam;
    if (mis && mis->CtlType == ODT_MENU && m_menu.GetSafeHmenu()) {
        m_menu.MeasureItem(mis);
        return TRUE;
    }
    return Default();
}

LRESULT COwnerDrawButton::OnDrawItemMsg(WPARAM, LPARAM lParam)
{
    LPDRAWITEMSTRUCT dis = (LPDRAWITEMSTRUCT)lParam;
    if (dis && dis->CtlType == ODT_MENU) {
        if (COwnerDrawMenu* menu = COwnerDrawMenu::FromHandle((HMENU)dis->hwndItem)) {
            menu->DrawItem(dis);
            return TRUE;
        }
    }
    return Default();
}

BOOL COwnerDrawButton::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (msg) {
    case WM_COMMAND:
        // The parent sees the click too.
        if (HIWORD(wParam) == BN_CLICKED)
            OnClicked();
        return FALSE;
    case WM_CTLCOLORBTN: case WM_CTLCOLORSTATIC:
        *pResult = (LRESULT)::GetStockObject(NULL_BRUSH);
        return TRUE;
    default:
        return CButton::OnChildNotify(msg, wParam, lParam, pResult);
    }
}

void COwnerDrawButton::OnClicked()
{
    g_bButtonClicked = TRUE;
    SetFocus();
    if (m_bIsCheckBox) {
        m_bChecked = !m_bChecked;
        Invalidate();
    } else if (m_bIsRadio) {
        SendMessage(BM_SETCHECK, BST_CHECKED);
        HWND parent = ::GetParent(m_hWnd);
        for (BOOL previous : { FALSE, TRUE }) {
            HWND h = ::GetNextDlgGroupItem(parent, m_hWnd, previous);
            for (int guard = 0; h && h != m_hWnd && guard < 1024; ++guard) {
                ::SendMessageA(h, BM_SETCHECK, BST_UNCHECKED, 0);
                h = ::GetNextDlgGroupItem(parent, h, previous);
            }
        }
        Invalidate();
    } else if (m_menu.GetSafeHmenu()) {
        m_bMenuDisplayed = TRUE;
        Invalidate();
        UpdateWindow();
        HMENU sub = m_menu.GetSubMenu(0);
        if (sub) {
            if (m_hCallbackWnd)
                ::SendMessageA(m_hCallbackWnd, m_nCallbackMsg, (WPARAM)sub, m_lCallbackParam);
            CRect r;
            GetWindowRect(&r);
            UINT cmd = (UINT)::TrackPopupMenu(sub, TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD, r.left, r.bottom,
                                              0, m_hWnd, nullptr);
            m_bMenuDisplayed = FALSE;
            Invalidate();
            if (cmd && m_hMenuOwner)
                ::PostMessageA(m_hMenuOwner, WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
        } else {
            m_bMenuDisplayed = FALSE;
            Invalidate();
        }
    } else if (m_szURL[0]) {
        SHELLEXECUTEINFOA sei = {};
        sei.cbSize = sizeof(sei);
        sei.fMask = SEE_MASK_FLAG_NO_UI;
        sei.lpVerb = "open";
        sei.lpFile = m_szURL;
        sei.nShow = SW_SHOWMAXIMIZED;
        ::ShellExecuteExA(&sei);
    }
}

// ---- Drawing -------------------------------------------------------------------

void COwnerDrawButton::PaintBk(CDC* dc)
{
    CRect client, window;
    GetClientRect(&client);
    GetWindowRect(&window);
    CWnd* parent = GetParent();
    if (!parent)
        return;
    parent->ScreenToClient(&window);
    if (!m_dcBk.m_hDC) {
        CClientDC parentDc(parent);
        m_dcBk.CreateCompatibleDC(&parentDc);
        m_bmpBk.CreateCompatibleBitmap(parentDc, client.Width(), client.Height());
        m_pbmpOldBk = m_dcBk.SelectObject(&m_bmpBk);
        m_dcBk.BitBlt(0, 0, client.Width(), client.Height(), &parentDc, window.left, window.top, SRCCOPY);
    }
    dc->BitBlt(0, 0, client.Width(), client.Height(), &m_dcBk, 0, 0, SRCCOPY);
}

void COwnerDrawButton::DrawItem(LPDRAWITEMSTRUCT dis)
{
    CDC dcWrap;
    dcWrap.Attach(dis->hDC);
    CDC* dc = &dcWrap;

    if (m_bIsCheckBox || m_bIsRadio)
        m_bIsPressed = (dis->itemState & ODS_SELECTED) || m_bChecked;
    else
        m_bIsPressed = (dis->itemState & ODS_SELECTED) || m_bMenuDisplayed;
    m_bIsFocused = (dis->itemState & ODS_FOCUS) != 0;
    m_bIsDisabled = (dis->itemState & ODS_DISABLED) != 0;

    CRect item = dis->rcItem;
    dc->SetBkMode(TRANSPARENT);
    if (m_bDrawTransparent)
        PaintBk(dc);
    else
        PaintBackground(dc, &item);
    PaintBorder(dc, &item);

    CString text = GetWindowText();
    CRect caption = dis->rcItem;
    if (m_csIcons[0].icon) {
        PaintIcon(dc, !text.IsEmpty(), &item, &caption, m_bIsPressed, m_bIsDisabled);
    } else if (m_csBitmaps[0].bitmap) {
        dc->SetBkColor(RGB(255, 255, 255));
        PaintBitmap(dc, !text.IsEmpty(), &item, &caption, m_bIsPressed, m_bIsDisabled);
    }
    if (!text.IsEmpty())
        PaintCaption(dc, text, &item, &caption, m_bIsPressed, m_bIsDisabled);

    if (m_bIsFocused && (!m_bIsFlat || m_bDrawFlatFocus)) {
        CRect focus = item;
        focus.DeflateRect(3, 3);
        ::DrawFocusRect(dc->m_hDC, &focus);
    }
    dcWrap.Detach();
}

DWORD COwnerDrawButton::PaintBackground(CDC* dc, CRect* rect)
{
    if (!m_bIsFlat && (m_bIsFocused || m_bIsDefault)) {
        CBrush black(RGB(0, 0, 0));
        dc->FrameRect(rect, black);
        rect->DeflateRect(1, 1);
    }
    COLORREF face;
    if (m_bMouseOnButton || m_bIsPressed)
        face = m_crColors[COLOR_BK_IN];
    else if (m_bIsFocused)
        face = m_crColors[COLOR_BK_FOCUS];
    else
        face = m_crColors[COLOR_BK_OUT];
    CBrush brush(face);
    dc->FillRect(rect, brush);
    return BTN_OK;
}

DWORD COwnerDrawButton::PaintBorder(CDC* dc, CRect* rect)
{
    if (m_bIsPressed) {
        if (m_bIsFlat) {
            if (m_bDrawBorder)
                dc->Draw3dRect(rect, ::GetSysColor(COLOR_3DSHADOW), ::GetSysColor(COLOR_3DHILIGHT));
        } else {
            CBrush shadow(::GetSysColor(COLOR_3DSHADOW));
            dc->FrameRect(rect, shadow);
        }
        return BTN_OK;
    }
    if (!m_bIsFlat) {
        int l = rect->left, t = rect->top, r = rect->right, b = rect->bottom;
        CPen hilight(PS_SOLID, 1, ::GetSysColor(COLOR_3DHILIGHT));
        CPen light(PS_SOLID, 1, ::GetSysColor(COLOR_3DLIGHT));
        CPen dark(PS_SOLID, 1, ::GetSysColor(COLOR_3DDKSHADOW));
        CPen shadow(PS_SOLID, 1, ::GetSysColor(COLOR_3DSHADOW));
        HGDIOBJ old = dc->SelectObject(&hilight);
        dc->MoveTo(l, b - 1);
        dc->LineTo(l, t);
        dc->LineTo(r, t);
        dc->SelectObject(&light);
        dc->MoveTo(l + 1, b - 1);
        dc->LineTo(l + 1, t + 1);
        dc->LineTo(r, t + 1);
        dc->SelectObject(&dark);
        dc->MoveTo(l, b - 1);
        dc->LineTo(r - 1, b - 1);
        dc->LineTo(r - 1, t - 1);
        dc->SelectObject(&shadow);
        dc->MoveTo(l + 1, b - 2);
        dc->LineTo(r - 2, b - 2);
        dc->LineTo(r - 2, t);
        dc->SelectObject(old);
    } else if (m_bMouseOnButton && m_bDrawBorder) {
        dc->Draw3dRect(rect, ::GetSysColor(COLOR_3DHILIGHT), ::GetSysColor(COLOR_3DSHADOW));
    }
    return BTN_OK;
}

void COwnerDrawButton::PrepareImageRect(BOOL hasText, CRect* item, CRect* caption, BOOL pressed, DWORD width,
                                        DWORD height, CRect* image) const
{
    CRect client = *item;
    *image = *item;
    int cx = (int)width, cy = (int)height;
    switch (m_byAlign) {
    case ALIGN_HORIZ:
        if (hasText) {
            image->left += m_nImageGapX;
            caption->left += m_nImageGapX + cx + 5;
        } else {
            image->left += (image->Width() - cx) / 2;
        }
        image->top += (image->Height() - cy) / 2;
        break;
    case ALIGN_VERT:
        image->left += (image->Width() - cx) / 2;
        if (hasText) {
            caption->top += cy;
            image->top = (caption->top - client.top - 16) / 2;
        } else {
            image->top += (image->Height() - cy) / 2;
        }
        break;
    case ALIGN_HORIZ_RIGHT:
        if (hasText) {
            caption->right -= caption->left + m_nImageGapX + cx;
            caption->left = m_nImageGapX;
            image->left = client.right - m_nImageGapX - cx;
            image->top += (image->Height() - cy) / 2;
        } else {
            image->left += (image->Width() - cx) / 2;
        }
        break;
    default:
        break;
    }
    if (pressed && !(m_bIsCheckBox && m_bIsRadio))
        image->OffsetRect(m_nPressedOffsetX, m_nPressedOffsetY);
}

DWORD COwnerDrawButton::PaintIcon(CDC* dc, BOOL hasText, CRect* item, CRect* caption, BOOL pressed, BOOL disabled)
{
    int index = (pressed || m_bMouseOnButton || !m_csIcons[1].icon) ? 0 : 1;
    CRect image;
    PrepareImageRect(hasText, item, caption, pressed, m_csIcons[index].width, m_csIcons[index].height, &image);
    ::DrawStateA(dc->m_hDC, nullptr, nullptr, (LPARAM)m_csIcons[index].icon, 0, image.left, image.top,
                 (int)m_csIcons[index].width, (int)m_csIcons[index].height,
                 DST_ICON | (disabled ? DSS_DISABLED : DSS_NORMAL));
    return BTN_OK;
}

DWORD COwnerDrawButton::PaintBitmap(CDC* dc, BOOL hasText, CRect* item, CRect* caption, BOOL pressed,
                                    BOOL disabled)
{
    int index = (pressed || m_bMouseOnButton || !m_csBitmaps[1].bitmap) ? 0 : 1;
    const BitmapRecord& rec = m_csBitmaps[index];
    CRect image;
    PrepareImageRect(hasText, item, caption, pressed, rec.width, rec.height, &image);
    CDC src, mask;
    src.CreateCompatibleDC(dc);
    mask.CreateCompatibleDC(dc);
    HGDIOBJ oldSrc = src.SelectObject(rec.bitmap);
    HGDIOBJ oldMask = mask.SelectObject(rec.mask);
    int w = (int)rec.width, h = (int)rec.height;
    if (disabled && m_bGreyDisabledBitmap) {
        CDC temp;
        temp.CreateCompatibleDC(dc);
        CBitmap bmp;
        bmp.CreateCompatibleBitmap(dc->m_hDC, w, h);
        HGDIOBJ oldTemp = temp.SelectObject(&bmp);
        temp.FillSolidRect(0, 0, w, h, RGB(255, 255, 255));
        temp.BitBlt(0, 0, w, h, &mask, 0, 0, SRCAND);
        temp.BitBlt(0, 0, w, h, &src, 0, 0, SRCPAINT);
        temp.SelectObject(oldTemp);
        ::DrawStateA(dc->m_hDC, nullptr, nullptr, (LPARAM)bmp.m_hObject, 0, image.left, image.top, w, h,
                     DST_BITMAP | DSS_DISABLED);
    } else {
        dc->BitBlt(image.left, image.top, w, h, &mask, 0, 0, SRCAND);
        dc->BitBlt(image.left, image.top, w, h, &src, 0, 0, SRCPAINT);
    }
    src.SelectObject(oldSrc);
    mask.SelectObject(oldMask);
    return BTN_OK;
}

DWORD COwnerDrawButton::PaintCaption(CDC* dc, const CString& text, CRect* item, CRect* caption, BOOL pressed,
                                     BOOL disabled)
{
    if (pressed && !(m_bIsCheckBox && m_bIsRadio))
        caption->OffsetRect(m_nPressedOffsetX, m_nPressedOffsetY);
    UINT format = DT_WORDBREAK;
    if (!m_bAlignLeft && !m_bIsCheckBox && !m_bIsRadio)
        format |= DT_CENTER;
    CRect centre = *caption;
    dc->DrawText(text, caption, format | DT_CALCRECT);
    caption->OffsetRect((centre.Width() - caption->Width()) / 2, (centre.Height() - caption->Height()) / 2);
    if (disabled) {
        caption->OffsetRect(1, 1);
        dc->SetTextColor(::GetSysColor(COLOR_3DHILIGHT));
        dc->DrawText(text, caption, format);
        caption->OffsetRect(-1, -1);
        dc->SetTextColor(::GetSysColor(COLOR_3DSHADOW));
        dc->DrawText(text, caption, format);
    } else {
        int fg, bg;
        if (m_bMouseOnButton || pressed) {
            fg = COLOR_FG_IN;
            bg = COLOR_BK_IN;
        } else if (m_bIsFocused) {
            fg = COLOR_FG_FOCUS;
            bg = COLOR_BK_FOCUS;
        } else {
            fg = COLOR_FG_OUT;
            bg = COLOR_BK_OUT;
        }
        dc->SetTextColor(m_crColors[fg]);
        dc->SetBkColor(m_crColors[bg]);
        dc->DrawText(text, caption, format);
    }
    return BTN_OK;
}
