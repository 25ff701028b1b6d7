// The setup dialog (stand-in until the dialog lands).
#pragma once
#include <cstdint>
void qvSetupDialog(int32_t* fullScreen, const char* headlessAnswers);
