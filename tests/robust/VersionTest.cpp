// The version resources the About page reads: the program's own file and the
// adapter's driver file, through ReadFileVersionTexts as the page calls it
// (with the copyright for the program, without for the driver), on a file
// whose version block is the real one of Kestiq.exe or of the simulated
// driver with its lengths, types and keys changed.  The block the system
// copies out lies in a movable block that ends at a no-access page.
#include "Robust.h"

#include <cstdio>
#include <string>

#include "classlib/CString.h"
#include "pages/AboutPage.h"

namespace {

using robust::Bytes;

const char kProgram[] = KQ_BINARY_DIR "/Kestiq.exe";
const char kDriver[] = KQ_BINARY_DIR "/sim/bin/kqsim.sys";

// The raw RT_VERSION resource of a file.
Bytes VersionResource(const char* path)
{
    Bytes b;
    HMODULE m = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!m) return b;
    HRSRC r = FindResourceA(m, MAKEINTRESOURCEA(1), RT_VERSION);
    if (r) {
        const BYTE* p = (const BYTE*)LockResource(LoadResource(m, r));
        DWORD n = SizeofResource(m, r);
        if (p) b.assign(p, p + n);
    }
    FreeLibrary(m);
    return b;
}

std::string TempPath(const char* prefix)
{
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, prefix, 0, path);
    return path;
}

bool ReplaceVersion(const std::string& path, const Bytes& block)
{
    HANDLE u = BeginUpdateResourceA(path.c_str(), TRUE);
    if (!u) return false;
    BYTE none = 0;
    UpdateResourceA(u, RT_VERSION, MAKEINTRESOURCEA(1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                    block.empty() ? &none : (void*)block.data(), (DWORD)block.size());
    return EndUpdateResourceA(u, FALSE) != FALSE;
}

Bytes ReadWhole(const std::string& path)
{
    Bytes b;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return b;
    b.resize(GetFileSize(h, nullptr));
    DWORD got = 0;
    ReadFile(h, b.data(), (DWORD)b.size(), &got, nullptr);
    CloseHandle(h);
    return b;
}

// A copy of the simulated driver whose version resource has room for `capacity`
// bytes at a known place in the file, so that each input is written over it
// in place; inputs of other sizes get a resource of their own size.
class VersionHost {
public:
    explicit VersionHost(size_t capacity) : m_capacity(capacity), m_path(TempPath("kqr"))
    {
        CopyFileA(kDriver, m_path.c_str(), FALSE);
        Bytes marker(capacity);
        for (size_t i = 0; i < capacity; ++i) marker[i] = (BYTE)(0xA5 ^ (i * 7) ^ (i >> 8));
        if (!ReplaceVersion(m_path, marker)) return;
        Bytes file = ReadWhole(m_path);
        for (size_t at = 0; at + capacity <= file.size(); ++at)
            if (std::memcmp(&file[at], marker.data(), capacity) == 0) {
                m_offset = (long)at;
                break;
            }
        m_sized = TempPath("kqs");
        CopyFileA(kDriver, m_sized.c_str(), FALSE);
    }
    ~VersionHost()
    {
        DeleteFileA(m_path.c_str());
        DeleteFileA(m_sized.c_str());
    }
    bool ok() const { return m_offset >= 0; }
    // The file that now holds block as its version resource.
    const std::string& Put(const Bytes& block, bool exactSize)
    {
        if (exactSize || block.size() > m_capacity) {
            ReplaceVersion(m_sized, block);
            return m_sized;
        }
        Bytes padded(block);
        padded.resize(m_capacity, 0);
        HANDLE h = CreateFileA(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFilePointer(h, m_offset, nullptr, FILE_BEGIN);
        DWORD written = 0;
        WriteFile(h, padded.data(), (DWORD)padded.size(), &written, nullptr);
        CloseHandle(h);
        return m_path;
    }

private:
    size_t m_capacity;
    std::string m_path, m_sized;
    long m_offset = -1;
};

// Offsets of the nodes of a version block (header words at +0, +2, +4), for
// the mutations to aim at.
void NodeOffsets(const Bytes& b, size_t at, size_t end, int depth, std::vector<size_t>& out)
{
    if (depth > 6 || at + 6 > end) return;
    WORD length = robust::Le16(b, at), valueLength = robust::Le16(b, at + 2), type = robust::Le16(b, at + 4);
    if (length < 6 || at + length > end) return;
    out.push_back(at);
    size_t key = at + 6;
    while (key + 2 <= at + length && robust::Le16(b, key)) key += 2;
    size_t child = (key + 2 + 3) & ~(size_t)3;
    child = (child + (type ? 2u : 1u) * valueLength + 3) & ~(size_t)3;
    while (child + 6 <= at + length) {
        WORD cl = robust::Le16(b, child);
        if (cl < 6) break;
        NodeOffsets(b, child, at + length, depth + 1, out);
        child = (child + cl + 3) & ~(size_t)3;
    }
}

Bytes MutateVersion(const Bytes& seed, robust::Rng& rng)
{
    Bytes b = seed;
    std::vector<size_t> nodes;
    NodeOffsets(b, 0, b.size(), 0, nodes);
    auto put = [&](size_t at, WORD v) {
        if (at + 2 <= b.size()) std::memcpy(&b[at], &v, 2);
    };
    switch (rng.Below(4)) {
    case 0:   // the root claims more than the resource holds
        put(0, (WORD)(robust::Le16(b, 0) + 4 * (1 + rng.Below(128))));
        return b;
    case 1:   // a node claims everything, and the next one a little more than it holds
        if (nodes.size() > 2) {
            size_t k = 1 + rng.Below((uint32_t)nodes.size() - 1);
            put(nodes[k], rng.OneIn(2) ? 0xFFFF : (WORD)(robust::Le16(b, nodes[k]) + 4 * (1 + rng.Below(64))));
            if (k + 1 < nodes.size()) put(nodes[k + 1], (WORD)(robust::Le16(b, nodes[k + 1]) + 2 * (1 + rng.Below(32))));
        }
        return b;
    default: break;
    }
    int changes = 1 + (int)rng.Below(3);
    for (int k = 0; k < changes && !nodes.empty(); ++k) {
        size_t at = rng.Pick(nodes);
        size_t field = at + 2 * rng.Below(3);
        WORD old = robust::Le16(b, field);
        static const WORD edges[] = { 0, 1, 2, 5, 6, 7, 0x30, 0x4E, 0x100, 0x200, 0x300, 0x7FFF, 0xFFFF };
        WORD v;
        switch (rng.Below(4)) {
        case 0: v = rng.Pick(edges); break;
        case 1: v = (WORD)(old + 1 + rng.Below(8)); break;
        case 2: v = (WORD)(old - 1 - rng.Below(8)); break;
        default: v = (WORD)(old * (2 + rng.Below(2))); break;
        }
        if (field + 2 <= b.size()) std::memcpy(&b[field], &v, 2);
    }
    if (rng.OneIn(3)) robust::Mutate(b, rng);
    return b;
}

// The fixed part the root names, as the reader must show it when it takes
// the block: "%d.%d.%d.%d\n" of the file version.
bool ExpectedVersion(const Bytes& b, std::string* text)
{
    if (b.size() < 40 + 16 || robust::Le32(b, 40) != VS_FFI_SIGNATURE) return false;
    DWORD ms = robust::Le32(b, 48), ls = robust::Le32(b, 52);
    char t[64];
    std::snprintf(t, sizeof(t), "%d.%d.%d.%d\n", (int)HIWORD(ms), (int)LOWORD(ms), (int)HIWORD(ls), (int)LOWORD(ls));
    *text = t;
    return true;
}

void CheckRead(robust::Reader& reader, long i, const std::string& path, const Bytes& block, bool withCopyright)
{
    CString version = "kept\n", date = "kept", copyright = "kept";
    BOOL ok = ReadFileVersionTexts(path.c_str(), version, date, withCopyright ? &copyright : nullptr);
    // The real block, unchanged, reads whole.
    if (i == 0)
        reader.Check(ok && date != "kept" && (!withCopyright || copyright == "Copyright (C) 2026 Obrint"), i,
                     "the file's own block does not read");
    if (!ok) {
        reader.Check(version == "kept\n" && date == "kept" && copyright == "kept", i,
                     "a block not taken changed the texts");
        return;
    }
    std::string expected;
    if (!reader.Check(ExpectedVersion(block, &expected), i, "a block without a fixed part was taken")) return;
    reader.Check(expected == version.GetString(), i, "version \"" + std::string(version.GetString()) +
                                                          "\", the block says \"" + expected + "\"");
    if (copyright != "kept")
        reader.Check(withCopyright && (size_t)copyright.GetLength() < block.size() &&
                         std::strlen(copyright.GetString()) == (size_t)copyright.GetLength(),
                     i, "a copyright longer than the block or with a NUL in it");
}

void RunVersionReader(const char* name, const char* seedFile, bool withCopyright)
{
    Bytes seed = VersionResource(seedFile);
    ASSERT_GE(seed.size(), 92u) << seedFile;
    VersionHost host(seed.size() + 256);
    ASSERT_TRUE(host.ok());
    robust::Reader reader(name, 120, 20000);
    reader.Each([&](robust::Rng& rng, long i) {
        Bytes block = i == 0 ? seed : MutateVersion(seed, rng);
        bool exact = rng.OneIn(12);
        if (exact && rng.OneIn(3)) {
            static const size_t sizes[] = { 0, 1, 2, 5, 6, 40, 51, 52, 91, 92, 93 };
            block.resize(rng.Pick(sizes));
        }
        CheckRead(reader, i, host.Put(block, exact), block, withCopyright);
    });
}

TEST(VersionResources, TheProgramsOwnFile)
{
    RunVersionReader("version-program", kProgram, true);
}

TEST(VersionResources, TheDriversFile)
{
    RunVersionReader("version-driver", kDriver, false);
}

// The review's two inputs: the 512-byte block of a small DLL, once with its
// StringTable and first string claiming more than they hold (the walk went
// 18 KB past the block), once with the root claiming 768 of its 512 bytes
// (the converted copyright was written past the block).  Neither may be
// taken, for the program's file or the driver's.
TEST(VersionResources, TheReviewsDamagedBlocksAreNotTaken)
{
    VersionHost host(1024);
    ASSERT_TRUE(host.ok());
    for (const char* file : { "F1-version-stringtable-walk.bin", "F1b-version-root-length-write.bin" }) {
        Bytes block = robust::FuzzInput(file);
        ASSERT_EQ(512u, block.size()) << file;
        for (bool program : { true, false }) {
            SCOPED_TRACE(testing::Message() << file << (program ? " as the program's file" : " as the driver's"));
            robust::SetCurrent(file, program ? 0 : 1);
            const std::string& path = host.Put(block, true);
            CString version = "kept\n", date = "kept", copyright = "kept";
            EXPECT_FALSE(ReadFileVersionTexts(path.c_str(), version, date, program ? &copyright : nullptr));
            EXPECT_STREQ("kept\n", version);
            EXPECT_STREQ("kept", date);
            EXPECT_STREQ("kept", copyright);
        }
    }
    // The same block as it was before the damage is read in full.
    Bytes sound = robust::FuzzInput("F1b-version-root-length-write.bin");
    sound[1] = 0x02;   // the root's length back to 512
    CString version, date, copyright;
    EXPECT_TRUE(ReadFileVersionTexts(host.Put(sound, true).c_str(), version, date, &copyright));
    EXPECT_STREQ("1.2.3.4\n", version);
    EXPECT_STREQ("Copyright (C) Tolvane 2008", copyright);
    robust::SetCurrent("", -1);
}

}  // namespace
