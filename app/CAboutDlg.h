// The about box: the program's icon at 48 x 48, its name with its version
// and the maker's notice.
#pragma once

#include <memory>
#include <type_traits>

#include "framework/Framework.h"

class CAboutDlg : public CDialog
{
public:
    CAboutDlg();

protected:
    BOOL OnInitDialog() override;

private:
    // The icon control does not own what it shows: the box releases it.
    std::unique_ptr<std::remove_pointer_t<HICON>, decltype(&DestroyIcon)> m_icon;
};
