// A top-level frame window: menu, accelerators, icon and title from one
// resource id; control bars along its edges and the pane AFX_IDW_PANE_FIRST
// filling the rest; command routing from the frame to the application; menu
// and bar command states; prompts in the status bar. The frame object is
// deleted when its window is destroyed, so it is always allocated with new.
#pragma once

#include "framework/CWnd.h"

class CCmdUI;

// Frame style, given with the window styles to LoadFrame: the title shows
// the application's title (the program has no documents to add to it).
#define FWS_ADDTOTITLE 0x00008000L

class CFrameWnd : public CWnd
{
    DECLARE_DYNAMIC(CFrameWnd)

public:
    // The system's default position and size.
    static const CRect rectDefault;

    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, void* pContext = nullptr);

    // The frame's own table, then the application's.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    // Adds WS_EX_CLIENTEDGE; without a class name, registers a default class
    // with the icon of LoadFrame's resource id.
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // The frame's accelerators.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Places the visible bars along the edges and the pane in between.
    void RecalcLayout();

    // The message pane of the status bar (AFX_IDW_STATUS_BAR).
    void SetMessageText(LPCTSTR lpszText);
    // A command's prompt: its string up to the line feed.
    void SetMessageText(UINT nID);
    void GetMessageString(UINT nID, CString& rMessage) const;

    // Idle time: the bars' buttons and the status text ("Ready", or the
    // prompt of the bar button under the pointer).
    void OnIdleUpdateCmdUI();

    HACCEL m_hAccelTable = nullptr;
    CString m_strTitle;

protected:
    void PostNcDestroy() override;

    void OnSize(UINT nType, int cx, int cy);
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    LRESULT OnMenuSelect(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    void OnViewToolBar();
    void OnViewStatusBar();
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);

    UINT m_nIDResource = 0;
    UINT m_nIDLastMessage = 0;  // what the message pane shows
    bool m_bFlybyTimer = false;

    DECLARE_MESSAGE_MAP()

private:
    void OnBarCheck(UINT nID);
    UINT FlybyCommand() const;
};
