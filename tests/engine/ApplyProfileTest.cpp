// Values written into the adapter key, then SetOidFromReg, then the driver's
// request log compared with the sequence a driver of this family expects:
// open, WEP, shared key, WPA-None, ad hoc, 802.11n and legacy adapters, the
// radio block applied and left alone, and the value rules (preamble, power
// mode, fixed rate, transmit power).
#include "engine/EngineFixture.h"

#include "core/StationConfig.h"
#include "core/WpsRuntime.h"

namespace kqengine {
namespace {

const DWORD kFull = 0xFFFFFFFF;   // TX power "full" is sent as -1

// The answers the test adapter gives to the two records SetOidFromReg and
// the engine read back: bytes 6 and 11 of HT_PHY and words 5 to 7 of the
// advanced block must come back unchanged.
const BYTE kHtPhyAnswer[12] = { 0x0F, 0, 0, 0, 3, 0, 1, 7, 0, 1, 0, 0x5A };
const DWORD kAdvancedAnswer[8] = { 9, 9, 9, 9, 9, 1, 7, 0x11 };

// DISASSOCIATE to TX_POWER: the head of every apply.
std::vector<Req> Head(DWORD infra, DWORD preamble, DWORD auth, DWORD enc, DWORD txPower, DWORD rts = 2347,
                      DWORD frag = 0)
{
    return { S0(OID_802_11_DISASSOCIATE),
             S32(OID_VENDOR_WSC_IN_USE, 0),
             S32(OID_802_11_RELOAD_DEFAULTS, 0),
             S32(OID_802_11_INFRASTRUCTURE_MODE, infra),
             S32(OID_VENDOR_PREAMBLE, preamble),
             S32(OID_802_11_RTS_THRESHOLD, rts),
             S32(OID_802_11_FRAGMENTATION_THRESHOLD, frag),
             S32(OID_802_11_AUTHENTICATION_MODE, auth),
             S32(OID_802_11_WEP_STATUS, enc),
             S32(OID_VENDOR_TX_POWER, txPower) };
}

std::vector<Req> operator+(std::vector<Req> a, const std::vector<Req>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<BYTE> Words(std::initializer_list<DWORD> words)
{
    std::vector<BYTE> b;
    for (DWORD w : words) b.insert(b.end(), (const BYTE*)&w, (const BYTE*)&w + 4);
    return b;
}

Req SetSsid(const char* text)
{
    NDIS_802_11_SSID s = Ssid(text);
    return SB(OID_802_11_SSID, &s, sizeof(s));
}

Req RemoveKey(DWORD index)
{
    std::vector<BYTE> b = Words({ 16, index });
    b.insert(b.end(), { 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0 });
    return SB(OID_802_11_REMOVE_KEY, b);
}

Req Rates(std::initializer_list<int> rates)
{
    std::vector<BYTE> b = Bytes(rates);
    b.resize(8, 0);
    return SB(OID_802_11_DESIRED_RATES, b);
}

// The 26-byte rate record: count, 12 rates, count, 12 rates.
Req RateSets(std::initializer_list<int> supported, std::initializer_list<int> extended)
{
    std::vector<BYTE> b(26, 0);
    b[0] = (BYTE)supported.size();
    int i = 1;
    for (int r : supported) b[i++] = (BYTE)r;
    b[13] = (BYTE)extended.size();
    i = 14;
    for (int r : extended) b[i++] = (BYTE)r;
    return SB(OID_VENDOR_RATE_SETS, b);
}

Req BgRateSets() { return RateSets({ 0x82, 0x84, 0x8B, 0x96, 0x12, 0x24, 0x48, 0x6C }, { 0x8C, 0x98, 0xB0, 0x60 }); }
Req ARateSets() { return RateSets({ 0x8C, 0x12, 0x98, 0x24, 0xB0, 0x48, 0x60, 0x6C }, {}); }

// 802.11i test vector: passphrase "password", SSID "IEEE".
const char kIeeePskHex[] = "f42c6fc52df0ebef9ebb4b90b38a5f902e83fe1b135a70e23aed762e9710a12e";

enum class Adapter { Ht, Legacy };

struct ProfileCase {
    const char* name;
    Adapter adapter;
    BOOL applyRadio;
    std::vector<RegValue> values;
    std::vector<Req> reads;       // queries SetOidFromReg makes before the apply
    std::vector<Req> apply;       // from the first set on
    std::function<void(EngineTest*)> setUp;
};

class ApplyProfile : public EngineTest {
protected:
    void Prepare(Adapter a)
    {
        KQSIM_ADAPTER_CONFIG cfg = kqsim::DefaultAdapterConfig(kqsim::TestAdapterGuid(0x61));
        if (a == Adapter::Legacy) {
            cfg.model = 0;
            cfg.dualBand = 0;
        }
        UseAdapter(cfg);
        Set(g_bHtDevice, a == Adapter::Ht);
        Set(g_bDualBand, a == Adapter::Ht);
        Set(g_nModelIndex, a == Adapter::Ht ? 7 : 0);
        Set(g_bLegacyModel, a == Adapter::Legacy);
        ASSERT_TRUE(m_sim.SetOidAnswer(Guid(), OID_VENDOR_HT_PHY, kHtPhyAnswer, sizeof(kHtPhyAnswer)));
        ASSERT_TRUE(m_sim.SetOidAnswer(Guid(), OID_VENDOR_ADVANCED_CONFIG, kAdvancedAnswer, sizeof(kAdvancedAnswer)));
    }
    // The whole apply of the adapter key; reads and apply as the driver saw them.
    void Apply(BOOL applyRadio, std::vector<Req>* reads, std::vector<Req>* apply)
    {
        DWORD from = Mark();
        SetOidFromReg(applyRadio);
        SplitAtFirstSet(RequestsSince(from), reads, apply);
    }
    // Is timer 3 running?  (It does not run any more afterwards.)
    bool TakeWepTimer() { return KillTimer(m_dlg.m_hWnd, IDT_WEP_CHECK) != FALSE; }
};

TEST_F(ApplyProfile, EachProfileSendsItsSequence)
{
    const std::vector<BYTE> wep5 = HexBytes("0123456789");
    const std::vector<BYTE> wep13 = HexBytes("00112233445566778899AABBCC");
    const std::vector<BYTE> wep5b = HexBytes("FFEEDDCCBB");
    const std::vector<BYTE> ieeePsk = HexBytes(kIeeePskHex);
    // The stored transmit setting 0x19A13: value 3, MCS 33, 40 MHz, short
    // guard interval, PHY mode 2, HT mode 1.
    const std::vector<BYTE> htFromSetting = Bytes({ 3, 0, 0, 0, 2, 1, 1, 33, 1, 0, 1, 0x5A });
    // Nothing stored: zeros, with bytes 6 and 11 as the driver has them.
    const std::vector<BYTE> htFromZero = Bytes({ 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0x5A });
    const std::vector<Req> adHocWpaNone =
        std::vector<Req>{ S0(OID_802_11_DISASSOCIATE),
                          S32(OID_VENDOR_WSC_IN_USE, 0),
                          S32(OID_802_11_RELOAD_DEFAULTS, 0),
                          S32(OID_802_11_INFRASTRUCTURE_MODE, 0),
                          S32(OID_VENDOR_PREAMBLE, 2),        // a stored 1 is sent as 2
                          S32(OID_802_11_RTS_THRESHOLD, 2347),
                          S32(OID_802_11_FRAGMENTATION_THRESHOLD, 0),
                          S32(OID_802_11_AUTHENTICATION_MODE, 5),
                          S32(OID_802_11_WEP_STATUS, 4),
                          S32(OID_VENDOR_TX_POWER, 50),
                          S32(OID_VENDOR_LEAP, 0),
                          SB(OID_802_11_ADD_KEY, KeyBlob(0, true, ieeePsk)),
                          Q(OID_802_11_CONFIGURATION),
                          S(OID_802_11_CONFIGURATION),
                          SB(OID_VENDOR_ADVANCED_CONFIG, Words({ 0, 1, 1, 1, 5, 1, 0, 0 })),
                          Rates({ 108, 96, 72, 48, 22, 11, 4, 2 }),
                          BgRateSets(),
                          SetSsid("IEEE"),
                          S32(OID_VENDOR_CCX_CONTROL, 0) };

    const ProfileCase cases[] = {
        { "open, 802.11n adapter, radio applied", Adapter::Ht, TRUE,
          { Text("SSID", "Kestiq-Open"), Text("NetworkType", "1"), Text("AuthenType", "0"), Text("Encryption", "1"),
            Text("PreambleType", "0"), Text("TXPower", "0"), Text("PSMode", "1"), Text("ACPowerCam", "1"),
            Text("WirelessMode", "5"), Dword("TransmitSetting", 0x19A13), Text("TXBurst", "1"),
            Text("TurboRate", "0"), Text("BGProtection", "2"), Text("ShortSlot", "1"), Text("TransRate", "0") },
          { Q(OID_VENDOR_ADVANCED_CONFIG) },
          Head(1, 2, 0, 1, kFull) +
              std::vector<Req>{ S32(OID_VENDOR_LEAP, 0), S32(OID_802_11_POWER_MODE, 2),
                                S32(OID_VENDOR_AC_POWER_CAM, 1), Q(OID_VENDOR_HT_PHY),
                                SB(OID_VENDOR_HT_PHY, htFromSetting), S32(OID_VENDOR_WIRELESS_MODE, 5),
                                // words 0-3 from the key (protection only in modes 0 and 3),
                                // word 4 the mode's index, 5 and 7 as read, 6 cleared
                                SB(OID_VENDOR_ADVANCED_CONFIG, Words({ 1, 0, 0, 1, 5, 1, 0, 0x11 })),
                                S32(OID_VENDOR_CCX_CONTROL, 0), SetSsid("Kestiq-Open"),
                                S32(OID_VENDOR_CCX_CONTROL, 0) } },
        { "WEP, open system, legacy adapter, radio applied", Adapter::Legacy, TRUE,
          { Text("SSID", "Kestiq-WEP"), Text("AuthenType", "0"), Text("Encryption", "0"), Text("WEPKeyUse", "1"),
            Text("WEPKey1", "0123456789"), Text("WirelessMode", "0"), Text("TXBurst", "0"), Text("TurboRate", "1"),
            Text("BGProtection", "1"), Text("ShortSlot", "0"), Text("TXPower", "6"), Text("PSMode", "5"),
            Dword("CCX2Control", 0x00640031) },
          { Q(OID_VENDOR_ADVANCED_CONFIG) },
          Head(1, 2, 0, 0, 6) +
              std::vector<Req>{ S32(OID_VENDOR_LEAP, 0), SB(OID_802_11_ADD_KEY, KeyBlob(0, true, wep5)),
                                RemoveKey(1), RemoveKey(2), RemoveKey(3), S32(OID_802_11_POWER_MODE, 0),
                                S32(OID_VENDOR_AC_POWER_CAM, 0), S32(OID_VENDOR_WIRELESS_MODE, 0),
                                SB(OID_VENDOR_ADVANCED_CONFIG, Words({ 0, 1, 1, 0, 1, 1, 0, 0x11 })),
                                Rates({ 108, 96, 72, 48, 22, 11, 4, 2 }), BgRateSets(),
                                S32(OID_VENDOR_CCX_CONTROL, 0x00640031), SetSsid("Kestiq-WEP"),
                                S32(OID_VENDOR_CCX_CONTROL, 0x00640031), Q(OID_802_11_STATISTICS),
                                Q(OID_GEN_RCV_OK) } },
        { "shared key, third key missing, radio not applied", Adapter::Ht, FALSE,
          { Text("SSID", "Kestiq-Shared"), Text("AuthenType", "1"), Text("Encryption", "0"), Text("WEPKeyUse", "2"),
            Text("WEPKey1", "0123456789"), Text("WEPKey2", "00112233445566778899AABBCC"), Text("WEPKey3", ""),
            Text("WEPKey4", "FFEEDDCCBB"), Text("TXPower", "7"), Text("WirelessMode", "9") },
          {},
          Head(1, 2, 1, 0, kFull) +
              std::vector<Req>{ S32(OID_VENDOR_LEAP, 0), SB(OID_802_11_ADD_KEY, KeyBlob(0, false, wep5)),
                                SB(OID_802_11_ADD_KEY, KeyBlob(1, true, wep13)), RemoveKey(2),
                                SB(OID_802_11_ADD_KEY, KeyBlob(3, false, wep5b)), S32(OID_802_11_POWER_MODE, 0),
                                S32(OID_VENDOR_AC_POWER_CAM, 0), Q(OID_VENDOR_HT_PHY),
                                SB(OID_VENDOR_HT_PHY, htFromZero),
                                // the last block read goes back; the mode's own rates
                                SB(OID_VENDOR_ADVANCED_CONFIG, Words({ 0, 1, 1, 1, 5, 1, 0, 0 })),
                                Rates({ 108, 96, 72, 48, 36, 24, 18, 12 }), ARateSets(), SetSsid("Kestiq-Shared"),
                                S32(OID_VENDOR_CCX_CONTROL, 0), Q(OID_802_11_STATISTICS), Q(OID_GEN_RCV_OK) },
          [](EngineTest*) { g_nWirelessMode = 4; } },
        { "WPA-None from a passphrase, ad hoc on channel 6", Adapter::Legacy, FALSE,
          { Text("SSID", "IEEE"), Text("NetworkType", "0"), Text("AuthenType", "5"), Text("Encryption", "4"),
            Text("WPAPSK", "password"), Text("Channel", "6"), Text("PreambleType", "1"), Text("TXPower", "3") },
          {}, adHocWpaNone, [](EngineTest*) { g_nWirelessMode = 0; } },
        { "WPA-None from 64 hex digits", Adapter::Legacy, FALSE,
          { Text("SSID", "IEEE"), Text("NetworkType", "0"), Text("AuthenType", "5"), Text("Encryption", "4"),
            Text("WPAPSK", kIeeePskHex), Text("Channel", "6"), Text("PreambleType", "1"), Text("TXPower", "3") },
          {}, adHocWpaNone, [](EngineTest*) { g_nWirelessMode = 0; } },
        { "WPA2-PSK: the port takes the key, the driver gets no key", Adapter::Ht, TRUE,
          { Text("SSID", "Kestiq-Home"), Text("AuthenType", "7"), Text("Encryption", "6"),
            Text("WPAPSK", "kestiq-secret"), Text("WirelessMode", "5"), Dword("TransmitSetting", 0x19A13) },
          { Q(OID_VENDOR_ADVANCED_CONFIG) },
          Head(1, 2, 7, 6, kFull) +
              std::vector<Req>{ S32(OID_VENDOR_LEAP, 0), S32(OID_802_11_POWER_MODE, 0),
                                S32(OID_VENDOR_AC_POWER_CAM, 0), Q(OID_VENDOR_HT_PHY),
                                SB(OID_VENDOR_HT_PHY, htFromSetting), S32(OID_VENDOR_WIRELESS_MODE, 5),
                                SB(OID_VENDOR_ADVANCED_CONFIG, Words({ 9, 9, 0, 9, 5, 1, 0, 0x11 })),
                                S32(OID_VENDOR_CCX_CONTROL, 0), SetSsid("Kestiq-Home"),
                                S32(OID_VENDOR_CCX_CONTROL, 0) } },
        { "802.11n adapter, mode 9, radio not applied, MCS 33", Adapter::Ht, FALSE,
          { Text("SSID", "Kestiq-Open") },
          {},
          Head(1, 2, 0, 1, kFull) +
              std::vector<Req>{ S32(OID_VENDOR_LEAP, 0), S32(OID_802_11_POWER_MODE, 0),
                                S32(OID_VENDOR_AC_POWER_CAM, 0), Q(OID_VENDOR_HT_PHY),
                                SB(OID_VENDOR_HT_PHY, htFromZero),
                                SB(OID_VENDOR_ADVANCED_CONFIG, Words({ 0, 1, 1, 1, 5, 1, 0, 0 })),
                                Rates({ 108, 96, 72, 48, 22, 11, 4, 2 }), SetSsid("Kestiq-Open"),
                                S32(OID_VENDOR_CCX_CONTROL, 0) },
          [](EngineTest*) {
              g_nWirelessMode = 9;
              g_dwTransmitSetting = 33 << 4;
          } },
        { "802.11n adapter without a stored setting: read from the driver", Adapter::Ht, TRUE,
          { Text("SSID", "Kestiq-Open"), Text("WirelessMode", "9") },
          { Q(OID_VENDOR_HT_PHY), Q(OID_VENDOR_ADVANCED_CONFIG) },
          Head(1, 2, 0, 1, kFull) +
              std::vector<Req>{ S32(OID_VENDOR_LEAP, 0), S32(OID_802_11_POWER_MODE, 0),
                                S32(OID_VENDOR_AC_POWER_CAM, 0), Q(OID_VENDOR_HT_PHY),
                                SB(OID_VENDOR_HT_PHY, kHtPhyAnswer, sizeof(kHtPhyAnswer)),
                                S32(OID_VENDOR_WIRELESS_MODE, 9),
                                SB(OID_VENDOR_ADVANCED_CONFIG, Words({ 9, 9, 0, 9, 9, 1, 0, 0x11 })),
                                S32(OID_VENDOR_CCX_CONTROL, 0), SetSsid("Kestiq-Open"),
                                S32(OID_VENDOR_CCX_CONTROL, 0) } },
        { "legacy adapter, TransRate 3 in mode 4, region flag, driver 5.0", Adapter::Legacy, TRUE,
          { Text("SSID", "Kestiq-Open"), Text("WirelessMode", "4"), Text("TransRate", "3"),
            Text("CountryRegion", "1"), Text("CountryRegionABand", "7"), Text("TXPower", "4"), Text("PSMode", "2"),
            Text("ACPowerCam", "1"), Text("UseRts", "1"), Text("RtsThresh", "500"), Text("UseFrag", "1"),
            Text("FragThresh", "1000") },
          { Q(OID_VENDOR_ADVANCED_CONFIG) },
          Head(1, 2, 0, 1, 25, 500, 1000) +
              std::vector<Req>{ S32(OID_VENDOR_LEAP, 0), S32(OID_802_11_POWER_MODE, 2),
                                S32(OID_VENDOR_WIRELESS_MODE, 4),
                                SB(OID_VENDOR_ADVANCED_CONFIG, Words({ 9, 9, 0, 9, 2, 1, 0, 0x11 })),
                                S32(OID_VENDOR_COUNTRY_REGION, 0x0701), Q(OID_VENDOR_COUNTRY_REGION),
                                Rates({ 24 }), ARateSets(), S32(OID_VENDOR_CCX_CONTROL, 0),
                                SetSsid("Kestiq-Open"), S32(OID_VENDOR_CCX_CONTROL, 0) },
          [](EngineTest*) {
              g_wDriverVersion = 0x0500;
              g_bRegionBgFlag = TRUE;
              g_bDualBand = TRUE;
          } },
    };

    for (const ProfileCase& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare(c.adapter);
        if (HasFatalFailure()) return;
        WriteAdapterKey(c.values);
        // The block an apply without radio settings sends back: the last one read.
        const DWORD lastRead[8] = { 0, 1, 1, 1, 5, 1, 0, 0 };
        std::memcpy(g_AdvancedConfig, lastRead, sizeof(lastRead));
        if (c.setUp) c.setUp(this);
        std::vector<Req> reads, apply;
        Apply(c.applyRadio, &reads, &apply);
        EXPECT_TRUE(SameSequence(c.reads, reads));
        EXPECT_TRUE(SameSequence(c.apply, apply));
        EXPECT_TRUE(g_ConnectRequests.empty());
        TakeWepTimer();
    }
}

TEST_F(ApplyProfile, AppliedProfilesJoinTheirNetworks)
{
    struct {
        const char* name;
        std::vector<RegValue> values;
        const char* joined;     // SSID the driver is joined to afterwards
        bool connected;
    } cases[] = {
        { "open", { Text("SSID", "Kestiq-Open") }, "Kestiq-Open", true },
        { "WEP with the right key",
          { Text("SSID", "Kestiq-WEP"), Text("Encryption", "0"), Text("WEPKeyUse", "1"), Text("WEPKey1", "0123456789") },
          "Kestiq-WEP", true },
        { "ad hoc WPA-None makes its own cell",
          { Text("SSID", "Kestiq-Cell"), Text("NetworkType", "0"), Text("AuthenType", "5"), Text("Encryption", "4"),
            Text("WPAPSK", "cell-passphrase"), Text("Channel", "11") },
          "Kestiq-Cell", true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteAdapterKey(c.values);
        SetOidFromReg(TRUE);
        kqsim::AdapterState s = State();
        EXPECT_EQ(std::string(c.joined), std::string(s.ssid, s.ssidLen));
        EXPECT_EQ(c.connected, s.connected != 0);
        DWORD media = 1;
        QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &media, sizeof(media), nullptr);
        EXPECT_EQ(c.connected ? 0u : 1u, media);
    }
    // The ad hoc cell is on the channel the key names.
    EXPECT_EQ(11u, State().channel);
}

TEST_F(ApplyProfile, RadioSettingsAreWrittenBackNormalised)
{
    Prepare(Adapter::Ht);
    Set(g_bDualBand, FALSE);
    WriteAdapterKey({ Text("SSID", "Kestiq-Open"), Text("WirelessMode", "5") });
    SetOidFromReg(TRUE);
    // Without 802.11a, mode 5 is 9; word 4 of the block and AdhocOfdm take its index.
    EXPECT_EQ(9, g_nWirelessMode);
    EXPECT_EQ("9", ReadValue("WirelessMode"));
    EXPECT_EQ("9", ReadValue("AdhocOfdm"));
    ASSERT_TRUE(g_pCurProfile);
    EXPECT_EQ(9u, g_pCurProfile->advanced[4]);
    EXPECT_EQ(0, std::memcmp(g_AdvancedConfig, g_pCurProfile->advanced, sizeof(g_AdvancedConfig)));

    // Radio settings not applied: nothing of the radio is read or written.
    WriteAdapterKey({ Text("SSID", "Kestiq-Open"), Text("WirelessMode", "3") });
    SetOidFromReg(FALSE);
    EXPECT_EQ(9, g_nWirelessMode);
    EXPECT_EQ("3", ReadValue("WirelessMode"));
    EXPECT_EQ("<missing>", ReadValue("AdhocOfdm"));
    EXPECT_EQ(0u, g_pCurProfile->applyRadioSettings);
}

TEST_F(ApplyProfile, WepCheckStartsOnlyForWepInInfrastructure)
{
    struct {
        DWORD infra, auth, enc;
        bool check;
    } cases[] = {
        { 1, 0, 0, true },    // WEP, open system
        { 1, 1, 0, true },    // WEP, shared key
        { 0, 0, 0, false },   // WEP in ad hoc mode
        { 1, 0, 1, false },   // no encryption
        { 1, 4, 0, false },   // not open or shared
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "infra " << c.infra << " auth " << c.auth << " enc " << c.enc);
        StationConfig* r = AllocStationConfig();
        ASSERT_TRUE(r);
        r->ssid = Ssid("Kestiq-WEP");
        r->infrastructureMode = c.infra;
        r->authMode = c.auth;
        r->encryption = c.enc;
        m_dlg.m_bWepCheck = !c.check;
        DWORD from = Mark();
        ASSERT_TRUE(m_dlg.UpdateConnectRequest(CONNECT_APPLY, r));
        m_dlg.ConnectProfile();
        std::vector<Req> log = RequestsSince(from);
        ASSERT_FALSE(log.empty());
        bool baseline = log.size() >= 2 && log[log.size() - 2].oid == OID_802_11_STATISTICS &&
                        log.back().oid == OID_GEN_RCV_OK;
        EXPECT_EQ(c.check, m_dlg.m_bWepCheck != FALSE);
        EXPECT_EQ(c.check, baseline);
        EXPECT_EQ(c.check, TakeWepTimer());
    }
}

// ---- Single sign-on and WPS credentials ---------------------------------------

class SsoKeyGuard {
public:
    static constexpr const char* kKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Obrint";
    SsoKeyGuard() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey); }
    ~SsoKeyGuard() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey); }
    void Put(const char* name, const char* text)
    {
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, kKey, name, REG_SZ, text, (DWORD)std::strlen(text));
    }
    std::string Get(const char* name)
    {
        char buf[64] = {};
        DWORD size = sizeof(buf) - 1;
        if (RegGetValueA(HKEY_LOCAL_MACHINE, kKey, name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
            return "<missing>";
        return buf;
    }
};

TEST_F(ApplyProfile, SingleSignOnDecidesWhetherTheProfileIsApplied)
{
    struct {
        const char* name;
        const char* enable;      // nullptr: no SSOEnable
        const char* cancelled;   // nullptr: no SSOAuthenticationCancelled
        bool keyMissing;
        bool linkUp;             // the logon brought the link up already
        int port;
        bool applied;
        const char* cancelledAfter;
    } cases[] = {
        { "no single-sign-on key", nullptr, nullptr, true, false, 0, true, "<missing>" },
        { "SSOEnable missing", nullptr, "1", false, false, 0, true, "1" },
        { "SSOEnable 0 clears the cancelled flag", "0", "1", false, true, 0, true, "0" },
        { "enabled, not cancelled", "1", "0", false, true, 0, true, "0" },
        { "enabled, cancelled flag missing", "1", nullptr, false, true, 0, true, "<missing>" },
        { "cancelled, link up: the logon's link stays", "1", "1", false, true, 1, false, "1" },
        { "cancelled, link down, port open: applied", "1", "1", false, false, 1, true, "1" },
        { "cancelled, link down, no port: not applied", "1", "1", false, false, 0, false, "1" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SsoKeyGuard sso;
        if (!c.keyMissing) {
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, SsoKeyGuard::kKey, "Unrelated", REG_SZ, "x", 1);
            if (c.enable) sso.Put("SSOEnable", c.enable);
            if (c.cancelled) sso.Put("SSOAuthenticationCancelled", c.cancelled);
        }
        WriteAdapterKey({ Text("SSID", "Kestiq-Open") });
        if (c.linkUp) {
            NDIS_802_11_SSID s = Ssid("Kestiq-Open");
            ASSERT_TRUE(SetOid(OID_802_11_SSID, &s, sizeof(s), nullptr, 1));
        } else {
            ASSERT_TRUE(SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, 1));
        }
        g_hAuthPort = c.port;
        g_bSsoPending = TRUE;
        DWORD from = Mark();
        SetOidFromReg(TRUE);
        std::vector<Req> apply;
        SplitAtFirstSet(RequestsSince(from), nullptr, &apply);
        EXPECT_EQ(c.applied, !apply.empty() && apply[0].oid == OID_802_11_DISASSOCIATE);
        EXPECT_FALSE(g_bSsoPending);
        EXPECT_EQ(std::string(c.cancelledAfter), sso.Get("SSOAuthenticationCancelled"));
    }
}

TEST_F(ApplyProfile, AutoConnectOffQueuesNothing)
{
    WriteAdapterKey({ Text("SSID", "Kestiq-Open") });
    g_bAutoConnect = FALSE;
    DWORD from = Mark();
    SetOidFromReg(TRUE);
    std::vector<Req> apply;
    SplitAtFirstSet(RequestsSince(from), nullptr, &apply);
    EXPECT_TRUE(apply.empty());
    EXPECT_TRUE(g_ConnectRequests.empty());
    EXPECT_TRUE(g_bConfigFromRegistry);
}

TEST_F(ApplyProfile, WscReadsTheStoredCredentialsAndNoRegistryProfile)
{
    WriteAdapterKey({ Text("WSC", "1"), Text("SSID", "Registry-Profile"), Text("AuthenType", "1"),
                      Text("Encryption", "0"), Text("WEPKey1", "0123456789") });
    PutValue(Text("NumberofProfile", "3"), "WscProfile");
    PutValue(Text("ConfigMode", "1"), "WscProfile");
    PutValue(Text("PinCode", "12345670"), "WscProfile");
    const char* ssids[] = { "Wps-One", "Wps-Two", "Wps-Three" };
    for (int i = 0; i < 3; ++i) {
        std::string sub = "WscProfile\\Profile" + std::to_string(i);
        PutValue(Text("SSID", ssids[i]), sub.c_str());
        PutValue(Text("AuthType", "32"), sub.c_str());
        PutValue(Text("EncryType", "8"), sub.c_str());
        PutValue(Text("KeyIndex", "1"), sub.c_str());
        PutValue(Text("KeyLength", "10"), sub.c_str());
        PutValue(Text("Key", "secret-key-and-more"), sub.c_str());
        PutValue(Raw("MacAddress", REG_BINARY, Bytes({ 0, 0x11, 0x22, 0x33, 0x44, i })), sub.c_str());
    }
    DWORD from = Mark();
    SetOidFromReg(TRUE);

    EXPECT_TRUE(g_bWscInUse);
    EXPECT_FALSE(g_bConfigFromRegistry);
    // The current credential is applied in place of the registry profile.
    ASSERT_NE(nullptr, g_pCurProfile);
    EXPECT_EQ("Wps-One", std::string((const char*)g_pCurProfile->ssid.Ssid, g_pCurProfile->ssid.SsidLength));
    bool credentialSsid = false;
    for (const Req& r : RequestsSince(from)) {
        credentialSsid |= r.kind == KQSIM_LOG_SET && r.oid == OID_802_11_SSID && r.data.size() >= 11 && std::memcmp(&r.data[4], "Wps-One", 7) == 0;
        bool registrySsid = r.oid == OID_802_11_SSID && r.data.size() >= 20 &&
                            std::memcmp(&r.data[4], "Registry-Profile", 16) == 0;
        EXPECT_FALSE(registrySsid);
        EXPECT_NE(OID_802_11_ADD_KEY, r.oid);
    }
    EXPECT_EQ(1, g_nWscConfigMode);
    EXPECT_EQ(12345670u, g_dwWscPinCode);
    ASSERT_EQ(3u, g_WscCredentials.count);
    for (int i = 0; i < 3; ++i) {
        const WpsCredential& c = g_WscCredentials.cred[i];
        EXPECT_EQ(std::string(ssids[i]), std::string((const char*)c.ssid.Ssid, c.ssid.SsidLength));
        EXPECT_EQ(0x20u, c.AuthType);
        EXPECT_EQ(8u, c.EncrType);
        EXPECT_EQ(1u, c.KeyIndex);
        EXPECT_EQ(10u, c.KeyLength);
        EXPECT_EQ(0, std::memcmp(c.Key, "secret-key\0\0", 12)) << "KeyLength bytes of the text";
        EXPECT_EQ(i, c.MacAddress[5]);
    }
    EXPECT_TRUE(credentialSsid);
    // Timer 4 rotates through the credentials.
    EXPECT_TRUE(KillTimer(m_dlg.m_hWnd, IDT_WPS_CREDENTIAL));
}

TEST_F(ApplyProfile, StoredWpsCredentialsAreBoundedByTheBlock)
{
    WriteAdapterKey({ Text("WSC", "1") });
    PutValue(Text("NumberofProfile", "40"), "WscProfile");
    for (int i = 0; i < 9; ++i) {
        std::string sub = "WscProfile\\Profile" + std::to_string(i);
        PutValue(Text("SSID", std::string(40, (char)('A' + i))), sub.c_str());
        PutValue(Text("KeyLength", "300"), sub.c_str());
        PutValue(Text("Key", std::string(100, 'k')), sub.c_str());
        PutValue(Raw("MacAddress", REG_BINARY, Bytes({ 1, 2, 3, 4, 5, 6, 7, 8, 9 })), sub.c_str());
    }
    SetOidFromReg(TRUE);
    ASSERT_EQ(8u, g_WscCredentials.count);
    for (int i = 0; i < 8; ++i) {
        const WpsCredential& c = g_WscCredentials.cred[i];
        EXPECT_EQ(32u, c.ssid.SsidLength);
        EXPECT_EQ(64u, c.KeyLength);
        EXPECT_EQ(0, std::memcmp(c.Key, std::string(64, 'k').data(), 64));
        EXPECT_EQ(0, c.pad[0]);
        EXPECT_EQ(0, c.MacAddress[0]) << "a MAC address of another size is not taken";
    }
    KillTimer(m_dlg.m_hWnd, IDT_WPS_CREDENTIAL);
}

}  // namespace
}  // namespace kqengine
