// What the set-up tool changes on the machine: the network-class device,
// its driver key, the driver service and file, and the driver's persisted
// configuration under the service key.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

#include "sim/common/SimProtocol.h"

namespace kqsetup {

struct NetDevice {
    std::string guid;          // NetCfgInstanceId
    std::string hardwareId;
    std::string driverKey;     // SPDRP_DRIVER, "{4D36E972-...}\000N"
};

// Network-class devices that carry a NetCfgInstanceId.
std::vector<NetDevice> ListNetDevices();
// A Windows machine names the network class under its class key ("Class" =
// "Net"), which SetupDiClassGuidsFromName relies on; a fresh prefix lacks it.
bool EnsureNetClassName(std::string& error);
bool CreateNetDevice(const KQSIM_ADAPTER_CONFIG& cfg, std::string& driverKey, std::string& error);
bool RemoveNetDevice(const std::string& guid, std::string& error);

// Driver file under its model's name in system32\drivers; unchanged files are left alone.
bool DriverFileCurrent(const std::string& source, const std::string& fileName);
bool InstallDriverFile(const std::string& source, const std::string& fileName, std::string& error);
void RemoveDriverFile(const std::string& fileName);
std::string DriversFolder();

// Service of the simulated driver.
bool EnsureService(const std::string& imagePath, std::string& error);
bool StartDriver(std::string& error);  // starts it when it is not running
bool StopDriver(std::string& error);
bool DeleteDriverService(std::string& error);
bool DriverRunning();
std::string ServiceImagePath();

// Persisted configuration (the driver reads it when it starts).
std::vector<KQSIM_ADAPTER_CONFIG> LoadAdapters();
bool SaveAdapters(const std::vector<KQSIM_ADAPTER_CONFIG>& adapters);
bool SaveNetworks(const std::vector<KQSIM_NETWORK>& nets);

std::string NewGuid();
std::string ErrorText(DWORD code);

}  // namespace kqsetup
