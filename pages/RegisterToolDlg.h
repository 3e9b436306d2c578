// An engineering dialog: reads and writes the adapter's MAC, baseband (BBP)
// and EEPROM registers, and sets the RF registers and the tuning switches,
// through the vendor OIDs.  Offsets and values are typed in hexadecimal, the
// BBP id and the R17 fields in decimal.  The R17 box is hidden.
#pragma once

#include <windows.h>

#include "classlib/ClassLib.h"
#include "resource.h"

#pragma pack(push, 1)
// OID_VENDOR_REGISTER_ACCESS: the query reads value, the set writes it.
struct RegisterAccessRecord {
    DWORD type;           // REGISTER_TYPE_*
    DWORD offset;         // register offset or BBP id
    DWORD value;
};
// OID_VENDOR_RF_TUNING.
struct RfTuningRecord {
    DWORD r[4];           // R1 to R4
    DWORD enable;
};
// OID_VENDOR_R17_TUNING.
struct R17TuningRecord {
    BYTE enable;
    BYTE step;
    BYTE limit;
    BYTE maximum;
};
#pragma pack(pop)
static_assert(sizeof(RegisterAccessRecord) == 12, "RegisterAccessRecord layout");
static_assert(sizeof(RfTuningRecord) == 20, "RfTuningRecord layout");
static_assert(sizeof(R17TuningRecord) == 4, "R17TuningRecord layout");

enum { REGISTER_TYPE_MAC = 0, REGISTER_TYPE_BBP = 1, REGISTER_TYPE_EEPROM = 3 };

// The leading hexadecimal digits of a text as an unsigned 32-bit number:
// reading stops at the first character that is not a hex digit (a blank, a
// sign or the "x" of "0x" end it there), and of a number of more than eight
// digits the register gets the low 32 bits, as an unsigned conversion does.
DWORD HexTextValue(const CString& text);

class CRegisterToolDlg : public CDialog {
public:
    explicit CRegisterToolDlg(CWnd* parent = nullptr) : CDialog(IDD_REGISTER_TOOL, parent) {}

    CString m_strMacOffset, m_strMacValue;
    int m_nBbpId = 0;
    CString m_strBbpValue;
    int m_bBbpTuning = 0;
    CString m_strRf[4];
    int m_bRfTuning = 0;
    int m_nR17Enable = 0, m_nR17Step = 0, m_nR17Limit = 0;
    CString m_strR17Max;
    CString m_strEepromOffset, m_strEepromValue;

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    void OnMacQuery();
    void OnMacSet();
    void OnBbpQuery();
    void OnBbpSet();
    void OnEepromQuery();
    void OnEepromSet();
    void OnRfSet();
    void OnR17Query();
    void OnR17Set();
    void OnBbpTuningSet();

private:
    // Reads one register into its value text (format of value & mask), then
    // shows the members.
    void QueryRegister(DWORD type, DWORD offset, CString& value, const char* format, DWORD mask);
    static void SetRegister(DWORD type, DWORD offset, DWORD value);
};
