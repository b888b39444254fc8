// A bar along the top or bottom edge of a frame. The frame lays its visible
// bars out and gives the window AFX_IDW_PANE_FIRST the rest of its client area.
#pragma once

#include "framework/CWnd.h"

class CFrameWnd;

// Bar styles, given with the window styles to a bar's Create and kept by the
// bar (they are not window styles).
#define CBRS_ALIGN_TOP 0x0001L
#define CBRS_ALIGN_BOTTOM 0x0002L
#define CBRS_BORDER_TOP 0x0004L
#define CBRS_BORDER_BOTTOM 0x0008L
#define CBRS_TOOLTIPS 0x0010L  // tooltips for the bar's buttons
#define CBRS_FLYBY 0x0020L     // status prompts while the pointer rests on a button
#define CBRS_TOP (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_BOTTOM CBRS_ALIGN_BOTTOM
#define CBRS_ALL 0x003FL

class CControlBar : public CWnd
{
    DECLARE_DYNAMIC(CControlBar)

public:
    DWORD GetBarStyle() const { return m_dwStyle; }
    // The bar's height in the frame's layout.
    virtual int CalcHeight() const = 0;
    // Idle-time update of the bar's buttons from the frame's command routing.
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget);

protected:
    // Forwards the buttons' commands to the frame, draws the border, and has
    // the frame redo its layout when the bar is shown or hidden.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    int BorderHeight() const;
    void RecalcParentLayout();

    DWORD m_dwStyle = 0;  // CBRS_ styles
};
