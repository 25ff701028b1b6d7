#include "demo/qvdialog.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "demo/qvresources.h"
#include "system/xerror.h"
#include "system/xlog.h"
#include "system/xsystem.h"

// The info file beside the data, opened by the desktop's viewer (which reports nothing back):
// one that cannot be read is said on the terminal instead.
static void qvDlgOpenInfoFile() {
  const char* name = "qvane.nfo";
  if (access(name, R_OK) != 0) {
    std::fprintf(stderr, "quorvane: cannot read %s: %s\n", name, std::strerror(errno));
    return;
  }
  platOpenViewer(name);
}

static int32_t qvDlgScratch = 1;
static int32_t* qvDlgFullScreen = &qvDlgScratch;

// Positions in dialog units; the replay names are the words of a headless dialog list.
static PlatDlgItem qvDlgItems[] = {
    {QV_IDC_OK, PLAT_DLG_DEFPUSHBUTTON, "OK", 227, 50, 66, 14, nullptr, 0, 0, "ok"},
    {QV_IDC_CANCEL, PLAT_DLG_PUSHBUTTON, "Cancel", 227, 70, 65, 14, nullptr, 0, 0, "cancel"},
    {-1, PLAT_DLG_BITMAP, nullptr, 7, 7, 213, 123, nullptr, 0, 0, nullptr},
    {-1, PLAT_DLG_GROUPBOX, "Display Mode", 226, 4, 68, 40, nullptr, 0, 0, nullptr},
    {QV_IDC_WINDOWED, PLAT_DLG_AUTORADIO, "Windowed", 232, 16, 54, 10, nullptr, 0, 0, "windowed"},
    {QV_IDC_FULLSCREEN, PLAT_DLG_AUTORADIO, "Full Screen", 232, 28, 51, 10, nullptr, 0, 0, "fullscreen"},
    {QV_IDC_INFOFILE, PLAT_DLG_PUSHBUTTON, "View infofile", 227, 91, 65, 14, nullptr, 0, 0, "infofile"},
    {QV_IDC_GREETINGS, PLAT_DLG_PUSHBUTTON, "Greetings", 228, 112, 64, 15, nullptr, 0, 0, "greetings"},
};
static const PlatDlgTemplate qvDlgTemplate = {
    "Quorvane - Win32", 300, 138, "Tahoma", 8, qvDlgItems, (int32_t)(sizeof qvDlgItems / sizeof qvDlgItems[0])};

const PlatDlgTemplate* qvSetupTemplate() {
  const qvBitmap* b = qvSetupBitmap();
  qvDlgItems[2].pixels = b->pixels.data();
  qvDlgItems[2].pixelWidth = b->width;
  qvDlgItems[2].pixelHeight = b->height;
  return &qvDlgTemplate;
}

// Centres the dialog on the screen, selects the display mode it was given (full screen unless
// the last choice was remembered otherwise) and puts the focus on OK.
static void qvDlgInit(WlHwnd dialog) {
  PlatRect r;
  wlGetWindowRect(dialog, &r);
  int32_t w = r.right - r.left, h = r.bottom - r.top;
  // Arithmetic shifts: a dialog larger than the screen gets a negative, rounded-down position.
  wlSetWindowPos(dialog, HWND_NOTOPMOST, (wlGetSystemMetrics(SM_CXSCREEN) - w) >> 1,
                 (wlGetSystemMetrics(SM_CYSCREEN) - h) >> 1, w, h, SWP_SHOWWINDOW);
  wlSendDlgItemMessage(dialog, *qvDlgFullScreen ? QV_IDC_FULLSCREEN : QV_IDC_WINDOWED, BM_CLICK, 0, 0);
  wlSetFocus(wlGetDlgItem(dialog, QV_IDC_OK));
}

intptr_t qvSetupDialogProc(WlHwnd dialog, uint32_t message, uintptr_t wParam, intptr_t) {
  if (message == WM_INITDIALOG) qvDlgInit(dialog);
  if (message != WM_COMMAND) return 0;
  switch ((int32_t)(wParam & 0xFFFF)) {
    case QV_IDC_WINDOWED: *qvDlgFullScreen = 0; break;
    case QV_IDC_FULLSCREEN: *qvDlgFullScreen = 1; break;
    case QV_IDC_INFOFILE: qvDlgOpenInfoFile(); break;
    case QV_IDC_GREETINGS: wlMessageBoxOwned(dialog, qvGreetingsText(), "Greetings:", MB_OK); break;
    case QV_IDC_OK: wlEndDialog(dialog, 0); break;
    case QV_IDC_CANCEL:
    case IDCANCEL:
      wlEndDialog(dialog, 0);
      xSysQuit();
      std::exit(platSignalStatus());  // 0, unless a signal closed the dialog
    default: break;
  }
  return 0;
}

void qvSetupDialog(int32_t* fullScreen) {
  const char* preselected = *fullScreen ? "full screen" : "windowed";
  qvDlgFullScreen = fullScreen;
  intptr_t r = wlDialogBox(qvSetupTemplate(), qvSetupDialogProc, 0);
  qvDlgFullScreen = &qvDlgScratch;
  if (r == -1) xErrMsg("qvSetupDialog::DialogBoxParam(101)");
  xLog.Print(xFormat("setup dialog: %s preselected, %s chosen", preselected, *fullScreen ? "full screen" : "windowed"));
}
