// EAP-FAST PAC files: the credential worker's answers to "PAC provisioned"
// and "PAC for authority" against a supplicant library whose calls the test
// answers itself (the library's table entries swapped), with a scratch
// adapter key and a scratch current directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "auth/AcAuthLibrary.h"
#include "auth/AuthLogRing.h"
#include "auth/AuthPort.h"
#include "auth/PacFiles.h"
#include "auth/SupplicantBinding.h"
#include "core/ConnectEngine.h"
#include "core/ProfileStore.h"
#include "core/RegistryStore.h"
#include "core/StationConfig.h"
#include "mainwnd/ScratchAdapterKey.h"
#include "support/Restore.h"

namespace {

using kqtest::Restore;

// What the test's library answers and what it was told.
struct FakeLibrary {
    std::string aid = "AUTHORITY-1", iid = "user", key = "KEY-0123456789", opaque = "OPAQUE-abcdef";
    std::string askedAid = "AUTHORITY-1";
    std::string aidInfo = "Corp authority";
    std::map<std::string, AC_STATUS> status;   // by call
    std::map<std::string, int> length;         // a reader's reported length, by call
    std::vector<std::string> calls;
    AC_HANDLE answeredPac = 1234;              // acCredEapFASTPac's handle (1234: not called)
    std::string pacKey, pacOpaque;             // given to acEapFASTPacCreate
    int liveObjects = 0;
};
FakeLibrary* g_fake = nullptr;

AC_STATUS Call(const char* name)
{
    g_fake->calls.push_back(name);
    auto it = g_fake->status.find(name);
    return it == g_fake->status.end() ? 0 : it->second;
}

AC_STATUS Put(const char* name, const std::string& value, BYTE* buffer, int* length)
{
    AC_STATUS st = Call(name);
    if (st != 0 && st != AC_ALSO_OK) return st;
    int n = (int)value.size() < *length ? (int)value.size() : *length;
    std::memcpy(buffer, value.data(), (size_t)(n < 0 ? 0 : n));
    auto it = g_fake->length.find(name);
    *length = it == g_fake->length.end() ? n : it->second;
    return st;
}

void InstallFake()
{
    g_ac.acCredComplete = [](AC_HANDLE, DWORD) { return Call("acCredComplete"); };
    g_ac.acCredGetEapFASTPacAID = [](AC_HANDLE, DWORD, BYTE* b, int* l) { return Put("PacAID", g_fake->aid, b, l); };
    g_ac.acCredGetEapFASTPacIID = [](AC_HANDLE, DWORD, BYTE* b, int* l) { return Put("PacIID", g_fake->iid, b, l); };
    g_ac.acCredGetEapFASTPacKey = [](AC_HANDLE, DWORD, BYTE* b, int* l) { return Put("PacKey", g_fake->key, b, l); };
    g_ac.acCredGetEapFASTPacOpaque = [](AC_HANDLE, DWORD, BYTE* b, int* l) {
        return Put("PacOpaque", g_fake->opaque, b, l);
    };
    g_ac.acCredGetEapFASTAID = [](AC_HANDLE, DWORD, BYTE* b, int* l) { return Put("AID", g_fake->askedAid, b, l); };
    g_ac.acCredGetEapFASTPacAIDInfo = [](AC_HANDLE, DWORD, char* b, int* l) {
        return Put("PacAIDInfo", g_fake->aidInfo, (BYTE*)b, l);
    };
    g_ac.acCredGetEapFASTPacType = [](AC_HANDLE, DWORD, DWORD* t) {
        *t = 1;
        return Call("PacType");
    };
    g_ac.acCredGetEapFASTPacLifeTime = [](AC_HANDLE, DWORD, DWORD* t) {
        *t = 86400;
        return Call("PacLifeTime");
    };
    g_ac.acEapFASTPacCreate = [](AC_HANDLE* h, const BYTE* key, int kl, const BYTE* op, int ol) {
        g_fake->pacKey.assign((const char*)key, (size_t)kl);
        g_fake->pacOpaque.assign((const char*)op, (size_t)ol);
        *h = 77;
        ++g_fake->liveObjects;
        return Call("PacCreate");
    };
    g_ac.acEapFASTPacDestroy = [](AC_HANDLE* h) {
        if (*h) --g_fake->liveObjects;
        *h = 0;
        return 0;
    };
    g_ac.acCredEapFASTPac = [](AC_HANDLE, DWORD, AC_HANDLE pac) {
        g_fake->answeredPac = pac;
        return Call("EapFASTPac");
    };
}

std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class PacFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_fake = &m_fake;
        InstallFake();
        char cwd[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, cwd);
        m_oldCwd = cwd;
        m_dir = std::string(KQ_BINARY_DIR) + "\\pac-scratch";
        CreateDirectoryA(m_dir.c_str(), nullptr);
        ClearDir();
        ASSERT_TRUE(SetCurrentDirectoryA(m_dir.c_str()));
        GetCurrentDirectoryA(MAX_PATH, cwd);
        m_dir = cwd;   // as the program sees it
        ASSERT_TRUE(m_key.CreateSubkey("Profile\\Station\\Corp"));
        ASSERT_TRUE(WriteAdapterText(REGSTR_CUR_PROFILE, "Corp"));
        m_port.handle = 5;
        UseProfile(true, "DOMAIN\\user@realm");
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(m_oldCwd.c_str());
        ClearDir();
        RemoveDirectoryA(m_dir.c_str());
        SetPortPacFilePath("");
        NotePortProfile(nullptr);
        g_fake = nullptr;
    }
    void ClearDir()
    {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((m_dir + "\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return;
        do {
            std::string p = m_dir + "\\" + fd.cFileName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryA(p.c_str());
            else DeleteFileA(p.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }

    // The port configured as the binding does: for a stored profile (the
    // adapter key's CurProfile) or a one-off connection.
    void UseProfile(bool stored, const char* outerIdentity, const char* pacPath = "")
    {
        StationConfig p = {};
        p.matchByBssid = 0;
        std::strcpy(p.pacFilePath, pacPath);
        g_bConfigFromRegistry = stored ? 1 : 0;
        NotePortProfile(&p);
        std::strcpy(m_port.outerIdentityText, outerIdentity);
    }
    std::string Path(const char* name) { return m_dir + "\\" + name; }
    CString ProfileValue()
    {
        CString s;
        ReadAdapterText("PACFilePath", s, "Profile\\Station\\Corp");
        return s;
    }
    CString AdapterValue()
    {
        CString s;
        ReadAdapterText("PACFilePath", s);
        return s;
    }
    // The worker's answer to a PAC request; true when a PAC went to the library.
    bool Load(const char* outerIdentity)
    {
        std::strcpy(m_port.outerIdentityText, outerIdentity);
        m_fake.calls.clear();
        m_fake.answeredPac = 1234;
        LoadPacForAuthority(&m_port, &m_request);
        EXPECT_EQ(0, m_fake.liveObjects);
        EXPECT_EQ("acCredComplete", m_fake.calls.empty() ? "" : m_fake.calls.back());
        return m_fake.answeredPac != 0 && m_fake.answeredPac != 1234;
    }
    void Provision()
    {
        m_fake.calls.clear();
        SaveProvisionedPac(&m_port, &m_request);
    }
    void WriteRecord(const std::string& path, DWORD a, DWORD i, DWORD k, DWORD o, size_t size = kPacFileSize)
    {
        std::string bytes(kPacFileSize, '\0');
        DWORD lengths[4] = {a, i, k, o};
        std::memcpy(&bytes[0], lengths, 16);
        bytes.resize(size);
        std::ofstream(path, std::ios::binary) << bytes;
    }

    FakeLibrary m_fake;
    Restore<AcAuthLibrary> m_lib{g_ac};
    Restore<BOOL> m_fromRegistry{g_bConfigFromRegistry};
    kqtest::ScratchAdapterKey m_key{"9922"};
    AUTH_PORT m_port = {};
    AUTH_CRED_REQUEST m_request = {42, 13, 0, {}};
    std::string m_dir, m_oldCwd;
};

TEST_F(PacFilesTest, ProvisionedPacIsFoundAgainForTheSameUserName)
{
    Provision();
    std::string file = Path("Corp.pac");
    std::string bytes = ReadFile(file);
    ASSERT_EQ(kPacFileSize, bytes.size());
    PAC_FILE_RECORD r;
    std::memcpy(&r, bytes.data(), sizeof(r));
    EXPECT_EQ(11u, r.aidLength);
    EXPECT_EQ(4u, r.iidLength);
    EXPECT_EQ(14u, r.keyLength);
    EXPECT_EQ(13u, r.opaqueLength);
    EXPECT_EQ("AUTHORITY-1userKEY-0123456789OPAQUE-abcdef", std::string((char*)r.data, 42));
    EXPECT_EQ(std::string(kPacDataSize - 42, '\0'), std::string((char*)r.data + 42, kPacDataSize - 42));
    EXPECT_EQ(file, std::string(ProfileValue()));
    EXPECT_EQ(file, std::string(AdapterValue()));
    EXPECT_EQ(file, GetPortPacFilePath());
    EXPECT_EQ((std::vector<std::string>{"PacAID", "PacIID", "PacKey", "PacOpaque", "PacAIDInfo", "PacType",
                                        "PacLifeTime", "acCredComplete"}),
              m_fake.calls);

    struct {
        const char* outer;
        bool found;
    } cases[] = {
        {"DOMAIN\\user@realm", true}, {"user", true},   {"OTHER\\user", true}, {"user@else", true},
        {"user2", false},             {"xuser", false}, {"DOMAIN\\user2@realm", false}, {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.found, Load(c.outer)) << c.outer;
        if (c.found) {
            EXPECT_EQ(m_fake.key, m_fake.pacKey) << c.outer;
            EXPECT_EQ(m_fake.opaque, m_fake.pacOpaque) << c.outer;
        }
    }
    // Another authority's request does not get it; the file stays.
    m_fake.askedAid = "AUTHORITY-2";
    EXPECT_FALSE(Load("user"));
    m_fake.askedAid = "AUTHORITY-";
    EXPECT_FALSE(Load("user"));
    EXPECT_TRUE(Exists(file));
}

TEST_F(PacFilesTest, OneOffConnectionUsesCurrentPacAndLeavesTheProfileAlone)
{
    ASSERT_TRUE(WriteProfileValue("Corp", PV_PAC_FILE_PATH, "C:\\kept.pac"));
    // Not from the registry (one-off, hidden SSID, WPS), or joined by BSSID.
    for (int way = 0; way < 2; ++way) {
        StationConfig p = {};
        p.matchByBssid = way == 1 ? 1 : 0;
        g_bConfigFromRegistry = way == 1 ? 1 : 0;
        NotePortProfile(&p);
        Provision();
        EXPECT_TRUE(Exists(Path("current.pac"))) << way;
        EXPECT_FALSE(Exists(Path("Corp.pac"))) << way;
        EXPECT_EQ(Path("current.pac"), std::string(AdapterValue())) << way;
        EXPECT_STREQ("C:\\kept.pac", ProfileValue()) << way;
        EXPECT_TRUE(Load("user")) << way;
        DeleteFileA(Path("current.pac").c_str());
    }
}

TEST_F(PacFilesTest, ProfileNamesNeverLeaveTheFolderNameNoDeviceAndNeverShareAFile)
{
    // A character a file name cannot hold, and the escape itself, are
    // written as '%' and two hex digits; a name Windows takes for a device
    // (whatever follows its first point) has its first character written so.
    struct {
        const char* profile;
        const char* file;
    } cases[] = {
        {"..\\..\\evil", "..%5C..%5Cevil.pac"}, {"C:evil", "C%3Aevil.pac"}, {"a/b", "a%2Fb.pac"},
        {"<con>", "%3Ccon%3E.pac"},             {"..", "...pac"},           {"", "current.pac"},
        {"a:b", "a%3Ab.pac"},                   {"a_b", "a_b.pac"},         {"a%3Ab", "a%253Ab.pac"},
        {"50%", "50%25.pac"},                   {"Corp Wi-Fi", "Corp Wi-Fi.pac"},
        {"NUL", "%4EUL.pac"},                   {"nul", "%6Eul.pac"},       {"CON", "%43ON.pac"},
        {"PRN", "%50RN.pac"},                   {"AUX", "%41UX.pac"},       {"COM1", "%43OM1.pac"},
        {"com9", "%63om9.pac"},                 {"LPT1", "%4CPT1.pac"},     {"LPT0", "%4CPT0.pac"},
        {"COM1.txt", "%43OM1.txt.pac"},         {"NUL .x", "%4EUL .x.pac"}, {"CONIN$", "%43ONIN$.pac"},
        {"CONOUT$", "%43ONOUT$.pac"},           {"COM\xB9", "%43OM\xB9.pac"},
        {"COM10", "COM10.pac"},                 {"NULL", "NULL.pac"},       {"LPT", "LPT.pac"},
        {"CONSOLE", "CONSOLE.pac"},             {"x.NUL", "x.NUL.pac"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteAdapterText(REGSTR_CUR_PROFILE, c.profile));
        char path[MAX_PATH];
        ASSERT_TRUE(GetPacFilePath(path, sizeof(path))) << c.profile;
        EXPECT_EQ(Path(c.file), path) << c.profile;
    }
    // Each of those names provisions a file of its own: a file of the
    // folder's listing (never a device), one no other name shares, found
    // again by its next login.
    std::map<std::string, std::string> saved;   // path recorded, by profile
    std::map<std::string, std::string> users;   // the user each PAC was issued to
    for (const auto& c : cases) {
        if (!*c.profile) continue;
        ASSERT_TRUE(WriteAdapterText(REGSTR_CUR_PROFILE, c.profile));
        m_fake.iid = users[c.profile] = "user" + std::to_string(users.size());
        Provision();
        EXPECT_EQ("acCredComplete", m_fake.calls.back()) << c.profile;
        saved[c.profile] = GetPortPacFilePath();
    }
    std::map<std::string, DWORD> listed;   // the folder's files and their sizes
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((m_dir + "\\*.pac").c_str(), &fd);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    do listed[m_dir + "\\" + fd.cFileName] = fd.nFileSizeLow;
    while (FindNextFileA(find, &fd));
    FindClose(find);
    std::map<std::string, std::string> owner;
    for (const auto& s : saved) {
        EXPECT_EQ(kPacFileSize, listed.count(s.second) ? listed[s.second] : 0) << s.first << ": " << s.second;
        EXPECT_TRUE(owner.emplace(s.second, s.first).second) << s.first << " shares " << s.second << " with "
                                                             << owner[s.second];
    }
    for (const auto& s : saved) {
        UseProfile(true, "", s.second.c_str());
        EXPECT_TRUE(Load(users[s.first].c_str())) << s.first;
    }
    // A name that does not fit the caller's buffer gives no name at all.
    char small[8] = "x";
    EXPECT_FALSE(GetPacFilePath(small, sizeof(small)));
    EXPECT_STREQ("", small);
}

TEST_F(PacFilesTest, APathLongerThanTheStoreKeepsIsNeverProvisionedTo)
{
    // The store reads a path back to 127 characters: a folder deep enough
    // for exactly that is used, one character more is refused and said so.
    const std::string file = "\\Corp.pac";
    for (size_t length : {127u, 128u}) {
        SCOPED_TRACE(length);
        ASSERT_TRUE(WriteProfileValue("Corp", PV_PAC_FILE_PATH, "C:\\kept.pac"));
        ASSERT_TRUE(WriteAdapterText("PACFilePath", "C:\\kept.pac"));
        std::string dir = m_dir + "\\" + std::string(length - file.size() - m_dir.size() - 1, 'd');
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
        ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
        const std::string path = dir + file;
        ASSERT_EQ(length, path.size());
        std::memset(&g_AuthLogRing, 0, sizeof(g_AuthLogRing));
        SetPortPacFilePath("");
        Provision();
        EXPECT_EQ("acCredComplete", m_fake.calls.back());
        bool kept = length <= 127;
        EXPECT_EQ(kept, Exists(path));
        EXPECT_EQ(kept ? path : std::string("C:\\kept.pac"), std::string(ProfileValue()));
        EXPECT_EQ(kept ? path : std::string("C:\\kept.pac"), std::string(AdapterValue()));
        EXPECT_EQ(kept ? path : std::string(), GetPortPacFilePath());
        EXPECT_EQ(kept ? "" : "EAP-FAST PAC not saved: its file path is too long.",
                  std::string(g_AuthLogRing.lines[0]));
        if (kept) EXPECT_TRUE(Load("user"));
        DeleteFileA(path.c_str());
        SetCurrentDirectoryA(m_dir.c_str());
        RemoveDirectoryA(dir.c_str());
    }
}

TEST_F(PacFilesTest, BadFilesAreIgnoredAndOnlyImpossibleOnesDeleted)
{
    struct {
        const char* name;
        DWORD a, i, k, o;
        size_t size;
        bool kept;
    } cases[] = {
        {"1039 bytes", 11, 4, 14, 13, 1039, true},
        {"lengths add up to 1025", 11, 4, 10, 1000, kPacFileSize, false},
        {"lengths wrap round", 0xFFFFFFFF, 2, 0, 0, kPacFileSize, false},
        {"each length too long", 2000, 0, 0, 0, kPacFileSize, false},
        {"empty record", 0, 0, 0, 0, kPacFileSize, true},
    };
    std::string file = Path("imported.pac");
    for (const auto& c : cases) {
        WriteRecord(file, c.a, c.i, c.k, c.o, c.size);
        UseProfile(true, "user", file.c_str());
        EXPECT_FALSE(Load("user")) << c.name;
        EXPECT_EQ(c.kept, Exists(file)) << c.name;
        DeleteFileA(file.c_str());
    }
    // No file at all: the library provisions.
    UseProfile(true, "user", Path("missing.pac").c_str());
    EXPECT_FALSE(Load("user"));
}

TEST_F(PacFilesTest, LibraryFailuresKeepTheStoredPacAndNeverOverrun)
{
    // Two bytes past the free space, a negative length, a failing reader,
    // -35 from a reader: nothing written, no path recorded.
    struct {
        const char* name;
        const char* call;
        AC_STATUS status;
        int length;
        int completions;
    } cases[] = {
        {"key beyond the free bytes", "PacKey", 0, (int)kPacDataSize - 15 + 2, 1},
        {"negative length", "PacIID", 0, -1, 1},
        {"reader fails", "PacOpaque", -5, 0, 0},
        {"reader says complete once more", "PacAID", AC_RETRY_COMPLETE, 0, 1},
    };
    ASSERT_TRUE(WriteProfileValue("Corp", PV_PAC_FILE_PATH, "C:\\kept.pac"));
    for (const auto& c : cases) {
        m_fake.status.clear();
        m_fake.length.clear();
        if (c.status) m_fake.status[c.call] = c.status;
        else m_fake.length[c.call] = c.length;
        Provision();
        EXPECT_FALSE(Exists(Path("Corp.pac"))) << c.name;
        EXPECT_STREQ("C:\\kept.pac", ProfileValue()) << c.name;
        int completions = 0;
        for (const auto& call : m_fake.calls) completions += call == "acCredComplete";
        EXPECT_EQ(c.completions, completions) << c.name;
    }
}

TEST_F(PacFilesTest, AFileThatCannotBeWrittenStillCompletesTheRequest)
{
    ASSERT_TRUE(CreateDirectoryA(Path("Corp.pac").c_str(), nullptr));   // in the file's way
    Provision();
    EXPECT_EQ("acCredComplete", m_fake.calls.back());
    EXPECT_TRUE(GetFileAttributesA(Path("Corp.pac").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    // -35 on completion asks for one more.
    RemoveDirectoryA(Path("Corp.pac").c_str());
    m_fake.status["acCredComplete"] = AC_RETRY_COMPLETE;
    Provision();
    EXPECT_EQ(2, (int)std::count(m_fake.calls.begin(), m_fake.calls.end(), "acCredComplete"));
}

TEST_F(PacFilesTest, RejectedPacDeletesOnlyTheConnectionsFile)
{
    Provision();
    WriteRecord(Path("Other.pac"), 0, 0, 0, 0);
    WriteRecord(Path("current.pac"), 0, 0, 0, 0);
    DeletePacFile(&m_port);
    EXPECT_FALSE(Exists(Path("Corp.pac")));
    EXPECT_TRUE(Exists(Path("Other.pac")));
    EXPECT_TRUE(Exists(Path("current.pac")));
    DeletePacFile(&m_port);   // already gone: nothing happens
}

TEST_F(PacFilesTest, PacInfoNamesWhatTheLibraryDoesNotGive)
{
    EXPECT_EQ("PAC A-ID info: Corp authority\nPAC type: 1\nPAC lifetime: 86400\n", GetPacInfo(&m_port, &m_request));
    m_fake.aidInfo = "";
    m_fake.status["PacType"] = -1;
    EXPECT_EQ("PAC A-ID info: <UNKNOWN>\nPAC type: <UNKNOWN>\nPAC lifetime: 86400\n",
              GetPacInfo(&m_port, &m_request));
    m_fake.status["PacAIDInfo"] = -1;
    m_fake.aidInfo = "x";
    EXPECT_EQ(0u, GetPacInfo(&m_port, &m_request).find("PAC A-ID info: <UNKNOWN>\n"));
}

TEST(PacUserNameTest, DomainAndRealmAreCutOff)
{
    struct {
        const char* identity;
        const char* user;
    } cases[] = {
        {"DOMAIN\\user@realm", "user"}, {"user", "user"},   {"OTHER\\user", "user"}, {"user@else", "user"},
        {"a\\b\\c", "b\\c"},             {"@realm", ""},    {"DOM\\", ""},           {"x@y\\z", "x"},
        {"", ""},
    };
    for (const auto& c : cases) {
        const char* user = nullptr;
        size_t n = 99;
        ExtractUserName(c.identity, std::strlen(c.identity), &user, &n);
        EXPECT_EQ(c.user, std::string(user, n)) << c.identity;
    }
}

}  // namespace
