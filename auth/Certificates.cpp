#include "auth/Certificates.h"

#include <cstring>

void GetCertNameString(PCCERT_CONTEXT cert, BOOL issuerFlag, char out[256])
{
    out[0] = 0;
    if (!cert) return;
    DWORD flags = issuerFlag ? CERT_NAME_ISSUER_FLAG : 0;
    DWORD need = CertGetNameStringA(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, flags, nullptr, nullptr, 0);
    if (need <= 1) return;
    std::vector<char> name(need + 1, 0);
    CertGetNameStringA(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, flags, nullptr, name.data(), need);
    lstrcpynA(out, name.data(), 256);
}

namespace {

void FormatExpiry(PCCERT_CONTEXT cert, char out[256])
{
    out[0] = 0;
    SYSTEMTIME st;
    if (!FileTimeToSystemTime(&cert->pCertInfo->NotAfter, &st)) return;
    if (!GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, out, 256)) out[0] = 0;
}

// The friendly-name property (a wide text) cut to the record's 255 characters.
BOOL ReadFriendlyName(PCCERT_CONTEXT cert, char out[256])
{
    out[0] = 0;
    DWORD size = 0;
    if (!CertGetCertificateContextProperty(cert, CERT_FRIENDLY_NAME_PROP_ID, nullptr, &size) || size < sizeof(WCHAR))
        return FALSE;
    std::vector<WCHAR> wide(size / sizeof(WCHAR) + 1, 0);
    if (!CertGetCertificateContextProperty(cert, CERT_FRIENDLY_NAME_PROP_ID, wide.data(), &size)) return FALSE;
    wide[size / sizeof(WCHAR)] = 0;
    if (!WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, out, 256, nullptr, nullptr)) {
        // Longer than the record holds: the first 255 characters.
        std::vector<char> all(wide.size() * 4 + 1, 0);
        WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, all.data(), (int)all.size(), nullptr, nullptr);
        lstrcpynA(out, all.data(), 256);
    }
    return TRUE;
}

} // namespace

CERT_INFO_RECORD GetCertificateInfo(PCCERT_CONTEXT cert, DWORD storeFlag)
{
    CERT_INFO_RECORD r;
    std::memset(&r, 0, sizeof(r));
    if (!cert) return r;
    GetCertNameString(cert, FALSE, r.subject);
    GetCertNameString(cert, TRUE, r.issuer);
    DWORD size = 0;
    BOOL read = CertGetCertificateContextProperty(cert, CERT_SHA1_HASH_PROP_ID, nullptr, &size);
    if (read && size > kCertHashMax) read = FALSE;   // never more than the record (and a profile) keeps
    if (read && size > 0) read = CertGetCertificateContextProperty(cert, CERT_SHA1_HASH_PROP_ID, r.hash, &size);
    if (!read) {
        // No hash: the record names the certificate but carries nothing to store.
        std::memset(r.hash, 0, sizeof(r.hash));
        return r;
    }
    r.hashLength = size;
    r.storeFlag = storeFlag;
    FormatExpiry(cert, r.expiry);
    r.hasFriendlyName = ReadFriendlyName(cert, r.friendlyName) ? 1 : 0;
    if (!r.hasFriendlyName) r.friendlyName[0] = 0;
    return r;
}

BOOL EnumStoreCertificates(CCertInfoArray& array, const char* storeName)
{
    array.clear();
    if (!storeName) return FALSE;
    HCERTSTORE store = CertOpenSystemStoreA(0, storeName);
    if (!store) return FALSE;
    DWORD storeFlag = lstrcmpiA(storeName, "MY") != 0 ? 1 : 0;
    PCCERT_CONTEXT cert = nullptr;
    while ((cert = CertEnumCertificatesInStore(store, cert)) != nullptr) {
        CERT_INFO_RECORD r = GetCertificateInfo(cert, storeFlag);
        if (r.subject[0]) array.push_back(r);
    }
    CertCloseStore(store, 0);
    return TRUE;
}

const CERT_INFO_RECORD* FindCertByHash(const CCertInfoArray& array, const BYTE* hash, DWORD length)
{
    if (!hash || length == 0) return nullptr;
    for (const CERT_INFO_RECORD& r : array)
        if (r.hashLength == length && std::memcmp(r.hash, hash, length) == 0) return &r;
    return nullptr;
}
