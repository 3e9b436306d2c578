#include "sim/setup/Machine.h"

#include <setupapi.h>
#include <objbase.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace kqsetup {

namespace {

const GUID kNetClass = {0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const char kParamsKey[] = "System\\CurrentControlSet\\Services\\" KQSIM_SERVICE_NAME "\\Parameters";

std::string ReadDeviceText(HDEVINFO set, SP_DEVINFO_DATA* dev, DWORD prop)
{
    char buf[512] = {0};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyA(set, dev, prop, &type, (BYTE*)buf, sizeof(buf) - 2, nullptr)) return "";
    return buf;
}

std::string ReadInstanceId(HDEVINFO set, SP_DEVINFO_DATA* dev)
{
    HKEY k = SetupDiOpenDevRegKey(set, dev, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
    if (k == INVALID_HANDLE_VALUE) return "";
    char buf[129] = {0};
    DWORD size = sizeof(buf) - 1, type = 0;
    std::string id;
    if (RegQueryValueExA(k, "NetCfgInstanceId", nullptr, &type, (BYTE*)buf, &size) == ERROR_SUCCESS && type == REG_SZ)
        id = buf;
    RegCloseKey(k);
    return id;
}

bool SetText(HDEVINFO set, SP_DEVINFO_DATA* dev, DWORD prop, const std::string& text, bool multi)
{
    std::string data = text;
    data.push_back('\0');
    if (multi) data.push_back('\0');
    return SetupDiSetDeviceRegistryPropertyA(set, dev, prop, (const BYTE*)data.data(), (DWORD)data.size()) != FALSE;
}

bool SetRegText(HKEY k, const char* name, const std::string& value)
{
    return RegSetValueExA(k, name, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1) == ERROR_SUCCESS;
}

std::string LastErrorText() { return ErrorText(GetLastError()); }

bool ReadFileBytes(const std::string& path, std::string& out)
{
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    std::stringstream ss;
    ss << f.rdbuf();
    out = ss.str();
    return true;
}

struct Scm {
    SC_HANDLE h = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ~Scm() { if (h) CloseServiceHandle(h); }
};

struct Service {
    SC_HANDLE h = nullptr;
    explicit Service(SC_HANDLE scm) { if (scm) h = OpenServiceA(scm, KQSIM_SERVICE_NAME, SERVICE_ALL_ACCESS); }
    ~Service() { if (h) CloseServiceHandle(h); }
};

DWORD ServiceState(SC_HANDLE svc)
{
    SERVICE_STATUS st{};
    if (!QueryServiceStatus(svc, &st)) return 0;
    return st.dwCurrentState;
}

bool WaitState(SC_HANDLE svc, DWORD state, DWORD ms)
{
    for (DWORD waited = 0; waited <= ms; waited += 50) {
        if (ServiceState(svc) == state) return true;
        Sleep(50);
    }
    return false;
}

bool WriteBinary(const char* name, const void* data, DWORD size)
{
    HKEY k;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kParamsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExA(k, name, 0, REG_BINARY, (const BYTE*)data, size);
    RegCloseKey(k);
    return r == ERROR_SUCCESS;
}

}  // namespace

std::string ErrorText(DWORD code)
{
    char buf[256] = {0};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf, sizeof(buf),
                   nullptr);
    std::string s = buf;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return "error " + std::to_string(code) + (s.empty() ? "" : " (" + s + ")");
}

std::string NewGuid()
{
    GUID g;
    CoCreateGuid(&g);
    char buf[40];
    std::snprintf(buf, sizeof(buf), "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", (unsigned long)g.Data1,
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5],
                  g.Data4[6], g.Data4[7]);
    return buf;
}

std::vector<NetDevice> ListNetDevices()
{
    std::vector<NetDevice> out;
    HDEVINFO set = SetupDiGetClassDevsA(&kNetClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return out;
    SP_DEVINFO_DATA dev{sizeof(dev)};
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &dev); ++i) {
        NetDevice d;
        d.guid = ReadInstanceId(set, &dev);
        if (d.guid.empty()) continue;
        d.hardwareId = ReadDeviceText(set, &dev, SPDRP_HARDWAREID);
        d.driverKey = ReadDeviceText(set, &dev, SPDRP_DRIVER);
        out.push_back(d);
    }
    SetupDiDestroyDeviceInfoList(set);
    return out;
}

bool EnsureNetClassName(std::string& error)
{
    HKEY k;
    LONG r = RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                             "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}", 0,
                             nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &k, nullptr);
    if (r != ERROR_SUCCESS) {
        error = "opening the network class key: " + ErrorText((DWORD)r);
        return false;
    }
    // a name the machine already has is left as it is
    r = RegQueryValueExA(k, "Class", nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_FILE_NOT_FOUND) {
        r = RegSetValueExA(k, "Class", 0, REG_SZ, (const BYTE*)"Net", 4);
        if (r != ERROR_SUCCESS) error = "writing the network class name: " + ErrorText((DWORD)r);
    } else {
        r = ERROR_SUCCESS;
    }
    RegCloseKey(k);
    return r == ERROR_SUCCESS;
}

bool CreateNetDevice(const KQSIM_ADAPTER_CONFIG& cfg, std::string& driverKey, std::string& error)
{
    HDEVINFO set = SetupDiCreateDeviceInfoList(&kNetClass, nullptr);
    if (set == INVALID_HANDLE_VALUE) {
        error = "SetupDiCreateDeviceInfoList: " + LastErrorText();
        return false;
    }
    SP_DEVINFO_DATA dev{sizeof(dev)};
    bool ok = false;
    do {
        if (!SetupDiCreateDeviceInfoA(set, "NET", &kNetClass, cfg.description, nullptr, DICD_GENERATE_ID, &dev)) {
            error = "SetupDiCreateDeviceInfo: " + LastErrorText();
            break;
        }
        if (!SetText(set, &dev, SPDRP_HARDWAREID, cfg.hardwareId, true)) {
            error = "SPDRP_HARDWAREID: " + LastErrorText();
            break;
        }
        SetText(set, &dev, SPDRP_DEVICEDESC, cfg.description, false);
        SetText(set, &dev, SPDRP_FRIENDLYNAME, cfg.description, false);
        SetText(set, &dev, SPDRP_MFG, "Tolvane", false);
        SetText(set, &dev, SPDRP_LOCATION_INFORMATION, "PCI bus 2, device 1, function 0", false);
        if (!SetupDiRegisterDeviceInfo(set, &dev, 0, nullptr, nullptr, nullptr)) {
            error = "SetupDiRegisterDeviceInfo: " + LastErrorText();
            break;
        }
        HKEY k = SetupDiCreateDevRegKeyA(set, &dev, DICS_FLAG_GLOBAL, 0, DIREG_DRV, nullptr, nullptr);
        if (k == INVALID_HANDLE_VALUE) {
            error = "SetupDiCreateDevRegKey: " + LastErrorText();
            SetupDiRemoveDevice(set, &dev);
            break;
        }
        ok = SetRegText(k, "NetCfgInstanceId", cfg.guid) && SetRegText(k, "DriverDesc", cfg.description);
        RegCloseKey(k);
        if (!ok) {
            error = "writing NetCfgInstanceId and DriverDesc failed";
            SetupDiRemoveDevice(set, &dev);
            break;
        }
        driverKey = ReadDeviceText(set, &dev, SPDRP_DRIVER);
    } while (false);
    SetupDiDestroyDeviceInfoList(set);
    return ok;
}

bool RemoveNetDevice(const std::string& guid, std::string& error)
{
    HDEVINFO set = SetupDiGetClassDevsA(&kNetClass, nullptr, nullptr, 0);
    if (set == INVALID_HANDLE_VALUE) {
        error = "SetupDiGetClassDevs: " + LastErrorText();
        return false;
    }
    SP_DEVINFO_DATA dev{sizeof(dev)};
    bool found = false, ok = true;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &dev); ++i) {
        if (_stricmp(ReadInstanceId(set, &dev).c_str(), guid.c_str()) != 0) continue;
        found = true;
        std::string key = ReadDeviceText(set, &dev, SPDRP_DRIVER);
        if (!SetupDiRemoveDevice(set, &dev)) {
            error = "SetupDiRemoveDevice: " + LastErrorText();
            ok = false;
            continue;
        }
        // the class key of the driver may outlive the device
        if (!key.empty())
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, ("System\\CurrentControlSet\\Control\\Class\\" + key).c_str());
        --i;
    }
    SetupDiDestroyDeviceInfoList(set);
    if (!found) error = "no network device with NetCfgInstanceId " + guid;
    return found && ok;
}

std::string DriversFolder()
{
    char sys[MAX_PATH] = {0};
    GetSystemDirectoryA(sys, MAX_PATH);
    return std::string(sys) + "\\drivers";
}

bool DriverFileCurrent(const std::string& source, const std::string& fileName)
{
    std::string want, have;
    return ReadFileBytes(source, want) && ReadFileBytes(DriversFolder() + "\\" + fileName, have) && have == want;
}

bool InstallDriverFile(const std::string& source, const std::string& fileName, std::string& error)
{
    std::string target = DriversFolder() + "\\" + fileName;
    if (GetFileAttributesA(source.c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = "cannot read the driver " + source;
        return false;
    }
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) {
        error = "copying the driver to " + target + ": " + LastErrorText();
        return false;
    }
    return true;
}

void RemoveDriverFile(const std::string& fileName) { DeleteFileA((DriversFolder() + "\\" + fileName).c_str()); }

bool EnsureService(const std::string& imagePath, std::string& error)
{
    Scm scm;
    if (!scm.h) {
        error = "OpenSCManager: " + LastErrorText();
        return false;
    }
    Service svc(scm.h);
    if (svc.h) {
        if (_stricmp(ServiceImagePath().c_str(), imagePath.c_str()) == 0) return true;
        if (!ChangeServiceConfigA(svc.h, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, imagePath.c_str(),
                                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)) {
            error = "ChangeServiceConfig: " + LastErrorText();
            return false;
        }
        return true;
    }
    SC_HANDLE h = CreateServiceA(scm.h, KQSIM_SERVICE_NAME, "Tolvane Wireless LAN Adapter (simulated)",
                                 SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER, SERVICE_AUTO_START,
                                 SERVICE_ERROR_NORMAL, imagePath.c_str(), nullptr, nullptr, nullptr, nullptr,
                                 nullptr);
    if (!h) {
        error = "CreateService: " + LastErrorText();
        return false;
    }
    CloseServiceHandle(h);
    return true;
}

std::string ServiceImagePath()
{
    Scm scm;
    Service svc(scm.h);
    if (!svc.h) return "";
    std::vector<BYTE> buf(8192);
    DWORD need = 0;
    if (!QueryServiceConfigA(svc.h, (QUERY_SERVICE_CONFIGA*)buf.data(), (DWORD)buf.size(), &need)) return "";
    const char* p = ((QUERY_SERVICE_CONFIGA*)buf.data())->lpBinaryPathName;
    return p ? p : "";
}

bool DriverRunning()
{
    Scm scm;
    Service svc(scm.h);
    return svc.h && ServiceState(svc.h) == SERVICE_RUNNING;
}

bool StartDriver(std::string& error)
{
    Scm scm;
    Service svc(scm.h);
    if (!svc.h) {
        error = "the driver service " KQSIM_SERVICE_NAME " is not installed";
        return false;
    }
    if (ServiceState(svc.h) == SERVICE_RUNNING) return true;
    if (!StartServiceA(svc.h, 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        error = "StartService: " + LastErrorText();
        return false;
    }
    if (!WaitState(svc.h, SERVICE_RUNNING, 10000)) {
        error = "the driver service did not reach the running state";
        return false;
    }
    return true;
}

bool StopDriver(std::string& error)
{
    Scm scm;
    Service svc(scm.h);
    if (!svc.h || ServiceState(svc.h) == SERVICE_STOPPED) return true;
    SERVICE_STATUS st{};
    if (!ControlService(svc.h, SERVICE_CONTROL_STOP, &st) && GetLastError() != ERROR_SERVICE_NOT_ACTIVE) {
        error = "stopping the driver: " + LastErrorText();
        return false;
    }
    if (!WaitState(svc.h, SERVICE_STOPPED, 10000)) {
        error = "the driver service did not stop";
        return false;
    }
    return true;
}

bool DeleteDriverService(std::string& error)
{
    Scm scm;
    Service svc(scm.h);
    if (!svc.h) return true;
    if (!DeleteService(svc.h)) {
        error = "DeleteService: " + LastErrorText();
        return false;
    }
    return true;
}

std::vector<KQSIM_ADAPTER_CONFIG> LoadAdapters()
{
    std::vector<KQSIM_ADAPTER_CONFIG> out;
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParamsKey, 0, KEY_READ, &k) != ERROR_SUCCESS) return out;
    DWORD size = 0, type = 0;
    if (RegQueryValueExA(k, "Adapters", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_BINARY) {
        std::vector<BYTE> buf(size);
        if (size && RegQueryValueExA(k, "Adapters", nullptr, &type, buf.data(), &size) == ERROR_SUCCESS)
            for (DWORD i = 0; (i + 1) * sizeof(KQSIM_ADAPTER_CONFIG) <= size; ++i) {
                KQSIM_ADAPTER_CONFIG c;
                std::memcpy(&c, buf.data() + i * sizeof(c), sizeof(c));
                c.guid[KQSIM_GUID_CHARS - 1] = 0;
                out.push_back(c);
            }
    }
    RegCloseKey(k);
    return out;
}

bool SaveAdapters(const std::vector<KQSIM_ADAPTER_CONFIG>& adapters)
{
    return WriteBinary("Adapters", adapters.data(), (DWORD)(adapters.size() * sizeof(KQSIM_ADAPTER_CONFIG)));
}

bool SaveNetworks(const std::vector<KQSIM_NETWORK>& nets)
{
    return WriteBinary("Networks", nets.data(), (DWORD)(nets.size() * sizeof(KQSIM_NETWORK)));
}

}  // namespace kqsetup
