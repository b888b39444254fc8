// The device context of a window's client area, released with the object.
#pragma once

#include "framework/Platform.h"

class CWnd;

class CClientDC
{
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC();
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    HDC m_hDC;

private:
    HWND m_hWnd;
};
