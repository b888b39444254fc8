#include "frame/CIconButton.h"

#include <memory>
#include <type_traits>

IMPLEMENT_DYNAMIC(CIconButton, CButton)

BEGIN_MESSAGE_MAP(CIconButton, CButton)
    ON_WM_PAINT()
END_MESSAGE_MAP()

void CIconButton::OnPaint()
{
    // The button paints its face in its current state first; the glyph then
    // goes on top, at the same place whether up, pushed, checked or focused.
    CButton::OnPaint();

    CClientDC dc(this);
    CRect rect;
    GetClientRect(&rect);
    const int nWidth = rect.right - rect.left;
    const int nHeight = rect.bottom - rect.top;

    std::unique_ptr<std::remove_pointer_t<HICON>, decltype(&DestroyIcon)> icon(
        static_cast<HICON>(LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(static_cast<WORD>(GetDlgCtrlID())),
                                      IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)),
        &DestroyIcon);
    if (icon)
        DrawIconEx(dc, (nWidth - 16) / 2, (nHeight - 16) / 2, icon.get(), 16, 16, 0, nullptr, DI_NORMAL);
}
