// The push, check and radio button that the dialogs subclass onto their
// buttons: it draws itself completely in five steps (face, border, icon,
// bitmap, caption), tracks hover, and can carry icons, a drop-down menu, a
// tooltip and a web link.
#pragma once

#include "classlib/ClassLib.h"
#include "widgets/OwnerDrawMenu.h"

// Set by every click of an owner-drawn button (one may hold a drop-down menu
// open); the controller reads and clears it when the adapter goes away.
extern BOOL g_bButtonClicked;

class COwnerDrawButton : public CButton {
public:
    // Colour indexes of SetColor and OffsetColor.
    enum { COLOR_BK_IN = 0, COLOR_FG_IN, COLOR_BK_OUT, COLOR_FG_OUT, COLOR_BK_FOCUS, COLOR_FG_FOCUS, COLOR_COUNT };
    // Icon placement relative to the caption.
    enum { ALIGN_HORIZ = 0, ALIGN_VERT = 1, ALIGN_HORIZ_RIGHT = 2, ALIGN_NONE = 3 };
    // SetIcon's out-icon ids that make a copy of the in-icon.
    enum { ICON_OUT_GREY = -2, ICON_OUT_DARKER = -3 };
    // Setter results.
    enum {
        BTN_OK = 0, BTN_INVALIDRESOURCE = 1, BTN_INVALIDINDEX = 3, BTN_INVALIDALIGN = 4,
        BTN_BADPARAM = 5, BTN_INVALIDPRESSEDSTYLE = 6
    };

    COwnerDrawButton();
    ~COwnerDrawButton() override;

    DWORD SetIcon(int iconIn, int iconOut = 0);
    DWORD SetAlign(BYTE align, BOOL repaint = TRUE);
    DWORD SetPressedStyle(BYTE style, BOOL repaint = TRUE);
    DWORD SetCheck(BOOL checked, BOOL repaint = TRUE);
    BOOL GetCheck() const { return m_bChecked; }
    DWORD SetDefaultColors(BOOL repaint = TRUE);
    DWORD SetColor(BYTE index, COLORREF colour, BOOL repaint = TRUE);
    DWORD GetColor(BYTE index, COLORREF* colour) const;
    DWORD OffsetColor(BYTE index, short shade, BOOL repaint = TRUE);
    DWORD DrawBorder(BOOL enable = TRUE, BOOL repaint = TRUE);
    DWORD SetFlat(BOOL flat = TRUE, BOOL repaint = TRUE);
    DWORD DrawFlatFocus(BOOL draw, BOOL repaint = TRUE);
    DWORD SetURL(LPCTSTR url);
    DWORD SetMenu(UINT menuId, HWND owner, BOOL xpStyle = TRUE, UINT toolbarId = 0, int iconCx = 16,
                  int iconCy = 16, COLORREF mask = RGB(255, 0, 255), BOOL repaint = TRUE);
    DWORD SetMenuCallback(HWND wnd, UINT message, LPARAM lParam = 0);
    DWORD SetTooltipText(LPCTSTR text, BOOL activate = TRUE);
    DWORD SetBtnCursor(int cursorId, BOOL repaint = FALSE);
    // The hover state ends (flag cleared, repainted when it was on).
    void CancelHover();

    COwnerDrawMenu& GetMenu() { return m_menu; }
    BOOL IsHovered() const { return m_bMouseOnButton; }

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void PreSubclassWindow() override;
    BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    // Drawn by CSkinButton with its selected face; set by the tab container.
    BOOL m_bTabSelected = FALSE;
    // The caption is drawn without DT_CENTER.
    BOOL m_bAlignLeft = FALSE;

protected:
    virtual DWORD PaintBackground(CDC* dc, CRect* rect);
    virtual DWORD PaintBorder(CDC* dc, CRect* rect);
    virtual DWORD PaintIcon(CDC* dc, BOOL hasText, CRect* item, CRect* caption, BOOL pressed, BOOL disabled);
    virtual DWORD PaintBitmap(CDC* dc, BOOL hasText, CRect* item, CRect* caption, BOOL pressed, BOOL disabled);
    virtual DWORD PaintCaption(CDC* dc, const CString& text, CRect* item, CRect* caption, BOOL pressed,
                               BOOL disabled);

    DECLARE_MESSAGE_MAP()
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnKillFocus(CWnd* newWnd);
    void OnMouseMove(UINT flags, CPoint point);
    void OnMouseLeave();
    void OnEnable(BOOL enable);
    LRESULT OnSysColorChange(WPARAM, LPARAM);
    LRESULT OnActivate(WPARAM, LPARAM);
    LRESULT OnCancelMode(WPARAM, LPARAM);
    LRESULT OnGetDlgCode(WPARAM, LPARAM);
    LRESULT OnMenuChar(WPARAM, LPARAM);
    LRESULT OnMeasureItemMsg(WPARAM, LPARAM);
    LRESULT OnDrawItemMsg(WPARAM, LPARAM);
    LRESULT OnSetStyle(WPARAM, LPARAM);
    LRESULT OnSetCheck(WPARAM, LPARAM);
    LRESULT OnGetCheck(WPARAM, LPARAM);
    void OnClicked();

    struct BitmapRecord {
        HBITMAP bitmap = nullptr;
        DWORD width = 0, height = 0;
        HBITMAP mask = nullptr;
        DWORD spare = 0;
    };

    BOOL m_bDrawTransparent = FALSE;
    BOOL m_bGreyDisabledBitmap = TRUE;
    int m_nImageGapX = 3, m_nImageGapY = 3;
    int m_nPressedOffsetX = 1, m_nPressedOffsetY = 1;
    CString m_strTooltip;
    BOOL m_bTooltipActive = TRUE;
    COwnerDrawMenu m_menu;
    BOOL m_bIsFlat = TRUE;
    BOOL m_bMouseOnButton = FALSE;
    BOOL m_bIsPressed = FALSE, m_bIsFocused = FALSE, m_bIsDisabled = FALSE;
    BOOL m_bIsDefault = FALSE;
    BOOL m_bIsCheckBox = FALSE, m_bIsRadio = FALSE;
    BYTE m_byAlign = ALIGN_HORIZ;
    BOOL m_bDrawBorder = TRUE;
    BOOL m_bDrawFlatFocus = FALSE;
    COLORREF m_crColors[COLOR_COUNT] = {};
    HWND m_hMenuOwner = nullptr;
    BOOL m_bMenuDisplayed = FALSE;
    HCURSOR m_hCursor = nullptr;
    CToolTipCtrl m_ToolTip;
    DWORD m_dwToolTipStyle = 0;
    BOOL m_bAlwaysTrack = TRUE;
    BOOL m_bChecked = FALSE;
    UINT m_nTypeStyle = 15;
    char m_szURL[260] = "";
    CDC m_dcBk;
    CBitmap m_bmpBk;
    HGDIOBJ m_pbmpOldBk = nullptr;
    // The icons are shared by every button of the program (not owned).
    struct IconRecord {
        HICON icon = nullptr;
        DWORD width = 0, height = 0;
    } m_csIcons[2];
    BitmapRecord m_csBitmaps[2];
    HWND m_hCallbackWnd = nullptr;
    UINT m_nCallbackMsg = 0;
    LPARAM m_lCallbackParam = 0;

private:
    void FreeResources(BOOL checkForNull = TRUE);
    void PrepareImageRect(BOOL hasText, CRect* item, CRect* caption, BOOL pressed, DWORD width, DWORD height,
                          CRect* image) const;
    void InitToolTip();
    void RefreshToolTip(BOOL activate);
    void PaintBk(CDC* dc);
    void Repaint(BOOL repaint) { if (repaint && IsWindow()) Invalidate(); }
};

// Grey and darker copies of an icon (same mask; black stays black).
HICON CreateGreyscaleIcon(HICON icon);
HICON CreateDarkerIcon(HICON icon);
// Three quarters of each component; a factor outside (0, 1] leaves the colour alone.
COLORREF DarkenColor(COLORREF c, double factor);
