#include "pages/RegisterToolDlg.h"

#include <cctype>

#include "core/OidChannel.h"
#include "core/Oids.h"

DWORD HexTextValue(const CString& text)
{
    DWORD value = 0;
    for (const char* p = text.GetString(); std::isxdigit((unsigned char)*p); ++p) {
        int digit = std::isdigit((unsigned char)*p) ? *p - '0' : std::toupper((unsigned char)*p) - 'A' + 10;
        value = (value << 4) | (DWORD)digit;
    }
    return value;
}

BEGIN_MESSAGE_MAP(CRegisterToolDlg, CDialog)
    ON_BN_CLICKED(IDC_REG_MAC_QUERY, OnMacQuery)
    ON_BN_CLICKED(IDC_REG_MAC_SET, OnMacSet)
    ON_BN_CLICKED(IDC_REG_BBP_QUERY, OnBbpQuery)
    ON_BN_CLICKED(IDC_REG_BBP_SET, OnBbpSet)
    ON_BN_CLICKED(IDC_REG_EEPROM_QUERY, OnEepromQuery)
    ON_BN_CLICKED(IDC_REG_EEPROM_SET, OnEepromSet)
    ON_BN_CLICKED(IDC_REG_RF_SET, OnRfSet)
    ON_BN_CLICKED(IDC_REG_R17_QUERY, OnR17Query)
    ON_BN_CLICKED(IDC_REG_R17_SET, OnR17Set)
    ON_BN_CLICKED(IDC_REG_BBP_TUNING_SET, OnBbpTuningSet)
END_MESSAGE_MAP()

void CRegisterToolDlg::DoDataExchange(CDataExchange* pDX)
{
    static const UINT kRfIds[4] = { IDC_REG_RF_R1, IDC_REG_RF_R2, IDC_REG_RF_R3, IDC_REG_RF_R4 };
    DDX_Text(pDX, IDC_REG_MAC_OFFSET, m_strMacOffset);
    DDX_Text(pDX, IDC_REG_MAC_VALUE, m_strMacValue);
    DDX_Text(pDX, IDC_REG_BBP_ID, m_nBbpId);
    DDX_Text(pDX, IDC_REG_BBP_VALUE, m_strBbpValue);
    DDX_Check(pDX, IDC_REG_BBP_TUNING, m_bBbpTuning);
    for (int i = 0; i < 4; ++i) DDX_Text(pDX, kRfIds[i], m_strRf[i]);
    DDX_Check(pDX, IDC_REG_RF_TUNING, m_bRfTuning);
    // The R17 fields are bytes of the driver's record.
    DDX_Text(pDX, IDC_REG_R17_ENABLE, m_nR17Enable);
    DDV_MinMaxInt(pDX, m_nR17Enable, 0, 255);
    DDX_Text(pDX, IDC_REG_R17_STEP, m_nR17Step);
    DDV_MinMaxInt(pDX, m_nR17Step, 0, 255);
    DDX_Text(pDX, IDC_REG_R17_LIMIT, m_nR17Limit);
    DDV_MinMaxInt(pDX, m_nR17Limit, 0, 255);
    DDX_Text(pDX, IDC_REG_R17_MAX, m_strR17Max);
    DDX_Text(pDX, IDC_REG_EEPROM_OFFSET, m_strEepromOffset);
    DDX_Text(pDX, IDC_REG_EEPROM_VALUE, m_strEepromValue);
}

// The values are 32-bit registers: eight digits, whatever the width of a
// pointer.  A query the driver does not answer leaves the value text alone.
void CRegisterToolDlg::QueryRegister(DWORD type, DWORD offset, CString& value, const char* format, DWORD mask)
{
    RegisterAccessRecord r = { type, offset, 0 };
    DWORD got = 0;
    if (QueryOid(OID_VENDOR_REGISTER_ACCESS, &r, sizeof(r), &got) && got >= sizeof(r)) value.Format(format, r.value & mask);
    UpdateData(FALSE);
}

void CRegisterToolDlg::SetRegister(DWORD type, DWORD offset, DWORD value)
{
    RegisterAccessRecord r = { type, offset, value };
    SetOid(OID_VENDOR_REGISTER_ACCESS, &r, sizeof(r), nullptr, 3);
}

void CRegisterToolDlg::OnMacQuery()
{
    if (UpdateData(TRUE)) QueryRegister(REGISTER_TYPE_MAC, HexTextValue(m_strMacOffset), m_strMacValue, "%08X", ~0u);
}

void CRegisterToolDlg::OnMacSet()
{
    if (UpdateData(TRUE)) SetRegister(REGISTER_TYPE_MAC, HexTextValue(m_strMacOffset), HexTextValue(m_strMacValue));
}

void CRegisterToolDlg::OnBbpQuery()
{
    if (UpdateData(TRUE)) QueryRegister(REGISTER_TYPE_BBP, (DWORD)m_nBbpId, m_strBbpValue, "%02X", 0xFF);
}

void CRegisterToolDlg::OnBbpSet()
{
    if (UpdateData(TRUE)) SetRegister(REGISTER_TYPE_BBP, (DWORD)m_nBbpId, HexTextValue(m_strBbpValue));
}

void CRegisterToolDlg::OnEepromQuery()
{
    if (UpdateData(TRUE))
        QueryRegister(REGISTER_TYPE_EEPROM, HexTextValue(m_strEepromOffset), m_strEepromValue, "%08X", ~0u);
}

void CRegisterToolDlg::OnEepromSet()
{
    if (UpdateData(TRUE))
        SetRegister(REGISTER_TYPE_EEPROM, HexTextValue(m_strEepromOffset), HexTextValue(m_strEepromValue));
}

void CRegisterToolDlg::OnRfSet()
{
    if (!UpdateData(TRUE)) return;
    RfTuningRecord r = {};
    for (int i = 0; i < 4; ++i) r.r[i] = HexTextValue(m_strRf[i]);
    r.enable = (DWORD)m_bRfTuning;
    SetOid(OID_VENDOR_RF_TUNING, &r, sizeof(r), nullptr, 3);
}

void CRegisterToolDlg::OnR17Query()
{
    if (!UpdateData(TRUE)) return;
    R17TuningRecord r = {};
    DWORD got = 0;
    if (QueryOid(OID_VENDOR_R17_TUNING, &r, sizeof(r), &got) && got == sizeof(r)) {
        m_nR17Enable = r.enable;
        m_nR17Step = r.step;
        m_nR17Limit = r.limit;
        m_strR17Max.Format("%02x", r.maximum);
    }
    UpdateData(FALSE);
}

void CRegisterToolDlg::OnR17Set()
{
    if (!UpdateData(TRUE)) return;
    R17TuningRecord r = { (BYTE)m_nR17Enable, (BYTE)m_nR17Step, (BYTE)m_nR17Limit, (BYTE)HexTextValue(m_strR17Max) };
    SetOid(OID_VENDOR_R17_TUNING, &r, sizeof(r), nullptr, 3);
}

void CRegisterToolDlg::OnBbpTuningSet()
{
    if (!UpdateData(TRUE)) return;
    DWORD enable = (DWORD)m_bBbpTuning;
    SetOid(OID_VENDOR_BBP_TUNING, &enable, sizeof(enable), nullptr, 3);
}
