// Choice of one wireless card when several supported adapters are present.
#pragma once

#include "classlib/ClassLib.h"
#include "widgets/IconComboBox.h"
#include <setupapi.h>

class CSelectAdapterDlg : public CDialog {
public:
    explicit CSelectAdapterDlg(CWnd* pParent = nullptr);

    // The caller's device information set (kept by the caller) and the
    // SetupAPI member indexes of the candidates in it, in discovery order.
    void SetDeviceInfoSet(HDEVINFO set) { m_hDevInfo = set; }
    CDWordArray m_arrDeviceIndex;
    DWORD m_dwChosenIndex = 0;                    // member index of the chosen card, set by OK

protected:
    DECLARE_MESSAGE_MAP()

private:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnSelChangeCard();
    void ReadProperties(DWORD memberIndex);
    CString ReadProperty(SP_DEVINFO_DATA* dev, DWORD prop) const;

    HDEVINFO m_hDevInfo = INVALID_HANDLE_VALUE;
    CIconComboBox m_cbCard;                       // one name per candidate
    CString m_strDescription;
    CString m_strHardwareId;
    CString m_strLocation;
    CString m_strMaker;
};
