#include "frame/CMainFrame.h"

#include <vector>

#include "res/resource.h"

IMPLEMENT_DYNAMIC(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_SETFOCUS()
    ON_MESSAGE(MM_MCINOTIFY, OnMciNotify)
    ON_MESSAGE(CCDDriveListWnd::WM_PLAYENDED, OnPlayEnded)
    ON_COMMAND(ID_CD_PLAY, OnPlay)
    ON_COMMAND(ID_CD_PAUSE, OnPause)
    ON_COMMAND(ID_CD_STOP, OnStop)
    ON_COMMAND(ID_CD_REPEAT, OnRepeat)
    ON_UPDATE_COMMAND_UI(ID_CD_REPEAT, OnUpdateRepeat)
    ON_COMMAND(ID_CD_NEXT_TRACK, OnNextTrack)
    ON_COMMAND(ID_CD_PREV_TRACK, OnPrevTrack)
    ON_COMMAND(ID_CD_EJECT, OnEject)
END_MESSAGE_MAP()

static const UINT indicators[] = { ID_SEPARATOR };

// ---------------------------------------------------------------------------
// Window

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CFrameWnd::PreCreateWindow(cs))
        return FALSE;
    // The list draws its own sunken edge; the frame's client area is covered
    // by its children, so it needs no background brush either.
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    cs.lpszClass = AfxRegisterWndClass(
        0, LoadCursor(nullptr, IDC_ARROW), nullptr,
        LoadIcon(AfxFindResourceHandle(MAKEINTRESOURCE(IDR_MAINFRAME), RT_GROUP_ICON), MAKEINTRESOURCE(IDR_MAINFRAME)));
    return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1)
        return -1;

    // The list opens the drives with this frame as the window for their
    // end-of-play notifications.
    if (!m_wndDriveList.Create(WS_CHILD | WS_VISIBLE | LVS_SHOWSELALWAYS, CFrameWnd::rectDefault, this,
                               AFX_IDW_PANE_FIRST))
        return -1;

    if (!CreateBars())
    {
        // A failed creation gives the windows WM_NCDESTROY alone, and the
        // list view then deletes its rows without notifications: the rows'
        // devices would stay open. Destroyed here, the list reports every
        // row's deletion, so every drive is closed.
        m_wndDriveList.DestroyWindow();
        return -1;
    }

    // First shown a third smaller than the system's default size, at the
    // default top-left corner.
    CRect rect;
    GetWindowRect(&rect);
    const int nWidth = rect.right - rect.left;
    const int nHeight = rect.bottom - rect.top;
    rect.right += nWidth / -3;
    rect.bottom += nHeight / -3;
    MoveWindow(rect, TRUE);
    return 0;
}

// The control bar with its six buttons, and the status bar.
BOOL CMainFrame::CreateBars()
{
    if (!m_wndControlBar.Create(this, IDD_CONTROL_BAR, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY,
                                AFX_IDW_TOOLBAR))
        return FALSE;

    m_wndPlayButton.SubclassDlgItem(ID_CD_PLAY, &m_wndControlBar);
    m_wndPauseButton.SubclassDlgItem(ID_CD_PAUSE, &m_wndControlBar);
    m_wndStopButton.SubclassDlgItem(ID_CD_STOP, &m_wndControlBar);
    m_wndRepeatButton.SubclassDlgItem(ID_CD_REPEAT, &m_wndControlBar);
    m_wndNextButton.SubclassDlgItem(ID_CD_NEXT_TRACK, &m_wndControlBar);
    m_wndPrevButton.SubclassDlgItem(ID_CD_PREV_TRACK, &m_wndControlBar);

    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR))
        return FALSE;
    if (!m_wndStatusBar.SetIndicators(indicators, 1))
        return FALSE;
    return TRUE;
}

void CMainFrame::OnSetFocus(CWnd*)
{
    m_wndDriveList.SetFocus();
}

BOOL CMainFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (m_wndDriveList.OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// The release of a key whose press was an accelerator is kept from the
// window with the focus: a slider there would take the release of Right
// after Alt+Right (Alt let go first) as the end of a keyboard step and seek
// its drive back to the thumb's old place. Only WM_KEYUP, the one the slider
// acts on: a WM_SYSKEYUP (Alt still held) goes on to the default handling.
//
// Wine's default handling opens the menu bar when Alt is let go after its
// press reached it with no other key in between; a key that an accelerator
// ate never reaches it, so after Alt+Right the menu bar would take the next
// key. The eaten press is handed to the default handling too: under Wine it
// forgets the Alt press, on Windows it does nothing with such a key.
BOOL CMainFrame::PreTranslateMessage(MSG* pMsg)
{
    if ((pMsg->message == WM_KEYUP || pMsg->message == WM_SYSKEYUP) && m_nAcceleratorKey != 0 &&
        pMsg->wParam == m_nAcceleratorKey)
    {
        m_nAcceleratorKey = 0;
        if (pMsg->message == WM_KEYUP)
            return TRUE;
    }
    const BOOL bTranslated = CFrameWnd::PreTranslateMessage(pMsg);
    if (pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN)
        m_nAcceleratorKey = bTranslated ? pMsg->wParam : 0;
    // Alt+F4 would close the window there.
    if (bTranslated && pMsg->message == WM_SYSKEYDOWN && (HIWORD(pMsg->lParam) & KF_ALTDOWN) && pMsg->wParam != VK_F4)
        ::DefWindowProcA(m_hWnd, WM_SYSKEYDOWN, pMsg->wParam, pMsg->lParam);
    return bTranslated;
}

// ---------------------------------------------------------------------------
// Transport commands

template <class F>
void CMainFrame::ForEachSelectedDevice(F f)
{
    // The count is asked again at every step: a command may change the rows.
    for (int i = 0; i < m_wndDriveList.GetItemCount(); i++)
    {
        if (!m_wndDriveList.GetItemState(i, LVIS_SELECTED))
            continue;
        // A row whose device could not be built has nothing to command.
        if (CCDAudioDevice* pDevice = m_wndDriveList.GetDriveItem(i)->m_pDevice.get())
            f(*pDevice);
    }
}

template <class F>
void CMainFrame::ForEachSelectedDisc(F f)
{
    ForEachSelectedDevice([&](CCDAudioDevice& device) {
        if (device.GetTrackCount() != 0)
            f(device);
    });
}

// Drives started together start in step: each is started and paused, which
// stores where it stands, then all are started from there one right after
// another.
void CMainFrame::OnPlay()
{
    CWaitCursor wait;
    std::vector<CCDAudioDevice*> devices;
    ForEachSelectedDisc([&](CCDAudioDevice& device) {
        if (device.GetMode() != MCI_MODE_NOT_READY)
            devices.push_back(&device);
    });

    if (devices.size() >= 2)
    {
        for (CCDAudioDevice* pDevice : devices)
        {
            pDevice->Play();
            pDevice->Pause();
        }
    }
    // The modes are asked first, so that the plays follow one another with
    // nothing in between.
    std::vector<DWORD> modes;
    for (CCDAudioDevice* pDevice : devices)
        modes.push_back(pDevice->GetMode());
    for (size_t i = 0; i < devices.size(); i++)
        devices[i]->PlayUnlessPlaying(modes[i]);
}

void CMainFrame::OnPause()
{
    ForEachSelectedDisc([](CCDAudioDevice& device) { device.Pause(); });
}

void CMainFrame::OnStop()
{
    ForEachSelectedDisc([](CCDAudioDevice& device) { device.Stop(); });
}

void CMainFrame::OnRepeat()
{
    m_bRepeat = m_bRepeat ? FALSE : TRUE;
}

void CMainFrame::OnUpdateRepeat(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_bRepeat ? 1 : 0);
}

// Next wraps from the last track (or past it) to track 1, passing over data
// tracks: a disc with tracks has at least one of audio.
void CMainFrame::OnNextTrack()
{
    ForEachSelectedDisc([](CCDAudioDevice& device) {
        const DWORD dwCount = static_cast<DWORD>(device.GetTrackCount());
        DWORD dwTrack = device.GetCurrentTrack();
        do
            dwTrack = dwTrack + 1 > dwCount ? 1 : dwTrack + 1;
        while (!device.IsAudioTrack(static_cast<int>(dwTrack - 1)));
        device.Seek(device.GetTrackStart(static_cast<int>(dwTrack - 1)));
    });
}

// Previous always goes to the start of the audio track before the current
// one, wrapping from track 1 to the last.
void CMainFrame::OnPrevTrack()
{
    ForEachSelectedDisc([](CCDAudioDevice& device) {
        const DWORD dwCount = static_cast<DWORD>(device.GetTrackCount());
        DWORD dwTrack = device.GetCurrentTrack();
        do
            dwTrack = dwTrack == 1 ? dwCount : dwTrack - 1;
        while (!device.IsAudioTrack(static_cast<int>(dwTrack - 1)));
        device.Seek(device.GetTrackStart(static_cast<int>(dwTrack - 1)));
    });
}

void CMainFrame::OnEject()
{
    ForEachSelectedDevice([](CCDAudioDevice& device) { device.Eject(); });
}

// ---------------------------------------------------------------------------
// End of play

template <class F>
void CMainFrame::ForEachDeviceWithId(MCIDEVICEID wDeviceID, F f)
{
    for (int i = 0; i < m_wndDriveList.GetItemCount(); i++)
    {
        CCDAudioDevice* pDevice = m_wndDriveList.GetDriveItem(i)->m_pDevice.get();
        if (pDevice && pDevice->GetDeviceID() == wDeviceID)
            f(*pDevice);
    }
}

// A disc that played to its end is rewound to its start and, with repeat on,
// played again, whether or not its row is selected.
void CMainFrame::EndOfPlay(CCDAudioDevice& device)
{
    device.Seek(device.GetStartPosition());
    if (m_bRepeat)
        device.Play();
}

// Every notification is counted by its device, which tells whether it
// reports the end of its latest play.
LRESULT CMainFrame::OnMciNotify(WPARAM wParam, LPARAM lParam)
{
    ForEachDeviceWithId(static_cast<MCIDEVICEID>(lParam), [&](CCDAudioDevice& device) {
        if (device.NotifyEndsPlay(wParam))
            EndOfPlay(device);
    });
    return 0;
}

// The end of a play that the refresh found without its notification.
LRESULT CMainFrame::OnPlayEnded(WPARAM, LPARAM lParam)
{
    ForEachDeviceWithId(static_cast<MCIDEVICEID>(lParam), [&](CCDAudioDevice& device) { EndOfPlay(device); });
    return 0;
}
