#include "framework/CMenu.h"

#include "framework/Afx.h"
#include "framework/CWnd.h"

IMPLEMENT_DYNAMIC(CMenu, CObject)

CMenu::~CMenu()
{
    DestroyMenu();
}

BOOL CMenu::LoadMenu(UINT nIDResource)
{
    DestroyMenu();
    LPCSTR name = MAKEINTRESOURCEA(nIDResource);
    m_hMenu = ::LoadMenuA(AfxFindResourceHandle(name, RT_MENU), name);
    m_bOwner = m_hMenu != nullptr;
    return m_hMenu != nullptr;
}

CMenu* CMenu::GetSubMenu(int nPos)
{
    HMENU hSub = ::GetSubMenu(m_hMenu, nPos);
    if (hSub == nullptr)
        return nullptr;
    for (auto& sub : m_subMenus)
        if (sub->m_hMenu == hSub)
            return sub.get();
    m_subMenus.push_back(std::make_unique<CMenu>());
    m_subMenus.back()->m_hMenu = hSub;
    return m_subMenus.back().get();
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect)
{
    return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd != nullptr ? pWnd->m_hWnd : nullptr, lpRect);
}

BOOL CMenu::DestroyMenu()
{
    m_subMenus.clear();
    if (m_hMenu == nullptr)
        return FALSE;
    BOOL result = m_bOwner ? ::DestroyMenu(m_hMenu) : TRUE;
    m_hMenu = nullptr;
    m_bOwner = false;
    return result;
}
