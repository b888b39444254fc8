#include "FrameTestSupport.h"

CWinApp theApp;
