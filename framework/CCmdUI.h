// The state of one command's user-interface element (a menu item or a
// control-bar button) while update handlers are asked about it. Without an
// element it only records what the handlers said.
#pragma once

#include "framework/Platform.h"

class CCmdTarget;

class CCmdUI
{
public:
    UINT m_nID = 0;
    UINT m_nIndex = 0;           // position of the item in m_hMenu
    HMENU m_hMenu = nullptr;     // the menu holding the item, or null
    HWND m_hWndOther = nullptr;  // the button, or null

    BOOL m_bEnabled = TRUE;  // as last set
    BOOL m_bEnableChanged = FALSE;

    void Enable(BOOL bOn = TRUE);
    // Applies to menu items and to check-box and radio buttons.
    void SetCheck(int nCheck = 1);

    // Asks pTarget's update handler. When none enabled or disabled the element
    // and bDisableIfNoHandler is set, it is enabled exactly when a command
    // handler exists along pTarget's routing.
    void DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler);
};
