#include "framework/CWnd.h"

#include "framework/Afx.h"
#include "framework/CCmdUI.h"
#include "framework/CWinApp.h"

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

// The framework runs on the one user-interface thread: the maps and the
// creation state below are not shared between threads.
namespace
{

std::unordered_map<HWND, CWnd*>& PermanentMap()
{
    static std::unordered_map<HWND, CWnd*> map;
    return map;
}

std::unordered_map<HWND, CWnd*>& TemporaryMap()
{
    static std::unordered_map<HWND, CWnd*> map;
    return map;
}

// Timer procedures given to CWnd::SetTimer, by window and timer id.
std::map<std::pair<HWND, UINT_PTR>, TIMERPROC>& TimerProcs()
{
    static std::map<std::pair<HWND, UINT_PTR>, TIMERPROC> procs;
    return procs;
}

VOID CALLBACK GuardedTimerProc(HWND hWnd, UINT message, UINT_PTR nIDEvent, DWORD dwTime)
{
    auto it = TimerProcs().find(std::make_pair(hWnd, nIDEvent));
    if (it == TimerProcs().end())
        return;
    TIMERPROC proc = it->second;
    try
    {
        proc(hWnd, message, nIDEvent, dwTime);
    }
    catch (...)
    {
        // The tick ends here; the timer keeps running.
    }
}

// The message being dispatched, for Default.
struct CurrentMessage
{
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
CurrentMessage g_msgCur = {};

CWnd* g_pWndInit = nullptr;  // the object waiting for the next window created
HHOOK g_hHookCbt = nullptr;
int g_nHookDepth = 0;

}  // namespace

// --- Handle map --------------------------------------------------------------

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    auto it = PermanentMap().find(hWnd);
    return it != PermanentMap().end() ? it->second : nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    if (CWnd* p = FromHandlePermanent(hWnd))
        return p;
    CWnd*& temp = TemporaryMap()[hWnd];
    if (temp == nullptr)
    {
        temp = new CWnd;
        temp->m_hWnd = hWnd;
    }
    return temp;
}

void CWnd::DeleteTempMap()
{
    std::unordered_map<HWND, CWnd*> temps;
    temps.swap(TemporaryMap());
    for (auto& entry : temps)
    {
        entry.second->m_hWnd = nullptr;  // a wrapper never destroys its window
        delete entry.second;
    }
}

void CWnd::Attach(HWND hWnd)
{
    m_hWnd = hWnd;
    PermanentMap()[hWnd] = this;
    // Named as a WNDPROC, so that the compiler checks its calling convention
    // before it goes out as a number.
    const WNDPROC pfnWndProc = &CWnd::WndProc;
    WNDPROC old =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pfnWndProc)));
    if (old != pfnWndProc)
        m_pfnSuper = old;
}

void CWnd::DetachDestroyed()
{
    HWND hWnd = m_hWnd;
    PermanentMap().erase(hWnd);
    auto& procs = TimerProcs();
    for (auto it = procs.lower_bound(std::make_pair(hWnd, UINT_PTR(0))); it != procs.end() && it->first.first == hWnd;)
        it = procs.erase(it);
    m_hWnd = nullptr;
    m_bCreated = false;
}

CWnd::~CWnd()
{
    if (m_hWnd == nullptr || FromHandlePermanent(m_hWnd) != this)
        return;
    // The window is let go before it is destroyed, so that none of its last
    // messages reaches this half-destroyed object.
    HWND hWnd = m_hWnd;
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC)) == &CWnd::WndProc && m_pfnSuper != nullptr)
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    bool created = m_bCreated;
    DetachDestroyed();
    if (created)
        ::DestroyWindow(hWnd);
}

// --- Creation ----------------------------------------------------------------

LRESULT CALLBACK CWnd::CbtHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_CREATEWND && g_pWndInit != nullptr)
    {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        // The system may create its input-method window first.
        char className[16] = "";
        ::GetClassNameA(hWnd, className, sizeof className);
        if (lstrcmpiA(className, "IME") != 0)
        {
            CWnd* pWnd = g_pWndInit;
            g_pWndInit = nullptr;
            pWnd->Attach(hWnd);
        }
    }
    return ::CallNextHookEx(g_hHookCbt, nCode, wParam, lParam);
}

CWnd::CreateHook::CreateHook(CWnd* pWnd) : m_pWnd(pWnd), m_pSaved(g_pWndInit)
{
    g_pWndInit = pWnd;
    if (g_nHookDepth++ == 0)
        g_hHookCbt = ::SetWindowsHookExA(WH_CBT, &CWnd::CbtHook, nullptr, ::GetCurrentThreadId());
}

CWnd::CreateHook::~CreateHook()
{
    if (--g_nHookDepth == 0)
    {
        ::UnhookWindowsHookEx(g_hHookCbt);
        g_hHookCbt = nullptr;
    }
    g_pWndInit = m_pSaved;
}

bool CWnd::CreateHook::Attached() const
{
    return g_pWndInit != m_pWnd;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT&)
{
    return TRUE;
}

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID, void* pContext)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID, pContext);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    // The frame's default rectangle stands for the system's default placement.
    bool systemDefault = rect.left == static_cast<LONG>(CW_USEDEFAULT) &&
                         rect.top == static_cast<LONG>(CW_USEDEFAULT) && rect.right == 0 && rect.bottom == 0;
    int x = systemDefault ? CW_USEDEFAULT : rect.left;
    int y = systemDefault ? CW_USEDEFAULT : rect.top;
    int cx = systemDefault ? CW_USEDEFAULT : rect.right - rect.left;
    int cy = systemDefault ? CW_USEDEFAULT : rect.bottom - rect.top;
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, cx, cy,
                    pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam)
{
    if (m_hWnd != nullptr)
        return FALSE;
    CREATESTRUCT cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = dwStyle;
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs))
    {
        PostNcDestroy();
        return FALSE;
    }
    m_bCreated = true;
    HWND hWnd;
    bool attached;
    {
        CreateHook hook(this);
        hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                 cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
        attached = hook.Attached();
    }
    if (hWnd == nullptr && !attached)
    {
        // The window never existed, so it sent no WM_NCDESTROY.
        m_bCreated = false;
        PostNcDestroy();
    }
    // A window that was created and then failed has been detached (and this
    // object possibly deleted) by its WM_NCDESTROY: nothing more is touched.
    return hWnd != nullptr;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (m_hWnd != nullptr || hWnd == nullptr || FromHandlePermanent(hWnd) != nullptr)
        return FALSE;
    Attach(hWnd);
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    return pParent != nullptr && SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd != nullptr && ::DestroyWindow(m_hWnd);
}

void CWnd::PostNcDestroy() {}

// --- Wrappers ----------------------------------------------------------------

static BOOL ModifyWindowLong(HWND hWnd, int nIndex, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD style = static_cast<DWORD>(::GetWindowLongA(hWnd, nIndex));
    DWORD newStyle = (style & ~dwRemove) | dwAdd;
    if (style == newStyle)
        return FALSE;
    ::SetWindowLongA(hWnd, nIndex, static_cast<LONG>(newStyle));
    if (nFlags != 0)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyWindowLong(m_hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyWindowLong(m_hWnd, GWL_EXSTYLE, dwRemove, dwAdd, nFlags);
}

void CWnd::ClientToScreen(LPRECT lpRect) const
{
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(lpRect));
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(lpRect) + 1);
}

void CWnd::GetWindowText(CString& rString) const
{
    // Room for two bytes per character, whichever the length counts.
    int n = ::GetWindowTextLengthA(m_hWnd) * 2 + 1;
    std::vector<char> buffer(static_cast<size_t>(n));
    n = ::GetWindowTextA(m_hWnd, buffer.data(), n);
    rString = CString(buffer.data(), n);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer)
{
    auto key = std::make_pair(m_hWnd, nIDEvent);
    if (lpfnTimer == nullptr)
    {
        TimerProcs().erase(key);
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr);
    }
    TimerProcs()[key] = lpfnTimer;
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, GuardedTimerProc);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    TimerProcs().erase(std::make_pair(m_hWnd, nIDEvent));
    return ::KillTimer(m_hWnd, nIDEvent);
}

// --- Dispatch ----------------------------------------------------------------

LRESULT CALLBACK CWnd::WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == nullptr)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);

    CurrentMessage saved = g_msgCur;
    g_msgCur = { hWnd, message, wParam, lParam };
    LRESULT result = 0;
    if (message == WM_NCDESTROY)
    {
        // The previous procedure sees the last message first (a list view
        // deletes its items here, notifying its parent); then the object lets
        // go of the window and may delete itself.
        result = pWnd->DefWindowProc(message, wParam, lParam);
        pWnd->DetachDestroyed();
        CWinApp* app = AfxGetApp();
        if (app != nullptr && app->m_pMainWnd == pWnd)
        {
            app->m_pMainWnd = nullptr;
            ::PostQuitMessage(0);
        }
        try
        {
            pWnd->PostNcDestroy();
        }
        catch (...)
        {
            // The window is gone whatever its object's clean-up did.
        }
    }
    else
    {
        try
        {
            result = pWnd->WindowProc(message, wParam, lParam);
        }
        catch (...)
        {
            // No exception leaves a window procedure: the message ends here,
            // and a window whose creation threw is not created.
            result = message == WM_CREATE ? -1 : 0;
        }
    }
    g_msgCur = saved;
    return result;
}

INT_PTR CALLBACK CWnd::DialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(g_msgCur.message, g_msgCur.wParam, g_msgCur.lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND)
    {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *pResult = 0;
        return TRUE;
    }
    if (message == WM_NOTIFY)
    {
        LRESULT result = 0;
        if (!OnNotify(wParam, lParam, &result))
            return FALSE;
        *pResult = result;
        return TRUE;
    }
    UINT key = message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC ? WM_CTLCOLOR : message;
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(key, 0, 0);
    if (e == nullptr)
        return FALSE;
    AFX_MSGARGS args = { message, wParam, lParam, nullptr, nullptr };
    *pResult = e->pfnCracker(this, args);
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    int nCode = HIWORD(wParam);
    if (lParam == 0)
    {
        // A menu item or an accelerator: asked for its state first, as the
        // menu would show it.
        nCode = CN_COMMAND;
        CCmdUI state;
        state.m_nID = nID;
        OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &state, nullptr);
        if (!state.m_bEnabled)
            return TRUE;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
    CWnd* pChild = FromHandlePermanent(pHeader->hwndFrom);
    return pChild != nullptr && pChild != this && pChild->OnChildNotify(WM_NOTIFY, wParam, lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message != WM_NOTIFY)
        return FALSE;
    const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_NOTIFY, pHeader->code, 0);
    if (e == nullptr)
        return FALSE;
    *pResult = 0;
    AFX_MSGARGS args = { message, wParam, lParam, nullptr, pResult };
    e->pfnCracker(this, args);
    return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

// --- Base handlers -----------------------------------------------------------

int CWnd::OnCreate(LPCREATESTRUCT)
{
    return static_cast<int>(Default());
}

void CWnd::OnDestroy()
{
    Default();
}

void CWnd::OnSetFocus(CWnd*)
{
    Default();
}

void CWnd::OnPaint()
{
    Default();
}

void CWnd::OnSize(UINT, int, int)
{
    Default();
}

void CWnd::OnClose()
{
    Default();
}

void CWnd::OnHScroll(UINT, UINT, CScrollBar* pScrollBar)
{
    if (pScrollBar == nullptr)
        Default();
}

void CWnd::OnContextMenu(CWnd*, CPoint)
{
    Default();
}

HBRUSH CWnd::OnCtlColor(HDC, CWnd*, UINT)
{
    return reinterpret_cast<HBRUSH>(Default());
}

// --- Window classes ----------------------------------------------------------

LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    static std::set<std::string> names;  // nodes keep the returned pointers valid
    HINSTANCE hInst = AfxGetInstanceHandle();
    char name[96];
    std::snprintf(name, sizeof name, "Fw:%p:%x:%p:%p:%p", static_cast<void*>(hInst), nClassStyle,
                  static_cast<void*>(hCursor), static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
    const std::string& stored = *names.insert(name).first;
    WNDCLASSA wc = {};
    if (!::GetClassInfoA(hInst, stored.c_str(), &wc))
    {
        wc.style = nClassStyle;
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = hInst;
        wc.hIcon = hIcon;
        wc.hCursor = hCursor;
        wc.hbrBackground = hbrBackground;
        wc.lpszClassName = stored.c_str();
        ::RegisterClassA(&wc);
    }
    return stored.c_str();
}
