#include "DriveListTestSupport.h"

#include <commctrl.h>

using simcd::SimJournalEntry;

CTestApp theApp;

const std::vector<uint32_t> kTracks = { 60000, 90000, 30000 };

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
        theApp.PumpMessage();
    theApp.OnIdle(0);
}

void DriveListTest::SetUp()
{
    ASSERT_TRUE(m_sim.IsAttached()) << m_sim.GetLastError();
    m_sim.RemoveAllDrives();
    m_sim.SetTimeFactor(1.0);
}

void DriveListTest::TearDown()
{
    DestroyList();
    m_sim.RemoveAllDrives();
}

void DriveListTest::DriveWithDisc(char letter, const std::vector<uint32_t>& tracks, uint32_t startMs)
{
    ASSERT_TRUE(m_sim.DefineDrive(letter)) << m_sim.GetLastError();
    ASSERT_TRUE(m_sim.InsertDisc(letter, tracks, startMs)) << m_sim.GetLastError();
}

void DriveListTest::EmptyDrive(char letter)
{
    ASSERT_TRUE(m_sim.DefineDrive(letter)) << m_sim.GetLastError();
}

void DriveListTest::CreateList(int nHeight)
{
    m_pHost.reset(new CWnd);
    ASSERT_TRUE(m_pHost->CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorA(nullptr, IDC_ARROW)), "drive list",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 800, nHeight + 40,
                                  nullptr, nullptr));
    CRect rect;
    m_pHost->GetClientRect(&rect);
    rect.bottom = rect.top + nHeight;
    m_pList.reset(new CTestDriveList);
    ASSERT_TRUE(m_pList->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, rect, m_pHost.get(), AFX_IDW_PANE_FIRST));
    m_pList->KillTimer(CCDDriveListWnd::IDT_STATUS);
    CTestDriveList::ResetTick();
    Pump();
}

void DriveListTest::DestroyList()
{
    if (m_pHost && m_pHost->m_hWnd)
        m_pHost->DestroyWindow();
    Pump();
    m_pList.reset();
    m_pHost.reset();
}

void DriveListTest::Tick(int nTicks)
{
    for (int i = 0; i < nTicks; i++)
        m_pList->Tick();
}

void DriveListTest::TickToWholeSecond()
{
    do
        m_pList->Tick();
    while (CTestDriveList::GetTick() != 0);
}

void DriveListTest::ClickHeader(int nColumn)
{
    // The list view turns the header's click into LVN_COLUMNCLICK to its
    // parent, which reflects it back to the list.
    HWND hHeader = reinterpret_cast<HWND>(m_pList->SendMessage(LVM_GETHEADER));
    RECT rect = {};
    ::SendMessageA(hHeader, HDM_GETITEMRECT, static_cast<WPARAM>(nColumn), reinterpret_cast<LPARAM>(&rect));
    const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    ::SendMessageA(hHeader, WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::SendMessageA(hHeader, WM_LBUTTONUP, 0, point);
}

void DriveListTest::NotifyColumnClick(int nColumn)
{
    NMLISTVIEW nm = {};
    nm.hdr.hwndFrom = m_pList->m_hWnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(m_pList->GetDlgCtrlID());
    nm.hdr.code = LVN_COLUMNCLICK;
    nm.iItem = -1;
    nm.iSubItem = nColumn;
    m_pHost->SendMessage(WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

std::string DriveListTest::Rows() const
{
    std::string rows;
    for (int i = 0; i < m_pList->GetItemCount(); i++)
    {
        if (!rows.empty())
            rows += ' ';
        rows += static_cast<LPCSTR>(m_pList->GetDriveItem(i)->m_strDrive);
    }
    return rows;
}

int DriveListTest::RowOf(char letter) const
{
    const char name[] = { letter, ':', 0 };
    for (int i = 0; i < m_pList->GetItemCount(); i++)
    {
        if (m_pList->GetDriveItem(i)->m_strDrive == name)
            return i;
    }
    return -1;
}

CDriveItem* DriveListTest::Item(char letter) const
{
    const int nItem = RowOf(letter);
    return nItem < 0 ? nullptr : m_pList->GetDriveItem(nItem);
}

std::string DriveListTest::Text(char letter, int nColumn) const
{
    const int nItem = RowOf(letter);
    if (nItem < 0)
        return "(no row)";
    return static_cast<LPCSTR>(m_pList->GetItemText(nItem, nColumn));
}

CRect DriveListTest::SliderRect(char letter) const
{
    HWND hSlider = Item(letter)->m_wndSlider.m_hWnd;
    CRect rect;
    ::GetWindowRect(hSlider, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(hSlider), reinterpret_cast<LPPOINT>(&rect), 2);
    return rect;
}

CRect DriveListTest::Column3Rect(int nItem) const
{
    CRect rect;
    m_pList->GetSubItemRect(nItem, 3, LVIR_BOUNDS, rect);
    rect.InflateRect(-1, -1);
    return rect;
}

std::vector<int> DriveListTest::SliderTicks(char letter) const
{
    const CSliderCtrl& slider = Item(letter)->m_wndSlider;
    std::vector<int> ticks;
    const int nTicks = slider.GetNumTics() - 2;
    for (int i = 0; i < nTicks; i++)
        ticks.push_back(static_cast<int>(slider.SendMessage(TBM_GETTIC, static_cast<WPARAM>(i))));
    return ticks;
}

std::vector<SimJournalEntry> DriveListTest::Journal(char letter) const
{
    std::vector<SimJournalEntry> entries;
    for (const SimJournalEntry& e : m_sim.GetJournal())
    {
        if (letter == 0 || e.drive == letter)
            entries.push_back(e);
    }
    return entries;
}

size_t DriveListTest::Count(UINT command, char letter) const
{
    size_t n = 0;
    for (const SimJournalEntry& e : Journal(letter))
    {
        if (e.command == command)
            n++;
    }
    return n;
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, ::GetCommandLineA(), SW_SHOWNORMAL);
    ::InitCommonControls();
    return RUN_ALL_TESTS();
}
