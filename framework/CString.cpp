#include "framework/CString.h"

#include "framework/Afx.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

CString::CString(const char* psz)
{
    if (psz != nullptr)
        m_str = psz;
}

CString::CString(const char* pch, int nLength)
{
    if (pch != nullptr && nLength > 0)
        m_str.assign(pch, static_cast<size_t>(nLength));
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n < 0)
    {
        m_str.clear();
    }
    else
    {
        std::vector<char> buffer(static_cast<size_t>(n) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), pszFormat, args);
        m_str.assign(buffer.data(), static_cast<size_t>(n));
    }
    va_end(args);
}

CString& CString::MakeUpper()
{
    if (!m_str.empty())
        ::CharUpperBuffA(&m_str[0], static_cast<DWORD>(m_str.size()));
    return *this;
}

CString CString::Left(int nCount) const
{
    if (nCount <= 0)
        return CString();
    if (nCount >= GetLength())
        return *this;
    return CString(m_str.c_str(), nCount);
}

CString CString::Mid(int nFirst) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst >= GetLength())
        return CString();
    return CString(m_str.c_str() + nFirst);
}

int CString::Find(char ch) const
{
    size_t pos = m_str.find(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Compare(const char* psz) const
{
    return std::strcmp(m_str.c_str(), psz != nullptr ? psz : "");
}

BOOL CString::LoadString(UINT nID)
{
    // LoadString gives no length of its own: grow until the text fits.
    HINSTANCE hInst = AfxGetResourceHandle();
    for (int size = 256; size <= 65536; size *= 4)
    {
        std::vector<char> buffer(static_cast<size_t>(size));
        int n = ::LoadStringA(hInst, nID, buffer.data(), size);
        if (n < size - 1)
        {
            m_str.assign(buffer.data(), static_cast<size_t>(n));
            return n > 0;
        }
    }
    return FALSE;
}

CString& CString::operator+=(const char* psz)
{
    if (psz != nullptr)
        m_str += psz;
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, const char* b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const char* a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, char b)
{
    CString r(a);
    r += b;
    return r;
}

bool operator==(const CString& a, const CString& b)
{
    return a.Compare(b) == 0;
}
bool operator==(const CString& a, const char* b)
{
    return a.Compare(b) == 0;
}
bool operator==(const char* a, const CString& b)
{
    return b.Compare(a) == 0;
}
bool operator!=(const CString& a, const CString& b)
{
    return !(a == b);
}
bool operator!=(const CString& a, const char* b)
{
    return !(a == b);
}
bool operator!=(const char* a, const CString& b)
{
    return !(a == b);
}
