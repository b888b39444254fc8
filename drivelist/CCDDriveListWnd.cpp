#include "drivelist/CCDDriveListWnd.h"

#include <cstring>
#include <memory>
#include <vector>

#include <shellapi.h>

#include "res/resource.h"

IMPLEMENT_DYNAMIC(CCDDriveListWnd, CListCtrl)

BEGIN_MESSAGE_MAP(CCDDriveListWnd, CListCtrl)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_NOTIFY_REFLECT(LVN_DELETEITEM, OnDeleteItem)
    ON_WM_HSCROLL()
    ON_WM_CONTEXTMENU()
    ON_WM_CTLCOLOR()
    ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, OnColumnClick)
END_MESSAGE_MAP()

namespace
{
const UINT SLIDER_ID = 1;
const UINT SELECTED_AND_FOCUSED = LVIS_SELECTED | LVIS_FOCUSED;

// "D:" for a root path such as "d:\".
CString DriveName(LPCSTR pszRoot)
{
    CString strRoot(pszRoot);
    strRoot.MakeUpper();
    return strRoot.Left(2);
}

// Walks the NUL-separated root paths of GetLogicalDriveStrings.
template <class F>
void ForEachRoot(const std::vector<char>& roots, F f)
{
    for (const char* p = roots.data(); *p; p += std::strlen(p) + 1)
        f(p);
}

// The left edge of a slider's thumb at a position, as the trackbar computes
// it from its channel, its thumb's width and its range.
int ThumbLeft(const CRect& channel, int nThumbWidth, int nMin, int nMax, int nPosition)
{
    nPosition = nPosition < nMin ? nMin : nPosition > nMax ? nMax : nPosition;
    const long long nRange = nMax > nMin ? nMax - nMin : 1;
    const long long nWidth = channel.Width() - nThumbWidth;
    return channel.left + static_cast<int>(nWidth * (nPosition - nMin) / nRange);
}

// Moves a slider's thumb from where it stands to a new position. The
// trackbar repaints its thumb on every new position; a thumb that keeps its
// pixel (a second of an hour's disc is a fraction of one) is moved without.
void MoveThumb(CSliderCtrl& slider, int nFrom, int nTo)
{
    if (nTo == nFrom)
        return;
    CRect channel, thumb;
    slider.GetChannelRect(&channel);
    slider.GetThumbRect(&thumb);
    const int nMin = slider.GetRangeMin(), nMax = slider.GetRangeMax();
    const BOOL bRedraw =
        ThumbLeft(channel, thumb.Width(), nMin, nMax, nFrom) != ThumbLeft(channel, thumb.Width(), nMin, nMax, nTo);
    slider.SendMessage(TBM_SETPOS, static_cast<WPARAM>(bRedraw), nTo);
}

// Descending order of two unsigned values.
int CompareDescending(DWORD dwFirst, DWORD dwSecond)
{
    return dwFirst > dwSecond ? -1 : dwFirst < dwSecond ? 1 : 0;
}
}  // namespace

// ---------------------------------------------------------------------------
// Creation and tear-down

int CCDDriveListWnd::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CListCtrl::OnCreate(lpCreateStruct) == -1)
        return -1;

    ModifyStyle(0, WS_CLIPCHILDREN | LVS_REPORT);
    ModifyStyleEx(0, WS_EX_CLIENTEDGE);
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT);

    static const struct
    {
        const char* pszHeading;
        int nWidth;
    } columns[] = {
        { "ドライブ", 160 },
        { "状態", 60 },
        { "時間", 60 },
        { "位置", 400 },
    };
    for (int i = 0; i < 4; i++)
        InsertColumn(i, columns[i].pszHeading, LVCFMT_LEFT, columns[i].nWidth);

    // The system image list at the default icon size; the icon that
    // SHGFI_ICON hands out along with it is not used and must be released.
    SHFILEINFOA sfi = {};
    HIMAGELIST hImages = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("", 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_ICON | SHGFI_USEFILEATTRIBUTES));
    if (sfi.hIcon)
        DestroyIcon(sfi.hIcon);
    SetImageList(hImages, LVSIL_SMALL);

    m_nSortColumn = 0;
    RefreshDrives();
    LayoutSliders();
    SetTimer(IDT_STATUS, 100, StatusTimerProc);
    return 0;
}

void CCDDriveListWnd::OnDestroy()
{
    CListCtrl::OnDestroy();
    // The shell's system image list is shared: it must outlive this list.
    SetImageList(nullptr, LVSIL_SMALL);
    KillTimer(IDT_STATUS);
}

void CCDDriveListWnd::OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult)
{
    m_nPlacedCount = -1;
    delete reinterpret_cast<CDriveItem*>(reinterpret_cast<NMLISTVIEW*>(pNMHDR)->lParam);
    *pResult = 0;
}

// ---------------------------------------------------------------------------
// Rows and drives

CDriveItem* CCDDriveListWnd::GetDriveItem(int nItem) const
{
    return reinterpret_cast<CDriveItem*>(GetItemData(nItem));
}

int CCDDriveListWnd::FindDrive(const CString& strDrive) const
{
    const int nCount = GetItemCount();
    for (int i = 0; i < nCount; i++)
    {
        if (GetDriveItem(i)->m_strDrive == strDrive)
            return i;
    }
    return -1;
}

bool CCDDriveListWnd::GetDriveStrings(std::vector<char>& roots, DRIVESTRINGSPROC pfnQuery)
{
    const DWORD cchNeeded = pfnQuery(0, nullptr);
    if (cchNeeded == 0)
        return false;
    // One more than announced: the walk over the roots always finds its end.
    roots.assign(cchNeeded + 1, '\0');
    const DWORD cchFilled = pfnQuery(cchNeeded, roots.data());
    return cchFilled != 0 && cchFilled < cchNeeded;
}

void CCDDriveListWnd::RefreshDrives()
{
    // A failed query, or one that a new drive outgrew between the two calls,
    // says nothing about the drives: keep the rows as they are.
    std::vector<char> roots;
    if (!GetDriveStrings(roots))
        return;

    auto isCdRom = [](LPCSTR pszRoot) { return GetDriveTypeA(pszRoot) == DRIVE_CDROM; };

    for (int i = 0; i < GetItemCount();)
    {
        const CString strDrive = GetDriveItem(i)->m_strDrive;
        bool bPresent = false;
        ForEachRoot(roots, [&](LPCSTR pszRoot) {
            if (!bPresent && DriveName(pszRoot) == strDrive && isCdRom(pszRoot))
                bPresent = true;
        });
        if (bPresent)
            i++;
        else
            DeleteItem(i);
    }

    bool bAdded = false;
    ForEachRoot(roots, [&](LPCSTR pszRoot) {
        if (!isCdRom(pszRoot))
            return;
        const int nItem = FindDrive(DriveName(pszRoot));
        if (nItem < 0)
        {
            AddDrive(pszRoot);
            bAdded = true;
        }
        else
        {
            SetNameAndIcon(nItem, GetDriveItem(nItem)->m_strDrive);
        }
    });

    if (bAdded)
        SortItems(CompareItems, reinterpret_cast<DWORD_PTR>(this));

    if (GetFocusedItem() < 0 && GetItemCount() > 0)
        SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
}

void CCDDriveListWnd::AddDrive(LPCSTR pszRoot)
{
    std::unique_ptr<CDriveItem> pItem(new CDriveItem);
    pItem->m_strDrive = DriveName(pszRoot);
    pItem->m_wndSlider.Create(WS_CHILD | WS_VISIBLE | TBS_TOP, CRect(0, 0, 0, 0), this, SLIDER_ID);
    pItem->m_wndSlider.SetLineSize(10000);
    pItem->m_wndSlider.SetPageSize(60000);

    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = 0;
    item.lParam = reinterpret_cast<LPARAM>(pItem.get());
    const int nItem = InsertItem(&item);
    if (nItem < 0)
        return;
    pItem.release();  // the row owns it now
    m_nPlacedCount = -1;
    ReloadDrive(nItem);
}

void CCDDriveListWnd::ReloadDrive(int nItem)
{
    CDriveItem* pItem = GetDriveItem(nItem);
    pItem->m_pDevice.reset();

    try
    {
        pItem->m_pDevice.reset(new CCDAudioDevice(pItem->m_strDrive, ::GetParent(m_hWnd)));
    }
    catch (...)
    {
        // A device that cannot be built leaves the row without one: it shows
        // as empty and is tried again on the next whole second.
    }

    CCDAudioDevice* pDevice = pItem->m_pDevice.get();
    CSliderCtrl& slider = pItem->m_wndSlider;
    if (pDevice && pDevice->IsMediaPresent() && pDevice->GetTrackCount() > 0)
    {
        const DWORD dwLength = pDevice->GetLength();
        const DWORD dwStart = pDevice->GetStartPosition();
        slider.SetRange(static_cast<int>(dwStart), static_cast<int>(dwLength), FALSE);
        slider.ClearTics(FALSE);
        for (int i = 0; i < pDevice->GetTrackCount(); i++)
            slider.SetTic(static_cast<int>(pDevice->GetTrackStart(i)));
        slider.SetPos(static_cast<int>(pDevice->GetStartPosition()));
    }
    else
    {
        slider.SetRange(0, 0, FALSE);
        slider.SetPos(0);
        slider.ClearTics(TRUE);
    }

    SetNameAndIcon(nItem, pItem->m_strDrive);
}

// Column 0 shows what the shell reports for the drive's root now, or
// nothing when the shell cannot say.
void CCDDriveListWnd::SetNameAndIcon(int nItem, const CString& strDrive)
{
    SHFILEINFOA sfi = {};
    const CString strRoot = strDrive + "\\";
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = nItem;
    item.iSubItem = 0;
    if (SHGetFileInfoA(strRoot, 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME | SHGFI_SMALLICON))
    {
        item.pszText = sfi.szDisplayName;
        item.iImage = sfi.iIcon;
    }
    else
    {
        item.pszText = const_cast<LPSTR>("");
        item.iImage = I_IMAGENONE;
    }
    SetItem(&item);
}

void CCDDriveListWnd::LayoutSliders()
{
    const int nTop = GetTopIndex();
    const int nLast = nTop + GetCountPerPage();
    m_nPlacedTop = nTop;
    m_nPlacedPerPage = nLast - nTop;
    m_nPlacedCount = GetItemCount();
    m_rectPlacedCell = CRect(0, 0, 0, 0);
    if (m_nPlacedCount > 0)
        GetSubItemRect(0, 3, LVIR_BOUNDS, m_rectPlacedCell);
    for (int i = 0; i < GetItemCount(); i++)
    {
        CSliderCtrl& slider = GetDriveItem(i)->m_wndSlider;
        CRect rect;
        GetSubItemRect(i, 3, LVIR_BOUNDS, rect);
        rect.InflateRect(-1, -1);
        // Ten times a second for every row: a slider that already shows as
        // it should and stands where it should is not shown or moved again.
        const bool bShow = i >= nTop && i <= nLast;
        if (bShow != ((slider.GetStyle() & WS_VISIBLE) != 0))
            slider.ShowWindow(bShow ? SW_SHOW : SW_HIDE);
        CRect current;
        slider.GetWindowRect(&current);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&current), 2);
        if (!(current == rect))
            slider.MoveWindow(rect, TRUE);
    }
}

// The sliders are placed again only when what places them has changed: a
// scroll, a column's width, the list's height, rows added, removed or sorted.
void CCDDriveListWnd::LayoutSlidersIfMoved()
{
    const int nCount = GetItemCount();
    CRect cell;
    if (nCount > 0)
        GetSubItemRect(0, 3, LVIR_BOUNDS, cell);
    if (nCount != m_nPlacedCount || GetTopIndex() != m_nPlacedTop || GetCountPerPage() != m_nPlacedPerPage ||
        !(cell == m_rectPlacedCell))
        LayoutSliders();
}

int CCDDriveListWnd::GetFocusedItem()
{
    for (int i = GetItemCount() - 1; i >= 0; i--)
    {
        if (GetItemState(i, LVIS_FOCUSED))
            return i;
    }
    return -1;
}

// ---------------------------------------------------------------------------
// Periodic refresh

CString CCDDriveListWnd::FormatPosition(int nPosition)
{
    CString strText;
    strText.Format("%2d:%02d:%02d", nPosition / 3600000 % 60, nPosition / 60000 % 60, nPosition / 1000 % 60);
    return strText;
}

// Called through the framework's timer guard, which keeps exceptions in.
void CALLBACK CCDDriveListWnd::StatusTimerProc(HWND hWnd, UINT, UINT_PTR, DWORD)
{
    CCDDriveListWnd* pList = static_cast<CCDDriveListWnd*>(CWnd::FromHandle(hWnd));
    if (++pList->m_nTick == 10)
        pList->m_nTick = 0;
    pList->UpdateStatus(pList->m_nTick == 0);
}

void CCDDriveListWnd::UpdateStatus(BOOL bWholeSecond)
{
    for (int i = 0; i < GetItemCount(); i++)
        UpdateRow(i, bWholeSecond);
    LayoutSlidersIfMoved();
    if (bWholeSecond)
        RefreshDrives();
}

void CCDDriveListWnd::UpdateRow(int nItem, BOOL bWholeSecond)
{
    CDriveItem* pItem = GetDriveItem(nItem);
    if (!pItem->m_pDevice || pItem->m_pDevice->GetTrackCount() == 0)
    {
        SetRowText(nItem, *pItem, 1, "空");
        SetRowText(nItem, *pItem, 2, nullptr);
        if (bWholeSecond && MayHoldNewDisc(*pItem))
            ReloadDrive(nItem);
        return;
    }

    const DWORD dwMode = pItem->m_pDevice->GetMode();
    SetRowText(nItem, *pItem, 1, StateText(dwMode));
    if (bWholeSecond && HasLostDisc(*pItem, dwMode))
        ReloadDrive(nItem);

    // The user is dragging this row's thumb: leave time and thumb alone.
    if (::GetCapture() == pItem->m_wndSlider.m_hWnd)
        return;

    const DWORD dwPosition = ShowPosition(nItem, *pItem);
    if (HasPlayEnded(*pItem, dwMode, dwPosition))
        ReportEndOfPlay(*pItem, dwMode);
}

LPCSTR CCDDriveListWnd::StateText(DWORD dwMode)
{
    return dwMode == MCI_MODE_STOP ? "停止" : dwMode == MCI_MODE_PLAY ? "再生中" : "";
}

// A row without tracks. A device that failed to open cannot say whether a
// disc is in: it is opened again every second, as a missing one is.
BOOL CCDDriveListWnd::MayHoldNewDisc(CDriveItem& item)
{
    return !item.m_pDevice || item.m_pDevice->GetDeviceID() == 0 || item.m_pDevice->IsMediaPresent();
}

// A row with tracks; a drive that is stopped or playing still has its disc.
BOOL CCDDriveListWnd::HasLostDisc(CDriveItem& item, DWORD dwMode)
{
    return dwMode != MCI_MODE_STOP && dwMode != MCI_MODE_PLAY && !item.m_pDevice->IsMediaPresent();
}

// Column 1 or 2 of the row, written only when it changes: each write
// repaints the cell. A null text is shown as an empty one.
void CCDDriveListWnd::SetRowText(int nItem, CDriveItem& item, int nSubItem, LPCSTR pszText)
{
    CString& strShown = nSubItem == 1 ? item.m_strState : item.m_strTime;
    const CString strText(pszText);
    if (strText == strShown)
        return;
    SetItemText(nItem, nSubItem, pszText);
    strShown = strText;
}

// The time column shows where the thumb stood; the thumb then moves to the
// drive's position, which is returned.
DWORD CCDDriveListWnd::ShowPosition(int nItem, CDriveItem& item)
{
    const int nShown = item.m_wndSlider.GetPos();
    SetRowText(nItem, item, 2, FormatPosition(nShown));
    // A reload in this tick may have left the row without a device.
    if (!item.m_pDevice)
        return 0;
    const DWORD dwPosition = item.m_pDevice->GetPosition();
    MoveThumb(item.m_wndSlider, nShown, static_cast<int>(dwPosition));
    return dwPosition;
}

// A play started with a notification that has not come, which the drive's
// mode and position show ended: drivers that never report the end of a
// play leave it so. Only a stopped row with an open play asks the drive once
// more, for its own position: its GetPosition was the remembered one.
BOOL CCDDriveListWnd::HasPlayEnded(CDriveItem& item, DWORD dwMode, DWORD dwPosition)
{
    CCDAudioDevice* pDevice = item.m_pDevice.get();
    if (!pDevice || !pDevice->IsPlayOpen())
        return FALSE;
    if (dwMode == MCI_MODE_STOP)
        dwPosition = pDevice->GetDrivePosition();
    return pDevice->HasPlayEnded(dwMode, dwPosition);
}

// The end goes to the window that the devices notify (the frame), which
// handles it as it handles the end that a notification reports. It goes by
// message because the list does not know that window's class, just as the
// devices do not; sent, so that the end is handled before the next row is
// looked at. A drive that still says it plays is stopped first: the rewind
// would otherwise restart it.
void CCDDriveListWnd::ReportEndOfPlay(CDriveItem& item, DWORD dwMode)
{
    CCDAudioDevice* pDevice = item.m_pDevice.get();
    pDevice->TakeEnd();
    if (CCDAudioDevice::IsPlayingMode(dwMode))
        pDevice->Stop();
    ::SendMessageA(::GetParent(m_hWnd), WM_PLAYENDED, 0, static_cast<LPARAM>(pDevice->GetDeviceID()));
}

// ---------------------------------------------------------------------------
// Position sliders

void CCDDriveListWnd::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    if (!pScrollBar || !pScrollBar->IsKindOf(RUNTIME_CLASS(CSliderCtrl)))
    {
        CListCtrl::OnHScroll(nSBCode, nPos, pScrollBar);
        return;
    }

    for (int i = 0; i < GetItemCount(); i++)
    {
        CDriveItem* pItem = GetDriveItem(i);
        if (pItem->m_wndSlider.m_hWnd != pScrollBar->m_hWnd)
        {
            SetItemState(i, 0, SELECTED_AND_FOCUSED);
            continue;
        }
        // No base handling for a slider: the list view would take the step
        // for one of its own scroll bar and scroll the whole list sideways.
        if (pItem->m_pDevice)
        {
            const int nPosition = pItem->m_wndSlider.GetPos();
            if (nSBCode == TB_THUMBTRACK)
                SetRowText(i, *pItem, 2, FormatPosition(nPosition));
            else
                pItem->m_pDevice->Seek(static_cast<DWORD>(nPosition));
        }
        SetItemState(i, SELECTED_AND_FOCUSED, SELECTED_AND_FOCUSED);
    }
}

// Any notification from a child (the header's above all) may have moved the
// columns: the sliders follow at once.
BOOL CCDDriveListWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LayoutSlidersIfMoved();
    return CListCtrl::OnNotify(wParam, lParam, pResult);
}

HBRUSH CCDDriveListWnd::OnCtlColor(HDC hDC, CWnd* pWnd, UINT nCtlColor)
{
    HBRUSH hBrush = CListCtrl::OnCtlColor(hDC, pWnd, nCtlColor);
    if (pWnd && pWnd->IsKindOf(RUNTIME_CLASS(CSliderCtrl)))
        return GetSysColorBrush(COLOR_WINDOW);
    return hBrush;
}

// ---------------------------------------------------------------------------
// Row order

void CCDDriveListWnd::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    m_nSortColumn = reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem;
    SortItems(CompareItems, reinterpret_cast<DWORD_PTR>(this));
    LayoutSliders();
    for (int i = 0; i < GetItemCount(); i++)
        GetDriveItem(i)->m_wndSlider.InvalidateRect(nullptr, TRUE);
    *pResult = 0;
}

int CALLBACK CCDDriveListWnd::CompareItems(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    const CDriveItem* pFirst = reinterpret_cast<const CDriveItem*>(lParam1);
    const CDriveItem* pSecond = reinterpret_cast<const CDriveItem*>(lParam2);
    const CCDDriveListWnd* pList = reinterpret_cast<const CCDDriveListWnd*>(lParamSort);

    switch (pList->m_nSortColumn)
    {
    case 0:
        return pFirst->m_strDrive.Compare(pSecond->m_strDrive);
    case 1:
    {
        const DWORD dwFirst = pFirst->m_pDevice ? pFirst->m_pDevice->GetMode() : MCI_MODE_NOT_READY;
        const DWORD dwSecond = pSecond->m_pDevice ? pSecond->m_pDevice->GetMode() : MCI_MODE_NOT_READY;
        return CompareDescending(dwFirst, dwSecond);
    }
    case 2:
    {
        const DWORD dwFirst = pFirst->m_pDevice ? pFirst->m_pDevice->GetPosition() : 0;
        const DWORD dwSecond = pSecond->m_pDevice ? pSecond->m_pDevice->GetPosition() : 0;
        return CompareDescending(dwFirst, dwSecond);
    }
    case 3:
    {
        // A slider with a range maximum of 0 (no usable disc) has no fraction
        // and compares equal to every row.
        const int nFirstMax = pFirst->m_wndSlider.GetRangeMax();
        const int nSecondMax = pSecond->m_wndSlider.GetRangeMax();
        if (nFirstMax == 0 || nSecondMax == 0)
            return 0;
        const float fFirst = static_cast<float>(pFirst->m_wndSlider.GetPos()) / static_cast<float>(nFirstMax);
        const float fSecond = static_cast<float>(pSecond->m_wndSlider.GetPos()) / static_cast<float>(nSecondMax);
        return fFirst > fSecond ? -1 : fFirst < fSecond ? 1 : 0;
    }
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------
// Context menu

void CCDDriveListWnd::OnContextMenu(CWnd*, CPoint point)
{
    // A negative point is the keyboard's request (or a monitor left of or
    // above the primary one): open at the focused row's icon, or at the
    // list's corner.
    if (point.x < 0 || point.y < 0)
    {
        const int nFocused = GetFocusedItem();
        if (nFocused >= 0)
        {
            CRect rect;
            GetItemRect(nFocused, rect, LVIR_ICON);
            point = CPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
            ClientToScreen(&point);
        }
        else
        {
            ClientToScreen(&point);
            point.x += 1;
            point.y += 1;
        }
    }

    CMenu menu;
    if (!menu.LoadMenu(IDR_MAINFRAME))
        return;
    CWnd* pMainWnd = AfxGetMainWnd();
    CMenu* pPopup = menu.GetSubMenu(2);
    if (!pMainWnd || !pPopup)
        return;
    const UINT nCommand = pPopup->TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, point.x, point.y, pMainWnd);
    if (nCommand != 0)
        pMainWnd->SendMessage(WM_COMMAND, MAKEWPARAM(nCommand, 0), 0);
}
