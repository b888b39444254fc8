// The main window as the program starts it: first size, children, the list
// between the bars, the icon buttons and the about box read back from the
// screen, where the focus goes, and GDI objects that must not leak.
#include "AppTestSupport.h"

namespace
{
const UINT kButtons[] = { ID_CD_PLAY, ID_CD_PAUSE, ID_CD_STOP, ID_CD_REPEAT, ID_CD_NEXT_TRACK, ID_CD_PREV_TRACK };
}

TEST_F(AppTest, FrameShowsAThirdSmallerThanTheDefaultSizeWithItsChildrenAndTheListBetweenTheBars)
{
    HWND hProbe = ::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    CRect def, rc, client;
    ::GetWindowRect(hProbe, &def);
    ::DestroyWindow(hProbe);
    m_pFrame->GetWindowRect(&rc);
    EXPECT_TRUE(m_pFrame->IsWindowVisible());
    EXPECT_EQ(CRect(def.left, def.top, def.right - def.Width() / 3, def.bottom - def.Height() / 3), rc);
    EXPECT_EQ(List(), ::GetDlgItem(m_pFrame->m_hWnd, AFX_IDW_PANE_FIRST));
    EXPECT_EQ(Bar(), ::GetDlgItem(m_pFrame->m_hWnd, AFX_IDW_TOOLBAR));
    HWND hStatus = ::GetDlgItem(m_pFrame->m_hWnd, AFX_IDW_STATUS_BAR);
    EXPECT_EQ(m_pFrame->m_wndStatusBar.m_hWnd, hStatus);
    for (UINT nID : kButtons)
        EXPECT_TRUE(dynamic_cast<CIconButton*>(CWnd::FromHandlePermanent(::GetDlgItem(Bar(), static_cast<int>(nID)))))
            << nID;

    m_pFrame->GetClientRect(&client);
    const CRect bar = InFrame(Bar()), status = InFrame(hStatus);
    EXPECT_EQ(CRect(0, bar.bottom, client.right, status.top), InFrame(List()));
    Command(ID_VIEW_TOOLBAR);
    EXPECT_EQ(CRect(0, 0, client.right, status.top), InFrame(List()));
    EXPECT_EQ(0u, MenuState(1, ID_VIEW_TOOLBAR) & MF_CHECKED);
    Command(ID_VIEW_STATUS_BAR);
    EXPECT_EQ(client, InFrame(List()));
    Command(ID_VIEW_TOOLBAR);
    EXPECT_EQ(CRect(0, bar.bottom, client.right, client.bottom), InFrame(List()));
}

TEST_F(AppTest, IconButtonGlyphStaysCentredUpPushedAndFocusedCheckedOrNot)
{
    auto mismatches = [&](UINT nID) {
        Pump();
        HWND hButton = ::GetDlgItem(Bar(), static_cast<int>(nID));
        CRect rc;
        ::GetClientRect(hButton, &rc);
        return IconMismatches(hButton, nID, 16, (rc.Width() - 16) / 2, (rc.Height() - 16) / 2);
    };
    Command(ID_CD_REPEAT);  // the idle-time update checks the button
    Pump();
    ASSERT_EQ(BST_CHECKED, m_pFrame->m_wndRepeatButton.SendMessage(BM_GETCHECK));
    for (UINT nID : kButtons)
    {
        HWND hButton = ::GetDlgItem(Bar(), static_cast<int>(nID));
        EXPECT_EQ(0, mismatches(nID)) << nID << " up";
        ::SendMessageA(hButton, BM_SETSTATE, TRUE, 0);
        EXPECT_EQ(0, mismatches(nID)) << nID << " pushed";
        ::SendMessageA(hButton, BM_SETSTATE, FALSE, 0);
        ::SetFocus(hButton);
        EXPECT_EQ(0, mismatches(nID)) << nID << " focused";
    }
}

TEST_F(AppTest, PaintingTheIconButtonsOrOpeningTheAboutBoxAThousandTimesDoesNotGrowTheGdiObjects)
{
    RunAboutBox(m_pFrame, 1);
    const int nBefore = GdiObjectCount();
    HBRUSH hBrush = ::CreateSolidBrush(0);
    ASSERT_EQ(nBefore + 1, GdiObjectCount()) << "the count does not see a new object";
    ::DeleteObject(hBrush);
    for (int i = 0; i < 1000; i++)
        ::RedrawWindow(Bar(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_LE(GdiObjectCount() - nBefore, 5);
    EXPECT_EQ(1000, RunAboutBox(m_pFrame, 1000));
    Pump();
    EXPECT_LE(GdiObjectCount() - nBefore, 10);
}

TEST_F(AppTest, AboutBoxShowsThe48PixelIconAtItsCornerFocusedOnOkThenTheListHasTheFocusAgain)
{
    EXPECT_EQ(List(), ::GetFocus());
    const int nShown = RunAboutBox(m_pFrame, 1, [&](HWND hDlg) {
        EXPECT_FALSE(m_pFrame->IsWindowEnabled()) << "the box is modal to the frame";
        EXPECT_EQ(::GetDlgItem(hDlg, IDOK), ::GetFocus());
        HWND hIcon = ::GetDlgItem(hDlg, IDC_ABOUT_ICON);
        CRect corner(6, 18, 0, 0), rc;
        ::MapDialogRect(hDlg, &corner);
        ::GetWindowRect(hIcon, &rc);
        ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
        EXPECT_EQ(CRect(corner.left, corner.top, corner.left + 48, corner.top + 48), rc);
        EXPECT_EQ(0, IconMismatches(hIcon, IDR_MAINFRAME, 48, 0, 0));
    });
    EXPECT_EQ(1, nShown);
    Pump();
    EXPECT_EQ(List(), ::GetFocus());

    // Another window takes the focus, then the user switches back.
    HWND hOther = ::CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 600, 200, 100, nullptr,
                                    nullptr, nullptr, nullptr);
    ::SetActiveWindow(hOther);
    Pump();
    EXPECT_EQ(hOther, ::GetFocus());
    ::SetActiveWindow(m_pFrame->m_hWnd);
    Pump();
    EXPECT_EQ(List(), ::GetFocus());
    ::DestroyWindow(hOther);
}
