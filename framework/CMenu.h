// A menu loaded from the resources, destroyed with the object unless it was
// destroyed before. Its pop-ups are reached as CMenu objects owned by it.
#pragma once

#include "framework/CObject.h"
#include "framework/Platform.h"

#include <memory>
#include <vector>

class CWnd;

class CMenu : public CObject
{
    DECLARE_DYNAMIC(CMenu)

public:
    CMenu() = default;
    ~CMenu() override;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;
    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    BOOL LoadMenu(UINT nIDResource);
    // The pop-up at a position, valid while this menu lives; null when the
    // item there opens no pop-up.
    CMenu* GetSubMenu(int nPos);
    // With TPM_RETURNCMD the chosen command identifier (0 when dismissed).
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);
    BOOL DestroyMenu();

private:
    bool m_bOwner = false;  // a pop-up belongs to the menu it came from
    std::vector<std::unique_ptr<CMenu>> m_subMenus;
};
