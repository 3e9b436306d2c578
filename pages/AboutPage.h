// The upper page "About": the versions and dates of the program and of the
// adapter's driver file, the adapter's EEPROM and firmware versions and its
// MAC address, all read again each time the page is shown, and a button that
// opens the seller's web site.
#pragma once

#include "classlib/ClassLib.h"
#include "pagebase/ChildPage.h"
#include "widgets/SkinButton.h"
#include "resource.h"

// The seller's web site; the button shows it as its caption.
extern const char kSellerWebAddress[];

// How the web link is opened (on a thread of its own) and how the file-system
// redirection is switched around the read of the driver file; tests record
// instead.
extern HINSTANCE (WINAPI* g_pfnOpenWebLink)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
extern void (*g_pfnDisableFsRedirection)();
extern void (*g_pfnEnableFsRedirection)();

// The driver file of a model on an operating-system code, as the page reads
// it: the system folder (and "drivers") with the model table's file name;
// empty when the code or the model has none.
CString DriverFilePath(int model, int osCode);

// The version ("%d.%d.%d.%d\n"), date ("%m-%d-%Y" of the last change) and
// the 040904B0 "LegalCopyright" of a file.  FALSE and nothing changed when
// the file carries no usable version information; the date and the
// copyright are left alone when they cannot be read.
BOOL ReadFileVersionTexts(const char* path, CString& version, CString& date, CString* copyright);

class CAboutPage : public CChildPage {
public:
    explicit CAboutPage(CConfigMainDlg* pMainDlg);

    // Reads everything again and shows it.
    void FillVersionInfo();

    // The texts shown, exchanged with the value statics.
    CString m_strCopyright;
    CString m_strUtilityVersion, m_strUtilityDate;
    CString m_strDriverVersion, m_strDriverDate;
    CString m_strEepromVersion;
    CString m_strMacAddress;
    CString m_strFirmwareVersion;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnShowWindow(BOOL bShow, UINT status);
    void OnWebLink();

private:
    void ShowRow(UINT label, UINT value, BOOL show);

    CSkinButton m_btnWebLink;
    BYTE m_mac[6] = {};
};
