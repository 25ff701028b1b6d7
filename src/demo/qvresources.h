// The program's embedded resources (stand-in until the dialog lands).
#pragma once
#include "platform/platform.h"
const PlatIcon* qvLoadIcon();
