// The setup dialog (resource 101): windowed or full-screen display, the info file, the
// greetings. OK returns; Cancel, Escape and the close box end the process with status 0.
#pragma once
#include <cstdint>

#include "winlike/winlike.h"

enum : int32_t {
  QV_IDC_WINDOWED = 1000,
  QV_IDC_FULLSCREEN = 1002,
  QV_IDC_INFOFILE = 1003,
  QV_IDC_GREETINGS = 1004,
  QV_IDC_CANCEL = 1005,
  QV_IDC_OK = 1006,
};

// The dialog template, with the setup picture filled in.
const PlatDlgTemplate* qvSetupTemplate();
// Runs the dialog modally with *fullScreen preselected; *fullScreen becomes 0 (windowed) or 1
// (full screen). Returns only through OK, after a log line naming the preselection and the choice.
void qvSetupDialog(int32_t* fullScreen);
// The dialog procedure (for tests): *fullScreen is the value qvSetupDialog was last given.
intptr_t qvSetupDialogProc(WlHwnd dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);
