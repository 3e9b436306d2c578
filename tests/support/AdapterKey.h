// The driver key of an installed adapter (the adapter key of the product),
// and a guard that puts a whole registry key back the way it was.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace kqtest {

const char kNetClassKey[] = "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";

// "System\...\Class\{4D36E972-...}\NNNN" of the device whose NetCfgInstanceId
// is guid; empty when there is none.
inline std::string AdapterKeyPath(const std::string& guid)
{
    HKEY cls = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetClassKey, 0, KEY_READ, &cls) != ERROR_SUCCESS) return "";
    std::string found;
    char name[256];
    for (DWORD i = 0; found.empty(); ++i) {
        DWORD len = sizeof(name);
        if (RegEnumKeyExA(cls, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        char id[128] = {};
        DWORD size = sizeof(id) - 1;
        if (RegGetValueA(cls, name, "NetCfgInstanceId", RRF_RT_REG_SZ, nullptr, id, &size) == ERROR_SUCCESS &&
            _stricmp(id, guid.c_str()) == 0)
            found = std::string(kNetClassKey) + "\\" + name;
    }
    RegCloseKey(cls);
    return found;
}

// Everything under a key, values and subkeys, byte for byte.
struct KeyImage {
    struct Value {
        std::string name;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    bool exists = false;
    std::vector<Value> values;
    std::vector<std::pair<std::string, KeyImage>> subkeys;

    static KeyImage Take(HKEY root, const std::string& path)
    {
        KeyImage img;
        HKEY k = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return img;
        img.exists = true;
        DWORD maxName = 0, maxData = 0, maxSub = 0;
        RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, &maxSub, nullptr, nullptr, &maxName, &maxData,
                         nullptr, nullptr);
        for (DWORD i = 0;; ++i) {
            std::vector<char> name(maxName + 2);
            Value v;
            v.data.resize(maxData + 1);
            DWORD nameLen = (DWORD)name.size(), dataLen = (DWORD)v.data.size();
            if (RegEnumValueA(k, i, name.data(), &nameLen, nullptr, &v.type, v.data.data(), &dataLen) !=
                ERROR_SUCCESS)
                break;
            v.name.assign(name.data(), nameLen);
            v.data.resize(dataLen);
            img.values.push_back(v);
        }
        for (DWORD i = 0;; ++i) {
            std::vector<char> name(maxSub + 2);
            DWORD len = (DWORD)name.size();
            if (RegEnumKeyExA(k, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            std::string sub(name.data(), len);
            img.subkeys.emplace_back(sub, Take(root, path + "\\" + sub));
        }
        RegCloseKey(k);
        return img;
    }

    void Put(HKEY root, const std::string& path) const
    {
        HKEY k = nullptr;
        if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != ERROR_SUCCESS)
            return;
        for (const Value& v : values)
            RegSetValueExA(k, v.name.c_str(), 0, v.type, v.data.data(), (DWORD)v.data.size());
        RegCloseKey(k);
        for (const auto& s : subkeys) s.second.Put(root, path + "\\" + s.first);
    }
};

// Restores a key (its values and subkeys) when it goes; the key itself is
// kept, so that handles and the device's link to it stay valid.
class KeyGuard {
public:
    KeyGuard(HKEY root, const std::string& path) : m_root(root), m_path(path), m_image(KeyImage::Take(root, path)) {}
    ~KeyGuard() { Restore(); }
    KeyGuard(const KeyGuard&) = delete;
    KeyGuard& operator=(const KeyGuard&) = delete;

    void Restore() const
    {
        if (!m_image.exists) {
            RegDeleteTreeA(m_root, m_path.c_str());
            RegDeleteKeyA(m_root, m_path.c_str());
            return;
        }
        HKEY k = nullptr;
        if (RegOpenKeyExA(m_root, m_path.c_str(), 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
            RegDeleteTreeA(k, nullptr);
            RegCloseKey(k);
        }
        m_image.Put(m_root, m_path);
    }
    const std::string& Path() const { return m_path; }

private:
    HKEY m_root;
    std::string m_path;
    KeyImage m_image;
};

// Reads a value of a key under HKEY_LOCAL_MACHINE; false when missing.
inline bool ReadValue(const std::string& path, const char* name, DWORD* type, std::vector<BYTE>* data)
{
    DWORD size = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, type, nullptr, &size) !=
        ERROR_SUCCESS)
        return false;
    data->assign(size, 0);
    return RegGetValueA(HKEY_LOCAL_MACHINE, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, type, data->data(),
                        &size) == ERROR_SUCCESS;
}

// A text value as stored, without the terminator the platform adds.
inline std::string ReadText(const std::string& path, const char* name)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadValue(path, name, &type, &data)) return "<missing>";
    std::string t(data.begin(), data.end());
    while (!t.empty() && t.back() == '\0') t.pop_back();
    return t;
}

inline bool KeyExists(const std::string& path)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

}  // namespace kqtest
