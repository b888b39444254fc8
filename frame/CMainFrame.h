// The program's top-level window: the drive list as its pane, the control
// bar with six icon buttons above it and the status bar below. It carries
// out the transport commands on the selected drives and handles the end of
// a play.
#pragma once

#include "framework/Framework.h"
#include "drivelist/CCDDriveListWnd.h"
#include "frame/CIconButton.h"

class CMainFrame : public CFrameWnd
{
    DECLARE_DYNAMIC(CMainFrame)

public:
    CMainFrame() = default;

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CCDDriveListWnd m_wndDriveList;
    CDialogBar m_wndControlBar;
    CIconButton m_wndPlayButton;
    CIconButton m_wndPauseButton;
    CIconButton m_wndStopButton;
    CIconButton m_wndRepeatButton;
    CIconButton m_wndNextButton;
    CIconButton m_wndPrevButton;
    CStatusBar m_wndStatusBar;
    BOOL m_bRepeat = FALSE;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnSetFocus(CWnd* pOldWnd);
    LRESULT OnMciNotify(WPARAM wParam, LPARAM lParam);
    LRESULT OnPlayEnded(WPARAM wParam, LPARAM lParam);
    void OnPlay();
    void OnPause();
    void OnStop();
    void OnRepeat();
    void OnUpdateRepeat(CCmdUI* pCmdUI);
    void OnNextTrack();
    void OnPrevTrack();
    void OnEject();

    DECLARE_MESSAGE_MAP()

private:
    BOOL CreateBars();
    // Calls f with the device of every selected row, in list order.
    template <class F>
    void ForEachSelectedDevice(F f);
    // The same, for the selected rows whose disc has tracks.
    template <class F>
    void ForEachSelectedDisc(F f);
    // Calls f with the device of every row whose device has that id.
    template <class F>
    void ForEachDeviceWithId(MCIDEVICEID wDeviceID, F f);
    void EndOfPlay(CCDAudioDevice& device);

    // The key whose latest press was an accelerator, or 0.
    WPARAM m_nAcceleratorKey = 0;
};
