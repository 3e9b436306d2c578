#include "classlib/CString.h"
#include "classlib/WinApp.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

void CString::FormatV(const char* fmt, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (n < 0) { m_s.clear(); return; }
    std::string out((size_t)n + 1, '\0');
    vsnprintf(&out[0], out.size(), fmt, args);
    out.resize((size_t)n);
    m_s.swap(out);
}

void CString::Format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    FormatV(fmt, args);
    va_end(args);
}

void CString::AppendFormat(const char* fmt, ...)
{
    CString tail;
    va_list args;
    va_start(args, fmt);
    tail.FormatV(fmt, args);
    va_end(args);
    m_s += tail.m_s;
}

BOOL CString::LoadString(UINT id)
{
    // String resources hold at most 4097 characters; start small and grow.
    for (int size = 256; size <= 8192; size *= 2) {
        std::string buf((size_t)size, '\0');
        int n = ::LoadStringA(AfxGetResourceHandle(), id, &buf[0], size);
        if (n <= 0) { m_s.clear(); return FALSE; }
        if (n < size - 1) { buf.resize((size_t)n); m_s.swap(buf); return TRUE; }
    }
    return FALSE;
}

CString CString::Left(int n) const
{
    if (n <= 0) return CString();
    return CString(m_s.substr(0, (size_t)n));
}

CString CString::Right(int n) const
{
    if (n <= 0) return CString();
    if ((size_t)n >= m_s.size()) return *this;
    return CString(m_s.substr(m_s.size() - (size_t)n));
}

CString CString::Mid(int first) const
{
    if (first < 0) first = 0;
    if ((size_t)first >= m_s.size()) return CString();
    return CString(m_s.substr((size_t)first));
}

CString CString::Mid(int first, int count) const
{
    if (first < 0) first = 0;
    if (count <= 0 || (size_t)first >= m_s.size()) return CString();
    return CString(m_s.substr((size_t)first, (size_t)count));
}

int CString::Find(char c, int start) const
{
    if (start < 0) start = 0;
    size_t p = m_s.find(c, (size_t)start);
    return p == std::string::npos ? -1 : (int)p;
}

int CString::Find(const char* s, int start) const
{
    if (start < 0) start = 0;
    size_t p = m_s.find(s ? s : "", (size_t)start);
    return p == std::string::npos ? -1 : (int)p;
}

int CString::ReverseFind(char c) const
{
    size_t p = m_s.rfind(c);
    return p == std::string::npos ? -1 : (int)p;
}

int CString::Replace(const char* from, const char* to)
{
    if (!from || !*from) return 0;
    std::string f(from), t(to ? to : "");
    int count = 0;
    for (size_t p = m_s.find(f); p != std::string::npos; p = m_s.find(f, p + t.size())) {
        m_s.replace(p, f.size(), t);
        ++count;
    }
    return count;
}

int CString::Delete(int index, int count)
{
    if (index >= 0 && count > 0 && (size_t)index < m_s.size())
        m_s.erase((size_t)index, (size_t)count);
    return GetLength();
}

int CString::Insert(int index, const char* s)
{
    if (index < 0) index = 0;
    if ((size_t)index > m_s.size()) index = GetLength();
    m_s.insert((size_t)index, s ? s : "");
    return GetLength();
}

CString& CString::MakeUpper()
{
    std::transform(m_s.begin(), m_s.end(), m_s.begin(), [](char c) { return (char)toupper((unsigned char)c); });
    return *this;
}

CString& CString::MakeLower()
{
    std::transform(m_s.begin(), m_s.end(), m_s.begin(), [](char c) { return (char)tolower((unsigned char)c); });
    return *this;
}

CString& CString::TrimLeft()
{
    size_t p = m_s.find_first_not_of(" \t\r\n");
    m_s.erase(0, p == std::string::npos ? m_s.size() : p);
    return *this;
}

CString& CString::TrimRight()
{
    size_t p = m_s.find_last_not_of(" \t\r\n");
    m_s.erase(p == std::string::npos ? 0 : p + 1);
    return *this;
}

char* CString::GetBuffer(int minLength)
{
    if (minLength > 0 && (size_t)minLength > m_s.size())
        m_s.resize((size_t)minLength);
    // Keep room for the terminator that API calls write.
    m_s.reserve(m_s.size() + 1);
    return &m_s[0];
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        m_s.resize(strnlen(m_s.c_str(), m_s.size()));
    else
        m_s.resize(std::min((size_t)newLength, m_s.size()));
}
