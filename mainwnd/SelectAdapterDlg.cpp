#include "mainwnd/SelectAdapterDlg.h"

#include <cstring>

#include "resource.h"

BEGIN_MESSAGE_MAP(CSelectAdapterDlg, CDialog)
    ON_CBN_SELCHANGE(IDC_CARD_LIST, OnSelChangeCard)
END_MESSAGE_MAP()

CSelectAdapterDlg::CSelectAdapterDlg(CWnd* pParent) : CDialog(IDD_SELECT_ADAPTER, pParent) {}

void CSelectAdapterDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CARD_LIST, m_cbCard);
    DDX_Text(pDX, IDC_CARD_DESCRIPTION, m_strDescription);
    DDX_Text(pDX, IDC_CARD_HARDWARE_ID, m_strHardwareId);
    DDX_Text(pDX, IDC_CARD_LOCATION, m_strLocation);
    DDX_Text(pDX, IDC_CARD_MAKER, m_strMaker);
}

// A property as text up to its first NUL (a multi-string shows its first
// string); empty when the device lacks it.
CString CSelectAdapterDlg::ReadProperty(SP_DEVINFO_DATA* dev, DWORD prop) const
{
    char buf[256] = {};
    if (!SetupDiGetDeviceRegistryPropertyA(m_hDevInfo, dev, prop, nullptr, (BYTE*)buf, 255, nullptr))
        return CString();
    buf[255] = 0;
    return CString(buf);
}

void CSelectAdapterDlg::ReadProperties(DWORD memberIndex)
{
    SP_DEVINFO_DATA dev = {};
    dev.cbSize = sizeof(dev);
    if (!SetupDiEnumDeviceInfo(m_hDevInfo, memberIndex, &dev)) {
        m_strDescription = m_strHardwareId = m_strLocation = m_strMaker = "";
        return;
    }
    m_strDescription = ReadProperty(&dev, SPDRP_DEVICEDESC);
    m_strHardwareId = ReadProperty(&dev, SPDRP_HARDWAREID);
    m_strLocation = ReadProperty(&dev, SPDRP_LOCATION_INFORMATION);
    m_strMaker = ReadProperty(&dev, SPDRP_MFG);
}

BOOL CSelectAdapterDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_cbCard.SetColumnCount(1);
    m_cbCard.SetColumnWidth(0, 200);
    if (m_hDevInfo == INVALID_HANDLE_VALUE) return FALSE;

    for (INT_PTR i = 0; i < m_arrDeviceIndex.GetSize(); ++i) {
        SP_DEVINFO_DATA dev = {};
        dev.cbSize = sizeof(dev);
        CString name;
        if (SetupDiEnumDeviceInfo(m_hDevInfo, m_arrDeviceIndex[i], &dev)) {
            name = ReadProperty(&dev, SPDRP_FRIENDLYNAME);
            if (name.IsEmpty()) name = ReadProperty(&dev, SPDRP_DEVICEDESC);
        }
        // Item i stands for element i of the candidates (no sorting).
        m_cbCard.InsertString((int)i, name);
    }
    if (m_arrDeviceIndex.GetSize() > 0) {
        ReadProperties(m_arrDeviceIndex[0]);
        m_cbCard.SetCurSel(0);
    }
    UpdateData(FALSE);
    return TRUE;
}

void CSelectAdapterDlg::OnSelChangeCard()
{
    int sel = m_cbCard.GetCurSel();
    if (sel < 0 || sel >= m_arrDeviceIndex.GetSize()) return;
    ReadProperties(m_arrDeviceIndex[sel]);
    UpdateData(FALSE);
}

void CSelectAdapterDlg::OnOK()
{
    int sel = m_cbCard.GetCurSel();
    if (sel >= 0 && sel < m_arrDeviceIndex.GetSize()) m_dwChosenIndex = m_arrDeviceIndex[sel];
    else if (m_arrDeviceIndex.GetSize() > 0) m_dwChosenIndex = m_arrDeviceIndex[0];
    CDialog::OnOK();
}
