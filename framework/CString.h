// A string of bytes in the process's ANSI code page (double-byte characters
// included), with value semantics.
#pragma once

#include "framework/Platform.h"

#include <string>

class CString
{
public:
    CString() = default;
    CString(const char* psz);  // a null pointer gives the empty string
    CString(const char* pch, int nLength);

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator const char*() const { return m_str.c_str(); }

    // printf-style formatting; the arguments must be plain values (cast a
    // CString argument to const char*).
    void Format(const char* pszFormat, ...);
    // Upper-cases the letters as the ANSI code page defines them; the
    // trailing bytes of double-byte characters are left alone.
    CString& MakeUpper();
    // The first nCount bytes (all of them when nCount exceeds the length).
    CString Left(int nCount) const;
    // The bytes from nFirst to the end (empty when nFirst is past it).
    CString Mid(int nFirst) const;
    // Index of the first byte ch, or -1.
    int Find(char ch) const;
    // Byte-wise comparison: negative, 0 or positive as strcmp.
    int Compare(const char* psz) const;
    // Loads a string resource of the application; FALSE when there is none.
    BOOL LoadString(UINT nID);

    CString& operator+=(const CString& s)
    {
        m_str += s.m_str;
        return *this;
    }
    CString& operator+=(const char* psz);
    CString& operator+=(char ch)
    {
        m_str += ch;
        return *this;
    }

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const char* b);
    friend CString operator+(const char* a, const CString& b);
    friend CString operator+(const CString& a, char b);

private:
    std::string m_str;
};

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, const char* b);
bool operator==(const char* a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, const char* b);
bool operator!=(const char* a, const CString& b);
