#include "assetgen.h"

int agWriteAssets(const char*) { return 0; }
