// The status bar along the frame's bottom edge, with one pane: the message
// pane (ID_SEPARATOR), where the frame shows prompts and the idle text.
#pragma once

#include "framework/CControlBar.h"

class CStatusBar : public CControlBar
{
    DECLARE_DYNAMIC(CStatusBar)

public:
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT nID = AFX_IDW_STATUS_BAR);
    // The program's status bar holds the message pane alone: the array must
    // be { ID_SEPARATOR }.
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
    BOOL SetPaneText(int nIndex, LPCTSTR lpszNewText);
    CString GetPaneText(int nIndex) const;
    int CalcHeight() const override;
};
