#include "framework/CDWordArray.h"

#include "framework/CInvalidArgException.h"

void CDWordArray::SetSize(INT_PTR nNewSize)
{
    if (nNewSize < 0)
        AfxThrowInvalidArgException();
    m_values.resize(static_cast<size_t>(nNewSize), 0);
}

void CDWordArray::CheckIndex(INT_PTR nIndex) const
{
    if (nIndex < 0 || nIndex >= GetSize())
        AfxThrowInvalidArgException();
}

DWORD CDWordArray::GetAt(INT_PTR nIndex) const
{
    CheckIndex(nIndex);
    return m_values[static_cast<size_t>(nIndex)];
}

void CDWordArray::SetAt(INT_PTR nIndex, DWORD newElement)
{
    CheckIndex(nIndex);
    m_values[static_cast<size_t>(nIndex)] = newElement;
}

DWORD& CDWordArray::operator[](INT_PTR nIndex)
{
    CheckIndex(nIndex);
    return m_values[static_cast<size_t>(nIndex)];
}

INT_PTR CDWordArray::Add(DWORD newElement)
{
    m_values.push_back(newElement);
    return GetSize() - 1;
}
