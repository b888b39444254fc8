// The record of one drive-list row, held as the row's item data.
#pragma once

#include "framework/Framework.h"
#include "cdaudio/CCDAudioDevice.h"

class CDriveItem
{
public:
    CDriveItem() = default;
    CDriveItem(const CDriveItem&) = delete;
    CDriveItem& operator=(const CDriveItem&) = delete;

    CString m_strDrive;                   // "D:": the key of the row
    CCDAudioDevice* m_pDevice = nullptr;  // owned; replaced by every reload
    CSliderCtrl m_wndSlider;              // position slider over column 3
    // The refresh's watch over a playing drive: its last position, and when
    // that position was first seen (GetTickCount).
    DWORD m_dwLastPosition = 0;
    DWORD m_dwSeenSince = 0;
};
