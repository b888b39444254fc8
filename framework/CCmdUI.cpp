#include "framework/CCmdUI.h"

#include "framework/CCmdTarget.h"

void CCmdUI::Enable(BOOL bOn)
{
    m_bEnabled = bOn;
    m_bEnableChanged = TRUE;
    if (m_hMenu != nullptr)
    {
        ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : MF_GRAYED));
    }
    else if (m_hWndOther != nullptr)
    {
        if (!::IsWindowEnabled(m_hWndOther) != !bOn)
            ::EnableWindow(m_hWndOther, bOn);
    }
}

void CCmdUI::SetCheck(int nCheck)
{
    if (m_hMenu != nullptr)
    {
        ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
    }
    else if (m_hWndOther != nullptr)
    {
        switch (::GetWindowLongA(m_hWndOther, GWL_STYLE) & BS_TYPEMASK)
        {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            // Only a change is sent: the bar is updated at every idle moment.
            if (::SendMessageA(m_hWndOther, BM_GETCHECK, 0, 0) != nCheck)
                ::SendMessageA(m_hWndOther, BM_SETCHECK, static_cast<WPARAM>(nCheck), 0);
            break;
        default:
            break;
        }
    }
}

void CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler)
{
    m_bEnableChanged = FALSE;
    pTarget->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
    if (bDisableIfNoHandler && !m_bEnableChanged)
    {
        AFX_CMDHANDLERINFO info = {};
        Enable(pTarget->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
    }
}
