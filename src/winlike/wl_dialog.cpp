// The platform's modal dialog with a dialog procedure: WM_INITDIALOG and WM_COMMAND, handles
// for the dialog and its controls, EndDialog, button messages and focus, owned message boxes.
#include <cstring>

#include "winlike/wl_internal.h"

static WlWindowRec dlgWindow;
static WlWindowRec dlgControls[PLAT_DLG_MAX_ITEMS];  // one handle per item
static const PlatDlgTemplate* dlgTmpl = nullptr;
static WlDlgProc dlgProc = nullptr;

static bool dlgRunning() { return dlgWindow.used && platDialogIsOpen(); }

static int32_t dlgIndexOf(WlHwnd control) {
  if (!dlgRunning() || control < dlgControls || control >= dlgControls + dlgTmpl->itemCount) return -1;
  return (int32_t)(control - dlgControls);
}
static int32_t dlgIndexById(int32_t id) {
  if (!dlgRunning() || id < 0) return -1;
  for (int32_t i = 0; i < dlgTmpl->itemCount; i++)
    if (dlgTmpl->items[i].id == id) return i;
  return -1;
}
static bool dlgIsButton(int32_t i) {
  if (i < 0) return false;
  PlatDlgKind k = dlgTmpl->items[i].kind;
  return k == PLAT_DLG_AUTORADIO || k == PLAT_DLG_PUSHBUTTON || k == PLAT_DLG_DEFPUSHBUTTON;
}

static void dlgSend(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (dlgProc && dlgWindow.used) dlgProc(&dlgWindow, message, wParam, lParam);
}

// A click on a control is BN_CLICKED from its handle; a command without one has no handle.
static void dlgCommand(void*, int32_t id, int32_t item) {
  uintptr_t code = item >= 0 ? (uintptr_t)BN_CLICKED << 16 : 0;
  dlgSend(WM_COMMAND, (uintptr_t)(uint16_t)id | code, item >= 0 ? (intptr_t)&dlgControls[item] : 0);
}

intptr_t wlDialogBox(const PlatDlgTemplate* tmpl, WlDlgProc proc, intptr_t param) {
  if (!proc || dlgWindow.used) return -1;
  std::memset(&dlgWindow, 0, sizeof dlgWindow);
  std::memset(dlgControls, 0, sizeof dlgControls);
  dlgWindow.used = true;
  dlgWindow.style = WS_CAPTION | WS_SYSMENU;
  dlgTmpl = tmpl;
  dlgProc = proc;
  for (auto& c : dlgControls) c.used = true;
  if (!platDialogOpen(tmpl, dlgCommand, nullptr)) {
    dlgWindow.used = false;
    return -1;
  }
  dlgSend(WM_INITDIALOG, 0, param);
  intptr_t result = platDialogRun();
  platDialogClose();
  dlgWindow.used = false;
  return result;
}

bool wlEndDialog(WlHwnd dialog, intptr_t result) {
  if (!dialog || dialog != &dlgWindow || !dlgRunning()) return false;
  platDialogEnd(result);
  return true;
}

WlHwnd wlGetDlgItem(WlHwnd dialog, int32_t id) {
  if (dialog != &dlgWindow) return nullptr;
  int32_t i = dlgIndexById(id);
  return i < 0 ? nullptr : &dlgControls[i];
}

int32_t wlGetDlgCtrlID(WlHwnd control) {
  int32_t i = dlgIndexOf(control);
  return i < 0 ? 0 : dlgTmpl->items[i].id;
}

intptr_t wlSendDlgItemMessage(WlHwnd dialog, int32_t id, uint32_t message, uintptr_t wParam, intptr_t) {
  if (dialog != &dlgWindow) return 0;
  int32_t i = dlgIndexById(id);
  if (!dlgIsButton(i)) return 0;
  switch (message) {
    case BM_CLICK: platDialogPress(i); return 0;
    case BM_GETCHECK: return platDialogChecked(i) ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK: platDialogSetChecked(i, wParam == BST_CHECKED); return 0;
    default: return 0;
  }
}

WlHwnd wlSetFocus(WlHwnd control) {
  int32_t before = platDialogFocus();
  int32_t i = dlgIndexOf(control);
  if (dlgIsButton(i)) platDialogSetFocus(i);
  return before >= 0 ? &dlgControls[before] : nullptr;
}

WlHwnd wlGetFocus() {
  int32_t f = platDialogFocus();
  return f >= 0 && dlgRunning() ? &dlgControls[f] : nullptr;
}

int wlMessageBoxOwned(WlHwnd owner, const char* text, const char* caption, uint32_t style) {
  if (!platIsInitialised() || !owner || owner != &dlgWindow || !dlgRunning()) return wlMessageBox(text, caption, style);
  return wlBoxAnswer(platDialogShowBox(text, caption, wlBoxFlags(style)));
}

bool wlDlgGetRect(WlHwnd dialog, PlatRect* rect) {
  return dialog == &dlgWindow && dlgRunning() && platDialogGetRect(rect);
}

bool wlDlgSetPos(WlHwnd dialog, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags) {
  if (dialog != &dlgWindow || !dlgRunning()) return false;
  PlatRect r = {x, y, x + width, y + height};
  return platDialogSetRect(&r, (flags & SWP_SHOWWINDOW) != 0);
}
