// A control bar built from a dialog template: its controls are the bar's
// buttons, and their clicks reach the frame as commands with their ids.
#pragma once

#include "framework/CControlBar.h"

class CDialogBar : public CControlBar
{
    DECLARE_DYNAMIC(CDialogBar)

public:
    // nStyle: window styles (WS_CHILD, WS_VISIBLE) with CBRS_ styles.
    BOOL Create(CWnd* pParentWnd, UINT nIDTemplate, UINT nStyle, UINT nID);
    int CalcHeight() const override;
    // Each button is enabled while a handler exists for its command; an
    // update handler may also set a check-box button's check state.
    void OnUpdateCmdUI(CFrameWnd* pTarget) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void AddToolTips();

    SIZE m_sizeDefault = { 0, 0 };  // the template's size in pixels
    HWND m_hWndToolTip = nullptr;
};
