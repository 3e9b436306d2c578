// Choice of one wireless card when several supported adapters are present.
#pragma once

#include "classlib/ClassLib.h"
#include "widgets/IconComboBox.h"
#include <setupapi.h>

class CSelectAdapterDlg : public CDialog {
public:
    explicit CSelectAdapterDlg(CWnd* pParent = nullptr);

    void SetDeviceInfoSet(HDEVINFO set) { m_hDevInfo = set; }
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnSelChangeCard();

    DWORD m_dwChosenIndex = 0;                    // SetupAPI member index, set by OK
    HDEVINFO m_hDevInfo = INVALID_HANDLE_VALUE;
    CDWordArray m_arrDeviceIndex;                 // candidates, in discovery order
    CIconComboBox m_cbCard;                       // one name per candidate
    CString m_strDescription;
    CString m_strHardwareId;
    CString m_strLocation;
    CString m_strMaker;

protected:
    DECLARE_MESSAGE_MAP()

private:
    void ReadProperties(DWORD memberIndex);
    CString ReadProperty(SP_DEVINFO_DATA* dev, DWORD prop) const;
};
