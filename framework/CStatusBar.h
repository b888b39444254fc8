// The status bar: a row of panes along the frame's bottom edge. The first
// pane (ID_SEPARATOR) is the message pane, where the frame shows prompts and
// the idle text; it takes the width that the other panes leave.
#pragma once

#include "framework/CControlBar.h"

#include <vector>

class CStatusBar : public CControlBar
{
    DECLARE_DYNAMIC(CStatusBar)

public:
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                UINT nID = AFX_IDW_STATUS_BAR);
    // One pane per identifier: ID_SEPARATOR for the message pane, any other
    // identifier for a fixed-width pane showing that string.
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
    BOOL SetPaneText(int nIndex, LPCTSTR lpszNewText);
    CString GetPaneText(int nIndex) const;
    int CalcHeight() const override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SetParts();

    std::vector<UINT> m_indicators;
};
