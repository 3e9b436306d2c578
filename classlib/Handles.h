// Holders of system handles: each frees what it holds when it goes out of
// scope, so that an early return cannot leak one.  Drawing objects have
// theirs in Gdi.h (CGdiObject, CDC).
#pragma once

#include <windows.h>
#include <setupapi.h>

// A kernel handle (file, device, token, event...).  Both NULL and
// INVALID_HANDLE_VALUE mean "none", as the functions that open them differ.
class CHandle {
public:
    CHandle() = default;
    explicit CHandle(HANDLE h) : m_h(h) {}
    ~CHandle() { Close(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;

    operator HANDLE() const { return m_h; }
    bool IsValid() const { return m_h && m_h != INVALID_HANDLE_VALUE; }
    void Attach(HANDLE h) { Close(); m_h = h; }
    HANDLE Detach() { HANDLE h = m_h; m_h = nullptr; return h; }
    void Close()
    {
        if (IsValid()) ::CloseHandle(m_h);
        m_h = nullptr;
    }

private:
    HANDLE m_h = nullptr;
};

// An open registry key.
class CRegKey {
public:
    CRegKey() = default;
    // SetupDiOpenDevRegKey reports failure as INVALID_HANDLE_VALUE: held as none.
    explicit CRegKey(HKEY key) { Attach(key); }
    ~CRegKey() { Close(); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    operator HKEY() const { return m_hKey; }
    bool IsOpen() const { return m_hKey != nullptr; }
    LONG Open(HKEY parent, const char* path, REGSAM access)
    {
        Close();
        HKEY key = nullptr;
        LONG rc = ::RegOpenKeyExA(parent, path, 0, access, &key);
        if (rc == ERROR_SUCCESS) m_hKey = key;
        return rc;
    }
    // Opens the key, creating it when missing; *pDisposition tells which.
    LONG Create(HKEY parent, const char* path, REGSAM access, DWORD* pDisposition = nullptr)
    {
        Close();
        HKEY key = nullptr;
        LONG rc = ::RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                                    pDisposition);
        if (rc == ERROR_SUCCESS) m_hKey = key;
        return rc;
    }
    void Attach(HKEY key)
    {
        Close();
        m_hKey = key == (HKEY)INVALID_HANDLE_VALUE ? nullptr : key;
    }
    HKEY Detach() { HKEY key = m_hKey; m_hKey = nullptr; return key; }
    void Close()
    {
        if (m_hKey) ::RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }

private:
    HKEY m_hKey = nullptr;
};

// A SetupAPI device information set.
class CDevInfoSet {
public:
    CDevInfoSet() = default;
    explicit CDevInfoSet(HDEVINFO set) : m_set(set) {}
    ~CDevInfoSet() { Destroy(); }
    CDevInfoSet(const CDevInfoSet&) = delete;
    CDevInfoSet& operator=(const CDevInfoSet&) = delete;

    operator HDEVINFO() const { return m_set; }
    bool IsValid() const { return m_set != INVALID_HANDLE_VALUE; }
    void Destroy()
    {
        if (IsValid()) ::SetupDiDestroyDeviceInfoList(m_set);
        m_set = INVALID_HANDLE_VALUE;
    }

private:
    HDEVINFO m_set = INVALID_HANDLE_VALUE;
};
