// The program started in-process as its WinMain starts it: InitInstance over
// the simulated demo drives (D:, E:, F: with discs, G: empty), its windows
// looked at, their pixels included.
#pragma once

#include "app/CMainApp.h"
#include "frame/CMainFrame.h"
#include "res/resource.h"
#include "simcd/SimController.h"

#include <gtest/gtest.h>

#include <functional>

extern CMainApp theApp;

// Dispatches what is queued (a quit message dropped), then idles once.
void Pump();
// Live GDI objects of this process.
int GdiObjectCount();
// Pixels of the window's client area that change when the icon is drawn
// over it at (x, y) in nSize: 0 when it shows there; -1 when it cannot draw.
int IconMismatches(HWND hWnd, UINT nIcon, int nSize, int x, int y);
// Opens the about box from the frame's command nTimes, each closed with OK
// after inspect (if given) has looked at it; returns how many boxes showed.
int RunAboutBox(CWnd* pFrame, int nTimes, const std::function<void(HWND)>& inspect = nullptr);

class AppTest : public testing::Test
{
protected:
    void SetUp() override
    {
        AfxWinInit(::GetModuleHandleA(nullptr), nullptr, ::GetCommandLineA(), SW_SHOWNORMAL);
        ASSERT_TRUE(m_sim.IsAttached() && m_sim.RemoveAllDrives() && m_sim.SetTimeFactor(1.0) && m_sim.BuildDemo())
            << m_sim.GetLastError();
        ASSERT_TRUE(theApp.InitInstance());
        m_pFrame = dynamic_cast<CMainFrame*>(theApp.m_pMainWnd);
        ASSERT_NE(nullptr, m_pFrame);
        Pump();
    }
    void TearDown() override
    {
        if (theApp.m_pMainWnd != nullptr)
            theApp.m_pMainWnd->SendMessage(WM_CLOSE);
        Pump();
        theApp.ExitInstance();
        m_sim.RemoveAllDrives();
    }

    void Command(UINT nID) { m_pFrame->SendMessage(WM_COMMAND, nID); }
    // The item's state in a menu-bar pop-up, updated as before it opens.
    UINT MenuState(int nPopup, UINT nID)
    {
        HMENU hPopup = ::GetSubMenu(::GetMenu(m_pFrame->m_hWnd), nPopup);
        m_pFrame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), nPopup);
        return ::GetMenuState(hPopup, nID, MF_BYCOMMAND);
    }
    // A child's rectangle in the frame's client coordinates.
    CRect InFrame(HWND hChild)
    {
        CRect rc;
        ::GetWindowRect(hChild, &rc);
        ::MapWindowPoints(nullptr, m_pFrame->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    HWND Bar() { return m_pFrame->m_wndControlBar.m_hWnd; }
    HWND List() { return m_pFrame->m_wndDriveList.m_hWnd; }

    simcd::SimController m_sim;
    CMainFrame* m_pFrame = nullptr;
};
