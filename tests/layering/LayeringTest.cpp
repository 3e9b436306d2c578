// The house rules of the README's layout table, checked on the tree: every
// `#include "folder/..."` of the product and the stand-ins must point to a
// folder its own folder may use.  A failure names the file and the line.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// What each folder may include besides itself.  The doors upward
// (core/ControllerDoor.h, core/EngineDoor.h, pagebase/PanelDoor.h) are
// declared below their callers, so no rule needs an exception for them.
const std::map<std::string, std::set<std::string>> kMayUse = {
    { "classlib", {} },
    { "res", {} },
    { "widgets", { "classlib" } },
    { "core", { "classlib", "auth" } },
    { "auth", { "classlib", "core" } },
    { "pagebase", { "classlib" } },
    { "pages", { "classlib", "widgets", "core", "auth", "pagebase" } },
    { "mainwnd", { "classlib", "widgets", "core", "auth", "pagebase", "pages" } },
    { "app", { "classlib", "widgets", "core", "auth", "pagebase", "pages", "mainwnd" } },
    { "sim", {} },
};

// Headers only their own folder may include: the supplicant library's table
// belongs to the binding.  The stand-in of that library implements its
// interface and is the one outside user of auth/AcAuthApi.h.
struct Private {
    const char* header;
    const char* allowedPrefix[2];
};
const Private kPrivate[] = {
    { "auth/AcAuthApi.h", { "auth/", "sim/acauth/" } },
    { "auth/AcAuthLibrary.h", { "auth/", nullptr } },
};

struct Include {
    std::string file;   // relative to the tree, with '/'
    int line;
    std::string target; // as written
};

bool IsBuildFile(const std::string& name)
{
    return name == "CMakeLists.txt" || (name.size() > 6 && name.compare(name.size() - 6, 6, ".cmake") == 0);
}

bool IsSource(const std::string& name)
{
    for (const char* ext : { ".h", ".cpp", ".c" }) {
        size_t n = std::strlen(ext);
        if (name.size() > n && name.compare(name.size() - n, n, ext) == 0) return true;
    }
    return false;
}

void Walk(const std::string& root, const std::string& rel, std::vector<std::string>& out,
          bool (*wanted)(const std::string&) = IsSource)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((root + "/" + rel + "/*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = rel + "/" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Walk(root, path, out, wanted);
        else if (wanted(name)) out.push_back(path);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

std::vector<Include> ReadIncludes(const std::string& root, const std::string& file)
{
    std::vector<Include> out;
    std::ifstream in(root + "/" + file);
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        size_t p = text.find_first_not_of(" \t");
        if (p == std::string::npos || text.compare(p, 1, "#") != 0) continue;
        p = text.find_first_not_of(" \t", p + 1);
        if (p == std::string::npos || text.compare(p, 7, "include") != 0) continue;
        size_t open = text.find('"', p);
        size_t close = open == std::string::npos ? open : text.find('"', open + 1);
        if (close == std::string::npos) continue;
        out.push_back({ file, line, text.substr(open + 1, close - open - 1) });
    }
    return out;
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.find('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool StartsWith(const std::string& s, const char* prefix)
{
    return prefix && s.compare(0, std::strlen(prefix), prefix) == 0;
}

// The arrows of the given files that break a rule, one line each.
std::vector<std::string> Violations(const std::string& root, const std::vector<std::string>& files)
{
    std::vector<std::string> bad;
    for (const std::string& file : files) {
        const std::string from = FolderOf(file);
        auto rules = kMayUse.find(from);
        if (rules == kMayUse.end()) continue;
        for (const Include& inc : ReadIncludes(root, file)) {
            std::string where = inc.file + ":" + std::to_string(inc.line) + ": \"" + inc.target + "\"";
            // "resource.h" and the like: the same folder or res/, never a layer above.
            std::string to = FolderOf(inc.target);
            if (to.empty() || to == "..") {
                if (from == "sim" && inc.target.find("../") == 0 && inc.target.find("../common/") != 0)
                    bad.push_back(where + " leaves the stand-ins' own headers");
                continue;
            }
            bool privateHeader = false, privateAllowed = false;
            for (const Private& p : kPrivate) {
                if (inc.target != p.header) continue;
                privateHeader = true;
                privateAllowed = StartsWith(inc.file, p.allowedPrefix[0]) || StartsWith(inc.file, p.allowedPrefix[1]);
            }
            if (privateHeader && !privateAllowed)
                bad.push_back(where + ": " + inc.target + " is the binding's own");
            else if (to != from && !rules->second.count(to) && !privateHeader)
                bad.push_back(where + ": " + from + "/ may not use " + to + "/");
        }
    }
    return bad;
}

std::vector<std::string> TreeFiles(const std::string& root)
{
    std::vector<std::string> files;
    for (const auto& rule : kMayUse) Walk(root, rule.first, files);
    return files;
}

const std::string kRoot = KQ_SOURCE_DIR;

}  // namespace

TEST(Layering, EveryIncludeOfTheTreePointsDown)
{
    std::vector<std::string> files = TreeFiles(kRoot);
    ASSERT_GT(files.size(), 100u) << "the tree was not found under " << kRoot;
    std::vector<std::string> bad = Violations(kRoot, files);
    for (const std::string& b : bad) ADD_FAILURE() << b;
    EXPECT_TRUE(bad.empty());
}

// Movable memory has one place: core/MovableMemory.cpp allocates, locks and
// frees it for every record of the product.
TEST(Layering, MovableMemoryIsAllocatedByItsModuleOnly)
{
    const char* const calls[] = { "GlobalAlloc", "GlobalLock", "GlobalUnlock", "GlobalFree",
                                  "GlobalHandle", "GlobalSize", "GlobalReAlloc" };
    std::vector<std::string> bad;
    for (const std::string& file : TreeFiles(kRoot)) {
        if (file == "core/MovableMemory.cpp" || FolderOf(file) == "sim") continue;
        std::ifstream in(kRoot + "/" + file);
        std::string text;
        for (int line = 1; std::getline(in, text); ++line)
            for (const char* call : calls)
                if (text.find(std::string(call) + "(") != std::string::npos)
                    bad.push_back(file + ":" + std::to_string(line) + ": " + call);
    }
    for (const std::string& b : bad) ADD_FAILURE() << b << " outside core/MovableMemory.cpp";
}

// Pages and panels reach the engine through core/EngineDoor.h: none of
// them assigns one of the engine's flags itself.
TEST(Layering, PagesNeverWriteTheEnginesFlags)
{
    const char* const flags[] = { "g_bConfigFromRegistry", "g_bAutoConnect", "g_bSkipNextScan",
                                  "g_bScanPending", "g_bUseRegistryProfileSecurity", "g_bWscInUse" };
    std::vector<std::string> bad;
    for (const std::string& file : TreeFiles(kRoot)) {
        if (FolderOf(file) != "pages" && FolderOf(file) != "pagebase") continue;
        std::ifstream in(kRoot + "/" + file);
        std::string text;
        for (int line = 1; std::getline(in, text); ++line)
            for (const char* flag : flags) {
                size_t at = text.find(flag);
                if (at == std::string::npos) continue;
                size_t op = text.find_first_not_of(" \t", at + std::strlen(flag));
                if (op != std::string::npos && text[op] == '=' && (op + 1 >= text.size() || text[op + 1] != '='))
                    bad.push_back(file + ":" + std::to_string(line) + ": " + flag);
            }
    }
    for (const std::string& b : bad) ADD_FAILURE() << b << " is the engine's: use core/EngineDoor.h";
}

// What the tests and benchmarks read lives in the repository: no source
// or build file of theirs names a place beside the tree.
TEST(Layering, TestsAndBenchmarksReadOnlyWhatTheRepositoryHolds)
{
    std::vector<std::string> files;
    for (const char* top : { "tests", "bench" }) {
        Walk(kRoot, top, files);
        Walk(kRoot, top, files, IsBuildFile);
    }
    ASSERT_GT(files.size(), 50u) << "the tests were not found under " << kRoot;
    const char* const outside[] = { "../shared", "shared/testdata", "CMAKE_SOURCE_DIR}/..", "SOURCE_DIR \"/.." };
    std::vector<std::string> bad;
    for (const std::string& file : files) {
        if (file == "tests/layering/LayeringTest.cpp") continue;
        std::ifstream in(kRoot + "/" + file);
        std::string text;
        for (int line = 1; std::getline(in, text); ++line)
            for (const char* o : outside)
                if (text.find(o) != std::string::npos) {
                    bad.push_back(file + ":" + std::to_string(line) + ": " + text);
                    break;
                }
    }
    for (const std::string& b : bad) ADD_FAILURE() << b << " reads outside the repository";
}

// The checker itself: planted files of a scratch tree, each with one arrow.
TEST(Layering, PlantedArrowsAreNamedWithFileAndLine)
{
    char tmp[MAX_PATH];
    ASSERT_TRUE(GetTempPathA(sizeof(tmp), tmp));
    std::string root = std::string(tmp) + "kq_layering_" + std::to_string(GetCurrentProcessId());
    struct Case {
        const char* file;
        const char* text;
        bool bad;
    };
    const Case cases[] = {
        { "core/Up.cpp", "// x\n#include \"mainwnd/ConfigMainDlg.h\"\n", true },
        { "core/Door.cpp", "#include \"core/ControllerDoor.h\"\n#include \"auth/AuthPort.h\"\n", false },
        { "widgets/Flag.cpp", "#include \"app/HideDlg.h\"\n", true },
        { "pages/Table.cpp", "  #  include \"auth/AcAuthLibrary.h\"\n", true },
        { "pages/Port.cpp", "#include \"auth/SupplicantBinding.h\"\n#include \"resource.h\"\n", false },
        { "pagebase/Base.cpp", "#include \"pages/ProfilePage.h\"\n", true },
        { "sim/acauth/Hash.cpp", "#include \"core/PasswordHash.h\"\n", true },
        { "sim/acauth/Api.cpp", "#include \"auth/AcAuthApi.h\"\n#include <windows.h>\n", false },
        { "app/Top.cpp", "#include \"mainwnd/ConfigMainDlg.h\"\n#include \"pages/PeapSettingDlg.h\"\n", false },
    };
    ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
    std::vector<std::string> files;
    for (const Case& c : cases) {
        std::string path = root + "/" + c.file;
        for (size_t i = root.size() + 1; i < path.size(); ++i)
            if (path[i] == '/') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
        std::ofstream(path) << c.text;
        files.push_back(c.file);
    }
    for (const Case& c : cases) {
        std::vector<std::string> bad = Violations(root, { c.file });
        EXPECT_EQ(c.bad, !bad.empty()) << c.file;
        // Sim's allowed auth header aside, a wrong arrow names its file and line.
        for (const std::string& b : bad) EXPECT_EQ(0u, b.find(std::string(c.file) + ":")) << b;
    }
    EXPECT_NE(std::string::npos, Violations(root, { "core/Up.cpp" }).at(0).find("core/Up.cpp:2:"));
    for (const Case& c : cases) DeleteFileA((root + "/" + c.file).c_str());
    for (const char* d : { "core", "widgets", "pages", "pagebase", "sim/acauth", "sim", "app" })
        RemoveDirectoryA((root + "/" + d).c_str());
    RemoveDirectoryA(root.c_str());
}
