#include "pages/AboutPage.h"

#include <cstring>
#include <ctime>

#include <sys/stat.h>

#include "classlib/Handles.h"
#include "core/AdapterDiscovery.h"
#include "core/MovableMemory.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "core/RegistryStore.h"
#include "widgets/MessageBoxDlg.h"

const char kSellerWebAddress[] = "http://www.tolvane.example/";

HINSTANCE (WINAPI* g_pfnOpenWebLink)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) = ShellExecuteA;
void (*g_pfnDisableFsRedirection)() = DisableWow64FsRedirection;
void (*g_pfnEnableFsRedirection)() = EnableWow64FsRedirection;

namespace {

// Layout, in pixels of the page's client area.
const int kFrameX = 12, kFrameY = 8, kFrameWidth = 770, kFrameHeight = 48;
const int kCopyrightX = 24, kCopyrightY = 26, kCopyrightWidth = 746, kCopyrightHeight = 18;
const int kRowTop = 76, kRowStep = 28, kRowHeight = 18;
const int kLabelX = 12, kLabelWidth = 160, kValueX = 176, kValueWidth = 200;
const int kLabel2X = 400, kLabel2Width = 170, kValue2X = 574, kValue2Width = 200;
const int kButtonX = 12, kButtonY = 210, kButtonWidth = 300, kButtonHeight = 28;

// The last opener thread; the page never waits for it.
CHandle g_webLinkThread;

DWORD WINAPI OpenWebLinkThread(LPVOID)
{
    // The shell may hand the address to an extension, which wants COM.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    g_pfnOpenWebLink(nullptr, "open", kSellerWebAddress, nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(com)) CoUninitialize();
    return 1;
}

// A value of a version block, only when it lies wholly inside the block.
bool QueryVersionValue(const BYTE* block, DWORD size, const char* name, const BYTE** value, UINT* length)
{
    void* p = nullptr;
    UINT len = 0;
    if (!::VerQueryValueA(block, name, &p, &len) || !p) return false;
    const BYTE* v = (const BYTE*)p;
    if (v < block || v >= block + size || len > (UINT)(block + size - v)) return false;
    *value = v;
    *length = len;
    return true;
}

WORD WordAt(const BYTE* p)
{
    WORD w;
    std::memcpy(&w, p, sizeof(w));
    return w;
}

// One node of a version block (and its children) lies inside [node, end):
// its key ends inside it, its value and each child lie inside it.  The
// system's lookup walks the children by their own lengths and compares keys
// up to their ends; a length that lies sends it past the block.
bool VersionNodeIsSound(const BYTE* node, const BYTE* end, int depth)
{
    if (depth > 8 || end - node < 6) return false;
    WORD length = WordAt(node), valueLength = WordAt(node + 2), type = WordAt(node + 4);
    // Only the 32-bit layout (a type of 0 or 1; the system takes anything
    // else for the 16-bit one) with a whole header.
    if (length < 6 || length > end - node || type > 1) return false;
    const BYTE* last = node + length;
    const BYTE* key = node + 6;
    while (key + 2 <= last && WordAt(key) != 0) key += 2;
    if (key + 2 > last) return false;
    auto align = [&](const BYTE* p) { return node + ((p - node + 3) & ~(ptrdiff_t)3); };
    const BYTE* value = align(key + 2);
    const BYTE* child = value + (ptrdiff_t)valueLength * (type ? 2 : 1);
    if (child > last) return false;
    // A text is converted up to its end: the end must be inside the value.
    if (type == 1 && valueLength > 0) {
        const BYTE* c = value;
        while (c < child && WordAt(c) != 0) c += 2;
        if (c >= child) return false;
    }
    for (child = align(child); child < last; child = align(child + WordAt(child))) {
        if (!VersionNodeIsSound(child, last, depth + 1)) return false;
    }
    return true;
}

// The fixed part of a version block, when the block is sound enough to be
// looked into.
bool FixedFileInfo(const BYTE* block, DWORD size, VS_FIXEDFILEINFO& info)
{
    // A root that claims more than the block holds would send every lookup
    // past its end, and so would a child that claims more than its parent.
    if (size < 6) return false;
    WORD rootLength = WordAt(block);
    if (rootLength < 6 || rootLength > size) return false;
    if (!VersionNodeIsSound(block, block + rootLength, 0)) return false;
    const BYTE* value = nullptr;
    UINT length = 0;
    if (!QueryVersionValue(block, size, "\\", &value, &length) || length < sizeof(info)) return false;
    std::memcpy(&info, value, sizeof(info));
    return info.dwSignature == VS_FFI_SIGNATURE;
}

}  // namespace

CString DriverFilePath(int model, int osCode)
{
    if (model < 0 || model >= (int)(sizeof(g_ModelTable) / sizeof(g_ModelTable[0]))) return CString();
    const ModelRow& row = g_ModelTable[model];
    const char* file = nullptr;
    const char* folder = "\\drivers\\";
    if (osCode >= OS_WIN98 && osCode <= OS_NT4) {
        file = row.file9x;
        folder = "\\";
    } else if (osCode == OS_WIN2000) {
        file = row.file2000;
    } else if (osCode >= OS_WINXP && osCode <= OS_WIN6_SERVER) {
        file = row.fileXp;
    }
    if (!file || !*file) return CString();
    char system[261] = {};
    UINT n = ::GetSystemDirectoryA(system, sizeof(system));
    if (n == 0 || n >= sizeof(system)) return CString();
    return CString(system) + folder + file;
}

BOOL ReadFileVersionTexts(const char* path, CString& version, CString& date, CString* copyright)
{
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return FALSE;
    BYTE* block = (BYTE*)AllocMovable(size);
    if (!block) return FALSE;
    VS_FIXEDFILEINFO info;
    BOOL ok = ::GetFileVersionInfoA(path, 0, size, block) && FixedFileInfo(block, size, info);
    if (ok) {
        version.Format("%d.%d.%d.%d\n", (int)HIWORD(info.dwFileVersionMS), (int)LOWORD(info.dwFileVersionMS),
                       (int)HIWORD(info.dwFileVersionLS), (int)LOWORD(info.dwFileVersionLS));
        const BYTE* value = nullptr;
        UINT length = 0;
        // The system copies a text it is asked for behind the root's bytes,
        // as long again: only a block with that room is asked.
        if (copyright && 2 * (DWORD)WordAt(block) + 4 <= size &&
            QueryVersionValue(block, size, "\\StringFileInfo\\040904B0\\LegalCopyright", &value, &length))
            *copyright = CString((const char*)value, (int)strnlen((const char*)value, length));
        struct __stat64 st;
        if (_stat64(path, &st) == 0) {
            time_t t = (time_t)st.st_mtime;
            struct tm* local = localtime(&t);
            char text[32] = {};
            if (local && strftime(text, sizeof(text), "%m-%d-%Y", local)) date = text;
        }
    }
    FreeMovable(block);
    return ok;
}

BEGIN_MESSAGE_MAP(CAboutPage, CChildPage)
    ON_WM_SHOWWINDOW()
    ON_BN_CLICKED(IDC_ABOUT_WEB_LINK, OnWebLink)
END_MESSAGE_MAP()

CAboutPage::CAboutPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_ABOUT_PAGE, pMainDlg) {}

void CAboutPage::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_ABOUT_COPYRIGHT, m_strCopyright);
    DDX_Text(pDX, IDC_ABOUT_CONFIG_VERSION, m_strUtilityVersion);
    DDX_Text(pDX, IDC_ABOUT_CONFIG_DATE, m_strUtilityDate);
    DDX_Text(pDX, IDC_ABOUT_DRIVER_VERSION, m_strDriverVersion);
    DDX_Text(pDX, IDC_ABOUT_DRIVER_DATE, m_strDriverDate);
    DDX_Text(pDX, IDC_ABOUT_EEPROM, m_strEepromVersion);
    DDX_Text(pDX, IDC_ABOUT_MAC, m_strMacAddress);
    DDX_Text(pDX, IDC_ABOUT_FIRMWARE, m_strFirmwareVersion);
}

BOOL CAboutPage::OnInitDialog()
{
    m_btnWebLink.SubclassDlgItem(IDC_ABOUT_WEB_LINK, this);
    CChildPage::OnInitDialog();

    PlaceControl(GetDlgItem(0xFFFF), kFrameX, kFrameY, kFrameWidth, kFrameHeight, 0);
    PlaceControl(GetDlgItem(IDC_ABOUT_COPYRIGHT), kCopyrightX, kCopyrightY, kCopyrightWidth, kCopyrightHeight, 0);
    struct Cell {
        UINT label, text, value;
        int row;
        bool second;
    };
    static const Cell kCells[] = {
        { IDC_ABOUT_CONFIG_LABEL, IDS_ABOUT_CONFIG_VERSION, IDC_ABOUT_CONFIG_VERSION, 0, false },
        { IDC_ABOUT_CONFIG_DATE_LABEL, IDS_ABOUT_DATE, IDC_ABOUT_CONFIG_DATE, 0, true },
        { IDC_ABOUT_DRIVER_LABEL, IDS_ABOUT_DRIVER_VERSION, IDC_ABOUT_DRIVER_VERSION, 1, false },
        { IDC_ABOUT_DRIVER_DATE_LABEL, IDS_ABOUT_DATE, IDC_ABOUT_DRIVER_DATE, 1, true },
        { IDC_ABOUT_EEPROM_LABEL, IDS_ABOUT_EEPROM_VERSION, IDC_ABOUT_EEPROM, 2, false },
        { IDC_ABOUT_FIRMWARE_LABEL, IDS_ABOUT_FIRMWARE_VERSION, IDC_ABOUT_FIRMWARE, 2, true },
        { IDC_ABOUT_MAC_LABEL, IDS_ABOUT_PHY_ADDRESS, IDC_ABOUT_MAC, 3, false },
    };
    for (const Cell& c : kCells) {
        int y = kRowTop + c.row * kRowStep;
        PlaceControl(GetDlgItem(c.label), c.second ? kLabel2X : kLabelX, y, c.second ? kLabel2Width : kLabelWidth,
                     kRowHeight, c.text);
        PlaceControl(GetDlgItem(c.value), c.second ? kValue2X : kValueX, y, c.second ? kValue2Width : kValueWidth,
                     kRowHeight, 0);
    }
    PlaceControl(&m_btnWebLink, kButtonX, kButtonY, kButtonWidth, kButtonHeight, 0);
    m_btnWebLink.BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), 0, 0);
    return TRUE;
}

void CAboutPage::OnShowWindow(BOOL bShow, UINT)
{
    Default();
    if (bShow) FillVersionInfo();
}

void CAboutPage::ShowRow(UINT label, UINT value, BOOL show)
{
    for (UINT id : { label, value }) {
        CWnd* w = GetDlgItem(id);
        if (w) w->ShowWindow(show ? SW_SHOW : SW_HIDE);
    }
}

void CAboutPage::FillVersionInfo()
{
    char self[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, self, sizeof(self));
    if (n > 0 && n < sizeof(self)) ReadFileVersionTexts(self, m_strUtilityVersion, m_strUtilityDate, &m_strCopyright);

    CString driver = DriverFilePath(g_nModelIndex, g_nOsVersion);
    if (!driver.IsEmpty()) {
        // A 32-bit program on 64-bit Windows reads the real system folder,
        // and every later file access goes where it would have gone.
        bool unredirect = g_nOsVersion >= OS_WINXP_X64 && g_bIsWow64;
        if (unredirect) g_pfnDisableFsRedirection();
        ReadFileVersionTexts(driver, m_strDriverVersion, m_strDriverDate, nullptr);
        if (unredirect) g_pfnEnableFsRedirection();
    }

    BYTE eeprom[4] = {};
    BOOL haveEeprom = QueryOid(OID_VENDOR_EEPROM_VERSION, eeprom, sizeof(eeprom), nullptr) ? TRUE : FALSE;
    if (haveEeprom) m_strEepromVersion.Format("%d.%d\n", eeprom[0], eeprom[1]);
    else ShowRow(IDC_ABOUT_EEPROM_LABEL, IDC_ABOUT_EEPROM, FALSE);

    std::memset(m_mac, 0, sizeof(m_mac));
    QueryOid(OID_802_3_CURRENT_ADDRESS, m_mac, sizeof(m_mac), nullptr);
    m_strMacAddress.Format("%02X-%02X-%02X-%02X-%02X-%02X", m_mac[0], m_mac[1], m_mac[2], m_mac[3], m_mac[4],
                           m_mac[5]);

    // Adapters before model 4 have no firmware of their own: the row stays as placed.
    if (g_nModelIndex >= 4 && g_nModelIndex <= 8) {
        BYTE firmware[4] = {};
        BOOL haveFirmware = QueryOid(OID_VENDOR_FIRMWARE_VERSION, firmware, sizeof(firmware), nullptr) ? TRUE : FALSE;
        if (haveFirmware) m_strFirmwareVersion.Format("%d.%d\n", firmware[1], firmware[0]);
        ShowRow(IDC_ABOUT_FIRMWARE_LABEL, IDC_ABOUT_FIRMWARE, haveFirmware);
    }

    UpdateData(FALSE);
}

void CAboutPage::OnWebLink()
{
    // The browser may take its time to start: the window does not wait for it.
    HANDLE h = ::CreateThread(nullptr, 0, OpenWebLinkThread, nullptr, 0, nullptr);
    if (h) g_webLinkThread.Attach(h);
}
