// The 802.1X layer's readers of what the supplicant library, files and the
// certificate stores hand it: the credential requests with every answer
// routine (the request itself against a no-access page, the library's
// statuses and lengths from the input), PAC files and the library's PAC
// parts, the user name of an identity without a terminator, and the record
// of a certificate with friendly names and hashes of odd sizes.
#include "FakeLibrary.h"
#include "Robust.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <wincrypt.h>

#include "auth/AuthPort.h"
#include "auth/Certificates.h"
#include "auth/CredentialQueue.h"
#include "auth/PacFiles.h"
#include "auth/SupplicantBinding.h"
#include "certs/TestCertificates.h"
#include "core/ConnectEngine.h"
#include "mainwnd/ScratchAdapterKey.h"
#include "support/Restore.h"

namespace {

using robust::Bytes;
using robust::LibraryCall;

bool Failed(AC_STATUS st) { return st != 0 && st != AC_ALSO_OK; }

// The completion rule: a request whose answers all succeeded is completed;
// an answer the library failed ends it, and after -35 it is completed once
// more.  Nothing is answered after the completion but that second one.
std::string CompletionFault(const std::vector<LibraryCall>& calls, DWORD id)
{
    bool failed = false, retry = false, done = false;
    int completes = 0;
    for (const LibraryCall& c : calls) {
        if (c.id != id || c.name == "acCredDeferred") continue;
        if (c.name == "acCredComplete") {
            ++completes;
            if (c.status == AC_RETRY_COMPLETE) retry = true;
            done = true;
            continue;
        }
        if (done && !retry && !failed) return "an answer (" + c.name + ") after the request was completed";
        // A field read's "no value" ends the values of that field: not a failure.
        if (c.name == "acCredServerGetField" && c.status == AC_NO_VALUE) continue;
        if (!failed && Failed(c.status)) {
            failed = true;
            if (c.status == AC_RETRY_COMPLETE) retry = true;
        }
    }
    if (completes > 2) return std::to_string(completes) + " completions";
    if (!failed && completes == 0) return "every answer succeeded and the request was never completed";
    if (retry && completes == 0) return "a -35 answer was not followed by a completion";
    return "";
}

std::string CallLog(const std::vector<LibraryCall>& calls)
{
    std::string s;
    for (const LibraryCall& c : calls) s += c.name + "=" + std::to_string(c.status) + " ";
    return s;
}

void RandomText(char* field, size_t size, robust::Rng& rng)
{
    std::memset(field, 0, size);
    size_t n = rng.OneIn(3) ? 0 : rng.OneIn(4) ? size : rng.Below((uint32_t)size);
    for (size_t k = 0; k < n; ++k) field[k] = (char)('a' + rng.Below(26));
}

void RandomPort(AUTH_PORT& port, robust::Rng& rng)
{
    std::memset(&port, 0, sizeof(port));
    port.handle = 5;
    static const DWORD kEap[] = { 25, 13, 21, 43, 4, 17, 0 };
    port.eapType = rng.Pick(kEap);
    port.reserved1 = rng.OneIn(8) ? 1 : 0;
    port.innerEapType = rng.OneIn(2) ? 26 : 255;
    port.fastProvisioningTunnel = 26;
    port.ttlsInnerMethod = rng.Below(6);
    port.innerIdentity = rng.OneIn(2) ? 21 : 0;
    port.outerIdentity = rng.OneIn(2) ? 22 : 0;
    port.password = rng.OneIn(2) ? 23 : 0;
    port.machineIdentity = rng.OneIn(2) ? 24 : 0;
    port.fastUnauthProvisioning = rng.Below(3);
    port.fastProvisionMode = rng.Below(3);
    port.verifyChain = rng.Below(2);
    port.domainMatchOption = rng.Below(2);
    port.nameRule = rng.Below(2);
    RandomText(port.outerIdentityText, sizeof(port.outerIdentityText), rng);
    RandomText(port.caUrl, sizeof(port.caUrl), rng);
    RandomText(port.domainName, sizeof(port.domainName), rng);
    RandomText(port.fieldName, sizeof(port.fieldName), rng);
}

void RunRequest(robust::Reader& reader, long i, AUTH_PORT& port, AUTH_CRED_REQUEST* r)
{
    OnAuthCredentialRequest(&port, r);
    std::vector<LibraryCall>& calls = robust::Fake().calls;
    bool deferred = std::any_of(calls.begin(), calls.end(), [](const LibraryCall& c) { return c.name == "acCredDeferred"; });
    if (deferred) HandleCredentialUiRequest(&port, r);
    std::string fault = CompletionFault(calls, r->id);
    reader.Check(fault.empty(), i, "request type " + std::to_string(r->type) + ": " + fault + " [" + CallLog(calls) + "]");
}

TEST(Supplicant, CredentialRequests)
{
    robust::FakeLibrary library;
    ASSERT_TRUE(library.ok());
    robust::GuardedArea area;
    AUTH_PORT port;
    kqtest::Restore<BOOL> autoConnect(g_bAutoConnect);
    // The attached port, as the library's callbacks find it.
    if (CredentialUiThreadRunning()) StopCredentialUiThread();
    kqtest::Restore<AUTH_PORT*> attached(g_pAuthPort);
    g_pAuthPort = &port;
    robust::Reader reader("credential-requests", 20000, 1000000);
    reader.Each([&](robust::Rng& rng, long i) {
        library.Reset(rng);
        RandomPort(port, rng);
        g_bAutoConnect = rng.Below(2);
        static const DWORD kTypes[] = { 0, 1, 2, 3, 3, 4, 5, 5, 7, 8, 8, 8, 8, 9, 10, 12, 14, 15, 16, 17, 18, 19, 0xFFFFFFFF };
        AUTH_CRED_REQUEST request = { (DWORD)(1 + rng.Below(1000)), rng.Pick(kTypes), rng.Below(3),
                                      { (DWORD)rng.Next(), (DWORD)rng.Next(), (DWORD)rng.Next() } };
        Bytes raw((const BYTE*)&request, (const BYTE*)&request + sizeof(request));
        AUTH_CRED_REQUEST* r = area.PlaceAs<AUTH_CRED_REQUEST>(raw);
        RunRequest(reader, i, port, r);
    });
}

// The review's input: a server-certificate request (type 8) whose name
// check fails, the library answering the first field read with -32 ("counts
// as success").  The harness's encoding: a word of its own, the six words of
// the request, then its answer bytes; the answers are given here as its
// call log records them (CA check 0, name check 0 with "not passed", field
// read -32).  The verification must still end: verified, then completed.
TEST(Supplicant, AFieldReadThatCountsAsSuccessEndsTheVerification)
{
    robust::FakeLibrary library;
    ASSERT_TRUE(library.ok());
    Bytes input = robust::FuzzInput("F2-credreq-field-also-ok.bin");
    ASSERT_EQ(219u, input.size());
    AUTH_CRED_REQUEST request;
    std::memcpy(&request, &input[4], sizeof(request));
    ASSERT_EQ(8u, request.type);
    robust::SetCurrent("F2-credreq-field-also-ok.bin", 0);
    robust::Rng rng("F2", 0);
    robust::FakeLibraryState& fake = library.Reset(rng);
    fake.scripted = true;
    fake.script = { 0, 0, AC_ALSO_OK };   // acCredServerVerifyCA, acCredServerVerifyField, acCredServerGetField
    AUTH_PORT port;
    std::memset(&port, 0, sizeof(port));
    port.handle = 5;
    kqtest::Restore<AUTH_PORT*> attached(g_pAuthPort);
    g_pAuthPort = &port;
    std::strcpy(port.caUrl, "ldap://ca.example/");
    std::strcpy(port.fieldName, "radius.example");
    HandleCredentialUiRequest(&port, &request);
    std::vector<std::string> names;
    for (const LibraryCall& c : fake.calls) names.push_back(c.name);
    ASSERT_GE(names.size(), 3u) << CallLog(fake.calls);
    EXPECT_EQ("acCredServerGetField", names[2]);
    EXPECT_TRUE(std::find(names.begin(), names.end(), "acCredServerVerified") != names.end()) << CallLog(fake.calls);
    EXPECT_EQ("acCredComplete", names.back()) << CallLog(fake.calls);
    robust::SetCurrent("", -1);
}

// ---- PAC files ---------------------------------------------------------------------------

class PacFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_library.ok());
        char cwd[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, cwd);
        m_oldCwd = cwd;
        std::string dir = std::string(KQ_BINARY_DIR) + "\\robust-pac";
        CreateDirectoryA(dir.c_str(), nullptr);
        ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
        GetCurrentDirectoryA(MAX_PATH, cwd);
        m_dir = cwd;
        NotePortProfile(nullptr);
        std::memset(&m_port, 0, sizeof(m_port));
        m_port.handle = 5;
    }
    void TearDown() override
    {
        DeleteFileA(Path().c_str());
        SetCurrentDirectoryA(m_oldCwd.c_str());
        RemoveDirectoryA(m_dir.c_str());
        SetPortPacFilePath("");
    }
    std::string Path() const { return m_dir + "\\current.pac"; }
    static Bytes ReadAll(const std::string& path)
    {
        std::ifstream f(path, std::ios::binary);
        return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    }

    robust::FakeLibrary m_library;
    kqtest::ScratchAdapterKey m_key{ "KestiqRobustPac" };
    std::string m_oldCwd, m_dir;
    AUTH_PORT m_port;
};

TEST_F(PacFiles, TheFileTheLibraryAsksFor)
{
    robust::Reader reader("pac-load", 150, 20000);
    reader.Each([&](robust::Rng& rng, long i) {
        robust::FakeLibraryState& fake = m_library.Reset(rng);
        fake.failShare = 1;
        // A sound record for an authority and a user, then changed.
        std::string user = rng.OneIn(4) ? std::string() : std::string(1 + rng.Below(20), 'u');
        Bytes aid = rng.RandomBytes(rng.OneIn(8) ? 128 : rng.Below(40));
        Bytes key = rng.RandomBytes(rng.Below(64)), opaque = rng.RandomBytes(rng.Below(300));
        Bytes file(kPacFileSize, 0);
        DWORD lengths[4] = { (DWORD)aid.size(), (DWORD)user.size(), (DWORD)key.size(), (DWORD)opaque.size() };
        std::memcpy(file.data(), lengths, 16);
        Bytes data = aid;
        data.insert(data.end(), user.begin(), user.end());
        data.insert(data.end(), key.begin(), key.end());
        data.insert(data.end(), opaque.begin(), opaque.end());
        std::memcpy(&file[16], data.data(), std::min<size_t>(data.size(), kPacDataSize));
        if (rng.OneIn(2)) robust::Mutate(file, rng, { 0, 4, 8, 12 });
        { std::ofstream(Path(), std::ios::binary).write((const char*)file.data(), (std::streamsize)file.size()); }
        SetPortPacFilePath(rng.OneIn(10) ? "" : Path().c_str());
        // The outer identity: any text up to the port's 128 bytes, no terminator when full.
        std::string outer = (rng.OneIn(2) ? "DOMAIN\\" : "") + user + (rng.OneIn(2) ? "@realm" : "");
        if (rng.OneIn(6)) outer = std::string(128, 'x');
        std::memset(m_port.outerIdentityText, 0, sizeof(m_port.outerIdentityText));
        std::memcpy(m_port.outerIdentityText, outer.data(), std::min<size_t>(outer.size(), 128));
        fake.aid = rng.OneIn(4) ? rng.RandomBytes(rng.Below(140)) : aid;
        if (fake.aid.empty()) fake.aid.push_back(0);
        fake.aidLength = rng.OneIn(5) ? (int)rng.EdgeOf(128) : -1;
        AUTH_CRED_REQUEST request = { 9, 11, 0, {} };
        LoadPacForAuthority(&m_port, &request);

        Bytes now = ReadAll(Path());
        // The program reads the first 1040 bytes; a shorter file is none.
        DWORD l[4] = {};
        if (file.size() >= 16) std::memcpy(l, file.data(), 16);
        unsigned long long total = (unsigned long long)l[0] + l[1] + l[2] + l[3];
        bool whole = file.size() >= kPacFileSize;
        AC_STATUS aidStatus = fake.calls.empty() ? -1 : fake.calls[0].status;
        int aidLength = fake.aidLength >= 0 ? fake.aidLength : (int)std::min<size_t>(fake.aid.size(), 128);
        bool asked = !Failed(aidStatus) && aidLength >= 0 && aidLength <= 128 && !GetPortPacFilePath().empty();
        if (fake.pacCreated) {
            // Only from a sound file whose lengths lie inside it, and the
            // parts handed over are the file's own bytes.
            if (!reader.Check(whole && total <= kPacDataSize, i,
                              "a PAC made from a file whose lengths add up to " + std::to_string(total)))
                return;
            const BYTE* d = &file[16];
            reader.Check(fake.pacKey == Bytes(d + l[0] + l[1], d + l[0] + l[1] + l[2]) &&
                             fake.pacOpaque == Bytes(d + l[0] + l[1] + l[2], d + total),
                         i, "the key or opaque handed over are not the file's");
            reader.Check(l[0] <= 128 && l[0] <= fake.aid.size() && !std::memcmp(d, fake.aid.data(), l[0]), i,
                         "a PAC of another authority");
        }
        if (asked && whole && total > kPacDataSize)
            reader.Check(now.empty(), i, "a file whose lengths overflow it was kept");
        std::string fault = CompletionFault(fake.calls, 9);
        reader.Check(fault.empty(), i, fault + " [" + CallLog(fake.calls) + "]");
        int created = fake.pacCreated, destroyed = 0;
        for (const LibraryCall& c : fake.calls) destroyed += c.name == "acEapFASTPacDestroy";
        reader.Check(!created || destroyed >= 1, i, "a PAC object that was made is not destroyed");
    });
}

TEST_F(PacFiles, ThePartsTheLibraryProvisioned)
{
    robust::Reader reader("pac-save", 150, 20000);
    reader.Each([&](robust::Rng& rng, long i) {
        robust::FakeLibraryState& fake = m_library.Reset(rng);
        fake.failShare = 1;
        DeleteFileA(Path().c_str());
        size_t used = 0;
        bool sound = true;
        for (int p = 0; p < 4; ++p) {
            size_t n = rng.OneIn(10) ? rng.Below(1100) : rng.Below(p == 3 ? 400 : 80);
            fake.pacParts[p] = rng.RandomBytes(n);
            if (rng.OneIn(6)) fake.pacLengths[p] = (int)rng.EdgeOf((DWORD)(kPacDataSize - used));
            size_t room = kPacDataSize - std::min(used, (size_t)kPacDataSize);
            long long reported = fake.pacLengths[p] >= 0 ? fake.pacLengths[p] : (long long)std::min(n, room);
            if (reported < 0 || (size_t)reported > room) sound = false;
            if (sound) used += (size_t)reported;
        }
        AUTH_CRED_REQUEST request = { 10, 13, 0, {} };
        SaveProvisionedPac(&m_port, &request);
        Bytes file = ReadAll(Path());
        bool partFailed = false;
        for (const LibraryCall& c : fake.calls)
            if ((c.name == "acCredGetEapFASTPacAID" || c.name == "acCredGetEapFASTPacIID" ||
                 c.name == "acCredGetEapFASTPacKey" || c.name == "acCredGetEapFASTPacOpaque") &&
                Failed(c.status))
                partFailed = true;
        if (!file.empty()) {
            DWORD l[4] = {};
            std::memcpy(l, file.data(), std::min<size_t>(16, file.size()));
            unsigned long long total = (unsigned long long)l[0] + l[1] + l[2] + l[3];
            reader.Check(file.size() == kPacFileSize && total <= kPacDataSize, i,
                         "a PAC file of " + std::to_string(file.size()) + " bytes whose lengths add up to " + std::to_string(total));
            reader.Check(sound && !partFailed, i, "a file written from parts the library described wrongly");
        }
        std::string fault = CompletionFault(fake.calls, 10);
        reader.Check(fault.empty(), i, fault + " [" + CallLog(fake.calls) + "]");
    });
}

TEST(PacFilesUser, TheUserNameOfAnIdentity)
{
    robust::GuardedArea area;
    robust::Reader reader("pac-user-name", 20000, 1000000);
    reader.Each([&](robust::Rng& rng, long i) {
        static const char kChars[] = "ab@\\x";
        size_t n = rng.Below(140);
        std::string t;
        for (size_t k = 0; k < n; ++k) t += rng.OneIn(20) ? '\0' : kChars[rng.Below(5)];
        const char* text = (const char*)area.Place(t.data(), t.size());
        const char* user = nullptr;
        size_t length = 99999;
        ExtractUserName(n ? text : nullptr, n, &user, &length);
        if (!n) return;
        size_t at = (size_t)(user - text);
        if (!reader.Check(user >= text && at + length <= n, i, "the user name lies outside the identity")) return;
        size_t end = t.find('@');
        std::string before = t.substr(0, end == std::string::npos ? n : end);
        size_t slash = before.find('\\');
        std::string expected = slash == std::string::npos ? before : before.substr(slash + 1);
        reader.Check(std::string(user, length) == expected, i, "\"" + robust::Hex(t.data(), n) + "\" gives another user name");
    });
}

// ---- Certificate records ------------------------------------------------------------------

TEST(Certificates, TheRecordOfACertificate)
{
    const struct {
        const BYTE* der;
        size_t size;
    } seeds[] = { { kqtest::kClientCert, sizeof(kqtest::kClientCert) },
                  { kqtest::kSecondClientCert, sizeof(kqtest::kSecondClientCert) },
                  { kqtest::kRootCaCert, sizeof(kqtest::kRootCaCert) },
                  { kqtest::kNoSubjectCert, sizeof(kqtest::kNoSubjectCert) } };
    robust::GuardedArea area;
    robust::Reader reader("certificate-records", 1000, 1000000);
    reader.Each([&](robust::Rng& rng, long i) {
        const auto& seed = rng.Pick(seeds);
        Bytes der(seed.der, seed.der + seed.size);
        if (rng.OneIn(3)) robust::Mutate(der, rng);
        PCCERT_CONTEXT cert = CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), (DWORD)der.size());
        if (!cert) return;
        // A friendly name of an odd size, perhaps without its terminator.
        size_t nameBytes = 0;
        Bytes name;
        if (!rng.OneIn(3)) {
            static const size_t kSizes[] = { 0, 1, 2, 3, 4, 509, 510, 511, 512, 513, 514, 1024, 4001 };
            nameBytes = rng.Pick(kSizes);
            name.resize(nameBytes);
            for (size_t k = 0; k + 1 < nameBytes; k += 2) name[k] = (BYTE)('A' + rng.Below(26));
            if (rng.OneIn(2) && nameBytes >= 2) name[nameBytes - 2] = name[nameBytes - 1] = 0;
            CRYPT_DATA_BLOB blob = { (DWORD)nameBytes, name.data() };
            CertSetCertificateContextProperty(cert, CERT_FRIENDLY_NAME_PROP_ID, 0, &blob);
        }
        // A hash property of any size.
        size_t hashBytes = 20;
        if (rng.OneIn(2)) {
            static const size_t kHashes[] = { 0, 1, 19, 20, 21, 151, 152, 153, 200, 1000 };
            hashBytes = rng.Pick(kHashes);
            Bytes hash = rng.RandomBytes(hashBytes);
            CRYPT_DATA_BLOB blob = { (DWORD)hashBytes, hash.data() };
            CertSetCertificateContextProperty(cert, CERT_SHA1_HASH_PROP_ID, 0, &blob);
        }
        DWORD storeFlag = rng.Below(2);
        CERT_INFO_RECORD r = GetCertificateInfo(cert, storeFlag);
        auto terminated = [](const char* s) { return std::memchr(s, 0, 256) != nullptr; };
        reader.Check(terminated(r.subject) && terminated(r.issuer) && terminated(r.expiry) && terminated(r.friendlyName), i,
                     "a text of the record without its end");
        DWORD have = 0;
        bool hasHash = CertGetCertificateContextProperty(cert, CERT_SHA1_HASH_PROP_ID, nullptr, &have) != FALSE;
        if (r.hashLength) {
            Bytes actual(have);
            CertGetCertificateContextProperty(cert, CERT_SHA1_HASH_PROP_ID, actual.data(), &have);
            reader.Check(hasHash && r.hashLength == have && have <= kCertHashMax &&
                             !std::memcmp(r.hash, actual.data(), have),
                         i, "a hash of " + std::to_string(r.hashLength) + " bytes that the certificate does not carry");
            reader.Check(r.storeFlag == storeFlag, i, "the store flag");
            // The page finds it again by its hash, at the end of the readable memory.
            BYTE* placed = area.Place(r.hash, r.hashLength);
            CCertInfoArray array(1, r);
            reader.Check(FindCertByHash(array, placed, r.hashLength) != nullptr, i, "a record is not found by its hash");
            reader.Check(r.hashLength < 2 || !FindCertByHash(array, placed + 1, r.hashLength - 1), i,
                         "a record found by a shorter hash");
        } else {
            reader.Check(!hasHash || have > kCertHashMax || have == 0, i, "a readable hash was not kept");
        }
        CertFreeCertificateContext(cert);
    });
}

}  // namespace
