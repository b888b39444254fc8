// The record of one drive-list row, held as the row's item data.
#pragma once

#include <memory>

#include "framework/Framework.h"
#include "cdaudio/CCDAudioDevice.h"

class CDriveItem
{
public:
    CDriveItem() = default;
    CDriveItem(const CDriveItem&) = delete;
    CDriveItem& operator=(const CDriveItem&) = delete;
    // The device goes first: a slider destroyed in the middle of a drag
    // still reports the drag's end, which must find no device to seek.
    ~CDriveItem()
    {
        m_pDevice.reset();
        m_wndSlider.DestroyWindow();
    }

    CString m_strDrive;                         // "D:": the key of the row
    std::unique_ptr<CCDAudioDevice> m_pDevice;  // replaced by every reload; null when it could not be built
    CSliderCtrl m_wndSlider;                    // position slider over column 3
    // What columns 1 and 2 show: the refresh writes a text only when it
    // changes (each write repaints the cell).
    CString m_strState;
    CString m_strTime;
};
