// Adapter discovery: the supported hardware ids, the model table, and the
// search for the one adapter among the present network devices.
#include "core/AdapterDiscovery.h"

#include <cctype>
#include <cstring>
#include <setupapi.h>

#include "classlib/Handles.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"

const HardwareIdRow g_PciHardwareIds[] = {
    { "PCI\\VEN_1814&DEV_0201", 0 },
    { "PCI\\VEN_1814&DEV_0301", 4 },
    { "PCI\\VEN_1814&DEV_0302", 4 },
    { "PCI\\VEN_1814&DEV_0401", 4 },
    { "PCI\\VEN_1814&DEV_0701", 4 },
    { "PCI\\VEN_1814&DEV_0781", 4 },
    { "PCI\\VEN_1814&DEV_0501", 6 },
    { "PCI\\VEN_1814&DEV_0601", 7 },
    { "PCI\\VEN_1814&DEV_0681", 7 },
};
const int g_nPciHardwareIdCount = sizeof(g_PciHardwareIds) / sizeof(g_PciHardwareIds[0]);

const HardwareIdRow g_UsbHardwareIds[] = {
    // model 1
    { "USB\\VID_148F&PID_2570", 1 }, { "USB\\VID_148F&PID_9020", 1 }, { "USB\\VID_0DB0&PID_6861", 1 },
    { "USB\\VID_0DB0&PID_6865", 1 }, { "USB\\VID_0DB0&PID_6869", 1 }, { "USB\\VID_0707&PID_EE13", 1 },
    { "USB\\VID_0B05&PID_1706", 1 }, { "USB\\VID_0B05&PID_1707", 1 }, { "USB\\VID_5A57&PID_0260", 1 },
    { "USB\\VID_5A57&PID_0261", 1 }, { "USB\\VID_0F88&PID_3012", 1 }, { "USB\\VID_13B1&PID_000D", 1 },
    { "USB\\VID_0769&PID_11F3", 1 }, { "USB\\VID_14B2&PID_3C02", 1 }, { "USB\\VID_14B2&PID_3C03", 1 },
    { "USB\\VID_1044&PID_8007", 1 }, { "USB\\VID_0411&PID_0066", 1 }, { "USB\\VID_0411&PID_0067", 1 },
    { "USB\\VID_0681&PID_3C06", 1 }, { "USB\\VID_0EB0&PID_9020", 1 }, { "USB\\VID_0EB0&PID_9021", 1 },
    { "USB\\VID_14B2&PID_3C02", 1 }, { "USB\\VID_1371&PID_9022", 1 }, { "USB\\VID_050D&PID_7050", 1 },
    // model 5
    { "USB\\VID_148F&PID_2573", 5 }, { "USB\\VID_18E8&PID_6196", 5 }, { "USB\\VID_1044&PID_8008", 5 },
    { "USB\\VID_14B2&PID_3C22", 5 }, { "USB\\VID_148F&PID_2671", 5 }, { "USB\\VID_13B1&PID_0020", 5 },
    { "USB\\VID_0DB0&PID_6877", 5 }, { "USB\\VID_0DB0&PID_A874", 5 }, { "USB\\VID_0DB0&PID_6874", 5 },
    { "USB\\VID_0769&PID_31F3", 5 }, { "USB\\VID_0B05&PID_1723", 5 }, { "USB\\VID_0B05&PID_1724", 5 },
    { "USB\\VID_18C5&PID_0002", 5 }, { "USB\\VID_1472&PID_0009", 5 }, { "USB\\VID_1371&PID_9032", 5 },
    { "USB\\VID_1631&PID_C019", 5 }, { "USB\\VID_1044&PID_800A", 5 }, { "USB\\VID_0DB0&PID_A861", 5 },
    { "USB\\VID_18E8&PID_6229", 5 }, { "USB\\VID_1690&PID_0722", 5 }, { "USB\\VID_148F&PID_9021", 5 },
    { "USB\\VID_0EB0&PID_9021", 5 }, { "USB\\VID_0411&PID_00D8", 5 }, { "USB\\VID_0586&PID_3415", 5 },
    { "USB\\VID_0DF6&PID_9712", 5 }, { "USB\\VID_0DF6&PID_90AC", 5 }, { "USB\\VID_18E8&PID_6238", 5 },
    // model 8
    { "USB\\VID_148F&PID_2870", 8 }, { "USB\\VID_0B05&PID_1731", 8 }, { "USB\\VID_0B05&PID_1732", 8 },
    { "USB\\VID_0DF6&PID_0017", 8 }, { "USB\\VID_14B2&PID_3C06", 8 }, { "USB\\VID_2019&PID_ED06", 8 },
    { "USB\\VID_07D1&PID_3C09", 8 }, { "USB\\VID_050D&PID_8053", 8 }, { "USB\\VID_14B2&PID_3C23", 8 },
    { "USB\\VID_14B2&PID_3C07", 8 }, { "USB\\VID_07AA&PID_002F", 8 }, { "USB\\VID_1044&PID_800B", 8 },
    { "USB\\VID_148F&PID_2770", 8 }, { "USB\\VID_15A9&PID_0006", 8 }, { "USB\\VID_083A&PID_B522", 8 },
    { "USB\\VID_083A&PID_7522", 8 },
};
const int g_nUsbHardwareIdCount = sizeof(g_UsbHardwareIds) / sizeof(g_UsbHardwareIds[0]);

const ModelRow g_ModelTable[9] = {
    { "QX40", "qx409x.sys", "qx40.sys", "qx40.sys" },
    { "QX4U98", "qx4u98.sys", "qx40usb.sys", "qx40usb.sys" },
    { "QX50", "qx509x.sys", "qx50.sys", "qx50.sys" },
    { "QX5U98", "qx5u98.sys", "qx50usb.sys", "qx50usb.sys" },
    { "QX60", "qx609x.sys", "qx60.sys", "qx60.sys" },
    { "QX70", "qx70u98.sys", "qx70.sys", "qx70.sys" },
    { "QX80_A", "qx809x.sys", "qx80.sys", "qx80.sys" },
    { "QX80", "qx809x.sys", "qx80.sys", "qx80.sys" },
    { "QX90", "", "qx90.sys", "qx90.sys" },
};

int g_nModelIndex = 0;
BOOL g_bIsUsbTable = FALSE;
int g_nHwTableRow = -1;
BOOL g_bIsUsb = FALSE;
BOOL g_bLegacyModel = FALSE;
BOOL g_bHtDevice = FALSE;
int g_nHtGeneration = 0;
CString g_strNetCfgInstanceId;
CString g_strAdapterRegPath;
BOOL g_bDualBand = FALSE;
WORD g_wDriverVersion = 0;

namespace {

// The adapter key of the adapter found last; survives the clearing of
// g_strAdapterRegPath while the adapter is gone, so that its return can be
// told apart from another adapter's arrival.
CString s_strLastAdapterRegPath;

const int kCompareChars = 21;

// First id of a device's hardware-id list, upper-cased; FALSE when unreadable.
BOOL ReadHardwareId(HDEVINFO set, SP_DEVINFO_DATA* dev, char out[256])
{
    std::memset(out, 0, 256);
    if (!SetupDiGetDeviceRegistryPropertyA(set, dev, SPDRP_HARDWAREID, nullptr, (BYTE*)out, 255, nullptr))
        return FALSE;
    out[255] = 0;
    for (char* p = out; *p; ++p) *p = (char)std::toupper((unsigned char)*p);
    return TRUE;
}

// NetCfgInstanceId of the device's driver key (up to 127 characters).
BOOL ReadNetCfgInstanceId(HDEVINFO set, SP_DEVINFO_DATA* dev, char out[128])
{
    std::memset(out, 0, 128);
    CRegKey key(SetupDiOpenDevRegKey(set, dev, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ));
    if (!key.IsOpen()) return FALSE;
    DWORD type = 0, size = 127;
    LONG rc = RegQueryValueExA(key, "NetCfgInstanceId", nullptr, &type, (BYTE*)out, &size);
    out[127] = 0;
    return rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && out[0];
}

// Device path of a candidate by the OS code; FALSE when none can be formed.
BOOL FormDevicePath(HDEVINFO set, SP_DEVINFO_DATA* dev, int model, CString& path, CString* netCfgId)
{
    if (g_nOsVersion == OS_WIN98SE || g_nOsVersion == OS_WINME) {
        path = CString("\\\\.\\") + g_ModelTable[model].name;
        return TRUE;
    }
    if (g_nOsVersion >= OS_WIN2000) {
        char id[128];
        if (!ReadNetCfgInstanceId(set, dev, id)) return FALSE;
        path = CString("\\\\.\\") + id;
        if (netCfgId) *netCfgId = id;
        return TRUE;
    }
    return FALSE;
}

// Model of a hardware id: USB rows first, then PCI rows (a PCI match wins).
int MatchModel(const char* hw, BOOL* isUsbTable, int* row)
{
    int model = -1;
    int r = FindHardwareIdRow(g_UsbHardwareIds, g_nUsbHardwareIdCount, hw);
    if (r >= 0) {
        model = (int)g_UsbHardwareIds[r].modelIndex;
        *isUsbTable = TRUE;
        *row = r;
    }
    r = FindHardwareIdRow(g_PciHardwareIds, g_nPciHardwareIdCount, hw);
    if (r >= 0) {
        model = (int)g_PciHardwareIds[r].modelIndex;
        *isUsbTable = FALSE;
        *row = r;
    }
    return model;
}

// The present devices of the network class; an invalid set when there are none.
HDEVINFO OpenNetDevices()
{
    GUID guids[4];
    DWORD nGuids = 0;
    if (!SetupDiClassGuidsFromNameA("Net", guids, 4, &nGuids) || nGuids == 0) return INVALID_HANDLE_VALUE;
    return SetupDiGetClassDevsA(&guids[0], nullptr, nullptr, DIGCF_PRESENT);
}

// The candidates: supported hardware ids whose device path opens, as member
// indexes of the set, in enumeration order.
void ListAdapterCandidates(HDEVINFO set, CDWordArray& candidates)
{
    for (DWORD i = 0;; ++i) {
        SP_DEVINFO_DATA dev = {};
        dev.cbSize = sizeof(dev);
        if (!SetupDiEnumDeviceInfo(set, i, &dev)) break;
        char hw[256];
        if (!ReadHardwareId(set, &dev, hw)) continue;
        BOOL usbTable = FALSE;
        int row = -1;
        int model = MatchModel(hw, &usbTable, &row);
        if (model < 0) continue;
        CString path;
        if (!FormDevicePath(set, &dev, model, path, nullptr)) continue;
        if (!CHandle(CreateFileA(path, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)).IsValid()) continue;
        candidates.Add(i);
    }
}

// Makes the chosen device the adapter: model, flags, device path and adapter
// key.  *pChanged tells that its key differs from the adapter found before.
BOOL RecordAdapter(HDEVINFO set, DWORD chosen, BOOL* pChanged)
{
    *pChanged = FALSE;
    SP_DEVINFO_DATA dev = {};
    dev.cbSize = sizeof(dev);
    char hw[256] = {};
    if (!SetupDiEnumDeviceInfo(set, chosen, &dev) || !ReadHardwareId(set, &dev, hw)) return FALSE;
    g_bIsUsb = std::strncmp(hw, g_UsbHardwareIds[0].hardwareId, 3) == 0;
    const HardwareIdRow* table = g_bIsUsb ? g_UsbHardwareIds : g_PciHardwareIds;
    int count = g_bIsUsb ? g_nUsbHardwareIdCount : g_nPciHardwareIdCount;
    int row = FindHardwareIdRow(table, count, hw);
    if (row >= 0) {
        g_bIsUsbTable = g_bIsUsb;
        g_nHwTableRow = row;
        g_nModelIndex = (int)table[row].modelIndex;
    } else {
        // "USB" ids that only a PCI row matches cannot occur, but keep the
        // model that the candidate search found.
        BOOL usbTable = FALSE;
        int r = -1;
        int model = MatchModel(hw, &usbTable, &r);
        if (model >= 0) {
            g_bIsUsbTable = usbTable;
            g_nHwTableRow = r;
            g_nModelIndex = model;
        }
    }
    g_bLegacyModel = IsLegacyModel(g_nModelIndex);
    g_bHtDevice = IsHtModel(g_nModelIndex);
    g_nHtGeneration = GetHtGeneration(g_nModelIndex);

    CString path, netCfgId;
    if (FormDevicePath(set, &dev, g_nModelIndex, path, &netCfgId)) {
        lstrcpynA(g_szDevicePath, path, MAX_PATH);
        if (g_nOsVersion >= OS_WIN2000) g_strNetCfgInstanceId = netCfgId;
    }

    char driver[256] = {};
    if (SetupDiGetDeviceRegistryPropertyA(set, &dev, SPDRP_DRIVER, nullptr, (BYTE*)driver, 255, nullptr)) {
        const char* classKey = g_nOsVersion >= OS_WIN2000 ? "System\\CurrentControlSet\\Control\\Class"
                                                          : "System\\CurrentControlSet\\Services\\Class";
        CString regPath = CString(classKey) + "\\" + driver;
        g_strAdapterRegPath = regPath;
        if (!s_strLastAdapterRegPath.IsEmpty() && s_strLastAdapterRegPath.CompareNoCase(regPath) != 0)
            *pChanged = TRUE;
        s_strLastAdapterRegPath = regPath;
    }
    return TRUE;
}

} // namespace

BOOL IsLegacyModel(int model) { return model == 0 || model == 1; }

BOOL IsHtModel(int model) { return (model == 6 || model == 7 || model == 8) && g_nOsVersion >= OS_WIN2000; }

int GetHtGeneration(int model)
{
    if (g_nOsVersion < OS_WIN2000) return 0;
    switch (model) {
    case 6: return 1;
    case 7: return 2;
    case 8: return 3;
    default: return 0;
    }
}

int FindHardwareIdRow(const HardwareIdRow* table, int count, const char* hardwareId)
{
    if (!table || !hardwareId) return -1;
    char upper[kCompareChars + 1] = {};
    for (int i = 0; i < kCompareChars && hardwareId[i]; ++i)
        upper[i] = (char)std::toupper((unsigned char)hardwareId[i]);
    for (int i = 0; i < count; ++i)
        if (std::strncmp(table[i].hardwareId, upper, kCompareChars) == 0) return i;
    return -1;
}

void DetectDualBand()
{
    g_bDualBand = FALSE;
    DWORD buf[5] = {};
    if (!QueryOid(OID_802_11_NETWORK_TYPES_SUPPORTED, buf, sizeof(buf), nullptr)) return;
    DWORD n = buf[0] > 4 ? 4 : buf[0];
    for (DWORD i = 0; i < n; ++i)
        if (buf[1 + i] == 2) g_bDualBand = TRUE;
}

void QueryDriverVersion()
{
    g_wDriverVersion = 0;
    QueryOid(OID_GEN_DRIVER_VERSION, &g_wDriverVersion, sizeof(g_wDriverVersion), nullptr);
}

void ForgetAdapter()
{
    g_strAdapterRegPath = "";
    g_bIsUsb = FALSE;
}

BOOL FindAdapter(AdapterChooser choose, void* context, BOOL* pChanged)
{
    *pChanged = FALSE;
    CDevInfoSet set(OpenNetDevices());
    if (!set.IsValid()) return FALSE;
    CDWordArray candidates;
    ListAdapterCandidates(set, candidates);
    if (candidates.GetSize() == 0) return FALSE;

    DWORD chosen = candidates[0];
    if (candidates.GetSize() > 1 && choose) chosen = choose(set, candidates, context);
    return RecordAdapter(set, chosen, pChanged);
}
