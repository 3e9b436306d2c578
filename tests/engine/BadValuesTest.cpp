// Bad values in the adapter key: a number is read as atoi reads its text (an
// empty text or one that is no number is 0, trailing characters are ignored)
// and a REG_DWORD as its number; a value missing, too long, beyond an int or
// of another type gives what a missing value gives; WEP keys, certificates,
// pre-shared keys and SSIDs are never read past their text or their field.
#include "engine/EngineFixture.h"

#include "core/StationConfig.h"

namespace kqengine {
namespace {

// The record with its key blobs compared by content, not by address.
struct RecordImage {
    std::vector<BYTE> bytes;
    std::vector<std::vector<BYTE>> blobs;
};

RecordImage ImageOf(const StationConfig* r)
{
    RecordImage img;
    if (!r) return img;
    StationConfig copy;
    std::memcpy(&copy, r, sizeof(copy));
    auto blob = [&](const NDIS_802_11_KEY* k, DWORD size) {
        img.blobs.push_back(k ? std::vector<BYTE>((const BYTE*)k, (const BYTE*)k + size) : std::vector<BYTE>());
    };
    blob(r->wpaNoneKey, r->wpaNoneKeySize);
    copy.wpaNoneKey = nullptr;
    for (int i = 0; i < 4; ++i) {
        blob(r->wepKey[i].key, r->wepKey[i].size);
        copy.wepKey[i].key = nullptr;
    }
    img.bytes.assign((const BYTE*)&copy, (const BYTE*)&copy + sizeof(copy));
    return img;
}

bool operator==(const RecordImage& a, const RecordImage& b) { return a.bytes == b.bytes && a.blobs == b.blobs; }

// Where two images first differ, for the failure message.
std::string FirstDifference(const RecordImage& a, const RecordImage& b)
{
    if (a.bytes.size() != b.bytes.size()) return "no record";
    for (size_t i = 0; i < a.bytes.size(); ++i)
        if (a.bytes[i] != b.bytes[i]) return "record byte " + std::to_string(i);
    return "key blobs";
}

class BadValues : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(m_sim.SetOidAnswer(Guid(), OID_VENDOR_HT_PHY, kHt, sizeof(kHt)));
        // The same block on every read, whatever the last apply sent.
        const DWORD advanced[8] = { 2, 2, 2, 2, 2, 1, 0, 0 };
        ASSERT_TRUE(m_sim.SetOidAnswer(Guid(), OID_VENDOR_ADVANCED_CONFIG, advanced, sizeof(advanced)));
    }
    struct Outcome {
        RecordImage record;
        int wirelessMode = -1;
        BOOL showAuthStatus = FALSE;
        BOOL wscInUse = FALSE;
        std::string storedMode, adhocMode;
    };
    Outcome ApplyKey(const std::vector<RegValue>& values)
    {
        WriteAdapterKey(values);
        if (g_pCurProfile) {
            FreeStationConfig(g_pCurProfile);
            g_pCurProfile = nullptr;
        }
        g_nWirelessMode = -1;
        // The engine waits for a scan: the record is queued and becomes the
        // current profile, but nothing is sent (the table makes hundreds).
        ResetEngine();
        g_ConnectRequests.push_back(ConnectRequest{ CONNECT_SCAN, nullptr });
        g_bScanPending = TRUE;
        SetOidFromReg(TRUE);
        ResetEngine();
        KillTimer(m_dlg.m_hWnd, IDT_WPS_CREDENTIAL);
        Outcome o;
        o.record = ImageOf(g_pCurProfile);
        o.wirelessMode = g_nWirelessMode;
        o.showAuthStatus = g_bShowAuthStatus;
        o.wscInUse = g_bWscInUse;
        o.storedMode = ReadValue("WirelessMode");
        o.adhocMode = ReadValue("AdhocOfdm");
        return o;
    }
    static constexpr BYTE kHt[12] = { 0x0F, 0, 0, 0, 3, 0, 1, 7, 0, 1, 0, 0x5A };
};
constexpr BYTE BadValues::kHt[12];

TEST_F(BadValues, EveryValueReadsAsAtoiReadsItOrAsMissing)
{
    const std::vector<RegValue> open = { Text("SSID", "Kestiq-Open") };
    const std::vector<RegValue> wep = { Text("SSID", "Kestiq-WEP"), Text("AuthenType", "1"), Text("Encryption", "0"),
                                        Text("WEPKey1", "0123456789"), Text("WEPKey2", "FFEEDDCCBB") };
    struct Row {
        const char* name;
        bool number;                 // a decimal text; otherwise a text field
        std::vector<RegValue> base;  // what else the key holds for the value to be read
        size_t longText = 200;       // characters of the "too long" form
    };
    const Row rows[] = {
        { "NetworkType", true, open },
        { "PreambleType", true, open },
        { "UseRts", true, { Text("SSID", "Kestiq-Open"), Text("RtsThresh", "500") } },
        { "RtsThresh", true, { Text("SSID", "Kestiq-Open"), Text("UseRts", "1") } },
        { "UseFrag", true, { Text("SSID", "Kestiq-Open"), Text("FragThresh", "900") } },
        { "FragThresh", true, { Text("SSID", "Kestiq-Open"), Text("UseFrag", "1") } },
        { "AuthenType", true, open },
        { "Encryption", true, open },
        { "WEPKeyUse", true, wep },
        { "TXPower", true, open },
        { "PSMode", true, open },
        { "ACPowerCam", true, open },
        { "LeapEnabled", true, open },
        { "Use8021X", true, open },
        { "AuthenProtocol", true, open },
        { "TunnelProtocol", true, open },
        { "ProvisioningTunnel", true, open },
        { "SessionResumption", true, open },
        { "PasswordMode", true, open },
        { "UseClientCert", true, { Text("SSID", "Kestiq-Open"), Text("ClientCertLen", "4"),
                                   Text("ClientCertData", "0A0B0C0D") } },
        { "ClientCertLen", true, { Text("SSID", "Kestiq-Open"), Text("UseClientCert", "1"),
                                   Text("ClientCertData", "0A0B0C0D") } },
        { "UseServerCert", true, { Text("SSID", "Kestiq-Open"), Text("ServerCertLen", "4"),
                                   Text("ServerCertData", "0A0B0C0D") } },
        { "ServerCertLen", true, { Text("SSID", "Kestiq-Open"), Text("UseServerCert", "1"),
                                   Text("ServerCertData", "0A0B0C0D") } },
        { "UsePAC", true, open },
        { "ProvisionMode", true, open },
        { "NameRule", true, open },
        { "IntermediateCert", true, open },
        { "WirelessMode", true, open },
        { "TransRate", true, { Text("SSID", "Kestiq-Open"), Text("WirelessMode", "3") } },
        { "CountryRegion", true, open },
        { "CountryRegionABand", true, open },
        { "TXBurst", true, open },
        { "TurboRate", true, open },
        { "BGProtection", true, { Text("SSID", "Kestiq-Open"), Text("WirelessMode", "3") } },
        { "ShortSlot", true, open },
        { "ShowAuthStatus", true, open },
        { "Channel", true, { Text("SSID", "Kestiq-Cell"), Text("NetworkType", "0") } },
        { "WSC", true, open },
        { "ID", false, open },
        { "Password", false, open },
        { "DomainName", false, open },
        { "TunnelID", false, open },
        { "TunnelPassword", false, open },
        { "ServerName", false, open },
        { "PACFilePath", false, open, 300 },
        { "LeapUserName", false, open, 300 },
        { "LeapPassword", false, open, 300 },
        { "LeapDomainName", false, open, 300 },
        { "WEPKey1", false, { Text("SSID", "Kestiq-WEP"), Text("Encryption", "0") } },
        { "WPAPSK", false, { Text("SSID", "Kestiq-Home"), Text("AuthenType", "7"), Text("Encryption", "6") } },
        { "ClientCertData", false, { Text("SSID", "Kestiq-Open"), Text("UseClientCert", "1"),
                                     Text("ClientCertLen", "4") } },
        { "CCX2Control", false, open },
        { "TransmitSetting", false, open },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Outcome missing = ApplyKey(row.base);
        ASSERT_FALSE(missing.record.bytes.empty() && std::string(row.name) != "WSC");
        // Each form reads as the value `as` reads (nullptr: as if missing).
        struct Form {
            const char* what;
            RegValue value;
            const char* as;
        };
        std::vector<Form> forms = {
            { "too long", Text(row.name, std::string(row.longText, row.number ? '7' : 'x')), nullptr },
            { "wrong type", Raw(row.name, REG_MULTI_SZ, Bytes({ '1', 0, '2', 0, 0 })), nullptr },
        };
        if (row.number) {
            forms.push_back({ "empty", Text(row.name, ""), "0" });
            forms.push_back({ "not a number", Text(row.name, "abc"), "0" });
            forms.push_back({ "leading digits", Text(row.name, " 7abc"), "7" });
            forms.push_back({ "a REG_DWORD", Dword(row.name, 7), "7" });
            forms.push_back({ "beyond an int", Text(row.name, "99999999999"), nullptr });
            forms.push_back({ "binary", Raw(row.name, REG_BINARY, Bytes({ 1, 0, 0, 0 })), nullptr });
        } else {
            forms.push_back({ "empty", Text(row.name, ""), nullptr });
        }
        if (std::string(row.name) == "CCX2Control" || std::string(row.name) == "TransmitSetting") {
            forms = { { "empty", Raw(row.name, REG_BINARY, {}), nullptr },
                      { "too long", Raw(row.name, REG_BINARY, Bytes({ 1, 2, 3, 4, 5, 6, 7, 8 })), nullptr },
                      { "short", Raw(row.name, REG_BINARY, Bytes({ 1, 2 })), nullptr },
                      { "a text", Text(row.name, "1234"), nullptr } };
        }
        for (const Form& form : forms) {
            SCOPED_TRACE(form.what);
            Outcome expected = missing;
            if (form.as) {
                std::vector<RegValue> values = row.base;
                values.push_back(Text(row.name, form.as));
                expected = ApplyKey(values);
            }
            std::vector<RegValue> values = row.base;
            values.push_back(form.value);
            Outcome bad = ApplyKey(values);
            EXPECT_TRUE(bad.record == expected.record) << FirstDifference(bad.record, expected.record);
            EXPECT_EQ(expected.wirelessMode, bad.wirelessMode);
            EXPECT_EQ(expected.showAuthStatus, bad.showAuthStatus);
            EXPECT_EQ(expected.wscInUse, bad.wscInUse);
            EXPECT_EQ(expected.storedMode, bad.storedMode);
            EXPECT_EQ(expected.adhocMode, bad.adhocMode);
        }
    }
}

TEST_F(BadValues, MissingValuesGiveTheirDefaults)
{
    Set(g_dwTransmitSetting, 0);
    DWORD advanced[8] = { 3, 4, 5, 6, 7, 1, 9, 10 };
    ASSERT_TRUE(m_sim.SetOidAnswer(Guid(), OID_VENDOR_ADVANCED_CONFIG, advanced, sizeof(advanced)));
    Outcome o = ApplyKey({});
    ASSERT_TRUE(g_pCurProfile);
    const StationConfig& r = *g_pCurProfile;
    EXPECT_EQ(0u, r.ssid.SsidLength);
    EXPECT_EQ(1u, r.infrastructureMode);
    EXPECT_EQ(0u, r.authMode);
    EXPECT_EQ(1u, r.encryption);
    EXPECT_EQ(0u, r.preamble);
    EXPECT_EQ(2347u, r.rtsThreshold);
    EXPECT_EQ(0u, r.fragThreshold);
    EXPECT_EQ(0u, r.txPowerIndex);
    EXPECT_EQ(0u, r.powerMode);
    EXPECT_EQ(0u, r.ccxControl);
    EXPECT_EQ(0u, r.region);
    EXPECT_EQ(1u, r.disassociateFirst);
    EXPECT_EQ(1u, r.applyRadioSettings);
    EXPECT_EQ(0u, r.matchByBssid);
    // 802.11n dual band: mode 5, written back with its index.
    EXPECT_EQ(5, o.wirelessMode);
    EXPECT_EQ("5", o.storedMode);
    EXPECT_EQ("5", o.adhocMode);
    // The driver's words stay where the key has none; protection is 0 outside modes 0 and 3.
    EXPECT_EQ(3u, r.advanced[0]);
    EXPECT_EQ(4u, r.advanced[1]);
    EXPECT_EQ(0u, r.advanced[2]);
    EXPECT_EQ(6u, r.advanced[3]);
    EXPECT_EQ(5u, r.advanced[4]);
    // No stored transmit setting: the record's is packed from the driver's
    // HT_PHY; g_dwTransmitSetting, which the rates follow, stays as it was.
    EXPECT_EQ(0xE07Fu, r.transmitSetting);
    EXPECT_EQ(0u, g_dwTransmitSetting);
    const BYTE only54[8] = { 108 };
    EXPECT_EQ(0, std::memcmp(only54, r.desiredRates, 8));
    EXPECT_TRUE(g_bConfigFromRegistry);
    m_sim.ClearOidAnswer(Guid(), OID_VENDOR_ADVANCED_CONFIG);

    // The driver's MCS 33 packed into the record does not open the rates.
    BYTE mcs33[12];
    std::memcpy(mcs33, kHt, sizeof(mcs33));
    mcs33[7] = 33;
    ASSERT_TRUE(m_sim.SetOidAnswer(Guid(), OID_VENDOR_HT_PHY, mcs33, sizeof(mcs33)));
    ApplyKey({});
    ASSERT_TRUE(g_pCurProfile);
    EXPECT_EQ(0xE21Fu, g_pCurProfile->transmitSetting);
    EXPECT_EQ(0u, g_dwTransmitSetting);
    EXPECT_EQ(0, std::memcmp(only54, g_pCurProfile->desiredRates, 8));

    // A stored setting is the one the rates follow.
    ApplyKey({ Dword("TransmitSetting", 33u << 4) });
    ASSERT_TRUE(g_pCurProfile);
    EXPECT_EQ(33u << 4, g_pCurProfile->transmitSetting);
    EXPECT_EQ(33u << 4, g_dwTransmitSetting);
    const BYTE all11g[8] = { 108, 96, 72, 48, 22, 11, 4, 2 };
    EXPECT_EQ(0, std::memcmp(all11g, g_pCurProfile->desiredRates, 8));
    ASSERT_TRUE(m_sim.SetOidAnswer(Guid(), OID_VENDOR_HT_PHY, kHt, sizeof(kHt)));
}

TEST_F(BadValues, NoAdapterKeyLeavesEveryPreset)
{
    g_strAdapterRegPath = "SOFTWARE\\KestiqTests\\NoSuchAdapterKey";
    DWORD from = Mark();
    SetOidFromReg(TRUE);
    ASSERT_TRUE(g_pCurProfile) << "the record is still queued";
    EXPECT_EQ(0u, g_pCurProfile->ssid.SsidLength);
    EXPECT_EQ(1u, g_pCurProfile->infrastructureMode);
    EXPECT_EQ(1u, g_pCurProfile->encryption);
    std::vector<Req> apply;
    SplitAtFirstSet(RequestsSince(from), nullptr, &apply);
    ASSERT_FALSE(apply.empty());
    EXPECT_EQ((DWORD)OID_802_11_DISASSOCIATE, apply[0].oid);
    HKEY k = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_strAdapterRegPath, 0, KEY_READ, &k))
        << "nothing creates the key";
}

TEST_F(BadValues, WepKeyTextsDecodeOnlyWholeHexPairs)
{
    struct {
        const char* text;
        const char* key;   // hex of the key sent, nullptr: no key
    } cases[] = {
        { "", nullptr },
        { "0", nullptr },
        { "012345678", nullptr },
        { "0123456789", "0123456789" },
        { "0123456789A", "0123456789" },
        { "0123456789abcdef0123456789", "0123456789ABCDEF0123456789" },
        { "0123456789ABCDEF0123456789FF", "0123456789ABCDEF0123456789" },
        { "0123456789ABCDEF012345678", nullptr },   // 25 digits: the 13th byte is not there
        { "0123456789ABCDEF", nullptr },
        { "GHIJKLMNOP", nullptr },
        { "01234G6789", nullptr },
        { "0123456789ABCDEF01234567 9", nullptr },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteAdapterKey({ Text("SSID", "Kestiq-WEP"), Text("Encryption", "0"), Text("WEPKeyUse", "1"),
                          Text("WEPKey1", c.text) });
        DWORD from = Mark();
        SetOidFromReg(FALSE);
        KillTimer(m_dlg.m_hWnd, IDT_WEP_CHECK);
        std::vector<Req> log = RequestsSince(from);
        const Req* first = nullptr;
        for (const Req& r : log)
            if (r.oid == OID_802_11_ADD_KEY || r.oid == OID_802_11_REMOVE_KEY) {
                first = &r;
                break;
            }
        ASSERT_TRUE(first);
        if (c.key) {
            EXPECT_TRUE(SameSequence({ SB(OID_802_11_ADD_KEY, KeyBlob(0, true, HexBytes(c.key))) }, { *first }));
        } else {
            EXPECT_EQ((DWORD)OID_802_11_REMOVE_KEY, first->oid);
        }
    }
}

TEST_F(BadValues, CertificatesAreBoundedByTheirFieldAndText)
{
    std::string full;
    for (int i = 0; i < 160; ++i) full += "AB";
    struct {
        const char* name;
        const char* length;
        std::string data;
        DWORD expected;
    } cases[] = {
        { "length above the field", "500", full, 152 },
        { "text shorter than the length", "100", "00112233445566778899", 10 },
        { "negative length", "-5", "ABCD", 0 },
        { "bad digits end the data", "4", "12zz5678", 1 },
        { "odd digit", "4", "123", 1 },
        { "as stored", "3", "0A0B0C", 3 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteAdapterKey({ Text("SSID", "Kestiq-Open"), Text("UseClientCert", "1"), Text("ClientCertLen", c.length),
                          Text("ClientCertData", c.data), Text("UseServerCert", "1"), Text("ServerCertLen", c.length),
                          Text("ServerCertData", c.data) });
        SetOidFromReg(FALSE);
        ASSERT_TRUE(g_pCurProfile);
        EXPECT_EQ(c.expected, g_pCurProfile->clientCertLength);
        EXPECT_EQ(c.expected, g_pCurProfile->serverCertLength);
        for (DWORD i = c.expected; i < 152; ++i) {
            ASSERT_EQ(0, g_pCurProfile->clientCert[i]) << i;
            ASSERT_EQ(0, g_pCurProfile->serverCert[i]) << i;
        }
        EXPECT_EQ(0, g_pCurProfile->leapEnabled) << "the field after the certificate is untouched";
    }
}

TEST_F(BadValues, PreSharedKeysThatCannotBeMadeAreNotApplied)
{
    WriteAdapterKey({ Text("SSID", "Kestiq-Open") });
    SetOidFromReg(FALSE);
    ASSERT_TRUE(g_pCurProfile);
    const StationConfig* current = g_pCurProfile;
    RecordImage before = ImageOf(current);

    struct {
        const char* name;
        std::string psk;
    } refused[] = {
        { "64 characters that are not hex", std::string(60, 'a') + "zzzz" },
        { "a passphrase over 63 characters", std::string(70, 'p') },
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        WriteAdapterKey({ Text("SSID", "Kestiq-Cell"), Text("NetworkType", "0"), Text("AuthenType", "5"),
                          Text("Encryption", "4"), Text("WPAPSK", c.psk) });
        DWORD from = Mark();
        SetOidFromReg(FALSE);
        std::vector<Req> apply;
        SplitAtFirstSet(RequestsSince(from), nullptr, &apply);
        EXPECT_TRUE(apply.empty()) << Describe(apply);
        EXPECT_EQ(current, g_pCurProfile);
        EXPECT_TRUE(ImageOf(g_pCurProfile) == before);
        EXPECT_TRUE(g_ConnectRequests.empty());
    }

    // A WPA2-PSK text longer than a key is left out; the rest is applied.
    WriteAdapterKey({ Text("SSID", "Kestiq-Home"), Text("AuthenType", "7"), Text("Encryption", "6"),
                      Text("WPAPSK", std::string(100, 'q')) });
    SetOidFromReg(FALSE);
    ASSERT_TRUE(g_pCurProfile);
    EXPECT_STREQ("Kestiq-Home", (const char*)g_pCurProfile->ssid.Ssid);
    EXPECT_EQ(0u, g_pCurProfile->wpaPskLength);
    EXPECT_EQ(0, g_pCurProfile->wpaPsk[0]);

    // 64 characters: kept whole, with no terminator inside the field.
    std::string hex64(64, 'c');
    WriteAdapterKey({ Text("SSID", "Kestiq-Home"), Text("AuthenType", "7"), Text("Encryption", "6"),
                      Text("WPAPSK", hex64) });
    SetOidFromReg(FALSE);
    EXPECT_EQ(64u, g_pCurProfile->wpaPskLength);
    EXPECT_EQ(0, std::memcmp(g_pCurProfile->wpaPsk, hex64.data(), 64));
}

TEST_F(BadValues, LongSsidsAreCutTo32Bytes)
{
    std::string ssid(40, 's');
    WriteAdapterKey({ Text("SSID", ssid) });
    DWORD from = Mark();
    SetOidFromReg(FALSE);
    ASSERT_TRUE(g_pCurProfile);
    EXPECT_EQ(32u, g_pCurProfile->ssid.SsidLength);
    NDIS_802_11_SSID expected = Ssid(ssid.substr(0, 32));
    bool found = false;
    for (const Req& r : RequestsSince(from))
        if (r.kind == KQSIM_LOG_SET && r.oid == OID_802_11_SSID) {
            found = true;
            EXPECT_TRUE(SameSequence({ SB(OID_802_11_SSID, &expected, sizeof(expected)) }, { r }));
        }
    EXPECT_TRUE(found);
}

TEST_F(BadValues, LeapRunsOverWepUnlessCcxAllowsAWpaCipher)
{
    struct {
        const char* encryption;
        DWORD ccx;          // 0xFFFFFFFF: no CCX2Control
        DWORD expected;
    } cases[] = {
        { "4", 0xFFFFFFFF, 0 }, { "4", 0x00000000, 0 }, { "4", 0x00000001, 4 },
        { "6", 0x00000001, 6 }, { "1", 0x00000001, 0 }, { "0", 0x00000001, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "encryption " << c.encryption << " ccx " << c.ccx);
        std::vector<RegValue> values = { Text("SSID", "Kestiq-Open"), Text("LeapEnabled", "1"),
                                         Text("Encryption", c.encryption), Text("LeapUserName", "leap-user") };
        if (c.ccx != 0xFFFFFFFF) values.push_back(Dword("CCX2Control", c.ccx));
        WriteAdapterKey(values);
        SetOidFromReg(FALSE);
        KillTimer(m_dlg.m_hWnd, IDT_WEP_CHECK);
        ASSERT_TRUE(g_pCurProfile);
        EXPECT_EQ(c.expected, g_pCurProfile->encryption);
        EXPECT_EQ(1, g_pCurProfile->leapEnabled);
        EXPECT_STREQ("leap-user", g_pCurProfile->leapUserName.text);
        EXPECT_EQ(9u, g_pCurProfile->leapUserName.length);
    }
}

TEST(DesiredRates, FixedRateIndexByMode)
{
    struct {
        int mode, rate;
        DWORD ts;
        std::vector<int> rates;
    } cases[] = {
        { 4, 3, 0, { 24 } },                                   // 12 Mbps
        { 4, 0, 0, { 108, 96, 72, 48, 36, 24, 18, 12 } },
        { 4, 8, 0, { 108 } },
        { 2, 9, 0, { 108, 96, 72, 48, 36, 24, 18, 12 } },      // mode 2 has 8 fixed rates
        { 1, 4, 0, { 22 } },
        { 1, 5, 0, { 22, 11, 4, 2 } },                         // beyond 802.11b: automatic
        { 0, 1, 0, { 2 } },
        { 0, 12, 0, { 108 } },
        { 3, 0, 0, { 108, 96, 72, 48, 22, 11, 4, 2 } },
        { 3, 13, 0, { 108, 96, 72, 48, 22, 11, 4, 2 } },
        { 0, -4, 0, { 108, 96, 72, 48, 22, 11, 4, 2 } },
        { 5, 3, 33 << 4, { 108, 96, 72, 48, 22, 11, 4, 2 } },  // 802.11n modes follow the MCS
        { 9, 0, 7 << 4, { 108 } },
    };
    for (const auto& c : cases) {
        BYTE out[8];
        std::memset(out, 0xEE, sizeof(out));
        DesiredRatesFromTransRate(c.mode, c.rate, c.ts, out);
        std::vector<BYTE> expected(8, 0);
        for (size_t i = 0; i < c.rates.size(); ++i) expected[i] = (BYTE)c.rates[i];
        EXPECT_EQ(expected, std::vector<BYTE>(out, out + 8)) << "mode " << c.mode << " rate " << c.rate;
    }
}

}  // namespace
}  // namespace kqengine
