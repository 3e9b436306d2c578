// Scenario files: plain text, one network per line.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "sim/client/SimClient.h"

namespace kqsim {

namespace {

struct Pair {
    std::string key, value;
    bool quoted = false;
};

// Splits `network a=1 b="x y"` into its keyword and pairs.
bool Tokenize(const std::string& line, std::string& keyword, std::vector<Pair>& pairs, std::string& why)
{
    size_t i = 0, n = line.size();
    auto skipSpace = [&] { while (i < n && std::isspace((unsigned char)line[i])) ++i; };
    skipSpace();
    while (i < n && !std::isspace((unsigned char)line[i])) keyword += line[i++];
    for (;;) {
        skipSpace();
        if (i >= n || line[i] == '#') return true;
        Pair p;
        while (i < n && line[i] != '=' && !std::isspace((unsigned char)line[i])) p.key += line[i++];
        if (i >= n || line[i] != '=') {
            why = "expected key=value, found \"" + p.key + "\"";
            return false;
        }
        ++i;
        if (i < n && line[i] == '"') {
            p.quoted = true;
            ++i;
            for (;;) {
                if (i >= n) {
                    why = "unterminated quote in " + p.key;
                    return false;
                }
                char c = line[i++];
                if (c == '"') break;
                if (c == '\\' && i < n) c = line[i++];
                p.value += c;
            }
            if (i < n && !std::isspace((unsigned char)line[i])) {
                why = "text after the closing quote of " + p.key;
                return false;
            }
        } else {
            while (i < n && !std::isspace((unsigned char)line[i])) p.value += line[i++];
        }
        pairs.push_back(p);
    }
}

bool ParseInt(const std::string& s, long lo, long hi, long& out)
{
    if (s.empty()) return false;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 0);
    if (*end || v < lo || v > hi) return false;
    out = v;
    return true;
}

bool ParseBool(const std::string& s, bool& out)
{
    if (s == "yes" || s == "1" || s == "true" || s == "on") { out = true; return true; }
    if (s == "no" || s == "0" || s == "false" || s == "off") { out = false; return true; }
    return false;
}

bool ParseHex(const std::string& s, std::vector<BYTE>& out)
{
    std::string t;
    for (char c : s)
        if (c != ':' && c != '-' && c != ' ') t += c;
    if (t.size() % 2) return false;
    out.clear();
    for (size_t i = 0; i < t.size(); i += 2) {
        if (!std::isxdigit((unsigned char)t[i]) || !std::isxdigit((unsigned char)t[i + 1])) return false;
        out.push_back((BYTE)std::strtoul(t.substr(i, 2).c_str(), nullptr, 16));
    }
    return true;
}

// Rates in Mbit/s, "*" marks a basic rate: rates=1*,2*,5.5*,11*,6,9 ; rates=none
bool ParseRates(const std::string& s, KQSIM_NETWORK& n)
{
    n.rateCount = 0;
    if (s == "none") return true;
    std::stringstream ss(s);
    std::string item;
    while (std::getline(ss, item, ',')) {
        bool basic = !item.empty() && item.back() == '*';
        if (basic) item.pop_back();
        char* end = nullptr;
        double mbps = std::strtod(item.c_str(), &end);
        if (item.empty() || *end || mbps <= 0 || mbps > 63.5 || n.rateCount >= 16) return false;
        n.rates[n.rateCount++] = (BYTE)((int)(mbps * 2 + 0.5) | (basic ? 0x80 : 0));
    }
    return n.rateCount > 0;
}

bool ParseIp(const std::string& s, unsigned& out)
{
    unsigned a, b, c, d;
    char tail;
    if (std::sscanf(s.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4 || a > 255 || b > 255 || c > 255 ||
        d > 255)
        return false;
    out = a | (b << 8) | (c << 16) | (d << 24);
    return true;
}

// WEP key: 10 or 26 hex digits, or "5 or 13 characters" quoted.
bool ParseWepKey(const Pair& p, KQSIM_NETWORK& n, int index)
{
    std::vector<BYTE> bytes;
    if (p.quoted) bytes.assign(p.value.begin(), p.value.end());
    else if (!ParseHex(p.value, bytes)) return false;
    if (bytes.size() != 5 && bytes.size() != 13) return false;
    n.wepKeyLen[index] = (unsigned char)bytes.size();
    std::memcpy(n.wepKey[index], bytes.data(), bytes.size());
    return true;
}

// The PIN of an access point's registrar: exactly eight digits.
bool ParseWpsPin(const std::string& digits, KQSIM_NETWORK& n)
{
    if (digits.size() != sizeof(n.wpsPin)) return false;
    for (char c : digits)
        if (c < '0' || c > '9') return false;
    std::memcpy(n.wpsPin, digits.data(), sizeof(n.wpsPin));
    n.flags |= KQSIM_NET_WPS | KQSIM_NET_WPS_PIN;
    return true;
}

bool IsPskSecurity(unsigned s)
{
    return s == KQSIM_SEC_WPA_PSK || s == KQSIM_SEC_WPA2_PSK || s == KQSIM_SEC_WPA_WPA2_PSK;
}

bool IsWepSecurity(unsigned s) { return s == KQSIM_SEC_WEP || s == KQSIM_SEC_WEP_SHARED; }

bool ValidPsk(const std::string& psk)
{
    if (psk.size() >= 8 && psk.size() <= 63) return true;
    if (psk.size() != 64) return false;
    for (char c : psk)
        if (!std::isxdigit((unsigned char)c)) return false;
    return true;
}

bool ApplyPair(const Pair& p, KQSIM_NETWORK& n, bool& haveBssid, bool& haveChannel, std::string& why)
{
    const std::string& k = p.key;
    const std::string& v = p.value;
    long num = 0;
    bool flag = false;
    auto setFlag = [&](unsigned bit) {
        if (!ParseBool(v, flag)) return false;
        n.flags = flag ? (n.flags | bit) : (n.flags & ~bit);
        return true;
    };
    if (k == "ssid") {
        if (v.size() > 32) { why = "ssid longer than 32 bytes"; return false; }
        n.ssidLen = (unsigned char)v.size();
        std::memset(n.ssid, 0, sizeof(n.ssid));
        std::memcpy(n.ssid, v.data(), v.size());
        return true;
    }
    if (k == "ssid-hex") {
        std::vector<BYTE> b;
        if (!ParseHex(v, b) || b.size() > 32) { why = "ssid-hex must be at most 32 bytes of hex"; return false; }
        n.ssidLen = (unsigned char)b.size();
        std::memset(n.ssid, 0, sizeof(n.ssid));
        if (!b.empty()) std::memcpy(n.ssid, b.data(), b.size());
        return true;
    }
    if (k == "bssid") {
        if (!ParseMac(v, n.bssid)) { why = "bssid \"" + v + "\" is not a MAC address like 00:11:22:33:44:55"; return false; }
        haveBssid = true;
        return true;
    }
    if (k == "channel") {
        if (!ParseInt(v, 1, 196, num)) { why = "channel must be 1-196"; return false; }
        n.channel = (unsigned)num;
        haveChannel = true;
        return true;
    }
    if (k == "freq") {
        if (!ParseInt(v, 1, 7000, num)) { why = "freq must be in MHz (1-7000)"; return false; }
        n.freqKHz = (unsigned)num * 1000;
        haveChannel = true;
        return true;
    }
    if (k == "rssi") {
        if (!ParseInt(v, -200, 0, num)) { why = "rssi must be -200 to 0 dBm"; return false; }
        n.rssi = (int)num;
        return true;
    }
    if (k == "noise") {
        if (!ParseInt(v, -200, 0, num)) { why = "noise must be -200 to 0 dBm"; return false; }
        n.noise = (int)num;
        return true;
    }
    if (k == "security") {
        if (!SecurityFromName(v, n.security)) {
            why = "unknown security \"" + v + "\" (open, wep, wep-shared, wpa-psk, wpa2-psk, wpa-wpa2-psk, "
                  "wpa-1x, wpa2-1x, wpa-wpa2-1x, wep-1x)";
            return false;
        }
        return true;
    }
    if (k == "cipher") {
        if (v == "tkip") n.ciphers = KQSIM_CIPHER_TKIP;
        else if (v == "aes") n.ciphers = KQSIM_CIPHER_AES;
        else if (v == "tkip+aes") n.ciphers = KQSIM_CIPHER_TKIP | KQSIM_CIPHER_AES;
        else { why = "cipher must be tkip, aes or tkip+aes"; return false; }
        return true;
    }
    if (k == "psk") {
        if (!ValidPsk(v)) { why = "psk must be 8-63 characters or 64 hex digits"; return false; }
        n.pskLen = (unsigned char)v.size();
        std::memset(n.psk, 0, sizeof(n.psk));
        std::memcpy(n.psk, v.data(), v.size());
        return true;
    }
    if (k.size() == 7 && k.compare(0, 6, "wepkey") == 0 && k[6] >= '1' && k[6] <= '4') {
        if (!ParseWepKey(p, n, k[6] - '1')) {
            why = k + " must be 10 or 26 hex digits, or 5 or 13 characters in quotes";
            return false;
        }
        return true;
    }
    if (k == "wep-tx") {
        if (!ParseInt(v, 1, 4, num)) { why = "wep-tx must be 1-4"; return false; }
        n.wepTxKey = (unsigned char)(num - 1);
        return true;
    }
    if (k == "mode") {
        if (v == "adhoc") n.infraMode = 0;
        else if (v == "infra") n.infraMode = 1;
        else if (v == "auto") n.infraMode = 2;
        else { why = "mode must be infra, adhoc or auto"; return false; }
        return true;
    }
    if (k == "beacon") {
        if (!ParseInt(v, 1, 65535, num)) { why = "beacon must be 1-65535 TU"; return false; }
        n.beaconInterval = (unsigned)num;
        return true;
    }
    if (k == "rates") {
        if (!ParseRates(v, n)) { why = "rates must be up to 16 Mbit/s values like 1*,2*,5.5,11,54, or none"; return false; }
        return true;
    }
    if (k == "nettype") {
        if (v == "fh") n.networkType = 0;
        else if (v == "ds") n.networkType = 1;
        else if (v == "ofdm5") n.networkType = 2;
        else if (v == "ofdm24") n.networkType = 3;
        else { why = "nettype must be fh, ds, ofdm5 or ofdm24"; return false; }
        return true;
    }
    if (k == "hidden") {
        if (!ParseBool(v, flag)) { why = "hidden must be yes or no"; return false; }
        n.hidden = flag;
        return true;
    }
    if (k == "ip") {
        if (!ParseIp(v, n.ipAddress)) { why = "ip must be a dotted IPv4 address"; return false; }
        return true;
    }
    if (k == "ccx") {
        if (!ParseInt(v, 0, 255, num)) { why = "ccx must be a version 0-255"; return false; }
        n.ccxVersion = (unsigned)num;
        n.flags = num ? (n.flags | KQSIM_NET_CCX) : (n.flags & ~KQSIM_NET_CCX);
        return true;
    }
    if (k == "wps") {
        if (v == "pbc") n.flags |= KQSIM_NET_WPS | KQSIM_NET_WPS_PBC;
        else if (v == "locked") n.flags |= KQSIM_NET_WPS | KQSIM_NET_WPS_LOCKED;
        else if (v.compare(0, 4, "pin:") == 0) {
            if (!ParseWpsPin(v.substr(4), n)) { why = "wps=pin: must be followed by 8 digits"; return false; }
        } else if (!setFlag(KQSIM_NET_WPS)) {
            why = "wps must be yes, no, pbc, locked or pin:<8 digits>";
            return false;
        }
        return true;
    }
    if (k == "ht") {
        if (v == "40") n.flags |= KQSIM_NET_HT | KQSIM_NET_HT40;
        else if (v == "20" || v == "yes") n.flags |= KQSIM_NET_HT;
        else if (v == "no") n.flags &= ~(KQSIM_NET_HT | KQSIM_NET_HT40);
        else { why = "ht must be yes, 20, 40 or no"; return false; }
        return true;
    }
    struct { const char* key; unsigned bit; } flags[] = {
        {"visible", KQSIM_NET_VISIBLE}, {"wmm", KQSIM_NET_WMM}, {"assoc-fail", KQSIM_NET_ASSOC_FAIL},
        {"no-privacy", KQSIM_NET_NO_PRIVACY},
    };
    for (const auto& f : flags)
        if (k == f.key) {
            if (!setFlag(f.bit)) { why = k + " must be yes or no"; return false; }
            return true;
        }
    if (k == "ie" || k == "body") {
        std::vector<BYTE> b;
        if (!ParseHex(v, b) || b.size() > sizeof(n.ies)) {
            why = k + " must be at most " + std::to_string(sizeof(n.ies)) + " bytes of hex";
            return false;
        }
        n.ieLen = (unsigned short)b.size();
        if (!b.empty()) std::memcpy(n.ies, b.data(), b.size());
        if (k == "body") n.flags |= KQSIM_NET_RAW_BODY;
        return true;
    }
    if (k == "eap") {
        if (v.size() >= sizeof(n.eap)) { why = "eap settings longer than 255 bytes"; return false; }
        std::memset(n.eap, 0, sizeof(n.eap));
        std::memcpy(n.eap, v.data(), v.size());
        return true;
    }
    why = "unknown key \"" + k + "\"";
    return false;
}

bool ParseNetworkLine(const std::vector<Pair>& pairs, size_t index, KQSIM_NETWORK& n, std::string& why)
{
    bool haveBssid = false, haveChannel = false;
    n = MakeNetwork("", "00:00:00:00:00:00", 6, -60, KQSIM_SEC_OPEN);
    n.ipAddress = (unsigned)(192 | (168 << 8) | ((index + 1) << 16) | (100u << 24));
    std::set<std::string> seen;
    // channel first: the default rate set depends on the band
    for (const Pair& p : pairs)
        if ((p.key == "channel" || p.key == "freq") && !ApplyPair(p, n, haveBssid, haveChannel, why)) return false;
    if (n.channel > 14) {
        KQSIM_NETWORK band = MakeNetwork("", "00:00:00:00:00:00", n.channel, -60, KQSIM_SEC_OPEN);
        n.rateCount = band.rateCount;
        std::memcpy(n.rates, band.rates, sizeof(n.rates));
    }
    for (const Pair& p : pairs) {
        if (!seen.insert(p.key).second) { why = "key \"" + p.key + "\" given twice"; return false; }
        if (p.key != "channel" && p.key != "freq" && !ApplyPair(p, n, haveBssid, haveChannel, why)) return false;
    }
    if (!haveBssid) { why = "missing bssid"; return false; }
    if (!haveChannel) { why = "missing channel (or freq)"; return false; }
    if (IsPskSecurity(n.security) && !n.pskLen) { why = "security " + std::string(SecurityName(n.security)) + " needs psk"; return false; }
    if (IsWepSecurity(n.security) && !n.wepKeyLen[n.wepTxKey]) {
        why = "security " + std::string(SecurityName(n.security)) + " needs wepkey" + std::to_string(n.wepTxKey + 1);
        return false;
    }
    for (int i = 0; i < 16; ++i) n.wpsUuid[i] = (BYTE)(n.bssid[i % 6] ^ (i * 17));
    return true;
}

}  // namespace

bool ParseScenarioText(const std::string& text, const std::string& fileName, std::vector<KQSIM_NETWORK>& out,
                       std::string& error)
{
    std::vector<KQSIM_NETWORK> nets;
    std::set<std::string> bssids;
    std::stringstream ss(text);
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        error = fileName + ":" + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(ss, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        std::string keyword, why;
        std::vector<Pair> pairs;
        if (!Tokenize(line, keyword, pairs, why)) return fail(why);
        if (keyword != "network") return fail("unknown line type \"" + keyword + "\" (expected network)");
        KQSIM_NETWORK n;
        if (!ParseNetworkLine(pairs, nets.size(), n, why)) return fail(why);
        if (!bssids.insert(FormatMac(n.bssid)).second) return fail("bssid " + FormatMac(n.bssid) + " used twice");
        if (nets.size() >= KQSIM_MAX_NETWORKS) return fail("more than " + std::to_string(KQSIM_MAX_NETWORKS) + " networks");
        nets.push_back(n);
    }
    out.swap(nets);
    return true;
}

bool LoadScenarioFile(const std::string& path, std::vector<KQSIM_NETWORK>& out, std::string& error)
{
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        error = path + ": cannot open the file";
        return false;
    }
    std::stringstream ss;
    ss << f.rdbuf();
    return ParseScenarioText(ss.str(), path, out, error);
}

std::string FormatNetworkLine(const KQSIM_NETWORK& n)
{
    std::string ssid(n.ssid, n.ssid + (n.ssidLen > 32 ? 32 : n.ssidLen)), quoted;
    for (char c : ssid) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    char buf[256];
    std::snprintf(buf, sizeof(buf), "network ssid=\"%s\" bssid=%s channel=%u rssi=%d security=%s", quoted.c_str(),
                  FormatMac(n.bssid).c_str(), n.channel, n.rssi, SecurityName(n.security));
    std::string s = buf;
    if (n.pskLen) s += " psk=\"" + std::string(n.psk, n.psk + (n.pskLen > 64 ? 64 : n.pskLen)) + "\"";
    for (int k = 0; k < 4; ++k) {
        if (!n.wepKeyLen[k] || n.wepKeyLen[k] > 16) continue;
        s += " wepkey" + std::to_string(k + 1) + "=";
        for (int i = 0; i < n.wepKeyLen[k]; ++i) {
            char hx[4];
            std::snprintf(hx, sizeof(hx), "%02X", n.wepKey[k][i]);
            s += hx;
        }
    }
    if (n.freqKHz) s += " freq=" + std::to_string(n.freqKHz / 1000);
    if (n.hidden) s += " hidden=yes";
    if (!(n.flags & KQSIM_NET_VISIBLE)) s += " visible=no";
    if (n.infraMode != 1) s += n.infraMode == 0 ? " mode=adhoc" : " mode=auto";
    if (n.flags & KQSIM_NET_WPS_PIN) s += " wps=pin:" + std::string(n.wpsPin, n.wpsPin + 8);
    else if (n.flags & KQSIM_NET_WPS) s += (n.flags & KQSIM_NET_WPS_PBC) ? " wps=pbc" : " wps=yes";
    if (n.flags & KQSIM_NET_HT) s += (n.flags & KQSIM_NET_HT40) ? " ht=40" : " ht=yes";
    if (n.flags & KQSIM_NET_CCX) s += " ccx=" + std::to_string(n.ccxVersion);
    return s;
}

}  // namespace kqsim
