// A menu whose items are all owner-drawn, with an icon column from a toolbar
// resource, in a classic look or a flat XP look.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "classlib/ClassLib.h"

// One item of an owner-drawn menu; its address is the item's data.
struct COwnerDrawMenuItem {
    std::wstring text;        // as in the resource, with "&" and an accelerator after a tab
    UINT flags = 0;           // MF_ bits as loaded
    UINT id = 0;              // command id (0 for a popup or separator)
    int image = -1;           // index into the image list, -1 none
    int globalImage = -1;     // index of the toolbar button the image came from
    CImageList* imageList = nullptr;
};

class COwnerDrawMenu : public CMenu {
public:
    COwnerDrawMenu();
    ~COwnerDrawMenu() override;
    static const char* GetRuntimeClassName() { return "COwnerDrawMenu"; }

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;
    // Reads the RT_MENU resource itself; FALSE when it is missing or malformed.
    virtual BOOL LoadMenu(UINT resourceId);
    virtual BOOL LoadMenu(LPCTSTR resourceName);
    virtual BOOL DestroyMenu();

    // Gives the menu's items with a toolbar button of the same command its image.
    BOOL LoadToolbar(UINT toolbarId);
    void SetIconSize(int cx, int cy) { m_nIconX = cx; m_nIconY = cy; }
    void SetMaskColor(COLORREF mask) { m_crMask = mask; }
    int GetIconWidth() const { return m_nIconX; }
    int GetIconHeight() const { return m_nIconY; }

    // The item record of a command or position of this menu (not its submenus).
    COwnerDrawMenuItem* FindItem(UINT idOrPos, BOOL byPosition) const;
    // The owned submenu with this handle, searched through every level.
    COwnerDrawMenu* FindSubMenu(HMENU h);

    static BOOL IsOwnerDrawMenu(HMENU menu);
    // The object of a menu handle in the process-wide list, or null.
    static COwnerDrawMenu* FromHandle(HMENU menu);
    // WM_MENUCHAR for one of these menus: MNC_EXECUTE with the position of the
    // item whose text has "&" and the character; otherwise 0 (the default answer).
    static LRESULT OnMenuChar(UINT ch, UINT flags, CMenu* menu);

    // Which look the items are drawn in, on this device context (null: the screen).
    static BOOL UseXpLook(HDC dc = nullptr);
    static BOOL IsXpThemeActive();
    static BOOL IsClassicThemeActive();
    static int GetMenuOsVersion();
    static BOOL IsNewShell() { return GetMenuOsVersion() >= 2; }
    // Both style flags; the owner-drawn button sets them from its XP-style argument.
    static void SetXpStyle(BOOL xp) { s_bXpStyleThemed = xp; s_bXpStyleUnthemed = xp; }

    static BOOL s_bXpStyleThemed;              // XP look on a themed XP system (1)
    static BOOL s_bXpStyleUnthemed;            // XP look elsewhere (0)
    static BOOL s_bClassicHighlightDisabled;   // disabled items keep the highlight (1)
    static BOOL s_bXpHighlightDisabled;        // (0)
    static BOOL s_bXpExtras;                   // wider column, faded and shadow icon copies (1)

    // Colour helper: every component moved toward 255 by the factor (0 < f <= 1).
    static COLORREF Lighten(COLORREF c, double f);
    // The marks, in the given colour.
    static void DrawCheckMark(HDC dc, int x, int y, COLORREF c);
    static void DrawRadioMark(HDC dc, int x, int y, COLORREF c);
    static void DrawItemMark(HDC dc, LPDRAWITEMSTRUCT dis, int checkX, int radioX, int y, COLORREF c);

private:
    BOOL LoadFromTemplate(const BYTE* data, DWORD size);
    BOOL BuildLevel(const BYTE*& p, const BYTE* end, int depth);
    void AddItem(UINT flags, UINT id, const std::wstring& text, COwnerDrawMenu* sub);
    void Register();
    void Unregister(bool forget);
    void ApplyImages(const std::vector<WORD>& ids, int perImage);
    void DrawClassic(LPDRAWITEMSTRUCT dis, COwnerDrawMenuItem* item);
    void DrawXp(LPDRAWITEMSTRUCT dis, COwnerDrawMenuItem* item);
    void DrawEmbossed(HDC dc, CImageList* list, int image, int x, int y);
    void DrawItemText(HDC dc, const std::wstring& text, RECT r, COLORREF colour);

    std::vector<std::unique_ptr<COwnerDrawMenuItem>> m_items;
    std::vector<std::unique_ptr<COwnerDrawMenu>> m_subMenus;
    int m_nIconX = 16;
    int m_nIconY = 15;
    COLORREF m_crMask = 0xC0C0C0;
    DWORD m_dwSpare = 0;
    BOOL m_b3dDisabled = FALSE;   // which of two equal ways builds the embossed shape
    CImageList* m_pCheckMarks = nullptr;
    BOOL m_bCheckMarksShared = FALSE;
    int m_nCheckSelected = -1;
    int m_nCheckUnselected = -1;
    std::unique_ptr<CImageList> m_images;   // toolbar images (and their derived copies)
};
