// kqsetup: installs simulated wireless adapters into a Wine prefix and
// drives the simulated air.  Run "kqsetup help" for the commands.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "sim/client/SimClient.h"
#include "sim/setup/HardwareIds.h"
#include "sim/setup/Machine.h"
#include "sim/setup/ZeroConfigSetup.h"

using namespace kqsetup;

namespace {

const char kUsage[] =
    "usage: kqsetup <command> [options]\n"
    "  install [--guid {GUID}] [--model N | --hwid ID] [--mac 00:0C:43:xx:xx:xx]\n"
    "          [--desc TEXT] [--driver-version 0x0501] [--single-band] [--driver FILE]\n"
    "                          install a simulated adapter (network device, driver key,\n"
    "                          driver service and file); again with the same GUID: no change\n"
    "  remove [--guid {GUID} | --all]   remove an adapter (the last one takes the driver along)\n"
    "  adapters                list installed adapters and their state\n"
    "  vanish [--guid {GUID}]  make the adapter disappear (its device path stops opening)\n"
    "  return [--guid {GUID}]  bring it back\n"
    "  load FILE               replace the networks with a scenario file\n"
    "  networks                list the networks of the simulated air\n"
    "  button [--guid {GUID}]  press the adapter's WPS button\n"
    "  log [--clear]           print the driver's request log (and clear it)\n"
    "  clear-log               clear the request log\n"
    "  start                   start the driver when it is not running\n";

void PrintUsage(FILE* f)
{
    std::fputs(kUsage, f);
    std::fputs(kWzcUsage, f);
}

struct Args {
    std::string command;
    std::map<std::string, std::string> options;
    std::vector<std::string> positional;
};

bool ParseArgs(int argc, char** argv, Args& a, std::string& error)
{
    static const char* const flags[] = {"--all", "--clear", "--single-band", "--remove"};
    if (argc < 2) return false;
    a.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::string s = argv[i];
        if (s.compare(0, 2, "--") != 0) {
            a.positional.push_back(s);
            continue;
        }
        bool isFlag = false;
        for (const char* f : flags) isFlag |= s == f;
        if (isFlag) {
            a.options[s] = "1";
        } else if (i + 1 < argc) {
            a.options[s] = argv[++i];
        } else {
            error = "option " + s + " needs a value";
            return false;
        }
    }
    return true;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "kqsetup: %s\n", message.c_str());
    return 1;
}

std::string ExeFolder()
{
    char path[MAX_PATH] = {0};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of("\\/"));
}

std::string DriverSource(const Args& a)
{
    auto it = a.options.find("--driver");
    if (it != a.options.end()) return it->second;
    for (const char* rel : {"\\kqsim.sys", "\\..\\driver\\kqsim.sys"}) {
        std::string p = ExeFolder() + rel;
        if (GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES) return p;
    }
    return ExeFolder() + "\\kqsim.sys";
}

bool OpenDriver(kqsim::SimClient& client, std::string& error)
{
    if (client.Open(DriverRunning() ? 3000 : 0)) return true;
    error = "the simulated driver is not reachable (" + ErrorText(client.LastError()) + "); run kqsetup install";
    return false;
}

// The adapter a command means: --guid, else the only (or first) one installed.
bool PickGuid(const Args& a, std::string& guid, std::string& error)
{
    auto it = a.options.find("--guid");
    if (it != a.options.end()) {
        guid = it->second;
        return true;
    }
    std::vector<KQSIM_ADAPTER_CONFIG> all = LoadAdapters();
    if (all.empty()) {
        error = "no simulated adapter is installed";
        return false;
    }
    guid = all[0].guid;
    return true;
}

unsigned MacSeed(const std::string& guid)
{
    unsigned h = 2166136261u;
    for (char c : guid) h = (h ^ (unsigned char)c) * 16777619u;
    return h;
}

bool BuildConfig(const Args& a, KQSIM_ADAPTER_CONFIG& cfg, std::string& error)
{
    std::string guid = a.options.count("--guid") ? a.options.at("--guid") : NewGuid();
    cfg = kqsim::DefaultAdapterConfig(guid);
    if (guid.size() < 3 || guid.size() >= KQSIM_GUID_CHARS || guid.front() != '{' || guid.back() != '}') {
        error = "--guid must be a GUID in braces, like {12345678-ABCD-EF01-2345-6789ABCDEF01}";
        return false;
    }
    int model = 7;
    std::string hwid = DefaultHardwareId(7);
    if (a.options.count("--model")) {
        char* end = nullptr;
        model = (int)std::strtol(a.options.at("--model").c_str(), &end, 10);
        if (*end || !DefaultHardwareId(model)) {
            error = "--model must be 0, 1, 4, 5, 6, 7 or 8 (the models with hardware ids)";
            return false;
        }
        hwid = DefaultHardwareId(model);
    }
    if (a.options.count("--hwid")) {
        hwid = a.options.at("--hwid");
        int m = ModelOfHardwareId(hwid.c_str());
        if (m < 0) {
            error = "hardware id " + hwid + " is not one of the supported adapters";
            return false;
        }
        if (!a.options.count("--model")) model = m;
    }
    if (hwid.size() >= sizeof(cfg.hardwareId)) {
        error = "hardware id too long";
        return false;
    }
    cfg.model = (unsigned)model;
    std::strcpy(cfg.hardwareId, hwid.c_str());
    if (a.options.count("--desc")) {
        std::string d = a.options.at("--desc");
        std::strncpy(cfg.description, d.c_str(), sizeof(cfg.description) - 1);
    }
    unsigned seed = MacSeed(guid);
    cfg.mac[3] = (BYTE)(seed >> 16);
    cfg.mac[4] = (BYTE)(seed >> 8);
    cfg.mac[5] = (BYTE)seed;
    if (a.options.count("--mac") && !kqsim::ParseMac(a.options.at("--mac"), cfg.mac)) {
        error = "--mac must look like 00:0C:43:28:60:01";
        return false;
    }
    if (a.options.count("--driver-version"))
        cfg.driverVersion = (unsigned short)std::strtoul(a.options.at("--driver-version").c_str(), nullptr, 0);
    if (a.options.count("--single-band")) cfg.dualBand = 0;
    if (model <= 1) cfg.wirelessMode = 0;
    return true;
}

void Remember(const KQSIM_ADAPTER_CONFIG& cfg)
{
    std::vector<KQSIM_ADAPTER_CONFIG> all = LoadAdapters();
    bool replaced = false;
    for (KQSIM_ADAPTER_CONFIG& c : all)
        if (_stricmp(c.guid, cfg.guid) == 0) {
            c = cfg;
            replaced = true;
        }
    if (!replaced) all.push_back(cfg);
    SaveAdapters(all);
}

bool HasDevice(const std::string& guid, std::string* driverKey, std::string* hardwareId = nullptr)
{
    for (const NetDevice& d : ListNetDevices())
        if (_stricmp(d.guid.c_str(), guid.c_str()) == 0) {
            if (driverKey) *driverKey = d.driverKey;
            if (hardwareId) *hardwareId = d.hardwareId;
            return true;
        }
    return false;
}

int Install(const Args& a)
{
    KQSIM_ADAPTER_CONFIG cfg;
    std::string error, source = DriverSource(a);
    if (!BuildConfig(a, cfg, error)) return Fail(error);
    // an adapter installed before keeps its settings unless new ones are given
    for (const KQSIM_ADAPTER_CONFIG& old : LoadAdapters())
        if (_stricmp(old.guid, cfg.guid) == 0 && a.options.size() == 1) cfg = old;

    const char* file = ModelDriverFile((int)cfg.model);
    std::string image = ServiceImagePath();
    if (image.empty()) image = DriversFolder() + "\\" + file;
    if (!DriverFileCurrent(source, file)) {
        // a loaded driver file cannot be replaced: a new build restarts the driver
        if (_stricmp(image.c_str(), (DriversFolder() + "\\" + file).c_str()) == 0 && !StopDriver(error))
            return Fail(error);
        if (!InstallDriverFile(source, file, error)) return Fail(error);
    }
    if (!EnsureNetClassName(error) || !EnsureService(image, error)) return Fail(error);
    Remember(cfg);
    bool wasRunning = DriverRunning();
    if (!StartDriver(error)) return Fail(error);

    kqsim::SimClient client;
    if (!client.Open(5000)) return Fail("the driver started but its control device does not open: " +
                                        ErrorText(client.LastError()));
    kqsim::AdapterState st;
    if (!wasRunning || !client.GetAdapter(cfg.guid, st) || std::memcmp(&st.config, &cfg, sizeof(cfg)) != 0) {
        if (!client.AddAdapter(cfg)) return Fail("adding the adapter to the driver: " + ErrorText(client.LastError()));
    }
    std::string driverKey, hardwareId;
    bool present = HasDevice(cfg.guid, &driverKey, &hardwareId);
    if (present && _stricmp(hardwareId.c_str(), cfg.hardwareId) != 0) {
        // another model for the same adapter: the device is made again
        if (!RemoveNetDevice(cfg.guid, error)) return Fail(error);
        present = false;
    }
    if (!present && !CreateNetDevice(cfg, driverKey, error)) return Fail(error);
    std::printf("adapter %s\n  hardware id  %s (model %u)\n  device path  \\\\.\\%s\n  driver key   %s\n"
                "  driver file  %s\\%s\n  MAC          %s\n",
                cfg.guid, cfg.hardwareId, cfg.model, cfg.guid, driverKey.c_str(), DriversFolder().c_str(), file,
                kqsim::FormatMac(cfg.mac).c_str());
    return 0;
}

void RemoveOne(kqsim::SimClient* client, const KQSIM_ADAPTER_CONFIG& cfg)
{
    std::string error;
    if (client) client->RemoveAdapter(cfg.guid);
    if (HasDevice(cfg.guid, nullptr) && !RemoveNetDevice(cfg.guid, error))
        std::fprintf(stderr, "kqsetup: %s\n", error.c_str());
    std::printf("removed %s\n", cfg.guid);
}

int Remove(const Args& a)
{
    std::vector<KQSIM_ADAPTER_CONFIG> all = LoadAdapters(), keep;
    std::string guid, error;
    bool everything = a.options.count("--all") > 0;
    if (!everything && !PickGuid(a, guid, error)) return Fail(error);
    kqsim::SimClient client;
    kqsim::SimClient* c = client.Open() ? &client : nullptr;
    bool found = false;
    for (const KQSIM_ADAPTER_CONFIG& cfg : all) {
        if (everything || _stricmp(cfg.guid, guid.c_str()) == 0) {
            RemoveOne(c, cfg);
            found = true;
        } else {
            keep.push_back(cfg);
        }
    }
    if (!everything && !found) return Fail("no simulated adapter " + guid);
    SaveAdapters(keep);
    if (!keep.empty()) return 0;
    client.Close();
    std::string image = ServiceImagePath();
    if (!StopDriver(error) || !DeleteDriverService(error)) return Fail(error);
    for (int m = 0; m < 9; ++m) {
        std::string p = DriversFolder() + "\\" + ModelDriverFile(m);
        if (_stricmp(p.c_str(), image.c_str()) == 0) RemoveDriverFile(ModelDriverFile(m));
    }
    std::printf("driver service removed\n");
    return 0;
}

int Adapters()
{
    kqsim::SimClient client;
    std::vector<kqsim::AdapterState> live;
    if (client.Open()) client.ListAdapters(live);
    std::vector<KQSIM_ADAPTER_CONFIG> all = LoadAdapters();
    if (all.empty() && live.empty()) {
        std::printf("no simulated adapter is installed\n");
        return 0;
    }
    for (const KQSIM_ADAPTER_CONFIG& cfg : all) {
        std::printf("%s  %s  model %u  MAC %s  %s\n", cfg.guid, cfg.hardwareId, cfg.model,
                    kqsim::FormatMac(cfg.mac).c_str(), HasDevice(cfg.guid, nullptr) ? "device" : "no device");
        for (const kqsim::AdapterState& s : live) {
            if (_stricmp(s.config.guid, cfg.guid) != 0) continue;
            std::string ssid(s.ssid, s.ssid + (s.ssidLen > 32 ? 32 : s.ssidLen));
            std::printf("    %s, radio %s, %s%s%s, open handles %u (%u creates, %u closes)\n",
                        s.present ? "present" : "vanished", s.radioOn ? "on" : "off",
                        s.connected ? "connected to " : s.associated ? "associated (keys absent) to " : "not associated",
                        s.associated ? ("\"" + ssid + "\" " + kqsim::FormatMac(s.bssid)).c_str() : "",
                        s.wrongKey ? " with a wrong WEP key" : "", s.openHandles, s.creates, s.closes);
        }
    }
    if (!client.IsOpen()) std::printf("(the driver is not running)\n");
    return 0;
}

int Presence(const Args& a, bool present)
{
    std::string guid, error;
    kqsim::SimClient client;
    if (!PickGuid(a, guid, error) || !OpenDriver(client, error)) return Fail(error);
    if (!(present ? client.Return(guid) : client.Vanish(guid)))
        return Fail(std::string(present ? "return" : "vanish") + " failed: " + ErrorText(client.LastError()));
    std::printf("%s %s\n", guid.c_str(), present ? "is back" : "has vanished");
    return 0;
}

int Load(const Args& a)
{
    if (a.positional.size() != 1) return Fail("load needs one scenario file");
    std::vector<KQSIM_NETWORK> nets;
    std::string error;
    if (!kqsim::LoadScenarioFile(a.positional[0], nets, error)) {
        std::fprintf(stderr, "kqsetup: %s\nkqsetup: nothing was changed\n", error.c_str());
        return 2;
    }
    kqsim::SimClient client;
    if (!OpenDriver(client, error)) return Fail(error);
    if (!client.LoadNetworks(nets)) return Fail("loading the networks: " + ErrorText(client.LastError()));
    SaveNetworks(nets);
    std::printf("%u networks loaded from %s\n", (unsigned)nets.size(), a.positional[0].c_str());
    return 0;
}

int Networks()
{
    kqsim::SimClient client;
    std::vector<KQSIM_NETWORK> nets;
    std::string error;
    if (!OpenDriver(client, error)) return Fail(error);
    if (!client.GetNetworks(nets)) return Fail("reading the networks: " + ErrorText(client.LastError()));
    for (const KQSIM_NETWORK& n : nets) std::printf("%s\n", kqsim::FormatNetworkLine(n).c_str());
    std::printf("(%u networks)\n", (unsigned)nets.size());
    return 0;
}

int Log(const Args& a)
{
    kqsim::SimClient client;
    std::vector<kqsim::LogEntry> log;
    std::string error;
    if (!OpenDriver(client, error)) return Fail(error);
    if (!client.ReadLog(log)) return Fail("reading the log: " + ErrorText(client.LastError()));
    for (const kqsim::LogEntry& e : log) std::printf("%s\n", kqsim::DescribeLogEntry(e).c_str());
    if (a.options.count("--clear") && !client.ClearLog()) return Fail("clearing the log failed");
    return 0;
}

int SimpleCall(const Args& a, const std::string& what)
{
    kqsim::SimClient client;
    std::string guid, error;
    if (what == "clear-log") {
        if (!OpenDriver(client, error)) return Fail(error);
        return client.ClearLog() ? 0 : Fail("clearing the log failed");
    }
    if (!PickGuid(a, guid, error) || !OpenDriver(client, error)) return Fail(error);
    if (!client.PressWpsButton(guid)) return Fail("pressing the button failed: " + ErrorText(client.LastError()));
    std::printf("WPS button of %s pressed\n", guid.c_str());
    return 0;
}

int Start()
{
    std::string error;
    if (!StartDriver(error)) return Fail(error);
    kqsim::SimClient client;
    if (!client.Open(5000)) return Fail("the control device does not open: " + ErrorText(client.LastError()));
    std::printf("driver running\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Args a;
    std::string error;
    if (!ParseArgs(argc, argv, a, error)) {
        if (!error.empty()) std::fprintf(stderr, "kqsetup: %s\n", error.c_str());
        PrintUsage(stderr);
        return 1;
    }
    const std::string& c = a.command;
    if (c == "install") return Install(a);
    if (c == "remove") return Remove(a);
    if (c == "adapters") return Adapters();
    if (c == "vanish") return Presence(a, false);
    if (c == "return") return Presence(a, true);
    if (c == "load") return Load(a);
    if (c == "networks") return Networks();
    if (c == "log") return Log(a);
    if (c == "clear-log" || c == "button") return SimpleCall(a, c);
    if (c == "start") return Start();
    if (c == "wzcsvc") {
        std::string guid;
        PickGuid(a, guid, error);
        return WzcCommand(a.positional, a.options, guid);
    }
    if (c == "help" || c == "--help") {
        PrintUsage(stdout);
        return 0;
    }
    std::fprintf(stderr, "kqsetup: unknown command \"%s\"\n", c.c_str());
    PrintUsage(stderr);
    return 1;
}
