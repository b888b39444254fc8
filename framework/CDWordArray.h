// An ordered, growable array of 32-bit values. Every index is checked: one
// outside the array raises CInvalidArgException.
#pragma once

#include "framework/Platform.h"

#include <vector>

class CDWordArray
{
public:
    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_values.size()); }
    // New elements are 0.
    void SetSize(INT_PTR nNewSize);

    DWORD GetAt(INT_PTR nIndex) const;
    void SetAt(INT_PTR nIndex, DWORD newElement);
    DWORD operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    DWORD& operator[](INT_PTR nIndex);

    INT_PTR Add(DWORD newElement);
    void RemoveAll() { m_values.clear(); }

private:
    void CheckIndex(INT_PTR nIndex) const;

    std::vector<DWORD> m_values;
};
