#include "widgets/OwnerDrawMenu.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

BOOL COwnerDrawMenu::s_bXpStyleThemed = TRUE;
BOOL COwnerDrawMenu::s_bXpStyleUnthemed = FALSE;
BOOL COwnerDrawMenu::s_bClassicHighlightDisabled = TRUE;
BOOL COwnerDrawMenu::s_bXpHighlightDisabled = FALSE;
BOOL COwnerDrawMenu::s_bXpExtras = TRUE;

namespace {

// Every owner-drawn menu and submenu in existence, by handle.
std::mutex g_menuLock;
std::map<HMENU, COwnerDrawMenu*>& MenuList()
{
    static std::map<HMENU, COwnerDrawMenu*> list;
    return list;
}

HFONT CreateMenuFont()
{
    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof(ncm);
    ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    return ::CreateFontIndirectA(&ncm.lfMenuFont);
}

// The system's default code page, read once when the first menu is built.
UINT g_nMenuCodePage = 0;

int ComputeMenuOsVersion()
{
    OSVERSIONINFOA vi = {};
    vi.dwOSVersionInfoSize = sizeof(vi);
    ::GetVersionExA(&vi);
    if (vi.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (vi.dwMajorVersion == 4) return 5;
        if (vi.dwMajorVersion == 5 && vi.dwMinorVersion == 0) return 6;
        if (vi.dwMajorVersion == 5 && vi.dwMinorVersion == 1) return 7;
        return 1;
    }
    if (vi.dwMajorVersion < 4) return 0;
    if (vi.dwMajorVersion == 4 && vi.dwMinorVersion == 10) return 3;
    if (vi.dwMajorVersion == 4 && vi.dwMinorVersion == 90) return 4;
    return 2;
}

void FillRect(HDC dc, const RECT& r, COLORREF c)
{
    ::SetBkColor(dc, c);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void FrameRect(HDC dc, const RECT& r, COLORREF c)
{
    HBRUSH b = ::CreateSolidBrush(c);
    ::FrameRect(dc, &r, b);
    ::DeleteObject(b);
}

void Draw3dRect(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight)
{
    CDC wrap;
    wrap.Attach(dc);
    wrap.Draw3dRect(&r, topLeft, bottomRight);
    wrap.Detach();
}

// A 32-bit top-down DIB section of the given size, with its pixels.
struct Dib {
    HDC dc = nullptr;
    HBITMAP bmp = nullptr;
    HGDIOBJ old = nullptr;
    DWORD* px = nullptr;
    int w = 0, h = 0;
    Dib(int cx, int cy) : w(cx), h(cy)
    {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = cx;
        bi.bmiHeader.biHeight = -cy;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        HDC screen = ::GetDC(nullptr);
        dc = ::CreateCompatibleDC(screen);
        bmp = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, (void**)&px, nullptr, 0);
        ::ReleaseDC(nullptr, screen);
        old = ::SelectObject(dc, bmp);
    }
    ~Dib()
    {
        ::SelectObject(dc, old);
        ::DeleteObject(bmp);
        ::DeleteDC(dc);
    }
    static DWORD Pack(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
    static COLORREF Unpack(DWORD p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }
};

} // namespace

COwnerDrawMenu::COwnerDrawMenu() = default;

COwnerDrawMenu::~COwnerDrawMenu()
{
    DestroyMenu();
}

int COwnerDrawMenu::GetMenuOsVersion()
{
    static const int code = ComputeMenuOsVersion();
    return code;
}

BOOL COwnerDrawMenu::IsClassicThemeActive()
{
    static const BOOL classic = [] {
        char value[261] = "";
        LONG size = sizeof(value) - 1;
        if (::RegQueryValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Plus!\\Themes\\Current", value, &size) !=
            ERROR_SUCCESS)
            return FALSE;
        value[sizeof(value) - 1] = 0;
        const char suffix[] = "Windows Classic.theme";
        size_t n = strlen(value), m = sizeof(suffix) - 1;
        return (BOOL)(n >= m && lstrcmpiA(value + n - m, suffix) == 0);
    }();
    return classic;
}

BOOL COwnerDrawMenu::IsXpThemeActive()
{
    return GetMenuOsVersion() == 7 && !IsClassicThemeActive();
}

BOOL COwnerDrawMenu::UseXpLook(HDC dc)
{
    HDC screen = dc ? dc : ::GetDC(nullptr);
    BOOL palette = (::GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
    if (!dc)
        ::ReleaseDC(nullptr, screen);
    if (palette)
        return FALSE;
    return IsXpThemeActive() ? s_bXpStyleThemed : s_bXpStyleUnthemed;
}

COLORREF COwnerDrawMenu::Lighten(COLORREF c, double f)
{
    if (!(f > 0.0 && f <= 1.0))
        return c;
    auto up = [f](int v) { return (int)(v + (255 - v) * f); };
    return RGB(up(GetRValue(c)), up(GetGValue(c)), up(GetBValue(c)));
}

void COwnerDrawMenu::DrawCheckMark(HDC dc, int x, int y, COLORREF c)
{
    static const int start[7] = { 2, 3, 4, 3, 2, 1, 0 };
    for (int i = 0; i < 7; ++i)
        FillRect(dc, RECT{ x + i, y + start[i], x + i + 1, y + start[i] + 3 }, c);
}

void COwnerDrawMenu::DrawRadioMark(HDC dc, int x, int y, COLORREF c)
{
    HBRUSH brush = ::CreateSolidBrush(c);
    HPEN pen = ::CreatePen(PS_SOLID, 1, c);
    HGDIOBJ oldBrush = ::SelectObject(dc, brush);
    HGDIOBJ oldPen = ::SelectObject(dc, pen);
    ::Ellipse(dc, x, y, x + 6, y + 6);
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
    ::DeleteObject(pen);
    ::DeleteObject(brush);
}

// A radio mark when the item's menu information has a checked-state bitmap, else a check mark.
void COwnerDrawMenu::DrawItemMark(HDC dc, LPDRAWITEMSTRUCT dis, int checkX, int radioX, int y, COLORREF c)
{
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_CHECKMARKS;
    ::GetMenuItemInfoA((HMENU)dis->hwndItem, dis->itemID, FALSE, &mii);
    if (mii.hbmpChecked)
        DrawRadioMark(dc, radioX, y, c);
    else
        DrawCheckMark(dc, checkX, y, c);
}

// ---- Building --------------------------------------------------------------

BOOL COwnerDrawMenu::LoadMenu(UINT resourceId)
{
    return LoadMenu(MAKEINTRESOURCEA(resourceId));
}

BOOL COwnerDrawMenu::LoadMenu(LPCTSTR resourceName)
{
    DestroyMenu();
    HINSTANCE inst = AfxGetResourceHandle();
    HRSRC res = ::FindResourceA(inst, resourceName, RT_MENU);
    if (!res)
        return FALSE;
    HGLOBAL mem = ::LoadResource(inst, res);
    const BYTE* data = mem ? (const BYTE*)::LockResource(mem) : nullptr;
    if (!data)
        return FALSE;
    if (!g_nMenuCodePage)
        g_nMenuCodePage = ::GetACP();
    return LoadFromTemplate(data, ::SizeofResource(inst, res));
}

// The standard template: a header (version 0, offset), then per item a WORD of
// MF_ flags, a WORD command id unless MF_POPUP, and a NUL-terminated wide text;
// MF_END closes a level.
BOOL COwnerDrawMenu::LoadFromTemplate(const BYTE* data, DWORD size)
{
    if (size < 4 || ((const WORD*)data)[0] != 0)
        return FALSE;
    const BYTE* p = data + 4 + ((const WORD*)data)[1];
    const BYTE* end = data + size;
    if (p > end || !Attach(::CreateMenu()))
        return FALSE;
    Register();
    if (!BuildLevel(p, end, 0)) {
        DestroyMenu();
        return FALSE;
    }
    return TRUE;
}

BOOL COwnerDrawMenu::BuildLevel(const BYTE*& p, const BYTE* end, int depth)
{
    if (depth > 16)
        return FALSE;
    for (;;) {
        if (end - p < 2)
            return FALSE;
        WORD flags = *(const WORD*)p;
        p += 2;
        WORD id = 0;
        if (!(flags & MF_POPUP)) {
            if (end - p < 2)
                return FALSE;
            id = *(const WORD*)p;
            p += 2;
        }
        std::wstring text;
        for (;;) {
            if (end - p < 2)
                return FALSE;
            wchar_t ch = *(const wchar_t*)p;
            p += 2;
            if (!ch)
                break;
            text += ch;
        }
        UINT itemFlags = flags & ~(MF_END | MF_OWNERDRAW);
        if (!(flags & MF_POPUP) && id == 0 && text.empty())
            itemFlags |= MF_SEPARATOR;
        if (flags & MF_POPUP) {
            auto sub = std::make_unique<COwnerDrawMenu>();
            sub->m_nIconX = m_nIconX;
            sub->m_nIconY = m_nIconY;
            sub->m_crMask = m_crMask;
            if (!sub->Attach(::CreatePopupMenu()))
                return FALSE;
            sub->Register();
            COwnerDrawMenu* raw = sub.get();
            m_subMenus.push_back(std::move(sub));
            if (!raw->BuildLevel(p, end, depth + 1))
                return FALSE;
            AddItem(itemFlags, 0, text, raw);
        } else {
            AddItem(itemFlags, id, text, nullptr);
        }
        if (flags & MF_END)
            return TRUE;
    }
}

void COwnerDrawMenu::AddItem(UINT flags, UINT id, const std::wstring& text, COwnerDrawMenu* sub)
{
    auto item = std::make_unique<COwnerDrawMenuItem>();
    item->text = text;
    item->flags = flags;
    item->id = id;
    UINT_PTR cmd = sub ? (UINT_PTR)sub->m_hMenu : id;
    ::AppendMenuA(m_hMenu, (flags & ~MF_STRING) | MF_OWNERDRAW, cmd, (LPCSTR)item.get());
    m_items.push_back(std::move(item));
}

void COwnerDrawMenu::Register()
{
    std::lock_guard<std::mutex> lock(g_menuLock);
    MenuList()[m_hMenu] = this;
}

BOOL COwnerDrawMenu::DestroyMenu()
{
    Unregister(false);
    m_subMenus.clear();
    m_items.clear();
    if (m_pCheckMarks && !m_bCheckMarksShared)
        delete m_pCheckMarks;
    m_pCheckMarks = nullptr;
    m_images.reset();
    return CMenu::DestroyMenu();
}

// Takes this menu's and its submenus' handles out of the list. The submenu
// handles go with their parent's, so their objects forget them.
void COwnerDrawMenu::Unregister(bool forget)
{
    {
        std::lock_guard<std::mutex> lock(g_menuLock);
        if (m_hMenu)
            MenuList().erase(m_hMenu);
    }
    for (auto& sub : m_subMenus)
        sub->Unregister(true);
    if (forget)
        Detach();
}

BOOL COwnerDrawMenu::IsOwnerDrawMenu(HMENU menu)
{
    std::lock_guard<std::mutex> lock(g_menuLock);
    return menu && MenuList().count(menu) != 0;
}

COwnerDrawMenu* COwnerDrawMenu::FromHandle(HMENU menu)
{
    std::lock_guard<std::mutex> lock(g_menuLock);
    auto it = MenuList().find(menu);
    return it == MenuList().end() ? nullptr : it->second;
}

COwnerDrawMenuItem* COwnerDrawMenu::FindItem(UINT idOrPos, BOOL byPosition) const
{
    if (byPosition)
        return idOrPos < m_items.size() ? m_items[idOrPos].get() : nullptr;
    for (auto& item : m_items)
        if (!(item->flags & (MF_POPUP | MF_SEPARATOR)) && item->id == idOrPos)
            return item.get();
    return nullptr;
}

COwnerDrawMenu* COwnerDrawMenu::FindSubMenu(HMENU h)
{
    if (m_hMenu == h)
        return this;
    for (auto& sub : m_subMenus)
        if (COwnerDrawMenu* found = sub->FindSubMenu(h))
            return found;
    return nullptr;
}

LRESULT COwnerDrawMenu::OnMenuChar(UINT ch, UINT, CMenu* menu)
{
    COwnerDrawMenu* self = menu ? FromHandle(menu->GetSafeHmenu()) : nullptr;
    if (!self)
        return 0;
    wchar_t wanted = (wchar_t)(DWORD_PTR)::CharLowerW((LPWSTR)(DWORD_PTR)(wchar_t)(BYTE)ch);
    for (size_t pos = 0; pos < self->m_items.size(); ++pos) {
        const std::wstring& t = self->m_items[pos]->text;
        for (size_t i = 0; i + 1 < t.size(); ++i) {
            if (t[i] != L'&')
                continue;
            if (t[i + 1] == L'&') {   // "&&" is a literal ampersand
                ++i;
                continue;
            }
            wchar_t c = (wchar_t)(DWORD_PTR)::CharLowerW((LPWSTR)(DWORD_PTR)t[i + 1]);
            if (c == wanted)
                return MAKELRESULT(pos, MNC_EXECUTE);
            break;
        }
    }
    return 0;
}

// ---- Toolbar images ---------------------------------------------------------

BOOL COwnerDrawMenu::LoadToolbar(UINT toolbarId)
{
    CWnd* main = AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr;
    if (main && !main->IsWindow())
        main = nullptr;
    CToolBar bar;
    if (!bar.Create(main ? main : CWnd::FromHandle(::GetDesktopWindow()),
                    WS_CHILD | WS_VISIBLE | CBRS_TOP, AFX_IDW_TOOLBAR))
        return FALSE;
    BOOL ok = bar.LoadToolBar(toolbarId);
    std::vector<WORD> ids;
    if (ok)
        for (int i = 0; i < bar.GetCount(); ++i)
            ids.push_back((WORD)bar.GetItemID(i));
    CSize size = bar.GetImageSize();
    bar.DestroyWindow();
    if (!ok)
        return FALSE;
    m_nIconX = std::max(m_nIconX, (int)size.cx);
    m_nIconY = std::max(m_nIconY, (int)size.cy);

    HBITMAP strip = (HBITMAP)::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(toolbarId), IMAGE_BITMAP, 0, 0,
                                          LR_CREATEDIBSECTION);
    if (!strip)
        return FALSE;
    BITMAP bm = {};
    ::GetObjectA(strip, sizeof(bm), &bm);
    int count = size.cx > 0 ? bm.bmWidth / size.cx : 0;
    bool extras = s_bXpExtras && UseXpLook();
    int perImage = extras ? 3 : 1;
    auto list = std::make_unique<CImageList>();
    if (!list->Create(m_nIconX, m_nIconY, ILC_COLORDDB | ILC_MASK, count * perImage, 4)) {
        ::DeleteObject(strip);
        return FALSE;
    }
    // Each image is put on the face colour (where the mask colour was), and
    // in the XP look followed by a faded and a shadow copy.
    COLORREF face = ::GetSysColor(COLOR_3DFACE);
    DWORD facePx = Dib::Pack(face);
    DWORD shadowPx = Dib::Pack(Lighten(::GetSysColor(COLOR_3DSHADOW), 0.49));
    HDC src = ::CreateCompatibleDC(nullptr);
    HGDIOBJ oldSrc = ::SelectObject(src, strip);
    for (int i = 0; i < count; ++i) {
        Dib img(m_nIconX, m_nIconY);
        for (int k = 0; k < img.w * img.h; ++k)
            img.px[k] = facePx;
        ::BitBlt(img.dc, 0, 0, size.cx, size.cy, src, i * size.cx, 0, SRCCOPY);
        ::GdiFlush();
        DWORD maskPx = Dib::Pack(m_crMask);
        for (int k = 0; k < img.w * img.h; ++k)
            if ((img.px[k] & 0xFFFFFF) == maskPx)
                img.px[k] = facePx;
        std::vector<DWORD> normal(img.px, img.px + img.w * img.h);
        ::SelectObject(img.dc, img.old);
        list->Add(img.bmp, face);
        ::SelectObject(img.dc, img.bmp);
        if (extras) {
            for (int copy = 0; copy < 2; ++copy) {
                for (int k = 0; k < img.w * img.h; ++k) {
                    DWORD p = normal[k] & 0xFFFFFF;
                    if (p == facePx)
                        img.px[k] = p;
                    else
                        img.px[k] = copy == 0 ? Dib::Pack(Lighten(Dib::Unpack(p), 0.3)) : shadowPx;
                }
                ::SelectObject(img.dc, img.old);
                list->Add(img.bmp, face);
                ::SelectObject(img.dc, img.bmp);
            }
        }
    }
    ::SelectObject(src, oldSrc);
    ::DeleteDC(src);
    ::DeleteObject(strip);
    m_images = std::move(list);
    ApplyImages(ids, perImage);
    return TRUE;
}

void COwnerDrawMenu::ApplyImages(const std::vector<WORD>& ids, int perImage)
{
    int image = 0;
    for (WORD cmd : ids) {
        if (!cmd)
            continue;
        for (COwnerDrawMenu* menu : { this }) {
            std::vector<COwnerDrawMenu*> stack{ menu };
            while (!stack.empty()) {
                COwnerDrawMenu* m = stack.back();
                stack.pop_back();
                for (auto& item : m->m_items) {
                    if (!(item->flags & (MF_POPUP | MF_SEPARATOR)) && item->id == cmd) {
                        item->image = image * perImage;
                        item->globalImage = image;
                        item->imageList = m_images.get();
                    }
                }
                for (auto& sub : m->m_subMenus) {
                    sub->m_nIconX = m_nIconX;
                    sub->m_nIconY = m_nIconY;
                    stack.push_back(sub.get());
                }
            }
        }
        ++image;
    }
}

// ---- Measuring and drawing ----------------------------------------------------

void COwnerDrawMenu::MeasureItem(LPMEASUREITEMSTRUCT mis)
{
    if (!mis || mis->CtlType != ODT_MENU || !mis->itemData)
        return;
    const COwnerDrawMenuItem* item = (const COwnerDrawMenuItem*)mis->itemData;
    BOOL xp = UseXpLook();
    int pad = (xp && s_bXpExtras) ? 7 : 4;
    int cyMenu = ::GetSystemMetrics(SM_CYMENU);
    if (item->flags & MF_SEPARATOR) {
        mis->itemWidth = 0;
        mis->itemHeight = std::max(cyMenu / 2, (m_nIconY + pad) / 2);
        return;
    }
    CWnd* main = AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr;
    HWND wnd = main && main->IsWindow() ? main->GetSafeHwnd() : ::GetDesktopWindow();
    HDC dc = ::GetDC(wnd);
    HFONT font = CreateMenuFont();
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE sz = {};
    ::GetTextExtentPoint32W(dc, item->text.c_str(), (int)item->text.size(), &sz);
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    ::ReleaseDC(wnd, dc);
    mis->itemWidth = xp ? sz.cx + m_nIconX + pad + 8 : sz.cx + 2 * m_nIconX + 1;
    mis->itemHeight = std::max(cyMenu, m_nIconY + pad);
}

void COwnerDrawMenu::DrawItem(LPDRAWITEMSTRUCT dis)
{
    if (!dis || dis->CtlType != ODT_MENU || !dis->itemData)
        return;
    COwnerDrawMenuItem* item = (COwnerDrawMenuItem*)dis->itemData;
    int saved = ::SaveDC(dis->hDC);
    if (UseXpLook(dis->hDC))
        DrawXp(dis, item);
    else
        DrawClassic(dis, item);
    ::RestoreDC(dis->hDC, saved);
}

// Text before a tab at the left, the accelerator after it right-aligned, the
// right edge moved in by the icon width.
void COwnerDrawMenu::DrawItemText(HDC dc, const std::wstring& text, RECT r, COLORREF colour)
{
    HFONT font = CreateMenuFont();
    HGDIOBJ old = ::SelectObject(dc, font);
    ::SetTextColor(dc, colour);
    ::SetBkMode(dc, TRANSPARENT);
    size_t tab = text.find(L'\t');
    std::wstring left = text.substr(0, tab);
    ::DrawTextW(dc, left.c_str(), (int)left.size(), &r, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    if (tab != std::wstring::npos) {
        std::wstring accel = text.substr(tab + 1);
        RECT ra = r;
        ra.right -= m_nIconX;
        ::DrawTextW(dc, accel.c_str(), (int)accel.size(), &ra, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    }
    ::SelectObject(dc, old);
    ::DeleteObject(font);
}

// The icon's shape (its pixels other than the face and highlight colours),
// in the highlight colour one pixel right and down, then in the shadow colour.
void COwnerDrawMenu::DrawEmbossed(HDC dc, CImageList* list, int image, int x, int y)
{
    if (!list)
        return;
    Dib img(m_nIconX, m_nIconY);
    COLORREF face = ::GetSysColor(COLOR_3DFACE);
    DWORD facePx = Dib::Pack(face), hiPx = Dib::Pack(::GetSysColor(COLOR_3DHILIGHT));
    for (int k = 0; k < img.w * img.h; ++k)
        img.px[k] = facePx;
    list->Draw(img.dc, image, CPoint(0, 0), ILD_TRANSPARENT);
    ::GdiFlush();
    // m_b3dDisabled chose between two mask builders of old that made the same shape.
    std::vector<bool> shape((size_t)img.w * img.h);
    for (int k = 0; k < img.w * img.h; ++k) {
        DWORD p = img.px[k] & 0xFFFFFF;
        shape[k] = p != facePx && p != hiPx;
    }
    COLORREF colours[2] = { ::GetSysColor(COLOR_3DHILIGHT), ::GetSysColor(COLOR_3DSHADOW) };
    for (int pass = 0; pass < 2; ++pass) {
        int off = pass == 0 ? 1 : 0;
        for (int yy = 0; yy < img.h; ++yy)
            for (int xx = 0; xx < img.w; ++xx)
                if (shape[(size_t)yy * img.w + xx])
                    ::SetPixelV(dc, x + xx + off, y + yy + off, colours[pass]);
    }
}

void COwnerDrawMenu::DrawClassic(LPDRAWITEMSTRUCT dis, COwnerDrawMenuItem* item)
{
    HDC dc = dis->hDC;
    RECT r = dis->rcItem;
    COLORREF back = ::GetSysColor(IsXpThemeActive() ? COLOR_3DFACE : COLOR_MENU);
    COLORREF text = ::GetSysColor(COLOR_MENUTEXT);
    COLORREF selBack = ::GetSysColor(COLOR_HIGHLIGHT);
    COLORREF selText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    BOOL disabled = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    BOOL selected = (dis->itemState & ODS_SELECTED) != 0;
    BOOL checked = (dis->itemState & ODS_CHECKED) != 0;
    if (disabled && !s_bClassicHighlightDisabled)
        selected = FALSE;

    if (item->flags & MF_SEPARATOR) {
        FillRect(dc, r, back);
        RECT line = r;
        line.top += (r.bottom - r.top) / 2;
        ::DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        return;
    }

    BOOL hasIcon = item->image >= 0 && item->imageList;
    FillRect(dc, r, back);
    if (selected) {
        RECT sel = r;
        if (hasIcon || checked)
            sel.left += m_nIconX + 5;
        FillRect(dc, sel, selBack);
    }

    int itemH = r.bottom - r.top;
    int dy = std::max(0, (itemH - m_nIconY - 4) / 2);
    RECT box = { r.left + 1, r.top + dy + 1, r.left + m_nIconX + 3, r.top + dy + m_nIconY + 3 };
    POINT iconAt = { r.left + 2, r.top + dy + 2 };
    if (hasIcon) {
        if (checked) {
            FillRect(dc, box, Lighten(back, 0.6));
            Draw3dRect(dc, box, ::GetSysColor(COLOR_3DSHADOW), ::GetSysColor(COLOR_3DHILIGHT));
        } else if (selected && !disabled) {
            Draw3dRect(dc, box, ::GetSysColor(COLOR_3DHILIGHT), ::GetSysColor(COLOR_3DSHADOW));
        }
        if (disabled)
            DrawEmbossed(dc, item->imageList, item->image, iconAt.x, iconAt.y);
        else
            item->imageList->Draw(dc, item->image, iconAt, ILD_TRANSPARENT);
    } else if (checked) {
        int mark = selected ? m_nCheckSelected : m_nCheckUnselected;
        if (m_pCheckMarks && mark >= 0) {
            m_pCheckMarks->Draw(dc, mark, iconAt, ILD_TRANSPARENT);
        } else {
            FillRect(dc, box, selected ? back : Lighten(back, 0.6));
            if (IsNewShell()) {
                RECT edge = box;
                ::DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
            }
            DrawItemMark(dc, dis, box.left + 4, box.left + 5, box.top + 4, text);
        }
    }

    RECT tr = r;
    tr.left += m_nIconX + 9;
    if (disabled && !selected) {
        RECT shifted = tr;
        ::OffsetRect(&shifted, 1, 1);
        DrawItemText(dc, item->text, shifted, ::GetSysColor(COLOR_3DHILIGHT));
        DrawItemText(dc, item->text, tr, ::GetSysColor(COLOR_GRAYTEXT));
    } else if (disabled) {
        DrawItemText(dc, item->text, tr, back);
    } else {
        DrawItemText(dc, item->text, tr, selected ? selText : text);
    }
}

void COwnerDrawMenu::DrawXp(LPDRAWITEMSTRUCT dis, COwnerDrawMenuItem* item)
{
    HDC target = dis->hDC;
    RECT full = dis->rcItem;
    BOOL themed = IsXpThemeActive();
    BOOL extras = s_bXpExtras;
    int pad = extras ? 7 : 4;
    COLORREF textArea = ::GetSysColor(COLOR_WINDOW);
    COLORREF column = ::GetSysColor(COLOR_3DFACE);
    if (!themed)
        column = Lighten(column, 0.25);
    COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    COLORREF selFill = Lighten(highlight, themed ? 0.7 : 0.85);
    COLORREF textColour = ::GetSysColor(COLOR_MENUTEXT);
    int colW = m_nIconX + pad;
    BOOL disabled = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    BOOL selected = (dis->itemState & ODS_SELECTED) != 0;
    BOOL checked = (dis->itemState & ODS_CHECKED) != 0;
    if (disabled && !s_bXpHighlightDisabled)
        selected = FALSE;

    // A disabled item is drawn off screen first, then copied in one go.
    int w = full.right - full.left, h = full.bottom - full.top;
    std::unique_ptr<Dib> mem;
    HDC dc = target;
    RECT r = full;
    if (disabled && w > 0 && h > 0) {
        mem = std::make_unique<Dib>(w, h);
        dc = mem->dc;
        r = RECT{ 0, 0, w, h };
    }
    RECT col = { r.left, r.top, r.left + colW, r.bottom };
    RECT area = { r.left + colW, r.top, r.right, r.bottom };

    if (item->flags & MF_SEPARATOR) {
        FillRect(dc, area, textArea);
        FillRect(dc, col, column);
        RECT line = { r.left + colW + 8, r.top + (r.bottom - r.top) / 2, r.right, r.bottom };
        ::DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    } else {
        if (selected) {
            FillRect(dc, r, selFill);
            FrameRect(dc, r, highlight);
        } else {
            FillRect(dc, area, textArea);
            FillRect(dc, col, column);
        }
        int itemH = r.bottom - r.top;
        int dx = std::max(0, (int)((colW - m_nIconX + 1) * 0.5));
        int dy = std::max(0, (int)((itemH - m_nIconY + 1) * 0.5));
        POINT at = { r.left + dx, r.top + dy };
        BOOL hasIcon = item->image >= 0 && item->imageList;
        bool copies = extras && item->imageList && item->imageList->GetImageCount() > item->image + 2;
        if (hasIcon) {
            if (checked) {
                RECT box = { r.left + 1, r.top + 1, r.left + colW - 1, r.bottom - 1 };
                FillRect(dc, box, Lighten(highlight, 0.85));
                FrameRect(dc, box, highlight);
                item->imageList->Draw(dc, item->image, CPoint(at.x - 1, at.y - 1), ILD_TRANSPARENT);
            } else if (disabled) {
                DrawEmbossed(dc, item->imageList, item->image, at.x, at.y);
            } else if (selected && copies) {
                item->imageList->Draw(dc, item->image + 2, CPoint(at.x + 1, at.y + 1), ILD_TRANSPARENT);
                item->imageList->Draw(dc, item->image, CPoint(at.x - 1, at.y - 1), ILD_TRANSPARENT);
            } else if (!selected && copies) {
                item->imageList->Draw(dc, item->image + 1, at, ILD_TRANSPARENT);
            } else {
                item->imageList->Draw(dc, item->image, at, ILD_TRANSPARENT);
            }
        } else if (checked) {
            int bx = std::max(0, (int)((colW - 16 + 1) * 0.5));
            int by = std::max(0, (int)((itemH - 16 + 1) * 0.5));
            RECT box = { r.left + bx, r.top + by, r.left + bx + 16, r.top + by + 16 };
            FillRect(dc, box, Lighten(highlight, 0.85));
            FrameRect(dc, box, highlight);
            DrawItemMark(dc, dis, box.left + 5, box.left + 5, box.top + 4, textColour);
        }
        RECT tr = { r.left + colW + 8, r.top + 1, r.right, r.bottom - 1 };
        COLORREF tc = textColour;
        if (disabled)
            tc = themed ? ::GetSysColor(COLOR_GRAYTEXT)
                        : (selected ? ::GetSysColor(COLOR_GRAYTEXT) : Lighten(::GetSysColor(COLOR_GRAYTEXT), 0.4));
        DrawItemText(dc, item->text, tr, tc);
    }
    if (mem)
        ::BitBlt(target, full.left, full.top, w, h, mem->dc, 0, 0, SRCCOPY);
}
