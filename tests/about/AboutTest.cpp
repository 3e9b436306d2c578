// The About page in the configuration window of a controller of this
// process, and in Kestiq.exe itself, against the installed default adapter:
// the program's and the driver file's versions and dates, the driver file
// chosen by model and Windows version, the adapter's version words and
// address, rows hidden when the driver does not answer, damaged version
// resources, and the web link opened on a thread of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "linkstatus/LinkWindowFixture.h"
#include "pages/AboutPage.h"
#include "tray/KestiqProcess.h"

namespace {

using kqtest::Restore;

const char kDriverVersion[] = "2.1.8.0\n";      // sim/driver/version.rc
const char kProgramVersion[] = "1.0.0.0\n";     // res/Kestiq.rc
const char kProgramCopyright[] = "Copyright (C) 2026 Obrint";

std::string SystemDir()
{
    char buf[MAX_PATH] = {};
    GetSystemDirectoryA(buf, sizeof(buf));
    return buf;
}

std::string InstalledDriverFile() { return SystemDir() + "\\drivers\\qx80.sys"; }

// The day of a file's last change, as a person's clock shows it.
std::string FileDate(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA a = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return "no such file";
    FILETIME local;
    SYSTEMTIME st;
    FileTimeToLocalFileTime(&a.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &st);
    char text[16];
    std::snprintf(text, sizeof(text), "%02d-%02d-%04d", st.wMonth, st.wDay, st.wYear);
    return text;
}

std::string MacText(const BYTE* m)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%02X-%02X-%02X-%02X-%02X-%02X", m[0], m[1], m[2], m[3], m[4], m[5]);
    return text;
}

// What the About page shows on the default adapter (model 7) for the
// program at programPath.
struct AboutRow {
    UINT id;
    std::string text;
};
std::vector<AboutRow> ModelSevenRows(const std::string& programPath, const BYTE* mac)
{
    return {
        { IDC_ABOUT_COPYRIGHT, kProgramCopyright },
        { IDC_ABOUT_CONFIG_VERSION, kProgramVersion },
        { IDC_ABOUT_CONFIG_DATE, FileDate(programPath) },
        { IDC_ABOUT_DRIVER_VERSION, kDriverVersion },
        { IDC_ABOUT_DRIVER_DATE, FileDate(InstalledDriverFile()) },
        { IDC_ABOUT_EEPROM, "2.1\n" },     // the word 0x0102, bytes 0.1
        { IDC_ABOUT_FIRMWARE, "2.3\n" },   // the word 0x0203, bytes 1.0
        { IDC_ABOUT_MAC, MacText(mac) },
    };
}

// A file a test puts into the system folder (a copy of the simulated
// driver unless other bytes are given), changed on a day of its own; it
// goes with the holder.  A file that was there already is left alone.
class PlantedFile {
public:
    PlantedFile(const std::string& path, int day, const std::vector<BYTE>* bytes = nullptr) : m_path(path)
    {
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
        m_planted = bytes ? Write(*bytes) : CopyFileA(KQ_BINARY_DIR "/sim/bin/kqsim.sys", path.c_str(), TRUE) != 0;
        if (!m_planted) return;
        HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        SYSTEMTIME st = { 2001, 2, 0, (WORD)day, 12, 0, 0, 0 };
        FILETIME ft;
        SystemTimeToFileTime(&st, &ft);
        SetFileTime(h, nullptr, nullptr, &ft);
        CloseHandle(h);
    }
    ~PlantedFile()
    {
        if (m_planted) DeleteFileA(m_path.c_str());
    }
    const std::string& path() const { return m_path; }
    bool ok() const { return GetFileAttributesA(m_path.c_str()) != INVALID_FILE_ATTRIBUTES; }

private:
    bool Write(const std::vector<BYTE>& bytes)
    {
        HANDLE h = CreateFileA(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
        CloseHandle(h);
        return true;
    }
    std::string m_path;
    bool m_planted = false;
};

// A copy of the simulated driver whose only resource is a version block of
// the given bytes.
std::vector<BYTE> DriverWithVersionBlock(const std::vector<BYTE>& block)
{
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "kqv", 0, path);
    CopyFileA(KQ_BINARY_DIR "/sim/bin/kqsim.sys", path, FALSE);
    HANDLE u = BeginUpdateResourceA(path, TRUE);
    if (u) {
        UpdateResourceA(u, RT_VERSION, MAKEINTRESOURCEA(1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                        (void*)block.data(), (DWORD)block.size());
        EndUpdateResourceA(u, FALSE);
    }
    std::vector<BYTE> bytes;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD size = GetFileSize(h, nullptr), got = 0;
    bytes.resize(size);
    ReadFile(h, bytes.data(), size, &got, nullptr);
    CloseHandle(h);
    DeleteFileA(path);
    return bytes;
}

// A VS_VERSIONINFO root with a fixed part of valueLength bytes (the first
// four the signature) and no children.
std::vector<BYTE> VersionRoot(DWORD signature, WORD valueLength, WORD declaredLength = 0)
{
    const wchar_t key[] = L"VS_VERSION_INFO";   // 32 bytes: the fixed part starts aligned at 40
    const size_t fixedAt = 6 + sizeof(key) + 2;
    std::vector<BYTE> b(fixedAt + valueLength, 0);
    memcpy(&b[6], key, sizeof(key));
    VS_FIXEDFILEINFO info = {};
    info.dwSignature = signature;
    info.dwStrucVersion = 0x10000;
    info.dwFileVersionMS = 0x00090008;
    info.dwFileVersionLS = 0x00070006;
    memcpy(&b[fixedAt], &info, std::min<size_t>(valueLength, sizeof(info)));
    WORD length = declaredLength ? declaredLength : (WORD)b.size();
    memcpy(&b[0], &length, 2);
    memcpy(&b[2], &valueLength, 2);
    return b;
}

// A version block of the robustness program's inputs (tests/data/fuzz).
std::vector<BYTE> FuzzBlock(const char* name)
{
    std::ifstream f(std::string(KQ_TESTDATA_DIR "/fuzz/") + name, std::ios::binary);
    return std::vector<BYTE>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}
// The review's block as it was before its root was damaged.
std::vector<BYTE> SoundBlock()
{
    std::vector<BYTE> b = FuzzBlock("F1b-version-root-length-write.bin");
    if (b.size() > 1) b[1] = 0x02;
    return b;
}

class AboutTest : public kqtest::LinkWindowTest {
protected:
    void SetUp() override
    {
        kqtest::LinkWindowTest::SetUp();
        m_foundModel = g_nModelIndex;
        m_foundOs = g_nOsVersion;
    }
    // A new window with the About page brought to the front by its button,
    // for the adapter model and Windows version given (-1: as they are).
    CAboutPage* ShowAbout(int model = -1, int os = -1)
    {
        m_dlg.DestroyMainWindow();
        // The window itself is built for the adapter as it was found.
        g_nModelIndex = m_foundModel;
        g_nOsVersion = m_foundOs;
        m_panel = OpenPanel();
        if (!m_panel) return nullptr;
        if (model >= 0) g_nModelIndex = model;
        if (os >= 0) g_nOsVersion = os;
        ClickNav(IDC_NAV_ABOUT);
        CAboutPage* page = m_dlg.OpenedMainWindow()->m_pAboutPage;
        return IsWindowVisible(page->m_hWnd) ? page : nullptr;
    }
    // Hidden behind the Network page and shown again: read again.
    void ShowAgain()
    {
        ClickNav(IDC_NAV_NETWORK);
        ClickNav(IDC_NAV_ABOUT);
    }
    static std::string ModulePath()
    {
        char buf[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, buf, sizeof(buf));
        return buf;
    }
    std::string AdapterMac()
    {
        kqsim::AdapterState st;
        EXPECT_TRUE(m_sim.GetAdapter(kGuid, st));
        return MacText(st.config.mac);
    }

    Restore<int> m_model{ g_nModelIndex }, m_os{ g_nOsVersion };
    int m_foundModel = 0, m_foundOs = 0;
    Restore<BOOL> m_wow{ g_bIsWow64 };
    CLinkStatusPage* m_panel = nullptr;
};

// ---- Model 7 on the default air -----------------------------------------------------------

TEST_F(AboutTest, ModelSevenShowsTheInstalledDriverFileAndTheProgramsOwnVersion)
{
    JoinFiveGigahertz();
    ASSERT_EQ(7, g_nModelIndex);
    DWORD mark = Mark();
    CAboutPage* page = ShowAbout();
    ASSERT_NE(nullptr, page);
    Tick(m_panel);
    kqsim::AdapterState st;
    ASSERT_TRUE(m_sim.GetAdapter(kGuid, st));
    std::vector<AboutRow> rows = ModelSevenRows(ModulePath(), st.config.mac);
    const AboutRow labels[] = {
        { IDC_ABOUT_CONFIG_LABEL, "Config Version >>" },
        { IDC_ABOUT_CONFIG_DATE_LABEL, "Date >>" },
        { IDC_ABOUT_DRIVER_LABEL, "Driver Version >>" },
        { IDC_ABOUT_DRIVER_DATE_LABEL, "Date >>" },
        { IDC_ABOUT_EEPROM_LABEL, "EEPROM Version >>" },
        { IDC_ABOUT_FIRMWARE_LABEL, "Firmware Version >>" },
        { IDC_ABOUT_MAC_LABEL, "Phy_Address >>" },
        { IDC_ABOUT_WEB_LINK, kSellerWebAddress },
    };
    rows.insert(rows.end(), std::begin(labels), std::end(labels));
    for (const AboutRow& r : rows) {
        EXPECT_EQ(r.text, Text(page, r.id)) << r.id;
        EXPECT_TRUE(Visible(page, r.id)) << r.id;
    }
    ShotWindow("about-connected");
    // One reading of each of the adapter's three answers per showing.
    for (DWORD oid : { (DWORD)OID_VENDOR_EEPROM_VERSION, (DWORD)OID_VENDOR_FIRMWARE_VERSION,
                       (DWORD)OID_802_3_CURRENT_ADDRESS }) {
        EXPECT_GE(Requests(mark, oid).size(), 1u) << std::hex << oid;
        DWORD again = Mark();
        ShowAgain();
        EXPECT_EQ(1u, Requests(again, oid).size()) << std::hex << oid;
    }
}

TEST_F(AboutTest, NotConnectedAndWithoutAdapter)
{
    CAboutPage* page = ShowAbout();
    ASSERT_NE(nullptr, page);
    Tick(m_panel);
    ASSERT_EQ("Disconnected", Text(m_panel, IDC_LINK_STATUS));
    EXPECT_EQ(kDriverVersion, Text(page, IDC_ABOUT_DRIVER_VERSION));
    EXPECT_EQ(AdapterMac(), Text(page, IDC_ABOUT_MAC));
    ShotWindow("about-disconnected");

    // Without the adapter the driver's rows hide and the address reads zero;
    // the file's version stays.
    ASSERT_TRUE(m_sim.Vanish(kGuid));
    ShowAgain();
    Tick(m_panel);
    EXPECT_FALSE(Visible(page, IDC_ABOUT_EEPROM_LABEL));
    EXPECT_FALSE(Visible(page, IDC_ABOUT_EEPROM));
    EXPECT_FALSE(Visible(page, IDC_ABOUT_FIRMWARE_LABEL));
    EXPECT_FALSE(Visible(page, IDC_ABOUT_FIRMWARE));
    EXPECT_EQ("00-00-00-00-00-00", Text(page, IDC_ABOUT_MAC));
    EXPECT_EQ(kDriverVersion, Text(page, IDC_ABOUT_DRIVER_VERSION));
    ShotWindow("about-no-adapter");
    // Back: the firmware row shows again; the EEPROM row, hidden once, stays
    // hidden until the window is made again.
    ASSERT_TRUE(m_sim.Return(kGuid));
    ShowAgain();
    EXPECT_FALSE(Visible(page, IDC_ABOUT_EEPROM));
    EXPECT_EQ("2.1\n", Text(page, IDC_ABOUT_EEPROM));
    EXPECT_TRUE(Visible(page, IDC_ABOUT_FIRMWARE));
    page = ShowAbout();
    ASSERT_NE(nullptr, page);
    EXPECT_TRUE(Visible(page, IDC_ABOUT_EEPROM));
}

// ---- Tables ----------------------------------------------------------------------------

TEST_F(AboutTest, FirmwareRowByModel)
{
    for (int model = 0; model <= 8; ++model) {
        SCOPED_TRACE(model);
        DWORD mark = Mark();
        CAboutPage* page = ShowAbout(model);
        ASSERT_NE(nullptr, page);
        bool own = model >= 4;
        EXPECT_EQ(own ? 1u : 0u, Requests(mark, OID_VENDOR_FIRMWARE_VERSION).size());
        EXPECT_EQ(own ? "2.3\n" : "", Text(page, IDC_ABOUT_FIRMWARE));
        // Before model 4 the row stays as placed: its label shows, its value is empty.
        EXPECT_TRUE(Visible(page, IDC_ABOUT_FIRMWARE_LABEL));
        EXPECT_TRUE(Visible(page, IDC_ABOUT_FIRMWARE));
        EXPECT_EQ("2.1\n", Text(page, IDC_ABOUT_EEPROM));
        if (model == 0) ShotWindow("about-model-0");
    }
}

TEST_F(AboutTest, DriverFileByModelAndWindowsVersion)
{
    const std::string sys = SystemDir(), drivers = sys + "\\drivers\\";
    PlantedFile files[] = {
        { sys + "\\qx809x.sys", 3 }, { drivers + "qx40usb.sys", 4 }, { sys + "\\qx70u98.sys", 5 },
        { drivers + "qx40.sys", 6 }, { sys + "\\qx4u98.sys", 7 },
    };
    for (const PlantedFile& f : files) ASSERT_TRUE(f.ok()) << f.path();
    const struct {
        int model, os;
        std::string file;   // "" when none is read
    } cases[] = {
        { 7, OS_WIN6, InstalledDriverFile() },
        { 7, OS_WINXP, InstalledDriverFile() },
        { 7, OS_WIN2000, InstalledDriverFile() },
        { 7, OS_WIN98SE, sys + "\\qx809x.sys" },
        { 7, OS_NT4, sys + "\\qx809x.sys" },
        { 1, OS_WIN2000, drivers + "qx40usb.sys" },
        { 1, OS_WINME, sys + "\\qx4u98.sys" },
        { 5, OS_WIN98, sys + "\\qx70u98.sys" },
        { 0, OS_WIN6_SERVER, drivers + "qx40.sys" },
        { 8, OS_WIN98SE, "" },   // no file for Windows 9x
        { 7, OS_WIN95, "" },
        { 9, OS_WIN6, "" },      // no such model
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "model " << c.model << " os " << c.os);
        CAboutPage* page = ShowAbout(c.model, c.os);
        ASSERT_NE(nullptr, page);
        EXPECT_EQ(c.file.empty() ? "" : kDriverVersion, Text(page, IDC_ABOUT_DRIVER_VERSION));
        EXPECT_EQ(c.file.empty() ? "" : FileDate(c.file), Text(page, IDC_ABOUT_DRIVER_DATE));
    }
}

std::vector<std::string> g_redirection;
void RecordOff() { g_redirection.push_back("off"); }
void RecordOn() { g_redirection.push_back("on"); }

TEST_F(AboutTest, RedirectionIsSwitchedOffForTheReadAndBackAfterIt)
{
    Restore<void (*)()> off(g_pfnDisableFsRedirection), on(g_pfnEnableFsRedirection);
    g_pfnDisableFsRedirection = RecordOff;
    g_pfnEnableFsRedirection = RecordOn;
    const struct {
        int os;
        BOOL wow64;
        const char* calls;
    } cases[] = {
        { OS_WINXP, TRUE, "" },         { OS_SERVER2003, TRUE, "" },  { OS_WINXP_X64, TRUE, "off on" },
        { OS_WIN6, TRUE, "off on" },    { OS_WIN6_SERVER, TRUE, "off on" }, { OS_WIN6, FALSE, "" },
        { OS_WIN2000, TRUE, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "os " << c.os << " wow64 " << c.wow64);
        g_bIsWow64 = c.wow64;
        g_redirection.clear();
        CAboutPage* page = ShowAbout(-1, c.os);
        ASSERT_NE(nullptr, page);
        std::string calls;
        for (const std::string& s : g_redirection) calls += (calls.empty() ? "" : " ") + s;
        EXPECT_EQ(c.calls, calls);
        EXPECT_EQ(kDriverVersion, Text(page, IDC_ABOUT_DRIVER_VERSION));
    }
}

// ---- Bad answers and damaged files ----------------------------------------------------------

TEST_F(AboutTest, FailedQueriesHideTheirRowsAndOddSizesDoNoHarm)
{
    CAboutPage* page = ShowAbout();
    ASSERT_NE(nullptr, page);
    // The firmware row follows each answer; the EEPROM row is only ever
    // hidden, so that once its query failed it stays hidden in this window.
    const struct {
        DWORD failing;
        bool eeprom, firmware;
    } cases[] = {
        { OID_VENDOR_FIRMWARE_VERSION, true, false },
        { 0, true, true },
        { OID_VENDOR_EEPROM_VERSION, false, true },
        { 0, false, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.failing);
        if (c.failing) {
            ASSERT_TRUE(m_sim.FailAlways(kGuid, c.failing));
        }
        ShowAgain();
        ASSERT_TRUE(m_sim.ClearFaults(kGuid));
        for (UINT id : { IDC_ABOUT_EEPROM_LABEL, IDC_ABOUT_EEPROM })
            EXPECT_EQ(c.eeprom, Visible(page, id)) << id;
        for (UINT id : { IDC_ABOUT_FIRMWARE_LABEL, IDC_ABOUT_FIRMWARE })
            EXPECT_EQ(c.firmware, Visible(page, id)) << id;
        EXPECT_EQ(AdapterMac(), Text(page, IDC_ABOUT_MAC));
    }
    ASSERT_TRUE(m_sim.FailAlways(kGuid, OID_802_3_CURRENT_ADDRESS));
    ShowAgain();
    ASSERT_TRUE(m_sim.ClearFaults(kGuid));
    EXPECT_EQ("00-00-00-00-00-00", Text(page, IDC_ABOUT_MAC));

    // Answers of every size, in a new window: what came is shown, the rest
    // reads 0; an answer longer than the value is a failed query (the rows
    // hide and keep their last texts; the address reads zero).
    page = ShowAbout();
    ASSERT_NE(nullptr, page);
    const BYTE bytes[8] = { 0x07, 0x09, 0x0B, 0x0D, 0x0F, 0x11, 0x13, 0x15 };
    const struct {
        DWORD size;
        const char* eeprom;
        const char* firmware;
        bool shown;
        const char* mac;
    } sizes[] = {
        { 0, "0.0\n", "0.0\n", true, "00-00-00-00-00-00" },   { 1, "7.0\n", "0.7\n", true, "07-00-00-00-00-00" },
        { 2, "7.9\n", "9.7\n", true, "07-09-00-00-00-00" },   { 4, "7.9\n", "9.7\n", true, "07-09-0B-0D-00-00" },
        { 6, "7.9\n", "9.7\n", false, "07-09-0B-0D-0F-11" },  { 8, "7.9\n", "9.7\n", false, "00-00-00-00-00-00" },
    };
    for (const auto& s : sizes) {
        SCOPED_TRACE(s.size);
        for (DWORD oid : { (DWORD)OID_VENDOR_EEPROM_VERSION, (DWORD)OID_VENDOR_FIRMWARE_VERSION,
                           (DWORD)OID_802_3_CURRENT_ADDRESS })
            ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, oid, bytes, s.size));
        ShowAgain();
        ASSERT_TRUE(IsWindow(page->m_hWnd));
        EXPECT_EQ(s.eeprom, Text(page, IDC_ABOUT_EEPROM));
        EXPECT_EQ(s.firmware, Text(page, IDC_ABOUT_FIRMWARE));
        EXPECT_EQ(s.shown, Visible(page, IDC_ABOUT_EEPROM));
        EXPECT_EQ(s.shown, Visible(page, IDC_ABOUT_FIRMWARE));
        EXPECT_EQ(s.mac, Text(page, IDC_ABOUT_MAC));
    }
    ShotWindow("about-odd-answers");
}

TEST_F(AboutTest, DriverFilesWithoutUsableVersionInformationLeaveTheirTexts)
{
    // Model 4 on Windows 98 reads qx609x.sys in the system folder.
    const std::string path = SystemDir() + "\\qx609x.sys";
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
    std::vector<BYTE> garbage(200, 0xFF);
    const struct {
        const char* what;
        std::vector<BYTE> bytes;
        const char* version;
        const char* copyright = "kept";
    } cases[] = {
        { "an empty file", {}, "" },
        { "a text file", std::vector<BYTE>(100, 'x'), "" },
        { "a version block of two bytes", DriverWithVersionBlock({ 0x34, 0x00 }), "" },
        { "a version block of 0xFF", DriverWithVersionBlock(garbage), "" },
        { "a root claiming more than it holds", DriverWithVersionBlock(VersionRoot(VS_FFI_SIGNATURE, 52, 0x7FF0)), "" },
        { "a fixed part cut short", DriverWithVersionBlock(VersionRoot(VS_FFI_SIGNATURE, 20)), "" },
        { "no fixed part", DriverWithVersionBlock(VersionRoot(VS_FFI_SIGNATURE, 0)), "" },
        { "a wrong signature", DriverWithVersionBlock(VersionRoot(0x12345678, 52)), "" },
        { "a root alone, no strings", DriverWithVersionBlock(VersionRoot(VS_FFI_SIGNATURE, 52)), "9.8.7.6\n" },
        // The review's blocks: a string table and its first string that claim
        // more than they hold, and a root that claims 768 of its 512 bytes.
        { "a string table past its block", DriverWithVersionBlock(FuzzBlock("F1-version-stringtable-walk.bin")), "" },
        { "a root past its block", DriverWithVersionBlock(FuzzBlock("F1b-version-root-length-write.bin")), "" },
        { "the same block sound", DriverWithVersionBlock(SoundBlock()), "1.2.3.4\n", "Copyright (C) Tolvane 2008" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PlantedFile file(path, 9, &c.bytes);
        ASSERT_TRUE(file.ok());
        CAboutPage* page = ShowAbout(4, OS_WIN98);
        ASSERT_NE(nullptr, page);
        EXPECT_EQ(c.version, Text(page, IDC_ABOUT_DRIVER_VERSION));
        EXPECT_EQ(*c.version ? FileDate(path) : "", Text(page, IDC_ABOUT_DRIVER_DATE));
        // The program's own row is not disturbed.
        EXPECT_EQ(kProgramVersion, Text(page, IDC_ABOUT_CONFIG_VERSION));
        // Looking for a copyright in it is as safe.
        CString version, date, copyright = "kept";
        EXPECT_EQ(*c.version != 0, ReadFileVersionTexts(path.c_str(), version, date, &copyright) != FALSE);
        EXPECT_STREQ(c.version, version);
        EXPECT_STREQ(c.copyright, copyright);
    }
}

TEST(VersionTexts, CopyrightOnlyFromTheUsEnglishBlockAndTextsLeftAloneOnFailure)
{
    CString version = "old\n", date = "old", copyright = "old";
    // The simulated driver has a version but no copyright.
    EXPECT_TRUE(ReadFileVersionTexts(KQ_BINARY_DIR "/sim/bin/kqsim.sys", version, date, &copyright));
    EXPECT_STREQ(kDriverVersion, version);
    EXPECT_STREQ("old", copyright);
    EXPECT_STRNE("old", date);
    // A missing file changes nothing.
    version = date = "old";
    EXPECT_FALSE(ReadFileVersionTexts(KQ_BINARY_DIR "/no-such-file.exe", version, date, &copyright));
    EXPECT_STREQ("old", version);
    EXPECT_STREQ("old", date);
    // The program has both.
    EXPECT_TRUE(ReadFileVersionTexts((kqtest::BuiltProgram()).c_str(), version, date, &copyright));
    EXPECT_STREQ(kProgramVersion, version);
    EXPECT_STREQ(kProgramCopyright, copyright);
    EXPECT_EQ(FileDate(kqtest::BuiltProgram()), std::string(date));
}

// ---- The web link ----------------------------------------------------------------------------

struct OpenerCall {
    DWORD thread = 0;
    HWND owner = nullptr;
    std::string verb, file;
    bool noParameters = false, noDirectory = false;
    int show = 0;
};
std::vector<OpenerCall> g_openerCalls;
HANDLE g_openerEntered, g_openerRelease;

HINSTANCE WINAPI RecordingOpener(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, INT show)
{
    OpenerCall c;
    c.thread = GetCurrentThreadId();
    c.owner = owner;
    c.verb = verb ? verb : "(null)";
    c.file = file ? file : "(null)";
    c.noParameters = params == nullptr;
    c.noDirectory = dir == nullptr;
    c.show = show;
    g_openerCalls.push_back(c);
    SetEvent(g_openerEntered);
    // A browser that takes its time.
    WaitForSingleObject(g_openerRelease, 10000);
    return (HINSTANCE)33;
}

TEST_F(AboutTest, TheWebLinkOpensOnAThreadOfItsOwn)
{
    CAboutPage* page = ShowAbout();
    ASSERT_NE(nullptr, page);
    Restore<HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT)> opener(g_pfnOpenWebLink);
    g_pfnOpenWebLink = RecordingOpener;
    g_openerCalls.clear();
    g_openerEntered = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    g_openerRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND button = GetDlgItem(page->m_hWnd, IDC_ABOUT_WEB_LINK);

    // The click returns while the opener is still busy.
    Click(button);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_openerEntered, 20000));
    Click(button);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_openerEntered, 20000));
    ASSERT_EQ(2u, g_openerCalls.size());
    EXPECT_NE(g_openerCalls[0].thread, g_openerCalls[1].thread);
    for (const OpenerCall& c : g_openerCalls) {
        EXPECT_NE(GetCurrentThreadId(), c.thread);
        EXPECT_EQ(nullptr, c.owner);
        EXPECT_EQ("open", c.verb);
        EXPECT_EQ(kSellerWebAddress, c.file);
        EXPECT_EQ(Text(page, IDC_ABOUT_WEB_LINK), c.file);
        EXPECT_TRUE(c.noParameters);
        EXPECT_TRUE(c.noDirectory);
        EXPECT_EQ(SW_SHOWNORMAL, c.show);
    }
    // Let both end before the opener is put back.
    SetEvent(g_openerRelease);
    DWORD count = 0;
    EXPECT_TRUE(kqtest::WaitFor([&] {
        count = 0;
        for (const OpenerCall& c : g_openerCalls) {
            HANDLE t = OpenThread(SYNCHRONIZE, FALSE, c.thread);
            if (!t || WaitForSingleObject(t, 0) == WAIT_OBJECT_0) ++count;
            if (t) CloseHandle(t);
        }
        return count == 2;
    })) << count << " of the opener threads ended";
    CloseHandle(g_openerEntered);
    CloseHandle(g_openerRelease);
}

// ---- Kestiq.exe ----------------------------------------------------------------------------

std::string RemoteText(HWND w)
{
    char buf[256] = {};
    DWORD_PTR r = 0;
    if (w) SendMessageTimeoutA(w, WM_GETTEXT, sizeof(buf), (LPARAM)buf, SMTO_BLOCK, 5000, &r);
    return buf;
}

class AboutInKestiq : public kqtest::DefaultAdapterTest {
protected:
    kqtest::KestiqProcess m_k;
};

TEST_F(AboutInKestiq, ShowsTheProgramsAndTheInstalledDriversVersions)
{
    ASSERT_TRUE(m_k.Start(kqtest::BuiltProgram()));
    ASSERT_TRUE(m_k.WaitReady(30000));
    HWND window = nullptr;
    ASSERT_TRUE(kqtest::WaitFor([&] {
        window = kqtest::FindProcessWindow(m_k.Pid(), "Tolvane Wireless Utility");
        return window && IsWindowVisible(window);
    }, 30000));
    HWND about = kqtest::FindChildById(window, IDC_NAV_ABOUT);
    ASSERT_NE(nullptr, about);
    DWORD_PTR r = 0;
    SendMessageTimeoutA(about, BM_CLICK, 0, 0, SMTO_BLOCK, 20000, &r);

    // The page fills its rows in the other process: each row is read once
    // the whole page shows what it should, or when the wait gives up.
    kqsim::AdapterState st;
    ASSERT_TRUE(m_sim.GetAdapter(kGuid, st));
    std::vector<AboutRow> rows = ModelSevenRows(kqtest::BuiltProgram(), st.config.mac);
    EXPECT_TRUE(kqtest::WaitFor([&] {
        for (const AboutRow& row : rows)
            if (RemoteText(kqtest::FindChildById(window, row.id)) != row.text) return false;
        return true;
    }));
    for (const AboutRow& row : rows) EXPECT_EQ(row.text, RemoteText(kqtest::FindChildById(window, row.id))) << row.id;
    m_k.Sync();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    m_k.Sync();
    kqtest::SavePng(kqtest::CaptureWindow(window), kqtest::ScreenshotPath("about-kestiq"));
}

}  // namespace
