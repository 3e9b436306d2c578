// Small collections in the class library's manner.
#pragma once

#include <windows.h>
#include <vector>
#include "classlib/CString.h"

class CDWordArray {
public:
    INT_PTR GetSize() const { return (INT_PTR)m_v.size(); }
    INT_PTR GetCount() const { return GetSize(); }
    DWORD GetAt(INT_PTR i) const { return m_v[(size_t)i]; }
    void SetAt(INT_PTR i, DWORD v) { m_v[(size_t)i] = v; }
    INT_PTR Add(DWORD v) { m_v.push_back(v); return (INT_PTR)m_v.size() - 1; }
    void RemoveAll() { m_v.clear(); }
    DWORD operator[](INT_PTR i) const { return m_v[(size_t)i]; }
    DWORD& operator[](INT_PTR i) { return m_v[(size_t)i]; }
private:
    std::vector<DWORD> m_v;
};

class CStringArray {
public:
    INT_PTR GetSize() const { return (INT_PTR)m_v.size(); }
    INT_PTR GetCount() const { return GetSize(); }
    const CString& GetAt(INT_PTR i) const { return m_v[(size_t)i]; }
    void SetAt(INT_PTR i, const char* s) { m_v[(size_t)i] = s; }
    INT_PTR Add(const char* s) { m_v.push_back(CString(s)); return (INT_PTR)m_v.size() - 1; }
    void RemoveAll() { m_v.clear(); }
    const CString& operator[](INT_PTR i) const { return m_v[(size_t)i]; }
    CString& operator[](INT_PTR i) { return m_v[(size_t)i]; }
private:
    std::vector<CString> m_v;
};
