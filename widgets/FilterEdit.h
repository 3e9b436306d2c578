// An edit that accepts only chosen classes of characters and can hold an
// integer within a range, linked with a slider; and the slider side of it.
#pragma once

#include "classlib/ClassLib.h"
#include "widgets/InfoWnd.h"

#include <climits>
#include <memory>

// Character classes of the filtered edit's mask.
#define FE_DIGITS     0x01
#define FE_LETTERS    0x02
#define FE_FLOAT      0x04   // digits, ".", "-", "E"
#define FE_OTHER      0x08   // and "_"
#define FE_SIGNED     0x10   // digits and "-"
#define FE_UNDERSCORE 0x20
#define FE_HEX        0x40   // digits and A-F

class CFilterEdit;

class CBuddySlider : public CSliderCtrl {
public:
    void SetBuddyEdit(CFilterEdit* edit);
    void SetRange(int minVal, int maxVal);
    void SetPosFromEdit(int value);
    BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    CFilterEdit* m_pEdit = nullptr;
    int m_nMin = 0;
    int m_nMax = 0;
    int m_nLastPos = INT_MAX;
    BOOL m_bReversed = FALSE;        // a vertical slider runs from max at the top
};

class CFilterEdit : public CEdit {
public:
    CFilterEdit();
    ~CFilterEdit() override;

    // The class word of a typed character: it is accepted when (mask AND class) is not 0.
    static WORD CharClass(UINT ch);

    WORD SetCharMask(WORD mask) { return m_wCharMask = mask; }
    WORD GetCharMask() const { return m_wCharMask; }
    BOOL SetRange(int minVal, int maxVal, int lineSize, int pageSize);
    void AttachSlider(CWnd* parent, int sliderId);
    BOOL SetValue(int value);
    BOOL ShowValue(int value);
    int GetValue() const { return m_nValue; }

    virtual void OnBadChar() { ::MessageBeep((UINT)-1); }
    void PreSubclassWindow() override;

    WORD m_wCharMask = 0xFFFF;
    CInfoWnd m_infoWnd;              // validation hints beside the edit
    CBuddySlider* m_pSlider = nullptr;
    int m_nMin = 0;
    int m_nMax = 0;
    int m_nValue = INT_MIN;          // none yet

protected:
    DECLARE_MESSAGE_MAP()
    void OnChar(UINT ch, UINT repeat, UINT flags);
    void OnKillFocus(CWnd* newFocus);

private:
    void LinkSlider();
    void WriteValue(int value);
    std::unique_ptr<CBuddySlider> m_ownSlider;   // when AttachSlider had to subclass it
    int m_nLineSize = 1;
    int m_nPageSize = 1;
};
