// Kestiq.exe itself, with the Zero Configuration service stand-in: the tray
// commands that hand the adapter over and back, the installer's run-once
// choice at first start, the switch to access-point mode and the exit.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "app/HideDlg.h"
#include "core/Oids.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "support/AdapterKey.h"
#include "tray/AdapterFixture.h"
#include "tray/KestiqProcess.h"
#include "zeroconfig/WzcStandIn.h"

using kqtest::KestiqProcess;
using kqtest::WaitFor;

namespace {

const std::string kGuid = kqsim::kDefaultAdapterGuid;
const char kInstallerKey[] = "SOFTWARE\\OBRINT\\WLAN\\InstallShield";

using Values = std::map<std::string, std::pair<DWORD, std::string>>;

Values ValuesOf(const std::string& path)
{
    Values v;
    for (const auto& x : kqtest::KeyImage::Take(HKEY_LOCAL_MACHINE, path).values) {
        std::string data(x.data.begin(), x.data.end());
        // The platform's terminator after a counted text is not part of it.
        if (x.type == REG_SZ)
            while (!data.empty() && data.back() == '\0') data.pop_back();
        std::string name = x.name;
        for (char& c : name) c = (char)tolower((unsigned char)c);
        v[name] = {x.type, data};
    }
    return v;
}

std::string ReadFileText(const std::string& path)
{
    std::ifstream f(path);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

HWND VisibleMenuOf(DWORD pid)
{
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w;
         w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
        DWORD p = 0;
        GetWindowThreadProcessId(w, &p);
        if (p == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

class HandOver : public kqtest::DefaultAdapterTest {
protected:
    void SetUp() override
    {
        DefaultAdapterTest::SetUp();
        if (HasFatalFailure()) return;
        m_keyPath = kqtest::AdapterKeyPath(kGuid);
        ASSERT_FALSE(m_keyPath.empty());
        m_adapterKey.reset(new kqtest::KeyGuard(HKEY_LOCAL_MACHINE, m_keyPath));
        m_installerKey.reset(new kqtest::KeyGuard(HKEY_LOCAL_MACHINE, kInstallerKey));
        m_wzc.reset(new kqtest::WzcStandIn(kGuid));
        // The installer's choice was applied long ago, and the exit copy
        // has its key.
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetKeyValueA(HKEY_LOCAL_MACHINE, m_keyPath.c_str(), "RunOnceInitConfigTool", REG_SZ, "1", 2));
        // An empty Default: what it holds afterwards was copied by this run.
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (m_keyPath + "\\Default").c_str());
        HKEY k = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, (m_keyPath + "\\Default").c_str(), 0, nullptr,
                                                 0, KEY_ALL_ACCESS, nullptr, &k, nullptr));
        RegCloseKey(k);
    }
    void TearDown() override
    {
        m_kestiq.Stop();
        m_wzc.reset();
        m_installerKey.reset();
        m_adapterKey.reset();
        DefaultAdapterTest::TearDown();
    }
    void StartKestiq(const std::string& exe = kqtest::BuiltProgram())
    {
        ASSERT_TRUE(m_kestiq.Start(exe, "-s"));
        ASSERT_TRUE(m_kestiq.WaitReady());
    }
    // The tray menu a right click shows now, closed again without a choice.
    LRESULT MenuShown()
    {
        PostMessageA(m_kestiq.Hwnd(), WM_TRAY_NOTIFY, IDI_TRAY_GOOD, WM_RBUTTONDOWN);
        HWND menu = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (menu = VisibleMenuOf(m_kestiq.Pid())) != nullptr; }, 20000));
        LRESULT id = m_kestiq.Query(KQ_STATE_LAST_MENU);
        if (menu) {
            PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
            EXPECT_TRUE(WaitFor([&] { return VisibleMenuOf(m_kestiq.Pid()) == nullptr; }, 20000));
        }
        return id;
    }
    void Command(UINT id) { PostMessageA(m_kestiq.Hwnd(), WM_COMMAND, id, 0); }
    // A tray command, handled to its end: what it leaves in the service
    // manager and the registry is all there (the service goes on alone).
    void CommandDone(UINT id)
    {
        Command(id);
        ASSERT_TRUE(m_kestiq.Sync());
    }
    void SetInstallerChoice(DWORD choice)
    {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, kInstallerKey, "ConfigToolSelect", REG_DWORD,
                                                 &choice, sizeof(choice)));
    }

    std::string m_keyPath;
    std::unique_ptr<kqtest::KeyGuard> m_adapterKey, m_installerKey;
    std::unique_ptr<kqtest::WzcStandIn> m_wzc;
    KestiqProcess m_kestiq;
};

TEST_F(HandOver, TrayCommandsHandTheAdapterToZeroConfigurationAndBack)
{
    kqtest::WzcSetup("install --start-type demand --state stopped");
    kqtest::WriteControlFlags(kGuid, 0);
    StartKestiq();
    EXPECT_EQ((LRESULT)IDR_TRAY_MENU_WZC, MenuShown()) << "6.1: the hand-over is offered";

    CommandDone(ID_TRAY_USE_WZC);
    ASSERT_TRUE(kqtest::WaitWzcState(SERVICE_RUNNING));
    EXPECT_EQ((DWORD)SERVICE_AUTO_START, kqtest::QueryWzc().startType);
    EXPECT_EQ(0x8000, kqtest::ReadControlFlags(kGuid));
    m_kestiq.Tick();
    EXPECT_EQ((LRESULT)IDR_TRAY_MENU_OWN, MenuShown()) << "the service manages it: the hand-back is offered";

    CommandDone(ID_TRAY_USE_OWN_UTILITY);
    ASSERT_TRUE(kqtest::WaitWzcState(SERVICE_STOPPED));
    EXPECT_EQ((DWORD)SERVICE_DEMAND_START, kqtest::QueryWzc().startType);
    EXPECT_EQ(0x8000, kqtest::ReadControlFlags(kGuid)) << "the hand-back leaves ControlFlags alone";
    m_kestiq.Tick();
    EXPECT_EQ((LRESULT)IDR_TRAY_MENU_WZC, MenuShown()) << "mode 0 again";
    EXPECT_TRUE(m_kestiq.Running());
}

TEST_F(HandOver, ModeIsZeroBeforeXpWhateverTheServiceDoes)
{
    // The service runs and has no key for the interface: it manages it on
    // XP, and counts for nothing on Windows 2000.
    kqtest::WzcSetup("install --state running");
    kqtest::RemoveInterfaceKey(kGuid);
    {
        kqtest::WineVersionKey xp("winxp");
        StartKestiq();
        EXPECT_EQ((LRESULT)IDR_TRAY_MENU_OWN, MenuShown());
        m_kestiq.Stop();
    }
    kqtest::WineVersionKey w2k("win2k");
    StartKestiq();
    EXPECT_EQ((LRESULT)IDR_TRAY_MENU_BASIC, MenuShown());
}

TEST_F(HandOver, InstallerChoiceTakesEffectOnFirstStartOnly)
{
    // Choice 0: Zero Configuration manages the adapter from the first start.
    kqtest::WzcSetup("install --start-type demand --state stopped");
    kqtest::WriteControlFlags(kGuid, 0);
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, m_keyPath.c_str(), "RunOnceInitConfigTool");
    SetInstallerChoice(0);
    StartKestiq();
    EXPECT_TRUE(kqtest::WaitWzcState(SERVICE_RUNNING));
    EXPECT_EQ((DWORD)SERVICE_AUTO_START, kqtest::QueryWzc().startType);
    EXPECT_EQ(0x8000, kqtest::ReadControlFlags(kGuid));
    EXPECT_EQ("0", kqtest::ReadText(m_keyPath, "RunOnceInitConfigTool"));
    m_kestiq.Stop();

    // A second start leaves the service and the flag as they are now.
    kqtest::WzcSetup("stop");
    kqtest::WriteControlFlags(kGuid, 0);
    StartKestiq();
    m_kestiq.Tick();
    EXPECT_EQ((DWORD)SERVICE_STOPPED, kqtest::QueryWzc().state);
    EXPECT_EQ(0, kqtest::ReadControlFlags(kGuid));
    m_kestiq.Stop();

    // Choice 1 (or none): this program takes the adapter; the service stops.
    kqtest::WzcSetup("install --start-type auto --state running");
    kqtest::WriteControlFlags(kGuid, 0x8000);
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, m_keyPath.c_str(), "RunOnceInitConfigTool");
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kInstallerKey, "ConfigToolSelect");
    StartKestiq();
    EXPECT_TRUE(kqtest::WaitWzcState(SERVICE_STOPPED));
    EXPECT_EQ((DWORD)SERVICE_DEMAND_START, kqtest::QueryWzc().startType);
    EXPECT_EQ(0x8000, kqtest::ReadControlFlags(kGuid));
    EXPECT_EQ("1", kqtest::ReadText(m_keyPath, "RunOnceInitConfigTool"));
}

TEST_F(HandOver, BeforeXpTheInstallerChoiceWaits)
{
    kqtest::WzcSetup("install --start-type demand --state stopped");
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, m_keyPath.c_str(), "RunOnceInitConfigTool");
    SetInstallerChoice(0);
    kqtest::WineVersionKey w2k("win2k");
    StartKestiq();
    m_kestiq.Tick();
    EXPECT_EQ("<missing>", kqtest::ReadText(m_keyPath, "RunOnceInitConfigTool"));
    EXPECT_EQ((DWORD)SERVICE_STOPPED, kqtest::QueryWzc().state);
}

TEST_F(HandOver, SwitchToApModeHandsTheAdapterToTheAccessPointTool)
{
    kqtest::WzcSetup("install --start-type auto --state running");
    kqtest::WriteControlFlags(kGuid, 0);
    kqtest::ScratchFolder dir("ap");
    ASSERT_TRUE(dir.Add(KQ_RECORD_TOOL, "Fendrel.exe"));
    ASSERT_TRUE(dir.Add(KQ_RECORD_TOOL, "Miskor.exe"));
    ASSERT_TRUE(dir.Add(std::string(KQ_BINARY_DIR) + "/acAuth.dll", "acAuth.dll")) << "so that a port is open";
    dir.Forget("Miskor.exe.log");
    DeleteFileA(dir.Path("Miskor.exe.log").c_str());
    StartKestiq(dir.Program());
    EXPECT_EQ((LRESULT)IDR_TRAY_MENU_WZC_AP, MenuShown()) << "tools, model 7 and an adapter: the switch is offered";

    const Values station = ValuesOf(m_keyPath);
    const Values ap = ValuesOf(m_keyPath + "\\ApDefault");
    ASSERT_FALSE(ap.empty()) << "the access-point defaults were written at start";
    ASSERT_NE("1", station.count("opmode") ? station.at("opmode").second : "");
    DWORD from = 0;
    ASSERT_TRUE(m_sim.NextSeq(from));

    Command(ID_TRAY_SWITCH_TO_AP);
    ASSERT_TRUE(m_kestiq.WaitExit(30000)) << "the program ends";

    std::string recorded;
    EXPECT_TRUE(WaitFor([&] { return !(recorded = ReadFileText(dir.Path("Miskor.exe.log"))).empty(); }, 20000));
    EXPECT_EQ("\"Miskor.exe\" ON Kestiq Fendrel \"Obrint Wireless\"\n", recorded);

    // The adapter key holds the access-point defaults and OpMode "1"; Default
    // holds the station settings of the moment, not overwritten at the end.
    Values now = ValuesOf(m_keyPath);
    for (const auto& v : ap) {
        ASSERT_TRUE(now.count(v.first)) << v.first;
        EXPECT_EQ(v.second, now.at(v.first)) << v.first;
    }
    EXPECT_EQ((std::pair<DWORD, std::string>(REG_SZ, "1")), now.at("opmode"));
    EXPECT_EQ(station, ValuesOf(m_keyPath + "\\Default"));

    bool apMode = false;
    for (const kqsim::LogEntry& e : kqsim::AdapterLog(m_sim, kGuid, from)) {
        if (e.kind == KQSIM_LOG_SET && e.BaseOid() == OID_VENDOR_OP_MODE && e.data.size() == 4 && e.Succeeded()) {
            DWORD v;
            std::memcpy(&v, e.data.data(), 4);
            apMode = v == 1;
        }
    }
    EXPECT_TRUE(apMode) << "the driver was set to access-point mode";
    // Authentication stopped, then the port closed (its own first step stops it again).
    std::vector<kqsim::LogEntry> all;
    ASSERT_TRUE(m_sim.ReadLog(all, from));
    std::vector<std::string> calls;
    for (const kqsim::LogEntry& e : all)
        for (const char* call : {"acPortStop", "acPortDetach"})
            if (e.IsSupplicantCall() && e.text.compare(0, std::strlen(call), call) == 0) calls.push_back(call);
    EXPECT_EQ(std::vector<std::string>({"acPortStop", "acPortStop", "acPortDetach"}), calls);
    EXPECT_TRUE(kqtest::WaitWzcState(SERVICE_STOPPED));
    EXPECT_EQ((DWORD)SERVICE_DEMAND_START, kqtest::QueryWzc().startType);
}

TEST_F(HandOver, ExitThroughTheTraySavesTheAdapterKeyAsDefault)
{
    StartKestiq();
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, m_keyPath.c_str(), "KqExitCheck", REG_SZ,
                                             "saved at exit", 14));
    Command(ID_TRAY_EXIT);
    ASSERT_TRUE(m_kestiq.WaitExit(30000));
    Values adapter = ValuesOf(m_keyPath), saved = ValuesOf(m_keyPath + "\\Default");
    EXPECT_EQ("saved at exit", saved["kqexitcheck"].second);
    EXPECT_EQ(adapter, saved);
}

}  // namespace
