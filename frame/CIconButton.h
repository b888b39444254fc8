// A text-less button that draws, over the face the system paints, the
// 16 x 16 icon whose resource id equals its control id.
#pragma once

#include "framework/Framework.h"

class CIconButton : public CButton
{
    DECLARE_DYNAMIC(CIconButton)

protected:
    void OnPaint();

    DECLARE_MESSAGE_MAP()
};
