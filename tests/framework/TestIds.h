// Identifiers of the framework tests' resources.
#pragma once

#define IDR_TESTFRAME 128
#define IDD_TESTBAR 103
#define IDD_TESTDIALOG 104

#define ID_TEST_FRAME 32771     // handled by the frame
#define ID_TEST_APP 32772       // handled by the application
#define ID_TEST_NONE 32773      // handled by nobody
#define ID_TEST_CHECK 32774     // handled by the frame, checked by an update handler
#define ID_TEST_BOTH 32775      // handled by the frame and the application
#define ID_TEST_DISABLED 32776  // handled by the frame, disabled by an update handler
