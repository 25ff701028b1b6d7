#include "assetgen.h"

int agWriteMusic(const char*) { return 0; }
