#include "demo/qvdialog.h"
#include "demo/qvresources.h"
void qvSetupDialog(int32_t*, const char*) {}
static uint32_t qvIconPixels[32 * 32];
static const PlatIcon qvIcon = {32, 32, qvIconPixels};
const PlatIcon* qvLoadIcon() { return &qvIcon; }
