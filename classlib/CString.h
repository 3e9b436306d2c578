// A single-byte string in the class library's manner, over std::string.
#pragma once

#include <windows.h>
#include <cstdarg>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* s) : m_s(s ? s : "") {}
    CString(const char* s, int len) : m_s(s ? std::string(s, len > 0 ? (size_t)len : 0) : std::string()) {}
    CString(char ch, int repeat = 1) : m_s(repeat > 0 ? (size_t)repeat : 0, ch) {}
    CString(const std::string& s) : m_s(s) {}

    int GetLength() const { return (int)m_s.size(); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    operator const char*() const { return m_s.c_str(); }
    const char* GetString() const { return m_s.c_str(); }
    const std::string& str() const { return m_s; }

    char GetAt(int i) const { return m_s.at((size_t)i); }
    void SetAt(int i, char c) { m_s.at((size_t)i) = c; }
    char operator[](int i) const { return GetAt(i); }

    CString& operator=(const char* s) { m_s = s ? s : ""; return *this; }
    CString& operator=(char c) { m_s.assign(1, c); return *this; }
    CString& operator+=(const CString& s) { m_s += s.m_s; return *this; }
    CString& operator+=(const char* s) { if (s) m_s += s; return *this; }
    CString& operator+=(char c) { m_s += c; return *this; }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.m_s + (b ? b : "")); }
    friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_s); }
    friend CString operator+(const CString& a, char b) { return CString(a.m_s + b); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const char* b) { return a.m_s == (b ? b : ""); }
    friend bool operator==(const char* a, const CString& b) { return b == a; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

    int Compare(const char* s) const { return strcmp(m_s.c_str(), s ? s : ""); }
    int CompareNoCase(const char* s) const { return lstrcmpiA(m_s.c_str(), s ? s : ""); }

    void Format(const char* fmt, ...);
    void FormatV(const char* fmt, va_list args);
    void AppendFormat(const char* fmt, ...);
    BOOL LoadString(UINT id);

    CString Left(int n) const;
    CString Right(int n) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    int Find(char c, int start = 0) const;
    int Find(const char* s, int start = 0) const;
    int ReverseFind(char c) const;
    int Replace(const char* from, const char* to);
    int Delete(int index, int count = 1);
    int Insert(int index, const char* s);
    CString& MakeUpper();
    CString& MakeLower();
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim() { TrimRight(); return TrimLeft(); }

    // Direct access for API calls that fill a buffer; ReleaseBuffer(-1) takes the text up to its NUL.
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

private:
    std::string m_s;
};
