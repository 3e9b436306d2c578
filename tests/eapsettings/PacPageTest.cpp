// The EAP-FAST page: its two checks and what they enable, Import through
// the system's real file dialog, Remove, the provisioning tunnel, and what
// OK stores of it.
#include "eapsettings/EapFixture.h"

#include <direct.h>

#include "support/BoxAnswer.h"

namespace {

using kqtest::BoxAnswer;
using kqtest::EapTest;

// Answers the file dialog that Import opens, from a second thread: types
// the path into its file name box and presses Open (or Cancel for an empty
// path); keeps the dialog's title and what it offered as the filter.
class FileDialogAnswer {
public:
    explicit FileDialogAnswer(std::string path) : m_path(std::move(path)), m_thread([this] { Run(); }) {}
    ~FileDialogAnswer() { Join(); }
    void Join()
    {
        if (m_thread.joinable()) m_thread.join();
    }
    bool Shown() { Join(); return m_shown; }
    std::string Filter() { Join(); return m_filter; }

private:
    static HWND FindDialog()
    {
        for (HWND w = FindWindowA("#32770", nullptr); w; w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == GetCurrentProcessId() && IsWindowVisible(w) && GetDlgItem(w, IDOK)) return w;
        }
        return nullptr;
    }
    void Run()
    {
        // The dialog shows from the test's click, late on a slow machine.
        HWND dlg = nullptr;
        const DWORD start = GetTickCount();
        while (!(dlg = FindDialog()) && GetTickCount() - start < 30000) Sleep(10);
        if (!dlg) return;
        m_shown = true;
        char text[128] = {};
        // The file-type box (cmb1) shows the filter's name.
        GetDlgItemTextA(dlg, 0x470, text, sizeof(text));
        m_filter = text;
        if (m_path.empty()) {
            PostMessageA(GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0);
            return;
        }
        // The file name box: cmb13 in the explorer layout, edt1 in the old one.
        HWND name = GetDlgItem(dlg, 0x47c);
        if (!name) name = GetDlgItem(dlg, 0x480);
        // As a person browses: into the file's folder first, then the file.
        size_t slash = m_path.find_last_of('\\');
        if (slash != std::string::npos) {
            std::string folder = m_path.substr(0, slash);
            SendMessageA(name, WM_SETTEXT, 0, (LPARAM)folder.c_str());
            SendMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
            SendMessageA(name, WM_SETTEXT, 0, (LPARAM)m_path.substr(slash + 1).c_str());
        } else {
            SendMessageA(name, WM_SETTEXT, 0, (LPARAM)m_path.c_str());
        }
        PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    }

    std::string m_path;
    bool m_shown = false;
    std::string m_filter;
    std::thread m_thread;
};

class PacPage : public EapTest {
protected:
    void SetUp() override
    {
        EapTest::SetUp();
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof(temp), temp);
        m_folder = std::string(temp) + "kq-pac-page";
        CreateDirectoryA(m_folder.c_str(), nullptr);
        m_file = m_folder + "\\corp.pac";
        WriteFile(m_file);
        char cwd[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof(cwd), cwd);
        m_cwd = cwd;
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(m_cwd.c_str());
        for (const std::string& f : m_made) DeleteFileA(f.c_str());
        for (auto d = m_dirs.rbegin(); d != m_dirs.rend(); ++d) RemoveDirectoryA(d->c_str());
        RemoveDirectoryA(m_folder.c_str());
        EapTest::TearDown();
    }
    void WriteFile(const std::string& path)
    {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h) << path;
        DWORD n = 0;
        ::WriteFile(h, "pac", 3, &n, nullptr);
        CloseHandle(h);
        m_made.push_back(path);
    }
    // EAP-FAST with credentials that pass, its PAC tab in front.
    void AddFast()
    {
        AddWpa2();
        Command(m_eap, ID_EAP_FAST);
        Type(m_cred, IDC_CRED_ID, "alice");
        Type(m_cred, IDC_CRED_TUNNEL_ID, "alice");
        Type(m_cred, IDC_CRED_TUNNEL_PASSWORD, "wonderland");
        EapTab(CEapSettingsDlg::TAB_EAP_FAST);
        ASSERT_EQ(m_pac, FrontEapPage());
    }
    // Import, the file dialog answered with path.
    FileDialogAnswer* Import(const std::string& path)
    {
        m_answer.reset(new FileDialogAnswer(path));
        ClickIn(m_pac, IDC_PAC_IMPORT);
        m_answer->Join();
        return m_answer.get();
    }
    std::string CurrentDirectory()
    {
        char cwd[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof(cwd), cwd);
        return cwd;
    }

    std::string m_folder, m_file, m_cwd;
    std::vector<std::string> m_made, m_dirs;
    std::unique_ptr<FileDialogAnswer> m_answer;
};

TEST_F(PacPage, ChecksStartSetAndTheCredentialCheckOpensTheFileControls)
{
    AddFast();
    EXPECT_TRUE(Checked(m_pac, IDC_PAC_UNAUTH));
    EXPECT_TRUE(Checked(m_pac, IDC_PAC_USE_PAC));
    EXPECT_EQ("EAP-MSCHAP v2", ComboSelection(m_pac, IDC_PAC_TUNNEL));
    EXPECT_EQ((std::vector<std::string>{ "EAP-MSCHAP v2", "EAP-TLS / Smart Card", "Generic Token Card" }),
              ComboItems(m_pac, IDC_PAC_TUNNEL));
    const UINT fileControls[] = { IDC_PAC_IMPORT, IDC_PAC_REMOVE, IDC_PAC_PATH, IDC_PAC_LABEL_PATH };
    for (UINT id : fileControls) EXPECT_TRUE(Enabled(m_pac, id)) << id;
    Shot("eap-fast-pac");
    ClickIn(m_pac, IDC_PAC_USE_PAC);
    EXPECT_FALSE(m_pac->m_bUseProtectedCredential);
    for (UINT id : fileControls) EXPECT_FALSE(Enabled(m_pac, id)) << id;
    EXPECT_TRUE(Enabled(m_pac, IDC_PAC_TUNNEL));
    ClickIn(m_pac, IDC_PAC_UNAUTH);
    EXPECT_FALSE(m_pac->m_bAllowUnauthenticated);
    Shot("eap-fast-pac-off");
    std::string name = TextOf(m_sys, IDC_SYS_PROFILE_NAME);
    Ok();
    ASSERT_FALSE(EditorShown());
    EXPECT_EQ("0", Stored(name.c_str(), "UsePAC"));
    EXPECT_EQ("0", Stored(name.c_str(), "ProvisionMode"));
}

TEST_F(PacPage, ImportTakesAnExistingFileAndRemoveForgetsIt)
{
    AddFast();
    FileDialogAnswer* dialog = Import(m_file);
    ASSERT_TRUE(dialog->Shown());
    EXPECT_NE(std::string::npos, dialog->Filter().find("PAC Files(*.pac)")) << dialog->Filter();
    EXPECT_EQ(m_file, TextOf(m_pac, IDC_PAC_PATH));
    // Browsing does not move the folder the profiles' PAC files live in.
    EXPECT_EQ(m_cwd, CurrentDirectory());
    Shot("eap-fast-pac-imported");

    // Cancel keeps the path.
    Import("");
    EXPECT_EQ(m_file, TextOf(m_pac, IDC_PAC_PATH));
    ClickIn(m_pac, IDC_PAC_REMOVE);
    EXPECT_EQ("", TextOf(m_pac, IDC_PAC_PATH));
    Import(m_file);
    std::string name = TextOf(m_sys, IDC_SYS_PROFILE_NAME);
    Ok();
    ASSERT_FALSE(EditorShown());
    EXPECT_EQ(m_file, Stored(name.c_str(), "PACFilePath"));
    EXPECT_EQ("1", Stored(name.c_str(), "UsePAC"));
    EXPECT_EQ("1", Stored(name.c_str(), "ProvisionMode"));
    EXPECT_EQ("3", Stored(name.c_str(), "AuthenProtocol"));

    // Edit shows the file again.
    Edit(name.c_str());
    Tab(EDIT_TAB_8021X);
    EapTab(CEapSettingsDlg::TAB_EAP_FAST);
    EXPECT_EQ(m_file, TextOf(m_pac, IDC_PAC_PATH));
}

TEST_F(PacPage, APathTheProfileCannotKeepIsRefused)
{
    // A real file whose full path is longer than a stored text can be.
    std::string dir = m_folder;
    while (dir.size() < 130) {
        dir += "\\" + std::string(30, 'd');
        CreateDirectoryA(dir.c_str(), nullptr);
        m_dirs.push_back(dir);
    }
    std::string file = dir + "\\far.pac";
    WriteFile(file);
    AddFast();
    Import(m_file);
    {
        BoxAnswer box;
        Import(file);
        EXPECT_EQ("The PAC file path is too long to be kept in the profile.", box.Text());
    }
    EXPECT_EQ(m_file, TextOf(m_pac, IDC_PAC_PATH));
}

TEST_F(PacPage, TheProvisioningTunnelIsStoredAsItsEapType)
{
    const struct { int line; const char* stored; } cases[] = { { 0, "26" }, { 1, "13" }, { 2, "6" } };
    for (const auto& c : cases) {
        AddFast();
        ASSERT_TRUE(PickComboItem(m_pac, IDC_PAC_TUNNEL, ComboItems(m_pac, IDC_PAC_TUNNEL)[c.line]));
        std::string name = TextOf(m_sys, IDC_SYS_PROFILE_NAME);
        Ok();
        ASSERT_FALSE(EditorShown()) << c.line;
        EXPECT_EQ(c.stored, Stored(name.c_str(), "ProvisioningTunnel")) << c.line;
        Edit(name.c_str());
        Tab(EDIT_TAB_8021X);
        EXPECT_EQ(c.line, m_pac->m_nProvisioningTunnel);
        EXPECT_EQ(ComboItems(m_pac, IDC_PAC_TUNNEL)[c.line], ComboSelection(m_pac, IDC_PAC_TUNNEL));
        m_dlg.ShowPage(PANEL_LINK_STATUS);
    }
}

}  // namespace
