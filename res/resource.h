// Identifiers of the program's commands and resources. Includes the
// framework's standard identifiers, so one include gives every identifier
// used by the resource script and the code.
#pragma once

#include "../framework/FrameworkIds.h"

// Frame: menu, accelerators, application icon and title string.
#define IDR_MAINFRAME 128

// Dialog templates and their controls.
#define IDD_ABOUTBOX 100
#define IDD_CONTROL_BAR 103
#define IDC_ABOUT_ICON 1001

// Transport commands; each also names its status prompt, tooltip and the
// icon of its control-bar button.
#define ID_CD_PLAY 32771
#define ID_CD_PAUSE 32772
#define ID_CD_STOP 32773
#define ID_CD_REPEAT 32775
#define ID_CD_NEXT_TRACK 32776
#define ID_CD_PREV_TRACK 32777
#define ID_CD_EJECT 32781
