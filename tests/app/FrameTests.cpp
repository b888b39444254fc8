// The main window as the program starts it: first size, children, the list
// between the bars, and where the keyboard focus goes.
#include "AppTestSupport.h"

#include <commctrl.h>

#include "res/resource.h"

TEST_F(AppTest, FirstShowsAtTheDefaultCornerAThirdSmallerThanTheDefaultSize)
{
    HWND hProbe = ::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hProbe);
    CRect def;
    ::GetWindowRect(hProbe, &def);
    ::DestroyWindow(hProbe);

    CRect rc;
    m_pFrame->GetWindowRect(&rc);
    EXPECT_TRUE(m_pFrame->IsWindowVisible());
    EXPECT_EQ(def.left, rc.left);
    EXPECT_EQ(def.top, rc.top);
    EXPECT_EQ(def.Width() - def.Width() / 3, rc.Width());
    EXPECT_EQ(def.Height() - def.Height() / 3, rc.Height());
}

TEST_F(AppTest, FrameHoldsTheListTheBarWithSixIconButtonsAndTheStatusBar)
{
    CString title;
    m_pFrame->GetWindowText(title);
    EXPECT_EQ(CString("Ondalux"), title);
    EXPECT_FALSE(m_pFrame->GetExStyle() & WS_EX_CLIENTEDGE);
    // Its class draws no background and keeps the program's icon.
    EXPECT_EQ(0, ::GetClassLongPtrA(m_pFrame->m_hWnd, GCLP_HBRBACKGROUND));
    EXPECT_EQ(0u, ::GetClassLongA(m_pFrame->m_hWnd, GCL_STYLE));
    EXPECT_NE(0, ::GetClassLongPtrA(m_pFrame->m_hWnd, GCLP_HICON));

    EXPECT_EQ(List(), ::GetDlgItem(m_pFrame->m_hWnd, AFX_IDW_PANE_FIRST));
    EXPECT_EQ(Bar(), ::GetDlgItem(m_pFrame->m_hWnd, AFX_IDW_TOOLBAR));
    EXPECT_EQ(Status(), ::GetDlgItem(m_pFrame->m_hWnd, AFX_IDW_STATUS_BAR));
    EXPECT_TRUE(CWnd::FromHandlePermanent(List())->IsKindOf(RUNTIME_CLASS(CCDDriveListWnd)));
    EXPECT_EQ(4, m_pFrame->m_wndDriveList.GetItemCount());
    EXPECT_EQ(1, static_cast<int>(::SendMessageA(Status(), SB_GETPARTS, 0, 0)));

    int nButtons = 0;
    for (HWND h = ::GetWindow(Bar(), GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
    {
        SCOPED_TRACE(::GetDlgCtrlID(h));
        CWnd* pButton = CWnd::FromHandlePermanent(h);
        ASSERT_NE(nullptr, pButton);
        EXPECT_TRUE(pButton->IsKindOf(RUNTIME_CLASS(CIconButton)));
        nButtons++;
    }
    EXPECT_EQ(6, nButtons);
    const struct { CIconButton& button; UINT nID; } buttons[] = {
        { m_pFrame->m_wndPlayButton, ID_CD_PLAY },         { m_pFrame->m_wndPauseButton, ID_CD_PAUSE },
        { m_pFrame->m_wndStopButton, ID_CD_STOP },         { m_pFrame->m_wndRepeatButton, ID_CD_REPEAT },
        { m_pFrame->m_wndNextButton, ID_CD_NEXT_TRACK },   { m_pFrame->m_wndPrevButton, ID_CD_PREV_TRACK },
    };
    for (const auto& b : buttons)
        EXPECT_EQ(::GetDlgItem(Bar(), static_cast<int>(b.nID)), b.button.m_hWnd) << b.nID;
}

TEST_F(AppTest, ListFillsTheSpaceBetweenTheBarsAndGrowsWhenOneIsHidden)
{
    CRect client;
    m_pFrame->GetClientRect(&client);
    const CRect bar = InFrame(Bar());
    const CRect status = InFrame(Status());
    EXPECT_EQ(CRect(0, 0, client.right, bar.bottom), bar);
    EXPECT_EQ(CRect(0, status.top, client.right, client.bottom), status);
    EXPECT_EQ(CRect(0, bar.bottom, client.right, status.top), InFrame(List()));

    Command(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(::IsWindowVisible(Bar()));
    EXPECT_EQ(CRect(0, 0, client.right, status.top), InFrame(List()));
    EXPECT_TRUE(::GetMenuState(OpenPopup(1), ID_VIEW_TOOLBAR, MF_BYCOMMAND) == MF_UNCHECKED);

    Command(ID_VIEW_STATUS_BAR);
    EXPECT_EQ(client, InFrame(List()));

    Command(ID_VIEW_TOOLBAR);
    EXPECT_EQ(CRect(0, bar.bottom, client.right, client.bottom), InFrame(List()));
    Command(ID_VIEW_STATUS_BAR);
    EXPECT_EQ(CRect(0, bar.bottom, client.right, status.top), InFrame(List()));
    EXPECT_TRUE(::GetMenuState(OpenPopup(1), ID_VIEW_STATUS_BAR, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(AppTest, FocusReturnsToTheListAfterTheAboutBoxAndAfterReactivation)
{
    EXPECT_EQ(List(), ::GetFocus());

    HWND hOwner = nullptr;
    BOOL bFrameEnabled = TRUE;
    WithAboutBox(m_pFrame, [&](HWND hDlg) {
        hOwner = ::GetWindow(hDlg, GW_OWNER);
        bFrameEnabled = m_pFrame->IsWindowEnabled();
    });
    EXPECT_EQ(m_pFrame->m_hWnd, hOwner);
    EXPECT_FALSE(bFrameEnabled);
    Pump();
    EXPECT_EQ(List(), ::GetFocus());

    // Another window takes the focus, then the user switches back.
    HWND hOther = ::CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 600, 200, 100,
                                    nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hOther);
    ::SetActiveWindow(hOther);
    Pump();
    EXPECT_EQ(hOther, ::GetFocus());
    ::SetActiveWindow(m_pFrame->m_hWnd);
    Pump();
    EXPECT_EQ(List(), ::GetFocus());
    ::DestroyWindow(hOther);
}
