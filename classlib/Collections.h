// Small collections in the class library's manner.
#pragma once

#include <windows.h>
#include <vector>

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
