#include "auth/PacFiles.h"

#include <cstdio>
#include <cstring>

#include "auth/AcAuthLibrary.h"
#include "auth/AuthLogRing.h"
#include "auth/AuthPort.h"
#include "auth/CredentialQueue.h"
#include "auth/SupplicantBinding.h"
#include "core/ProfileStore.h"
#include "core/RegistryStore.h"

namespace {

SRWLOCK g_pathLock = SRWLOCK_INIT;
char g_szPortPacPath[MAX_PATH] = "";

// The escape of a character in a PAC file name: '%' and two hex digits.
void Escape(std::string& out, unsigned char c)
{
    char hex[4];
    std::snprintf(hex, sizeof(hex), "%%%02X", c);
    out += hex;
}

// Windows takes a file whose name before its first point (trailing spaces
// left out) is one of these for a device, whatever folder and extension
// follow.
bool NamesDevice(const std::string& name)
{
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static const char* const kDevices[] = { "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$" };
    for (const char* d : kDevices)
        if (_stricmp(base.c_str(), d) == 0) return true;
    if (base.size() != 4 || (_strnicmp(base.c_str(), "COM", 3) != 0 && _strnicmp(base.c_str(), "LPT", 3) != 0))
        return false;
    unsigned char n = (unsigned char)base[3];
    return (n >= '0' && n <= '9') || n == 0xB9 || n == 0xB2 || n == 0xB3;   // also the superscripts 1, 2, 3
}

// The profile name as a file name of the PAC folder: nothing in it may
// leave the folder or name a device or stream, and two names never share a
// file.  A character a file name cannot hold, and the escape '%' itself,
// become '%' and two hex digits; a name of a device has its first character
// written so.
std::string FileNameOf(const char* name)
{
    std::string out;
    for (const char* p = name; *p; ++p) {
        unsigned char c = (unsigned char)*p;
        if (c < 32 || std::strchr("\\/:*?\"<>|%", c)) Escape(out, c);
        else out += (char)c;
    }
    if (NamesDevice(out)) {
        std::string first;
        Escape(first, (unsigned char)out[0]);
        out = first + out.substr(1);
    }
    return out;
}

} // namespace

BOOL GetPacFilePath(char* out, size_t size)
{
    if (!out || size == 0) return FALSE;
    out[0] = 0;
    char dir[MAX_PATH] = {};
    DWORD n = GetCurrentDirectoryA(sizeof(dir), dir);
    if (n == 0 || n >= sizeof(dir)) return FALSE;
    if (n > 0 && dir[n - 1] == '\\') dir[--n] = 0;   // a drive's root
    CString profile = PortProfileName();
    std::string path = std::string(dir) + "\\" + (!profile.IsEmpty() ? FileNameOf(profile) + ".pac" : "current.pac");
    // A path the store could not read back would be provisioned again at
    // every login.
    if (path.size() >= size || path.size() > (size_t)kProfileTextMax - 1) return FALSE;
    std::memcpy(out, path.c_str(), path.size() + 1);
    return TRUE;
}

void ExtractUserName(const char* text, size_t length, const char** user, size_t* userLength)
{
    if (!text) {
        *user = "";
        *userLength = 0;
        return;
    }
    const char* at = (const char*)std::memchr(text, '@', length);
    size_t n = at ? (size_t)(at - text) : length;
    const char* slash = (const char*)std::memchr(text, '\\', n);
    if (slash) {
        *user = slash + 1;
        *userLength = n - (size_t)(slash + 1 - text);
    } else {
        *user = text;
        *userLength = n;
    }
}

void SetPortPacFilePath(const char* path)
{
    AcquireSRWLockExclusive(&g_pathLock);
    lstrcpynA(g_szPortPacPath, path ? path : "", sizeof(g_szPortPacPath));
    ReleaseSRWLockExclusive(&g_pathLock);
}

std::string GetPortPacFilePath()
{
    AcquireSRWLockShared(&g_pathLock);
    std::string s = g_szPortPacPath;
    ReleaseSRWLockShared(&g_pathLock);
    return s;
}

std::string GetPacInfo(AUTH_PORT* port, const AUTH_CRED_REQUEST* request)
{
    std::string aid = "<UNKNOWN>", type = "<UNKNOWN>", life = "<UNKNOWN>";
    if (port && request) {
        AC_HANDLE h = port->handle;
        char text[129] = {};
        int length = 128;
        if (!IsAcFailure("acCredGetEapFASTPacAIDInfo", g_ac.acCredGetEapFASTPacAIDInfo(h, request->id, text, &length)) &&
            length > 0) {
            text[length < 128 ? length : 128] = 0;
            if (text[0]) aid = text;
        }
        DWORD value = 0;
        if (!IsAcFailure("acCredGetEapFASTPacType", g_ac.acCredGetEapFASTPacType(h, request->id, &value)))
            type = std::to_string(value);
        value = 0;
        if (!IsAcFailure("acCredGetEapFASTPacLifeTime", g_ac.acCredGetEapFASTPacLifeTime(h, request->id, &value)))
            life = std::to_string(value);
    }
    std::string info = "PAC A-ID info: " + aid + "\nPAC type: " + type + "\nPAC lifetime: " + life + "\n";
    std::fputs(info.c_str(), stdout);
    return info;
}

void SaveProvisionedPac(AUTH_PORT* port, const AUTH_CRED_REQUEST* request)
{
    if (!port || !request) return;
    AC_HANDLE h = port->handle;
    DWORD id = request->id;
    SetPortPacFilePath("");

    // The four parts one after the other; a length beyond the bytes still
    // free is refused, never written past the record.
    PAC_FILE_RECORD record;
    std::memset(&record, 0, sizeof(record));
    AC_STATUS (*const readers[4])(AC_HANDLE, DWORD, BYTE*, int*) = {
        g_ac.acCredGetEapFASTPacAID, g_ac.acCredGetEapFASTPacIID, g_ac.acCredGetEapFASTPacKey,
        g_ac.acCredGetEapFASTPacOpaque};
    DWORD* lengths[4] = {&record.aidLength, &record.iidLength, &record.keyLength, &record.opaqueLength};
    DWORD used = 0;
    for (int i = 0; i < 4; ++i) {
        int length = (int)(kPacDataSize - used);
        if (CredAnswerFailed(h, id, readers[i](h, id, record.data + used, &length))) return;
        if (length < 0 || (DWORD)length > kPacDataSize - used) {
            CompleteCredRequest(h, id);   // nothing kept of a PAC the library described wrongly
            return;
        }
        *lengths[i] = (DWORD)length;
        used += (DWORD)length;
    }

    char path[MAX_PATH] = {};
    if (!GetPacFilePath(path, sizeof(path))) {
        AppendAuthLogLine("EAP-FAST PAC not saved: its file path is too long.");
        CompleteCredRequest(h, id);
        return;
    }
    SetPortPacFilePath(path);

    // Only a stored profile keeps the path; a one-off connection leaves the
    // adapter key's value to the next activation.
    WriteActiveProfileValue(PortProfileName(), PV_PAC_FILE_PATH, path);

    GetPacInfo(port, request);

    FILE* f = std::fopen(path, "wb");
    if (f) {
        size_t written = std::fwrite(&record, 1, sizeof(record), f);
        bool closed = std::fclose(f) == 0;
        // A file that did not take the whole record is no PAC; the request
        // is completed all the same, so the library is not left waiting.
        if (written != sizeof(record) || !closed) std::remove(path);
    }
    CompleteCredRequest(h, id);
}

void LoadPacForAuthority(AUTH_PORT* port, const AUTH_CRED_REQUEST* request)
{
    if (!port || !request) return;
    AC_HANDLE h = port->handle;
    DWORD id = request->id;

    BYTE aid[128] = {};
    int aidLength = sizeof(aid);
    if (CredAnswerFailed(h, id, g_ac.acCredGetEapFASTAID(h, id, aid, &aidLength))) return;
    bool aidKnown = aidLength >= 0 && aidLength <= (int)sizeof(aid);

    char outer[sizeof(port->outerIdentityText) + 1] = {};
    {
        PortCredentialLock lock;
        std::memcpy(outer, port->outerIdentityText, sizeof(port->outerIdentityText));
    }
    const char* user = nullptr;
    size_t userLength = 0;
    ExtractUserName(outer, std::strlen(outer), &user, &userLength);

    AC_HANDLE pac = 0;
    std::string path = GetPortPacFilePath();
    if (!path.empty() && aidKnown) {
        PAC_FILE_RECORD r;
        size_t got = 0;
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
            got = std::fread(&r, 1, sizeof(r), f);
            std::fclose(f);
        }
        if (got == sizeof(r)) {
            unsigned long long total = (unsigned long long)r.aidLength + r.iidLength + r.keyLength + r.opaqueLength;
            if (total > kPacDataSize) {
                std::remove(path.c_str());
            } else if (r.aidLength == (DWORD)aidLength && std::memcmp(r.data, aid, r.aidLength) == 0 &&
                       r.iidLength == userLength && std::memcmp(r.data + r.aidLength, user, userLength) == 0) {
                const BYTE* key = r.data + r.aidLength + r.iidLength;
                const BYTE* opaque = key + r.keyLength;
                g_ac.acEapFASTPacDestroy(&pac);
                if (IsAcFailure("acEapFASTPacCreate",
                                g_ac.acEapFASTPacCreate(&pac, key, (int)r.keyLength, opaque, (int)r.opaqueLength)))
                    pac = 0;
            }
        }
    }
    // No PAC: the library provisions one.
    AC_STATUS st = g_ac.acCredEapFASTPac(h, id, pac);
    if (!CredAnswerFailed(h, id, st)) CompleteCredRequest(h, id);
    if (pac) g_ac.acEapFASTPacDestroy(&pac);
}

void DeletePacFile(AUTH_PORT* port)
{
    char path[MAX_PATH] = {};
    if (GetPacFilePath(path, sizeof(path))) DeleteFileA(path);
}
