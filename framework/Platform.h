// The Win32 headers the framework is written against, in the order they need.
#pragma once

#if defined(UNICODE) || defined(_UNICODE)
#error The framework uses the ANSI Win32 API: build without UNICODE.
#endif

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include "framework/FrameworkIds.h"

// The key under which a message table lists its one handler for every
// WM_CTLCOLOR* message (the number the single colour message once had).
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif
