// The main window's pane: a report-view list with one row per CD-ROM drive.
// Each row owns a CDriveItem (the drive's device and its position slider);
// a 100 ms timer keeps state, time and thumbs current and, once a second,
// reconciles the rows with the drives and discs present.
#pragma once

#include <vector>

#include "framework/Framework.h"
#include "drivelist/CDriveItem.h"

class CCDDriveListWnd : public CListCtrl
{
    DECLARE_DYNAMIC(CCDDriveListWnd)

public:
    enum
    {
        IDT_STATUS = 1
    };
    // Sent to the parent, the window that the rows' devices notify, when the
    // refresh finds that a play has ended without its notification; the long
    // parameter is the device's MCI device id.
    enum
    {
        WM_PLAYENDED = WM_APP + 1
    };

    CCDDriveListWnd() = default;

    void RefreshDrives();
    void AddDrive(LPCSTR pszRoot);
    void ReloadDrive(int nItem);
    void LayoutSliders();
    int GetFocusedItem();
    CDriveItem* GetDriveItem(int nItem) const;

    // Position text: " 1:02:03" for 3,723,000 ms.
    static CString FormatPosition(int nPosition);

    int m_nSortColumn = 0;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnDestroy();
    void OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult);
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    HBRUSH OnCtlColor(HDC hDC, CWnd* pWnd, UINT nCtlColor);
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);

    static void CALLBACK StatusTimerProc(HWND hWnd, UINT nMsg, UINT_PTR nIDEvent, DWORD dwTime);
    static int CALLBACK CompareItems(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

    // The system's root paths ("C:\", NUL-separated, an empty string after
    // the last), read with the given query in the way of
    // GetLogicalDriveStrings. False when the query failed or when the roots
    // outgrew the size it first announced: the buffer is then not to be read.
    typedef DWORD(WINAPI* DRIVESTRINGSPROC)(DWORD nBufferLength, LPSTR lpBuffer);
    static bool GetDriveStrings(std::vector<char>& roots, DRIVESTRINGSPROC pfnQuery = ::GetLogicalDriveStringsA);

    // Tick count within the second: 0 on a whole-second tick.
    int m_nTick = 0;

    DECLARE_MESSAGE_MAP()

private:
    void UpdateStatus(BOOL bWholeSecond);
    void UpdateRow(int nItem, BOOL bWholeSecond);
    static LPCSTR StateText(DWORD dwMode);
    static BOOL MayHoldNewDisc(CDriveItem& item);
    static BOOL HasLostDisc(CDriveItem& item, DWORD dwMode);
    DWORD ShowPosition(int nItem, CDriveItem& item);
    static BOOL HasPlayEnded(CDriveItem& item, DWORD dwMode, DWORD dwPosition);
    void ReportEndOfPlay(CDriveItem& item, DWORD dwMode);
    void LayoutSlidersIfMoved();
    void SetRowText(int nItem, CDriveItem& item, int nSubItem, LPCSTR pszText);
    void SetNameAndIcon(int nItem, const CString& strDrive);
    int FindDrive(const CString& strDrive) const;

    // What the sliders were last placed from: top row, rows per page, row
    // count and row 0's position cell. A count of -1 asks for a new layout
    // (rows added, removed or reordered).
    int m_nPlacedTop = -1;
    int m_nPlacedPerPage = -1;
    int m_nPlacedCount = -1;
    CRect m_rectPlacedCell;
};
