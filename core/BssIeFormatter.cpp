#include "core/BssIeFormatter.h"

#include <cstddef>
#include <cstring>

namespace {

const ULONG kIesOffset = offsetof(NDIS_WLAN_BSSID_EX, IEs);   // 116
const ULONG kFixedFields = 12;   // time stamp, beacon interval, capability

const int kHtFieldCount = 55;
const int kWpsTextFields = 8;

inline WORD Le16(const BYTE* p) { return (WORD)(p[0] | (p[1] << 8)); }
inline WORD Be16(const BYTE* p) { return (WORD)((p[0] << 8) | p[1]); }
inline DWORD Le32(const BYTE* p)
{
    return (DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24);
}
inline bool Oui(const BYTE* p, BYTE a, BYTE b, BYTE c) { return p[0] == a && p[1] == b && p[2] == c; }

// Section 3 fields that are numbers; all others are flags.
bool IsHtNumberField(int i)
{
    switch (i) {
    case 0: case 6: case 7: case 12: case 14: case 21: case 22: case 25: case 29: case 30:
    case 33: case 34: case 35: case 38: case 39: case 50: case 51: case 52: case 53:
        return true;
    default:
        return false;
    }
}

struct IeFindings {
    bool wpa = false, wpaPsk = false, wpaNone = false;
    bool wpa2 = false, wpa2Psk = false, wpa2None = false;
    bool tkip = false, aes = false;
    bool cckm = false, cmic = false, ckip = false;
    CString wps[kWpsTextFields];
    bool wpsSeen = false;
    int ht[kHtFieldCount] = {};
};

void MarkCipher(IeFindings& f, BYTE type)
{
    if (type == 2)
        f.tkip = true;
    else if (type == 3 || type == 4)
        f.aes = true;
}

// e points at an element's id byte (or, for the vendor forms, four bytes on,
// so that the same offsets apply); the caller has checked the length.
void ReadHtCapabilities(IeFindings& f, const BYTE* e)
{
    WORD cap = Le16(e + 2);
    int* h = f.ht;
    h[4] = 1;
    h[5] = cap & 1;
    h[6] = (cap >> 1) & 1;
    h[7] = (cap >> 2) & 3;
    h[8] = (cap >> 4) & 1;
    h[9] = (cap >> 5) & 1;
    h[10] = (cap >> 6) & 1;
    h[11] = (cap >> 7) & 1;
    h[12] = (cap >> 8) & 3;
    h[13] = (cap >> 10) & 1;
    h[14] = (cap >> 11) & 1;
    h[15] = (cap >> 12) & 1;
    h[16] = (cap >> 13) & 1;
    h[19] = (cap >> 14) & 1;
    h[20] = (cap >> 15) & 1;
    h[21] = e[4] & 0x03;
    h[22] = e[4] & 0x0C;
    h[23] = e[17] == 1;
}

void ReadHtInformation(IeFindings& f, const BYTE* e)
{
    int* h = f.ht;
    h[33] = e[2];
    h[34] = e[3] & 3;
    h[35] = (e[3] >> 2) & 1;
    h[36] = (e[3] >> 3) & 1;
    h[37] = (e[3] >> 4) & 1;
    h[38] = (e[3] >> 5) & 7;
    h[39] = e[4] & 3;
    WORD op = Le16(e + 4);
    h[40] = (op >> 2) & 1;
    h[41] = (op >> 3) & 1;
    h[42] = (op >> 4) & 1;
    WORD w6 = Le16(e + 6);
    for (int bit = 5; bit <= 11; ++bit)
        h[43 + bit - 5] = (w6 >> bit) & 1;
    for (int k = 0; k < 4; ++k)
        h[50 + k] = (int)Le32(e + 8 + 4 * k);
    h[54] = 1;
}

// Suite lists carry their own counts; a count that runs past the element's
// end is cut there.
void ReadRsn(IeFindings& f, const BYTE* e, int end, bool infra)
{
    if (!Oui(e + 4, 0x00, 0x0F, 0xAC))
        return;
    MarkCipher(f, e[7]);

    int pairwise = Le16(e + 8);
    for (int i = 0; i < pairwise; ++i) {
        const BYTE* s = e + 10 + 4 * i;
        if (10 + 4 * i + 4 > end)
            return;
        if (!Oui(s, 0x00, 0x0F, 0xAC))
            break;
        MarkCipher(f, s[3]);
    }

    int akmAt = 10 + 4 * pairwise;
    if (akmAt + 2 > end)
        return;
    int akm = Le16(e + akmAt);
    for (int i = 0; i < akm; ++i) {
        int at = akmAt + 2 + 4 * i;
        if (at + 4 > end)
            return;
        const BYTE* s = e + at;
        if (!Oui(s, 0x00, 0x0F, 0xAC))
            continue;
        if (s[3] == 1)
            f.wpa2 = true;
        else if (s[3] == 0 || s[3] == 2)
            (infra ? f.wpa2Psk : f.wpa2None) = true;
    }
}

void ReadWpaStyle(IeFindings& f, const BYTE* e, int end, bool infra)
{
    const BYTE* g = e + 8;
    if (Oui(g, 0x00, 0x50, 0xF2)) {
        MarkCipher(f, g[3]);
    } else if (Oui(g, 0x00, 0x40, 0x96)) {
        if (g[3] == 0 || g[3] == 1)
            f.ckip = true;
        if (g[3] == 1 || g[3] == 2)
            f.cmic = true;
    } else {
        return;
    }

    int pairwise = Le16(e + 12);
    for (int i = 0; i < pairwise; ++i) {
        int at = 14 + 4 * i;
        if (at + 4 > end)
            return;
        const BYTE* s = e + at;
        if (!Oui(s, 0x00, 0x50, 0xF2) && !(s[1] == 0x00 && s[2] == 0x03))
            break;
        MarkCipher(f, s[3]);
    }

    int akmAt = 14 + 4 * pairwise;
    if (akmAt + 2 > end)
        return;
    int akm = Le16(e + akmAt);
    for (int i = 0; i < akm; ++i) {
        int at = akmAt + 2 + 4 * i;
        if (at + 4 > end)
            return;
        const BYTE* s = e + at;
        if (Oui(s, 0x00, 0x40, 0x96)) {
            f.cckm = true;
        } else if (Oui(s, 0x00, 0x50, 0xF2) || Oui(s, 0x00, 0x00, 0x42)) {
            if (s[3] == 1)
                f.wpa = true;
            else if (s[3] == 0 || s[3] == 2)
                (infra ? f.wpaPsk : f.wpaNone) = true;
        }
    }
}

void ReadWps(IeFindings& f, const BYTE* e, int len)
{
    f.wpsSeen = true;
    if (len <= 4)
        return;
    // Attributes start after OUI and type; each is type, length, value, all
    // big-endian. An attribute is read only when it lies wholly inside the
    // element, and a value only when it is as long as what is read from it.
    const BYTE* area = e + 6;
    const int areaLen = len - 4;
    int a = 0;
    while (a + 4 <= areaLen) {
        WORD type = Be16(area + a);
        int vlen = Be16(area + a + 2);
        if (a + 4 + vlen > areaLen)
            break;
        const BYTE* v = area + a + 4;
        switch (type) {
        case 0x1008:
        case 0x1053:
            if (vlen >= 2)
                f.wps[0].Format("0x%04X", Be16(v));
            break;
        case 0x1012:
            if (vlen >= 2)
                f.wps[1].Format("0x%04X", Be16(v));
            break;
        case 0x1041:
            if (vlen >= 1)
                f.wps[2] = v[0] ? "TRUE" : "FALSE";
            break;
        case 0x1044:
            if (vlen >= 1) {
                if (v[0] == 1)
                    f.wps[3] = "Unconfigured";
                else if (v[0] == 2)
                    f.wps[3] = "Configured";
            }
            break;
        case 0x104A:
            if (vlen >= 1)
                f.wps[4].Format("%u.%u", (unsigned)(v[0] >> 4), (unsigned)(v[0] & 0x0F));
            break;
        case 0x1057:
            if (vlen >= 1)
                f.wps[5] = v[0] ? "TRUE" : "FALSE";
            break;
        case 0x1047:
            // One UUID per device; a repeated attribute must not grow the text.
            if (vlen >= 16 && f.wps[6].IsEmpty()) {
                for (int i = 0; i < 16; ++i)
                    f.wps[6].AppendFormat("%02X", v[i]);
            }
            break;
        case 0x103C:
            if (vlen >= 1) {
                if (v[0] == 1)
                    f.wps[7] = "2.4GHz";
                else if (v[0] == 2)
                    f.wps[7] = "5GHz";
                else if (v[0] == 3)
                    f.wps[7] = "2.4GHz + 5GHz";
                else
                    f.wps[7].Empty();
            }
            break;
        default:
            break;
        }
        a += 4 + vlen;
    }
}

void ReadVendor(IeFindings& f, const BYTE* e, int len, bool infra)
{
    if (len < 4)
        return;
    const int end = len + 2;
    const BYTE type = e[5];
    if ((Oui(e + 2, 0x00, 0x50, 0xF2) && (type == 1 || type == 2)) || Oui(e + 2, 0x00, 0x40, 0x96)) {
        if (len >= 16)
            ReadWpaStyle(f, e, end, infra);
    } else if (Oui(e + 2, 0x00, 0x50, 0xF2) && type == 4) {
        ReadWps(f, e, len);
    } else if (Oui(e + 2, 0x00, 0x90, 0x4C)) {
        // The body follows OUI and type: the same layout as elements 45 and
        // 61, four bytes further on.
        if (type == 0x33 && len == 30)
            ReadHtCapabilities(f, e + 4);
        else if (type == 0x34 && len >= 26)
            ReadHtInformation(f, e + 4);
    }
}

void ReadElement(IeFindings& f, const BYTE* e, bool infra)
{
    const int len = e[1];
    switch (e[0]) {
    case 45:
        // 26 is the element's fixed size in 802.11n; longer ones keep the
        // same layout at the front.
        if (len >= 26)
            ReadHtCapabilities(f, e);
        break;
    case 48:
        if (len >= 12)
            ReadRsn(f, e, len + 2, infra);
        break;
    case 52:
        if (len >= 13) {
            WORD info = Le16(e + 8);
            f.ht[2] = (info >> 11) & 1;
            f.ht[3] = (info >> 12) & 1;
        }
        break;
    case 61:
        if (len >= 22)
            ReadHtInformation(f, e);
        break;
    case 62:
        if (len == 3)
            f.ht[0] = e[2];
        break;
    case 127:
        if (len >= 1)
            f.ht[1] = e[2] & 1;
        break;
    case 221:
        ReadVendor(f, e, len, infra);
        break;
    default:
        break;
    }
}

// Bytes of IEs that may be read: the driver's IELength, but never past the
// entry's own Length.
ULONG ReadableIeBytes(const BYTE* entry, ULONG length)
{
    if (length < kIesOffset)
        return 0;
    ULONG ieLength;
    memcpy(&ieLength, entry + offsetof(NDIS_WLAN_BSSID_EX, IELength), sizeof(ieLength));
    ULONG room = length - kIesOffset;
    return ieLength < room ? ieLength : room;
}

void WalkElements(IeFindings& f, const BYTE* entry)
{
    ULONG length, ieLength;
    memcpy(&length, entry, sizeof(length));
    if (length <= 120)
        return;
    memcpy(&ieLength, entry + offsetof(NDIS_WLAN_BSSID_EX, IELength), sizeof(ieLength));
    if (ieLength <= 15)
        return;
    NDIS_802_11_NETWORK_INFRASTRUCTURE mode;
    memcpy(&mode, entry + offsetof(NDIS_WLAN_BSSID_EX, InfrastructureMode), sizeof(mode));
    const bool infra = mode != Ndis802_11IBSS;

    const BYTE* ies = entry + kIesOffset;
    const ULONG avail = ReadableIeBytes(entry, length);
    ULONG off = kFixedFields;
    while (off + 2 <= avail) {
        const ULONG len = ies[off + 1];
        if (off + 2 + len > avail)
            break;   // element cut off by the end of the data
        ReadElement(f, ies + off, infra);
        off += len + 2;
        if (off + 3 >= avail)
            break;
        if (ies[off + 1] == 0)
            break;
    }
}

const char* Flag(bool b) { return b ? "TRUE" : "FALSE"; }

void AppendName(CString& text, bool present, const char* name)
{
    if (!present)
        return;
    if (!text.IsEmpty())
        text += "+";
    text += name;
}

} // namespace

CString FormatBssIeInfo(const NDIS_WLAN_BSSID_EX* pBss, int section)
{
    CString text;
    if (!pBss || section < BSS_IE_SECURITY || section > BSS_IE_BEACON_INTERVAL)
        return text;
    const BYTE* entry = (const BYTE*)pBss;

    if (section == BSS_IE_BEACON_INTERVAL) {
        ULONG length;
        memcpy(&length, entry, sizeof(length));
        int interval = 0;
        if (ReadableIeBytes(entry, length) >= 10)
            interval = Le16(entry + kIesOffset + 8);
        text.Format("%d", interval);
        return text;
    }

    IeFindings f;
    WalkElements(f, entry);

    switch (section) {
    case BSS_IE_SECURITY: {
        CString auth, cipher;
        AppendName(auth, f.wpa, "WPA");
        AppendName(auth, f.wpaPsk, "WPA-PSK");
        AppendName(auth, f.wpaNone, "WPA-NONE");
        AppendName(auth, f.wpa2, "WPA2");
        AppendName(auth, f.wpa2Psk, "WPA2-PSK");
        AppendName(auth, f.wpa2None, "WPA2-NONE");
        AppendName(cipher, f.tkip, "TKIP");
        AppendName(cipher, f.aes, "AES");
        text = (auth.IsEmpty() ? CString("Unknown") : auth) + ";" +
               (cipher.IsEmpty() ? CString("None") : cipher);
        break;
    }
    case BSS_IE_CCX:
        text.Format("%s;%s;%s", Flag(f.cckm), Flag(f.cmic), Flag(f.ckip));
        break;
    case BSS_IE_WPS:
        for (int i = 0; i < kWpsTextFields; ++i) {
            text += f.wps[i].IsEmpty() ? CString("Unknown") : f.wps[i];
            text += ";";
        }
        text += Flag(f.wpsSeen);
        break;
    case BSS_IE_HT:
        for (int i = 0; i < kHtFieldCount; ++i) {
            if (i > 0)
                text += ";";
            if (IsHtNumberField(i))
                text.AppendFormat("%d", f.ht[i]);
            else
                text += Flag(f.ht[i] != 0);
        }
        break;
    default:
        break;
    }
    return text;
}

int SplitString(const CString& text, const CString& delimiter, std::vector<CString>& arr)
{
    const int dlen = delimiter.GetLength();
    if (dlen == 0)
        return 0;
    int first = text.Find(delimiter);
    // A text that starts with the delimiter counts as having none.
    if (first <= 0)
        return 0;

    std::vector<int> positions;
    for (int pos = first; pos >= 0; pos = text.Find(delimiter, pos + dlen + 1))
        positions.push_back(pos);

    const int n = (int)positions.size();
    CString piece = text.Left(positions[0]);
    if (!piece.IsEmpty())
        arr.push_back(piece);
    for (int i = 1; i < n; ++i) {
        int start = positions[i - 1] + dlen;
        piece = text.Mid(start, positions[i] - start);
        if (!piece.IsEmpty())
            arr.push_back(piece);
    }
    int lastStart = positions[n - 1] + dlen;
    if (lastStart < text.GetLength()) {
        piece = text.Mid(lastStart);
        if (!piece.IsEmpty())
            arr.push_back(piece);
    }
    return n;
}
