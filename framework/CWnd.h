// A window object: one C++ object per window the program created or
// subclassed, found from the window handle through a handle map.
//
// Every such window's procedure is the framework's: a message is looked up in
// the object's message table chain and handed, cracked, to its handler; a
// message without an entry, and a handler that calls its base class's handler
// (which calls Default), end in the window's previous window procedure.
#pragma once

#include "framework/Afx.h"
#include "framework/CCmdTarget.h"
#include "framework/CPoint.h"
#include "framework/CRect.h"
#include "framework/CString.h"

class CScrollBar;

class CWnd : public CCmdTarget
{
    DECLARE_DYNAMIC(CWnd)

public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    // A window that this object created is destroyed with it; one that it
    // only subclassed is given back its previous window procedure.
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The permanent object of a window the program created or subclassed, or
    // else a temporary wrapper, released at the next idle time.
    static CWnd* FromHandle(HWND hWnd);
    // The permanent object only, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);
    static void DeleteTempMap();

    // Creation. The window belongs to this object from its first message on.
    // When creation fails after PreCreateWindow, PostNcDestroy has been called
    // (a frame has then deleted itself).
    BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                UINT nID, void* pContext = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x, int y,
                  int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);

    // Takes over an existing window: its messages go through this object first.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    virtual BOOL DestroyWindow();

    // Thin wrappers over the window functions.
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE)
    {
        ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
    }
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE)
    {
        MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
    }
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, pWndInsertAfter != nullptr ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy,
                              nFlags);
    }
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
    void ClientToScreen(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    void SetWindowText(LPCTSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
    void GetWindowText(CString& rString) const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    // A timer procedure given here is called through a guard that keeps any
    // exception it throws from leaving it (Win32 calls timer procedures
    // directly, from any message loop).
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);

    // Dispatch.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The previous window procedure (or the system's default one).
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The message being handled, given to DefWindowProc.
    LRESULT Default();
    // WM_COMMAND: a menu or accelerator command whose update handler disables
    // it is dropped; the rest goes to OnCmdMsg.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY: reflected to the sending child when its table has an entry
    // for the code. FALSE sends the message on to DefWindowProc.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A notification reflected from the parent; TRUE when handled here.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Called after the window's last message; the object is detached by then.
    virtual void PostNcDestroy();

protected:
    // Base handlers: each hands its message to Default.
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnDestroy();
    void OnSetFocus(CWnd* pOldWnd);
    void OnPaint();
    void OnSize(UINT nType, int cx, int cy);
    void OnClose();
    // A scroll message sent by a control (pScrollBar not null) is a
    // notification: it is not given to the window's previous procedure,
    // which would take it as a scroll of the window's own scroll bar.
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnContextMenu(CWnd* pWnd, CPoint pos);
    HBRUSH OnCtlColor(HDC hDC, CWnd* pWnd, UINT nCtlColor);

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // Makes the next window created on this thread this object's window, from
    // its first message on; used around CreateWindowEx and the dialog calls.
    class CreateHook
    {
    public:
        explicit CreateHook(CWnd* pWnd);
        ~CreateHook();
        CreateHook(const CreateHook&) = delete;
        CreateHook& operator=(const CreateHook&) = delete;
        bool Attached() const;

    private:
        CWnd* m_pWnd;
        CWnd* m_pSaved;
    };

    // The dialog procedure of the framework's dialogs: the dialog's own
    // messages go through its window procedure, so this declines everything.
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);

    WNDPROC m_pfnSuper = nullptr;
    bool m_bCreated = false;  // this object created the window

    DECLARE_MESSAGE_MAP()

private:
    void Attach(HWND hWnd);
    void DetachDestroyed();
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CbtHook(int nCode, WPARAM wParam, LPARAM lParam);
};

// Registers (once) a window class with the default window procedure and
// returns its name.
LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                            HICON hIcon = nullptr);

// Crackers of the window messages.
template <auto pfn>
LRESULT AfxCrackCreate(CCmdTarget* p, const AFX_MSGARGS& a)
{
    return (AfxHandlerTarget<pfn>(p)->*pfn)(reinterpret_cast<LPCREATESTRUCT>(a.lParam));
}

template <auto pfn>
LRESULT AfxCrackSetFocus(CCmdTarget* p, const AFX_MSGARGS& a)
{
    (AfxHandlerTarget<pfn>(p)->*pfn)(CWnd::FromHandle(reinterpret_cast<HWND>(a.wParam)));
    return 0;
}

template <auto pfn>
LRESULT AfxCrackSize(CCmdTarget* p, const AFX_MSGARGS& a)
{
    (AfxHandlerTarget<pfn>(p)->*pfn)(static_cast<UINT>(a.wParam), static_cast<int>(LOWORD(a.lParam)),
                                     static_cast<int>(HIWORD(a.lParam)));
    return 0;
}

// The sending control is passed as a CScrollBar whatever its class (a
// trackbar included): test it with IsKindOf before using it as one.
template <auto pfn>
LRESULT AfxCrackHScroll(CCmdTarget* p, const AFX_MSGARGS& a)
{
    CWnd* pControl = CWnd::FromHandle(reinterpret_cast<HWND>(a.lParam));
    (AfxHandlerTarget<pfn>(p)->*pfn)(LOWORD(a.wParam), HIWORD(a.wParam), reinterpret_cast<CScrollBar*>(pControl));
    return 0;
}

template <auto pfn>
LRESULT AfxCrackContextMenu(CCmdTarget* p, const AFX_MSGARGS& a)
{
    CPoint pt(static_cast<short>(LOWORD(a.lParam)), static_cast<short>(HIWORD(a.lParam)));
    (AfxHandlerTarget<pfn>(p)->*pfn)(CWnd::FromHandle(reinterpret_cast<HWND>(a.wParam)), pt);
    return 0;
}

// Every WM_CTLCOLOR* message, with its kind (CTLCOLOR_BTN, CTLCOLOR_STATIC, ...).
template <auto pfn>
LRESULT AfxCrackCtlColor(CCmdTarget* p, const AFX_MSGARGS& a)
{
    HBRUSH hbr = (AfxHandlerTarget<pfn>(p)->*pfn)(reinterpret_cast<HDC>(a.wParam),
                                                  CWnd::FromHandle(reinterpret_cast<HWND>(a.lParam)),
                                                  a.message - WM_CTLCOLORMSGBOX);
    return reinterpret_cast<LRESULT>(hbr);
}

template <auto pfn>
LRESULT AfxCrackMessage(CCmdTarget* p, const AFX_MSGARGS& a)
{
    return (AfxHandlerTarget<pfn>(p)->*pfn)(a.wParam, a.lParam);
}

template <auto pfn>
LRESULT AfxCrackNotify(CCmdTarget* p, const AFX_MSGARGS& a)
{
    (AfxHandlerTarget<pfn>(p)->*pfn)(reinterpret_cast<NMHDR*>(a.lParam), a.pResult);
    return 0;
}

#define AFX_WM_ENTRY(msg, cracker, memberFxn) { msg, 0, 0, 0, &cracker<&ThisClass::memberFxn> },

#define ON_WM_CREATE() AFX_WM_ENTRY(WM_CREATE, AfxCrackCreate, OnCreate)
#define ON_WM_DESTROY() AFX_WM_ENTRY(WM_DESTROY, AfxCrackVoid, OnDestroy)
#define ON_WM_SETFOCUS() AFX_WM_ENTRY(WM_SETFOCUS, AfxCrackSetFocus, OnSetFocus)
#define ON_WM_PAINT() AFX_WM_ENTRY(WM_PAINT, AfxCrackVoid, OnPaint)
#define ON_WM_SIZE() AFX_WM_ENTRY(WM_SIZE, AfxCrackSize, OnSize)
#define ON_WM_CLOSE() AFX_WM_ENTRY(WM_CLOSE, AfxCrackVoid, OnClose)
#define ON_WM_HSCROLL() AFX_WM_ENTRY(WM_HSCROLL, AfxCrackHScroll, OnHScroll)
#define ON_WM_CONTEXTMENU() AFX_WM_ENTRY(WM_CONTEXTMENU, AfxCrackContextMenu, OnContextMenu)
#define ON_WM_CTLCOLOR() AFX_WM_ENTRY(WM_CTLCOLOR, AfxCrackCtlColor, OnCtlColor)
// A message by number: LRESULT memberFxn(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn) AFX_WM_ENTRY(message, AfxCrackMessage, memberFxn)
// A notification this window sends its parent, handed back to this window:
// void memberFxn(NMHDR*, LRESULT*).
#define ON_NOTIFY_REFLECT(code, memberFxn) \
    { WM_NOTIFY, static_cast<UINT>(code), 0, 0, &AfxCrackNotify<&ThisClass::memberFxn> },
