// Shared by the drive-list tests: the list hosted in a plain parent window
// over the simulated drives, its refresh ticked by the test itself.
#pragma once

#include "drivelist/CCDDriveListWnd.h"
#include "simcd/SimController.h"

#include <commctrl.h>
#include <mmddk.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// 60, 90 and 30 s from 2 s on: the disc's length is 180000 ms.
const std::vector<uint32_t> kTracks = { 60000, 90000, 30000 };

class CTestDriveList : public CCDDriveListWnd
{
public:
    using CCDDriveListWnd::CompareItems;
    using CCDDriveListWnd::GetDriveStrings;
    using CCDDriveListWnd::s_nTick;
    void Tick() { StatusTimerProc(m_hWnd, WM_TIMER, IDT_STATUS, 0); }

    bool m_bFailInsert = false;
    HIMAGELIST m_hImagesAtNcDestroy = nullptr;  // what the list view still held as it went

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return message == LVM_INSERTITEMA && m_bFailInsert ? -1 : CCDDriveListWnd::WindowProc(message, wParam, lParam);
    }
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NCDESTROY)
            m_hImagesAtNcDestroy = GetImageList(LVSIL_SMALL);
        return CCDDriveListWnd::DefWindowProc(message, wParam, lParam);
    }
};

class DriveListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sim.IsAttached() && m_sim.RemoveAllDrives() && m_sim.SetTimeFactor(1.0)) << m_sim.GetLastError();
    }
    void TearDown() override
    {
        if (m_host.m_hWnd)
            m_host.DestroyWindow();
        m_sim.RemoveAllDrives();
    }

    // Drives with a disc of these tracks, or empty ones when there are none.
    void Drives(const char* pszLetters, const std::vector<uint32_t>& tracks = kTracks, uint32_t startMs = 2000)
    {
        for (const char* p = pszLetters; *p; p++)
            ASSERT_TRUE(m_sim.DefineDrive(*p) && (tracks.empty() || m_sim.InsertDisc(*p, tracks, startMs)));
    }
    // The list with its own timer killed and the tick count started afresh.
    void CreateList(int nHeight = 400)
    {
        m_host.CreateEx(0, AfxRegisterWndClass(0), "list", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, nHeight + 40,
                        nullptr, nullptr);
        ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 780, nHeight), &m_host, 1));
        m_list.KillTimer(CCDDriveListWnd::IDT_STATUS);
        CTestDriveList::s_nTick = 0;
    }
    void Tick(int nTicks = 1)
    {
        while (nTicks-- > 0)
            m_list.Tick();
    }
    // The list view's notification of a header click, reflected by the parent.
    void ClickColumn(int nColumn)
    {
        NMLISTVIEW nm = { { m_list.m_hWnd, 1, LVN_COLUMNCLICK }, -1, nColumn, 0, 0, 0, { 0, 0 }, 0 };
        m_host.SendMessage(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&nm));
    }

    // The rows' drives in list order: "D: E: F:".
    std::string Rows() const
    {
        std::string rows;
        for (int i = 0; i < m_list.GetItemCount(); i++)
            rows += (i ? " " : "") + std::string(m_list.GetDriveItem(i)->m_strDrive);
        return rows;
    }
    // Three characters a row; past the last row when there is none.
    int RowOf(char letter) const { return static_cast<int>(Rows().find(std::string(1, letter) + ":") / 3); }
    CDriveItem* Item(char letter) const { return m_list.GetDriveItem(RowOf(letter)); }
    CCDAudioDevice* Device(char letter) const { return Item(letter)->m_pDevice; }
    std::string Text(char letter, int nColumn) const { return std::string(m_list.GetItemText(RowOf(letter), nColumn)); }
    // Journal entries of a command since the last clear, of one drive or all.
    size_t Count(UINT command, char letter = 0) const
    {
        size_t n = 0;
        for (const simcd::SimJournalEntry& e : m_sim.GetJournal())
            n += e.command == command && (letter == 0 || e.drive == letter);
        return n;
    }

    simcd::SimController m_sim;
    CWnd m_host;
    CTestDriveList m_list;
};
