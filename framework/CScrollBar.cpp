#include "framework/CScrollBar.h"

IMPLEMENT_DYNAMIC(CScrollBar, CWnd)
