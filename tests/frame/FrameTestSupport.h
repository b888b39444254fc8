// The main frame on simulated drives, hosted without the program's WinMain,
// with what reached the drives read back from the driver's journal.
#pragma once

#include "frame/CMainFrame.h"
#include "res/resource.h"
#include "simcd/SimController.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <mmddk.h>

#include <string>

extern CWinApp theApp;

const UINT kSelectedAndFocused = LVIS_SELECTED | LVIS_FOCUSED;

// D:, E: and F: hold three tracks of 60, 90 and 30 s from 2 s (starts at 2000,
// 62000 and 152000 ms, end at 182000), G: is empty; rows 0 to 3 in that
// order. Time stands still unless a test lets it run, so every position in
// the journal is known beforehand.
class FrameTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_ctl.RemoveAllDrives() && m_ctl.SetTimeFactor(1e-6)) << m_ctl.GetLastError();
        for (char drive : { 'D', 'E', 'F', 'G' })
            ASSERT_TRUE(m_ctl.DefineDrive(drive) && (drive == 'G' || m_ctl.InsertDisc(drive, { 60000, 90000, 30000 })))
                << m_ctl.GetLastError();
        CreateFrame();
        ASSERT_EQ(4, List().GetItemCount());
    }
    void TearDown() override
    {
        DestroyFrame();
        m_ctl.RemoveAllDrives();
    }
    // The frame on the drives defined now, with an empty journal.
    void CreateFrame()
    {
        m_pFrame = new CMainFrame;
        theApp.m_pMainWnd = m_pFrame;
        ASSERT_TRUE(m_pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, nullptr));
        m_pFrame->MoveWindow(200, 150, 700, 360);
        m_pFrame->ShowWindow(SW_SHOW);
        Pump();
        m_ctl.ClearJournal();
    }
    void DestroyFrame()
    {
        if (theApp.m_pMainWnd != nullptr)
            theApp.m_pMainWnd->DestroyWindow();
        Pump();
    }

    CCDDriveListWnd& List() { return m_pFrame->m_wndDriveList; }
    static int Row(char drive) { return drive - 'D'; }
    CCDAudioDevice* Device(char drive) { return List().GetDriveItem(Row(drive))->m_pDevice.get(); }
    CSliderCtrl& Slider(char drive) { return List().GetDriveItem(Row(drive))->m_wndSlider; }
    UINT State(char drive) { return List().GetItemState(Row(drive), kSelectedAndFocused); }

    // Exactly these drives' rows selected; the focus is left as it is.
    void Select(const std::string& drives)
    {
        for (char drive : { 'D', 'E', 'F', 'G' })
            List().SetItemState(Row(drive), drives.find(drive) != std::string::npos ? LVIS_SELECTED : 0, LVIS_SELECTED);
    }
    void Command(UINT nID) { m_pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0); }
    // One refresh of the list, for tests that kill its timer.
    struct CTicker : CCDDriveListWnd
    {
        using CCDDriveListWnd::StatusTimerProc;
    };
    void Tick() { CTicker::StatusTimerProc(List().m_hWnd, WM_TIMER, CCDDriveListWnd::IDT_STATUS, 0); }
    // A scroll message as a slider sends it to the list; the position it
    // carries is deliberately not the slider's, which is the one that counts.
    void Scroll(HWND hFrom, UINT nCode)
    {
        List().SendMessage(WM_HSCROLL, MAKEWPARAM(nCode, 7), reinterpret_cast<LPARAM>(hFrom));
    }
    // The command on exactly these drives' rows, and what it sent them.
    std::string Run(UINT nID, const std::string& drives)
    {
        Select(drives);
        m_ctl.ClearJournal();
        Command(nID);
        return Log();
    }

    // What the drives received since the journal was cleared, as for instance
    // "D:play@2000 D:pause E:eject"; status queries only when asked for.
    std::string Log(bool bStatus = false)
    {
        std::string log;
        for (const simcd::SimJournalEntry& e : m_ctl.GetJournal())
        {
            const std::string s = e.command == MCI_PLAY    ? "play@" + std::to_string(e.from)
                                  : e.command == MCI_PAUSE ? "pause"
                                  : e.command == MCI_STOP  ? "stop"
                                  : e.command == MCI_SET && (e.flags & MCI_SET_DOOR_OPEN) ? "eject"
                                  : e.command == MCI_STATUS && bStatus                    ? "status"
                                                                                          : "";
            if (!s.empty())
                log += (log.empty() ? "" : " ") + std::string(1, e.drive) + ":" + s;
        }
        return log;
    }

    // How often the log holds this entry ("D:play@2000").
    int Times(const std::string& entry)
    {
        int n = 0;
        const std::string log = Log();
        for (size_t at = 0; (at = log.find(entry, at)) != std::string::npos; at++)
            n++;
        return n;
    }

    simcd::SimController m_ctl;
    CMainFrame* m_pFrame = nullptr;
};
