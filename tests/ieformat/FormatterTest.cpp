// The element interpreter: real beacons from the test data, the documented
// cases on hand-made elements, and the bounds that keep a bad entry from
// being read past its end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BssEntry.h"
#include "core/BssIeFormatter.h"
#include "support/TestData.h"

namespace {

std::vector<std::string> Fields(const CString& text)
{
    std::vector<std::string> out;
    std::string s = text.str();
    size_t start = 0;
    for (;;) {
        size_t p = s.find(';', start);
        out.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos)
            break;
        start = p + 1;
    }
    return out;
}

std::string Section(const Bytes& entry, int section) { return FormatBssIeInfo(AsBss(entry), section).str(); }
std::vector<std::string> HtFields(const Bytes& entry) { return Fields(FormatBssIeInfo(AsBss(entry), 3)); }

// --- suites and elements --------------------------------------------------

Bytes Suite(BYTE a, BYTE b, BYTE c, BYTE type) { return Bytes{ a, b, c, type }; }
Bytes Ieee(BYTE type) { return Suite(0x00, 0x0F, 0xAC, type); }
Bytes Msft(BYTE type) { return Suite(0x00, 0x50, 0xF2, type); }
Bytes Cisco(BYTE type) { return Suite(0x00, 0x40, 0x96, type); }

Bytes Le16(WORD v) { return Bytes{ (BYTE)v, (BYTE)(v >> 8) }; }
Bytes Be16(WORD v) { return Bytes{ (BYTE)(v >> 8), (BYTE)v }; }

Bytes SuiteList(const std::vector<Bytes>& suites)
{
    Bytes out = Le16((WORD)suites.size());
    for (const Bytes& s : suites)
        out.insert(out.end(), s.begin(), s.end());
    return out;
}

Bytes Rsn(const Bytes& group, const std::vector<Bytes>& pairwise, const std::vector<Bytes>& akm)
{
    return Element(48, Concat({ Le16(1), group, SuiteList(pairwise), SuiteList(akm), Le16(0) }));
}

// WPA-style vendor element: OUI and type, version, group, pairwise, AKM.
Bytes Wpa(const Bytes& ouiType, const Bytes& group, const std::vector<Bytes>& pairwise,
          const std::vector<Bytes>& akm)
{
    return Element(221, Concat({ ouiType, Le16(1), group, SuiteList(pairwise), SuiteList(akm) }));
}

Bytes WpsAttr(WORD type, const Bytes& value) { return Concat({ Be16(type), Be16((WORD)value.size()), value }); }
Bytes Wps(std::initializer_list<Bytes> attrs) { return Element(221, Concat({ Msft(4), Concat(attrs) })); }

// HT Capabilities body (26 bytes) with the capability word, A-MPDU byte and
// supported MCS byte 12 set.
Bytes HtCapBody(WORD cap, BYTE ampdu, BYTE mcs12)
{
    Bytes b(26, 0);
    b[0] = (BYTE)cap;
    b[1] = (BYTE)(cap >> 8);
    b[2] = ampdu;
    b[3 + 12] = mcs12;
    return b;
}

Bytes HtInfoBody(BYTE primary, BYTE b1, WORD op, WORD w3, std::vector<DWORD> basic = { 0, 0, 0, 0 })
{
    Bytes b(22, 0);
    b[0] = primary;
    b[1] = b1;
    b[2] = (BYTE)op;
    b[3] = (BYTE)(op >> 8);
    b[4] = (BYTE)w3;
    b[5] = (BYTE)(w3 >> 8);
    for (int k = 0; k < 4; ++k)
        memcpy(&b[6 + 4 * k], &basic[k], 4);
    return b;
}

Bytes Infra(const Bytes& elements) { return MakeEntry(FrameBody(elements)); }
Bytes Ibss(const Bytes& elements)
{
    EntryOptions o;
    o.infrastructure = Ndis802_11IBSS;
    return MakeEntry(FrameBody(elements), o);
}

const Bytes kSsid = Element(0, { 'n', 'e', 't' });
const std::string kNoWps = "Unknown;Unknown;Unknown;Unknown;Unknown;Unknown;Unknown;Unknown;FALSE";

std::string DefaultHt()
{
    std::string s;
    for (int i = 0; i < 55; ++i) {
        bool number = i == 0 || i == 6 || i == 7 || i == 12 || i == 14 || i == 21 || i == 22 || i == 25 ||
                      i == 29 || i == 30 || i == 33 || i == 34 || i == 35 || i == 38 || i == 39 ||
                      (i >= 50 && i <= 53);
        s += (i ? ";" : "");
        s += number ? "0" : "FALSE";
    }
    return s;
}

// --- real beacons ---------------------------------------------------------

class RealBeacons : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kqtest::TestDataPresent("beacons"));
        std::string where;
        beacons = LoadBeacons(&where);
        ASSERT_FALSE(beacons.empty()) << "no beacon bodies in " << where;
    }
    std::vector<Beacon> beacons;
};

struct BeaconExpect {
    const char* name;
    const char* security;
    const char* wps;
    bool extBit0;      // field 1
    bool txMcsSet;     // field 23
    int secondary;     // field 34
    int staWidth;      // field 35
};

const char* const kWpsTest1 =
    "0x2388;Unknown;Unknown;Configured;1.0;Unknown;D56C6368B016F7C309223481C4E7991B;2.4GHz;TRUE";

const BeaconExpect kBeaconExpect[] = {
    { "Chinese-SSID-Name-0024018dc084", "Unknown;None", nullptr, true, false, 3, 1 },
    { "MOM1-00212972a319", "WPA-PSK+WPA2-PSK;TKIP+AES",
      "Unknown;Unknown;Unknown;Unconfigured;1.0;Unknown;Unknown;Unknown;TRUE", false, false, 0, 0 },
    // PSK-SHA256 (6) and SAE (8) are not among the names.
    { "n-02-b0b98a568dea", "Unknown;AES", nullptr, false, true, 3, 1 },
    { "test1-000d58ef8809", "WPA2-PSK;AES", kWpsTest1, false, true, 1, 1 },
    { "test1-000d58ef880a", "WPA2-PSK;AES", kWpsTest1, false, true, 1, 1 },
    { "test1-000d58ef880b", "WPA2-PSK;AES", kWpsTest1, false, true, 1, 1 },
    // MCS byte 12 is 0x80 here: only exactly 1 counts.
    { "test1-14cc20c1cb2c", "WPA-PSK+WPA2-PSK;AES",
      "Unknown;Unknown;Unknown;Configured;1.0;TRUE;Unknown;Unknown;TRUE", false, false, 3, 1 },
    { "test1-24a43cfe2236", "WPA2-PSK;AES", kWpsTest1, false, true, 1, 1 },
    { "test1-28107b94bb29", "WPA2-PSK;AES",
      "0x0084;Unknown;FALSE;Configured;1.0;Unknown;3810A5F931DB4BB8F5FE8737C4FB3D90;2.4GHz;TRUE",
      true, false, 0, 0 },
    { "test1-f81a67e50562", "WPA-PSK+WPA2-PSK;AES",
      "0x0086;Unknown;Unknown;Configured;1.0;TRUE;00000000000010000000F81A67E50510;2.4GHz;TRUE",
      false, false, 3, 1 },
    { "test23-a0f3c1503e62", "WPA2-PSK;AES",
      "Unknown;Unknown;Unknown;Configured;1.0;Unknown;2880288028801880A880A0F3C1503E62;2.4GHz;TRUE",
      false, false, 3, 1 },
    { "wep.shared.key.authentication-00146c7e4080", "Unknown;None", nullptr, false, false, 0, 0 },
    // Its last element claims 137 bytes of a 94-byte body.
    { "wpa-000d93ebb08c", "WPA-PSK;TKIP", nullptr, false, false, 0, 0 },
    { "wpa3-psk-020000000000", "Unknown;AES", nullptr, false, false, 0, 0 },
    { "wps2.0-00c0ca78b137", "WPA-PSK+WPA2-PSK;AES",
      "Unknown;Unknown;Unknown;Configured;1.0;Unknown;Unknown;Unknown;TRUE", false, false, 0, 0 },
};

const BeaconExpect* FindExpect(const std::string& name)
{
    for (const BeaconExpect& e : kBeaconExpect)
        if (name == e.name)
            return &e;
    return nullptr;
}

unsigned long Decoded(const Beacon& b, const char* key, bool* present)
{
    auto it = b.decoded.find(key);
    *present = it != b.decoded.end();
    return *present ? strtoul(it->second.c_str(), nullptr, 0) : 0;
}

TEST_F(RealBeacons, SecurityCcxAndWpsSections)
{
    int checked = 0;
    for (const Beacon& b : beacons) {
        SCOPED_TRACE(b.name);
        const BeaconExpect* x = FindExpect(b.name);
        ASSERT_NE(x, nullptr) << "a beacon file without expected values";
        Bytes entry = MakeEntry(b.body);
        EXPECT_EQ(Section(entry, 0), x->security);
        EXPECT_EQ(Section(entry, 1), "FALSE;FALSE;FALSE");
        EXPECT_EQ(Section(entry, 2), x->wps ? x->wps : kNoWps);
        ++checked;
    }
    EXPECT_EQ(checked, (int)(sizeof(kBeaconExpect) / sizeof(kBeaconExpect[0])));
}

// HT fields and the beacon interval against what the reference dissector
// decoded from the same frames.
TEST_F(RealBeacons, HtSectionAndBeaconIntervalMatchTheDissector)
{
    for (const Beacon& b : beacons) {
        SCOPED_TRACE(b.name);
        const BeaconExpect* x = FindExpect(b.name);
        ASSERT_NE(x, nullptr);
        Bytes entry = MakeEntry(b.body);

        bool has;
        unsigned long interval = Decoded(b, "wlan.fixed.beacon", &has);
        ASSERT_TRUE(has);
        EXPECT_EQ(Section(entry, 4), std::to_string(interval));

        std::vector<std::string> f = HtFields(entry);
        ASSERT_EQ(f.size(), 55u);
        EXPECT_EQ(f[1], x->extBit0 ? "TRUE" : "FALSE");

        bool hasCap, hasAmpdu, hasPrimary;
        unsigned long cap = Decoded(b, "wlan.ht.capabilities", &hasCap);
        unsigned long ampdu = Decoded(b, "wlan.ht.ampduparam", &hasAmpdu);
        unsigned long primary = Decoded(b, "wlan.ht.info.primarychannel", &hasPrimary);
        if (!hasCap) {
            // Only field 1 (extended capabilities) may differ from the defaults.
            std::vector<std::string> d = Fields(CString(DefaultHt().c_str()));
            d[1] = f[1];
            EXPECT_EQ(f, d);
            continue;
        }
        auto flag = [&](int bit) { return (cap >> bit) & 1 ? std::string("TRUE") : std::string("FALSE"); };
        auto num = [](unsigned long v) { return std::to_string(v); };
        EXPECT_EQ(f[4], "TRUE");
        EXPECT_EQ(f[5], flag(0));
        EXPECT_EQ(f[6], num((cap >> 1) & 1));
        EXPECT_EQ(f[7], num((cap >> 2) & 3));
        EXPECT_EQ(f[8], flag(4));
        EXPECT_EQ(f[9], flag(5));
        EXPECT_EQ(f[10], flag(6));
        EXPECT_EQ(f[11], flag(7));
        EXPECT_EQ(f[12], num((cap >> 8) & 3));
        EXPECT_EQ(f[13], flag(10));
        EXPECT_EQ(f[14], num((cap >> 11) & 1));
        EXPECT_EQ(f[15], flag(12));
        EXPECT_EQ(f[16], flag(13));
        EXPECT_EQ(f[19], flag(14));
        EXPECT_EQ(f[20], flag(15));
        ASSERT_TRUE(hasAmpdu);
        EXPECT_EQ(f[21], num(ampdu & 3));
        EXPECT_EQ(f[22], num(ampdu & 0x0C));
        EXPECT_EQ(f[23], x->txMcsSet ? "TRUE" : "FALSE");
        ASSERT_TRUE(hasPrimary);
        EXPECT_EQ(f[33], num(primary));
        EXPECT_EQ(f[34], num(x->secondary));
        EXPECT_EQ(f[35], num(x->staWidth));
        EXPECT_EQ(f[54], "TRUE");
    }
}

// The driver's Length is the header plus IELength rounded up; trailing
// padding must change nothing, and a list entry read in place must give the
// same text as one on its own.
TEST_F(RealBeacons, PaddedEntriesGiveTheSameTexts)
{
    for (const Beacon& b : beacons) {
        SCOPED_TRACE(b.name);
        Bytes exact = MakeEntry(b.body);
        Bytes padded = exact;
        padded.resize((exact.size() + 3) & ~(size_t)3, 0xEE);
        PutUlong(padded, 0, (ULONG)padded.size());
        for (int s = 0; s <= 4; ++s)
            EXPECT_EQ(Section(padded, s), Section(exact, s)) << "section " << s;
    }
}

// --- documented cases on hand-made elements -------------------------------

TEST(FormatBssIeInfo, NoElementsGiveTheDefaults)
{
    const Bytes rsn = Rsn(Ieee(4), { Ieee(4) }, { Ieee(2) });
    struct Case { const char* what; Bytes entry; };
    EntryOptions shortIe;
    shortIe.ieLengthDelta = -(long)(rsn.size() + 12) + 15;   // IELength 15
    EntryOptions shortEntry;
    shortEntry.lengthDelta = -(long)(116 + 12 + rsn.size()) + 120;   // Length 120
    const Case cases[] = {
        { "IELength 15", MakeEntry(FrameBody(rsn), shortIe) },
        { "Length 120", MakeEntry(FrameBody(rsn), shortEntry) },
        { "no elements at all", MakeEntry(FrameBody({})) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Section(c.entry, 0), "Unknown;None");
        EXPECT_EQ(Section(c.entry, 1), "FALSE;FALSE;FALSE");
        EXPECT_EQ(Section(c.entry, 2), kNoWps);
        EXPECT_EQ(Section(c.entry, 3), DefaultHt());
    }
    // The beacon interval does not need the walk.
    EXPECT_EQ(Section(MakeEntry(FrameBody(rsn, 1600), shortIe), 4), "1600");
}

TEST(FormatBssIeInfo, SecurityNamesAndCiphers)
{
    struct Case { const char* what; Bytes entry; const char* text; };
    const Case cases[] = {
        { "RSN CCMP, PSK", Infra(Rsn(Ieee(4), { Ieee(4) }, { Ieee(2) })), "WPA2-PSK;AES" },
        { "RSN CCMP, 802.1X and PSK", Infra(Rsn(Ieee(4), { Ieee(4) }, { Ieee(1), Ieee(2) })), "WPA2+WPA2-PSK;AES" },
        { "RSN AKM 0 counts as PSK", Infra(Rsn(Ieee(4), { Ieee(4) }, { Ieee(0) })), "WPA2-PSK;AES" },
        { "RSN in an IBSS", Ibss(Rsn(Ieee(4), { Ieee(4) }, { Ieee(2) })), "WPA2-NONE;AES" },
        { "WPA TKIP group, TKIP and CCMP, PSK, IBSS",
          Ibss(Wpa(Msft(1), Msft(2), { Msft(2), Msft(4) }, { Msft(2) })), "WPA-NONE;TKIP+AES" },
        { "WPA 802.1X", Infra(Wpa(Msft(1), Msft(2), { Msft(2) }, { Msft(1) })), "WPA;TKIP" },
        { "WPA AKM with OUI 00-00-42", Infra(Wpa(Msft(1), Msft(2), { Msft(2) }, { Suite(0, 0, 0x42, 2) })), "WPA-PSK;TKIP" },
        { "WPA pairwise suite x-00-03", Infra(Wpa(Msft(1), Msft(2), { Suite(0x77, 0x00, 0x03, 4) }, { Msft(2) })), "WPA-PSK;TKIP+AES" },
        // Names keep their fixed order whatever the order of the elements.
        { "RSN before WPA", Infra(Concat({ Rsn(Ieee(4), { Ieee(4) }, { Ieee(2) }), Wpa(Msft(1), Msft(2), { Msft(2) }, { Msft(2) }) })),
          "WPA-PSK+WPA2-PSK;TKIP+AES" },
        { "RSN group with another OUI", Infra(Rsn(Msft(4), { Ieee(4) }, { Ieee(2) })), "Unknown;None" },
        { "WPA group with another OUI", Infra(Wpa(Msft(1), Suite(1, 2, 3, 2), { Msft(2) }, { Msft(2) })), "Unknown;None" },
        // A foreign pairwise suite ends the list; the AKM list is found by the count.
        { "RSN foreign pairwise first", Infra(Rsn(Ieee(2), { Suite(0, 0x14, 0x72, 1), Ieee(4) }, { Ieee(2) })), "WPA2-PSK;TKIP" },
        { "RSN SAE only", Infra(Rsn(Ieee(4), { Ieee(4) }, { Ieee(8) })), "Unknown;AES" },
        // WMM shares the OUI and is read the same way, but its bytes are no suite.
        { "WMM parameter element", Infra(Element(221, FromHex("0050f2020101000003a4000027a4000042435e0062322f00"))), "Unknown;None" },
        { "WPA element shorter than 16", Infra(Element(221, Concat({ Msft(1), Le16(1), Msft(2), Le16(1), Bytes{ 0x00, 0x50, 0xF2 } }))), "Unknown;None" },
        { "RSN shorter than 12", Infra(Element(48, Concat({ Le16(1), Ieee(4), Le16(1), Bytes{ 0, 0x0F } }))), "Unknown;None" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Section(c.entry, 0), c.text);
    }
}

TEST(FormatBssIeInfo, CcxFlags)
{
    struct Case { const char* what; Bytes entry; const char* text; };
    const Case cases[] = {
        { "Cisco group type 0", Infra(Wpa(Cisco(0), Cisco(0), { Msft(2) }, {})), "FALSE;FALSE;TRUE" },
        { "Cisco group type 1", Infra(Wpa(Cisco(0), Cisco(1), { Msft(2) }, {})), "FALSE;TRUE;TRUE" },
        { "Cisco group type 2", Infra(Wpa(Cisco(0), Cisco(2), { Msft(2) }, {})), "FALSE;TRUE;FALSE" },
        { "Cisco group type 3", Infra(Wpa(Cisco(0), Cisco(3), { Msft(2) }, {})), "FALSE;FALSE;FALSE" },
        { "Cisco element shorter than 16", Infra(Wpa(Cisco(0), Cisco(1), {}, {})), "FALSE;FALSE;FALSE" },
        { "CCKM in a WPA element", Infra(Wpa(Msft(1), Msft(2), { Msft(2) }, { Cisco(0), Msft(1) })), "TRUE;FALSE;FALSE" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Section(c.entry, 1), c.text);
    }
    EXPECT_EQ(Section(cases[5].entry, 0), "WPA;TKIP");
}

TEST(FormatBssIeInfo, WpsAttributes)
{
    struct Case { const char* what; Bytes entry; const char* text; };
    const Case cases[] = {
        { "version and config methods",
          Infra(Wps({ WpsAttr(0x104A, { 0x10 }), WpsAttr(0x1008, { 0x01, 0x88 }) })),
          "0x0188;Unknown;Unknown;Unknown;1.0;Unknown;Unknown;Unknown;TRUE" },
        { "every field",
          Infra(Wps({ WpsAttr(0x104A, { 0x21 }), WpsAttr(0x1044, { 2 }), WpsAttr(0x1057, { 1 }),
                      WpsAttr(0x1041, { 1 }), WpsAttr(0x1012, { 0x00, 0x04 }), WpsAttr(0x1053, { 0x00, 0x80 }),
                      WpsAttr(0x1047, FromHex("00112233445566778899aabbccddeeff")), WpsAttr(0x103C, { 3 }) })),
          "0x0080;0x0004;TRUE;Configured;2.1;TRUE;00112233445566778899AABBCCDDEEFF;2.4GHz + 5GHz;TRUE" },
        { "later config methods win",
          Infra(Wps({ WpsAttr(0x1053, { 0x00, 0x80 }), WpsAttr(0x1008, { 0x23, 0x88 }) })),
          "0x2388;Unknown;Unknown;Unknown;Unknown;Unknown;Unknown;Unknown;TRUE" },
        { "values outside the tables",
          Infra(Wps({ WpsAttr(0x1044, { 3 }), WpsAttr(0x103C, { 4 }), WpsAttr(0x1057, { 0 }), WpsAttr(0x1041, { 0 }) })),
          "Unknown;Unknown;FALSE;Unknown;Unknown;FALSE;Unknown;Unknown;TRUE" },
        { "5 GHz, unconfigured", Infra(Wps({ WpsAttr(0x103C, { 2 }), WpsAttr(0x1044, { 1 }) })),
          "Unknown;Unknown;Unknown;Unconfigured;Unknown;Unknown;Unknown;5GHz;TRUE" },
        { "element without attributes", Infra(Element(221, Msft(4))),
          "Unknown;Unknown;Unknown;Unknown;Unknown;Unknown;Unknown;Unknown;TRUE" },
        // The nonce after Selected Registrar is not glued onto its field.
        { "selected registrar then nonce",
          Infra(Wps({ WpsAttr(0x1041, { 1 }), WpsAttr(0x101A, Bytes(16, 0xAB)) })),
          "Unknown;Unknown;TRUE;Unknown;Unknown;Unknown;Unknown;Unknown;TRUE" },
        // Unknown attributes are stepped over by their length.
        { "unknown attribute first", Infra(Wps({ WpsAttr(0x1011, Bytes(30, 'x')), WpsAttr(0x104A, { 0x10 }) })),
          "Unknown;Unknown;Unknown;Unknown;1.0;Unknown;Unknown;Unknown;TRUE" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Section(c.entry, 2), c.text);
    }
}

TEST(FormatBssIeInfo, HtCapabilityAndInformationFields)
{
    // Every capability bit and a distinct value in each multi-bit field.
    const WORD cap = 0xFFFF;
    Bytes htc = Element(45, HtCapBody(cap, 0x1F, 1));
    Bytes hti = Element(61, HtInfoBody(149, 0xFF, 0x001F, 0x0FE0, { 0xFFFFFFFF, 0x7FFFFFFF, 1, 0x80000000 }));
    std::vector<std::string> f = HtFields(Infra(Concat({ kSsid, htc, hti,
                                                        Element(62, { 7, 9, 9 }), Element(127, { 0x05 }),
                                                        Element(52, Concat({ Bytes(6, 0), Le16(0x1800), Bytes(5, 0) })) })));
    ASSERT_EQ(f.size(), 55u);
    const std::vector<std::string> expect = {
        "7", "TRUE", "TRUE", "TRUE",                                   // 0-3
        "TRUE", "TRUE", "1", "3", "TRUE", "TRUE", "TRUE", "TRUE", "3", // 4-12
        "TRUE", "1", "TRUE", "TRUE", "FALSE", "FALSE", "TRUE", "TRUE", // 13-20
        "3", "12", "TRUE",                                             // 21-23: 0x1F & 0x0C, not shifted
        "FALSE", "0", "FALSE", "FALSE", "FALSE", "0", "0", "FALSE", "FALSE", // 24-32
        "149", "3", "1", "TRUE", "TRUE", "7", "3",                     // 33-39
        "TRUE", "TRUE", "TRUE",                                        // 40-42
        "TRUE", "TRUE", "TRUE", "TRUE", "TRUE", "TRUE", "TRUE",        // 43-49
        "-1", "2147483647", "1", "-2147483648", "TRUE",                // 50-54
    };
    EXPECT_EQ(f, expect);

    // Single bits land in their own field only.
    struct Bit { int bit; int field; };
    for (Bit b : { Bit{ 0, 5 }, Bit{ 4, 8 }, Bit{ 10, 13 }, Bit{ 13, 16 }, Bit{ 14, 19 }, Bit{ 15, 20 } }) {
        std::vector<std::string> g = HtFields(Infra(Element(45, HtCapBody((WORD)(1u << b.bit), 0, 0))));
        for (int i = 5; i <= 20; ++i)
            EXPECT_EQ(g[i], i == b.field ? "TRUE" : (i == 6 || i == 7 || i == 12 || i == 14 ? "0" : "FALSE"))
                << "bit " << b.bit << " field " << i;
    }
}

TEST(FormatBssIeInfo, HtElementLengthTests)
{
    struct Case { const char* what; Bytes elements; int field; const char* value; };
    const Bytes capBody = HtCapBody(0x0001, 0, 0);
    const Case cases[] = {
        // 26 is the standard's HT Capabilities length, the one real beacons carry.
        { "HT capabilities 26", Element(45, capBody), 4, "TRUE" },
        { "HT capabilities 28", Element(45, Concat({ capBody, Bytes(2, 0) })), 4, "TRUE" },
        { "HT capabilities 25", Element(45, Bytes(capBody.begin(), capBody.end() - 1)), 4, "FALSE" },
        { "HT information 22", Element(61, HtInfoBody(6, 0, 0, 0)), 54, "TRUE" },
        { "HT information 21", Element(61, Bytes(21, 6)), 54, "FALSE" },
        { "element 62 of length 3", Element(62, { 3, 2, 1 }), 0, "3" },
        { "element 62 of length 1", Element(62, { 1 }), 0, "0" },
        { "neighbor report of 12", Element(52, Concat({ Bytes(6, 0), Le16(0x1800), Bytes(4, 0) })), 2, "FALSE" },
        // Tx MCS set defined only for a byte of exactly 1.
        { "MCS byte 3", Element(45, HtCapBody(0, 0, 3)), 23, "FALSE" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(HtFields(Infra(Concat({ kSsid, c.elements })))[c.field], c.value);
    }
}

TEST(FormatBssIeInfo, VendorHtElementsReadTheirBodies)
{
    // The pre-standard elements carry the same bodies after OUI and type.
    Bytes cap = Element(221, Concat({ Bytes{ 0x00, 0x90, 0x4C, 0x33 }, HtCapBody(0x11EE, 0x17, 1) }));
    Bytes info = Element(221, Concat({ Bytes{ 0x00, 0x90, 0x4C, 0x34 }, HtInfoBody(11, 0x07, 0x0004, 0x0800), Bytes(4, 0) }));
    std::vector<std::string> f = HtFields(Infra(Concat({ kSsid, cap, info })));
    EXPECT_EQ(f[4], "TRUE");
    EXPECT_EQ(f[5], "FALSE");
    EXPECT_EQ(f[7], "3");
    EXPECT_EQ(f[15], "TRUE");
    EXPECT_EQ(f[21], "3");
    EXPECT_EQ(f[23], "TRUE");
    EXPECT_EQ(f[33], "11");
    EXPECT_EQ(f[34], "3");
    EXPECT_EQ(f[40], "TRUE");
    EXPECT_EQ(f[49], "TRUE");
    EXPECT_EQ(f[54], "TRUE");
    // The capability form counts only at exactly 30 bytes.
    Bytes cap31 = Element(221, Concat({ Bytes{ 0x00, 0x90, 0x4C, 0x33 }, HtCapBody(0x11EE, 0x17, 1), Bytes{ 0 } }));
    EXPECT_EQ(HtFields(Infra(Concat({ kSsid, cap31 })))[4], "FALSE");
}

TEST(FormatBssIeInfo, ZeroLengthSuccessorEndsTheWalk)
{
    const Bytes rsn = Rsn(Ieee(4), { Ieee(4) }, { Ieee(2) });
    EXPECT_EQ(Section(Infra(Concat({ kSsid, Element(42, {}), rsn })), 0), "Unknown;None");
    EXPECT_EQ(Section(Infra(Concat({ kSsid, Element(42, { 0 }), rsn })), 0), "WPA2-PSK;AES");
    // The first element is read whatever its length (a hidden SSID).
    EXPECT_EQ(Section(Infra(Concat({ Element(0, {}), rsn })), 0), "WPA2-PSK;AES");
}

TEST(FormatBssIeInfo, OtherSectionsAreEmpty)
{
    Bytes entry = Infra(Rsn(Ieee(4), { Ieee(4) }, { Ieee(2) }));
    EXPECT_EQ(Section(entry, 5), "");
    EXPECT_EQ(Section(entry, -1), "");
}

// --- reads bounded by the element and by the entry ------------------------

TEST(FormatBssIeInfo, SuiteCountsAreCutAtTheElementEnd)
{
    // The bytes after each element look like suites that would change the
    // result if the count were believed.
    // Its suites line up with the suite slots of the element before it.
    const Bytes bait = Element(221, Concat({ Bytes{ 0x00, 0x11 }, Ieee(1), Ieee(2), Msft(2), Msft(1) }));
    struct Case { const char* what; Bytes element; const char* text; };
    const Case cases[] = {
        { "RSN pairwise count 200",
          Element(48, Concat({ Le16(1), Ieee(4), Le16(200), Ieee(4), Le16(1), Ieee(2) })), "Unknown;AES" },
        { "RSN AKM count 200",
          Element(48, Concat({ Le16(1), Ieee(4), Le16(1), Ieee(4), Le16(200), Ieee(2) })), "WPA2-PSK;AES" },
        { "RSN AKM count missing",
          Element(48, Concat({ Le16(1), Ieee(4), Le16(1), Ieee(4) })), "Unknown;AES" },
        { "WPA pairwise count 65535",
          Element(221, Concat({ Msft(1), Le16(1), Msft(4), Le16(0xFFFF), Msft(4), Le16(1), Msft(2) })), "Unknown;AES" },
        { "WPA AKM count 9",
          Element(221, Concat({ Msft(1), Le16(1), Msft(4), Le16(1), Msft(4), Le16(9), Msft(2) })), "WPA-PSK;AES" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Section(Infra(Concat({ kSsid, c.element, bait })), 0), c.text);
    }
}

TEST(FormatBssIeInfo, WpsAttributesAreCutAtTheElementEnd)
{
    // An attribute claiming more bytes than its element holds, followed by
    // an element whose bytes would read as a Version attribute.
    Bytes overlong = Element(221, Concat({ Msft(4), WpsAttr(0x104A, { 0x10 }), Be16(0x1044), Be16(40), Bytes{ 2 } }));
    Bytes bait = Element(221, Concat({ Bytes{ 0x10, 0x4A, 0x00, 0x01 }, Bytes{ 0x20 }, Be16(0x1044), Be16(1), Bytes{ 2 } }));
    EXPECT_EQ(Section(Infra(Concat({ kSsid, overlong, bait })), 2),
              "Unknown;Unknown;Unknown;Unknown;1.0;Unknown;Unknown;Unknown;TRUE");

    // A header cut in half by the element end.
    Bytes halfHeader = Element(221, Concat({ Msft(4), WpsAttr(0x104A, { 0x10 }), Bytes{ 0x10, 0x44 } }));
    EXPECT_EQ(Section(Infra(Concat({ kSsid, halfHeader, bait })), 2),
              "Unknown;Unknown;Unknown;Unknown;1.0;Unknown;Unknown;Unknown;TRUE");

    // Values shorter than what is read from them are not used.
    Bytes shortValues = Wps({ WpsAttr(0x1008, { 0x01 }), WpsAttr(0x1047, Bytes(15, 0x11)), WpsAttr(0x104A, {}) });
    EXPECT_EQ(Section(Infra(Concat({ kSsid, shortValues })), 2), kNoWps.substr(0, kNoWps.size() - 5) + "TRUE");
}

TEST(FormatBssIeInfo, RepeatedUuidDoesNotGrowTheField)
{
    Bytes uuid1 = WpsAttr(0x1047, FromHex("0102030405060708090a0b0c0d0e0f10"));
    Bytes uuid2 = WpsAttr(0x1047, FromHex("f1f2f3f4f5f6f7f8f9fafbfcfdfeff00"));
    Bytes many = Wps({ uuid1, uuid2, uuid2, uuid2, uuid2, uuid2, uuid2, uuid2, uuid2, uuid2, uuid2 });
    ASSERT_LE(many.size(), 257u);
    Bytes entry = Infra(Concat({ kSsid, many, Wps({ uuid2 }), Wps({ uuid2 }) }));
    std::vector<std::string> f = Fields(FormatBssIeInfo(AsBss(entry), 2));
    ASSERT_EQ(f.size(), 9u);
    EXPECT_EQ(f[6], "0102030405060708090A0B0C0D0E0F10");
}

TEST(FormatBssIeInfo, ReadsStopAtIeLengthAndAtTheEntryLength)
{
    const Bytes rsn = Rsn(Ieee(4), { Ieee(4) }, { Ieee(2) });
    const Bytes body = FrameBody(Concat({ kSsid, Element(42, { 0 }), rsn }), 100);
    struct Case { const char* what; long lengthDelta; long ieLengthDelta; const char* sec0; };
    const Case cases[] = {
        { "whole", 0, 0, "WPA2-PSK;AES" },
        // The RSN element ends one byte after IELength: the AKM is not read.
        { "IELength one short", 0, -1, "Unknown;None" },
        { "IELength far beyond the entry, Length one short", -1, 100000, "Unknown;None" },
        { "IELength beyond the entry", 0, 100000, "WPA2-PSK;AES" },
        { "Length ends inside the RSN header", -(long)rsn.size() + 1, 0, "Unknown;None" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EntryOptions o;
        o.lengthDelta = c.lengthDelta;
        o.ieLengthDelta = c.ieLengthDelta;
        EXPECT_EQ(Section(MakeEntry(body, o), 0), c.sec0);
    }

    // The beacon interval needs its two bytes inside both limits.
    EntryOptions tiny;
    tiny.ieLengthDelta = -(long)body.size() + 9;
    EXPECT_EQ(Section(MakeEntry(body, tiny), 4), "0");
    tiny.ieLengthDelta = -(long)body.size() + 10;
    EXPECT_EQ(Section(MakeEntry(body, tiny), 4), "100");
    EntryOptions headerOnly;
    headerOnly.lengthDelta = -(long)body.size();
    EXPECT_EQ(Section(MakeEntry(body, headerOnly), 4), "0");
}

// --- SplitString ----------------------------------------------------------

TEST(SplitString, FormatterTexts)
{
    Bytes entry = Infra(Concat({ Rsn(Ieee(4), { Ieee(4) }, { Ieee(2) }), Element(45, HtCapBody(1, 0, 0)) }));
    struct Case { int section; int count; size_t fields; };
    for (Case c : { Case{ 0, 1, 2 }, Case{ 1, 2, 3 }, Case{ 2, 8, 9 }, Case{ 3, 54, 55 }, Case{ 4, 0, 0 } }) {
        SCOPED_TRACE(c.section);
        CString text = FormatBssIeInfo(AsBss(entry), c.section);
        std::vector<CString> arr;
        EXPECT_EQ(SplitString(text, ";", arr), c.count);
        ASSERT_EQ(arr.size(), c.fields);
        std::vector<std::string> expect = c.fields ? Fields(text) : std::vector<std::string>();
        for (size_t i = 0; i < arr.size(); ++i)
            EXPECT_EQ(arr[i].str(), expect[i]);
    }
}

TEST(SplitString, PiecesAndCounts)
{
    struct Case { const char* text; const char* delim; int count; std::vector<std::string> pieces; };
    const Case cases[] = {
        { "TRUE;FALSE;TRUE", ";", 2, { "TRUE", "FALSE", "TRUE" } },
        { "1600", ";", 0, {} },
        { "", ";", 0, {} },
        { "a;b;", ";", 2, { "a", "b" } },       // nothing after the last delimiter
        { ";a;b", ";", 0, {} },                 // a leading delimiter counts as none
        { "ab::cd::ef", "::", 2, { "ab", "cd", "ef" } },
        { "a;b", "", 0, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<CString> arr;
        arr.push_back("kept");   // appended to, never cleared
        EXPECT_EQ(SplitString(c.text, c.delim, arr), c.count);
        ASSERT_EQ(arr.size(), c.pieces.size() + 1);
        EXPECT_EQ(arr[0].str(), "kept");
        for (size_t i = 0; i < c.pieces.size(); ++i)
            EXPECT_EQ(arr[i + 1].str(), c.pieces[i]);
    }
}

} // namespace
